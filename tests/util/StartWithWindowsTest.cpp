#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "core/Exceptions.h"
#include "shell/ShellLinks.h"
#include "testutil/TestFiles.h"
#include "util/StartWithWindows.h"

using namespace testutil;

namespace {

// A Startup folder beside this copy of a program, another copy and
// another program.
class StartWithWindows : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* folder : {L"Startup", L"app", L"copy"}) CreateDirectoryW((Dir / folder).c_str(), nullptr);
        for (const std::wstring& file : {Program, Copy, Other}) WriteFileBytes(file, "MZ");
    }
    std::wstring Link(const std::wstring& name, const std::wstring& target) {
        const std::wstring path = Startup + L"\\" + name;
        EXPECT_TRUE(SUCCEEDED(SaveShortcut(path, target))) << name.size();
        return path;
    }
    TTempDir Dir;
    std::wstring Startup = Dir / L"Startup";
    std::wstring Program = Dir / L"app\\tavrix.exe";
    std::wstring Copy = Dir / L"copy\\tavrix.exe";
    std::wstring Other = Dir / L"other.exe";
};

TEST_F(StartWithWindows, OnlyShortcutsToThisVeryCopyCount) {
    struct {
        const wchar_t* Name;
        std::wstring Target;
        bool Ours;
    } cases[] = {
        {L"Mine.lnk", Program, true},
        {L"Upper.lnk", Dir / L"APP\\TAVRIX.EXE", true},
        {L"Dotted.lnk", Dir / L"app\\.\\tavrix.exe", true},
        {L"tavrix.lnk", Copy, false},
        {L"Other.lnk", Other, false},
        {L"Gone.lnk", Dir / L"gone\\tavrix.exe", false},
    };
    std::vector<std::wstring> ours;
    for (const auto& c : cases) {
        const std::wstring path = Link(c.Name, c.Target);
        EXPECT_EQ(ShortcutLeadsTo(path, Program), c.Ours) << c.Name;
        if (c.Ours) ours.push_back(path);
    }
    std::vector<std::wstring> found = ShortcutsLeadingTo(Startup, Program);
    std::sort(found.begin(), found.end());
    std::sort(ours.begin(), ours.end());
    EXPECT_EQ(found, ours);
    EXPECT_TRUE(ShortcutsLeadingTo(L"", Program).empty()) << "no Startup folder";
}

TEST_F(StartWithWindows, ForeignShortcutsAreNeverTouched) {
    const std::wstring foreign = Link(L"tavrix.lnk", Copy);
    const std::wstring other = Link(L"Other.lnk", Other);
    const std::string foreignBytes = ReadFileBytes(foreign), otherBytes = ReadFileBytes(other);

    const std::wstring made = AddStartupShortcut(Startup, Program, L"tavrix");
    EXPECT_EQ(made, Startup + L"\\tavrix (2).lnk") << "the taken name is left to its owner";
    EXPECT_EQ(ShortcutTarget(made), Program);
    EXPECT_EQ(AddStartupShortcut(Startup, Program, L"tavrix"), made) << "one shortcut is enough";

    RemoveStartupShortcuts(Startup, Program);
    EXPECT_FALSE(Exists(made));
    EXPECT_EQ(ReadFileBytes(foreign), foreignBytes);
    EXPECT_EQ(ReadFileBytes(other), otherBytes);
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
