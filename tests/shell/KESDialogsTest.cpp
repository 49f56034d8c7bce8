#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "shell/KESDialogs.h"
#include "testutil/TestFiles.h"

using namespace testutil;

namespace {

TEST(BrowseForFolder, OptionsExcludeEachOther) {
    TKesBrowseForFolder browse;
    EXPECT_EQ(browse.Options(), BrowseFlag(bfNewDialogStyle));
    browse.SetOptions(BrowseFlag(bfNewDialogStyle) | BrowseFlag(bfFileSystemOnly) | BrowseFlag(bfEditBox));
    EXPECT_EQ(browse.Options(), BrowseFlag(bfNewDialogStyle) | BrowseFlag(bfEditBox));
    browse.SetOptions(BrowseFlag(bfFileSystemOnly));
    EXPECT_EQ(browse.SystemFlags(), static_cast<UINT>(BIF_RETURNONLYFSDIRS));
    browse.SetRootedAtFileSystemFolder(L"C:\\");
    EXPECT_EQ(browse.RootedAt, SF_FILESYSTEMFOLDER);
}

TEST(BrowseForFolder, OpensOnThePathAndReturnsWhatWasChosen) {
    TTempDir dir;
    CreateDirectoryW((dir / L"Pick").c_str(), nullptr);
    TKesBrowseForFolder browse;
    browse.Title = L"Select Working Folder";
    browse.Path = dir / L"Pick";
    bool shown = false, closed = false;
    browse.OnShow = [&] { shown = true; };
    browse.OnClose = [&] { closed = true; };
    // Answered once the folder shows selected in the dialog's tree.
    auto pickSelected = [](HWND dialog) {
        HWND tree = nullptr;
        EnumChildWindows(
            dialog,
            [](HWND c, LPARAM p) WINAPI -> BOOL {
                wchar_t cls[32]{};
                GetClassNameW(c, cls, 32);
                if (std::wstring(cls) != L"SysTreeView32") return TRUE;
                *reinterpret_cast<HWND*>(p) = c;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&tree));
        if (!tree) return false;
        auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        wchar_t text[64]{};
        TVITEMW tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = 64;
        return item && SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)) && std::wstring(text) == L"Pick";
    };
    {
        TDialogAnswer ok(L"Browse for Folder", IDOK, pickSelected);
        EXPECT_TRUE(browse.Execute());
        EXPECT_TRUE(ok.Answered);
    }
    EXPECT_EQ(browse.Path, dir / L"Pick") << "the folder selected at first is the one chosen";
    EXPECT_TRUE(shown && closed);
    EXPECT_EQ(browse.DialogHandle(), nullptr);
    {
        TDialogAnswer cancel(L"Browse for Folder", IDCANCEL);
        EXPECT_FALSE(browse.Execute());
    }
    EXPECT_EQ(browse.Path, L"");
}

}  // namespace
