// Popup menus: a tree of items with captions, tags, images and click
// handlers. The native menu is built when the menu pops up.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Handles.h"
#include "ui/ImageList.h"
#include "ui/WinControl.h"

namespace ui {

class TMenuItem : public TComponent {
public:
    TMenuItem() = default;

    std::wstring Caption;  // "-" makes a separator
    int ImageIndex = -1;
    bool Enabled = true;
    bool Checked = false;
    // The long help text, shown as the application's hint while selected.
    std::wstring Hint;
    std::function<void(TMenuItem& sender)> OnClick;

    bool IsSeparator() const noexcept { return Caption == L"-"; }
    TMenuItem* Add(const std::wstring& name, const std::wstring& caption, int tag = 0,
                   int imageIndex = -1);
    const std::vector<std::unique_ptr<TMenuItem>>& Items() const noexcept { return FItems; }
    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    TMenuItem* Parent() const noexcept { return FParent; }
    void Click();

private:
    TMenuItem* FParent = nullptr;
    std::vector<std::unique_ptr<TMenuItem>> FItems;
};

class TPopupMenu : public TComponent {
public:
    TPopupMenu() = default;

    TMenuItem Items;
    const TImageList* Images = nullptr;
    // The window that receives the menu's messages while it is open.
    HWND Owner = nullptr;

    // Builds the native menu; the command of each item is its position in
    // a depth-first walk, starting at 1.
    TMenuOwner BuildMenu();
    // How many commands BuildMenu numbers: other items put into the same
    // native menu take numbers above this.
    UINT CommandCount();
    // Shows the menu at a screen point and runs the chosen item.
    void Popup(int x, int y);
    // Tracks a native menu built from this one (perhaps with items of
    // others) for an owner window; item images are drawn meanwhile.
    // Returns the chosen command, 0 for none.
    UINT Track(HMENU menu, int x, int y, HWND owner, UINT flags);
    // The item that a command of BuildMenu stands for, or none.
    TMenuItem* ItemForCommand(UINT command);
    // Raised just before the menu opens; Popup builds the menu after it,
    // so it may still change the items.
    std::function<void(TPopupMenu& sender)> OnPopup;

    // Draws item images for the menu that is open; the owner window's
    // WM_MEASUREITEM and WM_DRAWITEM come here. False when not a menu's.
    static bool HandleOwnerDraw(UINT msg, LPARAM lParam);

private:
    static TPopupMenu* FTracking;
};

}  // namespace ui
