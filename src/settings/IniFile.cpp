#include "settings/IniFile.h"

#include <windows.h>

#include "settings/OptionsValues.h"
#include "ui/Exceptions.h"

namespace {
constexpr DWORD kValueBufferSize = 2048;
}

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
    if (!WritePrivateProfileStringW(section, key, value.c_str(), FFileName.c_str()))
        throw ui::Exception(L"Unable to write to " + FFileName);
}

void TIniFile::WriteInteger(const wchar_t* section, const wchar_t* key, int32_t value) {
    WriteString(section, key, std::to_wstring(value));
}

void TIniFile::WriteBool(const wchar_t* section, const wchar_t* key, bool value) {
    WriteString(section, key, value ? L"1" : L"0");
}
