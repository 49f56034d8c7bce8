// The system image list of the navigator's module: the icons whose indexes
// the shell gives for items, shared with the system or as a copy of our own.
#pragma once

#include <thread>

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

// Has the shell build its system image list on a thread of its own while
// the program starts: the first request costs it tens of milliseconds
// (default icons read and drawn at every size), later ones come from the
// list it keeps for the process. The window's first paint then finds it.
class TSystemImageListWarmUp {
public:
    // Starts at once; a thread that cannot start leaves the request to the
    // first paint, as without it.
    TSystemImageListWarmUp();
    // Waits for the request under way.
    ~TSystemImageListWarmUp();
    TSystemImageListWarmUp(const TSystemImageListWarmUp&) = delete;
    TSystemImageListWarmUp& operator=(const TSystemImageListWarmUp&) = delete;

private:
    std::thread FThread;
};
