#include "app/uTavrix.h"

#include "settings/uOptionsDialog.h"
#include "shell/ShellBrowser.h"
#include "ui/Application.h"
#include "ui/Profile.h"
#include "ui/ScopeExit.h"
#include "util/uAbout.h"
#include "util/uUtils.h"
#include "util/uVersionUtils.h"

#include <exception>
#include <utility>

HANDLE AppMutex = nullptr;
const wchar_t* const AppMutexName = L"^%$_tavrix_unique_mutex_name_$%^";

void CloseAppMutex() noexcept {
    // A failure to close is of no consequence: the handle is forgotten.
    if (HANDLE mutex = std::exchange(AppMutex, nullptr)) CloseHandle(mutex);
}
TfrmMain* frmMain = nullptr;

namespace {
// The first call-up shows what was read by then: the stored view is read
// this long after start, when the window is still hidden.
constexpr UINT kFirstViewDelayMs = 500;

// Where start-up time goes, for measurements.
ui::TProfileCounter ImagesStart("start-up: image strips");
ui::TProfileCounter TreeStart("start-up: tree created, Favorites rooted");
ui::TProfileCounter OptionsStart("start-up: options read, hot keys");
ui::TProfileCounter ViewStart("start-up: view restored, working folder rooted");
}  // namespace

TfrmMain::TfrmMain() {
    frmMain = this;
    Name = L"frmMain";
    SetCaption(L"tavrix");
    Color = RGB(221, 221, 221);
    SetFormFont(L"MS Sans Serif", 11);
    SetBounds(50, 20, 249, 397);
    KeyPreview = true;
    CreateControls();

    OnKeyDown = [this](WORD& key, ui::TShiftState shift) { FormKeyDown(key, shift); };
    OnKeyPress = [this](wchar_t& key) { FormKeyPress(key); };
    OnCreate = [this] { FormCreate(); };
    OnShow = [this] { FormShow(); };
    OnClose = [this](ui::TCloseAction& action) { FormClose(action); };
}

TfrmMain::~TfrmMain() {
    // The index's worker stops before the window its reports go to.
    FFindIndex->DropEntryIndex();
    FImageListWarmUp.reset();
    FHotKeys->StopCatching();
    // Children go with the window; the components after it.
    DestroyHandle();
    FComponents.Clear();
    Options.Close();
    if (frmMain == this) frmMain = nullptr;
}

void TfrmMain::CreateControls() {
    // One-pixel black frame lines that follow their edges.
    struct TLine {
        const wchar_t* Name;
        int L, T, W, H;
        ui::TAnchors Anchors;
    };
    const TLine lines[] = {
        {L"Shape1", 0, 0, 1, 397, ui::akLeft | ui::akTop | ui::akBottom},
        {L"Shape2", 248, 0, 1, 397, ui::akRight | ui::akTop | ui::akBottom},
        {L"Shape3", 0, 0, 249, 1, ui::akLeft | ui::akTop | ui::akRight},
        {L"Shape4", 0, 396, 249, 1, ui::akLeft | ui::akRight | ui::akBottom},
    };
    for (const TLine& line : lines) {
        auto* s = FComponents.Own<ui::TShape>(this);
        s->Name = line.Name;
        s->SetBounds(line.L, line.T, line.W, line.H);
        s->SetAnchors(line.Anchors);
    }

    FFindIndex = std::make_unique<TFindIndex>(
        [this] { return ShellTreeView1->Notifier->WatchMode() == TKesShellChangeNotifier::wmSubtree; });
    CreateTree();
    FFind = std::make_unique<TTreeFind>(*this, *ShellTreeView1, FExpandGate, *FFindIndex, FComponents, [this] {
        ExecuteItem(ShellTreeView1->GetNodePath(ShellTreeView1->Selected()));
    });
    FFindIndex->OnChanged = [this] { FFind->EntryIndexChanged(); };
    FView = std::make_unique<TStoredView>(*this, *ShellTreeView1, FExpandGate);
    // Keys go to the tree whenever the window is called up.
    ActiveControl = ShellTreeView1;

    FButtons = std::make_unique<TButtonBar>(
        *this, FComponents,
        TButtonBar::TActions{[this](int x, int y) { FMenu->Popup(x, y); }, [this] { sbtnRefreshClick(); },
                             [this] { sbtnOptionsClick(); }, [this] { sbtnSaveAppRectClick(); },
                             [this] { pmnuExitClick(); }, [this] { sbtnMinMaxClick(); }});
    FTray = std::make_unique<TTrayIcon>(
        *this, FComponents, [this] { ShowAppWindow(srTrayIcon); }, [this](int x, int y) { FMenu->Popup(x, y); });
    {
        ui::TProfileScope profile(ImagesStart);
        FButtons->LoadImages(Dpi());
        FTray->LoadImages(Dpi());
    }
    OnDpiChanged = [this](int dpi) {
        FButtons->LoadImages(dpi);
        FTray->LoadImages(dpi);
    };

    FScreenSaver = std::make_unique<TScreenSaverBlock>(FComponents);
    FFolderMove = std::make_unique<TWorkingFolderMove>(
        *ShellTreeView1, FComponents,
        [this] {
            FFind->EndFind();
            FFindIndex->DropEntryIndex();
        },
        [this] {
            FFind->EndFind();
            FView->RestoreView(FFirstShowPending);
            // The search looks in the new folder from now on.
            if (FFindIndex->Get()) FFindIndex->RefreshEntryIndex();
        });

    // A hot key calls the window up, or hides it when it is in front.
    FHotKeys = std::make_unique<THotKeys>(
        *this, THotKeys::TActions{[this] { return !FFirstShowPending; }, [this] { ShowAppWindow(srHotKey); },
                                  [this] { HandleExecResult(L"", kCommandCannotFail, true); }});

    tmrFirstView = FComponents.Own<ui::TTimer>();
    tmrFirstView->Name = L"tmrFirstView";
    tmrFirstView->SetInterval(kFirstViewDelayMs);
    tmrFirstView->OnTimer = [this] { tmrFirstViewTimer(); };

    FMenu = std::make_unique<TMainMenu>(
        *this, FComponents, FButtons->Glyphs(),
        TMainMenu::TActions{[this] { pmnuExitClick(); }, [this] { pmnuAboutClick(); },
                            [this] { HandleExecResult(L"", kCommandCannotFail, false); },
                            [this](const std::wstring& text, int code) { HandleExecResult(text, code, false); }});
}

void TfrmMain::CreateTree() {
    // Set as the form is read: the Favorites root first, so the tree holds
    // a root until the working folder is rooted.
    ui::TProfileScope profile(TreeStart);
    ShellTreeView1 = FComponents.Own<TKesShellTree>(this);
    // How folders are watched here, as the probe at start found; set first,
    // since the settings below may root the tree already. Raised amid a
    // folder's reading, which a log that cannot be written must not stop.
    ShellTreeView1->Notifier->OnLogInfo = [](const std::wstring& text) {
        WriteLogQuiet(L"TKesShellChangeNotifier", L"WatchMode", L"Info", text);
    };
    ShellTreeView1->Name = L"ShellTreeView1";
    ShellTreeView1->BeginLoading();
    ShellTreeView1->SetRootedAt(SF_FAVORITES);
    ShellTreeView1->StoredSpecialFolder = SF_FAVORITES;
    ShellTreeView1->StoredSelectedFolder.clear();
    ShellTreeView1->SetOleDragDrop(true);
    ShellTreeView1->ShellContextMenu = true;
    ShellTreeView1->SetShowOptions(ShowOption(soShowNethood) | ShowOption(soShowRecycleBin) |
                                   ShowOption(soShowErrorMessages) | ShowOption(soShowFiles) |
                                   ShowOption(soShowContextMenuOnTop));
    ShellTreeView1->SetFilter(L"*");
    ShellTreeView1->CreateLinkOnDrop = true;
    ShellTreeView1->SetBounds(8, 8, 233, 348);
    ShellTreeView1->SetAnchors(ui::akLeft | ui::akTop | ui::akRight | ui::akBottom);
    ShellTreeView1->SetDoubleBuffered(true);
    ShellTreeView1->SetHideSelection(false);
    ShellTreeView1->SetIndent(19);
    ShellTreeView1->RightClickSelect = true;
    ShellTreeView1->SetShowRoot(false);
    TKesShellTree* tree = ShellTreeView1;
    tree->OnKeyDown = [this](WORD& key, ui::TShiftState shift) { ShellTreeView1KeyDown(key, shift); };
    tree->OnKeyPress = [this](wchar_t& key) { ShellTreeView1KeyPress(key); };
    tree->OnMouseDown = [this](ui::TMouseButton b, ui::TShiftState s, int x, int y) { ShellTreeView1MouseDown(b, s, x, y); };
    tree->OnMouseUp = [this](ui::TMouseButton b, ui::TShiftState s, int x, int y) {
        ShellTreeView1MouseUp(ShellTreeView1, b, s, x, y);
    };
    tree->OnDblClick = [this] { ShellTreeView1DblClick(); };
    tree->OnExpanding = [this](ui::TTreeNode* n, bool& allow) { ShellTreeView1Expanding(n, allow); };
    tree->OnCollapsing = [this](ui::TTreeNode* n, bool& allow) { ShellTreeView1Collapsing(n, allow); };
    tree->OnExpanded = [this](ui::TTreeNode* n) { ShellTreeView1Expanded(n); };
    tree->OnCollapsed = [this](ui::TTreeNode* n) { ShellTreeView1Collapsed(n); };
    tree->OnEditing = [this](ui::TTreeNode* n, bool& allowEdit) { ShellTreeView1Editing(n, allowEdit); };
    tree->OnLogInfo = [](const std::wstring& text) { WriteLog(L"TKesShellTree", L"Drop", L"Info", text); };
    // What the tree changes below the working folder, and what its
    // watches report, the index reads again.
    tree->OnOperation = [this](TKesShellTree&, TKesShellOperations, const std::vector<std::wstring>& files,
                               const std::wstring& destination) {
        std::vector<std::wstring> paths = files;
        if (!destination.empty()) paths.push_back(destination);
        FFindIndex->EntriesChanged(paths);
    };
    tree->OnChangeReported = [this](TNotificationEvent event, LPCITEMIDLIST item1, LPCITEMIDLIST item2) {
        // Only these name files and folders; others carry numbers.
        constexpr TNotificationEvents kEntries =
            EventBit(neFileCreate) | EventBit(neFileDelete) | EventBit(neFileRename) | EventBit(neFileChange) |
            EventBit(neAttributesChange) | EventBit(neFolderCreate) | EventBit(neFolderDelete) |
            EventBit(neFolderRename) | EventBit(neFolderUpdate);
        if (FFindIndex->Get() && (EventBit(event) & kEntries))
            FFindIndex->EntriesChanged({IDListToPath(item1), IDListToPath(item2)});
    };
    ShellTreeView1->Loaded();
}

void TfrmMain::FormCreate() {
    FScreenSaver->SetEnabled(false);
    FFirstShowPending = true;
    KeyPreview = true;
    ShellTreeView1->SetShowRoot(false);
    ShellTreeView1->RightClickSelect = true;
    ShellTreeView1->SetDoubleBuffered(true);
    SetDoubleBuffered(true);
    // Pending paints go to the topmost child first: the buttons then never
    // wait for the tree's first paint, which asks the shell for icons.
    SetWindowPos(FButtons->Panel().Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    {
        ui::TProfileScope profile(OptionsStart);
        Options.Open();
        FMenu->OpenDataViewer();
        wchar_t program[MAX_PATH]{};
        GetModuleFileNameW(nullptr, program, MAX_PATH);
        FVersion = GetFileVersionString(program);
        FHotKeys->RegisterHotkeys();
        ApplyOptions(nullptr, Options->Settings);
    }
    ui::TProfileScope profile(ViewStart);
    FView->RestoreView(FFirstShowPending);
    // Started last, so that it takes nothing from the start-up: the
    // shell's image list is a slow part of a call-up that comes at once.
    FImageListWarmUp = std::make_unique<TSystemImageListWarmUp>();
    tmrFirstView->SetEnabled(true);
}

void TfrmMain::tmrFirstViewTimer() {
    tmrFirstView->SetEnabled(false);
    // Called up already, or a folder problem the call-up has to tell.
    if (!FFirstShowPending || FFirstViewRead || IsWindowVisible(Handle()) || !FView->RootProblem().empty()) return;
    sbtnRefreshClick();  // still pending: takes the stored view
    FFirstViewRead = true;
    // The rows the call-up draws first get their icons now, and the tree
    // its image list: the shell is slow to give them.
    ShellTreeView1->SystemImages();
    for (ui::TTreeNode* node : ShellTreeView1->RowsInView()) node->ImageIndex();
    // The search's index is made and read now too: its thread and its
    // first reading of the folder would otherwise run during the call-up.
    FFindIndex->RefreshEntryIndex();
}

void TfrmMain::FormShow() {
    // The application's own window would carry a taskbar button.
    if (ui::Application) ShowWindow(ui::Application->Handle(), SW_HIDE);
    if (Options && Options->Settings.ShowAppWndOnLaunch) ShowAppWindow(srLaunch);
}

void TfrmMain::FormClose(ui::TCloseAction& action) {
    // Nothing is freed under a running dialog: it comes to the front, and
    // the program stays.
    if (ui::Application && ui::Application->BringModalToFront(Handle())) {
        action = ui::caNone;
        return;
    }
    Hide();
    FHotKeys->UnRegisterHotkeys();
    FFindIndex->DropEntryIndex();
    if (Options) {
        if (Options->Settings.ShowTrayIcon) FTray->RemoveTrayIcon();
        FView->StoreAppRect();
        FView->StoreTreeState();
        Options.Close();  // writes the window state
    }
    FMenu->CloseDataViewer();  // its temporary files go with it
    CloseAppMutex();
}

void TfrmMain::ApplyOptions(const TOptionsRec* before, const TOptionsRec& after) {
    const auto changed = [&](bool TOptionsRec::*option) { return !before || before->*option != after.*option; };
    // At start-up a removal is asked for too: the shell refuses it.
    if (changed(&TOptionsRec::ShowTrayIcon)) {
        if (after.ShowTrayIcon)
            FTray->AddTrayIcon(ui::Application->Title() + L" " + FVersion);
        else
            FTray->RemoveTrayIcon();
    }
    if (changed(&TOptionsRec::BlockScrSvr)) FScreenSaver->SetEnabled(after.BlockScrSvr);
    if (before) FFolderMove->CheckWorkingFolderChange(*before, after);
}

void TfrmMain::pmnuExitClick() { Close(); }

void TfrmMain::sbtnOptionsClick() {
    FView->StoreAppRect();
    FView->StoreTreeState();
    TfrmOptions dialog;
    dialog.Settings = Options->Settings;
    dialog.OnBeforeFolderMove = [this](const std::wstring& from, const std::wstring&) {
        FFolderMove->BeforeFolderMove(from);
    };
    dialog.OnAfterFolderMove = [this](const std::wstring& from, const std::wstring& to) {
        FFolderMove->AfterFolderMove(from, to);
    };
    dialog.OnSaveFolderChoice = [](const TOptionsRec& choice) { Options->SaveWorkingFolderChoice(choice); };
    if (dialog.ShowModal() != ui::mrOk) return;
    // What was in force before this OK: the window applies what changed.
    const TOptionsRec PreviousOptions = Options->Settings;
    // The choice is live from here even when it cannot be saved: the links
    // may have moved already.
    std::exception_ptr refused;
    try {
        AcceptOptions(dialog.Settings);
    } catch (...) {
        refused = std::current_exception();
    }
    ApplyOptions(&PreviousOptions, Options->Settings);
    if (refused) std::rethrow_exception(refused);
}

void TfrmMain::pmnuAboutClick() { ShowAboutBox(FVersion, HotKeyConflictText(FHotKeys->HotKeysTaken())); }

void TfrmMain::sbtnRefreshClick() {
    // The user's refresh also shows names whose look changed; the first
    // call-up's takes the names read at start.
    ui::TRestoreOnExit<bool> names(ShellTreeView1->RefreshAsksNames, !FFirstShowPending);
    ShowWindow(ShellTreeView1->Handle(), SW_HIDE);
    // The pressed button is drawn released before a large folder is read.
    if (IsWindowVisible(Handle())) RedrawWindow(FButtons->Panel().Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ui::TScopeExit show([this] {
        ShowWindow(ShellTreeView1->Handle(), SW_SHOW);
        if (IsWindowVisible(Handle())) SetFocus(ShellTreeView1->Handle());
    });
    if (!FFirstShowPending) {
        FView->StoreAppRect();
        FView->StoreTreeState();
        FView->ForgetRootProblem();  // a refresh the user asked for says again what is wrong
    }
    FView->RestoreView(FFirstShowPending, !FFirstShowPending);
}

void TfrmMain::sbtnSaveAppRectClick() {
    sbtnRefreshClick();
    if (Options) Options->SaveWindowState();
}
