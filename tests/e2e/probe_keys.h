// The probe's key log: what Wine does with the keys the scripts press.
#pragma once

#include <string>

// Until killed, prints a line for every key pressed (modifiers apart), as
// a low-level hook sees it: its virtual key in hex, and "program" when a
// window of the named program file had the keyboard, "hotkey" when another
// program holds the combination as a hot key, else the file name of the
// program whose window had it, or "none". Prints "ready" first.
int KeyLog(const std::wstring& program);
