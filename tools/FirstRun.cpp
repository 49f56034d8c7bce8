// Gives a new machine's first run something to open: when the default
// working folder (Favorites\quorb) does not exist yet, creates it with real
// shortcuts made through the shell's link object: Notepad, the command
// prompt, and a "Docs" folder with a shortcut to the given README. A working
// folder that exists is never touched.
// Usage: tavrix_firstrun.exe <README path>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "shell/ShellLinks.h"

namespace {

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, path)) ? path : L"";
}

bool Made(const std::wstring& folder, const std::wstring& target, const wchar_t* name) {
    std::wstring made = CreateShortcutIn(folder, target, name);
    std::wprintf(L"firstrun: %ls %ls\n", made.empty() ? L"could not make" : L"made", (folder + L"\\" + name).c_str());
    return !made.empty();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: tavrix_firstrun.exe <README path>\n");
        return 2;
    }
    const std::wstring favorites = SpecialFolder(CSIDL_FAVORITES);
    if (favorites.empty()) {
        std::fwprintf(stderr, L"firstrun: no Favorites folder\n");
        return 1;
    }
    // The working folder tavrix uses when the options name no other.
    const std::wstring work = favorites + L"\\quorb";
    if (GetFileAttributesW(work.c_str()) != INVALID_FILE_ATTRIBUTES) {
        std::wprintf(L"firstrun: %ls exists; left as it is\n", work.c_str());
        return 0;
    }
    if (FAILED(CoInitialize(nullptr))) return 1;
    bool ok = CreateDirectoryW(work.c_str(), nullptr) && CreateDirectoryW((work + L"\\Docs").c_str(), nullptr);
    const std::wstring system = SpecialFolder(CSIDL_SYSTEM), windows = SpecialFolder(CSIDL_WINDOWS);
    ok = ok && Made(work, windows + L"\\notepad.exe", L"Notepad");
    ok = ok && Made(work, system + L"\\cmd.exe", L"Command Prompt");
    ok = ok && Made(work + L"\\Docs", argv[1], L"README");
    CoUninitialize();
    return ok ? 0 : 1;
}
