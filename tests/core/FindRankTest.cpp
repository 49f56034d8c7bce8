#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/FindRank.h"

namespace {

// The tree hides these extensions, as the entry index does.
size_t ShownLength(const std::wstring& name) {
    const size_t n = name.size();
    const bool hidden = n > 4 && (name.compare(n - 4, 4, L".lnk") == 0 || name.compare(n - 4, 4, L".url") == 0);
    return hidden ? n - 4 : n;
}

// Sets each folder of the paths, as a listing of it would.
void SetFolders(TFindTable& table, const std::vector<std::wstring>& paths) {
    std::map<std::wstring, std::vector<std::wstring>> folders;
    for (const std::wstring& path : paths) {
        const size_t slash = path.find_last_of(L'\\');
        folders[slash == std::wstring::npos ? L"" : path.substr(0, slash)].push_back(path.substr(slash + 1));
    }
    for (const auto& [folder, names] : folders) {
        std::vector<TFindName> listed;
        for (const std::wstring& name : names) listed.push_back({name, ShownLength(name)});
        table.SetFolder(folder, listed);
    }
}

std::vector<std::wstring> Paths(const TFindTable& table, const std::vector<TFindHit>& hits) {
    std::vector<std::wstring> paths;
    for (const TFindHit& hit : hits) paths.push_back(table.RelativePath(hit.Entry));
    return paths;
}

const std::wstring kLong(70, L'x');  // beyond the word starts the table keeps as bits

TEST(FindRank, TiersFoldingAndTies) {
    using T = TFindTier;
    struct {
        std::vector<std::wstring> Entries;
        std::wstring Text;
        std::vector<std::wstring> Expected;  // best first
        int Tier;                            // of the first, 0 for none
        const char* Why;
        std::vector<std::wstring> Recent = {}, ShownFolders = {};
    } cases[] = {
        // The tiers.
        {{L"Notes2", L"Notes"}, L"notes", {L"Notes", L"Notes2"}, int(T::Exact), "the whole name first"},
        {{L"Quarterly report", L"Reports"}, L"rep", {L"Reports", L"Quarterly report"}, int(T::Prefix),
         "a name that starts with the text first"},
        {{L"Support", L"Quarterly report"}, L"report", {L"Quarterly report"}, int(T::WordStart), "a word's start"},
        {{L"Support"}, L"PORT", {L"Support"}, int(T::Inside), "anywhere, without case"},
        {{L"Support report"}, L"port", {L"Support report"}, int(T::Inside), "inside, though a word holds it"},
        {{L"Support-Port"}, L"port", {L"Support-Port"}, int(T::WordStart), "a word start past an earlier match"},
        {{L"setup-tool", L"xtool"}, L"tool", {L"setup-tool", L"xtool"}, int(T::WordStart), "words split at '-'"},
        {{L"my_tool", L"xtool"}, L"tool", {L"my_tool", L"xtool"}, int(T::WordStart), "at '_'"},
        {{L"notes.backup", L"xbackup"}, L"backup", {L"notes.backup", L"xbackup"}, int(T::WordStart), "at '.'"},
        {{L"xmytool", L"myTool"}, L"tool", {L"myTool", L"xmytool"}, int(T::WordStart),
         "at a small letter before a capital"},
        {{L"zMYTOOL", L"atool"}, L"tool", {L"atool", L"zMYTOOL"}, int(T::Inside), "not between two capitals"},
        {{L"Upstairs", L"Paper Sizes", L"Old ps"}, L"ps", {L"Old ps", L"Paper Sizes", L"Upstairs"}, int(T::WordStart),
         "a word start, then initials, then inside"},
        {{L"Quarterly report", L"Query"}, L"qr", {L"Quarterly report"}, int(T::Initials), "initials"},
        {{L"PhotoShop"}, L"ps", {L"PhotoShop"}, int(T::Initials), "initials at a capital"},
        {{L"Microsoft Visual Studio"}, L"vs", {L"Microsoft Visual Studio"}, int(T::Initials), "of words in a row"},
        {{L"Microsoft Visual Studio"}, L"ms", {}, 0, "not of words apart"},
        {{L"Calculator", L"Clock"}, L"clc", {L"Clock", L"Calculator"}, int(T::Scattered),
         "letters in order with gaps, a longer run scoring more"},
        {{L"cxxxxlxc", L"Clxc xxxxxx"}, L"clc", {L"Clxc xxxxxx", L"cxxxxlxc"}, int(T::Scattered),
         "gaps cost, before the shorter name"},
        {{L"Xcxlxc", L"Cool Red Lamp Cover"}, L"clc", {L"Cool Red Lamp Cover", L"Xcxlxc"}, int(T::Scattered),
         "word starts score"},
        {{L"Calculator", L"Clc"}, L"clc", {L"Clc", L"Calculator"}, int(T::Exact), "scattered last"},
        {{L"Calculator"}, L"cl", {}, 0, "never for two letters"},
        {{L"Calculator"}, L"lcc", {}, 0, "in order only"},
        {{kLong + L" Report", kLong + L"report"}, L"report", {kLong + L" Report", kLong + L"report"}, int(T::WordStart),
         "a word far into a long name"},
        {{L"Tools\\setup.lnk"}, L"lnk", {}, 0, "a hidden extension is not part of the name"},
        {{L"Tools\\setup.url"}, L"setup", {L"Tools\\setup.url"}, int(T::Exact), "the name without it"},
        {{L"Notes"}, L"x", {}, 0, "none"},
        {{L"Notes"}, L"", {}, 0, "empty text"},
        {{L"Notes"}, L"\u0301", {}, 0, "a text that folds to nothing"},
        {{}, L"a", {}, 0, "no entries"},
        {{L"ab"}, L"abc", {}, 0, "a text longer than the name"},

        // Folding.
        {{L"R\u00e9sum\u00e9", L"Resumes"}, L"resume", {L"R\u00e9sum\u00e9", L"Resumes"}, int(T::Exact), "accents"},
        {{L"Re\u0301sume\u0301"}, L"R\u00c9SUM\u00c9", {L"Re\u0301sume\u0301"}, int(T::Exact), "accents as marks"},
        {{L"Caf\u00e9 menu"}, L"cafe", {L"Caf\u00e9 menu"}, int(T::Prefix), "an accent in the name"},
        {{L"Stra\u00dfe"}, L"strasse", {L"Stra\u00dfe"}, int(T::Exact), "sharp s as ss"},
        {{L"Strasse"}, L"STRA\u00dfE", {L"Strasse"}, int(T::Exact), "and back"},
        {{L"Stra\u00dfeMap"}, L"map", {L"Stra\u00dfeMap"}, int(T::WordStart), "a word after a small sharp s"},
        {{L"na\u00efve\u00c9tude"}, L"\u00e9tude", {L"na\u00efve\u00c9tude"}, int(T::WordStart),
         "a capital beyond ASCII starts a word"},
        {{L"abc"}, L"\uff21\uff22\uff23", {L"abc"}, int(T::Exact), "full-width letters"},
        {{L"\uff21\uff22\uff23"}, L"abc", {L"\uff21\uff22\uff23"}, int(T::Exact), "and back"},
        {{L"\ufb01le list"}, L"file", {L"\ufb01le list"}, int(T::Prefix), "a ligature"},
        {{L"\u039f\u0394\u03a5\u03a3\u03a3\u0395\u0399\u0391\u03a3"},
         L"\u03bf\u03b4\u03c5\u03c3\u03c3\u03b5\u03b9\u03b1\u03c2",
         {L"\u039f\u0394\u03a5\u03a3\u03a3\u0395\u0399\u0391\u03a3"}, int(T::Exact), "Greek, with a final sigma"},
        {{L"\u041c\u043e\u0441\u043a\u0432\u0430"}, L"\u041c\u041e\u0421\u041a\u0412\u0410",
         {L"\u041c\u043e\u0441\u043a\u0432\u0430"}, int(T::Exact), "Cyrillic"},
        {{L"\U0001F600 smile"}, L"\U0001F600", {L"\U0001F600 smile"}, int(T::Prefix), "beyond the plane, as it is"},

        // Within a tier.
        {{L"Notes", L"A\\B\\Notes", L"A\\Notes"}, L"notes", {L"A\\Notes", L"A\\B\\Notes", L"Notes"}, int(T::Exact),
         "the one opened most recently first", {L"a\\notes", L"a\\b\\notes", L"A\\NOTES"}},
        {{L"Notes", L"A\\Old notes"}, L"notes", {L"Notes", L"A\\Old notes"}, int(T::Exact), "recent only within a tier",
         {L"a\\old notes"}},
        {{L"Notes2", L"Tools\\Notes3.lnk"}, L"notes", {L"Tools\\Notes3.lnk", L"Notes2"}, int(T::Prefix),
         "recent by the folded path, its hidden extension too", {L"TOOLS\\n\u00f6tes3.LNK"}},
        {{L"Notes2", L"Tools\\Notes3.lnk"}, L"notes", {L"Notes2", L"Tools\\Notes3.lnk"}, int(T::Prefix),
         "but not without it", {L"Tools\\Notes3"}},
        {{L"Notes", L"A\\Notes"}, L"notes", {L"A\\Notes", L"Notes"}, int(T::Exact), "then one the tree shows", {},
         {L"a"}},
        {{L"A\\Notes", L"B\\Notes"}, L"notes", {L"A\\Notes", L"B\\Notes"}, int(T::Exact), "recent before shown",
         {L"A\\Notes"}, {L"B"}},
        {{L"A\\B\\Notes", L"Notes2", L"A\\Notes"}, L"note", {L"Notes2", L"A\\Notes", L"A\\B\\Notes"}, int(T::Prefix),
         "then the shallower one"},
        {{L"Zeta", L"B\\Zed", L"Alpha\\Zulu"}, L"z", {L"Zeta", L"B\\Zed", L"Alpha\\Zulu"}, int(T::Prefix),
         "then the shorter name"},
        {{L"A\\Zulu", L"B\\Zeta"}, L"z", {L"B\\Zeta", L"A\\Zulu"}, int(T::Prefix), "then the name, not the path"},
        {{L"B\\Notes", L"a\\Notes"}, L"notes", {L"a\\Notes", L"B\\Notes"}, int(T::Exact), "then the folded path"},
        {{L"a1", L"a2", L"a3", L"a4", L"a5", L"a6", L"a7", L"a8", L"a9", L"a10"}, L"a",
         {L"a1", L"a2", L"a3", L"a4", L"a5", L"a6", L"a7", L"a8"}, int(T::Prefix), "eight at most"},
    };
    for (const auto& c : cases) {
        TFindTable table;
        SetFolders(table, c.Entries);
        const std::vector<TFindHit> hits = BestMatches(table, c.Text, c.Recent, c.ShownFolders);
        EXPECT_EQ(Paths(table, hits), c.Expected) << c.Why;
        EXPECT_EQ(hits.empty() ? 0 : int(hits[0].Tier), c.Tier) << c.Why;
    }
}

// A folder listed again replaces its entries; the table stays right as gaps
// are closed up.
TEST(FindRank, FoldersReplacedAndRemoved) {
    TFindTable table;
    SetFolders(table, {L"Keep.txt", L"Sub\\Old one.txt", L"Sub\\Old two.txt", L"sub\\Other.txt"});
    const std::vector<std::wstring> none;
    auto found = [&](const wchar_t* text) { return Paths(table, BestMatches(table, text, none, none)); };
    using TList = std::vector<std::wstring>;
    EXPECT_EQ(found(L"old"), (TList{L"Sub\\Old one.txt", L"Sub\\Old two.txt"}));
    EXPECT_EQ(found(L"other"), TList{L"sub\\Other.txt"}) << "folders differing in case are two";

    for (int round = 0; round < 3; ++round) {  // enough to close the gaps up
        const std::wstring name = L"New " + std::to_wstring(round) + L".txt";
        table.SetFolder(L"Sub", std::vector<TFindName>{{name, name.size()}});
        EXPECT_EQ(found(L"new"), TList{L"Sub\\" + name});
    }
    EXPECT_EQ(found(L"old"), TList{});
    EXPECT_EQ(table.Count(), 3u);
    table.RemoveFolder(L"sub");
    EXPECT_EQ(found(L"other"), TList{});
    EXPECT_EQ(found(L"keep"), TList{L"Keep.txt"});
    EXPECT_EQ(found(L"new"), TList{L"Sub\\New 2.txt"});
    EXPECT_EQ(table.Count(), 2u);
    table.RemoveFolder(L"missing");
    EXPECT_EQ(table.Count(), 2u);
    table.Clear();
    EXPECT_EQ(found(L"keep"), TList{});
}

// Recent entries are named by their file names, hidden extensions too.
TEST(FindRank, RecentByFileName) {
    TFindTable table;
    SetFolders(table, {L"Notes2.txt", L"Tools\\Notes.lnk", L"Other"});
    auto found = [&](const wchar_t* text, std::vector<std::wstring> recent) {
        return Paths(table, BestMatches(table, text, recent, {}));
    };
    using TList = std::vector<std::wstring>;
    EXPECT_EQ(found(L"NOTES", {}), (TList{L"Tools\\Notes.lnk", L"Notes2.txt"}));
    EXPECT_EQ(found(L"notes", {L"notes2.txt"}), (TList{L"Tools\\Notes.lnk", L"Notes2.txt"}));
    EXPECT_EQ(found(L"note", {L"notes2.txt"}), (TList{L"Notes2.txt", L"Tools\\Notes.lnk"}));
}

}  // namespace
