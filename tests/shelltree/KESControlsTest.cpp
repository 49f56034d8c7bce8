#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "shell/ShellBrowser.h"
#include "shelltree/KESControls.h"
#include "testutil/TestFiles.h"
#include "ui/Application.h"
#include "ui/Clock.h"
#include "ui/ScopeExit.h"

using namespace testutil;

namespace {

template <typename F>
bool PumpUntil(F&& cond, int ms = 3000) {
    DWORD start = GetTickCount();
    for (;;) {
        ui::Application->ProcessMessages();
        if (cond()) return true;
        if (GetTickCount() - start > static_cast<DWORD>(ms)) return false;
        Sleep(5);
    }
}

struct TReport {
    TNotificationEvent Event;
    std::wstring Path1, Path2;
};

// Sends a report as the shell would, with real item-ID lists.
void Report(TKesShellChangeNotifier& n, LONG code, LPCITEMIDLIST item1, LPCITEMIDLIST item2 = nullptr) {
    LPCITEMIDLIST items[2] = {item1, item2};
    SendMessageW(n.NotifyWindow(), TKesShellChangeNotifier::WM_SHELLNOTIFY, reinterpret_cast<WPARAM>(items),
                 code | static_cast<LONG>(0x80000000));  // with the shell's interrupt flag
}

class Notifier : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(ChangeNotifyRegister, nullptr);
        WriteFileBytes(Dir / L"a.txt", "a");
        WriteFileBytes(Dir / L"b.txt", "b");
        A = PathToAbsoluteIDList(Dir / L"a.txt");
        B = PathToAbsoluteIDList(Dir / L"b.txt");
        N.ChangeCallback = [this](TKesShellChangeNotifier* sender, TNotificationEvent e, LPCITEMIDLIST i1,
                                  LPCITEMIDLIST i2) {
            EXPECT_EQ(sender, &N);
            Seen.push_back({e, IDListToPath(i1), IDListToPath(i2)});
        };
    }
    TTempDir Dir;
    TAbsoluteIDList A, B;
    TKesShellChangeNotifier N;
    std::vector<TReport> Seen;
};

TEST_F(Notifier, DesktopPlaceholderAndRegistrations) {
    EXPECT_TRUE(N.Enabled());
    EXPECT_FALSE(N.Registered());
    N.SetEnabled(true);
    ASSERT_EQ(N.Directories().Count(), 1);
    EXPECT_EQ(N.Directories()[0], L"");
    EXPECT_NE(N.Directories().Handle(0), 0u);
    EXPECT_TRUE(N.Registered());

    const ULONG placeholder = N.Directories().Handle(0);
    N.Directories().Add(Dir.Path());
    ASSERT_EQ(N.Directories().Count(), 1);  // the placeholder went
    EXPECT_FALSE(ChangeNotifyDeregister(placeholder)) << "and so did its registration";
    EXPECT_EQ(N.Directories()[0], Dir.Path());
    ULONG handle = N.Directories().Handle(0);
    EXPECT_NE(handle, 0u);

    std::wstring upper = Dir.Path();
    for (auto& c : upper) c = static_cast<wchar_t>(towupper(c));
    EXPECT_FALSE(N.Directories().Add(upper));
    EXPECT_EQ(N.Directories().Handle(0), handle);

    // A path that comes is registered alone; one that goes ends its own
    // registration and leaves the others'.
    CreateDirectoryW((Dir / L"second").c_str(), nullptr);
    N.Directories().Add(Dir / L"second");
    ASSERT_EQ(N.Directories().Count(), 2);
    EXPECT_EQ(N.Directories().Handle(0), handle);
    const ULONG second = N.Directories().Handle(1);
    EXPECT_NE(second, 0u);
    N.SetDirectories({Dir.Path()});
    EXPECT_FALSE(ChangeNotifyDeregister(second)) << "the registration went with its path";
    EXPECT_EQ(N.Directories().Handle(0), handle);

    N.WatchRoot(A.Get());
    ULONG root = N.RootRegistration();
    EXPECT_NE(root, 0u);
    N.SetEventFilter(N.EventFilter());  // same value: nothing happens
    EXPECT_EQ(N.Directories().Handle(0), handle);
    N.SetEventFilter(EventBit(neFileCreate) | EventBit(neFolderUpdate));
    EXPECT_NE(N.Directories().Handle(0), 0u);
    EXPECT_EQ(N.RootRegistration(), root);  // the root watch keeps its own registration
    N.SetRecursive(false);
    EXPECT_EQ(N.RootRegistration(), root);

    N.SetEnabled(false);
    EXPECT_FALSE(N.Registered());
    EXPECT_EQ(N.Directories().Handle(0), 0u);
    N.Directories().Add(Dir / L"other");  // not registered: nothing registers
    EXPECT_EQ(N.Directories().Handle(1), 0u);
}

TEST_F(Notifier, ReportsReachTheCallbackWithEventAndPaths) {
    Report(N, SHCNE_CREATE, A.Get());
    Report(N, SHCNE_RENAMEITEM, A.Get(), B.Get());
    Report(N, 0x12345, B.Get());  // no known event
    ASSERT_EQ(Seen.size(), 3u);
    EXPECT_EQ(Seen[0].Event, neFileCreate);
    EXPECT_EQ(Seen[0].Path1, Dir / L"a.txt");
    EXPECT_EQ(Seen[1].Event, neFileRename);
    EXPECT_EQ(Seen[1].Path2, Dir / L"b.txt");
    EXPECT_EQ(Seen[2].Event, neUnknown);
    for (int e = 0; e < neUnknown; ++e) EXPECT_EQ(EventOfCode(NotificationEventCodes[e]), e);
}

TEST_F(Notifier, RepeatsWithinTwoAndAHalfSecondsAreDropped) {
    ui::TFakeClock clock;
    Report(N, SHCNE_UPDATEITEM, A.Get());
    Report(N, SHCNE_UPDATEITEM, A.Get());  // dropped
    EXPECT_EQ(Seen.size(), 1u);
    Report(N, SHCNE_UPDATEITEM, B.Get());  // another item
    Report(N, SHCNE_ATTRIBUTES, B.Get());  // another kind
    Report(N, SHCNE_UPDATEITEM, B.Get());  // lets the next one through
    EXPECT_EQ(Seen.size(), 4u);
    Report(N, SHCNE_UPDATEDIR, EmptyIDList);
    Report(N, SHCNE_UPDATEDIR, EmptyIDList);  // the desktop is never a repeat
    EXPECT_EQ(Seen.size(), 6u);

    Report(N, SHCNE_CREATE, A.Get());
    clock.Advance(2600);
    Report(N, SHCNE_CREATE, A.Get());
    EXPECT_EQ(Seen.size(), 8u);
}

TEST_F(Notifier, ARepeatCountsFromTheLastReportLetThrough) {
    ui::TFakeClock clock;
    Report(N, SHCNE_CREATE, A.Get());
    clock.Advance(2499);
    Report(N, SHCNE_CREATE, A.Get());  // dropped, and it does not restart the time
    EXPECT_EQ(Seen.size(), 1u);
    clock.Advance(2);
    Report(N, SHCNE_CREATE, A.Get());
    EXPECT_EQ(Seen.size(), 2u);
}

TEST(Clock, AFakeClockStandsStillUntilAdvancedAndGivesWayWhenItGoes) {
    const DWORD before = ui::TickCount();
    {
        ui::TFakeClock outer(1000);
        EXPECT_EQ(ui::TickCount(), 1000u);
        {
            ui::TFakeClock inner(0xFFFFFFF0u);
            inner.Advance(0x20);
            EXPECT_EQ(ui::TickCount(), 0x10u) << "it wraps as the system's count does";
        }
        outer.Advance(2500);
        EXPECT_EQ(ui::TickCount(), 3500u);
    }
    const DWORD after = ui::TickCount();
    EXPECT_LE(after - before, 60000u) << "the system's count is back";
}

TEST_F(Notifier, ImageListAndAssociationReportsCarryNoPaths) {
    std::vector<TReport> changes;
    N.OnChange = [&](TKesShellChangeNotifier*, TNotificationEvent e, const std::wstring& p1, const std::wstring& p2) {
        changes.push_back({e, p1, p2});
    };
    // The shell wraps the numbers of such a report in item-ID lists of its own.
#pragma pack(push, 1)
    struct TDWordAsIDList {
        USHORT cb;
        DWORD dwItem1, dwItem2;
        USHORT cbZero;
    } item1{10, 42, 0, 0}, item2{10, 7, 0, 0};
#pragma pack(pop)
    auto* value1 = reinterpret_cast<LPCITEMIDLIST>(&item1);
    auto* value2 = reinterpret_cast<LPCITEMIDLIST>(&item2);
    Report(N, SHCNE_UPDATEIMAGE, value1, value2);
    Report(N, SHCNE_ASSOCCHANGED, nullptr, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return changes.size() == 2; }));
    std::sort(changes.begin(), changes.end(), [](auto& a, auto& b) { return a.Event < b.Event; });
    EXPECT_EQ(changes[0].Event, neAssociationChange);
    EXPECT_EQ(changes[0].Path1, L"");
    EXPECT_EQ(changes[1].Event, neImageListChange);
    // Only the value is turned into text; its meaning is the platform's.
    EXPECT_EQ(changes[1].Path1,
              std::to_wstring(static_cast<int32_t>(reinterpret_cast<intptr_t>(IsNTPlatform ? value2 : value1))));
    EXPECT_EQ(changes[1].Path2, L"");
}

TEST_F(Notifier, AnImageReportsNumberComesWhole) {
    // The report's lists placed as high as memory goes: beyond 4 GB in a
    // 64-bit program, where a number cut to 32 bits would name another one.
    std::vector<TReport> changes;
    N.OnChange = [&](TKesShellChangeNotifier*, TNotificationEvent e, const std::wstring& p1, const std::wstring& p2) {
        changes.push_back({e, p1, p2});
    };
    auto* high =
        static_cast<BYTE*>(VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT | MEM_TOP_DOWN, PAGE_READWRITE));
    ASSERT_NE(high, nullptr);
    ui::TScopeExit release([&] { VirtualFree(high, 0, MEM_RELEASE); });
#ifdef _WIN64
    ASSERT_GT(reinterpret_cast<uintptr_t>(high), uintptr_t{0xFFFFFFFF}) << "no memory above 4 GB to test with";
#endif
    // A DWORD report's list: cb 10, two numbers, the terminator.
    const BYTE list[12] = {10, 0, 42, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::memcpy(high, list, sizeof(list));
    std::memcpy(high + 16, list, sizeof(list));
    auto* value1 = reinterpret_cast<LPCITEMIDLIST>(high);
    auto* value2 = reinterpret_cast<LPCITEMIDLIST>(high + 16);
    Report(N, SHCNE_UPDATEIMAGE, value1, value2);
    ASSERT_TRUE(PumpUntil([&] { return changes.size() == 1; }));
    EXPECT_EQ(changes[0].Event, neImageListChange);
    EXPECT_EQ(changes[0].Path1, std::to_wstring(reinterpret_cast<intptr_t>(IsNTPlatform ? value2 : value1)));
}

TEST_F(Notifier, DisabledNotifiersIgnoreReports) {
    N.SetEnabled(false);
    Report(N, SHCNE_CREATE, A.Get());
    EXPECT_TRUE(Seen.empty());
}

TEST_F(Notifier, OnChangeRunsLaterOnTheUserInterfaceThread) {
    DWORD thread = 0;
    std::wstring path;
    N.OnChange = [&](TKesShellChangeNotifier* sender, TNotificationEvent, const std::wstring& p1, const std::wstring&) {
        EXPECT_EQ(sender, &N);
        thread = GetCurrentThreadId();
        path = p1;
    };
    Report(N, SHCNE_DELETE, A.Get());
    EXPECT_EQ(Seen.size(), 1u);  // the direct callback has run already
    ASSERT_TRUE(PumpUntil([&] { return thread != 0; }));
    EXPECT_EQ(thread, GetCurrentThreadId());
    EXPECT_EQ(path, Dir / L"a.txt");
}

TEST(NotifierLifetime, ADeliveryPendingAtDestructionIsDropped) {
    TTempDir dir;
    WriteFileBytes(dir / L"x.txt", "x");
    TIDList x = PathToIDList(nullptr, dir / L"x.txt");
    int calls = 0;
    {
        TKesShellChangeNotifier n;
        n.OnChange = [&](TKesShellChangeNotifier*, TNotificationEvent, const std::wstring&, const std::wstring&) {
            ++calls;
        };
        Report(n, SHCNE_CREATE, x.Get());
        Sleep(100);  // the worker has asked the UI thread by now
    }
    int sentinel = 0;
    // Later messages are handled; the stale delivery is among them.
    PostMessageW(ui::Application->Handle(), WM_NULL, 0, 0);
    PumpUntil([&] { return ++sentinel > 20; }, 500);
    EXPECT_EQ(calls, 0);
}

TEST(NotifierShell, AnInProcessReportOnARecursiveRegistrationArrives) {
    TTempDir dir;
    CreateDirectoryW((dir / L"sub").c_str(), nullptr);
    TKesShellChangeNotifier n;
    std::vector<TReport> seen;
    n.ChangeCallback = [&](TKesShellChangeNotifier*, TNotificationEvent e, LPCITEMIDLIST i1, LPCITEMIDLIST) {
        seen.push_back({e, IDListToPath(i1), L""});
    };
    n.SetRecursive(true);
    n.Directories().Add(dir.Path());
    n.SetEnabled(true);
    std::wstring file = dir / L"sub\\new.txt";
    WriteFileBytes(file, "new");
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH, file.c_str(), nullptr);
    ASSERT_TRUE(PumpUntil([&] {
        return std::any_of(seen.begin(), seen.end(), [&](auto& r) { return r.Event == neFileCreate && r.Path1 == file; });
    }));
}

}  // namespace

namespace {

// Both ways of watching, over the same open folders: what each holds open
// inside the root, that a file made in the root is reported, and that a
// suspension closes everything and its end reads every folder again.
TEST_F(Notifier, EachWatchModeHoldsItsHandlesAndFollowsTheRoot) {
    struct TCase {
        TKesShellChangeNotifier::TWatchMode Mode;
        int Open, InDeep, Resumed;  // handles inside the root, inside Deep, once Deep is gone
    };
    for (const TCase& c : {TCase{TKesShellChangeNotifier::wmFolders, 3, 1, 2},
                           TCase{TKesShellChangeNotifier::wmSubtree, 1, 0, 1}}) {
        SCOPED_TRACE(c.Mode);
        TKesShellChangeNotifier n;
        std::vector<std::wstring> updated;
        n.ChangeCallback = [&](TKesShellChangeNotifier*, TNotificationEvent e, LPCITEMIDLIST i1, LPCITEMIDLIST) {
            if (e == neFolderUpdate) updated.push_back(IDListToPath(i1));
        };
        n.ForceWatchMode(c.Mode);
        const std::wstring a = Dir / L"A", deep = Dir / L"A\\Deep";
        CreateDirectoryW(a.c_str(), nullptr);
        CreateDirectoryW(deep.c_str(), nullptr);
        TIDList root = PathToIDList(nullptr, Dir.Path()), la = PathToIDList(nullptr, a), ld = PathToIDList(nullptr, deep);
        n.WatchRootFolder(root.Get());
        ASSERT_TRUE(n.WatchFolder(a, la.Get()));
        ASSERT_TRUE(n.WatchFolder(deep, ld.Get()));
        EXPECT_EQ(n.WatchCount(), 3);
        EXPECT_EQ(ui::FolderHandlesInside(Dir.Path()), c.Open);
        EXPECT_EQ(ui::FolderHandlesInside(deep), c.InDeep);

        WriteFileBytes(Dir / L"new.txt", "n");
        ASSERT_TRUE(PumpUntil([&] { return !n.RootWatchQuiet(); }));
        EXPECT_TRUE(n.WatchQuiet(a)) << "nothing changed in A";
        n.CheckWatches();
        EXPECT_EQ(updated, std::vector<std::wstring>{Dir.Path()});

        updated.clear();
        n.SuspendWatches();
        EXPECT_EQ(ui::FolderHandlesInside(Dir.Path()), 0);
        RemoveTree(deep);
        n.ResumeWatches();
        EXPECT_EQ(ui::FolderHandlesInside(Dir.Path()), c.Resumed);
        n.CheckWatches();
        std::sort(updated.begin(), updated.end());
        EXPECT_EQ(updated, (std::vector<std::wstring>{Dir.Path(), a})) << "the folders still there, and Deep's parent";
        RemoveTree(a);
        DeleteFileW((Dir / L"new.txt").c_str());
    }
}

TEST(SubtreeProbe, AnswersSoonAndLeavesNothingBehind) {
    StartSubtreeProbe();
    const DWORD start = GetTickCount();
    while (SubtreeProbeAnswer() == TSubtreeProbeAnswer::Pending && GetTickCount() - start < 3000) Sleep(10);
    // Measured here: the system reports only a folder's own entries.
    EXPECT_EQ(SubtreeProbeAnswer(), TSubtreeProbeAnswer::ChildrenOnly);
    EXPECT_NE(SubtreeProbeReport().find(L"probed in the temp folder in "), std::wstring::npos) << SubtreeProbeReport();
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    WIN32_FIND_DATAW data{};
    ui::TFindHandleOwner left(FindFirstFileW((std::wstring(temp) + L"tavrix-watch-*").c_str(), &data));
    EXPECT_FALSE(left) << data.cFileName;

    TKesShellChangeNotifier n;
    n.CheckWatches();
    EXPECT_EQ(n.WatchMode(), TKesShellChangeNotifier::wmFolders);
}

}  // namespace
