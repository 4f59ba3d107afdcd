#include "grid/diary_rows.h"

namespace gridfill {

const char16_t* const kHeadings[kColumns] = {u"Record No.", u"Title", u"State", u"Starting Time",
                                             u"Expiring Time", u"Content", u"Remark", u"Weather"};

void SetHeadings(CGridCtrl& grid) {
    for (int c = 0; c < kColumns; ++c) grid.SetCellText(0, c, kHeadings[c]);
}

void SetRow(CGridCtrl& grid, int row, const RowTexts& texts) {
    for (int c = 0; c < kColumns; ++c) grid.SetCellText(row, c, texts.cells[c]);
}

}  // namespace gridfill
