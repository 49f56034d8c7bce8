#include "core/Masks.h"

namespace {
wchar_t Upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; }

[[noreturn]] void InvalidMask(const std::wstring& mask, size_t position) {
    throw EMaskException(L"'" + mask + L"' is an invalid mask at (" + std::to_wstring(position) + L")");
}
}  // namespace

TMask::TMask(const std::wstring& mask) {
    bool star = false;
    int starGroups = 0;
    auto add = [&](TElement e, size_t position) {
        if (star) {
            if (++starGroups > MaxStarGroups) InvalidMask(mask, position);
            e.Star = true;
            star = false;
        }
        FElements.push_back(std::move(e));
    };
    size_t i = 0;
    while (i < mask.size()) {
        wchar_t c = mask[i];
        size_t position = i + 1;
        if (c == L'*') {
            star = true;
            ++i;
        } else if (c == L'?') {
            // A star already takes any run, so a "?" right after it adds nothing.
            if (!star) add({mkAny, false, 0, false, {}}, position);
            ++i;
        } else if (c == L'[') {
            TElement set{mkSet, false, 0, false, {}};
            ++i;
            if (i < mask.size() && mask[i] == L'!') {
                set.Negated = true;
                ++i;
            }
            bool entries = false;
            for (;;) {
                if (i >= mask.size()) InvalidMask(mask, mask.size() + 1);  // no closing "]"
                wchar_t first = mask[i];
                if (first == L']') {
                    if (!entries) InvalidMask(mask, i + 1);  // an empty set
                    ++i;
                    break;
                }
                if (first == L'-') InvalidMask(mask, i + 1);  // a range without a start
                entries = true;
                if (i + 1 < mask.size() && mask[i + 1] == L'-') {
                    if (i + 2 >= mask.size()) InvalidMask(mask, mask.size() + 1);
                    if (mask[i + 2] == L']') InvalidMask(mask, i + 2);  // a range without an end
                    wchar_t lo = Upper(first), hi = Upper(mask[i + 2]);
                    if (lo <= hi) set.Ranges.push_back({lo, hi});  // a reversed range adds nothing
                    i += 3;
                } else {
                    set.Ranges.push_back({Upper(first), Upper(first)});
                    ++i;
                }
            }
            add(std::move(set), position);
        } else {
            add({mkLiteral, false, Upper(c), false, {}}, position);
            ++i;
        }
    }
    add({mkEnd, false, 0, false, {}}, mask.size() + 1);
}

bool TMask::ElementMatches(const TElement& e, const std::wstring& name, size_t pos) const {
    if (e.Kind == mkEnd) return pos == name.size();
    if (pos >= name.size()) return false;
    wchar_t c = Upper(name[pos]);
    switch (e.Kind) {
    case mkLiteral:
        return c == e.Literal;
    case mkAny:
        return true;
    case mkSet: {
        bool in = false;
        for (const auto& r : e.Ranges)
            if (c >= r.first && c <= r.second) in = true;
        return in != e.Negated;
    }
    default:
        return false;
    }
}

bool TMask::Matches(const std::wstring& name) const {
    // Every element but the end takes exactly one character, so when a
    // failure sends matching back it is enough to move the most recent star
    // on; when a star finds no later place at all, no earlier star can help.
    struct TResume {
        size_t Element, Position;
    };
    std::vector<TResume> stack;  // at most one entry per star group
    size_t el = 0, pos = 0;
    for (;;) {
        const TElement& e = FElements[el];
        if (e.Star) {
            size_t q = pos;
            while (!ElementMatches(e, name, q)) {
                if (q >= name.size()) return false;
                ++q;
            }
            stack.push_back({el, q + 1});
            if (e.Kind == mkEnd) return true;
            pos = q + 1;
        } else if (ElementMatches(e, name, pos)) {
            if (e.Kind == mkEnd) return true;
            ++pos;
        } else {
            if (stack.empty()) return false;
            TResume r = stack.back();
            stack.pop_back();
            el = r.Element;
            pos = r.Position;
            continue;
        }
        ++el;
    }
}

bool MatchesMask(const std::wstring& name, const std::wstring& mask) { return TMask(mask).Matches(name); }
