#include <gtest/gtest.h>

#include "core/ScreenFit.h"

namespace {

TEST(ScreenFit, KeepOnWorkArea) {
    const TFitRect work{0, 0, 1280, 1004};
    struct {
        const char* What;
        TFitRect Window;
        TFitRect Work;
        TFitPoint Expected;
    } cases[] = {
        {"inside stays", {100, 100, 557, 374}, work, {100, 100}},
        {"off the left and top", {-50, -20, 407, 254}, work, {0, 0}},
        {"off the right and bottom", {1000, 900, 1457, 1174}, work, {1280 - 457, 1004 - 274}},
        {"wider than the work area: right edge on it", {0, 0, 1500, 274}, work, {1280 - 1500, 0}},
        {"taller than the work area: bottom edge on it", {0, 0, 457, 1100}, work, {0, 1004 - 1100}},
        {"a monitor left of the primary", {-300, 100, 157, 374}, {-1920, 0, 0, 1040}, {-457, 100}},
        {"far off a negative monitor", {-2500, -10, -2043, 264}, {-1920, 0, 0, 1040}, {-1920, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(KeepOnWorkArea(c.Window, c.Work), c.Expected) << c.What;
}

TEST(ScreenFit, DialogPlacement) {
    EXPECT_EQ(DialogPlacement(100, 200, 300, 400, 1280, 1024), (TFitPoint{100, 200}));
    EXPECT_EQ(DialogPlacement(-1, 300, 300, 400, 1280, 1024), (TFitPoint{490, 312})) << "either at or below 0 centres";
    EXPECT_EQ(DialogPlacement(0, 0, 301, 401, 1280, 1024), (TFitPoint{490, 312})) << "halves truncated";
    EXPECT_EQ(DialogPlacement(-1, -1, 2000, 1200, 1280, 1024), (TFitPoint{-360, -88}));
}

}  // namespace
