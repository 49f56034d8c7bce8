// Test entry: an application object exists for every test, as in the program.
#include <gtest/gtest.h>

#include "shell/Shell_Win32.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "core/Exceptions.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    TShellServices shell;  // outlives every window, as in the program
    ui::TApplication application;
    application.Initialize();
    application.SetTitle(L"tavrix");
    // A real box would wait for a click that never comes: fail instead.
    ui::MessageBoxFunc() = [](HWND, const std::wstring& text, const std::wstring& caption, UINT) {
        ADD_FAILURE() << "unexpected message box \"" << ui::WideToUtf8(caption) << "\": "
                      << ui::WideToUtf8(text);
        return IDOK;
    };
    return RUN_ALL_TESTS();
}
