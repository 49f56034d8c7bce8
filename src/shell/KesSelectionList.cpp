#include "shell/KesSelectionList.h"

#include <algorithm>

#include "core/PathText.h"
#include "shell/ShellBrowser.h"
#include "ui/Application.h"
#include "ui/ErrorLog.h"
#include "ui/FolderHandles.h"
#include "ui/Handles.h"

namespace {

constexpr UINT kTotalsReady = WM_APP + 61;

bool SamePath(const std::wstring& a, const std::wstring& b) { return a.size() == b.size() && Upper(a) == Upper(b); }

// Whether the path lies below the folder (not the folder itself).
bool Below(const std::wstring& path, const std::wstring& folder) {
    if (path.size() <= folder.size() + 1) return false;
    const bool rootLike = !folder.empty() && folder.back() == L'\\';
    const size_t cut = rootLike ? folder.size() : folder.size() + 1;
    return SamePath(path.substr(0, folder.size()), folder) && (rootLike || path[folder.size()] == L'\\') && path.size() > cut;
}

bool IsFolderEntry(const std::wstring& entry) { return entry.size() > 2 && entry.compare(entry.size() - 2, 2, L"\\*") == 0; }
std::wstring FolderOf(const std::wstring& entry) { return entry.substr(0, entry.size() - 2); }

std::wstring ParentOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return {};
    if (slash == 2 && path.size() > 3) return path.substr(0, 3);  // "C:\"
    if (slash < 2) return {};
    return path.substr(0, slash);
}

bool IsFolder(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// The children of a folder, as full paths.
std::vector<std::wstring> Children(const std::wstring& folder) {
    std::vector<std::wstring> children;
    WIN32_FIND_DATAW data{};
    const ui::TFolderHandleMark open(folder);  // counted until the listing closes
    ui::TFindHandleOwner find(FindFirstFileW(Join(folder, L"*").c_str(), &data));
    if (!find) return children;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") children.push_back(Join(folder, name));
    } while (FindNextFileW(find.Get(), &data));
    return children;
}

}  // namespace

// ---------------------------------------------------------------------------
// TKesFolderSizeThread

TKesFolderSizeThread::TKesFolderSizeThread(std::vector<std::wstring> paths, TDone done)
    : FPaths(std::move(paths)), FDone(std::move(done)) {
    FWindow = std::make_unique<ui::TMessageWindow>(L"TKesFolderSizeThread", kTotalsReady,
                                                   [this](WPARAM, LPARAM) { TotalsReady(); });
    FThread = std::thread([this, window = FWindow->Handle()] {
        // Nothing leaves a thread's entry: a count that fails is logged and
        // gives no totals.
        try {
            for (const std::wstring& path : FPaths) {
                if (FCancel) return;
                Add(path);
            }
            if (!FCancel) PostMessageW(window, kTotalsReady, 0, 0);
        } catch (...) {
            ui::LogException(L"TKesFolderSizeThread", L"Execute");
        }
    });
}

TKesFolderSizeThread::~TKesFolderSizeThread() {
    FCancel = true;
    if (FThread.joinable()) FThread.join();
    // A report posted meanwhile goes with the window.
    FWindow.reset();
}

void TKesFolderSizeThread::Add(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info)) return;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        FBytes += (static_cast<int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        ++FFiles;
        return;
    }
    // A link to a folder is not entered: what it leads to is counted where
    // it lies, and a link to a folder above would count for ever. (Wine
    // marks its links to folders as reparse points too.)
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return;
    for (const std::wstring& child : Children(path)) {
        if (FCancel) return;
        Add(child);
    }
}

void TKesFolderSizeThread::TotalsReady() {
    try {
        // The worker has ended: its totals are ours to read.
        if (FThread.joinable()) FThread.join();
        // A handler that changes the list lets this object go: it runs
        // from a copy, not from the member, and nothing of this object is
        // read after it.
        const TDone done = FDone;
        if (done) done(FBytes, FFiles);
    } catch (...) {
        ui::LogException(L"TKesFolderSizeThread", L"WindowProc");
        throw;  // and on to the window's guard, which tells the application
    }
}

// ---------------------------------------------------------------------------
// TKesSelectionList

std::wstring TKesSelectionList::Normalize(const std::wstring& path) {
    if (path.empty()) return {};
    wchar_t full[32768];
    DWORD n = GetFullPathNameW(path.c_str(), 32768, full, nullptr);
    std::wstring out = n > 0 && n < 32768 ? std::wstring(full, n) : path;
    while (out.size() > 3 && out.back() == L'\\') out.pop_back();
    return out;
}

TKesSelectionState TKesSelectionList::State(const std::wstring& path) const {
    const std::wstring p = Normalize(path);
    if (p.empty() || GetFileAttributesW(p.c_str()) == INVALID_FILE_ATTRIBUTES) return ssNone;
    bool below = false;
    for (const std::wstring& entry : FPaths) {
        if (IsFolderEntry(entry)) {
            const std::wstring folder = FolderOf(entry);
            if (SamePath(folder, p) || Below(p, folder)) return ssChecked;
            if (Below(folder, p)) below = true;
        } else {
            if (SamePath(entry, p)) return ssChecked;
            if (Below(entry, p)) below = true;
        }
    }
    return below ? ssGrayed : ssUnChecked;
}

void TKesSelectionList::Add(const std::wstring& entry) { FPaths.push_back(entry); }

void TKesSelectionList::RemoveBelow(const std::wstring& folder) {
    FPaths.erase(std::remove_if(FPaths.begin(), FPaths.end(),
                                [&](const std::wstring& e) {
                                    const std::wstring item = IsFolderEntry(e) ? FolderOf(e) : e;
                                    return SamePath(item, folder) || Below(item, folder);
                                }),
                 FPaths.end());
}

void TKesSelectionList::Fold(std::wstring folder) {
    while (!folder.empty() && folder.size() > 3) {
        std::vector<std::wstring> children = Children(folder);
        if (children.empty()) return;
        for (const std::wstring& child : children)
            if (State(child) != ssChecked) return;
        RemoveBelow(folder);
        Add(folder + L"\\*");
        folder = ParentOf(folder);
    }
}

void TKesSelectionList::Check(const std::wstring& path) {
    const std::wstring p = Normalize(path);
    const TKesSelectionState state = State(p);
    if (state == ssNone || state == ssChecked) return;
    if (IsFolder(p)) {
        RemoveBelow(p);
        Add(p + L"\\*");
    } else {
        Add(p);
    }
    Fold(ParentOf(p));
    Changed();
}

void TKesSelectionList::Uncheck(const std::wstring& path) {
    const std::wstring p = Normalize(path);
    const TKesSelectionState state = State(p);
    if (state == ssNone || state == ssUnChecked) return;
    // The checked ancestor, if the item is covered by one: unfold it level by
    // level, keeping every sibling on the way checked.
    std::wstring covering;
    for (const std::wstring& entry : FPaths)
        if (IsFolderEntry(entry) && Below(p, FolderOf(entry))) covering = FolderOf(entry);
    RemoveBelow(p);
    if (!covering.empty()) {
        FPaths.erase(std::remove_if(FPaths.begin(), FPaths.end(),
                                    [&](const std::wstring& e) { return IsFolderEntry(e) && SamePath(FolderOf(e), covering); }),
                     FPaths.end());
        std::wstring level = covering;
        while (!SamePath(level, p)) {
            // The child of this level on the way to the item.
            std::wstring rest = p.substr(level.size() + (level.back() == L'\\' ? 0 : 1));
            std::wstring next = Join(level, rest.substr(0, rest.find(L'\\')));
            for (const std::wstring& child : Children(level))
                if (!SamePath(child, next)) Add(IsFolder(child) ? child + L"\\*" : child);
            level = next;
        }
    }
    Changed();
}

void TKesSelectionList::Clear() {
    FPaths.clear();
    Changed();
}

void TKesSelectionList::Changed() {
    FCounter.reset();
    FTotalsExact = false;
    if (!Suspended && OnChange) OnChange();
}

void TKesSelectionList::StopTotals() {
    FCounter.reset();
    FTotalsExact = false;
}

void TKesSelectionList::StartTotals() {
    std::vector<std::wstring> items;
    for (const std::wstring& entry : FPaths) items.push_back(IsFolderEntry(entry) ? FolderOf(entry) : entry);
    FTotalsExact = false;
    FCounter = std::make_unique<TKesFolderSizeThread>(std::move(items), [this](int64_t bytes, int64_t files) {
        FBytes = bytes;
        FFiles = files;
        FTotalsExact = true;
        if (OnTotals) OnTotals();
    });
}
