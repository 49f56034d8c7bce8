// Runs a call on the user-interface thread on behalf of a worker thread,
// and waits until it has run.
#pragma once

#include <functional>

namespace ui {

// Creates the window that carries the calls; on the user-interface thread,
// before any worker asks (the application object does it).
void InitSynchronize();
void DoneSynchronize();

// From a worker: has the user-interface thread run the call and waits for
// it. Returns false when the call could not be handed over.
bool Synchronize(const std::function<void()>& call);

}  // namespace ui
