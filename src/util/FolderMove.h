// Moving the working folder without losing a link: what was in it, the
// move itself, and whether everything arrived.
#pragma once

#include <string>
#include <vector>

// Every entry below a folder, as paths relative to it ("a.lnk", "Tools",
// "Tools\b.lnk"); empty for a missing folder. A link (to a folder or a
// file) is an entry, and is never entered.
std::vector<std::wstring> FolderEntries(const std::wstring& folder);
// The entries of the list that are not below the folder.
std::vector<std::wstring> EntriesMissing(const std::vector<std::wstring>& entries, const std::wstring& folder);
// Whether a folder holds a file or a link anywhere below it (empty
// folders do not count).
bool HoldsFiles(const std::wstring& folder);
// Whether a folder holds a link anywhere below it, or a folder that cannot
// be listed (which may hold one).
bool HoldsLinks(const std::wstring& folder);

// Whether two paths name one folder however they are spelled: case, a
// trailing separator, a short name, another drive letter for the same
// place. Folders that exist are compared by file identity (volume and
// file index); otherwise the full paths are compared without case.
bool SameFolder(const std::wstring& a, const std::wstring& b);
// Whether the folder is the other one or lies anywhere inside it.
bool FolderWithin(const std::wstring& inner, const std::wstring& outer);
// Whether one folder is the other, or lies inside it.
bool FoldersOverlap(const std::wstring& a, const std::wstring& b);

// The one decision before the previous working folder is removed after a
// move to the current one: true only when the previous folder still
// exists, is not a link, is not (and does not hold, nor lie in) the
// current one, every entry that had to move is in the current folder, and
// nothing the user made is left in it at any depth, links included (empty
// folders that arrived do not count). A folder that is already gone needs
// no removal.
bool MayRemovePreviousFolder(const std::wstring& previous, const std::wstring& current,
                             const std::vector<std::wstring>& entries);
// Moves the working folder through the shell: the folder itself when the
// target does not exist yet and it holds no link, else its entries into
// the target, merging folders that exist in both and leaving a file whose
// name the target already holds where it is. Links (and folders that
// cannot be listed) stay in the source: nothing is moved through a link or
// into a link of the target's. The shell's answer proves nothing: compare
// the entries afterwards.
void MoveWorkingFolder(const std::wstring& source, const std::wstring& target);
