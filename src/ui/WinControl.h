// Components and controls: the base classes every visible part builds on.
// A windowed control is the target of its window (WindowProc.h): the one
// window procedure answers our own classes and, subclassed, the system
// ones, and hands each message to the object's WndProc. No exception
// leaves it.
#pragma once

#include <windows.h>

#include "ui/Handles.h"
#include "ui/WindowProc.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class TWinControl;
class TPopupMenu;

struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;

enum TShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };
using TShiftState = unsigned;
TShiftState KeyboardShiftState();
// The whole text of a window.
std::wstring WindowText(HWND wnd);

enum TMouseButton { mbLeft, mbRight, mbMiddle };

class TComponent {
public:
    TComponent() = default;
    virtual ~TComponent() = default;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    std::wstring Name;
    int Tag = 0;
};

class TControl : public TComponent {
public:
    explicit TControl(TWinControl* parent);
    ~TControl() override;

    TWinControl* Parent() const noexcept { return FParent; }
    int Left() const noexcept { return FLeft; }
    int Top() const noexcept { return FTop; }
    int Width() const noexcept { return FWidth; }
    int Height() const noexcept { return FHeight; }
    RECT BoundsRect() const noexcept { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    // Sets the bounds as designed; the anchors keep these distances from then on.
    void SetBounds(int left, int top, int width, int height);

    TAnchors Anchors() const noexcept { return FAnchors; }
    void SetAnchors(TAnchors anchors);
    // Moves the control after its parent's client area changed size.
    void ApplyAnchors(int parentWidth, int parentHeight);

    virtual bool IsWindowed() const noexcept { return false; }
    // Scales the bounds and the anchor distances from one DPI to another;
    // a windowed control scales its children too and then moves.
    virtual void ChangeScale(int newDpi, int oldDpi);
    // Graphic controls paint onto their parent's surface.
    virtual void Paint(HDC /*dc*/) {}

protected:
    virtual void BoundsChanged() {}
    // Takes the bounds the window already has, keeping the anchor distances.
    void SetBoundsSilently(const RECT& r);
    void Invalidate();

private:
    void RecordAnchorDistances();

    TWinControl* FParent;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TAnchors FAnchors = akLeft | akTop;
    int FRightDistance = 0, FBottomDistance = 0;
};

class TWinControl : public TControl, private IWindowTarget {
public:
    explicit TWinControl(TWinControl* parent);
    ~TWinControl() override;

    HWND Handle() const noexcept { return FHandle; }
    bool HandleAllocated() const noexcept { return FHandle != nullptr; }
    bool IsWindowed() const noexcept override { return true; }

    // The object behind a window of ours, or none.
    static TWinControl* FromHandle(HWND wnd);

    const std::vector<TControl*>& Controls() const noexcept { return FControls; }
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);

    // Client size: the window's when it exists, else the designed bounds.
    SIZE ClientSize() const;

    // Whether Tab stops at the control on a form that moves the keyboard
    // between its controls.
    void SetTabStop(bool value);

    COLORREF Color = RGB(240, 240, 240);
    void SetFont(HFONT font);
    HFONT Font() const noexcept { return FFont; }

    // Opened by a right click or the menu key, unless the control shows
    // a menu of its own.
    TPopupMenu* PopupMenu = nullptr;

    // Mouse and key events; handlers run after the control's own work.
    std::function<void(TMouseButton, TShiftState, int x, int y)> OnMouseDown;
    std::function<void(TMouseButton, TShiftState, int x, int y)> OnMouseUp;

protected:
    struct TCreateParams {
        const wchar_t* ClassName;
        DWORD Style;
        DWORD ExStyle;
        HWND ParentWnd;
        std::wstring Caption;
    };
    // Creates the window from the parameters; a system class is subclassed.
    void CreateHandle(const TCreateParams& params);
    void DestroyHandle();

    // Handles one message. Return false to pass it to the default handling.
    virtual bool WndProc(TMessage& msg);
    LRESULT DefaultHandler(TMessage& msg);

    // Paints the background and the graphic children; double-buffered when set.
    void PaintWindow(HDC dc, const RECT& area);
    // Fills the whole client area with the control's colour.
    void FillBackground(HDC dc) const;
    bool DoubleBuffered = false;

    void BoundsChanged() override;
    void AlignControls();
    void ChangeScale(int newDpi, int oldDpi) override;
    // Told when the control has been scaled to a new DPI, before it moves:
    // what the control draws at a size of its own follows here.
    virtual void DpiChanged(int /*dpi*/) {}

    // Class name of our own controls; registered on first use.
    static const wchar_t* RegisterOwnClass(const wchar_t* name, UINT style, HCURSOR cursor);

private:
    LRESULT WindowMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    TWinControl* WindowControl() noexcept override { return this; }
    // The window's last message: from here on nothing reaches the object.
    LRESULT WindowDestroyed(HWND wnd, WPARAM wParam, LPARAM lParam);
    bool HandleCommonMessage(TMessage& msg);

    HWND FHandle = nullptr;
    // A system control's own procedure, which ours passes messages on to.
    // Replaced in place rather than through the common controls' subclass
    // chain: that chain looks itself up in a window property on every
    // message, which costs a trip to the window server where properties
    // live in some implementations.
    WNDPROC FControlProc = nullptr;
    HFONT FFont = nullptr;  // not owned: the form owns its font
    // The brush system controls on this one paint their background with.
    HBRUSH BackgroundBrush();
    TBrushOwner FBrush;
    COLORREF FBrushColor = 0;
    std::vector<TControl*> FControls;
};

// Notifications and commands reach the control that sent them as this base
// plus WM_NOTIFY or WM_COMMAND.
constexpr UINT CN_NOTIFY = 0xBC00 + WM_NOTIFY;
constexpr UINT CN_COMMAND = 0xBC00 + WM_COMMAND;

// Whether a WM_CONTEXTMENU comes from the keyboard (the menu key,
// Shift+F10), which gives no position: both coordinates are -1. Only the
// coordinates tell, since a 64-bit program may get them as 0xFFFFFFFF,
// which as a 64-bit LPARAM is no -1.
bool ContextMenuFromKeyboard(LPARAM lParam) noexcept;

}  // namespace ui
