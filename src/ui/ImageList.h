// An owned image list of small icons.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "ui/Handles.h"
#include "ui/WinControl.h"

namespace ui {

class TImageList : public TComponent {
public:
    TImageList(int width = 16, int height = 16);
    ~TImageList() override;

    HIMAGELIST Handle() const noexcept { return FHandle; }
    int Width() const noexcept { return FWidth; }
    int Height() const noexcept { return FHeight; }
    int Count() const;
    // Empties the list and gives it another image size.
    void Clear(int width, int height);

    // Adds an icon from the program's resources; returns its index or -1.
    int AddResourceIcon(int resourceId);
    int AddIcon(HICON icon);
    // Adds a picture of the list's size; the bitmap stays the caller's.
    int AddBitmap(HBITMAP image);
    // Adds every image of a 32-bit strip bitmap (with alpha) from the
    // program's resources; returns how many were added.
    int AddResourceStrip(int resourceId);
    // A new icon made from one image; the caller owns it.
    TIconOwner GetIcon(int index) const;
    void Draw(HDC dc, int index, int x, int y, bool enabled = true) const;

protected:
    // Takes a handle; a shared one (the system's, say) is never destroyed.
    void SetHandle(HIMAGELIST handle, bool shared);
    // Lets go of the handle without destroying it.
    HIMAGELIST DetachHandle() noexcept;

private:
    int FWidth, FHeight;
    HIMAGELIST FHandle = nullptr;
    bool FShared = false;
};

}  // namespace ui
