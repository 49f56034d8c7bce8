#include <gtest/gtest.h>

#include <memory>

#include "MainWindowFixture.h"
#include "shell/Shell_Win32.h"
#include "testutil/ShellExecuteRecorder.h"
#include "ui/Application.h"

using namespace testutil;

namespace {

class CoreLoop : public TMainWindowFixture {
protected:
    void SetUp() override {
        TMainWindowFixture::SetUp();
        CreateDirectoryW((Work + L"\\Tools").c_str(), nullptr);
        CreateDirectoryW((Work + L"\\Tools\\Inner").c_str(), nullptr);
        WriteFileBytes(Work + L"\\my notes.txt", "n");
    }
    ui::TTreeNode* Node(const std::wstring& text) {
        for (ui::TTreeNode* n = Form->ShellTree()->Items.GetFirstNode(); n; n = n->GetNext())
            if (n->Text() == text) return n;
        return nullptr;
    }
    // A point on the node's expand button, in the tree's client coordinates.
    POINT ButtonOf(ui::TTreeNode* node) {
        RECT r = node->DisplayRect(true);
        int y = (r.top + r.bottom) / 2;
        for (int x = 0; x < r.left; ++x)
            if (Form->ShellTree()->GetHitTestInfoAt(x, y) & TVHT_ONITEMBUTTON) return {x, y};
        ADD_FAILURE() << "no button found";
        return {0, 0};
    }
    // Selects the entry and clicks its label, as the tree reports a click.
    void ClickLabel(ui::TTreeNode* node) {
        node->SetSelected(true);
        PointerAt(node);
        Form->ShellTreeView1MouseDown(ui::mbLeft, 0, 0, 0);
        Form->ShellTreeView1MouseUp(Form->ShellTree(), ui::mbLeft, 0, 0, 0);
    }
    // Makes the point the position of the message being handled.
    void PointerAt(ui::TTreeNode* node) {
        RECT r = node->DisplayRect(true);
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(Form->ShellTree()->Handle(), &p);
        SetCursorPos(p.x, p.y);
        MSG msg;
        PostMessageW(Form->Handle(), WM_NULL, 0, 0);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
};

TEST_F(CoreLoop, CommandResultsHideOrReport) {
    struct {
        bool Autohide, Force;
        int Code;
        bool Hidden;
    } cases[] = {
        {true, false, 99, true}, {false, false, 99, false}, {false, true, 99, true}, {true, true, 33, true},
        {false, false, 33, false},
    };
    for (const auto& c : cases) {
        CreateWith(std::string("Autohide=") + (c.Autohide ? "1" : "0") + "\r\n");
        Form->Show();
        Form->HandleExecResult(L"x", c.Code, c.Force);
        EXPECT_EQ(!IsWindowVisible(Form->Handle()), c.Hidden) << c.Autohide << c.Force << c.Code;
        Form.reset();
    }
    CreateWith();
    Form->Show();
    TMessageBoxRecorder boxes;
    Form->HandleExecResult(L"C:\\100%d done", 2, true);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, L"Execution of \"C:\\100%d done\" failed! ErrorCode: 2");
    EXPECT_EQ(boxes.Boxes[0].Caption, L"tavrix");
    EXPECT_EQ(boxes.Boxes[0].Flags & (MB_ICONMASK | MB_TYPEMASK), static_cast<UINT>(MB_OK));
    EXPECT_TRUE(IsWindowVisible(Form->Handle())) << "a failure leaves the window as it was";
}

TEST_F(CoreLoop, EntriesOpenThroughExplorer) {
    CreateWith();
    TShellExecuteRecorder shell;
    Form->ExecuteItem(Work + L"\\my notes.txt");
    Form->ExecuteItem(Work + L"\\gone.txt");
    Form->ExecuteItem(L"");
    ASSERT_EQ(shell.Calls.size(), 1u);
    EXPECT_EQ(shell.Calls[0].Operation, L"open");
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(shell.Calls[0].File, std::wstring(windows) + L"\\explorer.exe") << "never a bare name";
    EXPECT_EQ(shell.Calls[0].Parameters, L"\"" + Work + L"\\my notes.txt\"");
    EXPECT_EQ(shell.Calls[0].Show, SW_SHOWNORMAL);
}

TEST_F(CoreLoop, AClickOnTheButtonExpandsAndStartsNothing) {
    CreateWith();
    Form->Show();
    TShellExecuteRecorder shell;
    ui::TTreeNode* tools = Node(L"Tools");
    ASSERT_NE(tools, nullptr);
    ASSERT_TRUE(Form->ExpandGate().Armed());
    tools->Expand(false);  // the request the control makes on the press: refused
    EXPECT_FALSE(tools->Expanded());
    EXPECT_EQ(Form->ExpandGate().PendingExpandNode(), tools);
    POINT b = ButtonOf(tools);
    Form->ShellTreeView1MouseDown(ui::mbLeft, 0, b.x, b.y);
    EXPECT_TRUE(tools->Expanded());
    EXPECT_TRUE(Form->ExpandGate().NodeExpanded());
    Form->ShellTreeView1MouseUp(Form->ShellTree(), ui::mbLeft, 0, b.x, b.y);
    EXPECT_TRUE(shell.Calls.empty());
}

TEST_F(CoreLoop, AClickOnALabelStartsTheEntryAndLeavesTheFolder) {
    CreateWith();
    Form->Show();
    TShellExecuteRecorder shell;
    ui::TTreeNode* tools = Node(L"Tools");
    ClickLabel(tools);
    ASSERT_EQ(shell.Calls.size(), 1u);
    EXPECT_EQ(shell.Calls[0].Parameters, L"\"" + Work + L"\\Tools\"");
    EXPECT_FALSE(tools->Expanded());
    EXPECT_FALSE(IsWindowVisible(Form->Handle())) << "Autohide hides the window after a start";
}

TEST_F(CoreLoop, ArrowKeysExpandAndCollapseEnterStarts) {
    CreateWith();
    TShellExecuteRecorder shell;
    ui::TTreeNode* tools = Node(L"Tools");
    WORD right = VK_RIGHT;
    Form->ShellTreeView1KeyDown(right, 0);
    tools->Expand(false);
    EXPECT_TRUE(tools->Expanded());
    WORD left = VK_LEFT;
    Form->ShellTreeView1KeyDown(left, 0);
    tools->Collapse(false);
    EXPECT_FALSE(tools->Expanded());
    tools->Expand(false);  // without a key: refused
    EXPECT_FALSE(tools->Expanded());

    Form->ShellTree()->SetSelected(nullptr);
    WORD enter = VK_RETURN;
    Form->ShellTreeView1KeyDown(enter, 0);
    EXPECT_TRUE(shell.Calls.empty()) << "Enter with nothing selected does nothing";
    tools->SetSelected(true);
    Form->ShellTreeView1KeyDown(enter, 0);
    EXPECT_EQ(shell.Calls.size(), 1u);
    wchar_t cr = 13, a = L'a';
    Form->ShellTreeView1KeyPress(cr);
    Form->ShellTreeView1KeyPress(a);
    EXPECT_EQ(cr, 0);
    EXPECT_EQ(a, L'a');
    bool allowEdit = true;
    Form->ShellTreeView1Editing(tools, allowEdit);
    EXPECT_FALSE(allowEdit);
}

TEST_F(CoreLoop, WithDoubleClickASingleClickStartsNothing) {
    CreateWith("ExecWithDblClick=1\r\n");
    Form->Show();
    TShellExecuteRecorder shell;
    ui::TTreeNode* tools = Node(L"Tools");
    ClickLabel(tools);
    EXPECT_TRUE(shell.Calls.empty());
    tools->Expand(false);  // the double-click's own toggle: refused
    Form->ShellTreeView1DblClick();
    ASSERT_EQ(shell.Calls.size(), 1u);
    EXPECT_FALSE(tools->Expanded());
}

TEST_F(CoreLoop, KeysOfTheWindow) {
    CreateWith("Autohide=0\r\n");
    Form->Show();
    WORD esc = VK_ESCAPE;
    Form->FormKeyDown(esc, 0);
    EXPECT_FALSE(IsWindowVisible(Form->Handle())) << "Esc hides whatever Autohide says";
    EXPECT_EQ(esc, VK_ESCAPE) << "keys are not consumed";
    wchar_t escChar = 27;
    Form->FormKeyPress(escChar);
    EXPECT_EQ(escChar, 0);

    Form->SetFirstShowPending(false);
    WriteFileBytes(Work + L"\\added.txt", "a");
    WORD f5 = VK_F5;
    Form->FormKeyDown(f5, 0);
    EXPECT_NE(Node(L"added.txt"), nullptr);
}

TEST_F(CoreLoop, HotKeysToggleTheWindowAndAHeldKeyIsLogged) {
    // Another window already holds Ctrl+Alt+Z.
    HWND other = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(RegisterHotKey(other, 1, MOD_CONTROL | MOD_ALT, 0x5A));
    CreateWith();
    UnregisterHotKey(other, 1);
    DestroyWindow(other);
    std::string log;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((GetLogFolder(true) + L"*.log").c_str(), &fd);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    log = ReadFileBytes(GetLogFolder(true) + fd.cFileName);
    EXPECT_NE(log.find("TfrmMain             RegisterHotkeys      Error      Unable to register Ctrl + Alt + Z as hotkey."),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("WIN + /"), std::string::npos) << "the other keys registered";

    SendMessageW(Form->Handle(), WM_HOTKEY, 7, 0);  // not ours
    EXPECT_FALSE(IsWindowVisible(Form->Handle()));
    SendMessageW(Form->Handle(), WM_HOTKEY, 4, 0);
    EXPECT_TRUE(IsWindowVisible(Form->Handle()));
    EXPECT_FALSE(Form->FirstShowPending()) << "the first call-up refreshed the tree";
    if (GetForegroundWindow() == Form->Handle()) {
        SendMessageW(Form->Handle(), WM_HOTKEY, 1, 0);
        EXPECT_FALSE(IsWindowVisible(Form->Handle()));
    }
}

TEST_F(CoreLoop, TheWindowComesUpAtThePointerInsideTheWorkArea) {
    CreateWith();
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetCursorPos(work.left + 2, work.top + 3);
    PostMessageW(Form->Handle(), WM_NULL, 0, 0);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Form->ShowAppWindow(srHotKey);
    RECT r{};
    GetWindowRect(Form->Handle(), &r);
    EXPECT_EQ(r.left, work.left);
    EXPECT_EQ(r.top, work.top);
    Form->Hide();

    // Without following the pointer the window comes back where it was.
    Options->Settings.FollowMousePos = false;
    SetWindowPos(Form->Handle(), nullptr, 321, 123, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Form->ShowAppWindow(srHotKey);
    GetWindowRect(Form->Handle(), &r);
    EXPECT_EQ(r.left, 321);
    EXPECT_EQ(r.top, 123);
}

}  // namespace
