#include "core/ScreenFit.h"

TFitPoint KeepOnWorkArea(const TFitRect& window, const TFitRect& work) {
    const int width = window.Right - window.Left, height = window.Bottom - window.Top;
    int left = window.Left, top = window.Top;
    if (left < work.Left) left = work.Left;
    if (top < work.Top) top = work.Top;
    if (left + width > work.Right) left = work.Right - width;
    if (top + height > work.Bottom) top = work.Bottom - height;
    return {left, top};
}

TFitPoint DialogPlacement(int wantedLeft, int wantedTop, int width, int height, int screenWidth, int screenHeight) {
    if (wantedLeft > 0 && wantedTop > 0) return {wantedLeft, wantedTop};
    return {screenWidth / 2 - width / 2, screenHeight / 2 - height / 2};
}
