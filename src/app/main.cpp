// Program entry: one copy at a time, then the main window's message loop.
#include <windows.h>

#include <optional>

#include "app/uTavrix.h"
#include "shell/Shell_Win32.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/ErrorLog.h"
#include "ui/Profile.h"
#include "ui/ScopeExit.h"
#include "ui/SystemLibrary.h"
#include "util/uUtils.h"

namespace {
ui::TProfileCounter ShellStart("start-up: shell and OLE");
ui::TProfileCounter ApplicationStart("start-up: application window, common controls");
ui::TProfileCounter MainWindowStart("start-up: main window, the rest");

int RunTavrix() {
    // The worker threads' errors can only be logged.
    ui::ErrorLogFunc() = [](const std::wstring& source, const std::wstring& method, const std::wstring& message) {
        WriteLogQuiet(source, method, L"Exception", message);
    };
    if (ui::THandleOwner running(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, AppMutexName)); running) {
        running.Reset();
        ui::ShowMessageBox(nullptr, L"tavrix is already running!", L"Information",
                           MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    AppMutex = CreateMutexW(nullptr, TRUE, AppMutexName);
    if (!AppMutex) return 0;
    // Closed on every way out; FormClose may have closed it before.
    ui::TScopeExit ownMutex([] { CloseAppMutex(); });

    std::optional<ui::TProfileScope> profile(std::in_place, ShellStart);
    // Before any window, and gone only after the last: the tree's folders
    // and its change registrations are let go while the shell still serves.
    TShellServices shell;
    profile.emplace(ApplicationStart);
    ui::TApplication application;
    application.Initialize();
    application.SetTitle(L"tavrix");
    if (!shell.Ok()) return 0;
    profile.emplace(MainWindowStart);
    application.CreateForm<TfrmMain>();
    application.ShowMainForm = Options && Options->Settings.ShowAppWndOnLaunch;
    profile.reset();
    application.Run();
    return 0;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // First of all: a library of a system name planted in the program's
    // folder (a download folder, say) must never be loaded by name.
    ui::RestrictLibrarySearch();
    return RunProgram(RunTavrix);
}
