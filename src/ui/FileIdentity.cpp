#include "ui/FileIdentity.h"

#include "ui/Handles.h"

namespace ui {

bool FileIdentityOf(const std::wstring& path, TFileIdentity& id) {
    // No access asked for: attributes are enough, and nothing is locked.
    THandleOwner handle(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle || !GetFileInformationByHandle(handle.Get(), &info)) return false;
    id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

bool IsRemotePath(const std::wstring& path) {
    // "\\?\C:\..." is a local path in its long form; "\\?\UNC\..." a share.
    if (path.rfind(L"\\\\?\\", 0) == 0 && path.size() >= 6 && path[5] == L':') return IsRemotePath(path.substr(4));
    if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') return true;
    if (path.size() < 2 || path[1] != L':') return false;
    const std::wstring drive = path.substr(0, 2) + L"\\";
    return GetDriveTypeW(drive.c_str()) == DRIVE_REMOTE;
}

}  // namespace ui
