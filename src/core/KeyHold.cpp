#include "core/KeyHold.h"

#include <algorithm>
#include <utility>

void TKeyHold::Arm(uint64_t now) {
    if (FState != sIdle) return;
    FState = sHolding;
    FReleased = false;
    FSince = now;
    FOutstanding = 0;
    FHeld.clear();
    FPass = FSystemDown;
}

bool TKeyHold::Take(const TKeyEvent& key) {
    const size_t vk = key.Vk & 0xFF;
    if (FState != sIdle) {
        if (!FPass[vk]) {
            FHeld.push_back(key);
            return true;
        }
        if (key.Up) FPass[vk] = false;
    }
    FSystemDown[vk] = !key.Up;
    return false;
}

void TKeyHold::Replayed(const TKeyEvent& key, uint64_t now) {
    FSystemDown[key.Vk & 0xFF] = !key.Up;
    if (FOutstanding > 0) --FOutstanding;
    FSince = now;
}

void TKeyHold::Release() {
    if (FState != sIdle) FReleased = true;
}

std::vector<TKeyEvent> TKeyHold::Due(uint64_t now) {
    if (FState == sIdle) return {};
    if (now >= FSince + kLimitMs) {
        // The window never came, or replayed keys never came back (another
        // hook took them): nothing stays held for good.
        FReleased = true;
        FOutstanding = 0;
    }
    if (!FReleased || FOutstanding > 0) return {};
    if (FHeld.empty()) {
        FState = sIdle;
        return {};
    }
    FState = sReplaying;
    FSince = now;
    FOutstanding = FHeld.size();
    return std::exchange(FHeld, {});
}

void TKeyHold::NotSent(size_t count) { FOutstanding -= std::min(count, FOutstanding); }
