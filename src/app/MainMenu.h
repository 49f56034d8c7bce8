// The program's menu, opened from the menu button, F2 and the tray icon:
// the clipboard viewer, the screen saver, About, Start with Windows, Exit.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/ComponentList.h"
#include "ui/ImageList.h"
#include "ui/Menus.h"
#include "ui/WinControl.h"
#include "util/uLogDataViewer.h"

class TMainMenu {
public:
    struct TActions {
        std::function<void()> Exit;
        std::function<void()> About;
        // What a command reports: one that cannot fail is done; another
        // gives the shell's result for its text.
        std::function<void()> Done;
        std::function<void(const std::wstring& text, int code)> Result;
    };
    // owner: the window the menu's messages go to.
    TMainMenu(ui::TWinControl& owner, TComponentList& components, const ui::TImageList& glyphs, TActions actions);
    TMainMenu(const TMainMenu&) = delete;
    TMainMenu& operator=(const TMainMenu&) = delete;

    // At a point of the screen.
    void Popup(int x, int y);
    // The clipboard viewer is there from start-up until the window closes,
    // when its temporary files go with it.
    void OpenDataViewer();
    void CloseDataViewer() noexcept;

private:
    void ViewSelTextAs(ui::TMenuItem& sender);
    void pmnuScreenSaverClick();
    // Makes or removes the shortcut in the Startup folder that starts this copy.
    void pmnuStartWithWindowsClick();

    TActions FActions;
    std::unique_ptr<TLogDataViewer> FDataViewer;
    ui::TPopupMenu* PopupMenu;
    ui::TMenuItem* pmnuClipboardAs;
    ui::TMenuItem* pmnuViewAsPlainText;
    ui::TMenuItem* pmnuViewAsCommaString;
    ui::TMenuItem* pmnuViewAsXML;
    ui::TMenuItem* pmnuSep2;
    ui::TMenuItem* pmnuExecSelText;
    ui::TMenuItem* pmnuScreenSaver;
    ui::TMenuItem* pmnuAbout;
    ui::TMenuItem* pmnuSep3;
    ui::TMenuItem* pmnuStartWithWindows;
    ui::TMenuItem* pmnuSep4;
    ui::TMenuItem* pmnuExit;
};
