// Message boxes go through one replaceable function, so tests can record a
// box instead of blocking on it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace ui {

using TMessageBoxFunc =
    std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags)>;

// The function every box of the program goes through; MessageBoxW by default.
TMessageBoxFunc& MessageBoxFunc();

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags);

// A box whose top-left corner goes to a point of the screen; a negative
// coordinate keeps the system's place on that axis. Through the same
// replaceable function as every box.
int ShowMessageBoxAt(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags, POINT at);

// A plain message captioned with the application title.
void ShowMessage(const std::wstring& text);

}  // namespace ui
