#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "settings/uOptions.h"
#include "settings/uOptionsDialog.h"
#include "testutil/TestFiles.h"
#include "ui/Dialogs.h"

using namespace testutil;

namespace {

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

// The options of a run whose working folder is "<temp>\a\quorb", with a
// link in it and one in a sub-folder that was open in the tree.
class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* folder : {L"a", L"a\\quorb", L"a\\quorb\\sub", L"b"})
            CreateDirectoryW((Dir / folder).c_str(), nullptr);
        WriteFileBytes(Dir / L"a\\quorb\\top.lnk", "t");
        WriteFileBytes(Dir / L"a\\quorb\\sub\\deep.lnk", "d");
        WriteFileBytes(Ini, "[OPTIONS]\r\nWorkingFolderOption=3\r\nWorkingFolderPath=" + Narrow(Dir / L"a") +
                                "\r\nExpanded=" + Narrow(Dir / L"a\\quorb\\sub") + "*\r\nSelectedNode=2\r\n");
        Options.Open(Ini);
        ResolveWorkingFolder(*Options);
        Previous = ui::MessageBoxFunc();
        ui::MessageBoxFunc() = [this](HWND, const std::wstring& text, const std::wstring& caption, UINT) {
            Asked.push_back(caption + L": " + text);
            return Answer;
        };
        Dialog = std::make_unique<TfrmOptions>();
        Dialog->Settings = Options->Settings;
        Dialog->OnBeforeFolderMove = [this](const std::wstring&, const std::wstring&) { Steps += L"before;"; };
        Dialog->OnAfterFolderMove = [this](const std::wstring&, const std::wstring&) { Steps += L"after;"; };
        Dialog->FormShow();
    }
    void TearDown() override {
        Dialog.reset();
        Options.Close();
        ui::MessageBoxFunc() = Previous;
    }
    // OK as the main window answers it: a confirmed choice is handed over,
    // and what was in force before is kept.
    void Ok() {
        Dialog->btnOKClick();
        if (Dialog->ModalResult != ui::mrOk) return;
        Before = Options->Settings;
        AcceptOptions(Dialog->Settings);
    }
    std::wstring Key(const wchar_t* key) {
        wchar_t buf[4096] = {};
        GetPrivateProfileStringW(L"OPTIONS", key, L"<absent>", buf, 4096, Ini.c_str());
        return buf;
    }

    TTempDir Dir;
    std::wstring Ini = Dir / L"tavrix.ini";
    std::optional<TOptionsRec> Before;
    std::unique_ptr<TfrmOptions> Dialog;
    ui::TMessageBoxFunc Previous;
    std::vector<std::wstring> Asked;
    int Answer = IDCANCEL;
    std::wstring Steps;
};

TEST_F(OptionsDialog, AnUnchangedFolderSavesWithoutAsking) {
    EXPECT_TRUE(Dialog->rbOther->Checked());
    EXPECT_TRUE(IsWindowEnabled(Dialog->txtOtherFolder->Handle()));
    Dialog->chkBlockScrSvr->SetChecked(true);
    Dialog->chkShowTrayIcon->SetChecked(false);
    Ok();
    EXPECT_TRUE(Asked.empty());
    EXPECT_EQ(Dialog->ModalResult, ui::mrOk);
    EXPECT_EQ(Key(L"BlockScrSvr"), L"1");
    EXPECT_EQ(Key(L"ShowTrayIcon"), L"0");
    ASSERT_TRUE(Before);
    EXPECT_FALSE(Before->BlockScrSvr) << "the snapshot holds the values from before";
    EXPECT_EQ(Options->Settings.Expanded, (Dir / L"a\\quorb\\sub") + L"*");
}

TEST_F(OptionsDialog, AnotherSpellingOfTheSameFolderAsksNothingAndMovesNothing) {
    // Case, a trailing separator, the short name: one folder, so there is
    // nothing to move, and nothing may be removed afterwards.
    wchar_t shortName[MAX_PATH] = {};
    GetShortPathNameW((Dir / L"a").c_str(), shortName, MAX_PATH);
    for (const std::wstring& spelling : {Dir / L"A", Dir / L"a\\", std::wstring(shortName)}) {
        Asked.clear();
        Dialog->ModalResult = ui::mrNone;
        Dialog->txtOtherFolder->SetText(spelling);
        Answer = IDYES;
        Ok();
        EXPECT_TRUE(Asked.empty()) << "no move question";
        EXPECT_EQ(Dialog->ModalResult, ui::mrOk);
        EXPECT_EQ(Steps, L"") << "nothing moved";
        EXPECT_EQ(Key(L"WorkingFolderPath"), spelling) << "the spelling the user chose is kept";
        EXPECT_TRUE(Exists(Dir / L"a\\quorb\\sub\\deep.lnk"));
        EXPECT_NE(Options->Settings.Expanded, L"") << "the open folders stay open";
        Dialog->Settings = Options->Settings;
    }
}

TEST_F(OptionsDialog, OtherTakesOnlyAFolderOnADriveOrAShare) {
    for (const wchar_t* path : {L"", L"This PC", L"quorb"}) {
        Asked.clear();
        Dialog->txtOtherFolder->SetText(path);
        Answer = IDYES;
        Ok();
        ASSERT_EQ(Asked.size(), 1u) << "the user is told";
        EXPECT_NE(Asked[0].find(L"Please choose a folder on a drive or a network share"), std::wstring::npos);
        EXPECT_EQ(Dialog->ModalResult, ui::mrNone) << "the dialog stays open";
        EXPECT_EQ(Steps, L"") << "nothing moved";
        EXPECT_EQ(Key(L"WorkingFolderPath"), Dir / L"a") << "nothing saved";
        EXPECT_EQ(Options->Settings.WorkingFolder, Dir / L"a\\quorb");
    }
}

TEST_F(OptionsDialog, CancelKeepsTheDialogOpenWithThePreviousChoice) {
    Dialog->rbAppFolderLinks->SetChecked(true);
    EXPECT_FALSE(IsWindowEnabled(Dialog->txtOtherFolder->Handle())) << "checked from code, handled as a click";
    const TOptionsRec before = Options->Settings;
    Dialog->chkAutohide->SetChecked(!before.Autohide);
    Dialog->chkExecWithDblClick->SetChecked(!before.ExecWithDblClick);
    Dialog->chkShowTrayIcon->SetChecked(!before.ShowTrayIcon);
    Answer = IDCANCEL;
    Ok();
    EXPECT_EQ(Options->Settings.Autohide, before.Autohide) << "a refused OK changes no switch";
    EXPECT_EQ(Options->Settings.ExecWithDblClick, before.ExecWithDblClick);
    EXPECT_EQ(Options->Settings.ShowTrayIcon, before.ShowTrayIcon);
    EXPECT_EQ(Asked.size(), 1u);
    EXPECT_EQ(Dialog->ModalResult, ui::mrNone);
    EXPECT_TRUE(Dialog->rbOther->Checked());
    EXPECT_EQ(Dialog->txtOtherFolder->Text(), Dir / L"a");
    EXPECT_FALSE(Before);
    EXPECT_EQ(Key(L"WorkingFolderOption"), L"3") << "nothing written";
    EXPECT_EQ(Options->Settings.WorkingFolder, Dir / L"a\\quorb");
}

TEST_F(OptionsDialog, YesMovesEveryLinkAndTheTreeStateFollows) {
    Dialog->txtOtherFolder->SetText(Dir / L"b");
    Answer = IDYES;
    Ok();
    EXPECT_EQ(Steps, L"before;after;");
    EXPECT_TRUE(Exists(Dir / L"b\\quorb\\top.lnk"));
    EXPECT_TRUE(Exists(Dir / L"b\\quorb\\sub\\deep.lnk"));
    EXPECT_EQ(Options->Settings.Expanded, (Dir / L"b\\quorb\\sub") + L"*");
    EXPECT_EQ(Key(L"Expanded"), (Dir / L"b\\quorb\\sub") + L"*");
    EXPECT_EQ(Dialog->ModalResult, ui::mrOk);
}

TEST_F(OptionsDialog, AFolderInsideTheWorkingFolderIsNoPlaceToMoveItTo) {
    // "Other" naming the working folder itself, or a folder in it, puts the
    // new working folder inside the one whose links have to go there.
    const TOptionsRec before = Options->Settings;
    for (const std::wstring& other : {Dir / L"a\\quorb", Dir / L"a\\quorb\\sub"}) {
        Options->Settings = before;
        Dialog->Settings = before;
        Dialog->ModalResult = ui::mrNone;
        Dialog->txtOtherFolder->SetText(other);
        Answer = IDYES;
        Ok();
        const bool taken = Dialog->ModalResult == ui::mrOk;
        const std::wstring now = Options->Settings.WorkingFolder;
        EXPECT_FALSE(taken && !Exists(now + L"\\top.lnk") && !Exists(now + L"\\sub\\deep.lnk"))
            << "taken, and the working folder holds none of the links: " << Narrow(now);
        EXPECT_TRUE(Exists(Dir / L"a\\quorb\\top.lnk") || Exists(now + L"\\top.lnk"));
    }
}

}  // namespace
