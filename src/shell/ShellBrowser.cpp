#include "shell/ShellBrowser.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <optional>

#include "core/Masks.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/ScopeExit.h"

TShellCounters ShellCounters;

const int SpecialFolderCsidl[KesShellFolderCount] = {
    17, 10, 3, 0, 16, 17, 20, 19, 18, 5, 4, 2, 8, 9, 11, 7, 21, 6, 22,
    24, 25, 26, 27, 31, 32, 33, 34, 23, 29, 35, 46, 1, 28, 39, 38, 37, 43,
};

namespace {

// "C:" for a drive path, "\\server\share" for a network path, else empty.
std::wstring ExtractFileDrive(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2);
    if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') {
        size_t server = path.find(L'\\', 2);
        if (server == std::wstring::npos) return path;
        size_t share = path.find(L'\\', server + 1);
        return share == std::wstring::npos ? path : path.substr(0, share);
    }
    return {};
}

}  // namespace

std::wstring Upper(std::wstring s) {
    CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

bool SameText(const std::wstring& a, const std::wstring& b) {
    // Ordinal, as file systems compare: a linguistic comparison takes
    // "Strasse" and "Straße", or names that differ only in ignorable
    // characters, for one name.
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool SameIDs(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b) {
    if (!folder || !a || !b) return false;
    // Lists of different lengths never name one item, and equal bytes always
    // do. The shell compares deep lists level by level, binding each folder
    // on the way, so these answers save it real work.
    if (IDListCount(a) != IDListCount(b)) return false;
    UINT size = IDListSize(a);
    if (size == IDListSize(b) && std::memcmp(a, b, size) == 0) return true;
    ui::TProfileScope profile(ShellCounters.Comparisons);
    // Both are relative to the folder, whatever their kind.
    return HRESULT_CODE(folder->CompareIDs(0, static_cast<PCUIDLIST_RELATIVE>(a),
                                           static_cast<PCUIDLIST_RELATIVE>(b))) == 0;
}

std::wstring DisplayNameOf(IShellFolder* folder, LPCITEMIDLIST item) {
    if (!folder || !item) return {};
    ui::TProfileScope profile(ShellCounters.DisplayNames);
    STRRET str{};
    if (FAILED(folder->GetDisplayNameOf(static_cast<PCUITEMID_CHILD>(item), SHGDN_NORMAL, &str))) return {};
    std::wstring name = StrRetToString(item, str);
    FreeStrRet(str);
    return name;
}

std::wstring FileNameInFolder(IShellFolder* folder, PCUITEMID_CHILD item) {
    if (!folder || !item) return {};
    ui::TProfileScope profile(ShellCounters.ObjectNames);
    // Find data come only for a file-system item; their name, though, is
    // the ANSI one under Wine ("???" for a name outside that code page),
    // so the name is the item's parsing name in its folder.
    WIN32_FIND_DATAW fd{};
    if (FAILED(SHGetDataFromIDListW(folder, item, SHGDFIL_FINDDATA, &fd, sizeof(fd)))) return {};
    STRRET str{};
    if (FAILED(folder->GetDisplayNameOf(item, SHGDN_INFOLDER | SHGDN_FORPARSING, &str))) return {};
    ui::TScopeExit free([&str] { FreeStrRet(str); });
    std::wstring name = StrRetToString(item, str);
    // A name in a folder, never a path or a parsing name such as "::{...}".
    if (name.find_first_of(L"\\/:") != std::wstring::npos) return {};
    return name;
}

TAbsoluteIDList SpecialFolderLocation(int csidl, HWND owner) {
    ui::TProfileScope profile(ShellCounters.SpecialFolders);
    TAbsoluteIDList list;
    if (FAILED(SHGetSpecialFolderLocation(owner, csidl, list.Put())))
        list.Reset();
    return list;
}

TAbsoluteIDList SpecialFolderIDList(TKesShellFolder folder) {
    return SpecialFolderLocation(SpecialFolderCsidl[folder]);
}

std::wstring SpecialFolderPath(TKesShellFolder folder) {
    TAbsoluteIDList list = SpecialFolderIDList(folder);
    return list ? IDListToPath(list.Get()) : std::wstring();
}

namespace {
// A special folder's list, asked from the shell once a run and only when
// first wanted: each question costs the shell a registry walk, and the
// search below would otherwise ask 36 times for every top-level item.
const TAbsoluteIDList& CachedSpecialFolder(TKesShellFolder folder) {
    static std::vector<std::optional<TAbsoluteIDList>> lists(KesShellFolderCount);
    auto& list = lists[static_cast<size_t>(folder)];
    if (!list) {
        list.emplace();
        try {
            *list = SpecialFolderIDList(folder);
        } catch (...) {
            // a failing folder is simply not there
        }
    }
    return *list;
}
}  // namespace

TKesShellFolder FindSpecialFolder(LPCITEMIDLIST list) {
    if (!list) return SF_FILESYSTEMFOLDER;
    for (int f = SF_BITBUCKET; f <= SF_PROGRAM_FILES_COMMON; ++f) {
        const TAbsoluteIDList& special = CachedSpecialFolder(static_cast<TKesShellFolder>(f));
        if (special && SameIDs(DesktopFolder, list, special.Get())) return static_cast<TKesShellFolder>(f);
    }
    return SF_FILESYSTEMFOLDER;
}

std::wstring IDListToPath(LPCITEMIDLIST list) {
    if (!list) return {};
    ui::TProfileScope profile(ShellCounters.Paths);
    try {
        if (IDListCount(list) == 1) {
            // Virtual top-level items (My Computer, the Recycle Bin) get no
            // path; the desktop and My Documents do.
            const TAbsoluteIDList& personal = CachedSpecialFolder(SF_PERSONAL);
            if (!personal || !SameIDs(DesktopFolder, list, personal.Get())) {
                WIN32_FIND_DATAW fd{};
                if (!DesktopFolder ||
                    FAILED(SHGetDataFromIDListW(DesktopFolder, reinterpret_cast<PCUITEMID_CHILD>(list),
                                                SHGDFIL_FINDDATA, &fd, sizeof(fd))))
                    return {};
            }
        }
        wchar_t buffer[MAX_PATH + 1] = {};
        if (SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(list), buffer)) return buffer;
    } catch (...) {
    }
    return {};
}

bool IsNetworkIDList(LPCITEMIDLIST list) {
    const TAbsoluteIDList& network = CachedSpecialFolder(SF_NETWORK);
    if (!network) return false;
    TIDList first = CopyIDListItem(list, 0);
    if (!first) return false;
    // Change reports come in bursts below one top-level item: the last
    // answer is kept, so the shell is asked once a burst, not once a report.
    static std::vector<BYTE> lastFirst;
    static bool lastAnswer = false;
    const auto* bytes = reinterpret_cast<const BYTE*>(first.Get());
    UINT size = IDListSize(first.Get());
    if (lastFirst.size() == size && std::equal(lastFirst.begin(), lastFirst.end(), bytes)) return lastAnswer;
    lastAnswer = SameIDs(DesktopFolder, first.Get(), network.Get());
    lastFirst.assign(bytes, bytes + size);
    return lastAnswer;
}

std::wstring AddTrailingBackslash(const std::wstring& path) {
    if (path.empty() || path.back() == L'\\') return path;
    return path + L'\\';
}

bool IsDriveSpec(const std::wstring& path) {
    return (path.size() == 2 || path.size() == 3) && path[1] == L':';
}

bool FileOrFolderExists(const std::wstring& path) {
    if (IsDriveSpec(path)) return true;
    WIN32_FIND_DATAW fd;
    ui::TFindHandleOwner find(FindFirstFileW(path.c_str(), &fd));
    return static_cast<bool>(find);
}

bool IsDriveReady(const std::wstring& path) {
    TErrorModeScope quiet(SEM_FAILCRITICALERRORS);
    std::wstring root = ExtractFileDrive(path);
    if (root.empty()) root = path;
    root = AddTrailingBackslash(root);
    ULARGE_INTEGER freeBytes, total, totalFree;
    return GetDiskFreeSpaceExW(root.c_str(), &freeBytes, &total, &totalFree) != FALSE;
}

int64_t GetFileSize64(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    ui::TFindHandleOwner find(FindFirstFileW(path.c_str(), &fd));
    if (!find) return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow);
}

HWND GetApplicationWindow() {
    if (!ui::Application) return nullptr;
    if (ui::Application->MainForm()) return ui::Application->MainForm()->Handle();
    return ui::Application->Handle();
}

// ---------------------------------------------------------------------------
// TShellBrowser

TShellBrowser::TShellBrowser(ui::TWinControl* owner) : FOwner(owner) { SetFolder(L""); }

TShellBrowser::~TShellBrowser() = default;

HWND TShellBrowser::GetParentWindow() const {
    if (!ShowErrorMessages) return nullptr;
    if (FOwner && FLoaded && FOwner->HandleAllocated()) return FOwner->Handle();
    return ui::Application ? ui::Application->Handle() : nullptr;
}

const std::wstring& TShellBrowser::Folder() const {
    if (!FFolder) FFolder = FFolderIDList ? AddTrailingBackslash(IDListToPath(FFolderIDList.Get())) : std::wstring();
    return *FFolder;
}

void TShellBrowser::SetFolder(const std::wstring& path) {
    if (!path.empty() && SameText(path, Folder())) return;
    TAbsoluteIDList list;
    if (!path.empty()) {
        list = PathToAbsoluteIDList(path);
    } else {
        list = SpecialFolderLocation(CSIDL_DRIVES, GetParentWindow());
    }
    if (!list) throw EShellBrowserError(L"Cannot Find Folder: " + path);
    SetFolderIDList(list.Get());
}

void TShellBrowser::SetShellFolder(ui::TComPtr<IShellFolder> folder) {
    FShellFolder = std::move(folder);
    FEnumerator.Reset();
}

void TShellBrowser::SetFolderIDList(PCIDLIST_ABSOLUTE list) {
    if (list != FFolderIDList.Get()) FFolderIDList.Reset();
    TAbsoluteIDList keep;  // the caller's list may be our own, which must live on while it is used
    if (list == FFolderIDList.Get()) keep = TAbsoluteIDList(FFolderIDList.Release());
    if (!list) return;
    ui::TComPtr<IShellFolder> folder;
    if (IDListCount(list) == 0) {
        list = EmptyIDList;
        folder = ui::TComPtr<IShellFolder>::Share(DesktopFolder);
    } else {
        ui::TProfileScope profile(ShellCounters.Binds);
        if (!DesktopFolder ||
            FAILED(DesktopFolder->BindToObject(list, nullptr, IID_PPV_ARGS(folder.Put()))) ||
            !folder)
            throw EShellBrowserError(L"ShellBrowser.SetFolderIDList: Desktop.BindToObject: Could not get Folder");
    }
    AdoptFolder(std::move(folder), list);
}

void TShellBrowser::AdoptFolder(ui::TComPtr<IShellFolder> folder, PCIDLIST_ABSOLUTE list) {
    SetShellFolder(std::move(folder));
    FFolderIDList = CopyAbsoluteIDList(list);
    SetObjectIDList(nullptr);
    FFolder.reset();  // asked when wanted
}

bool TShellBrowser::SetSpecialFolder(TKesShellFolder special) {
    TAbsoluteIDList list = SpecialFolderLocation(SpecialFolderCsidl[special], GetParentWindow());
    if (!list) return false;
    try {
        SetFolderIDList(list.Get());
    } catch (...) {
        return false;
    }
    return true;
}

void TShellBrowser::SetObjectIDList(LPCITEMIDLIST list) {
    FAbsoluteObjectIDList.Reset();
    // The list is one item of the current folder.
    if (list != FObjectIDList.Get()) FObjectIDList = AsChildIDList(CopyIDList(list));
    HasSubFoldersCache = -1;
    FAttributes = FAttributesKnown = 0;
}

PCIDLIST_ABSOLUTE TShellBrowser::GetAbsoluteObjectIDList() {
    if (!FAbsoluteObjectIDList) {
        FAbsoluteObjectIDList = FObjectIDList ? CombineIDLists(FFolderIDList.Get(), FObjectIDList.Get())
                                              : CopyAbsoluteIDList(FFolderIDList.Get());
    }
    return FAbsoluteObjectIDList.Get();
}

void TShellBrowser::SetAbsoluteIDList(PCIDLIST_ABSOLUTE list, IShellFolder* boundParent) {
    if (!list) return;
    UINT n = IDListCount(list);
    if (n == 0) {
        SetSpecialFolder(SF_DESKTOP);
        return;
    }
    TAbsoluteIDList parent = CopyParentIDList(list);
    TChildIDList last = CopyLastIDListItem(list);
    UINT size = IDListSize(parent.Get());
    if (FFolderIDList && FShellFolder && IDListSize(FFolderIDList.Get()) == size &&
        std::memcmp(FFolderIDList.Get(), parent.Get(), size) == 0) {
        // Already in that folder: binding it again would only cost time.
        FEnumerator.Reset();
    } else if (boundParent) {
        AdoptFolder(ui::TComPtr<IShellFolder>::Share(boundParent), parent.Get());
    } else {
        SetFolderIDList(parent.Get());
    }
    SetObjectIDList(last.Get());
}

bool TShellBrowser::SelectFolderInParent() {
    TAbsoluteIDList folder = CopyAbsoluteIDList(FFolderIDList.Get());
    SetAbsoluteIDList(folder.Get());
    return true;
}

bool TShellBrowser::EnterObject() {
    if (!IsFolder()) return false;
    TAbsoluteIDList absolute = CopyAbsoluteIDList(GetAbsoluteObjectIDList());
    SetFolderIDList(absolute.Get());
    return static_cast<bool>(FShellFolder);
}

std::wstring TShellBrowser::ObjectName() {
    if (!FFolderIDList || !FObjectIDList) return {};
    // A file-system item's name as the folder spells it: the name of its
    // find data is the ANSI one under Wine.
    std::wstring name = FileNameInFolder(FShellFolder.Get(), FObjectIDList.Get());
    if (!name.empty() || IDListCount(GetAbsoluteObjectIDList()) < 2) return name;
    std::wstring path = IDListToPath(GetAbsoluteObjectIDList());
    if (!path.empty() && ExtractFileDrive(path) == path.substr(0, path.size() - 1)) return path;
    size_t slash = path.find_last_of(L'\\');
    name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (name.empty()) name = GetNetworkName();
    return name;
}

void TShellBrowser::SetObjectName(const std::wstring& value) {
    std::wstring name = value;
    if (name.empty()) {
        SetObjectIDList(nullptr);
        return;
    }
    if (name.size() > 3 && name.back() == L'\\') name.pop_back();
    size_t slash = name.find_last_of(L'\\');
    if (slash == std::wstring::npos) {
        TIDList parsed = PathToIDList(FShellFolder.Get(), name);
        SetObjectIDList(parsed.Get());
        if (FObjectIDList) return;
        while (FindNextObject()) {
            if (SameText(GetDisplayName(), name) || SameText(ObjectName(), name)) {
                FEnumerator.Reset();  // the next enumeration starts at the first child
                return;
            }
        }
        throw EShellBrowserError(L"Error! Cannot find Object \"" + name + L"\" in Folder \"" + Folder() + L"\"");
    }
    if (name.size() < 4) {
        SetFolder(name);
        SelectFolderInParent();
        return;
    }
    SetFolder(name.substr(0, slash + 1));
    SetObjectName(name.substr(slash + 1));
}

std::wstring TShellBrowser::GetDisplayName() {
    if (!FObjectIDList || !FShellFolder) return {};
    std::wstring name = DisplayNameOf(FShellFolder.Get(), FObjectIDList.Get());
    if (name.empty()) name = ObjectName();
    return name;
}

std::wstring TShellBrowser::GetNetworkName() {
    return ::GetNetworkName(FShellFolder.Get(), FObjectIDList.Get());
}

namespace {
// Bits the shell reads from the item itself; asked together, once per
// object, since each question may cost the shell a look at the disk.
// (Whether a folder has sub-folders can mean reading it, so it is asked
// only when wanted.)
constexpr ULONG kCheapAttributes = SFGAO_FOLDER | SFGAO_HIDDEN | SFGAO_GHOSTED | SFGAO_COMPRESSED |
                                   SFGAO_ENCRYPTED | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR |
                                   SFGAO_CANRENAME | SFGAO_LINK | SFGAO_READONLY;
}  // namespace

ULONG TShellBrowser::GetAttributes(ULONG mask) {
    if (!FObjectIDList || !FShellFolder) return 0;
    if ((mask & ~FAttributesKnown) != 0) {
        ui::TProfileScope profile(ShellCounters.Attributes);
        ULONG ask = (mask & ~FAttributesKnown) | (kCheapAttributes & ~FAttributesKnown);
        SFGAOF bits = ask;
        PCUITEMID_CHILD items[1] = {FObjectIDList.Get()};
        if (FAILED(FShellFolder->GetAttributesOf(1, items, &bits)))
            return 0;
        FAttributes = (FAttributes & ~ask) | (bits & ask);
        FAttributesKnown |= ask;
    }
    return FAttributes & mask;
}

bool TShellBrowser::IsFolder() {
    if (!FObjectIDList) return false;
    if (!FileSystemOnly) return (GetAttributes(SFGAO_FOLDER) & SFGAO_FOLDER) != 0;
    ULONG bits = GetAttributes(SFGAO_FOLDER | SFGAO_FILESYSANCESTOR);
    return (bits & SFGAO_FOLDER) && (IsOldShell || (bits & SFGAO_FILESYSANCESTOR));
}

bool TShellBrowser::HasSubFolders() {
    if (!FObjectIDList) return true;
    if (HasSubFoldersCache >= 0) return HasSubFoldersCache == 1;
    std::wstring name = ObjectName();
    size_t dot = name.find_last_of(L'.');
    std::wstring ext = dot == std::wstring::npos ? L"" : name.substr(dot);
    for (auto& c : ext) c = static_cast<wchar_t>(std::towupper(c));
    if (ext == L".ZIP" && !IsOldShell) {
        // Compressed folders are slow to open: the shell is not asked.
        HasSubFoldersCache = FileSystemOnly ? 0 : 1;
    } else if (FileSystemOnly) {
        HasSubFoldersCache = (GetAttributes(0xD0000000) & SFGAO_HASSUBFOLDER) ? 1 : 0;
    } else {
        HasSubFoldersCache = (GetAttributes(SFGAO_HASSUBFOLDER) & SFGAO_HASSUBFOLDER) ? 1 : 0;
    }
    return HasSubFoldersCache == 1;
}

bool TShellBrowser::IsHidden() { return (GetAttributes(SFGAO_HIDDEN) & SFGAO_HIDDEN) != 0; }

bool TShellBrowser::CanRename() {
    if (!FObjectIDList || !FShellFolder) return false;
    SFGAOF bits = SFGAO_CANRENAME;
    PCUITEMID_CHILD items[1] = {FObjectIDList.Get()};
    return SUCCEEDED(FShellFolder->GetAttributesOf(1, items, &bits)) &&
           (bits & SFGAO_CANRENAME);
}

int TShellBrowser::IconIndex(LPCITEMIDLIST absolute, UINT extraFlags) {
    SHFILEINFOW info{};
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute), 0, &info, sizeof(info),
                   SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extraFlags);
    return info.iIcon;
}

int TShellBrowser::GetIconIndex() { return IconIndex(GetAbsoluteObjectIDList(), 0); }
int TShellBrowser::GetOpenIconIndex() { return IconIndex(GetAbsoluteObjectIDList(), SHGFI_OPENICON); }
int TShellBrowser::GetDesktopIconIndex() { return IconIndex(EmptyIDList, 0); }

std::wstring TShellBrowser::GetDesktopDisplayName() {
    SHFILEINFOW info{};
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(EmptyIDList), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_DISPLAYNAME);
    return info.szDisplayName;
}

TKesShellFolder TShellBrowser::GetFolderSpecialFolder() { return FindSpecialFolder(FFolderIDList.Get()); }
TKesShellFolder TShellBrowser::GetObjectSpecialFolder() { return FindSpecialFolder(GetAbsoluteObjectIDList()); }

bool TShellBrowser::FindNextObject() {
    if (!FEnumerator) {
        if (!FShellFolder) return false;
        TErrorModeScope mode(ShowErrorMessages ? 0 : SEM_FAILCRITICALERRORS);
        if (FAILED(FShellFolder->EnumObjects(GetParentWindow(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS |
                                                                    SHCONTF_INCLUDEHIDDEN,
                                             FEnumerator.Put())) ||
            !FEnumerator) {
            FEnumerator.Reset();
            return false;
        }
    }
    try {
        for (;;) {
            TChildIDList item;
            ULONG fetched = 0;
            HRESULT next;
            {
                ui::TProfileScope profile(ShellCounters.Enumerated);
                next = FEnumerator->Next(1, item.Put(), &fetched);
            }
            if (next != S_OK) {
                FEnumerator.Reset();
                return false;
            }
            SetObjectIDList(item.Get());
            if (FileSystemOnly && GetAttributes(SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR) == 0) {
                std::wstring name = ObjectName().substr(0, 7);
                for (auto& c : name) c = static_cast<wchar_t>(std::towupper(c));
                TKesShellFolder objectFolder = GetObjectSpecialFolder();
                if (name != L"RECYCLE" && objectFolder != SF_DRIVES && objectFolder != SF_NETWORK &&
                    GetFolderSpecialFolder() != SF_NETWORK)
                    continue;
            }
            if (MatchesFilter()) return true;
        }
    } catch (...) {
        // One more item is taken as it comes; a second failure ends the enumeration.
        try {
            TChildIDList item;
            ULONG fetched = 0;
            if (FEnumerator && FEnumerator->Next(1, item.Put(), &fetched) == S_OK) {
                SetObjectIDList(item.Get());
                return true;
            }
        } catch (...) {
        }
        FEnumerator.Reset();
        return false;
    }
}

bool TShellBrowser::MatchesFilter() {
    // "*" takes every name: no need to ask for the name or the folder bit.
    if (std::find(FFilters.begin(), FFilters.end(), L"*") != FFilters.end()) return true;
    if (IsFolder()) return true;
    std::wstring name = ObjectName();
    for (const auto& mask : FFilters)
        if (MatchesMask(name, mask)) return true;
    return false;
}

std::wstring TShellBrowser::Filter() const {
    std::wstring text;
    for (size_t i = 0; i < FFilters.size(); ++i) {
        if (i) text += L';';
        text += FFilters[i];
    }
    return text;
}

void TShellBrowser::SetFilter(const std::wstring& filter) {
    FFilters.clear();
    std::wstring text = filter.empty() ? L"*;" : filter;
    if (text.back() != L';') text += L';';
    size_t start = 0;
    for (size_t semi = text.find(L';'); semi != std::wstring::npos; semi = text.find(L';', start)) {
        FFilters.push_back(text.substr(start, semi - start));
        start = semi + 1;
    }
}

// ---------------------------------------------------------------------------
// TPidlHistory

void TPidlHistory::Add(TIDList list) {
    if (!list) return;
    for (int i = Count() - 1; i > ItemIndex; --i) DeleteEntry(i);
    FItems.push_back(std::move(list));
    ItemIndex = Count() - 1;
}

void TPidlHistory::DeleteEntry(int index) {
    if (index < 0 || index >= Count()) return;
    FItems.erase(FItems.begin() + index);
}

void TPidlHistory::Forward(int count) {
    ItemIndex = std::min(ItemIndex + count, std::max(Count() - 1, 0));
}

void TPidlHistory::Back(int count) { ItemIndex = std::max(ItemIndex - count, 0); }
