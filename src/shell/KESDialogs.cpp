#include "shell/KESDialogs.h"

#include <shlobj.h>

#include "ui/Application.h"
#include "ui/MessageParams.h"
#include "ui/ScopeExit.h"
#include "core/ScreenFit.h"
#include "ui/WindowProc.h"

TKesBrowseForFolder::TKesBrowseForFolder(ui::TWinControl* owner) : FOwner(owner) {}

void TKesBrowseForFolder::SetOptions(TKesBrowseFlags value) {
    if (value & BrowseFlag(bfNewDialogStyle)) value &= static_cast<TKesBrowseFlags>(~BrowseFlag(bfFileSystemOnly));
    if (value & BrowseFlag(bfFileSystemOnly)) value &= static_cast<TKesBrowseFlags>(~BrowseFlag(bfNewDialogStyle));
    FOptions = value;
}

UINT TKesBrowseForFolder::SystemFlags() const noexcept {
    UINT flags = 0;
    if (FOptions & BrowseFlag(bfNewDialogStyle)) flags |= BIF_NEWDIALOGSTYLE;
    if (FOptions & BrowseFlag(bfFileSystemOnly)) flags |= BIF_RETURNONLYFSDIRS;
    if (FOptions & BrowseFlag(bfBrowseIncludeFiles)) flags |= BIF_BROWSEINCLUDEFILES;
    if (FOptions & BrowseFlag(bfEditBox)) flags |= BIF_EDITBOX;
    return flags;
}

void TKesBrowseForFolder::SetRootedAtFileSystemFolder(const std::wstring& path) {
    FRootedAtFileSystemFolder = path;
    RootedAt = SF_FILESYSTEMFOLDER;
}

int TKesBrowseForFolder::DialogLeft() const {
    RECT r{};
    return FDialog && GetWindowRect(FDialog, &r) ? r.left : FDialogLeft;
}

int TKesBrowseForFolder::DialogTop() const {
    RECT r{};
    return FDialog && GetWindowRect(FDialog, &r) ? r.top : FDialogTop;
}

void TKesBrowseForFolder::SetDialogLeft(int value) {
    FDialogLeft = value;
    Place();
}

void TKesBrowseForFolder::SetDialogTop(int value) {
    FDialogTop = value;
    Place();
}

void TKesBrowseForFolder::Place() {
    RECT r{};
    if (!FDialog || !GetWindowRect(FDialog, &r)) return;
    TFitPoint at = DialogPlacement(FDialogLeft, FDialogTop, r.right - r.left, r.bottom - r.top,
                                   GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    SetWindowPos(FDialog, nullptr, at.X, at.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND TKesBrowseForFolder::OwnerWindow() const {
    if (FOwner && FOwner->HandleAllocated()) return GetAncestor(FOwner->Handle(), GA_ROOT);
    return GetApplicationWindow();
}

namespace {

// The dialog's link back to its TKesBrowseForFolder, for the timer.
constexpr wchar_t kBrowseOwnerProp[] = L"tavrix.BrowseForFolder";
constexpr UINT_PTR kSelectionTimer = 0x7A01;
constexpr UINT kSelectionRetryMs = 200;
// Ten seconds: a shell that starts for the first time (a new 64-bit
// prefix, under load) fills the dialog's tree slowly, and two seconds of
// tries once ran out before the folder could show.
constexpr int kSelectionTries = 50;

// A press that is the user at work in a window; moves of the pointer and
// releases (the one of the key that opened the dialog) are not.
bool IsUserAction(UINT message) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_MOUSEWHEEL:
        return true;
    default:
        return false;
    }
}

}  // namespace

int CALLBACK TKesBrowseForFolder::Callback(HWND dialog, UINT message, LPARAM param, LPARAM data) {
    return ui::Guarded(0, [&] {
        auto* self = ui::ParamAs<TKesBrowseForFolder*>(data);
        if (message == BFFM_SELCHANGED) {
            self->SelectionChanged(ui::ParamAs<PCIDLIST_ABSOLUTE>(param));
            return 0;
        }
        if (message != BFFM_INITIALIZED) return 0;
        self->FDialog = dialog;
        self->Place();
        // Selected by its list: the path form fails for some folders. Asked
        // again once the dialog has finished its own start, since a request
        // made while its tree is still being filled can be lost; and then,
        // with the list made anew, every little while until the tree shows
        // it: under some shells a request fails every time once a folder on
        // the way has changed since its list was made.
        self->FSelection = PathToAbsoluteIDList(self->Path);
        self->FSelectionShown = self->FSelectionLeft = false;
        if (self->FSelection) {
            const auto list = ui::AsParam(self->FSelection.Get());
            SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, list);
            PostMessageW(dialog, BFFM_SETSELECTIONW, FALSE, list);
            self->FSelectionTries = kSelectionTries;
            if (SetPropW(dialog, kBrowseOwnerProp, self)) {
                SetTimer(dialog, kSelectionTimer, kSelectionRetryMs, &TKesBrowseForFolder::RetrySelection);
                // Every request also opens the folders on the way: once the
                // user works in the dialog, a folder they closed would open
                // again under their hands.
                self->FUserInputHook.Reset(
                    SetWindowsHookExW(WH_GETMESSAGE, &TKesBrowseForFolder::WatchUserInput, nullptr, GetCurrentThreadId()));
            }
        }
        return 0;
    });
}

void TKesBrowseForFolder::SelectionChanged(PCIDLIST_ABSOLUTE shown) {
    if (!FSelection || !shown || FSelectionShown) return;
    if (ILIsEqual(shown, FSelection.Get()))
        FSelectionShown = true;
    else if (!ILIsParent(shown, FSelection.Get(), FALSE))
        FSelectionLeft = true;  // not a step on the way there: the user's choice
}

void CALLBACK TKesBrowseForFolder::RetrySelection(HWND dialog, UINT, UINT_PTR timer, DWORD) {
    ui::Guarded(0, [&] {
        auto* self = static_cast<TKesBrowseForFolder*>(GetPropW(dialog, kBrowseOwnerProp));
        if (!self || self->FDialog != dialog || !self->FSelection || self->FSelectionShown || self->FSelectionLeft ||
            self->FSelectionTries-- <= 0) {
            KillTimer(dialog, timer);
            RemovePropW(dialog, kBrowseOwnerProp);
            if (self) self->FUserInputHook.Reset();
            return 0;
        }
        TAbsoluteIDList fresh = PathToAbsoluteIDList(self->Path);
        if (!fresh) return 0;
        // The list asked for before stays alive: a request may still be queued.
        self->FSelectionsAsked.push_back(std::move(self->FSelection));
        self->FSelection = std::move(fresh);
        SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, ui::AsParam(self->FSelection.Get()));
        return 0;
    });
}

LRESULT CALLBACK TKesBrowseForFolder::WatchUserInput(int code, WPARAM removed, LPARAM param) {
    ui::Guarded(0, [&] {
        const auto* msg = ui::ParamAs<const MSG*>(param);
        if (code != HC_ACTION || removed != PM_REMOVE || !msg || !msg->hwnd || !IsUserAction(msg->message)) return 0;
        HWND dialog = GetAncestor(msg->hwnd, GA_ROOT);
        auto* self = static_cast<TKesBrowseForFolder*>(GetPropW(dialog, kBrowseOwnerProp));
        if (self && self->FDialog == dialog) self->FSelectionLeft = true;  // the dialog is the user's now
        return 0;
    });
    return CallNextHookEx(nullptr, code, removed, param);
}

bool TKesBrowseForFolder::Execute() {
    DWORD attributes = GetFileAttributesW(FRootedAtFileSystemFolder.c_str());
    TAbsoluteIDList root = !FRootedAtFileSystemFolder.empty() && attributes != INVALID_FILE_ATTRIBUTES &&
                                   (attributes & FILE_ATTRIBUTE_DIRECTORY)
                               ? PathToAbsoluteIDList(FRootedAtFileSystemFolder)
                               : SpecialFolderIDList(RootedAt);
    wchar_t displayName[MAX_PATH + 1]{};
    BROWSEINFOW info{};
    info.hwndOwner = OwnerWindow();
    info.pidlRoot = root.Get();
    info.pszDisplayName = displayName;
    info.lpszTitle = Title.c_str();
    info.ulFlags = SystemFlags();
    info.lpfn = &TKesBrowseForFolder::Callback;
    info.lParam = ui::AsParam(this);
    ui::TScopeExit closed([this] {
        FDialog = nullptr;
        FSelection.Reset();
        FSelectionsAsked.clear();
        FUserInputHook.Reset();
        if (OnClose) OnClose();
    });
    if (OnShow) OnShow();
    ui::TModalScope modal;
    TAbsoluteIDList chosen(SHBrowseForFolderW(&info));
    if (!chosen) {
        Path.clear();
        return false;
    }
    Path = IDListToPath(chosen.Get());
    // An item without a path (My Computer, a server): its name as shown.
    if (Path.empty()) Path = displayName;
    return true;
}
