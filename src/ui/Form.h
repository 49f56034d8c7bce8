// Top-level forms: a window owned by the application's hidden window, with
// the create, show, close and key events, key preview and modal showing.
#pragma once

#include <functional>
#include <string>

#include "ui/Handles.h"
#include "ui/Dpi.h"
#include "ui/WinControl.h"

namespace ui {

enum TCloseAction { caNone, caHide, caFree, caMinimize };

enum TModalResult : int {
    mrNone = 0,
    mrOk = IDOK,
    mrCancel = IDCANCEL,
    mrYes = IDYES,
    mrNo = IDNO,
};

class TForm : public TWinControl {
public:
    // A borderless window unless other styles are given.
    explicit TForm(DWORD style = WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, DWORD exStyle = 0);
    ~TForm() override;

    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    // Centred over the main form (the work area without one), whole on
    // that monitor.
    void CentreOverMainForm();

    // Creates the form's font, pixelHeight as designed (at 96 DPI);
    // controls created afterwards take it.
    void SetFormFont(const wchar_t* face, int pixelHeight);

    // The DPI the form is laid out for: 96 as designed until it is first
    // created or shown, then its window's; a change of DPI lays it out anew.
    int Dpi() const noexcept { return FDpi; }
    // Scales the designed layout to the window's DPI, once; the main form
    // before its create event, other forms before they are first placed.
    void ApplyWindowDpi();
    // Scales client size, controls and font from the current DPI to this one.
    void ScaleToDpi(int dpi);
    // After the form was scaled: images and sizes of its own follow here.
    std::function<void(int dpi)> OnDpiChanged;
    void SetDoubleBuffered(bool value);

    // The form sees every key before the focused control does.
    bool KeyPreview = false;
    // The keys of a dialog: Tab and Shift+Tab go round the tab stops in the
    // order the controls were made, the arrow keys round a group of radio
    // buttons (checking the one they reach), and Enter presses a focused
    // push button. Off where the form's own keys need them.
    bool DialogNavigation = false;

    // The control that gets the keyboard when the form is activated or
    // receives the focus, unless another child had it when the form lost
    // activation: that one gets it back.
    TWinControl* ActiveControl = nullptr;
    // Gives the focus to the remembered child, else to ActiveControl.
    void FocusActiveControl();

    bool Visible() const noexcept { return FVisible; }
    // Makes the form visible; the show event runs when it was hidden.
    void Show();
    void Hide();
    // Asks the form to close: the close event decides what happens.
    void Close();
    // Shows the form and handles messages until ModalResult is set.
    int ShowModal();
    bool IsModal() const noexcept { return FModal; }
    int ModalResult = mrNone;

    std::function<void()> OnCreate;
    std::function<void()> OnShow;
    std::function<void()> OnHide;
    std::function<void(TCloseAction&)> OnClose;
    std::function<void(WORD& key, TShiftState shift)> OnKeyDown;
    std::function<void(wchar_t& key)> OnKeyPress;

    // Called by the application once the form is fully built.
    void DoCreate();
    // Enter presses the default button, Esc the cancel button; true when
    // a button took the key. With dialog navigation, Enter presses a
    // focused push button first.
    bool DialogKey(WORD key);
    // Presses the push button that has the focus; false when none has it.
    bool PressFocusedButton();
    // Tab or an arrow key pressed in the window from (a control of the form,
    // or the form itself): moves the focus; true when it took the key.
    bool NavigationKey(HWND from, WORD key);
    // Called for keys of the form and, with KeyPreview, of its controls.
    void DoKeyDown(WORD& key, TShiftState shift);
    void DoKeyPress(wchar_t& key);

protected:
    bool WndProc(TMessage& msg) override;

private:
    TFontOwner FFontOwner;
    std::wstring FFontFace;
    int FFontHeight = 0;  // designed
    int FDpi = kDesignDpi;
    bool FDpiApplied = false;
    // The child that had the focus when the form was last deactivated.
    HWND FFocusedChild = nullptr;
    bool FVisible = false;
    bool FModal = false;
    bool FClosing = false;
};

}  // namespace ui
