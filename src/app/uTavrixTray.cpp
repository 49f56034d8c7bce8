// The main window's icon in the notification area: added and removed with
// the setting, a left press calls the window up at the taskbar, a right
// press opens the program's menu.
#include "core/Placement.h"
#include "app/uTavrix.h"
#include "ui/Application.h"
#include "util/uUtils.h"

namespace {
// The first form of the record: every shell since the first takes it.
constexpr DWORD kTrayRecordSize = NOTIFYICONDATAW_V1_SIZE;
}  // namespace

void TfrmMain::AddTrayIcon() {
    FTrayIconData = NOTIFYICONDATAW{};
    FTrayIconData.cbSize = kTrayRecordSize;
    FTrayIconData.hWnd = Handle();
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
    std::wstring tip = ui::Application->Title() + L" " + FVersion;
    tip.resize(std::min<size_t>(tip.size(), std::size(FTrayIconData.szTip) - 1));
    std::copy(tip.begin(), tip.end(), FTrayIconData.szTip);
    FTrayIconData.szTip[tip.size()] = L'\0';
    Shell_NotifyIconW(NIM_ADD, &FTrayIconData);
    // The shell keeps its own copy of the picture.
    FTrayIconData.hIcon = nullptr;
}

void TfrmMain::RemoveTrayIcon() {
    if (FTrayIconData.cbSize == 0) {  // never added: the same record, empty
        FTrayIconData.cbSize = kTrayRecordSize;
        FTrayIconData.hWnd = Handle();
    }
    Shell_NotifyIconW(NIM_DELETE, &FTrayIconData);
}

void TfrmMain::WMTrayIcon(ui::TMessage& msg) {
    const UINT event = static_cast<UINT>(msg.LParam);
    // While a dialog of the program is open, a press on the icon brings
    // that dialog to the front: neither the window nor the menu with its
    // Exit may act under it.
    if ((event == WM_LBUTTONDOWN || event == WM_RBUTTONDOWN) && ui::Application &&
        ui::Application->BringModalToFront(Handle()))
        return;
    switch (event) {
    case WM_LBUTTONDOWN:
        ShowAppWindow(srTrayIcon);
        break;
    case WM_RBUTTONDOWN: {
        // The menu closes again when the user clicks elsewhere only while
        // its owner is in front.
        SetForegroundWindow(Handle());
        POINT p{};
        GetCursorPos(&p);
        PopupMenu->Popup(TrayMenuCoordinate(p.x), TrayMenuCoordinate(p.y));
        PostMessageW(Handle(), WM_NULL, 0, 0);
        break;
    }
    default:
        break;
    }
}

void TfrmMain::WMTaskbarCreated() {
    // A new taskbar (the shell restarted) has lost every icon.
    if (Options && Options->Settings.ShowTrayIcon) AddTrayIcon();
}
