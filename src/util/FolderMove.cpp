#include "util/FolderMove.h"

#include <windows.h>
#include <shellapi.h>

#include "ui/Handles.h"
#include "util/uUtils.h"

namespace {

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    if (name.empty()) return folder;
    if (folder.empty()) return name;
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

// Calls the visitor with each entry's relative path and whether it is a folder.
template <typename F>
void Walk(const std::wstring& root, const std::wstring& relative, F&& visit) {
    WIN32_FIND_DATAW data{};
    ui::TFindHandleOwner find(FindFirstFileW(Join(Join(root, relative), L"*").c_str(), &data));
    if (!find) return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = Join(relative, name);
        const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!visit(path, folder)) return;
        if (folder) Walk(root, path, visit);
    } while (FindNextFileW(find.Get(), &data));
}

}  // namespace

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> entries;
    Walk(folder, L"", [&](const std::wstring& path, bool) {
        entries.push_back(path);
        return true;
    });
    return entries;
}

std::vector<std::wstring> EntriesMissing(const std::vector<std::wstring>& entries, const std::wstring& folder) {
    std::vector<std::wstring> missing;
    for (const std::wstring& entry : entries)
        if (GetFileAttributesW(Join(folder, entry).c_str()) == INVALID_FILE_ATTRIBUTES) missing.push_back(entry);
    return missing;
}

bool HoldsFiles(const std::wstring& folder) {
    bool found = false;
    Walk(folder, L"", [&](const std::wstring&, bool isFolder) {
        found = !isFolder;
        return !found;
    });
    return found;
}

void MoveWorkingFolder(const std::wstring& source, const std::wstring& target) {
    if (GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
        MoveFolder(source, target);
        return;
    }
    // Into an existing folder the shell would nest the folder, or move
    // nothing, and some shells replace files there without asking. So the
    // entries go one level at a time: a folder that exists there too is
    // merged, a file that exists there stays where it is, and all others
    // move in one operation.
    std::wstring from;
    WIN32_FIND_DATAW data{};
    ui::TFindHandleOwner find(FindFirstFileW(Join(source, L"*").c_str(), &data));
    if (!find) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const DWORD there = GetFileAttributesW(Join(target, name).c_str());
        if (there == INVALID_FILE_ATTRIBUTES) {
            from += Join(source, name);
            from.push_back(L'\0');
        } else if ((there & FILE_ATTRIBUTE_DIRECTORY) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            MoveWorkingFolder(Join(source, name), Join(target, name));
        }
    } while (FindNextFileW(find.Get(), &data));
    if (from.empty()) return;
    from.push_back(L'\0');
    std::wstring to = target;
    to.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_MOVE;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = FOF_SILENT;
    SHFileOperationW(&op);
}
