// Where the main window shows and how its frameless edges are hit-tested:
// plain arithmetic on rectangles, without any Windows header.
#pragma once

#include <vector>

struct TPlacePoint {
    int X, Y;
    bool operator==(const TPlacePoint&) const = default;
};

struct TPlaceRect {
    int Left, Top, Right, Bottom;
    bool operator==(const TPlaceRect&) const = default;
};

// The index of the monitor nearest to the point (0 for a point inside the
// first monitor that holds it), or -1 for no monitors.
int NearestMonitor(const std::vector<TPlaceRect>& monitors, TPlacePoint p);

// Centres a window horizontally on P and its tree vertically, then keeps it
// inside the work area: left and top first, then right and bottom, so a
// window larger than the work area sticks out at the left or top.
TPlacePoint PlaceAtPoint(TPlacePoint p, int width, int height, int treeHeight, const TPlaceRect& workArea);

// The hit-test code for a point at (dx, dy) inside a window of the given
// size: the corners, the edges (bands of 10 pixels), else the caption.
int FrameHitTest(int dx, int dy, int width, int height, int band = 10);

// Hit-test codes, as the system numbers them.
enum TFrameHit {
    fhCaption = 2, fhLeft = 10, fhRight = 11, fhTop = 12, fhTopLeft = 13,
    fhTopRight = 14, fhBottom = 15, fhBottomLeft = 16, fhBottomRight = 17,
};

// One coordinate of the point where the tray icon's menu opens: moved onto
// the 18-pixel grid, to the next line when more than 10 pixels past one
// (truncating toward zero, so a negative coordinate never moves up a line).
int TrayMenuCoordinate(int coordinate);

// Whether a stored window rectangle gives a window a user can use: at
// least 100 by 120, no larger than the virtual screen, and overlapping a
// monitor.
bool UsableWindowRect(const TPlaceRect& window, const TPlaceRect& virtualScreen,
                      const std::vector<TPlaceRect>& monitors);
