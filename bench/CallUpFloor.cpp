// The yardstick for a call-up: a hidden window holding a tree view of 24
// rows with the shell's icons, as many as tavrix's window shows. A hot key
// shows it, brings it to the front and gives the tree the keyboard; the
// same key sends it away. What tavrix spends beyond this is its own.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>

namespace {

constexpr int kRows = 24;
HWND Tree = nullptr;

LRESULT CALLBACK FormProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_HOTKEY:
        if (IsWindowVisible(wnd) && GetForegroundWindow() == wnd) {
            ShowWindow(wnd, SW_HIDE);
        } else {
            ShowWindow(wnd, SW_SHOW);
            SetForegroundWindow(wnd);
            SetFocus(Tree);
        }
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) SetFocus(Tree);
        return 0;
    default:
        return DefWindowProcW(wnd, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = FormProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"TForm";  // the class the bench looks for
    RegisterClassExW(&wc);
    HWND form = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"floor", WS_POPUP | WS_CLIPCHILDREN, 50, 20,
                                250, 380, nullptr, nullptr, instance, nullptr);
    Tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES |
                               TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                           8, 8, 234, 340, form, nullptr, instance, nullptr);
    // The icons come from the shell's image list, asked before any call-up
    // as tavrix asks them while it is idle.
    SHFILEINFOW info{};
    const auto images = reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(
        L"entry.txt", FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES));
    SendMessageW(Tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
    HTREEITEM first = nullptr;
    for (int i = 0; i < kRows; ++i) {
        wchar_t text[32];
        std::swprintf(text, 32, L"entry %02d.txt", i);
        TVINSERTSTRUCTW row{};
        row.hParent = TVI_ROOT;
        row.hInsertAfter = TVI_LAST;
        row.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        row.item.pszText = text;
        row.item.iImage = row.item.iSelectedImage = info.iIcon;
        auto item = reinterpret_cast<HTREEITEM>(SendMessageW(Tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
        if (!first) first = item;
    }
    SendMessageW(Tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(first));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
