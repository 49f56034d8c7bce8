// The tree's expand gate. The tree view opens or closes a folder on a
// click on its label or a double-click too; here a folder opens or closes
// only when the user asked for that (a press on its button, an arrow key)
// or while the program itself opens folders (the stored view, the search).
// A refused expand or collapse is remembered until the next press, which
// lets it through when it lands on that folder's button.
#pragma once

#include "ui/ScopeExit.h"
#include "ui/TreeView.h"

class TExpandGate {
public:
    // Armed, the gate refuses what the user did not ask for.
    bool Armed() const noexcept { return FExpandGateArmed; }
    void SetArmed(bool armed) noexcept { FExpandGateArmed = armed; }
    // Open for the length of the scope the result lives in.
    [[nodiscard]] ui::TRestoreOnExit<bool> Opened() { return {FExpandGateArmed, false}; }
    // The tree's next expand or collapse passes: a key asked for it.
    void Permit() noexcept { FExpandPermitted = true; }

    // The tree's events.
    void Expanding(ui::TTreeNode* node, bool& allow) { AllowExpandCollapse(node, allow, FPendingExpandNode); }
    void Collapsing(ui::TTreeNode* node, bool& allow) { AllowExpandCollapse(node, allow, FPendingCollapseNode); }
    void Expanded() noexcept { FNodeExpanded = true; }
    void Collapsed() noexcept { FNodeCollapsed = true; }

    // Whether a folder opened or closed since ResetToggles: a release of
    // the press that did it opens nothing.
    bool NodeExpanded() const noexcept { return FNodeExpanded; }
    bool NodeCollapsed() const noexcept { return FNodeCollapsed; }
    void ResetToggles() noexcept { FNodeExpanded = FNodeCollapsed = false; }

    ui::TTreeNode* PendingExpandNode() const noexcept { return FPendingExpandNode.Get(); }
    ui::TTreeNode* PendingCollapseNode() const noexcept { return FPendingCollapseNode.Get(); }
    // A left press on the expand button of node (null: of no node): a
    // refused expand or collapse of that node now happens.
    void ButtonPressed(ui::TTreeNode* node);
    // A refusal is answered by the press that follows it or never: one
    // left by a drag, a key or a double-click elsewhere must not act later.
    void ForgetRefused();

private:
    void AllowExpandCollapse(ui::TTreeNode* node, bool& allow, ui::TNodeWatch& pending);

    bool FExpandGateArmed = false;
    bool FExpandPermitted = false;
    // A refused expand or collapse, until the press that answers it; an
    // entry that goes meanwhile is forgotten.
    ui::TNodeWatch FPendingExpandNode;
    ui::TNodeWatch FPendingCollapseNode;
    bool FNodeCollapsed = false;
    bool FNodeExpanded = false;
};
