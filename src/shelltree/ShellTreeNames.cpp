#include "shelltree/ShellTreeNames.h"

#include <algorithm>
#include <vector>

#include "shelltree/ShellControls.h"

namespace {
// About 5 to 20 ms of the shell's time under Wine: input waits no longer.
constexpr int kNamesPerTick = 40;
}  // namespace

TKesShellTreeNames::TKesShellTreeNames(TKesShellTree& tree, std::function<void(ui::TTreeNode*)> sortChildren)
    : FTree(tree), FSortChildren(std::move(sortChildren)) {
    FTimer.SetInterval(USER_TIMER_MINIMUM);
    FTimer.OnTimer = [this] { Check(kNamesPerTick); };
}

void TKesShellTreeNames::Mark(ui::TTreeNode* node) {
    TKesShellTreeItem* item = TKesShellTree::ItemOf(node);
    if (!item) return;
    item->NameToCheck = true;
    FNext = nullptr;  // the walk starts at the top again
    FTimer.SetEnabled(true);
}

void TKesShellTreeNames::Check(int most) {
    // A name being edited is left alone until the edit ends, which is
    // looked for now and then only.
    const bool editing = FTree.IsEditing();
    FTimer.SetInterval(editing ? 200 : USER_TIMER_MINIMUM);
    if (editing) return;
    if (!FNext || TKesShellTreeItem::RecordsGone != FRecordsGoneSeen) {
        FNext = FTree.Items.GetFirstNode();
        FRecordsGoneSeen = TKesShellTreeItem::RecordsGone;
    }
    std::vector<ui::TTreeNode*> renamedIn;
    ui::TTreeNode* node = FNext;
    for (int asked = 0; node && asked < most; node = node->GetNext()) {
        TKesShellTreeItem* item = TKesShellTree::ItemOf(node);
        if (!item || !item->NameToCheck) continue;
        item->NameToCheck = false;
        ++asked;
        const std::wstring text = DisplayNameOf(item->ParentFolder.Get(), item->RelativeIDList.Get());
        if (text.empty() || text == node->Text()) continue;
        node->SetText(text);
        if (std::find(renamedIn.begin(), renamedIn.end(), node->Parent()) == renamedIn.end())
            renamedIn.push_back(node->Parent());
    }
    FNext = node;
    if (!renamedIn.empty()) {
        for (ui::TTreeNode* parent : renamedIn)
            if (parent) FSortChildren(parent);
        FNext = nullptr;  // the order changed: the rest is sought from the top
        return;
    }
    if (!node) FTimer.SetEnabled(false);
}
