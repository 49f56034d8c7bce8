#include "shelltree/KESControls.h"

#include <algorithm>
#include <thread>

#include "shell/ShellBrowser.h"
#include "ui/Application.h"
#include "ui/Clock.h"
#include "ui/ErrorLog.h"
#include "ui/Handles.h"
#include "ui/Profile.h"
#include "ui/Thread.h"

namespace {
ui::TProfileCounter RegistrationCounter("shell: change registration");
ui::TProfileCounter WatchCounter("directory watch: start");
// A report's event code without the flag that marks a report sent at
// interrupt level.
constexpr DWORD kEventCodeMask = ~static_cast<DWORD>(SHCNE_INTERRUPT);
static_assert(kEventCodeMask == 0x7FFFFFFF);
}  // namespace

const LONG NotificationEventCodes[NotificationEventCount] = {
    SHCNE_ASSOCCHANGED, SHCNE_ATTRIBUTES,  SHCNE_UPDATEITEM,   SHCNE_CREATE,         SHCNE_DELETE,
    SHCNE_RENAMEITEM,   SHCNE_DRIVEADD,    SHCNE_DRIVEREMOVED, SHCNE_DRIVEADDGUI,    SHCNE_FREESPACE,
    SHCNE_MEDIAINSERTED, SHCNE_MEDIAREMOVED, SHCNE_MKDIR,      SHCNE_RMDIR,          SHCNE_RENAMEFOLDER,
    SHCNE_UPDATEDIR,    SHCNE_NETSHARE,    SHCNE_NETUNSHARE,   SHCNE_SERVERDISCONNECT, SHCNE_UPDATEIMAGE,
    0x7FFFFFFF,
};

TNotificationEvent EventOfCode(LONG code) {
    for (int e = 0; e < neUnknown; ++e)
        if (NotificationEventCodes[e] == code) return static_cast<TNotificationEvent>(e);
    return neUnknown;
}

// ---------------------------------------------------------------------------
// TNotifierDirectories

int TNotifierDirectories::IndexOf(const std::wstring& path) const {
    for (size_t i = 0; i < FItems.size(); ++i)
        if (SameText(FItems[i].Path, path)) return static_cast<int>(i);
    return -1;
}

bool TNotifierDirectories::Add(const std::wstring& path) {
    if (IndexOf(path) >= 0) return false;
    FItems.push_back({path, 0});
    Changed();
    return true;
}

void TNotifierDirectories::Delete(int index) {
    if (ULONG handle = Handle(index)) FDropped.push_back(handle);
    FItems.erase(FItems.begin() + index);
    Changed();
}

void TNotifierDirectories::Assign(const std::vector<std::wstring>& paths) {
    // Registration handles belong to the notifier: those of paths that
    // stay are kept, the others are handed back (TakeDropped).
    std::vector<TEntry> kept;
    std::swap(kept, FItems);
    for (const auto& p : paths)
        if (IndexOf(p) < 0) FItems.push_back({p, 0});
    for (const auto& old : kept) {
        if (int i = IndexOf(old.Path); i >= 0)
            FItems[static_cast<size_t>(i)].Handle = old.Handle;
        else if (old.Handle)
            FDropped.push_back(old.Handle);
    }
    Changed();
}

std::vector<ULONG> TNotifierDirectories::TakeDropped() {
    std::vector<ULONG> dropped;
    std::swap(dropped, FDropped);
    return dropped;
}

std::vector<std::wstring> TNotifierDirectories::Paths() const {
    std::vector<std::wstring> out;
    for (const auto& e : FItems) out.push_back(e.Path);
    return out;
}

void TNotifierDirectories::Changed() {
    if (OnChange) OnChange();
}

// ---------------------------------------------------------------------------
// TKesShellChangeNotifier

TKesShellChangeNotifier::TKesShellChangeNotifier()
    : FEnabled(ChangeNotifyRegister != nullptr), FAlive(std::make_shared<TKesShellChangeNotifier*>(this)) {
    FNotifyWindow = std::make_unique<ui::TMessageWindow>(
        L"TKesShellChangeNotifier", [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
            if (!FEnabled || msg != WM_SHELLNOTIFY) return false;
            result = ShellNotify(wParam, lParam);
            return true;
        });
    FDirectories.OnChange = [this] { DirectoriesChanged(); };
    FWatchTimer.SetInterval(WatchInterval);
    FWatchTimer.OnTimer = [this] { CheckWatches(); };
}

TKesShellChangeNotifier::~TKesShellChangeNotifier() {
    *FAlive = nullptr;  // pending OnChange deliveries are dropped, not waited for
    FWatchTimer.SetEnabled(false);
    FDirectories.OnChange = nullptr;
    SetEnabled(false);
    if (FRootRegistration && ChangeNotifyDeregister) ChangeNotifyDeregister(FRootRegistration);
    FRootRegistration = 0;
    FNotifyWindow.reset();
}

void TKesShellChangeNotifier::SetEnabled(bool value) {
    FEnabled = value;
    if (value)
        RegisterAll();
    else
        UnregisterAll();
    UpdateWatchTimer();
}

void TKesShellChangeNotifier::SetRecursive(bool value) {
    if (value == FRecursive) return;
    FRecursive = value;
    RegisterAll();
}

void TKesShellChangeNotifier::SetEventFilter(TNotificationEvents value) {
    if (value == FEventFilter) return;
    FEventFilter = value;
    RegisterAll();
}

ULONG TKesShellChangeNotifier::RegisterIDList(PCIDLIST_ABSOLUTE list, bool recursive) {
    if (!ChangeNotifyRegister) {
        FEnabled = false;
        return 0;
    }
    LONG mask = 0;
    for (int e = 0; e < NotificationEventCount; ++e)
        if (FEventFilter & (1u << e)) mask |= NotificationEventCodes[e];
    TChangeNotifyEntry entry{list, recursive ? TRUE : FALSE};
    ui::TProfileScope profile(RegistrationCounter);
    return ChangeNotifyRegister(NotifyWindow(), SHCNRF_InterruptLevel | SHCNRF_ShellLevel, mask, WM_SHELLNOTIFY, 1,
                                &entry);
}

ULONG TKesShellChangeNotifier::RegisterPath(const std::wstring& path) {
    // '' is the desktop folder itself, which is never watched recursively.
    TAbsoluteIDList list = PathToAbsoluteIDList(path);
    return RegisterIDList(list.Get(), FRecursive && !path.empty());
}

void TKesShellChangeNotifier::WatchRoot(PCIDLIST_ABSOLUTE list) {
    if (FRootRegistration && ChangeNotifyDeregister) ChangeNotifyDeregister(FRootRegistration);
    FRootRegistration = RegisterIDList(list, FRecursive);
}

void TKesShellChangeNotifier::RegisterAll() {
    if (FRegistered) UnregisterAll();
    if (!FEnabled) return;
    if (FDirectories.Count() == 0 && !FRootRegistration) {
        // Watch the desktop rather than nothing; the entry goes when a real
        // folder comes. Not yet registered, so adding it re-registers nothing.
        FDirectories.Add(L"");
    }
    for (int i = 0; i < FDirectories.Count(); ++i) FDirectories.SetHandle(i, RegisterPath(FDirectories[i]));
    FRegistered = true;
}

void TKesShellChangeNotifier::UnregisterAll() {
    if (!FRegistered) return;
    FRegistered = false;
    for (int i = 0; i < FDirectories.Count(); ++i) {
        if (FDirectories.Handle(i) && ChangeNotifyDeregister) ChangeNotifyDeregister(FDirectories.Handle(i));
        FDirectories.SetHandle(i, 0);
    }
}

TKesShellChangeNotifier::TDirectoryWatch TKesShellChangeNotifier::MakeWatch(const std::wstring& path, TIDList list) {
    ui::TProfileScope profile(WatchCounter);
    TDirectoryWatch watch;
    watch.Path = path;
    watch.List = std::move(list);
    if (!path.empty()) {
        watch.Handle.Reset(FindFirstChangeNotificationW(
            path.c_str(), FALSE,
            FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES));
        watch.HasIdentity = watch.Handle && ui::FileIdentityOf(path, watch.Identity);
    }
    return watch;
}

bool TKesShellChangeNotifier::Rearm(TDirectoryWatch& watch) {
    // A folder deleted and made again under the same path leaves a handle
    // that never fires again: its identity tells.
    ui::TFileIdentity now;
    const bool exists = !watch.Path.empty() && ui::FileIdentityOf(watch.Path, now);
    if (watch.Handle && exists && watch.HasIdentity && now == watch.Identity) return true;
    if (!exists) return static_cast<bool>(watch.Handle);
    TDirectoryWatch fresh = MakeWatch(watch.Path, TIDList());
    if (!fresh.Handle) return false;
    watch.Handle = std::move(fresh.Handle);
    watch.Identity = fresh.Identity;
    watch.HasIdentity = fresh.HasIdentity;
    return true;
}

bool TKesShellChangeNotifier::RearmWatch(const std::wstring& path) {
    auto it = FindWatch(path);
    if (it == FWatches.end()) return false;
    const bool alive = Rearm(*it);
    if (!alive) FWatches.erase(it);
    UpdateWatchTimer();
    return alive;
}

bool TKesShellChangeNotifier::RearmRootWatch() {
    const bool alive = Rearm(FRootWatch);
    UpdateWatchTimer();
    return alive;
}

namespace {
bool Signalled(HANDLE handle) { return WaitForSingleObject(handle, 0) != WAIT_TIMEOUT; }
}  // namespace

// A folder moved away, or deleted and made anew, under the watched path
// keeps a handle that sees nothing of the folder there now: its identity
// tells.
bool TKesShellChangeNotifier::Replaced(const TDirectoryWatch& watch) {
    ui::TFileIdentity now;
    return watch.HasIdentity && ui::FileIdentityOf(watch.Path, now) && now != watch.Identity;
}

bool TKesShellChangeNotifier::WatchQuiet(const std::wstring& path) {
    auto it = FindWatch(path);
    return it != FWatches.end() && it->Handle && !Signalled(it->Handle.Get());
}

bool TKesShellChangeNotifier::RootWatchQuiet() {
    // Nothing above the root is watched: its identity is checked here.
    ui::TFileIdentity now;
    // A share is not opened at all: one that is offline may hold the call
    // until the network gives up.
    return FRootWatch.Handle && FRootWatch.HasIdentity && !ui::IsRemotePath(FRootWatch.Path) &&
           ui::FileIdentityOf(FRootWatch.Path, now) && now == FRootWatch.Identity && !Signalled(FRootWatch.Handle.Get());
}

bool TKesShellChangeNotifier::WatchReplaced(const std::wstring& path) {
    auto it = FindWatch(path);
    return it != FWatches.end() && Replaced(*it);
}

std::vector<std::wstring> TKesShellChangeNotifier::WatchedFolders() const {
    std::vector<std::wstring> paths;
    for (const auto& w : FWatches)
        if (w.Handle) paths.push_back(w.Path);
    return paths;
}

void TKesShellChangeNotifier::WatchRootFolder(LPCITEMIDLIST list) {
    FRootWatch = MakeWatch(IDListToPath(list), CopyIDList(list));
    UpdateWatchTimer();
}

std::vector<TKesShellChangeNotifier::TDirectoryWatch>::iterator TKesShellChangeNotifier::FindWatch(
    const std::wstring& path) {
    return std::find_if(FWatches.begin(), FWatches.end(), [&](const TDirectoryWatch& w) { return SameText(w.Path, path); });
}

bool TKesShellChangeNotifier::WatchFolder(const std::wstring& path, LPCITEMIDLIST list) {
    if (path.empty()) return false;
    if (FindWatch(path) != FWatches.end()) return true;
    TDirectoryWatch watch = MakeWatch(path, CopyIDList(list));
    if (!watch.Handle) return false;
    FWatches.push_back(std::move(watch));
    UpdateWatchTimer();
    return true;
}

void TKesShellChangeNotifier::UnwatchFolder(const std::wstring& path) {
    auto it = FindWatch(path);
    if (it == FWatches.end()) return;
    FWatches.erase(it);
    UpdateWatchTimer();
}

int TKesShellChangeNotifier::WatchCount() const noexcept {
    int n = FRootWatch.Handle ? 1 : 0;
    for (const auto& w : FWatches)
        if (w.Handle) ++n;
    return n;
}

void TKesShellChangeNotifier::UpdateWatchTimer() { FWatchTimer.SetEnabled(FEnabled && WatchCount() > 0); }

void TKesShellChangeNotifier::CheckWatches() {
    if (!FEnabled) return;
    // Collected first: a report changes the tree, which adds and drops
    // watches.
    std::vector<std::pair<TIDList, std::wstring>> changed;
    auto look = [&](TDirectoryWatch& w, bool isRoot) {
        if (!w.Handle || WaitForSingleObject(w.Handle.Get(), 0) != WAIT_OBJECT_0) return;
        // A spent handle (its folder went away, or the system gave up on
        // it) is made anew while the folder is there; otherwise the folder
        // that held it is looked at, which lets the tree drop it.
        if (!FindNextChangeNotification(w.Handle.Get())) {
            TDirectoryWatch fresh = MakeWatch(w.Path, TIDList());
            w.Handle = std::move(fresh.Handle);
            w.Identity = fresh.Identity;
            w.HasIdentity = fresh.HasIdentity;
        }
        if (w.Handle || isRoot)
            changed.emplace_back(CopyIDList(w.List.Get()), w.Path);
        else  // the head without the last item: the parent
            changed.emplace_back(CopyIDListHead(w.List.Get(), IDListCount(w.List.Get())),
                                 w.Path.substr(0, w.Path.find_last_of(L'\\')));
    };
    look(FRootWatch, true);
    for (auto& w : FWatches) look(w, false);
    FWatches.erase(std::remove_if(FWatches.begin(), FWatches.end(), [](const TDirectoryWatch& w) { return !w.Handle; }),
                   FWatches.end());
    UpdateWatchTimer();
    for (auto& [list, path] : changed) ReportFolderUpdate(list.Get(), path);
}

void TKesShellChangeNotifier::ReportFolderUpdate(LPCITEMIDLIST list, const std::wstring& path) {
    // Each watch reports at most once an interval, so these reports skip the
    // shell's repeat suppression: a second change a second after the first
    // must show as well.
    if (ChangeCallback) ChangeCallback(this, neFolderUpdate, list, nullptr);
    DoChange(neFolderUpdate, path, L"");
}

void TKesShellChangeNotifier::DirectoriesChanged() {
    // Paths that left the list end their registrations, and only paths
    // that came are registered: each registration parses its path, and
    // registering every open folder again at each new one took seconds
    // once forty folders were open.
    for (ULONG handle : FDirectories.TakeDropped())
        if (ChangeNotifyDeregister) ChangeNotifyDeregister(handle);
    if (!FRegistered) return;
    if (FDirectories.Count() > 1 && FDirectories[0].empty()) {
        FDirectories.Delete(0);  // the placeholder and its registration go; runs this step again
        return;
    }
    for (int i = 0; i < FDirectories.Count(); ++i)
        if (!FDirectories.Handle(i)) FDirectories.SetHandle(i, RegisterPath(FDirectories[i]));
}

LRESULT TKesShellChangeNotifier::ShellNotify(WPARAM wParam, LPARAM lParam) {
    LONG code = static_cast<LONG>(lParam & kEventCodeMask);
    auto* items = reinterpret_cast<LPCITEMIDLIST*>(wParam);
    LPCITEMIDLIST item1 = items ? items[0] : nullptr;
    LPCITEMIDLIST item2 = items ? items[1] : nullptr;
    TNotificationEvent event = EventOfCode(code);
    std::wstring path1, path2;
    if (event == neImageListChange) {
        // The number's meaning depends on the platform's format of the report;
        // it is taken whole, in the pointer's own width.
        LPCITEMIDLIST value = IsNTPlatform ? item2 : item1;
        path1 = std::to_wstring(reinterpret_cast<intptr_t>(value));
    } else if (event != neAssociationChange) {
        if (code == FLastEventCode && IDListCount(item1) > 0 && FLastIDList && item1 && DesktopFolder &&
            HRESULT_CODE(DesktopFolder->CompareIDs(0, reinterpret_cast<PCUIDLIST_RELATIVE>(item1),
                                                   FLastIDList.Get())) == 0 &&
            ui::TickCount() - FLastTick < 2500)
            return 0;  // the same report again
        path1 = IDListToPath(item1);
        path2 = IDListToPath(item2);
    }
    FLastEventCode = code;
    FLastIDList = CopyIDList(item1);
    FLastTick = ui::TickCount();
    if (ChangeCallback) ChangeCallback(this, event, item1, item2);
    DoChange(event, path1, path2);
    return 0;
}

void TKesShellChangeNotifier::DoChange(TNotificationEvent event, const std::wstring& path1,
                                       const std::wstring& path2) {
    if (OnChange) TKesNotifyThread::Start(FAlive, OnChange, event, path1, path2);
}

void TKesNotifyThread::Start(std::shared_ptr<TKesShellChangeNotifier*> alive, TKesShellNotifierEvent handler,
                             TNotificationEvent event, std::wstring path1, std::wstring path2) {
    // The worker only hands the call over; the check that the notifier still
    // exists runs on the UI thread, where the notifier is destroyed too.
    std::thread([alive = std::move(alive), handler = std::move(handler), event, path1 = std::move(path1),
                 path2 = std::move(path2)] {
        // The handler's own errors are reported on the UI thread; whatever
        // fails here is logged, since a thread's entry lets nothing out.
        try {
            ui::Synchronize([&] {
                if (*alive) handler(*alive, event, path1, path2);
            });
        } catch (...) {
            ui::LogException(L"TKesNotifyThread", L"Execute");
        }
    }).detach();
}
