#include "util/uLogDataViewer.h"

#include <windows.h>
#include <shellapi.h>

#include <climits>
#include <optional>
#include <string>

#include "shell/Shell_Win32.h"
#include "core/Exceptions.h"
#include "ui/Handles.h"
#include "core/ViewerText.h"

namespace {

// The user's own temporary folder: the shared Windows one lets others make
// files there, and may not let this user list, and so clear away, its own.
std::wstring UserTempFolder() {
    std::wstring folder(MAX_PATH + 1, L'\0');
    DWORD n = GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    if (n > folder.size()) {
        folder.resize(n);
        n = GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    }
    folder.resize(n < folder.size() ? n : 0);
    return folder;
}

// Removes a file of ours, read-only and hidden ones too. A link goes
// itself: what it points to is never touched.
void RemoveOwnFile(const std::wstring& path, DWORD attributes) {
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(path.c_str());
        return;
    }
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) &&
        !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
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
    ui::TClipboardScope clipboard;
    if (!clipboard.IsOpen()) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (ui::TGlobalLock<const wchar_t> chars(data); chars) {
            // The text ends at its first NUL, and never past its memory.
            const size_t room = chars.Bytes() / sizeof(wchar_t);
            text.assign(chars.Get(), wcsnlen(chars.Get(), room));
        }
    }
    return text;
}

TLogDataViewer::TLogDataViewer() : TLogDataViewer(UserTempFolder()) {}

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
        RemoveOwnFile(FTempFolder + data.cFileName, data.dwFileAttributes);
    } while (FindNextFileW(find.Get(), &data));
}

int TLogDataViewer::ViewClipboardAs(int kind, std::wstring& text) {
    text = ConvertText(ClipboardText(), kind);
    return ShowText(text, kind);
}

std::wstring TLogDataViewer::ConvertText(const std::wstring& text, int kind) { return ConvertViewerText(text, kind); }

std::optional<std::string> ViewerFileBytes(const std::wstring& text, unsigned codePage) {
    if (text.empty()) return std::string();
    // The conversions count characters in an int: a longer text (only a
    // 64-bit program can hold one) is refused whole, never cut short.
    if (text.size() > static_cast<size_t>(INT_MAX)) {
        SetLastError(ERROR_ARITHMETIC_OVERFLOW);
        return std::nullopt;
    }
    const int size = static_cast<int>(text.size());
    // The system's code page, as text files have always been written here.
    // (A UTF-8 one takes no such flag and is written below, as itself.)
    if (codePage != CP_UTF8) {
        BOOL lost = FALSE;
        const int n =
            WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, nullptr, &lost);
        if (n > 0 && !lost) {
            std::string bytes(static_cast<size_t>(n), '\0');
            if (WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), size, bytes.data(), n, nullptr,
                                    nullptr) == n)
                return bytes;
        }
    }
    // A text the page cannot hold goes out as UTF-8 with its mark rather
    // than with question marks in place of what was lost.
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::nullopt;
    std::string bytes = codePage == CP_UTF8 ? "" : "\xEF\xBB\xBF";
    const size_t mark = bytes.size();
    bytes.resize(mark + static_cast<size_t>(n));
    if (WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data() + mark, n, nullptr, nullptr) != n)
        return std::nullopt;
    return bytes;
}

void TLogDataViewer::WriteTextFile(const std::wstring& path, const std::wstring& text) {
    const std::optional<std::string> bytes = ViewerFileBytes(ToCrLfLines(text), GetACP());
    if (!bytes) {
        const DWORD code = GetLastError();
        throw ui::Exception(L"Cannot create file \"" + path + L"\". " + SysErrorText(code));
    }
    // Always a new file: whatever has the name now, a file someone made in
    // advance to read the next view or a link, is removed, never written
    // through. Should one come back in between, the view fails.
    RemoveOwnFile(path, GetFileAttributesW(path.c_str()));
    ui::THandleOwner file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.Get(), bytes->data(), static_cast<DWORD>(bytes->size()), &written, nullptr) ||
        written != bytes->size()) {
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
            // The browser by the path the system registers for it; with
            // none registered nothing starts, and the caller says so.
            target = RegisteredProgramPath(L"iexplore.exe");
            if (target.empty()) return SE_ERR_NOASSOC;
            parameters = text;
        }
    } else {
        const bool stamped = TimestampTempFiles && TimestampTempFiles();
        target = FTempFolder + ViewerTempName(kind, stamped, now);
        WriteTextFile(target, text);
    }
    return static_cast<int>(ShellExecuteFunc()(nullptr, L"open", target, parameters, L"", SW_SHOWMAXIMIZED));
}
