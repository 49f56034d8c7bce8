#include <gtest/gtest.h>

#include "core/Exceptions.h"

namespace {

TEST(TextConversion, Utf8RoundTripsAndBadBytesBecomeReplacements) {
    const std::wstring names[] = {L"", L"plain", L"caf\u00e9", L"\u041f\u0430\u043f\u043a\u0430 \u03a9", L"\u6587\u4ef6\u5939",
                                  L"\U0001F600dir"};
    for (const auto& name : names) EXPECT_EQ(ui::Utf8ToWide(ui::WideToUtf8(name)), name);
    EXPECT_EQ(ui::WideToUtf8(L"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(ui::Utf8ToWide("a\xFF" "b"), L"a\uFFFDb") << "a byte that starts nothing";
    EXPECT_EQ(ui::Utf8ToWide("\xC0\xAF"), L"\uFFFD\uFFFD") << "an overlong form";
    EXPECT_EQ(ui::Utf8ToWide("\xE6\x96"), L"\uFFFD\uFFFD") << "cut short";
    EXPECT_EQ(ui::Utf8ToWide("\xED\xA0\x80"), L"\uFFFD\uFFFD\uFFFD") << "an encoded surrogate";
    ui::Exception e(L"Mask \u03a9 is invalid");
    EXPECT_STREQ(e.what(), "Mask \xCE\xA9 is invalid");
}

}  // namespace
