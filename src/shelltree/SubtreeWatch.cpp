#include "shelltree/SubtreeWatch.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>

#include "core/PathText.h"
#include "ui/ScopeExit.h"

namespace {

// What the tree follows: names of files and folders, and attributes.
constexpr DWORD kWatchFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES;
// The most a watch of a share may ask for.
constexpr DWORD kBufferBytes = 64 * 1024;
// A system that reports subtrees does so within milliseconds; one that
// does not is given this long, on the probe's own thread.
constexpr DWORD kProbeWaitMs = 400;

}  // namespace

std::unique_ptr<TSubtreeWatch> TSubtreeWatch::Open(const std::wstring& folder) {
    std::unique_ptr<TSubtreeWatch> watch(new TSubtreeWatch);
    watch->FHandle.Reset(CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    if (!watch->FHandle) return nullptr;
    watch->FMark = ui::TFolderHandleMark(folder);
    watch->FEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!watch->FEvent) return nullptr;
    watch->FFolder = folder;
    watch->FBuffer.assign(kBufferBytes / sizeof(DWORD), 0);
    if (!watch->Issue()) return nullptr;
    return watch;
}

TSubtreeWatch::~TSubtreeWatch() {
    if (!FReading) return;
    // Cancelled on the thread that started the read, which is this one.
    CancelIo(FHandle.Get());
    DWORD bytes = 0;
    GetOverlappedResult(FHandle.Get(), &FOverlapped, &bytes, TRUE);
}

bool TSubtreeWatch::Issue() {
    FOverlapped = OVERLAPPED{};
    FOverlapped.hEvent = FEvent.Get();
    ResetEvent(FEvent.Get());
    FReading = ReadDirectoryChangesW(FHandle.Get(), FBuffer.data(), kBufferBytes, TRUE, kWatchFilter, nullptr,
                                     &FOverlapped, nullptr) != FALSE;
    return FReading;
}

bool TSubtreeWatch::Take(std::vector<std::wstring>& entries, bool& overflow) {
    // Bounded: a folder that changes without pause must not hold the caller.
    for (int round = 0; FReading && round < 16; ++round) {
        DWORD bytes = 0;
        if (GetOverlappedResult(FHandle.Get(), &FOverlapped, &bytes, FALSE)) {
            FReading = false;
            if (bytes == 0)
                overflow = true;  // more came than the buffer holds: the system kept no names
            else
                Parse(bytes, entries);
        } else {
            const DWORD error = GetLastError();
            if (error == ERROR_IO_INCOMPLETE) return true;
            FReading = false;
            if (error != ERROR_NOTIFY_ENUM_DIR) return false;  // the folder went, or the system ended the watch
            overflow = true;
        }
        if (!Issue()) return false;
    }
    return FReading;
}

void TSubtreeWatch::Parse(DWORD bytes, std::vector<std::wstring>& entries) const {
    const auto* base = reinterpret_cast<const BYTE*>(FBuffer.data());
    const size_t size = std::min<size_t>(bytes, kBufferBytes);
    const size_t header = offsetof(FILE_NOTIFY_INFORMATION, FileName);
    for (size_t at = 0; at + header <= size;) {
        const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + at);
        const size_t chars = record->FileNameLength / sizeof(wchar_t);
        if (at + header + chars * sizeof(wchar_t) > size) break;  // a record cut short: the rest is no record
        entries.push_back(Join(FFolder, std::wstring(record->FileName, chars)));
        if (record->NextEntryOffset == 0) break;
        at += record->NextEntryOffset;
    }
}

// ---------------------------------------------------------------------------
// The probe

namespace {

// Whether a file made two levels below a watched folder is reported to
// its subtree watch; failure says why nothing could be asked.
bool SubtreeReported(std::wstring& failure) {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) {
        failure = L"no temp folder";
        return false;
    }
    const std::wstring base =
        Join(temp, L"tavrix-watch-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()));
    const std::wstring middle = Join(base, L"a");
    const std::wstring deep = Join(middle, L"b");
    const std::wstring file = Join(deep, L"probe.tmp");
    ui::TScopeExit tidy([&] {
        DeleteFileW(file.c_str());
        RemoveDirectoryW(deep.c_str());
        RemoveDirectoryW(middle.c_str());
        RemoveDirectoryW(base.c_str());
    });
    if (!CreateDirectoryW(base.c_str(), nullptr) || !CreateDirectoryW(middle.c_str(), nullptr) ||
        !CreateDirectoryW(deep.c_str(), nullptr)) {
        failure = L"its folders could not be made";
        return false;
    }
    // The watch goes before its folders do.
    std::unique_ptr<TSubtreeWatch> watch = TSubtreeWatch::Open(base);
    if (!watch) {
        failure = L"no subtree watch could be opened";
        return false;
    }
    if (!ui::THandleOwner(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY,
                                      nullptr))) {
        failure = L"its file could not be made";
        return false;
    }
    const DWORD start = GetTickCount();
    std::vector<std::wstring> entries;
    bool overflow = false;
    for (DWORD waited = 0; waited < kProbeWaitMs; waited = GetTickCount() - start) {
        WaitForSingleObject(watch->Event(), kProbeWaitMs - waited);
        entries.clear();
        if (!watch->Take(entries, overflow)) return false;
        if (overflow ||
            std::any_of(entries.begin(), entries.end(), [&](const std::wstring& e) { return ui::PathInside(e, deep); }))
            return true;
    }
    return false;
}

class TSubtreeProbe {
public:
    TSubtreeProbe() {
        wchar_t value[16] = {};
        const DWORD n = GetEnvironmentVariableW(L"TAVRIX_WATCH", value, 16);
        const std::wstring forced = n > 0 && n < 16 ? value : L"";
        if (forced == L"subtree" || forced == L"folders") {
            const bool subtree = forced == L"subtree";
            Set(subtree ? TSubtreeProbeAnswer::Subtree : TSubtreeProbeAnswer::ChildrenOnly,
                std::wstring(L"Folder watches: ") + (subtree ? L"one for the whole tree" : L"one per open folder") +
                    L", as TAVRIX_WATCH asks");
            return;
        }
        try {
            FThread = std::thread([this] { Run(); });
        } catch (...) {
            // No thread to probe with: the watches that see everything.
            FAnswer.store(TSubtreeProbeAnswer::ChildrenOnly, std::memory_order_release);
        }
    }
    // Bounded by the probe's wait.
    ~TSubtreeProbe() {
        if (FThread.joinable()) FThread.join();
    }
    TSubtreeProbe(const TSubtreeProbe&) = delete;
    TSubtreeProbe& operator=(const TSubtreeProbe&) = delete;

    TSubtreeProbeAnswer Answer() const noexcept { return FAnswer.load(std::memory_order_acquire); }
    std::wstring Report() const { return Answer() == TSubtreeProbeAnswer::Pending ? std::wstring() : FReport; }

private:
    // The report is written before the answer is published, and never again.
    void Set(TSubtreeProbeAnswer answer, std::wstring report) {
        FReport = std::move(report);
        FAnswer.store(answer, std::memory_order_release);
    }

    void Run() noexcept {
        try {
            LARGE_INTEGER frequency{}, start{}, end{};
            QueryPerformanceFrequency(&frequency);
            QueryPerformanceCounter(&start);
            std::wstring failure;
            const bool subtree = SubtreeReported(failure);
            QueryPerformanceCounter(&end);
            const long long ms = frequency.QuadPart ? (end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart : 0;
            const std::wstring how =
                L" (probed in the temp folder in " + std::to_wstring(ms) + L" ms" + (failure.empty() ? L"" : L"; " + failure) + L")";
            if (subtree)
                Set(TSubtreeProbeAnswer::Subtree,
                    L"Folder watches: one for the whole tree, the system reports changes below a folder's own entries" + how);
            else
                Set(TSubtreeProbeAnswer::ChildrenOnly,
                    L"Folder watches: one per open folder, the system reports only a folder's own entries" + how);
        } catch (...) {
            // Out of memory for a line of text: the watches that see everything.
            FAnswer.store(TSubtreeProbeAnswer::ChildrenOnly, std::memory_order_release);
        }
    }

    std::atomic<TSubtreeProbeAnswer> FAnswer{TSubtreeProbeAnswer::Pending};
    std::wstring FReport;
    std::thread FThread;
};

TSubtreeProbe& Probe() {
    static TSubtreeProbe probe;
    return probe;
}

}  // namespace

void StartSubtreeProbe() { Probe(); }

TSubtreeProbeAnswer SubtreeProbeAnswer() { return Probe().Answer(); }

std::wstring SubtreeProbeReport() { return Probe().Report(); }
