// The search's index of every entry below the working folder: made for the
// folder, kept current without costing a call-up or a key, and let go of
// before the folder moves.
#include "app/uTavrix.h"
#include "core/Exceptions.h"
#include "shell/ShellBrowser.h"
#include "shelltree/SubtreeWatch.h"
#include "ui/Application.h"
#include "util/EntryIndex.h"
#include "util/uUtils.h"

void TfrmMain::RefreshEntryIndex() {
    if (!Options) return;
    const std::wstring& root = Options->Settings.WorkingFolder;
    if (root.empty()) return;
    // The search is a help, never a condition: an index that cannot be made
    // (no thread, no window left) is logged, and the window still comes up.
    try {
        if (!FEntryIndex) {
            FEntryIndex = std::make_unique<TEntryIndex>(root);
            FEntryIndex->OnChanged = [this] { EntryIndexChanged(); };
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

void TfrmMain::WatchEntryIndex() {
    // Where the system reports a whole subtree to one watch (the tree's
    // notifier knows from its probe at start), the index learns what
    // changed from a watch of its own instead of re-checking every folder
    // at each call-up. Opened late, it cannot tell what came before.
    if (FEntryIndexWatch || !FEntryIndex ||
        ShellTreeView1->Notifier->WatchMode() != TKesShellChangeNotifier::wmSubtree)
        return;
    FEntryIndexWatch = TSubtreeWatch::Open(FEntryIndexRoot);
    if (FEntryIndexWatch) FEntryIndex->Refresh();
}

void TfrmMain::CallUpEntryIndex() {
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

void TfrmMain::EntriesChanged(const std::vector<std::wstring>& paths) {
    // The tree's reports name changes in open folders; where the index
    // has a subtree watch, that one has them already.
    if (!FEntryIndex || FEntryIndexWatch) return;
    std::vector<std::wstring> inside;
    std::wstring relative;
    for (const std::wstring& path : paths)
        if (BelowWorkingFolder(path, relative)) inside.push_back(path);
    FEntryIndex->Changed(inside);
}

void TfrmMain::DropEntryIndex() {
    FEntryIndexWatch.reset();
    FEntryIndex.reset();
    FEntryIndexRoot.clear();
}

void TfrmMain::EntryIndexChanged() {
    // A search that found nothing, or one whose list the user has not
    // moved in yet, may find better what came since; within a folder read
    // of its own, once that is done.
    if (!Options || FFindText.empty() || !(FFindNoMatch || !FFindMoved) || !IsWindowVisible(Handle())) return;
    if (FFindLocating)
        FFindRerun = true;
    else
        RunFind(false);
}
