// Shortcut files: what one points at, and making one that points at a file
// or folder without replacing anything.
#pragma once

#include <string>
#include <vector>

// The path a shortcut file points at; empty when it is no readable shortcut.
std::wstring ShortcutTarget(const std::wstring& shortcut);
// The names of the shortcut files (*.lnk) in a folder.
std::vector<std::wstring> ShortcutFiles(const std::wstring& folder);
// The name a shortcut to the target gets in the folder: the target's name
// without its extension plus ".lnk", numbered " (2)", " (3)", ... while a
// file of that name exists.
std::wstring FreeShortcutName(const std::wstring& folder, const std::wstring& target);
// The same for a name of one's own: stem + ".lnk", numbered while taken.
std::wstring FreeShortcutNameFor(const std::wstring& folder, const std::wstring& stem);
// Makes a shortcut to the target in the folder under a free name (after the
// target, or after the stem when one is given); returns its path, or
// nothing when it could not be made.
std::wstring CreateShortcutIn(const std::wstring& folder, const std::wstring& target, const std::wstring& stem = {});
