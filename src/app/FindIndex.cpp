#include "app/FindIndex.h"

#include "core/Exceptions.h"
#include "settings/uOptions.h"
#include "shell/ShellBrowser.h"
#include "shelltree/SubtreeWatch.h"
#include "util/EntryIndex.h"
#include "util/uUtils.h"

#include <utility>

bool BelowFolder(const std::wstring& folder, const std::wstring& path, std::wstring& relative) {
    if (folder.empty() || path.size() < folder.size() || !SameText(path.substr(0, folder.size()), folder)) return false;
    size_t start = folder.size();
    if (start < path.size() && folder.back() != L'\\') {
        if (path[start] != L'\\') return false;
        ++start;
    }
    relative = path.substr(start);
    return true;
}

bool BelowWorkingFolder(const std::wstring& path, std::wstring& relative) {
    return Options && !path.empty() && BelowFolder(Options->Settings.WorkingFolder, path, relative);
}

TFindIndex::TFindIndex(std::function<bool()> wholeSubtreeReported)
    : FWholeSubtreeReported(std::move(wholeSubtreeReported)) {}

TFindIndex::~TFindIndex() = default;

void TFindIndex::RefreshEntryIndex() {
    if (!Options) return;
    const std::wstring& root = Options->Settings.WorkingFolder;
    if (root.empty()) return;
    // The search is a help, never a condition: an index that cannot be made
    // (no thread, no window left) is logged, and the window still comes up.
    try {
        if (!FEntryIndex) {
            FEntryIndex = std::make_unique<TEntryIndex>(root);
            FEntryIndex->OnChanged = [this] {
                if (OnChanged) OnChanged();
            };
            FEntryIndexRoot = root;
        } else if (!SameText(FEntryIndexRoot, root)) {
            FEntryIndexWatch.reset();
            FEntryIndex->SetRoot(root);
            FEntryIndexRoot = root;
        }
        FEntryIndex->Refresh();
        WatchEntryIndex();
    } catch (const std::exception& e) {
        WriteLog(L"TfrmMain", L"RefreshEntryIndex", L"Exception", ui::ExceptionMessage(e));
    }
}

void TFindIndex::WatchEntryIndex() {
    // Where the system reports a whole subtree to one watch, the index
    // learns what changed from a watch of its own instead of re-checking
    // every folder at each call-up. Opened late, it cannot tell what came
    // before.
    if (FEntryIndexWatch || !FEntryIndex || !FWholeSubtreeReported()) return;
    FEntryIndexWatch = TSubtreeWatch::Open(FEntryIndexRoot);
    if (FEntryIndexWatch) FEntryIndex->Refresh();
}

void TFindIndex::CallUpEntryIndex() {
    if (!Options) return;
    if (!FEntryIndex || !SameText(FEntryIndexRoot, Options->Settings.WorkingFolder)) return RefreshEntryIndex();
    try {
        WatchEntryIndex();
        std::vector<std::wstring> entries;
        bool overflow = false;
        if (FEntryIndexWatch && !FEntryIndexWatch->Take(entries, overflow)) {
            FEntryIndexWatch.reset();  // its folder went, or the system gave up on it
            overflow = true;
        }
        // The work is the index's worker's: the call-up only asks for it.
        FEntryIndex->SetSubtreeReported(FEntryIndexWatch && !overflow);
        FEntryIndex->Changed(entries);
        FEntryIndex->CallUp();
    } catch (const std::exception& e) {
        WriteLog(L"TfrmMain", L"CallUpEntryIndex", L"Exception", ui::ExceptionMessage(e));
    }
}

void TFindIndex::EntriesChanged(const std::vector<std::wstring>& paths) {
    // The tree's reports name changes in open folders; where the index
    // has a subtree watch, that one has them already.
    if (!FEntryIndex || FEntryIndexWatch) return;
    std::vector<std::wstring> inside;
    std::wstring relative;
    for (const std::wstring& path : paths)
        if (BelowWorkingFolder(path, relative)) inside.push_back(path);
    FEntryIndex->Changed(inside);
}

void TFindIndex::DropEntryIndex() {
    FEntryIndexWatch.reset();
    FEntryIndex.reset();
    FEntryIndexRoot.clear();
}
