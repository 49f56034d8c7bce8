// The shell tree's way from an item to its node: the index of children by
// display text, the walk along an absolute list from the root, and the
// queue of refreshes that change reports ask for.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "ui/TreeView.h"

class TKesShellTree;
struct TKesShellTreeItem;

enum TLocateMode { lmSelect, lmRefresh, lmRefreshParent, lmDelete };

class TKesShellTreeLocator {
public:
    explicit TKesShellTreeLocator(TKesShellTree& tree) noexcept : FTree(tree) {}
    TKesShellTreeLocator(const TKesShellTreeLocator&) = delete;
    TKesShellTreeLocator& operator=(const TKesShellTreeLocator&) = delete;

    // Walks from the root along an absolute list and selects, refreshes or
    // deletes the node it reaches. True when the whole list was reached.
    bool LocateNode(LPCITEMIDLIST list, TLocateMode mode);

    // The child of a node that is the item (relative to the node's folder),
    // found by its display text and confirmed by the shell: no scan.
    // The item's display text, when asked, is left in text.
    ui::TTreeNode* FindChild(ui::TTreeNode* parent, LPCITEMIDLIST item, std::wstring* text = nullptr);
    void IndexChild(ui::TTreeNode* parent, ui::TTreeNode* child);
    void UnindexChild(ui::TTreeNode* node);
    // The display text of an item a report named and its folder's node did
    // not hold yet, kept from the walk until that folder's refresh adds the
    // item, so that the shell is asked once for it. Empty when not known.
    std::wstring KnownText(ui::TTreeNode* parent, LPCITEMIDLIST item) const;
    void ForgetKnownTexts(ui::TTreeNode* parent) { FKnownTexts.erase(parent); }
    // A node leaves the tree: nothing here refers to it any more.
    void Forget(ui::TTreeNode* node);

    // Refreshes asked for by change reports run once the reports waiting
    // in the queue are read: a burst of reports costs one refresh a folder.
    void QueueRefresh(ui::TTreeNode* node);
    void RunQueuedRefreshes();
    // Runs the queue when the message is the one it posted to the tree.
    bool HandleMessage(UINT msg);

    // While it lives, refreshes the walk asks for wait in the queue.
    class TDeferral {
    public:
        explicit TDeferral(TKesShellTreeLocator& locator) noexcept : FLocator(locator), FOld(locator.FDeferRefresh) {
            FLocator.FDeferRefresh = true;
        }
        ~TDeferral() { FLocator.FDeferRefresh = FOld; }
        TDeferral(const TDeferral&) = delete;
        TDeferral& operator=(const TDeferral&) = delete;

    private:
        TKesShellTreeLocator& FLocator;
        bool FOld;
    };

    // While the control tracks a press or a drag, or the shell's menu or a
    // verb's boxes run a loop with a node up the stack, no report deletes a
    // node: deletions become queued refreshes, and the queue waits until the
    // last hold ends.
    class THold {
    public:
        explicit THold(TKesShellTreeLocator& locator) noexcept : FLocator(locator) { ++FLocator.FNodeHold; }
        ~THold() { FLocator.EndHold(); }
        THold(const THold&) = delete;
        THold& operator=(const THold&) = delete;

    private:
        TKesShellTreeLocator& FLocator;
    };

    // A node kept across a loop that dispatches messages (a box, a menu, a
    // drag, a wait for the shell): reports delete nothing meanwhile, and
    // Node() afterwards is the node, or none when something else (a key,
    // a timer) deleted it all the same.
    class TNodeHold {
    public:
        TNodeHold(TKesShellTreeLocator& locator, ui::TTreeNode* node) : FHold(locator), FNode(node) {}
        ui::TTreeNode* Node() const noexcept { return FNode.Get(); }

    private:
        THold FHold;
        ui::TNodeWatch FNode;
    };

private:
    // Whether an absolute list of n items lies below a root of k items.
    bool StartsWithRoot(LPCITEMIDLIST list, const TKesShellTreeItem& root, UINT k, UINT n) const;
    void PostRun() noexcept;
    void EndHold() noexcept;

    TKesShellTree& FTree;
    std::unordered_map<ui::TTreeNode*, std::unordered_multimap<std::wstring, ui::TTreeNode*>> FChildIndex;
    // By folder node, then by the item's bytes.
    std::unordered_map<ui::TTreeNode*, std::unordered_map<std::string, std::wstring>> FKnownTexts;
    std::vector<ui::TTreeNode*> FQueuedRefresh;
    bool FRefreshPosted = false;
    bool FDeferRefresh = false;
    int FNodeHold = 0;
};
