#include "ui/ImageList.h"

namespace ui {

TImageList::TImageList(int width, int height)
    : FWidth(width),
      FHeight(height),
      FHandle(ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 4, 4)) {}

int TImageList::Count() const { return FHandle ? ImageList_GetImageCount(FHandle.Get()) : 0; }

int TImageList::AddResourceIcon(int resourceId) {
    TIconOwner icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                                  MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                                                  FWidth, FHeight, LR_DEFAULTCOLOR)));
    if (!icon) return -1;
    return AddIcon(icon.Get());
}

int TImageList::AddIcon(HICON icon) {
    if (!FHandle || !icon) return -1;
    return ImageList_AddIcon(FHandle.Get(), icon);
}

TIconOwner TImageList::GetIcon(int index) const {
    if (!FHandle || index < 0 || index >= Count()) return TIconOwner();
    return TIconOwner(ImageList_GetIcon(FHandle.Get(), index, ILD_TRANSPARENT));
}

void TImageList::Draw(HDC dc, int index, int x, int y, bool enabled) const {
    if (!FHandle || index < 0) return;
    if (enabled) {
        ImageList_Draw(FHandle.Get(), index, dc, x, y, ILD_TRANSPARENT);
    } else {
        IMAGELISTDRAWPARAMS p{};
        p.cbSize = sizeof(p);
        p.himl = FHandle.Get();
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
