// The program's one window procedure. Every window the framework owns,
// whether a form, a control or a hidden message window, keeps the address
// of its IWindowTarget in GWLP_USERDATA, and TargetWindowProc answers it
// through GuardedDispatch, which keeps any exception on this side of
// Windows. A system control is subclassed to the same procedure; its
// target keeps the control's own procedure and passes messages on to it.
#pragma once

#include <windows.h>

#include <functional>

namespace ui {

class TWinControl;

// What answers a window's messages. Its address, as this type and no
// other, is the window's GWLP_USERDATA for as long as it answers.
class IWindowTarget {
public:
    virtual LRESULT WindowMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    // The control behind the window, when the target is one.
    virtual TWinControl* WindowControl() noexcept { return nullptr; }

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

// The window's target, or none: only a window that TargetWindowProc
// answers has one, so another program's use of the slot is never taken for
// a target.
IWindowTarget* WindowTargetOf(HWND wnd) noexcept;
void SetWindowTarget(HWND wnd, IWindowTarget* target) noexcept;

// The window procedure of every window class of the framework. A window
// made with its target as the creation parameter gets it at WM_NCCREATE;
// others are given one after creation (SetWindowTarget). After
// WM_NCDESTROY nothing reaches the target.
LRESULT CALLBACK TargetWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Makes TargetWindowProc answer a window of a system class for target;
// returns the class's own procedure, which the target passes messages on
// to and gives back with RestoreWindowProc.
WNDPROC SubclassWindow(HWND wnd, IWindowTarget* target) noexcept;
void RestoreWindowProc(HWND wnd, WNDPROC proc) noexcept;

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
