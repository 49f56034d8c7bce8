// Names asked again while the program is idle. The user's refresh knows
// the entries listed exactly as before by their bytes and shows them at
// once; whether the shell now shows such an entry's name otherwise (an
// extension it hides from now on) is asked afterwards, a few entries at a
// time on a timer, so that neither the refresh nor the paint after it
// waits for every name of the tree. Each entry asked forgets its icon too,
// which a drawn row then asks again.
#pragma once

#include <functional>
#include <string>

#include "ui/Timer.h"
#include "ui/TreeView.h"

class TKesShellTree;

class TKesShellTreeNames {
public:
    // showName gives a node its new text, wherever the tree keeps it;
    // sortChildren puts a folder's entries in order again after names
    // changed.
    TKesShellTreeNames(TKesShellTree& tree, std::function<void(ui::TTreeNode*, const std::wstring&)> showName,
                       std::function<void(ui::TTreeNode*)> sortChildren);
    TKesShellTreeNames(const TKesShellTreeNames&) = delete;
    TKesShellTreeNames& operator=(const TKesShellTreeNames&) = delete;

    // The entry's name is asked again soon.
    void Mark(ui::TTreeNode* node);
    bool Pending() const noexcept { return FTimer.Enabled(); }

private:
    // Asks up to `most` marked names, walking on from where the last call
    // stopped, or from the top when that entry went since.
    void Check(int most);
    // Once every name is in: each folder whose names changed is put in
    // order, once.
    void SortRenamed();

    TKesShellTree& FTree;
    std::function<void(ui::TTreeNode*, const std::wstring&)> FShowName;
    std::function<void(ui::TTreeNode*)> FSortChildren;
    ui::TTimer FTimer;
    // Where the walk goes on at the next tick; none once it went.
    ui::TNodeWatch FNext;
    bool FRenamed = false;
};
