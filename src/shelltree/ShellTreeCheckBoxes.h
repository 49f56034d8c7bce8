// The shell tree's check boxes: a state picture on every node whose index
// is the node's state in the link hub's selection list, and the clicks on
// them that check or uncheck a path.
#pragma once

#include <memory>

#include "ui/ImageList.h"
#include "ui/TreeView.h"

class TKesShellTree;

// The five check-box pictures, one per selection state, so that a node's
// state index is its state: themed where visual styles draw, classic
// otherwise.
class TKesSelectionStateImageList : public ui::TImageList {
public:
    TKesSelectionStateImageList();
};

class TKesShellTreeCheckBoxes {
public:
    explicit TKesShellTreeCheckBoxes(TKesShellTree& tree) noexcept : FTree(tree) {}
    TKesShellTreeCheckBoxes(const TKesShellTreeCheckBoxes&) = delete;
    TKesShellTreeCheckBoxes& operator=(const TKesShellTreeCheckBoxes&) = delete;

    bool Shown() const noexcept { return FShown; }
    // Gives the tree its state pictures, or takes them away.
    void SetShown(bool value);

    // Reads a node's state from the hub's list, while boxes show and a hub is linked.
    void UpdateState(ui::TTreeNode* node);
    // The node and its ancestors below the root.
    void UpdateStatesUp(ui::TTreeNode* node);
    // The node and its open descendants.
    void UpdateStatesDown(ui::TTreeNode* node);
    // A click on a node's check box; true when it was one.
    bool Click(int x, int y);

private:
    TKesShellTree& FTree;
    bool FShown = false;
    std::unique_ptr<TKesSelectionStateImageList> FStateImages;
};
