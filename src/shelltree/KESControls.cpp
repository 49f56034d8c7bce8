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
    // Off this thread; until it answers, each folder has a handle of its own.
    StartSubtreeProbe();
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
