// Where a window goes so that users see all of it: plain arithmetic on
// rectangles, without any Windows header.
#pragma once

struct TFitRect {
    int Left, Top, Right, Bottom;
    bool operator==(const TFitRect&) const = default;
};

struct TFitPoint {
    int X, Y;
    bool operator==(const TFitPoint&) const = default;
};

// The top-left corner that keeps a window inside a work area: left and top
// edges first, then right and bottom, so a window larger than the work
// area ends on its right and bottom edges and sticks out left and above.
TFitPoint KeepOnWorkArea(const TFitRect& window, const TFitRect& workArea);

// A dialog at the wanted point when both coordinates are above 0, else
// centred on a screen of the given size (halves truncated toward zero).
TFitPoint DialogPlacement(int wantedLeft, int wantedTop, int width, int height, int screenWidth, int screenHeight);
