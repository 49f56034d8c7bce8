// The view the options keep: the window's rectangle, the tree's open
// folders and its selection. Taken from the window, and given back to it
// at start-up, on a refresh and when the working folder changes.
#pragma once

#include <string>

#include "app/ExpandGate.h"
#include "shelltree/ShellControls.h"
#include "ui/Form.h"

class TStoredView {
public:
    TStoredView(ui::TForm& form, TKesShellTree& tree, TExpandGate& gate);
    TStoredView(const TStoredView&) = delete;
    TStoredView& operator=(const TStoredView&) = delete;

    void StoreAppRect();
    void StoreTreeState();
    // Places the window and roots the tree at the working folder with the
    // stored folders open. firstShowPending: the tree has followed the file
    // system through its watches since it was read, so only what they saw
    // is read again. treeInLine: the tree was brought in line with the file
    // system just before (by StoreTreeState), so it need not be read again.
    void RestoreView(bool firstShowPending, bool treeInLine = false);
    // Logoff or shutdown ends the program without closing its window: what
    // Exit writes is written now.
    void SaveAtSessionEnd();

    // Why the working folder could not be shown, as last told to the user;
    // empty when it is shown.
    const std::wstring& RootProblem() const noexcept { return FRootProblem; }
    // The next problem is told again, even the same one.
    void ForgetRootProblem() noexcept { FRootProblem.clear(); }

private:
    ui::TForm& FForm;
    TKesShellTree& FTree;
    TExpandGate& FGate;
    std::wstring FRootProblem;
};
