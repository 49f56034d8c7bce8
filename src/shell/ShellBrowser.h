// The shell namespace navigator: a current folder and, inside it, at most
// one current object, with everything the tree asks about that object.
// Also the special-folder table, path lookups, the system image list and
// the navigation history.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/Shell_Win32.h"
#include "shell/SystemImageList.h"
#include "core/Exceptions.h"
#include "ui/Handles.h"
#include "ui/ImageList.h"
#include "ui/Menus.h"
#include "ui/Profile.h"
#include "ui/WinControl.h"

enum TKesShellFolder {
    SF_FILESYSTEMFOLDER, SF_BITBUCKET, SF_CONTROLS, SF_DESKTOP, SF_DESKTOPDIRECTORY, SF_DRIVES,
    SF_FONTS, SF_NETHOOD, SF_NETWORK, SF_PERSONAL, SF_PRINTERS, SF_PROGRAMS, SF_RECENT,
    SF_SENDTO, SF_STARTMENU, SF_STARTUP, SF_TEMPLATES, SF_FAVORITES, SF_COMMON_STARTMENU,
    SF_COMMON_STARTUP, SF_COMMON_DESKTOPDIRECTORY, SF_APPDATA, SF_PRINTHOOD, SF_COMMON_FAVORITES,
    SF_INTERNET_CACHE, SF_COOKIES, SF_HISTORY, SF_COMMON_PROGRAMS, SF_ALTSTARTUP,
    SF_COMMON_APPDATA, SF_COMMON_DOCUMENTS, SF_INTERNET, SF_LOCAL_APPDATA, SF_MYPICTURES,
    SF_PROGRAM_FILES, SF_SYSTEM, SF_PROGRAM_FILES_COMMON,
};
constexpr int KesShellFolderCount = SF_PROGRAM_FILES_COMMON + 1;
extern const int SpecialFolderCsidl[KesShellFolderCount];

// A special folder's list by its CSIDL; none when the shell has no such folder.
TAbsoluteIDList SpecialFolderLocation(int csidl, HWND owner = nullptr);
TAbsoluteIDList SpecialFolderIDList(TKesShellFolder folder);
std::wstring SpecialFolderPath(TKesShellFolder folder);
// Which special folder the absolute list is; SF_FILESYSTEMFOLDER for none.
TKesShellFolder FindSpecialFolder(LPCITEMIDLIST list);
// The file-system path of an absolute list; empty for virtual items.
std::wstring IDListToPath(LPCITEMIDLIST list);
bool IsNetworkIDList(LPCITEMIDLIST list);
std::wstring AddTrailingBackslash(const std::wstring& path);
bool IsDriveSpec(const std::wstring& path);
bool FileOrFolderExists(const std::wstring& path);
bool IsDriveReady(const std::wstring& path);
int64_t GetFileSize64(const std::wstring& path);
HWND GetApplicationWindow();

// Texts compared as file systems compare names: character by character,
// without regard to case.
bool SameText(const std::wstring& a, const std::wstring& b);
// The text in capitals as the system's character tables give them, letter
// for letter (the length never changes).
std::wstring Upper(std::wstring s);
// Whether two lists name the same item, as the folder compares them.
bool SameIDs(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b);
// The normal display name of an item relative to a folder; empty on failure.
std::wstring DisplayNameOf(IShellFolder* folder, LPCITEMIDLIST item);
// The file name of a file-system item in its folder, extension and all;
// empty for an item that is no file or folder on a disk.
std::wstring FileNameInFolder(IShellFolder* folder, PCUITEMID_CHILD item);

// Sets the process error mode for its lifetime, so that unready drives
// bring up no system boxes while the shell is asked about them.
class TErrorModeScope {
public:
    explicit TErrorModeScope(UINT mode) : FOld(SetErrorMode(mode)) {}
    ~TErrorModeScope() { SetErrorMode(FOld); }
    TErrorModeScope(const TErrorModeScope&) = delete;
    TErrorModeScope& operator=(const TErrorModeScope&) = delete;

private:
    UINT FOld;
};

// How often the costly shell questions were asked, and how long they took;
// read by measurements.
struct TShellCounters {
    ui::TProfileCounter Enumerated{"shell: enumerate"};
    ui::TProfileCounter DisplayNames{"shell: display name"};
    ui::TProfileCounter ObjectNames{"shell: file name"};
    ui::TProfileCounter Attributes{"shell: attributes"};
    ui::TProfileCounter Comparisons{"shell: compare"};
    ui::TProfileCounter Binds{"shell: bind folder"};
    ui::TProfileCounter SpecialFolders{"shell: special folder"};
    ui::TProfileCounter Icons{"shell: icon"};
    ui::TProfileCounter Paths{"shell: path of a list"};
};
extern TShellCounters ShellCounters;

class EShellBrowserError : public ui::Exception {
public:
    using ui::Exception::Exception;
};

class TShellBrowser : public ui::TComponent {
public:
    // The owner's window becomes the owner of the shell's dialogs once loaded.
    explicit TShellBrowser(ui::TWinControl* owner = nullptr);
    ~TShellBrowser() override;

    std::wstring Version() const { return L"TShellBrowser V3.33"; }
    void MarkLoaded() noexcept { FLoaded = true; }
    HWND GetParentWindow() const;

    // The current folder.
    // The folder's path with a trailing backslash, "" for a virtual one;
    // asked from the shell only when wanted, since that takes long.
    const std::wstring& Folder() const;
    void SetFolder(const std::wstring& path);
    void SetFolderIDList(PCIDLIST_ABSOLUTE list);
    bool SetSpecialFolder(TKesShellFolder folder);
    PCIDLIST_ABSOLUTE FolderIDList() const noexcept { return FFolderIDList.Get(); }
    IShellFolder* ShellFolder() const noexcept { return FShellFolder.Get(); }

    // The current object.
    // The list is one item of the current folder.
    void SetObjectIDList(LPCITEMIDLIST list);
    PCUITEMID_CHILD ObjectIDList() const noexcept { return FObjectIDList.Get(); }
    // The object the list names, in its parent folder; a caller that holds
    // that folder bound already passes it, which saves binding it again.
    void SetAbsoluteIDList(PCIDLIST_ABSOLUTE list, IShellFolder* boundParent = nullptr);
    bool SelectFolderInParent();
    bool EnterObject();
    std::wstring ObjectName();
    void SetObjectName(const std::wstring& name);
    std::wstring GetDisplayName();
    std::wstring GetNetworkName();
    ULONG GetAttributes(ULONG mask);
    bool IsFolder();
    bool HasSubFolders();
    bool IsHidden();
    bool CanRename();
    int GetIconIndex();
    int GetOpenIconIndex();
    int GetDesktopIconIndex();
    std::wstring GetDesktopDisplayName();
    TChildIDList CopyObjectIDList() const { return CopyChildIDList(FObjectIDList.Get()); }
    TAbsoluteIDList CopyFolderIDList() const { return CopyAbsoluteIDList(FFolderIDList.Get()); }
    // Owned by the browser: valid until the object or the folder changes.
    PCIDLIST_ABSOLUTE GetAbsoluteObjectIDList();
    TKesShellFolder GetFolderSpecialFolder();
    TKesShellFolder GetObjectSpecialFolder();

    // One enumeration step: the next child that passes becomes the object.
    bool FindNextObject();
    bool MatchesFilter();
    std::wstring Filter() const;
    void SetFilter(const std::wstring& filter);

    bool FileSystemOnly = false;
    std::vector<std::wstring> MultiObjects;
    bool ReadOnly = false;
    bool ShowErrorMessages = true;
    bool ShowContextMenuOnTop = false;
    // -1 unknown, 0 no, 1 yes; for the current object.
    int HasSubFoldersCache = -1;

    std::function<void(TShellBrowser& sender)> OnRename;
    std::function<void(const std::wstring& command, bool& execute)> OnContextMenuSelect;

    // Acting on the current object, or on the MultiObjects of the folder
    // (ShellBrowserVerbs.cpp).
    // Renames the object; name receives its display name afterwards (the
    // old one when the shell refused).
    void RenameObject(std::wstring& name);
    // The lists a command acts on; MultiObjects is empty afterwards.
    std::vector<TChildIDList> GetObjectIDLists();
    // Runs a verb without a menu: "" or "default" is the default command,
    // "rename" only raises OnRename. False when nothing was done.
    bool ExecuteVerb(const std::wstring& verb);
    // Shows the shell's menu merged with the own items, and runs the
    // choice. verb receives the shell verb that ran, or nothing.
    void ShowContextMenu(POINT at, ui::TPopupMenu* own, std::wstring& verb);
    // The messages of the open menu; true when handled.
    bool ContextMenuWndProc(ui::TMessage& msg);
    // The merged menu while it is open (an own OnPopup may look at it).
    HMENU ContextMenuHandle() const noexcept { return FMenu; }

private:
    // The state of an open context menu.
    bool IsShellCommand(UINT id) const noexcept { return id >= FShellFirst && id < FShellFirst + FShellCount; }
    bool IsOwnMenu(HMENU menu) const;
    void ShowMenuHint(WPARAM wParam, HMENU menu);
    ui::TComPtr<IContextMenu2> FContextMenu2;
    HMENU FMenu = nullptr;
    ui::TPopupMenu* FOwnMenu = nullptr;
    UINT FShellFirst = 1;
    UINT FShellCount = 0;

    void SetShellFolder(ui::TComPtr<IShellFolder> folder);
    // Makes the bound folder, named by list, the current one.
    void AdoptFolder(ui::TComPtr<IShellFolder> folder, PCIDLIST_ABSOLUTE list);
    int IconIndex(LPCITEMIDLIST absolute, UINT extraFlags);

    ui::TWinControl* FOwner;
    bool FLoaded = false;
    mutable std::optional<std::wstring> FFolder;
    TAbsoluteIDList FFolderIDList;
    ui::TComPtr<IShellFolder> FShellFolder;
    TChildIDList FObjectIDList;
    TAbsoluteIDList FAbsoluteObjectIDList;
    ui::TComPtr<IEnumIDList> FEnumerator;
    std::vector<std::wstring> FFilters{L"*"};
    // The current object's attribute bits asked so far.
    ULONG FAttributes = 0;
    ULONG FAttributesKnown = 0;
};

// A back and forward history of absolute item-ID lists, which it owns.
class TPidlHistory {
public:
    TPidlHistory() = default;
    virtual ~TPidlHistory() = default;
    TPidlHistory(const TPidlHistory&) = delete;
    TPidlHistory& operator=(const TPidlHistory&) = delete;

    virtual void Add(TIDList list);
    virtual void DeleteEntry(int index);
    virtual void Forward(int count);
    virtual void Back(int count);

    int ItemIndex = 0;
    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    LPCITEMIDLIST Items(int index) const { return FItems[static_cast<size_t>(index)].Get(); }

private:
    std::vector<TIDList> FItems;
};
