#include "ui/Handles.h"

namespace ui {

TMemoryDC::TMemoryDC(HDC target, int width, int height)
    : FDC(CreateCompatibleDC(target)), FBitmap(CreateCompatibleBitmap(target, width, height)) {
    if (FDC && FBitmap) FOldBitmap = SelectObject(FDC, FBitmap.Get());
}

TMemoryDC::~TMemoryDC() {
    if (FOldBitmap) SelectObject(FDC, FOldBitmap);
    if (FDC) DeleteDC(FDC);
}

void EnsureWindowClass(const wchar_t* className, WNDPROC proc, UINT style, HCURSOR cursor, HICON icon) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExW(instance, className, &wc)) return;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = cursor;
    wc.hIcon = icon;
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
}

HWND CreateMessageWindow(const wchar_t* className, WNDPROC proc) {
    EnsureWindowClass(className, proc);
    return CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

}  // namespace ui
