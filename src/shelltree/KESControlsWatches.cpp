// The notifier's watches of the file system: a change handle per folder,
// or one subtree watch on the root's folder that covers the folders below.
#include "shelltree/KESControls.h"

#include <algorithm>
#include <utility>

#include "shell/ShellBrowser.h"
#include "ui/Profile.h"

namespace {

ui::TProfileCounter WatchCounter("directory watch: start");

bool Signalled(HANDLE handle) { return WaitForSingleObject(handle, 0) != WAIT_TIMEOUT; }

// The folder that holds an entry, as the tree names folders.
std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring WithoutTrailingSlash(std::wstring path) {
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

// A name the system reported in its short form, as the tree knows it.
std::wstring LongForm(const std::wstring& path) {
    if (path.find(L'~') == std::wstring::npos) return path;
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetLongPathNameW(path.c_str(), buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : path;
}

}  // namespace

bool TKesShellChangeNotifier::TChangeHandle::Open(const std::wstring& path) {
    FHandle.Reset(FindFirstChangeNotificationW(
        path.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES));
    FMark = FHandle ? ui::TFolderHandleMark(path) : ui::TFolderHandleMark();
    return static_cast<bool>(FHandle);
}

void TKesShellChangeNotifier::DecideWatchMode() {
    if (FWatchMode != wmPending) return;
    const TSubtreeProbeAnswer answer = SubtreeProbeAnswer();
    if (answer == TSubtreeProbeAnswer::Pending) return;
    SetWatchMode(answer == TSubtreeProbeAnswer::Subtree ? wmSubtree : wmFolders);
    if (OnLogInfo) OnLogInfo(SubtreeProbeReport());
}

void TKesShellChangeNotifier::SetWatchMode(TWatchMode mode) {
    const bool subtree = FWatchMode == wmSubtree;
    FWatchMode = mode;
    if ((mode == wmSubtree) == subtree) return;
    // What the root's handle saw before it goes is still reported.
    if (FRootWatch.Handle && Signalled(FRootWatch.Handle.Get())) FRootWatch.Changed = true;
    Arm(FRootWatch, true);
    UpdateWatchTimer();
}

bool TKesShellChangeNotifier::Covers(const std::wstring& path) const {
    if (!FSubtree) return false;
    const std::wstring root = WithoutTrailingSlash(FSubtree->Folder());
    if (!ui::PathInside(path, root) || path.size() <= root.size() + 1) return false;
    // A junction or link below the root leads elsewhere, where the subtree
    // watch does not follow.
    for (size_t slash = path.find(L'\\', root.size() + 1);; slash = path.find(L'\\', slash + 1)) {
        const DWORD attributes = GetFileAttributesW(path.substr(0, slash).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
        if (slash == std::wstring::npos) return true;
    }
}

void TKesShellChangeNotifier::Arm(TDirectoryWatch& watch, bool isRoot) {
    ui::TProfileScope profile(WatchCounter);
    watch.Handle.Reset();
    watch.Covered = false;
    watch.HasIdentity = false;
    if (isRoot) FSubtree.reset();
    if (!watch.Path.empty() && !FSuspended) {
        if (isRoot && FWatchMode == wmSubtree) {
            FSubtree = TSubtreeWatch::Open(watch.Path);
            watch.Covered = FSubtree != nullptr;
        } else if (!isRoot) {
            watch.Covered = Covers(watch.Path);
        }
        if (!watch.Covered) watch.Handle.Open(watch.Path);
        watch.HasIdentity = watch.Alive() && ui::FileIdentityOf(watch.Path, watch.Identity);
    }
    if (isRoot) UpdateCover();
}

void TKesShellChangeNotifier::UpdateCover() {
    for (auto& w : FWatches) {
        const bool covered = Covers(w.Path);
        if (covered == w.Covered && w.Alive()) continue;
        // What its handle saw before it goes is still reported.
        if (w.Handle && Signalled(w.Handle.Get())) w.Changed = true;
        Arm(w, false);
    }
}

void TKesShellChangeNotifier::DrainSubtree() {
    if (!FSubtree) return;
    std::vector<std::wstring> entries;
    bool overflow = false;
    const bool alive = FSubtree->Take(entries, overflow);
    const std::wstring root = WithoutTrailingSlash(FSubtree->Folder());
    std::wstring marked;  // a burst in one folder is looked up once
    for (const std::wstring& entry : entries) {
        const std::wstring folder = FolderOf(entry);
        if (!marked.empty() && folder == marked) continue;
        if (SameText(folder, root)) {
            FRootWatch.Changed = true;
            marked = folder;
            continue;
        }
        auto it = FindWatch(folder);
        if (it == FWatches.end()) it = FindWatch(LongForm(folder));
        if (it != FWatches.end()) {
            it->Changed = true;
            marked = folder;
        } else if (auto self = FindWatch(entry); self != FWatches.end()) {
            // A watched folder named anew or deleted in a folder not watched.
            self->ParentChanged = true;
        }
    }
    if (alive && !overflow) return;
    // Names were lost, or the watch ended: every folder may have changed.
    FRootWatch.Changed = true;
    for (auto& w : FWatches)
        if (w.Covered) w.Changed = true;
    // The folder there now, if any, is watched anew; without it the others
    // fall back to handles of their own.
    if (!alive) Arm(FRootWatch, true);
}

bool TKesShellChangeNotifier::Rearm(TDirectoryWatch& watch, bool isRoot) {
    // A folder deleted and made again under the same path leaves a handle
    // that never fires again: its identity tells.
    ui::TFileIdentity now;
    const bool exists = !watch.Path.empty() && ui::FileIdentityOf(watch.Path, now);
    if (watch.Alive() && exists && watch.HasIdentity && now == watch.Identity) return true;
    if (!exists) return watch.Alive();
    Arm(watch, isRoot);
    return watch.Alive();
}

bool TKesShellChangeNotifier::RearmWatch(const std::wstring& path) {
    if (!FSuspended) DrainSubtree();
    auto it = FindWatch(path);
    if (it == FWatches.end()) return false;
    if (FSuspended) return true;  // armed again on resuming
    const bool alive = Rearm(*it, false);
    if (!alive) FWatches.erase(it);
    UpdateWatchTimer();
    return alive;
}

bool TKesShellChangeNotifier::RearmRootWatch() {
    if (FSuspended) return false;
    DrainSubtree();
    const bool alive = Rearm(FRootWatch, true);
    UpdateWatchTimer();
    return alive;
}

// A folder moved away, or deleted and made anew, under the watched path
// keeps a handle that sees nothing of the folder there now: its identity
// tells.
bool TKesShellChangeNotifier::Replaced(const TDirectoryWatch& watch) {
    ui::TFileIdentity now;
    return watch.HasIdentity && ui::FileIdentityOf(watch.Path, now) && now != watch.Identity;
}

bool TKesShellChangeNotifier::WatchQuiet(const std::wstring& path) {
    if (FSuspended) return false;
    DrainSubtree();
    auto it = FindWatch(path);
    return it != FWatches.end() && it->Alive() && !it->Changed && !(it->Handle && Signalled(it->Handle.Get()));
}

bool TKesShellChangeNotifier::RootWatchQuiet() {
    if (FSuspended) return false;
    DrainSubtree();
    // Nothing above the root is watched: its identity is checked here.
    ui::TFileIdentity now;
    const TDirectoryWatch& root = FRootWatch;
    // A share is not opened at all: one that is offline may hold the call
    // until the network gives up.
    return root.Alive() && root.HasIdentity && !ui::IsRemotePath(root.Path) && ui::FileIdentityOf(root.Path, now) &&
           now == root.Identity && !root.Changed && !(root.Handle && Signalled(root.Handle.Get()));
}

bool TKesShellChangeNotifier::WatchReplaced(const std::wstring& path) {
    auto it = FindWatch(path);
    return it != FWatches.end() && Replaced(*it);
}

std::vector<std::wstring> TKesShellChangeNotifier::WatchedFolders() const {
    std::vector<std::wstring> paths;
    for (const auto& w : FWatches)
        if (w.Alive()) paths.push_back(w.Path);
    return paths;
}

void TKesShellChangeNotifier::WatchRootFolder(LPCITEMIDLIST list) {
    DecideWatchMode();
    TDirectoryWatch root;
    root.Path = IDListToPath(list);
    root.List = CopyIDList(list);
    FRootWatch = std::move(root);
    Arm(FRootWatch, true);
    UpdateWatchTimer();
}

std::vector<TKesShellChangeNotifier::TDirectoryWatch>::iterator TKesShellChangeNotifier::FindWatch(
    const std::wstring& path) {
    return std::find_if(FWatches.begin(), FWatches.end(), [&](const TDirectoryWatch& w) { return SameText(w.Path, path); });
}

bool TKesShellChangeNotifier::WatchFolder(const std::wstring& path, LPCITEMIDLIST list) {
    if (path.empty()) return false;
    if (FindWatch(path) != FWatches.end()) return true;
    DecideWatchMode();
    TDirectoryWatch watch;
    watch.Path = path;
    watch.List = CopyIDList(list);
    Arm(watch, false);
    // While suspended it is known, and armed on resuming.
    if (!watch.Alive() && !FSuspended) return false;
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
    int n = FRootWatch.Alive() ? 1 : 0;
    for (const auto& w : FWatches)
        if (w.Alive()) ++n;
    return n;
}

void TKesShellChangeNotifier::UpdateWatchTimer() { FWatchTimer.SetEnabled(FEnabled && !FSuspended && WatchCount() > 0); }

void TKesShellChangeNotifier::SuspendWatches() {
    FSuspended = true;
    FSubtree.reset();
    FRootWatch.Handle.Reset();
    FRootWatch.Covered = false;
    for (auto& w : FWatches) {
        w.Handle.Reset();
        w.Covered = false;
    }
    UpdateWatchTimer();
}

void TKesShellChangeNotifier::ResumeWatches() {
    if (!FSuspended) return;
    FSuspended = false;
    DecideWatchMode();
    Arm(FRootWatch, true);  // and the others after it
    // Whatever happened meanwhile is read again; a folder that went is
    // looked for in its parent.
    FRootWatch.Changed = FRootWatch.Alive();
    for (auto& w : FWatches) {
        w.Changed = w.Alive();
        w.ParentChanged = !w.Alive();
    }
    UpdateWatchTimer();
}

void TKesShellChangeNotifier::CheckWatches() {
    if (!FEnabled || FSuspended) return;
    DecideWatchMode();
    DrainSubtree();
    // Collected first: a report changes the tree, which adds and drops
    // watches.
    std::vector<std::pair<TIDList, std::wstring>> changed;
    auto report = [&](TIDList list, std::wstring path) {
        for (const auto& c : changed)
            if (SameText(c.second, path)) return;
        changed.emplace_back(std::move(list), std::move(path));
    };
    auto reportParent = [&](const TDirectoryWatch& w) {  // the head without the last item
        report(CopyIDListHead(w.List.Get(), IDListCount(w.List.Get())), FolderOf(w.Path));
    };
    auto look = [&](TDirectoryWatch& w, bool isRoot) {
        bool fired = std::exchange(w.Changed, false);
        const bool parent = std::exchange(w.ParentChanged, false) && !isRoot;
        if (w.Handle && Signalled(w.Handle.Get())) {
            fired = true;
            // A spent handle (its folder went away, or the system gave up on
            // it) is made anew while the folder is there; otherwise the
            // folder that held it is looked at, which lets the tree drop it.
            if (!FindNextChangeNotification(w.Handle.Get())) Arm(w, isRoot);
        }
        if (fired && (w.Alive() || isRoot))
            report(CopyIDList(w.List.Get()), w.Path);
        else if (fired)
            reportParent(w);
        if (parent) reportParent(w);
    };
    look(FRootWatch, true);
    for (auto& w : FWatches) look(w, false);
    FWatches.erase(std::remove_if(FWatches.begin(), FWatches.end(), [](const TDirectoryWatch& w) { return !w.Alive(); }),
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
