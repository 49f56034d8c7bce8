// Log-line layout and the age arithmetic of the log clean-up. No Windows
// header here: this part is plain logic.
#pragma once

#include <cstdint>
#include <string>

enum TLogLevel { llStart, llEnd, llDone, llInfo, llWarning, llError, llException };

extern const wchar_t* const LogLevelNames[7];

constexpr int LogRetentionDays = 14;
constexpr int LogCleanupIntervalMinutes = 60;

// The level named by a text, compared without regard to case; llInfo for
// any text that names none.
TLogLevel ParseLogLevel(const std::wstring& text);

// Cuts a text to exactly width characters or pads it with blanks ("%-w.ws").
std::wstring PadCut(const std::wstring& text, size_t width);

struct TLogTime {
    int Year, Month, Day, Hour, Minute, Second, Millisecond;
};

// "mm/dd/yyyy hh:nn:ss.zzz" with the given date and time separators.
std::wstring FormatLogTime(const TLogTime& t, wchar_t dateSeparator, wchar_t timeSeparator);

// One line without its line break: time, source, method, level, message.
std::wstring FormatLogLine(const std::wstring& time, const std::wstring& source,
                           const std::wstring& method, TLogLevel level, const std::wstring& message);

// "yyyymmdd"
std::wstring FormatLogDate(const TLogTime& t);

// Whole days and whole minutes between two points in time given in 100 ns
// ticks: the absolute difference with the fraction dropped.
int64_t WholeDaysBetween(int64_t ticksA, int64_t ticksB);
int64_t WholeMinutesBetween(int64_t ticksA, int64_t ticksB);

constexpr int64_t TicksPerMinute = 60LL * 10000000LL;
constexpr int64_t TicksPerDay = 24LL * 60LL * TicksPerMinute;
