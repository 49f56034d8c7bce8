#include "ui/Controls.h"

#include "ui/MessageParams.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/Dpi.h"
#include "ui/Form.h"

namespace ui {

// ---------------------------------------------------------------------------
// TPanel

TPanel::TPanel(TWinControl* parent) : TWinControl(parent) {
    const wchar_t* cls = RegisterOwnClass(L"TPanel", 0, nullptr);
    CreateHandle({cls, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, nullptr, L""});
}

// ---------------------------------------------------------------------------
// TShape

TShape::TShape(TWinControl* parent) : TControl(parent) {}

void TShape::Paint(HDC dc) {
    TBrushOwner brush(CreateSolidBrush(Color));
    RECT r = BoundsRect();
    FillRect(dc, &r, brush.Get());
}

// ---------------------------------------------------------------------------
// TSpeedButton

TSpeedButton::TSpeedButton(TWinControl* parent) : TWinControl(parent) {
    if (parent) Color = parent->Color;
    const wchar_t* cls = RegisterOwnClass(L"TSpeedButton", 0, nullptr);
    CreateHandle({cls, WS_CHILD | WS_VISIBLE, 0, nullptr, L""});
}

TSpeedButton::~TSpeedButton() {
    DropToolTip();
    DestroyHandle();
}

void TSpeedButton::DropToolTip() {
    // The tip belongs to the form too, which may have destroyed it already.
    HWND tip = FToolTip.Release();
    if (tip && IsWindow(tip)) DestroyWindow(tip);
}

void TSpeedButton::SetImage(const TImageList* images, int index) {
    FImages = images;
    FImageIndex = index;
    if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TSpeedButton::SetHint(const std::wstring& hint) {
    FHint = hint;
    if (!FToolTip) return;  // made when the pointer first comes
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = Handle();
    ti.uId = AsParam<UINT_PTR>(Handle());
    ti.lpszText = FHint.data();
    SendMessageW(FToolTip.Get(), TTM_UPDATETIPTEXTW, 0, AsParam(&ti));
}

void TSpeedButton::MakeToolTip(const MSG& firstMove) {
    // A tip is a top-level window, which costs start-up time: it is made
    // only once the pointer is over the button, and sees that first move.
    if (FToolTip || FHint.empty() || !HandleAllocated()) return;
    FToolTip.Reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                   GetAncestor(Handle(), GA_ROOT), nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!FToolTip) return;
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = Handle();
    ti.uId = AsParam<UINT_PTR>(Handle());
    ti.lpszText = FHint.data();
    SendMessageW(FToolTip.Get(), TTM_ADDTOOLW, 0, AsParam(&ti));
    MSG relay = firstMove;
    SendMessageW(FToolTip.Get(), TTM_RELAYEVENT, 0, AsParam(&relay));
}

void TSpeedButton::Click() {
    if (OnClick) OnClick();
}

bool TSpeedButton::ShowsFocus() const {
    // Hidden while the window says keyboard cues are not wanted yet.
    return GetFocus() == Handle() && !(SendMessageW(Handle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

void TSpeedButton::PaintButton(HDC dc) {
    SIZE size = ClientSize();
    RECT r{0, 0, size.cx, size.cy};
    TMemoryDC mem(dc, size.cx, size.cy);
    HDC target = mem.Get() ? mem.Get() : dc;
    TBrushOwner brush(CreateSolidBrush(Color));
    FillRect(target, &r, brush.Get());
    const bool pressed = (FDown && FHot) || FSpaceDown;
    if (pressed)
        DrawEdge(target, &r, BDR_SUNKENOUTER, BF_RECT);
    else if (FHot || FDown)
        DrawEdge(target, &r, BDR_RAISEDINNER, BF_RECT);
    const int offset = pressed ? 1 : 0;
    const bool enabled = IsWindowEnabled(Handle()) != FALSE;
    if (Caption.empty()) {
        if (FImages)
            FImages->Draw(target, FImageIndex, (size.cx - FImages->Width()) / 2 + offset,
                          (size.cy - FImages->Height()) / 2 + offset, enabled);
    } else {
        // The glyph, then the caption, together in the middle.
        HGDIOBJ oldFont = SelectObject(target, Font() ? Font() : GetStockObject(DEFAULT_GUI_FONT));
        SIZE text{};
        GetTextExtentPoint32W(target, Caption.c_str(), static_cast<int>(Caption.size()), &text);
        const int glyph = FImages && FImageIndex >= 0 ? FImages->Width() + 4 : 0;
        int x = (size.cx - glyph - text.cx) / 2 + offset;
        if (glyph) FImages->Draw(target, FImageIndex, x, (size.cy - FImages->Height()) / 2 + offset, enabled);
        SetBkMode(target, TRANSPARENT);
        SetTextColor(target, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        TextOutW(target, x + glyph, (size.cy - text.cy) / 2 + offset, Caption.c_str(), static_cast<int>(Caption.size()));
        SelectObject(target, oldFont);
    }
    if (ShowsFocus()) {
        RECT focus = r;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(target, &focus);
    }
    if (target != dc) BitBlt(dc, 0, 0, size.cx, size.cy, target, 0, 0, SRCCOPY);
}

bool TSpeedButton::WndProc(TMessage& msg) {
    switch (msg.Msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        PaintButton(dc);
        EndPaint(Handle(), &ps);
        return true;
    }
    case WM_MOUSEMOVE:
        if (!FToolTip) {
            MSG move{Handle(), msg.Msg, msg.WParam, msg.LParam, static_cast<DWORD>(GetMessageTime()), {}};
            GetCursorPos(&move.pt);
            MakeToolTip(move);
        }
        if (!FHot) {
            FHot = true;
            TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, Handle(), 0};
            TrackMouseEvent(&tme);
            InvalidateRect(Handle(), nullptr, FALSE);
        } else if (FDown) {
            POINT p{static_cast<short>(LOWORD(msg.LParam)), static_cast<short>(HIWORD(msg.LParam))};
            RECT r{};
            GetClientRect(Handle(), &r);
            if (!PtInRect(&r, p)) {
                FHot = false;
                InvalidateRect(Handle(), nullptr, FALSE);
            }
        }
        return false;
    case WM_MOUSELEAVE:
        FHot = false;
        InvalidateRect(Handle(), nullptr, FALSE);
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        FDown = true;
        FHot = true;
        SetCapture(Handle());
        InvalidateRect(Handle(), nullptr, FALSE);
        TWinControl::WndProc(msg);
        return true;
    case WM_LBUTTONUP: {
        bool wasDown = FDown;
        FDown = false;
        if (GetCapture() == Handle()) ReleaseCapture();
        POINT p{static_cast<short>(LOWORD(msg.LParam)), static_cast<short>(HIWORD(msg.LParam))};
        RECT r{};
        GetClientRect(Handle(), &r);
        bool inside = PtInRect(&r, p) != FALSE;
        InvalidateRect(Handle(), nullptr, FALSE);
        TWinControl::WndProc(msg);  // the mouse-up event
        if (wasDown && inside) Click();
        return true;
    }
    case WM_CAPTURECHANGED:
        if (FDown) {
            FDown = false;
            InvalidateRect(Handle(), nullptr, FALSE);
        }
        return false;
    case WM_GETTEXTLENGTH:
        msg.Result = static_cast<LRESULT>(AccessibleName().size());
        return true;
    case WM_GETTEXT: {
        // The button draws its own face: its text is what screen readers
        // announce, the caption or else the tool tip.
        const std::wstring name = AccessibleName();
        auto* buffer = ParamAs<wchar_t*>(msg.LParam);
        const size_t room = static_cast<size_t>(msg.WParam);
        if (!buffer || room == 0) {
            msg.Result = 0;
            return true;
        }
        const size_t count = std::min(name.size(), room - 1);
        name.copy(buffer, count);
        buffer[count] = L'\0';
        msg.Result = static_cast<LRESULT>(count);
        return true;
    }
    case WM_DESTROY:
        DropToolTip();
        return false;
    // The keyboard, as a push button takes it.
    case WM_GETDLGCODE:
        msg.Result = DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        FSpaceDown = false;
        InvalidateRect(Handle(), nullptr, FALSE);
        return false;
    case WM_UPDATEUISTATE:
        msg.Result = DefaultHandler(msg);
        InvalidateRect(Handle(), nullptr, FALSE);
        return true;
    case WM_KEYDOWN:
        if (msg.WParam != VK_SPACE) return TWinControl::WndProc(msg);
        if (!(msg.LParam & (1 << 30))) {  // not the key's repeat
            FSpaceDown = true;
            InvalidateRect(Handle(), nullptr, FALSE);
        }
        return true;
    case WM_KEYUP:
        if (msg.WParam != VK_SPACE || !FSpaceDown) return TWinControl::WndProc(msg);
        FSpaceDown = false;
        InvalidateRect(Handle(), nullptr, FALSE);
        Click();
        return true;
    case BM_CLICK:
        if (IsWindowEnabled(Handle())) Click();
        msg.Result = 0;
        return true;
    default:
        return TWinControl::WndProc(msg);
    }
}

// ---------------------------------------------------------------------------
// TGroupBox

TGroupBox::TGroupBox(TWinControl* parent, const std::wstring& caption) : TWinControl(parent) {
    if (parent) Color = parent->Color;
    CreateHandle({L"BUTTON", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, WS_EX_CONTROLPARENT, nullptr, caption});
}

bool TGroupBox::WndProc(TMessage& msg) {
    if (msg.Msg == WM_ERASEBKGND) {
        // The system's group box leaves its inside unpainted.
        FillBackground(ParamAs<HDC>(msg.WParam));
        msg.Result = 1;
        return true;
    }
    return TWinControl::WndProc(msg);
}

// ---------------------------------------------------------------------------
// TButtonControl

TButtonControl::TButtonControl(TWinControl* parent, const std::wstring& caption, DWORD style)
    : TWinControl(parent) {
    CreateHandle({L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, nullptr, caption});
}

bool TButtonControl::WndProc(TMessage& msg) {
    if (msg.Msg == WM_SETFONT || msg.Msg == WM_SETTEXT) {
        msg.Result = DefaultHandler(msg);
        BoundsChanged();  // the caption's width changed with it
        return true;
    }
    return TWinControl::WndProc(msg);
}

void TButtonControl::BoundsChanged() {
    if (Width() != FFittedWidth) FDesignedWidth = Width();
    FFittedWidth = FittedWidth(FDesignedWidth);
    if (FFittedWidth != Width()) SetBoundsSilently(RECT{Left(), Top(), Left() + FFittedWidth, Top() + Height()});
    TWinControl::BoundsChanged();
}

void TButtonControl::ChangeScale(int newDpi, int oldDpi) {
    // The design scales; what it grew to is worked out again at the new
    // size of the font.
    FDesignedWidth = MulDiv(FDesignedWidth, newDpi, oldDpi);
    FFittedWidth = MulDiv(Width(), newDpi, oldDpi);
    TWinControl::ChangeScale(newDpi, oldDpi);
}

int TButtonControl::FittedWidth(int designed) const {
    if (designed <= 0 || !HandleAllocated() || !Parent()) return designed;  // not laid out yet
    const std::wstring caption = WindowText(Handle());
    if (caption.empty()) return designed;
    // The form's DPI, which its font is made for.
    const TWinControl* top = this;
    while (top->Parent()) top = top->Parent();
    const auto* form = dynamic_cast<const TForm*>(top);
    const int dpi = form ? form->Dpi() : WindowDpi(Handle());

    TWindowDC dc(Handle());
    auto font = ParamAs<HGDIOBJ>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
    TSelectObject select(dc.Get(), font ? font : GetStockObject(SYSTEM_FONT));
    RECT text{};
    DrawTextW(dc.Get(), caption.c_str(), static_cast<int>(caption.size()), &text, DT_CALCRECT | DT_SINGLELINE);
    INT zero = 0;
    GetCharWidth32W(dc.Get(), L'0', L'0', &zero);
    // The mark, the gap the system leaves after it (half a digit), and the
    // text with a pixel each side for the focus rectangle around it.
    const int needed = SystemMetricForDpi(SM_CXMENUCHECK, dpi) + zero / 2 + (text.right - text.left) + 2;
    if (needed <= designed) return designed;
    const int inner = dynamic_cast<const TGroupBox*>(Parent())
                          ? Parent()->Width() - SystemMetricForDpi(SM_CXEDGE, dpi)  // inside the frame
                          : Parent()->ClientSize().cx;
    return std::max(designed, std::min(needed, inner - Left()));
}

// ---------------------------------------------------------------------------
// TRadioButton

TRadioButton::TRadioButton(TWinControl* parent, const std::wstring& caption)
    : TButtonControl(parent, caption, BS_AUTORADIOBUTTON) {
    UpdateTabStops();
}

std::vector<TRadioButton*> TRadioButton::Group() const {
    if (!Parent()) return {const_cast<TRadioButton*>(this)};
    std::vector<TRadioButton*> group;
    for (TControl* c : Parent()->Controls())
        if (auto* radio = dynamic_cast<TRadioButton*>(c)) group.push_back(radio);
    return group;
}

void TRadioButton::UpdateTabStops() const {
    const std::vector<TRadioButton*> group = Group();
    auto stop = std::find_if(group.begin(), group.end(), [](TRadioButton* r) { return r->Checked(); });
    if (stop == group.end()) stop = group.begin();
    for (auto it = group.begin(); it != group.end(); ++it) (*it)->SetTabStop(it == stop);
}

TRadioButton* TRadioButton::NextInGroup(bool forward) const {
    const std::vector<TRadioButton*> group = Group();
    const auto n = static_cast<int>(group.size());
    const auto at = static_cast<int>(std::find(group.begin(), group.end(), this) - group.begin());
    for (int step = 1; step < n; ++step) {
        TRadioButton* r = group[static_cast<size_t>(((forward ? at + step : at - step) % n + n) % n)];
        if (IsWindowEnabled(r->Handle()) && (GetWindowLongW(r->Handle(), GWL_STYLE) & WS_VISIBLE)) return r;
    }
    return const_cast<TRadioButton*>(this);
}

bool TRadioButton::Checked() const {
    return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TRadioButton::SetChecked(bool value) {
    const bool wasChecked = Checked();
    if (value && Parent()) {
        // One checked button per group: the others of the parent go off.
        for (TControl* c : Parent()->Controls())
            if (auto* other = dynamic_cast<TRadioButton*>(c); other && other != this)
                SendMessageW(other->Handle(), BM_SETCHECK, BST_UNCHECKED, 0);
    }
    SendMessageW(Handle(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    UpdateTabStops();
    // Checked from code as a click would check it.
    if (value && !wasChecked && OnClick) OnClick();
}

bool TRadioButton::WndProc(TMessage& msg) {
    if (msg.Msg == CN_COMMAND && HIWORD(msg.WParam) == BN_CLICKED) {
        UpdateTabStops();
        if (OnClick) OnClick();
        return true;
    }
    return TButtonControl::WndProc(msg);
}

// ---------------------------------------------------------------------------
// TLabel

TLabel::TLabel(TWinControl* parent, const std::wstring& caption, TAlignment alignment) : TWinControl(parent) {
    const DWORD align = alignment == taCenter ? SS_CENTER : SS_LEFT;
    CreateHandle({L"STATIC", WS_CHILD | WS_VISIBLE | SS_NOPREFIX | align, 0, nullptr, caption});
}

std::wstring TLabel::Caption() const { return WindowText(Handle()); }

void TLabel::SetCaption(const std::wstring& caption) { SetWindowTextW(Handle(), caption.c_str()); }

// ---------------------------------------------------------------------------
// TButton

TButton::TButton(TWinControl* parent, const std::wstring& caption) : TWinControl(parent) {
    CreateHandle({L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, nullptr, caption});
}

void TButton::SetDefault(bool value) {
    FDefault = value;
    SendMessageW(Handle(), BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
    if (OnClick) OnClick();
}

bool TButton::WndProc(TMessage& msg) {
    if (msg.Msg == CN_COMMAND && HIWORD(msg.WParam) == BN_CLICKED) {
        Click();
        return true;
    }
    return TWinControl::WndProc(msg);
}

// ---------------------------------------------------------------------------
// TCheckBox, TEdit

TCheckBox::TCheckBox(TWinControl* parent, const std::wstring& caption)
    : TButtonControl(parent, caption, BS_AUTOCHECKBOX) {}

bool TCheckBox::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TCheckBox::SetChecked(bool value) {
    SendMessageW(Handle(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

TEdit::TEdit(TWinControl* parent, bool readOnly) : TWinControl(parent) {
    CreateHandle({L"EDIT", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | (readOnly ? ES_READONLY : 0u),
                  WS_EX_CLIENTEDGE, nullptr, L""});
}

std::wstring TEdit::Text() const { return WindowText(Handle()); }

void TEdit::SetText(const std::wstring& text) { SetWindowTextW(Handle(), text.c_str()); }

void TEdit::SelectAll() { SendMessageW(Handle(), EM_SETSEL, 0, -1); }

}  // namespace ui
