#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "testutil/TestFiles.h"
#include "ui/Handles.h"
#include "util/FolderMove.h"

using namespace testutil;

namespace {

// A working folder with links at the top and below a sub-folder.
class FolderMove : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(Source.c_str(), nullptr);
        CreateDirectoryW((Source + L"\\Tools").c_str(), nullptr);
        WriteFileBytes(Source + L"\\a.lnk", "a");
        WriteFileBytes(Source + L"\\Tools\\b.lnk", "b");
        Before = FolderEntries(Source);
        std::sort(Before.begin(), Before.end());
    }
    // Every link is somewhere: arrived, or still where it was.
    void NothingLost() {
        for (const std::wstring& entry : Before)
            EXPECT_TRUE(Exists(Target + L"\\" + entry) || Exists(Source + L"\\" + entry)) << "lost: " << entry.size();
    }
    TTempDir Dir;
    std::wstring Source = Dir / L"old";
    std::wstring Target = Dir / L"new";
    std::vector<std::wstring> Before;
};

TEST_F(FolderMove, AFolderMovesWholeWhereNoneWas) {
    EXPECT_EQ(Before, (std::vector<std::wstring>{L"Tools", L"Tools\\b.lnk", L"a.lnk"}));
    MoveWorkingFolder(Source, Target);
    EXPECT_TRUE(EntriesMissing(Before, Target).empty());
    EXPECT_FALSE(HoldsFiles(Source));
}

TEST_F(FolderMove, IntoAnExistingFolderNothingIsReplacedOrLost) {
    CreateDirectoryW(Target.c_str(), nullptr);
    CreateDirectoryW((Target + L"\\Tools").c_str(), nullptr);
    WriteFileBytes(Target + L"\\a.lnk", "theirs");
    WriteFileBytes(Target + L"\\Tools\\c.lnk", "c");
    MoveWorkingFolder(Source, Target);
    EXPECT_EQ(ReadFileBytes(Target + L"\\a.lnk"), "theirs") << "a file of the same name is kept";
    EXPECT_EQ(ReadFileBytes(Source + L"\\a.lnk"), "a") << "and so is the one that could not go";
    EXPECT_TRUE(Exists(Target + L"\\Tools\\b.lnk")) << "folders of both are merged";
    EXPECT_TRUE(Exists(Target + L"\\Tools\\c.lnk"));
    EXPECT_FALSE(Exists(Target + L"\\Tools\\Tools")) << "not nested";
    EXPECT_TRUE(HoldsFiles(Source)) << "so the previous folder must stay";
    NothingLost();
}

TEST_F(FolderMove, AnUnwritableTargetMovesNothing) {
    WriteFileBytes(Dir / L"blocker", "a file where the target's parent should be");
    Target = Dir / L"blocker\\new";
    MoveWorkingFolder(Source, Target);
    EXPECT_EQ(EntriesMissing(Before, Target).size(), Before.size());
    EXPECT_TRUE(HoldsFiles(Source));
    NothingLost();
}

TEST_F(FolderMove, AFileHeldOpenIsNeverLost) {
    ui::THandleOwner held(CreateFileW((Source + L"\\Tools\\b.lnk").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
    ASSERT_TRUE(held);
    CreateDirectoryW(Target.c_str(), nullptr);  // entry by entry
    MoveWorkingFolder(Source, Target);
    held.Reset();
    NothingLost();
    // Whatever did not arrive is named, and the previous folder still holds it.
    std::vector<std::wstring> missing = EntriesMissing(Before, Target);
    if (!missing.empty()) {
        EXPECT_TRUE(HoldsFiles(Source));
    }
}

}  // namespace
