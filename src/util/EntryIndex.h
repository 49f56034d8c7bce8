// Every entry below the working folder, for finding one by a few letters of
// its name wherever it is, also in folders the tree has never opened. A
// worker thread lists the folders with the file system (not the shell) and
// keeps the list up to date by the folders' last-write times.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/FindRank.h"

namespace ui {
class TMessageWindow;
}

class TEntryIndex {
public:
    // No work yet: the first Refresh lists the folder.
    explicit TEntryIndex(std::wstring root);
    // Stops the worker and waits for it.
    ~TEntryIndex();
    TEntryIndex(const TEntryIndex&) = delete;
    TEntryIndex& operator=(const TEntryIndex&) = delete;

    // Has the worker list the folder the first time, and later re-check
    // every known folder's last-write time and list again those that
    // changed; returns at once.
    void Refresh();
    // True once no refresh is running or asked for; false after ms.
    bool WaitIdle(DWORD ms);
    // Called on the thread that made the index, after a refresh changed
    // what Find may offer.
    std::function<void()> OnChanged;

    // The best match for the text, as a full path, or empty; recent holds
    // relative paths, newest first. With take, the best few matches are
    // offered to it in turn, and the first it takes is the answer: an entry
    // the index still knows may be one the caller cannot use (hidden since,
    // or too deep for the shell).
    std::wstring Find(const std::wstring& text, const std::vector<std::wstring>& recent,
                      const std::function<bool(const std::wstring& path)>& take = {}) const;
    // How many entries Find chooses from.
    size_t Count() const;
    // The working folder changed: nothing of the previous one is offered
    // any more, and an index already in use lists the new one.
    void SetRoot(std::wstring root);

private:
    struct TSnapshot {
        std::wstring Root;
        std::vector<TFindEntry> Entries;
    };
    struct TFolders;  // the worker's own lists, per folder

    void Run() noexcept;
    // One refresh of the worker's lists; publishes a new snapshot when
    // anything changed.
    void RefreshFolders(const std::wstring& root, unsigned generation);
    bool Cancelled(unsigned generation) const noexcept;
    void ChangedMessage();

    mutable std::mutex FMutex;
    std::condition_variable FWake;  // work asked for, or stop
    std::condition_variable FIdle;  // a refresh ended
    std::wstring FRoot;
    std::atomic<unsigned> FGeneration{0};  // counts root changes, so a walk of an old root stops
    std::atomic<bool> FStop{false};
    bool FRequested = false;
    bool FBusy = false;
    std::shared_ptr<const TSnapshot> FSnapshot;

    std::unique_ptr<TFolders> FFolders;  // the worker's alone
    std::unique_ptr<ui::TMessageWindow> FWindow;
    std::atomic<bool> FChangePosted{false};
    std::thread FWorker;
};
