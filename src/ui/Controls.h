// The small controls the forms are built from: panel, line shape, flat
// button with an image and a tool tip, and a plain tree view.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/Handles.h"
#include "ui/ImageList.h"
#include "ui/WinControl.h"

namespace ui {

// A borderless child window of one colour that holds other controls.
class TPanel : public TWinControl {
public:
    explicit TPanel(TWinControl* parent);
};

// A filled rectangle painted on its parent; one pixel wide it is a line.
class TShape : public TControl {
public:
    explicit TShape(TWinControl* parent);
    COLORREF Color = RGB(0, 0, 0);
    void Paint(HDC dc) override;
};

// A flat button: no frame until the pointer is over it, a 16 by 16 image
// in the middle and a tool tip. Made a tab stop, it takes the keyboard as
// a push button does: a focus rectangle, Space presses it.
class TSpeedButton : public TWinControl {
public:
    explicit TSpeedButton(TWinControl* parent);
    ~TSpeedButton() override;

    // The image is one of an image list owned elsewhere.
    void SetImage(const TImageList* images, int index);
    void SetHint(const std::wstring& hint);
    const std::wstring& Hint() const noexcept { return FHint; }
    // Drawn beside the image when not empty.
    std::wstring Caption;
    // What the window text reads, for screen readers: the caption, or
    // else the tool tip.
    const std::wstring& AccessibleName() const noexcept { return Caption.empty() ? FHint : Caption; }
    HWND ToolTipHandle() const noexcept { return FToolTip.Get(); }

    // Runs when the left button is released over the button.
    std::function<void()> OnClick;
    void Click();

protected:
    bool WndProc(TMessage& msg) override;

private:
    void PaintButton(HDC dc);
    bool ShowsFocus() const;
    void MakeToolTip(const MSG& firstMove);
    void DropToolTip();

    const TImageList* FImages = nullptr;
    int FImageIndex = -1;
    std::wstring FHint;
    TWindowOwner FToolTip;
    bool FHot = false;
    bool FDown = false;
    bool FSpaceDown = false;  // pressed by the keyboard, clicked when Space goes up
};

// A framed group of controls with a caption.
class TGroupBox : public TWinControl {
public:
    TGroupBox(TWinControl* parent, const std::wstring& caption);

protected:
    bool WndProc(TMessage& msg) override;
};

// Check boxes and radio buttons. One whose caption is wider than its
// designed width grows to show it, up to the inner edge of its group box;
// where the caption fits, the designed width stays.
class TButtonControl : public TWinControl {
protected:
    TButtonControl(TWinControl* parent, const std::wstring& caption, DWORD style);
    bool WndProc(TMessage& msg) override;
    void BoundsChanged() override;
    void ChangeScale(int newDpi, int oldDpi) override;

private:
    // The width the caption needs at the designed width, within the parent.
    int FittedWidth(int designed) const;

    int FDesignedWidth = 0;
    // The width fitting gave last: bounds that keep it are no new design.
    int FFittedWidth = -1;
};

// A radio button; buttons of one parent form a group. Tab stops at the
// checked one; the arrow keys go round the group.
class TRadioButton : public TButtonControl {
public:
    TRadioButton(TWinControl* parent, const std::wstring& caption);
    bool Checked() const;
    void SetChecked(bool value);
    // A click, or a check from code of a button that was not checked.
    std::function<void()> OnClick;
    // The next enabled, visible button of the group after this one, or
    // before it; round the end; this one when it is alone.
    TRadioButton* NextInGroup(bool forward) const;

protected:
    bool WndProc(TMessage& msg) override;

private:
    std::vector<TRadioButton*> Group() const;
    // The checked button of the group is its tab stop; the first when none is.
    void UpdateTabStops() const;
};

// A check box with its caption.
class TCheckBox : public TButtonControl {
public:
    TCheckBox(TWinControl* parent, const std::wstring& caption);
    bool Checked() const;
    void SetChecked(bool value);
};

// A one-line edit.
class TEdit : public TWinControl {
public:
    explicit TEdit(TWinControl* parent, bool readOnly = false);
    std::wstring Text() const;
    void SetText(const std::wstring& text);
    void SelectAll();
};

// A line of text that does not take the focus.
class TLabel : public TWinControl {
public:
    enum TAlignment { taLeft, taCenter };
    TLabel(TWinControl* parent, const std::wstring& caption, TAlignment alignment = taLeft);
    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
};

// A push button. On its form, Enter presses the default button and Esc the
// cancel button, wherever the focus is.
class TButton : public TWinControl {
public:
    TButton(TWinControl* parent, const std::wstring& caption);
    bool Default() const noexcept { return FDefault; }
    void SetDefault(bool value);
    bool Cancel = false;
    std::function<void()> OnClick;
    void Click();

protected:
    bool WndProc(TMessage& msg) override;

private:
    bool FDefault = false;
};

}  // namespace ui
