#include "ui/Form.h"

#include "ui/MessageParams.h"

#include <algorithm>
#include <vector>

#include "ui/Application.h"
#include "ui/Controls.h"
#include "core/Exceptions.h"
#include "ui/WindowProc.h"

namespace ui {

TForm::TForm(DWORD style, DWORD exStyle) : TWinControl(nullptr) {
    Color = GetSysColor(COLOR_BTNFACE);
    const wchar_t* cls = RegisterOwnClass(L"TForm", CS_DBLCLKS, nullptr);
    HWND owner = Application ? Application->Handle() : nullptr;
    CreateHandle({cls, style & ~WS_VISIBLE, exStyle, owner, L""});
    if (!HandleAllocated()) throw Exception(L"Error creating window");
}

TForm::~TForm() { DestroyHandle(); }

std::wstring TForm::Caption() const { return WindowText(Handle()); }

void TForm::CentreOverMainForm() {
    ApplyWindowDpi();  // centred at the size it shows with
    RECT box{}, over{};
    GetWindowRect(Handle(), &box);
    const int w = box.right - box.left, h = box.bottom - box.top;
    TForm* main = Application ? Application->MainForm() : nullptr;
    if (!main || main == this || !GetWindowRect(main->Handle(), &over)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &over, 0);
    int x = (over.left + over.right - w) / 2, y = (over.top + over.bottom - h) / 2;
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    if (GetMonitorInfoW(MonitorFromRect(&over, MONITOR_DEFAULTTONEAREST), &mi)) {
        x = std::max<int>(mi.rcWork.left, std::min<int>(x, mi.rcWork.right - w));
        y = std::max<int>(mi.rcWork.top, std::min<int>(y, mi.rcWork.bottom - h));
    }
    SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetCaption(const std::wstring& caption) { SetWindowTextW(Handle(), caption.c_str()); }

namespace {
HFONT CreateFormFont(const std::wstring& face, int pixelHeight) {
    return CreateFontW(-pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
}

// Every control below the parent that shows the font gets the new one.
void ReplaceFont(TWinControl* parent, HFONT from, HFONT to) {
    for (TControl* c : parent->Controls()) {
        auto* windowed = dynamic_cast<TWinControl*>(c);
        if (!windowed) continue;
        if (windowed->Font() == from) windowed->SetFont(to);
        ReplaceFont(windowed, from, to);
    }
}
}  // namespace

void TForm::SetFormFont(const wchar_t* face, int pixelHeight) {
    FFontFace = face;
    FFontHeight = pixelHeight;
    FFontOwner.Reset(CreateFormFont(FFontFace, ScaleForDpi(pixelHeight, FDpi)));
    SetFont(FFontOwner.Get());
}

void TForm::ApplyWindowDpi() {
    if (FDpiApplied) return;
    FDpiApplied = true;
    ScaleToDpi(WindowDpi(Handle()));
}

void TForm::ScaleToDpi(int dpi) {
    if (dpi <= 0 || dpi == FDpi) return;
    const int old = FDpi;
    FDpi = dpi;
    FDpiApplied = true;
    if (!FFontFace.empty()) {
        TFontOwner previous(FFontOwner.Release());
        FFontOwner.Reset(CreateFormFont(FFontFace, ScaleForDpi(FFontHeight, dpi)));
        if (Font() == previous.Get()) SetFont(FFontOwner.Get());
        ReplaceFont(this, previous.Get(), FFontOwner.Get());
    }
    // The client area scales; the frame is the system's.
    RECT window{}, client{};
    GetWindowRect(Handle(), &window);
    GetClientRect(Handle(), &client);
    const int frameWidth = (window.right - window.left) - client.right;
    const int frameHeight = (window.bottom - window.top) - client.bottom;
    for (TControl* c : Controls()) c->ChangeScale(dpi, old);
    SetWindowPos(Handle(), nullptr, 0, 0, MulDiv(client.right, dpi, old) + frameWidth,
                 MulDiv(client.bottom, dpi, old) + frameHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(Handle(), &window);
    SetBoundsSilently(window);
    AlignControls();
    InvalidateRect(Handle(), nullptr, TRUE);
    if (OnDpiChanged) OnDpiChanged(dpi);
}

void TForm::SetDoubleBuffered(bool value) { DoubleBuffered = value; }

void TForm::Show() {
    ApplyWindowDpi();
    if (!FVisible) {
        // Visible first, so that showing again from the show event is a
        // no-op; a show event that fails leaves the form hidden and able to
        // show next time.
        FVisible = true;
        try {
            if (OnShow) OnShow();
        } catch (...) {
            if (!IsWindowVisible(Handle())) FVisible = false;
            throw;
        }
        if (!FVisible) return;  // the show event hid the form again
        ShowWindow(Handle(), SW_SHOWNORMAL);
        // Activated while still hidden, it could not give the focus away.
        if (GetActiveWindow() == Handle()) FocusActiveControl();
    } else if (!IsWindowVisible(Handle())) {
        // Shown from its own show event: on the screen now, so that what
        // the event does next (bringing it to the front) finds it there.
        ShowWindow(Handle(), SW_SHOWNORMAL);
    }
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TForm::Hide() {
    if (!FVisible && !IsWindowVisible(Handle())) return;
    FVisible = false;
    ShowWindow(Handle(), SW_HIDE);
    if (OnHide) OnHide();
}

void TForm::Close() {
    if (FModal) {
        ModalResult = mrCancel;
        return;
    }
    if (FClosing) return;
    bool isMain = Application && Application->MainForm() == this;
    TCloseAction action = isMain ? caFree : caHide;
    if (OnClose) OnClose(action);
    if (action == caNone) return;
    if (isMain) {
        FClosing = true;
        Application->Terminate();
    } else if (action == caMinimize) {
        ShowWindow(Handle(), SW_MINIMIZE);
    } else {
        Hide();
    }
}

namespace {
// Disables the thread's other top-level windows while a modal form runs,
// and enables them again however the modal loop ends.
class TWindowDisabler {
public:
    explicit TWindowDisabler(HWND except) : FExcept(except) {
        EnumThreadWindows(GetCurrentThreadId(), &TWindowDisabler::Collect,
                          AsParam(this));
        for (HWND w : FDisabled) EnableWindow(w, FALSE);
    }
    ~TWindowDisabler() { Restore(); }
    void Restore() {
        for (HWND w : FDisabled)
            if (IsWindow(w)) EnableWindow(w, TRUE);
        FDisabled.clear();
    }
    TWindowDisabler(const TWindowDisabler&) = delete;
    TWindowDisabler& operator=(const TWindowDisabler&) = delete;

private:
    static BOOL CALLBACK Collect(HWND wnd, LPARAM self) {
        return Guarded(FALSE, [&] {
            auto* me = ParamAs<TWindowDisabler*>(self);
            if (wnd != me->FExcept && IsWindowEnabled(wnd)) me->FDisabled.push_back(wnd);
            return TRUE;
        });
    }
    HWND FExcept;
    std::vector<HWND> FDisabled;
};
}  // namespace

int TForm::ShowModal() {
    if (FVisible || FModal) throw Exception(L"Cannot make a visible window modal");
    TModalScope modal;
    TWindowDisabler disabler(Handle());
    FModal = true;
    ModalResult = mrNone;
    try {
        Show();
        SetForegroundWindow(Handle());
        while (ModalResult == mrNone) {
            Application->HandleMessage();
            if (Application->Terminated()) ModalResult = mrCancel;
        }
    } catch (...) {
        FModal = false;
        disabler.Restore();
        Hide();
        throw;
    }
    FModal = false;
    // The other windows first: the system gives the activation back only
    // to an enabled window when this one goes.
    disabler.Restore();
    Hide();
    return ModalResult;
}

void TForm::DoCreate() {
    ApplyWindowDpi();
    try {
        if (OnCreate) OnCreate();
    } catch (...) {
        Application->HandleException();
    }
}

bool TForm::DialogKey(WORD key) {
    if (key != VK_RETURN && key != VK_ESCAPE) return false;
    if (key == VK_RETURN && DialogNavigation && PressFocusedButton()) return true;
    std::vector<TWinControl*> pending{this};
    while (!pending.empty()) {
        TWinControl* control = pending.back();
        pending.pop_back();
        for (TControl* child : control->Controls()) {
            auto* button = dynamic_cast<TButton*>(child);
            if (button && IsWindowEnabled(button->Handle()) &&
                (key == VK_RETURN ? button->Default() : button->Cancel)) {
                button->Click();
                return true;
            }
            if (auto* windowed = dynamic_cast<TWinControl*>(child)) pending.push_back(windowed);
        }
    }
    return false;
}

bool TForm::PressFocusedButton() {
    HWND focus = GetFocus();
    if (!focus || !IsChild(Handle(), focus) || !IsWindowEnabled(focus)) return false;
    if (!(SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) return false;
    SendMessageW(focus, BM_CLICK, 0, 0);
    return true;
}

bool TForm::NavigationKey(HWND from, WORD key) {
    if (!DialogNavigation) return false;
    const bool tab = key == VK_TAB;
    if (!tab && key != VK_LEFT && key != VK_RIGHT && key != VK_UP && key != VK_DOWN) return false;
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
    // A control that wants the key keeps it: an edit its arrows, say.
    MSG msg{from, WM_KEYDOWN, key, 0, static_cast<DWORD>(GetMessageTime()), {}};
    const LRESULT code = from == Handle() ? 0 : SendMessageW(from, WM_GETDLGCODE, key, AsParam(&msg));
    if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE | (tab ? DLGC_WANTTAB : DLGC_WANTARROWS))) return false;
    if (tab) {
        HWND next = GetNextDlgTabItem(Handle(), from == Handle() ? nullptr : from, GetKeyState(VK_SHIFT) < 0);
        if (!next) return false;
        // An edit reached by Tab shows its whole text selected.
        if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(next, EM_SETSEL, 0, -1);
        SetFocus(next);
    } else {
        // Of the other controls, only radio buttons go round their group.
        auto* radio = dynamic_cast<TRadioButton*>(FromHandle(from));
        if (!radio) return false;
        TRadioButton* reached = radio->NextInGroup(key == VK_RIGHT || key == VK_DOWN);
        SetFocus(reached->Handle());
        reached->SetChecked(true);
    }
    // The keyboard is in use: focus rectangles show from now on.
    SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    return true;
}

void TForm::DoKeyDown(WORD& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(key, shift);
}

void TForm::DoKeyPress(wchar_t& key) {
    if (OnKeyPress) OnKeyPress(key);
}

void TForm::FocusActiveControl() {
    // The child's own visibility: the form itself may still be on its way
    // to the screen when it is activated.
    auto usable = [this](HWND w) {
        return w && IsWindow(w) && IsChild(Handle(), w) && (GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) &&
               IsWindowEnabled(w);
    };
    HWND target = FFocusedChild;
    if (!usable(target)) target = ActiveControl && ActiveControl->HandleAllocated() ? ActiveControl->Handle() : nullptr;
    if (usable(target) && GetFocus() != target) SetFocus(target);
}

bool TForm::WndProc(TMessage& msg) {
    switch (msg.Msg) {
    case WM_ACTIVATE:
        if (LOWORD(msg.WParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(Handle(), focus)) FFocusedChild = focus;
            return false;
        }
        // The default handling would focus the form itself, where no key
        // reaches the controls.
        if (!HIWORD(msg.WParam)) FocusActiveControl();
        msg.Result = 0;
        return true;
    case WM_SETFOCUS:
        FocusActiveControl();
        msg.Result = 0;
        return true;
    case WM_CLOSE:
        Close();
        msg.Result = 0;
        return true;
    case WM_DPICHANGED: {
        // Moved to a monitor of another DPI, or its DPI was changed.
        ScaleToDpi(LOWORD(msg.WParam));
        const RECT* suggested = ParamAs<const RECT*>(msg.LParam);
        if (suggested)
            SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        msg.Result = 0;
        return true;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        WORD key = static_cast<WORD>(msg.WParam);
        DoKeyDown(key, KeyboardShiftState());
        if (key == 0 || (msg.Msg == WM_KEYDOWN && DialogKey(key))) return true;
        // With no control focused the keys come to the form itself, as
        // system keys when Alt is up.
        if (!(msg.LParam & (1 << 29)) && NavigationKey(Handle(), key)) return true;
        return false;
    }
    case WM_CHAR: {
        auto key = static_cast<wchar_t>(msg.WParam);
        DoKeyPress(key);
        return key == 0;
    }
    default:
        return TWinControl::WndProc(msg);
    }
}

}  // namespace ui
