#include "settings/IniFile.h"

#include <windows.h>

#include "core/OptionsValues.h"
#include "shell/Shell_Win32.h"
#include "core/Exceptions.h"
#include "ui/Handles.h"
#include "ui/ScopeExit.h"

namespace {
constexpr DWORD kValueBufferSize = 2048;
const char kUtf16Mark[] = "\xFF\xFE";

// The whole file, or nothing when it cannot be read.
bool ReadAll(const std::wstring& path, std::string& bytes) {
    ui::THandleOwner file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart >= (1 << 24)) return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() ||
           (ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size());
}

[[noreturn]] void ThrowWriteError(const std::wstring& path, const std::wstring& reason) {
    throw ui::Exception(L"Unable to write to " + path + (reason.empty() ? L"" : L" (" + reason + L")"));
}

[[noreturn]] void ThrowWriteError(const std::wstring& path, DWORD code) { ThrowWriteError(path, SysErrorText(code)); }

// Whether the file is there, before a write to it. Only "not found" means
// no file: one whose attributes cannot be read (access denied, a network
// error) must never be taken for a missing one and written over. A
// read-only file is refused, as Windows refuses it; Wine lets root write
// it.
bool IniExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_READONLY) ThrowWriteError(path, ERROR_ACCESS_DENIED);
        return true;
    }
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return false;
    ThrowWriteError(path, code);
}

// Puts the bytes in the file's place in one step: they go to a new file
// beside it, on the disk, which then takes its name. A full disk or a
// crash leaves the old file as it was; so does any failure, which raises.
// Without replaceExisting, a file that appeared meanwhile is kept. Errors
// name the file as shown.
void ReplaceWith(const std::wstring& path, const std::string& bytes, bool replaceExisting, const std::wstring& shown) {
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"." : path.substr(0, slash + 1);
    wchar_t temp[MAX_PATH + 1] = {};
    if (!GetTempFileNameW(folder.c_str(), L"tav", 0, temp)) ThrowWriteError(shown, GetLastError());
    bool placed = false;
    ui::TScopeExit removeTemp([&] {
        if (!placed) DeleteFileW(temp);
    });
    {
        ui::THandleOwner file(
            CreateFileW(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file || !WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size() || !FlushFileBuffers(file.Get()) || !CloseHandle(file.Release()))
            ThrowWriteError(shown, GetLastError());
    }
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExW(temp, path.c_str(), flags)) {
        placed = true;
        return;
    }
    const DWORD code = GetLastError();
    if (!replaceExisting && (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS)) return;
    ThrowWriteError(shown, code);
}

bool FitsAnsi(const std::wstring& text) {
    if (text.empty()) return true;
    BOOL lost = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                        &lost);
    return !lost;
}

// Converts an existing file in its place. A read-only one is refused, as a
// write to it would be. A link is followed, so the file it names is the one
// converted; a file with other names (a hard link) is written in place,
// after a copy of it is put beside it, which goes once the write is done.
void ConvertExisting(const std::wstring& path, const std::string& bytes) {
    ui::THandleOwner file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.Get(), &info)) ThrowWriteError(path, GetLastError());
    if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ThrowWriteError(path, ERROR_ACCESS_DENIED);
    std::wstring target(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(file.Get(), target.data(), static_cast<DWORD>(target.size()), 0);
    if (n >= target.size()) {
        target.resize(n);
        n = GetFinalPathNameByHandleW(file.Get(), target.data(), static_cast<DWORD>(target.size()), 0);
    }
    target = n > 0 && n < target.size() ? target.substr(0, n) : path;
    file.Reset();
    if (info.nNumberOfLinks <= 1) {
        ReplaceWith(target, bytes, true, path);
        return;
    }
    const size_t slash = target.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"." : target.substr(0, slash + 1);
    wchar_t backup[MAX_PATH + 1] = {};
    if (!GetTempFileNameW(folder.c_str(), L"tav", 0, backup) || !CopyFileW(target.c_str(), backup, FALSE)) {
        const DWORD code = GetLastError();
        if (*backup) DeleteFileW(backup);
        ThrowWriteError(path, code);
    }
    ui::THandleOwner same(
        CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!same || !WriteFile(same.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !FlushFileBuffers(same.Get())) {
        const DWORD code = GetLastError();
        same.Reset();
        // The copy puts back what a half write spoilt.
        if (CopyFileW(backup, target.c_str(), FALSE)) DeleteFileW(backup);
        ThrowWriteError(path, code);
    }
    same.Reset();
    DeleteFileW(backup);
}

// The file's text as the profile functions read it: UTF-16 by either
// mark, UTF-8 by its mark, the ANSI code page otherwise. False for bytes
// that cannot be such text, so that no guess is written over them:
// UTF-16 that ends in half a character, or "ANSI" text with a zero byte
// (UTF-16 without a mark, which some readers know by its look).
bool DecodeProfileText(const std::string& bytes, std::wstring& text) {
    const auto startsWith = [&](const char* mark, size_t n) { return bytes.size() >= n && bytes.compare(0, n, mark, n) == 0; };
    if (startsWith("\xFF\xFE", 2) || startsWith("\xFE\xFF", 2)) {
        if (bytes.size() % 2) return false;
        const bool bigEndian = bytes[0] == '\xFE';
        text.resize(bytes.size() / 2 - 1);
        for (size_t i = 0; i < text.size(); ++i) {
            const auto first = static_cast<unsigned char>(bytes[2 + 2 * i]);
            const auto second = static_cast<unsigned char>(bytes[3 + 2 * i]);
            text[i] = static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
        }
        return true;
    }
    // The UTF-8 mark is no part of the first section's name.
    const bool utf8 = startsWith("\xEF\xBB\xBF", 3);
    const size_t from = utf8 ? 3 : 0;
    if (!utf8 && bytes.find('\0') != std::string::npos) return false;
    const int size = static_cast<int>(bytes.size() - from);
    const UINT codePage = utf8 ? CP_UTF8 : CP_ACP;
    // A byte that is no character of the encoding is refused, never
    // written back as a replacement: in UTF-8, and in a code page of
    // double-byte characters (a broken pair). A single-byte page reads
    // every byte as the profile functions do.
    CPINFO info{};
    const bool strict = utf8 || (GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1);
    const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
    const int n = size ? MultiByteToWideChar(codePage, flags, bytes.data() + from, size, nullptr, 0) : 0;
    if (size && n == 0) return false;
    text.assign(static_cast<size_t>(n), L'\0');
    return n == 0 || MultiByteToWideChar(codePage, flags, bytes.data() + from, size, text.data(), n) == n;
}

// The profile functions write Unicode into a file that starts with the
// UTF-16 mark: a new file starts so; any other file is converted to it,
// keeping what it reads as, only when a value needs characters the ANSI
// code page lacks, and is read as before otherwise. Little-endian is the
// one form every version of the profile functions reads and writes, so a
// big-endian file is turned round too.
void PrepareForValue(const std::wstring& path, const std::wstring& value) {
    if (!IniExists(path)) {
        ReplaceWith(path, std::string(kUtf16Mark, 2), false, path);
        return;
    }
    // Either encoding holds such a value: the file is not read at all.
    if (FitsAnsi(value)) return;
    std::string bytes;
    // Written as it is, the value would lose its characters.
    if (!ReadAll(path, bytes)) ThrowWriteError(path, GetLastError());
    if (bytes.size() >= 2 && bytes.compare(0, 2, kUtf16Mark, 2) == 0) return;
    std::wstring text;
    if (!DecodeProfileText(bytes, text))
        ThrowWriteError(path, L"its text is damaged or in an unknown encoding; the file was left as it was");
    std::string converted(kUtf16Mark, 2);
    converted.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    ConvertExisting(path, converted);
}
}  // namespace

std::wstring TIniFile::ReadString(const wchar_t* section, const wchar_t* key,
                                  const std::wstring& def) const {
    wchar_t buf[kValueBufferSize] = {};
    DWORD n = GetPrivateProfileStringW(section, key, def.c_str(), buf, kValueBufferSize,
                                       FFileName.c_str());
    return std::wstring(buf, n);
}

int32_t TIniFile::ReadInteger(const wchar_t* section, const wchar_t* key, int32_t def) const {
    int32_t value = 0;
    return ParseIniInteger(ReadString(section, key, L""), value) ? value : def;
}

bool TIniFile::ReadBool(const wchar_t* section, const wchar_t* key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
    PrepareForValue(FFileName, value);
    if (!WritePrivateProfileStringW(section, key, value.c_str(), FFileName.c_str()))
        throw ui::Exception(L"Unable to write to " + FFileName);
}

void TIniFile::WriteInteger(const wchar_t* section, const wchar_t* key, int32_t value) {
    WriteString(section, key, std::to_wstring(value));
}

void TIniFile::WriteBool(const wchar_t* section, const wchar_t* key, bool value) {
    WriteString(section, key, value ? L"1" : L"0");
}

void TIniFile::EraseSection(const wchar_t* section) {
    if (!IniExists(FFileName)) return;
    if (!WritePrivateProfileStringW(section, nullptr, nullptr, FFileName.c_str()))
        throw ui::Exception(L"Unable to write to " + FFileName);
}
