#include "util/uUtils.h"

#include <windows.h>
#include <shellapi.h>

#include <mutex>

#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "core/Exceptions.h"
#include "ui/FileIdentity.h"
#include "ui/Handles.h"
#include "util/FolderMove.h"

int64_t LastLogCleanup = 0;

namespace {

const wchar_t kLogPrefix[] = L"tavrix";

// The log is one for the process, and worker threads log too: one line,
// and one clean-up, at a time.
std::mutex& LogLock() {
    static std::mutex lock;
    return lock;
}

// Whether logging is off is one answer for the whole run.
std::atomic<bool>& LoggingOffFlag() {
    static std::atomic<bool> off{false};
    return off;
}

int64_t FileTimeTicks(const FILETIME& ft) {
    return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

wchar_t LocaleSeparator(LCTYPE type, wchar_t fallback) {
    wchar_t buf[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buf, 8) > 0 && buf[0]) return buf[0];
    return fallback;
}

TLogTime ToLogTime(const SYSTEMTIME& st) {
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

// A double-NUL-terminated one-entry list, as the shell's file operation wants.
std::wstring ShellPathList(const std::wstring& path) {
    std::wstring list = path;
    list.push_back(L'\0');
    list.push_back(L'\0');
    return list;
}

void ThrowLastError() { throw ui::EInOutError(static_cast<int>(GetLastError())); }

}  // namespace

int64_t LocalNowTicks() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return FileTimeTicks(ft);
}

std::wstring GetProgramFolder() {
    wchar_t buf[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::wstring path(buf, n);
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring GetLogFolder(bool trailingSeparator) {
    std::wstring folder = GetProgramFolder() + L"Logs";
    if (trailingSeparator) folder += L'\\';
    return folder;
}

bool FindFilesOlderThan(const std::wstring& folder, const std::wstring& mask, int minAgeDays,
                        std::vector<std::wstring>* list) {
    if (!list) return false;
    WIN32_FIND_DATAW fd;
    ui::TFindHandleOwner find(FindFirstFileW((folder + mask).c_str(), &fd));
    if (find) {
        int64_t now = LocalNowTicks();
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            FILETIME local;
            FileTimeToLocalFileTime(&fd.ftLastWriteTime, &local);
            if (WholeDaysBetween(now, FileTimeTicks(local)) >= minAgeDays) list->push_back(folder + name);
        } while (FindNextFileW(find.Get(), &fd));
    }
    return !list->empty();
}

void CleanupOldLogs() {
    int64_t now = LocalNowTicks();
    if (WholeMinutesBetween(now, LastLogCleanup) < LogCleanupIntervalMinutes) return;
    std::vector<std::wstring> old;
    FindFilesOlderThan(GetLogFolder(true), L"*.log", LogRetentionDays, &old);
    for (const auto& path : old) DeleteFileW(path.c_str());
    LastLogCleanup = LocalNowTicks();
}

void WriteLogLine(const std::wstring& prefix, const std::wstring& source, const std::wstring& method,
                  TLogLevel level, const std::wstring& message) {
    const std::lock_guard<std::mutex> lock(LogLock());
    CleanupOldLogs();
    std::wstring folder = GetLogFolder(false);
    if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
        CreateDirectoryW(folder.c_str(), nullptr);

    SYSTEMTIME st;
    GetLocalTime(&st);
    TLogTime now = ToLogTime(st);
    std::wstring fileName = GetLogFolder(true) + prefix + L"-" + FormatLogDate(now) + L".log";

    {
        ui::THandleOwner probe(CreateFileW(fileName.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe && GetLastError() == ERROR_FILE_NOT_FOUND) {
            ui::THandleOwner created(CreateFileW(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                                 nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!created && GetLastError() != ERROR_FILE_EXISTS) ThrowLastError();
        }
    }
    ui::THandleOwner file(CreateFileW(fileName.c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ThrowLastError();

    std::wstring line = FormatLogLine(FormatLogTime(now, LocaleSeparator(LOCALE_SDATE, L'/'),
                                                    LocaleSeparator(LOCALE_STIME, L':')),
                                      source, method, level, message) +
                        L"\r\n";
    // The file is text in the ANSI code page.
    int bytes = WideCharToMultiByte(CP_ACP, 0, line.data(), static_cast<int>(line.size()), nullptr, 0,
                                    nullptr, nullptr);
    std::string ansi(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, line.data(), static_cast<int>(line.size()), ansi.data(), bytes,
                        nullptr, nullptr);
    DWORD written = 0;
    if (!WriteFile(file.Get(), ansi.data(), static_cast<DWORD>(ansi.size()), &written, nullptr) ||
        written != ansi.size())
        ThrowLastError();
    if (!FlushFileBuffers(file.Get())) ThrowLastError();
    if (!CloseHandle(file.Release())) ThrowLastError();
}

bool LoggingIsOff() noexcept { return LoggingOffFlag(); }
void SetLoggingOff(bool off) noexcept { LoggingOffFlag() = off; }

void WriteLog(const std::wstring& source, const std::wstring& method, const std::wstring& level,
              const std::wstring& message) {
    // A log that cannot be written never stops the program, or its closing:
    // the user hears once why logging is off, and everything goes on.
    if (LoggingIsOff()) return;
    try {
        WriteLogLine(kLogPrefix, source, method, ParseLogLevel(level), message);
    } catch (const std::exception& e) {
        SetLoggingOff(true);
        ui::ShowMessageBox(nullptr,
                           L"Logging is off for this run: the log cannot be written in \"" + GetLogFolder(false) +
                               L"\" (" + ui::ExceptionMessage(e) + L").",
                           ui::Application ? ui::Application->Title() : std::wstring(L"tavrix"),
                           MB_OK | MB_ICONWARNING | MB_TASKMODAL);
    }
}

void WriteLogQuiet(const std::wstring& source, const std::wstring& method, const std::wstring& level,
                   const std::wstring& message) noexcept {
    if (LoggingIsOff()) return;
    try {
        WriteLogLine(kLogPrefix, source, method, ParseLogLevel(level), message);
    } catch (...) {
        // Only the user-interface thread may say that logging is off.
    }
}

int RunProgram(const std::function<int()>& body) {
    try {
        return body();
    } catch (...) {
        // What is left of the program may fail again while it reports.
        try {
            const std::wstring message = ui::CurrentExceptionMessage();
            WriteLog(L"tavrix", L"wWinMain", L"Exception", message);
            ui::ShowMessageBox(nullptr, message, L"tavrix", MB_OK | MB_ICONERROR | MB_TASKMODAL);
        } catch (...) {
        }
        return 1;
    }
}

bool MoveFolder(const std::wstring& source, const std::wstring& target) {
    std::wstring from = ShellPathList(source);
    std::wstring to = ShellPathList(target);
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_MOVE;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = FOF_SILENT;
    return SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted;
}

bool DeleteFolder(const std::wstring& path) {
    // A folder that is already gone is not asked for: that would show an
    // error box of the shell's.
    if (path.empty() || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    // Nothing is deleted through a link: the shell may walk through one as
    // through a folder, and under Wine it deletes what a link leads to.
    if (ui::IsLinkPath(path) || HoldsLinks(path)) return false;
    std::wstring from = ShellPathList(path);
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    // To the Recycle Bin: whatever a check missed can still be had back.
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;
    return SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted;
}
