// Resource identifiers of tavrix.exe.
#pragma once

#define IDI_TAVRIX 1

// Image strips, 16 by 16 each, in the order the main window lists them;
// the same drawn at 24 and 32 pixels for 150% and 200%.
#define IDB_GLYPHS 201
#define IDB_IMAGES 202
#define IDB_GLYPHS24 203
#define IDB_IMAGES24 204
#define IDB_GLYPHS32 205
#define IDB_IMAGES32 206
