// The main window's icon in the notification area: added and removed with
// the setting, a left press calls the window up at the taskbar, a right
// press opens the program's menu.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "app/ComponentList.h"
#include "ui/ImageList.h"
#include "ui/WinControl.h"

// The message the tray icon sends for mouse events over it.
constexpr UINT WM_TRAYICON = WM_USER + 103;

class TTrayIcon {
public:
    // onCallUp: a left press; onMenu: a right press, the menu's place.
    TTrayIcon(ui::TWinControl& window, TComponentList& components, std::function<void()> onCallUp,
              std::function<void(int x, int y)> onMenu);
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    void LoadImages(int dpi);
    void AddTrayIcon(const std::wstring& tip);
    void RemoveTrayIcon();
    void WMTrayIcon(const ui::TMessage& msg);
    // The shell restarted: its new taskbar has lost every icon.
    void WMTaskbarCreated();

private:
    ui::TWinControl& FWindow;
    std::function<void()> FOnCallUp;
    std::function<void(int x, int y)> FOnMenu;
    // The program's images; the first is the icon when no file gives one.
    ui::TImageList* ImageList;
    NOTIFYICONDATAW FTrayIconData{};
    std::wstring FTip;
};
