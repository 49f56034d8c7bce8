#include "ui/Profile.h"

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

}  // namespace ui
