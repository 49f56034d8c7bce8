#include "app/WorkingFolderMove.h"

#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/FileIdentity.h"
#include "ui/FolderHandles.h"
#include "core/PathText.h"
#include "util/FolderMove.h"
#include "util/uUtils.h"

#include <utility>

namespace {

// After a move the previous folder goes once the shell has let go of it.
constexpr UINT kFolderDeletionDelayMs = 3000;
// The most entry names a short move's log line and its box list.
constexpr size_t kNamesLogged = 20;
constexpr size_t kNamesShown = 5;
// The designed interval of the folder deletion; each use sets its own delay.
constexpr UINT kDelDirIntervalMs = 1000;

std::wstring JoinNames(const std::vector<std::wstring>& names, size_t most) {
    std::wstring out;
    for (size_t i = 0; i < names.size() && i < most; ++i) out += (i ? L", " : L"") + names[i];
    if (names.size() > most) out += L" and " + std::to_wstring(names.size() - most) + L" more";
    return out;
}

// On Windows a handle still open inside the folder would stop its move
// halfway: the tree, the search's index and the size count let go first.
void LogHandlesInside(const std::wstring& folder) {
    const int open = ui::FolderHandlesInside(folder);
    WriteLog(L"TfrmMain", L"BeforeFolderMove", open ? L"Error" : L"Info",
             std::to_wstring(open) + L" handles open inside " + folder);
}

}  // namespace

TWorkingFolderMove::TWorkingFolderMove(TKesShellTree& tree, TComponentList& components, std::function<void()> letGo,
                                       std::function<void()> folderChanged)
    : FTree(tree), FLetGo(std::move(letGo)), FFolderChanged(std::move(folderChanged)) {
    tmrDelDir = components.Own<ui::TTimer>();
    tmrDelDir->Name = L"tmrDelDir";
    tmrDelDir->SetInterval(kDelDirIntervalMs);
    tmrDelDir->OnTimer = [this] { tmrDelDirTimer(); };
}

void TWorkingFolderMove::CheckWorkingFolderChange(const TOptionsRec& before, const TOptionsRec& after) {
    if (before.WorkingFolder != after.WorkingFolder) FFolderChanged();
}

void TWorkingFolderMove::BeforeFolderMove(const std::wstring& from) {
    // The search's index lets go of the folder first: a listing still open
    // inside it could stop the move. The next call-up or search makes it
    // anew.
    FLetGo();
    ShowWindow(FTree.Handle(), SW_HIDE);
    // What has to arrive: every entry, however deep.
    FMovingEntries = FolderEntries(from);
    FTree.SetRootedAt(SF_FILESYSTEMFOLDER);
    FTree.SuspendWatches();
    LogHandlesInside(from);
}

void TWorkingFolderMove::AfterFolderMove(const std::wstring& previous, const std::wstring& current) {
    ShowWindow(FTree.Handle(), SW_SHOW);
    FTree.ResumeWatches();
    const std::vector<std::wstring> entries = std::exchange(FMovingEntries, {});
    if (MayRemovePreviousFolder(previous, current, entries)) {
        ScheduleFolderDeletion(kFolderDeletionDelayMs, previous);
        return;
    }
    std::vector<std::wstring> missing = EntriesMissing(entries, current);
    if (GetFileAttributesW(previous.c_str()) == INVALID_FILE_ATTRIBUTES) {
        // The whole folder went, the usual case: nothing is left to remove.
        if (!missing.empty())
            WriteLog(L"TfrmMain", L"AfterFolderMove", L"Error",
                     L"Not found after the move to " + current + L": " + JoinNames(missing, kNamesLogged));
        return;
    }
    // Whatever stayed behind is the user's: the previous folder is kept.
    // Links never move; they are named apart, so the user knows why.
    std::vector<std::wstring> links, others;
    for (const std::wstring& entry : missing) (ui::IsLinkPath(Join(previous, entry)) ? links : others).push_back(entry);
    if (missing.empty()) {
        if (ui::IsLinkPath(previous))
            links.push_back(previous);
        else
            others.push_back(L"files left in the previous folder");
    }
    std::vector<std::wstring> named = others;
    named.insert(named.end(), links.begin(), links.end());
    WriteLog(L"TfrmMain", L"AfterFolderMove", L"Error",
             L"Not moved from " + previous + L" to " + current + L": " + JoinNames(named, kNamesLogged));
    std::wstring text =
        L"The working folder was not moved completely, so the previous folder was kept:\r\n" + previous;
    if (!others.empty()) text += L"\r\n\r\nNot moved: " + JoinNames(others, kNamesShown);
    if (!links.empty()) text += L"\r\n\r\nLinks stay where they are: " + JoinNames(links, kNamesShown);
    // Owned by the dialog that asked, so that its OK waits for this box.
    ui::ShowMessageBox(ui::Application->ActiveOwner(), text, ui::Application->Title(), MB_OK | MB_ICONWARNING);
}

void TWorkingFolderMove::ScheduleFolderDeletion(UINT delay, const std::wstring& path) {
    tmrDelDir->SetEnabled(false);
    tmrDelDir->SetInterval(delay);
    FFolderToDelete = path;
    tmrDelDir->SetEnabled(true);
}

void TWorkingFolderMove::tmrDelDirTimer() {
    tmrDelDir->SetEnabled(false);
    const std::wstring path = std::exchange(FFolderToDelete, std::wstring());
    if (path.empty()) return;
    // Decided again: a later move may have put links there, or made it
    // the working folder once more.
    if (!Options || !MayRemovePreviousFolder(path, Options->Settings.WorkingFolder, {})) {
        WriteLog(L"TfrmMain", L"tmrDelDirTimer", L"Warning", L"Previous working folder kept, it is in use: " + path);
        return;
    }
    DeleteFolder(path);
}
