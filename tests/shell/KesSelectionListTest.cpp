#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "shell/KesSelectionList.h"
#include "testutil/TestFiles.h"
#include "ui/Application.h"
#include "ui/ErrorLog.h"
#include "core/Exceptions.h"
#include "ui/ScopeExit.h"

using namespace testutil;

namespace {

// R: A (a1, a2, S (s1)), B (b1), f
class SelectionList : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* d : {L"A", L"A\\S", L"B"}) CreateDirectoryW((Dir / d).c_str(), nullptr);
        WriteFileBytes(Dir / L"A\\a1", "12");
        WriteFileBytes(Dir / L"A\\a2", "345");
        WriteFileBytes(Dir / L"A\\S\\s1", "6789");
        WriteFileBytes(Dir / L"B\\b1", std::string(1000, 'b'));
        WriteFileBytes(Dir / L"f", std::string(20, 'f'));
    }
    std::vector<std::wstring> Stored() {
        std::vector<std::wstring> paths = List.Paths();
        for (auto& p : paths) p = p.substr(Dir.Path().size() + 1);
        std::sort(paths.begin(), paths.end());
        return paths;
    }
    std::wstring States() {
        // One letter per item: C checked, G grayed, U unchecked, N none.
        std::wstring out;
        for (const wchar_t* item : {L"", L"A", L"A\\a1", L"A\\a2", L"A\\S", L"A\\S\\s1", L"B", L"f"}) {
            TKesSelectionState s = List.State(*item ? Dir / item : Dir.Path());
            out += s == ssChecked ? L'C' : s == ssGrayed ? L'G' : s == ssUnChecked ? L'U' : L'N';
        }
        return out;
    }
    TTempDir Dir;
    TKesSelectionList List;
};

TEST_F(SelectionList, ChecksFoldAndUnfoldAndStatesFollow) {
    struct {
        bool Check;
        const wchar_t* Path;
        std::vector<std::wstring> Stored;
        const wchar_t* States;  // R A a1 a2 S s1 B f
    } steps[] = {
        {true, L"A\\a1", {L"A\\a1"}, L"GGCUUUUU"},
        {true, L"A\\a2", {L"A\\a1", L"A\\a2"}, L"GGCCUUUU"},
        // The last child of A: S folds into "S\*", then A's children into "A\*".
        {true, L"A\\S", {L"A\\*"}, L"GCCCCCUU"},
        // One item of a checked folder: unfolded level by level.
        {false, L"A\\S\\s1", {L"A\\a1", L"A\\a2"}, L"GGCCUUUU"},
        // The same item by another spelling: one entry, and it folds again.
        {true, L"A\\.\\S\\..\\S\\s1\\", {L"A\\*"}, L"GCCCCCUU"},
        {true, L"f", {L"A\\*", L"f"}, L"GCCCCCUC"},
        {false, L"A", {L"f"}, L"GUUUUUUC"},
        // Unchecking a grayed folder clears everything below it.
        {true, L"A\\S\\s1", {L"A\\S\\*", L"f"}, L"GGUUCCUC"},
        {false, L"A", {L"f"}, L"GUUUUUUC"},
    };
    for (const auto& step : steps) {
        if (step.Check)
            List.Check(Dir / step.Path);
        else
            List.Uncheck(Dir / step.Path);
        EXPECT_EQ(Stored(), step.Stored) << (step.Check ? "check " : "uncheck ") << std::string(step.Path, step.Path + wcslen(step.Path));
        EXPECT_EQ(States(), step.States) << std::string(step.Path, step.Path + wcslen(step.Path));
    }
    EXPECT_EQ(List.State(Dir / L"missing"), ssNone) << "nothing to check";
    EXPECT_EQ(List.State(L""), ssNone);
    EXPECT_EQ(TKesSelectionList::Normalize(Dir / L"A\\..\\B\\"), Dir / L"B");
}

TEST_F(SelectionList, TotalsInTheBackgroundEqualADirectCount) {
    // A link inside a checked folder, to another checked one, is not entered.
    if (!MakeJunction(Dir / L"A\\toB", Dir / L"B") && !MakeWineSymlink(Dir / L"A\\toB", Dir / L"B"))
        std::printf("no link to a folder can be made here\n");
    int changes = 0;
    List.OnChange = [&] { ++changes; };
    List.Check(Dir / L"A");
    List.Check(Dir / L"f");
    EXPECT_EQ(changes, 2);
    List.Suspended = true;
    List.Check(Dir / L"B\\b1");  // folds B
    List.Suspended = false;
    EXPECT_EQ(changes, 2) << "no change handling while suspended";
    bool done = false;
    List.OnTotals = [&] { done = true; };
    List.StartTotals();
    for (int i = 0; i < 200 && !done; ++i) {
        ui::Application->ProcessMessages();
        Sleep(10);
    }
    ASSERT_TRUE(List.TotalsExact());
    EXPECT_EQ(List.TotalBytes(), 2 + 3 + 4 + 1000 + 20);
    EXPECT_EQ(List.TotalFiles(), 5);
    // A change makes them stale and cancels a count on its way.
    List.StartTotals();
    List.Uncheck(Dir / L"f");
    EXPECT_FALSE(List.TotalsExact());
}

// The totals' handler may change the list, which lets the count (and the
// window its report came through) go while that report is still being
// answered; the list then counts again as if nothing had happened.
TEST_F(SelectionList, ATotalsHandlerThatChangesTheListEndsTheCountItIsCalledFrom) {
    List.Check(Dir / L"A");
    int reports = 0;
    List.OnTotals = [&] {
        ++reports;
        List.Clear();  // the count goes from inside its own report
    };
    List.StartTotals();
    for (int i = 0; i < 300 && reports == 0; ++i) {
        ui::Application->ProcessMessages();
        Sleep(10);
    }
    ASSERT_EQ(reports, 1);
    EXPECT_FALSE(List.TotalsExact()) << "the change made the totals stale";
    for (int i = 0; i < 10; ++i) {
        ui::Application->ProcessMessages();
        Sleep(10);
    }
    EXPECT_EQ(reports, 1) << "nothing more comes from the count that went";

    bool done = false;
    List.OnTotals = [&] { done = true; };
    List.Check(Dir / L"B");
    List.StartTotals();
    for (int i = 0; i < 300 && !done; ++i) {
        ui::Application->ProcessMessages();
        Sleep(10);
    }
    ASSERT_TRUE(List.TotalsExact());
    EXPECT_EQ(List.TotalBytes(), 1000);
    EXPECT_EQ(List.TotalFiles(), 1);
}

TEST(FolderSizeThread, AThrowingHandlerIsLoggedAndReportedNeverLetOut) {
    TTempDir dir;
    WriteFileBytes(dir / L"f", "1234");
    TMessageBoxRecorder boxes;
    std::vector<std::wstring> logged;
    const ui::TErrorLogFunc previous = ui::ErrorLogFunc();
    ui::TScopeExit restore([&] { ui::ErrorLogFunc() = previous; });
    ui::ErrorLogFunc() = [&](const std::wstring& source, const std::wstring& method, const std::wstring& message) {
        logged.push_back(source + L"." + method + L": " + message);
    };
    int64_t counted = -1;
    TKesFolderSizeThread counter({dir / L"f"}, [&](int64_t bytes, int64_t) {
        counted = bytes;
        throw ui::Exception(L"no room for the totals");
    });
    for (int i = 0; i < 500 && counted < 0; ++i) {
        ui::Application->ProcessMessages();
        Sleep(10);
    }
    EXPECT_EQ(counted, 4);
    EXPECT_EQ(logged, std::vector<std::wstring>{L"TKesFolderSizeThread.WindowProc: no room for the totals"});
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, L"no room for the totals");
}

}  // namespace
