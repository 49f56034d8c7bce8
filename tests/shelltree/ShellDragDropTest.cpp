#include <gtest/gtest.h>

#include <algorithm>

#include "ShellTreeFixture.h"
#include "shell/ShellLinks.h"
#include "ui/Clock.h"

using namespace testutil;

namespace {

// What the tree hands to the shell's drop target of a node; it passes
// everything on to the real one, and can do what the shell of another
// system does: make a shortcut to each file, and copy a shortcut file
// under its own name (" (2)" when that is taken).
struct TTargetLog {
    int Asked = 0, Entered = 0, Left = 0, Dropped = 0, Alive = 0;
    std::vector<DWORD> Keys;
    bool MakeLinks = false;
};

// COM objects end through Release, never through a pointer to an interface,
// so the interfaces' non-virtual destructors are safe here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class TRecordingTarget : public IDropTarget {
public:
    TRecordingTarget(ui::TComPtr<IDropTarget> real, TTargetLog& log, std::wstring folder)
        : FReal(std::move(real)), FLog(log), FFolder(std::move(folder)) {
        ++FLog.Alive;
    }
    virtual ~TRecordingTarget() { --FLog.Alive; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid != IID_IUnknown && iid != IID_IDropTarget) return *out = nullptr, E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefs; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG n = --FRefs;
        if (n == 0) delete this;
        return n;
    }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override {
        ++FLog.Entered;
        FLog.Keys.push_back(keys);
        return FReal->DragEnter(data, keys, at, effect);
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override {
        FLog.Keys.push_back(keys);
        return FReal->DragOver(keys, at, effect);
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        ++FLog.Left;
        return FReal->DragLeave();
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override {
        ++FLog.Dropped;
        FLog.Keys.push_back(keys);
        if (!FLog.MakeLinks) return FReal->Drop(data, keys, at, effect);
        FReal->DragLeave();
        TFileList files = FileNamesFromDataObject(data);
        for (const std::wstring& file : *files) {
            const std::wstring name = file.substr(file.find_last_of(L'\\') + 1);
            const size_t dot = std::min(name.find_last_of(L'.'), name.size());
            const std::wstring stem = name.substr(0, dot), extension = name.substr(dot);
            if (extension == L".lnk" || extension == L".url") {
                if (!CopyFileW(file.c_str(), (FFolder + L"\\" + name).c_str(), TRUE))
                    CopyFileW(file.c_str(), (FFolder + L"\\" + stem + L" (2)" + extension).c_str(), TRUE);
            } else {
                CreateShortcutIn(FFolder, file);
            }
        }
        *effect = DROPEFFECT_LINK;
        return S_OK;
    }

private:
    ui::TComPtr<IDropTarget> FReal;
    TTargetLog& FLog;
    std::wstring FFolder;
    ULONG FRefs = 1;
};
#pragma GCC diagnostic pop

class TRecordingTree : public TKesShellTree {
public:
    using TKesShellTree::TKesShellTree;
    TTargetLog Log;
    // Runs inside the tree's WaitsLeft-th wait for messages from now on.
    int WaitsLeft = 0;
    std::function<void()> InWait;
    void ProcessMessages() override {
        TKesShellTree::ProcessMessages();
        if (InWait && --WaitsLeft == 0) std::exchange(InWait, nullptr)();
    }

protected:
    ui::TComPtr<IDropTarget> NodeDropTarget(ui::TTreeNode* node) override {
        ++Log.Asked;
        ui::TComPtr<IDropTarget> real = TKesShellTree::NodeDropTarget(node);
        if (!real) return real;
        return ui::TComPtr<IDropTarget>::Attach(new TRecordingTarget(std::move(real), Log, GetNodePath(node)));
    }
};

class DragDrop : public TShellTreeFixture<TRecordingTree> {
protected:
    DragDrop() : TShellTreeFixture(200) {}
    void SetUp() override {
        Make({L"Alpha\\", L"Alpha\\Inner\\", L"Beta\\"});
        for (int i = 0; i < 40; ++i) WriteFileBytes(Dir / (L"file" + std::to_wstring(100 + i) + L".txt"), "f");
        WriteFileBytes(Src / L"one.txt", "1");
        WriteFileBytes(Src / L"two.bat", "@echo off\r\n");
        // Shortcut files as a Start menu holds them.
        ASSERT_EQ(CreateShortcutIn(Src.Path(), Src / L"two.bat", L"Tool"), Src / L"Tool.lnk");
        WriteFileBytes(Src / L"Site.url", "[InternetShortcut]\r\nURL=http://example.org/\r\n");
        Root(ShowOption(soShowFiles) | ShowOption(soShowErrorMessages));
        Tree->CreateLinkOnDrop = true;
        Tree->OnOperation = [this](TKesShellTree&, TKesShellOperations op, const std::vector<std::wstring>& files,
                                   const std::wstring& destination) {
            Operations.push_back(op);
            ReportedFiles = files;
            Destination = destination;
        };
        Tree->OnLogInfo = [this](const std::wstring& text) {
            ++Logged;
            LastLog = text;
        };
        Data = DataFor({L"one.txt", L"two.bat"});
        ASSERT_TRUE(Data);
    }
    // The shell's own data object for files of the source folder, as a
    // folder window drags them.
    ui::TComPtr<IDataObject> DataFor(const std::vector<std::wstring>& names) {
        Source.SetFolder(Src.Path());
        std::vector<TChildIDList> lists;
        std::vector<PCUITEMID_CHILD> raw;
        for (const std::wstring& name : names) {
            Source.SetObjectName(name);
            lists.push_back(Source.CopyObjectIDList());
            raw.push_back(lists.back().Get());
        }
        ui::TComPtr<IDataObject> data;
        Source.ShellFolder()->GetUIObjectOf(nullptr, static_cast<UINT>(raw.size()),
                                            raw.data(), IID_IDataObject,
                                            nullptr, data.PutVoid());
        return data;
    }
    POINTL At(POINT client) {
        ClientToScreen(Tree->Handle(), &client);
        return POINTL{client.x, client.y};
    }
    POINTL On(const std::wstring& text) {
        RECT r = Entry(text)->DisplayRect(true);
        return At(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    DWORD Over(POINTL at) {
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
        Tree->DropTarget()->DragOver(MK_LBUTTON, at, &effect);
        return effect;
    }
    HRESULT DropOn(const std::wstring& text, IDataObject* data = nullptr) {
        if (!data) data = Data.Get();
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
        Tree->DropTarget()->DragEnter(data, MK_LBUTTON, On(text), &effect);
        Over(On(text));
        effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
        return Tree->DropTarget()->Drop(data, 0, On(text), &effect);
    }
    std::vector<std::wstring> Links(const std::wstring& folder) {
        std::vector<std::wstring> names = ShortcutFiles(Dir / folder);
        std::sort(names.begin(), names.end());
        return names;
    }

    TTempDir Src;
    TShellBrowser Source;
    ui::TComPtr<IDataObject> Data;
    std::vector<TKesShellOperations> Operations;
    std::vector<std::wstring> ReportedFiles;
    std::wstring Destination;
    int Logged = 0;
    std::wstring LastLog;
};

TEST_F(DragDrop, ADragOverAsksEachNodesFolderOnceAndLetsEverythingGo) {
    DWORD effect = DROPEFFECT_COPY;
    ASSERT_EQ(Tree->DropTarget()->DragEnter(Data.Get(), MK_LBUTTON, On(L"Alpha"), &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    Over(On(L"Alpha"));
    Over(On(L"Alpha"));
    Over(On(L"Alpha"));
    EXPECT_EQ(Tree->Log.Asked, 1) << "one question for the node, however often the pointer moves";
    EXPECT_EQ(Tree->DropNode(), Entry(L"Alpha"));
    Over(On(L"Beta"));
    EXPECT_EQ(Tree->Log.Asked, 2);
    EXPECT_EQ(Tree->Log.Left, 1) << "the first folder is left before the second is entered";
    EXPECT_EQ(Tree->Log.Alive, 1) << "and let go";
    for (DWORD keys : Tree->Log.Keys) EXPECT_TRUE(keys & MK_ALT) << "drops make links: the folder is told so";

    Tree->ReadOnly = true;
    EXPECT_EQ(Over(On(L"Beta")), static_cast<DWORD>(DROPEFFECT_NONE));
    Tree->ReadOnly = false;

    Tree->DropTarget()->DragLeave();
    EXPECT_EQ(Tree->DropNode(), nullptr);
    EXPECT_EQ(Tree->DragData(), nullptr);
    EXPECT_EQ(Tree->Log.Left, 2);
    EXPECT_EQ(Tree->Log.Alive, 0);
}

TEST_F(DragDrop, NearAnEdgeItScrollsALineAt100MsAndAHeldFolderOpensAfter2s) {
    ui::TFakeClock clock;
    DWORD effect = 0;
    Tree->DropTarget()->DragEnter(Data.Get(), MK_LBUTTON, At(POINT{50, 100}), &effect);
    RECT client{};
    GetClientRect(Tree->Handle(), &client);
    const POINTL bottom = At(POINT{50, client.bottom - 5});
    Over(bottom);
    EXPECT_EQ(GetScrollPos(Tree->Handle(), SB_VERT), 0) << "not within 100 ms of entering";
    clock.Advance(120);
    Over(bottom);
    Over(bottom);
    EXPECT_EQ(GetScrollPos(Tree->Handle(), SB_VERT), 1) << "one line, then none until 100 ms passed";
    clock.Advance(120);
    Over(At(POINT{50, 5}));
    EXPECT_EQ(GetScrollPos(Tree->Handle(), SB_VERT), 0) << "near the top it scrolls back up";

    ui::TTreeNode* alpha = Entry(L"Alpha");
    Over(On(L"Alpha"));
    EXPECT_FALSE(alpha->Expanded());
    clock.Advance(2100);
    Over(On(L"Alpha"));
    EXPECT_TRUE(alpha->Expanded()) << "held over a closed folder for two seconds, it opens";
    Tree->DropTarget()->DragLeave();
}

TEST_F(DragDrop, AFolderOpensOnlyAfterTheWholeHoverAndMovingOnRestartsIt) {
    ui::TFakeClock clock;
    DWORD effect = 0;
    Tree->DropTarget()->DragEnter(Data.Get(), MK_LBUTTON, On(L"Alpha"), &effect);
    ui::TTreeNode* alpha = Entry(L"Alpha");
    Over(On(L"Alpha"));
    clock.Advance(1500);
    Over(On(L"Beta"));
    clock.Advance(1000);
    Over(On(L"Alpha"));
    clock.Advance(2000);
    Over(On(L"Alpha"));
    EXPECT_FALSE(alpha->Expanded()) << "two seconds exactly are not yet more than two";
    clock.Advance(1);
    Over(On(L"Alpha"));
    EXPECT_TRUE(alpha->Expanded());
    Tree->DropTarget()->DragLeave();
}

TEST_F(DragDrop, DroppedFilesBecomeOneWorkingShortcutEach) {
    WriteFileBytes(Dir / L"Beta\\one.lnk", "not a shortcut");
    ASSERT_EQ(DropOn(L"Beta"), S_OK);
    EXPECT_EQ(Links(L"Beta"), (std::vector<std::wstring>{L"one (2).lnk", L"one.lnk", L"two.lnk"}));
    EXPECT_EQ(ShortcutTarget(Dir / L"Beta\\one (2).lnk"), Src / L"one.txt");
    EXPECT_EQ(ShortcutTarget(Dir / L"Beta\\two.lnk"), Src / L"two.bat");
    EXPECT_EQ(ReadFileBytes(Dir / L"Beta\\one.lnk"), "not a shortcut") << "an existing file is never replaced";
    ASSERT_EQ(Operations.size(), 1u);
    EXPECT_EQ(Operations[0], ShellOp(sopDrop)) << "reported as links";
    EXPECT_EQ(ReportedFiles, (std::vector<std::wstring>{Src / L"one.txt", Src / L"two.bat"}));
    EXPECT_EQ(Destination, Dir / L"Beta");
    EXPECT_EQ(Logged, 1);
    EXPECT_TRUE(Exists(Src / L"one.txt") && Exists(Src / L"two.bat"));
    EXPECT_EQ(Tree->Log.Alive, 0);

    // A shell that makes the shortcuts itself gets no second ones.
    Tree->Log.MakeLinks = true;
    ASSERT_EQ(DropOn(L"Alpha"), S_OK);
    EXPECT_EQ(Links(L"Alpha"), (std::vector<std::wstring>{L"one.lnk", L"two.lnk"}));
    EXPECT_EQ(Logged, 1);
    EXPECT_EQ(Operations.size(), 2u);
}

TEST_F(DragDrop, DroppedShortcutFilesAreCopiedNotLinked) {
    const std::string tool = ReadFileBytes(Src / L"Tool.lnk"), site = ReadFileBytes(Src / L"Site.url");
    ASSERT_EQ(ShortcutTarget(Src / L"Tool.lnk"), Src / L"two.bat");
    struct TCase {
        const char* What;
        std::vector<std::wstring> Dropped;
        std::string Taken;  // the content of a "Tool.lnk" already in the folder
        bool ShellActs;     // the folder's drop target does what a shell elsewhere does
        std::vector<std::wstring> After;
        std::vector<std::wstring> Logged;  // what the log line names; empty: no line
    };
    const std::vector<TCase> cases = {
        {"a shortcut is copied", {L"Tool.lnk"}, "", false, {L"Tool.lnk"}, {L"copied", L"Tool.lnk"}},
        {"an internet shortcut is copied", {L"Site.url"}, "", false, {L"Site.url"}, {L"copied", L"Site.url"}},
        {"a taken name is numbered", {L"Tool.lnk"}, "mine", false, {L"Tool (2).lnk", L"Tool.lnk"},
         {L"copied", L"Tool (2).lnk"}},
        {"a plain file beside it still gets a shortcut",
         {L"one.txt", L"Tool.lnk"},
         "",
         false,
         {L"Tool.lnk", L"one.lnk"},
         {L"made here", L"one.lnk", L"copied", L"Tool.lnk"}},
        {"the shell's own copy is not copied again", {L"Tool.lnk", L"one.txt"}, "", true, {L"Tool.lnk", L"one.lnk"}, {}},
        {"nor its numbered one", {L"Tool.lnk"}, "mine", true, {L"Tool (2).lnk", L"Tool.lnk"}, {}},
    };
    int n = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const std::wstring folder = L"Case" + std::to_wstring(++n);
        CreateDirectoryW((Dir / folder).c_str(), nullptr);
        if (!c.Taken.empty()) WriteFileBytes(Dir / (folder + L"\\Tool.lnk"), c.Taken);
        Tree->RefreshAll();
        Tree->Log.MakeLinks = c.ShellActs;
        Logged = 0;
        LastLog.clear();
        ui::TComPtr<IDataObject> data = DataFor(c.Dropped);
        ASSERT_TRUE(data);
        ASSERT_EQ(DropOn(folder, data.Get()), S_OK);

        std::vector<std::wstring> after = FolderFiles(Dir / folder);
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, c.After);
        const std::wstring in = Dir / folder + L"\\";
        const std::wstring copy = in + (c.Taken.empty() ? L"Tool.lnk" : L"Tool (2).lnk");
        if (Exists(copy)) {
            EXPECT_EQ(ReadFileBytes(copy), tool) << "an exact copy";
            EXPECT_EQ(ShortcutTarget(copy), Src / L"two.bat") << "pointing where the original points";
        }
        if (!c.Taken.empty()) {
            EXPECT_EQ(ReadFileBytes(in + L"Tool.lnk"), c.Taken) << "never replaced";
        }
        if (Exists(in + L"Site.url")) {
            EXPECT_EQ(ReadFileBytes(in + L"Site.url"), site);
        }
        if (Exists(in + L"one.lnk")) {
            EXPECT_EQ(ShortcutTarget(in + L"one.lnk"), Src / L"one.txt");
        }
        EXPECT_EQ(Logged, c.Logged.empty() ? 0 : 1);
        for (const std::wstring& part : c.Logged) EXPECT_NE(LastLog.find(part), std::wstring::npos) << part;
        EXPECT_TRUE(Exists(Src / L"Tool.lnk") && Exists(Src / L"Site.url")) << "the originals stay";
    }
    EXPECT_EQ(Tree->Log.Alive, 0);
}

TEST_F(DragDrop, AFolderThatGoesWhileTheDropWaitsIsNeitherUsedNorLost) {
    // Another program removes the folder dropped on; its report, or the
    // user's F5, comes in the drop's first wait (after the shell's drop) or
    // its second (for the shortcuts).
    const struct { int Wait; bool Key; } cases[] = {{1, false}, {2, false}, {2, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.Key ? "F5" : "report") << " in wait " << c.Wait);
        const std::wstring name = L"Gone" + std::to_wstring(c.Wait) + (c.Key ? L"k" : L""), path = Dir / name;
        CreateDirectoryW(path.c_str(), nullptr);
        Tree->RefreshAll();
        const TIDList list = PathToIDList(nullptr, path);
        LPCITEMIDLIST items[2] = {list.Get(), nullptr};
        Tree->WaitsLeft = c.Wait;
        Tree->InWait = [&] {
            RemoveTree(path);
            if (c.Key) SendMessageW(Tree->Handle(), WM_KEYDOWN, VK_F5, 0);
            else SendMessageW(Tree->Notifier->NotifyWindow(), TKesShellChangeNotifier::WM_SHELLNOTIFY,
                              reinterpret_cast<WPARAM>(items), SHCNE_RMDIR);
        };
        ASSERT_EQ(DropOn(name), S_OK);
        EXPECT_EQ(Destination, path) << "the drop is reported where it went";
        ui::Application->ProcessMessages();
        EXPECT_EQ(Entry(name), nullptr) << "the entry goes, at the latest once the drop is over";
    }
}

TEST_F(DragDrop, AVetoKeepsTheDropFromTheFolder) {
    int asked = 0;
    Tree->OnBeforeShellDrop = [&](TKesShellTree&, ui::TTreeNode* node, const std::vector<std::wstring>& files,
                                  bool& execute) {
        ++asked;
        EXPECT_EQ(node, Entry(L"Beta"));
        EXPECT_EQ(files.size(), 2u);
        execute = false;
    };
    EXPECT_EQ(DropOn(L"Beta"), E_UNEXPECTED);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Tree->Log.Dropped, 0);
    EXPECT_TRUE(Links(L"Beta").empty());
    EXPECT_TRUE(Operations.empty());
    EXPECT_EQ(Tree->DropNode(), nullptr);
    EXPECT_EQ(Tree->Log.Alive, 0);
}

}  // namespace
