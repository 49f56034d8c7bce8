#include <gtest/gtest.h>

#include "core/LogFormat.h"

namespace {

const TLogTime kTime{2026, 3, 4, 5, 6, 7, 8};

TEST(LogFormat, ColumnsStartAtFixedPositionsWhateverTheNameLengths) {
    struct {
        std::wstring Source, Method;
    } cases[] = {
        {L"TfrmMain", L"RegisterHotkeys"},
        {L"A", L"B"},
        {L"", L""},
        {L"TAVeryLongClassNameIndeed", L"AMethodNameLongerThanTwenty"},
    };
    std::wstring time = FormatLogTime(kTime, L'/', L':');
    for (const auto& c : cases) {
        std::wstring line = FormatLogLine(time, c.Source, c.Method, llError, L"the message");
        // 1-based columns 25, 46, 67 and 78.
        EXPECT_EQ(line.substr(24, 20), PadCut(c.Source, 20));
        EXPECT_EQ(line.substr(45, 20), PadCut(c.Method, 20));
        EXPECT_EQ(line.substr(66, 10), L"Error     ");
        EXPECT_EQ(line.substr(77), L"the message");
        EXPECT_EQ(line[23], L' ');
        EXPECT_EQ(line[44], L' ');
        EXPECT_EQ(line[65], L' ');
        EXPECT_EQ(line[76], L' ');
    }
}

TEST(LogFormat, NamesAreCutOrPaddedToTwenty) {
    EXPECT_EQ(PadCut(L"TAVeryLongClassNameIndeed", 20), L"TAVeryLongClassNameI");
    EXPECT_EQ(PadCut(L"abc", 5), L"abc  ");
    EXPECT_EQ(PadCut(L"", 3), L"   ");
}

TEST(LogFormat, ExceptionIsPaddedToTenAndMessagesStayUnchanged) {
    std::wstring line = FormatLogLine(FormatLogTime(kTime, L'/', L':'), L"s", L"m", llException, L"one\r\ntwo\r\n");
    EXPECT_EQ(line.substr(66), L"Exception  one\r\ntwo\r\n");
}

TEST(LogFormat, LevelTextsParseWithoutRegardToCase) {
    struct {
        const wchar_t* Text;
        TLogLevel Level;
    } cases[] = {
        {L"Start", llStart},   {L"end", llEnd},         {L"DONE", llDone},      {L"info", llInfo},
        {L"wArNiNg", llWarning}, {L"error", llError},   {L"EXCEPTION", llException},
        {L"", llInfo},         {L"Errors", llInfo},     {L"Err", llInfo},       {L" Error", llInfo},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseLogLevel(c.Text), c.Level) << c.Text;
    for (int i = llStart; i <= llException; ++i)
        EXPECT_EQ(ParseLogLevel(LogLevelNames[i]), i);
}

TEST(LogFormat, TimeAndDateUseLeadingZerosAndTheGivenSeparators) {
    EXPECT_EQ(FormatLogTime(kTime, L'/', L':'), L"03/04/2026 05:06:07.008");
    EXPECT_EQ(FormatLogTime(kTime, L'.', L'-'), L"03.04.2026 05-06-07.008");
    EXPECT_EQ(FormatLogTime({1999, 12, 31, 23, 59, 59, 999}, L'/', L':'), L"12/31/1999 23:59:59.999");
    EXPECT_EQ(FormatLogTime(kTime, L'/', L':').size(), 23u);
    EXPECT_EQ(FormatLogDate(kTime), L"20260304");
}

TEST(LogFormat, AgesAreWholeUnitsOfTheAbsoluteDifference) {
    const int64_t now = 1000 * TicksPerDay;
    EXPECT_EQ(WholeDaysBetween(now, now - 14 * TicksPerDay), 14);
    EXPECT_EQ(WholeDaysBetween(now, now - 14 * TicksPerDay + 1), 13);
    EXPECT_EQ(WholeDaysBetween(now, now + 14 * TicksPerDay), 14);  // dated in the future
    EXPECT_EQ(WholeMinutesBetween(now, now - 60 * TicksPerMinute), 60);
    EXPECT_EQ(WholeMinutesBetween(now, now - 60 * TicksPerMinute + 1), 59);
    EXPECT_GE(WholeMinutesBetween(now, 0), 60);  // never cleaned up yet
}

}  // namespace
