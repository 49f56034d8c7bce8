#include "app/ExpandGate.h"

void TExpandGate::AllowExpandCollapse(ui::TTreeNode* node, bool& allow, ui::TNodeWatch& pending) {
    if (!FExpandGateArmed || FExpandPermitted) {
        FExpandPermitted = false;
        allow = true;
        pending = nullptr;
    } else {
        allow = false;
        pending = node;
    }
}

void TExpandGate::ButtonPressed(ui::TTreeNode* node) {
    FExpandPermitted = false;
    if (!node) return;
    if (node == FPendingExpandNode.Get()) {
        FExpandPermitted = true;
        node->Expand(false);
    } else if (node == FPendingCollapseNode.Get()) {
        FExpandPermitted = true;
        node->Collapse(false);
    }
}

void TExpandGate::ForgetRefused() {
    FPendingExpandNode = nullptr;
    FPendingCollapseNode = nullptr;
}
