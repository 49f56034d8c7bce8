// Keeps the keys typed right after a hot key for the window it calls up.
// The system hands each key to the window in front when the key arrives;
// in a burst (a hand that types on at once, a macro) the letters after the
// hot key arrive before the called window is in front and would go to the
// window that had the keyboard. A low-level keyboard hook on a thread of
// its own holds them from the hot key on, and replays them in order once
// the window is in front (TKeyHold has the rules).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "core/KeyHold.h"

namespace ui {

// A hot key as registered: MOD_* flags and its virtual key.
struct THotKeyCode {
    UINT Modifiers = 0;
    UINT Vk = 0;
};

class TKeyCatcher {
public:
    // Watches for the hot keys, which call up the window. Without a hook
    // (the system refused it) nothing is held, as before.
    TKeyCatcher(HWND window, std::vector<THotKeyCode> hotKeys);
    // What is held goes on to the window in front.
    ~TKeyCatcher();
    TKeyCatcher(const TKeyCatcher&) = delete;
    TKeyCatcher& operator=(const TKeyCatcher&) = delete;

    bool Hooked() const noexcept { return FHooked; }
    // The called window is in front now, or will not come: the held keys
    // go on. From the window's thread.
    void Release() noexcept;

private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
    void Run(HANDLE started);
    bool OnKey(const KBDLLHOOKSTRUCT& key) noexcept;
    bool IsHotKeyPress(const KBDLLHOOKSTRUCT& key) const noexcept;
    void Flush() noexcept;
    void Send(const std::vector<TKeyEvent>& keys);

    HWND FWindow;
    std::vector<THotKeyCode> FHotKeys;
    TKeyHold FHold;  // the catcher's thread's alone
    UINT_PTR FTimer = 0;
    DWORD FThreadId = 0;
    bool FHooked = false;
    std::thread FThread;
    // The hook has no context of its own: one catcher in a process.
    static std::atomic<TKeyCatcher*> FInstance;
};

}  // namespace ui
