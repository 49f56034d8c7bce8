#include "ui/WindowProc.h"

#include "ui/Application.h"
#include "ui/Handles.h"
#include "ui/MessageParams.h"
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

namespace {
IWindowTarget* Slot(HWND wnd) noexcept { return ParamAs<IWindowTarget*>(GetWindowLongPtrW(wnd, GWLP_USERDATA)); }
WNDPROC WindowProcOf(HWND wnd) noexcept { return ParamAs<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC)); }
}  // namespace

IWindowTarget* WindowTargetOf(HWND wnd) noexcept {
    if (!wnd) return nullptr;
    // A window of one of our classes may have been subclassed by someone else.
    if (WindowProcOf(wnd) != TargetWindowProc && ParamAs<WNDPROC>(GetClassLongPtrW(wnd, GCLP_WNDPROC)) != TargetWindowProc)
        return nullptr;
    return Slot(wnd);
}

void SetWindowTarget(HWND wnd, IWindowTarget* target) noexcept {
    if (wnd) SetWindowLongPtrW(wnd, GWLP_USERDATA, AsParam<LONG_PTR>(target));
}

WNDPROC SubclassWindow(HWND wnd, IWindowTarget* target) noexcept {
    SetWindowTarget(wnd, target);
    return ParamAs<WNDPROC>(SetWindowLongPtrW(wnd, GWLP_WNDPROC, AsParam<LONG_PTR>(&TargetWindowProc)));
}

void RestoreWindowProc(HWND wnd, WNDPROC proc) noexcept {
    SetWindowLongPtrW(wnd, GWLP_WNDPROC, AsParam<LONG_PTR>(proc));
}

LRESULT CALLBACK TargetWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    IWindowTarget* target = Slot(wnd);
    if (msg == WM_NCCREATE && !target) {
        // The creation parameter is an IWindowTarget*, never a pointer to a
        // class derived from it: the two addresses need not be the same.
        target = static_cast<IWindowTarget*>(ParamAs<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowTarget(wnd, target);
    }
    const LRESULT result = GuardedDispatch(target, wnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY && target && Slot(wnd) == target) SetWindowTarget(wnd, nullptr);
    return result;
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
