#include <gtest/gtest.h>

#include "shell/ShellBrowser.h"
#include "shell/ShellClipboard.h"
#include "testutil/TestFiles.h"
#include "ui/Application.h"

using namespace testutil;

namespace {

std::wstring ItemText(HMENU menu, int i) {
    wchar_t text[128]{};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    std::wstring plain;
    for (const wchar_t* c = text; *c; ++c)
        if (*c != L'&') plain.push_back(*c);
    return plain;
}

std::vector<std::wstring> ItemTexts(HMENU menu) {
    std::vector<std::wstring> texts;
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) texts.push_back(ItemText(menu, i));
    return texts;
}

// Queues the keys that choose an item of the menu about to open, as a user
// would press them: Down to it, Enter. Esc when the item is missing.
void PickWithKeys(HMENU menu, const std::wstring& text) {
    HWND target = ui::Application->Handle();
    int downs = 0;
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) continue;
        ++downs;
        if (ItemText(menu, i) == text) {
            for (int d = 0; d < downs; ++d) PostMessageW(target, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0);
            return;
        }
    }
    PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0);
}

class Verbs : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW((Dir / L"Sub").c_str(), nullptr);
        WriteFileBytes(Dir / L"a.txt", "a");
        WriteFileBytes(Dir / L"b.txt", "b");
        Browser.SetFolder(Dir.Path());
        Own.Items.Add(L"mnuZap", L"Zap")->OnClick = [this](ui::TMenuItem&) { ++Zapped; };
        Own.Items.Add(L"mnuZip", L"Zip");
    }
    // Shows the menu of an object and chooses the item with the text.
    std::wstring Choose(const std::wstring& object, const std::wstring& text, bool onTop = true) {
        Browser.SetObjectName(object);
        Browser.ShowContextMenuOnTop = onTop;
        Own.OnPopup = [&](ui::TPopupMenu&) {
            Seen = ItemTexts(Browser.ContextMenuHandle());
            PickWithKeys(Browser.ContextMenuHandle(), text);
        };
        std::wstring verb = L"unset";
        Browser.ShowContextMenu(POINT{100, 100}, &Own, verb);
        return verb;
    }

    TTempDir Dir;
    TShellBrowser Browser;
    ui::TPopupMenu Own;
    int Zapped = 0;
    std::vector<std::wstring> Seen;
};

TEST_F(Verbs, TheObjectsACommandActsOn) {
    // Several objects of the folder: one list each, then the names are used up
    // and the current object is what it was.
    Browser.SetObjectName(L"a.txt");
    Browser.MultiObjects = {L"b.txt", L"Sub"};
    std::vector<TChildIDList> lists = Browser.GetObjectIDLists();
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(DisplayNameOf(Browser.ShellFolder(), lists[1].Get()), L"Sub");
    EXPECT_TRUE(Browser.MultiObjects.empty());
    EXPECT_EQ(Browser.ObjectName(), L"a.txt");

    // An unknown verb fails and leaves no names behind.
    Browser.MultiObjects = {L"a.txt"};
    EXPECT_FALSE(Browser.ExecuteVerb(L"frobnicate"));
    EXPECT_TRUE(Browser.MultiObjects.empty());
}

TEST_F(Verbs, ADeleteThatDidNotDeleteIsNoSuccess) {
    // A drive cannot be deleted: refused before the shell is asked.
    Browser.SetSpecialFolder(SF_DRIVES);
    Browser.SetObjectName(L"C:\\");
    EXPECT_FALSE(Browser.ExecuteVerb(L"delete"));

    // The user answers No to the shell's question: the file is still there.
    Browser.SetFolder(Dir.Path());
    Browser.SetObjectName(L"a.txt");
    TDialogAnswer no(L"Confirm file deletion", IDNO);
    EXPECT_FALSE(Browser.ExecuteVerb(L"delete"));
    EXPECT_TRUE(no.Answered);
    EXPECT_TRUE(Exists(Dir / L"a.txt"));

    // "rename" goes only to the handler.
    int renames = 0;
    Browser.OnRename = [&](TShellBrowser&) { ++renames; };
    EXPECT_TRUE(Browser.ExecuteVerb(L"Rename"));
    EXPECT_EQ(renames, 1);
    EXPECT_TRUE(Exists(Dir / L"a.txt"));
}

TEST_F(Verbs, RenamingHandsBackTheNameTheShellShows) {
    Browser.SetObjectName(L"a.txt");
    std::wstring name = L"renamed.txt";
    Browser.RenameObject(name);
    EXPECT_EQ(Browser.ObjectName(), L"renamed.txt");
    EXPECT_TRUE(Exists(Dir / L"renamed.txt"));
    EXPECT_FALSE(Exists(Dir / L"a.txt"));
}

TEST_F(Verbs, MergedMenusKeepOwnItemsApartFromTheShells) {
    // The shell's items on top: its first item leads, the own ones follow.
    EXPECT_EQ(Choose(L"a.txt", L"Zap", true), L"");
    ASSERT_GE(Seen.size(), 4u);
    EXPECT_NE(Seen.front(), L"Zap");
    EXPECT_EQ(Seen[Seen.size() - 2], L"Zap");
    EXPECT_EQ(Seen.back(), L"Zip");
    EXPECT_EQ(Zapped, 1) << "an own item runs its own handler";

    // Below: the own items lead, and choosing the first (command 1) still
    // runs the own handler, not the shell's first command.
    EXPECT_EQ(Choose(L"a.txt", L"Zap", false), L"");
    EXPECT_EQ(Seen.front(), L"Zap");
    EXPECT_EQ(Zapped, 2);

    // A shell item reports its verb.
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    EXPECT_EQ(Choose(L"b.txt", L"Copy"), L"copy");
    auto files = ClipboardFileNames();
    ASSERT_TRUE(files);
    EXPECT_EQ(files->front(), Dir / L"b.txt");

    // Read-only and no handler: Delete and Cut run nothing.
    Browser.ReadOnly = true;
    EXPECT_EQ(Choose(L"a.txt", L"Delete"), L"");
    EXPECT_TRUE(Exists(Dir / L"a.txt"));
    EXPECT_EQ(Choose(L"a.txt", L"Cut"), L"");
    EXPECT_FALSE(ClipboardPrefersMove());
    EXPECT_EQ(ClipboardFileNames()->front(), Dir / L"b.txt") << "the clipboard is as it was";

    // A handler decides instead of the read-only rule.
    Browser.OnContextMenuSelect = [](const std::wstring& verb, bool& execute) { execute = verb == L"cut"; };
    EXPECT_EQ(Choose(L"a.txt", L"Cut"), L"cut");
    EXPECT_TRUE(ClipboardPrefersMove()) << "a cut says so on the clipboard";
}

}  // namespace
