#include "ui/Profile.h"

#include <cstdio>

namespace ui {

namespace {
thread_local TProfileScope* CurrentScope = nullptr;

int64_t Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

std::vector<TProfileCounter*>& Registry() {
    static std::vector<TProfileCounter*> all;
    return all;
}
}  // namespace

TProfileCounter::TProfileCounter(const char* name) : Name(name) { Registry().push_back(this); }

TProfileScope::TProfileScope(TProfileCounter& counter) noexcept
    : FCounter(counter), FOuter(CurrentScope), FStart(Now()) {
    CurrentScope = this;
}

TProfileScope::~TProfileScope() {
    int64_t elapsed = Now() - FStart;
    ++FCounter.Calls;
    FCounter.Ticks += elapsed - FInner;
    if (FOuter) FOuter->FInner += elapsed;
    CurrentScope = FOuter;
}

double TProfileCounter::Milliseconds() const {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(Ticks) / static_cast<double>(frequency.QuadPart);
}

const std::vector<TProfileCounter*>& ProfileCounters() { return Registry(); }

void ResetProfileCounters() {
    for (TProfileCounter* counter : Registry()) {
        counter->Calls = 0;
        counter->Ticks = 0;
    }
}

void WriteProfileIfAsked() {
    // The environment is read once; without the variable nothing is done.
    static const std::wstring path = [] {
        wchar_t value[MAX_PATH] = {};
        DWORD n = GetEnvironmentVariableW(L"TAVRIX_PROFILE", value, MAX_PATH);
        return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(value);
    }();
    if (path.empty()) return;
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return;
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](const FILETIME& t) {
        return (static_cast<int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    // Written beside and then put in place, so that a reader never sees
    // half a file.
    const std::wstring part = path + L".part";
    FILE* out = _wfopen(part.c_str(), L"w");
    if (!out) return;
    std::fprintf(out, "since start\t\t%.1f\n", static_cast<double>(ticks(now) - ticks(created)) / 10000.0);
    std::fprintf(out, "idle at\t\t%.1f\n",
                 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart));
    for (const TProfileCounter* c : Registry())
        if (c->Calls) std::fprintf(out, "%s\t%ld\t%.1f\n", c->Name, c->Calls, c->Milliseconds());
    if (std::fclose(out) == 0) MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace ui
