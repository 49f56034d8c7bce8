// The tree-view control's messages as typed calls, one for each message
// the program sends, like the common-controls macros: item handles and
// records go in and come out as what they are, never as bare parameters.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "ui/MessageParams.h"

namespace ui::treeview {

// The item in the relation (TVGN_...) to item; none for the relations
// that start from the tree (the root, the caret, the first visible row).
inline HTREEITEM GetNextItem(HWND tree, HTREEITEM item, UINT relation) {
    return ParamAs<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, AsParam(item)));
}

// Fills in what item.mask asks for of item.hItem.
inline bool GetItem(HWND tree, TVITEMW& item) { return SendMessageW(tree, TVM_GETITEMW, 0, AsParam(&item)) != 0; }

inline bool SetItem(HWND tree, const TVITEMW& item) {
    return SendMessageW(tree, TVM_SETITEMW, 0, AsParam(&item)) != 0;
}

inline HTREEITEM InsertItem(HWND tree, const TVINSERTSTRUCTW& insert) {
    return ParamAs<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, AsParam(&insert)));
}

// TVI_ROOT deletes every item.
inline bool DeleteItem(HWND tree, HTREEITEM item) { return SendMessageW(tree, TVM_DELETEITEM, 0, AsParam(item)) != 0; }

inline UINT GetItemState(HWND tree, HTREEITEM item, UINT mask) {
    return static_cast<UINT>(SendMessageW(tree, TVM_GETITEMSTATE, AsParam<WPARAM>(item), mask));
}

// The item's row, or its text alone; false when the item is not shown.
inline bool GetItemRect(HWND tree, HTREEITEM item, bool textOnly, RECT& rect) {
    std::memcpy(&rect, &item, sizeof(item));  // the item goes in, the rectangle comes out
    return SendMessageW(tree, TVM_GETITEMRECT, textOnly ? TRUE : FALSE, AsParam(&rect)) != 0;
}

// action: TVE_EXPAND, TVE_COLLAPSE, ...
inline bool Expand(HWND tree, HTREEITEM item, UINT action) {
    return SendMessageW(tree, TVM_EXPAND, action, AsParam(item)) != 0;
}

// relation: TVGN_CARET, TVGN_DROPHILITE, ...; no item clears it.
inline bool SelectItem(HWND tree, HTREEITEM item, UINT relation) {
    return SendMessageW(tree, TVM_SELECTITEM, relation, AsParam(item)) != 0;
}

inline bool EnsureVisible(HWND tree, HTREEITEM item) {
    return SendMessageW(tree, TVM_ENSUREVISIBLE, 0, AsParam(item)) != 0;
}

// The item at hit.pt, with hit.flags saying where on it.
inline HTREEITEM HitTest(HWND tree, TVHITTESTINFO& hit) {
    return ParamAs<HTREEITEM>(SendMessageW(tree, TVM_HITTEST, 0, AsParam(&hit)));
}

inline UINT GetCount(HWND tree) { return static_cast<UINT>(SendMessageW(tree, TVM_GETCOUNT, 0, 0)); }
// Whole rows only: one more may show in part.
inline UINT GetVisibleCount(HWND tree) { return static_cast<UINT>(SendMessageW(tree, TVM_GETVISIBLECOUNT, 0, 0)); }

inline HWND EditLabel(HWND tree, HTREEITEM item) {
    return ParamAs<HWND>(SendMessageW(tree, TVM_EDITLABELW, 0, AsParam(item)));
}
inline HWND GetEditControl(HWND tree) { return ParamAs<HWND>(SendMessageW(tree, TVM_GETEDITCONTROL, 0, 0)); }
inline bool EndEditLabelNow(HWND tree, bool cancel) {
    return SendMessageW(tree, TVM_ENDEDITLABELNOW, cancel ? TRUE : FALSE, 0) != 0;
}

inline int GetIndent(HWND tree) { return static_cast<int>(SendMessageW(tree, TVM_GETINDENT, 0, 0)); }
inline void SetIndent(HWND tree, int indent) { SendMessageW(tree, TVM_SETINDENT, static_cast<WPARAM>(indent), 0); }

inline void SetExtendedStyle(HWND tree, DWORD mask, DWORD style) {
    SendMessageW(tree, TVM_SETEXTENDEDSTYLE, mask, static_cast<LPARAM>(style));
}

// which: TVSIL_NORMAL or TVSIL_STATE. Returns the list it replaced.
inline HIMAGELIST SetImageList(HWND tree, HIMAGELIST images, int which) {
    return ParamAs<HIMAGELIST>(SendMessageW(tree, TVM_SETIMAGELIST, static_cast<WPARAM>(which), AsParam(images)));
}

inline bool SortChildrenCB(HWND tree, const TVSORTCB& sort) {
    return SendMessageW(tree, TVM_SORTCHILDRENCB, 0, AsParam(&sort)) != 0;
}

}  // namespace ui::treeview
