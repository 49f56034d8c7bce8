#include "app/MainMenu.h"

#include "app/ButtonBar.h"
#include "core/Exceptions.h"
#include "settings/uOptions.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "util/StartWithWindows.h"
#include "util/uUtils.h"

#include <utility>

TMainMenu::TMainMenu(ui::TWinControl& owner, TComponentList& components, const ui::TImageList& glyphs,
                     TActions actions)
    : FActions(std::move(actions)) {
    PopupMenu = components.Own<ui::TPopupMenu>();
    PopupMenu->Name = L"PopupMenu";
    PopupMenu->Images = &glyphs;
    PopupMenu->Owner = owner.Handle();
    ui::TMenuItem& root = PopupMenu->Items;
    pmnuClipboardAs = root.Add(L"pmnuClipboardAs", L"Clipboard", 0, gClipboard);
    pmnuViewAsPlainText = pmnuClipboardAs->Add(L"pmnuViewAsPlainText", L"Plain Text", 0, gPlainText);
    pmnuViewAsCommaString = pmnuClipboardAs->Add(L"pmnuViewAsCommaString", L"Comma String", 1, gComma);
    pmnuViewAsXML = pmnuClipboardAs->Add(L"pmnuViewAsXML", L"XML ", 2, gXml);
    pmnuSep2 = pmnuClipboardAs->Add(L"pmnuSep2", L"-");
    pmnuExecSelText = pmnuClipboardAs->Add(L"pmnuExecSelText", L"Execute", 3, gExecute);
    pmnuScreenSaver = root.Add(L"pmnuScreenSaver", L"Screen Saver", 0, gScreenSaver);
    pmnuAbout = root.Add(L"pmnuAbout", L"About", 0, gAbout);
    pmnuSep3 = root.Add(L"pmnuSep3", L"-");
    pmnuStartWithWindows = root.Add(L"pmnuStartWithWindows", L"Start with Windows", 0, gStartWithWindows);
    pmnuSep4 = root.Add(L"pmnuSep4", L"-");
    pmnuExit = root.Add(L"pmnuExit", L"Exit", 0, gExit);
    pmnuStartWithWindows->OnClick = [this](ui::TMenuItem&) { pmnuStartWithWindowsClick(); };
    // Whether a shortcut starts this copy is asked anew each time: the
    // user may have made or deleted one by hand meanwhile.
    PopupMenu->OnPopup = [this](ui::TPopupMenu&) {
        pmnuStartWithWindows->Checked = !ShortcutsLeadingTo(StartupFolder(false), ProgramPath()).empty();
    };
    pmnuExit->OnClick = [this](ui::TMenuItem&) { FActions.Exit(); };
    pmnuAbout->OnClick = [this](ui::TMenuItem&) { FActions.About(); };
    pmnuScreenSaver->OnClick = [this](ui::TMenuItem&) { pmnuScreenSaverClick(); };
    for (ui::TMenuItem* item : {pmnuViewAsPlainText, pmnuViewAsCommaString, pmnuViewAsXML, pmnuExecSelText})
        item->OnClick = [this](ui::TMenuItem& sender) { ViewSelTextAs(sender); };
}

void TMainMenu::Popup(int x, int y) { PopupMenu->Popup(x, y); }

void TMainMenu::OpenDataViewer() {
    FDataViewer = std::make_unique<TLogDataViewer>();
    FDataViewer->TimestampTempFiles = [] { return Options && Options->Settings.TimestampTempFiles; };
}

void TMainMenu::CloseDataViewer() noexcept { FDataViewer.reset(); }

void TMainMenu::ViewSelTextAs(ui::TMenuItem& sender) {
    std::wstring text;
    int code = FDataViewer->ViewClipboardAs(sender.Tag, text);
    FActions.Result(text, code);
}

void TMainMenu::pmnuScreenSaverClick() {
    FActions.Done();
    SendMessageW(ui::Application->Handle(), WM_SYSCOMMAND, SC_SCREENSAVE, 0);
}

void TMainMenu::pmnuStartWithWindowsClick() {
    try {
        if (pmnuStartWithWindows->Checked)
            RemoveStartupShortcuts(StartupFolder(false), ProgramPath());
        else
            AddStartupShortcut(StartupFolder(true), ProgramPath(), ui::Application->Title());
    } catch (const ui::Exception& e) {
        WriteLog(L"TfrmMain", L"pmnuStartWithWindowsClick", L"Error", e.Message());
        ui::ShowMessageBox(nullptr, e.Message(), ui::Application->Title(), MB_OK | MB_ICONWARNING | MB_TASKMODAL);
    }
}
