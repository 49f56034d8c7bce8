// Runs a step when the scope ends, however it ends: the one way to put
// a flag, a cursor or a bracket back on every path.
#pragma once

#include <utility>

namespace ui {

template <typename F>
class TScopeExit {
public:
    explicit TScopeExit(F step) : FStep(std::move(step)) {}
    ~TScopeExit() { FStep(); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    F FStep;
};

// Sets a variable for the length of a scope and puts the old value back.
template <typename T>
class TRestoreOnExit {
public:
    TRestoreOnExit(T& target, T value) : FTarget(target), FOld(target) { FTarget = std::move(value); }
    ~TRestoreOnExit() { FTarget = std::move(FOld); }
    TRestoreOnExit(const TRestoreOnExit&) = delete;
    TRestoreOnExit& operator=(const TRestoreOnExit&) = delete;

private:
    T& FTarget;
    T FOld;
};

}  // namespace ui
