#include "ui/Thread.h"

#include "ui/MessageParams.h"

#include <windows.h>

#include <atomic>
#include <memory>

#include "ui/Handles.h"
#include "ui/ScopeExit.h"
#include "ui/WindowProc.h"

namespace ui {

namespace {
constexpr UINT WM_SYNCHRONIZE = WM_APP + 0x3A1;

struct TSyncRequest {
    const std::function<void()>* Call;
    HANDLE Done;
};

std::unique_ptr<TMessageWindow>& SyncWindow() {
    static std::unique_ptr<TMessageWindow> window;
    return window;
}

// The window's handle as worker threads read it: they never touch the
// window object, which the UI thread may let go at any moment. A handle
// read just before it goes only makes the post fail.
std::atomic<HWND>& SyncTarget() {
    static std::atomic<HWND> target{nullptr};
    return target;
}
}  // namespace

void InitSynchronize() {
    if (SyncTarget()) return;  // a window that could not be made is tried again
    SyncWindow() = std::make_unique<TMessageWindow>(L"TSynchronizeWindow", WM_SYNCHRONIZE, [](WPARAM, LPARAM lParam) {
        auto* request = ParamAs<TSyncRequest*>(lParam);
        // The waiting thread goes on whatever the call does.
        TScopeExit done([request] { SetEvent(request->Done); });
        (*request->Call)();
    });
    SyncTarget() = SyncWindow()->Handle();
}

void DoneSynchronize() {
    SyncTarget() = nullptr;
    SyncWindow().reset();
}

bool Synchronize(const std::function<void()>& call) {
    HWND target = SyncTarget();
    if (!target) return false;
    THandleOwner done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done) return false;
    TSyncRequest request{&call, done.Get()};
    bool ok = PostMessageW(target, WM_SYNCHRONIZE, 0, AsParam(&request)) != FALSE;
    if (ok) WaitForSingleObject(done.Get(), INFINITE);
    return ok;
}

}  // namespace ui
