// The search's index of every entry below the working folder: made for the
// folder, kept current without costing a call-up or a key, and let go of
// before the folder moves.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TEntryIndex;
class TSubtreeWatch;

// The path below folder ("" for the folder itself); false when the path
// lies elsewhere. Names compare as the file system does.
bool BelowFolder(const std::wstring& folder, const std::wstring& path, std::wstring& relative);
// The same below the working folder of the live options.
bool BelowWorkingFolder(const std::wstring& path, std::wstring& relative);

class TFindIndex {
public:
    // wholeSubtreeReported: whether one watch on a folder reports every
    // change below it here (the tree's notifier found out at start).
    explicit TFindIndex(std::function<bool()> wholeSubtreeReported);
    ~TFindIndex();
    TFindIndex(const TFindIndex&) = delete;
    TFindIndex& operator=(const TFindIndex&) = delete;

    // The index, null until it is first made or after it was let go of.
    TEntryIndex* Get() const noexcept { return FEntryIndex.get(); }
    // Made, or moved to the working folder, and asked to refresh.
    void RefreshEntryIndex();
    // The window is called up: the index catches up with what changed.
    void CallUpEntryIndex();
    // Entries the tree changed or saw change.
    void EntriesChanged(const std::vector<std::wstring>& paths);
    // Lets go of the folder: the worker stops, no handle stays open in it.
    void DropEntryIndex();
    // Work changed what the index may offer (on the thread that made it).
    std::function<void()> OnChanged;

private:
    void WatchEntryIndex();

    std::function<bool()> FWholeSubtreeReported;
    std::unique_ptr<TEntryIndex> FEntryIndex;
    // Where the system reports a whole subtree, the index's own watch.
    std::unique_ptr<TSubtreeWatch> FEntryIndexWatch;
    std::wstring FEntryIndexRoot;
};
