// One watch of a folder and everything below it, and the probe that tells
// whether the system reports a whole subtree to such a watch at all.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/FolderHandles.h"
#include "ui/Handles.h"

// A subtree watch that names what changed, so that only the folders
// holding it need reading. It is polled: a read is always pending, and
// Take collects what completed.
class TSubtreeWatch {
public:
    // Null when the folder cannot be watched this way.
    static std::unique_ptr<TSubtreeWatch> Open(const std::wstring& folder);
    // Cancels the read and waits for it: the system writes into this object.
    ~TSubtreeWatch();
    TSubtreeWatch(const TSubtreeWatch&) = delete;
    TSubtreeWatch& operator=(const TSubtreeWatch&) = delete;

    const std::wstring& Folder() const noexcept { return FFolder; }
    // Signalled when a read has completed.
    HANDLE Event() const noexcept { return FEvent.Get(); }
    // Adds the full paths of the entries named, created, deleted or changed
    // since the last call; overflow when the system lost count and anything
    // may have changed. False once the watch has ended: its folder went, or
    // the system gave up on it.
    bool Take(std::vector<std::wstring>& entries, bool& overflow);

private:
    TSubtreeWatch() = default;
    bool Issue();
    void Parse(DWORD bytes, std::vector<std::wstring>& entries) const;

    std::wstring FFolder;
    ui::TFolderHandleMark FMark;  // goes after the handle closes
    ui::THandleOwner FHandle;
    ui::THandleOwner FEvent;
    OVERLAPPED FOverlapped{};
    std::vector<DWORD> FBuffer;  // DWORD-aligned, as the records must be
    bool FReading = false;
};

enum class TSubtreeProbeAnswer { Pending, Subtree, ChildrenOnly };

// Starts, once per process, the probe: in a folder of its own in the
// user's temp folder, on a worker thread, a subtree watch is asked about a
// file made two levels down, for at most a few hundred milliseconds.
// TAVRIX_WATCH=subtree or TAVRIX_WATCH=folders in the environment (for
// tests) gives the answer without probing.
void StartSubtreeProbe();
TSubtreeProbeAnswer SubtreeProbeAnswer();
// What the probe found and what it took, once answered: a line for the log.
std::wstring SubtreeProbeReport();
