#include <gtest/gtest.h>

#include <random>

#include "core/Masks.h"

namespace {

TEST(Masks, Examples) {
    struct {
        const wchar_t* Name;
        const wchar_t* Mask;
        bool Match;
    } cases[] = {
        {L"Notes.TXT", L"*.txt", true}, {L"a", L"??", false},        {L"b1", L"[a-c]?", true},
        {L"b1", L"[!a-c]*", false},     {L"d1", L"[!a-c]*", true},   {L"", L"*", true},
        {L"", L"", true},               {L"x", L"", false},          {L"abc", L"a*c", true},
        {L"ac", L"a*?c", true},  // a "?" right after a star is taken by the star
        {L"abcabd", L"*ab?", true},     {L"ABD", L"a[b-b]d", true},  {L"aXd", L"a[wxy]d", true},
        {L"a.b.c", L"*.*", true},       {L"abc", L"abc*", true},     {L"abc", L"ab", false},
        {L"\u00e9t\u00e9", L"\u00e9*", true}, {L"\u00c9", L"\u00e9", false},  // only a to z fold
        {L"b", L"[c-a]", false},        {L"b", L"[!c-a]", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MatchesMask(c.Name, c.Mask), c.Match) << ui::WideToUtf8(c.Name) << " ~ " << ui::WideToUtf8(c.Mask);
    }
}

TEST(Masks, InvalidMasksNameThePosition) {
    struct {
        const wchar_t* Mask;
        const wchar_t* Message;
    } cases[] = {
        {L"[]", L"'[]' is an invalid mask at (2)"},
        {L"ab[-c]", L"'ab[-c]' is an invalid mask at (4)"},
        {L"[abc", L"'[abc' is an invalid mask at (5)"},
        {L"[a-]", L"'[a-]' is an invalid mask at (3)"},
        {L"x[!]", L"'x[!]' is an invalid mask at (4)"},
    };
    for (const auto& c : cases) {
        try {
            TMask mask(c.Mask);
            ADD_FAILURE() << "no error for " << ui::WideToUtf8(c.Mask);
        } catch (const EMaskException& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
    }
    // 30 star groups are allowed, the 31st is not.
    std::wstring thirty;
    for (int i = 0; i < 30; ++i) thirty += L"*a";
    EXPECT_NO_THROW(TMask{thirty});
    EXPECT_TRUE(MatchesMask(std::wstring(40, L'a'), thirty));
    try {
        TMask mask(thirty + L"*");
        ADD_FAILURE() << "31 star groups accepted";
    } catch (const EMaskException& e) {
        EXPECT_EQ(e.Message(), L"'" + thirty + L"*' is an invalid mask at (62)");
    }
}

// A direct recursive matcher over the same rules, for comparison.
wchar_t Up(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; }

bool Reference(const std::wstring& n, size_t i, const std::wstring& m, size_t j) {
    if (j == m.size()) return i == n.size();
    wchar_t c = m[j];
    if (c == L'*') {
        size_t k = j;
        while (k < m.size() && (m[k] == L'*' || m[k] == L'?')) ++k;  // "?" after a star is absorbed
        for (size_t s = i; s <= n.size(); ++s)
            if (Reference(n, s, m, k)) return true;
        return false;
    }
    if (i == n.size()) return false;
    if (c == L'?') return Reference(n, i + 1, m, j + 1);
    if (c == L'[') {
        size_t k = j + 1;
        bool neg = k < m.size() && m[k] == L'!';
        if (neg) ++k;
        bool in = false;
        while (m[k] != L']') {
            if (k + 2 < m.size() && m[k + 1] == L'-') {
                if (Up(n[i]) >= Up(m[k]) && Up(n[i]) <= Up(m[k + 2])) in = true;
                k += 3;
            } else {
                if (Up(n[i]) == Up(m[k])) in = true;
                ++k;
            }
        }
        return in != neg && Reference(n, i + 1, m, k + 1);
    }
    return Up(n[i]) == Up(c) && Reference(n, i + 1, m, j + 1);
}

TEST(Masks, AgreeWithAReferenceMatcherOnGeneratedCases) {
    std::mt19937 rng(20261207);
    const std::wstring nameChars = L"abAB.x";
    const std::vector<std::wstring> pieces = {L"a", L"b", L"A", L".", L"x", L"*", L"?", L"[ab]", L"[!a]", L"[a-b]", L"[A-X]"};
    int matches = 0;
    for (int n = 0; n < 4000; ++n) {
        std::wstring name;
        for (int i = static_cast<int>(rng() % 9); i > 0; --i) name += nameChars[rng() % nameChars.size()];
        std::wstring mask;
        for (int i = static_cast<int>(rng() % 7); i > 0; --i) mask += pieces[rng() % pieces.size()];
        bool want = Reference(name, 0, mask, 0);
        matches += want;
        ASSERT_EQ(MatchesMask(name, mask), want) << ui::WideToUtf8(name) << " ~ " << ui::WideToUtf8(mask);
    }
    EXPECT_GT(matches, 200);  // the cases are not all misses
}

}  // namespace
