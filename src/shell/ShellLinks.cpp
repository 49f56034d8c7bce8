#include "shell/ShellLinks.h"

#include <windows.h>
#include <shlobj.h>

#include "ui/Handles.h"

namespace {

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

std::wstring NameOf(const std::wstring& path) {
    std::wstring trimmed = path;
    while (trimmed.size() > 3 && trimmed.back() == L'\\') trimmed.pop_back();
    size_t slash = trimmed.find_last_of(L'\\');
    return slash == std::wstring::npos ? trimmed : trimmed.substr(slash + 1);
}

ui::TComPtr<IShellLinkW> NewShellLink() {
    ui::TComPtr<IShellLinkW> link;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid());
    return link;
}

}  // namespace

std::wstring ShortcutTarget(const std::wstring& shortcut) {
    ui::TComPtr<IShellLinkW> link = NewShellLink();
    ui::TComPtr<IPersistFile> file;
    if (!link || FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid())) ||
        FAILED(file->Load(shortcut.c_str(), STGM_READ)))
        return {};
    wchar_t target[MAX_PATH]{};
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) return {};
    return target;
}

std::vector<std::wstring> ShortcutFiles(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(Join(folder, L"*.lnk").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

std::wstring FreeShortcutName(const std::wstring& folder, const std::wstring& target) {
    std::wstring stem = NameOf(target);
    DWORD attributes = GetFileAttributesW(target.c_str());
    bool isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    size_t dot = stem.find_last_of(L'.');
    if (!isFolder && dot != std::wstring::npos && dot > 0) stem.resize(dot);
    if (stem.empty() || stem.back() == L':') stem = L"Drive " + stem.substr(0, 1);  // "C:\"
    return FreeShortcutNameFor(folder, stem);
}

std::wstring FreeShortcutNameFor(const std::wstring& folder, const std::wstring& stem) {
    std::wstring name = stem + L".lnk";
    for (int n = 2; GetFileAttributesW(Join(folder, name).c_str()) != INVALID_FILE_ATTRIBUTES; ++n)
        name = stem + L" (" + std::to_wstring(n) + L").lnk";
    return name;
}

std::wstring CreateShortcutIn(const std::wstring& folder, const std::wstring& target, const std::wstring& stem) {
    ui::TComPtr<IShellLinkW> link = NewShellLink();
    ui::TComPtr<IPersistFile> file;
    if (!link || FAILED(link->SetPath(target.c_str())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid())))
        return {};
    size_t slash = target.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash > 2) link->SetWorkingDirectory(target.substr(0, slash).c_str());
    std::wstring path = Join(folder, stem.empty() ? FreeShortcutName(folder, target) : FreeShortcutNameFor(folder, stem));
    // The name was free a moment ago; a file that appeared since is kept.
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return {};
    if (FAILED(file->Save(path.c_str(), TRUE))) return {};
    return path;
}
