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
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"TAVRIX_PROFILE", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return;
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](const FILETIME& t) {
        return (static_cast<int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    FILE* out = _wfopen(path, L"w");
    if (!out) return;
    std::fprintf(out, "since start\t\t%.1f\n", static_cast<double>(ticks(now) - ticks(created)) / 10000.0);
    for (const TProfileCounter* c : Registry())
        if (c->Calls) std::fprintf(out, "%s\t%ld\t%.1f\n", c->Name, c->Calls, c->Milliseconds());
    std::fclose(out);
}

}  // namespace ui
