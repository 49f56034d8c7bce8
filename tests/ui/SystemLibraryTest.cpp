#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ui/SystemLibrary.h"

namespace {

std::wstring Folder(HMODULE module) {
    wchar_t path[MAX_PATH]{};
    const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH]{};
    return std::wstring(folder, GetSystemDirectoryW(folder, MAX_PATH));
}

TEST(SystemLibrary, ComesFromTheSystemFolderWithEveryFunctionTheProgramCalls) {
    const ui::TVersionApi version;
    ASSERT_TRUE(version.Library);
    EXPECT_EQ(CompareStringOrdinal(Folder(version.Library.Handle()).c_str(), -1, SystemFolder().c_str(), -1, TRUE),
              CSTR_EQUAL);
    EXPECT_TRUE(version.Complete());

    // The check boxes draw with these; without them they draw classic.
    const ui::TThemeApi theme;
    ASSERT_TRUE(theme.Library);
    EXPECT_EQ(CompareStringOrdinal(Folder(theme.Library.Handle()).c_str(), -1, SystemFolder().c_str(), -1, TRUE),
              CSTR_EQUAL);
    EXPECT_TRUE(theme.Complete());
}

TEST(SystemLibrary, AMissingLibraryOrFunctionIsNullNotAnError) {
    const ui::TSystemLibrary missing(L"tavrix-no-such-library.dll");
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.Proc<FARPROC>("GetFileVersionInfoW"), nullptr);
    const ui::TSystemLibrary version(L"version.dll");
    ASSERT_TRUE(version);
    EXPECT_EQ(version.Proc<FARPROC>("NoSuchFunction"), nullptr);
    EXPECT_NE(version.Proc<FARPROC>("VerQueryValueW"), nullptr);
}

}  // namespace
