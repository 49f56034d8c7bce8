#include <gtest/gtest.h>

#include "core/OptionsValues.h"

namespace {

TEST(OptionsValues, IntegersReadAsStoredOrNotAtAll) {
    struct {
        const wchar_t* Text;
        bool Ok;
        int32_t Value;
    } cases[] = {
        {L"0", true, 0},           {L"5", true, 5},
        {L"-20", true, -20},       {L"+7", true, 7},
        {L" 42 ", true, 42},       {L"2147483647", true, 2147483647},
        {L"-2147483648", true, INT32_MIN},
        {L"2147483648", false, 0}, {L"99999999999", false, 0},
        {L"$FF", true, 255},       {L"0x10", true, 16},
        {L"$FFFFFFFF", true, -1},  {L"", false, 0},
        {L"yes", false, 0},        {L"1.5", false, 0},
        {L"12abc", false, 0},      {L"-", false, 0},
        {L"$", false, 0},          {L"0x", false, 0},
    };
    for (const auto& c : cases) {
        int32_t value = 12345;
        EXPECT_EQ(ParseIniInteger(c.Text, value), c.Ok) << c.Text;
        if (c.Ok) {
            EXPECT_EQ(value, c.Value) << c.Text;
        }
    }
}

TEST(OptionsValues, WorkingFolderIsQuorbBelowTheBase) {
    EXPECT_EQ(ComposeWorkingFolder(L"C:\\Links"), L"C:\\Links\\quorb");
    EXPECT_EQ(ComposeWorkingFolder(L"C:\\Links\\"), L"C:\\Links\\quorb");
    EXPECT_EQ(ComposeWorkingFolder(L"C:\\"), L"C:\\quorb");
    EXPECT_EQ(ComposeWorkingFolder(L""), L"\\quorb");
}

TEST(OptionsValues, OnlyARealFolderCanHoldTheWorkingFolder) {
    const struct {
        const wchar_t* Path;
        bool Ok;
    } cases[] = {
        {L"C:\\Links", true},          {L"d:/links", true},           {L"C:\\", true},
        {L"\\\\server\\share", true},  {L"\\\\server\\share\\x", true},
        {L"", false},                  {L"quorb", false},             {L"\\quorb", false},
        {L"C:quorb", false},           {L"C:", false},                {L"This PC", false},
        {L"My Computer", false},       {L"\\\\server", false},        {L"\\\\server\\", false},
        {L"\\\\?\\C:\\x", false},      {L"\\\\.\\pipe\\x", false},    {L"C:\\a|b", false},
        {L"C:\\a\nb", false},          {L"C:\\a:stream", false},      {L"1:\\x", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsAbsoluteFolderPath(c.Path), c.Ok) << std::string(c.Path, c.Path + wcslen(c.Path));
}

}  // namespace
