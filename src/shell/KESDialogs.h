// The shell's folder browser as a component: a root that is a special
// folder or any directory, a folder selected when it opens, and placement.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "shell/ShellBrowser.h"
#include "ui/Handles.h"
#include "ui/WinControl.h"

enum TKesBrowseFlag { bfNewDialogStyle, bfFileSystemOnly, bfBrowseIncludeFiles, bfEditBox };
using TKesBrowseFlags = uint8_t;
constexpr TKesBrowseFlags BrowseFlag(TKesBrowseFlag f) { return static_cast<TKesBrowseFlags>(1u << f); }

class TKesBrowseForFolder : public ui::TComponent {
public:
    // The owner's form owns the dialog; without one the application does.
    explicit TKesBrowseForFolder(ui::TWinControl* owner = nullptr);

    // Before Execute the folder selected at first; after it the one chosen.
    std::wstring Path;
    std::wstring Title;
    TKesBrowseFlags Options() const noexcept { return FOptions; }
    // The new dialog style and "file-system folders only" exclude each
    // other; the new style wins.
    void SetOptions(TKesBrowseFlags value);
    // The system's flags for the options.
    UINT SystemFlags() const noexcept;
    const std::wstring& RootedAtFileSystemFolder() const noexcept { return FRootedAtFileSystemFolder; }
    void SetRootedAtFileSystemFolder(const std::wstring& path);
    TKesShellFolder RootedAt = SF_DESKTOP;
    // 0 or less centres the dialog on the screen. Read while it is open,
    // the dialog's own edge; written, it moves.
    int DialogLeft() const;
    int DialogTop() const;
    void SetDialogLeft(int value);
    void SetDialogTop(int value);

    std::function<void()> OnShow;
    std::function<void()> OnClose;

    // Runs the dialog; true when the user chose an item.
    bool Execute();
    HWND DialogHandle() const noexcept { return FDialog; }

private:
    static int CALLBACK Callback(HWND dialog, UINT message, LPARAM param, LPARAM data);
    static void CALLBACK RetrySelection(HWND dialog, UINT, UINT_PTR timer, DWORD);
    static LRESULT CALLBACK WatchUserInput(int code, WPARAM removed, LPARAM param);
    void SelectionChanged(PCIDLIST_ABSOLUTE shown);
    void Place();
    HWND OwnerWindow() const;

    ui::TWinControl* FOwner;
    TKesBrowseFlags FOptions = BrowseFlag(bfNewDialogStyle);
    std::wstring FRootedAtFileSystemFolder;
    int FDialogLeft = -1;
    int FDialogTop = -1;
    HWND FDialog = nullptr;
    // The folder the dialog opens on, for as long as it is open.
    TAbsoluteIDList FSelection;
    // Whether the dialog's tree got there, or the user went elsewhere
    // before it did; the request is repeated a few times until either.
    bool FSelectionShown = false;
    bool FSelectionLeft = false;
    int FSelectionTries = 0;
    std::vector<TAbsoluteIDList> FSelectionsAsked;
    // Ends the repeats at the user's first key or button press in the dialog.
    ui::THookOwner FUserInputHook;
};
