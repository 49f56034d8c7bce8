#include "util/FolderMove.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "core/PathText.h"
#include "ui/FileIdentity.h"
#include "ui/Handles.h"
#include "util/uUtils.h"

namespace {

enum class TEntryKind { File, Folder, Link, Unlisted };

// Calls the visitor with each entry's relative path and kind, depth first;
// a folder is entered once its visit returned true. A link is never
// entered: what lies behind it is not the working folder's, and a link to
// a folder above would lead round and round. A folder below the root that
// cannot be listed (no access, a name ending in a dot) is visited once
// more as Unlisted: what cannot be seen is not empty. A visitor that
// returns false ends the whole walk, and so does the walk's result. A
// root that does not exist holds nothing.
template <typename F>
bool WalkIn(const std::wstring& root, const std::wstring& relative, const std::wstring& final, F& visit) {
    const std::wstring folder = Join(root, relative);
    WIN32_FIND_DATAW data{};
    ui::TFindHandleOwner find(FindFirstFileW(Join(folder, L"*").c_str(), &data));
    if (!find) {
        const DWORD error = GetLastError();
        if (!relative.empty()) return visit(relative, TEntryKind::Unlisted);
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = Join(relative, name);
        // Another reparse point (a cloud file's folder, say) is the user's
        // data, but is not entered either: it moves whole, as a file does.
        const DWORD attributes = data.dwFileAttributes;
        const TEntryKind kind = ui::IsListedLink(folder, final, data) ? TEntryKind::Link
                                : (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)
                                    ? TEntryKind::Folder
                                    : TEntryKind::File;
        if (!visit(path, kind)) return false;
        // Not a link, so it resolves to its own place below the root's.
        if (kind == TEntryKind::Folder && !WalkIn(root, path, Join(final, name), visit)) return false;
    } while (FindNextFileW(find.Get(), &data));
    return true;
}

template <typename F>
bool Walk(const std::wstring& root, F&& visit) {
    return WalkIn(root, L"", ui::FinalPathOf(root), visit);
}

// Whether the relative path is one of the list, or holds one of them.
bool IsOrHolds(const std::wstring& path, const std::vector<std::wstring>& list) {
    return std::any_of(list.begin(), list.end(), [&](const std::wstring& entry) {
        return entry == path || (entry.size() > path.size() && entry.compare(0, path.size(), path) == 0 &&
                                 entry[path.size()] == L'\\');
    });
}

// Moves one level of the source into the target, as MoveWorkingFolder
// says; relative names the level, kept what stays where it is.
void MergeLevel(const std::wstring& source, const std::wstring& target, const std::wstring& relative,
                const std::vector<std::wstring>& kept) {
    const std::wstring fromFolder = Join(source, relative), toFolder = Join(target, relative);
    std::wstring from;
    WIN32_FIND_DATAW data{};
    ui::TFindHandleOwner find(FindFirstFileW(Join(fromFolder, L"*").c_str(), &data));
    if (!find) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = Join(relative, name), to = Join(toFolder, name);
        if (std::find(kept.begin(), kept.end(), path) != kept.end()) continue;
        // A reparse point that is no link goes whole, as a file does.
        const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                            !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
        const DWORD there = GetFileAttributesW(to.c_str());
        if (there == INVALID_FILE_ATTRIBUTES) {
            if (!folder || !IsOrHolds(path, kept)) {
                from += Join(fromFolder, name);
                from.push_back(L'\0');
            } else if (CreateDirectoryW(to.c_str(), nullptr)) {
                MergeLevel(source, target, path, kept);  // around what stays
            }
        } else if ((there & FILE_ATTRIBUTE_DIRECTORY) && folder && !ui::IsLinkPath(to)) {
            // A link of the target's is not the target's folder to fill.
            MergeLevel(source, target, path, kept);
        }
    } while (FindNextFileW(find.Get(), &data));
    if (from.empty()) return;
    from.push_back(L'\0');
    std::wstring to = toFolder;
    to.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_MOVE;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = FOF_SILENT;
    SHFileOperationW(&op);
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
    Walk(folder, [&](const std::wstring& path, TEntryKind kind) {
        if (kind != TEntryKind::Unlisted) entries.push_back(path);
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
    return !Walk(folder, [](const std::wstring&, TEntryKind kind) { return kind == TEntryKind::Folder; });
}

bool HoldsLinks(const std::wstring& folder) {
    return !Walk(folder, [](const std::wstring&, TEntryKind kind) {
        return kind != TEntryKind::Link && kind != TEntryKind::Unlisted;
    });
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
    // A working folder that is itself a link is the user's link.
    if (ui::IsLinkPath(previous)) return false;
    if (FoldersOverlap(previous, current)) return false;
    if (!EntriesMissing(entries, current).empty()) return false;
    // Whatever is left must be a folder that exists in the current one too.
    return Walk(previous, [&](const std::wstring& path, TEntryKind kind) {
        return kind == TEntryKind::Folder && GetFileAttributesW(Join(current, path).c_str()) != INVALID_FILE_ATTRIBUTES;
    });
}

void MoveWorkingFolder(const std::wstring& source, const std::wstring& target) {
    // Links stay where they are, and so do folders that cannot be listed
    // (they may hold one): the shell walks through a link as through a
    // folder, and under Wine it moves what a link leads to.
    std::vector<std::wstring> kept;
    Walk(source, [&](const std::wstring& path, TEntryKind kind) {
        if (kind == TEntryKind::Link || kind == TEntryKind::Unlisted) kept.push_back(path);
        return true;
    });
    const bool targetThere = GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!targetThere && kept.empty() && !ui::IsLinkPath(source)) {
        MoveFolder(source, target);
        return;
    }
    // Into an existing folder the shell would nest the folder, or move
    // nothing, and some shells replace files there without asking; and
    // around what stays, the folder cannot go whole. So the entries go one
    // level at a time: a folder that exists there too is merged, a file
    // that exists there stays where it is, a folder that holds what stays
    // is made there and merged, and all others move in one operation.
    if (!targetThere && SHCreateDirectoryExW(nullptr, target.c_str(), nullptr) != ERROR_SUCCESS) return;
    MergeLevel(source, target, L"", kept);
}
