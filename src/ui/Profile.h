// Time counters for measurements: how often a costly step ran and how long
// it took altogether. Cheap enough to stay in the release build; read by
// the benchmark.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

struct TProfileCounter {
    explicit TProfileCounter(const char* name);
    TProfileCounter(const TProfileCounter&) = delete;
    TProfileCounter& operator=(const TProfileCounter&) = delete;

    const char* Name;
    long Calls = 0;
    int64_t Ticks = 0;  // performance-counter ticks

    double Milliseconds() const;
};

// Counts one call and adds the time until it ends, less the time spent in
// scopes opened inside it, so that the counters of nested steps add up to
// no more than the time measured around them.
class TProfileScope {
public:
    explicit TProfileScope(TProfileCounter& counter) noexcept;
    ~TProfileScope();
    TProfileScope(const TProfileScope&) = delete;
    TProfileScope& operator=(const TProfileScope&) = delete;

private:
    TProfileCounter& FCounter;
    TProfileScope* FOuter;
    int64_t FStart;
    int64_t FInner = 0;
};

// Every counter of the program, in the order they were made.
const std::vector<TProfileCounter*>& ProfileCounters();
void ResetProfileCounters();

// When the environment names a file in TAVRIX_PROFILE, writes every counter
// that ran to it, one "name<TAB>calls<TAB>milliseconds" line each (totals
// since start), after a line "since start<TAB><TAB>milliseconds" with the
// time since the process was created and a line "idle at<TAB><TAB>ms" with
// the performance counter now, in milliseconds. For measurements from
// outside the process; the application calls it whenever its message loop
// is about to wait, so the file also tells when the program last did.
void WriteProfileIfAsked();

}  // namespace ui
