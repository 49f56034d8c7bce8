// The program's four hot keys on the main window, and the catcher that
// holds what is typed right after one until the window is in front.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/KeyCatcher.h"
#include "ui/WinControl.h"

// Posted at start-up: the keys after a hot key are held from then on.
constexpr UINT WM_CATCHKEYS = WM_USER + 104;

class THotKeys {
public:
    // What a hot key does: calls the window up, unless it is in front and
    // was called up before (calledUpBefore), when it dismisses it.
    struct TActions {
        std::function<bool()> CalledUpBefore;
        std::function<void()> CallUp;
        std::function<void()> Dismiss;
    };
    THotKeys(ui::TWinControl& window, TActions actions);
    THotKeys(const THotKeys&) = delete;
    THotKeys& operator=(const THotKeys&) = delete;

    void RegisterHotkeys();
    void UnRegisterHotkeys();
    // The catcher's thread ends; the hot keys stay registered until the
    // window goes.
    void StopCatching() noexcept;
    void WMHotKey(const ui::TMessage& msg);
    void WMCatchKeys();
    // Set while a hot key calls the window up: the pointer's place is
    // asked then, since the message may carry none.
    bool HandlingHotKey() const noexcept { return FHandlingHotKey; }
    // The hot keys another program holds, as a user names them.
    const std::vector<std::wstring>& HotKeysTaken() const noexcept { return FHotKeysTaken; }

private:
    ui::TWinControl& FWindow;
    TActions FActions;
    bool FHandlingHotKey = false;
    std::vector<std::wstring> FHotKeysTaken;
    std::unique_ptr<ui::TKeyCatcher> FKeyCatcher;
    std::vector<ui::THotKeyCode> FCaughtHotKeys;  // the registered hot keys
};
