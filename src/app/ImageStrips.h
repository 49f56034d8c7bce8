// The program's pictures come as strips drawn at 16, 24 and 32 pixels.
#pragma once

#include "ui/Dpi.h"
#include "ui/ImageList.h"

// Fills the list with the strip drawn nearest the DPI's size, never a
// stretched one; each list comes from one strip: one resource read, not
// one an image.
inline void LoadImageStrip(ui::TImageList& list, int dpi, int strip16, int strip24, int strip32) {
    const int size = ui::ImageSizeForDpi(dpi);
    list.Clear(size, size);
    list.AddResourceStrip(size == 32 ? strip32 : size == 24 ? strip24 : strip16);
}
