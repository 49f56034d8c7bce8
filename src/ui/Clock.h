// The milliseconds clock that timing rules read (repeats, hover delays,
// scroll pace). It is the system's tick count unless a test installs a
// clock of its own, which moves only when told: rules over seconds are
// then checked without waiting for them.
#pragma once

#include <windows.h>

namespace ui {

class TFakeClock;

namespace detail {
inline TFakeClock*& InstalledClock() noexcept {
    static TFakeClock* clock = nullptr;
    return clock;
}
}  // namespace detail

// A clock that stands still until Advance; installed for its lifetime
// (UI thread only), the one it replaced comes back when it goes.
class TFakeClock {
public:
    explicit TFakeClock(DWORD start = GetTickCount()) noexcept : FNow(start), FPrevious(detail::InstalledClock()) {
        detail::InstalledClock() = this;
    }
    ~TFakeClock() { detail::InstalledClock() = FPrevious; }
    TFakeClock(const TFakeClock&) = delete;
    TFakeClock& operator=(const TFakeClock&) = delete;

    DWORD Now() const noexcept { return FNow; }
    void Advance(DWORD ms) noexcept { FNow += ms; }

private:
    DWORD FNow;
    TFakeClock* FPrevious;
};

// Milliseconds since the system started, wrapping as GetTickCount does.
inline DWORD TickCount() noexcept {
    const TFakeClock* fake = detail::InstalledClock();
    return fake ? fake->Now() : GetTickCount();
}

}  // namespace ui
