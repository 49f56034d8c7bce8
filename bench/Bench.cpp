// Measures filling, refreshing and change reaction of the shell tree
// against the shell's own unavoidable cost, and the program's start-up and
// call-up.
// Usage: tavrix_bench.exe [sizes...]  (default: 1000 10000, then finding,
//                                      the start-up and restoring the view)
//        tavrix_bench.exe icons [sizes...] (adds asking every row's icons at
//                                      every size, not only at 1000)
//        tavrix_bench.exe find           (the find index alone)
//        tavrix_bench.exe startup        (the start-up and call-up alone)
//        tavrix_bench.exe view           (restoring many open folders alone)
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <functional>
#include <map>
#include <string>
#include <atomic>
#include <thread>
#include <vector>

#include "FindIndexBench.h"
#include "BenchClock.h"
#include "shell/ShellBrowser.h"
#include "shell/Shell_Win32.h"
#include "shelltree/ShellControls.h"
#include "testutil/TestFiles.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Profile.h"

namespace {

constexpr int kRepetitions = 5;
constexpr int kCallUps = 20;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A real shortcut's bytes, copied into every generated shortcut.
std::string ShortcutBytes(const std::wstring& scratch) {
    std::wstring path = scratch + L"\\model.lnk";
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        link->SetPath(L"C:\\windows\\notepad.exe");
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            file->Save(path.c_str(), TRUE);
            file->Release();
        }
        link->Release();
    }
    std::string bytes = testutil::ReadFileBytes(path);
    DeleteFileW(path.c_str());
    return bytes;
}

// n entries: 2% folders, the rest shortcuts and text files half and half.
void Generate(const std::wstring& dir, int n, const std::string& lnk) {
    CreateDirectoryW(dir.c_str(), nullptr);
    for (int i = 0; i < n; ++i) {
        wchar_t name[64];
        if (i % 50 == 0) {
            swprintf(name, 64, L"\\folder %05d", i);
            CreateDirectoryW((dir + name).c_str(), nullptr);
        } else if (i % 2) {
            swprintf(name, 64, L"\\link %05d.lnk", i);
            testutil::WriteFileBytes(dir + name, lnk);
        } else {
            swprintf(name, 64, L"\\note %05d.txt", i);
            testutil::WriteFileBytes(dir + name, "note");
        }
    }
}

std::string RunsText(const std::vector<double>& runs) {
    std::string text;
    for (double r : runs) {
        char one[32];
        std::snprintf(one, sizeof(one), " %.0f", r);
        text += one;
    }
    return text;
}

// One counter's share of a measured run.
struct TShare {
    std::string Name;
    long Calls;
    double Ms;
};

struct TResult {
    double Median;
    std::vector<TShare> Shares;  // of the last run
    long Icons;
};

long* IconCounter = nullptr;  // the tree's icon lookups, when one is measured

// Runs the step kRepetitions times (setup untimed) and keeps where the time
// of the last run went.
TResult Measure(const std::function<void()>& setup, const std::function<void()>& step,
                int repetitions = kRepetitions) {
    std::vector<double> times;
    for (int r = 0; r < repetitions; ++r) {
        if (setup) setup();
        ui::ResetProfileCounters();
        if (IconCounter) *IconCounter = 0;
        double t0 = NowMs();
        step();
        times.push_back(NowMs() - t0);
    }
    std::vector<TShare> shares;
    for (const ui::TProfileCounter* c : ui::ProfileCounters())
        if (c->Calls) shares.push_back({c->Name, c->Calls, c->Milliseconds()});
    return {Median(times), shares, IconCounter ? *IconCounter : 0};
}

// A measure taken in turns with its floor (setup, floor, subject, setup,
// floor, subject, ...), so that a busy or a quiet moment of the machine weighs on both
// alike: the ratio is the median of the pairwise ratios.
struct TPaired {
    std::vector<double> Floor, Subject;
    std::vector<TShare> Shares;  // of the subject's last run
    long Icons = 0;
    double FloorMedian() const { return Median(Floor); }
    double SubjectMedian() const { return Median(Subject); }
    double Ratio() const {
        std::vector<double> ratios;
        for (size_t i = 0; i < Floor.size() && i < Subject.size(); ++i) ratios.push_back(Subject[i] / Floor[i]);
        return Median(ratios);
    }
};

double TimeMs(const std::function<void()>& step) {
    double t0 = NowMs();
    step();
    return NowMs() - t0;
}

TPaired MeasureInTurns(const std::function<void()>& floor, const std::function<void()>& setup,
                       const std::function<void()>& step, int repetitions = kRepetitions,
                       const std::function<void()>& afterFloor = nullptr) {
    TPaired result;
    for (int r = 0; r < repetitions; ++r) {
        // The floor lists the folder as the subject finds it, unless what
        // comes after the floor (untimed) changes it.
        if (setup) setup();
        result.Floor.push_back(TimeMs(floor));
        if (afterFloor) afterFloor();
        ui::ResetProfileCounters();
        if (IconCounter) *IconCounter = 0;
        result.Subject.push_back(TimeMs(step));
    }
    for (const ui::TProfileCounter* c : ui::ProfileCounters())
        if (c->Calls) result.Shares.push_back({c->Name, c->Calls, c->Milliseconds()});
    result.Icons = IconCounter ? *IconCounter : 0;
    return result;
}

// Floor: the shell's enumeration with what a row needs to be listed and
// ordered (display name and attributes), into a plain tree view, unsorted.
void Floor(const std::wstring& dir, HWND plainTree, bool withIcons) {
    TIDList folderList = PathToIDList(nullptr, dir);
    ui::TComPtr<IShellFolder> folder;
    DesktopFolder->BindToObject(reinterpret_cast<PCUIDLIST_RELATIVE>(folderList.Get()), nullptr, IID_IShellFolder,
                                folder.PutVoid());
    ui::TComPtr<IEnumIDList> items;
    folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, items.Put());
    SendMessageW(plainTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    SendMessageW(plainTree, WM_SETREDRAW, FALSE, 0);
    for (;;) {
        TIDList item;
        ULONG fetched = 0;
        if (items->Next(1, reinterpret_cast<PITEMID_CHILD*>(item.Put()), &fetched) != S_OK) break;
        STRRET str{};
        folder->GetDisplayNameOf(reinterpret_cast<PCUITEMID_CHILD>(item.Get()), SHGDN_NORMAL, &str);
        std::wstring name = StrRetToString(item.Get(), str);
        FreeStrRet(str);
        SFGAOF attrs = SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_HIDDEN;
        LPCITEMIDLIST one[1] = {item.Get()};
        folder->GetAttributesOf(1, reinterpret_cast<PCUITEMID_CHILD_ARRAY>(one), &attrs);
        TVINSERTSTRUCTW ins{};
        ins.hParent = TVI_ROOT;
        ins.hInsertAfter = TVI_LAST;
        ins.item.mask = TVIF_TEXT;
        ins.item.pszText = name.data();
        if (withIcons) {
            TIDList absolute = ConcatIDLists(folderList.Get(), item.Get());
            SHFILEINFOW info{};
            SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute.Get()), 0, &info, sizeof(info),
                           SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
            SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute.Get()), 0, &info, sizeof(info),
                           SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
            ins.item.mask |= TVIF_IMAGE;
            ins.item.iImage = info.iIcon;
        }
        SendMessageW(plainTree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins));
    }
    SendMessageW(plainTree, WM_SETREDRAW, TRUE, 0);
}

constexpr TKesShellShowOptions kDesigned = ShowOption(soShowNethood) | ShowOption(soShowRecycleBin) |
                                           ShowOption(soShowErrorMessages) | ShowOption(soShowFiles) |
                                           ShowOption(soShowContextMenuOnTop);

// The measure, its ratio to the floor taken in turns with it, then where
// the time of its last run went: each counted step's own time (nested
// steps not included), and the rest, which is our own code.
void PrintLine(const char* name, const TPaired& r, const char* goal) {
    std::printf("%-28s %10.1f ms  %6.2fx floor  (floor in turns %.1f ms; runs:%s) %s\n", name, r.SubjectMedian(),
                r.Ratio(), r.FloorMedian(), RunsText(r.Subject).c_str(), goal);
    double counted = 0;
    for (const auto& share : r.Shares) {
        std::printf("    %-40s %7ld calls %9.1f ms\n", share.Name.c_str(), share.Calls, share.Ms);
        counted += share.Ms;
    }
    std::printf("    %-40s %19.1f ms (about, of the median)\n", "rest: our own code", r.SubjectMedian() - counted);
    std::printf("    %-40s %7ld\n", "icon lookups", r.Icons);
}

std::map<std::string, double> RunSize(const std::wstring& base, int n, const std::string& lnk, bool icons) {
    std::wstring dir = base + L"\\entries" + std::to_wstring(n);
    Generate(dir, n, lnk);
    std::printf("\n== folder of %d entries\n", n);

    ui::TForm form;  // hidden, as the real window is most of the time
    form.SetBounds(0, 0, 249, 397);
    // The floor's plain tree lives beside the shell tree: the two take turns.
    HWND plain = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 233, 348, form.Handle(),
                                 nullptr, nullptr, nullptr);
    auto floor = [&] { Floor(dir, plain, false); };
    TResult alone = Measure(nullptr, floor);
    std::printf("%-28s %10.1f ms  (display names and attributes into a plain tree view; alone, before the rest)\n",
                "floor", alone.Median);
    if (icons) {
        // Asking every icon takes long (the reason icons are lazy): one run.
        TResult withIcons = Measure(nullptr, [&] { Floor(dir, plain, true); }, 1);
        std::printf("%-28s %10.1f ms  (one run; what asking every row's two icons adds; lazy icons avoid it)\n",
                    "  + icons of every row", withIcons.Median - alone.Median);
    }

    auto tree = std::make_unique<TKesShellTree>(&form);
    tree->SetBounds(8, 8, 233, 348);
    tree->SetShowOptions(kDesigned);
    IconCounter = &tree->IconLookups;
    TPaired fill = MeasureInTurns(floor, [&] { tree->SetRootedAt(SF_DESKTOP); },
                                  [&] { tree->SetRootedAtFileSystemFolder(dir); });
    PrintLine("fill", fill, "(goal: at most 1.5x)");

    TPaired same = MeasureInTurns(floor, nullptr, [&] { tree->RefreshNode(tree->Items.GetFirstNode(), true); });
    PrintLine("refresh, nothing changed", same, "(goal: at most 1.5x)");

    // F5 also asks every name, to show one whose look changed: while idle,
    // after the tree is back. Measured until the last name is in.
    tree->RefreshAsksNames = true;
    TPaired named = MeasureInTurns(floor, nullptr, [&] {
        tree->RefreshNode(tree->Items.GetFirstNode(), true);
        while (tree->NamesPending()) {
            ui::Application->ProcessMessages();
            if (tree->NamesPending()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    });
    tree->RefreshAsksNames = false;
    PrintLine("refresh and names (F5)", named, "(until the last name asked while idle is in)");

    int round = 0;
    int churn = std::max(1, n / 100);
    TPaired changed = MeasureInTurns(
        floor,
        [&] {
            // 1% new entries, and 1% of the originals gone.
            ++round;
            for (int i = 0; i < churn; ++i) {
                wchar_t name[64];
                swprintf(name, 64, L"\\added %d %05d.txt", round, i);
                testutil::WriteFileBytes(dir + name, "a");
                swprintf(name, 64, L"\\note %05d.txt", (round * churn + i) * 2 % n);
                DeleteFileW((dir + name).c_str());
            }
        },
        [&] { tree->RefreshNode(tree->Items.GetFirstNode(), true); });
    PrintLine("refresh, 1% added, 1% gone", changed, "");

    int reports = 1000;
    std::vector<std::wstring> created;
    std::vector<TIDList> createdLists;  // as the shell would hand them over
    // Only the reports are measured: the directory watch stays out of it.
    tree->Notifier->SetEnabled(false);
    // The floor lists the folder before the files come: reacting to them
    // costs about what listing as many entries costs.
    TPaired react = MeasureInTurns(
        floor,
        [&] {
            for (const auto& path : created) DeleteFileW(path.c_str());
            created.clear();
            tree->RefreshNode(tree->Items.GetFirstNode(), true);
        },
        [&] {
            for (const auto& list : createdLists)
                tree->ShellChanged(tree->Notifier.get(), neFileCreate, list.Get(), nullptr);
            ui::Application->ProcessMessages();  // deferred work, if any
        },
        kRepetitions,
        [&] {
            ++round;
            for (int i = 0; i < reports; ++i) {
                wchar_t name[64];
                swprintf(name, 64, L"\\made %d %04d.txt", round, i);
                created.push_back(dir + name);
                testutil::WriteFileBytes(dir + name, "m");
            }
            createdLists.clear();
            for (const auto& path : created) createdLists.push_back(PathToIDList(nullptr, path));
        });
    int shown = 0;
    for (ui::TTreeNode* c = tree->Items.GetFirstNode()->GetFirstChild(); c; c = c->GetNextSibling())
        if (c->Text().rfind(L"made ", 0) == 0) ++shown;
    PrintLine("react, 1000 created files", react, "(goal: at most 1.5x)");
    std::printf("    (%d of %d new entries shown afterwards; the floor in turns lists the %d entries before)\n", shown,
                reports, n);
    IconCounter = nullptr;
    tree.reset();
    DestroyWindow(plain);
    testutil::RemoveTree(dir);
    return {{"floor", alone.Median}, {"fill", fill.SubjectMedian()}, {"refresh", same.SubjectMedian()},
            {"refresh-changed", changed.SubjectMedian()}, {"react", react.SubjectMedian()}};
}

// Start-up: from CreateProcess until the program waits for input, one run.
// With a profile file, the program writes where its start-up time went.
double StartUpOnce(const std::wstring& exe, const std::wstring& folder, SIZE_T* workingSet = nullptr,
                   const std::wstring& profile = {}) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + exe + L"\"";
    SetEnvironmentVariableW(L"TAVRIX_PROFILE", profile.empty() ? nullptr : profile.c_str());
    double t0 = NowMs();
    BOOL started =
        CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi);
    SetEnvironmentVariableW(L"TAVRIX_PROFILE", nullptr);
    if (!started) return -1;
    WaitForInputIdle(pi.hProcess, 60000);
    double elapsed = NowMs() - t0;
    if (workingSet) {
        PROCESS_MEMORY_COUNTERS pmc{};
        pmc.cb = sizeof(pmc);
        GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof(pmc));
        *workingSet = pmc.WorkingSetSize;
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return elapsed;
}

// Call-up: from a hot key (posted as the system posts it) until the window
// is visible, painted and has the keyboard in its tree. The first call-up
// after launch reads the stored view; the later ones only show the window.
struct TCallUps {
    double First = -1;
    std::vector<double> Later;
    std::vector<TShare> FirstShares;  // with a profile: what the first call-up spent
};

HWND FindProgramWindow(DWORD pid) {
    struct TSearch {
        DWORD Pid;
        HWND Found;
    } search{pid, nullptr};
    EnumWindows(
        [](HWND w, LPARAM p) WINAPI -> BOOL {
            auto* s = reinterpret_cast<TSearch*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            wchar_t cls[32] = {};
            GetClassNameW(w, cls, 32);
            if (owner != s->Pid || std::wstring(cls) != L"TForm") return TRUE;
            s->Found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

template <typename F>
bool SpinUntil(F&& done, double timeoutMs) {
    double t0 = NowMs();
    while (!done()) {
        if (NowMs() - t0 > timeoutMs) return false;
        SwitchToThread();
    }
    return true;
}

// A floor taken as the program's times are taken: while this process spins
// on a processor, as it does waiting for the program. On a machine whose
// processors sleep when idle this changes everything: every file and window
// call under Wine is a round trip to the wine server, and the same listing
// took 90 ms with a processor kept busy and 500 to 760 ms without.
double TimeSpinningMs(const std::function<void()>& step) {
    std::atomic<bool> done{false};
    std::thread spinner([&] {
        while (!done) SwitchToThread();
    });
    const double ms = TimeMs(step);
    done = true;
    spinner.join();
    return ms;
}

std::vector<TShare> ReadShares(const std::wstring& profile);
std::vector<TShare> SharesSince(const std::vector<TShare>& before, const std::vector<TShare>& after);

// The real program, started in a folder beside its INI, driven as the
// system drives it: posted hot keys and keys.
class TProgram {
public:
    // With a profile file, the program writes its counters there whenever
    // it goes idle after work.
    TProgram(const std::wstring& exe, const std::wstring& folder, const std::wstring& profile = {})
        : FProfile(profile) {
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        std::wstring cmd = L"\"" + exe + L"\"";
        SetEnvironmentVariableW(L"TAVRIX_PROFILE", profile.empty() ? nullptr : profile.c_str());
        const BOOL started = CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                           folder.c_str(), &si, &FInfo);
        SetEnvironmentVariableW(L"TAVRIX_PROFILE", nullptr);
        if (!started) return;
        WaitForInputIdle(FInfo.hProcess, 60000);
        SpinUntil([&] { return (FForm = FindProgramWindow(FInfo.dwProcessId)) != nullptr; }, 10000);
        FTree = FForm ? FindWindowExW(FForm, nullptr, L"SysTreeView32", nullptr) : nullptr;
    }
    ~TProgram() {
        if (!FInfo.hProcess) return;
        TerminateProcess(FInfo.hProcess, 0);
        WaitForSingleObject(FInfo.hProcess, 10000);
        CloseHandle(FInfo.hThread);
        CloseHandle(FInfo.hProcess);
    }
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    bool Started() const { return FTree != nullptr; }

    // Visible, painted and the keyboard in the tree.
    bool Ready() const {
        if (!IsWindowVisible(FForm) || !IsWindowVisible(FTree)) return false;
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        if (!GetGUIThreadInfo(FInfo.dwThreadId, &info) || info.hwndFocus != FTree) return false;
        RECT r;
        return !GetUpdateRect(FTree, &r, FALSE) && !GetUpdateRect(FForm, &r, FALSE);
    }

    // Milliseconds from the hot key until the window is ready; -1 when it
    // did not come up.
    double CallUp() {
        double t0 = NowMs();
        PostMessageW(FForm, WM_HOTKEY, 1, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'Z'));
        return SpinUntil([&] { return Ready(); }, 20000) ? NowMs() - t0 : -1;
    }

    // The same key sends it away again.
    bool SendAway() {
        PostMessageW(FForm, WM_HOTKEY, 1, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'Z'));
        bool hidden = SpinUntil([&] { return !IsWindowVisible(FForm); }, 10000);
        WaitForInputIdle(FInfo.hProcess, 1000);
        return hidden;
    }

    // Milliseconds from F5 until the tree is back and ready. The refresh
    // hides the tree while it works, which tells that the key was taken.
    double Refresh() {
        double t0 = NowMs();
        PostMessageW(FTree, WM_KEYDOWN, VK_F5, 1);
        PostMessageW(FTree, WM_KEYUP, VK_F5, 0xC0000001);
        if (!SpinUntil([&] { return !IsWindowVisible(FTree); }, 5000)) return -1;
        return SpinUntil([&] { return Ready(); }, 20000) ? NowMs() - t0 : -1;
    }

    // The program's processor time so far, in 100 ns units.
    ULONGLONG Cpu() const {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(FInfo.hProcess, &created, &exited, &kernel, &user);
        return (static_cast<ULONGLONG>(kernel.dwHighDateTime) << 32 | kernel.dwLowDateTime) +
               (static_cast<ULONGLONG>(user.dwHighDateTime) << 32 | user.dwLowDateTime);
    }

    // Until the program has used no processor time for 200 ms and, with a
    // profile, has gone idle since it last did: a program that waits on
    // something in the middle of its work (the display, another process)
    // uses no processor time either, and its work would go on while the
    // bench measures a floor.
    void Settle() {
        const double start = NowMs();
        ULONGLONG before = Cpu();
        double changed = start;
        while (NowMs() - start < 5000) {
            Sleep(10);
            if (const ULONGLONG now = Cpu(); now != before) {
                before = now;
                changed = NowMs();
                continue;
            }
            if (NowMs() - changed >= 200 && (FProfile.empty() || LastIdleMs() >= changed - 20)) return;
        }
    }

    // When the program's message loop last went to wait, by the
    // performance counter; 0 when it has not told.
    double LastIdleMs() const {
        for (const TShare& share : ReadShares(FProfile))
            if (share.Name == "idle at") return share.Ms;
        return 0;
    }

private:
    std::wstring FProfile;
    PROCESS_INFORMATION FInfo{};
    HWND FForm = nullptr;
    HWND FTree = nullptr;
};

TCallUps MeasureCallUps(const std::wstring& exe, const std::wstring& folder, int count, DWORD afterLaunchMs = 0,
                        const std::wstring& profile = {}) {
    TCallUps result;
    if (!profile.empty()) DeleteFileW(profile.c_str());
    TProgram program(exe, folder, profile);
    Sleep(afterLaunchMs);
    for (int i = 0; program.Started() && i <= count; ++i) {
        const bool profiled = i == 0 && !profile.empty();
        const std::vector<TShare> before = profiled ? ReadShares(profile) : std::vector<TShare>{};
        double elapsed = program.CallUp();
        if (elapsed < 0) break;
        if (i == 0) {
            result.First = elapsed;
            if (profiled) {
                program.Settle();
                result.FirstShares = SharesSince(before, ReadShares(profile));
            }
        } else {
            result.Later.push_back(elapsed);
        }
        if (!program.SendAway()) break;
    }
    return result;
}

// The program's profile file: "name<TAB>calls<TAB>ms" lines.
std::vector<TShare> ReadShares(const std::wstring& profile) {
    std::vector<TShare> shares;
    // The program puts a new file in place of the old one; a read at that
    // moment under Wine can find nothing, so an existing file is read again.
    std::string text = testutil::ReadFileBytes(profile);
    for (int attempt = 0; text.empty() && attempt < 50 && GetFileAttributesW(profile.c_str()) != INVALID_FILE_ATTRIBUTES;
         ++attempt) {
        Sleep(2);
        text = testutil::ReadFileBytes(profile);
    }
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
        if (tab1 == std::string::npos || tab2 == std::string::npos) continue;
        shares.push_back({line.substr(0, tab1), std::atol(line.substr(tab1 + 1, tab2 - tab1 - 1).c_str()),
                          std::atof(line.substr(tab2 + 1).c_str())});
    }
    return shares;
}

// What the program counted between two readings of its profile.
std::vector<TShare> SharesSince(const std::vector<TShare>& before, const std::vector<TShare>& after) {
    std::vector<TShare> since;
    for (const TShare& a : after) {
        if (a.Name == "since start" || a.Name == "idle at") continue;
        TShare d = a;
        for (const TShare& b : before)
            if (b.Name == a.Name) {
                d.Calls -= b.Calls;
                d.Ms -= b.Ms;
            }
        if (d.Calls > 0) since.push_back(d);
    }
    return since;
}

void PrintShares(const char* what, const std::vector<TShare>& shares) {
    std::printf("    where the last %s went, as the program counted it (until it settled):\n", what);
    for (const TShare& share : shares)
        std::printf("      %-44s %7ld calls %9.1f ms\n", share.Name.c_str(), share.Calls, share.Ms);
}

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

// A folder of its own holding copies of the program and the floor
// programs, whose INI roots the tree at base\quorb.
std::wstring PrepareRun(const std::wstring& base, const std::wstring& work, const std::string& moreIni = {}) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring here = Folder(self);
    std::wstring run = base + L"\\run";
    CreateDirectoryW(run.c_str(), nullptr);
    for (const wchar_t* exe : {L"\\tavrix.exe", L"\\minimal.exe", L"\\callup_floor.exe"})
        CopyFileW((here + exe).c_str(), (run + exe).c_str(), FALSE);
    CreateDirectoryW(work.c_str(), nullptr);
    std::string ini = "[OPTIONS]\r\nShowAppWndOnLaunch=0\r\nShowTrayIcon=0\r\nWorkingFolderOption=3\r\n"
                      "WorkingFolderPath=" + std::string(work.begin(), work.end()) + "\r\n" + moreIni;
    testutil::WriteFileBytes(run + L"\\tavrix.ini", ini);
    return run;
}

// Restoring the view: a working folder of 200 files and 40 folders of 20
// entries each, all open, against the floor of listing those same 41
// folders once. The first call-up after launch restores the stored view;
// F5 stores and restores it again. A second run adds 20 recorded folders
// that no longer exist.
void ViewSection(const std::wstring& base, const std::string& lnk) {
    std::wstring work = base + L"\\viewbase", quorb = work + L"\\quorb";
    CreateDirectoryW(work.c_str(), nullptr);
    CreateDirectoryW(quorb.c_str(), nullptr);
    std::vector<std::wstring> folders;
    for (int i = 0; i < 200; ++i) {
        wchar_t name[64];
        swprintf(name, 64, i % 2 ? L"\\top %03d.lnk" : L"\\top %03d.txt", i);
        testutil::WriteFileBytes(quorb + name, i % 2 ? lnk : std::string("top"));
    }
    for (int i = 0; i < 40; ++i) {
        wchar_t name[64];
        swprintf(name, 64, L"\\open %02d", i);
        folders.push_back(quorb + name);
        Generate(folders.back(), 20, lnk);
    }
    std::string open = std::string(quorb.begin(), quorb.end()) + "*";
    for (const auto& f : folders) open += std::string(f.begin(), f.end()) + "*";
    std::string stale = open;
    for (int i = 0; i < 20; ++i) stale += std::string(quorb.begin(), quorb.end()) + "\\gone " + std::to_string(i) + "*";

    ui::TForm form;
    HWND plain = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 233, 348, form.Handle(),
                                 nullptr, nullptr, nullptr);
    auto floor = [&] {
        Floor(quorb, plain, false);
        for (const auto& f : folders) Floor(f, plain, false);
    };
    std::printf("\n== restoring the view (200 files and 40 open folders of 20 entries)\n");
    std::printf("%-28s (the same 41 folders listed into a plain tree view, in turns with each launch,\n"
                "%-28s  while the program runs)\n",
                "floor", "");

    for (const auto& [label, expanded] : {std::pair{"", open}, std::pair{", 20 stale", stale}}) {
        // The floors are taken while the program runs: its watches on the
        // open folders slow every listing of them (about twice, measured
        // with a floor taken before the launch beside). The first call-up
        // comes at once after the launch, before the hidden window reads
        // the stored view by itself, so its floor follows it.
        TPaired first, refresh;
        std::vector<double> alone;
        std::vector<TShare> firstShares, refreshShares;
        const std::wstring profile = base + L"\\viewprofile.txt";
        bool failed = false;
        for (int r = 0; r < kRepetitions && !failed; ++r) {
            std::wstring run = PrepareRun(base, work, "Expanded=" + expanded + "\r\n");
            alone.push_back(TimeSpinningMs(floor));
            DeleteFileW(profile.c_str());
            TProgram program(run + L"\\tavrix.exe", run, profile);
            if (!program.Started()) {
                failed = true;
                break;
            }
            // The program writes its counters when its message loop first
            // waits, which may come a moment after it first looked for input.
            std::vector<TShare> started;
            SpinUntil([&] { return !(started = ReadShares(profile)).empty(); }, 5000);
            // Each floor waits until the program's work after the key
            // (icons of the shown rows, the entry index) is done, so that
            // the two do not share the processors.
            double firstMs = program.CallUp();
            program.Settle();
            double floorMs = TimeSpinningMs(floor);
            const std::vector<TShare> calledUp = ReadShares(profile);
            double refreshMs = program.Refresh();
            program.Settle();
            double floorAgain = TimeSpinningMs(floor);
            firstShares = SharesSince(started, calledUp);
            refreshShares = SharesSince(calledUp, ReadShares(profile));
            if (firstMs < 0 || refreshMs < 0) failed = true;
            first.Floor.push_back(floorMs);
            first.Subject.push_back(firstMs);
            refresh.Floor.push_back(floorAgain);
            refresh.Subject.push_back(refreshMs);
        }
        if (failed || first.Subject.empty()) {
            std::printf("restoring the view%s: the window did not come up or answer F5\n", label);
            continue;
        }
        std::printf("%-28s %10.1f ms  (runs:%s)\n", (std::string("floor before launch") + label).c_str(),
                    Median(alone), RunsText(alone).c_str());
        for (const auto& [name, r] : {std::pair{std::string("first call-up") + label, &first},
                                      std::pair{std::string("F5") + label, &refresh}})
            std::printf("%-28s %10.1f ms  %6.2fx floor  (floor in turns %.1f ms; runs:%s; goal: at most 1.2x)\n",
                        name.c_str(), r->SubjectMedian(), r->Ratio(), r->FloorMedian(),
                        RunsText(r->Subject).c_str());
        PrintShares("first call-up", firstShares);
        PrintShares("F5", refreshShares);
        DeleteFileW(profile.c_str());
    }
    DestroyWindow(plain);
    testutil::RemoveTree(work);
}

// Call-ups of tavrix with a 1,000-entry working folder, each kind in turns
// with the same call-up of the floor program (a window with a 24-row tree
// view): at once after launch, the first 2 s after launch (a launch of
// each in turn), and later ones (both programs up, the hot key going to
// each in turn).
void CallUpSection(const std::wstring& run, const std::wstring& profile) {
    const std::wstring own = run + L"\\tavrix.exe", floorExe = run + L"\\callup_floor.exe";
    std::printf("\n== call-up (posted hot key until visible, painted and the tree focused; 1000 entries),\n"
                "   in turns with the floor: a program that shows a window with a 24-row tree view\n");
    std::vector<double> atOnce, atOnceFloor, first, firstFloor;
    std::vector<TShare> firstShares;
    for (int r = 0; r < kRepetitions; ++r) {
        const TCallUps f = MeasureCallUps(floorExe, run, 0);
        const TCallUps one = MeasureCallUps(own, run, 0);
        if (f.First < 0 || one.First < 0) continue;
        atOnceFloor.push_back(f.First);
        atOnce.push_back(one.First);
    }
    for (int r = 0; r < kRepetitions; ++r) {
        const TCallUps f = MeasureCallUps(floorExe, run, 0, 2000);
        const TCallUps one = MeasureCallUps(own, run, 0, 2000, profile);
        if (f.First < 0 || one.First < 0) continue;
        firstFloor.push_back(f.First);
        first.push_back(one.First);
        if (!one.FirstShares.empty()) firstShares = one.FirstShares;
    }
    std::vector<double> later, laterFloor, ratios;
    std::vector<TShare> laterShares;
    {
        DeleteFileW(profile.c_str());
        TProgram program(own, run, profile), yardstick(floorExe, run);
        // The first call-up of each is the one above, not counted here.
        if (program.CallUp() >= 0 && program.SendAway() && yardstick.CallUp() >= 0 && yardstick.SendAway()) {
            program.Settle();
            const std::vector<TShare> before = ReadShares(profile);
            for (int i = 0; i < kCallUps; ++i) {
                // Which goes first alternates, so that neither always follows the other.
                TProgram& one = i % 2 ? program : yardstick;
                TProgram& other = i % 2 ? yardstick : program;
                const double a = one.CallUp();
                if (a < 0 || !one.SendAway()) break;
                const double b = other.CallUp();
                if (b < 0 || !other.SendAway()) break;
                later.push_back(i % 2 ? a : b);
                laterFloor.push_back(i % 2 ? b : a);
                ratios.push_back(later.back() / laterFloor.back());
            }
            program.Settle();
            laterShares = SharesSince(before, ReadShares(profile));
            for (TShare& share : laterShares) {
                share.Calls /= static_cast<long>(std::max<size_t>(later.size(), 1));
                share.Ms /= static_cast<double>(std::max<size_t>(later.size(), 1));
            }
        }
    }
    if (later.empty() || first.empty() || atOnce.empty()) {
        std::printf("call-up: a window did not come up\n");
        return;
    }
    std::printf("%-28s %10.1f ms  (median of %zu launches; runs:%s; the stored view may still be read then)\n",
                "first, at once after launch", Median(atOnce), atOnce.size(), RunsText(atOnce).c_str());
    std::printf("%-28s %10.1f ms  (runs:%s)\n", "  floor, at once", Median(atOnceFloor), RunsText(atOnceFloor).c_str());
    const double laterMs = Median(later);
    std::printf("%-28s %10.1f ms  (median of %zu launches; runs:%s)\n", "first, 2 s after launch", Median(first),
                first.size(), RunsText(first).c_str());
    std::printf("%-28s %10.1f ms  (runs:%s)\n", "  floor, 2 s after launch", Median(firstFloor),
                RunsText(firstFloor).c_str());
    std::printf("%-28s %10.2fx  (of the later call-ups' median; goal: at most 1x)\n", "  against later ones",
                Median(first) / laterMs);
    PrintShares("first call-up 2 s after launch", firstShares);
    std::printf("%-28s %10.1f ms  (median of %zu; slowest %.1f ms; goal: under 50 ms)\n", "later call-ups", laterMs,
                later.size(), *std::max_element(later.begin(), later.end()));
    std::printf("%-28s %10.1f ms  (median; slowest %.1f ms)\n", "  floor, later", Median(laterFloor),
                *std::max_element(laterFloor.begin(), laterFloor.end()));
    std::printf("%-28s %10.2fx  (median of the pairwise ratios; goal: at most 1.5x)\n", "  ratio", Median(ratios));
    std::printf("    calls and milliseconds are a mean over the later call-ups and their sending away:\n");
    PrintShares("later call-ups", laterShares);
}


void StartUpSection(const std::wstring& base, const std::string& lnk) {
    std::wstring work = base + L"\\startbase";
    std::wstring run = PrepareRun(base, work);
    Generate(work + L"\\quorb", 20, lnk);  // a working folder of a typical size
    std::printf("\n== start-up (until waiting for input, tree rooted at a folder of 20 entries)\n");
    // The two programs take turns, so that a busy moment of the machine
    // weighs on both alike.
    std::vector<double> own, least;
    std::wstring profile = base + L"\\profile.txt";
    for (int r = 0; r < kRepetitions; ++r) {
        own.push_back(StartUpOnce(run + L"\\tavrix.exe", run, nullptr, profile));
        least.push_back(StartUpOnce(run + L"\\minimal.exe", run));
    }
    std::vector<TShare> shares = ReadShares(profile);
    DeleteFileW(profile.c_str());
    std::printf("%-28s %10.1f ms  (runs:%s)\n", "tavrix.exe", Median(own), RunsText(own).c_str());
    // Where the last run's time went, as the program counted it.
    for (const auto& share : shares) {
        if (share.Name == "idle at") continue;
        if (share.Name == "since start")
            std::printf("    %-48s %17.1f ms\n", "idle at last, since process creation", share.Ms);
        else
            std::printf("    %-48s %7ld calls %9.1f ms\n", share.Name.c_str(), share.Calls, share.Ms);
    }
    std::vector<double> ratios;
    for (size_t i = 0; i < own.size() && i < least.size(); ++i) ratios.push_back(own[i] / least[i]);
    std::printf("%-28s %10.1f ms  (runs:%s)\n%-28s %10.2fx  (median of the pairwise ratios; goal: at most 2x)\n",
                "minimal window program", Median(least), RunsText(least).c_str(), "ratio", Median(ratios));

    testutil::RemoveTree(work + L"\\quorb");
    Generate(work + L"\\quorb", 1000, lnk);
    CallUpSection(run, profile);
    DeleteFileW(profile.c_str());

    testutil::RemoveTree(work + L"\\quorb");
    Generate(work + L"\\quorb", 10000, lnk);
    SIZE_T ws = 0;
    StartUpOnce(run + L"\\tavrix.exe", run, &ws);
    std::printf("%-28s %10.1f MB  (tavrix.exe rooted at 10000 entries, root expanded)\n", "working set",
                static_cast<double>(ws) / (1024.0 * 1024.0));
    testutil::RemoveTree(work);
    testutil::RemoveTree(run);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // A first argument names one section; "icons" adds the pass that asks
    // every row's icons at every size (by default only at 1,000 entries).
    std::wstring section = argc > 1 && !iswdigit(argv[1][0]) ? argv[1] : L"";
    bool iconsEverywhere = section == L"icons";
    if (iconsEverywhere) section.clear();
    TShellServices shell;  // outlives every window
    ui::TApplication application;
    application.Initialize();
    application.SetTitle(L"tavrix bench");
    std::vector<int> sizes;
    for (int i = argc > 1 && !iswdigit(argv[1][0]) ? 2 : 1; i < argc; ++i) sizes.push_back(_wtoi(argv[i]));
    size_t explicitSizes = sizes.size();
    if (sizes.empty() && section.empty()) sizes = {1000, 10000};
    auto runs = [&](const wchar_t* name) { return section == name || (section.empty() && explicitSizes == 0); };

    testutil::TTempDir scratch;  // removed with everything in it at the end
    const std::wstring& base = scratch.Path();
    std::string lnk = ShortcutBytes(base);

    std::printf("tavrix benchmark: median of %d runs each; ratios are medians of runs taken in turns with the "
                "floor\n",
                kRepetitions);
    std::vector<std::map<std::string, double>> results;
    for (int n : sizes) results.push_back(RunSize(base, n, lnk, iconsEverywhere || n <= 1000));
    if (results.size() >= 2) {
        std::printf("\n== growth %d/%d entries (linear work gives about %.0f; goal: at most %.0f)\n", sizes.back(),
                    sizes.front(), static_cast<double>(sizes.back()) / sizes.front(),
                    1.2 * sizes.back() / sizes.front());
        for (const auto& [name, value] : results.back())
            std::printf("%-28s %10.2f\n", name.c_str(), value / results.front().at(name));
    }
    if (runs(L"find")) FindSection(base, lnk);
    if (runs(L"startup")) StartUpSection(base, lnk);
    if (runs(L"view")) ViewSection(base, lnk);
    return 0;
}
