// The program's one way into its window procedures. Every window of the
// program, whether a control, a form or a hidden message window, is
// answered through GuardedDispatch: it finds the window's object and keeps
// any exception on this side of Windows.
#pragma once

#include <windows.h>

#include <functional>

namespace ui {

// What answers a window's messages. Its address is the window's
// GWLP_USERDATA for as long as it answers.
class IWindowTarget {
public:
    virtual LRESULT WindowMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~IWindowTarget() = default;
};

// Hands the exception in flight to the application object; with none it
// is dropped. For catch (...) blocks of callbacks.
void HandleCallbackException() noexcept;

// Runs a callback's work so that nothing it throws reaches the system that
// called it: the exception is handed on and the callback answers fallback.
template <typename R, typename F>
R Guarded(R fallback, F&& work) noexcept {
    try {
        return work();
    } catch (...) {
        HandleCallbackException();
        return fallback;
    }
}

// Calls the target behind the guard; an exception is handed on and the
// message is answered with the fallback. A window without a target gets
// DefWindowProc.
LRESULT GuardedDispatch(IWindowTarget* target, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam,
                        LRESULT fallback = 0) noexcept;

// The window's target, or none.
IWindowTarget* WindowTargetOf(HWND wnd) noexcept;
void SetWindowTarget(HWND wnd, IWindowTarget* target) noexcept;

// The window procedure of every window class whose windows are given a
// target after creation (SetWindowTarget).
LRESULT CALLBACK TargetWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// A hidden window whose messages go to a handler: a message-only window by
// default, or an owned tool window when the shell needs a real owner (its
// menus). The handler answers true when it took the message and set the
// result; other messages get DefWindowProc. The window goes with the
// object, and nothing reaches the handler after Detach or destruction.
class TMessageWindow final : private IWindowTarget {
public:
    using THandler = std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

    TMessageWindow(const wchar_t* className, THandler handler);
    // A window that hears one message, answered with 0; the rest get the
    // default answer.
    TMessageWindow(const wchar_t* className, UINT message, std::function<void(WPARAM wParam, LPARAM lParam)> onMessage);
    // A popup tool window owned by the root window of owner.
    TMessageWindow(const wchar_t* className, HWND owner, THandler handler);
    ~TMessageWindow();
    TMessageWindow(const TMessageWindow&) = delete;
    TMessageWindow& operator=(const TMessageWindow&) = delete;

    HWND Handle() const noexcept { return FWnd; }
    explicit operator bool() const noexcept { return FWnd != nullptr; }
    // Stops delivery; posted messages that arrive later are dropped.
    void Detach() noexcept;

private:
    void Create(const wchar_t* className, DWORD exStyle, DWORD style, HWND parent);
    LRESULT WindowMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    THandler FHandler;
    HWND FWnd = nullptr;
};

}  // namespace ui
