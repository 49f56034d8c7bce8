#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "core/KeyHold.h"

namespace {

// Keys by letters: "K" a press of K, "k" its release; "^" and "~" Ctrl.
std::vector<TKeyEvent> Keys(const std::string& text) {
    std::vector<TKeyEvent> keys;
    for (char c : text) {
        const bool ctrl = c == '^' || c == '~';
        keys.push_back({static_cast<uint16_t>(ctrl ? 0xA2 : std::toupper(c)), 0, ctrl ? c == '~' : std::islower(c) != 0});
    }
    return keys;
}
std::string Text(const std::vector<TKeyEvent>& keys) {
    std::string s;
    for (const TKeyEvent& k : keys) s += k.Vk == 0xA2 ? (k.Up ? '~' : '^') : static_cast<char>(k.Up ? std::tolower(k.Vk) : k.Vk);
    return s;
}
// Feeds keys; returns those the system gets at once.
std::string Feed(TKeyHold& hold, const std::string& text) {
    std::vector<TKeyEvent> passed;
    for (const TKeyEvent& k : Keys(text))
        if (!hold.Take(k)) passed.push_back(k);
    return Text(passed);
}
void ComeBack(TKeyHold& hold, const std::vector<TKeyEvent>& keys) { for (const TKeyEvent& k : keys) hold.Replayed(k, 0); }

TEST(KeyHold, HoldsWhatFollowsTheHotKeyAndReplaysItInOrder) {
    TKeyHold hold;
    EXPECT_EQ(Feed(hold, "^Zz~Aa^Z"), "^Zz~Aa^Z") << "idle: everything passes";
    hold.Arm(100);
    // The hot key's own repeats and releases pass; the rest is held, a new Ctrl too.
    EXPECT_EQ(Feed(hold, "ZKzk~Ii^W~w"), "Zz~");
    EXPECT_TRUE(hold.Due(200).empty()) << "not before the window is in front";
    hold.Release();
    const auto first = hold.Due(300);
    EXPECT_EQ(Text(first), "KkIi^W~w");
    EXPECT_EQ(Feed(hold, "Ii"), "") << "typed during the replay: held for after it";
    EXPECT_TRUE(hold.Due(310).empty());
    ComeBack(hold, first);
    const auto second = hold.Due(330);
    EXPECT_EQ(Text(second), "Ii");
    ComeBack(hold, second);
    EXPECT_TRUE(hold.Due(350).empty());
    EXPECT_EQ(Feed(hold, "Aa"), "Aa") << "idle again";
}

TEST(KeyHold, NothingStaysHeldPastTheLimit) {
    for (bool replayLost : {false, true}) {  // the window never comes; the replay never comes back
        TKeyHold hold;
        hold.Arm(1000);
        Feed(hold, "Kk");
        if (replayLost) {
            hold.Release();
            EXPECT_EQ(Text(hold.Due(1001)), "Kk");
            Feed(hold, "Ll");
        }
        const uint64_t deadline = hold.Deadline();
        EXPECT_EQ(deadline, (replayLost ? 1001 : 1000) + TKeyHold::kLimitMs);
        EXPECT_TRUE(hold.Due(deadline - 1).empty()) << replayLost;
        EXPECT_EQ(Text(hold.Due(deadline)), replayLost ? "Ll" : "Kk");
    }
}

}  // namespace
