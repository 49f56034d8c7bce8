#include <gtest/gtest.h>

#include <algorithm>

#include "shell/ShellBrowser.h"
#include "testutil/TestFiles.h"

using namespace testutil;

namespace {

// A prepared folder: files, sub-folders, a hidden file and a .zip file.
class Navigator : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW((Dir / L"Tools").c_str(), nullptr);
        CreateDirectoryW((Dir / L"Tools\\Deep").c_str(), nullptr);
        CreateDirectoryW((Dir / L"Empty").c_str(), nullptr);
        WriteFileBytes(Dir / L"notes.txt", "n");
        WriteFileBytes(Dir / L"app.exe", "MZ");
        WriteFileBytes(Dir / L"link.lnk", "L");
        WriteFileBytes(Dir / L"hidden.txt", "h");
        SetFileAttributesW((Dir / L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
        WriteFileBytes(Dir / L"pack.zip", std::string("PK\x05\x06", 4) + std::string(18, '\0'));
        Browser.SetFolder(Dir.Path());
    }

    std::vector<std::wstring> Enumerate() {
        std::vector<std::wstring> names;
        while (Browser.FindNextObject()) names.push_back(Browser.ObjectName());
        std::sort(names.begin(), names.end());
        return names;
    }

    TTempDir Dir;
    TShellBrowser Browser;
};

TEST_F(Navigator, StartsAtMyComputer) {
    TShellBrowser fresh;
    EXPECT_EQ(fresh.Folder(), L"");
    EXPECT_EQ(fresh.GetFolderSpecialFolder(), SF_DRIVES);
    EXPECT_EQ(fresh.ObjectIDList(), nullptr);
    EXPECT_EQ(fresh.Filter(), L"*");
    EXPECT_EQ(fresh.Version(), L"TShellBrowser V3.33");
}

TEST_F(Navigator, EnumeratesEveryChildIncludingHiddenOnes) {
    EXPECT_EQ(Enumerate(), (std::vector<std::wstring>{L"Empty", L"Tools", L"app.exe", L"hidden.txt", L"link.lnk",
                                                      L"notes.txt", L"pack.zip"}));
    Browser.FileSystemOnly = true;
    EXPECT_EQ(Enumerate().size(), 7u);
}

TEST_F(Navigator, FilterPassesFoldersAndMatchingFiles) {
    Browser.SetFilter(L"*.exe;*.lnk");
    EXPECT_EQ(Browser.Filter(), L"*.exe;*.lnk");
    auto names = Enumerate();
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Empty", L"Tools", L"app.exe", L"link.lnk"}));

    struct {
        const wchar_t* Written;
        const wchar_t* Read;
    } cases[] = {{L"", L"*"}, {L"*.txt;", L"*.txt"}, {L";", L""}, {L"a;;b", L"a;;b"}};
    for (const auto& c : cases) {
        Browser.SetFilter(c.Written);
        EXPECT_EQ(Browser.Filter(), c.Read) << ui::WideToUtf8(c.Written);
    }
}

TEST_F(Navigator, NamesOutsideTheAnsiCodePageAreReadAsTheyAre) {
    // Greek and Cyrillic: "?" in the ANSI code page of the test prefix.
    const std::wstring file = L"\u03a9 \u0444\u0430\u0439\u043b.txt";
    const std::wstring zip = L"\u0430\u0440\u0445\u0438\u0432.zip";
    WriteFileBytes(Dir / file, "w");
    WriteFileBytes(Dir / zip, std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    auto names = Enumerate();
    EXPECT_NE(std::find(names.begin(), names.end(), file), names.end()) << "its name came back otherwise";
    // A mask of its own letters takes it, and only it.
    Browser.SetFilter(L"*\u0444\u0430\u0439\u043b*");
    EXPECT_EQ(Enumerate(), (std::vector<std::wstring>{L"Empty", L"Tools", file}));
    Browser.SetFilter(L"*");
    // Found by its own name, and a compressed folder known by its extension.
    Browser.SetObjectName(file);
    EXPECT_EQ(Browser.ObjectName(), file);
    Browser.SetObjectName(zip);
    EXPECT_EQ(Browser.ObjectName(), zip);
}

TEST_F(Navigator, FolderChangesIgnoreCaseAndTakeTheShellsSpelling) {
    std::wstring upper = Dir.Path();
    std::transform(upper.begin(), upper.end(), upper.begin(), ::towupper);
    TShellBrowser other;
    other.SetFolder(upper);
    EXPECT_EQ(other.Folder(), Dir.Path() + L"\\");

    // The same folder in other letters: nothing happens, the object stays.
    Browser.SetObjectName(L"notes.txt");
    Browser.SetFolder(upper + L"\\");
    EXPECT_EQ(Browser.ObjectName(), L"notes.txt");

    try {
        Browser.SetFolder(Dir / L"missing");
        ADD_FAILURE() << "no error";
    } catch (const EShellBrowserError& e) {
        EXPECT_EQ(e.Message(), L"Cannot Find Folder: " + (Dir / L"missing"));
    }
    EXPECT_EQ(Browser.Folder(), Dir.Path() + L"\\");

    Browser.SetFolder(L"");
    EXPECT_EQ(Browser.Folder(), L"");
    EXPECT_EQ(Browser.GetFolderSpecialFolder(), SF_DRIVES);
}

TEST_F(Navigator, ObjectsByName) {
    Browser.SetObjectName(L"Tools");
    EXPECT_TRUE(Browser.IsFolder());
    EXPECT_TRUE(Browser.HasSubFolders());
    EXPECT_TRUE(Browser.EnterObject());
    EXPECT_EQ(Browser.Folder(), Dir.Path() + L"\\Tools\\");
    EXPECT_TRUE(Browser.SelectFolderInParent());
    EXPECT_EQ(Browser.Folder(), Dir.Path() + L"\\");
    EXPECT_EQ(Browser.ObjectName(), L"Tools");

    Browser.SetObjectName(Dir / L"Tools\\Deep\\");
    EXPECT_EQ(Browser.Folder(), Dir.Path() + L"\\Tools\\");
    EXPECT_EQ(Browser.ObjectName(), L"Deep");

    Browser.SetObjectName(L"C:\\");
    EXPECT_EQ(Browser.GetFolderSpecialFolder(), SF_DRIVES);
    EXPECT_EQ(Browser.ObjectName(), L"C:\\");

    Browser.SetFolder(Dir.Path());
    Browser.SetObjectName(L"");
    EXPECT_EQ(Browser.ObjectIDList(), nullptr);
    EXPECT_TRUE(Browser.HasSubFolders());  // no object: True
    EXPECT_FALSE(Browser.IsFolder());
}

TEST_F(Navigator, AMissingNameRaisesAndEnumerationStartsOver) {
    ASSERT_TRUE(Browser.FindNextObject());
    std::wstring first = Browser.ObjectName();
    try {
        Browser.SetObjectName(L"nothing-here.txt");
        ADD_FAILURE() << "no error";
    } catch (const EShellBrowserError& e) {
        EXPECT_EQ(e.Message(), L"Error! Cannot find Object \"nothing-here.txt\" in Folder \"" + Dir.Path() + L"\\\"");
    }
    ASSERT_TRUE(Browser.FindNextObject());
    EXPECT_EQ(Browser.ObjectName(), first);
}

TEST_F(Navigator, EnumerationEndsAndThenStartsAgain) {
    int n = 0;
    std::wstring first;
    while (Browser.FindNextObject()) {
        if (n++ == 0) first = Browser.ObjectName();
    }
    EXPECT_EQ(n, 7);
    EXPECT_TRUE(Browser.FindNextObject());
    EXPECT_EQ(Browser.ObjectName(), first);
}

TEST_F(Navigator, AttributeTests) {
    // (Whether an empty folder has sub-folders is the shell's guess; some
    // shells say yes for every folder, so it is not asked here.)
    struct {
        const wchar_t* Name;
        bool Folder, SubFolders, Hidden;
    } cases[] = {
        {L"Tools", true, true, false},
        {L"notes.txt", false, false, false},
        {L"hidden.txt", false, false, true},
    };
    for (const auto& c : cases) {
        Browser.SetObjectName(c.Name);
        EXPECT_EQ(Browser.IsFolder(), c.Folder) << ui::WideToUtf8(c.Name);
        EXPECT_EQ(Browser.HasSubFolders(), c.SubFolders) << ui::WideToUtf8(c.Name);
        EXPECT_EQ(Browser.IsHidden(), c.Hidden) << ui::WideToUtf8(c.Name);
        EXPECT_EQ(Browser.HasSubFoldersCache, c.SubFolders ? 1 : 0);
    }
    // A .zip is never asked about: a folder without FileSystemOnly, none with it.
    Browser.SetObjectName(L"pack.zip");
    EXPECT_TRUE(Browser.HasSubFolders());
    Browser.FileSystemOnly = true;
    Browser.SetObjectName(L"pack.zip");
    EXPECT_FALSE(Browser.HasSubFolders());

    Browser.SetObjectName(L"notes.txt");
    EXPECT_TRUE(Browser.CanRename());
    EXPECT_EQ(Browser.GetDisplayName().substr(0, 5), L"notes");
    EXPECT_GE(Browser.GetIconIndex(), 0);
    EXPECT_FALSE(Browser.GetDesktopDisplayName().empty());
    EXPECT_EQ(IDListToPath(Browser.GetAbsoluteObjectIDList()), Dir / L"notes.txt");
}

TEST(PidlHistory, AddBackAndForward) {
    TPidlHistory history;
    auto list = [] { return CopyIDList(EmptyIDList); };
    EXPECT_EQ(history.ItemIndex, 0);
    history.Add(TIDList());  // none is ignored
    EXPECT_EQ(history.Count(), 0);
    history.Add(list());
    LPCITEMIDLIST a = history.Items(0);
    history.Add(list());
    history.Add(list());
    EXPECT_EQ(history.ItemIndex, 2);
    history.Back(2);
    EXPECT_EQ(history.ItemIndex, 0);
    TIDList d = list();
    LPCITEMIDLIST dRaw = d.Get();
    history.Add(std::move(d));
    ASSERT_EQ(history.Count(), 2);
    EXPECT_EQ(history.Items(0), a);
    EXPECT_EQ(history.Items(1), dRaw);  // taken over, not copied
    EXPECT_EQ(history.ItemIndex, 1);
    history.Back(5);
    EXPECT_EQ(history.ItemIndex, 0);
    history.Forward(5);
    EXPECT_EQ(history.ItemIndex, 1);
}

TEST(SystemImageList, SharesOrCopiesTheSystemList) {
    TKesSystemImageList shared;
    EXPECT_TRUE(shared.ShareImages());
    EXPECT_EQ(shared.Size(), si_small);
    ASSERT_NE(shared.Handle(), nullptr);
    EXPECT_EQ(shared.Width(), GetSystemMetrics(SM_CXSMICON));
    {
        TKesSystemImageList own;
        own.SetShareImages(false);
        EXPECT_NE(own.Handle(), shared.Handle());
        EXPECT_EQ(own.Count(), ImageList_GetImageCount(shared.Handle()));
    }
    // The shared list outlives every user of it.
    EXPECT_GT(ImageList_GetImageCount(shared.Handle()), 0);
    shared.SetSize(si_large);
    EXPECT_EQ(shared.Width(), GetSystemMetrics(SM_CXICON));
}

TEST(Names, AreComparedAsTheFileSystemComparesThem) {
    const struct {
        const wchar_t* A;
        const wchar_t* B;
        bool Same;
    } cases[] = {
        {L"Links", L"LINKS", true},        {L"\u00e9t\u00e9", L"\u00c9T\u00c9", true},
        {L"Stra\u00dfe", L"Strasse", false}, {L"a\u00adb", L"ab", false},
        {L"a.txt", L"a.txt ", false},       {L"", L"", true},
    };
    for (const auto& c : cases) EXPECT_EQ(SameText(c.A, c.B), c.Same) << static_cast<int>(wcslen(c.A));
}

TEST(Names, GoIntoCapitalsLetterForLetter) {
    EXPECT_EQ(Upper(L"c:\\Links\\\u00e9t\u00e9*"), L"C:\\LINKS\\\u00c9T\u00c9*");
    EXPECT_EQ(Upper(L"Stra\u00dfe").size(), 6u) << "no letter becomes two";
    EXPECT_EQ(Upper(L""), L"");
}

}  // namespace
