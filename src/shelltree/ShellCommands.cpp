// The tree's commands on its entries: shell verbs from keys and the
// shell's context menu, renaming in place through the shell, the default
// action of a double-click, and the report of every operation.
#include "shelltree/ShellControls.h"

#include "shell/ShellClipboard.h"
#include "ui/ScopeExit.h"
#include "ui/WinControl.h"

#include <utility>

namespace {

TFileList OneFile(const std::wstring& path) { return std::make_unique<std::vector<std::wstring>>(1, path); }

bool IsVerb(const std::wstring& verb, const wchar_t* name) { return SameText(verb, name); }

// The node after a node's whole subtree, in the tree's order.
ui::TTreeNode* NextOutside(ui::TTreeNode* node) {
    for (; node; node = node->Parent())
        if (ui::TTreeNode* next = node->GetNextSibling()) return next;
    return nullptr;
}

}  // namespace

void TKesShellTree::InstallRenameHandler() {
    if (ReadOnly)
        Navigator->OnRename = nullptr;
    else
        Navigator->OnRename = [this](TShellBrowser&) { StartRenameSelected(); };
}

void TKesShellTree::DoOperation(TKesShellOperations operation, TFileList files, const std::wstring& destination) {
    if (OnOperation && files && !files->empty()) OnOperation(*this, operation, *files, destination);
}

void TKesShellTree::ReportPaste(TFileList files) {
    ProcessMessages();
    RefreshAfterPaste();
    // A moved file is no longer where the clipboard said it was; a copied
    // folder still is.
    TKesShellOperations operation = ShellOp(sopPaste) | ShellOp(sopAdd);
    if (!files || files->empty() || FileOrFolderExists(files->front()))
        operation |= ShellOp(sopCopy);
    else
        operation |= ShellOp(sopMove);
    DoOperation(operation, std::move(files), SelectedFolder());
}

bool TKesShellTree::DoShellVerb(const std::wstring& verb) {
    ui::TTreeNode* node = Selected();
    if (!node) return false;
    InstallRenameHandler();
    const bool paste = IsVerb(verb, L"paste");
    TFileList files = paste ? ClipboardFileNames() : OneFile(SelectedFolder());
    bool result = true;
    if (TKesShellTreeItem* item = ItemOf(node)) {
        Navigator->SetAbsoluteIDList(item->AbsoluteIDList.Get());
        // A confirmation box or a property sheet runs its own loop.
        const auto held = HoldNode(node);
        result = Navigator->ExecuteVerb(verb);
        node = held.Node();
    }
    if (!result) return false;
    if (IsVerb(verb, L"delete")) {
        ChangeDelay = 0;
        DoOperation(ShellOp(sopDelete) | ShellOp(sopRemove), std::move(files), L"");
    } else if (paste) {
        ReportPaste(std::move(files));
    } else if (IsVerb(verb, L"cut") && node) {
        node->SetCut(true);
    }
    return true;
}

void TKesShellTree::ShowShellContextMenu(POINT at, std::wstring& verb) {
    verb.clear();
    ui::TTreeNode* node = Selected();
    TKesShellTreeItem* item = ItemOf(node);
    if (!item) return;
    if (TKesShellTreeItem* parent = ItemOf(node->Parent())) {
        Navigator->SetFolderIDList(parent->AbsoluteIDList.Get());
        Navigator->SetObjectIDList(item->RelativeIDList.Get());
    } else {
        Navigator->SetFolderIDList(item->AbsoluteIDList.Get());
        Navigator->SelectFolderInParent();
    }
    InstallRenameHandler();
    TFileList clipboard = ClipboardFileNames();
    TFileList selection = OneFile(SelectedFolder());
    Navigator->ReadOnly = ReadOnly;
    Navigator->ShowContextMenuOnTop = HasOption(soShowContextMenuOnTop);
    {
        // The menu, and the verb chosen in it, run their own loops.
        const auto held = HoldNode(node);
        Navigator->ShowContextMenu(at, PopupMenu, verb);
        node = held.Node();
    }
    if (IsVerb(verb, L"delete")) {
        ChangeDelay = 0;
        DoOperation(ShellOp(sopDelete) | ShellOp(sopRemove), std::move(selection), L"");
    } else if (IsVerb(verb, L"cut")) {
        if (node) node->SetCut(true);
    } else if (IsVerb(verb, L"paste")) {
        ReportPaste(std::move(clipboard));
    }
}

void TKesShellTree::StartRenameSelected() {
    if (ui::TTreeNode* node = Selected()) EditLabel(node);
}

void TKesShellTree::RefreshAfterPaste() {
    if (!Selected()) return;
    ProcessMessages();
    ui::TTreeNode* node = Selected();
    if (!node) return;
    ui::TUpdateScope update(Items);
    // A paste into a file went into the file's folder.
    if ((node->Text().empty() || !(ItemOf(node) && ItemOf(node)->ItemIsFolder)) && node->Parent())
        node = node->Parent();
    RefreshNode(node, true);
    if (CheckBoxes() && FShellLink) UpdateStatesUp(node);
    // Folders that entries were cut from may have lost them to the paste.
    for (ui::TTreeNode* n = Items.GetFirstNode(); n;) {
        if (n->Cut() && n->Parent() && !n->Parent()->Cut()) {
            ui::TTreeNode* parent = n->Parent();
            RefreshNode(parent, true);
            n = NextOutside(parent);  // its entries were all read again
        } else {
            n = n->GetNext();
        }
    }
}

POINT TKesShellTree::SelectedTextCorner() const {
    POINT p{0, 0};
    if (ui::TTreeNode* node = Selected()) {
        RECT r = node->DisplayRect(true);
        p = POINT{r.right, r.bottom};
    }
    ClientToScreen(Handle(), &p);
    return p;
}

bool TKesShellTree::ContextMenu(ui::TMessage& msg) {
    if (!Selected() || !ShellContextMenu) return false;
    // The keyboard's menu key and Shift+F10 send no position.
    POINT at = ui::ContextMenuFromKeyboard(msg.LParam)
                   ? SelectedTextCorner()
                   : POINT{static_cast<short>(LOWORD(msg.LParam)), static_cast<short>(HIWORD(msg.LParam))};
    std::wstring verb;
    ShowShellContextMenu(at, verb);
    msg.Result = 0;
    return true;
}

void TKesShellTree::KeyDown(WORD& key, ui::TShiftState shift) {
    if (!IsEditing()) {
        const bool ctrl = (shift & ui::ssCtrl) != 0;
        switch (key) {
        case VK_RETURN:
            if (shift & ui::ssAlt) {
                DoShellVerb(L"properties");
                key = 0;
            }
            break;
        case VK_DELETE:
            if (!ReadOnly) DoShellVerb(L"delete");
            break;
        case 'A':
            if (ctrl) {
                if (FShellLink) FShellLink->BroadcastSelectionChanged(this);
                key = 0;
            }
            break;
        case 'C':
            if (ctrl) {
                DoShellVerb(L"copy");
                key = 0;
            }
            break;
        case 'V':
            if (ctrl && !ReadOnly) {
                TFileList files = ClipboardFileNames();
                ui::TTreeNode* node = Selected();
                std::wstring destination = GetNodePath(node);
                // Reported a second time, as a paste of what the clipboard
                // held, but only when something was pasted.
                if (DoShellVerb(L"paste")) DoOperation(ShellOp(sopPaste) | ShellOp(sopAdd), std::move(files), destination);
                key = 0;
            }
            break;
        case 'X':
            if (ctrl && !ReadOnly) {
                DoShellVerb(L"cut");
                key = 0;
            }
            break;
        case VK_F2:
            if (Selected()) DoShellVerb(L"rename");
            break;
        case VK_F5:
            RefreshTree();
            if (FShellLink) FShellLink->BroadcastRefreshAll(this);
            break;
        case VK_F10:
            if ((shift & ui::ssShift) && ShellContextMenu && Selected()) {
                std::wstring verb;
                ShowShellContextMenu(SelectedTextCorner(), verb);
            }
            break;
        default:
            break;
        }
    }
    ChangeDelay = 600;
    ui::TCustomTreeView::KeyDown(key, shift);
}

void TKesShellTree::KeyPress(wchar_t& key) {
    if (key == 3 || key == 22 || key == 24) key = 0;  // Ctrl+C, Ctrl+V, Ctrl+X did their work
    ChangeDelay = 600;
    ui::TCustomTreeView::KeyPress(key);
}

bool TKesShellTree::CanEdit(ui::TTreeNode* node) {
    if (!ui::TCustomTreeView::CanEdit(node)) return false;
    TKesShellTreeItem* item = ItemOf(node);
    if (!item) return true;
    Navigator->SetAbsoluteIDList(item->AbsoluteIDList.Get());
    return Navigator->CanRename();
}

void TKesShellTree::EndEdit(ui::TTreeNode* node, const wchar_t* text) {
    // Folders whose new entries waited for the edit are read again, however
    // the rename ends.
    ui::TScopeExit readWaiting([this] {
        try {
            for (ui::TTreeNode* folder : FReader->TakeAddsWaiting()) FLocator->QueueRefresh(folder);
        } catch (...) {
            // Out of memory: they show with their folder's next change.
        }
    });
    if (!text) {
        if (OnEditCanceled) OnEditCanceled(node);
        return;
    }
    if (!ItemOf(node)) {
        ui::TCustomTreeView::EndEdit(node, text);
        return;
    }
    FLocator->UnindexChild(node);
    ui::TCustomTreeView::EndEdit(node, text);
    RenameNode(node);
}

void TKesShellTree::RenameNode(ui::TTreeNode* node) {
    TKesShellTreeItem* item = ItemOf(node);
    std::wstring name = node->Text();
    TFileList oldPath = OneFile(GetNodePath(node));
    Navigator->SetAbsoluteIDList(item->AbsoluteIDList.Get());
    Navigator->RenameObject(name);
    node->SetText(Navigator->GetDisplayName());
    FLocator->IndexChild(node->Parent(), node);
    item->RelativeIDList = ToRelativeIDList(Navigator->CopyObjectIDList());
    item->SetAbsoluteIDList(CombineIDLists(Navigator->FolderIDList(), item->RelativeIDList.Get()));
    // Its entries and its watch carry the old path: read it anew.
    const bool expanded = node->Expanded();
    FWatches->UnwatchFolder(node, false);
    if (item->ItemIsFolder) Unfill(node);
    RefreshNode(node, true);
    DoOperation(ShellOp(sopRename), std::move(oldPath), GetNodePath(node));
    if (expanded)
        node->Expand(false);
    else if (node->Expanded())
        node->Collapse(false);
    if (FShellLink && item->AbsoluteIDList) FShellLink->BroadcastSelect(this, item->AbsoluteIDList.Get());
}

void TKesShellTree::DblClick() {
    // An owner's handler decides what a double-click does.
    if (OnDblClick) {
        ui::TCustomTreeView::DblClick();
        return;
    }
    POINT p{};
    GetCursorPos(&p);
    ScreenToClient(Handle(), &p);
    ui::TTreeNode* node = GetNodeAt(p.x, p.y);
    TKesShellTreeItem* item = ItemOf(node);
    if (!item || !HasOption(soShowFiles) || item->ItemIsFolder) return;
    if (Selected() != node) SetSelected(node);
    DoShellVerb(L"default");
}
