#include "shell/SystemImageList.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <system_error>

#include "ui/Handles.h"
#include "ui/MessageParams.h"
#include "ui/Profile.h"

TKesSystemImageList::TKesSystemImageList() : ui::TImageList(16, 16) {
    SetHandle(nullptr, false);
    FShareImages = true;
    FSize = si_small;
    RefreshImages();
}

void TKesSystemImageList::SetShareImages(bool value) {
    // The new handle replaces the old one, which goes when it was our copy.
    FShareImages = value;
    RefreshImages();
}

void TKesSystemImageList::SetSize(TKesImageListSize value) {
    FSize = value;
    RefreshImages();
}

namespace {
ui::TProfileCounter SystemImagesCounter("shell: system image list");
}  // namespace

void TKesSystemImageList::RefreshImages() {
    ui::TProfileScope profile(SystemImagesCounter);
    SHFILEINFOW info{};
    UINT flags = SHGFI_SYSICONINDEX | (FSize == si_small ? SHGFI_SMALLICON : 0);
    auto system = ui::ParamAs<HIMAGELIST>(SHGetFileInfoW(L"C:\\", 0, &info, sizeof(info), flags));
    if (FShareImages) {
        SetHandle(system, true);
    } else {
        // A copy of our own, which we may change and must destroy.
        SetHandle(system ? ImageList_Duplicate(system) : nullptr, false);
    }
}

TSystemImageListWarmUp::TSystemImageListWarmUp() {
    try {
        FThread = std::thread([this] {
            // The shell's objects want an apartment on every thread that uses them.
            ui::TComScope com(ui::TComScope::ckApartment);
            SHFILEINFOW info{};
            // Asked as the tree asks for it.
            SHGetFileInfoW(L"C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        });
    } catch (const std::system_error&) {
        // A help only: the first paint asks for the list itself.
    }
}

TSystemImageListWarmUp::~TSystemImageListWarmUp() {
    if (FThread.joinable()) FThread.join();
}
