// Program entry: one copy at a time, then the main window's message loop.
#include <windows.h>

#include "app/uTavrix.h"
#include "shell/Shell_Win32.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    HANDLE running = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, AppMutexName);
    if (running) {
        CloseHandle(running);
        ui::ShowMessageBox(nullptr, L"tavrix is already running!", L"Information",
                           MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    AppMutex = CreateMutexW(nullptr, TRUE, AppMutexName);
    if (!AppMutex) return 0;

    ui::TApplication application;
    TShellServices shell;  // before any window
    application.Initialize();
    application.SetTitle(L"tavrix");
    if (!shell.Ok()) return 0;
    application.CreateForm<TfrmMain>();
    application.ShowMainForm = Options && Options->Settings.ShowAppWndOnLaunch;
    application.Run();
    return 0;
}
