#include "ui/Dialogs.h"

#include "ui/Application.h"

namespace ui {

TMessageBoxFunc& MessageBoxFunc() {
    static TMessageBoxFunc func = [](HWND owner, const std::wstring& text,
                                     const std::wstring& caption, UINT flags) {
        return ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
    };
    return func;
}

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
    return MessageBoxFunc()(owner, text, caption, flags);
}

void ShowMessage(const std::wstring& text) {
    HWND owner = Application ? Application->ActiveOwner() : nullptr;
    std::wstring title = Application ? Application->Title() : std::wstring();
    ShowMessageBox(owner, text, title, MB_OK);
}

}  // namespace ui
