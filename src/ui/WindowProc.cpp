#include "ui/WindowProc.h"

#include "ui/Application.h"
#include "ui/Handles.h"
#include "ui/Profile.h"

namespace ui {

namespace {
TProfileCounter PaintCounter("windows: paint and erase");
}  // namespace

void HandleCallbackException() noexcept {
    // Without the application object (before it exists, after it has gone)
    // the error ends here: whoever needs a record of it logs it first.
    if (Application) Application->HandleException();
}

LRESULT GuardedDispatch(IWindowTarget* target, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam,
                        LRESULT fallback) noexcept {
    if (!target) return DefWindowProcW(wnd, msg, wParam, lParam);
    if (msg == WM_PAINT || msg == WM_ERASEBKGND || msg == WM_NCPAINT) {
        TProfileScope profile(PaintCounter);
        return Guarded(fallback, [&] { return target->WindowMessage(wnd, msg, wParam, lParam); });
    }
    return Guarded(fallback, [&] { return target->WindowMessage(wnd, msg, wParam, lParam); });
}

IWindowTarget* WindowTargetOf(HWND wnd) noexcept {
    return wnd ? reinterpret_cast<IWindowTarget*>(GetWindowLongPtrW(wnd, GWLP_USERDATA)) : nullptr;
}

void SetWindowTarget(HWND wnd, IWindowTarget* target) noexcept {
    if (wnd) SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target));
}

LRESULT CALLBACK TargetWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return GuardedDispatch(WindowTargetOf(wnd), wnd, msg, wParam, lParam);
}

TMessageWindow::TMessageWindow(const wchar_t* className, THandler handler) : FHandler(std::move(handler)) {
    Create(className, 0, 0, HWND_MESSAGE);
}

TMessageWindow::TMessageWindow(const wchar_t* className, UINT message,
                               std::function<void(WPARAM wParam, LPARAM lParam)> onMessage)
    : TMessageWindow(className, [message, onMessage = std::move(onMessage)](UINT msg, WPARAM wParam, LPARAM lParam,
                                                                           LRESULT& result) {
          if (msg != message) return false;
          onMessage(wParam, lParam);
          result = 0;
          return true;
      }) {}

TMessageWindow::TMessageWindow(const wchar_t* className, HWND owner, THandler handler)
    : FHandler(std::move(handler)) {
    Create(className, WS_EX_TOOLWINDOW, WS_POPUP, owner ? GetAncestor(owner, GA_ROOT) : nullptr);
}

void TMessageWindow::Create(const wchar_t* className, DWORD exStyle, DWORD style, HWND parent) {
    EnsureWindowClass(className, TargetWindowProc);
    FWnd = CreateWindowExW(exStyle, className, L"", style, 0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
    SetWindowTarget(FWnd, this);
}

TMessageWindow::~TMessageWindow() {
    Detach();
    if (FWnd) DestroyWindow(FWnd);
}

void TMessageWindow::Detach() noexcept {
    SetWindowTarget(FWnd, nullptr);
    FHandler = nullptr;
}

LRESULT TMessageWindow::WindowMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (FHandler) {
        // A copy runs, so a handler that detaches its window is not freed
        // while it runs.
        THandler handler = FHandler;
        if (handler(msg, wParam, lParam, result)) return result;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

}  // namespace ui
