#include "shelltree/ShellTreeNames.h"

#include "shelltree/ShellControls.h"

namespace {
// About 5 to 20 ms of the shell's time under Wine: input waits no longer.
constexpr int kNamesPerTick = 40;
}  // namespace

TKesShellTreeNames::TKesShellTreeNames(TKesShellTree& tree,
                                       std::function<void(ui::TTreeNode*, const std::wstring&)> showName,
                                       std::function<void(ui::TTreeNode*)> sortChildren)
    : FTree(tree), FShowName(std::move(showName)), FSortChildren(std::move(sortChildren)) {
    FTimer.SetInterval(USER_TIMER_MINIMUM);
    FTimer.OnTimer = [this] {
        // Stopped while it runs: a tick that fails is not repeated every
        // few milliseconds, each with its own message.
        FTimer.SetEnabled(false);
        Check(kNamesPerTick);
    };
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
    if (editing) {
        FTimer.SetEnabled(true);
        return;
    }
    ui::TTreeNode* node = FNext.Get() ? FNext.Get() : FTree.Items.GetFirstNode();
    for (int asked = 0; node && asked < most; node = node->GetNext()) {
        TKesShellTreeItem* item = TKesShellTree::ItemOf(node);
        if (!item || !item->NameToCheck) continue;
        item->NameToCheck = false;
        ++asked;
        // Its icon may have changed as well (a program registered for its
        // type since): a row drawn already asks it again when next drawn.
        node->ResetImages();
        const std::wstring text = DisplayNameOf(item->ParentFolder.Get(), item->RelativeIDList.Get());
        if (text.empty() || text == node->Text()) continue;
        FShowName(node, text);
        // Its folder is put in order when the walk is over: sorting it at
        // every tick would cost a sort of the whole folder for every few
        // names, and would move entries the walk has yet to reach.
        if (TKesShellTreeItem* folder = TKesShellTree::ItemOf(node->Parent())) {
            folder->ChildNamesChanged = true;
            FRenamed = true;
        }
    }
    FNext = node;
    if (node) {
        FTimer.SetEnabled(true);
        return;
    }
    if (FRenamed) SortRenamed();
}

void TKesShellTreeNames::SortRenamed() {
    FRenamed = false;
    for (ui::TTreeNode* node = FTree.Items.GetFirstNode(); node; node = node->GetNext()) {
        TKesShellTreeItem* item = TKesShellTree::ItemOf(node);
        if (!item || !item->ChildNamesChanged) continue;
        item->ChildNamesChanged = false;
        FSortChildren(node);
    }
}
