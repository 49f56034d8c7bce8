#include "shell/ShellClipboard.h"

#include <shellapi.h>
#include <shlobj.h>

#include "shell/ShellBrowser.h"
#include "shell/Shell_Win32.h"

namespace {

UINT PreferredDropEffectFormat() {
    static const UINT format = RegisterClipboardFormatW(L"Preferred DropEffect");
    return format;
}

std::wstring ParentOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring WithoutTrailingBackslash(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

}  // namespace

std::unique_ptr<std::vector<std::wstring>> ClipboardFileNames() {
    ui::TClipboardScope clipboard;
    if (!clipboard.IsOpen()) return nullptr;
    HANDLE drop = GetClipboardData(CF_HDROP);
    return drop ? FileNamesFromDrop(static_cast<HDROP>(drop)) : nullptr;
}

bool ClipboardPrefersMove() {
    ui::TClipboardScope clipboard;
    if (!clipboard.IsOpen()) return false;
    HANDLE data = GetClipboardData(PreferredDropEffectFormat());
    if (!data || GlobalSize(data) < sizeof(DWORD)) return false;
    ui::TGlobalLock<const DWORD> effect(data);
    return effect && (*effect.Get() & DROPEFFECT_MOVE) != 0;
}

void MarkClipboardCut() {
    ui::TClipboardScope clipboard;
    if (!clipboard.IsOpen() || !IsClipboardFormatAvailable(CF_HDROP) ||
        IsClipboardFormatAvailable(PreferredDropEffectFormat()))
        return;
    ui::TGlobalOwner data(GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD)));
    if (!data) return;
    {
        ui::TGlobalLock<DWORD> effect(data.Get());
        if (!effect) return;
        *effect.Get() = DROPEFFECT_MOVE;
    }
    // Added to what the shell put there; the clipboard owns it from now on.
    if (SetClipboardData(PreferredDropEffectFormat(), data.Get())) data.Release();
}

bool PasteClipboardFiles(HWND owner, const std::wstring& folder) {
    auto files = ClipboardFileNames();
    if (!files || files->empty() || folder.empty()) return false;
    const bool move = ClipboardPrefersMove();
    const std::wstring target = WithoutTrailingBackslash(folder);
    std::wstring from;
    bool intoOwnFolder = false;
    for (const std::wstring& file : *files) {
        bool sameFolder = SameText(ParentOf(file), target);
        if (move && sameFolder) continue;  // already where it is to go
        intoOwnFolder = intoOwnFolder || sameFolder;
        from += file;
        from.push_back(L'\0');
    }
    if (from.empty()) return true;
    from.push_back(L'\0');
    std::wstring to = target;
    to.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.hwnd = owner;
    op.wFunc = move ? FO_MOVE : FO_COPY;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    // A copy into the files' own folder gets new names, as a folder window
    // gives it; any other name that exists is asked about.
    op.fFlags = FOF_ALLOWUNDO | (intoOwnFolder ? FOF_RENAMEONCOLLISION : 0);
    if (SHFileOperationW(&op) != 0 || op.fAnyOperationsAborted) return false;
    if (move) {
        // The cut files are gone from where the clipboard says they are.
        ui::TClipboardScope clipboard(owner);
        if (clipboard.IsOpen()) EmptyClipboard();
    }
    return true;
}
