// Libraries the program loads at run time from the system folder only. Its
// import table names none of them, and a file of the same name beside the
// program (where Windows would look first) is never picked up.
#pragma once

#include <windows.h>
#include <uxtheme.h>
#include <winver.h>

#include "ui/Handles.h"

#include <type_traits>

namespace ui {

// A function of a loaded module as its own type; null when the module or
// the function is missing.
template <typename F>
F ProcAddress(HMODULE module, const char* name) noexcept {
    static_assert(std::is_pointer_v<F> && std::is_function_v<std::remove_pointer_t<F>>);
    return module ? reinterpret_cast<F>(GetProcAddress(module, name)) : nullptr;
}

// Makes the system folder the only one searched when the process, or a
// library in it, loads a library by name. Call it first thing: what is
// loaded before stays. False where the system cannot (Windows 7 without
// its loader update); the current folder is then left out at least.
bool RestrictLibrarySearch() noexcept;

// One library of the system folder, loaded by its full path and held while
// the object lives.
class TSystemLibrary {
public:
    explicit TSystemLibrary(const wchar_t* name);

    explicit operator bool() const noexcept { return static_cast<bool>(FModule); }
    HMODULE Handle() const noexcept { return FModule.Get(); }
    // The function as its own type; null when the library or it is missing.
    template <typename F>
    F Proc(const char* name) const noexcept {
        return ProcAddress<F>(FModule.Get(), name);
    }

private:
    TModuleOwner FModule;
};

// The version-resource readers of version.dll.
struct TVersionApi {
    TVersionApi();
    bool Complete() const noexcept { return GetFileVersionInfoSizeW && GetFileVersionInfoW && VerQueryValueW; }
    TSystemLibrary Library;
    decltype(&::GetFileVersionInfoSizeW) GetFileVersionInfoSizeW;
    decltype(&::GetFileVersionInfoW) GetFileVersionInfoW;
    decltype(&::VerQueryValueW) VerQueryValueW;
};

// The visual-style drawing of uxtheme.dll. A theme handle must be closed
// before the object goes.
struct TThemeApi {
    TThemeApi();
    bool Complete() const noexcept { return IsThemeActive && OpenThemeData && DrawThemeBackground && CloseThemeData; }
    TSystemLibrary Library;
    decltype(&::IsThemeActive) IsThemeActive;
    decltype(&::OpenThemeData) OpenThemeData;
    decltype(&::DrawThemeBackground) DrawThemeBackground;
    decltype(&::CloseThemeData) CloseThemeData;
};

}  // namespace ui
