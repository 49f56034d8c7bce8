// A short list of rows in two columns, for picking one of a few: the
// system's list-view control in report view without headers, so that a
// screen reader reads each row. It never takes the keyboard: whoever shows
// it moves its selection, and a click on a row is reported.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/WinControl.h"

namespace ui {

class TListView : public TWinControl {
public:
    struct TRow {
        std::wstring Text;    // first column
        std::wstring Detail;  // second column, dimmed
    };

    explicit TListView(TWinControl* parent);
    ~TListView() override;

    // Icons are indexes into this list, owned elsewhere; each row's is
    // asked from OnImage when the row is first drawn (below 0: none).
    void SetImages(HIMAGELIST images);
    std::function<int(int row)> OnImage;
    // A row released under the left button where it was pressed.
    std::function<void(int row)> OnClick;

    void SetRows(const std::vector<TRow>& rows);
    int RowCount() const;
    // The selected row, -1 for none.
    int Selected() const;
    void Select(int row);
    // The height that shows the rows without a gap or a scroll bar.
    int HeightFor(int rows) const;

protected:
    bool WndProc(TMessage& msg) override;
    void BoundsChanged() override;

private:
    int RowAt(LPARAM point) const;
    void FitColumns();
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw) const;

    int FPressed = -1;
    int FFirstWidth = 0;  // of the first column's widest text, icon included
};

}  // namespace ui
