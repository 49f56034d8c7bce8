#include "app/ScreenSaverBlock.h"

namespace {
// A zero mouse move this often keeps the screen saver from starting.
constexpr UINT kBlockScrSvrIntervalMs = 10000;
}  // namespace

TScreenSaverBlock::TScreenSaverBlock(TComponentList& components) {
    tmrBlockScrSvr = components.Own<ui::TTimer>();
    tmrBlockScrSvr->Name = L"tmrBlockScrSvr";
    tmrBlockScrSvr->SetInterval(kBlockScrSvrIntervalMs);
    tmrBlockScrSvr->OnTimer = [this] { tmrBlockScrSvrTimer(); };
}

void TScreenSaverBlock::tmrBlockScrSvrTimer() {
    // A zero move counts as input and restarts the system's idle time.
    mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
}
