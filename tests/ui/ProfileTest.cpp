#include <gtest/gtest.h>

#include <algorithm>

#include "ui/Profile.h"

namespace {

ui::TProfileCounter Outer("test: outer");
ui::TProfileCounter Inner("test: inner");

TEST(Profile, NestedStepsAreCountedOnceAndResetTogether) {
    ui::ResetProfileCounters();
    {
        ui::TProfileScope outer(Outer);
        Sleep(30);
        for (int i = 0; i < 2; ++i) {
            ui::TProfileScope inner(Inner);
            Sleep(30);
        }
    }
    EXPECT_EQ(Outer.Calls, 1);
    EXPECT_EQ(Inner.Calls, 2);
    // The outer step keeps only its own time, so the two add up to the
    // time around them instead of counting the inner steps twice.
    EXPECT_GE(Inner.Milliseconds(), 55.0);
    EXPECT_GE(Outer.Milliseconds(), 25.0);
    EXPECT_LT(Outer.Milliseconds(), 55.0);

    const auto& all = ui::ProfileCounters();
    EXPECT_NE(std::find(all.begin(), all.end(), &Outer), all.end());
    ui::ResetProfileCounters();
    EXPECT_EQ(Outer.Calls + Inner.Calls, 0);
    EXPECT_EQ(Outer.Ticks + Inner.Ticks, 0);
}

}  // namespace
