#include <gtest/gtest.h>

#include "core/Placement.h"

namespace {

// The designed window: 249 by 397 with a tree 348 high.
constexpr int W = 249, H = 397, TreeH = 348;

TEST(Placement, KeepsTheWindowInsideTheWorkArea) {
    const TPlaceRect work{0, 0, 1280, 1004};
    struct {
        const char* What;
        TPlacePoint Pointer;
        TPlaceRect Work;
        int Height;
        TPlacePoint Expected;
    } cases[] = {
        {"centred on the pointer", {640, 500}, work, H, {640 - 124, 500 - 174}},
        {"top-left corner", {0, 0}, work, H, {0, 0}},
        {"near the right edge", {1275, 500}, work, H, {1280 - W, 326}},
        {"near the bottom", {640, 1000}, work, H, {516, 1004 - H}},
        {"taskbar at the top", {640, 10}, {0, 30, 1280, 1024}, H, {516, 30}},
        {"taskbar at the top, pointer low", {640, 1000}, {0, 30, 1280, 1024}, H, {516, 1024 - H}},
        {"taller than the work area", {640, 500}, {0, 0, 1280, 300}, H, {516, 300 - H}},
        {"monitor at negative coordinates", {-1000, 200}, {-1920, 0, 0, 1040}, H, {-1124, 26}},
        {"right edge of a left monitor", {-3, 200}, {-1920, 0, 0, 1040}, H, {-W, 26}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceAtPoint(c.Pointer, W, c.Height, TreeH, c.Work), c.Expected) << c.What;
}

TEST(Placement, TheTrayCornerPutsTheWindowInTheTaskbarsCorner) {
    // The reference point is the taskbar's bottom-right pixel.
    struct {
        const char* What;
        TPlaceRect Taskbar, Work;
        TPlacePoint Expected;
    } cases[] = {
        {"bottom", {0, 1004, 1280, 1024}, {0, 0, 1280, 1004}, {1280 - W, 1004 - H}},
        {"top", {0, 0, 1280, 30}, {0, 30, 1280, 1024}, {1280 - W, 30}},
        {"left", {0, 0, 60, 1024}, {60, 0, 1280, 1024}, {60, 1024 - H}},
    };
    for (const auto& c : cases) {
        TPlacePoint p{c.Taskbar.Right - 1, c.Taskbar.Bottom - 1};
        EXPECT_EQ(PlaceAtPoint(p, W, H, TreeH, c.Work), c.Expected) << c.What;
    }
}

TEST(Placement, TheNearestMonitorHoldsOrIsClosestToThePoint) {
    std::vector<TPlaceRect> monitors = {{0, 0, 1920, 1080}, {-1280, 0, 0, 1024}, {1920, -200, 3200, 824}};
    EXPECT_EQ(NearestMonitor(monitors, {100, 100}), 0);
    EXPECT_EQ(NearestMonitor(monitors, {-1, 500}), 1);
    EXPECT_EQ(NearestMonitor(monitors, {2000, -100}), 2);
    EXPECT_EQ(NearestMonitor(monitors, {1000, 5000}), 0);  // below everything: the closest
    EXPECT_EQ(NearestMonitor(monitors, {-5000, 0}), 1);
    EXPECT_EQ(NearestMonitor({}, {0, 0}), -1);
}

TEST(Placement, HitTestBandsOnTheDesignedWindow) {
    struct {
        int Dx, Dy, Expected;
    } cases[] = {
        {0, 0, fhTopLeft},       {9, 9, fhTopLeft},        {10, 9, fhTop},        {9, 10, fhLeft},
        {248, 396, fhBottomRight}, {240, 388, fhBottomRight}, {239, 388, fhBottom}, {240, 387, fhRight},
        {5, 390, fhBottomLeft},  {240, 5, fhTopRight},     {5, 30, fhLeft},       {244, 30, fhRight},
        {100, 5, fhTop},         {200, 392, fhBottom},     {200, 377, fhCaption}, {124, 200, fhCaption},
        {10, 10, fhCaption},     {239, 387, fhCaption},
    };
    for (const auto& c : cases) EXPECT_EQ(FrameHitTest(c.Dx, c.Dy, W, H), c.Expected) << c.Dx << "," << c.Dy;
    // At 150% the bands are 15 pixels: 12 in from an edge still resizes.
    EXPECT_EQ(FrameHitTest(W - 12, 200, W, H, 15), fhRight);
    EXPECT_EQ(FrameHitTest(W - 12, 200, W, H), fhCaption);
    EXPECT_EQ(FrameHitTest(14, 14, W, H, 15), fhTopLeft);
    EXPECT_EQ(FrameHitTest(15, 15, W, H, 15), fhCaption);
}

}  // namespace

namespace {

TEST(Placement, TheTrayMenuOpensOnAnEighteenPixelGrid) {
    struct {
        int In, Out;
    } cases[] = {
        {1000, 990},  // 10 past a line: stays on it
        {1001, 1008}, // 11 past: the next line
        {1070, 1062}, {1069, 1062}, {0, 0}, {17, 18}, {18, 18},
        {-5, 0},      // truncated toward zero: a negative coordinate never moves up
        {-20, -18}, {-36, -36}, {-47, -36},
    };
    for (const auto& c : cases) EXPECT_EQ(TrayMenuCoordinate(c.In), c.Out) << c.In;
}

}  // namespace
