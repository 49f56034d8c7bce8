#include "ui/TreeView.h"

#include "ui/Application.h"
#include "ui/MessageParams.h"
#include "ui/Profile.h"
#include "ui/TreeViewCalls.h"
#include "ui/WindowProc.h"

#include <algorithm>
#include <utility>

namespace ui {

// ---------------------------------------------------------------------------
// TTreeNode

namespace {
HWND TreeWnd(const TCustomTreeView* tree) { return tree->Handle(); }

TProfileCounter InsertCounter("tree view: insert");
TProfileCounter SetItemCounter("tree view: set item");
TProfileCounter QueryCounter("tree view: walk and query");
TProfileCounter SortCounter("tree view: sort, with its comparisons");
TProfileCounter DeleteCounter("tree view: delete");

void SetItem(const TCustomTreeView* tree, const TVITEMW& item) {
    TProfileScope profile(SetItemCounter);
    treeview::SetItem(TreeWnd(tree), item);
}

// Asks the control with the query's time counted.
template <typename F>
auto Query(F query) {
    TProfileScope profile(QueryCounter);
    return query();
}

// The node an item carries in its lParam.
TTreeNode* NodeOfParam(LPARAM param) { return ParamAs<TTreeNode*>(param); }
}  // namespace

void TTreeNode::SetText(const std::wstring& text) {
    FText = text;
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = FItem;
    item.pszText = FText.data();
    SetItem(FOwner, item);
}

int TTreeNode::ImageIndex() {
    if (FImageIndex == -2) FOwner->GetImageIndex(this);
    return FImageIndex;
}

int TTreeNode::SelectedIndex() {
    if (FSelectedIndex == -2) FOwner->GetImageIndex(this);
    return FSelectedIndex;
}

void TTreeNode::SetImageIndex(int index) {
    FImageIndex = index;
    TVITEMW item{};
    item.mask = TVIF_IMAGE;
    item.hItem = FItem;
    item.iImage = index;
    SetItem(FOwner, item);
}

void TTreeNode::SetSelectedIndex(int index) {
    FSelectedIndex = index;
    TVITEMW item{};
    item.mask = TVIF_SELECTEDIMAGE;
    item.hItem = FItem;
    item.iSelectedImage = index;
    SetItem(FOwner, item);
}

void TTreeNode::ResetImages() {
    if (FImageIndex == -2 && FSelectedIndex == -2) return;  // not asked since the last reset
    FImageIndex = FSelectedIndex = -2;
    TVITEMW item{};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = FItem;
    item.iImage = item.iSelectedImage = I_IMAGECALLBACK;
    SetItem(FOwner, item);
}

UINT TTreeNode::State(UINT mask) const {
    return Query([&] { return treeview::GetItemState(TreeWnd(FOwner), FItem, mask); });
}

void TTreeNode::SetState(UINT state, UINT mask) {
    TVITEMW item{};
    item.mask = TVIF_STATE;
    item.hItem = FItem;
    item.state = state;
    item.stateMask = mask;
    SetItem(FOwner, item);
}

int TTreeNode::StateIndex() const { return static_cast<int>((State(TVIS_STATEIMAGEMASK) >> 12) & 0xF); }
void TTreeNode::SetStateIndex(int index) {
    SetState(INDEXTOSTATEIMAGEMASK(index < 0 ? 0 : index), TVIS_STATEIMAGEMASK);
}

bool TTreeNode::HasChildren() const {
    TVITEMW item{};
    item.mask = TVIF_CHILDREN;
    item.hItem = FItem;
    Query([&] { return treeview::GetItem(TreeWnd(FOwner), item); });
    const_cast<TTreeNode*>(this)->FHasChildren = item.cChildren != 0 ? 1 : 0;
    return item.cChildren != 0;
}

void TTreeNode::SetHasChildren(bool value) {
    if (FHasChildren == (value ? 1 : 0)) return;  // refreshes set it again and again
    FHasChildren = value ? 1 : 0;
    TVITEMW item{};
    item.mask = TVIF_CHILDREN;
    item.hItem = FItem;
    item.cChildren = value ? 1 : 0;
    SetItem(FOwner, item);
}

bool TTreeNode::Expanded() const { return (State(TVIS_EXPANDED) & TVIS_EXPANDED) != 0; }

void TTreeNode::Expand(bool recursive) {
    FOwner->ExpandNode(this, TVE_EXPAND);
    if (recursive)
        for (TTreeNode* c = GetFirstChild(); c; c = c->GetNextSibling()) c->Expand(true);
}

void TTreeNode::Collapse(bool recursive) {
    if (recursive)
        for (TTreeNode* c = GetFirstChild(); c; c = c->GetNextSibling()) c->Collapse(true);
    FOwner->ExpandNode(this, TVE_COLLAPSE);
}

void TTreeNode::KeepOpen() {
    if (!Expanded()) SetState(TVIS_EXPANDED, TVIS_EXPANDED);
}

bool TTreeNode::Cut() const { return (State(TVIS_CUT) & TVIS_CUT) != 0; }
void TTreeNode::SetCut(bool value) { SetState(value ? TVIS_CUT : 0, TVIS_CUT); }

bool TTreeNode::Selected() const { return FOwner->Selected() == this; }

void TTreeNode::SetSelected(bool value) {
    if (value)
        FOwner->SetSelected(this);
    else if (Selected())
        FOwner->SetSelected(nullptr);
}

TTreeNode* TTreeNode::Parent() const { return Related(TVGN_PARENT); }

int TTreeNode::Level() const {
    int level = 0;
    for (TTreeNode* p = Parent(); p; p = p->Parent()) ++level;
    return level;
}

TTreeNode* TTreeNode::GetFirstChild() const { return Related(TVGN_CHILD); }
TTreeNode* TTreeNode::GetNextSibling() const { return Related(TVGN_NEXT); }

TTreeNode* TTreeNode::Related(UINT relation) const {
    return FOwner->NodeFromItem(Query([&] { return treeview::GetNextItem(TreeWnd(FOwner), FItem, relation); }));
}

TTreeNode* TTreeNode::GetNext() const {
    if (TTreeNode* child = GetFirstChild()) return child;
    for (const TTreeNode* n = this; n; n = n->Parent())
        if (TTreeNode* sibling = n->GetNextSibling()) return sibling;
    return nullptr;
}

int TTreeNode::Count() const {
    int n = 0;
    for (TTreeNode* c = GetFirstChild(); c; c = c->GetNextSibling()) ++n;
    return n;
}

int TTreeNode::AbsoluteIndex() const {
    int index = 0;
    for (TTreeNode* n = FOwner->Items.GetFirstNode(); n; n = n->GetNext(), ++index)
        if (n == this) return index;
    return -1;
}

RECT TTreeNode::DisplayRect(bool textOnly) const {
    RECT r{};
    if (!treeview::GetItemRect(TreeWnd(FOwner), FItem, textOnly, r)) return RECT{};
    return r;
}

void TTreeNode::Delete() {
    // The deletion notification frees this object.
    TProfileScope profile(DeleteCounter);
    treeview::DeleteItem(TreeWnd(FOwner), FItem);
}

void TTreeNode::DeleteChildren() {
    while (TTreeNode* child = GetFirstChild()) child->Delete();
}

// ---------------------------------------------------------------------------
// TTreeNodes

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::wstring& text) {
    HWND wnd = FOwner->Handle();
    auto owned = std::make_unique<TTreeNode>(FOwner, nullptr);
    TTreeNode* node = owned.get();
    node->FText = text;
    TVINSERTSTRUCTW ins{};
    ins.hParent = parent ? parent->ItemId() : TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.pszText = node->FText.data();
    ins.item.lParam = AsParam(node);
    ins.item.iImage = ins.item.iSelectedImage = I_IMAGECALLBACK;
    TProfileScope profile(InsertCounter);
    node->FItem = treeview::InsertItem(wnd, ins);
    if (parent) parent->FHasChildren = -1;  // the control may change the flag itself
    if (!node->FItem) return nullptr;
    // The control holds it from here on; its deletion notification frees it.
    return owned.release();
}

void TTreeNodes::Clear() {
    TUpdateScope update(*this);
    treeview::DeleteItem(FOwner->Handle(), TVI_ROOT);
}

int TTreeNodes::Count() const { return static_cast<int>(treeview::GetCount(FOwner->Handle())); }

TTreeNode* TTreeNodes::GetFirstNode() const {
    return FOwner->NodeFromItem(treeview::GetNextItem(FOwner->Handle(), nullptr, TVGN_ROOT));
}

TTreeNode* TTreeNodes::Item(int absoluteIndex) const {
    if (absoluteIndex < 0) return nullptr;
    TTreeNode* n = GetFirstNode();
    for (int i = 0; n && i < absoluteIndex; ++i) n = n->GetNext();
    return n;
}

void TTreeNodes::BeginUpdate() {
    if (FUpdateCount++ == 0 && FOwner->HandleAllocated()) SendMessageW(FOwner->Handle(), WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FOwner->HandleAllocated()) {
        SendMessageW(FOwner->Handle(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(FOwner->Handle(), nullptr, TRUE);
    }
}

// ---------------------------------------------------------------------------
// TCustomTreeView

TCustomTreeView::TCustomTreeView(TWinControl* parent) : TWinControl(parent) {
    CreateHandle({WC_TREEVIEWW,
                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                      TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP | TVS_EDITLABELS,
                  0, nullptr, L""});
    FChangeTimer.OnTimer = [this] { ChangeTimerFired(); };
}

TCustomTreeView::~TCustomTreeView() {
    FChangeTimer.SetEnabled(false);
    // Nodes are freed through the deletion step while this object still lives.
    if (HandleAllocated()) Items.Clear();
    DestroyHandle();
    // A watch that outlives the tree must not reach back into it.
    for (TNodeWatch* watch : FNodeWatches) {
        watch->FNode = nullptr;
        watch->FTree = nullptr;
    }
}

void TCustomTreeView::ClearWatches(TTreeNode* node) noexcept {
    auto gone = std::remove_if(FNodeWatches.begin(), FNodeWatches.end(), [node](TNodeWatch* watch) {
        if (watch->FNode != node) return false;
        watch->FNode = nullptr;
        watch->FTree = nullptr;
        return true;
    });
    FNodeWatches.erase(gone, FNodeWatches.end());
}

// ---------------------------------------------------------------------------
// TNodeWatch

void TNodeWatch::Reset(TTreeNode* node) {
    if (node == FNode) return;
    Detach();
    if (!node || !node->TreeView()) return;
    node->TreeView()->FNodeWatches.push_back(this);
    FNode = node;
    FTree = node->TreeView();
}

void TNodeWatch::Detach() noexcept {
    if (FTree) {
        auto& watches = FTree->FNodeWatches;
        watches.erase(std::remove(watches.begin(), watches.end(), this), watches.end());
    }
    FNode = nullptr;
    FTree = nullptr;
}

std::vector<TTreeNode*> TCustomTreeView::RowsInView() const {
    std::vector<TTreeNode*> rows;
    // The count is of whole rows: one more may show in part.
    const UINT count = treeview::GetVisibleCount(Handle());
    HTREEITEM item = treeview::GetNextItem(Handle(), nullptr, TVGN_FIRSTVISIBLE);
    for (UINT row = 0; item && row <= count; ++row) {
        if (TTreeNode* node = NodeFromItem(item)) rows.push_back(node);
        item = treeview::GetNextItem(Handle(), item, TVGN_NEXTVISIBLE);
    }
    return rows;
}

TTreeNode* TCustomTreeView::NodeFromItem(HTREEITEM item) const {
    if (!item) return nullptr;
    TVITEMW tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    if (!treeview::GetItem(Handle(), tv)) return nullptr;
    return NodeOfParam(tv.lParam);
}

TTreeNode* TCustomTreeView::Selected() const {
    return NodeFromItem(treeview::GetNextItem(Handle(), nullptr, TVGN_CARET));
}

void TCustomTreeView::SetSelected(TTreeNode* node) {
    treeview::SelectItem(Handle(), node ? node->ItemId() : nullptr, TVGN_CARET);
}

UINT TCustomTreeView::GetHitTestInfoAt(int x, int y) const {
    TVHITTESTINFO hit{};
    hit.pt = {x, y};
    treeview::HitTest(Handle(), hit);
    return hit.flags;
}

TTreeNode* TCustomTreeView::GetNodeAt(int x, int y) const {
    TVHITTESTINFO hit{};
    hit.pt = {x, y};
    HTREEITEM item = treeview::HitTest(Handle(), hit);
    if (!(hit.flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON | TVHT_ONITEMINDENT | TVHT_ONITEMRIGHT))) return nullptr;
    return NodeFromItem(item);
}

bool TCustomTreeView::IsEditing() const { return treeview::GetEditControl(Handle()) != nullptr; }

void TCustomTreeView::SetIndent(int indent) { treeview::SetIndent(Handle(), indent); }
int TCustomTreeView::Indent() const { return treeview::GetIndent(Handle()); }

namespace {
void SetStyleBits(HWND wnd, DWORD bits, bool on) {
    LONG style = GetWindowLongW(wnd, GWL_STYLE);
    LONG wanted = on ? (style | static_cast<LONG>(bits)) : (style & ~static_cast<LONG>(bits));
    if (wanted != style) {
        SetWindowLongW(wnd, GWL_STYLE, wanted);
        SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
}
}  // namespace

void TCustomTreeView::SetShowRoot(bool value) { SetStyleBits(Handle(), TVS_LINESATROOT, value); }
bool TCustomTreeView::ShowRoot() const { return (GetWindowLongW(Handle(), GWL_STYLE) & TVS_LINESATROOT) != 0; }
void TCustomTreeView::SetShowLines(bool value) { SetStyleBits(Handle(), TVS_HASLINES, value); }
void TCustomTreeView::SetHideSelection(bool value) { SetStyleBits(Handle(), TVS_SHOWSELALWAYS, !value); }
void TCustomTreeView::SetDoubleBuffered(bool value) {
    treeview::SetExtendedStyle(Handle(), TVS_EX_DOUBLEBUFFER, value ? TVS_EX_DOUBLEBUFFER : 0);
}
void TCustomTreeView::SetImageList(HIMAGELIST images) { treeview::SetImageList(Handle(), images, TVSIL_NORMAL); }
void TCustomTreeView::SetStateImages(HIMAGELIST images) { treeview::SetImageList(Handle(), images, TVSIL_STATE); }

void TCustomTreeView::Loaded() { FLoading = false; }

void TCustomTreeView::SortChildren(TTreeNode* node, const std::function<int(TTreeNode*, TTreeNode*)>& compare) {
    struct TContext {
        const std::function<int(TTreeNode*, TTreeNode*)>* Compare;
    } context{&compare};
    TVSORTCB sort{};
    sort.hParent = node ? node->ItemId() : TVI_ROOT;
    sort.lpfnCompare = [](LPARAM a, LPARAM b, LPARAM data) WINAPI -> int {
        auto* ctx = ParamAs<TContext*>(data);
        return Guarded(0, [&] { return (*ctx->Compare)(NodeOfParam(a), NodeOfParam(b)); });
    };
    sort.lParam = AsParam(&context);
    TProfileScope profile(SortCounter);
    treeview::SortChildrenCB(Handle(), sort);
}

void TCustomTreeView::ExpandNode(TTreeNode* node, UINT action) {
    bool expand = action == TVE_EXPAND;
    if (expand == node->Expanded() && (expand ? node->GetFirstChild() != nullptr : true)) return;
    if (expand ? !CanExpand(node) : !CanCollapse(node)) return;
    ++FSilent;
    treeview::Expand(Handle(), node->ItemId(), action);
    --FSilent;
    if (expand)
        Expand(node);
    else
        Collapse(node);
}

bool TCustomTreeView::CanExpand(TTreeNode* node) {
    bool allow = true;
    if (OnExpanding) OnExpanding(node, allow);
    return allow;
}
void TCustomTreeView::Expand(TTreeNode* node) {
    if (OnExpanded) OnExpanded(node);
}
bool TCustomTreeView::CanCollapse(TTreeNode* node) {
    bool allow = true;
    if (OnCollapsing) OnCollapsing(node, allow);
    return allow;
}
void TCustomTreeView::Collapse(TTreeNode* node) {
    if (OnCollapsed) OnCollapsed(node);
}
bool TCustomTreeView::CanChange(TTreeNode*) { return true; }
void TCustomTreeView::Change(TTreeNode*) {}
bool TCustomTreeView::CanEdit(TTreeNode* node) {
    bool allow = !ReadOnly;
    if (OnEditing) OnEditing(node, allow);
    return allow;
}
void TCustomTreeView::EndEdit(TTreeNode* node, const wchar_t* text) {
    if (text) node->SetText(text);
}
void TCustomTreeView::EditLabel(TTreeNode* node) {
    if (!node || !HandleAllocated()) return;
    SetFocus(Handle());  // the control opens its editor only while it has the focus
    treeview::EditLabel(Handle(), node->ItemId());
}
bool TCustomTreeView::ContextMenu(TMessage&) { return false; }
void TCustomTreeView::BeginDrag(TTreeNode*, TMouseButton) {}
void TCustomTreeView::DblClick() {
    if (OnDblClick) OnDblClick();
}
void TCustomTreeView::Delete(TTreeNode*) {}
void TCustomTreeView::KeyDown(WORD& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(key, shift);
}
void TCustomTreeView::KeyPress(wchar_t& key) {
    if (OnKeyPress) OnKeyPress(key);
}
void TCustomTreeView::GetImageIndex(TTreeNode* node) {
    if (node->FImageIndex == -2) node->FImageIndex = -1;
    if (node->FSelectedIndex == -2) node->FSelectedIndex = node->FImageIndex;
}
void TCustomTreeView::CustomDrawItem(TTreeNode*, NMTVCUSTOMDRAW&) {}

void TCustomTreeView::ChangeTimerFired() {
    FChangeTimer.SetEnabled(false);
    TTreeNode* node = FPendingChange;
    FPendingChange = nullptr;
    if (node) Change(node);
}

bool TCustomTreeView::HandleNotify(LPARAM param, LRESULT& result) {
    const NMHDR* hdr = ParamAs<const NMHDR*>(param);
    switch (hdr->code) {
    case TVN_ITEMEXPANDINGW: {
        const auto* nm = ParamAs<const NMTREEVIEWW*>(param);
        TTreeNode* node = NodeOfParam(nm->itemNew.lParam);
        if (FSilent || !node) return true;
        bool allow = nm->action & TVE_EXPAND ? CanExpand(node) : CanCollapse(node);
        result = allow ? FALSE : TRUE;
        return true;
    }
    case TVN_ITEMEXPANDEDW: {
        const auto* nm = ParamAs<const NMTREEVIEWW*>(param);
        TTreeNode* node = NodeOfParam(nm->itemNew.lParam);
        if (FSilent || !node) return true;
        if (nm->action & TVE_EXPAND)
            Expand(node);
        else
            Collapse(node);
        return true;
    }
    case TVN_SELCHANGINGW: {
        const auto* nm = ParamAs<const NMTREEVIEWW*>(param);
        TTreeNode* node = NodeOfParam(nm->itemNew.lParam);
        result = CanChange(node) ? FALSE : TRUE;
        return true;
    }
    case TVN_SELCHANGEDW: {
        const auto* nm = ParamAs<const NMTREEVIEWW*>(param);
        FPendingChange = NodeOfParam(nm->itemNew.lParam);
        FChangeTimer.SetEnabled(false);
        if (ChangeDelay == 0) {
            ChangeTimerFired();
        } else {
            FChangeTimer.SetInterval(ChangeDelay);
            FChangeTimer.SetEnabled(true);
        }
        return true;
    }
    case TVN_DELETEITEMW: {
        const auto* nm = ParamAs<const NMTREEVIEWW*>(param);
        // The control lets go of the node here: it goes once the step is done.
        std::unique_ptr<TTreeNode> owned(NodeOfParam(nm->itemOld.lParam));
        TTreeNode* node = owned.get();
        if (!node) return true;
        if (FPendingChange == node) FPendingChange = nullptr;
        ClearWatches(node);
        // The editor closes, cancelled, while its node is still there: left
        // open, it would end on a node that is gone.
        if (FEditNode == node) {
            treeview::EndEditLabelNow(Handle(), true);
            FEditNode = nullptr;
        }
        // The control clears its parent's children flag when the last child goes.
        if (TTreeNode* parent = node->Parent()) parent->FHasChildren = -1;
        try {
            Delete(node);
        } catch (...) {
            if (Application) Application->HandleException();
        }
        return true;
    }
    case TVN_GETDISPINFOW: {
        auto* di = ParamAs<NMTVDISPINFOW*>(param);
        auto* node = NodeOfParam(di->item.lParam);
        if (!node) return true;
        if (di->item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)) {
            if (node->FImageIndex == -2 || node->FSelectedIndex == -2) GetImageIndex(node);
            di->item.iImage = node->FImageIndex;
            di->item.iSelectedImage = node->FSelectedIndex;
            di->item.mask |= TVIF_DI_SETITEM;  // the control keeps them from now on
        }
        return true;
    }
    case TVN_BEGINLABELEDITW: {
        auto* di = ParamAs<NMTVDISPINFOW*>(param);
        auto* node = NodeOfParam(di->item.lParam);
        FEditNode = node && CanEdit(node) ? node : nullptr;
        result = FEditNode ? FALSE : TRUE;
        return true;
    }
    case TVN_ENDLABELEDITW: {
        auto* di = ParamAs<NMTVDISPINFOW*>(param);
        auto* node = NodeOfParam(di->item.lParam);
        // An editor that loses the focus while it closes may report its end
        // a second time: only the first report of an edit counts.
        if (node && node == FEditNode) {
            FEditNode = nullptr;
            EndEdit(node, di->item.pszText);
        }
        result = FALSE;
        return true;
    }
    case NM_CUSTOMDRAW: {
        auto* cd = ParamAs<NMTVCUSTOMDRAW*>(param);
        if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) {
            result = CDRF_NOTIFYITEMDRAW;
        } else if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            if (auto* node = NodeOfParam(cd->nmcd.lItemlParam)) CustomDrawItem(node, *cd);
            result = CDRF_DODEFAULT;
        } else {
            result = CDRF_DODEFAULT;
        }
        return true;
    }
    case NM_DBLCLK:
        DblClick();
        return true;
    case NM_RCLICK:
        FRightClicked = true;
        return false;
    case TVN_BEGINDRAGW:
    case TVN_BEGINRDRAGW: {
        const auto* nm = ParamAs<const NMTREEVIEWW*>(param);
        FDragBegan = true;
        if (auto* node = NodeOfParam(nm->itemNew.lParam))
            BeginDrag(node, hdr->code == TVN_BEGINDRAGW ? mbLeft : mbRight);
        result = 0;
        return true;
    }
    default:
        return false;
    }
}

bool TCustomTreeView::WndProc(TMessage& msg) {
    switch (msg.Msg) {
    case CN_NOTIFY:
        return HandleNotify(msg.LParam, msg.Result);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {  // Alt and F10 combinations arrive as system keys
        WORD key = static_cast<WORD>(msg.WParam);
        KeyDown(key, KeyboardShiftState());
        if (key == 0) return true;
        msg.WParam = key;
        return false;
    }
    case WM_CHAR: {
        auto key = static_cast<wchar_t>(msg.WParam);
        KeyPress(key);
        if (key == 0) return true;
        msg.WParam = key;
        return false;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        TMouseButton button = msg.Msg == WM_LBUTTONDOWN ? mbLeft : mbRight;
        int x = static_cast<short>(LOWORD(msg.LParam)), y = static_cast<short>(HIWORD(msg.LParam));
        if (button == mbRight && RightClickSelect) {
            if (TTreeNode* node = GetNodeAt(x, y)) SetSelected(node);
        }
        TShiftState shift = KeyboardShiftState();
        // The control's own handling comes first (it selects, or asks to
        // expand a pressed button), and it waits there for the release or a
        // drag: the release never reaches this window as a message.
        FRightClicked = FContextMenuAsked = FDragBegan = false;
        msg.Result = DefaultHandler(msg);
        // A drag took the release: it was no click.
        if (FDragBegan) return true;
        // A control that reports the right click but asks for no menu after
        // it (as some do) gets the request it should have made.
        if (button == mbRight && FRightClicked && !FContextMenuAsked && HandleAllocated())
            SendMessageW(Handle(), WM_CONTEXTMENU, AsParam<WPARAM>(Handle()), static_cast<LPARAM>(GetMessagePos()));
        if (OnMouseDown) OnMouseDown(button, shift, x, y);
        int vk = button == mbLeft ? VK_LBUTTON : VK_RBUTTON;
        if (HandleAllocated() && GetAsyncKeyState(vk) >= 0) {
            POINT p{static_cast<short>(LOWORD(GetMessagePos())), static_cast<short>(HIWORD(GetMessagePos()))};
            ScreenToClient(Handle(), &p);
            if (OnMouseUp) OnMouseUp(button, KeyboardShiftState(), p.x, p.y);
        }
        return true;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        // The control takes the release of a press it tracked, and the
        // release event follows that press above; a release that arrives
        // here had no press in the tree (a drag from elsewhere let go).
        return false;
    case WM_CONTEXTMENU:
        FContextMenuAsked = true;
        return ContextMenu(msg) || TWinControl::WndProc(msg);
    case WM_DESTROY:
        Items.Clear();
        return false;
    default:
        return TWinControl::WndProc(msg);
    }
}

}  // namespace ui
