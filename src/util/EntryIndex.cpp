#include "util/EntryIndex.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "core/PathText.h"
#include "ui/ErrorLog.h"
#include "ui/FolderHandles.h"
#include "ui/Handles.h"
#include "ui/WindowProc.h"

namespace {

constexpr UINT WM_INDEX_CHANGED = WM_APP + 0x3B1;
// The most matches Find offers to its caller for one text.
constexpr size_t kMostOffered = 8;

// Folded for comparing without case, as the rest of the program folds.
std::wstring Fold(std::wstring text) {
    if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Whether a file's name ends in an extension the tree does not show.
bool HasHiddenExtension(std::wstring_view foldedName) {
    if (foldedName.size() <= 4) return false;
    const std::wstring_view ext = foldedName.substr(foldedName.size() - 4);
    return ext == L".lnk" || ext == L".url";
}

bool SameTime(const FILETIME& a, const FILETIME& b) noexcept {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

}  // namespace

// One folder as listed, with its last-write time from before the listing:
// a change made during the listing shows as a newer time later. Its entries
// live in the published snapshot; a listing not yet published holds them.
struct TFolderList {
    std::wstring Relative;
    FILETIME LastWrite{};
    struct TSub {
        std::wstring Relative;
        FILETIME LastWrite;
    };
    std::vector<TSub> SubFolders;  // those to enter: shown, and not reparse points
    size_t First = 0, Count = 0;   // its entries in the published snapshot
    bool Listed = false;           // listed since: Fresh holds its entries
    std::vector<TFindEntry> Fresh;
};

struct TEntryIndex::TFolders {
    // Keyed by the relative path as listed, not folded: where the file
    // system keeps cases apart, "Kit" and "kit" are two folders. "" is the
    // working folder.
    std::map<std::wstring, TFolderList> Lists;
    std::shared_ptr<const TSnapshot> Published;
    unsigned Generation = 0;
    bool Valid = false;

    // Lists one folder below root.
    static TFolderList List(const std::wstring& root, const std::wstring& relative, const FILETIME& lastWrite) {
        TFolderList list;
        list.Relative = relative;
        list.LastWrite = lastWrite;
        list.Listed = true;
        const std::wstring pattern = Join(Join(root, relative), L"*");
        WIN32_FIND_DATAW data{};
        const ui::TFolderHandleMark open(Join(root, relative));  // counted until the listing closes
        ui::TFindHandleOwner find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                                   nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!find && GetLastError() == ERROR_INVALID_PARAMETER) find.Reset(FindFirstFileW(pattern.c_str(), &data));
        if (!find) return list;
        auto folder = std::make_shared<TFindFolder>();
        folder->Relative = relative;
        folder->Folded = Fold(relative);
        folder->Depth = relative.empty() ? 0 : static_cast<int>(std::count(relative.begin(), relative.end(), L'\\')) + 1;
        do {
            const wchar_t* name = data.cFileName;
            if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
            if (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
            const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            TFindEntry& e = list.Fresh.emplace_back();
            e.Folder = folder;
            e.FileName.assign(name);
            e.FoldedFileName = Fold(e.FileName);
            e.NameLength = e.FileName.size();
            if (!isFolder && HasHiddenExtension(e.FoldedFileName)) e.NameLength -= 4;
            if (isFolder && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                list.SubFolders.push_back({e.RelativePath(), data.ftLastWriteTime});
        } while (FindNextFileW(find.Get(), &data));
        return list;
    }

    // The folder's entries as Find offers them now.
    const TFindEntry* EntriesOf(const TFolderList& list, size_t& count) const {
        if (list.Listed) {
            count = list.Fresh.size();
            return list.Fresh.data();
        }
        count = list.Count;
        return Published ? Published->Entries.data() + list.First : nullptr;
    }

    // Forgets every folder below the one with this key (not the folder itself).
    void DropBelow(const std::wstring& key) {
        const std::wstring prefix = key.empty() ? std::wstring() : key + L"\\";
        auto it = Lists.lower_bound(prefix);
        while (it != Lists.end() && it->first.compare(0, prefix.size(), prefix) == 0) {
            if (it->first.empty()) {
                ++it;
                continue;
            }
            it = Lists.erase(it);
        }
    }

    // Lists the folder and everything below it; false when cancelled.
    template <typename C>
    bool Scan(const std::wstring& root, const std::wstring& relative, const FILETIME& lastWrite, C&& cancelled) {
        std::vector<TFolderList::TSub> pending{{relative, lastWrite}};
        while (!pending.empty()) {
            if (cancelled()) return false;
            TFolderList::TSub next = std::move(pending.back());
            pending.pop_back();
            TFolderList list = List(root, next.Relative, next.LastWrite);
            pending.insert(pending.end(), list.SubFolders.begin(), list.SubFolders.end());
            Lists[next.Relative] = std::move(list);
        }
        return true;
    }

    // Lists a known folder again, with what appeared or went below it:
    // 1 when anything Find offers changed, 0 when not, -1 when cancelled.
    template <typename C>
    int Relist(const std::wstring& root, const std::wstring& key, const FILETIME& lastWrite, C&& cancelled) {
        TFolderList& old = Lists[key];
        TFolderList fresh = List(root, old.Relative, lastWrite);
        size_t count = 0;
        const TFindEntry* entries = EntriesOf(old, count);
        auto has = [](const std::vector<TFolderList::TSub>& subs, const std::wstring& relative) {
            return std::any_of(subs.begin(), subs.end(), [&](const TFolderList::TSub& s) { return s.Relative == relative; });
        };
        // A name can stay while what it names changes: a file that became
        // a folder, or a folder that was let go of and is back.
        auto known = [&](const TFolderList::TSub& sub) {
            return has(old.SubFolders, sub.Relative) && Lists.count(sub.Relative) != 0;
        };
        if (count == fresh.Fresh.size() && fresh.SubFolders.size() == old.SubFolders.size() &&
            std::all_of(fresh.SubFolders.begin(), fresh.SubFolders.end(), known) &&
            std::equal(fresh.Fresh.begin(), fresh.Fresh.end(), entries,
                       [](const TFindEntry& a, const TFindEntry& b) { return a.FileName == b.FileName; })) {
            old.LastWrite = lastWrite;  // same entries and the same folders below
            return 0;
        }
        for (const TFolderList::TSub& sub : old.SubFolders) {
            if (has(fresh.SubFolders, sub.Relative)) continue;
            DropBelow(sub.Relative);
            Lists.erase(sub.Relative);
        }
        std::vector<TFolderList::TSub> added;
        for (const TFolderList::TSub& sub : fresh.SubFolders)
            if (!known(sub)) added.push_back(sub);
        Lists[key] = std::move(fresh);
        for (const TFolderList::TSub& sub : added) {
            DropBelow(sub.Relative);  // what an earlier folder of that name held
            if (!Scan(root, sub.Relative, sub.LastWrite, cancelled)) return -1;
        }
        return 1;
    }

    // The flat list for Find: listings move in, the rest is copied from
    // the one published before.
    std::shared_ptr<const TSnapshot> Snapshot(const std::wstring& root) {
        auto snapshot = std::make_shared<TSnapshot>();
        snapshot->Root = root;
        size_t total = 0;
        for (const auto& [key, list] : Lists) total += list.Listed ? list.Fresh.size() : list.Count;
        snapshot->Entries.reserve(total);
        for (auto& [key, list] : Lists) {
            const size_t first = snapshot->Entries.size();
            if (list.Listed) {
                std::move(list.Fresh.begin(), list.Fresh.end(), std::back_inserter(snapshot->Entries));
                list.Fresh = {};
                list.Listed = false;
            } else if (Published) {
                const auto begin = Published->Entries.begin() + static_cast<std::ptrdiff_t>(list.First);
                snapshot->Entries.insert(snapshot->Entries.end(), begin, begin + static_cast<std::ptrdiff_t>(list.Count));
            }
            list.First = first;
            list.Count = snapshot->Entries.size() - first;
        }
        Published = snapshot;
        return snapshot;
    }
};

TEntryIndex::TEntryIndex(std::wstring root) : FRoot(std::move(root)), FFolders(std::make_unique<TFolders>()) {
    FWindow = std::make_unique<ui::TMessageWindow>(L"TEntryIndexWindow", WM_INDEX_CHANGED,
                                                   [this](WPARAM, LPARAM) { ChangedMessage(); });
}

TEntryIndex::~TEntryIndex() {
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FStop = true;
    }
    FWake.notify_all();
    if (FWorker.joinable()) FWorker.join();
    FWindow.reset();
}

void TEntryIndex::Refresh() {
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FRequested = true;
        if (!FWorker.joinable()) FWorker = std::thread([this] { Run(); });
    }
    FWake.notify_all();
}

bool TEntryIndex::WaitIdle(DWORD ms) {
    std::unique_lock<std::mutex> lock(FMutex);
    return FIdle.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !FRequested && !FBusy; });
}

std::wstring TEntryIndex::Find(const std::wstring& text, const std::vector<std::wstring>& recent,
                               const std::function<bool(const std::wstring& path)>& take) const {
    std::shared_ptr<const TSnapshot> snapshot;
    {
        std::lock_guard<std::mutex> lock(FMutex);
        snapshot = FSnapshot;
    }
    if (!snapshot || text.empty()) return {};
    // Each refusal may cost the caller a folder read: a keystroke tries a
    // few. Only locals are used from the first offer on.
    for (const size_t best : BestMatches(snapshot->Entries, text, recent, kMostOffered)) {
        std::wstring path = Join(snapshot->Root, snapshot->Entries[best].RelativePath());
        if (!take || take(path)) return path;
    }
    return {};
}

size_t TEntryIndex::Count() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return FSnapshot ? FSnapshot->Entries.size() : 0;
}

void TEntryIndex::SetRoot(std::wstring root) {
    {
        std::lock_guard<std::mutex> lock(FMutex);
        if (Fold(root) == Fold(FRoot)) return;
        FRoot = std::move(root);
        ++FGeneration;
        FSnapshot.reset();
        if (!FWorker.joinable()) return;
        FRequested = true;
    }
    FWake.notify_all();
}

void TEntryIndex::Run() noexcept {
    // The tree and the user come first.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    std::unique_lock<std::mutex> lock(FMutex);
    for (;;) {
        FWake.wait(lock, [this] { return FStop || FRequested; });
        if (FStop) break;
        FRequested = false;
        FBusy = true;
        const std::wstring root = FRoot;
        const unsigned generation = FGeneration;
        lock.unlock();
        try {
            RefreshFolders(root, generation);
        } catch (...) {
            FFolders->Valid = false;  // lists half done: start over next time
            ui::LogException(L"TEntryIndex", L"Refresh");
        }
        lock.lock();
        FBusy = false;
        FIdle.notify_all();
    }
    FBusy = false;
    FIdle.notify_all();
}

bool TEntryIndex::Cancelled(unsigned generation) const noexcept {
    return FStop || FGeneration != generation;
}

void TEntryIndex::RefreshFolders(const std::wstring& root, unsigned generation) {
    TFolders& folders = *FFolders;
    auto cancelled = [this, generation] { return Cancelled(generation); };
    bool changed = false;
    if (!folders.Valid || folders.Generation != generation) {
        folders.Lists.clear();
        folders.Published.reset();
        folders.Generation = generation;
        folders.Valid = true;
        changed = true;
    }
    WIN32_FILE_ATTRIBUTE_DATA rootData{};
    const bool rootThere = GetFileAttributesExW(root.c_str(), GetFileExInfoStandard, &rootData) &&
                           (rootData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!rootThere) {
        changed = changed || !folders.Lists.empty();
        folders.Lists.clear();
    } else if (folders.Lists.empty()) {
        if (!folders.Scan(root, L"", rootData.ftLastWriteTime, cancelled)) {
            folders.Valid = false;
            return;
        }
        changed = true;
    } else {
        std::vector<std::wstring> keys;
        keys.reserve(folders.Lists.size());
        for (const auto& [key, list] : folders.Lists) keys.push_back(key);
        for (const std::wstring& key : keys) {
            if (cancelled()) {
                folders.Valid = false;
                return;
            }
            auto it = folders.Lists.find(key);
            if (it == folders.Lists.end()) continue;  // went with a folder above it
            WIN32_FILE_ATTRIBUTE_DATA data{};
            if (key.empty()) {
                data = rootData;
            } else if (!GetFileAttributesExW(Join(root, it->second.Relative).c_str(), GetFileExInfoStandard, &data) ||
                       !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
                       (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                // Gone, or no longer a folder to enter; its parent's list
                // follows when the parent's time changed.
                folders.DropBelow(key);
                folders.Lists.erase(key);
                changed = true;
                continue;
            }
            if (SameTime(data.ftLastWriteTime, it->second.LastWrite)) continue;
            const int relisted = folders.Relist(root, key, data.ftLastWriteTime, cancelled);
            if (relisted < 0) {
                folders.Valid = false;
                return;
            }
            changed = changed || relisted > 0;
        }
    }
    if (!changed) return;
    std::shared_ptr<const TSnapshot> snapshot = folders.Snapshot(root);
    {
        std::lock_guard<std::mutex> lock(FMutex);
        if (FGeneration != generation) return;  // the working folder changed meanwhile
        FSnapshot = std::move(snapshot);
    }
    if (!FChangePosted.exchange(true) && !PostMessageW(FWindow->Handle(), WM_INDEX_CHANGED, 0, 0))
        FChangePosted = false;
}

void TEntryIndex::ChangedMessage() {
    FChangePosted = false;
    if (OnChanged) OnChanged();
}
