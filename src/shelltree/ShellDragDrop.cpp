// The tree as an OLE drag source and drop target: entries drag out as the
// shell's own data objects, and what is dropped on a node goes to the
// shell's drop target of that node's item.
#include "shelltree/ShellControls.h"

#include "shell/ShellLinks.h"
#include "ui/Application.h"
#include "ui/Clock.h"

#include <algorithm>

namespace {

constexpr DWORD kScrollEveryMs = 100;
constexpr DWORD kExpandAfterMs = 2000;
constexpr int kHorizontalZone = 25;
constexpr int kVerticalZone = 20;
constexpr DWORD kShellLinkWaitMs = 1000;

bool ScrollBarCanMove(HWND wnd, int bar) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(wnd, bar, &info)) return false;
    return info.nMax - info.nMin - static_cast<int>(info.nPage) > 0;
}

}  // namespace

// COM objects end through Release, never through a pointer to an interface,
// so the interfaces' non-virtual destructors are safe here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// The interfaces OLE holds while the window is registered or a drag from
// it runs. Owned by the tree, which revokes the registration before it goes.
class TKesShellTree::TOleDragDrop final : public IDropTarget, public IDropSource {
public:
    explicit TOleDragDrop(TKesShellTree& tree) : FTree(tree) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDropTarget)
            *out = static_cast<IDropTarget*>(this);
        else if (iid == IID_IDropSource)
            *out = static_cast<IDropSource*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefs; }
    ULONG STDMETHODCALLTYPE Release() override { return --FRefs; }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        return Guard([&] { return FTree.DragEnter(data, effect); });
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override {
        return Guard([&] { return FTree.DragOver(keys, at, effect); });
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        return Guard([&] { return FTree.DragLeave(); });
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override {
        return Guard([&] { return FTree.Drop(data, keys, at, effect); });
    }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        return FTree.QueryContinueDrag(escape, keys);
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    template <typename F>
    HRESULT Guard(F&& step) noexcept {
        try {
            return step();
        } catch (...) {
            if (ui::Application) ui::Application->HandleException();
            return E_UNEXPECTED;
        }
    }
    TKesShellTree& FTree;
    ULONG FRefs = 0;
};
#pragma GCC diagnostic pop

void TKesShellTree::TOleDeleter::operator()(TOleDragDrop* ole) const noexcept { delete ole; }

IDropTarget* TKesShellTree::DropTarget() {
    if (!FOle) FOle.reset(new TOleDragDrop(*this));
    return FOle.get();
}

void TKesShellTree::SetOleDragDrop(bool value) {
    FOleDragDrop = value;
    if (!HandleAllocated()) return;
    if (!value && FDropTargetRegistered) {
        RevokeDragDrop(Handle());
        FDropTargetRegistered = false;
    } else if (value && !FDropTargetRegistered) {
        RegisterDropTarget();
    }
    // The control sends its begin-drag notifications only while dragging is on.
    LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    style = FOleDragDrop ? (style & ~TVS_DISABLEDRAGDROP) : (style | TVS_DISABLEDRAGDROP);
    SetWindowLongPtrW(Handle(), GWL_STYLE, style);
}

void TKesShellTree::RegisterDropTarget() {
    FDropTargetRegistered = SUCCEEDED(RegisterDragDrop(Handle(), DropTarget()));
    if (!FDropTargetRegistered) FOleDragDrop = false;
}

ui::TComPtr<IDropTarget> TKesShellTree::NodeDropTarget(ui::TTreeNode* node) {
    ui::TComPtr<IDropTarget> target;
    TKesShellTreeItem* item = ItemOf(node);
    if (!item) return target;
    Navigator->SetAbsoluteIDList(item->AbsoluteIDList.Get());
    TIDList object = Navigator->CopyObjectIDList();
    LPCITEMIDLIST child = object.Get();
    if (child && Navigator->ShellFolder())
        Navigator->ShellFolder()->GetUIObjectOf(Handle(), 1, reinterpret_cast<PCUITEMID_CHILD_ARRAY>(&child),
                                                IID_IDropTarget, nullptr, target.PutVoid());
    return target;
}

void TKesShellTree::BeginDrag(ui::TTreeNode* node, ui::TMouseButton button) {
    if (FOleDragDrop) BeginShellDrag(node, button == ui::mbRight ? 1 : button == ui::mbMiddle ? 2 : 0);
}

void TKesShellTree::BeginShellDrag(ui::TTreeNode* node, int kind) {
    TKesShellTreeItem* item = ItemOf(node);
    if (!item || !node->Parent()) return;  // the root stays where it is
    // The node's folder is refreshed after the drag loop: nothing it holds
    // goes meanwhile.
    TKesShellTreeLocator::THold hold(*FLocator);
    Navigator->SetAbsoluteIDList(item->AbsoluteIDList.Get());
    const DWORD allowed = Navigator->GetAttributes(SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANLINK) &
                          (DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK);
    FDragButton = kind == 1 ? MK_RBUTTON : kind == 2 ? MK_MBUTTON : MK_LBUTTON;
    ui::TTreeNode* refresh = node->Parent();
    ui::TComPtr<IDataObject> data;
    LPCITEMIDLIST child = item->RelativeIDList.Get();
    Navigator->ShellFolder()->GetUIObjectOf(Handle(), 1, reinterpret_cast<PCUITEMID_CHILD_ARRAY>(&child),
                                            IID_IDataObject, nullptr, data.PutVoid());
    DWORD effect = DROPEFFECT_NONE;
    if (data) {
        ui::TComPtr<IDropSource> source;
        DropTarget()->QueryInterface(IID_IDropSource, source.PutVoid());
        DoDragDrop(data.Get(), source.Get(), allowed, &effect);
    }
    FDragButton = 0;
    if (ui::Application) ui::Application->ProcessMessages();
    RefreshNode(refresh, true);
    if (!data || effect == DROPEFFECT_NONE) return;
    TKesShellOperations operation = ShellOp(sopDrag);
    if (effect == DROPEFFECT_COPY) operation |= ShellOp(sopCopy);
    if (effect == DROPEFFECT_MOVE) operation |= static_cast<TKesShellOperations>(ShellOp(sopMove) | ShellOp(sopRemove));
    DoOperation(operation, FileNamesFromDataObject(data.Get()), L"");
}

HRESULT TKesShellTree::QueryContinueDrag(BOOL escape, DWORD keys) const {
    // Another mouse button, or Esc, cancels; letting go of the one that
    // started the drag drops.
    if (escape || (keys & (FDragButton ^ (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)))) return DRAGDROP_S_CANCEL;
    if (keys & FDragButton) return S_OK;
    return DRAGDROP_S_DROP;
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

HRESULT TKesShellTree::DragEnter(IDataObject* data, DWORD* effect) {
    if (effect) *effect = DROPEFFECT_NONE;
    FDragData = ui::TComPtr<IDataObject>::Share(data);
    FLastDropEffect = 0;
    FLastScrollTick = ui::TickCount();
    return S_OK;
}

void TKesShellTree::SetDropNode(ui::TTreeNode* node, DWORD keys, POINTL at, DWORD* effect) {
    ui::TUpdateScope update(Items);
    SendMessageW(Handle(), TVM_SELECTITEM, TVGN_DROPHILITE, 0);
    if (FDropFolderTarget) FDropFolderTarget->DragLeave();
    FDropFolderTarget.Reset();
    FDropNode = node;
    if (!node) return;
    FDropFolderTarget = NodeDropTarget(node);
    if (!FDropFolderTarget || FDropFolderTarget->DragEnter(FDragData.Get(), keys, at, effect) != S_OK) {
        if (effect) *effect = DROPEFFECT_NONE;
    }
    SendMessageW(Handle(), TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(node->ItemId()));
    FHoverStartTick = ui::TickCount();
}

HRESULT TKesShellTree::DragOver(DWORD keys, POINTL at, DWORD* effect) {
    if (ReadOnly) {
        if (effect) *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    if (CreateLinkOnDrop) keys |= MK_ALT;
    POINT client{at.x, at.y};
    ScreenToClient(Handle(), &client);
    ui::TTreeNode* node = GetNodeAt(client.x, client.y);
    // Empty space below the entries is the working folder itself when drops
    // make links; otherwise nothing takes the drop there.
    if (!node && CreateLinkOnDrop) node = Items.GetFirstNode();
    if (node != FDropNode) SetDropNode(node, keys, at, effect);
    const DWORD now = ui::TickCount();
    if (now - FLastScrollTick > kScrollEveryMs) {
        AutoScrollAt(client);
        FLastScrollTick = now;
    }
    if (FDropNode && now - FHoverStartTick > kExpandAfterMs && !FDropNode->Expanded()) FDropNode->Expand(false);
    HRESULT result = E_FAIL;
    if (FDropFolderTarget)
        result = FDropFolderTarget->DragOver(keys, at, effect);
    else if (effect)
        *effect = DROPEFFECT_NONE;
    const DWORD now_effect = effect ? *effect : DROPEFFECT_NONE;
    if (now_effect == FLastDropEffect) return result;
    FLastDropEffect = now_effect;
    return E_FAIL;
}

HRESULT TKesShellTree::DragLeave() {
    if (HandleAllocated()) SendMessageW(Handle(), TVM_SELECTITEM, TVGN_DROPHILITE, 0);
    FDragData.Reset();
    if (FDropFolderTarget) FDropFolderTarget->DragLeave();
    FDropFolderTarget.Reset();
    FDropNode = nullptr;
    return S_OK;
}

HRESULT TKesShellTree::Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) {
    if (CreateLinkOnDrop) keys |= MK_ALT;
    TFileList files = FileNamesFromDataObject(data);
    ui::TTreeNode* node = FDropNode;
    if (!FDropFolderTarget || ReadOnly) {
        // Nothing under the pointer takes it.
        if (effect) *effect = DROPEFFECT_NONE;
        DragLeave();
        return S_OK;
    }
    bool execute = true;
    if (OnBeforeShellDrop) OnBeforeShellDrop(*this, node, files ? *files : std::vector<std::wstring>(), execute);
    // Links to what is dropped on a folder: the files there beforehand, to
    // tell what the shell makes apart.
    TKesShellTreeItem* item = ItemOf(node);
    const std::wstring folder = CreateLinkOnDrop && item && item->ItemIsFolder ? GetNodePath(node) : std::wstring();
    const std::vector<std::wstring> before = folder.empty() ? std::vector<std::wstring>() : FolderFiles(folder);
    HRESULT result = execute ? FDropFolderTarget->Drop(data, keys, at, effect) : E_UNEXPECTED;
    if (ui::Application) ui::Application->ProcessMessages();
    node = FDropNode;  // reports read meanwhile may have removed it
    if (SUCCEEDED(result)) {
        if (!folder.empty() && files && !files->empty() && CompleteDroppedLinks(folder, before, *files) && effect)
            *effect = DROPEFFECT_LINK;
        const DWORD done = effect ? *effect : DROPEFFECT_NONE;
        if (done != DROPEFFECT_NONE) {
            TKesShellOperations operation = ShellOp(sopDrop);
            if (done == DROPEFFECT_MOVE) operation |= ShellOp(sopMove);
            if (done == DROPEFFECT_COPY) operation |= ShellOp(sopCopy);
            DoOperation(operation, FileNamesFromDataObject(data), GetNodePath(node));
        } else if (IsNTPlatform && files && !files->empty() && !FileOrFolderExists(files->front())) {
            // Moved without saying so.
            if (effect) *effect = DROPEFFECT_MOVE;
            DoOperation(ShellOp(sopDrop) | ShellOp(sopMove), FileNamesFromDataObject(data), GetNodePath(node));
        }
    }
    if (node && node->GetFirstChild()) RefreshNode(node, true);
    DragLeave();
    return result;
}

bool TKesShellTree::CompleteDroppedLinks(const std::wstring& folder, const std::vector<std::wstring>& before,
                                         const std::vector<std::wstring>& files) {
    std::vector<std::wstring> known = before;
    std::sort(known.begin(), known.end());
    // Each new file in the folder answers for one dropped item: for a
    // dropped shortcut file the shell's copy of it under its own name, for
    // anything else a shortcut that points at it.
    auto copyOf = [](const std::wstring& name, const std::wstring& file) {
        return IsShortcutFile(file) && IsNameOrNumbered(name, file.substr(file.find_last_of(L'\\') + 1));
    };
    auto pointsAt = [&](const std::wstring& name, const std::wstring& file) {
        return SameText(ShortcutTarget(folder + L"\\" + name), file);
    };
    auto claim = [](std::vector<std::wstring>& open, std::vector<std::wstring>& fresh, auto&& answers) {
        std::vector<std::wstring> left;
        for (const std::wstring& file : open) {
            auto it = std::find_if(fresh.begin(), fresh.end(),
                                   [&](const std::wstring& name) { return answers(name, file); });
            if (it == fresh.end())
                left.push_back(file);
            else
                fresh.erase(it);
        }
        open = std::move(left);
    };
    std::vector<std::wstring> missing;
    // The shell may still be writing its files: give it a moment.
    const DWORD start = GetTickCount();
    for (;;) {
        std::vector<std::wstring> fresh;
        for (std::wstring& name : FolderFiles(folder))
            if (!std::binary_search(known.begin(), known.end(), name)) fresh.push_back(std::move(name));
        missing = files;
        claim(missing, fresh, copyOf);
        claim(missing, fresh, pointsAt);
        if (missing.empty() || GetTickCount() - start >= kShellLinkWaitMs) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        if (ui::Application) ui::Application->ProcessMessages();
    }
    // What the shell left undone is done as it does it: a shortcut file is
    // copied, anything else gets a shortcut.
    std::wstring made, copied;
    for (const std::wstring& file : missing) {
        if (IsShortcutFile(file)) {
            std::wstring copy = CopyShortcutIn(folder, file);
            if (!copy.empty()) copied += (copied.empty() ? L"" : L", ") + file + L" as " + copy;
        } else {
            std::wstring link = CreateShortcutIn(folder, file);
            if (!link.empty()) made += (made.empty() ? L"" : L", ") + link;
        }
    }
    if (made.empty() && copied.empty()) return false;
    std::wstring text = L"The shell made no shortcut for a drop;";
    if (!made.empty()) text += L" made here: " + made + (copied.empty() ? L"" : L";");
    if (!copied.empty()) text += L" copied here: " + copied;
    if (OnLogInfo) OnLogInfo(text);
    return true;
}
