#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>

#include "shell/ShellBrowser.h"
#include "testutil/ShellExecuteRecorder.h"
#include "testutil/TestFiles.h"
#include "core/Exceptions.h"
#include "core/ViewerText.h"
#include "util/uLogDataViewer.h"

using namespace testutil;

namespace {

void SetClipboard(const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    auto* chars = static_cast<wchar_t*>(GlobalLock(data));
    std::copy(text.begin(), text.end(), chars);
    chars[text.size()] = L'\0';
    GlobalUnlock(data);
    SetClipboardData(CF_UNICODETEXT, data);
    CloseClipboard();
}

TEST(LogDataViewer, TemporaryFilesComeAndGo) {
    TTempDir dir;
    const std::wstring temp = dir / L"Temp";
    CreateDirectoryW(temp.c_str(), nullptr);
    WriteFileBytes(temp + L"\\tavrix-temp.txt", "old");
    WriteFileBytes(temp + L"\\tavrix-temp-from-someone.log", "theirs");
    WriteFileBytes(temp + L"\\tavrix-temp_locked.xml", "ro");
    SetFileAttributesW((temp + L"\\tavrix-temp_locked.xml").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    WriteFileBytes(temp + L"\\keep.txt", "not ours");
    TShellExecuteRecorder starts;
    {
        TLogDataViewer viewer(temp);
        EXPECT_FALSE(Exists(temp + L"\\tavrix-temp.txt"));
        EXPECT_FALSE(Exists(temp + L"\\tavrix-temp-from-someone.log"));
        EXPECT_FALSE(Exists(temp + L"\\tavrix-temp_locked.xml")) << "read-only and hidden ones go too";
        EXPECT_TRUE(Exists(temp + L"\\keep.txt"));

        // Comma String: one word a line, opened maximized with its program.
        EXPECT_EQ(viewer.ShowText(ConvertViewerText(L"a,b,c", vkCommaString), vkCommaString), 42);
        EXPECT_EQ(ReadFileBytes(temp + L"\\tavrix-temp.txt"), "a\r\nb\r\nc\r\n");
        ASSERT_EQ(starts.Calls.size(), 1u);
        EXPECT_EQ(starts.Calls[0].Operation, L"open");
        EXPECT_EQ(starts.Calls[0].File, temp + L"\\tavrix-temp.txt");
        EXPECT_EQ(starts.Calls[0].Parameters, L"");
        EXPECT_EQ(starts.Calls[0].Show, SW_SHOWMAXIMIZED);

        // Text the ANSI code page holds is written in it; other text as UTF-8.
        viewer.ShowText(L"caf\u00e9", vkPlainText);
        EXPECT_EQ(ReadFileBytes(temp + L"\\tavrix-temp.txt"), "caf\xE9\r\n");
        viewer.TimestampTempFiles = [] { return true; };
        viewer.ShowText(L"\u03a9 \u4e2d", vkXml);
        const std::wstring stamped = starts.Calls.back().File;
        EXPECT_NE(stamped.find(L"tavrix-temp_"), std::wstring::npos);
        EXPECT_EQ(ReadFileBytes(stamped), "\xEF\xBB\xBF\xCE\xA9 \xE4\xB8\xAD\r\n") << "nothing lost to question marks";

        // Execute: an existing path starts as itself, anything else in the browser.
        starts.Calls.clear();
        viewer.ShowText(dir.Path(), vkExecute);
        viewer.ShowText(dir.Path() + L"\r\n", vkExecute);
        viewer.ShowText(L"example.com/find?q=1", vkExecute);
        ASSERT_EQ(starts.Calls.size(), 3u);
        EXPECT_EQ(starts.Calls[0].File, dir.Path());
        const std::wstring browser = starts.Calls[1].File;
        EXPECT_EQ(starts.Calls[1].Parameters, dir.Path() + L"\r\n") << "a path with a line break is no path";
        ASSERT_TRUE(browser.size() > 16 && browser[1] == L':' && browser[2] == L'\\') << "a full path: " << browser;
        EXPECT_EQ(CompareStringOrdinal(browser.c_str() + browser.size() - 13, 13, L"\\iexplore.exe", 13, TRUE), CSTR_EQUAL);
        EXPECT_EQ(starts.Calls[2].Parameters, L"example.com/find?q=1");
        EXPECT_EQ(viewer.ShowText(L"", vkPlainText), -1);
    }
    EXPECT_FALSE(Exists(temp + L"\\tavrix-temp.txt")) << "removed when the viewer goes";
    EXPECT_TRUE(Exists(temp + L"\\keep.txt"));
}

TEST(LogDataViewer, AnUnwritableFolderIsAnErrorNamingTheFile) {
    TTempDir dir;
    WriteFileBytes(dir / L"Temp", "a file where the folder should be");
    TShellExecuteRecorder starts;
    TLogDataViewer viewer(dir / L"Temp");
    try {
        viewer.ShowText(L"text", vkPlainText);
        ADD_FAILURE() << "no error";
    } catch (const ui::Exception& e) {
        EXPECT_NE(e.Message().find(L"Cannot create file \"" + (dir / L"Temp\\tavrix-temp.txt") + L"\""),
                  std::wstring::npos);
    }
    EXPECT_TRUE(starts.Calls.empty());
}

TEST(LogDataViewer, ViewsGoToTheUsersOwnTemporaryFolder) {
    wchar_t temp[MAX_PATH + 1]{};
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
    wchar_t windows[MAX_PATH]{};
    GetWindowsDirectoryW(windows, MAX_PATH);
    TLogDataViewer viewer;
    EXPECT_EQ(viewer.TempFolder(), temp);
    EXPECT_NE(viewer.TempFolder().find(windows + std::wstring(L"\\Temp")), 0u) << "not the shared one";
}

TEST(LogDataViewer, AFileOfTheViewsNameMadeInAdvanceIsNeverWrittenThrough) {
    const std::string theirs = "made in advance by someone else, longer than the view";
    const struct {
        const char* What;
        DWORD Attributes;
        bool HardLink;  // the name is a second link to a file of theirs
    } cases[] = {
        {"a plain file", FILE_ATTRIBUTE_NORMAL, false},
        {"a read-only file", FILE_ATTRIBUTE_READONLY, false},
        {"a hidden system file", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false},
        {"a hard link", FILE_ATTRIBUTE_NORMAL, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TTempDir dir;
        TShellExecuteRecorder starts;
        TLogDataViewer viewer(dir.Path());
        const std::wstring path = dir / L"tavrix-temp.txt", other = dir / L"theirs.txt";
        WriteFileBytes(other, theirs);
        if (c.HardLink)
            ASSERT_TRUE(CreateHardLinkW(path.c_str(), other.c_str(), nullptr));
        else
            WriteFileBytes(path, theirs);
        SetFileAttributesW(path.c_str(), c.Attributes);
        EXPECT_EQ(viewer.ShowText(L"secret", vkPlainText), 42);
        EXPECT_EQ(ReadFileBytes(path), "secret\r\n");
        const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        EXPECT_EQ(GetFileAttributesW(path.c_str()) & kept, 0u) << "a file of its own";
        SetFileAttributesW(other.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(ReadFileBytes(other), theirs) << "nothing written through the name";
    }
    // Its maker keeps it open, deletion shared, to read what the view writes:
    // the name stays taken until the maker lets go (where the name goes at
    // once, the view has a new file), and the maker reads nothing of it.
    TTempDir dir;
    TShellExecuteRecorder starts;
    TLogDataViewer viewer(dir.Path());
    const std::wstring path = dir / L"tavrix-temp.txt";
    WriteFileBytes(path, theirs);
    HANDLE maker = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(maker, INVALID_HANDLE_VALUE);
    bool shown = false;
    try {
        shown = viewer.ShowText(L"secret", vkPlainText) == 42;
    } catch (const ui::Exception& e) {
        EXPECT_NE(e.Message().find(L"Cannot create file \"" + path + L"\""), std::wstring::npos);
    }
    std::string seen(100, '\0');
    DWORD n = 0;
    ReadFile(maker, seen.data(), static_cast<DWORD>(seen.size()), &n, nullptr);
    seen.resize(n);
    CloseHandle(maker);
    EXPECT_EQ(seen, theirs);
    if (shown)
        EXPECT_EQ(ReadFileBytes(path), "secret\r\n");
    else
        EXPECT_TRUE(starts.Calls.empty()) << "a view that failed opens nothing";
}

TEST(LogDataViewer, FileBytesInTheCodePageOrUtf8) {
    const struct {
        const wchar_t* Text;
        unsigned CodePage;
        const char* Bytes;
    } cases[] = {
        {L"", 1252, ""},
        {L"caf\u00e9\r\n", 1252, "caf\xE9\r\n"},
        {L"\u03a9", 1253, "\xD9"},
        // What the page lacks: UTF-8 with its mark, no question marks.
        {L"caf\u00e9 \u03a9", 1252, "\xEF\xBB\xBF" "caf\xC3\xA9 \xCE\xA9"},
        {L"\u00e9", 1253, "\xEF\xBB\xBF\xC3\xA9"},
        // A system whose page is UTF-8 takes the text as it is, without a mark.
        {L"caf\u00e9 \u03a9 \u4e2d", CP_UTF8, "caf\xC3\xA9 \xCE\xA9 \xE4\xB8\xAD"},
        // A page the system does not know never gives an empty file.
        {L"text", 12345, "\xEF\xBB\xBFtext"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.CodePage);
        const std::optional<std::string> bytes = ViewerFileBytes(c.Text, c.CodePage);
        ASSERT_TRUE(bytes.has_value());
        EXPECT_EQ(*bytes, c.Bytes);
    }
}

TEST(LogDataViewer, HugeAndNulHoldingClipboardTexts) {
    TTempDir dir;
    TShellExecuteRecorder starts;
    TLogDataViewer viewer(dir / L"Temp");
    // Tens of megabytes of commas: linear work, no hang.
    std::wstring huge(15'000'000, L'x');
    for (size_t i = 7; i < huge.size(); i += 8) huge[i] = L',';
    SetClipboard(huge);
    std::wstring shown;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(viewer.ViewClipboardAs(vkCommaString, shown), 42);
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 20.0);
    EXPECT_EQ(GetFileSize64(dir / L"Temp\\tavrix-temp.txt"), static_cast<int64_t>(huge.size() + huge.size() / 8))
        << "every comma a line end; the text ended with one";
    // The clipboard's text ends at its first NUL.
    SetClipboard(std::wstring(L"before\0after", 12));
    EXPECT_EQ(viewer.ViewClipboardAs(vkPlainText, shown), 42);
    EXPECT_EQ(shown, L"before");
    // No text at all: -1 and nothing started.
    starts.Calls.clear();
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    EXPECT_EQ(viewer.ViewClipboardAs(vkExecute, shown), -1);
    EXPECT_TRUE(starts.Calls.empty());
}

}  // namespace
