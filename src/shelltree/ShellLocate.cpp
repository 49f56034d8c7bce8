// The shell tree finding the node of an item without the user's help:
// locating by item-ID list, the selected folder, and following changes.
#include "shelltree/ShellControls.h"

#include <algorithm>
#include <memory>

#include "ui/Dialogs.h"
#include "ui/ScopeExit.h"

bool TKesShellTree::LocateNode(LPCITEMIDLIST list, TLocateMode mode) { return FLocator->LocateNode(list, mode); }

void TKesShellTree::SelectItemIDList(LPCITEMIDLIST list) {
    if (!list) return;
    if (SameIDs(DesktopFolder, list, EmptyIDList))
        SetSpecialFolder(SF_DESKTOP);
    else
        LocateNode(list, lmSelect);
}

bool TKesShellTree::SelectParentNode() {
    ui::TTreeNode* selected = Selected();
    ui::TTreeNode* parent = selected ? selected->Parent() : nullptr;
    if (!parent) return false;
    parent->SetSelected(true);
    NotifyLinkSelection(parent);
    return true;
}

std::wstring TKesShellTree::SelectedFolder() {
    if (Loading()) return StoredSelectedFolder;
    ui::TTreeNode* selected = Selected();
    if (!ItemOf(selected)) return {};
    std::wstring path = GetNodePath(selected);
    if (path.empty()) {
        TKesShellFolder special = SpecialFolder();
        if (special != SF_FILESYSTEMFOLDER) path = SpecialFolderPath(special);
    }
    return path;
}

void TKesShellTree::SetSelectedFolder(const std::wstring& path) {
    if (Loading()) {
        if (StoredSpecialFolder == SF_FILESYSTEMFOLDER || StoredSpecialFolder == SF_DRIVES) {
            StoredSelectedFolder = path;
            StoredSpecialFolder = SF_FILESYSTEMFOLDER;
        }
        return;
    }
    if (path.empty()) {
        if (RootedAt() == SF_DESKTOP)
            SetSpecialFolder(SF_DRIVES);
        else if (ui::TTreeNode* first = Items.GetFirstNode())
            first->SetSelected(true);
        return;
    }
    if (!Items.GetFirstNode() || !DesktopFolder) return;
    HRESULT parsed = S_OK;
    for (ui::TTreeNode* root = Items.GetFirstNode(); root; root = root->GetNextSibling()) {
        std::wstring buffer = path.substr(0, MAX_PATH - 1);
        ULONG eaten = 0;
        TIDList list;
        parsed = DesktopFolder->ParseDisplayName(Handle(), nullptr, buffer.data(), &eaten, list.Put(), nullptr);
        if (SUCCEEDED(parsed) && list && LocateNode(list.Get(), lmSelect)) break;
    }
    if (FAILED(parsed) && HasOption(soShowErrorMessages))
        ui::ShowMessage(path + L": " + SysErrorText(static_cast<DWORD>(parsed)));
}

TKesShellFolder TKesShellTree::SpecialFolder() {
    if (Loading()) return StoredSpecialFolder;
    TKesShellTreeItem* item = ItemOf(Selected());
    return item ? FindSpecialFolder(item->AbsoluteIDList.Get()) : SF_FILESYSTEMFOLDER;
}

void TKesShellTree::SetSpecialFolder(TKesShellFolder value) {
    if (Loading()) {
        StoredSpecialFolder = value;
        if (value != SF_FILESYSTEMFOLDER) StoredSelectedFolder.clear();
        return;
    }
    if (value == SF_FILESYSTEMFOLDER) return;
    Navigator->SetSpecialFolder(value);
    TAbsoluteIDList folder = Navigator->CopyFolderIDList();
    LocateNode(folder.Get(), lmSelect);
}

void TKesShellTree::ShellChanged(TKesShellChangeNotifier*, TNotificationEvent event, LPCITEMIDLIST item1,
                                 LPCITEMIDLIST item2) {
    if (Loading()) return;
    if (OnChangeReported) OnChangeReported(event, item1, item2);
    TKesShellTreeLocator::TDeferral defer(*FLocator);
    switch (event) {
    case neFileDelete:
    case neDriveRemove:
    case neFolderDelete:
        LocateNode(item1, lmDelete);
        break;
    case neFileCreate:
    case neFolderCreate:
    case neFolderUpdate:
    case neNetShare:
    case neNetUnShare:
        LocateNode(item1, lmRefresh);
        break;
    case neFolderRename:
        LocateNode(item1, lmRefreshParent);
        LocateNode(item2, lmRefreshParent);
        break;
    default:
        LocateNode(item1, lmRefreshParent);
        break;
    }
}

bool TKesShellTree::WndProc(ui::TMessage& msg) {
    if (FLocator->HandleMessage(msg.Msg)) return true;
    if (msg.Msg == WM_PAINT) SystemImages();
    if (msg.Msg == WM_LBUTTONDOWN &&
        FCheckBoxes->Click(static_cast<short>(LOWORD(msg.LParam)), static_cast<short>(HIWORD(msg.LParam))))
        return true;  // the control neither selects the node nor starts a drag
    if (msg.Msg == WM_LBUTTONDOWN || msg.Msg == WM_RBUTTONDOWN) {
        // The control keeps the pressed node until the release, or through
        // the drag it starts, dispatching timers and posted reports meanwhile.
        TKesShellTreeLocator::THold hold(*FLocator);
        return ui::TCustomTreeView::WndProc(msg);
    }
    if (msg.Msg == WM_DESTROY && FShellLink) FShellLink->UnregisterControl(this);
    if (msg.Msg == WM_DESTROY) FDropTarget->Revoke();  // OLE lets go of the tree before its window goes
    return ui::TCustomTreeView::WndProc(msg);
}
