// What makes a file or folder the one it is, whatever path names it: its
// volume and its index there. Two spellings of one folder have one
// identity; a folder deleted and made again has another.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

struct TFileIdentity {
    DWORD Volume = 0;
    DWORD IndexHigh = 0;
    DWORD IndexLow = 0;
    bool operator==(const TFileIdentity&) const = default;
};

// The identity of an existing file or folder; false when it cannot be had.
bool FileIdentityOf(const std::wstring& path, TFileIdentity& id);

// Links: junctions, symbolic links and mount points, to folders or files.
// What lies behind one is not the user's folder: a walk never enters a
// link, and nothing is moved or deleted through one.
//
// Wine 8, measured with `ln -s` inside the prefix's drive: a link to a
// folder carries FILE_ATTRIBUTE_REPARSE_POINT (from FindFirstFileW and
// GetFileAttributesW) with no reparse tag; a link to a file carries no
// such attribute at all; CreateFileW with FILE_FLAG_OPEN_REPARSE_POINT
// opens what the link leads to, so GetFinalPathNameByHandleW names the
// target. A link that leads nowhere is not listed. Moving, deleting or
// recycling a link's path moves or deletes its target there.

// The path the file system resolves an existing file or folder to, links
// followed, as GetFinalPathNameByHandleW gives it; empty when it cannot be
// opened.
std::wstring FinalPathOf(const std::wstring& path);
// Whether an entry that a folder lists leads elsewhere; folderFinal is
// FinalPathOf(folder). First by its attributes (a reparse point whose tag
// names another file, or has no tag); then by where it resolves to: not
// to its own place in the folder (unless the folder gives no final path).
// An entry that cannot be opened counts as a link, so it is left alone.
bool IsListedLink(const std::wstring& folder, const std::wstring& folderFinal, const WIN32_FIND_DATAW& data);
// The same for a path alone; false for one that does not exist, or a
// drive's root.
bool IsLinkPath(const std::wstring& path);

// A path on another machine: a share ("\\server\share\...") or a drive
// mapped to one.
bool IsRemotePath(const std::wstring& path);

}  // namespace ui
