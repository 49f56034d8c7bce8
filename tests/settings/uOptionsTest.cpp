#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <map>

#include "settings/IniFile.h"
#include "settings/uOptions.h"
#include "testutil/TestFiles.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "core/Exceptions.h"
#include "ui/Form.h"
#include "util/uUtils.h"

using namespace testutil;

namespace {

class OptionsStore : public ::testing::Test {
protected:
    TTempDir Dir;
    std::wstring Ini = Dir / L"tavrix.ini";

    void Store(const std::string& lines) { WriteFileBytes(Ini, "[OPTIONS]\r\n" + lines); }
    std::wstring Key(const wchar_t* key) {
        wchar_t buf[4096] = {};
        GetPrivateProfileStringW(L"OPTIONS", key, L"<absent>", buf, 4096, Ini.c_str());
        return buf;
    }
};

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

std::wstring FavoritesPath() {
    wchar_t buf[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, buf, CSIDL_FAVORITES, FALSE);
    return buf;
}

TEST_F(OptionsStore, NoFileGivesTheDefaultsAndQuorbInFavorites) {
    TOptions options(Ini);
    const TOptionsRec& s = options.Settings;
    EXPECT_EQ(s.Left, 50);
    EXPECT_EQ(s.Top, 20);
    EXPECT_EQ(s.Right, 300);
    EXPECT_EQ(s.Bottom, 400);
    EXPECT_EQ(s.SelectedNode, 0);
    EXPECT_EQ(s.Expanded, L"");
    const std::map<std::wstring, bool> switches = {
        {L"ShowAppWndOnLaunch", false}, {L"ExecWithDblClick", false}, {L"FollowMousePos", true},
        {L"Autohide", true},            {L"ShowTrayIcon", true},      {L"BlockScrSvr", false},
        {L"TimestampTempFiles", false}};
    ASSERT_EQ(OptionSwitchCount, switches.size());
    for (const TOptionSwitch& option : OptionSwitches)
        EXPECT_EQ(s.*option.Member, switches.at(option.Key)) << Narrow(option.Key);
    EXPECT_EQ(s.WorkingFolderOption, 0);
    EXPECT_EQ(s.WorkingFolderPath, L"");
    ASSERT_FALSE(FavoritesPath().empty());
    EXPECT_EQ(s.WorkingFolder, FavoritesPath() + L"\\quorb");
    EXPECT_FALSE(Exists(Ini)) << "reading must not create the file";
}

TEST_F(OptionsStore, WorkingFolderChoices) {
    wchar_t desktop[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE);
    struct {
        const char* Stored;
        std::wstring Expected;
    } cases[] = {
        {"WorkingFolderOption=1\r\n", std::wstring(desktop) + L"\\quorb"},
        {"WorkingFolderOption=2\r\n", GetProgramFolder() + L"quorb"},
        {"WorkingFolderOption=3\r\nWorkingFolderPath=D:\\Base\r\n", L"D:\\Base\\quorb"},
        {"WorkingFolderOption=3\r\nWorkingFolderPath=D:\\Base\\\r\n", L"D:\\Base\\quorb"},
        {"WorkingFolderOption=3\r\n", L"\\quorb"},
        {"WorkingFolderOption=256\r\n", FavoritesPath() + L"\\quorb"},
        // A choice that names no folder reads as the default.
        {"WorkingFolderOption=7\r\nWorkingFolderPath=D:\\Base\r\n", FavoritesPath() + L"\\quorb"},
        {"WorkingFolderOption=-1\r\n", FavoritesPath() + L"\\quorb"},
        {"WorkingFolderOption=0x10\r\n", FavoritesPath() + L"\\quorb"},
        {"WorkingFolderOption=x\r\n", FavoritesPath() + L"\\quorb"},
    };
    for (const auto& c : cases) {
        Store(c.Stored);
        TOptions options(Ini);
        EXPECT_EQ(options.Settings.WorkingFolder, c.Expected) << c.Stored;
        if (std::string(c.Stored).find("256") != std::string::npos) {
            EXPECT_EQ(options.Settings.WorkingFolderOption, 0);
        }
    }
}

TEST_F(OptionsStore, BooleansAreNumbersAndWordsReadAsDefaults) {
    Store("ShowAppWndOnLaunch=5\r\nFollowMousePos=0\r\nAutohide=yes\r\nShowTrayIcon=no\r\n"
          "BlockScrSvr=-1\r\nExecWithDblClick=word\r\nLeft=abc\r\nTop=-30\r\n");
    TOptions options(Ini);
    EXPECT_TRUE(options.Settings.ShowAppWndOnLaunch);
    EXPECT_FALSE(options.Settings.FollowMousePos);
    EXPECT_TRUE(options.Settings.Autohide);      // default
    EXPECT_TRUE(options.Settings.ShowTrayIcon);  // default
    EXPECT_TRUE(options.Settings.BlockScrSvr);
    EXPECT_FALSE(options.Settings.ExecWithDblClick);  // default
    EXPECT_EQ(options.Settings.Left, 50);
    EXPECT_EQ(options.Settings.Top, -30);
}

TEST_F(OptionsStore, LongExpandedListsComeBackCutTo2047) {
    std::string longList(3000, 'x');
    Store("Expanded=" + longList + "\r\n");
    TOptions options(Ini);
    EXPECT_EQ(options.Settings.Expanded.size(), 2047u);
}

TEST_F(OptionsStore, DestroyingWritesTheSixWindowStateKeysOnly) {
    {
        TOptions options(Ini);
        options.Settings.Left = 11;
        options.Settings.Expanded = L"C:\\Links\\quorb*C:\\Links\\quorb\\Tools*";
        options.Settings.ShowAppWndOnLaunch = true;  // a general option: not written here
    }
    EXPECT_EQ(Key(L"Left"), L"11");
    EXPECT_EQ(Key(L"Top"), L"20");
    EXPECT_EQ(Key(L"Right"), L"300");
    EXPECT_EQ(Key(L"Bottom"), L"400");
    EXPECT_EQ(Key(L"SelectedNode"), L"0");
    EXPECT_EQ(Key(L"Expanded"), L"C:\\Links\\quorb*C:\\Links\\quorb\\Tools*");
    EXPECT_EQ(Key(L"ShowAppWndOnLaunch"), L"<absent>");
}

TEST_F(OptionsStore, GeneralOptionsRoundTrip) {
    {
        TOptions options(Ini);
        TOptionsRec& s = options.Settings;
        for (const TOptionSwitch& option : OptionSwitches) s.*option.Member = !option.Default;
        s.WorkingFolderOption = 3;
        s.WorkingFolderPath = L"E:\\Stuff \u00e9";
        options.SaveGeneralOptions();
    }
    TOptions again(Ini);
    const TOptionsRec& s = again.Settings;
    for (const TOptionSwitch& option : OptionSwitches) {
        EXPECT_EQ(Key(option.Key), option.Default ? L"0" : L"1") << Narrow(option.Key);
        EXPECT_EQ(s.*option.Member, !option.Default) << Narrow(option.Key);
    }
    EXPECT_EQ(s.WorkingFolderOption, 3);
    EXPECT_EQ(s.WorkingFolder, L"E:\\Stuff \u00e9\\quorb");
}

TEST_F(OptionsStore, ARefusedWriteRaisesWithThePath) {
    // Another program holds the file open without sharing it.
    Store("Left=1\r\n");
    TMessageBoxRecorder boxes;
    TOptions options(Ini);
    {
        HANDLE locked = CreateFileW(Ini.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(locked, INVALID_HANDLE_VALUE);
        try {
            options.SaveWindowState();
            ADD_FAILURE() << "no error raised";
        } catch (const ui::Exception& e) {
            EXPECT_EQ(e.Message(), L"Unable to write to " + Ini);
        }
        {
            TOptions inner(Ini);  // its destructor cannot raise: the error goes to the default box
        }
        ASSERT_EQ(boxes.Boxes.size(), 1u);
        EXPECT_EQ(boxes.Boxes[0].Text, L"Unable to write to " + Ini);
        EXPECT_EQ(boxes.Boxes[0].Caption, L"tavrix");
        CloseHandle(locked);
    }
    options.Settings.Left = 2;
    options.SaveWindowState();
    EXPECT_EQ(Key(L"Left"), L"2");

    {
        TOptions nowhere(Dir / L"missing\\tavrix.ini");
        EXPECT_THROW(nowhere.SaveGeneralOptions(), ui::Exception);
    }
    EXPECT_EQ(boxes.Boxes.size(), 2u);
}

TEST(RadioTags, FirstCheckedTagAndCheckingByTag) {
    ui::TForm form;
    ui::TGroupBox group(&form, L"Working Folder");
    group.SetBounds(0, 0, 200, 200);
    ui::TRadioButton r0(&group, L"Favorites\\quorb"), r1(&group, L"Desktop\\quorb"),
        r3(&group, L"Other\\quorb"), r3b(&group, L"Other again");
    r0.Tag = 0;
    r1.Tag = 1;
    r3.Tag = 3;
    r3b.Tag = 3;
    EXPECT_EQ(GetCheckedRadioTag(group), 0);

    CheckRadioByTag(group, 3);
    EXPECT_TRUE(r3.Checked());
    EXPECT_FALSE(r3b.Checked());
    EXPECT_EQ(GetCheckedRadioTag(group), 3);

    CheckRadioByTag(group, 9);  // no such tag: nothing changes
    EXPECT_TRUE(r3.Checked());

    CheckRadioByTag(group, 1);
    EXPECT_TRUE(r1.Checked());
    EXPECT_FALSE(r3.Checked());
    EXPECT_EQ(GetCheckedRadioTag(group), 1);
}

}  // namespace

namespace {

TEST(IniFile, EveryNameTheFileSystemAllowsRoundTrips) {
    TTempDir dir;
    const std::wstring names[] = {L"\u041f\u0430\u043f\u043a\u0430 \u03a9", L"\u6587\u4ef6\u5939", L"\U0001F600dir"};
    // A new file is written in Unicode from the start.
    {
        TIniFile ini(dir / L"new.ini");
        for (const auto& name : names) {
            ini.WriteString(L"OPTIONS", L"Expanded", name);
            EXPECT_EQ(ini.ReadString(L"OPTIONS", L"Expanded", L""), name);
        }
        EXPECT_EQ(ReadFileBytes(dir / L"new.ini").substr(0, 2), "\xFF\xFE");
    }
    // An ANSI file stays ANSI while its values fit, and is converted, keeping
    // what it held, when one does not.
    WriteFileBytes(dir / L"old.ini", "[OPTIONS]\r\nLeft=5\r\nWorkingFolderPath=C:\\caf\xE9\r\n");
    TIniFile ini(dir / L"old.ini");
    ini.WriteString(L"OPTIONS", L"Top", L"7");
    EXPECT_EQ(ReadFileBytes(dir / L"old.ini").substr(0, 9), "[OPTIONS]");
    ini.WriteString(L"OPTIONS", L"Expanded", names[2]);
    EXPECT_EQ(ReadFileBytes(dir / L"old.ini").substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(ini.ReadString(L"OPTIONS", L"Expanded", L""), names[2]);
    EXPECT_EQ(ini.ReadInteger(L"OPTIONS", L"Left", 0), 5);
    EXPECT_EQ(ini.ReadInteger(L"OPTIONS", L"Top", 0), 7);
    EXPECT_EQ(ini.ReadString(L"OPTIONS", L"WorkingFolderPath", L""), L"C:\\caf\u00e9");
}

}  // namespace

TEST_F(OptionsStore, OpenedEntriesComeBackNewestFirstInTheirOwnSection) {
    {
        TOptions options(Ini);
        EXPECT_TRUE(options.Settings.Recent.empty()) << "a file without the section reads as before";
        for (int i = 0; i < 105; ++i) AddRecent(options.Settings.Recent, L"Tools\\entry " + std::to_wstring(i) + L".bat");
        AddRecent(options.Settings.Recent, L"TOOLS\\Entry 50.bat");  // the same entry moves to the front
        ASSERT_EQ(options.Settings.Recent.size(), kMaxRecent);
        EXPECT_EQ(options.Settings.Recent[0], L"TOOLS\\Entry 50.bat");
        EXPECT_EQ(options.Settings.Recent[1], L"Tools\\entry 104.bat");
    }
    wchar_t buf[MAX_PATH] = {};
    GetPrivateProfileStringW(L"RECENT", L"0", L"", buf, MAX_PATH, Ini.c_str());
    EXPECT_STREQ(buf, L"TOOLS\\Entry 50.bat");
    GetPrivateProfileStringW(L"RECENT", L"99", L"", buf, MAX_PATH, Ini.c_str());
    EXPECT_STREQ(buf, L"Tools\\entry 5.bat");
    EXPECT_EQ(Key(L"Expanded"), L"") << "the options section keeps its keys";

    {
        TOptions options(Ini);
        ASSERT_EQ(options.Settings.Recent.size(), kMaxRecent);
        EXPECT_EQ(options.Settings.Recent[0], L"TOOLS\\Entry 50.bat");
        EXPECT_EQ(options.Settings.Recent[99], L"Tools\\entry 5.bat");
        options.Settings.Recent = {L"Only.bat"};  // a shorter list leaves no old key behind
    }
    TOptions again(Ini);
    EXPECT_EQ(again.Settings.Recent, std::vector<std::wstring>{L"Only.bat"});
    GetPrivateProfileStringW(L"RECENT", L"1", L"<absent>", buf, MAX_PATH, Ini.c_str());
    EXPECT_STREQ(buf, L"<absent>");
}

TEST_F(OptionsStore, ADamagedRecentSectionLeavesNothingBehind) {
    // Key 0 missing: the list reads empty, and what stays behind under
    // other keys never comes back once the list is written again.
    WriteFileBytes(Ini, "[OPTIONS]\r\nLeft=5\r\n[RECENT]\r\n1=Stale.bat\r\n7=Older.bat\r\n"
                        "100=Beyond.bat\r\n[OTHER]\r\n0=kept\r\n");
    {
        TOptions options(Ini);
        EXPECT_TRUE(options.Settings.Recent.empty());
        AddRecent(options.Settings.Recent, L"New.bat");
    }
    TOptions again(Ini);
    EXPECT_EQ(again.Settings.Recent, std::vector<std::wstring>{L"New.bat"});
    wchar_t buf[MAX_PATH] = {};
    GetPrivateProfileStringW(L"OTHER", L"0", L"", buf, MAX_PATH, Ini.c_str());
    EXPECT_STREQ(buf, L"kept") << "another section keeps its keys";
    EXPECT_EQ(Key(L"Left"), L"5");
}

TEST_F(OptionsStore, RecentPathsComeBackAsTheyWere) {
    const std::vector<std::wstring> paths = {L" leading space.bat", L"a=b;c.bat", L";starts.bat", L"'single quoted'",
                                             L"\u041f\u0430\u043f\u043a\u0430\\\u6587\u4ef6.lnk"};
    {
        TOptions options(Ini);
        for (auto it = paths.rbegin(); it != paths.rend(); ++it) AddRecent(options.Settings.Recent, *it);
    }
    TOptions again(Ini);
    EXPECT_EQ(again.Settings.Recent, paths);
}
