#include "ui/KeyCatcher.h"

#include <system_error>
#include <utility>

#include "ui/Handles.h"

namespace ui {

namespace {
constexpr UINT kMsgRelease = WM_APP + 1;
constexpr UINT kMsgFlush = WM_APP + 2;
// Marks the keys the catcher replays, so its hook lets them pass.
constexpr ULONG_PTR kReplayMark = 0x7456784B;
// While keys wait, the limit on holding them is checked this often.
constexpr UINT kTickMs = 100;

bool Down(int vk) noexcept { return GetAsyncKeyState(vk) < 0; }
}  // namespace

std::atomic<TKeyCatcher*> TKeyCatcher::FInstance{nullptr};

TKeyCatcher::TKeyCatcher(HWND window, std::vector<THotKeyCode> hotKeys)
    : FWindow(window), FHotKeys(std::move(hotKeys)) {
    if (FHotKeys.empty()) return;
    TKeyCatcher* none = nullptr;
    if (!FInstance.compare_exchange_strong(none, this)) return;
    THandleOwner started(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    try {
        if (started) FThread = std::thread([this, event = started.Get()] { Run(event); });
    } catch (const std::system_error&) {
        // No thread: keys go where the system sends them, as without it.
    }
    if (FThread.joinable()) {
        WaitForSingleObject(started.Get(), INFINITE);  // set on every path of Run
        if (!FHooked) FThread.join();
    }
    if (!FHooked) FInstance = nullptr;
}

TKeyCatcher::~TKeyCatcher() {
    if (FThread.joinable()) {
        PostThreadMessageW(FThreadId, WM_QUIT, 0, 0);
        FThread.join();
    }
    TKeyCatcher* self = this;
    FInstance.compare_exchange_strong(self, nullptr);
}

void TKeyCatcher::Release() noexcept {
    if (FHooked) PostThreadMessageW(FThreadId, kMsgRelease, 0, 0);
}

void TKeyCatcher::Run(HANDLE started) {
    MSG msg{};
    // The thread's queue exists before anyone posts to it.
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    FThreadId = GetCurrentThreadId();
    THookOwner hook(SetWindowsHookExW(WH_KEYBOARD_LL, HookProc, GetModuleHandleW(nullptr), 0));
    FHooked = static_cast<bool>(hook);
    SetEvent(started);
    if (!hook) return;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == kMsgRelease) FHold.Release();
        Flush();
    }
    hook.Reset();
    // Nothing held is lost: it goes to the window in front.
    try {
        if (const uint64_t deadline = FHold.Deadline()) Send(FHold.Due(deadline));
    } catch (...) {
    }
    if (FTimer) KillTimer(nullptr, FTimer);
}

LRESULT CALLBACK TKeyCatcher::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    TKeyCatcher* self = FInstance.load();
    if (code == HC_ACTION && self && self->OnKey(*reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam))) return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool TKeyCatcher::OnKey(const KBDLLHOOKSTRUCT& k) noexcept {
    // The system waits for this answer before any key goes on: it is kept
    // short, and whatever fails lets the key pass.
    try {
        const TKeyEvent key{static_cast<uint16_t>(k.vkCode), static_cast<uint16_t>(k.scanCode),
                            (k.flags & LLKHF_UP) != 0, (k.flags & LLKHF_EXTENDED) != 0};
        const uint64_t now = GetTickCount64();
        if (k.dwExtraInfo == kReplayMark) {
            FHold.Replayed(key, now);
            PostThreadMessageW(FThreadId, kMsgFlush, 0, 0);
            return false;
        }
        if (FHold.Take(key)) return true;
        if (FHold.Idle() && IsHotKeyPress(k) && !(GetForegroundWindow() == FWindow && IsWindowVisible(FWindow))) {
            FHold.Arm(now);
            PostThreadMessageW(FThreadId, kMsgFlush, 0, 0);  // starts the timer
        }
    } catch (...) {
    }
    return false;
}

bool TKeyCatcher::IsHotKeyPress(const KBDLLHOOKSTRUCT& k) const noexcept {
    if (k.flags & LLKHF_UP) return false;
    bool candidate = false;
    for (const THotKeyCode& h : FHotKeys) candidate = candidate || h.Vk == k.vkCode;
    if (!candidate) return false;
    // The system's own state of the modifiers: a hook may have missed a
    // release (one made on another desktop).
    UINT held = 0;
    if (Down(VK_MENU)) held |= MOD_ALT;
    if (Down(VK_CONTROL)) held |= MOD_CONTROL;
    if (Down(VK_SHIFT)) held |= MOD_SHIFT;
    if (Down(VK_LWIN) || Down(VK_RWIN)) held |= MOD_WIN;
    for (const THotKeyCode& h : FHotKeys)
        if (h.Vk == k.vkCode && (h.Modifiers & ~static_cast<UINT>(MOD_NOREPEAT)) == held) return true;
    return false;
}

void TKeyCatcher::Flush() noexcept {
    try {
        Send(FHold.Due(GetTickCount64()));
        if (!FHold.Idle() && !FTimer) {
            FTimer = SetTimer(nullptr, 0, kTickMs, nullptr);
        } else if (FHold.Idle() && FTimer) {
            KillTimer(nullptr, FTimer);
            FTimer = 0;
        }
    } catch (...) {
    }
}

void TKeyCatcher::Send(const std::vector<TKeyEvent>& keys) {
    if (keys.empty()) return;
    std::vector<INPUT> inputs(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        KEYBDINPUT& ki = inputs[i].ki;
        inputs[i].type = INPUT_KEYBOARD;
        ki.wVk = keys[i].Vk;
        ki.wScan = keys[i].Scan;
        ki.dwFlags = (keys[i].Up ? KEYEVENTF_KEYUP : 0u) | (keys[i].Extended ? KEYEVENTF_EXTENDEDKEY : 0u);
        // A character another program typed as such carries it in the scan code.
        if (keys[i].Vk == VK_PACKET) {
            ki.wVk = 0;
            ki.dwFlags |= KEYEVENTF_UNICODE;
        }
        ki.dwExtraInfo = kReplayMark;
    }
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    FHold.NotSent(keys.size() - sent);
}

}  // namespace ui
