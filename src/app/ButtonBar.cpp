#include "app/ButtonBar.h"

#include "app/ImageStrips.h"
#include "app/res/resource.h"

#include <utility>

TButtonBar::TButtonBar(ui::TForm& form, TComponentList& components, TActions actions)
    : FForm(form), FActions(std::move(actions)) {
    FGlyphs = components.Own<ui::TImageList>(16, 16);
    Panel1 = components.Own<ui::TPanel>(&form);
    Panel1->Name = L"Panel1";
    Panel1->Color = form.Color;
    Panel1->SetBounds(8, 363, 161, 26);
    Panel1->SetAnchors(ui::akLeft | ui::akBottom);

    sbtnMenu = AddButton(components, L"sbtnMenu", 0, gMenu, L"Menu (F2)");
    sbtnRefresh = AddButton(components, L"sbtnRefresh", 27, gRefresh, L"Refresh (F5)");
    sbtnOptions = AddButton(components, L"sbtnOptions", 54, gOptions, L"Options");
    sbtnSaveAppRect = AddButton(components, L"sbtnSaveAppRect", 81, gSaveView, L"Save View");
    sbtnExit = AddButton(components, L"sbtnExit", 108, gExit, L"Exit");
    sbtnMinMax = AddButton(components, L"sbtnMinMax", 135, gHide, L"Hide (Esc)");

    sbtnMenu->OnMouseUp = [this](ui::TMouseButton, ui::TShiftState, int x, int y) { sbtnMenuMouseUp(x, y); };
    sbtnExit->OnClick = [this] { FActions.Exit(); };
    sbtnRefresh->OnClick = [this] { FActions.Refresh(); };
    sbtnMinMax->OnClick = [this] { FActions.Hide(); };
    sbtnSaveAppRect->OnClick = [this] { FActions.SaveView(); };
    sbtnOptions->OnClick = [this] { FActions.Options(); };
}

ui::TSpeedButton* TButtonBar::AddButton(TComponentList& components, const wchar_t* name, int left, TGlyph image,
                                        const wchar_t* hint) {
    auto* b = components.Own<ui::TSpeedButton>(Panel1);
    b->Name = name;
    b->SetBounds(left, 0, 26, 26);
    b->SetImage(FGlyphs, image);
    b->SetHint(hint);
    return b;
}

void TButtonBar::LoadImages(int dpi) { LoadImageStrip(*FGlyphs, dpi, IDB_GLYPHS, IDB_GLYPHS24, IDB_GLYPHS32); }

void TButtonBar::sbtnMenuMouseUp(int x, int y) {
    RECT wr{};
    GetWindowRect(FForm.Handle(), &wr);
    FActions.Menu(wr.left + Panel1->Left() + x, wr.top + Panel1->Top() + y - 1);
}
