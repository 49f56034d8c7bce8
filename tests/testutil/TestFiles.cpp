#include "testutil/TestFiles.h"

#include <winioctl.h>

#include <cstring>
#include <stdexcept>

#include "ui/Handles.h"

namespace testutil {

TTempDir::TTempDir() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    for (;;) {
        FPath = std::wstring(temp) + L"tavrix-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter);
        if (CreateDirectoryW(FPath.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create temp dir");
    }
}

TTempDir::~TTempDir() { RemoveTree(FPath); }

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = path + L"\\" + name;
            // A link to a folder goes alone (Wine marks those, and removes
            // through them); a test removes its links to files itself.
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                RemoveLink(child);
                continue;
            }
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write test file");
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return {};
    std::string out;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(f, buf, sizeof(buf), &n, nullptr) && n > 0) out.append(buf, n);
    CloseHandle(f);
    return out;
}

void SetFileAge(const std::wstring& path, int64_t ageSeconds) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart -= static_cast<uint64_t>(ageSeconds) * 10000000ULL;
    FILETIME ft{t.LowPart, t.HighPart};
    HANDLE f = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (f == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open file to date it");
    SetFileTime(f, nullptr, nullptr, &ft);
    CloseHandle(f);
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) break;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

TMessageBoxRecorder::TMessageBoxRecorder() : FPrevious(ui::MessageBoxFunc()) {
    ui::MessageBoxFunc() = [this](HWND, const std::wstring& text, const std::wstring& caption, UINT flags) {
        Boxes.push_back({text, caption, flags});
        return IDOK;
    };
}

TMessageBoxRecorder::~TMessageBoxRecorder() { ui::MessageBoxFunc() = FPrevious; }

TDialogAnswer::TDialogAnswer(std::wstring title, int button, std::function<bool(HWND)> ready)
    : FThread([this, title = std::move(title), button, ready = std::move(ready)] {
          // A loaded machine may take long to get the window ready; one that
          // never gets ready is cancelled, so the test fails instead of
          // waiting for a box nobody answers.
          const ULONGLONG deadline = GetTickCount64() + 60000;
          HWND seen = nullptr;
          while (!FStop && GetTickCount64() < deadline) {
              if (HWND w = FindWindowW(nullptr, title.c_str()); w && IsWindowVisible(w)) {
                  seen = w;
                  if (!ready || ready(w)) {
                      PostMessageW(w, WM_COMMAND, button, 0);
                      Answered = true;
                      return;
                  }
              }
              Sleep(50);
          }
          if (!FStop && seen && IsWindow(seen)) PostMessageW(seen, WM_COMMAND, IDCANCEL, 0);
      }) {}

TDialogAnswer::~TDialogAnswer() {
    FStop = true;
    FThread.join();
}

bool MakeJunction(const std::wstring& folder, const std::wstring& target) {
    if (!CreateDirectoryW(folder.c_str(), nullptr)) return false;
    const std::wstring substitute = L"\\??\\" + target;
    const size_t pathBytes = (substitute.size() + 1 + target.size() + 1) * sizeof(wchar_t);
    // The mount-point form of the reparse data: tag, length, reserved, then
    // the offsets and lengths of the two names and the names themselves.
    const size_t headerBytes = 8, namesBytes = 8;
    std::vector<BYTE> buffer(headerBytes + namesBytes + pathBytes);
    auto put16 = [&](size_t at, size_t value) {
        const WORD w = static_cast<WORD>(value);
        std::memcpy(buffer.data() + at, &w, sizeof w);
    };
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    std::memcpy(buffer.data(), &tag, sizeof tag);
    put16(4, namesBytes + pathBytes);
    put16(8, 0);
    put16(10, substitute.size() * sizeof(wchar_t));
    put16(12, (substitute.size() + 1) * sizeof(wchar_t));
    put16(14, target.size() * sizeof(wchar_t));
    std::memcpy(buffer.data() + 16, substitute.c_str(), (substitute.size() + 1) * sizeof(wchar_t));
    std::memcpy(buffer.data() + 16 + (substitute.size() + 1) * sizeof(wchar_t), target.c_str(),
                (target.size() + 1) * sizeof(wchar_t));
    ui::THandleOwner handle(CreateFileW(folder.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    DWORD returned = 0;
    const bool made = handle && DeviceIoControl(handle.Get(), FSCTL_SET_REPARSE_POINT, buffer.data(),
                                                static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
    handle.Reset();
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (made && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    RemoveDirectoryW(folder.c_str());
    return false;
}

std::wstring WineUnixPath(const std::wstring& path) {
    using TUnixName = char*(CDECL*)(const wchar_t*);
    auto unixName = reinterpret_cast<TUnixName>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    std::wstring result;
    if (!unixName) return result;
    if (char* name = unixName(path.c_str())) {
        result.assign(name, name + std::strlen(name));
        HeapFree(GetProcessHeap(), 0, name);
    }
    return result;
}

bool RunUnix(const std::wstring& program, std::wstring command, const std::function<bool()>& done) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    // Wine runs a Unix program outside its process table: the call succeeds
    // and leaves the handles and ids as whatever lay on its stack, which may
    // be live handles of this process (the thread's desktop, say). Only a
    // handle that names what was started is ours to close.
    const bool ownProcess = process.dwProcessId != 0 && GetProcessId(process.hProcess) == process.dwProcessId;
    const bool ownThread = process.dwThreadId != 0 && GetThreadId(process.hThread) == process.dwThreadId;
    ui::THandleOwner processHandle(ownProcess ? process.hProcess : nullptr),
        threadHandle(ownThread ? process.hThread : nullptr);
    for (int i = 0; i < 100; ++i) {
        if (done()) return true;
        Sleep(50);
    }
    return false;
}

bool MakeWineSymlink(const std::wstring& link, const std::wstring& target) {
    const std::wstring unixTarget = WineUnixPath(target), unixLink = WineUnixPath(link);
    if (unixTarget.empty() || unixLink.empty()) return false;
    // A link that leads nowhere is not seen: once seen, it leads to the target.
    return RunUnix(L"Z:\\bin\\ln", L"ln -s \"" + unixTarget + L"\" \"" + unixLink + L"\"", [&] { return Exists(link); });
}

bool RemoveLink(const std::wstring& link) {
    // Under Wine the Win32 calls would remove what the link leads to.
    const std::wstring unixLink = WineUnixPath(link);
    if (!unixLink.empty()) return RunUnix(L"Z:\\bin\\rm", L"rm \"" + unixLink + L"\"", [&] { return !Exists(link); });
    return RemoveDirectoryW(link.c_str()) || DeleteFileW(link.c_str());
}

}  // namespace testutil
