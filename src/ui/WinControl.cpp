#include "ui/WinControl.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/Application.h"
#include "ui/Handles.h"
#include "ui/Menus.h"
#include "ui/MessageParams.h"
#include "ui/Profile.h"
#include "ui/ScopeExit.h"

namespace ui {

namespace {
TProfileCounter CreateCounter("windows: create");
// Notifications come back to the control that sent them under this offset.
constexpr UINT kControlNotifyBase = 0xBC00;
int MouseX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int MouseY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }
TMouseButton ButtonOf(UINT msg) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return mbLeft;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return mbRight;
    default:
        return mbMiddle;
    }
}
}  // namespace

bool ContextMenuFromKeyboard(LPARAM lParam) noexcept { return MouseX(lParam) == -1 && MouseY(lParam) == -1; }

std::wstring WindowText(HWND wnd) {
    int n = GetWindowTextLengthW(wnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(wnd, text.data(), n + 1);
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return text;
}

TShiftState KeyboardShiftState() {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    return s;
}

// ---------------------------------------------------------------------------
// TControl

TControl::TControl(TWinControl* parent) : FParent(parent) {
    if (FParent) FParent->InsertControl(this);
}

TControl::~TControl() {
    if (FParent) FParent->RemoveControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    RecordAnchorDistances();
    BoundsChanged();
}

void TControl::SetBoundsSilently(const RECT& r) {
    FLeft = r.left;
    FTop = r.top;
    FWidth = r.right - r.left;
    FHeight = r.bottom - r.top;
}

void TControl::SetAnchors(TAnchors anchors) {
    FAnchors = anchors;
    RecordAnchorDistances();
}

void TControl::RecordAnchorDistances() {
    if (!FParent) return;
    SIZE client = FParent->ClientSize();
    FRightDistance = client.cx - (FLeft + FWidth);
    FBottomDistance = client.cy - (FTop + FHeight);
}

void TControl::ApplyAnchors(int parentWidth, int parentHeight) {
    int left = FLeft, top = FTop, width = FWidth, height = FHeight;
    if (FAnchors & akRight) {
        if (FAnchors & akLeft)
            width = std::max(0, parentWidth - FRightDistance - left);
        else
            left = parentWidth - FRightDistance - width;
    }
    if (FAnchors & akBottom) {
        if (FAnchors & akTop)
            height = std::max(0, parentHeight - FBottomDistance - top);
        else
            top = parentHeight - FBottomDistance - height;
    }
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
    if (!IsWindowed()) Invalidate();
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    BoundsChanged();
}

void TControl::ChangeScale(int newDpi, int oldDpi) {
    auto scale = [&](int& v) { v = MulDiv(v, newDpi, oldDpi); };
    for (int* v : {&FLeft, &FTop, &FWidth, &FHeight, &FRightDistance, &FBottomDistance}) scale(*v);
    if (!IsWindowed()) Invalidate();
}

void TControl::Invalidate() {
    if (FParent && FParent->HandleAllocated()) {
        RECT r = BoundsRect();
        InvalidateRect(FParent->Handle(), &r, FALSE);
    }
}

// ---------------------------------------------------------------------------
// TWinControl

TWinControl::TWinControl(TWinControl* parent) : TControl(parent) {}

TWinControl::~TWinControl() { DestroyHandle(); }

HBRUSH TWinControl::BackgroundBrush() {
    if (!FBrush || FBrushColor != Color) {
        FBrush.Reset(CreateSolidBrush(Color));
        FBrushColor = Color;
    }
    return FBrush.Get();
}

void TWinControl::InsertControl(TControl* control) { FControls.push_back(control); }

void TWinControl::RemoveControl(TControl* control) {
    FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
}

SIZE TWinControl::ClientSize() const {
    if (FHandle) {
        RECT r{};
        GetClientRect(FHandle, &r);
        return {r.right, r.bottom};
    }
    return {Width(), Height()};
}

void TWinControl::SetTabStop(bool value) {
    if (!FHandle) return;
    const LONG style = GetWindowLongW(FHandle, GWL_STYLE);
    SetWindowLongW(FHandle, GWL_STYLE, value ? style | WS_TABSTOP : style & ~WS_TABSTOP);
}

void TWinControl::SetFont(HFONT font) {
    FFont = font;
    if (FHandle) SendMessageW(FHandle, WM_SETFONT, AsParam<WPARAM>(font), TRUE);
}

const wchar_t* TWinControl::RegisterOwnClass(const wchar_t* name, UINT style, HCURSOR cursor) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    EnsureWindowClass(name, TargetWindowProc, style, cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW),
                      LoadIconW(instance, MAKEINTRESOURCEW(1)));
    return name;
}

void TWinControl::CreateHandle(const TCreateParams& params) {
    TProfileScope profile(CreateCounter);
    HWND parentWnd = params.ParentWnd;
    if (!parentWnd && Parent()) parentWnd = Parent()->Handle();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    bool own = GetClassInfoExW(instance, params.ClassName, &wc) && wc.lpfnWndProc == TargetWindowProc;
    IWindowTarget* target = this;
    HWND wnd = CreateWindowExW(params.ExStyle, params.ClassName, params.Caption.c_str(), params.Style,
                               Left(), Top(), Width(), Height(), parentWnd, nullptr, instance,
                               own ? target : nullptr);
    if (!wnd) return;
    if (!own) {
        FHandle = wnd;
        FControlProc = SubclassWindow(wnd, target);
    }
    HFONT font = FFont ? FFont : (Parent() ? Parent()->Font() : nullptr);
    if (font) {
        FFont = font;
        SendMessageW(wnd, WM_SETFONT, AsParam<WPARAM>(font), FALSE);
    }
}

void TWinControl::DestroyHandle() {
    if (FHandle) DestroyWindow(FHandle);  // WM_NCDESTROY clears FHandle
    FHandle = nullptr;
}

TWinControl* TWinControl::FromHandle(HWND wnd) {
    IWindowTarget* target = WindowTargetOf(wnd);
    return target ? target->WindowControl() : nullptr;
}

void TWinControl::BoundsChanged() {
    if (FHandle) {
        SetWindowPos(FHandle, nullptr, Left(), Top(), Width(), Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TWinControl::ChangeScale(int newDpi, int oldDpi) {
    TControl::ChangeScale(newDpi, oldDpi);
    for (TControl* c : FControls) c->ChangeScale(newDpi, oldDpi);
    DpiChanged(newDpi);
    BoundsChanged();
}

void TWinControl::AlignControls() {
    SIZE client = ClientSize();
    for (TControl* c : FControls) c->ApplyAnchors(client.cx, client.cy);
}

void TWinControl::PaintWindow(HDC dc, const RECT& area) {
    SIZE client = ClientSize();
    auto paintTo = [&](HDC target) {
        TBrushOwner brush(CreateSolidBrush(Color));
        RECT all{0, 0, client.cx, client.cy};
        FillRect(target, &all, brush.Get());
        for (TControl* c : FControls)
            if (!c->IsWindowed()) c->Paint(target);
    };
    if (DoubleBuffered && client.cx > 0 && client.cy > 0) {
        TMemoryDC mem(dc, client.cx, client.cy);
        paintTo(mem.Get());
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, mem.Get(),
               area.left, area.top, SRCCOPY);
    } else {
        paintTo(dc);
    }
}

void TWinControl::FillBackground(HDC dc) const {
    RECT r{};
    GetClientRect(FHandle, &r);
    TBrushOwner brush(CreateSolidBrush(Color));
    FillRect(dc, &r, brush.Get());
}

LRESULT TWinControl::DefaultHandler(TMessage& msg) {
    if (FControlProc) return CallWindowProcW(FControlProc, FHandle, msg.Msg, msg.WParam, msg.LParam);
    return DefWindowProcW(FHandle, msg.Msg, msg.WParam, msg.LParam);
}

bool TWinControl::WndProc(TMessage& msg) { return HandleCommonMessage(msg); }

bool TWinControl::HandleCommonMessage(TMessage& msg) {
    switch (msg.Msg) {
    case WM_WINDOWPOSCHANGED: {
        // Keep the bounds in step with the window; anchors follow in WM_SIZE.
        RECT r{};
        GetWindowRect(FHandle, &r);
        HWND parent = GetParent(FHandle);
        if (parent && (GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD))
            MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
        SetBoundsSilently(r);
        return false;
    }
    case WM_SIZE:
        AlignControls();
        return false;
    case WM_ERASEBKGND:
        if (!FControlProc) {
            // The background now, as a window class brush would: a window
            // that is being shown is erased at once, its paint comes later,
            // and until then the screen would show what lay beneath.
            FillBackground(ParamAs<HDC>(msg.WParam));
            msg.Result = 1;
            return true;
        }
        return false;
    case WM_PAINT:
        if (!FControlProc) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(FHandle, &ps);
            PaintWindow(dc, ps.rcPaint);
            EndPaint(FHandle, &ps);
            msg.Result = 0;
            return true;
        }
        return false;
    case WM_NOTIFY: {
        auto* hdr = ParamAs<NMHDR*>(msg.LParam);
        if (TWinControl* child = FromHandle(hdr->hwndFrom); child && child != this) {
            TMessage reflected{kControlNotifyBase + WM_NOTIFY, msg.WParam, msg.LParam, 0};
            if (child->WndProc(reflected)) {
                msg.Result = reflected.Result;
                return true;
            }
        }
        return false;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        // Labels, check boxes and radio buttons on this control take its colour.
        SetBkColor(ParamAs<HDC>(msg.WParam), Color);
        msg.Result = AsParam<LRESULT>(BackgroundBrush());
        return true;
    case WM_COMMAND:
        if (TWinControl* child = msg.LParam ? FromHandle(ParamAs<HWND>(msg.LParam)) : nullptr;
            child && child != this) {
            TMessage reflected{kControlNotifyBase + WM_COMMAND, msg.WParam, msg.LParam, 0};
            if (child->WndProc(reflected)) {
                msg.Result = reflected.Result;
                return true;
            }
        }
        return false;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        if (TPopupMenu::HandleOwnerDraw(msg.Msg, msg.LParam)) {
            msg.Result = TRUE;
            return true;
        }
        return false;
    case WM_CONTEXTMENU: {
        if (!PopupMenu) return false;
        POINT p{MouseX(msg.LParam), MouseY(msg.LParam)};
        if (ContextMenuFromKeyboard(msg.LParam)) {  // the keyboard's menu: at the control's corner
            p = POINT{0, 0};
            ClientToScreen(FHandle, &p);
        }
        PopupMenu->Popup(p.x, p.y);
        return true;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (OnMouseDown) OnMouseDown(ButtonOf(msg.Msg), KeyboardShiftState(), MouseX(msg.LParam), MouseY(msg.LParam));
        return false;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        if (OnMouseUp) {
            msg.Result = DefaultHandler(msg);
            OnMouseUp(ButtonOf(msg.Msg), KeyboardShiftState(), MouseX(msg.LParam), MouseY(msg.LParam));
            return true;
        }
        return false;
    default:
        return false;
    }
}

LRESULT TWinControl::WindowMessage(HWND wnd, UINT msgId, WPARAM wParam, LPARAM lParam) {
    if (msgId == WM_NCCREATE) FHandle = wnd;
    if (msgId == WM_NCDESTROY) return WindowDestroyed(wnd, wParam, lParam);
    TMessage msg{msgId, wParam, lParam, 0};
    if (WndProc(msg)) return msg.Result;
    return DefaultHandler(msg);
}

LRESULT TWinControl::WindowDestroyed(HWND wnd, WPARAM wParam, LPARAM lParam) {
    if (WNDPROC own = FControlProc) {
        // The control's own procedure takes over again for its last message.
        RestoreWindowProc(wnd, own);
        SetWindowTarget(wnd, nullptr);
        FHandle = nullptr;
        FControlProc = nullptr;
        return CallWindowProcW(own, wnd, WM_NCDESTROY, wParam, lParam);
    }
    TScopeExit forget([this] { FHandle = nullptr; });
    TMessage msg{WM_NCDESTROY, wParam, lParam, 0};
    if (WndProc(msg)) return msg.Result;
    return DefaultHandler(msg);
}

}  // namespace ui
