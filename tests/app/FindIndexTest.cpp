#include <gtest/gtest.h>

#include "app/FindIndex.h"
#include "core/Exceptions.h"

namespace {

TEST(FindIndex, APathBelowTheFolderIsGivenRelativeToIt) {
    struct {
        const wchar_t* Folder;
        const wchar_t* Path;
        const wchar_t* Relative;  // null: not below
    } cases[] = {
        {L"C:\\Work", L"C:\\Work", L""},
        {L"C:\\Work", L"C:\\Work\\Tools\\a.txt", L"Tools\\a.txt"},
        {L"C:\\Work", L"c:\\WORK\\Tools", L"Tools"},
        {L"C:\\", L"C:\\Tools", L"Tools"},
        {L"C:\\Work", L"C:\\Workshop\\a.txt", nullptr},
        {L"C:\\Work", L"C:\\Wor", nullptr},
        {L"C:\\Work", L"D:\\Work\\a.txt", nullptr},
        {L"", L"C:\\Work", nullptr},
        {L"C:\\Stra\u00DFe", L"C:\\Strasse\\a.txt", nullptr},
    };
    for (const auto& c : cases) {
        std::wstring relative = L"unchanged";
        EXPECT_EQ(BelowFolder(c.Folder, c.Path, relative), c.Relative != nullptr) << ui::WideToUtf8(c.Path);
        EXPECT_EQ(relative, c.Relative ? c.Relative : L"unchanged") << ui::WideToUtf8(c.Path);
    }
}

}  // namespace
