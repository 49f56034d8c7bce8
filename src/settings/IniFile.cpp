#include "settings/IniFile.h"

#include <windows.h>

#include "settings/OptionsValues.h"
#include "ui/Exceptions.h"
#include "ui/Handles.h"

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

bool WriteAll(const std::wstring& path, const std::string& bytes) {
    ui::THandleOwner file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        return false;
    return CloseHandle(file.Release()) != FALSE;
}

bool FitsAnsi(const std::wstring& text) {
    if (text.empty()) return true;
    BOOL lost = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                        &lost);
    return !lost;
}

// The profile functions write Unicode into a file that starts with the
// UTF-16 mark: a new file starts so; an ANSI one is converted only when a
// value needs characters its code page lacks, and is read as before
// otherwise.
void PrepareForValue(const std::wstring& path, const std::wstring& value) {
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        WriteAll(path, std::string(kUtf16Mark, 2));
        return;
    }
    // Either encoding holds such a value: the file is not read at all.
    if (FitsAnsi(value)) return;
    std::string bytes;
    if (!ReadAll(path, bytes)) return;
    if (bytes.size() >= 2 && bytes.compare(0, 2, kUtf16Mark, 2) == 0) return;
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    std::string converted(kUtf16Mark, 2);
    converted.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    WriteAll(path, converted);
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
