#include <gtest/gtest.h>

#include "ShellTreeFixture.h"
#include "shell/ShellClipboard.h"

using namespace testutil;

namespace {

struct TReport {
    TKesShellOperations Operation;
    std::vector<std::wstring> Files;
    std::wstring Destination;
};

class Commands : public TShellTreeFixture<> {
protected:
    void SetUp() override {
        Make({L"Beta\\", L"alpha\\", L"apple.txt", L"zeta.txt"});
        Root(ShowOption(soShowFiles) | ShowOption(soShowErrorMessages));
        Tree->OnOperation = [this](TKesShellTree&, TKesShellOperations op, const std::vector<std::wstring>& files,
                                   const std::wstring& destination) { Reports.push_back({op, files, destination}); };
        EmptyTheClipboard();
    }
    void TearDown() override {
        TShellTreeFixture::TearDown();
        EmptyTheClipboard();
    }
    static void EmptyTheClipboard() {
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
    }
    void Select(const std::wstring& stem) {
        ui::TTreeNode* node = Entry(stem);
        ASSERT_TRUE(node) << "no entry " << stem.size();
        node->SetSelected(true);
    }
    // A key pressed in the tree, with Ctrl held when asked.
    void Press(WORD key, bool ctrl = false) {
        BYTE state[256];
        GetKeyboardState(state);
        if (ctrl) state[VK_CONTROL] |= 0x80;
        SetKeyboardState(state);
        SendMessageW(Tree->Handle(), WM_KEYDOWN, key, 0);
        state[VK_CONTROL] &= ~0x80;
        SetKeyboardState(state);
    }

    // Where the shell's menu opens for a WM_CONTEXTMENU with this lParam: the
    // top-left corner of the menu's window, read while it is open (a thread
    // timer runs inside the menu's loop), which is then closed.
    static POINT MenuOpensAt(HWND tree, LPARAM lParam) {
        static POINT seen;
        seen = POINT{-1000, -1000};
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) WINAPI {
            for (HWND w = FindWindowW(L"#32768", nullptr); w; w = FindWindowExW(nullptr, w, L"#32768", nullptr)) {
                RECT r{};
                if (IsWindowVisible(w) && GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() &&
                    GetWindowRect(w, &r)) {
                    seen = POINT{r.left, r.top};
                    EndMenu();
                    return;
                }
            }
        });
        SendMessageW(tree, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree), lParam);
        KillTimer(nullptr, timer);
        return seen;
    }

    std::vector<TReport> Reports;
};

constexpr TKesShellOperations kPaste = ShellOp(sopPaste) | ShellOp(sopAdd);

TEST_F(Commands, CopyCutAndPasteWithKeysMoveFilesAndReportIt) {
    // Ctrl+C on a file, Ctrl+V on a folder: copied, and reported twice.
    Select(L"apple");
    Press('C', true);
    Select(L"Beta");
    Press('V', true);
    EXPECT_TRUE(Exists(Dir / L"Beta\\apple.txt"));
    EXPECT_TRUE(Exists(Dir / L"apple.txt"));
    ASSERT_EQ(Reports.size(), 2u);
    EXPECT_EQ(Reports[0].Operation, kPaste | ShellOp(sopCopy));
    EXPECT_EQ(Reports[0].Files, std::vector<std::wstring>{Dir / L"apple.txt"});
    EXPECT_EQ(Reports[0].Destination, Dir / L"Beta");
    EXPECT_EQ(Reports[1].Operation, kPaste);

    // Ctrl+X marks the entry; Ctrl+V elsewhere moves the file, and the entry
    // leaves the folder it was cut from.
    Reports.clear();
    Select(L"apple");
    Press('X', true);
    EXPECT_TRUE(Entry(L"apple")->Cut());
    EXPECT_TRUE(ClipboardPrefersMove());
    Select(L"alpha");
    Press('V', true);
    EXPECT_TRUE(Exists(Dir / L"alpha\\apple.txt"));
    EXPECT_FALSE(Exists(Dir / L"apple.txt"));
    ASSERT_EQ(Reports.size(), 2u);
    EXPECT_EQ(Reports[0].Operation, kPaste | ShellOp(sopMove));
    EXPECT_EQ(Reports[0].Destination, Dir / L"alpha");
    EXPECT_EQ(Entry(L"apple"), nullptr);

    // The moved files are gone from the clipboard: a paste has nothing to do
    // and reports nothing.
    Reports.clear();
    Press('V', true);
    EXPECT_TRUE(Reports.empty());
    EXPECT_FALSE(Exists(Dir / L"alpha\\alpha"));
}

TEST_F(Commands, DeletingIsReportedOnlyWhenTheFileWent) {
    // Read-only: not even asked.
    Select(L"zeta");
    Tree->ReadOnly = true;
    Press(VK_DELETE);
    Tree->ReadOnly = false;
    EXPECT_TRUE(Exists(Dir / L"zeta.txt"));

    // Answered No: still there, nothing reported.
    {
        TDialogAnswer no(L"Confirm file deletion", IDNO);
        Press(VK_DELETE);
        EXPECT_TRUE(no.Answered);
    }
    EXPECT_TRUE(Exists(Dir / L"zeta.txt"));
    EXPECT_TRUE(Reports.empty());

    // Answered Yes: gone, reported once with its path.
    {
        TDialogAnswer yes(L"Confirm file deletion", IDYES);
        Press(VK_DELETE);
        EXPECT_TRUE(yes.Answered);
    }
    EXPECT_FALSE(Exists(Dir / L"zeta.txt"));
    ASSERT_EQ(Reports.size(), 1u);
    EXPECT_EQ(Reports[0].Operation, ShellOp(sopDelete) | ShellOp(sopRemove));
    EXPECT_EQ(Reports[0].Files, std::vector<std::wstring>{Dir / L"zeta.txt"});
}

TEST_F(Commands, TheMenuKeysMenuOpensAtTheSelectedEntry) {
    // The menu key gives no position: both coordinates -1, which a 64-bit
    // program may get sign-extended or as 0xFFFFFFFF. Either way the menu
    // opens at the corner of the selected entry's text; a click's menu
    // opens where it was clicked.
    Form.SetBounds(200, 150, 300, 400);
    Select(L"zeta");
    RECT text = Entry(L"zeta")->DisplayRect(true);
    POINT corner{text.right, text.bottom};
    ClientToScreen(Tree->Handle(), &corner);
    for (LPARAM keyboard : {LPARAM{-1}, static_cast<LPARAM>(0xFFFFFFFFu)}) {
        const POINT at = MenuOpensAt(Tree->Handle(), keyboard);
        EXPECT_EQ(at.x, corner.x) << std::hex << keyboard;
        EXPECT_EQ(at.y, corner.y) << std::hex << keyboard;
    }
    const POINT clicked = MenuOpensAt(Tree->Handle(), MAKELPARAM(260, 210));
    EXPECT_EQ(clicked.x, 260);
    EXPECT_EQ(clicked.y, 210);
    EXPECT_TRUE(Exists(Dir / L"zeta.txt"));
    EXPECT_TRUE(Reports.empty()) << "a closed menu does nothing";
}

TEST_F(Commands, RenamingInPlaceGoesThroughTheShell) {
    Select(L"zeta");
    EXPECT_EQ(Tree->GetNodePath(Entry(L"zeta")), Dir / L"zeta.txt");  // known before, renewed after
    Tree->StartRenameSelected();
    HWND edit = reinterpret_cast<HWND>(SendMessageW(Tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
    ASSERT_TRUE(edit) << "the editor opens";
    SetWindowTextW(edit, L"omega.txt");
    SendMessageW(Tree->Handle(), TVM_ENDEDITLABELNOW, FALSE, 0);
    EXPECT_TRUE(Exists(Dir / L"omega.txt"));
    EXPECT_FALSE(Exists(Dir / L"zeta.txt"));
    ASSERT_EQ(Reports.size(), 1u);
    EXPECT_EQ(Reports[0].Operation, ShellOp(sopRename));
    EXPECT_EQ(Reports[0].Files, std::vector<std::wstring>{Dir / L"zeta.txt"});
    EXPECT_EQ(Reports[0].Destination, Dir / L"omega.txt");
    ASSERT_TRUE(Entry(L"omega"));
    EXPECT_EQ(Tree->GetNodePath(Entry(L"omega")), Dir / L"omega.txt");

    // A cancelled edit renames nothing; read-only, F2 opens no editor.
    int cancelled = 0;
    Tree->OnEditCanceled = [&](ui::TTreeNode*) { ++cancelled; };
    Tree->StartRenameSelected();
    SendMessageW(Tree->Handle(), TVM_ENDEDITLABELNOW, TRUE, 0);
    EXPECT_EQ(cancelled, 1);
    Tree->ReadOnly = true;
    Press(VK_F2);
    EXPECT_FALSE(SendMessageW(Tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
    EXPECT_EQ(Reports.size(), 1u);
}

TEST_F(Commands, ChangesWhileANameIsEditedNeitherEndTheProgramNorLoseAnEntry) {
    int cancelled = 0;
    Tree->OnEditCanceled = [&](ui::TTreeNode*) { ++cancelled; };
    ui::TTreeNode* root = RootNode();
    auto editing = [&] { return SendMessageW(Tree->Handle(), TVM_GETEDITCONTROL, 0, 0) != 0; };

    // Another program removes the entry being edited and makes a new one.
    Select(L"zeta");
    Tree->StartRenameSelected();
    ASSERT_TRUE(editing());
    SetWindowTextW(reinterpret_cast<HWND>(SendMessageW(Tree->Handle(), TVM_GETEDITCONTROL, 0, 0)), L"omega.txt");
    DeleteFileW((Dir / L"zeta.txt").c_str());
    WriteFileBytes(Dir / L"new.txt", "n");
    Tree->RefreshNode(root, false);
    EXPECT_EQ(Entry(L"zeta"), nullptr);
    EXPECT_FALSE(editing()) << "the editor closed with its entry";
    EXPECT_EQ(cancelled, 1);
    SendMessageW(Tree->Handle(), TVM_ENDEDITLABELNOW, FALSE, 0);  // the user's Enter comes too late
    EXPECT_TRUE(Reports.empty());
    EXPECT_EQ(Entry(L"new"), nullptr) << "nothing is added while a name is edited";
    ui::Application->ProcessMessages();
    EXPECT_NE(Entry(L"new"), nullptr) << "once the editing ended, what came meanwhile shows";

    // An entry made while a name is edited shows once the edit is cancelled.
    Select(L"apple");
    Tree->StartRenameSelected();
    ASSERT_TRUE(editing());
    WriteFileBytes(Dir / L"later.txt", "l");
    Tree->RefreshNode(root, false);
    EXPECT_EQ(Entry(L"later"), nullptr);
    SendMessageW(Tree->Handle(), TVM_ENDEDITLABELNOW, TRUE, 0);
    ui::Application->ProcessMessages();
    EXPECT_NE(Entry(L"later"), nullptr);
    EXPECT_EQ(cancelled, 2);
    EXPECT_TRUE(Reports.empty()) << "nothing was renamed";
}

}  // namespace
