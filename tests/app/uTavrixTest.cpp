#include <gtest/gtest.h>

#include <memory>

#include "MainWindowFixture.h"
#include "testutil/ShellExecuteRecorder.h"
#include "util/EntryIndex.h"
#include "ui/Application.h"
#include "shell/ShellBrowser.h"
#include "ui/Profile.h"

#include <shlobj.h>

using namespace testutil;

namespace {

class MainWindow : public TMainWindowFixture {
protected:
    std::wstring Key(const wchar_t* key) {
        wchar_t buf[512] = {};
        GetPrivateProfileStringW(L"OPTIONS", key, L"<absent>", buf, 512, OptionsIniFileName().c_str());
        return buf;
    }
};

TEST_F(MainWindow, MenuItemsComeInTheStatedOrderWithTheirTags) {
    Create();
    struct TExpect {
        const wchar_t* Name;
        const wchar_t* Caption;
        int Tag;
        bool Image;
    };
    auto check = [](const ui::TMenuItem& parent, std::initializer_list<TExpect> want) {
        ASSERT_EQ(parent.Count(), static_cast<int>(want.size()));
        int i = 0;
        for (const TExpect& e : want) {
            const ui::TMenuItem& item = *parent.Items()[static_cast<size_t>(i++)];
            EXPECT_EQ(item.Name, e.Name);
            EXPECT_EQ(item.Caption, e.Caption);
            EXPECT_EQ(item.Tag, e.Tag) << e.Name;
            EXPECT_EQ(item.ImageIndex >= 0, e.Image) << e.Name;
        }
    };
    const ui::TPopupMenu* menu = Form->FindComponent<ui::TPopupMenu>(L"PopupMenu");
    ASSERT_NE(menu, nullptr);
    check(menu->Items, {{L"pmnuClipboardAs", L"Clipboard", 0, true},
                        {L"pmnuScreenSaver", L"Screen Saver", 0, true},
                        {L"pmnuAbout", L"About", 0, true},
                        {L"pmnuSep3", L"-", 0, false},
                        {L"pmnuStartWithWindows", L"Start with Windows", 0, true},
                        {L"pmnuSep4", L"-", 0, false},
                        {L"pmnuExit", L"Exit", 0, true}});
    const ui::TMenuItem* clipboard = Form->FindComponent<ui::TMenuItem>(L"pmnuClipboardAs");
    ASSERT_NE(clipboard, nullptr);
    check(*clipboard, {{L"pmnuViewAsPlainText", L"Plain Text", 0, true},
                       {L"pmnuViewAsCommaString", L"Comma String", 1, true},
                       {L"pmnuViewAsXML", L"XML ", 2, true},
                       {L"pmnuSep2", L"-", 0, false},
                       {L"pmnuExecSelText", L"Execute", 3, true}});
}

TEST_F(MainWindow, ComponentsAreFoundByTheirDesignedNameAndKind) {
    Create();
    EXPECT_EQ(Form->FindComponent<TKesShellTree>(L"ShellTreeView1"), Form->ShellTree());
    EXPECT_NE(Form->FindComponent<ui::TMenuItem>(L"pmnuExecSelText"), nullptr) << "a sub-menu's item";
    EXPECT_EQ(Form->FindComponent<ui::TTimer>(L"sbtnMenu"), nullptr) << "a button is no timer";
    EXPECT_EQ(Form->FindComponent<ui::TSpeedButton>(L"sbtnNone"), nullptr);
}

TEST_F(MainWindow, CreationReadsTheOptionsAndSwitchesTheScreenSaverTimer) {
    Create("BlockScrSvr=1\r\nLeft=77\r\n");
    ASSERT_TRUE(Options);
    EXPECT_EQ(Options->Settings.Left, 77);
    EXPECT_TRUE(Form->FirstShowPending());
    EXPECT_TRUE(Form->FindComponent<ui::TTimer>(L"tmrBlockScrSvr")->Enabled());
    const TOptionsRec before = Options->Settings;
    Options->Settings.BlockScrSvr = false;
    Form->ApplyOptions(&before, Options->Settings);
    EXPECT_FALSE(Form->FindComponent<ui::TTimer>(L"tmrBlockScrSvr")->Enabled());
}

TEST_F(MainWindow, ClosingWritesTheWindowStateAndReleasesTheMutex) {
    AppMutex = CreateMutexW(nullptr, TRUE, AppMutexName);
    ASSERT_NE(AppMutex, nullptr);
    Create("Left=77\r\nExpanded=C:\\x*\r\n");
    Form->Show();
    EXPECT_EQ(Key(L"Left"), L"77");
    EXPECT_EQ(Key(L"Top"), L"<absent>");
    Form->pmnuExitClick();
    EXPECT_FALSE(IsWindowVisible(Form->Handle()));
    EXPECT_FALSE(Options);
    EXPECT_EQ(AppMutex, nullptr);
    for (const wchar_t* key : {L"Left", L"Top", L"Right", L"Bottom", L"SelectedNode", L"Expanded"})
        EXPECT_NE(Key(key), L"<absent>") << key;
    EXPECT_NE(Key(L"Expanded"), L"C:\\x*") << "the tree's real state replaces the recorded one";
    EXPECT_EQ(Key(L"ShowTrayIcon"), L"<absent>");
    HANDLE again = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, AppMutexName);
    EXPECT_EQ(again, nullptr);
    if (again) CloseHandle(again);
}

}  // namespace

namespace {

// The tree state of the main window over a real working folder.
class TreeState : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        for (const wchar_t* sub : {L"\\Tools", L"\\Tools\\Deep", L"\\Games", L"\\Games\\Old"})
            CreateDirectoryW((Work + sub).c_str(), nullptr);
        WriteFileBytes(Work + L"\\readme.txt", "r");
        WriteFileBytes(Work + L"\\Tools\\tool.txt", "t");
    }
    TKesShellTree* Tree() { return Form->ShellTree(); }
    std::vector<std::wstring> ExpandedPaths() {
        std::vector<std::wstring> out;
        for (ui::TTreeNode* n = Tree()->Items.GetFirstNode(); n; n = n->GetNext())
            if (n->Expanded()) out.push_back(Tree()->GetNodePath(n));
        return out;
    }
    int SelectedIndex() {
        ui::TTreeNode* s = Tree()->Selected();
        return s ? s->AbsoluteIndex() : -1;
    }
};

TEST_F(TreeState, AMissingWorkingFolderIsCreated) {
    RemoveTree(Work);
    CreateWith();
    EXPECT_TRUE(Exists(Work));
    EXPECT_EQ(Tree()->GetNodePath(Tree()->Items.GetFirstNode()), Work);
    EXPECT_EQ(SelectedIndex(), 0);
}

TEST_F(TreeState, WithNothingStoredTheRootIsExpandedAndSelected) {
    CreateWith();
    EXPECT_EQ(ExpandedPaths(), (std::vector<std::wstring>{Work}));
    EXPECT_EQ(SelectedIndex(), 0);
    EXPECT_TRUE(Form->ExpandGate().Armed());
}

TEST_F(TreeState, StoredFoldersExpandAndTheSelectionReturns) {
    // Recorded in other letters, with a folder deleted since.
    std::wstring upper = Work;
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    std::string expanded = ui::WideToUtf8(upper + L"*" + Work + L"\\Gone*" + Work + L"\\Tools*" + Work +
                                          L"\\Tools\\Deep*");
    CreateWith("Expanded=" + expanded + "\r\nSelectedNode=3\r\nLeft=10\r\nTop=11\r\nRight=310\r\nBottom=511\r\n");
    EXPECT_EQ(ExpandedPaths(), (std::vector<std::wstring>{Work, Work + L"\\Tools"}));
    EXPECT_EQ(SelectedIndex(), 3);
    RECT r{};
    GetWindowRect(Form->Handle(), &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 11);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 500);
    EXPECT_EQ(Options->Settings.Expanded, ui::Utf8ToWide(expanded)) << "the recorded list is kept";
}

TEST_F(TreeState, TheStoredViewIsReadSoonAfterStartAndTheFirstCallUpOnlyShowsIt) {
    std::string expanded = ui::WideToUtf8(Work + L"*" + Work + L"\\Tools*");
    CreateWith("Expanded=" + expanded + "\r\nSelectedNode=3\r\n");
    const std::vector<std::wstring> view{Work, Work + L"\\Tools"};
    ui::ResetProfileCounters();
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 1500) {
        ui::Application->ProcessMessages();
        Sleep(10);
    }
    EXPECT_FALSE(IsWindowVisible(Form->Handle()));
    EXPECT_TRUE(Form->FirstShowPending());
    // The view was read at start, and the watches saw nothing since.
    EXPECT_EQ(ShellCounters.Enumerated.Calls, 0) << "the hidden window read no folder again";
    EXPECT_EQ(ExpandedPaths(), view);
    EXPECT_EQ(SelectedIndex(), 3);
    const long icons = Tree()->IconLookups;
    EXPECT_GT(icons, 0) << "the rows to be drawn first have their icons";
    EXPECT_TRUE(Tree()->HasSystemImages()) << "and the tree the shell's image list";
    EXPECT_NE(SendMessageW(Tree()->Handle(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0), 0);

    ui::ResetProfileCounters();
    SendMessageW(Form->Handle(), WM_HOTKEY, 4, 0);
    UpdateWindow(Tree()->Handle());
    EXPECT_TRUE(IsWindowVisible(Form->Handle()));
    EXPECT_FALSE(Form->FirstShowPending());
    EXPECT_EQ(ShellCounters.Enumerated.Calls, 0) << "the call-up read nothing again";
    EXPECT_EQ(Tree()->IconLookups, icons) << "drawing the rows asked no icon";
    EXPECT_EQ(ExpandedPaths(), view);
    EXPECT_EQ(SelectedIndex(), 3);
}

TEST_F(TreeState, AListForAnotherFolderIsDropped) {
    CreateWith("Expanded=C:\\elsewhere\\quorb*C:\\elsewhere\\quorb\\Tools*\r\nSelectedNode=2\r\n");
    EXPECT_EQ(ExpandedPaths(), (std::vector<std::wstring>{Work}));
    EXPECT_EQ(SelectedIndex(), 0);
    EXPECT_EQ(Options->Settings.Expanded, L"");
    EXPECT_EQ(Options->Settings.SelectedNode, 0);
}

TEST_F(TreeState, RefreshKeepsTheViewAndShowsNewFiles) {
    CreateWith();
    Form->SetFirstShowPending(false);  // as after the first call-up
    ui::TTreeNode* root = Tree()->Items.GetFirstNode();
    for (ui::TTreeNode* c = root->GetFirstChild(); c; c = c->GetNextSibling())
        if (TKesShellTree::ItemOf(c)->ItemIsFolder) c->Expand(false);
    Tree()->Items.Item(2)->SetSelected(true);
    auto expandedBefore = ExpandedPaths();
    WriteFileBytes(Work + L"\\zz-new.txt", "n");

    Form->sbtnRefreshClick();
    EXPECT_EQ(ExpandedPaths(), expandedBefore);
    EXPECT_EQ(SelectedIndex(), 2);
    bool found = false;
    for (ui::TTreeNode* c = Tree()->Items.GetFirstNode()->GetFirstChild(); c; c = c->GetNextSibling())
        found = found || c->Text().rfind(L"zz-new", 0) == 0;
    EXPECT_TRUE(found);
    EXPECT_NE(GetWindowLongW(Tree()->Handle(), GWL_STYLE) & WS_VISIBLE, 0) << "the tree is shown again";
}

TEST_F(TreeState, SaveViewWritesTheRectangleAtOnce) {
    CreateWith();
    Form->SetFirstShowPending(false);
    SetWindowPos(Form->Handle(), nullptr, 123, 45, 260, 410, SWP_NOZORDER | SWP_NOACTIVATE);
    Form->sbtnSaveAppRectClick();
    EXPECT_EQ(Key(L"Left"), L"123");
    EXPECT_EQ(Key(L"Top"), L"45");
    EXPECT_EQ(Key(L"Right"), L"383");
    EXPECT_EQ(Key(L"Bottom"), L"455");
    EXPECT_EQ(Key(L"Expanded"), Work + L"*");
}

TEST_F(TreeState, AWorkingFolderThatCannotBeMadeIsReportedAndLeavesTheTreeEmpty) {
    // A file where a parent folder would have to be.
    WriteFileBytes(Base.Path() + L"\\blocker", "x");
    TMessageBoxRecorder boxes;
    Create("WorkingFolderOption=3\r\nWorkingFolderPath=" + ui::WideToUtf8(Base.Path() + L"\\blocker") + "\r\n");
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, L"Cannot Find Folder: " + Base.Path() + L"\\blocker\\quorb");
    EXPECT_EQ(Tree()->Items.GetFirstNode(), nullptr) << "no other folder stands in for it";
    EXPECT_TRUE(Form->ExpandGate().Armed());
    // The first call-up tries again without telling it twice.
    Form->sbtnRefreshClick();
    EXPECT_EQ(boxes.Boxes.size(), 1u);
}

TEST_F(TreeState, AChoiceThatNamesNoFolderStartsInTheDefaultOne) {
    TMessageBoxRecorder boxes;
    Create("WorkingFolderOption=7\r\n");
    EXPECT_TRUE(boxes.Boxes.empty());
    wchar_t favorites[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, favorites, CSIDL_FAVORITES, FALSE);
    EXPECT_EQ(Tree()->GetNodePath(Tree()->Items.GetFirstNode()), std::wstring(favorites) + L"\\quorb");
    EXPECT_TRUE(Form->ExpandGate().Armed());
}

}  // namespace

namespace {

// Typing on the tree: each key goes through the message loop, the form's
// key preview first, and on to the tree when the form leaves it.
class TypeOnTree : public TreeState {
protected:
    void Deliver(UINT message, WPARAM key) {
        SetFocus(Tree()->Handle());
        PostMessageW(Tree()->Handle(), message, key, 0);
        ui::Application->ProcessMessages();
    }
    void Type(const std::wstring& text) {
        for (wchar_t c : text) Deliver(WM_CHAR, c);
    }
    std::wstring SelectedPath() { return Tree()->GetNodePath(Tree()->Selected()); }
    bool LineShown() { return IsWindowVisible(Form->Find().Line()->Handle()) != FALSE; }
};

TEST_F(TypeOnTree, LettersSelectAShownEntryThenOneAnywhereAndEscEndsTheSearch) {
    WriteFileBytes(Work + L"\\Tools\\Deep\\Quarterly report.txt", "q");
    CreateWith();
    Form->ShowAppWindow(srLaunch);
    ASSERT_NE(Form->Find().EntryIndex(), nullptr) << "the call-up makes the index";
    ASSERT_TRUE(Form->Find().EntryIndex()->WaitIdle(10000));

    Type(L"to");
    EXPECT_EQ(SelectedPath(), Work + L"\\Tools") << "a shown entry, as the tree shows it";
    EXPECT_EQ(Form->Find().Text(), L"to");
    EXPECT_TRUE(LineShown());
    EXPECT_EQ(Form->Find().Line()->Caption(), L"Find: to");

    Deliver(WM_KEYDOWN, VK_BACK);
    EXPECT_EQ(Form->Find().Text(), L"t") << "Backspace takes one letter back";
    EXPECT_EQ(SelectedPath(), Work + L"\\Tools");

    WORD esc = VK_ESCAPE;
    Form->FormKeyDown(esc, 0);
    EXPECT_EQ(esc, 0) << "the first Esc only ends the search";
    EXPECT_FALSE(LineShown());
    EXPECT_TRUE(IsWindowVisible(Form->Handle()));

    // Nothing shown starts with it: a word of a name in closed folders.
    Type(L"repo");
    EXPECT_EQ(SelectedPath(), Work + L"\\Tools\\Deep\\Quarterly report.txt");
    EXPECT_TRUE(Tree()->Selected()->Parent()->Expanded()) << "the folders on the way are open";
    EXPECT_TRUE(Form->ExpandGate().Armed()) << "the gate is armed again after the folders opened";

    EXPECT_TRUE(IsWindowVisible(Form->Find().List()->Handle())) << "the matches show in a list";
    EXPECT_EQ(Form->Find().List()->Selected(), 0);

    Type(L"zzz");
    EXPECT_EQ(Form->Find().Line()->Caption(), L"Find: repozzz  (no match)");
    EXPECT_FALSE(IsWindowVisible(Form->Find().List()->Handle()));
    {
        TShellExecuteRecorder shell;
        Deliver(WM_KEYDOWN, VK_RETURN);
        EXPECT_TRUE(shell.Calls.empty()) << "nothing found, nothing opens";
        for (int i = 0; i < 3; ++i) Deliver(WM_KEYDOWN, VK_BACK);
        Deliver(WM_KEYDOWN, VK_RETURN);
        ASSERT_EQ(shell.Calls.size(), 1u);
    }
    EXPECT_FALSE(LineShown()) << "opening ends the search";
    ASSERT_FALSE(Options->Settings.Recent.empty());
    EXPECT_EQ(Options->Settings.Recent.front(), L"Tools\\Deep\\Quarterly report.txt");

    esc = VK_ESCAPE;
    Form->ShowAppWindow(srLaunch);
    Form->FormKeyDown(esc, 0);
    EXPECT_FALSE(IsWindowVisible(Form->Handle())) << "Esc without a search hides the window";
}

TEST_F(TypeOnTree, WhatTheIndexLearnsLaterMovesNoMatchTheUserChose) {
    WriteFileBytes(Work + L"\\Games\\Old\\tool chest.txt", "c");
    CreateWith();
    Form->ShowAppWindow(srLaunch);
    ASSERT_TRUE(Form->Find().EntryIndex()->WaitIdle(10000));
    Type(L"too");
    ASSERT_GE(Form->Find().List()->RowCount(), 2);
    EXPECT_EQ(SelectedPath(), Work + L"\\Tools");
    Deliver(WM_KEYDOWN, VK_DOWN);
    const std::wstring chosen = SelectedPath();
    EXPECT_NE(chosen, Work + L"\\Tools") << "Down chooses the next match";
    EXPECT_EQ(Form->Find().List()->Selected(), 1);

    // A better match comes while the user looks at the list: it waits.
    WriteFileBytes(Work + L"\\too.lnk", "");
    Form->Find().EntryIndex()->Changed({Work + L"\\too.lnk"});
    ASSERT_TRUE(Form->Find().EntryIndex()->WaitIdle(10000));
    ui::Application->ProcessMessages();
    EXPECT_EQ(SelectedPath(), chosen);
    Deliver(WM_KEYDOWN, VK_UP);
    EXPECT_EQ(SelectedPath(), Work + L"\\Tools") << "Up goes back";

    WORD esc = VK_ESCAPE;
    Form->FormKeyDown(esc, 0);
    Type(L"too");
    EXPECT_EQ(SelectedPath(), Work + L"\\too.lnk") << "the next search has it";
}

TEST_F(TypeOnTree, TheSearchLineLiesOnTheTreeAndNeverOverTheSelectedEntry) {
    CreateWith();
    Form->ShowAppWindow(srLaunch);
    // A tree of four rows, the root and its three entries: the last one
    // found is in the bottom row.
    const int rowHeight = static_cast<int>(SendMessageW(Tree()->Handle(), TVM_GETITEMHEIGHT, 0, 0));
    RECT client{};
    GetClientRect(Tree()->Handle(), &client);
    SetWindowPos(Form->Handle(), nullptr, 0, 0, Form->Width(), Form->Height() + 4 * rowHeight - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT tree{};
    GetWindowRect(Tree()->Handle(), &tree);
    for (const wchar_t* text : {L"to", L"re"}) {
        Type(text);
        ASSERT_TRUE(LineShown());
        RECT line{}, row = Tree()->Selected()->DisplayRect(false), both{};
        GetWindowRect(Form->Find().Line()->Handle(), &line);
        MapWindowPoints(Tree()->Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&row), 2);
        EXPECT_FALSE(IntersectRect(&both, &line, &row)) << "found with " << ui::WideToUtf8(text);
        EXPECT_TRUE(IntersectRect(&both, &line, &tree) && EqualRect(&both, &line)) << "the line lies on the tree";
        WORD esc = VK_ESCAPE;
        Form->FormKeyDown(esc, 0);
    }
}

TEST_F(TypeOnTree, TheSearchLineStaysOnTheTreeWhenTheWindowChangesSize) {
    CreateWith();
    Form->ShowAppWindow(srLaunch);
    Type(L"to");
    ASSERT_TRUE(LineShown());
    const RECT before = Form->BoundsRect();
    // Smaller, then larger than before, while the search is shown.
    for (int grow : {-120, 160}) {
        SetWindowPos(Form->Handle(), nullptr, 0, 0, before.right - before.left + grow,
                     before.bottom - before.top + grow, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ui::Application->ProcessMessages();
        // The line and the list under it, as one band.
        RECT line{}, list{}, band{}, tree{}, both{};
        GetWindowRect(Form->Find().Line()->Handle(), &line);
        GetWindowRect(Form->Find().List()->Handle(), &list);
        ASSERT_TRUE(IsWindowVisible(Form->Find().List()->Handle()));
        EXPECT_EQ(list.top, line.bottom) << "the list lies just under the line";
        UnionRect(&band, &line, &list);
        GetWindowRect(Tree()->Handle(), &tree);
        EXPECT_TRUE(IntersectRect(&both, &band, &tree) && EqualRect(&both, &band))
            << "the band lies on the tree after a change of " << grow;
        RECT client{};
        GetClientRect(Tree()->Handle(), &client);
        EXPECT_EQ(band.right - band.left, client.right - client.left) << "and spans it";
        MapWindowPoints(Tree()->Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
        EXPECT_TRUE(band.top == client.top || band.bottom == client.bottom) << "along one of its edges";
    }
}

}  // namespace
