// The application object: title, the hidden window that owns every
// top-level window (so the program has no taskbar button of its own), the
// forms, the message loop and the default handling of errors.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Handles.h"

namespace ui {

class TForm;

class TApplication {
public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Registers the common controls and creates the hidden window.
    void Initialize();

    const std::wstring& Title() const noexcept { return FTitle; }
    void SetTitle(const std::wstring& title);

    HWND Handle() const noexcept { return FHandle.Get(); }
    // The window a message box should belong to: the active form, else ours.
    HWND ActiveOwner() const;

    // Creates a form the application owns; the first becomes the main form.
    // The form's create event runs before this returns.
    template <typename T, typename... Args>
    T* CreateForm(Args&&... args) {
        auto form = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = form.get();
        AddForm(std::move(form));
        return raw;
    }
    TForm* MainForm() const noexcept { return FMainForm; }

    // Whether Run shows the main form before it starts waiting for messages.
    bool ShowMainForm = true;

    void Run();
    // Handles every waiting message, then returns.
    void ProcessMessages();
    // Waits for one message and handles it.
    void HandleMessage();
    void Terminate();
    bool Terminated() const noexcept { return FTerminated; }

    // The help text of what the pointer or the menu selection is on.
    std::wstring Hint;

    // How many of the program's modal windows run now: its forms, message
    // boxes and the shell's dialogs. While one runs, commands that would
    // free what it works on (Exit, a call-up) bring it to the front instead.
    int ModalLevel() const noexcept { return FModalLevel; }
    // The modal window in front: the topmost visible, enabled top-level
    // window of this thread other than the given ones; none when no modal
    // window runs.
    HWND ModalWindow(HWND except = nullptr) const;
    // Brings the running modal window to the front; false when none runs.
    bool BringModalToFront(HWND except = nullptr) const;

    // Handles the exception in flight; for catch (...) blocks at callbacks.
    void HandleException() noexcept;
    // Replaces the default error box when set.
    std::function<void(const std::wstring& message)> OnException;

private:
    friend class TModalScope;
    void AddForm(std::unique_ptr<TForm> form);
    bool ProcessMessage(MSG& msg);
    bool PreviewKey(const MSG& msg);

    std::wstring FTitle;
    TWindowOwner FHandle;
    std::vector<std::unique_ptr<TForm>> FForms;
    TForm* FMainForm = nullptr;
    bool FTerminated = false;
    int FModalLevel = 0;
};

// Counts a modal window of the program for the length of a scope.
class TModalScope {
public:
    TModalScope() noexcept;
    ~TModalScope();
    TModalScope(const TModalScope&) = delete;
    TModalScope& operator=(const TModalScope&) = delete;

private:
    TApplication* FApplication;
};

// The one application object of the process, or none.
extern TApplication* Application;

}  // namespace ui
