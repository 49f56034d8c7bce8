// The shell tree finding the node of an item without the user's help:
// locating by item-ID list, the selected folder, and following changes.
#include "shelltree/ShellControls.h"

#include "ui/Dialogs.h"

namespace {
bool SameIDs(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b) {
    return folder && a && b &&
           HRESULT_CODE(folder->CompareIDs(0, reinterpret_cast<PCUIDLIST_RELATIVE>(a),
                                           reinterpret_cast<PCUIDLIST_RELATIVE>(b))) == 0;
}
}  // namespace

bool TKesShellTree::LocateNode(LPCITEMIDLIST list, TLocateMode mode) {
    if (!list) return false;
    ui::TWaitCursor wait;
    ui::TUpdateScope update(Items);
    ui::TTreeNode* target = nullptr;
    bool result = false;
    {
        // While a refresh locates, nodes below the root do not expand.
        struct TKeepDeep {
            bool& Flag;
            bool Old;
            ~TKeepDeep() { Flag = Old; }
        } keep{AllowDeepExpand, AllowDeepExpand};
        AllowDeepExpand = mode != lmRefresh;

        for (ui::TTreeNode* root = Items.GetFirstNode(); root; root = root->GetNextSibling()) {
            TKesShellTreeItem* rootItem = ItemOf(root);
            if (!rootItem) continue;
            if (SameIDs(DesktopFolder, list, rootItem->AbsoluteIDList.Get())) {
                target = root;
                break;
            }
            const UINT k = IDListCount(rootItem->AbsoluteIDList.Get());
            const UINT n = IDListCount(list);
            ui::TTreeNode* v = root;
            UINT level = 0;
            TIDList step = CopyIDListItem(list, k);
            bool reached = false;
            while (level + k < n) {
                if (mode == lmSelect) {
                    v->SetHasChildren(true);
                    v->Expand(false);
                } else if (!v->Expanded() && v->GetFirstChild()) {
                    v->DeleteChildren();
                    v->SetHasChildren(true);
                }
                ui::TTreeNode* found = nullptr;
                for (ui::TTreeNode* c = v->GetFirstChild(); c; c = c->GetNextSibling()) {
                    TKesShellTreeItem* ci = ItemOf(c);
                    if (ci && SameIDs(ci->ParentFolder.Get(), step.Get(), ci->RelativeIDList.Get())) {
                        found = c;
                        break;
                    }
                }
                if (!found) break;
                v = found;
                ++level;
                step = CopyIDListItem(list, k + level);
                if (level + k >= n) reached = true;
            }
            if (reached) {
                target = v;
                result = true;
                break;
            }
            if (mode == lmRefreshParent || mode == lmDelete) mode = lmRefresh;
            if (IsNetworkIDList(list)) {
                Navigator->SetFolderIDList(ItemOf(v)->AbsoluteIDList.Get());
                Navigator->SetObjectIDList(step.Get());
                target = AddChildItem(v);
                result = true;
                break;
            }
            target = v;
        }
    }
    if (target) {
        switch (mode) {
        case lmSelect:
            ChangeDelay = 0;
            target->SetSelected(true);
            SendMessageW(Handle(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(target->ItemId()));
            break;
        case lmRefresh:
            RefreshNode(target, false);
            break;
        case lmRefreshParent:
            if (ui::TTreeNode* parent = target->Parent()) RefreshNode(parent, false);
            break;
        case lmDelete:
            if (target->Selected()) ChangeDelay = 0;
            target->Delete();
            break;
        }
    }
    return result;
}

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
    TIDList folder = Navigator->CopyFolderIDList();
    LocateNode(folder.Get(), lmSelect);
}

void TKesShellTree::ShellChanged(TKesShellChangeNotifier*, TNotificationEvent event, LPCITEMIDLIST item1,
                                 LPCITEMIDLIST item2) {
    if (Loading()) return;
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
