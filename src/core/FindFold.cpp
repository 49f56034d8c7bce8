#include "core/FindFold.h"

namespace findfold {

size_t FoldUnit(uint32_t unit, uint32_t (&out)[kMostFolded], bool& capital) noexcept {
    capital = false;
    if (unit > 0xFFFF) {  // beyond the plane: as it is
        out[0] = unit;
        return 1;
    }
    const uint16_t code = kFoldStage2[(static_cast<size_t>(kFoldStage1[unit >> kFoldShift]) << kFoldShift) |
                                      (unit & ((1u << kFoldShift) - 1))];
    capital = (code & 0x8000) != 0;
    const uint32_t kind = kFoldKinds[code & 0x7FFF];
    if (!(kind & 0x80000000u)) {
        out[0] = (unit + kind) & 0xFFFF;
        return 1;
    }
    const size_t length = (kind >> 16) & 0x7FFF, start = kind & 0xFFFF;
    for (size_t i = 0; i < length && i < kMostFolded; ++i) out[i] = kFoldPool[start + i];
    return length < kMostFolded ? length : kMostFolded;
}

bool IsWordSeparator(uint32_t c) noexcept {
    return c == ' ' || c == '-' || c == '_' || c == '.';
}

uint32_t CharMask(uint32_t c) noexcept {
    if (c >= 'a' && c <= 'z') return 1u << (c - 'a');
    if (c >= '0' && c <= '9') return 1u << 26;
    return 1u << (27 + c % 5);
}

void AppendLongUnit(std::string& out, uint32_t unit) {
    if (unit > 0x10FFFF) unit = 0xFFFD;  // no file name holds one; keep the bytes well formed
    if (unit < 0x800) {
        out += static_cast<char>(0xC0 | (unit >> 6));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    } else if (unit < 0x10000) {
        out += static_cast<char>(0xE0 | (unit >> 12));
        out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (unit >> 18));
        out += static_cast<char>(0x80 | ((unit >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    }
}

size_t DecodeUnit(std::string_view bytes, size_t at, uint32_t& unit) noexcept {
    const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])); };
    const uint32_t lead = byte(at);
    size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (at + length > bytes.size()) length = 1;  // cut short: never read past the end
    if (length == 1) {
        unit = lead;
        return 1;
    }
    unit = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) unit = (unit << 6) | (byte(at + i) & 0x3F);
    return length;
}

std::wstring DecodeText(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (size_t at = 0; at < bytes.size();) {
        uint32_t unit = 0;
        at += DecodeUnit(bytes, at, unit);
        text += static_cast<wchar_t>(unit);
    }
    return text;
}

}  // namespace findfold

using namespace findfold;

namespace {

template <typename OnChar>
void FoldEach(std::wstring_view text, OnChar&& onChar) {
    uint32_t out[kMostFolded];
    bool first = true, afterSeparator = false, afterCapital = false;
    for (const wchar_t c : text) {
        bool capital = false;
        size_t count = 1;
        if (c < 0x80) {  // most names are mostly ASCII: no table for them
            capital = c >= L'A' && c <= L'Z';
            out[0] = static_cast<uint32_t>(capital ? c - L'A' + L'a' : c);
        } else {
            count = FoldUnit(static_cast<uint32_t>(c), out, capital);
        }
        if (count == 0) continue;  // a dropped mark joins the character before it
        for (size_t i = 0; i < count; ++i) {
            const bool separator = IsWordSeparator(out[i]);
            const bool start = !separator && (first || afterSeparator || (i == 0 && capital && !afterCapital));
            onChar(out[i], start);
            first = false;
            afterSeparator = separator;
        }
        afterCapital = capital;
    }
}

}  // namespace

void FoldForFind(std::wstring_view text, TFoldedText& out) {
    out.Text.clear();
    out.Starts.clear();
    out.Mask = 0;
    FoldEach(text, [&](uint32_t c, bool start) {
        if (start) out.Starts.push_back(static_cast<uint32_t>(out.Text.size()));
        AppendUnit(out.Text, c);
        out.Mask |= CharMask(c);
    });
}

void AppendFolded(std::wstring_view text, std::string& out) {
    FoldEach(text, [&](uint32_t c, bool) { AppendUnit(out, c); });
}
