#include "ui/Menus.h"

namespace ui {

TMenuItem* TMenuItem::Add(const std::wstring& name, const std::wstring& caption, int tag,
                          int imageIndex) {
    auto item = std::make_unique<TMenuItem>();
    item->Name = name;
    item->Caption = caption;
    item->Tag = tag;
    item->ImageIndex = imageIndex;
    item->FParent = this;
    FItems.push_back(std::move(item));
    return FItems.back().get();
}

void TMenuItem::Click() {
    if (Enabled && OnClick) OnClick(*this);
}

namespace {
template <typename F>
void Walk(TMenuItem& parent, UINT& next, F&& visit) {
    for (auto& item : parent.Items()) {
        visit(*item, next++);
        Walk(*item, next, visit);
    }
}
}  // namespace

HBITMAP TPopupMenu::ItemBitmap(int imageIndex) {
    if (!Images || imageIndex < 0 || imageIndex >= Images->Count()) return nullptr;
    if (FBitmaps.size() < static_cast<size_t>(Images->Count())) FBitmaps.resize(Images->Count());
    TBitmapOwner& slot = FBitmaps[static_cast<size_t>(imageIndex)];
    if (!slot) {
        // Menus draw 32-bit bitmaps with their alpha channel, so the image is
        // drawn onto a transparent top-down DIB.
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = Images->Width();
        bi.bmiHeader.biHeight = -Images->Height();
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC screen = GetDC(nullptr);
        slot.Reset(CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        ReleaseDC(nullptr, screen);
        if (!slot) return nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, slot.Get());
        ImageList_Draw(Images->Handle(), imageIndex, dc, 0, 0, ILD_TRANSPARENT);
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    return slot.Get();
}

TMenuOwner TPopupMenu::BuildMenu() {
    std::vector<std::pair<TMenuItem*, HMENU>> stack;
    TMenuOwner root(CreatePopupMenu());
    // Build recursively: each item with children gets a submenu.
    std::function<void(TMenuItem&, HMENU, UINT&)> fill = [&](TMenuItem& parent, HMENU menu, UINT& next) {
        for (auto& item : parent.Items()) {
            UINT command = next++;
            MENUITEMINFOW mii{};
            mii.cbSize = sizeof(mii);
            if (item->IsSeparator()) {
                mii.fMask = MIIM_FTYPE | MIIM_ID;
                mii.fType = MFT_SEPARATOR;
                mii.wID = command;
                Walk(*item, next, [](TMenuItem&, UINT) {});
            } else {
                mii.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_DATA;
                mii.dwTypeData = item->Caption.data();
                mii.wID = command;
                mii.fState = item->Enabled ? MFS_ENABLED : MFS_DISABLED;
                mii.dwItemData = static_cast<ULONG_PTR>(item->Tag);
                if (HBITMAP bmp = ItemBitmap(item->ImageIndex)) {
                    mii.fMask |= MIIM_BITMAP;
                    mii.hbmpItem = bmp;
                }
                if (item->Count() > 0) {
                    HMENU sub = CreatePopupMenu();
                    fill(*item, sub, next);
                    mii.fMask |= MIIM_SUBMENU;
                    mii.hSubMenu = sub;
                }
            }
            InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &mii);
        }
    };
    UINT next = 1;
    fill(Items, root.Get(), next);
    return root;
}

TMenuItem* TPopupMenu::ItemForCommand(UINT command) {
    TMenuItem* found = nullptr;
    UINT next = 1;
    Walk(Items, next, [&](TMenuItem& item, UINT id) {
        if (id == command) found = &item;
    });
    return found;
}

void TPopupMenu::Popup(int x, int y) {
    TMenuOwner menu = BuildMenu();
    HWND owner = Owner;
    // Without this the menu would not close when the user clicks elsewhere.
    if (owner) SetForegroundWindow(owner);
    UINT command = static_cast<UINT>(TrackPopupMenuEx(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON |
                                                                      TPM_LEFTALIGN | TPM_TOPALIGN,
                                                      x, y, owner, nullptr));
    if (owner) PostMessageW(owner, WM_NULL, 0, 0);
    if (command == 0) return;
    if (TMenuItem* item = ItemForCommand(command)) item->Click();
}

}  // namespace ui
