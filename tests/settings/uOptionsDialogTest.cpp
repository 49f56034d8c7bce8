#include <gtest/gtest.h>

#include <windows.h>

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
        Live = std::make_unique<TOptions>(Ini);
        Options = Live.get();
        ResolveWorkingFolder(*Options);
        Previous = ui::MessageBoxFunc();
        ui::MessageBoxFunc() = [this](HWND, const std::wstring& text, const std::wstring& caption, UINT) {
            Asked.push_back(caption + L": " + text);
            return Answer;
        };
        Dialog = std::make_unique<TfrmOptions>();
        Dialog->OnBeforeFolderMove = [this] { Steps += L"before;"; };
        Dialog->OnAfterFolderMove = [this] { Steps += L"after;"; };
        Dialog->FormShow();
    }
    void TearDown() override {
        Dialog.reset();
        delete PreviousOptions;
        PreviousOptions = nullptr;
        Options = nullptr;
        Live.reset();
        ui::MessageBoxFunc() = Previous;
    }
    std::wstring Key(const wchar_t* key) {
        wchar_t buf[4096] = {};
        GetPrivateProfileStringW(L"OPTIONS", key, L"<absent>", buf, 4096, Ini.c_str());
        return buf;
    }

    TTempDir Dir;
    std::wstring Ini = Dir / L"tavrix.ini";
    std::unique_ptr<TOptions> Live;
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
    Dialog->btnOKClick();
    EXPECT_TRUE(Asked.empty());
    EXPECT_EQ(Dialog->ModalResult, ui::mrOk);
    EXPECT_EQ(Key(L"BlockScrSvr"), L"1");
    EXPECT_EQ(Key(L"ShowTrayIcon"), L"0");
    ASSERT_TRUE(PreviousOptions);
    EXPECT_FALSE(PreviousOptions->Settings.BlockScrSvr) << "the snapshot holds the values from before";
    EXPECT_EQ(Options->Settings.Expanded, (Dir / L"a\\quorb\\sub") + L"*");
}

TEST_F(OptionsDialog, ACaseOnlyChangeAsksAndNoForgetsTheTreeState) {
    std::wstring shouted = Dir / L"A";
    Dialog->txtOtherFolder->SetText(shouted);
    Answer = IDNO;
    Dialog->btnOKClick();
    ASSERT_EQ(Asked.size(), 1u) << "the comparison respects case";
    EXPECT_EQ(Asked[0], L"Information: Application working folder has been changed.\r\nWould you like to move the "
                        L"contents?\r\n\r\nFrom: " +
                            (Dir / L"a\\quorb") + L"\r\nTo: " + shouted + L"\\quorb");
    EXPECT_EQ(Dialog->ModalResult, ui::mrOk);
    EXPECT_EQ(Options->Settings.Expanded, L"");
    EXPECT_EQ(Options->Settings.SelectedNode, 0);
    EXPECT_EQ(Steps, L"") << "nothing moved";
    EXPECT_EQ(Key(L"WorkingFolderPath"), shouted);
}

TEST_F(OptionsDialog, CancelKeepsTheDialogOpenWithThePreviousChoice) {
    Dialog->rbAppFolderLinks->SetChecked(true);
    EXPECT_FALSE(IsWindowEnabled(Dialog->txtOtherFolder->Handle())) << "checked from code, handled as a click";
    Answer = IDCANCEL;
    Dialog->btnOKClick();
    EXPECT_EQ(Asked.size(), 1u);
    EXPECT_EQ(Dialog->ModalResult, ui::mrNone);
    EXPECT_TRUE(Dialog->rbOther->Checked());
    EXPECT_EQ(Dialog->txtOtherFolder->Text(), Dir / L"a");
    EXPECT_EQ(PreviousOptions, nullptr);
    EXPECT_EQ(Key(L"WorkingFolderOption"), L"3") << "nothing written";
    EXPECT_EQ(Options->Settings.WorkingFolder, Dir / L"a\\quorb");
}

TEST_F(OptionsDialog, YesMovesEveryLinkAndTheTreeStateFollows) {
    Dialog->txtOtherFolder->SetText(Dir / L"b");
    Answer = IDYES;
    Dialog->btnOKClick();
    EXPECT_EQ(Steps, L"before;after;");
    EXPECT_TRUE(Exists(Dir / L"b\\quorb\\top.lnk"));
    EXPECT_TRUE(Exists(Dir / L"b\\quorb\\sub\\deep.lnk"));
    EXPECT_EQ(Options->Settings.Expanded, (Dir / L"b\\quorb\\sub") + L"*");
    EXPECT_EQ(Key(L"Expanded"), (Dir / L"b\\quorb\\sub") + L"*");
    EXPECT_EQ(Dialog->ModalResult, ui::mrOk);
}

}  // namespace
