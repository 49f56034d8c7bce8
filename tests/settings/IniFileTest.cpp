#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "settings/IniFile.h"
#include "testutil/TestFiles.h"
#include "core/Exceptions.h"

using namespace testutil;

namespace {

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(IniFile, AConversionThatCannotReplaceTheFileLeavesItByteForByte) {
    TTempDir dir;
    const std::wstring path = dir / L"tavrix.ini";
    const std::string ansi = "[OPTIONS]\r\nLeft=5\r\nWorkingFolderPath=C:\\caf\xE9\r\n\r\n[Other]\r\nKeep=yes\r\n";
    WriteFileBytes(path, ansi);
    TIniFile ini(path);
    const std::wstring name = L"\u6587\u4ef6\u5939 \u03a9";
    {
        // Another program reads the file and does not let it be replaced.
        HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        try {
            ini.WriteString(L"OPTIONS", L"Expanded", name);
            ADD_FAILURE() << "no error raised";
        } catch (const ui::Exception& e) {
            EXPECT_EQ(e.Message().rfind(L"Unable to write to " + path, 0), 0u) << ui::WideToUtf8(e.Message());
        }
        CloseHandle(held);
    }
    EXPECT_EQ(ReadFileBytes(path), ansi) << "the old file as it was";
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::wstring>{L"tavrix.ini"}) << "and no temporary file";

    // Once it can be replaced, the file becomes UTF-16 and keeps every key.
    ini.WriteString(L"OPTIONS", L"Expanded", name);
    EXPECT_EQ(ReadFileBytes(path).substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::wstring>{L"tavrix.ini"});
    EXPECT_EQ(ini.ReadString(L"OPTIONS", L"Expanded", L""), name);
    EXPECT_EQ(ini.ReadInteger(L"OPTIONS", L"Left", 0), 5);
    EXPECT_EQ(ini.ReadString(L"OPTIONS", L"WorkingFolderPath", L""), L"C:\\caf\u00e9");
    EXPECT_EQ(ini.ReadString(L"Other", L"Keep", L""), L"yes");
}

// A file the profile functions read as UTF-8 (it starts with that mark)
// keeps every key when a value outside the ANSI code page is written.
TEST(IniFile, AUtf8FileKeepsItsKeysWhenAWideValueIsWritten) {
    TTempDir dir;
    const std::wstring path = dir / L"tavrix.ini";
    WriteFileBytes(path, "\xEF\xBB\xBF[OPTIONS]\r\nLeft=5\r\nWorkingFolderPath=C:\\caf\xC3\xA9\r\n\r\n[Other]\r\nKeep=yes\r\n");
    TIniFile ini(path);
    ASSERT_EQ(ini.ReadInteger(L"OPTIONS", L"Left", 0), 5) << "read as UTF-8 before the write";
    ASSERT_EQ(ini.ReadString(L"OPTIONS", L"WorkingFolderPath", L""), L"C:\\caf\u00e9");
    const std::wstring name = L"\u6587\u4ef6\u5939 \u03a9";
    ini.WriteString(L"OPTIONS", L"Expanded", name);
    EXPECT_EQ(ini.ReadString(L"OPTIONS", L"Expanded", L""), name);
    EXPECT_EQ(ini.ReadInteger(L"OPTIONS", L"Left", 0), 5) << "the first section survives";
    EXPECT_EQ(ini.ReadString(L"OPTIONS", L"WorkingFolderPath", L""), L"C:\\caf\u00e9") << "its text survives";
    EXPECT_EQ(ini.ReadString(L"Other", L"Keep", L""), L"yes");
}

// Another name of the same file (a link made by the user) still names the
// settings after the conversion: the file is written, not swapped for another.
TEST(IniFile, AConversionKeepsAnotherNameOfTheFileInStep) {
    TTempDir dir;
    const std::wstring path = dir / L"tavrix.ini", other = dir / L"shared.ini";
    WriteFileBytes(other, "[OPTIONS]\r\nLeft=5\r\n");
    ASSERT_TRUE(CreateHardLinkW(path.c_str(), other.c_str(), nullptr));
    TIniFile ini(path);
    const std::wstring name = L"\u6587\u4ef6\u5939";
    ini.WriteString(L"OPTIONS", L"Expanded", name);
    EXPECT_EQ(ini.ReadString(L"OPTIONS", L"Expanded", L""), name);
    EXPECT_EQ(TIniFile(other).ReadString(L"OPTIONS", L"Expanded", L""), name) << "the other name sees the write";
}

// A file the user made read-only keeps every byte: the write is refused.
TEST(IniFile, AReadOnlyFileIsNeverReplacedByItsConversion) {
    TTempDir dir;
    const std::wstring path = dir / L"tavrix.ini";
    const std::string ansi = "[OPTIONS]\r\nLeft=5\r\n";
    WriteFileBytes(path, ansi);
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    TIniFile ini(path);
    EXPECT_THROW(ini.WriteString(L"OPTIONS", L"Expanded", L"\u6587\u4ef6\u5939"), ui::Exception);
    EXPECT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << "still read-only";
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFileBytes(path), ansi) << "as it was";
}

// Every form the profile functions read reads the same, as UTF-16LE, after
// a wide value; bytes that are no such text are refused and stay as they were.
TEST(IniFile, AWideValueKeepsWhatEachEncodingReadsAs) {
    const std::string ansi = "[OPTIONS]\r\nPath=C:\\caf\xE9\r\n", utf8 = "[OPTIONS]\r\nPath=C:\\caf\xC3\xA9\r\n";
    std::string le = "\xFF\xFE", be = "\xFE\xFF";
    for (char c : ansi) le.append({c, '\0'}), be.append({'\0', c});  // code page 1252 is Latin-1 here
    const std::pair<std::string, bool> rows[] = {{ansi, true}, {"\xEF\xBB\xBF" + utf8, true}, {utf8, true}, {le, true}, {be, true},
        {"", true}, {"\xFE\xFF", true}, {"\xEF\xBB\xBF", true}, {le + "\r", true}, {be + "\r", false}, {le.substr(2), false},
        {"\xEF\xBB\xBF" + ansi, false}};
    for (const auto& [bytes, taken] : rows) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        TTempDir dir;
        TIniFile ini(dir / L"tavrix.ini");
        WriteFileBytes(ini.FileName(), bytes);
        const std::wstring before = ini.ReadString(L"OPTIONS", L"Path", L"");
        if (!taken) {
            EXPECT_THROW(ini.WriteString(L"OPTIONS", L"Expanded", L"\u03a9"), ui::Exception);
            EXPECT_EQ(ReadFileBytes(ini.FileName()), bytes) << "left as it was";
            continue;
        }
        ini.WriteString(L"OPTIONS", L"Expanded", L"\u03a9");
        EXPECT_EQ(ReadFileBytes(ini.FileName()).substr(0, 2), "\xFF\xFE");
        EXPECT_EQ(ini.ReadString(L"OPTIONS", L"Path", L"") + ini.ReadString(L"OPTIONS", L"Expanded", L""), before + L"\u03a9");
    }
}

}  // namespace
