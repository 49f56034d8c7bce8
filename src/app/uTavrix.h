// The main window: a small borderless window holding the tree of the
// working folder and a row of buttons; hidden most of the time.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "app/ButtonBar.h"
#include "app/ComponentList.h"
#include "app/ExpandGate.h"
#include "app/FindIndex.h"
#include "app/HotKeys.h"
#include "app/MainMenu.h"
#include "app/ScreenSaverBlock.h"
#include "app/StoredView.h"
#include "app/TrayIcon.h"
#include "app/TreeFind.h"
#include "app/WorkingFolderMove.h"
#include "settings/uOptions.h"
#include "shell/SystemImageList.h"
#include "shelltree/ShellControls.h"
#include "ui/Form.h"
#include "ui/Timer.h"

// The handle of the single-instance mutex, 0 when none. The program entry
// owns it (CloseAppMutex at its end); FormClose closes it earlier.
extern HANDLE AppMutex;
// Closes AppMutex, if open, and sets it to 0.
void CloseAppMutex() noexcept;
// The name other copies look for.
extern const wchar_t* const AppMutexName;

enum TShowReason { srLaunch = 0, srHotKey = 1, srTrayIcon = 2 };

// The result a command that cannot fail reports to HandleExecResult: above
// 32, the shell's success range, with no program started.
constexpr int kCommandCannotFail = 99;

// The main window owns the tree and its parts: the expand gate, the stored
// view, the search and its index, the buttons, the menu, the tray icon, the
// hot keys, the move of the working folder, the screen-saver block. Each part gets what it
// needs when it is made; what the parts do together is decided here.
class TfrmMain : public ui::TForm {
public:
    TfrmMain();
    ~TfrmMain() override;

    // The component of that name as the window was designed
    // ("ShellTreeView1", "sbtnMenu", "tmrDelDir", "pmnuClipboardAs"...), or
    // null when there is none or it is of another kind: for code that checks
    // the window as built.
    template <typename T>
    T* FindComponent(std::wstring_view name) const {
        return dynamic_cast<T*>(FComponents.Find(name));
    }
    TKesShellTree* ShellTree() const noexcept { return ShellTreeView1; }

    // The state of the first call-up and of the tree's expand gate.
    bool FirstShowPending() const noexcept { return FFirstShowPending; }
    // Cleared as by the first call-up, for code that starts from there.
    void SetFirstShowPending(bool value) noexcept { FFirstShowPending = value; }
    const TExpandGate& ExpandGate() const noexcept { return FExpandGate; }
    // Finding an entry by typing a few letters of its name on the tree.
    const TTreeFind& Find() const noexcept { return *FFind; }

    // Brings the window in line with the options after: tray icon,
    // screen-saver timer, working folder. Only what differs from before
    // is done; with no before (at start-up) all of it.
    void ApplyOptions(const TOptionsRec* before, const TOptionsRec& after);
    void pmnuExitClick();
    void sbtnRefreshClick();
    void sbtnSaveAppRectClick();

    // Showing the window.
    void ShowAppWindow(TShowReason reason);

    // Keys and the mouse on the window and the tree.
    void FormKeyDown(WORD& key, ui::TShiftState shift);
    void FormKeyPress(wchar_t& key);
    void ShellTreeView1KeyDown(WORD& key, ui::TShiftState shift);
    void ShellTreeView1KeyPress(wchar_t& key);
    void ShellTreeView1MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y);
    void ShellTreeView1MouseUp(void* sender, ui::TMouseButton button, ui::TShiftState shift, int x, int y);
    void ShellTreeView1DblClick();
    void ShellTreeView1Editing(ui::TTreeNode* node, bool& allowEdit);

    // Opening entries, and the one place commands report their result.
    void ExecuteItem(const std::wstring& path);
    void HandleExecResult(const std::wstring& path, int code, bool force);

protected:
    bool WndProc(ui::TMessage& msg) override;

private:
    // The controls and the parts, in the order the window was designed.
    void CreateControls();
    void CreateTree();

    void FormCreate();
    void FormShow();
    void FormClose(ui::TCloseAction& action);
    // Soon after start, while the window is still hidden, reads the stored
    // view that the first call-up would read.
    void tmrFirstViewTimer();

    // Showing, hiding and placing the window.
    void GetMousePoint(bool toTree, POINT& point);
    void sbtnMinMaxClick();
    void WMHitTest(ui::TMessage& msg);

    // The tree's expanding and collapsing, through the gate.
    void ShellTreeView1Expanding(ui::TTreeNode* node, bool& allow);
    void ShellTreeView1Collapsing(ui::TTreeNode* node, bool& allow);
    void ShellTreeView1Expanded(ui::TTreeNode* node);
    void ShellTreeView1Collapsed(ui::TTreeNode* node);
    UINT HitTestAtMouse();

    // Commands of the buttons and the menu.
    void sbtnOptionsClick();
    void pmnuAboutClick();

    // Controls, as designed; the frame lines (Shape1 to Shape4) need no
    // field, and the others belong to the parts.
    TKesShellTree* ShellTreeView1;
    ui::TTimer* tmrFirstView;
    TComponentList FComponents;

    // State shared by the window's parts.
    bool FFirstShowPending = false;
    bool FFirstViewRead = false;  // the first call-up's reading is done already
    std::wstring FVersion;
    std::unique_ptr<TSystemImageListWarmUp> FImageListWarmUp;

    // The parts.
    TExpandGate FExpandGate;
    std::unique_ptr<TStoredView> FView;
    std::unique_ptr<TFindIndex> FFindIndex;
    std::unique_ptr<TTreeFind> FFind;
    std::unique_ptr<TButtonBar> FButtons;
    std::unique_ptr<TTrayIcon> FTray;
    std::unique_ptr<TScreenSaverBlock> FScreenSaver;
    std::unique_ptr<TWorkingFolderMove> FFolderMove;
    std::unique_ptr<THotKeys> FHotKeys;
    std::unique_ptr<TMainMenu> FMenu;
};

extern TfrmMain* frmMain;
