#include <gtest/gtest.h>

#include <cstring>

#include "shell/ShellBrowser.h"
#include "shell/Shell_Win32.h"
#include "testutil/TestFiles.h"

using namespace testutil;

namespace {

// A real three-level path: temp folder \ a \ b \ c.txt, parsed by the shell.
class IDLists : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW((Dir / L"a").c_str(), nullptr);
        CreateDirectoryW((Dir / L"a\\b").c_str(), nullptr);
        WriteFileBytes(Dir / L"a\\b\\c.txt", "x");
        Folder = PathToIDList(nullptr, Dir.Path());
        ASSERT_TRUE(Folder);
        ASSERT_TRUE(DesktopFolder);
        ComPtrBind();
        ULONG eaten = 0;
        std::wstring rel = L"a\\b\\c.txt";
        ASSERT_EQ(Parent->ParseDisplayName(nullptr, nullptr, rel.data(), &eaten, Three.Put(), nullptr), S_OK);
    }
    void ComPtrBind() {
        ASSERT_TRUE(SUCCEEDED(DesktopFolder->BindToObject(Folder.Get(), nullptr, IID_PPV_ARGS(Parent.Put()))));
    }
    TTempDir Dir;
    TIDList Folder;
    ui::TComPtr<IShellFolder> Parent;
    TIDList Three;  // relative to Folder: a, b, c.txt
};

TEST_F(IDLists, SizesCountsAndCopies) {
    EXPECT_EQ(IDListSize(EmptyIDList), 2u);
    EXPECT_EQ(IDListCount(EmptyIDList), 0u);
    EXPECT_EQ(IDListSize(nullptr), 0u);
    EXPECT_EQ(IDListCount(nullptr), 0u);
    ASSERT_EQ(IDListCount(Three.Get()), 3u);

    UINT sum = 2;
    const SHITEMID* item = &Three.Get()->mkid;
    for (int i = 0; i < 3; ++i) {
        sum += item->cb;
        item = reinterpret_cast<const SHITEMID*>(reinterpret_cast<const BYTE*>(item) + item->cb);
    }
    EXPECT_EQ(IDListSize(Three.Get()), sum);

    TIDList copy = CopyIDList(Three.Get());
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.Get(), Three.Get());
    EXPECT_EQ(std::memcmp(copy.Get(), Three.Get(), sum), 0);
    EXPECT_FALSE(CopyIDList(nullptr));
}

TEST_F(IDLists, SameItemsAreToldByLengthBytesOrTheShell) {
    TIDList again = PathToIDList(nullptr, Dir.Path());
    TIDList upper = PathToIDList(nullptr, Dir / L"A");
    TIDList lower = PathToIDList(nullptr, Dir / L"a");
    TIDList file = PathToIDList(nullptr, Dir / L"a\\b\\c.txt");
    ASSERT_TRUE(again && upper && lower && file);
    WriteFileBytes(Dir / L"d.txt", "d");
    TIDList sibling = PathToIDList(nullptr, Dir / L"d.txt");
    IShellFolder* const desktop = DesktopFolder;
    const struct {
        IShellFolder* Folder;
        LPCITEMIDLIST A, B;
        bool Same, AsksShell;
    } rows[] = {{desktop, Folder.Get(), again.Get(), true, false}, {desktop, Folder.Get(), lower.Get(), false, false},
                {desktop, file.Get(), lower.Get(), false, false},  {desktop, upper.Get(), lower.Get(), true, true},
                {desktop, Folder.Get(), nullptr, false, false},    {nullptr, Folder.Get(), again.Get(), false, false},
                {desktop, sibling.Get(), upper.Get(), false, true}};
    for (const auto& r : rows) {
        ui::ResetProfileCounters();
        EXPECT_EQ(SameIDs(r.Folder, r.A, r.B), r.Same) << "row " << &r - rows;
        EXPECT_TRUE(r.AsksShell || ShellCounters.Comparisons.Calls == 0) << "row " << &r - rows << " asked the shell";
    }
}

TEST_F(IDLists, ConcatenationAndParts) {
    TIDList withEmpty = ConcatIDLists(EmptyIDList, Three.Get());
    EXPECT_EQ(IDListSize(withEmpty.Get()), IDListSize(Three.Get()));
    EXPECT_EQ(std::memcmp(withEmpty.Get(), Three.Get(), IDListSize(Three.Get())), 0);
    TIDList withNone = ConcatIDLists(nullptr, Three.Get());
    EXPECT_EQ(IDListCount(withNone.Get()), 3u);

    TIDList absolute = ConcatIDLists(Folder.Get(), Three.Get());
    EXPECT_EQ(IDListCount(absolute.Get()), IDListCount(Folder.Get()) + 3);
    EXPECT_EQ(IDListToPath(absolute.Get()), Dir.Path() + L"\\a\\b\\c.txt");

    // Items: the last one by itself, the end as an empty list, past it none.
    TIDList last = CopyIDListItem(Three.Get(), 2);
    EXPECT_EQ(IDListCount(last.Get()), 1u);
    TIDList atCount = CopyIDListItem(Three.Get(), 3);
    ASSERT_TRUE(atCount);
    EXPECT_EQ(IDListSize(atCount.Get()), 2u);
    EXPECT_FALSE(CopyIDListItem(Three.Get(), 4));

    struct {
        UINT K, Kept;
    } heads[] = {{0, 0}, {1, 1}, {2, 2}, {3, 2}, {5, 2}};
    for (auto h : heads) EXPECT_EQ(IDListCount(CopyIDListHead(Three.Get(), h.K).Get()), h.Kept) << h.K;
    EXPECT_EQ(IDListSize(CopyIDListHead(EmptyIDList, 3).Get()), 2u);
}

// Absolute and child lists from real paths: the last item is a child of its
// folder, and the folder's list with that child appended is the parsed list again.
TEST_F(IDLists, TypedListsSplitAndCombineBackToTheParsedList) {
    const struct {
        const wchar_t* Path;
        const wchar_t* Folder;
        const wchar_t* Name;
    } cases[] = {
        {L"a", L"", L"a"},
        {L"a\\b", L"a", L"b"},
        {L"a\\b\\c.txt", L"a\\b", L"c.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Path);
        TAbsoluteIDList full = PathToAbsoluteIDList(Dir / c.Path);
        TAbsoluteIDList folder = PathToAbsoluteIDList(*c.Folder ? Dir / c.Folder : Dir.Path());
        ASSERT_TRUE(full);
        ASSERT_TRUE(folder);
        ASSERT_EQ(IDListCount(full.Get()), IDListCount(folder.Get()) + 1);

        TChildIDList child = CopyLastIDListItem(full.Get());
        ASSERT_TRUE(child);
        EXPECT_EQ(IDListCount(child.Get()), 1u);
        EXPECT_EQ(IDListSize(child.Get()), IDListSize(full.Get()) - IDListSize(folder.Get()) + sizeof(USHORT));
        EXPECT_EQ(std::memcmp(child.Get(), ILFindLastID(full.Get()), IDListSize(child.Get())), 0);

        TAbsoluteIDList parent = CopyParentIDList(full.Get());
        EXPECT_TRUE(ILIsEqual(parent.Get(), folder.Get()));

        // The child names the item inside its folder.
        ui::TComPtr<IShellFolder> shellFolder;
        ASSERT_TRUE(SUCCEEDED(DesktopFolder->BindToObject(parent.Get(), nullptr, IID_PPV_ARGS(shellFolder.Put()))));
        STRRET str{};
        ASSERT_TRUE(SUCCEEDED(shellFolder->GetDisplayNameOf(child.Get(), SHGDN_INFOLDER | SHGDN_FORPARSING, &str)));
        EXPECT_EQ(StrRetToString(child.Get(), str), c.Name);
        FreeStrRet(str);

        TAbsoluteIDList combined = CombineIDLists(parent.Get(), child.Get());
        ASSERT_TRUE(combined);
        EXPECT_EQ(IDListSize(combined.Get()), IDListSize(full.Get()));
        EXPECT_TRUE(ILIsEqual(combined.Get(), full.Get()));
        EXPECT_EQ(HRESULT_CODE(DesktopFolder->CompareIDs(0, combined.Get(), full.Get())), 0);

        // A change of kind hands the same list on.
        PIDLIST_ABSOLUTE raw = combined.Get();
        TIDList relative = ToRelativeIDList(std::move(combined));
        EXPECT_FALSE(combined);
        EXPECT_EQ(relative.Get(), raw);
        EXPECT_EQ(AsAbsoluteIDList(std::move(relative)).Get(), raw);
    }
    // The desktop has no last item, and its parent is the desktop again.
    EXPECT_FALSE(CopyLastIDListItem(EmptyIDList));
    TAbsoluteIDList top = CopyParentIDList(EmptyIDList);
    ASSERT_TRUE(top);
    EXPECT_EQ(IDListSize(top.Get()), IDListSize(EmptyIDList));
}

TEST(Paths, ParsingAndConvertingBack) {
    TTempDir dir;
    TIDList desktop = PathToIDList(nullptr, L"");
    ASSERT_TRUE(desktop);
    EXPECT_EQ(IDListCount(desktop.Get()), 0u);
    EXPECT_FALSE(PathToIDList(nullptr, dir / L"does-not-exist"));
    EXPECT_FALSE(PathToIDList(nullptr, std::wstring(300, L'x')));

    TIDList folder = PathToIDList(nullptr, dir.Path()), drive = PathToIDList(nullptr, L"C:\\");
    const struct {
        LPCITEMIDLIST List;
        std::wstring Path;
    } rows[] = {{folder.Get(), dir.Path()}, {drive.Get(), L"C:\\"}, {nullptr, L""}};
    for (const auto& r : rows) EXPECT_EQ(IDListToPath(r.List), r.Path);

    for (TKesShellFolder virtualFolder : {SF_DRIVES, SF_BITBUCKET, SF_CONTROLS}) {
        TAbsoluteIDList list = SpecialFolderIDList(virtualFolder);
        ASSERT_TRUE(list) << virtualFolder;
        EXPECT_EQ(IDListToPath(list.Get()), L"") << virtualFolder;
    }
    wchar_t desktopDir[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, desktopDir, CSIDL_DESKTOPDIRECTORY, FALSE);
    EXPECT_EQ(IDListToPath(EmptyIDList), desktopDir);
    EXPECT_EQ(SpecialFolderPath(SF_DESKTOPDIRECTORY), desktopDir);
    EXPECT_EQ(SpecialFolderPath(SF_DRIVES), L"");
}

TEST(Paths, SpecialFoldersAreFoundByTheirLists) {
    TTempDir dir;
    EXPECT_EQ(FindSpecialFolder(EmptyIDList), SF_DESKTOP);
    EXPECT_EQ(FindSpecialFolder(SpecialFolderIDList(SF_DRIVES).Get()), SF_DRIVES);
    EXPECT_EQ(FindSpecialFolder(SpecialFolderIDList(SF_FAVORITES).Get()), SF_FAVORITES);
    EXPECT_EQ(FindSpecialFolder(PathToIDList(nullptr, dir.Path()).Get()), SF_FILESYSTEMFOLDER);
    EXPECT_EQ(FindSpecialFolder(nullptr), SF_FILESYSTEMFOLDER);
    EXPECT_FALSE(IsNetworkIDList(PathToIDList(nullptr, dir.Path()).Get()));
    TAbsoluteIDList network = SpecialFolderIDList(SF_NETWORK);
    if (network) {
        EXPECT_TRUE(IsNetworkIDList(network.Get()));
        EXPECT_TRUE(IsNetworkIDList(network.Get()));
        EXPECT_FALSE(IsNetworkIDList(PathToIDList(nullptr, dir.Path()).Get()))
            << "the last answer is not kept for another item";
    }
}

TEST(Paths, SmallHelpers) {
    const struct {
        const wchar_t *Path, *WithBackslash;
        bool Drive;
    } rows[] = {{L"", L"", false},          {L"C:", L"C:\\", true}, {L"C:\\", L"C:\\", true},
                {L"C:\\a", L"C:\\a\\", false}, {L"C", L"C\\", false}};
    for (const auto& r : rows) {
        EXPECT_EQ(AddTrailingBackslash(r.Path), r.WithBackslash) << &r - rows;
        EXPECT_EQ(IsDriveSpec(r.Path), r.Drive) << &r - rows;
    }

    TTempDir dir;
    WriteFileBytes(dir / L"five.txt", "12345");
    EXPECT_TRUE(FileOrFolderExists(dir / L"five.txt"));
    EXPECT_TRUE(FileOrFolderExists(dir.Path()));
    EXPECT_TRUE(FileOrFolderExists(L"Q:"));  // a bare drive name is taken as present
    EXPECT_FALSE(FileOrFolderExists(dir / L"none.txt"));
    EXPECT_EQ(GetFileSize64(dir / L"five.txt"), 5);
    EXPECT_EQ(GetFileSize64(dir / L"none.txt"), -1);
    EXPECT_TRUE(IsDriveReady(L"C:\\"));
    EXPECT_FALSE(SysErrorText(ERROR_FILE_NOT_FOUND).empty());
}

// Programs are started by full paths only: the Windows folder's own, or
// what the machine's App Paths key registers (a bare or relative name
// there counts as none).
TEST(Paths, ProgramsHaveFullPaths) {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(WindowsProgramPath(L"explorer.exe"), std::wstring(windows) + L"\\explorer.exe");
    const std::wstring key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\tavrix-test.exe";
    struct TRow {
        DWORD Type;
        const wchar_t* Stored;
        const wchar_t* Expected;
    } rows[] = {{REG_SZ, L"C:\\Tools\\b.exe", L"C:\\Tools\\b.exe"},
                {REG_SZ, L"\"C:\\Program Files\\b.exe\"", L"C:\\Program Files\\b.exe"},
                {REG_EXPAND_SZ, L"%SystemRoot%\\b.exe", nullptr},
                {REG_SZ, L"\\\\server\\share\\b.exe", L"\\\\server\\share\\b.exe"},
                {REG_SZ, L"b.exe", L""},
                {REG_SZ, L"Tools\\b.exe", L""},
                {REG_SZ, L"", L""},
                {REG_DWORD, nullptr, L""}};
    for (const TRow& row : rows) {
        const DWORD number = 1;
        const std::wstring text = row.Stored ? row.Stored : L"";
        const BYTE* data = row.Stored ? reinterpret_cast<const BYTE*>(text.c_str()) : reinterpret_cast<const BYTE*>(&number);
        const DWORD size = row.Stored ? static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)) : sizeof(number);
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, row.Type, data, size), ERROR_SUCCESS);
        const std::wstring expected = row.Expected ? row.Expected : std::wstring(windows) + L"\\b.exe";
        EXPECT_EQ(RegisteredProgramPath(L"tavrix-test.exe"), expected) << text;
    }
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
    EXPECT_EQ(RegisteredProgramPath(L"tavrix-test.exe"), L"") << "nothing registered";
}

TEST(Drops, FileNamesComeFromTheDropAndTheDataObject) {
    EXPECT_EQ(FileNamesFromDrop(nullptr), nullptr);
    EXPECT_EQ(FileNamesFromDataObject(nullptr), nullptr);

    // A real drop block with two names.
    std::wstring names = std::wstring(L"C:\\one.txt") + L'\0' + L"C:\\two words.lnk" + L'\0' + L'\0';
    HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* df = static_cast<DROPFILES*>(GlobalLock(mem));
    df->pFiles = sizeof(DROPFILES);
    df->fWide = TRUE;
    std::memcpy(reinterpret_cast<BYTE*>(df) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(mem);
    auto list = FileNamesFromDrop(static_cast<HDROP>(mem));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(*list, (std::vector<std::wstring>{L"C:\\one.txt", L"C:\\two words.lnk"}));
    GlobalFree(mem);
}

}  // namespace
