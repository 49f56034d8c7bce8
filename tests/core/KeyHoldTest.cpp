#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "core/KeyHold.h"

namespace {

// Keys by a letter: "K" a press of K, "k" its release; '^' and '~' Ctrl.
TKeyEvent Key(char c) {
    const bool ctrl = c == '^' || c == '~';
    return {static_cast<uint16_t>(ctrl ? 0xA2 : std::toupper(c)), 0, ctrl ? c == '~' : std::islower(c) != 0, false};
}
std::string Text(const std::vector<TKeyEvent>& keys) {
    std::string s;
    for (const TKeyEvent& k : keys)
        s += k.Vk == 0xA2 ? (k.Up ? '~' : '^') : static_cast<char>(k.Up ? std::tolower(k.Vk) : k.Vk);
    return s;
}
// Feeds keys; returns those the system gets at once.
std::string Feed(TKeyHold& hold, const std::string& keys) {
    std::string passed;
    for (char c : keys)
        if (!hold.Take(Key(c))) passed += c;
    return passed;
}
void ComeBack(TKeyHold& hold, const std::vector<TKeyEvent>& keys, uint64_t now) {
    for (const TKeyEvent& k : keys) hold.Replayed(k, now);
}

TEST(KeyHold, HoldsWhatFollowsTheHotKeyAndReplaysItInOrder) {
    TKeyHold hold;
    EXPECT_EQ(Feed(hold, "^Zz~Aa"), "^Zz~Aa") << "idle: everything passes";
    EXPECT_EQ(Feed(hold, "^Z"), "^Z");
    hold.Arm(100);
    // The hot key's own releases and repeats pass; everything after is held,
    // a new press of Ctrl too.
    EXPECT_EQ(Feed(hold, "ZKzk~Ii^W~w"), "Zz~");
    EXPECT_TRUE(hold.Due(200).empty()) << "not before the window is in front";
    hold.Release();
    const auto first = hold.Due(300);
    EXPECT_EQ(Text(first), "KkIi^W~w");
    // Typed while the replay is on its way: held, and sent after it.
    EXPECT_EQ(Feed(hold, "Ii"), "");
    EXPECT_TRUE(hold.Due(310).empty());
    ComeBack(hold, first, 320);
    const auto second = hold.Due(330);
    EXPECT_EQ(Text(second), "Ii");
    ComeBack(hold, second, 340);
    EXPECT_TRUE(hold.Due(350).empty());
    EXPECT_TRUE(hold.Idle());
    EXPECT_EQ(Feed(hold, "Aa"), "Aa");
}

TEST(KeyHold, NothingStaysHeldPastTheLimit) {
    struct {
        const char* What;
        bool Released;
        bool ReplayLost;
    } cases[] = {
        {"the window never comes", false, false},
        {"the replayed keys never come back", true, true},
    };
    for (const auto& c : cases) {
        TKeyHold hold;
        hold.Arm(1000);
        Feed(hold, "Kk");
        if (c.Released) hold.Release();
        if (c.ReplayLost) {
            EXPECT_EQ(Text(hold.Due(1001)), "Kk") << c.What;
            Feed(hold, "Ll");
        }
        const uint64_t deadline = hold.Deadline();
        EXPECT_EQ(deadline, (c.ReplayLost ? 1001 : 1000) + TKeyHold::kLimitMs) << c.What;
        EXPECT_TRUE(hold.Due(deadline - 1).empty()) << c.What;
        EXPECT_EQ(Text(hold.Due(deadline)), c.ReplayLost ? "Ll" : "Kk") << c.What;
    }
}

TEST(KeyHold, KeysTheSystemRefusedAreNotAwaited) {
    TKeyHold hold;
    hold.Arm(0);
    Feed(hold, "KkLl");
    hold.Release();
    const auto batch = hold.Due(10);
    hold.NotSent(2);
    ComeBack(hold, {batch[0], batch[1]}, 20);
    EXPECT_TRUE(hold.Due(30).empty());
    EXPECT_TRUE(hold.Idle());
}

}  // namespace
