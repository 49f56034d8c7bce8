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
extern LPITEMIDLIST EmptyIDList;  // the desktop; never freed
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
    struct TOleScope {
        TOleScope() noexcept : Initialized(SUCCEEDED(OleInitialize(nullptr))) {}
        ~TOleScope() {
            if (Initialized) OleUninitialize();
        }
        TOleScope(const TOleScope&) = delete;
        TOleScope& operator=(const TOleScope&) = delete;
        bool Initialized;
    };
    TOleScope FOle;
    ui::TModuleOwner FShell32;
    // What ShellMalloc and DesktopFolder point at while the services live.
    ui::TComPtr<IMalloc> FMalloc;
    ui::TComPtr<IShellFolder> FDesktop;
    bool FOk = false;
};

void FreeIDList(LPITEMIDLIST list) noexcept;

struct TIDListTraits {
    static LPITEMIDLIST Invalid() noexcept { return nullptr; }
    static bool IsValid(LPITEMIDLIST list) noexcept { return list != nullptr; }
    static void Close(LPITEMIDLIST list) noexcept { FreeIDList(list); }
};
// An owned item-ID list, freed through ShellMalloc. Empty means "none".
using TIDList = ui::TUniqueHandle<LPITEMIDLIST, TIDListTraits>;

TIDList AllocIDList(UINT size);
UINT IDListSize(LPCITEMIDLIST list) noexcept;
UINT IDListCount(LPCITEMIDLIST list) noexcept;
TIDList CopyIDList(LPCITEMIDLIST list);
TIDList ConcatIDLists(LPCITEMIDLIST first, LPCITEMIDLIST second);
TIDList CopyIDListItem(LPCITEMIDLIST list, UINT index);
TIDList CopyIDListHead(LPCITEMIDLIST list, UINT count);

std::wstring StrRetToString(LPCITEMIDLIST list, const STRRET& str);
void FreeStrRet(STRRET& str) noexcept;

// Parses a display name relative to the folder (the desktop when none).
// '' is the desktop; none when the shell cannot parse it. Never shows a message.
TIDList PathToIDList(IShellFolder* folder, const std::wstring& text);
std::wstring GetNetworkName(IShellFolder* folder, LPCITEMIDLIST list);

// The file names a drop or a dragged data object carries, or none.
std::unique_ptr<std::vector<std::wstring>> FileNamesFromDrop(HDROP drop);
std::unique_ptr<std::vector<std::wstring>> FileNamesFromDataObject(IDataObject* data);

// Starting a program through the shell goes through this replaceable
// function (ShellExecuteW by default), so tests can record the call.
using TShellExecuteFunc = std::function<INT_PTR(HWND owner, const std::wstring& operation, const std::wstring& file,
                                                const std::wstring& parameters, const std::wstring& directory,
                                                int show)>;
TShellExecuteFunc& ShellExecuteFunc();

// The system's text for an error code.
std::wstring SysErrorText(DWORD code);
