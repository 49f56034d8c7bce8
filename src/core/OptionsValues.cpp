#include "core/OptionsValues.h"

const wchar_t* const WorkingFolderName = L"quorb";

bool ParseIniInteger(const std::wstring& text, int32_t& value) {
    size_t i = 0, end = text.size();
    while (i < end && (text[i] == L' ' || text[i] == L'\t')) ++i;
    while (end > i && (text[end - 1] == L' ' || text[end - 1] == L'\t')) --end;
    if (i == end) return false;
    bool negative = false;
    if (text[i] == L'+' || text[i] == L'-') {
        negative = text[i] == L'-';
        ++i;
    }
    int base = 10;
    if (i < end && text[i] == L'$') {
        base = 16;
        ++i;
    } else if (i + 1 < end && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    if (i == end) return false;
    int64_t magnitude = 0;
    for (; i < end; ++i) {
        wchar_t c = text[i];
        int digit;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (base == 16 && c >= L'a' && c <= L'f')
            digit = c - L'a' + 10;
        else if (base == 16 && c >= L'A' && c <= L'F')
            digit = c - L'A' + 10;
        else
            return false;
        magnitude = magnitude * base + digit;
        // Hexadecimal may spell the full 32-bit pattern, as in $FFFFFFFF.
        if (magnitude > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL)) return false;
    }
    if (base == 10) {
        if (!negative && magnitude > 0x7FFFFFFFLL) return false;
        value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    } else {
        auto bits = static_cast<uint32_t>(magnitude);
        value = static_cast<int32_t>(negative ? (0u - bits) : bits);
    }
    return true;
}

std::wstring ComposeWorkingFolder(const std::wstring& base) {
    std::wstring path = base;
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path + WorkingFolderName;
}

bool IsAbsoluteFolderPath(const std::wstring& path) {
    auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    size_t rest = 0;
    if (path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
        path[1] == L':' && separator(path[2])) {
        rest = 3;
    } else if (path.size() >= 5 && separator(path[0]) && separator(path[1])) {
        // A server and a share, each named; "\\?\" and "\\.\" are devices.
        const size_t server = 2;
        size_t end = server;
        while (end < path.size() && !separator(path[end])) ++end;
        const std::wstring name = path.substr(server, end - server);
        if (name.empty() || name == L"?" || name == L"." || end + 1 >= path.size()) return false;
        size_t share = end + 1;
        if (separator(path[share])) return false;
        rest = share;
    } else {
        return false;
    }
    for (size_t i = rest; i < path.size(); ++i) {
        const wchar_t c = path[i];
        if (c < 32 || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' || c == L'*' || c == L':')
            return false;
    }
    return true;
}
