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

// Lays out a tree: "name\" is a folder, anything else a file.
void Lay(const std::wstring& root, const std::vector<std::wstring>& entries) {
    CreateDirectoryW(root.c_str(), nullptr);
    for (const std::wstring& e : entries) {
        const std::wstring path = root + L"\\" + e;
        for (size_t slash = path.find(L'\\', root.size() + 1); slash != std::wstring::npos;
             slash = path.find(L'\\', slash + 1))
            CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
        if (e.back() != L'\\') WriteFileBytes(path, "x");
    }
}

// The one decision before the previous folder goes, on the states a move
// can leave behind.
TEST(FolderMoveDecision, ThePreviousFolderGoesOnlyWhenNothingOfTheUsersIsLeft) {
    const std::vector<std::wstring> five = {L"B\\b.txt", L"C\\c.txt", L"D\\d.txt", L"E\\e.txt", L"F\\f.txt"};
    std::vector<std::wstring> fiveArrived = five, fiveEntries = {L"Apps", L"Apps\\x.txt"};
    fiveArrived.push_back(L"Apps\\x.txt");
    for (const std::wstring& f : five) {
        fiveEntries.push_back(f.substr(0, 1));
        fiveEntries.push_back(f);
    }
    const struct {
        const char* Name;
        bool PreviousExists;
        std::vector<std::wstring> Previous, Current, Entries;
        const wchar_t* CurrentAt;  // where the current folder lies, below the test folder
        bool MayGo;
    } cases[] = {
        {"all arrived, the merged folders left empty", true, {L"Tools\\"}, {L"a.lnk", L"Tools\\b.lnk"},
         {L"a.lnk", L"Tools", L"Tools\\b.lnk"}, L"new", true},
        {"a file stayed in the first folder, before five sibling folders", true,
         {L"Apps\\x.txt", L"B\\", L"C\\", L"D\\", L"E\\", L"F\\"}, fiveArrived, fiveEntries, L"new", false},
        {"a file stayed at the top", true, {L"a.lnk"}, {L"a.lnk"}, {L"a.lnk"}, L"new", false},
        {"a file stayed deep down", true, {L"A\\B\\C\\deep.lnk"}, {L"A\\B\\C\\deep.lnk"}, {}, L"new", false},
        {"an entry did not arrive", true, {L"Tools\\"}, {L"Tools\\"}, {L"Tools\\b.lnk"}, L"new", false},
        {"an empty folder the current one lacks", true, {L"Empty\\"}, {}, {}, L"new", false},
        {"the previous folder is gone already", false, {}, {L"a.lnk"}, {L"a.lnk"}, L"new", false},
        {"the current folder is the previous one, spelled otherwise", true, {}, {}, {}, L"OLD\\", false},
        {"the current folder lies inside the previous one", true, {}, {}, {}, L"old\\inner", false},
        {"the previous folder lies inside the current one", true, {}, {}, {}, L"", false},
    };
    for (const auto& c : cases) {
        TTempDir dir;
        const std::wstring previous = dir / L"old";
        const std::wstring current = *c.CurrentAt ? dir / c.CurrentAt : dir.Path();
        if (c.PreviousExists) Lay(previous, c.Previous);
        Lay(current, c.Current);
        EXPECT_EQ(MayRemovePreviousFolder(previous, current, c.Entries), c.MayGo) << c.Name;
        if (c.MayGo) {
            EXPECT_FALSE(HoldsFiles(previous)) << c.Name;
        }
    }
}

TEST_F(FolderMove, AFileKeptInAnEarlyFolderIsNeverTakenForMoved) {
    // The previous folder holds "Apps\x.txt" and five folders of one file
    // each; the target has its own "Apps\x.txt" and the five folders, empty.
    Lay(Source, {L"Apps\\x.txt", L"B\\b.txt", L"C\\c.txt", L"D\\d.txt", L"E\\e.txt", L"F\\f.txt"});
    Lay(Target, {L"Apps\\x.txt", L"B\\", L"C\\", L"D\\", L"E\\", L"F\\"});
    WriteFileBytes(Source + L"\\Apps\\x.txt", "mine");
    const std::vector<std::wstring> entries = FolderEntries(Source);
    MoveWorkingFolder(Source, Target);
    EXPECT_TRUE(HoldsFiles(Source)) << "a file that stayed is found behind sibling folders";
    EXPECT_FALSE(MayRemovePreviousFolder(Source, Target, entries));
    EXPECT_EQ(ReadFileBytes(Source + L"\\Apps\\x.txt"), "mine");
    EXPECT_TRUE(Exists(Target + L"\\F\\f.txt"));
}

// A folder whose name ends in a dot (made from another system, or through
// "\\?\") cannot be listed through its plain path: the dot is dropped,
// and the listing finds nothing. What cannot be listed is not empty.
TEST_F(FolderMove, AFolderThatCannotBeListedKeepsThePreviousFolder) {
    wchar_t full[MAX_PATH] = {};
    GetFullPathNameW(Source.c_str(), MAX_PATH, full, nullptr);
    const std::wstring dotted = std::wstring(L"\\\\?\\") + full + L"\\Apps.";
    ASSERT_TRUE(CreateDirectoryW(dotted.c_str(), nullptr));
    WriteFileBytes(dotted + L"\\mine.lnk", "mine");
    Lay(Target, {L"Apps\\"});
    const std::vector<std::wstring> entries = FolderEntries(Source);
    MoveWorkingFolder(Source, Target);
    ASSERT_TRUE(Exists(dotted + L"\\mine.lnk")) << "the link stayed behind";
    EXPECT_TRUE(HoldsFiles(Source));
    EXPECT_FALSE(MayRemovePreviousFolder(Source, Target, entries)) << "the previous folder would go with the link";
    DeleteFileW((dotted + L"\\mine.lnk").c_str());
    RemoveDirectoryW(dotted.c_str());
}

TEST(FolderIdentity, SpellingsOfOneFolderAreOneFolder) {
    TTempDir dir;
    Lay(dir / L"Links", {L"Inner\\"});
    wchar_t shortName[MAX_PATH] = {};
    GetShortPathNameW((dir / L"Links").c_str(), shortName, MAX_PATH);
    for (const std::wstring& other : {dir / L"LINKS", dir / L"links\\", std::wstring(shortName), dir / L"Inner\\..\\Links"})
        EXPECT_TRUE(SameFolder(dir / L"Links", other)) << other.size();
    EXPECT_FALSE(SameFolder(dir / L"Links", dir / L"Links\\Inner"));
    EXPECT_FALSE(SameFolder(dir / L"Links", dir / L"Gone")) << "a folder that does not exist is another one";
    EXPECT_TRUE(FolderWithin(dir / L"links\\inner", dir / L"LINKS\\"));
    EXPECT_FALSE(FolderWithin(dir / L"Links", dir / L"Links\\Inner"));
    EXPECT_TRUE(FoldersOverlap(dir / L"Links", dir / L"Links\\Inner"));
    EXPECT_FALSE(FoldersOverlap(dir / L"Links", dir / L"Linksmore"));
}

}  // namespace
