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
    friend LRESULT CALLBACK TimerWindowProc(HWND, UINT, WPARAM, LPARAM);
    void Update();
    void Fire() noexcept;

    bool FEnabled = false;
    UINT FInterval = 1000;
    UINT_PTR FId;
    bool FRunning = false;
};

LRESULT CALLBACK TimerWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace ui
