// The shell tree as OLE sees it while something is dragged: the drop
// target over its window and the drop source of a drag out of it, with
// the state of the drag (the node under the pointer, that node's own drop
// target, the pace of scrolling and of opening a held folder).
#pragma once

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/Handles.h"
#include "ui/TreeView.h"

class TKesShellTree;

// COM objects end through Release, never through a pointer to an interface,
// so the interfaces' non-virtual destructors are safe here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// Owned by the tree, which revokes the registration before it goes: the
// references OLE counts never end it.
class TKesShellTreeDropTarget final : public IDropTarget, public IDropSource {
public:
    // The shell's drop target for a node's item.
    using TNodeTarget = std::function<ui::TComPtr<IDropTarget>(ui::TTreeNode* node)>;
    TKesShellTreeDropTarget(TKesShellTree& tree, TNodeTarget nodeTarget);
    TKesShellTreeDropTarget(const TKesShellTreeDropTarget&) = delete;
    TKesShellTreeDropTarget& operator=(const TKesShellTreeDropTarget&) = delete;

    // The tree's window takes drops from now on; false when OLE refused.
    bool Register();
    void Revoke();
    bool Registered() const noexcept { return FRegistered; }

    // Runs OLE's loop for data dragged out of the tree with a mouse button
    // (MK_LBUTTON, MK_RBUTTON or MK_MBUTTON); what was done with it.
    DWORD DragOut(IDataObject* data, DWORD allowed, DWORD button);

    ui::TTreeNode* DropNode() const noexcept { return FDropNode.Get(); }
    IDataObject* DragData() const noexcept { return FDragData.Get(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefs; }
    ULONG STDMETHODCALLTYPE Release() override { return --FRefs; }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    HRESULT Enter(IDataObject* data, DWORD* effect);
    HRESULT Over(DWORD keys, POINTL at, DWORD* effect);
    HRESULT Leave();
    HRESULT DropOn(IDataObject* data, DWORD keys, POINTL at, DWORD* effect);
    void SetDropNode(ui::TTreeNode* node, DWORD keys, POINTL at, DWORD* effect);
    // Where the shell made nothing for a dropped item, a shortcut to it is
    // made here, or for a shortcut file a copy of it; true when any was.
    bool CompleteDroppedLinks(const std::wstring& folder, const std::vector<std::wstring>& before,
                              const std::vector<std::wstring>& files);

    TKesShellTree& FTree;
    TNodeTarget FNodeTarget;
    ULONG FRefs = 0;
    bool FRegistered = false;
    DWORD FDragButton = 0;
    ui::TComPtr<IDataObject> FDragData;
    // Between OLE's calls: a node that goes meanwhile leaves the drag over
    // empty space.
    ui::TNodeWatch FDropNode;
    ui::TComPtr<IDropTarget> FDropFolderTarget;
    DWORD FLastDropEffect = 0;
    DWORD FLastScrollTick = 0;
    DWORD FHoverStartTick = 0;
};
#pragma GCC diagnostic pop
