#include "core/ViewerText.h"

#include <cstdio>

std::wstring ConvertViewerText(const std::wstring& text, int kind) {
    if (text.empty()) return text;
    std::wstring out;
    if (kind == vkCommaString) {
        out.reserve(text.size() + text.size() / 8);
        for (wchar_t c : text) {
            if (c == L',')
                out += L"\r\n";
            else
                out.push_back(c);
        }
        return out;
    }
    if (kind == vkXml) {
        out.reserve(text.size());
        for (wchar_t c : text)
            if (c != L'|') out.push_back(c);
        return out;
    }
    return text;
}

std::wstring ToCrLfLines(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size() + 2);
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        wchar_t c = text[i];
        if (c == L'\r') {
            if (i + 1 < n && text[i + 1] == L'\n') ++i;
            out += L"\r\n";
        } else if (c == L'\n') {
            out += L"\r\n";
        } else {
            out.push_back(c);
        }
    }
    // The last line gets its line break too, unless the text ended with one.
    if (n > 0 && text[n - 1] != L'\r' && text[n - 1] != L'\n') out += L"\r\n";
    return out;
}

std::wstring ViewerTempName(int kind, bool timestamped, const TLogTime& t) {
    const wchar_t* extension = kind == vkXml ? L".xml" : L".txt";
    if (!timestamped) return std::wstring(L"tavrix-temp") + extension;
    wchar_t stamp[40];
    std::swprintf(stamp, 40, L"%04d-%02d-%02d_%02d-%02d-%02d.%03d", t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second,
                  t.Millisecond);
    return std::wstring(L"tavrix-temp_") + stamp + extension;
}
