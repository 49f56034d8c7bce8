// The tree's part in OLE drag and drop: entries drag out as the shell's own
// data objects; the drop target (ShellTreeDropTarget.cpp) hands what is
// dropped on a node to the shell's drop target of that node's item.
#include "shelltree/ShellControls.h"

namespace {

constexpr int kHorizontalZone = 25;
constexpr int kVerticalZone = 20;

bool ScrollBarCanMove(HWND wnd, int bar) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(wnd, bar, &info)) return false;
    return info.nMax - info.nMin - static_cast<int>(info.nPage) > 0;
}

}  // namespace

IDropTarget* TKesShellTree::DropTarget() { return FDropTarget.get(); }

ui::TTreeNode* TKesShellTree::DropNode() const noexcept { return FDropTarget->DropNode(); }

IDataObject* TKesShellTree::DragData() const noexcept { return FDropTarget->DragData(); }

void TKesShellTree::SetOleDragDrop(bool value) {
    FOleDragDrop = value;
    if (!HandleAllocated()) return;
    if (!value && FDropTarget->Registered()) {
        FDropTarget->Revoke();
    } else if (value && !FDropTarget->Registered()) {
        RegisterDropTarget();
    }
    // The control sends its begin-drag notifications only while dragging is on.
    LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    style = FOleDragDrop ? (style & ~TVS_DISABLEDRAGDROP) : (style | TVS_DISABLEDRAGDROP);
    SetWindowLongPtrW(Handle(), GWL_STYLE, style);
}

void TKesShellTree::RegisterDropTarget() {
    if (!FDropTarget->Register()) FOleDragDrop = false;
}

ui::TComPtr<IDropTarget> TKesShellTree::NodeDropTarget(ui::TTreeNode* node) {
    ui::TComPtr<IDropTarget> target;
    TKesShellTreeItem* item = ItemOf(node);
    if (!item) return target;
    Navigator->SetAbsoluteIDList(item->AbsoluteIDList.Get());
    TChildIDList object = Navigator->CopyObjectIDList();
    PCUITEMID_CHILD child = object.Get();
    if (child && Navigator->ShellFolder() &&
        FAILED(Navigator->ShellFolder()->GetUIObjectOf(Handle(), 1, &child, IID_IDropTarget, nullptr,
                                                       target.PutVoid())))
        target.Reset();
    return target;
}

void TKesShellTree::BeginDrag(ui::TTreeNode* node, ui::TMouseButton button) {
    if (FOleDragDrop) BeginShellDrag(node, button == ui::mbRight ? 1 : button == ui::mbMiddle ? 2 : 0);
}

void TKesShellTree::BeginShellDrag(ui::TTreeNode* node, int kind) {
    TKesShellTreeItem* item = ItemOf(node);
    if (!item || !node->Parent()) return;  // the root stays where it is
    // The node's folder is refreshed after the drag loop: nothing it holds
    // goes meanwhile, and the folder itself only if a key or a timer
    // deletes it.
    const auto folderHeld = HoldNode(node->Parent());
    Navigator->SetAbsoluteIDList(item->AbsoluteIDList.Get());
    const DWORD allowed = Navigator->GetAttributes(SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANLINK) &
                          (DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK);
    const DWORD button = kind == 1 ? MK_RBUTTON : kind == 2 ? MK_MBUTTON : MK_LBUTTON;
    ui::TComPtr<IDataObject> data;
    // The node's own item in its parent's folder, where the navigator now stands.
    PCUITEMID_CHILD child = Navigator->ObjectIDList();
    IShellFolder* folder = Navigator->ShellFolder();
    if (child && folder && FAILED(folder->GetUIObjectOf(Handle(), 1, &child, IID_IDataObject, nullptr, data.PutVoid())))
        data.Reset();
    const DWORD effect = data ? FDropTarget->DragOut(data.Get(), allowed, button) : DROPEFFECT_NONE;
    ProcessMessages();
    RefreshNode(folderHeld.Node(), true);
    if (!data || effect == DROPEFFECT_NONE) return;
    TKesShellOperations operation = ShellOp(sopDrag);
    if (effect == DROPEFFECT_COPY) operation |= ShellOp(sopCopy);
    if (effect == DROPEFFECT_MOVE) operation |= static_cast<TKesShellOperations>(ShellOp(sopMove) | ShellOp(sopRemove));
    DoOperation(operation, FileNamesFromDataObject(data.Get()), std::wstring());
}

void TKesShellTree::AutoScrollAt(POINT p) {
    RECT client{};
    GetClientRect(Handle(), &client);
    auto step = [this](UINT message, int bar, WPARAM code) {
        if (ScrollBarCanMove(Handle(), bar)) SendMessageW(Handle(), message, code, 0);
    };
    if (p.x < kHorizontalZone)
        step(WM_HSCROLL, SB_HORZ, SB_LINELEFT);
    else if (p.x > client.right - kHorizontalZone)
        step(WM_HSCROLL, SB_HORZ, SB_LINERIGHT);
    if (p.y < kVerticalZone)
        step(WM_VSCROLL, SB_VERT, SB_LINEUP);
    else if (p.y > client.bottom - kVerticalZone)
        step(WM_VSCROLL, SB_VERT, SB_LINEDOWN);
}
