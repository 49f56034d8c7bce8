#include "core/FindRank.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#include "core/FindFold.h"

namespace {

using TEntryId = TFindTable::TEntryId;

// A scattered match is weighed as the best-known fuzzy finder weighs one.
constexpr int kScoreMatch = 16;
constexpr int kGapStart = -3;
constexpr int kGapExtension = -1;
constexpr int kBonusBoundary = kScoreMatch / 2;              // the name's start, or after a separator
constexpr int kBonusCapital = kBonusBoundary + kGapExtension;  // a word that starts at a capital
constexpr int kBonusConsecutive = -(kGapStart + kGapExtension);
constexpr int kFirstLetterMultiplier = 2;
constexpr int kNoScore = INT_MIN / 4;  // room to add to without overflow

constexpr uint32_t kNotRecent = UINT32_MAX;

struct TKey {
    uint32_t Tier;
    int Score;
    uint32_t Place;   // in the recent list, kNotRecent when not there
    uint32_t Hidden;  // 0 when the tree shows it
    uint32_t Depth;
    uint32_t Length;
    TEntryId Id;
};

// The word starts of one entry's folded name: the table's bits, or for a
// name too long for them, the name folded again.
class TStarts {
public:
    void Read(const TFindTable& table, TEntryId id) {
        FLong = table.Folded(id).size() > TFindTable::kStartBits;
        FBits = table.StartBits(id);
        if (FLong) FoldForFind(table.Name(id), FFolded);
    }
    bool At(size_t p) const {
        if (FLong) return std::binary_search(FFolded.Starts.begin(), FFolded.Starts.end(), static_cast<uint32_t>(p));
        return p < TFindTable::kStartBits && ((FBits >> p) & 1) != 0;
    }
    template <typename F>
    void Each(F&& f) const {
        if (FLong) {
            for (const uint32_t p : FFolded.Starts) f(size_t{p});
            return;
        }
        for (uint64_t bits = FBits; bits; bits &= bits - 1) f(static_cast<size_t>(std::countr_zero(bits)));
    }

private:
    uint64_t FBits = 0;
    bool FLong = false;
    TFoldedText FFolded;
};

class TRanker {
public:
    TRanker(const TFindTable& table, std::wstring_view text, size_t most) : FTable(table), FMost(most) {
        FoldForFind(text, FText);
        const std::string_view folded = FText.Text;
        for (size_t at = 0; at < folded.size();) {
            uint32_t unit = 0;
            const size_t length = findfold::DecodeUnit(folded, at, unit);
            FLetters.push_back(static_cast<int>(unit));
            FLetterBytes.push_back(folded.substr(at, length));
            at += length;
        }
    }

    void MarkRecent(const std::vector<std::wstring>& recent) {
        for (size_t i = 0; i < recent.size(); ++i)
            ForEachNamed(recent[i], [&](TEntryId id) { FRecent.emplace_back(id, static_cast<uint32_t>(i)); });
        std::sort(FRecent.begin(), FRecent.end());  // the newest place of an entry first
    }

    void MarkShown(const std::vector<std::wstring>& shownFolders) {
        for (const std::wstring& folder : shownFolders) {
            FPathFolder.clear();
            AppendFolded(folder, FPathFolder);
            for (const TFindTable::TFolderId f : FTable.FoldersFoldedAs(FPathFolder)) FShown.push_back(f);
        }
        std::sort(FShown.begin(), FShown.end());
    }

    std::vector<TFindHit> Run() {
        if (FText.Text.empty() || FMost == 0) return {};
        const bool scattered = FLetters.size() >= 3;
        const uint32_t* masks = FTable.Masks();
        const uint32_t wanted = FText.Mask;
        for (TEntryId id = 0, end = FTable.End(); id < end; ++id) {
            if ((masks[id] & wanted) != wanted) continue;  // lacks a letter of the text: no tier can match
            const bool full = FBest.size() == FMost;
            bool scatteredOnly = false;
            const uint32_t tier = TierOf(id, full ? FBest.back().Tier : 5, scatteredOnly);
            if (tier)
                Consider(id, tier, 0);
            else if (scatteredOnly && scattered && !full)
                FScattered.push_back(id);
        }
        // Scattered matches come last: weighed only while places are left.
        if (FBest.size() < FMost)
            for (const TEntryId id : FScattered) Consider(id, 6, ScatteredScore(id));
        std::vector<TFindHit> hits;
        hits.reserve(FBest.size());
        for (const TKey& key : FBest) hits.push_back({key.Id, static_cast<TFindTier>(key.Tier), key.Score});
        return hits;
    }

private:
    // Calls f with every entry whose folded relative path is the path's.
    template <typename F>
    void ForEachNamed(std::wstring_view path, F&& f) {
        const size_t slash = path.find_last_of(L'\\');
        const std::wstring_view folder = slash == std::wstring_view::npos ? std::wstring_view() : path.substr(0, slash);
        const std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
        FPathFolder.clear();
        AppendFolded(folder, FPathFolder);
        FPathName.clear();
        AppendFolded(name, FPathName);
        for (const TFindTable::TFolderId folderId : FTable.FoldersFoldedAs(FPathFolder)) {
            const TEntryId first = FTable.FolderFirst(folderId);
            for (TEntryId id = first; id < first + FTable.FolderCount(folderId); ++id) {
                const std::string_view shown = FTable.Folded(id);
                if (FPathName.compare(0, shown.size(), shown) != 0) continue;
                // The hidden end of the file name, folded, must make up the rest.
                const std::string_view bytes = FTable.NameBytes(id);
                FPathTail.clear();
                AppendFolded(findfold::DecodeText(bytes.substr(FTable.ShownBytes(id))), FPathTail);
                if (FPathName.size() - shown.size() == FPathTail.size() &&
                    FPathName.compare(shown.size(), std::string::npos, FPathTail) == 0)
                    f(id);
            }
        }
    }

    // The best tier of the entry not above limit, or 0; scatteredOnly
    // tells that no tier up to Inside matches, but the letters are there in
    // order.
    uint32_t TierOf(TEntryId id, uint32_t limit, bool& scatteredOnly) {
        scatteredOnly = false;
        const std::string_view name = FTable.Folded(id), text = FText.Text;
        if (text.size() > name.size()) return 0;
        if (name[0] == text[0] && std::memcmp(name.data(), text.data(), text.size()) == 0)
            return name.size() == text.size() ? 1 : 2;
        if (limit < 3) return 0;
        bool read = false;
        auto starts = [&]() -> const TStarts& {
            if (!read) FStarts.Read(FTable, id);
            read = true;
            return FStarts;
        };
        // Only the initials may match without the letters in order: one
        // quick scan spares most names the search for the whole text.
        const bool inOrder = FLetters.size() == 1 || InOrder(name);
        bool inside = false;
        if (inOrder)
            for (size_t p = Find(name, text, 1); p != std::string_view::npos; p = Find(name, text, p + 1)) {
                if (starts().At(p)) return 3;
                inside = true;
            }
        if (limit < 4) return 0;
        if (FLetters.size() >= 2 && (FTable.InitialsMask(id) & FText.Mask) == FText.Mask &&
            InitialsSpell(starts(), name))
            return 4;
        if (inside) return limit >= 5 ? 5 : 0;
        scatteredOnly = inOrder;
        return 0;
    }

    // Whether the first letters of words in a row spell the text.
    bool InitialsSpell(const TStarts& starts, std::string_view name) {
        FInitials.clear();
        starts.Each([&](size_t p) {
            uint32_t unit = 0;
            FInitials.append(name.substr(p, findfold::DecodeUnit(name, p, unit)));
        });
        return FInitials.find(FText.Text) != std::string::npos;
    }

    // The best score of the text's letters in order in a name that holds
    // them so (InOrder). Matching letters score, more at a word start and
    // in a run; gaps between them cost; what lies before the first and
    // after the last costs nothing.
    int ScatteredScore(TEntryId id) {
        const std::string_view name = FTable.Folded(id);
        // Every way of matching lies between the earliest place of the
        // first letter and the latest of the last.
        const size_t first = Find(name, FLetterBytes.front(), 0);
        const size_t end = name.rfind(FLetterBytes.back()) + FLetterBytes.back().size();
        FStarts.Read(FTable, id);
        // At most a character per byte; plain arrays from here on.
        for (std::vector<int>* v : {&FChars, &FBonus, &FRow, &FRunBonus, &FNextRow, &FNextRunBonus})
            if (v->size() < end - first) v->resize(end - first);
        int* const chars = FChars.data();
        int* const bonus = FBonus.data();
        int* row = FRow.data();
        int* runBonus = FRunBonus.data();
        int* next = FNextRow.data();
        int* nextRunBonus = FNextRunBonus.data();
        size_t n = 0;
        uint32_t before = 0;
        if (first > 0) findfold::DecodeUnit(name, PreviousUnit(name, first), before);
        for (size_t p = first; p < end; ++n) {
            uint32_t unit = static_cast<unsigned char>(name[p]);
            const size_t length = unit < 0x80 ? 1 : findfold::DecodeUnit(name, p, unit);
            if (!FStarts.At(p))
                bonus[n] = 0;
            else
                bonus[n] = p == 0 || findfold::IsWordSeparator(before) ? kBonusBoundary : kBonusCapital;
            chars[n] = static_cast<int>(unit);
            before = unit;
            p += length;
        }

        // Row by row of the text: the best score with its letter i at j, and
        // the bonus of the first letter of the run that ends there.
        for (size_t j = 0; j < n; ++j) {
            row[j] = chars[j] == FLetters[0] ? kScoreMatch + bonus[j] * kFirstLetterMultiplier : kNoScore;
            runBonus[j] = bonus[j];
        }
        for (size_t i = 1; i < FLetters.size(); ++i) {
            const int letter = FLetters[i];
            int gap = kNoScore;  // the best of the row before at j - 2 or earlier, less its gap to j
            next[0] = kNoScore;
            for (size_t j = 1; j < n; ++j) {
                int best = kNoScore, run = 0;
                if (chars[j] == letter) {
                    if (row[j - 1] > kNoScore) {
                        const int runBefore = runBonus[j - 1];
                        best = row[j - 1] + kScoreMatch + std::max({bonus[j], runBefore, kBonusConsecutive});
                        run = bonus[j] >= kBonusBoundary && bonus[j] > runBefore ? bonus[j] : runBefore;
                    }
                    if (gap > kNoScore && gap + kScoreMatch + bonus[j] > best) {
                        best = gap + kScoreMatch + bonus[j];
                        run = bonus[j];
                    }
                }
                next[j] = best;
                nextRunBonus[j] = run;
                const int opened = row[j - 1] > kNoScore ? row[j - 1] + kGapStart : kNoScore;
                gap = std::max(gap > kNoScore ? gap + kGapExtension : kNoScore, opened);
            }
            std::swap(row, next);
            std::swap(runBonus, nextRunBonus);
        }
        return *std::max_element(row, row + n);
    }

    // Whether the name holds the text's letters in order.
    bool InOrder(std::string_view name) const noexcept {
        const char* p = name.data();
        const char* const end = p + name.size();
        for (const std::string_view letter : FLetterBytes) {
            const char head = letter[0];
            for (;; ++p) {
                if (p == end) return false;
                if (*p == head && (letter.size() == 1 || (static_cast<size_t>(end - p) >= letter.size() &&
                                                          std::memcmp(p, letter.data(), letter.size()) == 0)))
                    break;
            }
            p += letter.size();
        }
        return true;
    }

    // std::string_view::find without a call for every name: most are short
    // and most places fail on their first byte. A match found in whole
    // characters' bytes starts at a character.
    static size_t Find(std::string_view name, std::string_view text, size_t from) noexcept {
        if (text.size() > name.size()) return std::string_view::npos;
        const char head = text[0];
        for (size_t p = from, last = name.size() - text.size(); p <= last; ++p) {
            if (name[p] != head) continue;
            size_t k = 1;
            while (k < text.size() && name[p + k] == text[k]) ++k;
            if (k == text.size()) return p;
        }
        return std::string_view::npos;
    }

    // Where the unit before bytes[at] begins.
    static size_t PreviousUnit(std::string_view bytes, size_t at) noexcept {
        do --at;
        while (at > 0 && (static_cast<unsigned char>(bytes[at]) & 0xC0) == 0x80);
        return at;
    }

    uint32_t PlaceOf(TEntryId id) const {
        const auto it = std::lower_bound(FRecent.begin(), FRecent.end(), std::pair<TEntryId, uint32_t>(id, 0));
        return it != FRecent.end() && it->first == id ? it->second : kNotRecent;
    }

    void Consider(TEntryId id, uint32_t tier, int score) {
        if (FBest.size() == FMost && tier > FBest.back().Tier) return;
        const bool shown = std::binary_search(FShown.begin(), FShown.end(), FTable.FolderOf(id));
        const TKey key{tier,           score, PlaceOf(id), shown ? 0u : 1u, FTable.Depth(id),
                       static_cast<uint32_t>(FTable.Folded(id).size()), id};
        auto less = [this](const TKey& a, const TKey& b) { return Less(a, b); };
        if (FBest.size() == FMost && !less(key, FBest.back())) return;
        FBest.insert(std::upper_bound(FBest.begin(), FBest.end(), key, less), key);
        if (FBest.size() > FMost) FBest.pop_back();
    }

    bool Less(const TKey& a, const TKey& b) const {
        if (a.Tier != b.Tier) return a.Tier < b.Tier;
        if (a.Score != b.Score) return a.Score > b.Score;
        if (a.Place != b.Place) return a.Place < b.Place;
        if (a.Hidden != b.Hidden) return a.Hidden < b.Hidden;
        if (a.Depth != b.Depth) return a.Depth < b.Depth;
        if (a.Length != b.Length) return a.Length < b.Length;
        if (const int c = FTable.Folded(a.Id).compare(FTable.Folded(b.Id))) return c < 0;
        // The same name: the folded path, then as listed, decides.
        const TFindTable::TFolderId fa = FTable.FolderOf(a.Id), fb = FTable.FolderOf(b.Id);
        if (const int c = FTable.FolderFolded(fa).compare(FTable.FolderFolded(fb))) return c < 0;
        if (const int c = FTable.NameBytes(a.Id).compare(FTable.NameBytes(b.Id))) return c < 0;
        if (const int c = FTable.FolderPath(fa).compare(FTable.FolderPath(fb))) return c < 0;
        return a.Id < b.Id;
    }

    const TFindTable& FTable;
    const size_t FMost;
    TFoldedText FText;
    std::vector<int> FLetters;  // the folded text's characters
    std::vector<std::string_view> FLetterBytes;  // and their bytes in FText
    std::vector<std::pair<TEntryId, uint32_t>> FRecent;
    std::vector<TFindTable::TFolderId> FShown;
    std::vector<TKey> FBest;  // best first, at most FMost
    std::vector<TEntryId> FScattered;
    // Kept between entries for their storage.
    TStarts FStarts;
    std::string FInitials, FPathFolder, FPathName, FPathTail;
    std::vector<int> FChars, FBonus, FRow, FRunBonus, FNextRow, FNextRunBonus;
};

}  // namespace

std::vector<TFindHit> BestMatches(const TFindTable& table, std::wstring_view text,
                                  const std::vector<std::wstring>& recent,
                                  const std::vector<std::wstring>& shownFolders, size_t most) {
    TRanker ranker(table, text, most);
    ranker.MarkRecent(recent);
    ranker.MarkShown(shownFolders);
    return ranker.Run();
}
