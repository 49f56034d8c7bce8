#include "shelltree/ShellControls.h"

#include "ui/Dpi.h"

#include "ui/Application.h"
#include "ui/ScopeExit.h"
#include "ui/TreeViewCalls.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
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
              if (first) SortNode(folder, first->ParentFolder.Get());
          })),
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

TKesShellTreeItem* TKesShellTree::NewItem(ui::TTreeNode* node) {
    auto item = std::make_unique<TKesShellTreeItem>();
    TKesShellTreeItem* result = item.get();
    node->SetData(std::move(item));
    return result;
}

void TKesShellTree::Delete(ui::TTreeNode* node) {
    ui::TCustomTreeView::Delete(node);
    FWatches->UnwatchFolder(node, false);
    FLocator->Forget(node);
    FAddsWaiting.erase(std::remove(FAddsWaiting.begin(), FAddsWaiting.end(), node), FAddsWaiting.end());
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
        auto* item = NewItem(root);
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

bool TKesShellTree::IncludeItem() {
    if (!HasOption(soShowHidden) && Navigator->IsHidden()) return false;
    TKesShellFolder special = SF_FILESYSTEMFOLDER;
    bool specialKnown = false;
    auto objectSpecial = [&] {
        if (!specialKnown) {
            special = Navigator->GetObjectSpecialFolder();
            specialKnown = true;
        }
        return special;
    };
    // Only items directly below the desktop or My Computer can be the
    // network or the recycle bin; asking costs a walk of the special folders.
    bool mayBeSpecial = IDListCount(Navigator->FolderIDList()) <= 1;
    if (!HasOption(soShowNethood) && mayBeSpecial &&
        (objectSpecial() == SF_NETHOOD || objectSpecial() == SF_NETWORK))
        return false;
    if (!HasOption(soShowRecycleBin)) {
        if (mayBeSpecial && objectSpecial() == SF_BITBUCKET) return false;
        std::wstring name = Navigator->ObjectName().substr(0, 6);
        if (SameText(name, L"RECYCL") && Navigator->IsHidden())
            return false;
    }
    if (HasOption(soShowFiles)) return true;
    return Navigator->IsFolder();
}

ui::TTreeNode* TKesShellTree::AddChildItem(ui::TTreeNode* parent, const std::wstring* displayText) {
    if (!IncludeItem()) return nullptr;
    ui::TTreeNode* node = Items.AddChild(parent, displayText ? *displayText : Navigator->GetDisplayName());
    if (!node) return nullptr;
    TKesShellTreeItem* item = NewItem(node);
    item->RelativeIDList = ToRelativeIDList(Navigator->CopyObjectIDList());
    item->SetAbsoluteIDList(CopyAbsoluteIDList(Navigator->GetAbsoluteObjectIDList()));
    item->ParentFolder = ui::TComPtr<IShellFolder>::Share(Navigator->ShellFolder());
    item->ItemIsFolder = Navigator->IsFolder();
    FLocator->IndexChild(parent, node);
    UpdateNodeAttributes(node);
    if (OnAddFolder) {
        bool canAdd = true;
        OnAddFolder(node, GetNodePath(node), canAdd);
        if (!canAdd) {
            node->Delete();
            return nullptr;
        }
    }
    return node;
}

void TKesShellTree::UpdateNodeAttributes(ui::TTreeNode* node) {
    // Icons are asked from the shell when the row is first drawn.
    node->ResetImages();
    node->SetHasChildren(ObjectHasChildren());
    {
        TErrorModeScope quiet(SEM_FAILCRITICALERRORS);
        if (Navigator->GetAttributes(SFGAO_GHOSTED) & SFGAO_GHOSTED) node->SetCut(true);
        if (TKesShellTreeItem* item = ItemOf(node)) {
            item->Compressed = (Navigator->GetAttributes(SFGAO_COMPRESSED) & SFGAO_COMPRESSED) != 0;
            item->Encrypted = (Navigator->GetAttributes(SFGAO_ENCRYPTED) & SFGAO_ENCRYPTED) != 0;
        }
    }
    FCheckBoxes->UpdateState(node);
    if (OnUpdatedFolder) OnUpdatedFolder(node);
}

bool TKesShellTree::ObjectHasChildren() {
    return HasOption(soShowFiles) ? Navigator->IsFolder() : Navigator->HasSubFolders();
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

int TKesShellTree::CompareItems(ui::TTreeNode* a, ui::TTreeNode* b, IShellFolder* folder) const {
    TKesShellTreeItem* ia = ItemOf(a);
    TKesShellTreeItem* ib = ItemOf(b);
    if (!folder || !ia || !ib) return 0;
    ui::TProfileScope profile(ShellCounters.Comparisons);
    HRESULT hr = folder->CompareIDs(0, ia->RelativeIDList.Get(), ib->RelativeIDList.Get());
    if (FAILED(hr)) return 0;
    return static_cast<short>(HRESULT_CODE(hr));
}

void TKesShellTree::SortNode(ui::TTreeNode* node, IShellFolder* folder) {
    ui::TComPtr<IShellFolder> keep = ui::TComPtr<IShellFolder>::Share(folder);
    SortChildren(node, [this, folder](ui::TTreeNode* a, ui::TTreeNode* b) { return CompareItems(a, b, folder); });
}

void TKesShellTree::FillNode(ui::TTreeNode* node) {
    if (node->GetFirstChild()) return;
    TKesShellTreeItem* item = ItemOf(node);
    if (!item || !item->ItemIsFolder) return;  // a file has nothing to read
    ui::TWaitCursor wait;
    {
        ui::TUpdateScope update(Items);
        // Its watch comes once it is open, after the reading: the folder's
        // write time now tells the watch what changed meanwhile.
        FWatches->NoteReading(node);
        Navigator->SetFolderIDList(item->AbsoluteIDList.Get());
        while (Navigator->FindNextObject()) AddChildItem(node);
        SortNode(node, Navigator->ShellFolder());
        node->SetHasChildren(node->GetFirstChild() != nullptr);
        item->Filled = true;
    }
    if (node->Parent()) {
        Notifier->Directories().Add(Navigator->Folder());
        FWatches->WatchOpenFolder(node);  // read empty: watched from now on
    }
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
        FillNode(node);
        return true;
    }
    bool allow = ui::TCustomTreeView::CanExpand(node) &&
                 (AllowDeepExpand || (node->Parent() == nullptr && !Loading()));
    if (allow) FillNode(node);
    return allow;
}

void TKesShellTree::Expand(ui::TTreeNode* node) {
    if (!node->GetFirstChild()) FillNode(node);
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

namespace {
// An item's bytes, for matching an item listed again exactly as before.
std::string_view ItemBytesOf(LPCITEMIDLIST item) noexcept {
    return {reinterpret_cast<const char*>(item), IDListSize(item)};
}
}  // namespace

void TKesShellTree::RefreshNode(ui::TTreeNode* node, bool recurse) {
    if (Loading() || !node) return;
    TKesShellTreeItem* item = ItemOf(node);
    if (!item || !item->ItemIsFolder) return;
    for (ui::TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling())
        if (TKesShellTreeItem* ci = ItemOf(c)) ci->Present = 0;
    Navigator->SetAbsoluteIDList(item->AbsoluteIDList.Get(), item->ParentFolder.Get());
    UpdateNodeAttributes(node);
    // A folder never read stays unread; one read empty is read again, so
    // that what comes into it shows. The root is never emptied: it is
    // always read again in place.
    const bool isRoot = node->Parent() == nullptr;
    // A watch that died is made anew whenever its folder is read again.
    FWatches->Rearm(node);
    bool readEmpty = item->Filled && !node->GetFirstChild();
    if (!node->GetFirstChild() && !readEmpty) return;
    if (!Navigator->EnterObject()) {
        // No longer a folder (replaced by a file of its name): the navigator
        // still stands in the parent, whose entries must never be listed as
        // this node's. What it held goes, and with it the button and the
        // watch: the node stands for a file now, as a new one would.
        if (!isRoot) {
            node->DeleteChildren();
            FWatches->UnwatchFolder(node, false);
            item->Filled = false;
            item->ItemIsFolder = false;
            node->SetHasChildren(false);
        }
        return;
    }
    // Texts the walk of change reports asked serve this reading only.
    ui::TScopeExit forgetTexts([this, node] { FLocator->ForgetKnownTexts(node); });
    if (!node->Expanded() && !readEmpty && !isRoot) {
        Unfill(node);
        return;
    }
    // Children by the bytes of their item, so an object listed as it was
    // is matched without asking the shell anything, and by display text
    // for the rest; each in constant time. The bytes stay valid throughout:
    // no child goes before the listing ends, and a child whose item is
    // renewed takes its old bytes out of the map first.
    std::unordered_map<std::string_view, ui::TTreeNode*> byBytes;
    std::unordered_map<std::wstring, std::vector<ui::TTreeNode*>> byText;
    for (ui::TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling()) {
        byText[c->Text()].push_back(c);
        if (TKesShellTreeItem* ci = ItemOf(c); ci && ci->RelativeIDList)
            byBytes.emplace(ItemBytesOf(ci->RelativeIDList.Get()), c);
    }
    bool added = false;
    while (Navigator->FindNextObject()) {
        if (!IncludeItem()) continue;
        auto same = byBytes.find(ItemBytesOf(Navigator->ObjectIDList()));
        if (same != byBytes.end() && ItemOf(same->second)->Present == 0) {
            ItemOf(same->second)->Present = 1;
            same->second->SetHasChildren(ObjectHasChildren());
            // The same item; only how its name is shown may differ.
            if (RefreshAsksNames) FNames->Mark(same->second);
            continue;
        }
        std::wstring text = FLocator->KnownText(node, Navigator->ObjectIDList());
        if (text.empty()) text = Navigator->GetDisplayName();
        ui::TTreeNode* found = nullptr;
        auto it = byText.find(text);
        if (it != byText.end()) {
            // The text only finds candidates: two items may share it (a
            // folder "same" beside "same.lnk"), so the item decides. Equal
            // bytes settle it without asking the shell.
            for (ui::TTreeNode* candidate : it->second) {
                TKesShellTreeItem* ci = ItemOf(candidate);
                if (ci && ci->Present == 0 &&
                    SameIDs(Navigator->ShellFolder(), ci->RelativeIDList.Get(), Navigator->ObjectIDList())) {
                    found = candidate;
                    break;
                }
            }
        }
        if (!found) {
            // While a name is edited nothing is added; the folder is read
            // again once the edit ends.
            if (!IsEditing())
                AddChildItem(node, &text);
            else if (std::find(FAddsWaiting.begin(), FAddsWaiting.end(), node) == FAddsWaiting.end())
                FAddsWaiting.push_back(node);
            added = true;
        } else {
            TKesShellTreeItem* fi = ItemOf(found);
            fi->Present = 1;
            found->SetHasChildren(ObjectHasChildren());
            // The same item with other bytes (written since, or a folder
            // whose entries changed): the node takes the item as listed now,
            // so that the next reading knows it by its bytes. Its old bytes
            // leave the map before they are freed.
            const std::string_view oldBytes = ItemBytesOf(fi->RelativeIDList.Get());
            if (oldBytes != ItemBytesOf(Navigator->ObjectIDList())) {
                if (auto mine = byBytes.find(oldBytes); mine != byBytes.end() && mine->second == found)
                    byBytes.erase(mine);
                fi->RelativeIDList = ToRelativeIDList(Navigator->CopyObjectIDList());
                fi->SetAbsoluteIDList(CopyAbsoluteIDList(Navigator->GetAbsoluteObjectIDList()));
                // Its icon may have changed with it: a drawn row asks it
                // again when next drawn.
                found->ResetImages();
            }
        }
    }
    IShellFolder* folder = Navigator->ShellFolder();
    ui::TComPtr<IShellFolder> ownFolder = ui::TComPtr<IShellFolder>::Share(folder);
    for (ui::TTreeNode* c = node->GetFirstChild(); c;) {
        ui::TTreeNode* next = c->GetNextSibling();
        TKesShellTreeItem* ci = ItemOf(c);
        if (ci && ci->Present == 0)
            c->Delete();
        else if (recurse || FWatches->Replaced(c))
            // An open folder moved away and made anew under its name holds
            // what the old one held, and its watch follows the old one:
            // both are renewed.
            RefreshNode(c, true);
        c = next;
    }
    if (added) SortNode(node, ownFolder.Get());
    if (readEmpty && node->GetFirstChild()) {
        // A folder gets its button back; the root is always open.
        node->SetHasChildren(true);
        if (isRoot)
            ExpandRoot();
        else if (!node->Expanded())
            FWatches->UnwatchFolder(node, true);  // closed now, with entries: opening it watches again
    }
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

