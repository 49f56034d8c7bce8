#include "app/HotKeys.h"

#include "ui/Application.h"
#include "ui/ScopeExit.h"
#include "util/uUtils.h"

#include <utility>

namespace {
// The virtual-key code of the letter Z, which <windows.h> leaves unnamed.
constexpr UINT kVkZ = 'Z';

struct THotKey {
    int Id;
    UINT Modifiers;
    UINT Key;
    const wchar_t* Name;
    const wchar_t* RegisterText;
    const wchar_t* UnregisterText;
};
const THotKey kHotKeys[] = {
    {1, MOD_CONTROL | MOD_ALT, kVkZ, L"Ctrl+Alt+Z", L"Unable to register Ctrl + Alt + Z as hotkey.",
     L"Unable to unregister Ctrl + Alt + Z hotkey."},
    {2, MOD_WIN, kVkZ, L"Win+Z", L"Unable to register WIN + Z as hotkey.", L"Unable to unregister WIN + Z hotkey."},
    {3, MOD_CONTROL | MOD_ALT, VK_OEM_2, L"Ctrl+Alt+/", L"Unable to register Ctrl + Alt + / as hotkey.",
     L"Unable to unregister Ctrl + Alt + / hotkey."},
    {4, MOD_WIN, VK_OEM_2, L"Win+/", L"Unable to register WIN + / as hotkey.",
     L"Unable to unregister WIN + / hotkey."},
};
}  // namespace

THotKeys::THotKeys(ui::TWinControl& window, TActions actions) : FWindow(window), FActions(std::move(actions)) {}

void THotKeys::RegisterHotkeys() {
    FHotKeysTaken.clear();
    std::vector<ui::THotKeyCode> ours;
    for (const THotKey& k : kHotKeys) {
        if (RegisterHotKey(FWindow.Handle(), k.Id, k.Modifiers, k.Key)) {
            ours.push_back({k.Modifiers, k.Key});
            continue;
        }
        WriteLog(L"TfrmMain", L"RegisterHotkeys", L"Error", k.RegisterText);
        FHotKeysTaken.push_back(k.Name);
    }
    // What is typed right after a hot key belongs to the search. The
    // catcher's thread starts once the window's own loop runs: a thread
    // that waits for messages tells the system the program is ready for
    // input, and during the start-up that would be early.
    FCaughtHotKeys = std::move(ours);
    PostMessageW(FWindow.Handle(), WM_CATCHKEYS, 0, 0);
}

void THotKeys::WMCatchKeys() {
    if (FCaughtHotKeys.empty() || FKeyCatcher) return;
    FKeyCatcher = std::make_unique<ui::TKeyCatcher>(FWindow.Handle(), FCaughtHotKeys);
    if (!FKeyCatcher->Hooked())
        WriteLog(L"TfrmMain", L"WMCatchKeys", L"Warning",
                 L"No keyboard hook: keys typed at once after a hot key may reach the previous window");
}

void THotKeys::StopCatching() noexcept {
    FCaughtHotKeys.clear();
    FKeyCatcher.reset();
}

void THotKeys::UnRegisterHotkeys() {
    StopCatching();
    for (const THotKey& k : kHotKeys)
        if (!UnregisterHotKey(FWindow.Handle(), k.Id)) WriteLog(L"TfrmMain", L"UnRegisterHotkeys", L"Error", k.UnregisterText);
}

void THotKeys::WMHotKey(const ui::TMessage& msg) {
    if (msg.WParam < 1 || msg.WParam > 4) return;
    // The keys typed after the hot key were held for the window now in
    // front, whichever way this ends.
    ui::TScopeExit release([this] {
        if (FKeyCatcher) FKeyCatcher->Release();
    });
    // A dialog of the program is open: it comes to the front, and nothing
    // else happens while it works.
    if (ui::Application && ui::Application->BringModalToFront(FWindow.Handle())) return;
    if (GetForegroundWindow() != FWindow.Handle() || !FActions.CalledUpBefore()) {
        ui::TRestoreOnExit<bool> flag(FHandlingHotKey, true);
        FActions.CallUp();
    } else {
        FActions.Dismiss();
    }
}
