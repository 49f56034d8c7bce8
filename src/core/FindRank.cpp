#include "core/FindRank.h"

#include <algorithm>
#include <unordered_map>

namespace {

bool IsWordSeparator(wchar_t c) noexcept {
    return c == L' ' || c == L'-' || c == L'_' || c == L'.';
}

// Whether a word of the name begins at position i (past the first): after a
// separator, or where a letter that folding changes (a capital) follows a
// character that folding leaves alone (a small letter or a digit). The case
// change needs the folded name to line up with the name.
bool WordBeginsAt(std::wstring_view name, std::wstring_view folded, size_t i) noexcept {
    if (IsWordSeparator(folded[i])) return false;
    if (IsWordSeparator(folded[i - 1])) return true;
    return name.size() == folded.size() && name[i] != folded[i] && name[i - 1] == folded[i - 1];
}

}  // namespace

TFindMatch MatchName(std::wstring_view name, std::wstring_view foldedName, std::wstring_view foldedText) {
    if (foldedText.empty() || foldedText.size() > foldedName.size()) return TFindMatch::None;
    if (foldedName.compare(0, foldedText.size(), foldedText) == 0) return TFindMatch::Prefix;
    bool anywhere = false;
    for (size_t i = foldedName.find(foldedText, 1); i != std::wstring_view::npos; i = foldedName.find(foldedText, i + 1)) {
        if (WordBeginsAt(name, foldedName, i)) return TFindMatch::WordStart;
        anywhere = true;
    }
    return anywhere ? TFindMatch::Anywhere : TFindMatch::None;
}

std::wstring TFindEntry::RelativePath() const {
    if (!Folder || Folder->Relative.empty()) return FileName;
    std::wstring path;
    path.reserve(Folder->Relative.size() + 1 + FileName.size());
    return path.append(Folder->Relative).append(1, L'\\').append(FileName);
}

void TFindEntry::FoldedPath(std::wstring& out) const {
    out.clear();
    if (Folder && !Folder->Folded.empty()) out.append(Folder->Folded).append(1, L'\\');
    out.append(FoldedFileName);
}

long BestMatch(const std::vector<TFindEntry>& entries, const std::wstring& foldedText,
               const std::vector<std::wstring>& recentFolded, const std::vector<size_t>& passedOver) {
    if (foldedText.empty()) return -1;
    // Place in the recent list, newest first; the first of equal paths counts.
    std::unordered_map<std::wstring, size_t> recentPlace;
    for (size_t i = 0; i < recentFolded.size(); ++i) recentPlace.emplace(recentFolded[i], i);
    const size_t notRecent = recentFolded.size();
    std::wstring path, bestPath;  // folded paths, put together for candidates only
    auto placeOf = [&](const TFindEntry& e) {
        if (recentPlace.empty()) return notRecent;
        e.FoldedPath(path);
        auto it = recentPlace.find(path);
        return it == recentPlace.end() ? notRecent : it->second;
    };

    long best = -1;
    TFindMatch bestKind = TFindMatch::None;
    size_t bestPlace = notRecent;
    for (size_t i = 0; i < entries.size(); ++i) {
        const TFindEntry& e = entries[i];
        const TFindMatch kind = MatchName(e.Name(), e.FoldedName(), foldedText);
        if (kind == TFindMatch::None || kind > bestKind) continue;
        if (std::find(passedOver.begin(), passedOver.end(), i) != passedOver.end()) continue;
        const size_t place = placeOf(e);
        bool better = best < 0 || kind < bestKind;
        if (!better) {
            const TFindEntry& b = entries[static_cast<size_t>(best)];
            if (place != bestPlace) {
                better = place < bestPlace;
            } else if (e.Depth() != b.Depth()) {
                better = e.Depth() < b.Depth();
            } else {
                e.FoldedPath(path);
                b.FoldedPath(bestPath);
                better = path < bestPath;
            }
        }
        if (better) {
            best = static_cast<long>(i);
            bestKind = kind;
            bestPlace = place;
        }
    }
    return best;
}
