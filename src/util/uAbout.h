// The About box: the product, its version, and why a hot key may not work.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/Form.h"

class TfrmAbout : public ui::TForm {
public:
    TfrmAbout();

    std::unique_ptr<ui::TLabel> Label1;
    std::unique_ptr<ui::TLabel> lblVersion;
    // A line about hot keys other programs hold; empty and hidden otherwise.
    std::unique_ptr<ui::TLabel> lblNotice;
    std::unique_ptr<ui::TButton> Button1;

    void Button1Click();
    // Shows the notice, widening the box when the line needs more room.
    void SetNotice(const std::wstring& text);

private:
    void Layout(int clientWidth);
};

// Shows the About box modally with the version text; the notice, when not
// empty, goes in a line below the version.
void ShowAboutBox(const std::wstring& version, const std::wstring& notice = L"");

// "Win+Z is used by another program", "Win+Z and Win+/ are used by other
// programs"; empty for none.
std::wstring HotKeyConflictText(const std::vector<std::wstring>& keys);
