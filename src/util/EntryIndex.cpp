#include "util/EntryIndex.h"

#include <algorithm>
#include <map>
#include <set>

#include "core/FindFold.h"
#include "core/PathText.h"
#include "ui/ErrorLog.h"
#include "ui/FolderHandles.h"
#include "ui/Handles.h"
#include "ui/WindowProc.h"

namespace {

constexpr UINT WM_INDEX_CHANGED = WM_APP + 0x3B1;

bool SameName(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// Whether a file's name ends in an extension the tree does not show.
bool HasHiddenExtension(std::wstring_view name) {
    if (name.size() <= 4) return false;
    const std::wstring_view ext = name.substr(name.size() - 4);
    return SameName(ext, L".lnk") || SameName(ext, L".url");
}

bool SameTime(const FILETIME& a, const FILETIME& b) noexcept {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// A folder to enter: a folder that is no link to somewhere else.
bool IsEnteredFolder(DWORD attributes) noexcept {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The index's keys: paths below the working folder as listed, "" for it.
std::wstring ChildKey(const std::wstring& key, const std::wstring& name) {
    return key.empty() ? name : key + L'\\' + name;
}

std::wstring ParentKey(const std::wstring& key) {
    const size_t slash = key.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : key.substr(0, slash);
}

// The path below root, without separators at either end; false when the
// path is not the root or below it.
bool RelativeTo(const std::wstring& root, const std::wstring& path, std::wstring& relative) {
    if (!ui::PathInside(path, root)) return false;
    size_t start = std::min(root.size(), path.size()), end = path.size();
    while (start < end && path[start] == L'\\') ++start;
    while (end > start && path[end - 1] == L'\\') --end;
    relative = path.substr(start, end - start);
    return true;
}

// One folder as listed: its entries as the tree shows them, the folders to
// enter below it, and a digest that tells whether a later listing reads
// the same. Kept by the worker and reused, so that listing allocates little.
struct TListing {
    std::vector<std::wstring> Names;
    std::vector<size_t> ShownLengths;
    std::vector<TFindName> Shown;
    std::vector<std::pair<std::wstring, FILETIME>> SubFolders;  // their names
    uint64_t Digest = 0;
};

void ListFolder(const std::wstring& folder, TListing& out) {
    out.Names.clear();
    out.ShownLengths.clear();
    out.Shown.clear();
    out.SubFolders.clear();
    uint64_t digest = 14695981039346656037u;  // FNV-1a
    auto mix = [&digest](uint32_t unit) { digest = (digest ^ unit) * 1099511628211u; };
    const std::wstring pattern = Join(folder, L"*");
    WIN32_FIND_DATAW data{};
    const ui::TFolderHandleMark open(folder);  // counted until the listing closes
    ui::TFindHandleOwner find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                               FIND_FIRST_EX_LARGE_FETCH));
    if (!find && GetLastError() == ERROR_INVALID_PARAMETER) find.Reset(FindFirstFileW(pattern.c_str(), &data));
    if (find) do {
            const wchar_t* name = data.cFileName;
            if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
            if (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
            const std::wstring& kept = out.Names.emplace_back(name);
            const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const bool entered = IsEnteredFolder(data.dwFileAttributes);
            out.ShownLengths.push_back(!isFolder && HasHiddenExtension(kept) ? kept.size() - 4 : kept.size());
            for (const wchar_t c : kept) mix(c);
            mix(entered ? 0x10000u : 0x10001u);  // beyond any unit: the name's end, and whether it is entered
            if (entered) out.SubFolders.emplace_back(kept, data.ftLastWriteTime);
        } while (FindNextFileW(find.Get(), &data));
    out.Digest = digest;
    for (size_t i = 0; i < out.Names.size(); ++i) out.Shown.push_back({out.Names[i], out.ShownLengths[i]});
}

}  // namespace

struct TEntryIndex::TFolders {
    struct TState {
        FILETIME LastWrite{};  // from before the listing: a change made meanwhile shows as a newer time
        uint64_t Digest = 0;
    };
    // Keyed as listed, not folded: where the file system keeps cases
    // apart, "Kit" and "kit" are two folders.
    std::map<std::wstring, TState> Lists;
    std::shared_ptr<const TSnapshot> Published;
    // The published table as changed by this pass, until it is published.
    std::unique_ptr<TFindTable> Working;
    unsigned Generation = 0;
    bool Valid = false;
    bool Changed = false;  // in this pass
    TListing Listing;

    void Reset() {
        Lists.clear();
        Published.reset();
        Working.reset();
        Valid = false;
    }

    // The table to change: one copy of the published table a pass, and
    // only when something changes, so that at rest one table is held.
    TFindTable& Table() {
        if (!Working)
            Working = Published ? std::make_unique<TFindTable>(Published->Table) : std::make_unique<TFindTable>();
        Changed = true;
        return *Working;
    }

    // Calls f with every known folder right below the key's.
    template <typename F>
    void EachChild(const std::wstring& key, F&& f) const {
        const std::wstring prefix = key.empty() ? std::wstring() : key + L'\\';
        for (auto it = Lists.lower_bound(prefix); it != Lists.end() && it->first.compare(0, prefix.size(), prefix) == 0;
             ++it)
            if (!it->first.empty() && it->first.find(L'\\', prefix.size()) == std::wstring::npos)
                f(it->first, it->first.size() - prefix.size());
    }

    // Forgets a folder below the root and everything below it.
    void Forget(const std::wstring& key) {
        if (Lists.erase(key)) Table().RemoveFolder(key);
        const std::wstring prefix = key + L'\\';
        for (auto it = Lists.lower_bound(prefix); it != Lists.end() && it->first.compare(0, prefix.size(), prefix) == 0;) {
            Table().RemoveFolder(it->first);
            it = Lists.erase(it);
        }
    }

    // The key of the known folder at the path below the root, compared
    // without case where the exact name is unknown; false with the deepest
    // known folder on the way when the path leads to none.
    bool Resolve(const std::wstring& relative, std::wstring& key) const {
        key.clear();
        for (size_t start = 0; start < relative.size();) {
            const size_t slash = std::min(relative.find(L'\\', start), relative.size());
            const std::wstring name = relative.substr(start, slash - start);
            std::wstring next = ChildKey(key, name);
            if (!Lists.count(next)) {
                next.clear();
                EachChild(key, [&](const std::wstring& child, size_t nameLength) {
                    if (next.empty() && SameName(std::wstring_view(child).substr(child.size() - nameLength), name))
                        next = child;
                });
                if (next.empty()) return false;
            }
            key = std::move(next);
            start = slash + 1;
        }
        return true;
    }

    // Lists the folder and everything below it; false when cancelled.
    template <typename C>
    bool Scan(const std::wstring& root, const std::wstring& key, const FILETIME& lastWrite, C&& cancelled) {
        std::vector<std::pair<std::wstring, FILETIME>> pending{{key, lastWrite}};
        while (!pending.empty()) {
            if (cancelled()) return false;
            const auto [next, time] = std::move(pending.back());
            pending.pop_back();
            ListFolder(Join(root, next), Listing);
            Table().SetFolder(next, Listing.Shown);
            Lists[next] = {time, Listing.Digest};
            for (const auto& [name, subTime] : Listing.SubFolders) pending.emplace_back(ChildKey(next, name), subTime);
        }
        return true;
    }

    // Lists a known folder again, with what appeared or went below it:
    // 1 when anything Find offers changed, 0 when not, -1 when cancelled.
    template <typename C>
    int Relist(const std::wstring& root, const std::wstring& key, const FILETIME& lastWrite, C&& cancelled) {
        ListFolder(Join(root, key), Listing);
        // A name can stay while what it names changes: a folder that was
        // let go of and is back.
        const bool allKnown = std::all_of(Listing.SubFolders.begin(), Listing.SubFolders.end(),
                                          [&](const auto& sub) { return Lists.count(ChildKey(key, sub.first)) != 0; });
        TState& state = Lists[key];
        if (allKnown && state.Digest == Listing.Digest) {
            state.LastWrite = lastWrite;
            return 0;
        }
        state = {lastWrite, Listing.Digest};
        Table().SetFolder(key, Listing.Shown);
        std::vector<std::pair<std::wstring, FILETIME>> subs = std::move(Listing.SubFolders);
        Listing.SubFolders.clear();
        std::sort(subs.begin(), subs.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        auto entered = [&](std::wstring_view name) {
            const auto it = std::lower_bound(subs.begin(), subs.end(), name,
                                             [](const auto& sub, std::wstring_view n) { return sub.first < n; });
            return it != subs.end() && it->first == name;
        };
        std::vector<std::wstring> gone;
        EachChild(key, [&](const std::wstring& child, size_t nameLength) {
            if (!entered(std::wstring_view(child).substr(child.size() - nameLength))) gone.push_back(child);
        });
        for (const std::wstring& child : gone) Forget(child);
        for (const auto& [name, time] : subs) {
            const std::wstring child = ChildKey(key, name);
            if (!Lists.count(child) && !Scan(root, child, time, cancelled)) return -1;
        }
        return 1;
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

void TEntryIndex::CallUp() {
    bool started = false;
    {
        std::lock_guard<std::mutex> lock(FMutex);
        started = FWorker.joinable();
    }
    // Never built yet, the index lists the folder whatever reports.
    if (!FSubtreeReported || !started) Refresh();
}

void TEntryIndex::SetSubtreeReported(bool value) { FSubtreeReported = value; }

void TEntryIndex::Changed(const std::vector<std::wstring>& paths) {
    if (paths.empty()) return;
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FReported.insert(FReported.end(), paths.begin(), paths.end());
        if (!FWorker.joinable()) FWorker = std::thread([this] { Run(); });
    }
    FWake.notify_all();
}

bool TEntryIndex::WaitIdle(DWORD ms) {
    std::unique_lock<std::mutex> lock(FMutex);
    return FIdle.wait_for(lock, std::chrono::milliseconds(ms),
                          [this] { return !FRequested && FReported.empty() && !FBusy; });
}

std::vector<TEntryMatch> TEntryIndex::Find(const std::wstring& text, const std::vector<std::wstring>& recent,
                                           const std::vector<std::wstring>& shownFolders, size_t most) const {
    std::shared_ptr<const TSnapshot> snapshot;
    {
        std::lock_guard<std::mutex> lock(FMutex);
        snapshot = FSnapshot;
    }
    std::vector<TEntryMatch> matches;
    if (!snapshot || text.empty()) return matches;
    const TFindTable& table = snapshot->Table;
    for (const TFindHit& hit : BestMatches(table, text, recent, shownFolders, most)) {
        TEntryMatch& match = matches.emplace_back();
        match.Path = Join(snapshot->Root, table.RelativePath(hit.Entry));
        match.Name = table.Name(hit.Entry);
        match.Folder = findfold::DecodeText(table.FolderPath(table.FolderOf(hit.Entry)));
    }
    return matches;
}

size_t TEntryIndex::Count() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return FSnapshot ? FSnapshot->Table.Count() : 0;
}

size_t TEntryIndex::TableBytes() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return FSnapshot ? FSnapshot->Table.Bytes() : 0;
}

void TEntryIndex::SetRoot(std::wstring root) {
    {
        std::lock_guard<std::mutex> lock(FMutex);
        if (SameName(root, FRoot)) return;
        FRoot = std::move(root);
        ++FGeneration;
        FSnapshot.reset();
        FReported.clear();
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
        FWake.wait(lock, [this] { return FStop || FRequested || !FReported.empty(); });
        if (FStop) break;
        const bool whole = FRequested;
        FRequested = false;
        std::vector<std::wstring> reported;
        reported.swap(FReported);
        FBusy = true;
        const std::wstring root = FRoot;
        const unsigned generation = FGeneration;
        lock.unlock();
        try {
            if (whole)
                RefreshFolders(root, generation);
            else
                ListChanged(root, generation, reported);
        } catch (...) {
            FFolders->Valid = false;  // lists half done: start over next time
            FFolders->Working.reset();
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
    auto stop = [&folders] {
        folders.Valid = false;
        folders.Working.reset();
    };
    folders.Changed = false;
    if (!folders.Valid || folders.Generation != generation) {
        folders.Reset();
        folders.Generation = generation;
        folders.Valid = true;
        folders.Changed = true;
    }
    WIN32_FILE_ATTRIBUTE_DATA rootData{};
    const bool rootThere = GetFileAttributesExW(root.c_str(), GetFileExInfoStandard, &rootData) &&
                           (rootData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!rootThere) {
        if (!folders.Lists.empty()) {
            folders.Lists.clear();
            folders.Working = std::make_unique<TFindTable>();
            folders.Changed = true;
        }
    } else if (folders.Lists.empty()) {
        if (!folders.Scan(root, L"", rootData.ftLastWriteTime, cancelled)) return stop();
    } else {
        std::wstring key;
        for (auto it = folders.Lists.begin(); it != folders.Lists.end();) {
            if (cancelled()) return stop();
            key = it->first;
            WIN32_FILE_ATTRIBUTE_DATA data = rootData;
            if (!key.empty() &&
                (!GetFileAttributesExW(Join(root, key).c_str(), GetFileExInfoStandard, &data) ||
                 !IsEnteredFolder(data.dwFileAttributes))) {
                // Gone, or no longer a folder to enter; its parent's list
                // follows when the parent's time changed.
                folders.Forget(key);
                it = folders.Lists.lower_bound(key);
                continue;
            }
            if (!SameTime(data.ftLastWriteTime, it->second.LastWrite) &&
                folders.Relist(root, key, data.ftLastWriteTime, cancelled) < 0)
                return stop();
            it = folders.Lists.upper_bound(key);
        }
    }
    if (folders.Changed) Publish(root, generation);
}

void TEntryIndex::ListChanged(const std::wstring& root, unsigned generation, const std::vector<std::wstring>& paths) {
    TFolders& folders = *FFolders;
    if (!folders.Valid || folders.Generation != generation || folders.Lists.empty())
        return RefreshFolders(root, generation);
    folders.Changed = false;
    // The folder that holds each entry, and the entry when it is a known
    // folder; where the path leads to no known folder, the deepest one on
    // its way (a folder new there shows in that one's listing).
    std::set<std::wstring> targets;
    std::wstring relative, key;
    for (const std::wstring& path : paths) {
        if (!RelativeTo(root, path, relative)) continue;
        if (!relative.empty()) {
            if (folders.Resolve(relative, key)) targets.insert(key);
            folders.Resolve(ParentKey(relative), key);
        } else {
            key.clear();
        }
        targets.insert(key);
    }
    for (const std::wstring& target : targets) {  // a folder before those below it
        if (Cancelled(generation)) {
            folders.Valid = false;
            folders.Working.reset();
            return;
        }
        if (!folders.Lists.count(target)) continue;  // went with a folder above it
        WIN32_FILE_ATTRIBUTE_DATA data{};
        const bool there = GetFileAttributesExW(Join(root, target).c_str(), GetFileExInfoStandard, &data) &&
                           (target.empty() ? (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                                           : IsEnteredFolder(data.dwFileAttributes));
        if (!there) {
            if (target.empty()) return RefreshFolders(root, generation);  // the working folder went
            folders.Forget(target);
            continue;
        }
        if (folders.Relist(root, target, data.ftLastWriteTime, [this, generation] { return Cancelled(generation); }) <
            0) {
            folders.Valid = false;
            folders.Working.reset();
            return;
        }
    }
    if (folders.Changed) Publish(root, generation);
}

void TEntryIndex::Publish(const std::wstring& root, unsigned generation) {
    TFolders& folders = *FFolders;
    // A copy takes only the bytes in use; the working table with its room
    // to grow goes.
    std::shared_ptr<const TSnapshot> snapshot =
        std::make_shared<const TSnapshot>(TSnapshot{root, folders.Working ? *folders.Working : TFindTable()});
    folders.Working.reset();
    folders.Published = snapshot;
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
