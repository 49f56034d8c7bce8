#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "testutil/TestFiles.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/Form.h"
#include "ui/ListView.h"
#include "ui/Menus.h"

using namespace ui;

namespace {

std::wstring MenuText(HMENU menu, int pos) {
    wchar_t buf[128] = {};
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_STRING;
    mii.dwTypeData = buf;
    mii.cch = 128;
    GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &mii);
    return buf;
}

TEST(PopupMenu, BuildsItemsInOrderWithSubmenusSeparatorsAndCommands) {
    TImageList images;
    images.AddIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(32512)));  // IDI_APPLICATION
    TPopupMenu popup;
    popup.Images = &images;
    TMenuItem* sub = popup.Items.Add(L"pmnuSub", L"Clipboard", 0, 0);
    TMenuItem* a = sub->Add(L"a", L"Plain Text", 0, 0);
    sub->Add(L"sep", L"-");
    TMenuItem* b = sub->Add(L"b", L"Execute", 3);
    popup.Items.Add(L"sep2", L"-");
    TMenuItem* exit = popup.Items.Add(L"exit", L"Exit");
    exit->Enabled = false;

    TMenuOwner menu = popup.BuildMenu();
    ASSERT_EQ(GetMenuItemCount(menu.Get()), 3);
    EXPECT_EQ(MenuText(menu.Get(), 0), L"Clipboard");
    HMENU subMenu = GetSubMenu(menu.Get(), 0);
    ASSERT_NE(subMenu, nullptr);
    ASSERT_EQ(GetMenuItemCount(subMenu), 3);
    EXPECT_EQ(MenuText(subMenu, 0), L"Plain Text");
    EXPECT_EQ(GetMenuState(subMenu, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(GetMenuState(menu.Get(), 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_NE(GetMenuState(menu.Get(), 2, MF_BYPOSITION) & MF_GRAYED, 0u);

    // Each command leads back to its item, and a click reaches its handler.
    int clicked = 0;
    b->OnClick = [&](TMenuItem& sender) { clicked = sender.Tag; };
    EXPECT_EQ(popup.ItemForCommand(GetMenuItemID(subMenu, 0)), a);
    EXPECT_EQ(popup.ItemForCommand(GetMenuItemID(subMenu, 2)), b);
    EXPECT_EQ(popup.ItemForCommand(GetMenuItemID(menu.Get(), 2)), exit);
    EXPECT_EQ(popup.ItemForCommand(999), nullptr);
    popup.ItemForCommand(GetMenuItemID(subMenu, 2))->Click();
    EXPECT_EQ(clicked, 3);
    exit->OnClick = [&](TMenuItem&) { clicked = -1; };
    exit->Click();  // disabled: nothing happens
    EXPECT_EQ(clicked, 3);

    // Items with an image are drawn by the owner; the separator has none.
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_BITMAP | MIIM_DATA;
    GetMenuItemInfoW(subMenu, 0, TRUE, &mii);
    EXPECT_EQ(mii.hbmpItem, HBMMENU_CALLBACK);
    EXPECT_EQ(mii.dwItemData, reinterpret_cast<ULONG_PTR>(a));
    GetMenuItemInfoW(subMenu, 2, TRUE, &mii);
    EXPECT_EQ(mii.hbmpItem, nullptr);
}

TEST(SpeedButton, ClicksWhenReleasedOverItAndShowsItsHint) {
    TForm form;
    form.SetBounds(0, 0, 200, 100);
    TPanel panel(&form);
    panel.SetBounds(8, 8, 161, 26);
    TSpeedButton button(&panel);
    button.SetBounds(27, 0, 26, 26);
    button.SetHint(L"Refresh (F5)");
    int clicks = 0;
    std::vector<POINT> ups;
    button.OnClick = [&] { ++clicks; };
    button.OnMouseUp = [&](TMouseButton, TShiftState, int x, int y) { ups.push_back({x, y}); };

    SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
    SendMessageW(button.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
    EXPECT_EQ(clicks, 1);
    SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
    SendMessageW(button.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(40, 6));  // released outside
    EXPECT_EQ(clicks, 1);
    ASSERT_EQ(ups.size(), 2u);
    EXPECT_EQ(ups[0].x, 5);
    EXPECT_EQ(ups[0].y, 6);
    EXPECT_EQ(ups[1].x, 40);

    wchar_t text[80] = {};
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = button.Handle();
    ti.uId = reinterpret_cast<UINT_PTR>(button.Handle());
    ti.lpszText = text;
    EXPECT_EQ(button.ToolTipHandle(), nullptr) << "no tip window before the pointer comes";
    SendMessageW(button.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 6));
    ASSERT_NE(button.ToolTipHandle(), nullptr);
    SendMessageW(button.ToolTipHandle(), TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ(text, L"Refresh (F5)");
    button.SetHint(L"Hide (Esc)");
    SendMessageW(button.ToolTipHandle(), TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ(text, L"Hide (Esc)");
}

TEST(ListView, IconsOfDrawnRowsOnlyAndClicksWithoutTheKeyboard) {
    TForm form;
    form.SetBounds(0, 0, 300, 200);
    TEdit edit(&form);
    edit.SetBounds(0, 0, 100, 20);
    TListView list(&form);
    std::vector<int> asked, clicks;
    list.OnImage = [&](int row) {
        asked.push_back(row);
        return -1;
    };
    list.OnClick = [&](int row) { clicks.push_back(row); };
    list.SetRows({{L"one", L"a"}, {L"two", L"b\\c"}, {L"three", L""}});
    ASSERT_EQ(list.RowCount(), 3);
    const int rowHeight = list.HeightFor(2) - list.HeightFor(1);
    ASSERT_GT(rowHeight, 0);
    list.SetBounds(0, 30, 300, list.HeightFor(1));
    ShowWindow(form.Handle(), SW_SHOW);
    ShowWindow(list.Handle(), SW_SHOW);
    UpdateWindow(list.Handle());
    EXPECT_EQ(asked, std::vector<int>{0}) << "one row shows";
    list.SetBounds(0, 30, 300, list.HeightFor(3));
    UpdateWindow(list.Handle());
    InvalidateRect(list.Handle(), nullptr, TRUE);
    UpdateWindow(list.Handle());
    EXPECT_EQ(asked, (std::vector<int>{0, 1, 2})) << "each row once";

    list.Select(1);
    EXPECT_EQ(list.Selected(), 1);
    SetFocus(edit.Handle());
    auto at = [&](int row) { return MAKELPARAM(5, row * rowHeight + rowHeight / 2); };
    SendMessageW(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at(2));
    SendMessageW(list.Handle(), WM_LBUTTONUP, 0, at(2));
    SendMessageW(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at(0));
    SendMessageW(list.Handle(), WM_LBUTTONUP, 0, at(1));  // released on another row
    EXPECT_EQ(clicks, std::vector<int>{2});
    EXPECT_EQ(GetFocus(), edit.Handle()) << "the keyboard stays where it was";
    EXPECT_EQ(list.Selected(), 1) << "whoever shows the list chooses";
}

TEST(Controls, WindowsOwnedByADestroyedFormAreLeftAlone) {
    // Destroying the form first must not upset the controls' own clean-up.
    auto form = std::make_unique<TForm>();
    auto panel = std::make_unique<TPanel>(form.get());
    auto button = std::make_unique<TSpeedButton>(panel.get());
    button->SetHint(L"Exit");
    DestroyWindow(form->Handle());
    EXPECT_FALSE(button->HandleAllocated());
    EXPECT_FALSE(panel->HandleAllocated());
    button.reset();
    panel.reset();
    form.reset();
}

TEST(Dialogs, ShowMessageIsCaptionedWithTheApplicationTitle) {
    testutil::TMessageBoxRecorder boxes;
    ShowMessage(L"hello");
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Caption, L"tavrix");
    EXPECT_EQ(boxes.Boxes[0].Flags & 0xF, static_cast<UINT>(MB_OK));
}

}  // namespace

#include "ui/FolderHandles.h"

namespace {

TEST(FolderHandles, AHandleCountsInsideItsFolderAndEveryFolderAboveIt) {
    struct TCase {
        const wchar_t *Path, *Folder;
        bool Inside;
    };
    for (const TCase& c : {TCase{L"C:\\w", L"C:\\w", true}, {L"C:\\w\\a\\b", L"C:\\W\\", true},
                           {L"C:\\w", L"C:\\", true}, {L"C:\\wa", L"C:\\w", false}, {L"C:\\w", L"C:\\w\\a", false},
                           {L"C:\\Stra\u00DFe\\x", L"C:\\STRASSE", false}, {L"C:\\w", L"", false}})
        EXPECT_EQ(PathInside(c.Path, c.Folder), c.Inside) << c.Path << L" in " << c.Folder;
    const int before = FolderHandlesInside(L"C:\\w");
    TFolderHandleMark deep(L"C:\\w\\a\\b");
    {
        TFolderHandleMark moved = std::move(deep);
        EXPECT_EQ(FolderHandlesInside(L"C:\\w\\a"), 1);
        EXPECT_EQ(FolderHandlesInside(L"C:\\w\\a\\b\\c"), 0);
    }
    EXPECT_EQ(FolderHandlesInside(L"C:\\w"), before) << "counted once, and gone with its last owner";
}

}  // namespace
