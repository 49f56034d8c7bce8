// Window timers with Enabled, Interval and OnTimer. Every timer of the
// thread shares one hidden message window; a timer that is gone is never
// called, even for a WM_TIMER that was already queued.
#pragma once

#include <windows.h>

#include <functional>

#include "ui/WinControl.h"

namespace ui {

class TTimer : public TComponent {
public:
    TTimer();
    ~TTimer() override;

    bool Enabled() const noexcept { return FEnabled; }
    void SetEnabled(bool value);
    UINT Interval() const noexcept { return FInterval; }
    void SetInterval(UINT value);

    std::function<void()> OnTimer;

private:
    friend HWND TimerWindow();
    void Update();
    // Runs OnTimer; the timer window's guard catches what it throws.
    void Fire();

    bool FEnabled = false;
    UINT FInterval = 1000;
    UINT_PTR FId;
    bool FRunning = false;
};


}  // namespace ui
