#include "util/uLogDataViewer.h"

#include <windows.h>

#include <string>

#include "shell/Shell_Win32.h"
#include "ui/Exceptions.h"
#include "ui/Handles.h"
#include "util/ViewerText.h"

namespace {

std::wstring WindowsTempFolder() {
    wchar_t windows[MAX_PATH]{};
    UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    std::wstring folder(windows, n);
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder + L"\\Temp\\";
}

void ForceFolders(const std::wstring& path) {
    std::wstring folder = path;
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    if (folder.empty() || GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    size_t slash = folder.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash > 2) ForceFolders(folder.substr(0, slash));
    CreateDirectoryW(folder.c_str(), nullptr);
}

TLogTime Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

bool PathExists(const std::wstring& text) {
    // A path names one line; anything longer than a path can be is none.
    if (text.size() >= 32768 || text.find_first_of(L"\r\n") != std::wstring::npos) return false;
    return GetFileAttributesW(text.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

std::wstring ClipboardText() {
    std::wstring text;
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(nullptr)) break;
        if (attempt == 9) return text;
        Sleep(10);
    }
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            // The text ends at its first NUL, and never past its memory.
            const size_t room = GlobalSize(data) / sizeof(wchar_t);
            text.assign(chars, wcsnlen(chars, room));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

TLogDataViewer::TLogDataViewer() : TLogDataViewer(WindowsTempFolder()) {}

TLogDataViewer::TLogDataViewer(std::wstring tempFolder) : FTempFolder(std::move(tempFolder)) {
    if (!FTempFolder.empty() && FTempFolder.back() != L'\\') FTempFolder += L'\\';
    if (GetFileAttributesW(FTempFolder.c_str()) != INVALID_FILE_ATTRIBUTES)
        DeleteTempFiles();
    else
        ForceFolders(FTempFolder);
}

TLogDataViewer::~TLogDataViewer() {
    DeleteTempFiles();
    FTempFolder.clear();
}

void TLogDataViewer::DeleteTempFiles() {
    if (FTempFolder.empty()) return;
    WIN32_FIND_DATAW data{};
    ui::TFindHandleOwner find(FindFirstFileW((FTempFolder + L"tavrix-temp*.*").c_str(), &data));
    if (!find) return;
    do {
        std::wstring path = FTempFolder + data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveDirectoryW(path.c_str());
        } else {
            // Read-only and hidden ones go too.
            if (data.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
    } while (FindNextFileW(find.Get(), &data));
}

int TLogDataViewer::ViewClipboardAs(int kind, std::wstring& text) {
    text = ConvertText(ClipboardText(), kind);
    return ShowText(text, kind);
}

std::wstring TLogDataViewer::ConvertText(const std::wstring& text, int kind) { return ConvertViewerText(text, kind); }

void TLogDataViewer::WriteTextFile(const std::wstring& path, const std::wstring& text) {
    const std::wstring lines = ToCrLfLines(text);
    // The ANSI code page, as text files have always been written here;
    // a text it cannot hold goes out as UTF-8 with its mark rather than
    // with question marks in place of what was lost.
    std::string bytes;
    BOOL lost = FALSE;
    int n = lines.empty() ? 0
                          : WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, lines.data(), static_cast<int>(lines.size()),
                                                nullptr, 0, nullptr, &lost);
    if (!lost) {
        bytes.resize(static_cast<size_t>(n));
        if (n) WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, lines.data(), static_cast<int>(lines.size()), bytes.data(), n,
                                   nullptr, nullptr);
    } else {
        n = WideCharToMultiByte(CP_UTF8, 0, lines.data(), static_cast<int>(lines.size()), nullptr, 0, nullptr, nullptr);
        bytes = "\xEF\xBB\xBF";
        bytes.resize(3 + static_cast<size_t>(n));
        WideCharToMultiByte(CP_UTF8, 0, lines.data(), static_cast<int>(lines.size()), bytes.data() + 3, n, nullptr,
                            nullptr);
    }
    ui::THandleOwner file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        DWORD code = GetLastError();
        throw ui::Exception(L"Cannot create file \"" + path + L"\". " + SysErrorText(code));
    }
}

int TLogDataViewer::ShowText(const std::wstring& text, int kind) {
    if (text.empty()) return -1;
    const TLogTime now = Now();
    std::wstring target, parameters;
    if (kind == vkExecute) {
        if (PathExists(text)) {
            target = text;
        } else {
            target = L"iexplore.exe";
            parameters = text;
        }
    } else {
        const bool stamped = TimestampTempFiles && TimestampTempFiles();
        target = FTempFolder + ViewerTempName(kind, stamped, now);
        WriteTextFile(target, text);
    }
    return static_cast<int>(ShellExecuteFunc()(nullptr, L"open", target, parameters, L"", SW_SHOWMAXIMIZED));
}
