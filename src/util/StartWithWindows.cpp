#include "util/StartWithWindows.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>

#include "core/Exceptions.h"
#include "core/PathText.h"
#include "shell/ShellBrowser.h"
#include "shell/ShellLinks.h"
#include "shell/Shell_Win32.h"
#include "ui/FileIdentity.h"

namespace {

// What the system says about a failure, or its code when it says nothing.
std::wstring Reason(HRESULT hr) {
    std::wstring text = SysErrorText(static_cast<DWORD>(hr));
    if (!text.empty()) return text;
    wchar_t code[16]{};
    std::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return L"error " + std::wstring(code);
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (written == 0 || written >= n) return path;
    full.resize(written);
    return full;
}

// A target may be written with variables ("%LOCALAPPDATA%\...").
std::wstring Expanded(const std::wstring& path) {
    const DWORD n = ExpandEnvironmentStringsW(path.c_str(), nullptr, 0);
    if (n == 0) return path;
    std::wstring text(n, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(path.c_str(), text.data(), n);
    if (written == 0 || written > n) return path;
    text.resize(written - 1);
    return text;
}

}  // namespace

std::wstring ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    // Long paths do not fit MAX_PATH: the buffer grows until the name fits.
    while (path.size() <= 32768) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
    return {};
}

std::wstring StartupFolder(bool create) {
    wchar_t path[MAX_PATH]{};
    const int folder = CSIDL_STARTUP | (create ? CSIDL_FLAG_CREATE : 0);
    if (SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) return {};
    return path;
}

bool ShortcutLeadsTo(const std::wstring& shortcut, const std::wstring& program) {
    const std::wstring target = ShortcutTarget(shortcut);
    if (target.empty() || program.empty()) return false;
    const std::wstring path = Expanded(target);
    ui::TFileIdentity a, b;
    if (ui::FileIdentityOf(path, a) && ui::FileIdentityOf(program, b)) return a == b;
    return SameText(FullPath(path), FullPath(program));
}

std::vector<std::wstring> ShortcutsLeadingTo(const std::wstring& folder, const std::wstring& program) {
    std::vector<std::wstring> found;
    if (folder.empty()) return found;
    for (const std::wstring& name : ShortcutFiles(folder)) {
        std::wstring path = Join(folder, name);
        if (ShortcutLeadsTo(path, program)) found.push_back(std::move(path));
    }
    return found;
}

std::wstring AddStartupShortcut(const std::wstring& folder, const std::wstring& program, const std::wstring& stem) {
    if (folder.empty()) throw ui::Exception(L"The Startup folder could not be found.");
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw ui::Exception(L"The Startup folder \"" + folder + L"\" could not be found.");
    if (program.empty()) throw ui::Exception(L"The program's own path could not be read.");
    const std::vector<std::wstring> present = ShortcutsLeadingTo(folder, program);
    if (!present.empty()) return present.front();
    const std::wstring path = Join(folder, FreeShortcutNameFor(folder, stem));
    const HRESULT hr = SaveShortcut(path, program);
    if (FAILED(hr)) throw ui::Exception(L"The shortcut \"" + path + L"\" could not be made: " + Reason(hr));
    return path;
}

void RemoveStartupShortcuts(const std::wstring& folder, const std::wstring& program) {
    for (const std::wstring& path : ShortcutsLeadingTo(folder, program)) {
        if (DeleteFileW(path.c_str())) continue;
        const DWORD error = GetLastError();
        throw ui::Exception(L"The shortcut \"" + path + L"\" could not be deleted: " +
                            Reason(HRESULT_FROM_WIN32(error)));
    }
}
