#include "core/LogFormat.h"

#include <cwctype>

const wchar_t* const LogLevelNames[7] = {L"Start", L"End", L"Done", L"Info",
                                         L"Warning", L"Error", L"Exception"};

namespace {
bool SameText(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return i == a.size() && b[i] == 0;
}

void AppendNumber(std::wstring& out, int value, int digits) {
    std::wstring s = std::to_wstring(value);
    if (s.size() < static_cast<size_t>(digits)) out.append(static_cast<size_t>(digits) - s.size(), L'0');
    out += s;
}

int64_t Abs(int64_t v) { return v < 0 ? -v : v; }
}  // namespace

TLogLevel ParseLogLevel(const std::wstring& text) {
    for (int i = llStart; i <= llException; ++i)
        if (SameText(text, LogLevelNames[i])) return static_cast<TLogLevel>(i);
    return llInfo;
}

std::wstring PadCut(const std::wstring& text, size_t width) {
    std::wstring s = text.substr(0, width);
    s.resize(width, L' ');
    return s;
}

std::wstring FormatLogTime(const TLogTime& t, wchar_t dateSeparator, wchar_t timeSeparator) {
    std::wstring s;
    AppendNumber(s, t.Month, 2);
    s += dateSeparator;
    AppendNumber(s, t.Day, 2);
    s += dateSeparator;
    AppendNumber(s, t.Year, 4);
    s += L' ';
    AppendNumber(s, t.Hour, 2);
    s += timeSeparator;
    AppendNumber(s, t.Minute, 2);
    s += timeSeparator;
    AppendNumber(s, t.Second, 2);
    s += L'.';
    AppendNumber(s, t.Millisecond, 3);
    return s;
}

std::wstring FormatLogDate(const TLogTime& t) {
    std::wstring s;
    AppendNumber(s, t.Year, 4);
    AppendNumber(s, t.Month, 2);
    AppendNumber(s, t.Day, 2);
    return s;
}

std::wstring FormatLogLine(const std::wstring& time, const std::wstring& source,
                           const std::wstring& method, TLogLevel level, const std::wstring& message) {
    return time + L' ' + PadCut(source, 20) + L' ' + PadCut(method, 20) + L' ' +
           PadCut(LogLevelNames[level], 10) + L' ' + message;
}

int64_t WholeDaysBetween(int64_t ticksA, int64_t ticksB) { return Abs(ticksA - ticksB) / TicksPerDay; }

int64_t WholeMinutesBetween(int64_t ticksA, int64_t ticksB) {
    return Abs(ticksA - ticksB) / TicksPerMinute;
}
