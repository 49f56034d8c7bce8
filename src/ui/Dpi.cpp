#include "ui/Dpi.h"

#include "ui/Handles.h"
#include "ui/SystemLibrary.h"

#include <cstdlib>
#include <initializer_list>

namespace ui {

int ScaleForDpi(int designed, int dpi) { return MulDiv(designed, dpi, kDesignDpi); }

int SystemDpi() {
    TWindowDC screen(nullptr);
    int dpi = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : kDesignDpi;
    return dpi > 0 ? dpi : kDesignDpi;
}

namespace {
// A function of user32 asked at run time: systems before per-monitor
// awareness lack it.
template <typename F>
F User32Function(const char* name) {
    return ProcAddress<F>(GetModuleHandleW(L"user32.dll"), name);
}
}  // namespace

int WindowDpi(HWND wnd) {
    using TGetDpiForWindow = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<TGetDpiForWindow>("GetDpiForWindow");
    if (getDpiForWindow && wnd) {
        const UINT dpi = getDpiForWindow(wnd);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    using TForDpi = int(WINAPI*)(int, UINT);
    static const auto forDpi = User32Function<TForDpi>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());  // told at the system's DPI
}

int ImageSizeForDpi(int dpi) {
    const int wanted = ScaleForDpi(16, dpi);
    int best = 16;
    for (int size : {24, 32})
        if (std::abs(size - wanted) < std::abs(best - wanted)) best = size;
    return best;
}

bool IconTitleFontForDpi(int dpi, LOGFONTW& font) {
    using TForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    static const auto forDpi = User32Function<TForDpi>("SystemParametersInfoForDpi");
    font = LOGFONTW{};
    if (forDpi && forDpi(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0, static_cast<UINT>(dpi))) return true;
    if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0)) return false;
    font.lfHeight = MulDiv(font.lfHeight, dpi, SystemDpi());  // told at the system's DPI
    return true;
}

}  // namespace ui
