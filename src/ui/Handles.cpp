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

HWND CreateMessageWindow(const wchar_t* className, WNDPROC proc) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(instance, className, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = proc;
        wc.hInstance = instance;
        wc.lpszClassName = className;
        RegisterClassExW(&wc);
    }
    return CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
}

}  // namespace ui
