// Shortcut files: what one points at, and making one that points at a file
// or folder, or a copy of one, without replacing anything.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The path a shortcut file points at; empty when it is no readable shortcut.
std::wstring ShortcutTarget(const std::wstring& shortcut);
// The names of the shortcut files (*.lnk) in a folder.
std::vector<std::wstring> ShortcutFiles(const std::wstring& folder);
// The names of the files in a folder (no folders).
std::vector<std::wstring> FolderFiles(const std::wstring& folder);
// A .lnk or .url file: the shell copies these where it is asked to link
// them, since a link to a link is no use.
bool IsShortcutFile(const std::wstring& path);
// Whether a name is the file name itself or a numbered form of it as free
// names are made: "Tool.lnk", "Tool (2).lnk" for "Tool.lnk" (case ignored).
bool IsNameOrNumbered(const std::wstring& name, const std::wstring& fileName);
// The name a shortcut to the target gets in the folder: the target's name
// without its extension plus ".lnk", numbered " (2)", " (3)", ... while a
// file of that name exists.
std::wstring FreeShortcutName(const std::wstring& folder, const std::wstring& target);
// The same for a name of one's own: stem + ".lnk", numbered while taken.
std::wstring FreeShortcutNameFor(const std::wstring& folder, const std::wstring& stem);
// stem + extension (with its dot), numbered " (2)", ... while taken.
std::wstring FreeFileName(const std::wstring& folder, const std::wstring& stem, const std::wstring& extension);
// Makes a shortcut file to the target, with the target's folder as its
// working folder; never replaces a file of that name.
HRESULT SaveShortcut(const std::wstring& path, const std::wstring& target);
// Makes a shortcut to the target in the folder under a free name (after the
// target, or after the stem when one is given); returns its path, or
// nothing when it could not be made.
std::wstring CreateShortcutIn(const std::wstring& folder, const std::wstring& target, const std::wstring& stem = {});
// Copies a shortcut file into the folder under its own name, numbered while
// that is taken; returns the copy's path, or nothing when none was made.
std::wstring CopyShortcutIn(const std::wstring& folder, const std::wstring& shortcut);
