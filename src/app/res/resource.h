// Resource identifiers of tavrix.exe.
#pragma once

#define IDI_TAVRIX 1

#define IDI_MENU 101
#define IDI_REFRESH 102
#define IDI_OPTIONS 103
#define IDI_SAVEVIEW 104
#define IDI_EXIT 105
#define IDI_HIDE 106
#define IDI_CLIPBOARD 107
#define IDI_PLAINTEXT 108
#define IDI_COMMA 109
#define IDI_XML 110
#define IDI_EXECUTE 111
#define IDI_SCREENSAVER 112
#define IDI_ABOUT 113
