#include "app/TrayIcon.h"

#include "app/ImageStrips.h"
#include "app/res/resource.h"
#include "core/Placement.h"
#include "settings/uOptions.h"
#include "ui/Application.h"
#include "util/uUtils.h"

#include <algorithm>
#include <utility>

namespace {
// The first form of the record: every shell since the first takes it.
constexpr DWORD kTrayRecordSize = NOTIFYICONDATAW_V1_SIZE;
}  // namespace

TTrayIcon::TTrayIcon(ui::TWinControl& window, TComponentList& components, std::function<void()> onCallUp,
                     std::function<void(int x, int y)> onMenu)
    : FWindow(window), FOnCallUp(std::move(onCallUp)), FOnMenu(std::move(onMenu)) {
    ImageList = components.Own<ui::TImageList>(16, 16);
    ImageList->Name = L"ImageList";
}

void TTrayIcon::LoadImages(int dpi) { LoadImageStrip(*ImageList, dpi, IDB_IMAGES, IDB_IMAGES24, IDB_IMAGES32); }

void TTrayIcon::AddTrayIcon(const std::wstring& tip) {
    FTip = tip;
    FTrayIconData = NOTIFYICONDATAW{};
    FTrayIconData.cbSize = kTrayRecordSize;
    FTrayIconData.hWnd = FWindow.Handle();
    FTrayIconData.uID = 0;
    FTrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    FTrayIconData.uCallbackMessage = WM_TRAYICON;
    // The user's own picture beside the program wins over the built-in one.
    const std::wstring file = GetProgramFolder() + L"tavrix.ico";
    ui::TIconOwner icon;
    if (GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES)
        icon.Reset(static_cast<HICON>(LoadImageW(nullptr, file.c_str(), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE)));
    if (!icon) icon = ImageList->GetIcon(0);
    FTrayIconData.hIcon = icon.Get();
    const size_t length = std::min<size_t>(tip.size(), std::size(FTrayIconData.szTip) - 1);
    std::copy_n(tip.begin(), length, FTrayIconData.szTip);
    FTrayIconData.szTip[length] = L'\0';
    Shell_NotifyIconW(NIM_ADD, &FTrayIconData);
    // The shell keeps its own copy of the picture.
    FTrayIconData.hIcon = nullptr;
}

void TTrayIcon::RemoveTrayIcon() {
    if (FTrayIconData.cbSize == 0) {  // never added: the same record, empty
        FTrayIconData.cbSize = kTrayRecordSize;
        FTrayIconData.hWnd = FWindow.Handle();
    }
    Shell_NotifyIconW(NIM_DELETE, &FTrayIconData);
}

void TTrayIcon::WMTrayIcon(const ui::TMessage& msg) {
    const UINT event = static_cast<UINT>(msg.LParam);
    // While a dialog of the program is open, a press on the icon brings
    // that dialog to the front: neither the window nor the menu with its
    // Exit may act under it.
    if ((event == WM_LBUTTONDOWN || event == WM_RBUTTONDOWN) && ui::Application &&
        ui::Application->BringModalToFront(FWindow.Handle()))
        return;
    switch (event) {
    case WM_LBUTTONDOWN:
        FOnCallUp();
        break;
    case WM_RBUTTONDOWN: {
        // The menu closes again when the user clicks elsewhere only while
        // its owner is in front.
        SetForegroundWindow(FWindow.Handle());
        POINT p{};
        GetCursorPos(&p);
        FOnMenu(TrayMenuCoordinate(p.x), TrayMenuCoordinate(p.y));
        PostMessageW(FWindow.Handle(), WM_NULL, 0, 0);
        break;
    }
    default:
        break;
    }
}

void TTrayIcon::WMTaskbarCreated() {
    if (Options && Options->Settings.ShowTrayIcon) AddTrayIcon(FTip);
}
