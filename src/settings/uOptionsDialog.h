// The options dialog: the general switches and where the working folder
// lies; it moves the folder when the user agrees, and saves on OK.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "shell/KESDialogs.h"
#include "ui/Controls.h"
#include "ui/Form.h"

class TfrmOptions : public ui::TForm {
public:
    TfrmOptions();
    ~TfrmOptions() override;

    std::unique_ptr<ui::TGroupBox> GroupBox1;
    std::unique_ptr<ui::TCheckBox> chkShowAppWndOnLaunch;
    std::unique_ptr<ui::TCheckBox> chkExecWithDblClick;
    std::unique_ptr<ui::TCheckBox> chkFollowMousePos;
    std::unique_ptr<ui::TCheckBox> chkAutohide;
    std::unique_ptr<ui::TCheckBox> chkShowTrayIcon;
    std::unique_ptr<ui::TCheckBox> chkBlockScrSvr;
    std::unique_ptr<ui::TCheckBox> chkTimestampTempFiles;
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

    // Called just before and just after the working folder is moved.
    std::function<void()> OnBeforeFolderMove;
    std::function<void()> OnAfterFolderMove;

    void FormShow();
    void rbWorkingFolderOptionClick();
    void rbOtherMouseUp();
    void btnSelectFolderClick();
    void FormKeyDown(WORD& key, ui::TShiftState shift);
    void FormKeyPress(wchar_t& key);
    void btnOKClick();
    void btnCancelClick();
    void KeepOnWorkArea();
    // Asks about moving the contents when the folder changed, and moves
    // them on Yes; false when the user cancelled.
    bool ConfirmWorkingFolderChange();

protected:
    bool WndProc(ui::TMessage& msg) override;

private:
    std::unique_ptr<ui::TCheckBox>& Check(int index);
};
