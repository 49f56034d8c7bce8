#include <gtest/gtest.h>

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
    {
        TDialogAnswer ok(L"Browse for Folder", IDOK);
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
