// Resource identifiers of tavrix.exe.
#pragma once

#define IDI_TAVRIX 1

// Image strips, 16 by 16 each, in the order the main window lists them.
#define IDB_GLYPHS 201
#define IDB_IMAGES 202
