// How values of the INI file are read, and how the working folder's path
// is formed. No Windows header here: this part is plain logic.
#pragma once

#include <cstdint>
#include <string>

// The name of the working folder below its base folder.
extern const wchar_t* const WorkingFolderName;

// Reads a whole 32-bit number as the INI file stores it: decimal with an
// optional sign, or hexadecimal after "$" or "0x". Blanks around it are
// allowed; anything else, or a value out of range, is no number.
bool ParseIniInteger(const std::wstring& text, int32_t& value);

// base + "\" (unless base already ends in one) + "quorb".
std::wstring ComposeWorkingFolder(const std::wstring& base);

// Whether a path names a folder of the file system wherever the program
// runs: "X:\..." on a drive, or "\\server\share..." on a network. Relative
// paths, a drive without its root, device paths and names of the shell's
// own places ("This PC") are not; nor is a path with characters that no
// file name may hold.
bool IsAbsoluteFolderPath(const std::wstring& path);
