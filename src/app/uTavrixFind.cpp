// Finding an entry by typing a few letters of its name on the tree: first
// among the entries shown, then anywhere below the working folder through
// the entry index, whose folders are opened on the way. The program takes
// the tree's own type-ahead over, so both are one search.
#include "app/uTavrix.h"
#include "shell/Shell_Win32.h"
#include "core/Exceptions.h"
#include "ui/Application.h"
#include "ui/Dpi.h"
#include "ui/ScopeExit.h"
#include "ui/TreeViewCalls.h"
#include "util/EntryIndex.h"
#include "util/uUtils.h"

#include <algorithm>

namespace {
// A pause this long starts a new search.
constexpr ULONGLONG kFindPauseMs = 1000;

std::wstring Folded(std::wstring text) {
    if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// The node shown after this one, in display order: a child of an open
// folder, else the next sibling of it or of its nearest ancestor.
ui::TTreeNode* NextShown(ui::TTreeNode* node) {
    if (node->Expanded())
        if (ui::TTreeNode* child = node->GetFirstChild()) return child;
    for (; node; node = node->Parent())
        if (ui::TTreeNode* next = node->GetNextSibling()) return next;
    return nullptr;
}

// The path below the folder, or empty when the path is not inside it.
std::wstring RelativeTo(const std::wstring& folder, const std::wstring& path) {
    if (folder.empty() || path.size() <= folder.size() + 1) return {};
    const std::wstring head = path.substr(0, folder.size());
    if (CompareStringOrdinal(head.c_str(), static_cast<int>(head.size()), folder.c_str(),
                             static_cast<int>(folder.size()), TRUE) != CSTR_EQUAL)
        return {};
    size_t start = folder.size();
    if (folder.back() != L'\\') {
        if (path[start] != L'\\') return {};
        ++start;
    }
    return path.substr(start);
}
}  // namespace

void TfrmMain::CreateFindLine() {
    lblFind = Own<ui::TLabel>(this, L"");
    lblFind->Name = L"lblFind";
    ShowWindow(lblFind->Handle(), SW_HIDE);
    // The tree must not paint over the line that lies on it.
    SetWindowLongPtrW(ShellTreeView1->Handle(), GWL_STYLE,
                      GetWindowLongPtrW(ShellTreeView1->Handle(), GWL_STYLE) | WS_CLIPSIBLINGS);
}

bool TfrmMain::FindKeyPress(wchar_t key) {
    if (key < L' ' || key == 0x7F) return false;
    const ULONGLONG now = GetTickCount64();
    const bool fresh = FFindText.empty() || now - FFindLastKey > kFindPauseMs;
    // A space first is the tree's (it may tick a check box).
    if (fresh && key == L' ') return false;
    FFindLastKey = now;
    if (fresh) FFindText.clear();
    FFindText += key;
    // Each new search has the index catch up with what changed while the
    // window was up; what it finds then takes part in this search. An
    // index let go of for a move of the working folder is made anew.
    if (fresh) {
        if (FEntryIndex)
            FEntryIndex->Refresh();
        else
            RefreshEntryIndex();
    }
    RunFind(fresh);
    return true;
}

bool TfrmMain::FindBackspace() {
    if (FFindText.empty()) return false;
    FFindText.pop_back();
    FFindLastKey = GetTickCount64();
    if (FFindText.empty())
        EndFind();
    else
        RunFind(false);
    return true;
}

bool TfrmMain::EndFind() {
    const bool active = !FFindText.empty() || IsWindowVisible(lblFind->Handle());
    FFindText.clear();
    FFindNoMatch = false;
    ShowWindow(lblFind->Handle(), SW_HIDE);
    return active;
}

void TfrmMain::RunFind(bool fresh) {
    const std::wstring folded = Folded(FFindText);
    bool found = false;
    if (ui::TTreeNode* shown = FindShownEntry(folded, fresh)) {
        shown->SetSelected(true);
        ui::treeview::EnsureVisible(ShellTreeView1->Handle(), shown->ItemId());
        found = true;
    } else if (FEntryIndex) {
        // A match the tree cannot show gives way to the next one.
        found = !FEntryIndex->Find(FFindText, Options->Settings.Recent, [this](const std::wstring& path) {
                     return SelectIndexedEntry(path);
                 }).empty();
        // Nothing yet: the index looks again, and the search runs again
        // when it finds something new. The offers may have shown a box of
        // the shell, and in its loop the options may have let go of the
        // index (a move of the working folder) or Exit may have closed it.
        if (!found && FEntryIndex) FEntryIndex->Refresh();
    }
    ShowFindLine(!found);
}

ui::TTreeNode* TfrmMain::FindShownEntry(const std::wstring& folded, bool fresh) {
    if (folded.empty()) return nullptr;
    std::vector<ui::TTreeNode*> shown;
    for (ui::TTreeNode* n = ShellTreeView1->Items.GetFirstNode(); n; n = NextShown(n)) shown.push_back(n);
    if (shown.empty()) return nullptr;
    // As the tree's own search: a new one starts after the selection, a
    // longer text keeps the selection while it still fits.
    size_t start = 0;
    if (ui::TTreeNode* selected = ShellTreeView1->Selected())
        start = static_cast<size_t>(std::find(shown.begin(), shown.end(), selected) - shown.begin()) % shown.size();
    const size_t first = fresh ? 1 : 0;
    for (size_t i = first; i < first + shown.size(); ++i) {
        ui::TTreeNode* node = shown[(start + i) % shown.size()];
        const std::wstring& text = node->Text();
        if (text.size() >= folded.size() && Folded(text.substr(0, folded.size())) == folded) return node;
    }
    return nullptr;
}

bool TfrmMain::SelectIndexedEntry(const std::wstring& path) {
    TIDList list = PathToIDList(nullptr, path);
    if (!list) return false;
    // The folders on the way open because the user asked for the entry.
    ui::TRestoreOnExit<bool> gate(FExpandGateArmed, false);
    if (ShellTreeView1->LocateNode(list.Get(), lmSelect)) return true;
    // The tree read the entry's folder before the entry came (its report
    // may be on the way yet): the folder is read again, and the entry
    // looked for once more.
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return false;
    TIDList folder = PathToIDList(nullptr, path.substr(0, slash));
    if (!folder) return false;
    ShellTreeView1->LocateNode(folder.Get(), lmRefresh);
    return ShellTreeView1->LocateNode(list.Get(), lmSelect);
}

void TfrmMain::ShowFindLine(bool noMatch) {
    FFindNoMatch = noMatch;
    lblFind->SetCaption(L"Find: " + FFindText + (noMatch ? L"  (no match)" : L""));
    // Over the tree's bottom edge, or its top edge when the selected entry
    // is down there.
    RECT client{};
    GetClientRect(ShellTreeView1->Handle(), &client);
    const int height = ui::ScaleForDpi(16, Dpi());
    RECT band{client.left, client.bottom - height, client.right, client.bottom};
    bool atTop = false;
    if (ui::TTreeNode* selected = ShellTreeView1->Selected()) {
        const RECT row = selected->DisplayRect(false);
        atTop = row.bottom > band.top && row.top < band.bottom;
        if (atTop) band = {client.left, 0, client.right, height};
    }
    MapWindowPoints(ShellTreeView1->Handle(), Handle(), reinterpret_cast<POINT*>(&band), 2);
    lblFind->SetBounds(band.left, band.top, band.right - band.left, band.bottom - band.top);
    // It keeps to its edge of the tree when the window changes size.
    lblFind->SetAnchors(ui::akLeft | ui::akRight | (atTop ? ui::akTop : ui::akBottom));
    SetWindowPos(lblFind->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(lblFind->Handle(), nullptr, TRUE);
}

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
            FEntryIndex->SetRoot(root);
            FEntryIndexRoot = root;
        }
        FEntryIndex->Refresh();
    } catch (const std::exception& e) {
        WriteLog(L"TfrmMain", L"RefreshEntryIndex", L"Exception", ui::ExceptionMessage(e));
    }
}

void TfrmMain::EntryIndexChanged() {
    // A search that found nothing, or one still being typed, may find
    // better what came since.
    const bool typing = GetTickCount64() - FFindLastKey <= kFindPauseMs;
    if (Options && (FFindNoMatch || typing) && !FFindText.empty() && IsWindowVisible(Handle())) RunFind(false);
}

void TfrmMain::RememberOpened(const std::wstring& path) {
    if (!Options) return;
    const std::wstring relative = RelativeTo(Options->Settings.WorkingFolder, path);
    if (!relative.empty()) AddRecent(Options->Settings.Recent, relative);
}
