#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "core/Exceptions.h"
#include "shell/ShellLinks.h"
#include "testutil/TestFiles.h"
#include "util/StartWithWindows.h"

using namespace testutil;

namespace {

// A Startup folder beside this copy of a program, another copy and another program.
class StartWithWindows : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* folder : {L"Startup", L"app", L"copy"}) CreateDirectoryW((Dir / folder).c_str(), nullptr);
        for (const std::wstring& file : {Program, Copy, Other}) WriteFileBytes(file, "MZ");
    }
    TTempDir Dir;
    std::wstring Startup = Dir / L"Startup", Program = Dir / L"app\\tavrix.exe";
    std::wstring Copy = Dir / L"copy\\tavrix.exe", Other = Dir / L"other.exe";
};

TEST_F(StartWithWindows, OnlyShortcutsToThisVeryCopyCount) {
    struct {
        const wchar_t* Name;
        std::wstring Target;
        bool Ours;
    } cases[] = {
        {L"Mine.lnk", Program, true},
        {L"Upper.lnk", Dir / L"APP\\TAVRIX.EXE", true},
        {L"tavrix.lnk", Copy, false},
        {L"Other.lnk", Other, false},
        {L"Gone.lnk", Dir / L"gone\\tavrix.exe", false},
    };
    std::vector<std::wstring> ours;
    for (const auto& c : cases) {
        const std::wstring path = Startup + L"\\" + c.Name;
        ASSERT_TRUE(SUCCEEDED(SaveShortcut(path, c.Target)));
        EXPECT_EQ(ShortcutLeadsTo(path, Program), c.Ours) << c.Name;
        if (c.Ours) ours.push_back(path);
    }
    const std::vector<std::wstring> found = ShortcutsLeadingTo(Startup, Program);
    EXPECT_TRUE(std::is_permutation(found.begin(), found.end(), ours.begin(), ours.end()));
    EXPECT_EQ(AddStartupShortcut(Startup, Program, L"tavrix"), found.front()) << "one shortcut is enough";
}

TEST_F(StartWithWindows, FailuresSayWhatWentWrong) {
    auto message = [&](const std::wstring& folder, const std::wstring& stem) {
        try {
            AddStartupShortcut(folder, Program, stem);
        } catch (const ui::Exception& e) {
            return e.Message();
        }
        return std::wstring(L"no error");
    };
    EXPECT_EQ(message(L"", L"tavrix"), L"The Startup folder could not be found.");
    EXPECT_EQ(message(Other, L"tavrix"), L"The Startup folder \"" + Other + L"\" could not be found.") << "a file";
    const std::wstring tooLong(300, L'x');
    EXPECT_EQ(message(Startup, tooLong).rfind(L"The shortcut \"" + Startup + L"\\" + tooLong + L".lnk\" could not be made: ", 0), 0u);
}

}  // namespace
