// The shell tree finding the node of an item without the user's help:
// locating by item-ID list, the selected folder, and following changes.
#include "shelltree/ShellControls.h"

#include <algorithm>
#include <memory>

#include "ui/Dialogs.h"
#include "ui/ScopeExit.h"

bool TKesShellTree::StartsWithRoot(LPCITEMIDLIST list, const TKesShellTreeItem& root, UINT k, UINT n) const {
    if (n <= k) return false;
    if (k == 0) return true;  // the desktop holds everything
    LPCITEMIDLIST rootList = root.AbsoluteIDList.Get();
    // The root folder's own item carries its write time, which changes with
    // every entry that comes or goes, so a deep comparison of the whole
    // head would bind every level. The items above it rarely differ and
    // compare by their bytes; the root's own item is compared in the folder
    // that holds it, which binds nothing.
    TIDList above = CopyIDListHead(list, k - 1);
    TIDList rootAbove = CopyIDListHead(rootList, k - 1);
    if (!SameIDs(DesktopFolder, above.Get(), rootAbove.Get())) return false;
    TIDList item = CopyIDListItem(list, k - 1);
    TIDList rootItem = CopyIDListItem(rootList, k - 1);
    return SameIDs(root.ParentFolder.Get(), item.Get(), rootItem.Get());
}

bool TKesShellTree::LocateNode(LPCITEMIDLIST list, TLocateMode mode) {
    if (!list) return false;
    // The hourglass and the update bracket come only when nodes change: a
    // walk that only finds a folder to refresh later costs no redraw, which
    // matters when reports come by the thousand.
    std::unique_ptr<ui::TWaitCursor> wait;
    std::unique_ptr<ui::TUpdateScope> update;
    auto changing = [&] {
        if (!update) {
            wait = std::make_unique<ui::TWaitCursor>();
            update = std::make_unique<ui::TUpdateScope>(Items);
        }
    };
    ui::TTreeNode* target = nullptr;
    bool result = false;
    {
        // While a refresh locates, nodes below the root do not expand.
        ui::TRestoreOnExit<bool> keep(AllowDeepExpand, mode != lmRefresh);

        for (ui::TTreeNode* root = Items.GetFirstNode(); root; root = root->GetNextSibling()) {
            TKesShellTreeItem* rootItem = ItemOf(root);
            if (!rootItem) continue;
            if (SameIDs(DesktopFolder, list, rootItem->AbsoluteIDList.Get())) {
                target = root;
                break;
            }
            const UINT k = IDListCount(rootItem->AbsoluteIDList.Get());
            const UINT n = IDListCount(list);
            // Only a list below the root leads to a node of this root: one
            // elsewhere at the same depth as a child must not hit (or
            // delete) that child. Selecting such a list selects the root.
            if (!StartsWithRoot(list, *rootItem, k, n)) {
                if (mode == lmSelect) target = root;
                continue;
            }
            ui::TTreeNode* v = root;
            UINT level = 0;
            TIDList step = CopyIDListItem(list, k);
            bool reached = false;
            while (level + k < n) {
                if (mode == lmSelect) {
                    changing();
                    v->SetHasChildren(true);
                    v->Expand(false);
                } else if (!v->Expanded() && v->GetFirstChild() && v->Parent()) {  // the root is never emptied
                    changing();
                    Unfill(v);
                }
                ui::TTreeNode* found = FindChild(v, step.Get());
                if (!found) break;
                v = found;
                ++level;
                step = CopyIDListItem(list, k + level);
                if (level + k >= n) reached = true;
            }
            if (reached) {
                target = v;
                result = true;
                break;
            }
            if (mode == lmRefreshParent || mode == lmDelete) mode = lmRefresh;
            if (IsNetworkIDList(list)) {
                changing();
                Navigator->SetFolderIDList(ItemOf(v)->AbsoluteIDList.Get());
                Navigator->SetObjectIDList(step.Get());
                target = AddChildItem(v);
                result = true;
                break;
            }
            target = v;
        }
    }
    if (target) {
        if (!FDeferRefresh || mode == lmSelect || mode == lmDelete) changing();
        switch (mode) {
        case lmSelect:
            ChangeDelay = 0;
            target->SetSelected(true);
            SendMessageW(Handle(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(target->ItemId()));
            break;
        case lmRefresh:
            if (FDeferRefresh)
                QueueRefresh(target);
            else
                RefreshNode(target, false);
            break;
        case lmRefreshParent:
            if (ui::TTreeNode* parent = target->Parent()) {
                if (FDeferRefresh)
                    QueueRefresh(parent);
                else
                    RefreshNode(parent, false);
            }
            break;
        case lmDelete:
            if (FNodeHold > 0) {
                // Held: its folder's refresh drops it once the hold ends.
                QueueRefresh(target->Parent() ? target->Parent() : target);
                break;
            }
            if (target->Selected()) ChangeDelay = 0;
            target->Delete();
            break;
        }
    }
    return result;
}

void TKesShellTree::SelectItemIDList(LPCITEMIDLIST list) {
    if (!list) return;
    if (SameIDs(DesktopFolder, list, EmptyIDList))
        SetSpecialFolder(SF_DESKTOP);
    else
        LocateNode(list, lmSelect);
}

bool TKesShellTree::SelectParentNode() {
    ui::TTreeNode* selected = Selected();
    ui::TTreeNode* parent = selected ? selected->Parent() : nullptr;
    if (!parent) return false;
    parent->SetSelected(true);
    NotifyLinkSelection(parent);
    return true;
}

std::wstring TKesShellTree::SelectedFolder() {
    if (Loading()) return StoredSelectedFolder;
    ui::TTreeNode* selected = Selected();
    if (!ItemOf(selected)) return {};
    std::wstring path = GetNodePath(selected);
    if (path.empty()) {
        TKesShellFolder special = SpecialFolder();
        if (special != SF_FILESYSTEMFOLDER) path = SpecialFolderPath(special);
    }
    return path;
}

void TKesShellTree::SetSelectedFolder(const std::wstring& path) {
    if (Loading()) {
        if (StoredSpecialFolder == SF_FILESYSTEMFOLDER || StoredSpecialFolder == SF_DRIVES) {
            StoredSelectedFolder = path;
            StoredSpecialFolder = SF_FILESYSTEMFOLDER;
        }
        return;
    }
    if (path.empty()) {
        if (RootedAt() == SF_DESKTOP)
            SetSpecialFolder(SF_DRIVES);
        else if (ui::TTreeNode* first = Items.GetFirstNode())
            first->SetSelected(true);
        return;
    }
    if (!Items.GetFirstNode() || !DesktopFolder) return;
    HRESULT parsed = S_OK;
    for (ui::TTreeNode* root = Items.GetFirstNode(); root; root = root->GetNextSibling()) {
        std::wstring buffer = path.substr(0, MAX_PATH - 1);
        ULONG eaten = 0;
        TIDList list;
        parsed = DesktopFolder->ParseDisplayName(Handle(), nullptr, buffer.data(), &eaten, list.Put(), nullptr);
        if (SUCCEEDED(parsed) && list && LocateNode(list.Get(), lmSelect)) break;
    }
    if (FAILED(parsed) && HasOption(soShowErrorMessages))
        ui::ShowMessage(path + L": " + SysErrorText(static_cast<DWORD>(parsed)));
}

TKesShellFolder TKesShellTree::SpecialFolder() {
    if (Loading()) return StoredSpecialFolder;
    TKesShellTreeItem* item = ItemOf(Selected());
    return item ? FindSpecialFolder(item->AbsoluteIDList.Get()) : SF_FILESYSTEMFOLDER;
}

void TKesShellTree::SetSpecialFolder(TKesShellFolder value) {
    if (Loading()) {
        StoredSpecialFolder = value;
        if (value != SF_FILESYSTEMFOLDER) StoredSelectedFolder.clear();
        return;
    }
    if (value == SF_FILESYSTEMFOLDER) return;
    Navigator->SetSpecialFolder(value);
    TIDList folder = Navigator->CopyFolderIDList();
    LocateNode(folder.Get(), lmSelect);
}

void TKesShellTree::ShellChanged(TKesShellChangeNotifier*, TNotificationEvent event, LPCITEMIDLIST item1,
                                 LPCITEMIDLIST item2) {
    if (Loading()) return;
    ui::TRestoreOnExit<bool> defer(FDeferRefresh, true);
    switch (event) {
    case neFileDelete:
    case neDriveRemove:
    case neFolderDelete:
        LocateNode(item1, lmDelete);
        break;
    case neFileCreate:
    case neFolderCreate:
    case neFolderUpdate:
    case neNetShare:
    case neNetUnShare:
        LocateNode(item1, lmRefresh);
        break;
    case neFolderRename:
        LocateNode(item1, lmRefreshParent);
        LocateNode(item2, lmRefreshParent);
        break;
    default:
        LocateNode(item1, lmRefreshParent);
        break;
    }
}

namespace {
constexpr UINT kRunRefreshes = WM_APP + 0x271;
}  // namespace

ui::TTreeNode* TKesShellTree::FindChild(ui::TTreeNode* parent, LPCITEMIDLIST item) {
    ui::TTreeNode* first = parent->GetFirstChild();
    TKesShellTreeItem* firstItem = ItemOf(first);
    if (!firstItem || !item) return nullptr;
    // Children are matched by display text as a refresh matches them; the
    // shell confirms the item, so two items with one text stay apart.
    std::wstring text = DisplayNameOf(firstItem->ParentFolder.Get(), item);
    if (text.empty()) {
        for (ui::TTreeNode* c = first; c; c = c->GetNextSibling()) {
            TKesShellTreeItem* ci = ItemOf(c);
            if (ci && SameIDs(ci->ParentFolder.Get(), item, ci->RelativeIDList.Get())) return c;
        }
        return nullptr;
    }
    auto built = FChildIndex.find(parent);
    if (built == FChildIndex.end()) {
        auto& index = FChildIndex[parent];
        for (ui::TTreeNode* c = first; c; c = c->GetNextSibling()) index.emplace(c->Text(), c);
        built = FChildIndex.find(parent);
    }
    auto range = built->second.equal_range(text);
    for (auto it = range.first; it != range.second; ++it) {
        TKesShellTreeItem* ci = ItemOf(it->second);
        if (ci && SameIDs(ci->ParentFolder.Get(), item, ci->RelativeIDList.Get())) return it->second;
    }
    return nullptr;
}

void TKesShellTree::IndexChild(ui::TTreeNode* parent, ui::TTreeNode* child) {
    auto it = FChildIndex.find(parent);
    if (it != FChildIndex.end()) it->second.emplace(child->Text(), child);
}

void TKesShellTree::UnindexChild(ui::TTreeNode* node) {
    auto it = FChildIndex.find(node->Parent());
    if (it == FChildIndex.end()) return;
    auto range = it->second.equal_range(node->Text());
    for (auto e = range.first; e != range.second; ++e) {
        if (e->second == node) {
            it->second.erase(e);
            return;
        }
    }
}

void TKesShellTree::QueueRefresh(ui::TTreeNode* node) {
    if (std::find(FQueuedRefresh.begin(), FQueuedRefresh.end(), node) == FQueuedRefresh.end())
        FQueuedRefresh.push_back(node);
    if (!FRefreshPosted && HandleAllocated()) FRefreshPosted = PostMessageW(Handle(), kRunRefreshes, 0, 0) != FALSE;
}

void TKesShellTree::RunQueuedRefreshes() {
    FRefreshPosted = false;
    if (FQueuedRefresh.empty() || FNodeHold > 0) return;  // the hold's end asks again
    ui::TUpdateScope update(Items);
    while (!FQueuedRefresh.empty()) {
        ui::TTreeNode* node = FQueuedRefresh.front();
        FQueuedRefresh.erase(FQueuedRefresh.begin());
        RefreshNode(node, false);
    }
}

void TKesShellTree::EndNodeHold() noexcept {
    if (--FNodeHold > 0 || FQueuedRefresh.empty() || FRefreshPosted || !HandleAllocated()) return;
    FRefreshPosted = PostMessageW(Handle(), kRunRefreshes, 0, 0) != FALSE;
}

bool TKesShellTree::WndProc(ui::TMessage& msg) {
    if (msg.Msg == kRunRefreshes) {
        RunQueuedRefreshes();
        return true;
    }
    if (msg.Msg == WM_PAINT) SystemImages();
    if (msg.Msg == WM_LBUTTONDOWN &&
        CheckBoxClick(static_cast<short>(LOWORD(msg.LParam)), static_cast<short>(HIWORD(msg.LParam))))
        return true;  // the control neither selects the node nor starts a drag
    if (msg.Msg == WM_LBUTTONDOWN || msg.Msg == WM_RBUTTONDOWN) {
        // The control keeps the pressed node until the release, or through
        // the drag it starts, dispatching timers and posted reports meanwhile.
        TNodeHold hold(*this);
        return ui::TCustomTreeView::WndProc(msg);
    }
    if (msg.Msg == WM_DESTROY && FShellLink) FShellLink->UnregisterControl(this);
    if (msg.Msg == WM_DESTROY && FDropTargetRegistered) {
        RevokeDragDrop(Handle());  // OLE lets go of the tree before its window goes
        FDropTargetRegistered = false;
    }
    return ui::TCustomTreeView::WndProc(msg);
}
