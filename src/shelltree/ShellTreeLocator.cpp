// The walk from the root to an item's node, the child index it uses, and
// the queue of refreshes that change reports ask for.
#include "shelltree/ShellTreeLocator.h"

#include <algorithm>
#include <memory>

#include "shelltree/ShellControls.h"
#include "ui/ScopeExit.h"
#include "ui/TreeViewCalls.h"

namespace {
constexpr UINT kRunRefreshes = WM_APP + 0x271;

std::string ItemBytes(LPCITEMIDLIST item) {
    return std::string(reinterpret_cast<const char*>(item), IDListSize(item));
}
}  // namespace

bool TKesShellTreeLocator::StartsWithRoot(LPCITEMIDLIST list, const TKesShellTreeItem& root, UINT k, UINT n) const {
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

bool TKesShellTreeLocator::LocateNode(LPCITEMIDLIST list, TLocateMode mode) {
    if (!list) return false;
    // The hourglass and the update bracket come only when nodes change: a
    // walk that only finds a folder to refresh later costs no redraw, which
    // matters when reports come by the thousand.
    std::unique_ptr<ui::TWaitCursor> wait;
    std::unique_ptr<ui::TUpdateScope> update;
    auto changing = [&] {
        if (!update) {
            wait = std::make_unique<ui::TWaitCursor>();
            update = std::make_unique<ui::TUpdateScope>(FTree.Items);
        }
    };
    ui::TTreeNode* target = nullptr;
    bool result = false;
    {
        // While a refresh locates, nodes below the root do not expand.
        ui::TRestoreOnExit<bool> keep(FTree.AllowDeepExpand, mode != lmRefresh);

        for (ui::TTreeNode* root = FTree.Items.GetFirstNode(); root; root = root->GetNextSibling()) {
            TKesShellTreeItem* rootItem = TKesShellTree::ItemOf(root);
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
                    FTree.Unfill(v);
                }
                std::wstring text;
                ui::TTreeNode* found = FindChild(v, step.Get(), &text);
                if (!found) {
                    // The folder is refreshed below, and the refresh adds
                    // the item with the text already asked.
                    if (mode != lmSelect && !text.empty() && !IsNetworkIDList(list))
                        FKnownTexts[v][ItemBytes(step.Get())] = std::move(text);
                    break;
                }
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
                FTree.Navigator->SetFolderIDList(TKesShellTree::ItemOf(v)->AbsoluteIDList.Get());
                FTree.Navigator->SetObjectIDList(step.Get());
                target = FTree.AddChildItem(v);
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
            FTree.ChangeDelay = 0;
            target->SetSelected(true);
            ui::treeview::EnsureVisible(FTree.Handle(), target->ItemId());
            break;
        case lmRefresh:
            if (FDeferRefresh)
                QueueRefresh(target);
            else
                FTree.RefreshNode(target, false);
            break;
        case lmRefreshParent:
            if (ui::TTreeNode* parent = target->Parent()) {
                if (FDeferRefresh)
                    QueueRefresh(parent);
                else
                    FTree.RefreshNode(parent, false);
            }
            break;
        case lmDelete:
            if (FNodeHold > 0) {
                // Held: its folder's refresh drops it once the hold ends.
                QueueRefresh(target->Parent() ? target->Parent() : target);
                break;
            }
            if (target->Selected()) FTree.ChangeDelay = 0;
            target->Delete();
            break;
        }
    }
    return result;
}

ui::TTreeNode* TKesShellTreeLocator::FindChild(ui::TTreeNode* parent, LPCITEMIDLIST item, std::wstring* asked) {
    ui::TTreeNode* first = parent->GetFirstChild();
    TKesShellTreeItem* firstItem = TKesShellTree::ItemOf(first);
    if (!firstItem || !item) return nullptr;
    // Children are matched by display text as a refresh matches them; the
    // shell confirms the item, so two items with one text stay apart.
    std::wstring text = DisplayNameOf(firstItem->ParentFolder.Get(), item);
    if (asked) *asked = text;
    if (text.empty()) {
        for (ui::TTreeNode* c = first; c; c = c->GetNextSibling()) {
            TKesShellTreeItem* ci = TKesShellTree::ItemOf(c);
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
        TKesShellTreeItem* ci = TKesShellTree::ItemOf(it->second);
        if (ci && SameIDs(ci->ParentFolder.Get(), item, ci->RelativeIDList.Get())) return it->second;
    }
    return nullptr;
}

void TKesShellTreeLocator::IndexChild(ui::TTreeNode* parent, ui::TTreeNode* child) {
    auto it = FChildIndex.find(parent);
    if (it != FChildIndex.end()) it->second.emplace(child->Text(), child);
}

void TKesShellTreeLocator::UnindexChild(ui::TTreeNode* node) {
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

void TKesShellTreeLocator::QueueRefresh(ui::TTreeNode* node) {
    if (std::find(FQueuedRefresh.begin(), FQueuedRefresh.end(), node) == FQueuedRefresh.end())
        FQueuedRefresh.push_back(node);
    PostRun();
}

void TKesShellTreeLocator::RunQueuedRefreshes() {
    FRefreshPosted = false;
    if (FQueuedRefresh.empty() || FNodeHold > 0) return;  // the hold's end asks again
    ui::TUpdateScope update(FTree.Items);
    while (!FQueuedRefresh.empty()) {
        ui::TTreeNode* node = FQueuedRefresh.front();
        FQueuedRefresh.erase(FQueuedRefresh.begin());
        FTree.RefreshNode(node, false);
    }
}

bool TKesShellTreeLocator::HandleMessage(UINT msg) {
    if (msg != kRunRefreshes) return false;
    RunQueuedRefreshes();
    return true;
}

void TKesShellTreeLocator::PostRun() noexcept {
    if (FRefreshPosted || !FTree.HandleAllocated()) return;
    FRefreshPosted = PostMessageW(FTree.Handle(), kRunRefreshes, 0, 0) != FALSE;
}

void TKesShellTreeLocator::EndHold() noexcept {
    if (--FNodeHold > 0 || FQueuedRefresh.empty()) return;
    PostRun();
}

std::wstring TKesShellTreeLocator::KnownText(ui::TTreeNode* parent, LPCITEMIDLIST item) const {
    auto folder = FKnownTexts.find(parent);
    if (folder == FKnownTexts.end() || !item) return {};
    auto known = folder->second.find(ItemBytes(item));
    return known == folder->second.end() ? std::wstring() : known->second;
}

void TKesShellTreeLocator::Forget(ui::TTreeNode* node) {
    UnindexChild(node);
    FChildIndex.erase(node);
    FKnownTexts.erase(node);
    FQueuedRefresh.erase(std::remove(FQueuedRefresh.begin(), FQueuedRefresh.end(), node), FQueuedRefresh.end());
}
