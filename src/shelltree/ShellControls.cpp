#include "shelltree/ShellControls.h"

#include "ui/Dpi.h"

#include "ui/Application.h"
#include "ui/ScopeExit.h"
#include "ui/TreeViewCalls.h"

#include <vector>

TKesShellTree::TKesShellTree(ui::TWinControl* parent)
    : ui::TCustomTreeView(parent),
      Navigator(std::make_unique<TShellBrowser>(this)),
      Notifier(std::make_unique<TKesShellChangeNotifier>()),
      FDropTarget(std::make_unique<TKesShellTreeDropTarget>(
          *this, [this](ui::TTreeNode* node) { return NodeDropTarget(node); })),
      FLocator(std::make_unique<TKesShellTreeLocator>(*this)),
      FWatches(std::make_unique<TKesShellTreeWatches>(*this)),
      FCheckBoxes(std::make_unique<TKesShellTreeCheckBoxes>(*this)),
      FNames(std::make_unique<TKesShellTreeNames>(
          *this,
          [this](ui::TTreeNode* node, const std::wstring& text) {
              // The walk to an item finds a child by its text.
              FLocator->UnindexChild(node);
              node->SetText(text);
              FLocator->IndexChild(node->Parent(), node);
          },
          [this](ui::TTreeNode* folder) {
              // Its entries' parent folder is the folder itself.
              TKesShellTreeItem* first = ItemOf(folder->GetFirstChild());
              if (first) FReader->SortNode(folder, first->ParentFolder.Get());
          })),
      FReader(std::make_unique<TKesShellTreeReader>(*this, *FLocator, *FWatches, *FCheckBoxes, *FNames,
                                                    [this] { ExpandRoot(); })),
      FShowOptions(ShowOption(soShowNethood) | ShowOption(soShowRecycleBin) | ShowOption(soShowErrorMessages)) {
    SetBounds(Left(), Top(), 200, 300);
    ChangeDelay = 100;
    SetShowRoot(false);
    SetHideSelection(false);
    SetDoubleBuffered(true);
    RightClickSelect = true;
    FWatches->HookUp();
    // The window exists from here on: the icon-title font, and shell calls
    // may name it as their owner.
    DpiChanged(ui::WindowDpi(Handle()));
    Navigator->MarkLoaded();
    SetOleDragDrop(true);
}

void TKesShellTree::DpiChanged(int dpi) {
    LOGFONTW lf{};
    if (!ui::IconTitleFontForDpi(dpi, lf)) return;
    ui::TFontOwner previous(FFont.Release());  // freed once the new one is set
    FFont.Reset(CreateFontIndirectW(&lf));
    SetFont(FFont.Get());
}

TKesSystemImageList& TKesShellTree::SystemImages() {
    if (!FSystemImages) {
        FSystemImages = std::make_unique<TKesSystemImageList>();
        SetImageList(FSystemImages->Handle());
        // Rows may have grown to the icons' height: the selection stays in view.
        if (ui::TTreeNode* selected = Selected())
            ui::treeview::EnsureVisible(Handle(), selected->ItemId());
    }
    return *FSystemImages;
}

TKesShellTree::~TKesShellTree() {
    if (FShellLink) FShellLink->UnregisterControl(this);
    // Nodes go first: their records hold the navigator's folders.
    if (HandleAllocated()) Items.Clear();
    DestroyHandle();
}

TKesShellTreeItem* TKesShellTree::ItemOf(const ui::TTreeNode* node) {
    // Every node of this tree carries a record of this type or none.
    return node ? static_cast<TKesShellTreeItem*>(node->Data()) : nullptr;
}

void TKesShellTree::Delete(ui::TTreeNode* node) {
    ui::TCustomTreeView::Delete(node);
    FWatches->UnwatchFolder(node, false);
    FLocator->Forget(node);
    FReader->Forget(node);
    node->SetData(nullptr);  // its folders go now, before the node
}

std::wstring TKesShellTree::GetNodePath(const ui::TTreeNode* node) const {
    TKesShellTreeItem* item = ItemOf(node);
    if (!item) return {};
    if (!item->Path) item->Path = ItemPath(node, *item);
    return *item->Path;
}

std::wstring TKesShellTree::ItemPath(const ui::TTreeNode* node, const TKesShellTreeItem& item) const {
    // The shell takes about a millisecond under Wine to tell a path. An
    // entry of a directory is that directory's path and the file name its
    // item holds, which the folder reads from the item's bytes. Other
    // parents (a compressed folder, a virtual one) leave it to the shell.
    if (const ui::TTreeNode* parent = node->Parent();
        parent && item.ParentFolder && item.RelativeIDList && IDListCount(item.RelativeIDList.Get()) == 1) {
        // One item below its parent's folder: a child list.
        const auto child = reinterpret_cast<PCUITEMID_CHILD>(item.RelativeIDList.Get());
        const std::wstring folder = GetNodePath(parent);
        const DWORD attributes = folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(folder.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            const std::wstring name = FileNameInFolder(item.ParentFolder.Get(), child);
            if (!name.empty()) return folder + (folder.back() == L'\\' ? L"" : L"\\") + name;
        }
    }
    return IDListToPath(item.AbsoluteIDList.Get());
}

void TKesShellTree::SetRootedAt(TKesShellFolder value) {
    FRootedAt = value;
    ui::TWaitCursor wait;
    {
        ui::TUpdateScope update(Items);
        SetSelected(nullptr);
        Items.Clear();
        ui::TTreeNode* root = Items.AddChild(nullptr, L"");
        auto* item = TKesShellTreeItem::AttachTo(root);
        if (value == SF_DESKTOP) {
            item->RelativeIDList.Reset(EmptyIDList);
            item->SetAbsoluteIDList(TAbsoluteIDList(EmptyIDList));
            item->ItemIsFolder = true;
            item->OwnFolder = ui::TComPtr<IShellFolder>::Share(DesktopFolder);
            item->ParentFolder = ui::TComPtr<IShellFolder>::Share(DesktopFolder);
            root->SetText(Navigator->GetDesktopDisplayName());
            root->SetHasChildren(true);
        } else {
            if (value == SF_FILESYSTEMFOLDER)
                Navigator->SetFolder(FRootedAtFileSystemFolder);
            else
                Navigator->SetSpecialFolder(value);
            item->RelativeIDList = ToRelativeIDList(Navigator->CopyFolderIDList());
            item->SetAbsoluteIDList(Navigator->CopyFolderIDList());
            item->ItemIsFolder = true;
            item->OwnFolder = ui::TComPtr<IShellFolder>::Share(Navigator->ShellFolder());
            Navigator->SelectFolderInParent();
            item->ParentFolder = ui::TComPtr<IShellFolder>::Share(Navigator->ShellFolder());
            root->SetText(Navigator->GetDisplayName());
            root->SetHasChildren(Navigator->HasSubFolders() || HasOption(soShowFiles));
        }
        // Watched before it is read: what changes while it is read shows
        // in the watch.
        Notifier->WatchRootFolder(item->AbsoluteIDList.Get());
        if (!Loading()) {
            ExpandRoot();
            root->SetSelected(true);
        }
        // A desktop root watches the desktop folder itself; any other root
        // the folder that holds it.
        if (value == SF_DESKTOP)
            Notifier->WatchRoot(EmptyIDList);
        else
            Notifier->WatchRoot(Navigator->FolderIDList());
    }
    if (value != SF_FILESYSTEMFOLDER) FRootedAtFileSystemFolder.clear();
}

void TKesShellTree::SetRootedAtFileSystemFolder(const std::wstring& path) {
    FRootedAtFileSystemFolder = path;
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (!path.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        SetRootedAt(SF_FILESYSTEMFOLDER);
}

void TKesShellTree::SetShowOptions(TKesShellShowOptions value) {
    if (value == FShowOptions) return;
    FShowOptions = value;
    Navigator->ShowErrorMessages = HasOption(soShowErrorMessages);
    if (HasOption(soShowFiles)) FWatches->FollowFiles();
    RefreshTree();
}

void TKesShellTree::SetFileSystemOnly(bool value) {
    Navigator->FileSystemOnly = value;
    RefreshTree();
}

void TKesShellTree::SetFilter(const std::wstring& value) {
    Navigator->SetFilter(value);
    RefreshTree();
}

void TKesShellTree::GetImageIndex(ui::TTreeNode* node) {
    TKesShellTreeItem* item = ItemOf(node);
    if (!item || !item->AbsoluteIDList) {
        ui::TCustomTreeView::GetImageIndex(node);
        return;
    }
    auto lookup = [&](UINT extra) {
        ++IconLookups;
        ui::TProfileScope profile(ShellCounters.Icons);
        SHFILEINFOW info{};
        SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item->AbsoluteIDList.Get()), 0, &info, sizeof(info),
                       SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extra);
        return info.iIcon;
    };
    int image = lookup(0);
    int open = item->ItemIsFolder ? lookup(SHGFI_OPENICON) : image;
    node->AnswerImages(image, open);
}

void TKesShellTree::Unfill(ui::TTreeNode* node) {
    node->DeleteChildren();
    if (TKesShellTreeItem* item = ItemOf(node)) item->Filled = false;
    node->SetHasChildren(true);
}

void TKesShellTree::ExpandRoot() {
    ui::TTreeNode* root = Items.GetFirstNode();
    if (!root || Loading()) return;
    ui::TRestoreOnExit<bool> own(FExpandingRoot, true);
    root->Expand(false);
    // An empty folder stays open too, so that what comes into it shows.
    root->KeepOpen();
}

bool TKesShellTree::CanExpand(ui::TTreeNode* node) {
    if (FExpandingRoot && !node->Parent()) {
        FReader->FillNode(node);
        return true;
    }
    bool allow = ui::TCustomTreeView::CanExpand(node) &&
                 (AllowDeepExpand || (node->Parent() == nullptr && !Loading()));
    if (allow) FReader->FillNode(node);
    return allow;
}

void TKesShellTree::Expand(ui::TTreeNode* node) {
    if (!node->GetFirstChild()) FReader->FillNode(node);
    FWatches->WatchOpenFolder(node);
    if (FExpandingRoot && !node->Parent()) return;  // the control's own step, no user's
    ui::TCustomTreeView::Expand(node);
}

void TKesShellTree::Collapse(ui::TTreeNode* node) {
    FWatches->UnwatchFolder(node, true);
    ui::TCustomTreeView::Collapse(node);
}

bool TKesShellTree::CanChange(ui::TTreeNode* node) {
    bool allow = ui::TCustomTreeView::CanChange(node);
    if (!allow || !HasOption(soShowErrorMessages) || !node) return allow;
    try {
        TKesShellTreeItem* item = ItemOf(node);
        if (!item) return allow;
        Navigator->SetAbsoluteIDList(item->AbsoluteIDList.Get());
        if (Navigator->IsFolder()) return Navigator->EnterObject();
        return true;
    } catch (...) {
        return false;
    }
}

void TKesShellTree::Change(ui::TTreeNode* node) {
    ui::TCustomTreeView::Change(node);
    if (TKesShellTreeItem* item = ItemOf(node)) History.Add(CopyIDList(item->AbsoluteIDList.Get()));
    NotifyLinkSelection(node);
    if (ExpandOnSelected && node) node->Expand(false);
    ChangeDelay = 100;
}

void TKesShellTree::CustomDrawItem(ui::TTreeNode* node, NMTVCUSTOMDRAW& draw) {
    if (TKesShellTreeItem* item = ItemOf(node)) {
        if (HasOption(soColorCompressed) && item->Compressed) draw.clrText = 0xFF0000;
        if (HasOption(soColorEncrypted) && item->Encrypted) draw.clrText = 0x008000;
    }
    ui::TCustomTreeView::CustomDrawItem(node, draw);
}

void TKesShellTree::RefreshReported(ui::TTreeNode* node) {
    if (Loading() || !node) return;
    TKesShellTreeItem* item = ItemOf(node);
    if (!item || !item->ItemIsFolder) return;
    // Below a folder read again everything is read again: a sub-folder
    // deleted and made anew there keeps a watch that never fires. A folder
    // never read, in a folder that did not change, is the same item as
    // before, with nothing of it shown to catch up with; a root never read
    // is read.
    if (!item->Filled) {
        if (!node->Parent()) RefreshNode(node, true);
        return;
    }
    if (!FWatches->Quiet(node)) {
        RefreshNode(node, true);
        return;
    }
    for (ui::TTreeNode* c = node->GetFirstChild(); c;) {
        ui::TTreeNode* next = c->GetNextSibling();
        RefreshReported(c);
        c = next;
    }
}

void TKesShellTree::ProcessMessages() {
    if (ui::Application) ui::Application->ProcessMessages();
}

void TKesShellTree::RefreshTree() {
    ui::TWaitCursor wait;
    ProcessMessages();
    ui::TUpdateScope update(Items);
    if (!Items.GetFirstNode())
        SetRootedAt(FRootedAt);
    else
        RefreshNode(Items.GetFirstNode(), true);
}

void TKesShellTree::Loaded() {
    ui::TCustomTreeView::Loaded();
    if (!HasOption(soNoFillOnStartup)) {
        if (!StoredSelectedFolder.empty())
            SetSelectedFolder(StoredSelectedFolder);
        else if (StoredSpecialFolder != SF_FILESYSTEMFOLDER)
            SetSpecialFolder(StoredSpecialFolder);
    }
    NotifyLinkSelection(Selected());
    if (ui::TTreeNode* root = Items.GetFirstNode()) {
        if (!HasOption(soNoFillOnStartup)) root->Expand(false);
    }
}

