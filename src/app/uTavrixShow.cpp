// The main window: calling it up next to the pointer, hiding it, and
// moving and resizing a window that has no frame.
#include "core/Placement.h"
#include "app/uTavrix.h"
#include "ui/Application.h"
#include "core/Exceptions.h"
#include "ui/Monitors.h"
#include "ui/Profile.h"
#include "util/uUtils.h"

#include <shellapi.h>

namespace {
ui::TProfileCounter CallUpIndex("call-up: entry index");
ui::TProfileCounter CallUpShow("call-up: window shown");
ui::TProfileCounter CallUpPaint("call-up: frame and buttons painted");
ui::TProfileCounter CallUpForeground("call-up: brought to the foreground");

// The taskbar's rectangle; false when there is none.
bool GetTaskbarRect(RECT& rect) {
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!tray) return false;
    APPBARDATA data{};
    data.cbSize = sizeof(data);
    data.hWnd = tray;
    if (SHAppBarMessage(ABM_GETTASKBARPOS, &data) != 1) return false;
    rect = data.rc;
    return true;
}
}  // namespace

void TfrmMain::ShowAppWindow(TShowReason reason) {
    try {
        if (FFirstShowPending) {
            // Still set while the refresh runs, so it takes the stored view.
            if (!FFirstViewRead) sbtnRefreshClick();
            FFirstShowPending = false;
        }
        // Each call-up starts without a search, and the index catches up
        // with what changed while the window was away.
        FFind->EndFind();
        {
            ui::TProfileScope profile(CallUpIndex);
            FFindIndex->CallUpEntryIndex();
        }
        if (Options->Settings.FollowMousePos) {
            POINT p{};
            RECT taskbar{};
            if (reason == srTrayIcon && GetTaskbarRect(taskbar))
                p = {taskbar.right - 1, taskbar.bottom - 1};
            else
                GetMousePoint(false, p);  // also for the tray when there is no taskbar
            const auto& monitors = ui::Screen().Monitors();
            std::vector<TPlaceRect> bounds;
            for (const auto& m : monitors)
                bounds.push_back({m.Bounds.left, m.Bounds.top, m.Bounds.right, m.Bounds.bottom});
            int index = NearestMonitor(bounds, {p.x, p.y});
            if (index >= 0) {
                const RECT& w = monitors[static_cast<size_t>(index)].WorkArea;
                TPlacePoint at = PlaceAtPoint({p.x, p.y}, Width(), Height(), ShellTreeView1->Height(),
                                              {w.left, w.top, w.right, w.bottom});
                SetWindowPos(Handle(), nullptr, at.X, at.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
        }
        {
            ui::TProfileScope profile(CallUpShow);
            Show();
        }
        // The frame and the buttons are painted at once, before anything
        // else: the tree's first paint asks the shell for its rows' icons,
        // which takes a while in a large folder, and the order in which the
        // system hands out paint messages is not the same everywhere.
        if (IsWindowVisible(Handle())) {
            ui::TProfileScope profile(CallUpPaint);
            RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW);
            RedrawWindow(FButtons->Panel().Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        }
        ui::TProfileScope profile(CallUpForeground);
        SetForegroundWindow(Handle());
    } catch (const std::exception& e) {
        WriteLog(L"TfrmMain", L"ShowAppWindow", L"Exception", ui::ExceptionMessage(e));
        throw;
    }
}

void TfrmMain::GetMousePoint(bool toTree, POINT& point) {
    if (FHotKeys->HandlingHotKey()) {
        // Some systems post WM_HOTKEY without a position (it reads 0, 0);
        // the pointer now is where it was when the key was pressed.
        GetCursorPos(&point);
    } else {
        DWORD pos = GetMessagePos();
        point = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    }
    if (toTree) {
        // The tree's margin in the window, at the window's DPI.
        point.x -= ui::ScaleForDpi(8, Dpi());
        point.y -= ui::ScaleForDpi(8, Dpi());
        ScreenToClient(Handle(), &point);
    }
}

void TfrmMain::sbtnMinMaxClick() { HandleExecResult(L"", kCommandCannotFail, true); }

void TfrmMain::WMHitTest(ui::TMessage& msg) {
    RECT r{};
    GetWindowRect(Handle(), &r);
    int x = static_cast<short>(LOWORD(msg.LParam));
    int y = static_cast<short>(HIWORD(msg.LParam));
    // The result also gives the cursor: the sizing arrows at the edges.
    msg.Result = FrameHitTest(x - r.left, y - r.top, r.right - r.left, r.bottom - r.top, ui::ScaleForDpi(10, Dpi()));
}

bool TfrmMain::WndProc(ui::TMessage& msg) {
    switch (msg.Msg) {
    case WM_NCHITTEST:
        WMHitTest(msg);
        return true;
    case WM_DEVICECHANGE:
    case WM_DISPLAYCHANGE:
        // A monitor came or went, or the screens were laid out anew.
        ui::Screen().RefreshMonitors();
        return true;
    case WM_QUERYENDSESSION:
        msg.Result = TRUE;
        return true;
    default:
        break;
    }
    // The parts are made with the controls: what comes while the window is
    // still being made is the form's alone. So is what a nested message
    // loop still finds queued once the window closed (a hot key, a press on
    // the icon): the options the parts read are gone then.
    if (!FMenu || !Options) return ui::TForm::WndProc(msg);
    // Sent to every top-level window when the taskbar is made anew.
    static const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    if (taskbarCreated && msg.Msg == taskbarCreated) {
        FTray->WMTaskbarCreated();
        return true;
    }
    switch (msg.Msg) {
    case WM_TRAYICON:
        FTray->WMTrayIcon(msg);
        return true;
    case WM_HOTKEY:
        FHotKeys->WMHotKey(msg);
        return true;
    case WM_CATCHKEYS:
        FHotKeys->WMCatchKeys();
        return true;
    case WM_ENDSESSION:
        if (msg.WParam) FView->SaveAtSessionEnd();
        msg.Result = 0;
        return true;
    default:
        return ui::TForm::WndProc(msg);
    }
}
