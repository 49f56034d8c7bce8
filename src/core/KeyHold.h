// The keys typed right after a hot key, held back until the window the hot
// key calls up is in front and then handed on in the order they came. The
// system would give them to the window that had the keyboard before, since
// they arrive while the called window is still being shown. The rules only:
// the keyboard hook that feeds them and replays them is ui/KeyCatcher.
#pragma once

#include <bitset>
#include <cstdint>
#include <vector>

struct TKeyEvent {
    uint16_t Vk = 0;
    uint16_t Scan = 0;
    bool Up = false;
    bool Extended = false;
};

class TKeyHold {
public:
    // Nothing is held longer than this, whatever the called window does:
    // what waits then goes on to the window in front.
    static constexpr uint64_t kLimitMs = 3000;

    bool Idle() const noexcept { return FState == sIdle; }
    // A hot key went down, the window it calls is not in front: every key
    // after it is held, but for the repeats and releases of keys that were
    // down already. While keys are held or replayed nothing arms anew (a
    // second hot key is held and replayed in its turn).
    void Arm(uint64_t now);
    // A key from the keyboard: true when it is held (the caller keeps it
    // from the system).
    bool Take(const TKeyEvent& key);
    // One of the replayed keys came back through the hook.
    void Replayed(const TKeyEvent& key, uint64_t now);
    // The called window is in front, or will not come.
    void Release();
    // What is to be replayed now, in order. A batch is handed out only
    // once the one before has come back, so keys typed during a replay
    // follow it; past the limit whatever waits goes. Its keys count as
    // on their way back (they may come back before the call that sends
    // them returns).
    std::vector<TKeyEvent> Due(uint64_t now);
    // Keys of the last batch the system did not take: they never come back.
    void NotSent(size_t count);
    // When Due hands out what waits at the latest; 0 when idle.
    uint64_t Deadline() const noexcept { return FState == sIdle ? 0 : FSince + kLimitMs; }

private:
    enum TState { sIdle, sHolding, sReplaying };
    TState FState = sIdle;
    bool FReleased = false;
    uint64_t FSince = 0;  // armed, or the replay's last progress
    size_t FOutstanding = 0;
    std::vector<TKeyEvent> FHeld;
    std::bitset<256> FSystemDown;  // keys down as the system saw them
    std::bitset<256> FPass;        // down when armed: their repeats and releases pass
};
