// File-name masks: "*" for any run of characters, "?" for one character,
// "[a-c]" and "[!a-c]" for sets. Letters a to z match without regard to
// case. No Windows header here: this part is plain logic.
#pragma once

#include <string>
#include <vector>

#include "core/Exceptions.h"

class EMaskException : public ui::Exception {
public:
    using ui::Exception::Exception;
};

class TMask {
public:
    // Compiles the mask; raises EMaskException for an invalid one.
    explicit TMask(const std::wstring& mask);
    bool Matches(const std::wstring& name) const;

    static constexpr int MaxStarGroups = 30;

private:
    enum TKind { mkLiteral, mkAny, mkSet, mkEnd };
    struct TElement {
        TKind Kind;
        bool Star;
        wchar_t Literal;
        bool Negated;
        std::vector<std::pair<wchar_t, wchar_t>> Ranges;
    };
    bool ElementMatches(const TElement& e, const std::wstring& name, size_t pos) const;

    std::vector<TElement> FElements;
};

bool MatchesMask(const std::wstring& name, const std::wstring& mask);
