// The handles the program keeps open on folders, by the folder each holds.
// On NTFS an open handle on a folder keeps that folder and every folder
// above it from being renamed or moved, so before the program moves a
// folder it lets go of every handle inside it, and this count says whether
// it did. Watches and listings mark themselves here while they are open,
// on any thread.
#pragma once

#include <string>

namespace ui {

class TFolderHandleMark {
public:
    TFolderHandleMark() noexcept = default;
    explicit TFolderHandleMark(const std::wstring& folder);
    ~TFolderHandleMark() { Reset(); }
    TFolderHandleMark(TFolderHandleMark&& other) noexcept;
    TFolderHandleMark& operator=(TFolderHandleMark&& other) noexcept;
    TFolderHandleMark(const TFolderHandleMark&) = delete;
    TFolderHandleMark& operator=(const TFolderHandleMark&) = delete;

    void Reset() noexcept;

private:
    unsigned long long FId = 0;
};

// How many marked handles are open on the folder or anything below it.
int FolderHandlesInside(const std::wstring& folder);

// Whether the path is the folder or lies below it (letters compared
// without regard to case, as the file system does).
bool PathInside(const std::wstring& path, const std::wstring& folder);

}  // namespace ui
