// Finding entries by a few letters of their names: which entries match the
// typed text and in what order they are offered. Plain text work, without
// any Windows header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/FindTable.h"

// How a name (as the tree shows it) matches the text, best first. Text and
// name are compared folded (FindFold.h).
enum class TFindTier : uint8_t {
    Exact = 1,  // the whole name
    Prefix,     // the name starts with the text
    WordStart,  // a word of the name starts with it (words as FoldForFind splits them)
    Initials,   // the initials of words in a row spell it: "qr" for "Quarterly report", "ps" for "PhotoShop"
    Inside,     // the text is somewhere in the name
    Scattered,  // three letters or more, in order with gaps: "clc" for "Calculator"
};

struct TFindHit {
    TFindTable::TEntryId Entry = 0;
    TFindTier Tier = TFindTier::Exact;
    int Score = 0;  // of a scattered match: consecutive letters and word starts score, gaps cost
};

constexpr size_t kMostFindHits = 8;

// The best matches for the text, best first: the better tier; among
// scattered matches the higher score; then the entry opened most recently
// (its place in recent, newest first); then one the tree shows already;
// then the shallower, the shorter name, the name in alphabetical order, and
// last the path. recent holds entries' paths relative to the working
// folder, shownFolders the folders whose entries the tree shows ("" for the
// working folder itself), both compared folded.
std::vector<TFindHit> BestMatches(const TFindTable& table, std::wstring_view text,
                                  const std::vector<std::wstring>& recent,
                                  const std::vector<std::wstring>& shownFolders, size_t most = kMostFindHits);
