// The search's own folding of text, so that accents, case and compatibility
// forms don't matter ("Résumé" = "resume", "Straße" = "strasse", "ＡＢＣ" =
// "abc"). Only the search uses it: names the program stores or compares for
// identity keep their ordinal comparison.
//
// Folded text is kept as UTF-8 bytes, one to three per 16-bit unit (a lone
// surrogate too, so that every Windows name survives), four for a code point
// beyond the plane where wchar_t holds one. Half the bytes of wchar_t for the
// names people give their links, and a match of folded bytes inside folded
// bytes always begins and ends on whole characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TFoldedText {
    std::string Text;              // folded
    std::vector<uint32_t> Starts;  // byte offsets in Text where a word begins, ascending
    uint32_t Mask = 0;             // the kinds of characters Text holds (findfold::CharMask)
};

// Folds text; words begin at its start, after a space, '-', '_' or '.', and
// at a capital that follows no capital ("myTool", "PhotoShop"), all judged
// character by character, so a character that folds to several ("ß" to
// "ss") or to none (a combining accent) keeps the starts in place.
void FoldForFind(std::wstring_view text, TFoldedText& out);
// The folded text alone, appended to out.
void AppendFolded(std::wstring_view text, std::string& out);

namespace findfold {

// The generated table (FindFoldTable.cpp): for a unit of the Basic
// Multilingual Plane, a code whose top bit says "capital" and whose other
// bits choose a kind; a kind is the folded character as a difference from
// the unit (top bit clear), or a run of the pool (top bit set, length in
// bits 16 to 30, start in bits 0 to 15).
extern const unsigned kFoldShift;
extern const uint16_t kFoldStage1[];
extern const uint16_t kFoldStage2[];
extern const uint32_t kFoldKinds[];
extern const uint16_t kFoldPool[];

constexpr size_t kMostFolded = 32;  // no unit folds to more (the table's longest is 18)

// Folds one unit (a code point where wchar_t is 32-bit) into out; returns
// how many it gave, 0 for a mark that folding drops.
size_t FoldUnit(uint32_t unit, uint32_t (&out)[kMostFolded], bool& capital) noexcept;

bool IsWordSeparator(uint32_t c) noexcept;
// One bit per letter a to z, one for the digits, five shared by the rest:
// a text can only be found in a name whose mask holds all of the text's bits.
uint32_t CharMask(uint32_t c) noexcept;

void AppendLongUnit(std::string& out, uint32_t unit);
inline void AppendUnit(std::string& out, uint32_t unit) {
    if (unit < 0x80)
        out += static_cast<char>(unit);
    else
        AppendLongUnit(out, unit);
}
// The unit that starts at bytes[at], and how many bytes it takes (at least 1).
size_t DecodeUnit(std::string_view bytes, size_t at, uint32_t& unit) noexcept;
std::wstring DecodeText(std::string_view bytes);

}  // namespace findfold
