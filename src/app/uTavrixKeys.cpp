// The main window's keys, the keys and the mouse on the tree, and opening
// the entry the user picked.
#include "app/uTavrix.h"
#include "shell/ShellBrowser.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/ScopeExit.h"
#include "util/uUtils.h"

namespace {
// The shell's execute function reports errors as 32 or less.
constexpr int kShellExecLastError = 32;
// Keys are the search's only while the tree has the keyboard.
bool HasFocus(const ui::TWinControl& control) { return GetFocus() == control.Handle(); }
}  // namespace

void TfrmMain::FormKeyDown(WORD& key, ui::TShiftState) {
    switch (key) {
    case VK_ESCAPE:
        // The first Esc ends a search; the next hides the window.
        if (FFind->EndFind())
            key = 0;
        else
            sbtnMinMaxClick();
        break;
    case VK_BACK:
        // Takes a letter off a search; without one the tree goes up as before.
        if (HasFocus(*ShellTreeView1) && FFind->FindBackspace()) key = 0;
        break;
    case VK_DOWN:
    case VK_UP:
        // Through the search's matches, the tree's selection following.
        if (HasFocus(*ShellTreeView1) && FFind->FindMove(key == VK_DOWN ? 1 : -1)) key = 0;
        break;
    case VK_RETURN:
        // A search that found nothing opens nothing.
        if (HasFocus(*ShellTreeView1) && FFind->FindEnterRefused()) key = 0;
        break;
    case VK_F2:
        FButtons->sbtnMenuMouseUp(8, 16);
        break;
    case VK_F5:
        sbtnRefreshClick();
        key = 0;  // the refresh re-read the whole tree; the tree's own would only repeat it
        break;
    default:
        break;
    }
}

void TfrmMain::FormKeyPress(wchar_t& key) {
    if (key == VK_ESCAPE)
        key = 0;  // no control sees it, and nothing beeps
    else if (HasFocus(*ShellTreeView1) && FFind->FindKeyPress(key))
        key = 0;  // the letter is the program's search: the tree's own type-ahead never sees it
}

void TfrmMain::ShellTreeView1KeyDown(WORD& key, ui::TShiftState) {
    switch (key) {
    case VK_RETURN:
        ExecuteItem(ShellTreeView1->GetNodePath(ShellTreeView1->Selected()));
        break;
    case VK_LEFT:
    case VK_RIGHT:
        FExpandGate.Permit();  // the tree's own collapse or expand for this key passes
        FFind->EndFind();
        break;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
        FFind->EndFind();  // the user moves on by hand
        break;
    default:
        break;
    }
}

void TfrmMain::ShellTreeView1KeyPress(wchar_t& key) {
    if (key == VK_RETURN) key = 0;
}

void TfrmMain::ShellTreeView1Expanding(ui::TTreeNode* node, bool& allow) {
    FExpandGate.Expanding(node, allow);
    // The tree opens its root while it loads, before the search is made.
    if (allow && FFind) FFind->NoteFolderOpened(node);
}

void TfrmMain::ShellTreeView1Collapsing(ui::TTreeNode* node, bool& allow) {
    FExpandGate.Collapsing(node, allow);
}

void TfrmMain::ShellTreeView1Expanded(ui::TTreeNode*) { FExpandGate.Expanded(); }
void TfrmMain::ShellTreeView1Collapsed(ui::TTreeNode*) { FExpandGate.Collapsed(); }

void TfrmMain::ShellTreeView1Editing(ui::TTreeNode*, bool& allowEdit) { allowEdit = false; }

void TfrmMain::ShellTreeView1MouseDown(ui::TMouseButton button, ui::TShiftState, int x, int y) {
    // A refusal is answered by this press or never.
    ui::TScopeExit forget([this] { FExpandGate.ForgetRefused(); });
    FFind->EndFind();
    if (button != ui::mbLeft) return;
    FExpandGate.ResetToggles();
    if (!(ShellTreeView1->GetHitTestInfoAt(x, y) & TVHT_ONITEMBUTTON)) return;
    // The button pressed is the node's under the press, nothing else.
    FExpandGate.ButtonPressed(ShellTreeView1->GetNodeAt(x, y));
}

UINT TfrmMain::HitTestAtMouse() {
    POINT p{};
    GetMousePoint(true, p);
    return ShellTreeView1->GetHitTestInfoAt(p.x, p.y);
}

void TfrmMain::ShellTreeView1MouseUp(void* sender, ui::TMouseButton button, ui::TShiftState, int, int) {
    if (FExpandGate.NodeCollapsed() || FExpandGate.NodeExpanded() || button != ui::mbLeft) return;
    if (Options->Settings.ExecWithDblClick && sender) return;
    UINT hit = HitTestAtMouse();
    if ((hit & TVHT_ONITEM) && !(hit & TVHT_ONITEMBUTTON))
        ExecuteItem(ShellTreeView1->GetNodePath(ShellTreeView1->Selected()));
}

void TfrmMain::ShellTreeView1DblClick() {
    if (Options->Settings.ExecWithDblClick) ShellTreeView1MouseUp(nullptr, ui::mbLeft, 0, 0, 0);
}

void TfrmMain::ExecuteItem(const std::wstring& path) {
    if (path.empty() || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    FFind->EndFind();
    // Quoted: Explorer reads a comma as the end of the path, so an entry
    // whose name holds one would not open.
    const std::wstring explorer = WindowsProgramPath(L"explorer.exe");
    INT_PTR code = explorer.empty() ? SE_ERR_FNF
                                    : ShellExecuteFunc()(nullptr, L"open", explorer, L"\"" + path + L"\"", L"",
                                                         SW_SHOWNORMAL);
    if (code > kShellExecLastError) TTreeFind::RememberOpened(path);
    HandleExecResult(path, static_cast<int>(code), false);
}

void TfrmMain::HandleExecResult(const std::wstring& path, int code, bool force) {
    if (code > kShellExecLastError) {
        if (Options->Settings.Autohide || force) {
            FFind->EndFind();
            Hide();
            ui::Application->ProcessMessages();
        }
        return;
    }
    // A clipboard text can be megabytes long: the box shows its start.
    constexpr size_t kShown = 1024;
    const std::wstring shown = path.size() > kShown ? path.substr(0, kShown) + L"..." : path;
    ui::ShowMessageBox(nullptr,
                       L"Execution of \"" + shown + L"\" failed! ErrorCode: " + std::to_wstring(code),
                       ui::Application->Title(), MB_OK | MB_TASKMODAL);
}
