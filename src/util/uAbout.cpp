#include "util/uAbout.h"

#include "ui/Application.h"
#include "ui/Handles.h"


namespace {
constexpr int kClientWidth = 201;
constexpr int kClientHeight = 127;
constexpr int kMargin = 8;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
}  // namespace

TfrmAbout::TfrmAbout() : ui::TForm(kStyle, kExStyle) {
    Name = L"frmAbout";
    SetCaption(L"About");
    SetFormFont(L"Tahoma", MulDiv(8, 96, 72));
    Label1 = std::make_unique<ui::TLabel>(this, L"tavrix", ui::TLabel::taCenter);
    lblVersion = std::make_unique<ui::TLabel>(this, L"version", ui::TLabel::taCenter);
    lblNotice = std::make_unique<ui::TLabel>(this, L"", ui::TLabel::taCenter);
    ShowWindow(lblNotice->Handle(), SW_HIDE);
    Button1 = std::make_unique<ui::TButton>(this, L"OK");
    Button1->SetDefault(true);
    Button1->Cancel = true;
    Button1->OnClick = [this] { Button1Click(); };
    ActiveControl = Button1.get();
    DialogNavigation = true;
    Layout(kClientWidth);
}

void TfrmAbout::Layout(int clientWidth) {
    RECT r{0, 0, clientWidth, kClientHeight};
    AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const int shift = (clientWidth - kClientWidth) / 2;  // the designed controls stay centred
    Label1->SetBounds(48 + shift, 21, 105, 13);
    lblVersion->SetBounds(48 + shift, 51, 105, 13);
    lblNotice->SetBounds(kMargin, 67, clientWidth - 2 * kMargin, 13);
    Button1->SetBounds(64 + shift, 86, 73, 25);
}

void TfrmAbout::SetNotice(const std::wstring& text) {
    lblNotice->SetCaption(text);
    ShowWindow(lblNotice->Handle(), text.empty() ? SW_HIDE : SW_SHOWNA);
    if (text.empty()) return;
    // Measured in the box's own font.
    SIZE size{};
    {
        ui::TWindowDC dc(Handle());
        ui::TSelectObject font(dc.Get(), Font());
        GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    }
    if (size.cx > kClientWidth - 2 * kMargin) Layout(size.cx + 2 * kMargin + 2);
}

void TfrmAbout::Button1Click() { ModalResult = ui::mrOk; }

void ShowAboutBox(const std::wstring& version, const std::wstring& notice) {
    TfrmAbout box;
    box.lblVersion->SetCaption(version);
    box.SetNotice(notice);
    box.CentreOverMainForm();
    box.ShowModal();
}

std::wstring HotKeyConflictText(const std::vector<std::wstring>& keys) {
    if (keys.empty()) return {};
    if (keys.size() == 1) return keys[0] + L" is used by another program";
    std::wstring list;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (i > 0) list += i + 1 == keys.size() ? L" and " : L", ";
        list += keys[i];
    }
    return list + L" are used by other programs";
}
