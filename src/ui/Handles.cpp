#include "ui/Handles.h"

namespace ui {

TMemoryDC::TMemoryDC(HDC target, int width, int height)
    : FDC(CreateCompatibleDC(target)), FBitmap(CreateCompatibleBitmap(target, width, height)) {
    if (FDC && FBitmap) FOldBitmap = SelectObject(FDC, FBitmap.Get());
}

TMemoryDC::~TMemoryDC() {
    if (FOldBitmap) SelectObject(FDC, FOldBitmap);
    if (FDC) DeleteDC(FDC);
}

}  // namespace ui
