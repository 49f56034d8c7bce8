#include <gtest/gtest.h>

#include "core/ViewerText.h"

namespace {

TEST(ViewerText, ConversionAndLines) {
    struct {
        const wchar_t* In;
        int Kind;
        const wchar_t* Out;
    } conversions[] = {
        {L"a,b,c", vkCommaString, L"a\r\nb\r\nc"},
        {L",,", vkCommaString, L"\r\n\r\n"},
        {L"a|b||c", vkXml, L"abc"},
        {L"a,b|c", vkPlainText, L"a,b|c"},
        {L"a,b|c", vkExecute, L"a,b|c"},
        {L"", vkCommaString, L""},
    };
    for (const auto& c : conversions) EXPECT_EQ(ConvertViewerText(c.In, c.Kind), c.Out) << c.In << " " << c.Kind;

    struct {
        const wchar_t* In;
        const wchar_t* Out;
    } lines[] = {
        {L"one", L"one\r\n"},                           // no final line end: one is added
        {L"a\r\nb\r\n", L"a\r\nb\r\n"},                 // a final line end is kept, not doubled
        {L"a\rb\nc\r\nd", L"a\r\nb\r\nc\r\nd\r\n"},     // lone CR, lone LF, CR LF
        {L"a\n\rb", L"a\r\n\r\nb\r\n"},                 // LF CR is two line ends
        {L"\r\n\r\n", L"\r\n\r\n"},                     // empty lines stay
        {L"", L""},
    };
    for (const auto& c : lines) EXPECT_EQ(ToCrLfLines(c.In), c.Out);

    const TLogTime t{2026, 3, 7, 9, 5, 4, 12};
    EXPECT_EQ(ViewerTempName(vkPlainText, false, t), L"tavrix-temp.txt");
    EXPECT_EQ(ViewerTempName(vkCommaString, false, t), L"tavrix-temp.txt");
    EXPECT_EQ(ViewerTempName(vkXml, false, t), L"tavrix-temp.xml");
    EXPECT_EQ(ViewerTempName(vkPlainText, true, t), L"tavrix-temp_2026-03-07_09-05-04.012.txt");
    EXPECT_EQ(ViewerTempName(vkXml, true, t), L"tavrix-temp_2026-03-07_09-05-04.012.xml");
}

}  // namespace
