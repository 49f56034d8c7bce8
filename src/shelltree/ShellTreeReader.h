// The shell tree's folder reader: reads a folder into its node when it is
// first opened, and reads it again when it changed. A folder read again is
// matched against the children its node shows (core/FolderReconcile), so
// the node of every entry listed again survives, with its state, its open
// sub-folders and whatever holds or watches it.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/TreeView.h"

class TKesShellTree;
class TKesShellTreeCheckBoxes;
class TKesShellTreeLocator;
class TKesShellTreeNames;
class TKesShellTreeWatches;

class TKesShellTreeReader {
public:
    // openRoot opens the root without asking anyone, once a root read
    // empty has entries again.
    TKesShellTreeReader(TKesShellTree& tree, TKesShellTreeLocator& locator, TKesShellTreeWatches& watches,
                        TKesShellTreeCheckBoxes& checkBoxes, TKesShellTreeNames& names,
                        std::function<void()> openRoot);
    TKesShellTreeReader(const TKesShellTreeReader&) = delete;
    TKesShellTreeReader& operator=(const TKesShellTreeReader&) = delete;

    // Reads a folder node that has no children yet.
    void FillNode(ui::TTreeNode* node);
    // Reads the node's folder again where it was read; with recurse, its
    // open sub-folders too.
    void RefreshNode(ui::TTreeNode* node, bool recurse);
    // Adds the navigator's current object below the parent, when it is
    // shown at all; its display text may be passed when already known.
    ui::TTreeNode* AddChildItem(ui::TTreeNode* parent, const std::wstring* displayText = nullptr);
    void SortNode(ui::TTreeNode* node, IShellFolder* folder);

    // Folders whose new entries waited for a name's edit to end; handed
    // over once.
    std::vector<ui::TTreeNode*> TakeAddsWaiting() noexcept;
    // A node leaves the tree: nothing here refers to it any more.
    void Forget(ui::TTreeNode* node) noexcept;

private:
    // Whether the navigator's current object is shown at all.
    bool IncludeItem();
    // Whether the navigator's current object gets an expand button.
    bool ObjectHasChildren();
    // Flags and check state of a node from the navigator's current object.
    void UpdateNodeAttributes(ui::TTreeNode* node);
    int CompareItems(ui::TTreeNode* a, ui::TTreeNode* b, IShellFolder* folder) const;
    // Lists the folder the navigator entered and applies the matching to
    // the node's children, but for the removals: the children that went
    // are returned, in their order. added tells whether anything was new.
    std::vector<ui::TTreeNode*> ReadAgain(ui::TTreeNode* node, bool& added);

    TKesShellTree& FTree;
    TKesShellTreeLocator& FLocator;
    TKesShellTreeWatches& FWatches;
    TKesShellTreeCheckBoxes& FCheckBoxes;
    TKesShellTreeNames& FNames;
    std::function<void()> FOpenRoot;
    // Folders a refresh found new entries in while a name was edited.
    std::vector<ui::TTreeNode*> FAddsWaiting;
};
