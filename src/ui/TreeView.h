// The tree-view base: nodes over the common tree-view control, with the
// steps a derived tree hooks (may expand, expanded, may change, changed,
// node deleted, ...). Each native item carries its node in lParam, so an
// item leads to its node without a search.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Timer.h"
#include "ui/WinControl.h"

namespace ui {

class TCustomTreeView;

// What a derived tree keeps with each node; the node owns it.
class TNodeData {
public:
    TNodeData() = default;
    TNodeData(const TNodeData&) = delete;
    TNodeData& operator=(const TNodeData&) = delete;
    virtual ~TNodeData() = default;
};

class TTreeNode {
public:
    TTreeNode(TCustomTreeView* owner, HTREEITEM item) : FOwner(owner), FItem(item) {}
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;

    HTREEITEM ItemId() const noexcept { return FItem; }
    TCustomTreeView* TreeView() const noexcept { return FOwner; }

    const std::wstring& Text() const noexcept { return FText; }
    void SetText(const std::wstring& text);
    // Icons are asked from the tree when a row is first drawn (or read here).
    int ImageIndex();
    int SelectedIndex();
    void SetImageIndex(int index);
    void SetSelectedIndex(int index);
    // Forgets the icons: they are asked again when the row is next drawn.
    void ResetImages();
    bool ImagesKnown() const noexcept { return FImageIndex != -2; }
    // The answer of a GetImageIndex override: kept here only, since the
    // control holds the callback until it asks for the icons and then keeps
    // what it is told. Setting them in the control as well cost a repaint
    // of the row each, in the middle of the paint that asked.
    void AnswerImages(int image, int selected) noexcept {
        FImageIndex = image;
        FSelectedIndex = selected;
    }
    int StateIndex() const;
    void SetStateIndex(int index);
    // The node's own record, or none; it goes with the node.
    TNodeData* Data() const noexcept { return FData.get(); }
    void SetData(std::unique_ptr<TNodeData> data) noexcept { FData = std::move(data); }

    bool HasChildren() const;
    void SetHasChildren(bool value);
    bool Expanded() const;
    void Expand(bool recursive);
    void Collapse(bool recursive);
    // Marks the node open without a request to anyone, even while it has
    // no children: children added later show at once.
    void KeepOpen();
    bool Cut() const;
    void SetCut(bool value);
    bool Selected() const;
    void SetSelected(bool value);

    TTreeNode* Parent() const;
    int Level() const;
    TTreeNode* GetFirstChild() const;
    TTreeNode* GetNextSibling() const;
    // The next node in the tree's order: depth first, all nodes.
    TTreeNode* GetNext() const;
    int Count() const;
    int AbsoluteIndex() const;
    RECT DisplayRect(bool textOnly) const;

    void Delete();
    void DeleteChildren();

private:
    friend class TCustomTreeView;
    friend class TTreeNodes;
    UINT State(UINT mask) const;
    TTreeNode* Related(UINT relation) const;
    void SetState(UINT state, UINT mask);

    TCustomTreeView* FOwner;
    HTREEITEM FItem;
    std::wstring FText;
    int FImageIndex = -2;  // -2: not asked yet
    int FHasChildren = -1;  // as last set: -1 unknown
    int FSelectedIndex = -2;
    std::unique_ptr<TNodeData> FData;
};

// A node kept while messages are dispatched (a box, a menu, a drag, a
// wait): whatever deletes the node meanwhile, the tree clears the watch
// first, so Get() afterwards is the node or none. Never a bare pointer
// across a message loop.
class TNodeWatch {
public:
    TNodeWatch() noexcept = default;
    explicit TNodeWatch(TTreeNode* node) { Reset(node); }
    ~TNodeWatch() { Detach(); }
    TNodeWatch(const TNodeWatch&) = delete;
    TNodeWatch& operator=(const TNodeWatch&) = delete;
    TNodeWatch& operator=(TTreeNode* node) {
        Reset(node);
        return *this;
    }

    TTreeNode* Get() const noexcept { return FNode; }
    void Reset(TTreeNode* node);

private:
    friend class TCustomTreeView;
    void Detach() noexcept;

    TTreeNode* FNode = nullptr;
    TCustomTreeView* FTree = nullptr;
};

// The node collection with its update bracket.
class TTreeNodes {
public:
    explicit TTreeNodes(TCustomTreeView* owner) : FOwner(owner) {}
    TTreeNode* AddChild(TTreeNode* parent, const std::wstring& text);
    void Clear();
    int Count() const;
    TTreeNode* GetFirstNode() const;
    // The node at a position in the tree's order, or none.
    TTreeNode* Item(int absoluteIndex) const;
    // Suspends redrawing until the matching EndUpdate; nestable.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const noexcept { return FUpdateCount; }

private:
    TCustomTreeView* FOwner;
    int FUpdateCount = 0;
};

// Opens the update bracket for its lifetime.
class TUpdateScope {
public:
    explicit TUpdateScope(TTreeNodes& items) : FItems(items) { FItems.BeginUpdate(); }
    ~TUpdateScope() { FItems.EndUpdate(); }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    TTreeNodes& FItems;
};

// Shows the hourglass for its lifetime.
class TWaitCursor {
public:
    TWaitCursor() : FOld(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~TWaitCursor() { SetCursor(FOld); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    HCURSOR FOld;
};

class TCustomTreeView : public TWinControl {
public:
    explicit TCustomTreeView(TWinControl* parent);
    ~TCustomTreeView() override;

    TTreeNodes Items{this};
    TTreeNode* Selected() const;
    void SetSelected(TTreeNode* node);
    // The node of a native item (its lParam).
    TTreeNode* NodeFromItem(HTREEITEM item) const;
    // The rows the control shows, or would show were it visible, top first.
    std::vector<TTreeNode*> RowsInView() const;
    TTreeNode* GetNodeAt(int x, int y) const;
    UINT GetHitTestInfoAt(int x, int y) const;
    bool IsEditing() const;

    // Milliseconds between a selection change and the change event.
    UINT ChangeDelay = 0;

    void SetIndent(int indent);
    int Indent() const;
    void SetShowRoot(bool value);
    bool ShowRoot() const;
    void SetShowLines(bool value);
    void SetHideSelection(bool value);
    void SetDoubleBuffered(bool value);
    void SetImageList(HIMAGELIST images);
    void SetStateImages(HIMAGELIST images);
    bool RightClickSelect = false;
    bool ReadOnly = false;

    // The form is being read: properties are only stored. Loaded() ends it.
    bool Loading() const noexcept { return FLoading; }
    void BeginLoading() noexcept { FLoading = true; }
    virtual void Loaded();

    // Sorts the children of a node (of the roots when none).
    void SortChildren(TTreeNode* node, const std::function<int(TTreeNode*, TTreeNode*)>& compare);

    // Opens the in-place editor of a node, if the tree allows it.
    void EditLabel(TTreeNode* node);

    // What the owner is told: one event each, raised by the step of the
    // same name below (mouse presses and releases: OnMouseDown, OnMouseUp).
    std::function<void(TTreeNode*, bool& allow)> OnExpanding;  // CanExpand
    std::function<void(TTreeNode*)> OnExpanded;                // Expand
    std::function<void(TTreeNode*, bool& allow)> OnCollapsing;
    std::function<void(TTreeNode*)> OnCollapsed;               // Collapse
    std::function<void(TTreeNode*, bool& allowEdit)> OnEditing;  // CanEdit
    std::function<void(WORD& key, TShiftState)> OnKeyDown;     // KeyDown
    std::function<void(wchar_t& key)> OnKeyPress;              // KeyPress
    std::function<void()> OnDblClick;                          // DblClick

protected:
    bool WndProc(TMessage& msg) override;

    // The steps a derived tree overrides. A base step raises the owner's
    // event named beside it above, so an override that calls it keeps the
    // owner told, and one that does not decides for the owner.
    virtual bool CanExpand(TTreeNode* node);
    virtual void Expand(TTreeNode* node);
    virtual void Collapse(TTreeNode* node);
    virtual bool CanChange(TTreeNode* node);
    // The selection moved, the change delay after.
    virtual void Change(TTreeNode* node);
    virtual bool CanEdit(TTreeNode* node);
    // Editing a label ended: text is none when it was cancelled. By
    // default the edited text becomes the node's.
    virtual void EndEdit(TTreeNode* node, const wchar_t* text);
    virtual void DblClick();
    // The control saw a node dragged with a mouse button; by default
    // nothing follows.
    virtual void BeginDrag(TTreeNode* node, TMouseButton button);
    // A right click or the menu key asks for a menu; true when the tree
    // showed one itself, else the PopupMenu opens.
    virtual bool ContextMenu(TMessage& msg);
    // The node goes; its record is still there.
    virtual void Delete(TTreeNode* node);
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyPress(wchar_t& key);
    // Called when a row is drawn whose icons are not known yet.
    virtual void GetImageIndex(TTreeNode* node);
    // Item pre-paint: may change the text colour.
    virtual void CustomDrawItem(TTreeNode* node, NMTVCUSTOMDRAW& draw);

private:
    friend class TTreeNode;
    friend class TTreeNodes;
    friend class TNodeWatch;
    // The node goes: every watch on it lets go of it.
    void ClearWatches(TTreeNode* node) noexcept;
    bool CanCollapse(TTreeNode* node);
    bool HandleNotify(LPARAM param, LRESULT& result);
    void ExpandNode(TTreeNode* node, UINT action);
    void ChangeTimerFired();

    bool FLoading = false;
    // Whether the control reported a right click, and asked for a menu, while
    // it tracked the right button.
    bool FRightClicked = false;
    bool FContextMenuAsked = false;
    TTreeNode* FEditNode = nullptr;  // whose label the open editor holds
    bool FDragBegan = false;  // while the button that went down is tracked
    int FSilent = 0;  // notifications caused by our own TVM_EXPAND are not steps
    TTimer FChangeTimer;
    TTreeNode* FPendingChange = nullptr;
    std::vector<TNodeWatch*> FNodeWatches;
};

}  // namespace ui
