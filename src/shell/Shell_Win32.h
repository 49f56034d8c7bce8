// The shell's shared objects and the operations on item-ID lists: the base
// every other shell module stands on. Item-ID lists are owned through
// TIDList, which frees them with the shell's allocator.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Handles.h"

// The shell's change-notification registration entries (SHChangeNotifyRegister
// and SHChangeNotifyDeregister), loaded by ordinal.
struct TChangeNotifyEntry {
    PCIDLIST_ABSOLUTE pidl;
    BOOL fRecursive;
};
using TChangeNotifyRegister = ULONG(WINAPI*)(HWND, int, LONG, UINT, int, const TChangeNotifyEntry*);
using TChangeNotifyDeregister = BOOL(WINAPI*)(ULONG);

// Shared shell objects; they exist while a TShellServices lives.
extern IMalloc* ShellMalloc;
extern IShellFolder* DesktopFolder;
extern PIDLIST_ABSOLUTE EmptyIDList;  // the desktop; never freed
extern bool IsOldShell;
extern bool IsNTPlatform;
extern TChangeNotifyRegister ChangeNotifyRegister;
extern TChangeNotifyDeregister ChangeNotifyDeregister;

// Sets the shared objects up (OLE for this thread, the shell library, the
// allocator and the desktop folder) and releases them again.
class TShellServices {
public:
    TShellServices();
    ~TShellServices();
    TShellServices(const TShellServices&) = delete;
    TShellServices& operator=(const TShellServices&) = delete;
    // False when the shell could not be found ("Cannot find Shell!" was shown).
    bool Ok() const noexcept { return FOk; }

private:
    // OLE for the thread, undone last.
    ui::TComScope FOle{ui::TComScope::ckOle};
    ui::TModuleOwner FShell32;
    // What ShellMalloc and DesktopFolder point at while the services live.
    ui::TComPtr<IMalloc> FMalloc;
    ui::TComPtr<IShellFolder> FDesktop;
    bool FOk = false;
};

void FreeIDList(LPITEMIDLIST list) noexcept;

template <typename P>
struct TIDListTraits {
    static P Invalid() noexcept { return nullptr; }
    static bool IsValid(P list) noexcept { return list != nullptr; }
    static void Close(P list) noexcept { FreeIDList(list); }
};
// An owned item-ID list, freed through ShellMalloc. Empty means "none".
// TIDList is relative to some folder; TAbsoluteIDList starts at the desktop;
// TChildIDList is one item (or none) below its folder.
using TIDList = ui::TUniqueHandle<PIDLIST_RELATIVE, TIDListTraits<PIDLIST_RELATIVE>>;
using TAbsoluteIDList = ui::TUniqueHandle<PIDLIST_ABSOLUTE, TIDListTraits<PIDLIST_ABSOLUTE>>;
using TChildIDList = ui::TUniqueHandle<PITEMID_CHILD, TIDListTraits<PITEMID_CHILD>>;

// Where a list changes kind. Absolute and child lists are relative lists.
inline TIDList ToRelativeIDList(TAbsoluteIDList list) noexcept { return TIDList(list.Release()); }
inline TIDList ToRelativeIDList(TChildIDList list) noexcept { return TIDList(list.Release()); }
// A relative list taken as absolute: the caller knows it is relative to the desktop.
inline TAbsoluteIDList AsAbsoluteIDList(TIDList list) noexcept {
    return TAbsoluteIDList(static_cast<PIDLIST_ABSOLUTE>(list.Release()));
}
// A relative list taken as a child: the caller knows it holds at most one item.
inline TChildIDList AsChildIDList(TIDList list) noexcept {
    return TChildIDList(static_cast<PITEMID_CHILD>(list.Release()));
}

TIDList AllocIDList(UINT size);
UINT IDListSize(LPCITEMIDLIST list) noexcept;
UINT IDListCount(LPCITEMIDLIST list) noexcept;
TIDList CopyIDList(LPCITEMIDLIST list);
TIDList ConcatIDLists(LPCITEMIDLIST first, LPCITEMIDLIST second);
TIDList CopyIDListItem(LPCITEMIDLIST list, UINT index);
TIDList CopyIDListHead(LPCITEMIDLIST list, UINT count);
// The typed forms of the operations above.
TAbsoluteIDList CopyAbsoluteIDList(PCIDLIST_ABSOLUTE list);
TChildIDList CopyChildIDList(PCUITEMID_CHILD list);
// The folder's absolute list with a list relative to that folder appended.
TAbsoluteIDList CombineIDLists(PCIDLIST_ABSOLUTE folder, PCUIDLIST_RELATIVE item);
// The last item of a list: a child of the folder the items before it name.
TChildIDList CopyLastIDListItem(PCUIDLIST_RELATIVE list);
// All items of an absolute list but the last: the folder that holds it.
TAbsoluteIDList CopyParentIDList(PCIDLIST_ABSOLUTE list);

std::wstring StrRetToString(LPCITEMIDLIST list, const STRRET& str);
void FreeStrRet(STRRET& str) noexcept;

// Parses a display name relative to the folder (the desktop when none).
// '' is the desktop; none when the shell cannot parse it. Never shows a message.
TIDList PathToIDList(IShellFolder* folder, const std::wstring& text);
// The same relative to the desktop: an absolute list.
TAbsoluteIDList PathToAbsoluteIDList(const std::wstring& text);
std::wstring GetNetworkName(IShellFolder* folder, PCUITEMID_CHILD list);

// The file names a drop or a dragged data object carries, or none.
std::unique_ptr<std::vector<std::wstring>> FileNamesFromDrop(HDROP drop);
std::unique_ptr<std::vector<std::wstring>> FileNamesFromDataObject(IDataObject* data);

// Starting a program through the shell goes through this replaceable
// function (ShellExecuteW by default), so tests can record the call.
using TShellExecuteFunc = std::function<INT_PTR(HWND owner, const std::wstring& operation, const std::wstring& file,
                                                const std::wstring& parameters, const std::wstring& directory,
                                                int show)>;
TShellExecuteFunc& ShellExecuteFunc();

// A program is never started by its bare name: that is looked up like a
// new process, the running program's own folder first, where a download
// may have left a program of the same name.
// The full path of a program in the Windows folder ("explorer.exe").
std::wstring WindowsProgramPath(const wchar_t* name);
// The full path the system registers for a program (its App Paths entry in
// the machine's part of the registry), or empty when none is registered.
std::wstring RegisteredProgramPath(const wchar_t* name);

// The system's text for an error code.
std::wstring SysErrorText(DWORD code);
