#include "shell/ShellLinks.h"

#include <windows.h>
#include <shlobj.h>

#include "core/PathText.h"
#include "shell/ShellBrowser.h"
#include "ui/Handles.h"

namespace {

std::wstring NameOf(const std::wstring& path) {
    std::wstring trimmed = path;
    while (trimmed.size() > 3 && trimmed.back() == L'\\') trimmed.pop_back();
    size_t slash = trimmed.find_last_of(L'\\');
    return slash == std::wstring::npos ? trimmed : trimmed.substr(slash + 1);
}

// "Tool.lnk" gives "Tool" and ".lnk"; a name without a dot after its first
// character has no extension.
void SplitExtension(const std::wstring& name, std::wstring& stem, std::wstring& extension) {
    size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring::npos || dot == 0) dot = name.size();
    stem = name.substr(0, dot);
    extension = name.substr(dot);
}

std::vector<std::wstring> FilesMatching(const std::wstring& folder, const wchar_t* mask) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    ui::TFindHandleOwner find(FindFirstFileW(Join(folder, mask).c_str(), &data));
    if (!find) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(data.cFileName);
    } while (FindNextFileW(find.Get(), &data));
    return names;
}

ui::TComPtr<IShellLinkW> NewShellLink() {
    ui::TComPtr<IShellLinkW> link;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(link.Put()));
    return link;
}

}  // namespace

std::wstring ShortcutTarget(const std::wstring& shortcut) {
    ui::TComPtr<IShellLinkW> link = NewShellLink();
    ui::TComPtr<IPersistFile> file;
    if (!link || FAILED(link->QueryInterface(IID_PPV_ARGS(file.Put()))) ||
        FAILED(file->Load(shortcut.c_str(), STGM_READ)))
        return {};
    wchar_t target[MAX_PATH]{};
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) return {};
    return target;
}

std::vector<std::wstring> ShortcutFiles(const std::wstring& folder) { return FilesMatching(folder, L"*.lnk"); }

std::vector<std::wstring> FolderFiles(const std::wstring& folder) { return FilesMatching(folder, L"*"); }

bool IsShortcutFile(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    std::wstring stem, extension;
    SplitExtension(NameOf(path), stem, extension);
    return SameText(extension, L".lnk") || SameText(extension, L".url");
}

bool IsNameOrNumbered(const std::wstring& name, const std::wstring& fileName) {
    std::wstring stem, extension, fileStem, fileExtension;
    SplitExtension(name, stem, extension);
    SplitExtension(fileName, fileStem, fileExtension);
    if (!SameText(extension, fileExtension) || stem.size() < fileStem.size() ||
        !SameText(stem.substr(0, fileStem.size()), fileStem))
        return false;
    const std::wstring number = stem.substr(fileStem.size());  // "" or " (2)"
    if (number.empty()) return true;
    if (number.size() < 4 || number.compare(0, 2, L" (") != 0 || number.back() != L')') return false;
    return number.find_first_not_of(L"0123456789", 2) == number.size() - 1;
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
    return FreeFileName(folder, stem, L".lnk");
}

std::wstring FreeFileName(const std::wstring& folder, const std::wstring& stem, const std::wstring& extension) {
    std::wstring name = stem + extension;
    for (int n = 2; GetFileAttributesW(Join(folder, name).c_str()) != INVALID_FILE_ATTRIBUTES; ++n)
        name = stem + L" (" + std::to_wstring(n) + L")" + extension;
    return name;
}

HRESULT SaveShortcut(const std::wstring& path, const std::wstring& target) {
    ui::TComPtr<IShellLinkW> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(link.Put()));
    ui::TComPtr<IPersistFile> file;
    if (SUCCEEDED(hr)) hr = link->SetPath(target.c_str());
    if (SUCCEEDED(hr)) hr = link->QueryInterface(IID_PPV_ARGS(file.Put()));
    if (FAILED(hr)) return hr;
    size_t slash = target.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash > 2) link->SetWorkingDirectory(target.substr(0, slash).c_str());
    // The name was free a moment ago; a file that appeared since is kept.
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);
    return file->Save(path.c_str(), TRUE);
}

std::wstring CreateShortcutIn(const std::wstring& folder, const std::wstring& target, const std::wstring& stem) {
    std::wstring path = Join(folder, stem.empty() ? FreeShortcutName(folder, target) : FreeShortcutNameFor(folder, stem));
    return SUCCEEDED(SaveShortcut(path, target)) ? path : std::wstring{};
}

std::wstring CopyShortcutIn(const std::wstring& folder, const std::wstring& shortcut) {
    std::wstring stem, extension;
    SplitExtension(NameOf(shortcut), stem, extension);
    std::wstring path = Join(folder, FreeFileName(folder, stem, extension));
    // Fails rather than replaces a file that took the name meanwhile.
    if (!CopyFileW(shortcut.c_str(), path.c_str(), TRUE)) return {};
    return path;
}
