// The tree as an OLE drop target and drop source: what is dropped on a node
// goes to the shell's drop target of that node's item, and a drag out of
// the tree runs OLE's loop with the buttons deciding when it ends.
#include "shelltree/ShellTreeDropTarget.h"

#include <algorithm>

#include "shell/ShellLinks.h"
#include "shelltree/ShellControls.h"
#include "ui/Application.h"
#include "ui/Clock.h"
#include "ui/TreeViewCalls.h"

namespace {

constexpr DWORD kScrollEveryMs = 100;
constexpr DWORD kExpandAfterMs = 2000;
constexpr DWORD kShellLinkWaitMs = 1000;

// No error leaves a COM method: it is reported, and OLE hears a failure.
template <typename F>
HRESULT Guard(F&& step) noexcept {
    try {
        return step();
    } catch (...) {
        if (ui::Application) ui::Application->HandleException();
        return E_UNEXPECTED;
    }
}

}  // namespace

TKesShellTreeDropTarget::TKesShellTreeDropTarget(TKesShellTree& tree, TNodeTarget nodeTarget)
    : FTree(tree), FNodeTarget(std::move(nodeTarget)) {}

HRESULT TKesShellTreeDropTarget::QueryInterface(REFIID iid, void** out) {
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

HRESULT TKesShellTreeDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    return Guard([&] { return Enter(data, effect); });
}

HRESULT TKesShellTreeDropTarget::DragOver(DWORD keys, POINTL at, DWORD* effect) {
    return Guard([&] { return Over(keys, at, effect); });
}

HRESULT TKesShellTreeDropTarget::DragLeave() {
    return Guard([&] { return Leave(); });
}

HRESULT TKesShellTreeDropTarget::Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) {
    return Guard([&] { return DropOn(data, keys, at, effect); });
}

bool TKesShellTreeDropTarget::Register() {
    FRegistered = SUCCEEDED(RegisterDragDrop(FTree.Handle(), this));
    return FRegistered;
}

void TKesShellTreeDropTarget::Revoke() {
    if (!FRegistered) return;
    RevokeDragDrop(FTree.Handle());
    FRegistered = false;
}

DWORD TKesShellTreeDropTarget::DragOut(IDataObject* data, DWORD allowed, DWORD button) {
    DWORD effect = DROPEFFECT_NONE;
    FDragButton = button;
    // A drag loop that could not run moved nothing.
    if (FAILED(DoDragDrop(data, this, allowed, &effect))) effect = DROPEFFECT_NONE;
    FDragButton = 0;
    return effect;
}

HRESULT TKesShellTreeDropTarget::QueryContinueDrag(BOOL escape, DWORD keys) {
    // Another mouse button, or Esc, cancels; letting go of the one that
    // started the drag drops.
    if (escape || (keys & (FDragButton ^ (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)))) return DRAGDROP_S_CANCEL;
    if (keys & FDragButton) return S_OK;
    return DRAGDROP_S_DROP;
}

HRESULT TKesShellTreeDropTarget::Enter(IDataObject* data, DWORD* effect) {
    if (effect) *effect = DROPEFFECT_NONE;
    FDragData = ui::TComPtr<IDataObject>::Share(data);
    FLastDropEffect = 0;
    FLastScrollTick = ui::TickCount();
    return S_OK;
}

void TKesShellTreeDropTarget::SetDropNode(ui::TTreeNode* node, DWORD keys, POINTL at, DWORD* effect) {
    ui::TUpdateScope update(FTree.Items);
    ui::treeview::SelectItem(FTree.Handle(), nullptr, TVGN_DROPHILITE);
    if (FDropFolderTarget) FDropFolderTarget->DragLeave();
    FDropFolderTarget.Reset();
    FDropNode = node;
    if (!node) return;
    FDropFolderTarget = FNodeTarget(node);
    if (!FDropFolderTarget || FDropFolderTarget->DragEnter(FDragData.Get(), keys, at, effect) != S_OK) {
        if (effect) *effect = DROPEFFECT_NONE;
    }
    ui::treeview::SelectItem(FTree.Handle(), node->ItemId(), TVGN_DROPHILITE);
    FHoverStartTick = ui::TickCount();
}

HRESULT TKesShellTreeDropTarget::Over(DWORD keys, POINTL at, DWORD* effect) {
    if (FTree.ReadOnly) {
        if (effect) *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    if (FTree.CreateLinkOnDrop) keys |= MK_ALT;
    POINT client{at.x, at.y};
    ScreenToClient(FTree.Handle(), &client);
    ui::TTreeNode* node = FTree.GetNodeAt(client.x, client.y);
    // Empty space below the entries is the working folder itself when drops
    // make links; otherwise nothing takes the drop there.
    if (!node && FTree.CreateLinkOnDrop) node = FTree.Items.GetFirstNode();
    if (node != FDropNode.Get()) SetDropNode(node, keys, at, effect);
    const DWORD now = ui::TickCount();
    if (now - FLastScrollTick > kScrollEveryMs) {
        FTree.AutoScrollAt(client);
        FLastScrollTick = now;
    }
    ui::TTreeNode* hovered = FDropNode.Get();
    if (hovered && now - FHoverStartTick > kExpandAfterMs && !hovered->Expanded()) hovered->Expand(false);
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

HRESULT TKesShellTreeDropTarget::Leave() {
    if (FTree.HandleAllocated()) ui::treeview::SelectItem(FTree.Handle(), nullptr, TVGN_DROPHILITE);
    FDragData.Reset();
    if (FDropFolderTarget) FDropFolderTarget->DragLeave();
    FDropFolderTarget.Reset();
    FDropNode = nullptr;
    return S_OK;
}

HRESULT TKesShellTreeDropTarget::DropOn(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) {
    if (FTree.CreateLinkOnDrop) keys |= MK_ALT;
    TFileList files = FileNamesFromDataObject(data);
    if (!FDropFolderTarget || FTree.ReadOnly) {
        // Nothing under the pointer takes it.
        if (effect) *effect = DROPEFFECT_NONE;
        Leave();
        return S_OK;
    }
    // The handler, the shell's drop and the wait for its shortcuts all
    // dispatch messages: the node is held throughout, and its path taken
    // before, since a key or a timer may delete it all the same.
    const auto held = FTree.HoldNode(FDropNode.Get());
    const std::wstring destination = FTree.GetNodePath(held.Node());
    bool execute = true;
    if (FTree.OnBeforeShellDrop)
        FTree.OnBeforeShellDrop(FTree, held.Node(), files ? *files : std::vector<std::wstring>(), execute);
    // Links to what is dropped on a folder: the files there beforehand, to
    // tell what the shell makes apart.
    TKesShellTreeItem* item = TKesShellTree::ItemOf(held.Node());
    const std::wstring folder = FTree.CreateLinkOnDrop && item && item->ItemIsFolder ? destination : std::wstring();
    const std::vector<std::wstring> before = folder.empty() ? std::vector<std::wstring>() : FolderFiles(folder);
    HRESULT result = execute ? FDropFolderTarget->Drop(data, keys, at, effect) : E_UNEXPECTED;
    FTree.ProcessMessages();
    if (SUCCEEDED(result)) {
        if (!folder.empty() && files && !files->empty() && CompleteDroppedLinks(folder, before, *files) && effect)
            *effect = DROPEFFECT_LINK;
        const DWORD done = effect ? *effect : DROPEFFECT_NONE;
        if (done != DROPEFFECT_NONE) {
            TKesShellOperations operation = ShellOp(sopDrop);
            if (done == DROPEFFECT_MOVE) operation |= ShellOp(sopMove);
            if (done == DROPEFFECT_COPY) operation |= ShellOp(sopCopy);
            FTree.DoOperation(operation, FileNamesFromDataObject(data), destination);
        } else if (IsNTPlatform && files && !files->empty() && !FileOrFolderExists(files->front())) {
            // Moved without saying so.
            if (effect) *effect = DROPEFFECT_MOVE;
            FTree.DoOperation(ShellOp(sopDrop) | ShellOp(sopMove), FileNamesFromDataObject(data), destination);
        }
    }
    if (ui::TTreeNode* node = held.Node(); node && node->GetFirstChild()) FTree.RefreshNode(node, true);
    Leave();
    return result;
}

bool TKesShellTreeDropTarget::CompleteDroppedLinks(const std::wstring& folder, const std::vector<std::wstring>& before,
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
            auto it =
                std::find_if(fresh.begin(), fresh.end(), [&](const std::wstring& name) { return answers(name, file); });
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
        FTree.ProcessMessages();
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
    if (FTree.OnLogInfo) FTree.OnLogInfo(text);
    return true;
}
