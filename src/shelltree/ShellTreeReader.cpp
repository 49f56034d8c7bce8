#include "shelltree/ShellTreeReader.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "core/FolderReconcile.h"
#include "shelltree/ShellControls.h"
#include "ui/ScopeExit.h"

namespace {
// An item's bytes, for matching an item listed again exactly as before.
std::string_view ItemBytesOf(LPCITEMIDLIST item) noexcept {
    return {reinterpret_cast<const char*>(item), IDListSize(item)};
}
}  // namespace

TKesShellTreeReader::TKesShellTreeReader(TKesShellTree& tree, TKesShellTreeLocator& locator,
                                         TKesShellTreeWatches& watches, TKesShellTreeCheckBoxes& checkBoxes,
                                         TKesShellTreeNames& names, std::function<void()> openRoot)
    : FTree(tree), FLocator(locator), FWatches(watches), FCheckBoxes(checkBoxes), FNames(names),
      FOpenRoot(std::move(openRoot)) {}

bool TKesShellTreeReader::IncludeItem() {
    TShellBrowser& navigator = *FTree.Navigator;
    if (!FTree.HasOption(soShowHidden) && navigator.IsHidden()) return false;
    TKesShellFolder special = SF_FILESYSTEMFOLDER;
    bool specialKnown = false;
    auto objectSpecial = [&] {
        if (!specialKnown) {
            special = navigator.GetObjectSpecialFolder();
            specialKnown = true;
        }
        return special;
    };
    // Only items directly below the desktop or My Computer can be the
    // network or the recycle bin; asking costs a walk of the special folders.
    bool mayBeSpecial = IDListCount(navigator.FolderIDList()) <= 1;
    if (!FTree.HasOption(soShowNethood) && mayBeSpecial &&
        (objectSpecial() == SF_NETHOOD || objectSpecial() == SF_NETWORK))
        return false;
    if (!FTree.HasOption(soShowRecycleBin)) {
        if (mayBeSpecial && objectSpecial() == SF_BITBUCKET) return false;
        std::wstring name = navigator.ObjectName().substr(0, 6);
        if (SameText(name, L"RECYCL") && navigator.IsHidden())
            return false;
    }
    if (FTree.HasOption(soShowFiles)) return true;
    return navigator.IsFolder();
}

ui::TTreeNode* TKesShellTreeReader::AddChildItem(ui::TTreeNode* parent, const std::wstring* displayText) {
    if (!IncludeItem()) return nullptr;
    TShellBrowser& navigator = *FTree.Navigator;
    ui::TTreeNode* node = FTree.Items.AddChild(parent, displayText ? *displayText : navigator.GetDisplayName());
    if (!node) return nullptr;
    TKesShellTreeItem* item = TKesShellTreeItem::AttachTo(node);
    item->RelativeIDList = ToRelativeIDList(navigator.CopyObjectIDList());
    item->SetAbsoluteIDList(CopyAbsoluteIDList(navigator.GetAbsoluteObjectIDList()));
    item->ParentFolder = ui::TComPtr<IShellFolder>::Share(navigator.ShellFolder());
    item->ItemIsFolder = navigator.IsFolder();
    FLocator.IndexChild(parent, node);
    UpdateNodeAttributes(node);
    if (FTree.OnAddFolder) {
        bool canAdd = true;
        FTree.OnAddFolder(node, FTree.GetNodePath(node), canAdd);
        if (!canAdd) {
            node->Delete();
            return nullptr;
        }
    }
    return node;
}

void TKesShellTreeReader::UpdateNodeAttributes(ui::TTreeNode* node) {
    TShellBrowser& navigator = *FTree.Navigator;
    // Icons are asked from the shell when the row is first drawn.
    node->ResetImages();
    node->SetHasChildren(ObjectHasChildren());
    {
        TErrorModeScope quiet(SEM_FAILCRITICALERRORS);
        if (navigator.GetAttributes(SFGAO_GHOSTED) & SFGAO_GHOSTED) node->SetCut(true);
        if (TKesShellTreeItem* item = TKesShellTree::ItemOf(node)) {
            item->Compressed = (navigator.GetAttributes(SFGAO_COMPRESSED) & SFGAO_COMPRESSED) != 0;
            item->Encrypted = (navigator.GetAttributes(SFGAO_ENCRYPTED) & SFGAO_ENCRYPTED) != 0;
        }
    }
    FCheckBoxes.UpdateState(node);
    if (FTree.OnUpdatedFolder) FTree.OnUpdatedFolder(node);
}

bool TKesShellTreeReader::ObjectHasChildren() {
    TShellBrowser& navigator = *FTree.Navigator;
    return FTree.HasOption(soShowFiles) ? navigator.IsFolder() : navigator.HasSubFolders();
}

int TKesShellTreeReader::CompareItems(ui::TTreeNode* a, ui::TTreeNode* b, IShellFolder* folder) const {
    TKesShellTreeItem* ia = TKesShellTree::ItemOf(a);
    TKesShellTreeItem* ib = TKesShellTree::ItemOf(b);
    if (!folder || !ia || !ib) return 0;
    ui::TProfileScope profile(ShellCounters.Comparisons);
    HRESULT hr = folder->CompareIDs(0, ia->RelativeIDList.Get(), ib->RelativeIDList.Get());
    if (FAILED(hr)) return 0;
    return static_cast<short>(HRESULT_CODE(hr));
}

void TKesShellTreeReader::SortNode(ui::TTreeNode* node, IShellFolder* folder) {
    ui::TComPtr<IShellFolder> keep = ui::TComPtr<IShellFolder>::Share(folder);
    FTree.SortChildren(node, [this, folder](ui::TTreeNode* a, ui::TTreeNode* b) { return CompareItems(a, b, folder); });
}

void TKesShellTreeReader::FillNode(ui::TTreeNode* node) {
    if (node->GetFirstChild()) return;
    TKesShellTreeItem* item = TKesShellTree::ItemOf(node);
    if (!item || !item->ItemIsFolder) return;  // a file has nothing to read
    TShellBrowser& navigator = *FTree.Navigator;
    ui::TWaitCursor wait;
    {
        ui::TUpdateScope update(FTree.Items);
        // Its watch comes once it is open, after the reading: the folder's
        // write time now tells the watch what changed meanwhile.
        FWatches.NoteReading(node);
        navigator.SetFolderIDList(item->AbsoluteIDList.Get());
        while (navigator.FindNextObject()) AddChildItem(node);
        SortNode(node, navigator.ShellFolder());
        node->SetHasChildren(node->GetFirstChild() != nullptr);
        item->Filled = true;
    }
    if (node->Parent()) {
        FTree.Notifier->Directories().Add(navigator.Folder());
        FWatches.WatchOpenFolder(node);  // read empty: watched from now on
    }
}

void TKesShellTreeReader::RefreshNode(ui::TTreeNode* node, bool recurse) {
    if (FTree.Loading() || !node) return;
    TKesShellTreeItem* item = TKesShellTree::ItemOf(node);
    if (!item || !item->ItemIsFolder) return;
    TShellBrowser& navigator = *FTree.Navigator;
    navigator.SetAbsoluteIDList(item->AbsoluteIDList.Get(), item->ParentFolder.Get());
    UpdateNodeAttributes(node);
    // A folder never read stays unread; one read empty is read again, so
    // that what comes into it shows. The root is never emptied: it is
    // always read again in place.
    const bool isRoot = node->Parent() == nullptr;
    // A watch that died is made anew whenever its folder is read again.
    FWatches.Rearm(node);
    bool readEmpty = item->Filled && !node->GetFirstChild();
    if (!node->GetFirstChild() && !readEmpty) return;
    if (!navigator.EnterObject()) {
        // No longer a folder (replaced by a file of its name): the navigator
        // still stands in the parent, whose entries must never be listed as
        // this node's. What it held goes, and with it the button and the
        // watch: the node stands for a file now, as a new one would.
        if (!isRoot) {
            node->DeleteChildren();
            FWatches.UnwatchFolder(node, false);
            item->Filled = false;
            item->ItemIsFolder = false;
            node->SetHasChildren(false);
        }
        return;
    }
    // Texts the walk of change reports asked serve this reading only.
    ui::TScopeExit forgetTexts([this, node] { FLocator.ForgetKnownTexts(node); });
    if (!node->Expanded() && !readEmpty && !isRoot) {
        FTree.Unfill(node);
        return;
    }
    bool added = false;
    const std::vector<ui::TTreeNode*> gone = ReadAgain(node, added);
    IShellFolder* folder = navigator.ShellFolder();
    ui::TComPtr<IShellFolder> ownFolder = ui::TComPtr<IShellFolder>::Share(folder);
    // The children that went come in their order among the others.
    size_t g = 0;
    for (ui::TTreeNode* c = node->GetFirstChild(); c;) {
        ui::TTreeNode* next = c->GetNextSibling();
        if (g < gone.size() && gone[g] == c) {
            ++g;
            c->Delete();
        } else if (recurse || FWatches.Replaced(c)) {
            // An open folder moved away and made anew under its name holds
            // what the old one held, and its watch follows the old one:
            // both are renewed.
            RefreshNode(c, true);
        }
        c = next;
    }
    if (added) SortNode(node, ownFolder.Get());
    if (readEmpty && node->GetFirstChild()) {
        // A folder gets its button back; the root is always open.
        node->SetHasChildren(true);
        if (isRoot)
            FOpenRoot();
        else if (!node->Expanded())
            FWatches.UnwatchFolder(node, true);  // closed now, with entries: opening it watches again
    }
}

std::vector<ui::TTreeNode*> TKesShellTreeReader::ReadAgain(ui::TTreeNode* node, bool& added) {
    TShellBrowser& navigator = *FTree.Navigator;
    // A child without a record is none of the reading's business: it stays.
    std::vector<ui::TTreeNode*> children;
    std::vector<TFolderChild> now;
    for (ui::TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling()) {
        if (TKesShellTreeItem* ci = TKesShellTree::ItemOf(c)) {
            children.push_back(c);
            now.push_back({ci->RelativeIDList ? ItemBytesOf(ci->RelativeIDList.Get()) : std::string_view(), c->Text()});
        }
    }
    // The children's bytes stay valid throughout: no child goes before the
    // listing ends, and a renewed child's old bytes are forgotten first.
    TFolderReconcile reconcile(std::move(now));
    while (navigator.FindNextObject()) {
        if (!IncludeItem()) continue;
        PCUITEMID_CHILD listed = navigator.ObjectIDList();
        TFolderEdit edit = reconcile.Listed(
            ItemBytesOf(listed),
            [&] {
                std::wstring text = FLocator.KnownText(node, listed);
                return text.empty() ? navigator.GetDisplayName() : text;
            },
            [&](size_t child) {
                return SameIDs(navigator.ShellFolder(), TKesShellTree::ItemOf(children[child])->RelativeIDList.Get(),
                               listed);
            });
        switch (edit.Kind) {
        case TFolderEditKind::Keep: {
            ui::TTreeNode* same = children[edit.Child];
            same->SetHasChildren(ObjectHasChildren());
            // The same item; only how its name is shown may differ.
            if (FTree.RefreshAsksNames) FNames.Mark(same);
            break;
        }
        case TFolderEditKind::Renew: {
            ui::TTreeNode* found = children[edit.Child];
            TKesShellTreeItem* fi = TKesShellTree::ItemOf(found);
            found->SetHasChildren(ObjectHasChildren());
            // The same item with other bytes (written since, or a folder
            // whose entries changed): the node takes the item as listed now,
            // so that the next reading knows it by its bytes.
            if (!fi->RelativeIDList || ItemBytesOf(fi->RelativeIDList.Get()) != ItemBytesOf(listed)) {
                fi->RelativeIDList = ToRelativeIDList(navigator.CopyObjectIDList());
                fi->SetAbsoluteIDList(CopyAbsoluteIDList(navigator.GetAbsoluteObjectIDList()));
                // Its icon may have changed with it: a drawn row asks it
                // again when next drawn.
                found->ResetImages();
            }
            break;
        }
        case TFolderEditKind::Add:
            // While a name is edited nothing is added; the folder is read
            // again once the edit ends.
            if (!FTree.IsEditing())
                AddChildItem(node, &edit.Text);
            else if (std::find(FAddsWaiting.begin(), FAddsWaiting.end(), node) == FAddsWaiting.end())
                FAddsWaiting.push_back(node);
            added = true;
            break;
        case TFolderEditKind::Remove:
            break;  // only once the listing ended
        }
    }
    std::vector<ui::TTreeNode*> gone;
    for (const TFolderEdit& edit : reconcile.Removed()) gone.push_back(children[edit.Child]);
    return gone;
}

std::vector<ui::TTreeNode*> TKesShellTreeReader::TakeAddsWaiting() noexcept { return std::exchange(FAddsWaiting, {}); }

void TKesShellTreeReader::Forget(ui::TTreeNode* node) noexcept {
    FAddsWaiting.erase(std::remove(FAddsWaiting.begin(), FAddsWaiting.end(), node), FAddsWaiting.end());
}
