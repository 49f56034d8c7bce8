#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "testutil/TestFiles.h"
#include "core/Exceptions.h"
#include "util/uUtils.h"

using namespace testutil;

namespace {

std::wstring TodaysLogFile() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    wchar_t name[64];
    swprintf(name, 64, L"tavrix-%04d%02d%02d.log", st.wYear, st.wMonth, st.wDay);
    return GetLogFolder(true) + name;
}

class LogWriter : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveTree(GetLogFolder(false));
        LastLogCleanup = 0;
    }
    void TearDown() override { RemoveTree(GetLogFolder(false)); }

    std::wstring Plant(const std::wstring& name, int64_t ageSeconds) {
        CreateDirectoryW(GetLogFolder(false).c_str(), nullptr);
        std::wstring path = GetLogFolder(true) + name;
        WriteFileBytes(path, "old\r\n");
        SetFileAge(path, ageSeconds);
        return path;
    }
};

constexpr int64_t kDay = 24 * 3600;

TEST(Folders, ProgramAndLogFoldersSitBesideTheProgram) {
    std::wstring program = GetProgramFolder();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(program.back(), L'\\');
    EXPECT_TRUE(Exists(program + L"util_tests.exe"));
    EXPECT_EQ(GetLogFolder(false), program + L"Logs");
    EXPECT_EQ(GetLogFolder(true), program + L"Logs\\");
}

TEST_F(LogWriter, FirstLineCreatesTheFolderAndTheDailyFile) {
    ASSERT_FALSE(Exists(GetLogFolder(false)));
    WriteLog(L"TfrmMain", L"RegisterHotkeys", L"error", L"Unable to register");
    WriteLog(L"TfrmMain", L"ShowAppWindow", L"no such level", L"second");
    auto lines = SplitLines(ReadFileBytes(TodaysLogFile()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(24), "TfrmMain             RegisterHotkeys      Error      Unable to register");
    EXPECT_EQ(lines[1].substr(66), "Info       second");
    EXPECT_EQ(lines[0].size(), 77u + 18u);
}

TEST_F(LogWriter, MessagesWithLineBreaksAndWideTextAreWrittenInTheAnsiCodePage) {
    WriteLog(L"S", L"M", L"Info", L"first\r\nsecond \u00e9");
    std::string text = ReadFileBytes(TodaysLogFile());
    EXPECT_NE(text.find("first\r\nsecond "), std::string::npos);
    // The file is 8-bit text, not UTF-16.
    EXPECT_EQ(text.find('\0'), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST_F(LogWriter, CleanupDeletesFilesFourteenDaysOldAtMostOnceAnHour) {
    std::wstring old = Plant(L"tavrix-20000101.log", 14 * kDay + 60);
    std::wstring anyName = Plant(L"whatever.log", 30 * kDay);
    std::wstring young = Plant(L"tavrix-20000102.log", 14 * kDay - 3600);
    std::wstring notLog = Plant(L"notes.txt", 30 * kDay);

    WriteLog(L"S", L"M", L"Info", L"first line of the run");
    EXPECT_FALSE(Exists(old));
    EXPECT_FALSE(Exists(anyName));
    EXPECT_TRUE(Exists(young));
    EXPECT_TRUE(Exists(notLog));

    std::wstring later = Plant(L"later.log", 20 * kDay);
    WriteLog(L"S", L"M", L"Info", L"within the hour");
    EXPECT_TRUE(Exists(later)) << "a second line within the hour must not scan";

    LastLogCleanup = LocalNowTicks() - 61 * TicksPerMinute;
    WriteLog(L"S", L"M", L"Info", L"an hour later");
    EXPECT_FALSE(Exists(later));
    EXPECT_TRUE(Exists(TodaysLogFile()));
}

TEST_F(LogWriter, ALogThatCannotBeWrittenIsReportedOnceAndStopsNothing) {
    // A folder in the place of today's file cannot be opened for appending.
    CreateDirectoryW(GetLogFolder(false).c_str(), nullptr);
    CreateDirectoryW(TodaysLogFile().c_str(), nullptr);
    TMessageBoxRecorder boxes;
    EXPECT_NO_THROW(WriteLog(L"S", L"M", L"Info", L"lost"));
    EXPECT_NO_THROW(WriteLog(L"S", L"M", L"Error", L"lost too"));
    ASSERT_EQ(boxes.Boxes.size(), 1u) << "once per run";
    EXPECT_NE(boxes.Boxes[0].Text.find(L"Logging is off for this run"), std::wstring::npos);
    EXPECT_NE(boxes.Boxes[0].Text.find(L"I/O error"), std::wstring::npos) << "and why";
    SetLoggingOff(false);
}

TEST_F(LogWriter, AnErrorThatLeavesTheProgramIsLoggedShownAndEndsIt) {
    TMessageBoxRecorder boxes;
    EXPECT_EQ(RunProgram([] { return 7; }), 7) << "a body that returns says how the program ends";
    EXPECT_TRUE(boxes.Boxes.empty());
    const struct {
        std::function<int()> Body;
        const wchar_t* Message;
    } cases[] = {
        {[]() -> int { throw ui::Exception(L"Cannot create the main window"); }, L"Cannot create the main window"},
        {[]() -> int { throw std::runtime_error("no navigator"); }, L"no navigator"},
        {[]() -> int { throw 42; }, L"Unknown error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ui::WideToUtf8(c.Message));
        boxes.Boxes.clear();
        EXPECT_EQ(RunProgram(c.Body), 1);
        ASSERT_EQ(boxes.Boxes.size(), 1u);
        EXPECT_EQ(boxes.Boxes[0].Text, c.Message);
        EXPECT_EQ(boxes.Boxes[0].Caption, L"tavrix");
        EXPECT_EQ(boxes.Boxes[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
        const auto lines = SplitLines(ReadFileBytes(TodaysLogFile()));
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().substr(24),
                  "tavrix               wWinMain             Exception  " + ui::WideToUtf8(c.Message));
    }
}

TEST(FindFiles, ListsMatchingEntriesOfEveryKindByWholeDays) {
    TTempDir dir;
    std::wstring folder = dir.Path() + L"\\";
    WriteFileBytes(folder + L"a.log", "x");
    SetFileAge(folder + L"a.log", 3 * kDay + 10);
    WriteFileBytes(folder + L"b.log", "x");
    SetFileAge(folder + L"b.log", 3 * kDay - 10);
    WriteFileBytes(folder + L"h.log", "x");
    SetFileAge(folder + L"h.log", 5 * kDay);
    SetFileAttributesW((folder + L"h.log").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    CreateDirectoryW((folder + L"d.log").c_str(), nullptr);
    SetFileAge(folder + L"d.log", 4 * kDay);

    std::vector<std::wstring> found;
    EXPECT_TRUE(FindFilesOlderThan(folder, L"*.log", 3, &found));
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::wstring>{folder + L"a.log", folder + L"d.log", folder + L"h.log"}));

    std::vector<std::wstring> none;
    EXPECT_FALSE(FindFilesOlderThan(folder, L"*.log", 10, &none));
    EXPECT_FALSE(FindFilesOlderThan(folder, L"*.log", 0, nullptr));
    EXPECT_FALSE(FindFilesOlderThan(folder + L"missing\\", L"*.log", 0, &none));
}

TEST(FolderOperations, MoveTakesTheContentsAndDeleteAsksNothing) {
    TTempDir dir;
    std::wstring source = dir / L"quorb";
    CreateDirectoryW(source.c_str(), nullptr);
    CreateDirectoryW((source + L"\\Tools").c_str(), nullptr);
    WriteFileBytes(source + L"\\Tools\\link.txt", "data");
    std::wstring target = dir / L"moved";

    EXPECT_TRUE(MoveFolder(source, target));
    EXPECT_FALSE(Exists(source));
    EXPECT_EQ(ReadFileBytes(target + L"\\Tools\\link.txt"), "data");

    SetFileAttributesW((target + L"\\Tools\\link.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(DeleteFolder(target));
    EXPECT_FALSE(Exists(target));
    EXPECT_FALSE(DeleteFolder(target));
}

}  // namespace
