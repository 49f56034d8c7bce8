// The options dialog: the general switches and where the working folder
// lies; it moves the folder when the user agrees. It works on a copy of
// the settings and touches no storage: after OK, Settings holds the choice
// for the caller to hand over, and a folder choice the links move for is
// handed to OnSaveFolderChoice before they move.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "settings/uOptions.h"
#include "shell/KESDialogs.h"
#include "ui/Controls.h"
#include "ui/Form.h"

class TfrmOptions : public ui::TForm {
public:
    TfrmOptions();
    ~TfrmOptions() override;

    std::unique_ptr<ui::TGroupBox> GroupBox1;
    // chkShowAppWndOnLaunch, chkExecWithDblClick...: a check box in
    // GroupBox1 for each general switch, in the order of OptionSwitches.
#define TAVRIX_SWITCH_BOX(name, caption, byDefault) std::unique_ptr<ui::TCheckBox> chk##name;
    TAVRIX_OPTION_SWITCHES(TAVRIX_SWITCH_BOX)
#undef TAVRIX_SWITCH_BOX
    std::unique_ptr<ui::TGroupBox> gbWorkingFolderOptions;
    std::unique_ptr<ui::TRadioButton> rbFavorites;
    std::unique_ptr<ui::TRadioButton> rbDesktop;
    std::unique_ptr<ui::TRadioButton> rbAppFolderLinks;
    std::unique_ptr<ui::TRadioButton> rbOther;
    std::unique_ptr<ui::TEdit> txtOtherFolder;
    std::unique_ptr<ui::TSpeedButton> btnSelectFolder;
    std::unique_ptr<ui::TSpeedButton> btnOK;
    std::unique_ptr<ui::TSpeedButton> btnCancel;
    std::unique_ptr<TKesBrowseForFolder> KesBrowseForFolder1;

    // In: the settings to show, set before the dialog is shown. Out, after
    // a confirmed OK: what the user chose, with the tree state following a
    // moved folder. Untouched by Cancel.
    TOptionsRec Settings;

    // Called just before and just after the working folder is moved from
    // one folder to the other; the after-step runs however the move ends.
    using TFolderMoveEvent = std::function<void(const std::wstring& from, const std::wstring& to)>;
    TFolderMoveEvent OnBeforeFolderMove;
    TFolderMoveEvent OnAfterFolderMove;
    // Saves where the working folder is to lie, before anything moves; it
    // raises when it cannot, and then nothing moves. Called again with the
    // previous settings when the move stops before it began.
    std::function<void(const TOptionsRec& choice)> OnSaveFolderChoice;

    void FormShow();
    void rbWorkingFolderOptionClick();
    void rbOtherMouseUp();
    void btnSelectFolderClick();
    void FormKeyDown(WORD& key, ui::TShiftState shift);
    void FormKeyPress(wchar_t& key);
    void btnOKClick();
    void btnCancelClick();
    void KeepOnWorkArea();
    // Asks about moving the contents when the chosen folder is another one
    // than Settings', and moves them on Yes; false when the user cancelled.
    bool ConfirmWorkingFolderChange(TOptionsRec& chosen);

protected:
    bool WndProc(ui::TMessage& msg) override;

private:
    // The check box of OptionSwitches[index].
    std::unique_ptr<ui::TCheckBox>& SwitchBox(size_t index);
    // Says why a chosen path cannot hold the working folder.
    void RefuseFolder(const std::wstring& path);
    // False, after telling the user, when the choice cannot be saved.
    bool SaveFolderChoice(const TOptionsRec& chosen);
};
