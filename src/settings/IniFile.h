// One INI file, read and written through the private-profile functions:
// nothing is cached, every write is in the file when the call returns.
#pragma once

#include <cstdint>
#include <string>

class TIniFile {
public:
    explicit TIniFile(std::wstring fileName) : FFileName(std::move(fileName)) {}

    const std::wstring& FileName() const noexcept { return FFileName; }

    // At most 2047 characters of a value come back.
    std::wstring ReadString(const wchar_t* section, const wchar_t* key, const std::wstring& def) const;
    int32_t ReadInteger(const wchar_t* section, const wchar_t* key, int32_t def) const;
    bool ReadBool(const wchar_t* section, const wchar_t* key, bool def) const;

    // Each raises "Unable to write to <file>" when the system refuses.
    void WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value);
    void WriteInteger(const wchar_t* section, const wchar_t* key, int32_t value);
    void WriteBool(const wchar_t* section, const wchar_t* key, bool value);
    // Removes the section with its keys; a missing file stays missing.
    void EraseSection(const wchar_t* section);

private:
    std::wstring FFileName;
};
