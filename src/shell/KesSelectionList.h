// The checked files and folders behind a tree's check boxes. A checked
// folder is kept as one entry "folder\*" and covers everything below it; a
// checked file as its path. States are derived: a folder is ssChecked when
// it or an ancestor is stored checked, ssGrayed when only part of what lies
// below it is, ssUnChecked otherwise; an item without a file-system path
// is ssNone. Checking the last unchecked child of a folder folds the
// children into the folder's entry; unchecking one item of a checked folder
// unfolds it. Paths are normalised (full, without "." and ".." parts or a
// trailing separator, compared without regard to case), so no item has two
// entries.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ui/WindowProc.h"

enum TKesSelectionState { ssUnused, ssNone, ssChecked, ssUnChecked, ssGrayed };

// Adds up the sizes of files and folders on a worker thread and hands the
// totals to the user-interface thread that started it. Cancelled, and
// waited for, when it goes.
class TKesFolderSizeThread {
public:
    using TDone = std::function<void(int64_t bytes, int64_t files)>;
    TKesFolderSizeThread(std::vector<std::wstring> paths, TDone done);
    ~TKesFolderSizeThread();
    TKesFolderSizeThread(const TKesFolderSizeThread&) = delete;
    TKesFolderSizeThread& operator=(const TKesFolderSizeThread&) = delete;
    void Cancel() noexcept { FCancel = true; }

private:
    // The totals, on the thread that started the count.
    void TotalsReady();
    void Add(const std::wstring& path);
    std::vector<std::wstring> FPaths;
    TDone FDone;
    std::atomic<bool> FCancel{false};
    int64_t FBytes = 0, FFiles = 0;  // the worker's until it posts
    std::unique_ptr<ui::TMessageWindow> FWindow;
    std::thread FThread;
};

class TKesSelectionList {
public:
    TKesSelectionList() = default;
    TKesSelectionList(const TKesSelectionList&) = delete;
    TKesSelectionList& operator=(const TKesSelectionList&) = delete;

    // The stored entries, in the order they were made.
    const std::vector<std::wstring>& Paths() const noexcept { return FPaths; }
    static std::wstring Normalize(const std::wstring& path);
    TKesSelectionState State(const std::wstring& path) const;
    void Check(const std::wstring& path);
    void Uncheck(const std::wstring& path);
    void Clear();

    // While set, changes raise no OnChange (a tree updating many entries).
    bool Suspended = false;
    std::function<void()> OnChange;

    // Starts adding up what is checked; OnTotals runs when the totals are
    // exact. Any change makes them stale again and cancels the count.
    void StartTotals();
    // Ends a count still running, and waits for it: it lets go of the
    // folders it lists.
    void StopTotals();
    bool TotalsExact() const noexcept { return FTotalsExact; }
    int64_t TotalBytes() const noexcept { return FBytes; }
    int64_t TotalFiles() const noexcept { return FFiles; }
    std::function<void()> OnTotals;

private:
    void Changed();
    void Add(const std::wstring& entry);
    void RemoveBelow(const std::wstring& folder);  // entries of the folder and below it
    // Folds a folder's children into "folder\*" while all are checked, upwards.
    void Fold(std::wstring folder);
    std::vector<std::wstring> FPaths;
    std::unique_ptr<TKesFolderSizeThread> FCounter;
    bool FTotalsExact = false;
    int64_t FBytes = 0, FFiles = 0;
};
