// Dots per inch: designed sizes are at 96 and grow with the window's DPI.
#pragma once

#include <windows.h>

namespace ui {

constexpr int kDesignDpi = 96;

// A designed length at the given DPI, rounded to the nearest pixel.
int ScaleForDpi(int designed, int dpi);
// The DPI a window is drawn at: its monitor's where the system tells each
// window apart (per-monitor awareness), else the system's.
int WindowDpi(HWND wnd);
// The system's DPI, as fonts and metrics of the system are measured.
int SystemDpi();
// The side of the small images drawn for a DPI: 16, 24 or 32 pixels, the
// nearest to 16 scaled, so that images are never stretched.
int ImageSizeForDpi(int dpi);
// A system metric (a size in pixels) at the given DPI.
int SystemMetricForDpi(int index, int dpi);
// The system's icon-title font (the one folder views show names in), sized
// for the DPI; false when the system tells none.
bool IconTitleFontForDpi(int dpi, LOGFONTW& font);

}  // namespace ui
