#include "testutil/TestFiles.h"

#include <stdexcept>

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

}  // namespace testutil
