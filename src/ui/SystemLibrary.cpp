#include "ui/SystemLibrary.h"

#include <string>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace ui {

bool RestrictLibrarySearch() noexcept {
    // Looked up, not imported: Windows 7 has it only with an update, and
    // a missing import would keep the program from starting at all.
    using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
    auto setDefault =
        ProcAddress<TSetDefaultDllDirectories>(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
    SetDllDirectoryW(L"");
    return false;
}

TSystemLibrary::TSystemLibrary(const wchar_t* name) {
    // By its full path, not by name: a name would also match a library of
    // that name that is already loaded, wherever it came from (on Wine,
    // user32 loads version.dll before the program runs a line).
    wchar_t folder[MAX_PATH]{};
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    const std::wstring path = std::wstring(folder, n) + L"\\" + name;
    // What it imports comes from the system folder too. A system that does
    // not know the flag refuses it; the older flag does the same there.
    FModule.Reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!FModule) FModule.Reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

TVersionApi::TVersionApi()
    : Library(L"version.dll"),
      GetFileVersionInfoSizeW(Library.Proc<decltype(GetFileVersionInfoSizeW)>("GetFileVersionInfoSizeW")),
      GetFileVersionInfoW(Library.Proc<decltype(GetFileVersionInfoW)>("GetFileVersionInfoW")),
      VerQueryValueW(Library.Proc<decltype(VerQueryValueW)>("VerQueryValueW")) {}

TThemeApi::TThemeApi()
    : Library(L"uxtheme.dll"),
      IsThemeActive(Library.Proc<decltype(IsThemeActive)>("IsThemeActive")),
      OpenThemeData(Library.Proc<decltype(OpenThemeData)>("OpenThemeData")),
      DrawThemeBackground(Library.Proc<decltype(DrawThemeBackground)>("DrawThemeBackground")),
      CloseThemeData(Library.Proc<decltype(CloseThemeData)>("CloseThemeData")) {}

}  // namespace ui
