#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "testutil/TestFiles.h"
#include "ui/Handles.h"
#include "util/EntryIndex.h"

using namespace testutil;

namespace {

// Runs the thread's messages until the condition holds or ms have passed.
template <typename F>
bool PumpUntil(F&& done, DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(5);
    }
}

// The path of the best match, or empty.
std::wstring Best(const TEntryIndex& index, const std::wstring& text, const std::vector<std::wstring>& recent) {
    const std::vector<TEntryMatch> matches = index.Find(text, recent);
    return matches.empty() ? std::wstring() : matches.front().Path;
}

void MakeFolders(const std::wstring& path) {
    for (size_t slash = path.find(L'\\', 3); ; slash = path.find(L'\\', slash + 1)) {
        CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
        if (slash == std::wstring::npos) break;
    }
}

TEST(EntryIndex, FindsEntriesAnywhereAndFollowsTheFileSystem) {
    TTempDir dir;
    const std::wstring root = dir / L"work";
    MakeFolders(root + L"\\Tools\\Deep");
    MakeFolders(root + L"\\A\\B\\C");
    MakeFolders(dir / L"Outside");
    WriteFileBytes(root + L"\\Quarterly report.lnk", "");
    WriteFileBytes(root + L"\\Tools\\setup-tool.url", "");
    WriteFileBytes(root + L"\\Tools\\Deep\\Notes.txt", "");
    WriteFileBytes(root + L"\\Notes2.txt", "");
    WriteFileBytes(root + L"\\Concealed.txt", "");
    SetFileAttributesW((root + L"\\Concealed.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    const bool hidden = (GetFileAttributesW((root + L"\\Concealed.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0;
    WriteFileBytes(dir / L"Outside\\Secret.txt", "");
    // Junctions need a file system that keeps reparse points; where no link
    // of any kind can be made the index has nothing to refuse to follow.
    const bool junction = MakeJunction(root + L"\\Portal", dir / L"Outside") ||
                          MakeWineSymlink(root + L"\\Portal", dir / L"Outside");
    if (!junction) std::printf("no link to a folder could be made here: its case is skipped\n");

    TEntryIndex index(root);
    int changes = 0;
    index.OnChanged = [&] { ++changes; };
    EXPECT_EQ(index.Count(), 0u) << "no work before the first refresh";
    index.Refresh();
    ASSERT_TRUE(index.WaitIdle(30000));
    EXPECT_TRUE(PumpUntil([&] { return changes == 1; }, 5000)) << "told once the index is built";

    const std::vector<std::wstring> none;
    EXPECT_EQ(Best(index, L"QUARTERLY", none), root + L"\\Quarterly report.lnk") << "a name's start, any case";
    EXPECT_EQ(Best(index, L"report", none), root + L"\\Quarterly report.lnk") << "a word's start";
    EXPECT_EQ(Best(index, L"arter", none), root + L"\\Quarterly report.lnk") << "anywhere";
    EXPECT_EQ(Best(index, L"lnk", none), L"") << "a hidden extension is not part of the name";
    EXPECT_EQ(Best(index, L"tool", none), root + L"\\Tools") << "a folder is an entry, and a name's start wins";
    EXPECT_EQ(Best(index, L"setup", none), root + L"\\Tools\\setup-tool.url");
    EXPECT_EQ(Best(index, L"notes", none), root + L"\\Notes2.txt") << "the shallower one";
    EXPECT_EQ(Best(index, L"notes", {L"TOOLS\\deep\\notes.txt"}), root + L"\\Tools\\Deep\\Notes.txt")
        << "the one opened most recently, its path in any case";
    if (hidden) {
        EXPECT_EQ(Best(index, L"concealed", none), L"") << "hidden entries are not shown";
    }
    if (junction) {
        EXPECT_EQ(Best(index, L"portal", none), root + L"\\Portal") << "a junction is an entry";
        EXPECT_EQ(Best(index, L"secret", none), L"") << "but is not entered";
    }

    // Made later, three folders deep, by another program.
    WriteFileBytes(root + L"\\A\\B\\C\\Later.txt", "");
    index.Refresh();
    ASSERT_TRUE(index.WaitIdle(30000));
    EXPECT_EQ(Best(index, L"later", none), root + L"\\A\\B\\C\\Later.txt");
    EXPECT_TRUE(PumpUntil([&] { return changes == 2; }, 5000)) << "told after a change";

    // Nothing changed: nobody is told.
    index.Refresh();
    ASSERT_TRUE(index.WaitIdle(30000));
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(changes, 2);

    // Renamed: found by the new name only; deleted: never offered; a
    // renamed folder takes what it holds along.
    ASSERT_TRUE(MoveFileW((root + L"\\Tools\\Deep\\Notes.txt").c_str(), (root + L"\\Tools\\Deep\\Minutes.txt").c_str()));
    ASSERT_TRUE(DeleteFileW((root + L"\\A\\B\\C\\Later.txt").c_str()));
    ASSERT_TRUE(MoveFileW((root + L"\\Tools").c_str(), (root + L"\\Utilities").c_str()));
    index.Refresh();
    ASSERT_TRUE(index.WaitIdle(30000));
    EXPECT_EQ(Best(index, L"minutes", none), root + L"\\Utilities\\Deep\\Minutes.txt");
    EXPECT_EQ(Best(index, L"notes", {L"Tools\\Deep\\Notes.txt"}), root + L"\\Notes2.txt");
    EXPECT_EQ(Best(index, L"later", none), L"");
    EXPECT_EQ(Best(index, L"setup", none), root + L"\\Utilities\\setup-tool.url");
    EXPECT_TRUE(PumpUntil([&] { return changes == 3; }, 5000));

    // Another working folder: nothing of the previous one is offered.
    index.SetRoot(dir / L"Outside");
    EXPECT_EQ(Best(index, L"minutes", none), L"");
    ASSERT_TRUE(index.WaitIdle(30000));
    EXPECT_EQ(Best(index, L"secret", none), dir / L"Outside\\Secret.txt");

    if (junction) {
        EXPECT_TRUE(RemoveLink(root + L"\\Portal")) << "the link goes, and only the link";
    }
    EXPECT_TRUE(Exists(dir / L"Outside\\Secret.txt"));
}

// Refreshes the index and waits until it is idle again.
void RefreshAndWait(TEntryIndex& index) {
    index.Refresh();
    ASSERT_TRUE(index.WaitIdle(30000));
}

TEST(EntryIndex, AFileThatBecomesAFolderIsEntered) {
    TTempDir dir;
    const std::wstring root = dir / L"work";
    MakeFolders(root);
    WriteFileBytes(root + L"\\Stuff", "");
    TEntryIndex index(root);
    RefreshAndWait(index);
    const std::vector<std::wstring> none;
    EXPECT_EQ(Best(index, L"stuff", none), root + L"\\Stuff");

    // The same name, now a folder with something in it: the folder list
    // of the working folder reads the same, yet there is more to find.
    ASSERT_TRUE(DeleteFileW((root + L"\\Stuff").c_str()));
    MakeFolders(root + L"\\Stuff");
    WriteFileBytes(root + L"\\Stuff\\Inner.txt", "");
    RefreshAndWait(index);
    EXPECT_EQ(Best(index, L"inner", none), root + L"\\Stuff\\Inner.txt");

    // And back: a folder that became a file and then a folder again.
    RemoveTree(root + L"\\Stuff");
    WriteFileBytes(root + L"\\Stuff", "");
    RefreshAndWait(index);
    EXPECT_EQ(Best(index, L"inner", none), L"");
    ASSERT_TRUE(DeleteFileW((root + L"\\Stuff").c_str()));
    MakeFolders(root + L"\\Stuff");
    WriteFileBytes(root + L"\\Stuff\\Again.txt", "");
    RefreshAndWait(index);
    EXPECT_EQ(Best(index, L"again", none), root + L"\\Stuff\\Again.txt");
}

TEST(EntryIndex, FoldersAndTheRootRemadeAndDeepPaths) {
    TTempDir dir;
    const std::wstring root = dir / L"work";
    MakeFolders(root + L"\\Box\\Old");
    WriteFileBytes(root + L"\\Box\\Old\\First.txt", "");
    TEntryIndex index(root);
    RefreshAndWait(index);
    const std::vector<std::wstring> none;
    EXPECT_EQ(Best(index, L"first", none), root + L"\\Box\\Old\\First.txt");

    // A folder deleted and made again with the same name and other content.
    RemoveTree(root + L"\\Box");
    MakeFolders(root + L"\\Box\\Old");
    WriteFileBytes(root + L"\\Box\\Old\\Second.txt", "");
    RefreshAndWait(index);
    EXPECT_EQ(Best(index, L"first", none), L"");
    EXPECT_EQ(Best(index, L"second", none), root + L"\\Box\\Old\\Second.txt");

    // The working folder itself deleted, then made again.
    RemoveTree(root);
    RefreshAndWait(index);
    EXPECT_EQ(Best(index, L"second", none), L"");
    EXPECT_EQ(index.Count(), 0u);
    MakeFolders(root + L"\\Back");
    RefreshAndWait(index);
    EXPECT_EQ(Best(index, L"back", none), root + L"\\Back");

    // Deeper than MAX_PATH.
    std::wstring deep = L"\\\\?\\" + root;
    for (int i = 0; i < 12; ++i) {
        deep += L"\\level " + std::to_wstring(i) + L" abcdefghijklmnopqrstuvwxyz";
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    }
    ui::THandleOwner file(CreateFileW((deep + L"\\Bottom.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ASSERT_TRUE(static_cast<bool>(file));
    file.Reset();
    RefreshAndWait(index);
    EXPECT_EQ(Best(index, L"bottom", none), deep.substr(4) + L"\\Bottom.txt");
}

// Where a watch reports every change, a call-up looks at nothing, and the
// folders of the paths reported are read again.
TEST(EntryIndex, WhereAWatchReportsChangesTheyAloneAreRead) {
    TTempDir dir;
    const std::wstring root = dir / L"work";
    MakeFolders(root + L"\\Box\\Inner");
    WriteFileBytes(root + L"\\Box\\Inner\\old.txt", "");
    TEntryIndex index(root);
    RefreshAndWait(index);
    index.SetSubtreeReported(true);
    const std::vector<std::wstring> none;
    auto settle = [&] { ASSERT_TRUE(index.WaitIdle(30000)); };

    WriteFileBytes(root + L"\\Box\\Inner\\new.txt", "");
    index.CallUp();
    settle();
    EXPECT_EQ(Best(index, L"new", none), L"") << "a call-up reads nothing";
    index.Changed({root + L"\\BOX\\inner\\new.txt"});
    settle();
    EXPECT_EQ(Best(index, L"new", none), root + L"\\Box\\Inner\\new.txt") << "a path reported, in any case";

    // Made anew with other content: the folder above reads the same.
    RemoveTree(root + L"\\Box\\Inner");
    MakeFolders(root + L"\\Box\\Inner\\Deeper");
    WriteFileBytes(root + L"\\Box\\Inner\\Deeper\\fresh.txt", "");
    index.Changed({root + L"\\Box\\Inner"});
    settle();
    EXPECT_EQ(Best(index, L"old", none), L"");
    EXPECT_EQ(Best(index, L"fresh", none), root + L"\\Box\\Inner\\Deeper\\fresh.txt");

    // Gone with all below it; a path elsewhere changes nothing.
    RemoveTree(root + L"\\Box");
    index.Changed({root + L"\\Box", dir / L"elsewhere.txt"});
    settle();
    EXPECT_EQ(index.Count(), 0u);

    // Where no watch reports a whole subtree, a call-up looks again.
    index.SetSubtreeReported(false);
    WriteFileBytes(root + L"\\later.txt", "");
    index.CallUp();
    settle();
    EXPECT_EQ(Best(index, L"later", none), root + L"\\later.txt");
}

TEST(EntryIndex, AWorkingFolderChangeOrTheEndWhileItListsStopsTheWalk) {
    TTempDir dir;
    const std::wstring first = dir / L"first", second = dir / L"second";
    for (int i = 0; i < 300; ++i)
        MakeFolders(first + L"\\Group " + std::to_wstring(i % 10) + L"\\Folder " + std::to_wstring(i));
    MakeFolders(second + L"\\Other");
    const std::vector<std::wstring> none;
    for (int round = 0; round < 5; ++round) {
        TEntryIndex index(first);
        int changes = 0;
        index.OnChanged = [&] { ++changes; };
        index.Refresh();
        Sleep(static_cast<DWORD>(round));
        index.SetRoot(second);
        index.Refresh();
        ASSERT_TRUE(index.WaitIdle(30000));
        EXPECT_EQ(Best(index, L"other", none), second + L"\\Other");
        EXPECT_EQ(Best(index, L"folder", none), L"") << "nothing of the folder before";
        EXPECT_EQ(index.Count(), 1u);
        // Back, and gone while it lists: the end waits for the worker.
        index.SetRoot(first);
        index.Refresh();
        PumpUntil([] { return false; }, static_cast<DWORD>(round));
    }
}

TEST(EntryIndex, CaseAndWordsBeyondAscii) {
    TTempDir dir;
    const std::wstring root = dir / L"work";
    MakeFolders(root);
    for (const wchar_t* name : {L"\u00c9t\u00e9 Plan.txt", L"Stra\u00dfeMap.txt", L"amap.txt", L"na\u00efve\u00c9tude.txt",
                                L"a\u00e9tude.txt"})
        WriteFileBytes(root + L"\\" + name, "");
    TEntryIndex index(root);
    RefreshAndWait(index);
    const std::vector<std::wstring> none;
    EXPECT_EQ(Best(index, L"\u00e9T\u00c9", none), root + L"\\\u00c9t\u00e9 Plan.txt") << "case beyond ASCII";
    EXPECT_EQ(Best(index, L"MAP", none), root + L"\\Stra\u00dfeMap.txt") << "a word after a small \u00df";
    EXPECT_EQ(Best(index, L"\u00e9tude", none), root + L"\\na\u00efve\u00c9tude.txt") << "a capital beyond ASCII starts a word";
}

// How many entries a folder lists, "." and ".." aside.
size_t ListedCount(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    ui::TFindHandleOwner find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    size_t count = 0;
    if (find) do {
            if (std::wcscmp(data.cFileName, L".") != 0 && std::wcscmp(data.cFileName, L"..") != 0) ++count;
        } while (FindNextFileW(find.Get(), &data));
    return count;
}

TEST(EntryIndex, FoldersWhoseNamesDifferOnlyInCaseKeepTheirOwnEntries) {
    TTempDir dir;
    const std::wstring root = dir / L"work";
    const std::wstring upper = root + L"\\Kit", lower = root + L"\\kit";
    MakeFolders(upper);
    WriteFileBytes(upper + L"\\one.txt", "");
    // A file system that keeps cases apart (Wine's, or a folder so marked
    // on Windows) holds both; the other is made from the Unix side.
    const std::wstring unixLower = WineUnixPath(root) + L"/kit";
    if (unixLower == L"/kit" ||
        !RunUnix(L"Z:\\bin\\mkdir", L"mkdir \"" + unixLower + L"\"", [&] { return ListedCount(root) == 2; })) {
        std::printf("no two folders that differ only in case here: skipped\n");
        return;
    }
    WriteFileBytes(lower + L"\\two.txt", "");  // a name as listed opens that folder
    TEntryIndex index(root);
    RefreshAndWait(index);
    const std::vector<std::wstring> none;
    EXPECT_EQ(Best(index, L"one", none), upper + L"\\one.txt");
    EXPECT_EQ(Best(index, L"two", none), lower + L"\\two.txt");
    EXPECT_EQ(index.Count(), 4u);
    // What comes into either is found, and the other keeps its own.
    WriteFileBytes(upper + L"\\three.txt", "");
    WriteFileBytes(lower + L"\\four.txt", "");
    RefreshAndWait(index);
    EXPECT_EQ(Best(index, L"three", none), upper + L"\\three.txt");
    EXPECT_EQ(Best(index, L"four", none), lower + L"\\four.txt");
    EXPECT_EQ(Best(index, L"one", none), upper + L"\\one.txt");
    EXPECT_EQ(Best(index, L"two", none), lower + L"\\two.txt");
}

}  // namespace
