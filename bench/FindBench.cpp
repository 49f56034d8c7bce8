// Measures the search's ranking on a made-up index of 100,000 entries in
// 10,000 folders: building it, its bytes per entry, and the answer to every
// keystroke of a few texts (the whole list of the best eight). Core only,
// so it builds natively (scripts/findbench) and for Windows (find_bench.exe,
// run under Wine by scripts/findbench --wine).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/FindRank.h"

namespace {

constexpr size_t kFolders = 10000;
constexpr size_t kFilesPerFolder = 9;
constexpr size_t kFanOut = 8;
constexpr int kRuns = 7;

// Same numbers on every platform, unlike the standard distributions.
struct TRandom {
    uint64_t State = 0x9E3779B97F4A7C15u;
    size_t Below(size_t n) {
        State = State * 6364136223846793005u + 1442695040888963407u;
        return static_cast<size_t>((State >> 33) % n);
    }
};

const wchar_t* const kWords[] = {
    L"project", L"report", L"quarterly", L"budget", L"invoice", L"notes", L"meeting", L"draft", L"final",
    L"photo", L"shop", L"studio", L"visual", L"office", L"word", L"excel", L"mail", L"calendar", L"calculator",
    L"clock", L"music", L"player", L"video", L"editor", L"terminal", L"server", L"client", L"backup", L"setup",
    L"tool", L"tools", L"archive", L"summary", L"plan", L"design", L"review", L"release", L"build", L"test",
    L"manual", L"guide", L"readme", L"license", L"contract", L"offer", L"order", L"receipt", L"travel", L"tickets",
    L"r\u00e9sum\u00e9", L"caf\u00e9", L"stra\u00dfe", L"\u00fcbersicht", L"gr\u00f6\u00dfe", L"na\u00efve",
    L"\u00e9tude", L"se\u00f1or", L"sm\u00f6rg\u00e5sbord", L"gar\u00e7on", L"data", L"sheet", L"slides", L"deck",
    L"minutes",
    L"agenda", L"home", L"work", L"family", L"school", L"games", L"steam", L"launcher", L"browser", L"network",
    L"drive", L"cloud", L"sync", L"share", L"print", L"scan", L"paint", L"sketch", L"model", L"render",
};
const wchar_t* const kExtensions[] = {L".lnk", L".lnk", L".lnk", L".url", L".txt", L".docx", L".pdf", L""};

std::wstring Word(TRandom& random) {
    std::wstring word = kWords[random.Below(std::size(kWords))];
    if (random.Below(3) != 0 && word[0] >= L'a' && word[0] <= L'z') word[0] = static_cast<wchar_t>(word[0] - L'a' + L'A');
    return word;
}

std::wstring MadeName(TRandom& random, bool file) {
    const size_t words = 1 + random.Below(3);
    const wchar_t* separators[] = {L" ", L" ", L"-", L"_", L""};
    std::wstring name = Word(random);
    for (size_t i = 1; i < words; ++i) name += separators[random.Below(std::size(separators))] + Word(random);
    if (random.Below(3) == 0) name += L" " + std::to_wstring(2000 + random.Below(30));
    if (file) name += kExtensions[random.Below(std::size(kExtensions))];
    return name;
}

size_t ShownLength(const std::wstring& name) {
    const size_t n = name.size();
    return n > 4 && (name.compare(n - 4, 4, L".lnk") == 0 || name.compare(n - 4, 4, L".url") == 0) ? n - 4 : n;
}

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    using Clock = std::chrono::steady_clock;
    TRandom random;
    // An eight-way tree of folders; each folder is an entry of its parent.
    std::vector<std::wstring> folders{L""};
    std::vector<std::vector<std::wstring>> names(kFolders);
    for (size_t i = 1; i < kFolders; ++i) {
        const size_t parent = (i - 1) / kFanOut;
        std::wstring name = MadeName(random, false) + L" " + std::to_wstring(i);
        folders.push_back(folders[parent].empty() ? name : folders[parent] + L"\\" + name);
        names[parent].push_back(name);
    }
    size_t chars = 0;
    for (size_t i = 0; i < kFolders; ++i)
        for (size_t j = 0; j < kFilesPerFolder + (i == 0); ++j) names[i].push_back(MadeName(random, true));
    for (const auto& list : names)
        for (const std::wstring& name : list) chars += name.size();

    TFindTable table;
    const auto buildStart = Clock::now();
    std::vector<TFindName> listed;
    for (size_t i = 0; i < kFolders; ++i) {
        listed.clear();
        for (const std::wstring& name : names[i]) listed.push_back({name, ShownLength(name)});
        table.SetFolder(folders[i], listed);
    }
    const double buildMs = Ms(Clock::now() - buildStart);

    // A folder listed again, and the copy the index hands out.
    const auto relistStart = Clock::now();
    for (size_t i = 0; i < 100; ++i) {
        const size_t f = random.Below(kFolders);
        listed.clear();
        for (const std::wstring& name : names[f]) listed.push_back({name, ShownLength(name)});
        table.SetFolder(folders[f], listed);
    }
    const double relistMs = Ms(Clock::now() - relistStart) / 100;
    const auto copyStart = Clock::now();
    const TFindTable published = table;
    const double copyMs = Ms(Clock::now() - copyStart);

    std::printf("%zu entries in %zu folders (names %.1f characters on average)\n", published.Count(), kFolders,
                static_cast<double>(chars) / static_cast<double>(published.Count()));
    std::printf("built in %.1f ms; a folder listed again %.3f ms; a copy %.1f ms\n", buildMs, relistMs, copyMs);
    std::printf("%.1f bytes per entry, names included (%zu bytes)\n",
                static_cast<double>(published.Bytes()) / static_cast<double>(published.Count()), published.Bytes());

    // Twenty opened lately; the working folder and ten folders open in the tree.
    std::vector<std::wstring> recent, shown;
    for (size_t i = 0; i < 20; ++i) {
        const size_t f = random.Below(kFolders);
        const std::wstring& name = names[f][random.Below(names[f].size())];
        recent.push_back(folders[f].empty() ? name : folders[f] + L"\\" + name);
    }
    for (size_t f = 0; f < 11; ++f) shown.push_back(folders[f]);

    // Each keystroke is timed kRuns times, apart, and counts with its
    // median: the machine is shared, and a run the system interrupts says
    // nothing about the search.
    const wchar_t* texts[] = {L"project", L"report 20", L"qr", L"clc", L"zzz", L"\u00e9tude", L"STRASSE", L"tpr", L"e"};
    std::vector<std::vector<double>> times;  // per keystroke, its runs
    std::vector<std::pair<size_t, size_t>> keys;  // per keystroke: text, length
    for (size_t t = 0; t < std::size(texts); ++t)
        for (size_t length = 1; texts[t][length - 1]; ++length) keys.emplace_back(t, length);
    times.resize(keys.size());
    std::vector<size_t> found(std::size(texts));
    for (int run = 0; run < kRuns; ++run)
        for (size_t k = 0; k < keys.size(); ++k) {
            const std::wstring text(texts[keys[k].first], keys[k].second);
            const auto start = Clock::now();
            found[keys[k].first] = BestMatches(published, text, recent, shown).size();
            times[k].push_back(Ms(Clock::now() - start));
        }
    std::vector<double> medians, worst;
    for (size_t t = 0; t < std::size(texts); ++t) {
        std::vector<double> own;
        for (size_t k = 0; k < keys.size(); ++k)
            if (keys[k].first == t) {
                own.push_back(Median(times[k]));
                worst.push_back(*std::max_element(times[k].begin(), times[k].end()));
            }
        medians.insert(medians.end(), own.begin(), own.end());
        std::string label;  // ASCII: the console's code page may lack the rest
        for (const wchar_t* c = texts[t]; *c; ++c) label += *c < 0x80 ? static_cast<char>(*c) : '?';
        std::printf("  %-10s keystrokes: median %.3f ms, slowest %.3f ms (%zu found for the whole text)\n",
                    label.c_str(), Median(own), *std::max_element(own.begin(), own.end()), found[t]);
    }
    std::printf("%zu keystrokes, each the median of %d runs: median %.3f ms, slowest %.3f ms "
                "(slowest single run %.3f ms)\n",
                keys.size(), kRuns, Median(medians), *std::max_element(medians.begin(), medians.end()),
                *std::max_element(worst.begin(), worst.end()));
    return 0;
}
