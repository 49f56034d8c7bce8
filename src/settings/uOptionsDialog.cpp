#include "settings/uOptionsDialog.h"

#include "core/Exceptions.h"
#include "core/OptionsValues.h"
#include "settings/uOptions.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "core/ScreenFit.h"
#include "util/FolderMove.h"

#include <algorithm>

namespace {
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kClientWidth = 457;
constexpr int kClientHeight = 249;

// Replaces every occurrence of what, without regard to case.
std::wstring ReplaceAllNoCase(const std::wstring& text, const std::wstring& what, const std::wstring& with) {
    if (what.empty()) return text;
    auto upper = [](std::wstring s) {
        CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
        return s;
    };
    const std::wstring haystack = upper(text), needle = upper(what);
    std::wstring out;
    size_t from = 0;
    for (size_t at = haystack.find(needle); at != std::wstring::npos; at = haystack.find(needle, from)) {
        out.append(text, from, at - from).append(with);
        from = at + what.size();
    }
    return out.append(text, from, std::wstring::npos);
}
}  // namespace

TfrmOptions::TfrmOptions() : ui::TForm(kStyle, kExStyle) {
    Name = L"frmOptions";
    SetCaption(L"Options");
    Color = 14540253;
    SetFormFont(L"MS Sans Serif", MulDiv(8, 96, 72));
    RECT r{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    GroupBox1 = std::make_unique<ui::TGroupBox>(this, L"General");
    GroupBox1->SetBounds(8, 8, 201, 201);
    for (size_t i = 0; i < OptionSwitchCount; ++i) {
        const TOptionSwitch& option = OptionSwitches[i];
        auto& box = SwitchBox(i);
        box = std::make_unique<ui::TCheckBox>(GroupBox1.get(), option.Caption);
        box->Name = std::wstring(L"chk") + option.Key;
        box->SetBounds(16, 24 + 24 * static_cast<int>(i), 169, 17);
        box->SetChecked(option.Default);
    }

    gbWorkingFolderOptions = std::make_unique<ui::TGroupBox>(this, L"Working Folder");
    gbWorkingFolderOptions->SetBounds(216, 8, 233, 201);
    auto radio = [this](const wchar_t* caption, int tag, int top) {
        auto rb = std::make_unique<ui::TRadioButton>(gbWorkingFolderOptions.get(), caption);
        rb->Tag = tag;
        rb->SetBounds(16, top, 193, 17);
        rb->OnClick = [this] { rbWorkingFolderOptionClick(); };
        return rb;
    };
    rbFavorites = radio(L"Favorites\\quorb", 0, 24);
    rbDesktop = radio(L"Desktop\\quorb", 1, 48);
    rbAppFolderLinks = radio(L"Application folder\\quorb", 2, 72);
    rbOther = radio(L"Other\\quorb", 3, 96);
    rbOther->OnMouseUp = [this](ui::TMouseButton, ui::TShiftState, int, int) { rbOtherMouseUp(); };
    txtOtherFolder = std::make_unique<ui::TEdit>(gbWorkingFolderOptions.get(), true);
    txtOtherFolder->SetBounds(16, 120, 169, 21);
    btnSelectFolder = std::make_unique<ui::TSpeedButton>(gbWorkingFolderOptions.get());
    btnSelectFolder->SetBounds(192, 117, 26, 26);
    btnSelectFolder->Caption = L"...";
    btnSelectFolder->SetHint(L"Select Working Folder");
    btnSelectFolder->OnClick = [this] { btnSelectFolderClick(); };
    rbAppFolderLinks->SetChecked(true);  // also disables the other folder's controls
    rbWorkingFolderOptionClick();

    btnOK = std::make_unique<ui::TSpeedButton>(this);
    btnOK->SetBounds(296, 216, 73, 26);
    btnOK->Caption = L"OK";
    btnOK->OnClick = [this] { btnOKClick(); };
    btnCancel = std::make_unique<ui::TSpeedButton>(this);
    btnCancel->SetBounds(376, 216, 73, 26);
    btnCancel->Caption = L"Cancel";
    btnCancel->OnClick = [this] { btnCancelClick(); };
    for (ui::TSpeedButton* b : {btnSelectFolder.get(), btnOK.get(), btnCancel.get()}) b->SetTabStop(true);

    KesBrowseForFolder1 = std::make_unique<TKesBrowseForFolder>(this);
    KesBrowseForFolder1->Title = L"Select Working Folder";
    KesBrowseForFolder1->SetOptions(BrowseFlag(bfNewDialogStyle));
    KesBrowseForFolder1->RootedAt = SF_DESKTOP;

    ActiveControl = chkShowAppWndOnLaunch.get();
    KeyPreview = true;
    DialogNavigation = true;
    OnShow = [this] { FormShow(); };
    OnKeyDown = [this](WORD& key, ui::TShiftState shift) { FormKeyDown(key, shift); };
    OnKeyPress = [this](wchar_t& key) { FormKeyPress(key); };
    CentreOverMainForm();
}

TfrmOptions::~TfrmOptions() = default;

std::unique_ptr<ui::TCheckBox>& TfrmOptions::SwitchBox(size_t index) {
#define TAVRIX_SWITCH_BOX(name, caption, byDefault) &TfrmOptions::chk##name,
    static constexpr std::unique_ptr<ui::TCheckBox> TfrmOptions::*boxes[] = {TAVRIX_OPTION_SWITCHES(TAVRIX_SWITCH_BOX)};
#undef TAVRIX_SWITCH_BOX
    return this->*boxes[index];
}

bool TfrmOptions::WndProc(ui::TMessage& msg) {
    if (msg.Msg == WM_ACTIVATE && LOWORD(msg.WParam) != WA_INACTIVE) KeepOnWorkArea();
    return ui::TForm::WndProc(msg);
}

void TfrmOptions::FormShow() {
    const TOptionsRec& s = Settings;
    for (size_t i = 0; i < OptionSwitchCount; ++i) SwitchBox(i)->SetChecked(s.*OptionSwitches[i].Member);
    CheckRadioByTag(*gbWorkingFolderOptions, s.WorkingFolderOption);
    txtOtherFolder->SetText(s.WorkingFolderPath);
}

void TfrmOptions::rbWorkingFolderOptionClick() {
    const BOOL other = rbOther->Checked();
    EnableWindow(txtOtherFolder->Handle(), other);
    EnableWindow(btnSelectFolder->Handle(), other);
    InvalidateRect(btnSelectFolder->Handle(), nullptr, TRUE);
}

void TfrmOptions::rbOtherMouseUp() {
    SetFocus(txtOtherFolder->Handle());
    txtOtherFolder->SelectAll();
}

void TfrmOptions::btnSelectFolderClick() {
    const std::wstring current = txtOtherFolder->Text();
    DWORD attributes = GetFileAttributesW(current.c_str());
    if (!current.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        KesBrowseForFolder1->Path = current;
    else
        KesBrowseForFolder1->RootedAt = SF_DESKTOP;
    if (!KesBrowseForFolder1->Execute()) return;
    // "This PC", a library or the network hold no files of their own.
    if (!IsAbsoluteFolderPath(KesBrowseForFolder1->Path)) {
        RefuseFolder(KesBrowseForFolder1->Path);
        return;
    }
    txtOtherFolder->SetText(KesBrowseForFolder1->Path);
    txtOtherFolder->SelectAll();
}

void TfrmOptions::RefuseFolder(const std::wstring& path) {
    const std::wstring what = path.empty() ? L"No folder is chosen." : L"\"" + path + L"\" is no folder on a drive or a network share.";
    ui::ShowMessageBox(Handle(), what + L"\r\nPlease choose a folder on a drive or a network share for the working folder.",
                       ui::Application ? ui::Application->Title() : std::wstring(), MB_OK | MB_ICONWARNING);
}

void TfrmOptions::FormKeyDown(WORD& key, ui::TShiftState) {
    if (key == VK_RETURN) {
        // A button the keyboard has reached answers Enter itself.
        if (!PressFocusedButton()) btnOK->Click();
        key = 0;
    } else if (key == VK_ESCAPE) {
        btnCancel->Click();
        key = 0;
    }
}

void TfrmOptions::FormKeyPress(wchar_t& key) {
    if (key == L'\r' || key == 27) key = 0;  // no control gets them, and nothing beeps
}

void TfrmOptions::btnOKClick() {
    // The choice is made on a copy: nothing is live before it is confirmed.
    TOptionsRec chosen = Settings;
    for (size_t i = 0; i < OptionSwitchCount; ++i) chosen.*OptionSwitches[i].Member = SwitchBox(i)->Checked();
    chosen.WorkingFolderOption = static_cast<uint8_t>(GetCheckedRadioTag(*gbWorkingFolderOptions));
    chosen.WorkingFolderPath = txtOtherFolder->Text();
    // A path relative to wherever the program was started would scatter
    // the links: only a real folder is taken.
    if (chosen.WorkingFolderOption == 3 && !IsAbsoluteFolderPath(chosen.WorkingFolderPath)) {
        RefuseFolder(chosen.WorkingFolderPath);
        return;
    }
    if (ConfirmWorkingFolderChange(chosen)) {
        Settings = chosen;
        ModalResult = ui::mrOk;
        return;
    }
    CheckRadioByTag(*gbWorkingFolderOptions, Settings.WorkingFolderOption);
    txtOtherFolder->SetText(Settings.WorkingFolderPath);
}

void TfrmOptions::btnCancelClick() { ModalResult = ui::mrCancel; }

void TfrmOptions::KeepOnWorkArea() {
    RECT r{};
    GetWindowRect(Handle(), &r);
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    if (!GetMonitorInfoW(MonitorFromPoint(POINT{r.left, r.top}, MONITOR_DEFAULTTONEAREST), &mi)) return;
    TFitPoint at = ::KeepOnWorkArea({r.left, r.top, r.right, r.bottom},
                                    {mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom});
    SetWindowPos(Handle(), nullptr, at.X, at.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TfrmOptions::ConfirmWorkingFolderChange(TOptionsRec& chosen) {
    ResolveWorkingFolder(Settings);
    ResolveWorkingFolder(chosen);
    const std::wstring from = Settings.WorkingFolder;
    const std::wstring to = chosen.WorkingFolder;
    if (from == to) return true;
    // Another spelling of the same folder (case, a short name, a trailing
    // separator) moves nothing: a move onto itself would only put the
    // folder at risk.
    if (SameFolder(from, to)) {
        chosen.Expanded = ReplaceAllNoCase(chosen.Expanded, from, to);
        return true;
    }
    // One folder inside the other: the links would have to move into
    // themselves, or out of the folder that is to hold them.
    if (FoldersOverlap(from, to)) {
        ui::ShowMessageBox(Handle(),
                           L"The working folder cannot move into a folder inside it, nor into a folder that holds "
                           L"it.\r\n\r\nFrom: " + from + L"\r\nTo: " + to,
                           ui::Application ? ui::Application->Title() : std::wstring(), MB_OK | MB_ICONWARNING);
        return false;
    }
    const std::wstring text = L"Application working folder has been changed.\r\nWould you like to move the contents?\r\n\r\nFrom: " +
                              from + L"\r\nTo: " + to;
    RECT r{};
    GetWindowRect(Handle(), &r);
    const POINT at{r.left + (r.right - r.left) / 2 - 58, r.top + (r.bottom - r.top) / 2 - 65};
    switch (ui::ShowMessageBoxAt(Handle(), text, L"Information", MB_YESNOCANCEL | MB_ICONINFORMATION, at)) {
    case IDYES: {
        // The file names the new place before the links go there: a choice
        // saved only afterwards can fail, and a restart would then look
        // for them in the old one.
        if (!SaveFolderChoice(chosen)) return false;
        // The after-step runs however the steps before it end, so the
        // tree shows again also when the move could not start.
        bool moving = false;
        try {
            if (OnBeforeFolderMove) OnBeforeFolderMove(from, to);
            moving = true;
            MoveWorkingFolder(from, to);
        } catch (...) {
            if (!moving && OnSaveFolderChoice) {
                try {
                    OnSaveFolderChoice(Settings);  // the links are all where they were
                } catch (...) {
                }
            }
            if (OnAfterFolderMove) OnAfterFolderMove(from, to);
            throw;
        }
        if (OnAfterFolderMove) OnAfterFolderMove(from, to);
        chosen.Expanded = ReplaceAllNoCase(chosen.Expanded, from, to);
        return true;
    }
    case IDNO:
        chosen.Expanded.clear();
        chosen.SelectedNode = 0;
        return true;
    default:
        return false;
    }
}

bool TfrmOptions::SaveFolderChoice(const TOptionsRec& chosen) {
    if (!OnSaveFolderChoice) return true;
    try {
        OnSaveFolderChoice(chosen);
        return true;
    } catch (const std::exception& e) {
        ui::ShowMessageBox(Handle(),
                           L"The working folder was not moved, because its new place could not be saved:\r\n" +
                               ui::ExceptionMessage(e),
                           ui::Application ? ui::Application->Title() : std::wstring(), MB_OK | MB_ICONWARNING);
        return false;
    }
}
