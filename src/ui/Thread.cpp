#include "ui/Thread.h"

#include <windows.h>

#include "ui/Application.h"
#include "ui/Handles.h"

namespace ui {

namespace {
constexpr UINT WM_SYNCHRONIZE = WM_APP + 0x3A1;
HWND SyncWindow = nullptr;

struct TSyncRequest {
    const std::function<void()>* Call;
    HANDLE Done;
};

LRESULT CALLBACK SyncWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SYNCHRONIZE) {
        auto* request = reinterpret_cast<TSyncRequest*>(lParam);
        try {
            (*request->Call)();
        } catch (...) {
            if (Application) Application->HandleException();
        }
        SetEvent(request->Done);
        return 0;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}
}  // namespace

void InitSynchronize() {
    if (!SyncWindow) SyncWindow = CreateMessageWindow(L"TSynchronizeWindow", SyncWindowProc);
}

void DoneSynchronize() {
    if (SyncWindow) DestroyWindow(SyncWindow);
    SyncWindow = nullptr;
}

bool Synchronize(const std::function<void()>& call) {
    HWND target = SyncWindow;
    if (!target) return false;
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!done) return false;
    TSyncRequest request{&call, done};
    bool ok = PostMessageW(target, WM_SYNCHRONIZE, 0, reinterpret_cast<LPARAM>(&request)) != FALSE;
    if (ok) WaitForSingleObject(done, INFINITE);
    CloseHandle(done);
    return ok;
}

}  // namespace ui
