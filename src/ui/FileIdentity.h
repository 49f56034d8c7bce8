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

// A path on another machine: a share ("\\server\share\...") or a drive
// mapped to one.
bool IsRemotePath(const std::wstring& path);

}  // namespace ui
