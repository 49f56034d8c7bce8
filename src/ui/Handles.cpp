#include "ui/Handles.h"

namespace ui {

TMemoryDC::TMemoryDC(HDC target, int width, int height)
    : FDC(CreateCompatibleDC(target)), FBitmap(CreateCompatibleBitmap(target, width, height)) {
    if (FDC && FBitmap) FOldBitmap = SelectObject(FDC.Get(), FBitmap.Get());
}

TMemoryDC::~TMemoryDC() {
    // The bitmap leaves the context before either goes.
    if (FOldBitmap) SelectObject(FDC.Get(), FOldBitmap);
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

}  // namespace ui
