// The tree's check boxes, whose states come from the link hub's selection list.
#include "shelltree/ShellTreeCheckBoxes.h"

#include <vssym32.h>

#include <optional>

#include "shelltree/ShellControls.h"
#include "ui/ScopeExit.h"
#include "ui/SystemLibrary.h"

namespace {

// One 16 by 16 picture: the themed box where the theme draws one, else
// the classic one.
ui::TBitmapOwner StatePicture(const ui::TThemeApi& api, HTHEME theme, int themedState, UINT classicState) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = 16;
    bi.bmiHeader.biHeight = -16;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    ui::TBitmapOwner bitmap;
    {
        ui::TWindowDC screen(nullptr);
        bitmap.Reset(CreateDIBSection(screen.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    }
    if (!bitmap) return bitmap;
    ui::TDCOwner memory(CreateCompatibleDC(nullptr));
    if (!memory) return ui::TBitmapOwner();
    // The bitmap leaves the context before the bitmap is handed out.
    std::optional<ui::TSelectObject> selected(std::in_place, memory.Get(), bitmap.Get());
    HDC dc = memory.Get();
    RECT all{0, 0, 16, 16};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    GdiFlush();
    bool drawn = false;
    if (theme) {
        RECT box{1, 1, 16, 16};
        api.DrawThemeBackground(theme, dc, BP_CHECKBOX, themedState, &box, nullptr);
        GdiFlush();
        const auto* pixels = static_cast<const DWORD*>(bits);
        for (int i = 0; i < 256 && !drawn; ++i) drawn = (pixels[i] & 0x00FFFFFF) != 0x00FFFFFF;
    }
    if (!drawn) {
        RECT box{2, 2, 15, 15};
        DrawFrameControl(dc, &box, DFC_BUTTON, classicState);
    }
    selected.reset();
    return bitmap;
}

}  // namespace

TKesSelectionStateImageList::TKesSelectionStateImageList() : ui::TImageList(16, 16) {
    // Classic pictures where the system has no uxtheme.dll or no theme on.
    const ui::TThemeApi api;
    HTHEME theme = api.Complete() && api.IsThemeActive() ? api.OpenThemeData(nullptr, L"BUTTON") : nullptr;
    ui::TScopeExit closeTheme([&api, theme] {
        if (theme) api.CloseThemeData(theme);
    });
    const struct {
        int Themed;
        UINT Classic;
    } pictures[] = {
        {CBS_UNCHECKEDNORMAL, DFCS_BUTTONCHECK},                                 // ssUnused
        {CBS_UNCHECKEDDISABLED, DFCS_BUTTONCHECK | DFCS_INACTIVE},               // ssNone
        {CBS_CHECKEDNORMAL, DFCS_BUTTONCHECK | DFCS_CHECKED},                    // ssChecked
        {CBS_UNCHECKEDNORMAL, DFCS_BUTTONCHECK},                                 // ssUnChecked
        {CBS_CHECKEDDISABLED, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE},  // ssGrayed
    };
    for (const auto& p : pictures) AddBitmap(StatePicture(api, theme, p.Themed, p.Classic).Get());
}

void TKesShellTreeCheckBoxes::SetShown(bool value) {
    FShown = value;
    if (!value) {
        if (FStateImages) {
            FTree.SetStateImages(nullptr);
            FStateImages.reset();
        }
    } else if (!FStateImages) {
        FStateImages = std::make_unique<TKesSelectionStateImageList>();
        FTree.SetStateImages(FStateImages->Handle());
    }
}

void TKesShellTreeCheckBoxes::UpdateState(ui::TTreeNode* node) {
    TKesShellLink* link = FTree.ShellLink();
    if (!FShown || !link || !node) return;
    node->SetStateIndex(link->SelectionList().State(FTree.GetNodePath(node)));
}

void TKesShellTreeCheckBoxes::UpdateStatesUp(ui::TTreeNode* node) {
    // The root keeps its own state.
    for (; node && node->Parent(); node = node->Parent()) UpdateState(node);
}

void TKesShellTreeCheckBoxes::UpdateStatesDown(ui::TTreeNode* node) {
    if (!node) return;
    UpdateState(node);
    if (!node->Expanded()) return;
    for (ui::TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling()) UpdateStatesDown(c);
}

bool TKesShellTreeCheckBoxes::Click(int x, int y) {
    TKesShellLink* link = FTree.ShellLink();
    if (!link || !FShown || !FStateImages) return false;
    ui::TTreeNode* node = FTree.GetNodeAt(x, y);
    if (!node) return false;
    const RECT row = node->DisplayRect(false);
    const int x0 = (node->Level() + (FTree.ShowRoot() ? 1 : 0)) * FTree.Indent() + row.left;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_POS;
    const int scroll = GetScrollInfo(FTree.Handle(), SB_HORZ, &si) ? si.nPos : 0;
    if (!(x0 <= x + scroll && x + scroll < x0 + FStateImages->Width() && y < row.top + FStateImages->Height()))
        return false;
    ui::TWaitCursor wait;
    const auto state = static_cast<TKesSelectionState>(node->StateIndex());
    if (state == ssNone) return true;  // swallowed entirely
    TKesSelectionList& list = link->SelectionList();
    const std::wstring path = FTree.GetNodePath(node);
    {
        ui::TRestoreOnExit<bool> suspended(list.Suspended, true);
        if (state == ssChecked)
            list.Uncheck(path);
        else
            list.Check(TKesSelectionList::Normalize(path));
        UpdateStatesUp(node);
        UpdateStatesDown(node);
    }
    if (FTree.OnCheckStateChanged)
        FTree.OnCheckStateChanged(FTree, node->AbsoluteIndex(), path,
                                  static_cast<TKesSelectionState>(node->StateIndex()));
    return true;
}
