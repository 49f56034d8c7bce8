// Every entry below the working folder, for finding one by a few letters of
// its name wherever it is, also in folders the tree has never opened. A
// worker thread lists the folders with the file system (not the shell) into
// a compact table (core/FindTable.h), and hands out copies of it. It keeps
// the table current by the folders' last-write times, or by what a watch
// reported.
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

// One match, as the search's list shows it.
struct TEntryMatch {
    std::wstring Path;    // full
    std::wstring Name;    // as the tree shows it
    std::wstring Folder;  // below the working folder, "" for the working folder itself
};

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
    // The window was called up. Where a watch reports changes anywhere
    // below the working folder (SetSubtreeReported), they came in through
    // Changed and nothing is re-checked; elsewhere this is a Refresh.
    void CallUp();
    void SetSubtreeReported(bool value);
    bool SubtreeReported() const noexcept { return FSubtreeReported; }
    // Entries or folders (full paths) a watch named as changed: the folders
    // that hold them are listed again, and a named folder as well, with
    // what appeared or went below them; returns at once.
    void Changed(const std::vector<std::wstring>& paths);
    // True once no work is running or asked for; false after ms.
    bool WaitIdle(DWORD ms);
    // Called on the thread that made the index, after work changed what
    // Find may offer.
    std::function<void()> OnChanged;

    // The best matches for the text, best first (core/FindRank.h): recent
    // holds entries' paths relative to the working folder, newest first,
    // shownFolders the folders whose entries the tree shows.
    std::vector<TEntryMatch> Find(const std::wstring& text, const std::vector<std::wstring>& recent,
                                  const std::vector<std::wstring>& shownFolders = {},
                                  size_t most = kMostFindHits) const;
    // How many entries Find chooses from, and the bytes their table takes.
    size_t Count() const;
    size_t TableBytes() const;
    // The working folder changed: nothing of the previous one is offered
    // any more, and an index already in use lists the new one.
    void SetRoot(std::wstring root);

private:
    struct TSnapshot {
        std::wstring Root;
        TFindTable Table;
    };
    struct TFolders;  // the worker's own state

    void Run() noexcept;
    // A pass of the worker: every known folder by its write time, or the
    // folders of the paths reported; publishes a new snapshot when anything
    // changed.
    void RefreshFolders(const std::wstring& root, unsigned generation);
    void ListChanged(const std::wstring& root, unsigned generation, const std::vector<std::wstring>& paths);
    void Publish(const std::wstring& root, unsigned generation);
    bool Cancelled(unsigned generation) const noexcept;
    void ChangedMessage();

    mutable std::mutex FMutex;
    std::condition_variable FWake;  // work asked for, or stop
    std::condition_variable FIdle;  // work ended
    std::wstring FRoot;
    std::atomic<unsigned> FGeneration{0};  // counts root changes, so a walk of an old root stops
    std::atomic<bool> FStop{false};
    bool FRequested = false;              // a whole re-check
    std::vector<std::wstring> FReported;  // paths for the next pass
    bool FBusy = false;
    bool FSubtreeReported = false;
    std::shared_ptr<const TSnapshot> FSnapshot;

    std::unique_ptr<TFolders> FFolders;  // the worker's alone
    std::unique_ptr<ui::TMessageWindow> FWindow;
    std::atomic<bool> FChangePosted{false};
    std::thread FWorker;
};
