// The options command, and the move of the working folder: the tree lets
// go of the folder while it moves, and the previous folder is removed only
// once everything in it has verifiably arrived.
#include "app/uTavrix.h"
#include "settings/uOptionsDialog.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "util/FolderMove.h"
#include "util/uUtils.h"

namespace {

std::wstring Upper(std::wstring s) {
    CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
    while (s.size() > 3 && s.back() == L'\\') s.pop_back();
    return s;
}

// Whether one folder is the other, or lies inside it.
bool Overlap(const std::wstring& a, const std::wstring& b) {
    const std::wstring x = Upper(a), y = Upper(b);
    if (x.empty() || y.empty()) return false;
    auto inside = [](const std::wstring& inner, const std::wstring& outer) {
        return inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 && inner[outer.size()] == L'\\';
    };
    return x == y || inside(x, y) || inside(y, x);
}

std::wstring JoinNames(const std::vector<std::wstring>& names, size_t most) {
    std::wstring out;
    for (size_t i = 0; i < names.size() && i < most; ++i) out += (i ? L", " : L"") + names[i];
    if (names.size() > most) out += L" and " + std::to_wstring(names.size() - most) + L" more";
    return out;
}

}  // namespace

void TfrmMain::sbtnOptionsClick() {
    StoreAppRect();
    StoreTreeState();
    TfrmOptions dialog;
    dialog.OnBeforeFolderMove = [this] { BeforeFolderMove(); };
    dialog.OnAfterFolderMove = [this] { AfterFolderMove(); };
    if (dialog.ShowModal() != ui::mrOk) return;
    ApplyOptions();
    CheckWorkingFolderChange();
    delete PreviousOptions;
    PreviousOptions = nullptr;
}

void TfrmMain::CheckWorkingFolderChange() {
    if (PreviousOptions && PreviousOptions->Settings.WorkingFolder != Options->Settings.WorkingFolder) RestoreView();
}

void TfrmMain::BeforeFolderMove() {
    ShowWindow(ShellTreeView1->Handle(), SW_HIDE);
    // What has to arrive: every entry, however deep.
    FMovingEntries = PreviousOptions ? FolderEntries(PreviousOptions->Settings.WorkingFolder) : std::vector<std::wstring>();
    ShellTreeView1->SetRootedAt(SF_FILESYSTEMFOLDER);
}

void TfrmMain::AfterFolderMove() {
    ShowWindow(ShellTreeView1->Handle(), SW_SHOW);
    if (!PreviousOptions) return;
    const std::wstring previous = PreviousOptions->Settings.WorkingFolder;
    const std::wstring current = Options->Settings.WorkingFolder;
    std::vector<std::wstring> missing = EntriesMissing(FMovingEntries, current);
    FMovingEntries.clear();
    if (missing.empty() && !HoldsFiles(previous)) {
        ScheduleFolderDeletion(3000, previous);
        return;
    }
    // Whatever stayed behind is the user's: the previous folder is kept.
    if (missing.empty()) missing.push_back(L"files left in the previous folder");
    WriteLog(L"TfrmMain", L"AfterFolderMove", L"Error",
             L"Not moved from " + previous + L" to " + current + L": " + JoinNames(missing, 20));
    ui::ShowMessageBox(Handle(),
                       L"The working folder was not moved completely, so the previous folder was kept:\r\n" + previous +
                           L"\r\n\r\nNot moved: " + JoinNames(missing, 5),
                       ui::Application->Title(), MB_OK | MB_ICONWARNING);
}

void TfrmMain::ScheduleFolderDeletion(UINT delay, const std::wstring& path) {
    tmrDelDir->SetEnabled(false);
    tmrDelDir->SetInterval(delay);
    FFolderToDelete = path;
    tmrDelDir->SetEnabled(true);
}

void TfrmMain::tmrDelDirTimer() {
    tmrDelDir->SetEnabled(false);
    const std::wstring path = std::exchange(FFolderToDelete, std::wstring());
    if (path.empty()) return;
    // Checked again: a later move may have put links there, or made it
    // the working folder once more.
    if (Overlap(path, Options ? Options->Settings.WorkingFolder : std::wstring()) || HoldsFiles(path)) {
        WriteLog(L"TfrmMain", L"tmrDelDirTimer", L"Warning", L"Previous working folder kept, it is in use: " + path);
        return;
    }
    DeleteFolder(path);
}
