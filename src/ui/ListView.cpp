#include "ui/ListView.h"

#include <algorithm>

#include "ui/Dpi.h"
#include "ui/MessageParams.h"

namespace ui {

TListView::TListView(TWinControl* parent) : TWinControl(parent) {
    CreateHandle({WC_LISTVIEWW,
                  WS_CHILD | WS_BORDER | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                      LVS_SHAREIMAGELISTS,
                  0, nullptr, L""});
    if (!HandleAllocated()) return;
    ListView_SetExtendedListViewStyle(Handle(), LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH | LVCF_SUBITEM;
        column.iSubItem = i;
        column.cx = 1;
        SendMessageW(Handle(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), AsParam(&column));
    }
}

TListView::~TListView() { DestroyHandle(); }

void TListView::SetImages(HIMAGELIST images) {
    SendMessageW(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, AsParam(images));
}

void TListView::SetRows(const std::vector<TRow>& rows) {
    const HWND list = Handle();
    if (!list) return;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    FPressed = -1;
    FFirstWidth = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(rows[i].Text.c_str());
        item.iImage = I_IMAGECALLBACK;
        const auto at = static_cast<WPARAM>(SendMessageW(list, LVM_INSERTITEMW, 0, AsParam(&item)));
        item.mask = LVIF_TEXT;
        item.iSubItem = 1;
        item.pszText = const_cast<wchar_t*>(rows[i].Detail.c_str());
        SendMessageW(list, LVM_SETITEMTEXTW, at, AsParam(&item));
        const auto width = static_cast<int>(
            SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, AsParam(rows[i].Text.c_str())));
        FFirstWidth = std::max(FFirstWidth, width);
    }
    FitColumns();
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

int TListView::RowCount() const {
    return Handle() ? static_cast<int>(SendMessageW(Handle(), LVM_GETITEMCOUNT, 0, 0)) : 0;
}

int TListView::Selected() const {
    return Handle() ? static_cast<int>(SendMessageW(Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED))
                    : -1;
}

void TListView::Select(int row) {
    if (!Handle()) return;
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), AsParam(&state));
    if (row < 0 || row >= RowCount()) return;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), AsParam(&state));
    SendMessageW(Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

int TListView::HeightFor(int rows) const {
    if (!Handle() || rows <= 0 || RowCount() == 0) return 0;
    RECT row{};
    row.left = LVIR_BOUNDS;
    SendMessageW(Handle(), LVM_GETITEMRECT, 0, AsParam(&row));
    const int border = (GetWindowLongW(Handle(), GWL_STYLE) & WS_BORDER) ? 2 * GetSystemMetrics(SM_CYBORDER) : 0;
    return rows * (row.bottom - row.top) + border;
}

void TListView::BoundsChanged() {
    TWinControl::BoundsChanged();
    FitColumns();
}

void TListView::FitColumns() {
    if (!Handle()) return;
    RECT client{};
    GetClientRect(Handle(), &client);
    // The names as wide as the widest needs, up to two thirds; the folders
    // take the rest.
    const int icon = GetSystemMetrics(SM_CXSMICON) + ScaleForDpi(12, WindowDpi(Handle()));
    const int first = std::min(FFirstWidth + icon, static_cast<int>(client.right) * 2 / 3);
    SendMessageW(Handle(), LVM_SETCOLUMNWIDTH, 0, std::max(first, 1));
    SendMessageW(Handle(), LVM_SETCOLUMNWIDTH, 1, std::max(static_cast<int>(client.right) - first, 1));
}

int TListView::RowAt(LPARAM point) const {
    LVHITTESTINFO hit{};
    hit.pt = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    const auto row = static_cast<int>(SendMessageW(Handle(), LVM_SUBITEMHITTEST, 0, AsParam(&hit)));
    return (hit.flags & LVHT_ONITEM) ? row : -1;
}

LRESULT TListView::CustomDraw(NMLVCUSTOMDRAW& draw) const {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        // The chosen row looks chosen although the keyboard is elsewhere
        // (the control would grey it); the second column is dimmed.
        const auto row = static_cast<WPARAM>(draw.nmcd.dwItemSpec);
        const bool selected = SendMessageW(Handle(), LVM_GETITEMSTATE, row, LVIS_SELECTED) != 0;
        draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
        if (selected) {
            draw.clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
            draw.clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
        } else {
            const bool detail = (draw.nmcd.dwDrawStage & CDDS_SUBITEM) && draw.iSubItem == 1;
            draw.clrText = GetSysColor(detail ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
            draw.clrTextBk = GetSysColor(COLOR_WINDOW);
        }
        return CDRF_NEWFONT | (draw.nmcd.dwDrawStage & CDDS_SUBITEM ? 0 : CDRF_NOTIFYSUBITEMDRAW);
    }
    default:
        return CDRF_DODEFAULT;
    }
}

bool TListView::WndProc(TMessage& msg) {
    switch (msg.Msg) {
    case CN_NOTIFY: {
        auto* hdr = ParamAs<NMHDR*>(msg.LParam);
        if (hdr->code == LVN_GETDISPINFOW) {
            LVITEMW& item = ParamAs<NMLVDISPINFOW*>(msg.LParam)->item;
            if (item.mask & LVIF_IMAGE) {
                // Asked once a row: a row without one keeps none, since
                // -1 would ask again.
                const int image = OnImage ? OnImage(item.iItem) : -1;
                item.iImage = image >= 0 ? image : I_IMAGENONE;
                item.mask |= static_cast<UINT>(LVIF_DI_SETITEM);
            }
            msg.Result = 0;
            return true;
        }
        if (hdr->code == NM_CUSTOMDRAW) {
            msg.Result = CustomDraw(*ParamAs<NMLVCUSTOMDRAW*>(msg.LParam));
            return true;
        }
        return false;
    }
    // The control's own handling of a press takes the keyboard, selects
    // and may start a drag: a press only notes its row.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        FPressed = RowAt(msg.LParam);
        msg.Result = 0;
        return true;
    case WM_LBUTTONUP: {
        const int row = RowAt(msg.LParam);
        const bool clicked = row >= 0 && row == FPressed;
        FPressed = -1;
        msg.Result = 0;
        if (clicked && OnClick) OnClick(row);
        return true;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        msg.Result = 0;
        return true;
    case WM_SETFOCUS:
        // Handed back: the keys belong to whoever shows the list.
        if (const auto previous = ParamAs<HWND>(msg.WParam); previous && IsWindow(previous))
            SetFocus(previous);
        return true;
    default:
        return TWinControl::WndProc(msg);
    }
}

}  // namespace ui
