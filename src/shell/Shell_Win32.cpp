#include "shell/Shell_Win32.h"

#include <shellapi.h>

#include <cstring>

#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/MessageParams.h"
#include "ui/Profile.h"
#include "ui/SystemLibrary.h"

IMalloc* ShellMalloc = nullptr;
IShellFolder* DesktopFolder = nullptr;
bool IsOldShell = false;
bool IsNTPlatform = false;
TChangeNotifyRegister ChangeNotifyRegister = nullptr;
TChangeNotifyDeregister ChangeNotifyDeregister = nullptr;

namespace {
USHORT EmptyListBytes = 0;
// Shell32 exports its change-notification calls by ordinal only.
constexpr WORD kChangeNotifyRegisterOrdinal = 2;
constexpr WORD kChangeNotifyDeregisterOrdinal = 4;
// The zero count that ends every item-ID list, as the UINT sizes are kept in.
constexpr UINT kTerminatorBytes = sizeof(USHORT);
}  // namespace

PIDLIST_ABSOLUTE EmptyIDList = reinterpret_cast<PIDLIST_ABSOLUTE>(&EmptyListBytes);

namespace {
// The version as the system reports it; the compatibility shims of newer
// systems do not matter here, only the family and the old 4.x shells do.
OSVERSIONINFOW SystemVersion() {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof(v);
    using TRtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto get = ui::ProcAddress<TRtlGetVersion>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    if (get) get(&v);
    return v;
}

const SHITEMID* NextItem(const SHITEMID* item) {
    return reinterpret_cast<const SHITEMID*>(reinterpret_cast<const BYTE*>(item) + item->cb);
}
}  // namespace

TShellServices::TShellServices() : FShell32(LoadLibraryW(L"Shell32")) {
    if (FShell32) {
        ChangeNotifyRegister =
            ui::ProcAddress<TChangeNotifyRegister>(FShell32.Get(), MAKEINTRESOURCEA(kChangeNotifyRegisterOrdinal));
        ChangeNotifyDeregister =
            ui::ProcAddress<TChangeNotifyDeregister>(FShell32.Get(), MAKEINTRESOURCEA(kChangeNotifyDeregisterOrdinal));
    }
    const bool found = SUCCEEDED(SHGetMalloc(FMalloc.Put())) && SUCCEEDED(SHGetDesktopFolder(FDesktop.Put()));
    ShellMalloc = FMalloc.Get();
    DesktopFolder = FDesktop.Get();
    if (!found) {
        ui::ShowMessageBox(nullptr, L"Cannot find Shell!", ui::Application ? ui::Application->Title() : L"",
                           MB_OK | MB_ICONERROR);
        if (ui::Application) ui::Application->Terminate();
    } else {
        FOk = true;
    }
    OSVERSIONINFOW v = SystemVersion();
    IsOldShell = v.dwMajorVersion == 4 && v.dwMinorVersion < 11;
    IsNTPlatform = v.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

TShellServices::~TShellServices() {
    // The members let go of the shell in reverse order, OLE last.
    DesktopFolder = nullptr;
    ShellMalloc = nullptr;
    ChangeNotifyRegister = nullptr;
    ChangeNotifyDeregister = nullptr;
}

namespace {
ui::TProfileCounter ListMemoryCounter("item-ID lists: allocate and free");
}  // namespace

// The shell's allocator, or the task allocator it stands for: the one place
// item-ID lists and the shell's strings are freed.
void FreeIDList(LPITEMIDLIST list) noexcept {
    if (!list || list == EmptyIDList) return;
    ui::TProfileScope profile(ListMemoryCounter);
    if (ShellMalloc)
        ShellMalloc->Free(list);
    else
        CoTaskMemFree(list);
}

TIDList AllocIDList(UINT size) {
    ui::TProfileScope profile(ListMemoryCounter);
    void* p = ShellMalloc ? ShellMalloc->Alloc(size) : CoTaskMemAlloc(size);
    if (!p) return TIDList();
    std::memset(p, 0, size);
    return TIDList(static_cast<PIDLIST_RELATIVE>(p));
}

UINT IDListSize(LPCITEMIDLIST list) noexcept {
    if (!list) return 0;
    UINT size = 0;
    for (const SHITEMID* item = &list->mkid; item->cb; item = NextItem(item)) size += item->cb;
    return size + kTerminatorBytes;
}

UINT IDListCount(LPCITEMIDLIST list) noexcept {
    if (!list) return 0;
    UINT count = 0;
    for (const SHITEMID* item = &list->mkid; item->cb; item = NextItem(item)) ++count;
    return count;
}

TIDList CopyIDList(LPCITEMIDLIST list) {
    if (!list) return TIDList();
    UINT size = IDListSize(list);
    TIDList copy = AllocIDList(size);
    if (copy) std::memcpy(copy.Get(), list, size);
    return copy;
}

TIDList ConcatIDLists(LPCITEMIDLIST first, LPCITEMIDLIST second) {
    if (!first) return CopyIDList(second);
    if (!second) return CopyIDList(first);
    UINT size1 = IDListSize(first) - kTerminatorBytes;
    UINT size2 = IDListSize(second);
    TIDList result = AllocIDList(size1 + size2);
    if (result) {
        std::memcpy(result.Get(), first, size1);
        std::memcpy(reinterpret_cast<BYTE*>(result.Get()) + size1, second, size2);
    }
    return result;
}

TIDList CopyIDListItem(LPCITEMIDLIST list, UINT index) {
    if (!list) return TIDList();
    UINT count = IDListCount(list);
    if (index > count) return TIDList();
    if (index == count) return AllocIDList(kTerminatorBytes);
    const SHITEMID* item = &list->mkid;
    for (UINT i = 0; i < index; ++i) item = NextItem(item);
    TIDList result = AllocIDList(item->cb + kTerminatorBytes);
    if (result) std::memcpy(result.Get(), item, item->cb);
    return result;
}

TIDList CopyIDListHead(LPCITEMIDLIST list, UINT count) {
    if (!list) return TIDList();
    UINT total = IDListCount(list);
    // The last item is always cut off.
    UINT keep = total == 0 ? 0 : (count < total - 1 ? count : total - 1);
    const SHITEMID* item = &list->mkid;
    UINT bytes = 0;
    for (UINT i = 0; i < keep; ++i) {
        bytes += item->cb;
        item = NextItem(item);
    }
    TIDList result = AllocIDList(bytes + kTerminatorBytes);
    if (result) std::memcpy(result.Get(), list, bytes);
    return result;
}

TAbsoluteIDList CopyAbsoluteIDList(PCIDLIST_ABSOLUTE list) { return AsAbsoluteIDList(CopyIDList(list)); }

TChildIDList CopyChildIDList(PCUITEMID_CHILD list) { return AsChildIDList(CopyIDList(list)); }

TAbsoluteIDList CombineIDLists(PCIDLIST_ABSOLUTE folder, PCUIDLIST_RELATIVE item) {
    return AsAbsoluteIDList(ConcatIDLists(folder, item));
}

TChildIDList CopyLastIDListItem(PCUIDLIST_RELATIVE list) {
    return AsChildIDList(CopyIDListItem(list, IDListCount(list) - 1));
}

TAbsoluteIDList CopyParentIDList(PCIDLIST_ABSOLUTE list) {
    return AsAbsoluteIDList(CopyIDListHead(list, IDListCount(list)));
}

namespace {
std::wstring AnsiToWide(const char* text, int length) {
    if (length <= 0) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, length, out.data(), n);
    return out;
}
}  // namespace

std::wstring StrRetToString(LPCITEMIDLIST list, const STRRET& str) {
    switch (str.uType) {
    case STRRET_WSTR:
        return str.pOleStr ? std::wstring(str.pOleStr) : std::wstring();
    case STRRET_OFFSET: {
        if (!list) return {};
        const char* text = reinterpret_cast<const char*>(list) + str.uOffset;
        return AnsiToWide(text, static_cast<int>(std::strlen(text)));
    }
    case STRRET_CSTR:
        return AnsiToWide(str.cStr, static_cast<int>(strnlen(str.cStr, MAX_PATH)));
    default:
        return {};
    }
}

void FreeStrRet(STRRET& str) noexcept {
    if (str.uType == STRRET_WSTR && str.pOleStr) {
        if (ShellMalloc)
            ShellMalloc->Free(str.pOleStr);
        else
            CoTaskMemFree(str.pOleStr);
        str.pOleStr = nullptr;
    }
}

TIDList PathToIDList(IShellFolder* folder, const std::wstring& text) {
    if (!folder) folder = DesktopFolder;
    if (text.empty()) return CopyIDList(EmptyIDList);
    // Parsing names longer than a path can be are refused outright.
    if (!folder || text.size() > MAX_PATH) return TIDList();
    std::wstring buffer = text;
    ULONG eaten = 0;
    TIDList list;
    if (folder->ParseDisplayName(nullptr, nullptr, buffer.data(), &eaten, list.Put(), nullptr) != S_OK)
        return TIDList();
    return list;
}

TAbsoluteIDList PathToAbsoluteIDList(const std::wstring& text) {
    return AsAbsoluteIDList(PathToIDList(nullptr, text));
}

std::wstring GetNetworkName(IShellFolder* folder, PCUITEMID_CHILD list) {
    if (!folder || !list) return {};
    alignas(NETRESOURCEW) BYTE buffer[2048] = {};
    if (FAILED(SHGetDataFromIDListW(folder, list, SHGDFIL_NETRESOURCE, buffer, sizeof(buffer)))) return {};
    auto* res = reinterpret_cast<NETRESOURCEW*>(buffer);
    if ((res->dwDisplayType == RESOURCEDISPLAYTYPE_DOMAIN || res->dwDisplayType == RESOURCEDISPLAYTYPE_SERVER) &&
        res->lpRemoteName)
        return res->lpRemoteName;
    return {};
}

std::unique_ptr<std::vector<std::wstring>> FileNamesFromDrop(HDROP drop) {
    if (!drop) return nullptr;
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    if (count == 0) return nullptr;
    auto names = std::make_unique<std::vector<std::wstring>>();
    for (UINT i = 0; i < count; ++i) {
        UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring name(static_cast<size_t>(length) + 1, L'\0');
        DragQueryFileW(drop, i, name.data(), length + 1);
        name.resize(length);
        names->push_back(std::move(name));
    }
    return names;
}

std::unique_ptr<std::vector<std::wstring>> FileNamesFromDataObject(IDataObject* data) {
    if (!data) return nullptr;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    ui::TStgMediumOwner medium;
    if (FAILED(data->GetData(&format, medium.Put()))) return std::make_unique<std::vector<std::wstring>>();
    return FileNamesFromDrop(static_cast<HDROP>(medium.Get().hGlobal));
}

std::wstring SysErrorText(DWORD code) {
    wchar_t buffer[256] = {};
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                 FORMAT_MESSAGE_ARGUMENT_ARRAY,
                             nullptr, code, 0, buffer, 255, nullptr);
    std::wstring text(buffer, n);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return text;
}

TShellExecuteFunc& ShellExecuteFunc() {
    static TShellExecuteFunc func = [](HWND owner, const std::wstring& operation, const std::wstring& file,
                                       const std::wstring& parameters, const std::wstring& directory, int show) {
        auto orNull = [](const std::wstring& s) { return s.empty() ? nullptr : s.c_str(); };
        return ui::AsParam<INT_PTR>(ShellExecuteW(owner, orNull(operation), orNull(file), orNull(parameters),
                                                       orNull(directory), show));
    };
    return func;
}

std::wstring WindowsProgramPath(const wchar_t* name) {
    std::wstring folder(MAX_PATH, L'\0');
    UINT n = GetWindowsDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (n >= folder.size()) {
        folder.resize(n);
        n = GetWindowsDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    }
    if (n == 0 || n >= folder.size()) return {};
    folder.resize(n);
    if (folder.back() != L'\\') folder.push_back(L'\\');
    return folder + name;
}

std::wstring RegisteredProgramPath(const wchar_t* name) {
    // Only the machine's part: what a user's own key names could be put
    // there by any program the user ran.
    const std::wstring key = std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") + name;
    DWORD size = 0;
    // An expandable string comes expanded, as a plain one.
    constexpr DWORD kFlags = RRF_RT_REG_SZ;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, kFlags, nullptr, nullptr, &size) != ERROR_SUCCESS ||
        size < sizeof(wchar_t))
        return {};
    std::wstring path(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, kFlags, nullptr, path.data(), &size) != ERROR_SUCCESS)
        return {};
    path.resize(wcsnlen(path.c_str(), path.size()));
    // Some installers store the path in quotes.
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
    // Only a full path: a bare name would be looked up again.
    const bool full = path.size() > 2 && ((path[1] == L':' && path[2] == L'\\') || path.compare(0, 2, L"\\\\") == 0);
    return full ? path : std::wstring();
}
