#include "ui/ImageList.h"

namespace ui {

TImageList::TImageList(int width, int height)
    : FWidth(width), FHeight(height), FHandle(ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 4, 4)) {}

TImageList::~TImageList() { SetHandle(nullptr, false); }

void TImageList::SetHandle(HIMAGELIST handle, bool shared) {
    if (FHandle && !FShared && FHandle != handle) ImageList_Destroy(FHandle);
    FHandle = handle;
    FShared = shared;
    if (FHandle) ImageList_GetIconSize(FHandle, &FWidth, &FHeight);
}

HIMAGELIST TImageList::DetachHandle() noexcept {
    HIMAGELIST h = FHandle;
    FHandle = nullptr;
    FShared = false;
    return h;
}

void TImageList::Clear(int width, int height) {
    SetHandle(ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 4, 4), false);
}

int TImageList::Count() const { return FHandle ? ImageList_GetImageCount(FHandle) : 0; }

int TImageList::AddResourceIcon(int resourceId) {
    TIconOwner icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                                  MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                                                  FWidth, FHeight, LR_DEFAULTCOLOR)));
    if (!icon) return -1;
    return AddIcon(icon.Get());
}

int TImageList::AddResourceStrip(int resourceId) {
    TBitmapOwner strip(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                                                       IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!strip || !FHandle) return 0;
    int before = Count();
    ImageList_Add(FHandle, strip.Get(), nullptr);
    return Count() - before;
}

int TImageList::AddIcon(HICON icon) {
    if (!FHandle || !icon) return -1;
    return ImageList_AddIcon(FHandle, icon);
}

int TImageList::AddBitmap(HBITMAP image) {
    if (!FHandle || !image) return -1;
    return ImageList_Add(FHandle, image, nullptr);
}

TIconOwner TImageList::GetIcon(int index) const {
    if (!FHandle || index < 0 || index >= Count()) return TIconOwner();
    return TIconOwner(ImageList_GetIcon(FHandle, index, ILD_TRANSPARENT));
}

void TImageList::Draw(HDC dc, int index, int x, int y, bool enabled) const {
    if (!FHandle || index < 0) return;
    if (enabled) {
        ImageList_Draw(FHandle, index, dc, x, y, ILD_TRANSPARENT);
    } else {
        IMAGELISTDRAWPARAMS p{};
        p.cbSize = sizeof(p);
        p.himl = FHandle;
        p.i = index;
        p.hdcDst = dc;
        p.x = x;
        p.y = y;
        p.fStyle = ILD_TRANSPARENT;
        p.fState = ILS_SATURATE;
        ImageList_DrawIndirect(&p);
    }
}

}  // namespace ui
