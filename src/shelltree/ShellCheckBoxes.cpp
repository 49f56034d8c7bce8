// The tree's part in keeping linked shell controls in step; its check boxes
// (ShellTreeCheckBoxes.cpp) show the states of the link hub's selection list.
#include "shelltree/ShellControls.h"

bool TKesShellTree::CheckBoxes() const noexcept { return FCheckBoxes->Shown(); }

void TKesShellTree::SetCheckBoxes(bool value) {
    FCheckBoxes->SetShown(value);
    if (ui::TTreeNode* root = Items.GetFirstNode()) RefreshNode(root, true);
}

void TKesShellTree::UpdateStatesUp(ui::TTreeNode* node) { FCheckBoxes->UpdateStatesUp(node); }

void TKesShellTree::UpdateStatesDown(ui::TTreeNode* node) { FCheckBoxes->UpdateStatesDown(node); }

void TKesShellTree::SetShellLink(TKesShellLink* link) {
    if (link == FShellLink) return;
    if (FShellLink) FShellLink->UnregisterControl(this);
    FShellLink = link;
    if (FShellLink) FShellLink->RegisterControl(this);
}

void TKesShellTree::SelectIDList(LPCITEMIDLIST list) {
    // The desktop's empty list: the desktop, whatever the root is.
    if (IDListCount(list) == 0)
        SetSpecialFolder(SF_DESKTOP);
    else
        SelectItemIDList(list);
}

void TKesShellTree::SelectFileIDList(LPCITEMIDLIST folder, LPCITEMIDLIST) { SelectIDList(folder); }

void TKesShellTree::NotifyLinkSelection(ui::TTreeNode* node) {
    TKesShellTreeItem* item = ItemOf(node);
    if (!FShellLink || !item || Loading()) return;
    TKesShellTreeItem* parent = ItemOf(node->Parent());
    if (HasOption(soShowFiles) && !item->ItemIsFolder && parent)
        FShellLink->BroadcastFileSelect(this, parent->AbsoluteIDList.Get(), item->RelativeIDList.Get());
    else
        FShellLink->BroadcastSelect(this, item->AbsoluteIDList.Get());
}
