#include "app/StoredView.h"

#include "core/Exceptions.h"
#include "core/PathText.h"
#include "core/Placement.h"
#include "settings/uOptions.h"
#include "shell/ShellBrowser.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Monitors.h"
#include "ui/ScopeExit.h"
#include "util/uUtils.h"

#include <exception>
#include <unordered_map>
#include <vector>

TStoredView::TStoredView(ui::TForm& form, TKesShellTree& tree, TExpandGate& gate)
    : FForm(form), FTree(tree), FGate(gate) {}

void TStoredView::StoreAppRect() {
    RECT r{};
    GetWindowRect(FForm.Handle(), &r);
    TOptionsRec& s = Options->Settings;
    s.Left = r.left;
    s.Top = r.top;
    s.Right = r.right;
    s.Bottom = r.bottom;
}

void TStoredView::StoreTreeState() {
    TOptionsRec& s = Options->Settings;
    s.Expanded.clear();
    ui::TTreeNode* root = FTree.Items.GetFirstNode();
    if (!root) return;
    FTree.RefreshNode(root, true);
    ui::TTreeNode* selected = FTree.Selected();
    s.SelectedNode = selected ? selected->AbsoluteIndex() : 0;
    for (ui::TTreeNode* n = FTree.Items.GetFirstNode(); n; n = n->GetNext())
        if (n->Expanded()) s.Expanded += FTree.GetNodePath(n) + L"*";
}

namespace {
// Creates a folder with every missing parent; reports nothing.
void ForceDirectories(const std::wstring& path) {
    if (path.empty() || GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash > 2) ForceDirectories(path.substr(0, slash));
    CreateDirectoryW(path.c_str(), nullptr);
}
}  // namespace

void TStoredView::RestoreView(bool firstShowPending, bool treeInLine) {
    TOptionsRec& s = Options->Settings;
    // A stored rectangle that gives no usable window (no size, larger than
    // the screens, on no monitor) gives way to the designed one.
    std::vector<TPlaceRect> monitors;
    for (const auto& m : ui::Screen().Monitors())
        monitors.push_back({m.Bounds.left, m.Bounds.top, m.Bounds.right, m.Bounds.bottom});
    const TPlaceRect screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                            GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                            GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    if (Options->WindowRectDesigned) {
        Options->WindowRectDesigned = false;
        // Never placed yet: the designed rectangle, at this DPI. A stored
        // one is in the screen's pixels already.
        for (int32_t* v : {&s.Left, &s.Top, &s.Right, &s.Bottom}) *v = ui::ScaleForDpi(*v, FForm.Dpi());
    }
    if (!UsableWindowRect({s.Left, s.Top, s.Right, s.Bottom}, screen, monitors)) {
        WriteLog(L"TfrmMain", L"RestoreView", L"Warning",
                 L"Unusable window rectangle " + std::to_wstring(s.Left) + L"," + std::to_wstring(s.Top) + L"," +
                     std::to_wstring(s.Right) + L"," + std::to_wstring(s.Bottom) + L"; the designed one is used");
        // The designed rectangle, at this DPI, as for a first start.
        const TOptionsRec designed{};
        s.Left = ui::ScaleForDpi(designed.Left, FForm.Dpi());
        s.Top = ui::ScaleForDpi(designed.Top, FForm.Dpi());
        s.Right = ui::ScaleForDpi(designed.Right, FForm.Dpi());
        s.Bottom = ui::ScaleForDpi(designed.Bottom, FForm.Dpi());
    }
    FForm.SetBounds(s.Left, s.Top, s.Right - s.Left, s.Bottom - s.Top);
    TKesShellTree* tree = &FTree;
    FGate.SetArmed(false);
    // An empty tree (the folder could not be shown before) is rooted anew.
    ui::TTreeNode* oldRoot = tree->Items.GetFirstNode();
    // Until the first call-up the tree has followed the file system through
    // its watches since it was read: only what they saw is read again.
    if (oldRoot && !treeInLine) {
        if (firstShowPending)
            tree->RefreshReported(oldRoot);
        else
            tree->RefreshNode(oldRoot, true);
    }
    // A tree already rooted at the working folder is, once refreshed, what
    // rooting it anew would build: the refresh drops what is gone, reads
    // what came, and empties every closed folder. Only the stored folders
    // still to be opened cost work then.
    const bool rootInLine = oldRoot && SameText(tree->GetNodePath(oldRoot), s.WorkingFolder) &&
                            GetFileAttributesW(s.WorkingFolder.c_str()) != INVALID_FILE_ATTRIBUTES;
    {
        // The gate is armed again however these steps end.
        ui::TScopeExit rearm([this] { FGate.SetArmed(true); });
        ui::TUpdateScope update(tree->Items);
        if (!firstShowPending) {
            if (ui::TTreeNode* selected = tree->Selected()) s.SelectedNode = selected->AbsoluteIndex();
        }
        // Screen readers announce the tree by the working folder's name.
        SetWindowTextW(tree->Handle(), LastName(s.WorkingFolder).c_str());
        try {
            if (s.WorkingFolder.empty()) throw ui::Exception(L"Unable to create directory");
            ForceDirectories(s.WorkingFolder);
            const DWORD attributes = GetFileAttributesW(s.WorkingFolder.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
                throw ui::Exception(L"Cannot Find Folder: " + s.WorkingFolder);
            if (!rootInLine) tree->SetRootedAtFileSystemFolder(s.WorkingFolder);
        } catch (const ui::Exception& e) {
            // The window still comes up, empty, so that the menu and the
            // options can mend the setting; the user hears each cause once.
            tree->Items.Clear();
            if (e.Message() != FRootProblem) {
                FRootProblem = e.Message();
                ui::ShowMessageBox(nullptr, e.Message(), ui::Application->Title(), MB_OK | MB_ICONWARNING | MB_TASKMODAL);
            }
            return;
        }
        FRootProblem.clear();
        if (!s.Expanded.empty() && Upper(s.Expanded).find(Upper(s.WorkingFolder) + L"*") != std::wstring::npos) {
            // Each recorded path expands the first entry that has it; a folder
            // comes before its sub-folders, so they exist when they are sought.
            // The folders are looked up by path: each folder's path is asked
            // from the shell once, and the tree is walked once, not once for
            // every recorded path; files never match an open folder.
            std::unordered_map<std::wstring, ui::TTreeNode*> folders;
            auto addFolder = [&](ui::TTreeNode* n) {
                const TKesShellTreeItem* item = TKesShellTree::ItemOf(n);
                if (item && item->ItemIsFolder) folders.emplace(Upper(tree->GetNodePath(n)), n);
            };
            for (ui::TTreeNode* n = tree->Items.GetFirstNode(); n; n = n->GetNext()) addFolder(n);
            size_t start = 0;
            for (size_t mark = s.Expanded.find(L'*'); mark != std::wstring::npos;
                 mark = s.Expanded.find(L'*', start)) {
                auto found = folders.find(Upper(s.Expanded.substr(start, mark - start)));
                if (found != folders.end()) {
                    ui::TTreeNode* n = found->second;
                    n->Expand(false);
                    for (ui::TTreeNode* c = n->GetFirstChild(); c; c = c->GetNextSibling()) addFolder(c);
                }
                start = mark + 1;
            }
        } else {
            s.Expanded.clear();
            s.SelectedNode = 0;
            if (ui::TTreeNode* first = tree->Items.GetFirstNode()) first->Expand(false);
        }
    }
    if (ui::TTreeNode* first = tree->Items.GetFirstNode()) {
        first->SetSelected(false);
        first->SetSelected(true);
        if (s.SelectedNode >= 0 && s.SelectedNode < tree->Items.Count())
            if (ui::TTreeNode* node = tree->Items.Item(s.SelectedNode)) node->SetSelected(true);
    }
    FGate.ResetToggles();
}

void TStoredView::SaveAtSessionEnd() {
    if (!Options) return;
    try {
        StoreAppRect();
        StoreTreeState();
        Options->SaveWindowState();
    } catch (const std::exception& e) {
        WriteLog(L"TfrmMain", L"WMEndSession", L"Exception", ui::ExceptionMessage(e));
    }
}
