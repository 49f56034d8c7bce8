// Finding an entry by a few letters of its name: how well a name matches
// the typed text, and which of several matches comes first. Plain text
// work, without any Windows header.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// How a name matches, best first.
enum class TFindMatch {
    Prefix,     // the name starts with the text
    WordStart,  // a word of the name starts with it: words split at spaces, '-', '_', '.' and lower-to-upper changes
    Anywhere,   // the text is somewhere in the name
    None,
};

// Folds text for comparing without case; the program passes the system's
// folding, tests may pass a simpler one.
using TFoldFunc = std::function<std::wstring(const std::wstring&)>;

// One entry the search may offer.
struct TFindEntry {
    std::wstring RelativePath;  // below the working folder, with backslashes
    std::wstring FoldedPath;    // RelativePath, folded
    std::wstring Name;          // as the tree shows it (no hidden ".lnk" or ".url")
    std::wstring FoldedName;    // Name, folded
    int Depth = 0;              // 0 for an entry of the working folder itself
};

// How the name matches the folded text.
TFindMatch MatchName(const std::wstring& name, const std::wstring& foldedName, const std::wstring& foldedText);

// The best match among the entries, or -1: the better kind of match first;
// within one kind the entry opened most recently (its place in recent,
// newest first, compared with FoldedPath), then the shallower one, then
// by FoldedPath.
long BestMatch(const std::vector<TFindEntry>& entries, const std::wstring& foldedText,
               const std::vector<std::wstring>& recentFolded);
