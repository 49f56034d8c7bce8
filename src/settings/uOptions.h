// Every setting of the program, kept in "tavrix.ini" beside the program,
// section "OPTIONS"; plus the main window's rectangle and tree state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "settings/IniFile.h"

namespace ui {
class TGroupBox;
}

// The general switches, one line each: its name (the field of TOptionsRec,
// its key in "tavrix.ini" and, after "chk", its check box in the options
// dialog), the check box's caption, and its value when nothing is stored.
// The options dialog shows them in this order. A new switch is one more
// line here, plus whatever it switches.
#define TAVRIX_OPTION_SWITCHES(X)                                   \
    X(ShowAppWndOnLaunch, L"Show app. window on launch", false)     \
    X(ExecWithDblClick, L"Execute with double click", false)        \
    X(FollowMousePos, L"Follow mouse position", true)               \
    X(Autohide, L"Autohide after execution", true)                  \
    X(ShowTrayIcon, L"Show tray icon", true)                        \
    X(BlockScrSvr, L"Block screen saver", false)                    \
    X(TimestampTempFiles, L"Timestamp temp files", false)

struct TOptionsRec {
    int32_t Left = 50;
    int32_t Top = 20;
    int32_t Right = 300;
    int32_t Bottom = 400;
    int32_t SelectedNode = 0;
    std::wstring Expanded;
#define TAVRIX_SWITCH_FIELD(name, caption, byDefault) bool name = byDefault;
    TAVRIX_OPTION_SWITCHES(TAVRIX_SWITCH_FIELD)
#undef TAVRIX_SWITCH_FIELD
    uint8_t WorkingFolderOption = 0;
    std::wstring WorkingFolderPath;
    std::wstring WorkingFolder;  // derived, never stored
    // Entries opened from the tree, relative to the working folder, newest
    // first; kept in a section of their own so older copies ignore it.
    std::vector<std::wstring> Recent;
};

// One general switch as the program reads, writes and shows it.
struct TOptionSwitch {
    const wchar_t* Key;  // in section "OPTIONS"; the check box is "chk" + Key
    const wchar_t* Caption;
    bool TOptionsRec::*Member;
    bool Default;
};

#define TAVRIX_SWITCH_ROW(name, caption, byDefault) {L"" #name, caption, &TOptionsRec::name, byDefault},
inline constexpr TOptionSwitch OptionSwitches[] = {TAVRIX_OPTION_SWITCHES(TAVRIX_SWITCH_ROW)};
#undef TAVRIX_SWITCH_ROW
constexpr size_t OptionSwitchCount = std::size(OptionSwitches);

// How many opened entries are remembered.
constexpr size_t kMaxRecent = 100;
// Puts the entry first in the list, once (names compared without case),
// keeping at most kMaxRecent.
void AddRecent(std::vector<std::wstring>& recent, const std::wstring& relativePath);

class TOptions {
public:
    // Reads "tavrix.ini" in the program's folder.
    TOptions();
    // Reads the given INI file instead; for tests.
    explicit TOptions(const std::wstring& iniFileName);
    // Writes the window state; a refused write goes to the application's
    // error handling, since it cannot leave a destructor.
    ~TOptions();
    TOptions(const TOptions&) = delete;
    TOptions& operator=(const TOptions&) = delete;

    TOptionsRec Settings;
    // No window rectangle was read: Settings holds the designed one, in
    // designed (96 DPI) pixels until the window takes it.
    bool WindowRectDesigned = false;

    void LoadWindowState();
    void LoadGeneralOptions();
    // Also writes the general options first when an earlier save of them
    // was refused; either error is raised after both were tried.
    void SaveWindowState();
    // A refused write leaves them pending: every later save of the window
    // state (Save View, logoff, exit) tries them again until they are in.
    void SaveGeneralOptions();
    // Writes where the working folder is to lie, before its links move
    // there. A refused write raises, and the keys name the folder in use
    // again, as far as the file takes them.
    void SaveWorkingFolderChoice(const TOptionsRec& chosen);

    const std::wstring& IniFileName() const noexcept { return FIniFile->FileName(); }

private:
    void WriteWindowState();

    std::unique_ptr<TIniFile> FIniFile;
    bool FGeneralPending = false;
};

// The one owner of the live options, which every part reads as
// Options->Settings. The main window opens them while it is made and
// closes them when it closes; outside that, Options is empty.
class TLiveOptions {
public:
    TLiveOptions() = default;
    TLiveOptions(const TLiveOptions&) = delete;
    TLiveOptions& operator=(const TLiveOptions&) = delete;

    // Reads "tavrix.ini" beside the program, or the given file (for
    // tests); options open before are closed first.
    TOptions& Open();
    TOptions& Open(const std::wstring& iniFileName);
    // Lets them go, which writes the window state; Options is empty
    // already while that runs.
    void Close() noexcept;

    TOptions* Get() const noexcept { return FOptions.get(); }
    TOptions* operator->() const noexcept { return FOptions.get(); }
    TOptions& operator*() const noexcept { return *FOptions; }
    explicit operator bool() const noexcept { return FOptions != nullptr; }

private:
    std::unique_ptr<TOptions> FOptions;
};

extern TLiveOptions Options;

// Makes what a confirmed options dialog chose live and saves it (the
// general options, then the window state). A refused write is raised
// after the hand-over: the chosen values stay live, and what was not
// written stays pending. The caller keeps the settings from before, to
// apply what changed.
void AcceptOptions(const TOptionsRec& chosen);

// The path of the INI file: the program's folder + "tavrix.ini".
std::wstring OptionsIniFileName();

// Sets WorkingFolder from WorkingFolderOption and WorkingFolderPath.
void ResolveWorkingFolder(TOptions& options);
void ResolveWorkingFolder(TOptionsRec& settings);

// The tag of the first checked radio button among the group's direct
// children, 0 when none is checked.
int GetCheckedRadioTag(ui::TGroupBox& group);
// Checks the first radio button among the group's direct children whose
// tag is the value; nothing changes when none has it.
void CheckRadioByTag(ui::TGroupBox& group, int tag);
