// The shell tree: a tree view over the shell namespace with one root entry
// (a special folder, the desktop or a file-system folder) whose folders are
// read when they are first opened. Every node keeps its item-ID lists, so
// the tree can re-read folders and find the node of an item.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/ShellBrowser.h"
#include "shell/ShellLink.h"
#include "shelltree/KESControls.h"
#include "shelltree/ShellTreeCheckBoxes.h"
#include "shelltree/ShellTreeDropTarget.h"
#include "shelltree/ShellTreeLocator.h"
#include "shelltree/ShellTreeNames.h"
#include "shelltree/ShellTreeReader.h"
#include "shelltree/ShellTreeWatches.h"
#include "ui/Handles.h"
#include "ui/TreeView.h"

enum TKesShellShowOption {
    soShowNethood, soShowRecycleBin, soShowErrorMessages, soShowHidden, soShowFiles,
    soShowContextMenuOnTop, soColorCompressed, soColorEncrypted, soNoFillOnStartup,
};
using TKesShellShowOptions = uint16_t;
constexpr TKesShellShowOptions ShowOption(TKesShellShowOption o) { return static_cast<TKesShellShowOptions>(1u << o); }

// What an operation started in the tree did; value n is bit n of the set.
enum TKesShellOperation {
    sopCopy, sopMove, sopDrag, sopDrop, sopCut, sopPaste, sopDelete, sopRemove, sopAdd, sopRename,
};
using TKesShellOperations = uint16_t;
constexpr TKesShellOperations ShellOp(TKesShellOperation o) { return static_cast<TKesShellOperations>(1u << o); }
using TFileList = std::unique_ptr<std::vector<std::wstring>>;

// What every node of the tree carries, owned by the node.
struct TKesShellTreeItem final : ui::TNodeData {
    // Below the parent's folder: one item, or the root's whole list below the desktop.
    TIDList RelativeIDList;
    TAbsoluteIDList AbsoluteIDList;  // given through SetAbsoluteIDList
    ui::TComPtr<IShellFolder> ParentFolder;
    bool ItemIsFolder = false;
    ui::TComPtr<IShellFolder> OwnFolder;  // the root's only
    bool Compressed = false;
    bool Encrypted = false;
    bool Filled = false;  // its folder was read, even if it held nothing
    // Its folder's write time when it was read or closed, unwatched; 0 once watched.
    ULONGLONG ClosedWriteTime = 0;
    // The path of AbsoluteIDList once asked: the shell takes long to tell,
    // and the view asks every open folder's path at each refresh.
    mutable std::optional<std::wstring> Path;
    // Its name is to be asked again while idle.
    bool NameToCheck = false;
    // Names of its entries changed while idle: it is to be put in order.
    bool ChildNamesChanged = false;

    void SetAbsoluteIDList(TAbsoluteIDList list) noexcept {
        AbsoluteIDList = std::move(list);
        Path.reset();
    }
    // Gives a new node its (empty) record.
    static TKesShellTreeItem* AttachTo(ui::TTreeNode* node) {
        auto item = std::make_unique<TKesShellTreeItem>();
        TKesShellTreeItem* result = item.get();
        node->SetData(std::move(item));
        return result;
    }
};

// The tree keeps the nodes and what they show; collaborators it owns take
// the drop target, the walk to an item's node with its refresh queue, the
// folder watches, the check boxes, the names asked while idle and the
// reading of folders.
class TKesShellTree : public ui::TCustomTreeView, public IKesShellControl {
public:
    explicit TKesShellTree(ui::TWinControl* parent);
    ~TKesShellTree() override;

    std::wstring Version() const { return L"TKesShellTree V3.33"; }

    TKesShellFolder RootedAt() const noexcept { return FRootedAt; }
    // Rebuilds the tree with one root entry.
    void SetRootedAt(TKesShellFolder value);
    const std::wstring& RootedAtFileSystemFolder() const noexcept { return FRootedAtFileSystemFolder; }
    // Roots the tree at the folder when it exists; otherwise only stores it.
    void SetRootedAtFileSystemFolder(const std::wstring& path);

    TKesShellShowOptions ShowOptions() const noexcept { return FShowOptions; }
    void SetShowOptions(TKesShellShowOptions value);
    bool HasOption(TKesShellShowOption o) const noexcept { return (FShowOptions & ShowOption(o)) != 0; }
    bool FileSystemOnly() const noexcept { return Navigator->FileSystemOnly; }
    void SetFileSystemOnly(bool value);
    std::wstring Filter() const { return Navigator->Filter(); }
    void SetFilter(const std::wstring& value);

    bool ExpandOnSelected = false;
    // An OLE drag source and drop target (ShellDragDrop.cpp).
    bool OleDragDrop() const noexcept { return FOleDragDrop; }
    void SetOleDragDrop(bool value);
    bool ShellContextMenu = true;
    // Check boxes whose states come from the link's selection list.
    bool CheckBoxes() const noexcept;
    void SetCheckBoxes(bool value);
    std::function<void(TKesShellTree& sender, int absoluteIndex, const std::wstring& path, TKesSelectionState state)>
        OnCheckStateChanged;
    // The hub this tree keeps in step with (ShellCheckBoxes.cpp).
    TKesShellLink* ShellLink() const noexcept { return FShellLink; }
    void SetShellLink(TKesShellLink* link) override;
    TKesShellLink* GetShellLink() const override { return FShellLink; }
    void SelectIDList(LPCITEMIDLIST list) override;
    void SelectFileIDList(LPCITEMIDLIST folder, LPCITEMIDLIST file) override;
    void SelectionChanged() override {}
    void RefreshAll() override { RefreshTree(); }
    void RefreshSelected() override { RefreshAfterPaste(); }
    bool GoUp() override { return SelectParentNode(); }
    // Re-read check states: the node and its ancestors below the root, or
    // the node and its open descendants.
    void UpdateStatesUp(ui::TTreeNode* node);
    void UpdateStatesDown(ui::TTreeNode* node);
    bool CreateLinkOnDrop = false;

    // Raised for every node added below a folder; CanAdd false removes it again.
    std::function<void(ui::TTreeNode* node, const std::wstring& path, bool& canAdd)> OnAddFolder;
    std::function<void(ui::TTreeNode* node)> OnUpdatedFolder;
    // Every report of the notifier, before the tree acts on it: the items
    // named, null where a report names fewer.
    std::function<void(TNotificationEvent event, LPCITEMIDLIST item1, LPCITEMIDLIST item2)> OnChangeReported;
    // After every delete, paste and rename started in the tree.
    std::function<void(TKesShellTree& sender, TKesShellOperations operation, const std::vector<std::wstring>& files,
                       const std::wstring& destination)>
        OnOperation;

    // Before items dropped on a node are handed to its folder; executeDrop
    // false refuses them.
    std::function<void(TKesShellTree& sender, ui::TTreeNode* dropNode, const std::vector<std::wstring>& files,
                       bool& executeDrop)>
        OnBeforeShellDrop;
    // A line worth keeping in the program's log.
    std::function<void(const std::wstring& text)> OnLogInfo;
    // Editing a name ended without a new one; nothing else follows.
    std::function<void(ui::TTreeNode* node)> OnEditCanceled;

    // Keeps a node across a loop that dispatches messages: the one way any
    // code here holds a node over a box, a menu, a drag or a wait.
    TKesShellTreeLocator::TNodeHold HoldNode(ui::TTreeNode* node) { return {*FLocator, node}; }
    // Handles the messages waiting; every wait of the tree goes through here.
    virtual void ProcessMessages();

    // Drags a node out of the tree with a mouse button (0 left, 1 right,
    // 2 middle).
    void BeginShellDrag(ui::TTreeNode* node, int kind);
    // One step of scrolling towards the edge a dragging pointer is near.
    void AutoScrollAt(POINT client);
    // What OLE calls while something is dragged over the tree.
    IDropTarget* DropTarget();
    ui::TTreeNode* DropNode() const noexcept;
    IDataObject* DragData() const noexcept;

    // Commands on the selected entry (ShellCommands.cpp).
    // Runs a shell verb on it and reports deletes and pastes.
    bool DoShellVerb(const std::wstring& verb);
    // The shell's menu for it at a screen point; verb receives what ran.
    void ShowShellContextMenu(POINT at, std::wstring& verb);
    // Reports an operation when there are files to report.
    void DoOperation(TKesShellOperations operation, TFileList files, const std::wstring& destination);
    // Opens its in-place editor; renaming then goes through the shell.
    void StartRenameSelected();
    // Reads the pasted-into folder again, and the folders of entries cut.
    void RefreshAfterPaste();
    // Drops a collapsed folder's children; they are read again on expanding.
    void Unfill(ui::TTreeNode* node);

    // The record of a node, or none.
    static TKesShellTreeItem* ItemOf(const ui::TTreeNode* node);
    std::wstring GetNodePath(const ui::TTreeNode* node) const;
    // Reads the node's folder again where it was read: entries listed again
    // keep their nodes. With recurse, its open sub-folders too.
    void RefreshNode(ui::TTreeNode* node, bool recurse) { FReader->RefreshNode(node, recurse); }
    // Catches up with the file system where the watches saw a change: a
    // folder whose watch stayed quiet keeps what was read of it, and only
    // its sub-folders are looked at; any other is read again with all it
    // holds, as RefreshNode does.
    void RefreshReported(ui::TTreeNode* node);
    void RefreshTree();
    // Closes every handle the tree holds on folders, and opens none, until
    // ResumeWatches: a folder it shows can then be moved. On resuming, what
    // changed meanwhile is read.
    void SuspendWatches() { FWatches->Suspend(); }
    void ResumeWatches() { FWatches->Resume(); }
    // Adds the navigator's current object below the parent, when it is
    // shown at all; its display text may be passed when already known.
    ui::TTreeNode* AddChildItem(ui::TTreeNode* parent, const std::wstring* displayText = nullptr) {
        return FReader->AddChildItem(parent, displayText);
    }

    // Walks from the root along an absolute list and selects, refreshes or
    // deletes the node it reaches. True when the whole list was reached.
    bool LocateNode(LPCITEMIDLIST list, TLocateMode mode);
    void SelectItemIDList(LPCITEMIDLIST list);
    bool SelectParentNode();
    std::wstring SelectedFolder();
    void SetSelectedFolder(const std::wstring& path);
    TKesShellFolder SpecialFolder();
    void SetSpecialFolder(TKesShellFolder value);
    // Called by the notifier for every report: the refreshes it asks for
    // wait until the reports already queued are read.
    void ShellChanged(TKesShellChangeNotifier* sender, TNotificationEvent event, LPCITEMIDLIST item1,
                      LPCITEMIDLIST item2);

    void Loaded() override;

    std::unique_ptr<TShellBrowser> Navigator;
    std::unique_ptr<TKesShellChangeNotifier> Notifier;
    // The system's small icons, attached when the tree is first painted:
    // the shell builds the list on first request, which is a good part of
    // a start-up that shows nothing yet.
    TKesSystemImageList& SystemImages();
    bool HasSystemImages() const noexcept { return FSystemImages != nullptr; }
    TPidlHistory History;
    bool AllowDeepExpand = true;
    // While set, a refresh also asks the name of every entry it knows by
    // its bytes, soon after, while idle: how a name is shown may change
    // while its item stays the same (an extension the shell now hides), and
    // a refresh the user asks for shows that.
    bool RefreshAsksNames = false;
    // Names a refresh left to ask while idle.
    bool NamesPending() const noexcept { return FNames->Pending(); }
    std::wstring StoredSelectedFolder;
    TKesShellFolder StoredSpecialFolder = SF_DRIVES;

    // How many icon lookups the shell was asked for (for measurements).
    long IconLookups = 0;

protected:
    // The tree's font follows the DPI.
    void DpiChanged(int dpi) override;

    // The shell's drop target for a node's item, asked once per node a drag
    // moves onto.
    virtual ui::TComPtr<IDropTarget> NodeDropTarget(ui::TTreeNode* node);
    bool WndProc(ui::TMessage& msg) override;
    bool CanExpand(ui::TTreeNode* node) override;
    void Expand(ui::TTreeNode* node) override;
    void Collapse(ui::TTreeNode* node) override;
    bool CanChange(ui::TTreeNode* node) override;
    void Change(ui::TTreeNode* node) override;
    void Delete(ui::TTreeNode* node) override;
    void GetImageIndex(ui::TTreeNode* node) override;
    void CustomDrawItem(ui::TTreeNode* node, NMTVCUSTOMDRAW& draw) override;
    void KeyDown(WORD& key, ui::TShiftState shift) override;
    void KeyPress(wchar_t& key) override;
    bool CanEdit(ui::TTreeNode* node) override;
    void EndEdit(ui::TTreeNode* node, const wchar_t* text) override;
    void DblClick() override;
    bool ContextMenu(ui::TMessage& msg) override;
    void BeginDrag(ui::TTreeNode* node, ui::TMouseButton button) override;

private:
    void RegisterDropTarget();
    bool FOleDragDrop = false;

    // The navigator's "rename" ends in the tree's editor, unless read-only.
    void InstallRenameHandler();
    // The bottom-right corner of the selected entry's text, on the screen.
    POINT SelectedTextCorner() const;
    void ReportPaste(TFileList files);
    // Renames the node's item through the shell and puts the node in step.
    void RenameNode(ui::TTreeNode* node);

    std::unique_ptr<TKesSystemImageList> FSystemImages;
    // The file-system path of a node's item, or "" for a virtual one.
    std::wstring ItemPath(const ui::TTreeNode* node, const TKesShellTreeItem& item) const;
    // Opens the root without asking anyone: keeping it open is the
    // control's own job, not a user's request.
    void ExpandRoot();
    bool FExpandingRoot = false;
    // Tells the hub about the selected node.
    void NotifyLinkSelection(ui::TTreeNode* node);
    TKesShellLink* FShellLink = nullptr;

    std::unique_ptr<TKesShellTreeDropTarget> FDropTarget;
    std::unique_ptr<TKesShellTreeLocator> FLocator;
    std::unique_ptr<TKesShellTreeWatches> FWatches;
    std::unique_ptr<TKesShellTreeCheckBoxes> FCheckBoxes;
    std::unique_ptr<TKesShellTreeNames> FNames;
    std::unique_ptr<TKesShellTreeReader> FReader;

    TKesShellFolder FRootedAt = SF_DESKTOP;
    std::wstring FRootedAtFileSystemFolder;
    TKesShellShowOptions FShowOptions;
    ui::TFontOwner FFont;
};
