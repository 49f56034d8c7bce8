#include "ui/Menus.h"

#include "ui/MessageParams.h"

#include <utility>

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

TPopupMenu* TPopupMenu::FTracking = nullptr;

bool TPopupMenu::HandleOwnerDraw(UINT msg, LPARAM lParam) {
    // Item images are drawn through the image list, which keeps their
    // transparency on every system, including those that blit menu bitmaps.
    TPopupMenu* menu = FTracking;
    if (!menu || !menu->Images) return false;
    if (msg == WM_MEASUREITEM) {
        auto* mis = ParamAs<MEASUREITEMSTRUCT*>(lParam);
        if (mis->CtlType != ODT_MENU) return false;
        mis->itemWidth = static_cast<UINT>(menu->Images->Width());
        mis->itemHeight = static_cast<UINT>(menu->Images->Height());
        return true;
    }
    if (msg == WM_DRAWITEM) {
        auto* dis = ParamAs<DRAWITEMSTRUCT*>(lParam);
        if (dis->CtlType != ODT_MENU) return false;
        auto* item = ParamAs<TMenuItem*>(dis->itemData);
        if (!item || item->ImageIndex < 0) return true;
        const RECT& r = dis->rcItem;
        int x = r.left + (r.right - r.left - menu->Images->Width()) / 2;
        int y = r.top + (r.bottom - r.top - menu->Images->Height()) / 2;
        menu->Images->Draw(dis->hDC, item->ImageIndex, x, y, (dis->itemState & ODS_DISABLED) == 0);
        return true;
    }
    return false;
}

TMenuOwner TPopupMenu::BuildMenu() {
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
                mii.fState = (item->Enabled ? MFS_ENABLED : MFS_DISABLED) | (item->Checked ? MFS_CHECKED : MFS_UNCHECKED);
                mii.dwItemData = AsParam<ULONG_PTR>(item.get());
                if (Images && item->ImageIndex >= 0 && item->ImageIndex < Images->Count()) {
                    mii.fMask |= MIIM_BITMAP;
                    mii.hbmpItem = HBMMENU_CALLBACK;
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

UINT TPopupMenu::CommandCount() {
    UINT next = 1;
    Walk(Items, next, [](TMenuItem&, UINT) {});
    return next - 1;
}

UINT TPopupMenu::Track(HMENU menu, int x, int y, HWND owner, UINT flags) {
    TPopupMenu* previous = std::exchange(FTracking, this);
    UINT command = static_cast<UINT>(TrackPopupMenuEx(menu, flags | TPM_RETURNCMD, x, y, owner, nullptr));
    FTracking = previous;
    return command;
}

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup) OnPopup(*this);
    TMenuOwner menu = BuildMenu();
    HWND owner = Owner;
    // Without this the menu would not close when the user clicks elsewhere.
    if (owner) SetForegroundWindow(owner);
    UINT command = Track(menu.Get(), x, y, owner, TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN);
    if (owner) PostMessageW(owner, WM_NULL, 0, 0);
    if (command == 0) return;
    if (TMenuItem* item = ItemForCommand(command)) item->Click();
}

}  // namespace ui
