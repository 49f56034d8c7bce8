#include "ui/Timer.h"

#include <unordered_map>

#include "ui/Application.h"
#include "ui/Handles.h"

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

HWND TimerWindow() {
    static HWND wnd = CreateMessageWindow(L"TTimerWindow", TimerWindowProc);
    return wnd;
}
}  // namespace

LRESULT CALLBACK TimerWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER) {
        auto it = LiveTimers().find(static_cast<UINT_PTR>(wParam));
        if (it != LiveTimers().end()) it->second->Fire();
        return 0;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
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

void TTimer::Fire() noexcept {
    try {
        if (OnTimer) OnTimer();
    } catch (...) {
        if (Application) Application->HandleException();
    }
}

}  // namespace ui
