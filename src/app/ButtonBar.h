// The row of flat buttons at the foot of the main window (Panel1), and the
// pictures they and the menu show.
#pragma once

#include <functional>

#include "app/ComponentList.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/ImageList.h"

// Positions of the pictures in the glyph strip.
enum TGlyph {
    gMenu, gRefresh, gOptions, gSaveView, gExit, gHide,
    gClipboard, gPlainText, gComma, gXml, gExecute, gScreenSaver, gAbout, gStartWithWindows,
};

class TButtonBar {
public:
    // What the buttons do; Menu opens the menu at a point of the screen.
    struct TActions {
        std::function<void(int x, int y)> Menu;
        std::function<void()> Refresh;
        std::function<void()> Options;
        std::function<void()> SaveView;
        std::function<void()> Exit;
        std::function<void()> Hide;
    };
    TButtonBar(ui::TForm& form, TComponentList& components, TActions actions);
    TButtonBar(const TButtonBar&) = delete;
    TButtonBar& operator=(const TButtonBar&) = delete;

    const ui::TImageList& Glyphs() const noexcept { return *FGlyphs; }
    void LoadImages(int dpi);
    ui::TPanel& Panel() const noexcept { return *Panel1; }
    // The menu button was released at x, y of the button: the menu opens
    // there.
    void sbtnMenuMouseUp(int x, int y);

private:
    ui::TSpeedButton* AddButton(TComponentList& components, const wchar_t* name, int left, TGlyph image,
                                const wchar_t* hint);

    ui::TForm& FForm;
    TActions FActions;
    ui::TImageList* FGlyphs;
    ui::TPanel* Panel1;
    ui::TSpeedButton* sbtnMenu;
    ui::TSpeedButton* sbtnRefresh;
    ui::TSpeedButton* sbtnOptions;
    ui::TSpeedButton* sbtnSaveAppRect;
    ui::TSpeedButton* sbtnExit;
    ui::TSpeedButton* sbtnMinMax;
};
