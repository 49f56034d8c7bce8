#include "util/FolderMove.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "core/PathText.h"
#include "ui/FileIdentity.h"
#include "ui/Handles.h"
#include "util/uUtils.h"

namespace {

// Calls the visitor with each entry's relative path and whether it is a
// folder, depth first; a visitor that returns false ends the whole walk,
// and so does the walk's result. A folder below the root that cannot be
// listed (no access, a name ending in a dot) ends it too: what cannot be
// seen is not empty. A root that does not exist holds nothing.
template <typename F>
bool Walk(const std::wstring& root, const std::wstring& relative, F&& visit) {
    WIN32_FIND_DATAW data{};
    ui::TFindHandleOwner find(FindFirstFileW(Join(Join(root, relative), L"*").c_str(), &data));
    if (!find) {
        const DWORD error = GetLastError();
        return relative.empty() && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND);
    }
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = Join(relative, name);
        const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!visit(path, folder)) return false;
        if (folder && !Walk(root, path, visit)) return false;
    } while (FindNextFileW(find.Get(), &data));
    return true;
}

// The full path in capitals, long names, no trailing separator (a drive's
// root keeps its own); for folders whose identity cannot be had.
std::wstring NormalPath(const std::wstring& path) {
    std::wstring full(MAX_PATH, L'\0');
    DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n >= full.size()) {
        full.resize(n);
        n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    full.resize(n < full.size() ? n : 0);
    if (full.empty()) full = path;
    std::wstring longer(full.size() + MAX_PATH, L'\0');
    n = GetLongPathNameW(full.c_str(), longer.data(), static_cast<DWORD>(longer.size()));
    if (n > 0 && n < longer.size()) full.assign(longer.data(), n);
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
    CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
    return full;
}

// The folder that holds a path, by its text; empty for a root.
std::wstring ParentOf(const std::wstring& path) {
    const std::wstring p = NormalPath(path);
    const size_t slash = p.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash + 1 >= p.size()) return {};
    // A share's root "\\server\share" has no parent of its own.
    if (p.compare(0, 2, L"\\\\") == 0 && std::count(p.begin(), p.end(), L'\\') <= 3) return {};
    if (slash == 2 && p[1] == L':') return p.substr(0, 3);  // "C:\x" lies in "C:\"
    return p.substr(0, slash);
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
    // The walk ends at the first file, wherever it lies.
    return !Walk(folder, L"", [](const std::wstring&, bool isFolder) { return isFolder; });
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    if (a.empty() || b.empty()) return false;
    ui::TFileIdentity x, y;
    if (ui::FileIdentityOf(a, x) && ui::FileIdentityOf(b, y)) return x == y;
    return NormalPath(a) == NormalPath(b);
}

bool FolderWithin(const std::wstring& inner, const std::wstring& outer) {
    if (inner.empty() || outer.empty()) return false;
    std::wstring p = inner;
    // Bounded: a path has fewer levels than characters.
    for (size_t level = 0; !p.empty() && level <= inner.size(); ++level) {
        if (SameFolder(p, outer)) return true;
        p = ParentOf(p);
    }
    return false;
}

bool FoldersOverlap(const std::wstring& a, const std::wstring& b) { return FolderWithin(a, b) || FolderWithin(b, a); }

bool MayRemovePreviousFolder(const std::wstring& previous, const std::wstring& current,
                             const std::vector<std::wstring>& entries) {
    const DWORD attributes = GetFileAttributesW(previous.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (FoldersOverlap(previous, current)) return false;
    if (!EntriesMissing(entries, current).empty()) return false;
    // Whatever is left must be a folder that exists in the current one too.
    return Walk(previous, L"", [&](const std::wstring& path, bool isFolder) {
        return isFolder && GetFileAttributesW(Join(current, path).c_str()) != INVALID_FILE_ATTRIBUTES;
    });
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
