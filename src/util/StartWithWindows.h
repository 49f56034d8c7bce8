// Starting with Windows: a shortcut to this copy of the program in the
// user's Startup folder. Nothing goes into the registry, so the program
// stays portable; a shortcut there to another program, or to another copy
// of this one, is never touched.
#pragma once

#include <string>
#include <vector>

// The path of the running program file.
std::wstring ProgramPath();
// The user's Startup folder, made when it is missing and create is set;
// empty when the system names none (or it cannot be made).
std::wstring StartupFolder(bool create);

// Whether a shortcut leads to the program: the same file, or the same path
// (case ignored) when either cannot be opened.
bool ShortcutLeadsTo(const std::wstring& shortcut, const std::wstring& program);
// The shortcuts (*.lnk) in the folder that lead to the program.
std::vector<std::wstring> ShortcutsLeadingTo(const std::wstring& folder, const std::wstring& program);

// Makes a shortcut to the program in the folder, named stem + ".lnk" or a
// numbered form of it when that name is taken, unless one leads there
// already. Returns the shortcut's path. Raises ui::Exception with a text
// for the user when it cannot be made.
std::wstring AddStartupShortcut(const std::wstring& folder, const std::wstring& program, const std::wstring& stem);
// Deletes every shortcut in the folder that leads to the program. Raises
// ui::Exception naming the first one that could not be deleted.
void RemoveStartupShortcuts(const std::wstring& folder, const std::wstring& program);
