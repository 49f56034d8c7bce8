#include "core/Placement.h"

#include <cstddef>

namespace {
long long DistanceSquared(const TPlaceRect& r, TPlacePoint p) {
    long long dx = p.X < r.Left ? r.Left - p.X : (p.X >= r.Right ? p.X - (r.Right - 1) : 0);
    long long dy = p.Y < r.Top ? r.Top - p.Y : (p.Y >= r.Bottom ? p.Y - (r.Bottom - 1) : 0);
    return dx * dx + dy * dy;
}
}  // namespace

int NearestMonitor(const std::vector<TPlaceRect>& monitors, TPlacePoint p) {
    int best = -1;
    long long bestDistance = 0;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        long long d = DistanceSquared(monitors[i], p);
        if (best < 0 || d < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = d;
        }
    }
    return best;
}

TPlacePoint PlaceAtPoint(TPlacePoint p, int width, int height, int treeHeight, const TPlaceRect& w) {
    int x = p.X - width / 2;
    int y = p.Y - treeHeight / 2;
    if (x < w.Left) x = w.Left;
    if (y < w.Top) y = w.Top;
    if (x + width > w.Right) x = w.Right - width;
    if (y + height > w.Bottom) y = w.Bottom - height;
    return {x, y};
}

int FrameHitTest(int dx, int dy, int width, int height, int band) {
    if (dx < band && dy < band) return fhTopLeft;
    if (dx > width - band && dy > height - band) return fhBottomRight;
    if (dx < band && dy > height - band) return fhBottomLeft;
    if (dy < band && dx > width - band) return fhTopRight;
    if (dx < band) return fhLeft;
    if (dx > width - band) return fhRight;
    if (dy < band) return fhTop;
    if (dy > height - band) return fhBottom;
    return fhCaption;
}

int TrayMenuCoordinate(int coordinate) {
    const int q = coordinate / 18;
    const int r = coordinate - 18 * q;
    return r > 10 ? 18 * (q + 1) : 18 * q;
}

bool UsableWindowRect(const TPlaceRect& w, const TPlaceRect& screen, const std::vector<TPlaceRect>& monitors) {
    const long long width = static_cast<long long>(w.Right) - w.Left;
    const long long height = static_cast<long long>(w.Bottom) - w.Top;
    if (width < 100 || height < 120) return false;
    if (width > static_cast<long long>(screen.Right) - screen.Left ||
        height > static_cast<long long>(screen.Bottom) - screen.Top)
        return false;
    for (const TPlaceRect& m : monitors)
        if (w.Left < m.Right && m.Left < w.Right && w.Top < m.Bottom && m.Top < w.Bottom) return true;
    return false;
}
