// The system image list of the navigator's module: the icons whose indexes
// the shell gives for items, shared with the system or as a copy of our own.
#pragma once

#include "ui/ImageList.h"

enum TKesImageListSize { si_small = 0, si_large = 1 };

// The system image list: the icons whose indexes the navigator returns.
class TKesSystemImageList : public ui::TImageList {
public:
    TKesSystemImageList();

    bool ShareImages() const noexcept { return FShareImages; }
    void SetShareImages(bool value);
    TKesImageListSize Size() const noexcept { return FSize; }
    void SetSize(TKesImageListSize value);
    void RefreshImages();

private:
    bool FShareImages = true;
    TKesImageListSize FSize = si_small;
};
