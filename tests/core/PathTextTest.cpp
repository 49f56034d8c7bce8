#include <gtest/gtest.h>

#include "core/PathText.h"

namespace {

TEST(PathText, JoinPutsOneBackslashBetweenFolderAndName) {
    EXPECT_EQ(Join(L"C:\\links", L"a.lnk"), L"C:\\links\\a.lnk");
    EXPECT_EQ(Join(L"C:\\", L"a.lnk"), L"C:\\a.lnk") << "a root keeps its own";
    EXPECT_EQ(Join(L"\\\\server\\share", L"*"), L"\\\\server\\share\\*");
    EXPECT_EQ(Join(L"", L"Tools\\x.txt"), L"Tools\\x.txt") << "a relative path starts at the name";
    EXPECT_EQ(Join(L"C:\\links", L""), L"C:\\links") << "nothing to add";
    EXPECT_EQ(Join(Join(L"C:\\links", L""), L"*"), L"C:\\links\\*");
}

TEST(PathText, LastNameIsTheFolderOwnName) {
    EXPECT_EQ(LastName(L"C:\\Users\\me\\Desktop\\quorb"), L"quorb");
    EXPECT_EQ(LastName(L"C:\\Users\\me\\quorb\\"), L"quorb") << "a closing backslash";
    EXPECT_EQ(LastName(L"D:\\"), L"D:") << "a drive's root";
    EXPECT_EQ(LastName(L"\\\\server\\share\\"), L"share");
    EXPECT_EQ(LastName(L"quorb"), L"quorb");
    EXPECT_EQ(LastName(L""), L"");
    EXPECT_EQ(LastName(L"\\"), L"");
}

}  // namespace
