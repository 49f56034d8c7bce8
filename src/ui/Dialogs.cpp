#include "ui/Dialogs.h"

#include "ui/MessageParams.h"

#include "ui/Application.h"
#include "ui/Handles.h"
#include "ui/ScopeExit.h"

#include <utility>

namespace ui {

TMessageBoxFunc& MessageBoxFunc() {
    static TMessageBoxFunc func = [](HWND owner, const std::wstring& text,
                                     const std::wstring& caption, UINT flags) {
        return ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
    };
    return func;
}

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
    TModalScope modal;
    return MessageBoxFunc()(owner, text, caption, flags);
}

namespace {
// Where the next box of this thread goes, while a placed box is shown.
thread_local POINT PlaceBoxAt{-1, -1};
thread_local THookOwner PlaceBoxHook;

LRESULT CALLBACK PlaceBox(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND box = ParamAs<HWND>(wParam);
        RECT r{};
        GetWindowRect(box, &r);
        int x = PlaceBoxAt.x >= 0 ? PlaceBoxAt.x : r.left;
        int y = PlaceBoxAt.y >= 0 ? PlaceBoxAt.y : r.top;
        SetWindowPos(box, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        // Once: the box's own windows are not to move.
        PlaceBoxHook.Reset();
        return 0;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
}  // namespace

int ShowMessageBoxAt(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags, POINT at) {
    if (at.x < 0 && at.y < 0) {
        // Neither coordinate applies: in the middle of the screen.
        return ShowMessageBox(owner, text, caption, flags);
    }
    PlaceBoxAt = at;
    PlaceBoxHook.Reset(SetWindowsHookExW(WH_CBT, PlaceBox, nullptr, GetCurrentThreadId()));
    TScopeExit unhook([] { PlaceBoxHook.Reset(); });  // when no box came
    return ShowMessageBox(owner, text, caption, flags);
}

void ShowMessage(const std::wstring& text) {
    HWND owner = Application ? Application->ActiveOwner() : nullptr;
    std::wstring title = Application ? Application->Title() : std::wstring();
    ShowMessageBox(owner, text, title, MB_OK);
}

}  // namespace ui
