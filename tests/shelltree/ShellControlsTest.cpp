#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "ShellTreeFixture.h"
#include "shell/ShellBrowser.h"
#include "ui/Handles.h"
#include "ui/Profile.h"

using namespace testutil;

namespace {

constexpr TKesShellShowOptions kDesigned = ShowOption(soShowNethood) | ShowOption(soShowRecycleBin) |
                                           ShowOption(soShowErrorMessages) | ShowOption(soShowFiles) |
                                           ShowOption(soShowContextMenuOnTop);

class ShellTree : public TShellTreeFixture<> {
protected:
    void SetUp() override {
        Make({L"Beta\\", L"alpha\\", L"alpha\\inner\\", L"Empty\\", L"zeta.lnk", L"apple.txt", L"secret.txt"});
        SetFileAttributesW((Dir / L"secret.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    }
    void Root(TKesShellShowOptions options = kDesigned) { TShellTreeFixture::Root(options); }
};

TEST_F(ShellTree, RootingShowsOneExpandedRootWithFoldersFirst) {
    Root();
    ui::TTreeNode* root = RootNode();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetNextSibling(), nullptr);
    EXPECT_TRUE(root->Expanded());
    EXPECT_TRUE(root->Selected());
    EXPECT_EQ(Tree->GetNodePath(root), Dir.Path());
    EXPECT_EQ(Stems(Children(root)), (std::vector<std::wstring>{L"alpha", L"Beta", L"Empty", L"apple", L"zeta"}));
    EXPECT_EQ(Tree->GetNodePath(Child(root, L"alpha")), Dir / L"alpha");
    EXPECT_NE(Tree->Notifier->RootRegistration(), 0u);
}

TEST_F(ShellTree, WithoutFilesOnlyFoldersShowAndFiltersKeepFolders) {
    Root(kDesigned & ~ShowOption(soShowFiles));
    EXPECT_EQ(Children(RootNode()), (std::vector<std::wstring>{L"alpha", L"Beta", L"Empty"}));

    Tree->SetShowOptions(kDesigned);
    Tree->SetFilter(L"*.lnk");
    Tree->SetRootedAtFileSystemFolder(Dir.Path());
    EXPECT_EQ(Stems(Children(RootNode())), (std::vector<std::wstring>{L"alpha", L"Beta", L"Empty", L"zeta"}));

    Tree->SetShowOptions(kDesigned | ShowOption(soShowHidden));
    Tree->SetFilter(L"*");
    auto names = Stems(Children(RootNode()));
    EXPECT_NE(std::find(names.begin(), names.end(), L"secret"), names.end());
}

TEST_F(ShellTree, AnEmptyFolderLosesItsButtonOnceExpanded) {
    Root();
    ui::TTreeNode* empty = Child(RootNode(), L"Empty");
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->HasChildren());  // with files shown every folder offers expansion
    empty->Expand(false);
    EXPECT_EQ(empty->GetFirstChild(), nullptr);
    EXPECT_FALSE(empty->HasChildren());
    // Its folder is watched from its first expansion on.
    EXPECT_GE(Tree->Notifier->Directories().IndexOf(Dir / L"Empty\\"), 0);
}

TEST_F(ShellTree, WhatComesIntoAFolderReadEmptyShows) {
    TTempDir empty;
    CreateDirectoryW((empty / L"quiet").c_str(), nullptr);
    CreateDirectoryW((empty / L"closed").c_str(), nullptr);
    Tree->SetShowOptions(kDesigned);
    Tree->SetRootedAtFileSystemFolder(empty / L"quiet");
    ui::TTreeNode* root = RootNode();
    ASSERT_EQ(root->GetFirstChild(), nullptr);

    WriteFileBytes(empty / L"quiet\\first.txt", "1");
    Tree->RefreshNode(root, false);
    EXPECT_EQ(Stems(Children(root)), (std::vector<std::wstring>{L"first"}));
    EXPECT_TRUE(root->Expanded());

    // A folder expanded empty and closed again is not opened by a refresh.
    Tree->SetRootedAtFileSystemFolder(empty.Path());
    ui::TTreeNode* closed = Child(RootNode(), L"closed");
    closed->Expand(false);
    closed->Collapse(false);
    WriteFileBytes(empty / L"closed\\late.txt", "2");
    Tree->RefreshNode(RootNode(), true);
    closed = Child(RootNode(), L"closed");
    EXPECT_FALSE(closed->Expanded());
    EXPECT_TRUE(closed->HasChildren());
    closed->Expand(false);
    EXPECT_EQ(Stems(Children(closed)), (std::vector<std::wstring>{L"late"}));
    Tree.reset();  // lets go of the folders it watches before they are removed
}

TEST_F(ShellTree, RefreshKeepsWhatExistsAndReadsWhatChanged) {
    Root();
    ui::TTreeNode* root = RootNode();
    ui::TTreeNode* alpha = Child(root, L"alpha");
    alpha->Expand(false);
    ASSERT_NE(Child(alpha, L"inner"), nullptr);
    ui::TTreeNode* beta = Child(root, L"Beta");
    WriteFileBytes(Dir / L"Beta\\b.txt", "b");
    beta->Expand(false);
    beta->Collapse(false);

    WriteFileBytes(Dir / L"middle.txt", "m");
    DeleteFileW((Dir / L"apple.txt").c_str());
    Tree->RefreshNode(root, true);

    EXPECT_EQ(Stems(Children(root)), (std::vector<std::wstring>{L"alpha", L"Beta", L"Empty", L"middle", L"zeta"}));
    EXPECT_EQ(Child(root, L"alpha"), alpha);  // the same node, still expanded
    EXPECT_TRUE(alpha->Expanded());
    EXPECT_NE(Child(alpha, L"inner"), nullptr);
    EXPECT_EQ(beta->GetFirstChild(), nullptr);  // a collapsed node is emptied
    EXPECT_TRUE(beta->HasChildren());

    // An entry listed exactly as before costs no question to the shell; one
    // whose file changed is asked and keeps its node.
    ui::TTreeNode* zeta = Child(root, L"zeta");
    ui::ResetProfileCounters();
    Tree->RefreshNode(root, false);
    EXPECT_EQ(ShellCounters.DisplayNames.Calls, 0);
    WriteFileBytes(Dir / L"zeta.lnk", "a longer body, so that its item differs");
    Tree->RefreshNode(root, false);
    EXPECT_EQ(ShellCounters.DisplayNames.Calls, 1);
    EXPECT_EQ(Child(root, L"zeta"), zeta);
    EXPECT_EQ(Stems(Children(root)), (std::vector<std::wstring>{L"alpha", L"Beta", L"Empty", L"middle", L"zeta"}));
}

TEST_F(ShellTree, AnEntryThatChangedIsAskedItsNameOnceNotAtEveryRefresh) {
    Root();
    ui::TTreeNode* root = RootNode();
    ui::TTreeNode* alpha = Child(root, L"alpha");
    alpha->Expand(false);
    // A file written anew, and folders whose write time moved (as when an
    // entry comes into one), one of them open: each item's bytes differ
    // from its node's now.
    WriteFileBytes(Dir / L"zeta.lnk", "a longer body, so that its item differs");
    for (const wchar_t* folder : {L"Beta", L"alpha"}) {
        ui::THandleOwner handle(CreateFileW((Dir / folder).c_str(), FILE_WRITE_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        const FILETIME earlier{0, 0x01D00000};  // in 2014
        ASSERT_TRUE(handle && SetFileTime(handle.Get(), nullptr, nullptr, &earlier));
    }
    for (int round = 0; round < 3; ++round) {
        ui::ResetProfileCounters();
        Tree->RefreshNode(root, true);
        EXPECT_EQ(ShellCounters.DisplayNames.Calls, round == 0 ? 3 : 0) << "refresh " << round;
    }
    EXPECT_EQ(Child(root, L"alpha"), alpha);
    EXPECT_TRUE(alpha->Expanded());
    EXPECT_EQ(Children(alpha), (std::vector<std::wstring>{L"inner"}));
    EXPECT_EQ(Tree->GetNodePath(Child(root, L"zeta")), Dir / L"zeta.lnk");
    EXPECT_EQ(Stems(Children(root)), (std::vector<std::wstring>{L"alpha", L"Beta", L"Empty", L"apple", L"zeta"}));
}

// A file type registered for the test, whose extension the shell never shows.
// A file type another program registers, under a class of its own; gone
// with the object.
class TRegisteredType {
public:
    explicit TRegisteredType(const std::wstring& extension)
        : FExtension(extension), FClass(L"tavrixtest" + extension.substr(1)) {
        Set(FExtension, nullptr, FClass);
    }
    ~TRegisteredType() {
        RegDeleteKeyW(HKEY_CLASSES_ROOT, (FClass + L"\\DefaultIcon").c_str());
        RegDeleteKeyW(HKEY_CLASSES_ROOT, FClass.c_str());
        RegDeleteKeyW(HKEY_CLASSES_ROOT, FExtension.c_str());
    }
    TRegisteredType(const TRegisteredType&) = delete;
    TRegisteredType& operator=(const TRegisteredType&) = delete;

    // A value of the class's key, or of a key below it.
    void SetClassValue(const std::wstring& subkey, const wchar_t* name, const std::wstring& value) {
        Set(subkey.empty() ? FClass : FClass + L"\\" + subkey, name, value);
    }

private:
    static void Set(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
        HKEY handle = nullptr;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
            ERROR_SUCCESS)
            return;
        RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(handle);
    }
    std::wstring FExtension, FClass;
};

// A type whose extension the shell never shows.
struct TNeverShownType : TRegisteredType {
    explicit TNeverShownType(const std::wstring& extension) : TRegisteredType(extension) {
        SetClassValue(L"", L"NeverShowExt", L"");
    }
};

TEST_F(ShellTree, TheUsersRefreshShowsANameWhoseLookChangedOnceIdle) {
    CreateDirectoryW((Dir / L"alpha\\deep").c_str(), nullptr);
    WriteFileBytes(Dir / L"alpha\\deep\\plan.tvxut", "p");
    WriteFileBytes(Dir / L"aaa.tvxut", "a");
    Root();
    ui::TTreeNode* root = RootNode();
    ui::TTreeNode* alpha = Child(root, L"alpha");
    alpha->Expand(false);
    ui::TTreeNode* deep = Child(alpha, L"deep");
    deep->Expand(false);
    ui::TTreeNode* plan = Child(deep, L"plan.tvxut");
    ui::TTreeNode* aaa = Child(root, L"aaa.tvxut");
    ASSERT_TRUE(plan && aaa);
    const std::wstring planPath = Tree->GetNodePath(plan);

    // Another program registers the type: the refresh the user asks for
    // shows the entries as the shell names them now. The refresh itself
    // asks no name; the names follow while idle, and an entry that goes
    // meanwhile is passed over.
    TNeverShownType type(L".tvxut");
    ui::ResetProfileCounters();
    Tree->RefreshAsksNames = true;
    Tree->RefreshNode(root, true);
    Tree->RefreshAsksNames = false;
    EXPECT_EQ(ShellCounters.DisplayNames.Calls, 0);
    ASSERT_TRUE(Tree->NamesPending());
    Child(root, L"Empty")->Delete();
    ASSERT_TRUE(PumpUntil([&] { return !Tree->NamesPending(); }));
    EXPECT_EQ(Child(deep, L"plan"), plan);  // the same node, named anew
    EXPECT_EQ(Child(root, L"aaa"), aaa);
    EXPECT_EQ(Tree->GetNodePath(plan), planPath);
    EXPECT_EQ(Stems(Children(root)), (std::vector<std::wstring>{L"alpha", L"Beta", L"aaa", L"apple", L"zeta"}));

    // A refresh of the tree's own (a change report) asks nothing later.
    Tree->RefreshNode(root, true);
    EXPECT_FALSE(Tree->NamesPending());
}

TEST_F(ShellTree, TheUsersRefreshShowsAnIconThatChangedOnceIdle) {
    WriteFileBytes(Dir / L"aaa.tvxic", "a");
    WriteFileBytes(Dir / L"bbb.tvxic", "b");
    Root();
    ShowDrawn();
    ui::TTreeNode* aaa = Child(RootNode(), L"aaa.tvxic");
    ASSERT_NE(aaa, nullptr);
    const int before = aaa->ImageIndex();
    auto shellsIcon = [&] { return ShellIcon(aaa); };
    ASSERT_EQ(before, shellsIcon());

    // Another program gives the type an icon: the file itself is as it was,
    // so only the user's refresh shows it, once idle, when the row is drawn.
    TRegisteredType type(L".tvxic");
    type.SetClassValue(L"DefaultIcon", nullptr, L"shell32.dll,3");
    ASSERT_NE(shellsIcon(), before) << "the shell gives the type no icon of its own";
    // The other file is written anew as well: its item changed, and the
    // refresh itself gives its drawn row the icon the shell gives now.
    ui::TTreeNode* bbb = Child(RootNode(), L"bbb.tvxic");
    ASSERT_NE(bbb, nullptr);
    ASSERT_EQ(bbb->ImageIndex(), before);
    WriteFileBytes(Dir / L"bbb.tvxic", "a longer body, so that its item differs");
    Tree->RefreshNode(RootNode(), true);
    UpdateWindow(Tree->Handle());
    EXPECT_EQ(DrawnIcon(bbb), shellsIcon()) << "a changed file kept its old icon";
    Tree->RefreshAsksNames = true;
    Tree->RefreshNode(RootNode(), true);
    Tree->RefreshAsksNames = false;
    ASSERT_TRUE(PumpUntil([&] { return !Tree->NamesPending(); }));
    UpdateWindow(Tree->Handle());
    ui::Application->ProcessMessages();
    EXPECT_EQ(Child(RootNode(), L"aaa.tvxic"), aaa);
    // What the control drew, not only what the node would answer if asked.
    EXPECT_EQ(DrawnIcon(aaa), shellsIcon());
    EXPECT_EQ(aaa->ImageIndex(), shellsIcon());
    Form.Hide();
}

TEST_F(ShellTree, NamesAskedWhileIdleKeepEntriesFoundAndSortEachFolderOnce) {
    // A folder of many entries whose look changes at once, as when another
    // program has the shell hide their extension.
    TTempDir big;
    constexpr int kEntries = 400;
    for (int i = 0; i < kEntries; ++i) WriteFileBytes(big / (L"entry " + std::to_wstring(i) + L".tvxsrt"), "x");
    Tree->SetShowOptions(kDesigned);
    ui::ResetProfileCounters();
    Tree->SetRootedAtFileSystemFolder(big.Path());
    const long filled = ShellCounters.Comparisons.Calls;
    ui::TTreeNode* root = RootNode();
    ASSERT_EQ(static_cast<int>(Children(root).size()), kEntries);
    // The walk to an entry by its list (a search, a change report) knows
    // the folder's entries by their names from now on.
    TAbsoluteIDList last = PathToAbsoluteIDList(big / L"entry 399.tvxsrt");
    ASSERT_TRUE(Tree->LocateNode(last.Get(), lmSelect));

    TNeverShownType type(L".tvxsrt");
    ui::ResetProfileCounters();
    Tree->RefreshAsksNames = true;
    Tree->RefreshNode(root, true);
    Tree->RefreshAsksNames = false;
    ASSERT_TRUE(PumpUntil([&] { return !Tree->NamesPending(); }, 30000));
    ui::TTreeNode* renamed = Child(root, L"entry 399");
    ASSERT_NE(renamed, nullptr) << "the names are shown anew";
    EXPECT_EQ(Child(root, L"entry 399.tvxsrt"), nullptr);
    // Putting the folder in order once costs what reading it did; once for
    // every few names asked it cost many times that.
    EXPECT_LE(ShellCounters.Comparisons.Calls, filled);

    // An entry renamed so is still found by its list, and selected.
    Tree->SetSelected(root);
    EXPECT_TRUE(Tree->LocateNode(last.Get(), lmSelect));
    EXPECT_EQ(Tree->Selected(), renamed);
}

TEST_F(ShellTree, NodePathsAreTheShellsOwn) {
    Root();
    ui::TTreeNode* alpha = Child(RootNode(), L"alpha");
    alpha->Expand(false);
    ui::TTreeNode* inner = Child(alpha, L"inner");
    ASSERT_NE(inner, nullptr);
    for (ui::TTreeNode* n = RootNode(); n; n = n->GetNext()) {
        const TKesShellTreeItem* item = TKesShellTree::ItemOf(n);
        EXPECT_EQ(Tree->GetNodePath(n), IDListToPath(item->AbsoluteIDList.Get())) << n->Text();
    }
    EXPECT_EQ(Tree->GetNodePath(Child(RootNode(), L"zeta")), Dir / L"zeta.lnk");  // the extension the name hides
}

TEST_F(ShellTree, NodePathsKeepNamesOutsideTheAnsiCodePage) {
    // Letters the ANSI code page lacks (they would read "?"), and some it
    // only approximates ("\u03a9" would read "O").
    const std::wstring folders[] = {L"\u041f\u0430\u043f\u043a\u0430 \u03a9", L"\u6587\u4ef6\u5939", L"\U0001F600dir",
                                    L"\u03a9mega"};
    const std::wstring file = L"caf\u00e9 \u4e2d.txt";
    for (const auto& folder : folders) {
        CreateDirectoryW((Dir / folder).c_str(), nullptr);
        WriteFileBytes(Dir / folder + L"\\" + file, "x");
    }
    Root();
    for (const auto& folder : folders) {
        ui::TTreeNode* node = Child(RootNode(), folder);
        ASSERT_NE(node, nullptr) << ui::WideToUtf8(folder);
        EXPECT_EQ(Tree->GetNodePath(node), Dir / folder);
        node->Expand(false);
        ui::TTreeNode* inside = Child(node, file);
        ASSERT_NE(inside, nullptr);
        EXPECT_EQ(Tree->GetNodePath(inside), Dir / folder + L"\\" + file);
    }
}

TEST_F(ShellTree, AFolderReplacedByAFileNeverListsItsParentsEntries) {
    Root();
    ui::TTreeNode* alpha = Child(RootNode(), L"alpha");
    ASSERT_NE(alpha, nullptr);
    alpha->Expand(false);
    ASSERT_EQ(Children(alpha), (std::vector<std::wstring>{L"inner"}));
    // Another program puts a file where the folder was, and the node takes
    // the item as listed now, as a reading of its parent does when the
    // shell finds the two the same.
    ASSERT_TRUE(MoveFileW((Dir / L"alpha").c_str(), (Dir / L"alpha moved").c_str()));
    WriteFileBytes(Dir / L"alpha", "now a file");
    TAbsoluteIDList now = PathToAbsoluteIDList(Dir / L"alpha");
    ASSERT_TRUE(now);
    TKesShellTreeItem* item = TKesShellTree::ItemOf(alpha);
    item->RelativeIDList = CopyIDListItem(now.Get(), IDListCount(now.Get()) - 1);
    item->SetAbsoluteIDList(std::move(now));

    Tree->RefreshNode(alpha, false);
    EXPECT_TRUE(Children(alpha).empty()) << "the root's entries were listed as the file's";
    EXPECT_FALSE(alpha->HasChildren()) << "a file offers no button";
    // A click where the button was reads nothing and tells of no error.
    alpha->Collapse(false);
    EXPECT_NO_THROW(alpha->Expand(false));
    EXPECT_TRUE(Children(alpha).empty());
    EXPECT_EQ(Stems(Children(RootNode())), (std::vector<std::wstring>{L"alpha", L"Beta", L"Empty", L"apple", L"zeta"}))
        << "the root keeps its own entries";
}

TEST_F(ShellTree, ItemsWithTheSameTextStayTwoNodes) {
    // A shortcut's extension is never shown, so "same.lnk" reads like the
    // folder "same".
    CreateDirectoryW((Dir / L"same").c_str(), nullptr);
    WriteFileBytes(Dir / L"same.lnk", "2");
    Root();
    auto countSame = [&] {
        auto names = Children(RootNode());
        return std::count(names.begin(), names.end(), L"same");
    };
    ASSERT_EQ(countSame(), 2);
    int before = static_cast<int>(Children(RootNode()).size());
    Tree->RefreshNode(RootNode(), true);
    Tree->RefreshNode(RootNode(), true);
    EXPECT_EQ(countSame(), 2);
    EXPECT_EQ(static_cast<int>(Children(RootNode()).size()), before);

    DeleteFileW((Dir / L"same.lnk").c_str());
    Tree->RefreshNode(RootNode(), true);
    EXPECT_EQ(countSame(), 1);
    EXPECT_TRUE(TKesShellTree::ItemOf(Child(RootNode(), L"same"))->ItemIsFolder);
}

TEST_F(ShellTree, SettingsThatChangeNothingDoNothing) {
    Root();
    ui::TTreeNode* alpha = Child(RootNode(), L"alpha");
    alpha->Expand(false);
    WriteFileBytes(Dir / L"late.txt", "l");
    Tree->SetShowOptions(Tree->ShowOptions());  // unchanged: no refresh
    EXPECT_EQ(Child(RootNode(), L"late.txt"), nullptr);
    EXPECT_EQ(Child(RootNode(), L"late"), nullptr);

    ui::TTreeNode* root = RootNode();
    Tree->SetRootedAtFileSystemFolder(Dir / L"missing");  // no such folder: nothing changes
    EXPECT_EQ(RootNode(), root);
    EXPECT_EQ(Tree->RootedAtFileSystemFolder(), Dir / L"missing");
    EXPECT_TRUE(alpha->Expanded());
}

TEST_F(ShellTree, IconsAreAskedOnlyForRowsThatAreShown) {
    for (int i = 0; i < 300; ++i) WriteFileBytes(Dir / (L"f" + std::to_wstring(i) + L".txt"), "x");
    Tree->IconLookups = 0;
    Root();
    ShowDrawn();
    long drawn = Tree->IconLookups;
    EXPECT_GT(drawn, 0);
    EXPECT_LT(drawn, 120) << "icons were asked for rows that are not visible";
    // Reading an icon gives what a direct query gives.
    ui::TTreeNode* last = RootNode()->GetFirstChild();
    while (last->GetNextSibling()) last = last->GetNextSibling();
    EXPECT_EQ(last->ImageIndex(), ShellIcon(last));
    EXPECT_EQ(last->SelectedIndex(), ShellIcon(last));
    Form.Hide();
}

// Each open folder refreshed after its siblings lists its own entries, and
// the rows drawn before and after show the icons the shell gives.
TEST_F(ShellTree, OpenFoldersRefreshedInTurnEachListTheirOwnEntries) {
    WriteFileBytes(Dir / L"alpha\\inner\\deep.txt", "d");
    WriteFileBytes(Dir / L"Beta\\side.txt", "s");
    Root();
    ui::TTreeNode* alpha = Child(RootNode(), L"alpha");
    alpha->Expand(false);
    ui::TTreeNode* inner = Child(alpha, L"inner");
    ASSERT_NE(inner, nullptr);
    inner->Expand(false);
    ui::TTreeNode* beta = Child(RootNode(), L"Beta");
    beta->Expand(false);
    ASSERT_TRUE(inner->Expanded() && beta->Expanded());
    WriteFileBytes(Dir / L"alpha\\inner\\late.txt", "l");
    WriteFileBytes(Dir / L"alpha\\mid.txt", "m");
    CreateDirectoryW((Dir / L"Beta\\sub").c_str(), nullptr);
    ShowDrawn();

    for (int pass = 0; pass < 2; ++pass) {
        Tree->RefreshNode(RootNode(), true);
        EXPECT_EQ(Stems(Children(inner)), (std::vector<std::wstring>{L"deep", L"late"}));
        EXPECT_EQ(Stems(Children(alpha)), (std::vector<std::wstring>{L"inner", L"mid"}));
        EXPECT_EQ(Stems(Children(beta)), (std::vector<std::wstring>{L"sub", L"side"}));
        InvalidateRect(Tree->Handle(), nullptr, TRUE);
        UpdateWindow(Tree->Handle());
        ui::Application->ProcessMessages();
        for (ui::TTreeNode* node : {Child(beta, L"sub"), inner->GetFirstChild(), alpha}) {
            ASSERT_NE(node, nullptr);
            EXPECT_EQ(DrawnIcon(node), ShellIcon(node)) << node->Text() << " at pass " << pass;
        }
    }
    Form.Hide();
}

TEST_F(ShellTree, ADesktopRootAndAnUnknownPath) {
    Tree->SetShowOptions(kDesigned);
    Tree->SetRootedAt(SF_DESKTOP);
    ui::TTreeNode* root = RootNode();
    ASSERT_NE(root, nullptr);
    EXPECT_FALSE(root->Text().empty());
    EXPECT_EQ(TKesShellTree::ItemOf(root)->AbsoluteIDList.Get(), EmptyIDList);
    Tree->RefreshNode(root, true);

    Tree->SetRootedAtFileSystemFolder(L"");
    EXPECT_EQ(RootNode(), root);
}

// A record that counts its own end.
struct TCountedRecord final : ui::TNodeData {
    explicit TCountedRecord(int& gone) : Gone(gone) {}
    ~TCountedRecord() override { ++Gone; }
    int& Gone;
};

// A tree view that tells its deletion steps.
class TDeletionTree : public ui::TCustomTreeView {
public:
    using ui::TCustomTreeView::TCustomTreeView;
    std::function<void(ui::TTreeNode*)> OnDeletion;

protected:
    void Delete(ui::TTreeNode* node) override {
        if (OnDeletion) OnDeletion(node);
    }
};

TEST(TreeNodes, ANodesRecordLastsThroughItsDeletionStepAndGoesWithIt) {
    ui::TForm form;
    TDeletionTree view(&form);
    int gone = 0;
    ui::TTreeNode* parent = view.Items.AddChild(nullptr, L"parent");
    parent->SetData(std::make_unique<TCountedRecord>(gone));
    ui::TTreeNode* child = view.Items.AddChild(parent, L"child");
    child->SetData(std::make_unique<TCountedRecord>(gone));
    view.Items.AddChild(nullptr, L"other")->SetData(std::make_unique<TCountedRecord>(gone));
    view.Items.AddChild(nullptr, L"bare");
    std::vector<std::wstring> steps;
    view.OnDeletion = [&](ui::TTreeNode* node) {
        steps.push_back(node->Text());
        const bool kept = node->Text() == L"parent" || node->Text() == L"child" || node->Text() == L"other";
        EXPECT_EQ(node->Data() != nullptr, kept) << node->Text() << ": its record is there during the step";
    };

    parent->Delete();
    EXPECT_EQ(gone, 2) << "the node and its child, each once";
    EXPECT_EQ(view.Items.Count(), 2);
    child = view.Items.AddChild(view.Items.GetFirstNode(), L"new");
    child->SetData(std::make_unique<TCountedRecord>(gone));
    child->SetData(nullptr);
    EXPECT_EQ(gone, 3) << "a record replaced goes at once";
    view.Items.Clear();
    EXPECT_EQ(gone, 4);
    EXPECT_EQ(steps.size(), 5u);
    EXPECT_EQ(view.Items.Count(), 0);
}

TEST(TreeNodes, AWatchLetsGoOfItsNodeWhenTheNodeOrTheTreeGoes) {
    ui::TForm form;
    auto view = std::make_unique<ui::TCustomTreeView>(&form);
    ui::TTreeNode* parent = view->Items.AddChild(nullptr, L"parent");
    ui::TNodeWatch child(view->Items.AddChild(parent, L"child")), kept(view->Items.AddChild(nullptr, L"kept"));
    parent->Delete();
    EXPECT_EQ(child.Get(), nullptr) << "gone with its parent";
    EXPECT_NE(kept.Get(), nullptr);
    view.reset();
    EXPECT_EQ(kept.Get(), nullptr);
}

}  // namespace
