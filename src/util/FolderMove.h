// Moving the working folder without losing a link: what was in it, the
// move itself, and whether everything arrived.
#pragma once

#include <string>
#include <vector>

// Every entry below a folder, as paths relative to it ("a.lnk", "Tools",
// "Tools\b.lnk"); empty for a missing folder.
std::vector<std::wstring> FolderEntries(const std::wstring& folder);
// The entries of the list that are not below the folder.
std::vector<std::wstring> EntriesMissing(const std::vector<std::wstring>& entries, const std::wstring& folder);
// Whether a folder holds a file anywhere below it (empty folders do not count).
bool HoldsFiles(const std::wstring& folder);
// Moves the working folder through the shell: the folder itself when the
// target does not exist yet, else its entries into the target, merging
// folders that exist in both and leaving a file whose name the target
// already holds where it is. The shell's answer proves nothing: compare
// the entries afterwards.
void MoveWorkingFolder(const std::wstring& source, const std::wstring& target);
