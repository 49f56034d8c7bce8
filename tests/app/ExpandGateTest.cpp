#include <gtest/gtest.h>

#include "app/ExpandGate.h"
#include "ui/Form.h"

namespace {

// A tree of two folders, each with one entry, whose expand events go
// through the gate as the main window's do.
struct TGatedTree {
    ui::TForm form;
    ui::TCustomTreeView tree{&form};
    TExpandGate gate;
    ui::TTreeNode* folder = tree.Items.AddChild(nullptr, L"folder");
    ui::TTreeNode* other = tree.Items.AddChild(nullptr, L"other");
    TGatedTree() {
        tree.Items.AddChild(folder, L"entry");
        tree.Items.AddChild(other, L"entry");
        tree.OnExpanding = [this](ui::TTreeNode* n, bool& allow) { gate.Expanding(n, allow); };
        tree.OnCollapsing = [this](ui::TTreeNode* n, bool& allow) { gate.Collapsing(n, allow); };
        tree.OnExpanded = [this](ui::TTreeNode*) { gate.Expanded(); };
        tree.OnCollapsed = [this](ui::TTreeNode*) { gate.Collapsed(); };
    }
    // Expands, or collapses the open folder; true when it changed.
    bool Toggle(bool collapse) {
        collapse ? folder->Collapse(false) : folder->Expand(false);
        return folder->Expanded() == !collapse;
    }
};

TEST(ExpandGate, PassesWhatTheUserAskedForAndAPressAnswersARefusal) {
    struct {
        const char* Case;
        bool Armed, Permit, Collapse, Forget, PressOther;
        bool PassedAtOnce, PassedOnPress;
    } cases[] = {
        {"disarmed", false, false, false, false, false, true, true},
        {"armed: refused, the press on its button expands", true, false, false, false, false, false, true},
        {"armed: refused, the press on its button collapses", true, false, true, false, false, false, true},
        {"a key permits one", true, true, false, false, false, true, true},
        {"a refusal left by something else is forgotten", true, false, false, true, false, false, false},
        {"a press on another button answers nothing", true, false, false, false, true, false, false},
    };
    for (const auto& c : cases) {
        TGatedTree t;
        if (c.Collapse) t.folder->Expand(false);
        t.gate.ResetToggles();
        t.gate.SetArmed(c.Armed);
        if (c.Permit) t.gate.Permit();
        EXPECT_EQ(t.Toggle(c.Collapse), c.PassedAtOnce) << c.Case;
        EXPECT_EQ(c.Collapse ? t.gate.NodeCollapsed() : t.gate.NodeExpanded(), c.PassedAtOnce) << c.Case;
        ui::TTreeNode* pending = c.Collapse ? t.gate.PendingCollapseNode() : t.gate.PendingExpandNode();
        EXPECT_EQ(pending, c.PassedAtOnce ? nullptr : t.folder) << c.Case;
        if (c.Forget) t.gate.ForgetRefused();
        if (!c.PassedAtOnce) t.gate.ButtonPressed(c.PressOther ? t.other : t.folder);
        EXPECT_EQ(t.folder->Expanded(), c.Collapse != c.PassedOnPress) << c.Case;
        EXPECT_FALSE(t.other->Expanded()) << c.Case;
        EXPECT_FALSE(t.Toggle(t.folder->Expanded()) && c.Armed) << c.Case << ": a permit is good for one";
    }
}

TEST(ExpandGate, OpensForAScopeAndForgetsARefusedFolderThatGoes) {
    TGatedTree t;
    t.gate.SetArmed(true);
    {
        const auto open = t.gate.Opened();
        EXPECT_FALSE(t.gate.Armed());
        t.folder->Expand(false);
    }
    EXPECT_TRUE(t.gate.Armed());
    EXPECT_TRUE(t.folder->Expanded());
    t.other->Expand(false);
    ASSERT_EQ(t.gate.PendingExpandNode(), t.other);
    t.tree.Items.Clear();
    EXPECT_EQ(t.gate.PendingExpandNode(), nullptr);
}

}  // namespace
