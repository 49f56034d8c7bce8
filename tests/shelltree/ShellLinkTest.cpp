#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "ShellTreeFixture.h"

using namespace testutil;

namespace {

// A control that answers every selection by selecting again.
struct TEcho final : IKesShellControl {
    TKesShellLink* Link = nullptr;
    int Selected = 0, Refreshed = 0;
    void SetShellLink(TKesShellLink* link) override { Link = link; }
    TKesShellLink* GetShellLink() const override { return Link; }
    void SelectIDList(LPCITEMIDLIST list) override {
        ++Selected;
        Link->BroadcastSelect(this, list);
    }
    void SelectFileIDList(LPCITEMIDLIST folder, LPCITEMIDLIST) override { SelectIDList(folder); }
    void SelectionChanged() override {}
    void RefreshAll() override { ++Refreshed; }
    void RefreshSelected() override {}
    bool GoUp() override { return false; }
};

class Linked : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW((Dir / L"alpha").c_str(), nullptr);
        CreateDirectoryW((Dir / L"alpha\\inner").c_str(), nullptr);
        CreateDirectoryW((Dir / L"beta").c_str(), nullptr);
        for (auto* tree : {&One, &Two}) {
            *tree = std::make_unique<TKesShellTree>(&Form);
            (*tree)->SetBounds(0, 0, 300, 300);
            (*tree)->SetRootedAtFileSystemFolder(Dir.Path());
            (*tree)->SetShellLink(Hub.get());
        }
        // The roots' own selections have been announced before a test acts.
        PumpUntil([] { return false; }, 300);
    }
    void TearDown() override {
        One.reset();
        Two.reset();
        Hub.reset();
    }
    TTempDir Dir;
    ui::TForm Form;
    std::unique_ptr<TKesShellLink> Hub = std::make_unique<TKesShellLink>();
    std::unique_ptr<TKesShellTree> One, Two;
};

TEST_F(Linked, TreesOnOneHubStayInStep) {
    EXPECT_EQ(Hub->Controls().Items().size(), 2u);
    Hub->RegisterControl(One.get());
    EXPECT_EQ(Hub->Controls().Items().size(), 2u) << "no control twice";

    // Selecting in one selects the same folder in the other.
    ui::TTreeNode* alphaNode = Child(One->Items.GetFirstNode(), L"alpha");
    ASSERT_TRUE(alphaNode);
    alphaNode->SetSelected(true);
    ASSERT_EQ(One->Selected(), alphaNode);
    bool followed = PumpUntil([&] { return Two->SelectedFolder() == Dir / L"alpha"; });
    std::wstring a = Two->SelectedFolder(), b = One->SelectedFolder();
    EXPECT_TRUE(followed) << std::string(a.begin(), a.end()) << " / " << std::string(b.begin(), b.end());

    // A control that answers by selecting again reaches nobody.
    TEcho echo;
    echo.Link = Hub.get();
    Hub->RegisterControl(&echo);
    Child(One->Items.GetFirstNode(), L"beta")->SetSelected(true);
    EXPECT_TRUE(PumpUntil([&] { return Two->SelectedFolder() == Dir / L"beta"; }));
    EXPECT_EQ(echo.Selected, 1);
    EXPECT_TRUE(Hub->Enabled);

    // F5 in one refreshes the others.
    SendMessageW(One->Handle(), WM_KEYDOWN, VK_F5, 0);
    EXPECT_EQ(echo.Refreshed, 1);
    Hub->UnregisterControl(&echo);

    // The hub goes: both trees let go of it.
    Hub.reset();
    EXPECT_EQ(One->ShellLink(), nullptr);
    EXPECT_EQ(Two->ShellLink(), nullptr);
}

TEST_F(Linked, ACheckBoxClickChangesTheStateNotTheSelection) {
    One->SetCheckBoxes(true);
    ui::TTreeNode* root = One->Items.GetFirstNode();
    ui::TTreeNode* alpha = Child(root, L"alpha");
    ui::TTreeNode* beta = Child(root, L"beta");
    beta->SetSelected(true);
    EXPECT_EQ(alpha->StateIndex(), ssUnChecked);
    RECT row = alpha->DisplayRect(false);
    const int boxX = alpha->Level() * One->Indent() + row.left + 8;
    const int y = row.top + 4;
    auto click = [&](int x) {
        SendMessageW(One->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(One->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        ui::Application->ProcessMessages();
    };
    click(boxX);
    EXPECT_EQ(alpha->StateIndex(), ssChecked);
    EXPECT_EQ(root->StateIndex(), ssUnChecked) << "the root keeps its state";
    EXPECT_TRUE(beta->Selected()) << "the box is no selection";
    alpha->Expand(false);
    ui::TTreeNode* inner = Child(alpha, L"inner");
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->StateIndex(), ssChecked);
    click(boxX);
    EXPECT_EQ(alpha->StateIndex(), ssUnChecked);
    EXPECT_EQ(inner->StateIndex(), ssUnChecked) << "open descendants follow";
    EXPECT_TRUE(Hub->SelectionList().Paths().empty());
}

// The pictures are drawn with the system's uxtheme.dll where a theme is on,
// classic otherwise: either way every state shows a box, and a checked one
// is no unchecked one.
TEST(CheckBoxPictures, EveryStateShowsABox) {
    TKesSelectionStateImageList pictures;
    ASSERT_EQ(pictures.Count(), 5);
    HDC screen = GetDC(nullptr);
    ui::TMemoryDC dc(screen, 16, 16);
    ReleaseDC(nullptr, screen);
    auto picture = [&](int index) {
        RECT all{0, 0, 16, 16};
        FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        pictures.Draw(dc.Get(), index, 0, 0);
        std::vector<COLORREF> pixels;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) pixels.push_back(GetPixel(dc.Get(), x, y));
        return pixels;
    };
    for (int state = ssUnused; state <= ssGrayed; ++state) {
        SCOPED_TRACE(state);
        const auto pixels = picture(state);
        EXPECT_GE(std::count_if(pixels.begin(), pixels.end(), [](COLORREF c) { return c != RGB(255, 255, 255); }), 16);
    }
    EXPECT_NE(picture(ssChecked), picture(ssUnChecked));
}

}  // namespace
