// The change notifier: asks the shell to report changes in a set of
// folders and turns each report into an event with its item-ID lists and
// paths. Reports arrive as message 2011 at a hidden window, on the
// user-interface thread.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/Shell_Win32.h"
#include "shelltree/SubtreeWatch.h"
#include "ui/FileIdentity.h"
#include "ui/FolderHandles.h"
#include "ui/Handles.h"
#include "ui/Timer.h"
#include "ui/WinControl.h"

enum TNotificationEvent {
    neAssociationChange, neAttributesChange, neFileChange, neFileCreate, neFileDelete, neFileRename,
    neDriveAdd, neDriveRemove, neShellDriveAdd, neDriveSpaceChange, neMediaInsert, neMediaRemove,
    neFolderCreate, neFolderDelete, neFolderRename, neFolderUpdate, neNetShare, neNetUnShare,
    neServerDisconnect, neImageListChange, neUnknown,
};
constexpr int NotificationEventCount = neUnknown + 1;

// A set of events: value n is bit n.
using TNotificationEvents = uint32_t;
constexpr TNotificationEvents EventBit(TNotificationEvent e) { return 1u << e; }
constexpr TNotificationEvents AllKnownEvents = 0x000FFFFF;

// The shell's event bit of each value.
extern const LONG NotificationEventCodes[NotificationEventCount];
// The value of a shell event code; neUnknown for any other code.
TNotificationEvent EventOfCode(LONG code);

class TKesShellChangeNotifier;

using TKesShellNotifierEvent = std::function<void(TKesShellChangeNotifier* sender, TNotificationEvent event,
                                                  const std::wstring& path1, const std::wstring& path2)>;
using TChangeCallback = std::function<void(TKesShellChangeNotifier* sender, TNotificationEvent event,
                                           LPCITEMIDLIST item1, LPCITEMIDLIST item2)>;

// The folders to watch, each once (compared without regard to case), each
// with the handle of its registration.
class TNotifierDirectories {
public:
    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    const std::wstring& operator[](int index) const { return FItems[static_cast<size_t>(index)].Path; }
    ULONG Handle(int index) const { return FItems[static_cast<size_t>(index)].Handle; }
    void SetHandle(int index, ULONG handle) { FItems[static_cast<size_t>(index)].Handle = handle; }
    int IndexOf(const std::wstring& path) const;
    // Adds a path the list does not hold yet; false (and no change) otherwise.
    bool Add(const std::wstring& path);
    void Delete(int index);
    void Assign(const std::vector<std::wstring>& paths);
    std::vector<std::wstring> Paths() const;
    // The registrations of paths that left the list since the last call,
    // for the notifier to end.
    std::vector<ULONG> TakeDropped();

    // Runs after every change of the list.
    std::function<void()> OnChange;

private:
    struct TEntry {
        std::wstring Path;
        ULONG Handle;
    };
    void Changed();
    std::vector<TEntry> FItems;
    std::vector<ULONG> FDropped;
};

// Hands one report to an OnChange handler: a short-lived worker that has
// the user-interface thread make the call, then ends by itself.
class TKesNotifyThread {
public:
    // Alive is cleared (on the UI thread) when the notifier goes; a call
    // that arrives after that is dropped.
    static void Start(std::shared_ptr<TKesShellChangeNotifier*> alive, TKesShellNotifierEvent handler,
                      TNotificationEvent event, std::wstring path1, std::wstring path2);
};

class TKesShellChangeNotifier : public ui::TComponent {
public:
    static constexpr UINT WM_SHELLNOTIFY = 2011;

    TKesShellChangeNotifier();
    ~TKesShellChangeNotifier() override;

    bool Enabled() const noexcept { return FEnabled; }
    void SetEnabled(bool value);
    TNotifierDirectories& Directories() noexcept { return FDirectories; }
    void SetDirectories(const std::vector<std::wstring>& paths) { FDirectories.Assign(paths); }
    bool Recursive() const noexcept { return FRecursive; }
    void SetRecursive(bool value);
    TNotificationEvents EventFilter() const noexcept { return FEventFilter; }
    void SetEventFilter(TNotificationEvents value);

    // Raised for every report, later, from a worker through the UI thread.
    TKesShellNotifierEvent OnChange;
    // Called at once for every report; the lists live only during the call.
    TChangeCallback ChangeCallback;

    // Replaces the registration of the root's folder.
    void WatchRoot(PCIDLIST_ABSOLUTE list);
    // Replaces the directory watch of the tree root's own folder.
    void WatchRootFolder(LPCITEMIDLIST list);

    // Besides the shell's reports, the file system itself is watched: the
    // root's folder and the folders the owner names (the tree: those open
    // now). A change there is reported as neFolderUpdate of that folder,
    // checked every interval.
    static constexpr UINT WatchInterval = 250;
    // How. On NTFS a handle open on a folder keeps it and every folder above
    // it from being renamed or moved, so where the system reports a whole
    // subtree to one watch (the probe at start tells), one watch on the
    // root's folder follows every folder below it (wmSubtree). Elsewhere,
    // and until the probe has answered, each watched folder has a handle of
    // its own, held only while the folder is wanted (wmFolders).
    enum TWatchMode { wmPending, wmFolders, wmSubtree };
    TWatchMode WatchMode() const noexcept { return FWatchMode; }
    // For tests: a mode without waiting for the probe.
    void ForceWatchMode(TWatchMode mode) { SetWatchMode(mode); }
    // Raised once the probe has decided the mode, with a line for the log.
    std::function<void(const std::wstring& text)> OnLogInfo;
    // Starts watching a folder (its path and absolute list); true when it
    // is watched afterwards.
    bool WatchFolder(const std::wstring& path, LPCITEMIDLIST list);
    void UnwatchFolder(const std::wstring& path);
    // The folders followed, the root's included.
    int WatchCount() const noexcept;
    // Makes a watch anew when it died: its handle is spent, or its folder
    // was deleted and made again (another identity). False when the folder
    // has no watch (any more) or cannot be watched now.
    bool RearmWatch(const std::wstring& path);
    bool RearmRootWatch();
    // True when the folder's watch is alive and has seen nothing since it
    // was last looked at: what was read of the folder is still what it
    // holds, names and attributes alike. A folder moved away, or deleted
    // and made anew, under the path keeps a quiet handle: its parent's
    // watch sees that. Nothing watches the root's parent, so the root's
    // folder is checked to be the one watched; a network folder, whose
    // watch may never fire, is never quiet.
    bool WatchQuiet(const std::wstring& path);
    bool RootWatchQuiet();
    // The folder at the path is another than the one its watch holds.
    bool WatchReplaced(const std::wstring& path);
    // The folders followed now, the root's apart.
    std::vector<std::wstring> WatchedFolders() const;
    bool RootWatched() const noexcept { return FRootWatch.Alive(); }
    // Looks at the watches now (the timer does it every interval).
    void CheckWatches();
    // Closes every handle on the file system, and opens none, until
    // ResumeWatches: the folders that held them can then be moved. The
    // folders stay known; on resuming, those still there are read again.
    void SuspendWatches();
    void ResumeWatches();

    void RegisterAll();
    void UnregisterAll();

    HWND NotifyWindow() const noexcept { return FNotifyWindow ? FNotifyWindow->Handle() : nullptr; }
    bool Registered() const noexcept { return FRegistered; }
    ULONG RootRegistration() const noexcept { return FRootRegistration; }

protected:
    virtual void DoChange(TNotificationEvent event, const std::wstring& path1, const std::wstring& path2);

private:
    // One report of the shell, as WM_SHELLNOTIFY brings it.
    LRESULT ShellNotify(WPARAM wParam, LPARAM lParam);
    ULONG RegisterIDList(PCIDLIST_ABSOLUTE list, bool recursive);
    ULONG RegisterPath(const std::wstring& path);
    void DirectoriesChanged();

    struct TChangeHandleTraits {
        static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
        static bool IsValid(HANDLE h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
        static void Close(HANDLE h) noexcept { FindCloseChangeNotification(h); }
    };
    // A folder's own change handle, counted among the handles held on folders.
    class TChangeHandle {
    public:
        bool Open(const std::wstring& path);
        HANDLE Get() const noexcept { return FHandle.Get(); }
        explicit operator bool() const noexcept { return static_cast<bool>(FHandle); }
        void Reset() noexcept {
            FHandle.Reset();
            FMark.Reset();
        }

    private:
        ui::TFolderHandleMark FMark;  // goes after the handle closes
        ui::TUniqueHandle<HANDLE, TChangeHandleTraits> FHandle;
    };
    struct TDirectoryWatch {
        std::wstring Path;
        TIDList List;
        // Its own handle; none while the subtree watch covers the folder.
        TChangeHandle Handle;
        bool Covered = false;
        // Seen and not reported yet: its entries changed; the folder itself
        // was named anew or deleted (its parent is read, as for a handle
        // that died).
        bool Changed = false;
        bool ParentChanged = false;
        // The folder watched; none when it could not be had.
        ui::TFileIdentity Identity;
        bool HasIdentity = false;
        bool Alive() const noexcept { return Covered || static_cast<bool>(Handle); }
    };
    static bool Replaced(const TDirectoryWatch& watch);
    // Gives the watch a handle of its own, or the subtree watch's cover; the
    // root's makes the subtree watch, and the others follow it.
    void Arm(TDirectoryWatch& watch, bool isRoot);
    bool Rearm(TDirectoryWatch& watch, bool isRoot);
    bool Covers(const std::wstring& path) const;
    void UpdateCover();
    // Takes what the subtree watch saw into the watches' flags.
    void DrainSubtree();
    void DecideWatchMode();
    void SetWatchMode(TWatchMode mode);
    void UpdateWatchTimer();
    void ReportFolderUpdate(LPCITEMIDLIST list, const std::wstring& path);
    std::vector<TDirectoryWatch>::iterator FindWatch(const std::wstring& path);

    std::vector<TDirectoryWatch> FWatches;
    TDirectoryWatch FRootWatch;
    std::unique_ptr<TSubtreeWatch> FSubtree;
    TWatchMode FWatchMode = wmPending;
    bool FSuspended = false;
    ui::TTimer FWatchTimer;
    std::unique_ptr<ui::TMessageWindow> FNotifyWindow;
    bool FEnabled;
    bool FRegistered = false;
    bool FRecursive = true;
    TNotificationEvents FEventFilter = AllKnownEvents;
    TNotifierDirectories FDirectories;
    ULONG FRootRegistration = 0;
    LONG FLastEventCode = 0;
    TIDList FLastIDList;
    DWORD FLastTick = 0;
    // Shared with the workers of OnChange; cleared when the notifier goes.
    std::shared_ptr<TKesShellChangeNotifier*> FAlive;
};

