#include "ui/Monitors.h"

#include "ui/MessageParams.h"

namespace ui {

TScreen& Screen() {
    static TScreen screen;
    return screen;
}

const std::vector<TMonitor>& TScreen::Monitors() {
    if (!FRead) {
        FMonitors.clear();
        EnumDisplayMonitors(
            nullptr, nullptr,
            [](HMONITOR monitor, HDC, LPRECT, LPARAM data) WINAPI -> BOOL {
                MONITORINFO info{};
                info.cbSize = sizeof(info);
                if (GetMonitorInfoW(monitor, &info))
                    ParamAs<std::vector<TMonitor>*>(data)->push_back({info.rcMonitor, info.rcWork});
                return TRUE;
            },
            AsParam(&FMonitors));
        FRead = true;
    }
    return FMonitors;
}

void TScreen::RefreshMonitors() {
    FRead = false;
    Monitors();
}

}  // namespace ui
