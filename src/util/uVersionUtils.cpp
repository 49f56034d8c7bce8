#include "util/uVersionUtils.h"

#include <windows.h>

#include <vector>

#include "ui/SystemLibrary.h"

std::wstring GetFileVersionString(const std::wstring& path) {
    // Without the system's version.dll there is no version to show.
    const ui::TVersionApi api;
    if (!api.Complete()) return {};
    DWORD ignored = 0;
    DWORD size = api.GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<BYTE> buffer(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!api.GetFileVersionInfoW(path.c_str(), 0, size, buffer.data()) ||
        !api.VerQueryValueW(buffer.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return {};
    return std::to_wstring(HIWORD(info->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(info->dwFileVersionMS)) +
           L"." + std::to_wstring(HIWORD(info->dwFileVersionLS)) + L"." +
           std::to_wstring(LOWORD(info->dwFileVersionLS));
}
