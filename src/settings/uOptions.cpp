#include "settings/uOptions.h"

#include <algorithm>
#include <exception>

#include <windows.h>
#include <shlobj.h>

#include "core/OptionsValues.h"
#include "shell/Shell_Win32.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "util/uUtils.h"

TLiveOptions Options;

namespace {
const wchar_t kSection[] = L"OPTIONS";
const wchar_t kRecentSection[] = L"RECENT";
const TOptionsRec kDefaults{};

// Paths compared as the file system does, without case.
bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// The file-system path of a special folder, or empty when the shell has none.
std::wstring SpecialFolderPathOf(int csidl) {
    TAbsoluteIDList pidl;
    HWND owner = ui::Application ? ui::Application->Handle() : nullptr;
    if (FAILED(SHGetSpecialFolderLocation(owner, csidl, pidl.Put())) || !pidl)
        return {};
    wchar_t buf[MAX_PATH] = {};
    return SHGetPathFromIDListW(pidl.Get(), buf) ? std::wstring(buf) : std::wstring();
}
}  // namespace

void AddRecent(std::vector<std::wstring>& recent, const std::wstring& relativePath) {
    if (relativePath.empty()) return;
    const auto same = [&](const std::wstring& p) { return SamePath(p, relativePath); };
    recent.erase(std::remove_if(recent.begin(), recent.end(), same), recent.end());
    recent.insert(recent.begin(), relativePath);
    if (recent.size() > kMaxRecent) recent.resize(kMaxRecent);
}

namespace {
// The profile functions read a value without the spaces around it and
// without quotes around it; a name may start with a space or a quote, so
// such a value is written in quotes, which reading takes off again.
std::wstring ProfileValue(const std::wstring& value) {
    if (value.empty()) return value;
    const auto kept = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'"' || c == L'\''; };
    return kept(value.front()) || kept(value.back()) ? L"\"" + value + L"\"" : value;
}
}  // namespace

std::wstring OptionsIniFileName() { return GetProgramFolder() + L"tavrix.ini"; }

TOptions::TOptions() : TOptions(OptionsIniFileName()) {}

TOptions::TOptions(const std::wstring& iniFileName) : FIniFile(std::make_unique<TIniFile>(iniFileName)) {
    LoadWindowState();
    LoadGeneralOptions();
}

TOptions::~TOptions() {
    try {
        SaveWindowState();
    } catch (...) {
        if (ui::Application) ui::Application->HandleException();
    }
}

void TOptions::LoadWindowState() {
    TOptionsRec& s = Settings;
    // Each key read once: a number is the stored value, anything else the
    // designed one.
    WindowRectDesigned = true;
    const struct {
        const wchar_t* Key;
        int32_t TOptionsRec::*Field;
    } rect[] = {{L"Left", &TOptionsRec::Left},
                {L"Top", &TOptionsRec::Top},
                {L"Right", &TOptionsRec::Right},
                {L"Bottom", &TOptionsRec::Bottom}};
    for (const auto& r : rect) {
        int32_t value = 0;
        if (ParseIniInteger(FIniFile->ReadString(kSection, r.Key, L""), value)) {
            s.*r.Field = value;
            WindowRectDesigned = false;
        } else {
            s.*r.Field = kDefaults.*r.Field;
        }
    }
    s.SelectedNode = FIniFile->ReadInteger(kSection, L"SelectedNode", kDefaults.SelectedNode);
    s.Expanded = FIniFile->ReadString(kSection, L"Expanded", kDefaults.Expanded);
    // Keys 0, 1, ... newest first; the list ends at the first one missing.
    s.Recent.clear();
    for (size_t i = 0; i < kMaxRecent; ++i) {
        std::wstring path = FIniFile->ReadString(kRecentSection, std::to_wstring(i).c_str(), L"");
        if (path.empty()) break;
        if (std::none_of(s.Recent.begin(), s.Recent.end(), [&](const std::wstring& p) { return SamePath(p, path); }))
            s.Recent.push_back(path);
    }
}

void TOptions::LoadGeneralOptions() {
    TOptionsRec& s = Settings;
    for (const TOptionSwitch& option : OptionSwitches)
        s.*option.Member = FIniFile->ReadBool(kSection, option.Key, option.Default);
    // Only the low 8 bits are kept: 256 reads as 0. A choice that names no
    // folder would make every start fail: the default instead, and a note.
    s.WorkingFolderOption = static_cast<uint8_t>(
        FIniFile->ReadInteger(kSection, L"WorkingFolderOption", kDefaults.WorkingFolderOption) & 0xFF);
    if (s.WorkingFolderOption > 3) {
        WriteLog(L"TOptions", L"LoadGeneralOptions", L"Warning",
                 L"WorkingFolderOption=" + FIniFile->ReadString(kSection, L"WorkingFolderOption", L"") +
                     L" names no working folder; the default is used");
        s.WorkingFolderOption = kDefaults.WorkingFolderOption;
    }
    s.WorkingFolderPath = FIniFile->ReadString(kSection, L"WorkingFolderPath", kDefaults.WorkingFolderPath);
    ResolveWorkingFolder(*this);
}

void TOptions::SaveWindowState() {
    // The choices go first: a window rectangle can be lost, a working
    // folder the file does not name strands its links.
    std::exception_ptr refused;
    if (FGeneralPending) {
        try {
            SaveGeneralOptions();
        } catch (...) {
            refused = std::current_exception();
        }
    }
    WriteWindowState();
    if (refused) std::rethrow_exception(refused);
}

void TOptions::WriteWindowState() {
    const TOptionsRec& s = Settings;
    FIniFile->WriteInteger(kSection, L"Left", s.Left);
    FIniFile->WriteInteger(kSection, L"Top", s.Top);
    FIniFile->WriteInteger(kSection, L"Right", s.Right);
    FIniFile->WriteInteger(kSection, L"Bottom", s.Bottom);
    FIniFile->WriteInteger(kSection, L"SelectedNode", s.SelectedNode);
    FIniFile->WriteString(kSection, L"Expanded", s.Expanded);
    // Written anew, so that no key of a longer list stays behind; a file
    // that never had the list gets none.
    // Any key counts, also one a damaged list left behind a gap.
    const bool hadRecent = !FIniFile->ReadString(kRecentSection, nullptr, L"").empty();
    if (hadRecent) FIniFile->EraseSection(kRecentSection);
    for (size_t i = 0; i < s.Recent.size() && i < kMaxRecent; ++i)
        FIniFile->WriteString(kRecentSection, std::to_wstring(i).c_str(), ProfileValue(s.Recent[i]));
}

void TOptions::SaveGeneralOptions() {
    FGeneralPending = true;
    const TOptionsRec& s = Settings;
    for (const TOptionSwitch& option : OptionSwitches) FIniFile->WriteBool(kSection, option.Key, s.*option.Member);
    FIniFile->WriteInteger(kSection, L"WorkingFolderOption", s.WorkingFolderOption);
    FIniFile->WriteString(kSection, L"WorkingFolderPath", s.WorkingFolderPath);
    FGeneralPending = false;
}

void TOptions::SaveWorkingFolderChoice(const TOptionsRec& chosen) {
    try {
        FIniFile->WriteString(kSection, L"WorkingFolderPath", chosen.WorkingFolderPath);
        FIniFile->WriteInteger(kSection, L"WorkingFolderOption", chosen.WorkingFolderOption);
    } catch (...) {
        // Half a choice could name a third folder, where no link is.
        try {
            FIniFile->WriteString(kSection, L"WorkingFolderPath", Settings.WorkingFolderPath);
            FIniFile->WriteInteger(kSection, L"WorkingFolderOption", Settings.WorkingFolderOption);
        } catch (...) {
        }
        throw;
    }
}

TOptions& TLiveOptions::Open() { return Open(OptionsIniFileName()); }

TOptions& TLiveOptions::Open(const std::wstring& iniFileName) {
    Close();
    FOptions = std::make_unique<TOptions>(iniFileName);
    return *FOptions;
}

void TLiveOptions::Close() noexcept {
    // Whatever runs under a box the last save shows finds no options.
    const std::unique_ptr<TOptions> going = std::move(FOptions);
}

void AcceptOptions(const TOptionsRec& chosen) {
    Options->Settings = chosen;
    Options->SaveGeneralOptions();
    Options->SaveWindowState();
}

void ResolveWorkingFolder(TOptions& options) { ResolveWorkingFolder(options.Settings); }

void ResolveWorkingFolder(TOptionsRec& s) {
    switch (s.WorkingFolderOption) {
    case 0:
        s.WorkingFolder = ComposeWorkingFolder(SpecialFolderPathOf(CSIDL_FAVORITES));
        break;
    case 1:
        s.WorkingFolder = ComposeWorkingFolder(SpecialFolderPathOf(CSIDL_DESKTOPDIRECTORY));
        break;
    case 2:
        s.WorkingFolder = GetProgramFolder() + WorkingFolderName;
        break;
    case 3:
        s.WorkingFolder = ComposeWorkingFolder(s.WorkingFolderPath);
        break;
    default:
        break;  // an unknown choice leaves the folder as it was
    }
}

int GetCheckedRadioTag(ui::TGroupBox& group) {
    for (ui::TControl* c : group.Controls())
        if (auto* radio = dynamic_cast<ui::TRadioButton*>(c); radio && radio->Checked()) return radio->Tag;
    return 0;
}

void CheckRadioByTag(ui::TGroupBox& group, int tag) {
    for (ui::TControl* c : group.Controls()) {
        if (auto* radio = dynamic_cast<ui::TRadioButton*>(c); radio && radio->Tag == tag) {
            radio->SetChecked(true);
            return;
        }
    }
}
