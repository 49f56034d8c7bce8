#include "ui/Timer.h"

#include <unordered_map>

#include "ui/WindowProc.h"

namespace ui {

namespace {
std::unordered_map<UINT_PTR, TTimer*>& LiveTimers() {
    static std::unordered_map<UINT_PTR, TTimer*> timers;
    return timers;
}

UINT_PTR NextTimerId() {
    static UINT_PTR next = 1;
    return next++;
}

}  // namespace

// The thread's one timer window; a WM_TIMER of a timer that is gone finds
// nothing and is dropped.
HWND TimerWindow() {
    static TMessageWindow window(L"TTimerWindow", WM_TIMER, [](WPARAM wParam, LPARAM) {
        auto it = LiveTimers().find(static_cast<UINT_PTR>(wParam));
        if (it != LiveTimers().end()) it->second->Fire();
    });
    return window.Handle();
}

TTimer::TTimer() : FId(NextTimerId()) { LiveTimers()[FId] = this; }

TTimer::~TTimer() {
    if (FRunning) KillTimer(TimerWindow(), FId);
    LiveTimers().erase(FId);
}

void TTimer::SetEnabled(bool value) {
    if (value == FEnabled) return;
    FEnabled = value;
    Update();
}

void TTimer::SetInterval(UINT value) {
    if (value == FInterval) return;
    FInterval = value;
    Update();
}

void TTimer::Update() {
    if (FRunning) {
        KillTimer(TimerWindow(), FId);
        FRunning = false;
    }
    if (FEnabled && FInterval > 0) FRunning = SetTimer(TimerWindow(), FId, FInterval, nullptr) != 0;
}

void TTimer::Fire() {
    if (OnTimer) OnTimer();
}

}  // namespace ui
