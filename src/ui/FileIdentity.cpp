#include "ui/FileIdentity.h"

#include "core/PathText.h"
#include "ui/Handles.h"

namespace ui {

namespace {

// The final path of what the path opens with the flags; empty when it
// cannot be had.
std::wstring FinalPathOpened(const std::wstring& path, DWORD flags) {
    THandleOwner handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
    if (!handle) return {};
    std::wstring final(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(handle.Get(), final.data(), static_cast<DWORD>(final.size()), 0);
    if (n >= final.size()) {
        final.resize(n);
        n = GetFinalPathNameByHandleW(handle.Get(), final.data(), static_cast<DWORD>(final.size()), 0);
    }
    if (n == 0 || n >= final.size()) return {};
    final.resize(n);
    return final;
}

// A reparse point that stands for another file or folder; Wine gives its
// links the attribute and no tag.
bool LinkAttributes(DWORD attributes, DWORD tag) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && (tag == 0 || IsReparseTagNameSurrogate(tag));
}

}  // namespace

std::wstring FinalPathOf(const std::wstring& path) { return FinalPathOpened(path, 0); }

bool IsListedLink(const std::wstring& folder, const std::wstring& folderFinal, const WIN32_FIND_DATAW& data) {
    if (LinkAttributes(data.dwFileAttributes, data.dwReserved0)) return true;
    // Where the attributes say nothing (a file link under Wine), the entry
    // opened as itself must be where the folder holds it. On Windows the
    // flag opens a link itself, which the attributes have named already.
    // A file system that gives no final paths leaves the attributes alone
    // to decide.
    if (folderFinal.empty()) return false;
    const std::wstring own = FinalPathOpened(Join(folder, data.cFileName), FILE_FLAG_OPEN_REPARSE_POINT);
    // What cannot be opened to be asked is taken as it is listed: a link
    // is known by its attributes where they say so.
    if (own.empty()) return false;
    const std::wstring expected = Join(folderFinal, data.cFileName);
    return CompareStringOrdinal(own.c_str(), static_cast<int>(own.size()), expected.c_str(),
                                static_cast<int>(expected.size()), TRUE) != CSTR_EQUAL;
}

bool IsLinkPath(const std::wstring& path) {
    std::wstring p = path;
    while (p.size() > 1 && (p.back() == L'\\' || p.back() == L'/')) p.pop_back();
    const size_t slash = p.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash + 1 >= p.size() || p.find_first_of(L"*?") != std::wstring::npos)
        return false;
    WIN32_FIND_DATAW data{};
    if (!TFindHandleOwner(FindFirstFileW(p.c_str(), &data))) return false;
    // "C:\x" lies in "C:\", whose final path ends in its separator.
    const std::wstring folder = slash == 2 && p[1] == L':' ? p.substr(0, 3) : p.substr(0, slash);
    return IsListedLink(folder, FinalPathOf(folder), data);
}

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
