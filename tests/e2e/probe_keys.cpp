#include "probe_keys.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Every key Wine takes in while the probe runs, as a low-level hook sees
// it: one line per key pressed (modifiers apart), its virtual key in hex
// and who had the keyboard. A key that reaches no window of the program
// and is no hot key was dropped, however the program would have taken it.
struct TKeyLog {
    std::wstring Program;  // the program's file name, as "tavrix.exe"
    bool Ctrl = false, Alt = false, Shift = false, Win = false;
};
TKeyLog gKeyLog;

// The file name of the process whose window has the keyboard; empty when
// no window has it.
std::wstring KeyboardOwner() {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(0, &info)) return L"";
    HWND w = info.hwndFocus ? info.hwndFocus : info.hwndMenuOwner ? info.hwndMenuOwner : info.hwndActive;
    DWORD pid = 0;
    if (!w || !GetWindowThreadProcessId(w, &pid)) return L"";
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    wchar_t path[MAX_PATH] = {};
    DWORD n = MAX_PATH;
    const bool named = process && QueryFullProcessImageNameW(process, 0, path, &n);
    if (process) CloseHandle(process);
    if (!named) return L"?";
    const std::wstring full(path, n);
    return full.substr(full.find_last_of(L'\\') + 1);
}

// Whether another program holds the combination as its hot key.
bool IsHotKey(DWORD vk) {
    const UINT mods = (gKeyLog.Ctrl ? MOD_CONTROL : 0u) | (gKeyLog.Alt ? MOD_ALT : 0u) |
                      (gKeyLog.Shift ? MOD_SHIFT : 0u) | (gKeyLog.Win ? MOD_WIN : 0u);
    constexpr int kId = 0xBFFF;
    if (RegisterHotKey(nullptr, kId, mods, vk)) {
        UnregisterHotKey(nullptr, kId);
        return false;
    }
    return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
}

LRESULT CALLBACK KeyLogHook(int code, WPARAM message, LPARAM data) {
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
        const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        switch (key->vkCode) {
        case VK_CONTROL: case VK_LCONTROL: case VK_RCONTROL: gKeyLog.Ctrl = down; break;
        case VK_MENU: case VK_LMENU: case VK_RMENU: gKeyLog.Alt = down; break;
        case VK_SHIFT: case VK_LSHIFT: case VK_RSHIFT: gKeyLog.Shift = down; break;
        case VK_LWIN: case VK_RWIN: gKeyLog.Win = down; break;
        default:
            if (down) {
                std::wstring owner = KeyboardOwner();
                if (CompareStringOrdinal(owner.c_str(), -1, gKeyLog.Program.c_str(), -1, TRUE) == CSTR_EQUAL)
                    owner = L"program";
                else if (IsHotKey(key->vkCode)) owner = L"hotkey";
                else if (owner.empty()) owner = L"none";
                std::printf("%02lx %ls\n", static_cast<unsigned long>(key->vkCode), owner.c_str());
                std::fflush(stdout);
            }
        }
    }
    return CallNextHookEx(nullptr, code, message, data);
}

}  // namespace

int KeyLog(const std::wstring& program) {
    gKeyLog.Program = program;
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, KeyLogHook, GetModuleHandleW(nullptr), 0);
    std::printf("%s\n", hook ? "ready" : "failed");
    std::fflush(stdout);
    if (!hook) return 1;
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
    UnhookWindowsHookEx(hook);
    return 0;
}
