#include <gtest/gtest.h>

#include <windows.h>

#include "testutil/TestFiles.h"
#include "util/uAbout.h"
#include "util/uVersionUtils.h"

using namespace testutil;

namespace {

// tavrix.exe of the same build: the tests sit in a sibling folder.
std::wstring ProgramFile() {
    wchar_t self[MAX_PATH]{};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    path.resize(path.find_last_of(L'\\'));
    path.resize(path.find_last_of(L'\\'));
    return path + L"\\src\\tavrix.exe";
}

// A copy of the program whose version resource says major.minor.release.build.
void StampVersion(const std::wstring& file, WORD major, WORD minor, WORD release, WORD build) {
    struct {
        WORD Length = sizeof(*this), ValueLength = sizeof(VS_FIXEDFILEINFO), Type = 0;
        wchar_t Key[16] = L"VS_VERSION_INFO";
        WORD Padding = 0;
        VS_FIXEDFILEINFO Value{};
    } block;
    block.Value.dwSignature = VS_FFI_SIGNATURE;
    block.Value.dwStrucVersion = VS_FFI_STRUCVERSION;
    block.Value.dwFileVersionMS = MAKELONG(minor, major);
    block.Value.dwFileVersionLS = MAKELONG(build, release);
    HANDLE update = BeginUpdateResourceW(file.c_str(), FALSE);
    ASSERT_TRUE(update);
    ASSERT_TRUE(UpdateResourceW(update, RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO),
                                MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), &block, sizeof(block)));
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
}

TEST(Version, ReadFromTheFilesVersionResource) {
    EXPECT_EQ(GetFileVersionString(ProgramFile()), L"1.0.0.1");

    TTempDir dir;
    ASSERT_TRUE(CopyFileW(ProgramFile().c_str(), (dir / L"stamped.exe").c_str(), FALSE));
    StampVersion(dir / L"stamped.exe", 1, 2, 0, 15);
    EXPECT_EQ(GetFileVersionString(dir / L"stamped.exe"), L"1.2.0.15") << "no padding, no fixed widths";
    StampVersion(dir / L"stamped.exe", 65535, 0, 300, 7);
    EXPECT_EQ(GetFileVersionString(dir / L"stamped.exe"), L"65535.0.300.7") << "each part unsigned";

    WriteFileBytes(dir / L"plain.txt", "no resources here");
    EXPECT_EQ(GetFileVersionString(dir / L"plain.txt"), L"");
    EXPECT_EQ(GetFileVersionString(dir / L"missing.exe"), L"");
}

TEST(About, NamesTheHotKeysOtherProgramsHold) {
    EXPECT_EQ(HotKeyConflictText({}), L"");
    EXPECT_EQ(HotKeyConflictText({L"Win+Z"}), L"Win+Z is used by another program");
    EXPECT_EQ(HotKeyConflictText({L"Win+Z", L"Win+/"}), L"Win+Z and Win+/ are used by other programs");
    EXPECT_EQ(HotKeyConflictText({L"Ctrl+Alt+Z", L"Win+Z", L"Win+/"}),
              L"Ctrl+Alt+Z, Win+Z and Win+/ are used by other programs");
}

}  // namespace
