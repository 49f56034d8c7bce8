#include "ui/Dpi.h"

#include <cstdlib>
#include <initializer_list>

namespace ui {

int ScaleForDpi(int designed, int dpi) { return MulDiv(designed, dpi, kDesignDpi); }

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesignDpi;
}

int WindowDpi(HWND wnd) {
    // Asked at run time: systems before per-monitor awareness lack it.
    using TGetDpiForWindow = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<TGetDpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && wnd) {
        const UINT dpi = getDpiForWindow(wnd);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return SystemDpi();
}

int ImageSizeForDpi(int dpi) {
    const int wanted = ScaleForDpi(16, dpi);
    int best = 16;
    for (int size : {24, 32})
        if (std::abs(size - wanted) < std::abs(best - wanted)) best = size;
    return best;
}

}  // namespace ui
