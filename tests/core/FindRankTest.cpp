#include <gtest/gtest.h>

#include <algorithm>

#include "core/FindRank.h"

namespace {

// Folds A to Z only: enough for these names.
std::wstring Fold(std::wstring s) {
    for (wchar_t& c : s)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return s;
}

TFindEntry Entry(const std::wstring& relativePath) {
    const size_t slash = relativePath.find_last_of(L'\\');
    auto folder = std::make_shared<TFindFolder>();
    if (slash != std::wstring::npos) folder->Relative = relativePath.substr(0, slash);
    folder->Folded = Fold(folder->Relative);
    folder->Depth = static_cast<int>(std::count(relativePath.begin(), relativePath.end(), L'\\'));
    TFindEntry e;
    e.Folder = folder;
    e.FileName = relativePath.substr(slash + 1);
    e.FoldedFileName = Fold(e.FileName);
    e.NameLength = e.FileName.size();
    return e;
}

TEST(FindRank, TheBetterKindFirstThenRecentShallowAndAlphabetical) {
    struct {
        std::vector<std::wstring> Entries;
        const wchar_t* Text;
        std::vector<std::wstring> Recent;
        long Expected;
        const char* Why;
    } cases[] = {
        {{L"Quarterly report", L"Reports"}, L"rep", {}, 1, "a name that starts with the text first"},
        {{L"Support", L"Quarterly report"}, L"report", {}, 1, "a word start beats anywhere"},
        {{L"Support"}, L"PORT", {}, 0, "anywhere, without case"},
        {{L"setup-tool", L"xtool"}, L"tool", {}, 0, "words split at '-'"},
        {{L"my_tool", L"xtool"}, L"tool", {}, 0, "at '_'"},
        {{L"notes.backup", L"xbackup"}, L"backup", {}, 0, "at '.'"},
        {{L"xmytool", L"myTool"}, L"tool", {}, 1, "at a small letter before a capital"},
        {{L"zMYTOOL", L"atool"}, L"tool", {}, 1, "not between two capitals"},
        {{L"A\\B\\Notes", L"Notes2", L"A\\Notes"}, L"note", {}, 1, "the shallower one"},
        {{L"Zeta", L"B\\Zed", L"Alpha\\Zulu"}, L"z", {}, 0, "then depth before the path"},
        {{L"B\\Zed", L"Alpha\\Zulu"}, L"z", {}, 1, "alphabetical at one depth"},
        {{L"Notes", L"A\\B\\Notes", L"A\\Notes"}, L"notes", {L"a\\notes", L"a\\b\\notes"}, 2,
         "the one opened most recently first"},
        {{L"Notes", L"A\\Old notes"}, L"notes", {L"a\\old notes"}, 0, "recent only within one kind"},
        {{L"Notes"}, L"x", {}, -1, "none"},
        {{L"Notes"}, L"", {}, -1, "empty text"},
        {{}, L"a", {}, -1, "no entries"},
        {{L"ab"}, L"abc", {}, -1, "a text longer than the name"},
    };
    for (const auto& c : cases) {
        std::vector<TFindEntry> entries;
        for (const std::wstring& path : c.Entries) entries.push_back(Entry(path));
        EXPECT_EQ(BestMatch(entries, Fold(c.Text), c.Recent), c.Expected) << c.Why;
    }
    EXPECT_EQ(MatchName(L"Quarterly report", L"quarterly report", L"report"), TFindMatch::WordStart);
    EXPECT_EQ(MatchName(L"Support report", L"support report", L"port"), TFindMatch::Anywhere);
    EXPECT_EQ(MatchName(L"Support-Port", L"support-port", L"port"), TFindMatch::WordStart)
        << "a later word start is found past an earlier match elsewhere";
}

}  // namespace
