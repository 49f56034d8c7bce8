#include "app/TreeFind.h"

#include "core/FindFold.h"
#include "shell/ShellBrowser.h"
#include "shell/Shell_Win32.h"
#include "ui/Dpi.h"
#include "ui/ScopeExit.h"
#include "ui/TreeViewCalls.h"
#include "settings/uOptions.h"
#include "util/EntryIndex.h"
#include "util/uUtils.h"

#include <shellapi.h>

#include <algorithm>
#include <utility>

namespace {
// A pause this long starts a new search.
constexpr ULONGLONG kFindPauseMs = 1000;

// The node shown after this one, in display order: a child of an open
// folder, else the next sibling of it or of its nearest ancestor.
ui::TTreeNode* NextShown(ui::TTreeNode* node) {
    if (node->Expanded())
        if (ui::TTreeNode* child = node->GetFirstChild()) return child;
    for (; node; node = node->Parent())
        if (ui::TTreeNode* next = node->GetNextSibling()) return next;
    return nullptr;
}

bool IsAncestorOrSelf(const ui::TTreeNode* ancestor, const ui::TTreeNode* node) {
    for (; node; node = node->Parent())
        if (node == ancestor) return true;
    return false;
}
}  // namespace

TTreeFind::TTreeFind(ui::TForm& form, TKesShellTree& tree, TExpandGate& gate, TFindIndex& index,
                     TComponentList& components, std::function<void()> onOpen)
    : FForm(form), FTree(tree), FGate(gate), FIndex(index), FOnOpen(std::move(onOpen)) {
    lblFind = components.Own<ui::TLabel>(&form, L"");
    lblFind->Name = L"lblFind";
    ShowWindow(lblFind->Handle(), SW_HIDE);
    lstFind = components.Own<ui::TListView>(&form);
    lstFind->Name = L"lstFind";
    lstFind->OnImage = [this](int row) { return FindRowImage(row); };
    lstFind->OnClick = [this](int row) { lstFindClick(row); };
    // The tree must not paint over the line and the list that lie on it.
    SetWindowLongPtrW(FTree.Handle(), GWL_STYLE, GetWindowLongPtrW(FTree.Handle(), GWL_STYLE) | WS_CLIPSIBLINGS);
}

bool TTreeFind::FindKeyPress(wchar_t key) {
    if (key < L' ' || key == 0x7F) return false;
    const ULONGLONG now = GetTickCount64();
    const bool fresh = FFindText.empty() || now - FFindLastKey > kFindPauseMs;
    // A space first is the tree's (it may tick a check box).
    if (fresh && key == L' ') return false;
    FFindLastKey = now;
    if (fresh) {
        EndFind();
        // An index let go of for a move of the working folder is made anew;
        // a known one changes only on a call-up or a report, never a key.
        if (!FIndex.Get()) FIndex.RefreshEntryIndex();
        // Entries shown before the search rank first within their tier.
        FFindShownFolders = ShownFolders();
    }
    FFindText += key;
    RunFind(fresh);
    return true;
}

bool TTreeFind::FindBackspace() {
    if (FFindText.empty()) return false;
    FFindText.pop_back();
    FFindLastKey = GetTickCount64();
    if (FFindText.empty())
        EndFind();
    else
        RunFind(false);
    return true;
}

bool TTreeFind::EndFind() {
    const bool active = !FFindText.empty() || IsWindowVisible(lblFind->Handle());
    ++FFindRun;
    FFindText.clear();
    FFindNoMatch = false;
    FFindRerun = false;
    FFindRows.clear();
    FFindRow = -1;
    FFindMoved = false;
    FFindShownFolders.clear();
    FFindImages.clear();
    // Only the way to the entry selected now stays open.
    CloseFoldersPassedBy();
    FFindOpened.clear();
    ShowWindow(lblFind->Handle(), SW_HIDE);
    ShowWindow(lstFind->Handle(), SW_HIDE);
    lstFind->SetRows({});
    return active;
}

void TTreeFind::RunFind(bool fresh) {
    std::vector<TFindRow> rows;
    // A single letter picks an entry the tree shows, as its own type-ahead
    // does; from the second on the index's tiers decide.
    if (FFindText.size() == 1)
        if (ui::TTreeNode* shown = FindShownEntry(FFindText, fresh)) {
            const std::wstring path = FTree.GetNodePath(shown);
            std::wstring folder;
            if (!path.empty() && BelowWorkingFolder(FTree.GetNodePath(shown->Parent()), folder))
                rows.push_back({path, shown->Text(), folder});
        }
    if (FIndex.Get() && Options)
        for (TEntryMatch& match : FIndex.Get()->Find(FFindText, Options->Settings.Recent, FFindShownFolders)) {
            if (rows.size() == kMostFindHits) break;
            if (!rows.empty() && SameText(rows.front().Path, match.Path)) continue;
            rows.push_back({std::move(match.Path), std::move(match.Name), std::move(match.Folder)});
        }
    FFindRows = std::move(rows);
    FFindRow = -1;
    FFindMoved = false;
    const unsigned run = ++FFindRun;
    ChooseFindRow(0, 1);
    if (run != FFindRun) return;  // ended, or run anew, while the tree read a folder
    ShowFindLine(FFindRows.empty(), true);
    // The index changed while the tree read a folder: once more with what came.
    if (std::exchange(FFindRerun, false) && !FFindMoved) RunFind(false);
}

bool TTreeFind::ChooseFindRow(int row, int step) {
    // A match the tree cannot show (hidden since, or too deep for the
    // shell) leaves the list, and the next one in the same direction is
    // taken. Each refusal may cost a folder read: few ever come.
    // A folder read may run a message loop, in which the search can end
    // or start anew: the rows are looked at again after each.
    ui::TRestoreOnExit<bool> locating(FFindLocating, true);
    const unsigned run = FFindRun;
    while (row >= 0 && row < static_cast<int>(FFindRows.size())) {
        const std::wstring path = FFindRows[static_cast<size_t>(row)].Path;
        const bool shown = SelectIndexedEntry(path);
        if (run != FFindRun) return false;
        if (shown) {
            FFindRow = row;
            CloseFoldersPassedBy();
            return true;
        }
        FFindRows.erase(FFindRows.begin() + row);
        if (row < FFindRow)
            --FFindRow;
        else if (row == FFindRow)
            FFindRow = -1;  // the match chosen before went too
        if (step < 0) --row;
    }
    // None there: the tree keeps the row chosen before, if any.
    if (FFindRow >= 0) {
        const std::wstring path = FFindRows[static_cast<size_t>(FFindRow)].Path;
        SelectIndexedEntry(path);
        if (run != FFindRun) return false;
    }
    CloseFoldersPassedBy();
    return false;
}

bool TTreeFind::FindMove(int by) {
    if (FFindText.empty() || FFindRow < 0) return false;
    const size_t before = FFindRows.size();
    const int target = FFindRow + by;
    if (target >= 0 && target < static_cast<int>(FFindRows.size())) {
        FFindMoved = true;
        ChooseFindRow(target, by);
        if (FFindText.empty()) return true;  // ended meanwhile
    }
    ShowFindLine(FFindRows.empty(), FFindRows.size() != before);
    return true;
}

bool TTreeFind::FindEnterRefused() const { return !FFindText.empty() && FFindRows.empty(); }

void TTreeFind::lstFindClick(int row) {
    if (row < 0 || row >= static_cast<int>(FFindRows.size())) return;
    if (row != FFindRow) {
        FFindMoved = true;
        const size_t before = FFindRows.size();
        // A row that went gives its place to the next: only the match
        // clicked opens, never the one that moved up into its place.
        const std::wstring clicked = FFindRows[static_cast<size_t>(row)].Path;
        const bool chosen = ChooseFindRow(row, 1) && FFindRows[static_cast<size_t>(FFindRow)].Path == clicked;
        if (FFindText.empty()) return;  // ended meanwhile
        if (!chosen) {
            ShowFindLine(FFindRows.empty(), FFindRows.size() != before);
            return;
        }
    }
    FOnOpen();
}

ui::TTreeNode* TTreeFind::FindShownEntry(const std::wstring& text, bool fresh) {
    std::string folded, name;
    AppendFolded(text, folded);
    if (folded.empty()) return nullptr;
    std::vector<ui::TTreeNode*> shown;
    for (ui::TTreeNode* n = FTree.Items.GetFirstNode(); n; n = NextShown(n)) shown.push_back(n);
    if (shown.empty()) return nullptr;
    // As the tree's own search: a new one starts after the selection, a
    // longer text keeps the selection while it still fits.
    size_t start = 0;
    if (ui::TTreeNode* selected = FTree.Selected())
        start = static_cast<size_t>(std::find(shown.begin(), shown.end(), selected) - shown.begin()) % shown.size();
    const size_t first = fresh ? 1 : 0;
    for (size_t i = first; i < first + shown.size(); ++i) {
        ui::TTreeNode* node = shown[(start + i) % shown.size()];
        name.clear();
        AppendFolded(node->Text(), name);
        if (name.compare(0, folded.size(), folded) == 0) return node;
    }
    return nullptr;
}

std::vector<std::wstring> TTreeFind::ShownFolders() const {
    std::vector<std::wstring> folders;
    std::vector<ui::TTreeNode*> pending;
    for (ui::TTreeNode* n = FTree.Items.GetFirstNode(); n; n = n->GetNextSibling()) pending.push_back(n);
    std::wstring relative;
    while (!pending.empty()) {
        ui::TTreeNode* node = pending.back();
        pending.pop_back();
        if (!node->Expanded()) continue;
        if (BelowWorkingFolder(FTree.GetNodePath(node), relative)) folders.push_back(relative);
        for (ui::TTreeNode* child = node->GetFirstChild(); child; child = child->GetNextSibling())
            if (child->HasChildren()) pending.push_back(child);
    }
    return folders;
}

bool TTreeFind::SelectIndexedEntry(const std::wstring& path) {
    TIDList list = PathToIDList(nullptr, path);
    if (!list) return false;
    // The folders on the way open because the user asked for the entry.
    const auto gate = FGate.Opened();
    if (FTree.LocateNode(list.Get(), lmSelect)) return true;
    // The tree read the entry's folder before the entry came (its report
    // may be on the way yet): the folder is read again, and the entry
    // looked for once more.
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return false;
    TIDList folder = PathToIDList(nullptr, path.substr(0, slash));
    if (!folder) return false;
    FTree.LocateNode(folder.Get(), lmRefresh);
    return FTree.LocateNode(list.Get(), lmSelect);
}

void TTreeFind::NoteFolderOpened(ui::TTreeNode* node) {
    if (FFindLocating && !node->Expanded()) FFindOpened.push_back(std::make_unique<ui::TNodeWatch>(node));
}

void TTreeFind::CloseFoldersPassedBy() {
    if (FFindOpened.empty()) return;
    const ui::TTreeNode* keep = FTree.Selected();
    const auto gate = FGate.Opened();
    // The deepest first: they were opened from the top down.
    for (size_t i = FFindOpened.size(); i-- > 0;) {
        ui::TTreeNode* node = FFindOpened[i]->Get();
        if (node && IsAncestorOrSelf(node, keep)) continue;
        if (node) node->Collapse(false);
        FFindOpened.erase(FFindOpened.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

int TTreeFind::FindRowImage(int row) {
    if (row < 0 || row >= static_cast<int>(FFindRows.size())) return -1;
    const std::wstring& path = FFindRows[static_cast<size_t>(row)].Path;
    // Asked once a search: a row often stays while the text grows.
    auto [it, added] = FFindImages.try_emplace(path, -1);
    if (added) {
        TErrorModeScope quiet(SEM_FAILCRITICALERRORS);
        SHFILEINFOW info{};
        if (SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
            it->second = info.iIcon;
    }
    return it->second;
}

void TTreeFind::ShowFindLine(bool noMatch, bool rowsChanged) {
    FFindNoMatch = noMatch;
    const std::wstring caption = L"Find: " + FFindText + (noMatch ? L"  (no match)" : L"");
    lblFind->SetCaption(caption);
    if (rowsChanged) {
        if (!FFindImagesSet && !FFindRows.empty()) {
            lstFind->SetImages(FTree.SystemImages().Handle());
            FFindImagesSet = true;
        }
        std::vector<ui::TListView::TRow> rows;
        for (const TFindRow& row : FFindRows) rows.push_back({row.Name, row.Folder});
        lstFind->SetRows(rows);
    }
    lstFind->Select(FFindRow);
    // What a screen reader names the list by.
    SetWindowTextW(lstFind->Handle(), caption.c_str());

    // The line and the list under it lie over the tree's top edge, or over
    // its bottom edge when the selected entry is up there.
    RECT client{};
    GetClientRect(FTree.Handle(), &client);
    const int lineHeight = ui::ScaleForDpi(16, FForm.Dpi());
    const int listHeight = FFindRows.empty() ? 0
                                             : std::min(lstFind->HeightFor(static_cast<int>(FFindRows.size())),
                                                        std::max(0, static_cast<int>(client.bottom) - lineHeight));
    const int band = lineHeight + listHeight;
    bool atTop = true;
    if (ui::TTreeNode* selected = FTree.Selected()) {
        const RECT row = selected->DisplayRect(false);
        atTop = !(row.bottom > 0 && row.top < band) || (row.bottom > client.bottom - band && row.top < client.bottom);
    }
    RECT line{client.left, atTop ? 0 : client.bottom - band, client.right, 0};
    line.bottom = line.top + lineHeight;
    RECT list{client.left, line.bottom, client.right, line.bottom + listHeight};
    MapWindowPoints(FTree.Handle(), FForm.Handle(), reinterpret_cast<POINT*>(&line), 2);
    MapWindowPoints(FTree.Handle(), FForm.Handle(), reinterpret_cast<POINT*>(&list), 2);
    // They keep to their edge of the tree when the window changes size.
    const ui::TAnchors anchors = ui::akLeft | ui::akRight | (atTop ? ui::akTop : ui::akBottom);
    lblFind->SetBounds(line.left, line.top, line.right - line.left, line.bottom - line.top);
    lblFind->SetAnchors(anchors);
    lstFind->SetBounds(list.left, list.top, list.right - list.left, list.bottom - list.top);
    lstFind->SetAnchors(anchors);
    constexpr UINT kOnTop = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(lblFind->Handle(), HWND_TOP, 0, 0, 0, 0, kOnTop | SWP_SHOWWINDOW);
    SetWindowPos(lstFind->Handle(), HWND_TOP, 0, 0, 0, 0, kOnTop | (listHeight > 0 ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    InvalidateRect(lblFind->Handle(), nullptr, TRUE);
}

void TTreeFind::RememberOpened(const std::wstring& path) {
    std::wstring relative;
    if (BelowWorkingFolder(path, relative) && !relative.empty()) AddRecent(Options->Settings.Recent, relative);
}

void TTreeFind::EntryIndexChanged() {
    // A search that found nothing, or one whose list the user has not
    // moved in yet, may find better what came since; within a folder read
    // of its own, once that is done.
    if (!Options || FFindText.empty() || !(FFindNoMatch || !FFindMoved) || !IsWindowVisible(FForm.Handle())) return;
    if (FFindLocating)
        FFindRerun = true;
    else
        RunFind(false);
}
