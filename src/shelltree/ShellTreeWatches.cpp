// The shell tree's folder watches and its notifier's hook-up.
#include "shelltree/ShellTreeWatches.h"

#include <utility>

#include "shelltree/ShellControls.h"
#include "ui/Profile.h"

namespace {
ui::TProfileCounter RearmCounter("directory watch: check");
}  // namespace

namespace {

// The reports the tree follows: drives, media, shares and folders; the
// free space of a drive and a file's own changes are no business of a tree
// of folders.
constexpr TNotificationEvents kTreeEvents =
    EventBit(neDriveAdd) | EventBit(neDriveRemove) | EventBit(neShellDriveAdd) | EventBit(neMediaInsert) |
    EventBit(neMediaRemove) | EventBit(neFolderCreate) | EventBit(neFolderDelete) | EventBit(neFolderRename) |
    EventBit(neFolderUpdate) | EventBit(neNetShare) | EventBit(neNetUnShare);
static_assert(kTreeEvents == 0x0003FDC0);
// Added while the tree shows files.
constexpr TNotificationEvents kFileEvents = EventBit(neFileCreate) | EventBit(neFileDelete) | EventBit(neFileRename);
static_assert(kFileEvents == 0x38);

}  // namespace

void TKesShellTreeWatches::HookUp() {
    TKesShellChangeNotifier& notifier = *FTree.Notifier;
    notifier.SetEventFilter(kTreeEvents);
    notifier.SetRecursive(false);
    notifier.ChangeCallback = [this](TKesShellChangeNotifier* sender, TNotificationEvent event, LPCITEMIDLIST item1,
                                     LPCITEMIDLIST item2) { FTree.ShellChanged(sender, event, item1, item2); };
}

void TKesShellTreeWatches::FollowFiles() {
    FTree.Notifier->SetEventFilter(FTree.Notifier->EventFilter() | kFileEvents);
}

void TKesShellTreeWatches::Suspend() {
    FTree.Notifier->SuspendWatches();
    // The count of checked folders' sizes lists folders too.
    if (TKesShellLink* link = FTree.ShellLink()) link->SelectionList().StopTotals();
}

void TKesShellTreeWatches::Resume() { FTree.Notifier->ResumeWatches(); }

void TKesShellTreeWatches::Rearm(ui::TTreeNode* node) {
    ui::TProfileScope profile(RearmCounter);
    if (!node->Parent()) {
        FTree.Notifier->RearmRootWatch();
    } else if (auto watched = FWatchedFolders.find(node);
               watched != FWatchedFolders.end() && !FTree.Notifier->RearmWatch(watched->second)) {
        FWatchedFolders.erase(watched);
        WatchOpenFolder(node);
    }
}

bool TKesShellTreeWatches::Quiet(ui::TTreeNode* node) {
    ui::TProfileScope profile(RearmCounter);
    if (!node->Parent()) return FTree.Notifier->RootWatchQuiet();
    auto watched = FWatchedFolders.find(node);
    return watched != FWatchedFolders.end() && FTree.Notifier->WatchQuiet(watched->second);
}

bool TKesShellTreeWatches::Replaced(ui::TTreeNode* node) {
    ui::TProfileScope profile(RearmCounter);
    auto watched = FWatchedFolders.find(node);
    return watched != FWatchedFolders.end() && FTree.Notifier->WatchReplaced(watched->second);
}

namespace {
ULONGLONG FolderWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}
}  // namespace

void TKesShellTreeWatches::NoteReading(ui::TTreeNode* node) {
    TKesShellTreeItem* item = TKesShellTree::ItemOf(node);
    if (!item || !node->Parent() || FWatchedFolders.count(node)) return;
    item->ClosedWriteTime = FolderWriteTime(FTree.GetNodePath(node));
}

void TKesShellTreeWatches::WatchOpenFolder(ui::TTreeNode* node) {
    // The root's folder has a watch of its own for as long as it is the root.
    TKesShellTreeItem* item = TKesShellTree::ItemOf(node);
    if (!node->Parent() || !item || !item->ItemIsFolder || !item->Filled || FWatchedFolders.count(node)) return;
    // Open, or read empty: what comes into it must show.
    if (!node->Expanded() && node->GetFirstChild()) return;
    std::wstring path = FTree.GetNodePath(node);
    if (!FTree.Notifier->WatchFolder(path, item->AbsoluteIDList.Get())) return;
    FWatchedFolders.emplace(node, path);
    // Read before its watch came, or closed with its entries kept unwatched:
    // what changed meanwhile is read now.
    // Taken first: a reading that finds entries in a folder read empty may
    // close it again, and that stores the time its next opening compares.
    const ULONGLONG noted = std::exchange(item->ClosedWriteTime, 0);
    if (noted && FolderWriteTime(path) != noted) FTree.RefreshNode(node, false);
}

void TKesShellTreeWatches::UnwatchFolder(ui::TTreeNode* node, bool closing) {
    auto it = FWatchedFolders.find(node);
    if (it == FWatchedFolders.end()) return;
    if (closing)
        if (TKesShellTreeItem* item = TKesShellTree::ItemOf(node)) item->ClosedWriteTime = FolderWriteTime(it->second);
    FTree.Notifier->UnwatchFolder(it->second);
    FWatchedFolders.erase(it);
}
