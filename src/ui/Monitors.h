// The monitors and their work areas, kept in a list that is read once and
// read again only when asked to (after display or device changes).
#pragma once

#include <windows.h>

#include <vector>

namespace ui {

struct TMonitor {
    RECT Bounds;
    RECT WorkArea;
};

class TScreen {
public:
    const std::vector<TMonitor>& Monitors();
    // Drops the list; the next question reads the monitors anew.
    void RefreshMonitors();

private:
    std::vector<TMonitor> FMonitors;
    bool FRead = false;
};

TScreen& Screen();

}  // namespace ui
