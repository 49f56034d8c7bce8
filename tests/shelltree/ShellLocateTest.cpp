#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "ShellTreeFixture.h"

using namespace testutil;

namespace {

constexpr TKesShellShowOptions kFiles = ShowOption(soShowNethood) | ShowOption(soShowRecycleBin) |
                                        ShowOption(soShowErrorMessages) | ShowOption(soShowFiles);

class Locate : public TShellTreeFixture<> {
protected:
    void SetUp() override {
        Make({L"A\\", L"A\\Deep\\", L"B\\", L"C\\", L"A\\a1.txt", L"A\\Deep\\d.txt", L"B\\b1.txt", L"m.txt"});
        Root(kFiles);
    }
    // Sends a report as the shell does, with real item-ID lists.
    void Report(LONG code, const std::wstring& path1, const std::wstring& path2 = L"") {
        TIDList l1 = PathToIDList(nullptr, path1);
        if (!l1) l1 = Stale(path1);
        TIDList l2 = path2.empty() ? TIDList() : PathToIDList(nullptr, path2);
        LPCITEMIDLIST items[2] = {l1.Get(), l2.Get()};
        SendMessageW(Tree->Notifier->NotifyWindow(), TKesShellChangeNotifier::WM_SHELLNOTIFY,
                     reinterpret_cast<WPARAM>(items), code);
        ui::Application->ProcessMessages();  // refreshes run once the reports are read
    }
    // The list of an item that is gone: parsed while it still existed.
    TIDList Stale(const std::wstring& path) {
        auto it = Kept.find(path);
        return it == Kept.end() ? TIDList() : CopyIDList(it->second.Get());
    }
    void Keep(const std::wstring& path) { Kept[path] = PathToIDList(nullptr, path); }
    // Waits until a folder's watch (the root's for an empty path) saw a
    // change: its handle is signalled a moment after it. Nothing here lets
    // the tree's own look at the watches run.
    bool WatchSaw(const std::wstring& path = L"") { return WatchSaw(*Tree, path); }
    static bool WatchSaw(TKesShellTree& tree, const std::wstring& path) {
        auto quiet = [&] { return path.empty() ? tree.Notifier->RootWatchQuiet() : tree.Notifier->WatchQuiet(path); };
        const DWORD start = GetTickCount();
        while (quiet() && GetTickCount() - start < 2000) Sleep(5);
        return !quiet();
    }

    std::map<std::wstring, TIDList> Kept;
};

TEST_F(Locate, TheRootsOwnListActsOnTheRoot) {
    TIDList root = PathToIDList(nullptr, Dir.Path());
    EXPECT_FALSE(Tree->LocateNode(root.Get(), lmSelect));
    EXPECT_TRUE(RootNode()->Selected());
    EXPECT_FALSE(Tree->LocateNode(nullptr, lmSelect));

    TIDList deep = PathToIDList(nullptr, Dir / L"A\\Deep");
    EXPECT_TRUE(Tree->LocateNode(deep.Get(), lmSelect));
    EXPECT_EQ(Tree->SelectedFolder(), Dir / L"A\\Deep");

    EXPECT_FALSE(Tree->LocateNode(root.Get(), lmDelete));
    EXPECT_EQ(RootNode(), nullptr) << "deleting the root empties the tree";
    Tree->RefreshTree();
    EXPECT_NE(RootNode(), nullptr);
}

TEST_F(Locate, ReportsOutsideTheRootTouchNothing) {
    // A folder elsewhere whose items have the names of the root's children.
    TTempDir other;
    CreateDirectoryW((other / L"A").c_str(), nullptr);
    WriteFileBytes(other / L"m.txt", "m");
    Find(Dir / L"A")->Expand(false);
    Keep(other / L"A");
    Keep(other / L"m.txt");
    RemoveDirectoryW((other / L"A").c_str());
    DeleteFileW((other / L"m.txt").c_str());
    Report(SHCNE_RMDIR, other / L"A");
    Report(SHCNE_DELETE, other / L"m.txt");
    EXPECT_NE(Find(Dir / L"A"), nullptr) << "a child with the name of the deleted folder stays";
    EXPECT_NE(Find(Dir / L"m.txt"), nullptr);
    EXPECT_TRUE(Find(Dir / L"A")->Expanded());
    TIDList outside = PathToIDList(nullptr, other.Path());
    EXPECT_FALSE(Tree->LocateNode(outside.Get(), lmDelete));
    EXPECT_NE(RootNode(), nullptr);
}

TEST_F(Locate, OnlyOpenFoldersAreWatchedAndAReopenedOneShowsWhatChanged) {
    const int rootOnly = Tree->Notifier->WatchCount();
    ui::TTreeNode* a = Find(Dir / L"A");
    a->Expand(false);
    EXPECT_EQ(Tree->Notifier->WatchCount(), rootOnly + 1);
    Find(Dir / L"A\\Deep")->Expand(false);
    EXPECT_EQ(Tree->Notifier->WatchCount(), rootOnly + 2);
    Find(Dir / L"A\\Deep")->Collapse(false);
    a->Collapse(false);
    EXPECT_EQ(Tree->Notifier->WatchCount(), rootOnly) << "closed folders let their watches go";
    // Changed while closed and unwatched: reopening reads it again.
    Sleep(20);  // a write time that differs from the one at closing
    WriteFileBytes(Dir / L"A\\while closed.txt", "c");
    a->Expand(false);
    EXPECT_EQ(Children(Dir / L"A"), (std::vector<std::wstring>{L"Deep", L"a1.txt", L"while closed.txt"}));
    EXPECT_EQ(Tree->Notifier->WatchCount(), rootOnly + 1);
    // A folder that leaves the tree lets its watch go.
    Keep(Dir / L"A");
    Report(SHCNE_RMDIR, Dir / L"A");
    EXPECT_EQ(Tree->Notifier->WatchCount(), rootOnly);
}

TEST_F(Locate, SelectedFolderPaths) {
    Tree->SetSelectedFolder(Dir / L"B\\b1.txt");
    EXPECT_EQ(Tree->SelectedFolder(), Dir / L"B\\b1.txt");
    Tree->SetSelectedFolder(L"");
    EXPECT_EQ(Tree->Selected(), RootNode());
    Tree->SetSelectedFolder(Dir / L"A");
    Tree->SetSelectedFolder(L"C:\\windows");  // outside the root: the root
    EXPECT_EQ(Tree->Selected(), RootNode());
    EXPECT_EQ(Tree->SpecialFolder(), SF_FILESYSTEMFOLDER);

    TMessageBoxRecorder boxes;
    Tree->SetSelectedFolder(L"Q:\\no\\such\\drive");
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text.rfind(L"Q:\\no\\such\\drive: ", 0), 0u);
    EXPECT_GT(boxes.Boxes[0].Text.size(), std::wstring(L"Q:\\no\\such\\drive: ").size());
    Tree->SetShowOptions(kFiles & ~ShowOption(soShowErrorMessages));
    Tree->SetSelectedFolder(L"Q:\\no\\such\\drive");
    EXPECT_EQ(boxes.Boxes.size(), 1u) << "no box without error messages";
    Tree->BeginLoading();
    Tree->SetSelectedFolder(L"Q:\\no\\such\\drive");
    EXPECT_EQ(Tree->SelectedFolder(), L"Q:\\no\\such\\drive") << "only stored while loading";
    Tree->SetShowOptions(kFiles);
    Tree->StoredSelectedFolder.clear();
    Tree->StoredSpecialFolder = SF_DRIVES;
    Tree->Loaded();
    EXPECT_EQ(boxes.Boxes.size(), 1u);
}

TEST_F(Locate, ACreatedFileAppearsInPlaceAndExpansionStays) {
    Find(Dir / L"A")->Expand(false);
    Find(Dir / L"A\\Deep")->Expand(false);
    WriteFileBytes(Dir / L"A\\a0.txt", "0");
    Report(SHCNE_CREATE, Dir / L"A\\a0.txt");
    EXPECT_EQ(Children(Dir / L"A"), (std::vector<std::wstring>{L"Deep", L"a0.txt", L"a1.txt"}));
    EXPECT_TRUE(Find(Dir / L"A")->Expanded());
    EXPECT_TRUE(Find(Dir / L"A\\Deep")->Expanded());
}

TEST_F(Locate, AReportBelowACollapsedFolderEmptiesIt) {
    ui::TTreeNode* b = Find(Dir / L"B");
    b->Expand(false);
    b->Collapse(false);
    ASSERT_NE(b->GetFirstChild(), nullptr);
    WriteFileBytes(Dir / L"B\\b2.txt", "2");
    Report(SHCNE_CREATE, Dir / L"B\\b2.txt");
    EXPECT_EQ(b->GetFirstChild(), nullptr);
    EXPECT_TRUE(b->HasChildren());
    b->Expand(false);
    EXPECT_EQ(Children(Dir / L"B"), (std::vector<std::wstring>{L"b1.txt", L"b2.txt"}));
}

TEST_F(Locate, DeletedAndRenamedItems) {
    Find(Dir / L"A")->Expand(false);
    Keep(Dir / L"A\\a1.txt");
    DeleteFileW((Dir / L"A\\a1.txt").c_str());
    Report(SHCNE_DELETE, Dir / L"A\\a1.txt");
    EXPECT_EQ(Children(Dir / L"A"), (std::vector<std::wstring>{L"Deep"}));

    Keep(Dir / L"m.txt");
    MoveFileW((Dir / L"m.txt").c_str(), (Dir / L"n.txt").c_str());
    Report(SHCNE_RENAMEITEM, Dir / L"m.txt", Dir / L"n.txt");
    auto root = Children(Dir.Path());
    EXPECT_EQ(std::count(root.begin(), root.end(), L"m.txt"), 0);
    EXPECT_EQ(std::count(root.begin(), root.end(), L"n.txt"), 1);

    Keep(Dir / L"C");
    MoveFileW((Dir / L"C").c_str(), (Dir / L"D").c_str());
    Report(SHCNE_RENAMEFOLDER, Dir / L"C", Dir / L"D");
    root = Children(Dir.Path());
    EXPECT_EQ(std::count(root.begin(), root.end(), L"C"), 0);
    EXPECT_EQ(std::count(root.begin(), root.end(), L"D"), 1);
}

TEST_F(Locate, TheFileSystemWatchFollowsChangesWithoutReports) {
    Find(Dir / L"A")->Expand(false);
    EXPECT_GE(Tree->Notifier->WatchCount(), 2);  // the root's folder and A
    WriteFileBytes(Dir / L"A\\quiet.txt", "q");
    WriteFileBytes(Dir / L"rootfile.txt", "r");
    auto has = [&](const std::wstring& path) { return Find(path) != nullptr; };
    PumpUntil([&] { return has(Dir / L"A\\quiet.txt") && has(Dir / L"rootfile.txt"); }, 1500);
    EXPECT_TRUE(has(Dir / L"A\\quiet.txt"));
    EXPECT_TRUE(has(Dir / L"rootfile.txt"));
    // A second change soon after the first shows as well.
    DeleteFileW((Dir / L"A\\quiet.txt").c_str());
    EXPECT_TRUE(PumpUntil([&] { return !has(Dir / L"A\\quiet.txt"); }, 1500));
}

TEST_F(Locate, ABurstOfReportsCostsOneRefreshOfTheFolder) {
    ui::TTreeNode* a = Find(Dir / L"A");
    a->Expand(false);
    // Only the reports count here: the directory watch stays out of it.
    Tree->Notifier->SetEnabled(false);
    std::vector<TIDList> lists;
    for (int i = 0; i < 40; ++i) {
        std::wstring path = Dir / (L"A\\burst" + std::to_wstring(100 + i) + L".txt");
        WriteFileBytes(path, "b");
        lists.push_back(PathToIDList(nullptr, path));
    }
    ui::ResetProfileCounters();
    for (const auto& l : lists) Tree->ShellChanged(Tree->Notifier.get(), neFileCreate, l.Get(), nullptr);
    ui::Application->ProcessMessages();
    EXPECT_EQ(Children(Dir / L"A").size(), 42u);
    EXPECT_LE(ShellCounters.Enumerated.Calls, 43) << "the folder was read once (42 items and its end), not once a report";
    // The reports found their folder without comparing every child.
    EXPECT_LT(ShellCounters.Comparisons.Calls, 40 * 4 + 42 * 8);
}

TEST_F(Locate, AReportedNewEntryIsAskedItsNameOnceAndOneGoneBeforeTheRefreshNeverShows) {
    Find(Dir / L"A")->Expand(false);
    Tree->Notifier->SetEnabled(false);
    std::vector<TIDList> lists;
    for (int i = 0; i < 20; ++i) {
        std::wstring path = Dir / (L"A\\new " + std::to_wstring(10 + i) + L".txt");
        WriteFileBytes(path, "n");
        lists.push_back(PathToIDList(nullptr, path));
    }
    WriteFileBytes(Dir / L"A\\brief.txt", "b");
    lists.push_back(PathToIDList(nullptr, Dir / L"A\\brief.txt"));
    ui::ResetProfileCounters();
    for (const auto& l : lists) Tree->ShellChanged(Tree->Notifier.get(), neFileCreate, l.Get(), nullptr);
    DeleteFileW((Dir / L"A\\brief.txt").c_str());  // gone before the folder is read again
    ui::Application->ProcessMessages();
    std::vector<std::wstring> children = Children(Dir / L"A");
    ASSERT_EQ(children.size(), 22u);
    EXPECT_EQ(children[0], L"Deep");
    EXPECT_EQ(children[1], L"a1.txt");
    for (size_t i = 0; i < 20; ++i) EXPECT_EQ(children[2 + i], L"new " + std::to_wstring(10 + i) + L".txt");
    // The walk of each report asks the texts of "A" and of the new entry;
    // the refresh asks nothing of the two entries there before.
    EXPECT_LE(ShellCounters.DisplayNames.Calls, 2 * 21);
}

// After every step of a script of changes, the folders with a directory
// watch are exactly the folders the tree shows open (or read empty), and
// the listing is the folder's.
TEST_F(Locate, WatchesFollowTheOpenFoldersThroughEmptyRefillCollapseDeleteAndRemake) {
    auto invariant = [&](const char* step) {
        std::vector<std::wstring> open, watched = Tree->Notifier->WatchedFolders();
        for (ui::TTreeNode* n = RootNode(); n; n = n->GetNext()) {
            const TKesShellTreeItem* item = TKesShellTree::ItemOf(n);
            if (n->Parent() && item && item->ItemIsFolder && item->Filled && (n->Expanded() || !n->GetFirstChild()))
                open.push_back(Tree->GetNodePath(n));
        }
        std::sort(open.begin(), open.end());
        std::sort(watched.begin(), watched.end());
        EXPECT_EQ(open, watched) << step;
        EXPECT_TRUE(Tree->Notifier->RootWatched()) << step;
    };
    auto shows = [&](const std::wstring& path) { return PumpUntil([&] { return Find(path) != nullptr; }, 3000); };
    auto gone = [&](const std::wstring& path) { return PumpUntil([&] { return Find(path) == nullptr; }, 3000); };

    Find(Dir / L"A")->Expand(false);
    invariant("expand");
    DeleteFileW((Dir / L"A\\a1.txt").c_str());
    RemoveTree(Dir / L"A\\Deep");
    EXPECT_TRUE(gone(Dir / L"A\\a1.txt"));
    EXPECT_TRUE(gone(Dir / L"A\\Deep"));
    invariant("empty");
    WriteFileBytes(Dir / L"A\\second.txt", "2");
    EXPECT_TRUE(shows(Dir / L"A\\second.txt"));
    invariant("refill");
    WriteFileBytes(Dir / L"A\\third.txt", "3");
    EXPECT_TRUE(shows(Dir / L"A\\third.txt")) << "an open folder refilled keeps following";
    Find(Dir / L"A")->Collapse(false);
    invariant("collapse");
    Find(Dir / L"B")->Expand(false);
    invariant("expand another");
    // B deleted and made again between two looks: its old watch is dead.
    RemoveTree(Dir / L"B");
    CreateDirectoryW((Dir / L"B").c_str(), nullptr);
    WriteFileBytes(Dir / L"B\\again.txt", "a");
    Tree->RefreshNode(RootNode(), true);
    EXPECT_TRUE(shows(Dir / L"B\\again.txt"));
    invariant("delete and make again");
    WriteFileBytes(Dir / L"B\\later.txt", "l");
    EXPECT_TRUE(shows(Dir / L"B\\later.txt")) << "a folder made again is followed again";
    MoveFileW((Dir / L"C").c_str(), (Dir / L"c-").c_str());
    MoveFileW((Dir / L"c-").c_str(), (Dir / L"c").c_str());
    EXPECT_TRUE(shows(Dir / L"c"));
    invariant("rename by case");
}

// The first call-up's refresh trusts the watches: a folder whose watch saw
// nothing is not read again, one whose watch fired is, even before the
// watch's own turn comes.
TEST_F(Locate, CatchingUpReadsOnlyWhatTheWatchesSaw) {
    Find(Dir / L"A")->Expand(false);
    Find(Dir / L"A\\Deep")->Expand(false);
    Find(Dir / L"B")->Expand(false);
    ui::TTreeNode* root = RootNode();
    ASSERT_TRUE(Tree->Notifier->RootWatchQuiet());

    ui::ResetProfileCounters();
    Tree->RefreshReported(root);
    EXPECT_EQ(ShellCounters.Enumerated.Calls, 0) << "nothing changed: no folder is read";

    WriteFileBytes(Dir / L"A\\Deep\\new.txt", "n");
    ASSERT_TRUE(WatchSaw(Dir / L"A\\Deep"));
    ui::ResetProfileCounters();
    Tree->RefreshReported(root);
    EXPECT_EQ(Children(Dir / L"A\\Deep"), (std::vector<std::wstring>{L"d.txt", L"new.txt"}));
    EXPECT_LE(ShellCounters.Enumerated.Calls, 3) << "only the folder that changed was read";

    // A folder made in the root: the root is read again, and what stays
    // open stays so, with what it holds.
    CreateDirectoryW((Dir / L"E").c_str(), nullptr);
    ASSERT_TRUE(WatchSaw());
    Tree->RefreshReported(root);
    EXPECT_EQ(Children(Dir.Path()), (std::vector<std::wstring>{L"A", L"B", L"C", L"E", L"m.txt"}));
    EXPECT_TRUE(Find(Dir / L"A\\Deep")->Expanded());
    EXPECT_EQ(Children(Dir / L"A\\Deep"), (std::vector<std::wstring>{L"d.txt", L"new.txt"}));
}

// What another program made in the root while the root was read, before a
// watch was there to see it, would show nowhere ever after.
TEST_F(Locate, CatchingUpReadsWhatCameWhileTheRootWasRead) {
    TKesShellTree fresh(&Form);
    fresh.SetShowOptions(kFiles);
    bool made = false;
    fresh.OnAddFolder = [&](ui::TTreeNode*, const std::wstring&, bool&) {
        if (!made) WriteFileBytes(Dir / L"late.txt", "l");
        made = true;
    };
    fresh.SetRootedAtFileSystemFolder(Dir.Path());
    ASSERT_TRUE(made);
    ASSERT_TRUE(WatchSaw(fresh, L"")) << "the root was watched before it was read";
    fresh.RefreshReported(fresh.Items.GetFirstNode());
    EXPECT_EQ(Children(fresh.Items.GetFirstNode()), (std::vector<std::wstring>{L"A", L"B", L"C", L"late.txt", L"m.txt"}));
}

// An open folder moved away and made anew under its name: its parent's
// report is followed (the tree's timer ran), and the open folder's old
// watch stays on the folder that moved, quiet.
TEST_F(Locate, AnOpenFolderMadeAnewUnderItsNameIsReadAndWatchedAgain) {
    Find(Dir / L"A")->Expand(false);
    Find(Dir / L"A\\Deep")->Expand(false);
    ASSERT_TRUE(MoveFileW((Dir / L"A\\Deep").c_str(), (Dir / L"A\\Old").c_str()));
    CreateDirectoryW((Dir / L"A\\Deep").c_str(), nullptr);
    WriteFileBytes(Dir / L"A\\Deep\\new.txt", "n");
    ASSERT_TRUE(WatchSaw(Dir / L"A"));
    Tree->Notifier->CheckWatches();  // the parent's report, as the timer gives it
    ui::Application->ProcessMessages();
    EXPECT_EQ(Children(Dir / L"A"), (std::vector<std::wstring>{L"Deep", L"Old", L"a1.txt"}));
    EXPECT_EQ(Children(Dir / L"A\\Deep"), (std::vector<std::wstring>{L"new.txt"})) << "the parent's report renews it";
    WriteFileBytes(Dir / L"A\\Deep\\later.txt", "l");
    ASSERT_TRUE(WatchSaw(Dir / L"A\\Deep")) << "its watch is on the folder there now";

    Tree->RefreshReported(RootNode());
    EXPECT_EQ(Children(Dir / L"A\\Deep"), (std::vector<std::wstring>{L"later.txt", L"new.txt"}));
}

}  // namespace
