// Finding an entry by a few letters of its name: how well a name matches
// the typed text, and which of several matches comes first. Plain text
// work, without any Windows header.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
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

// A folder that holds entries; its entries share it.
struct TFindFolder {
    std::wstring Relative;  // below the working folder, with backslashes; "" for the working folder
    std::wstring Folded;    // Relative, folded
    int Depth = 0;          // of its entries: 0 for those of the working folder itself
};

// One entry the search may offer. Its paths are put together only when
// asked, so that an index of many entries holds two strings for each.
struct TFindEntry {
    std::shared_ptr<const TFindFolder> Folder;
    std::wstring FileName;        // as listed
    std::wstring FoldedFileName;  // FileName, folded
    size_t NameLength = 0;        // of the name as the tree shows it (no hidden ".lnk" or ".url")

    std::wstring_view Name() const noexcept { return std::wstring_view(FileName).substr(0, NameLength); }
    std::wstring_view FoldedName() const noexcept { return std::wstring_view(FoldedFileName).substr(0, NameLength); }
    int Depth() const noexcept { return Folder ? Folder->Depth : 0; }
    std::wstring RelativePath() const;
    // The folded relative path, into out, which keeps its storage.
    void FoldedPath(std::wstring& out) const;
};

// How the name matches the folded text.
TFindMatch MatchName(std::wstring_view name, std::wstring_view foldedName, std::wstring_view foldedText);

// The best match among the entries, or -1: the better kind of match first;
// within one kind the entry opened most recently (its place in recent,
// newest first, compared with the folded path), then the shallower one,
// then by the folded path. Entries whose places are in passedOver (a few)
// are left out.
long BestMatch(const std::vector<TFindEntry>& entries, const std::wstring& foldedText,
               const std::vector<std::wstring>& recentFolded, const std::vector<size_t>& passedOver = {});
