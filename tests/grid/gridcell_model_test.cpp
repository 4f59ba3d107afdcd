// The cell model without a window: counts, insertion and removal, formats,
// state bits and the selection map, fonts, colours and settings.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <vector>

#include "grid/gridctrl.h"
#include "platform/gfx/syscolors.h"
#include "platform/win/headless_screen.h"

namespace {

struct Counts { int rows, cols, fixedRows, fixedCols; };

Counts CountsOf(const CGridCtrl& g) {
    return {g.rowCount, g.columnCount, g.fixedRowCount, g.fixedColumnCount};
}

// Every row holds columnCount cells and every cell exists: the invariants.
void ExpectIntact(CGridCtrl& g) {
    EXPECT_EQ(g.RowPixels(g.rowCount - 1) >= 0, g.rowCount > 0);
    EXPECT_EQ(g.RowPixels(g.rowCount), -1);
    EXPECT_EQ(g.ColumnPixels(g.columnCount), -1);
    EXPECT_LE(g.fixedRowCount, g.rowCount);
    EXPECT_LE(g.fixedColumnCount, g.columnCount);
    for (int r = 0; r < g.rowCount; ++r)
        for (int c = 0; c < g.columnCount; ++c) ASSERT_NE(g.CellAt(r, c), nullptr) << r << "," << c;
}

TEST(GridCounts, ChangesKeepTheInvariants) {
    struct Case {
        const char* what;
        Counts start;
        std::function<void(CGridCtrl&)> change;
        Counts expected;
    };
    const Case cases[] = {
        {"SetRows(0) lowers the fixed rows", {4, 3, 2, 1}, [](CGridCtrl& g) { g.SetRows(0); }, {0, 3, 0, 1}},
        {"SetFixedRows(3) on one row grows the grid", {1, 2, 0, 0}, [](CGridCtrl& g) { g.SetFixedRows(3); }, {3, 2, 3, 0}},
        {"SetColumns below the fixed columns", {2, 5, 1, 3}, [](CGridCtrl& g) { g.SetColumns(2); }, {2, 2, 1, 2}},
        {"SetFixedColumns(4) grows the columns", {2, 1, 0, 0}, [](CGridCtrl& g) { g.SetFixedColumns(4); }, {2, 4, 0, 4}},
        {"AddColumn on a grid without rows makes one", {0, 0, 0, 0}, [](CGridCtrl& g) { g.AddColumn(u"Title", 0); }, {1, 1, 0, 0}},
        {"AddRow on a grid without columns makes one", {0, 0, 0, 0}, [](CGridCtrl& g) { g.AddRow(u"x"); }, {1, 1, 0, 0}},
        {"RemoveRow of a fixed row", {4, 2, 2, 0}, [](CGridCtrl& g) { EXPECT_TRUE(g.RemoveRow(0)); }, {3, 2, 1, 0}},
        {"RemoveColumn of a fixed column", {2, 4, 0, 2}, [](CGridCtrl& g) { EXPECT_TRUE(g.RemoveColumn(1)); }, {2, 3, 0, 1}},
        {"RemoveRow outside the grid", {2, 2, 0, 0}, [](CGridCtrl& g) { EXPECT_FALSE(g.RemoveRow(2)); EXPECT_FALSE(g.RemoveRow(-1)); }, {2, 2, 0, 0}},
        {"AddRow beyond the end", {2, 2, 0, 0}, [](CGridCtrl& g) { EXPECT_EQ(g.AddRow(u"", 2), -1); }, {2, 2, 0, 0}},
        {"AddColumn beyond the end", {2, 2, 0, 0}, [](CGridCtrl& g) { EXPECT_EQ(g.AddColumn(u"", 0, 5), -1); }, {2, 2, 0, 0}},
        {"RemoveAllCells", {5, 5, 1, 1}, [](CGridCtrl& g) { EXPECT_TRUE(g.RemoveAllCells()); }, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CGridCtrl g(c.start.rows, c.start.cols, c.start.fixedRows, c.start.fixedCols);
        c.change(g);
        const Counts got = CountsOf(g);
        EXPECT_EQ(got.rows, c.expected.rows);
        EXPECT_EQ(got.cols, c.expected.cols);
        EXPECT_EQ(got.fixedRows, c.expected.fixedRows);
        EXPECT_EQ(got.fixedCols, c.expected.fixedCols);
        ExpectIntact(g);
    }
}

TEST(GridCounts, RemovalsKeepTheRightCells) {
    CGridCtrl g(5, 4);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 4; ++c) g.SetCellText(r, c, ToU16(r * 10 + c));
    g.RemoveRow(1);
    g.RemoveColumn(2);
    EXPECT_EQ(g.GetCellText(1, 0), u"20");
    EXPECT_EQ(g.GetCellText(1, 2), u"23");
    EXPECT_EQ(g.GetCellText(3, 1), u"41");
    EXPECT_EQ(g.AddRow(u"new", 1), 1);
    EXPECT_EQ(g.GetCellText(1, 0), u"new");
    EXPECT_EQ(g.GetCellText(2, 0), u"20");
    EXPECT_EQ(g.AddColumn(u"col", 0, 0), 0);
    EXPECT_EQ(g.GetCellText(0, 0), u"col");
    EXPECT_EQ(g.GetCellText(0, 1), u"0");
    EXPECT_EQ(g.GetCellText(2, 1), u"20");
}

// A subclass's ClearCell sees every cell just before it goes, in row order,
// while the grid still holds it where it was, and never one already gone.
class ClearingGrid : public CGridCtrl {
public:
    using CGridCtrl::CGridCtrl;
    std::vector<CellCoord> cleared;
    std::set<const CCellData*> gone;
    void ClearCell(CCellData* cell, int row, int column) override {
        EXPECT_EQ(CellAt(row, column), cell) << row << "," << column;
        for (int r = 0; r < rowCount; ++r)
            for (int c = 0; c < columnCount; ++c)
                EXPECT_EQ(gone.count(CellAt(r, c)), 0u) << "a destroyed cell still at " << r << "," << c;
        cleared.push_back(CellCoord(row, column));
        CGridCtrl::ClearCell(cell, row, column);
        gone.insert(cell);
    }
};

TEST(GridCounts, EveryDestroyedCellIsClearedFirstInRowOrder) {
    struct Case {
        const char* what;
        std::function<void(CGridCtrl&)> change;
        std::vector<CellCoord> expected;
    };
    const Case cases[] = {
        {"SetRows(2)", [](CGridCtrl& g) { g.SetRows(2); }, {{2, 0}, {2, 1}, {2, 2}, {3, 0}, {3, 1}, {3, 2}}},
        {"SetColumns(1)", [](CGridCtrl& g) { g.SetColumns(1); },
         {{0, 1}, {0, 2}, {1, 1}, {1, 2}, {2, 1}, {2, 2}, {3, 1}, {3, 2}}},
        {"RemoveRow(1)", [](CGridCtrl& g) { g.RemoveRow(1); }, {{1, 0}, {1, 1}, {1, 2}}},
        {"RemoveColumn(1)", [](CGridCtrl& g) { g.RemoveColumn(1); }, {{0, 1}, {1, 1}, {2, 1}, {3, 1}}},
        {"RemoveAllCells", [](CGridCtrl& g) { g.RemoveAllCells(); },
         {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}, {2, 2}, {3, 0}, {3, 1}, {3, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearingGrid g(4, 3);
        c.change(g);
        EXPECT_EQ(g.cleared.size(), c.expected.size());
        for (size_t i = 0; i < std::min(g.cleared.size(), c.expected.size()); ++i)
            EXPECT_EQ(g.cleared[i], c.expected[i]) << i;
    }
}

// Cells and short texts share pools across grids; slots freed by one grid,
// and the fresh start the pools make once every cell is gone, must never
// reach texts another grid still holds.
TEST(GridCellMemory, TextsSurviveOtherGridsFillingAndEmptying) {
    auto text = [](int r, int c) {
        CString t = ToU16(r) + u":" + ToU16(c);
        return (r + c) % 5 == 0 ? t + CString(600, u'x') : t + CString(size_t(r % 40), u'y');
    };
    auto fill = [&](CGridCtrl& g, int rows) {
        g.SetRows(rows);
        g.SetColumns(4);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < 4; ++c) g.SetCellText(r, c, text(r, c));
    };
    auto expectTexts = [&](CGridCtrl& g, const char* when) {
        for (int r = 0; r < g.rowCount; ++r)
            for (int c = 0; c < 4; ++c) ASSERT_EQ(g.GetCellText(r, c), text(r, c)) << when << " " << r << "," << c;
    };
    {
        CGridCtrl kept;
        fill(kept, 300);
        CGridCtrl churn;
        for (int round = 0; round < 3; ++round) {
            fill(churn, 500);
            while (churn.rowCount > 2) churn.RemoveRow(1);
            churn.RemoveAllCells();
        }
        expectTexts(kept, "beside another grid");
        fill(churn, 200);
        expectTexts(churn, "refilled");
    }
    // Every cell of this test is gone now; a new grid starts from the front.
    CGridCtrl fresh;
    fill(fresh, 400);
    fresh.RemoveAllCells();
    fill(fresh, 400);
    expectTexts(fresh, "after a fresh start");
}

TEST(GridFormats, NewCellsInheritFromTheCellAbove) {
    CGridCtrl g(1, 3);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(g.GetCellFormat(0, c), 0u) << "the first row has format 0";
    g.SetCellFormat(0, 0, DT_CENTER);
    g.SetCellFormat(0, 2, DT_RIGHT | DT_SINGLELINE);
    g.SetRows(3);
    g.AddRow(u"appended");
    EXPECT_EQ(g.AddRow(u"inserted", 1), 1);
    for (int r = 0; r < g.rowCount; ++r) {
        EXPECT_EQ(g.GetCellFormat(r, 0), UINT(DT_CENTER)) << r;
        EXPECT_EQ(g.GetCellFormat(r, 1), 0u) << r;
        EXPECT_EQ(g.GetCellFormat(r, 2), UINT(DT_RIGHT | DT_SINGLELINE)) << r;
    }
    const int col = g.AddColumn(u"Title", DT_VCENTER);
    for (int r = 0; r < g.rowCount; ++r) EXPECT_EQ(g.GetCellFormat(r, col), UINT(DT_VCENTER));
    EXPECT_EQ(g.GetCellText(0, col), u"Title");
    // A new column gets no window to measure in, so its heading width is 0.
    EXPECT_EQ(g.ColumnPixels(col), 0);
}

TEST(GridState, SelectedCellsFollowTheStateBit) {
    CGridCtrl g(4, 4);
    EXPECT_TRUE(g.SetCellState(1, 2, StateSelected));
    EXPECT_TRUE(g.SetCellState(1, 2, StateSelected | StateReadOnly));
    ASSERT_EQ(g.selectedCells.size(), 1u);
    EXPECT_EQ(g.selectedCells.begin()->second, CellCoord(1, 2));
    g.SetCellState(1, 2, StateReadOnly);
    EXPECT_TRUE(g.selectedCells.empty());

    GridItemInfo info;
    info.row = 2;
    info.column = 3;
    info.mask = MaskState;
    info.state = StateSelected;
    EXPECT_TRUE(g.SetCellInfo(&info));
    EXPECT_EQ(g.GetCellState(2, 3), UINT(StateSelected));
    EXPECT_TRUE(g.selectedCells.empty()) << "MaskState stores the bits without the map";
    // Written away the same way, a selected cell's bit leaves its entry behind;
    // replacing the selection must not keep it.
    g.SetCellState(1, 1, StateSelected);
    info.row = info.column = 1;
    info.state = 0;
    g.SetCellInfo(&info);
    EXPECT_EQ(g.selectedCells.size(), 1u);
    g.SelectRange(3, 0, 3, 0, FALSE);
    ASSERT_EQ(g.selectedCells.size(), 1u);
    EXPECT_EQ(g.selectedCells.begin()->second, CellCoord(3, 0));
    g.SetCellState(3, 0, 0);

    g.SetCellState(3, 3, StateSelected);
    g.SetRows(3);   // shrinking below a selected cell clears it through ClearCell
    EXPECT_TRUE(g.selectedCells.empty());
    EXPECT_FALSE(g.SetCellState(3, 3, StateSelected));
}

// Rows of 65536 and more must not share selection entries with low rows:
// in the diary, Delete removes the records the entries name.
TEST(GridState, SelectionKeysTellLargeRowNumbersApart) {
    CGridCtrl g(65536 * 2 + 2, 2);
    const CellCoord cells[] = {{1, 1}, {65537, 1}, {131073, 1}, {65536, 0}, {0, 0}};
    for (const CellCoord& c : cells) g.SetCellState(c.row, c.col, StateSelected);
    ASSERT_EQ(g.selectedCells.size(), std::size(cells));
    for (const CellCoord& c : cells) {
        auto it = g.selectedCells.find(MakeCellKey(c.row, c.col));
        ASSERT_NE(it, g.selectedCells.end());
        EXPECT_EQ(it->second, c);
    }
    g.SetCellState(65537, 1, 0);
    EXPECT_EQ(g.selectedCells.size(), std::size(cells) - 1);
    EXPECT_EQ(g.selectedCells.count(MakeCellKey(1, 1)), 1u);
    const CellBlock b = g.GetSelectionBounds();
    EXPECT_EQ(b, (CellBlock{0, 0, 131073, 1}));
}

TEST(GridState, MarkModified) {
    struct Step { BOOL modified; int row, col; bool gridModified; UINT cell11; UINT cell22; };
    // Each step applies to the state the previous one left.
    const Step steps[] = {
        {TRUE, 1, 1, true, StateModified, 0},
        {TRUE, 2, 2, true, StateModified, StateModified},
        {FALSE, 2, 2, true, StateModified, 0},          // gridModified stays
        {TRUE, 3, 0, true, StateModified, 0},           // a 0 index counts as the whole grid
        {FALSE, -1, -1, false, 0, 0},                   // clears every cell
        {TRUE, 0, 2, true, 0, 0},                       // only the grid flag
    };
    CGridCtrl g(4, 4);
    g.SetCellState(1, 1, StateReadOnly);
    for (const Step& s : steps) {
        g.MarkModified(s.modified, s.row, s.col);
        EXPECT_EQ(bool(g.gridModified), s.gridModified) << s.row << "," << s.col;
        EXPECT_EQ(g.GetCellState(1, 1) & StateModified, s.cell11) << s.row << "," << s.col;
        EXPECT_EQ(g.GetCellState(2, 2), s.cell22) << s.row << "," << s.col;
        EXPECT_TRUE(g.GetCellState(1, 1) & StateReadOnly);
    }
}

TEST(GridCells, BadCellsGiveTheStatedFailures) {
    CGridCtrl g(2, 2);
    const CellCoord bad[] = {{-1, -1}, {2, 0}, {0, 2}, {-1, 0}};
    for (const CellCoord& c : bad) {
        EXPECT_EQ(g.GetCellText(c.row, c.col), u"");
        EXPECT_EQ(g.GetCellImage(c.row, c.col), -1);
        EXPECT_EQ(g.GetCellState(c.row, c.col), 0u);
        EXPECT_EQ(g.GetCellFormat(c.row, c.col), 0u);
        EXPECT_EQ(g.GetCellBackColor(c.row, c.col), 0u) << "black, not CLR_DEFAULT";
        EXPECT_EQ(g.GetCellTextColor(c.row, c.col), 0u);
        EXPECT_EQ(g.GetCellFont(c.row, c.col), &g.logFont);
        EXPECT_FALSE(g.SetCellText(c.row, c.col, u"x"));
        EXPECT_FALSE(g.SetCellState(c.row, c.col, 1));
        EXPECT_TRUE(g.CanEditCell(c.row, c.col)) << "state 0 counts as editable";
    }
    EXPECT_FALSE(g.GetCellInfo(nullptr));
    EXPECT_FALSE(g.SetCellInfo(nullptr));
    EXPECT_EQ(g.GetCellBackColor(0, 0), CLR_DEFAULT);
    g.SetCellState(0, 0, StateReadOnly);
    EXPECT_FALSE(g.CanEditCell(0, 0));
    g.editingEnabled = FALSE;
    EXPECT_FALSE(g.CanEditCell(1, 1));
}

TEST(GridCells, InfoReadsAndWritesOnlyMaskedFields) {
    CGridCtrl g(2, 2);
    GridItemInfo in;
    in.row = 1;
    in.column = 1;
    in.mask = MaskText | MaskImage | MaskData | MaskBackColor | MaskTextColor | MaskFormat | MaskFont;
    in.text = u"caf\u00e9 \u20ac";
    in.image = 3;
    in.lParam = 77;
    in.backColor = RGB(1, 2, 3);
    in.textColor = RGB(4, 5, 6);
    in.format = DT_CENTER;
    in.font = g.logFont;
    in.font.lfWeight = 700;
    ASSERT_TRUE(g.SetCellInfo(&in));

    GridItemInfo out;
    out.row = 1;
    out.column = 1;
    out.mask = MaskText | MaskFormat;
    out.image = 99;
    ASSERT_TRUE(g.GetCellInfo(&out));
    EXPECT_EQ(out.text, in.text);
    EXPECT_EQ(out.format, UINT(DT_CENTER));
    EXPECT_EQ(out.image, 99) << "unmasked fields are left alone";
    out.mask = 0xFF;
    ASSERT_TRUE(g.GetCellInfo(&out));
    EXPECT_EQ(out.image, 3);
    EXPECT_EQ(out.lParam, 77);
    EXPECT_EQ(out.backColor, RGB(1, 2, 3));
    EXPECT_EQ(out.textColor, RGB(4, 5, 6));
    EXPECT_EQ(out.font.lfWeight, 700);
    EXPECT_EQ(g.GetCellFont(1, 1)->lfWeight, 700);
    EXPECT_NE(g.GetCellFont(0, 0)->lfWeight, 700);
}

TEST(GridFocus, FocusAndSelectionThroughInsertionAndRemoval) {
    CGridCtrl g(6, 4, 1, 1);
    EXPECT_EQ(g.ChangeFocusCell(2, 3), CellCoord());
    EXPECT_EQ(g.focusCell, CellCoord(2, 3));
    EXPECT_TRUE(g.GetCellState(2, 3) & StateFocused);
    EXPECT_EQ(g.ChangeFocusCell(4, 3), CellCoord(2, 3));
    EXPECT_FALSE(g.GetCellState(2, 3) & StateFocused);
    EXPECT_TRUE(g.GetCellState(4, 3) & StateFocused);

    // Removals go through ClearSelection, which also ends the focus.
    g.SelectRange(1, 1, 2, 2, FALSE);
    EXPECT_EQ(g.selectedCells.size(), 4u);
    EXPECT_TRUE(g.RemoveRow(5));
    EXPECT_TRUE(g.selectedCells.empty()) << "insertions and removals clear the selection";
    EXPECT_EQ(g.focusCell, CellCoord());
    for (int r = 0; r < g.rowCount; ++r)
        for (int c = 0; c < g.columnCount; ++c) EXPECT_EQ(g.GetCellState(r, c) & (StateFocused | StateSelected), 0u);

    // Shrinking below the focus clears it; the cell's bit goes with the cell.
    g.ChangeFocusCell(4, 2);
    g.SetRows(4);
    EXPECT_EQ(g.focusCell, CellCoord());
    g.ChangeFocusCell(3, 3);
    g.SetColumns(3);
    EXPECT_EQ(g.focusCell, CellCoord());
    g.ChangeFocusCell(2, 2);
    g.SetFixedRows(3);   // the focus row became fixed
    EXPECT_EQ(g.focusCell, CellCoord());
}

TEST(GridSelection, RangesExtensionsAndBounds) {
    CGridCtrl g(6, 5, 1, 1);
    EXPECT_EQ(g.GetSelectionBounds(), (CellBlock{6, 5, -1, -1}));
    EXPECT_FALSE(g.IsValidBlock(g.GetSelectionBounds()));

    g.SelectRange(2, 2, 3, 4, FALSE);
    EXPECT_EQ(g.selectedCells.size(), 6u);
    EXPECT_EQ(g.GetSelectionBounds(), (CellBlock{2, 2, 3, 4}));

    struct Case { GridMouseMode mode; CellCoord anchor, target; BOOL list, single; CellBlock expected; };
    const Case cases[] = {
        {ModeSelectCells, {4, 3}, {2, 1}, FALSE, FALSE, {2, 1, 4, 3}},
        {ModeSelectRows, {4, 3}, {2, 1}, FALSE, FALSE, {2, 1, 4, 4}},
        {ModeSelectRows, {4, 3}, {2, 1}, TRUE, TRUE, {2, 1, 2, 4}},
        {ModeSelectColumns, {4, 3}, {2, 2}, FALSE, FALSE, {1, 2, 5, 3}},
        {ModeSelectAll, {4, 3}, {0, 0}, FALSE, FALSE, {1, 1, 5, 4}},
    };
    for (const Case& c : cases) {
        g.mouseMode = c.mode;
        g.selectionStartCell = c.anchor;
        g.listMode = c.list;
        g.singleRowSelection = c.single;
        g.ExtendSelection(c.target);
        const CellBlock b = c.expected;
        EXPECT_EQ(g.GetSelectionBounds(), b) << int(c.mode);
        EXPECT_EQ(g.selectedCells.size(), size_t((b.maxRow - b.minRow + 1) * (b.maxCol - b.minCol + 1)));
    }
    // Invalid targets and the fixed area change nothing.
    const CellBlock before = g.GetSelectionBounds();
    g.mouseMode = ModeSelectCells;
    g.ExtendSelection(CellCoord(0, 2));
    g.ExtendSelection(CellCoord(9, 9));
    EXPECT_EQ(g.GetSelectionBounds(), before);

    g.selectionEnabled = FALSE;
    g.SelectRange(1, 1, 1, 1, FALSE);
    g.SelectEveryCell();
    EXPECT_EQ(g.GetSelectionBounds(), before);
    g.selectionEnabled = TRUE;
}

// The texts of the selected cells, checking on the way that the selection
// map and the cells' bits agree: one entry, with the cell's coordinates, for
// every cell that has the bit, and no other entry.
std::multiset<CString> SelectedTexts(CGridCtrl& g) {
    std::multiset<CString> texts;
    size_t withBit = 0;
    for (int r = 0; r < g.rowCount; ++r) {
        for (int c = 0; c < g.columnCount; ++c) {
            if (!(g.GetCellState(r, c) & StateSelected)) continue;
            ++withBit;
            texts.insert(g.GetCellText(r, c));
            auto it = g.selectedCells.find(MakeCellKey(r, c));
            EXPECT_TRUE(it != g.selectedCells.end() && it->second == CellCoord(r, c)) << r << "," << c;
        }
    }
    EXPECT_EQ(g.selectedCells.size(), withBit) << "entries that name no selected cell";
    return texts;
}

// Insertions and removals move cells; the selection (kept when selection is
// off, or brought back from the Ctrl-press cells) must move with them.
TEST(GridSelection, EntriesFollowTheirCellsThroughInsertionAndRemoval) {
    struct Case {
        const char* what;
        BOOL selectionEnabled;
        std::vector<CellCoord> selected, saved;
        std::function<void(CGridCtrl&)> change;
        std::multiset<CString> expected;   // texts of the cells selected afterwards
    };
    const Case cases[] = {
        {"selection off, a row removed above", FALSE, {{3, 1}, {4, 2}, {1, 1}}, {},
         [](CGridCtrl& g) { g.RemoveRow(1); }, {u"3,1", u"4,2"}},
        {"selection off, a row inserted above", FALSE, {{3, 1}, {4, 2}}, {},
         [](CGridCtrl& g) { g.AddRow(u"new", 2); }, {u"3,1", u"4,2"}},
        {"selection off, a column removed before", FALSE, {{3, 1}, {4, 2}, {2, 0}}, {},
         [](CGridCtrl& g) { g.RemoveColumn(0); }, {u"3,1", u"4,2"}},
        {"selection off, a column inserted before", FALSE, {{3, 1}, {4, 2}}, {},
         [](CGridCtrl& g) { g.AddColumn(u"h", 0, 1); }, {u"3,1", u"4,2"}},
        {"selection off, a row appended", FALSE, {{3, 1}}, {},
         [](CGridCtrl& g) { g.AddRow(u"new"); }, {u"3,1"}},
        // The diary removes row 1 again and again after a Ctrl+click; every
        // removal clears the selection and brings the saved cells back.
        {"Ctrl-press cells, row 1 removed twice", TRUE, {{5, 1}}, {{3, 1}, {3, 2}},
         [](CGridCtrl& g) { g.RemoveRow(1); g.RemoveRow(1); }, {u"3,1", u"3,2"}},
        {"Ctrl-press cells, rows inserted", TRUE, {}, {{3, 1}},
         [](CGridCtrl& g) { g.AddRow(u"a", 1); g.AddRow(u"b", 1); }, {u"3,1"}},
        {"Ctrl-press cells in a removed row", TRUE, {}, {{3, 1}},
         [](CGridCtrl& g) { g.RemoveRow(3); g.RemoveRow(1); }, {}},
        {"Ctrl-press cells cut off, then the grid grows", TRUE, {}, {{5, 1}},
         [](CGridCtrl& g) { g.SetRows(5); g.SetRows(7); g.ClearSelection(); }, {}},
        {"Ctrl-press cells, every cell removed, grid refilled", TRUE, {}, {{2, 2}},
         [](CGridCtrl& g) { g.RemoveAllCells(); g.SetRows(6); g.SetColumns(4); g.ClearSelection(); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CGridCtrl g(6, 4, 1, 0);
        for (int r = 0; r < 6; ++r)
            for (int col = 0; col < 4; ++col) g.SetCellText(r, col, ToU16(r) + u"," + ToU16(col));
        for (const CellCoord& cell : c.selected) g.SetCellState(cell.row, cell.col, StateSelected);
        for (const CellCoord& cell : c.saved) g.savedSelection[MakeCellKey(cell.row, cell.col)] = cell;
        g.selectionEnabled = c.selectionEnabled;
        c.change(g);
        EXPECT_EQ(SelectedTexts(g), c.expected);
        // A later replacement of the selection leaves no trace of the old one.
        g.selectionEnabled = TRUE;
        g.savedSelection.clear();
        g.SelectRange(1, 0, 1, 0, FALSE);
        EXPECT_EQ(SelectedTexts(g).size(), 1u);
    }
}

TEST(GridSelection, SavedCellsComeBackUnlessSingleRow) {
    CGridCtrl g(5, 5, 1, 1);
    g.savedSelection[MakeCellKey(4, 4)] = CellCoord(4, 4);
    g.SelectRange(1, 1, 1, 2, FALSE);
    EXPECT_EQ(g.selectedCells.size(), 3u);
    g.ClearSelection();   // goes through SelectRange, so the saved cell returns
    ASSERT_EQ(g.selectedCells.size(), 1u);
    EXPECT_EQ(g.selectedCells.begin()->second, CellCoord(4, 4));
    g.singleRowSelection = TRUE;
    g.ClearSelection();
    EXPECT_TRUE(g.selectedCells.empty());
}

TEST(GridColours, SystemColourChangeFollowsOnlyUntouchedSettings) {
    ResetSysColors();
    CGridCtrl g(2, 2);
    EXPECT_EQ(g.textBackColor, GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(g.fixedBackColor, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(g.outsideBackColor, GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(g.gridLineColor, 0xC0C0C0u);
    g.fixedBackColor = RGB(10, 20, 30);   // as the diary sets it
    SetSysColor(COLOR_WINDOW, RGB(250, 240, 230));
    SetSysColor(COLOR_BTNFACE, RGB(1, 1, 1));
    SetSysColor(COLOR_WINDOWTEXT, RGB(9, 9, 9));
    g.OnSysColorChange();
    EXPECT_EQ(g.textBackColor, RGB(250, 240, 230));
    EXPECT_EQ(g.fixedBackColor, RGB(10, 20, 30));
    EXPECT_EQ(g.textColor, RGB(9, 9, 9));
    EXPECT_EQ(g.fixedTextColor, RGB(9, 9, 9));
    EXPECT_EQ(g.rememberedSysColors[1], RGB(250, 240, 230));
    ResetSysColors();
    g.OnSysColorChange();
    EXPECT_EQ(g.textBackColor, GetSysColor(COLOR_WINDOW));
    ResetSysColors();
}

TEST(GridSettings, DefaultsOfANewGrid) {
    CGridCtrl g;
    EXPECT_EQ(g.defaultRowHeight, 10);
    EXPECT_EQ(g.defaultColumnWidth, 30);
    EXPECT_EQ(g.gridLines, LinesBoth);
    EXPECT_TRUE(g.editingEnabled && g.redrawEnabled && g.selectionEnabled && g.doubleBuffered);
    EXPECT_FALSE(g.listMode || g.singleRowSelection || g.dragDropEnabled);
    EXPECT_EQ(g.resizeCaptureRange, 3);
    EXPECT_EQ(g.focusCell, CellCoord());
    EXPECT_EQ(g.lastClickedCell, CellCoord());
    EXPECT_EQ(g.sortColumn, -1);
    const LOGFONT desktop = GetDesktopMessageFont();
    EXPECT_EQ(g.logFont.FaceName(), desktop.FaceName());
    EXPECT_EQ(g.logFont.lfHeight, desktop.lfHeight);
}

TEST(GridSettings, WheelScrollLinesFromTheStore) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("velmora-wheel-" + std::to_string(::getpid()))).string();
    setenv("VELMORA_SETTINGS_FILE", path.c_str(), 1);
    struct Case { const char* file; int expected; };
    const Case cases[] = {
        {nullptr, 3},
        {"[Control Panel\\Desktop]\nWheelScrollLines=10\n", 10},
        {"[Control Panel\\Desktop]\nOther=10\n", 3},
        {"[Control Panel\\Desktop]\nWheelScrollLines=7 lines\n", 7},
        {"[Control Panel\\Desktop]\nWheelScrollLines=-1\n", -1},
        {"[Control Panel\\Desktop]\nWheelScrollLines=\v\f12\n", 12},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(path);
        if (c.file) std::ofstream(path) << c.file;
        EXPECT_EQ(CGridCtrl::ReadWheelScrollLines(), c.expected) << (c.file ? c.file : "no file");
        CGridCtrl g;
        EXPECT_EQ(g.wheelScrollLines, c.expected);
    }
    std::filesystem::remove(path);
    unsetenv("VELMORA_SETTINGS_FILE");
}

// A top-level window on the headless screen for grids to live in.
struct OnScreen {
    HeadlessScreen screen{CSize(400, 300)};
    CWnd top;
    OnScreen() { top.CreateEx(0, nullptr, u"t", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0); }
};

// A new column is as wide as its heading in the semibold grid font plus a
// margin on each side; a new row as high as its heading.
TEST(GridHeadings, NewColumnsAndRowsTakeTheirHeadingsSize) {
    OnScreen on;
    CGridCtrl g;
    ASSERT_TRUE(g.Create(CRect(0, 0, 300, 200), &on.top, 200, WS_CHILD | WS_VISIBLE));
    ASSERT_GT(g.cellMargin, 0);
    CDC* dc = g.GetDC();
    ASSERT_NE(dc, nullptr);
    auto extent = [&](const CString& text, LONG weight) {
        LOGFONT lf = g.logFont;
        lf.lfWeight = weight;
        CFont font;
        EXPECT_TRUE(font.CreateFontIndirect(&lf));
        CFont* old = dc->SelectObject(&font);
        const CSize size = dc->GetTextExtent(text);
        if (old) dc->SelectObject(old);
        return size;
    };
    const CSize semibold = extent(u"Title WWW", 600);
    ASSERT_GT(semibold.cx, extent(u"Title WWW", FW_NORMAL).cx) << "the font must tell the weights apart";
    const CSize tall = extent(u"Heading", 600);
    g.ReleaseDC(dc);

    EXPECT_EQ(g.AddColumn(u"Title WWW", DT_CENTER), 0);
    EXPECT_EQ(g.rowCount, 1) << "the heading needs a row";
    EXPECT_EQ(g.GetCellText(0, 0), u"Title WWW");
    EXPECT_EQ(g.ColumnPixels(0), semibold.cx + 2 * g.cellMargin);
    const int row = g.AddRow(u"Heading");
    EXPECT_EQ(g.RowPixels(row), tall.cy + 2 * g.cellMargin);
}

// Count changes invalidate the window only when they change something and
// redraw is on; insertions and removals leave invalidating to their callers.
// A new font always repaints.
TEST(GridCounts, WindowRepaintsOnlyWhenItShould) {
    OnScreen on;
    HeadlessScreen& screen = on.screen;
    CWnd& top = on.top;
    struct Case {
        const char* what;
        BOOL redraw;
        std::function<void(CGridCtrl&)> change;
        bool repaints;
    };
    const Case cases[] = {
        {"SetRows to the same count", TRUE, [](CGridCtrl& g) { g.SetRows(3); }, false},
        {"SetColumns to the same count", TRUE, [](CGridCtrl& g) { g.SetColumns(2); }, false},
        {"SetRows", TRUE, [](CGridCtrl& g) { g.SetRows(4); }, true},
        {"SetRows, redraw off", FALSE, [](CGridCtrl& g) { g.SetRows(2); }, false},
        {"SetColumns, redraw off", FALSE, [](CGridCtrl& g) { g.SetColumns(3); }, false},
        {"SetFixedColumns", TRUE, [](CGridCtrl& g) { g.SetFixedColumns(1); }, true},
        {"SetFixedRows, redraw off", FALSE, [](CGridCtrl& g) { g.SetFixedRows(2); }, false},
        {"AddRow", TRUE, [](CGridCtrl& g) { g.AddRow(u"x"); }, false},
        {"RemoveColumn", TRUE, [](CGridCtrl& g) { g.RemoveColumn(1); }, false},
        {"WM_SETFONT, redraw off", FALSE,
         [](CGridCtrl& g) { g.SendMessage(WM_SETFONT, g.SendMessage(WM_GETFONT), 0); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CGridCtrl g(3, 2, 1, 0);
        ASSERT_TRUE(g.Create(CRect(0, 0, 300, 200), &top, 200, WS_CHILD | WS_VISIBLE));
        screen.RunUntilIdle();
        CRect dirty;
        ASSERT_FALSE(g.GetUpdateRect(&dirty));
        g.redrawEnabled = c.redraw;
        c.change(g);
        EXPECT_EQ(bool(g.GetUpdateRect(&dirty)), c.repaints);
    }
}

// Replacing the selection redraws the cells it leaves and the cells it
// takes: later through invalidation, or at once when asked.
TEST(GridSelection, ReplacingRedrawsLeftAndTakenCells) {
    OnScreen on;
    CGridCtrl g(6, 4, 1, 1);
    ASSERT_TRUE(g.Create(CRect(0, 0, 300, 200), &on.top, 200, WS_CHILD | WS_VISIBLE));
    for (int r = 0; r < 6; ++r) g.SetRowPixels(r, 20);
    for (int c = 0; c < 4; ++c) g.SetColumnPixels(c, 50);
    g.Invalidate(TRUE);
    on.screen.RunUntilIdle();
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    auto centre = [&](int row, int column) { return on.screen.Pixel(column * 50 + 25, row * 20 + 10); };

    g.SelectRange(1, 1, 1, 1, FALSE);
    CRect dirty;
    ASSERT_TRUE(g.GetUpdateRect(&dirty));
    EXPECT_EQ(dirty, CRect(50, 20, 100, 40)) << "only the taken cell";
    on.screen.RunUntilIdle();
    EXPECT_EQ(centre(1, 1), highlight);

    g.SelectRange(4, 3, 4, 3, FALSE);
    ASSERT_TRUE(g.GetUpdateRect(&dirty));
    EXPECT_EQ(dirty, CRect(50, 20, 200, 100)) << "the cell left and the cell taken";
    on.screen.RunUntilIdle();
    EXPECT_NE(centre(1, 1), highlight);
    EXPECT_EQ(centre(4, 3), highlight);

    g.SelectRange(2, 2, 2, 2, TRUE);
    EXPECT_FALSE(g.GetUpdateRect(&dirty)) << "painted at once, nothing left to paint";
    on.screen.RunUntilIdle();   // shows what was drawn; nothing was left to paint
    EXPECT_NE(centre(4, 3), highlight);
    EXPECT_EQ(centre(2, 2), highlight);
}

// Null cells are skipped by every operation: a subclass may make none for a
// position, and a grid whose allocation failed holds null there.
class GappedGrid : public CGridCtrl {
public:
    using CGridCtrl::CGridCtrl;
    CCellData* NewCell(int row, int column) override {
        return row == 2 && column == 1 ? nullptr : CGridCtrl::NewCell(row, column);
    }
};

TEST(GridCells, PositionsWithoutACellAreSkipped) {
    GappedGrid g;   // the constructor's cells come from the base NewCell
    g.SetRows(4);
    g.SetColumns(3);
    g.SetFixedRows(1);
    ASSERT_EQ(g.CellAt(2, 1), nullptr);
    EXPECT_FALSE(g.SetCellText(2, 1, u"x"));
    EXPECT_EQ(g.GetCellText(2, 1), u"");
    EXPECT_EQ(g.GetCellFont(2, 1), &g.logFont);
    GridItemInfo info;
    info.row = 2;
    info.column = 1;
    info.mask = 0xFF;
    EXPECT_FALSE(g.GetCellInfo(&info));
    EXPECT_FALSE(g.SetCellInfo(&info));

    g.SelectEveryCell();
    EXPECT_EQ(g.selectedCells.size(), 8u);
    EXPECT_EQ(g.selectedCells.count(MakeCellKey(2, 1)), 0u);
    g.ChangeFocusCell(2, 1);
    EXPECT_EQ(g.focusCell, CellCoord(2, 1));
    g.MarkModified(TRUE, 1, 1);
    g.MarkModified(FALSE, 0, 0);
    EXPECT_EQ(g.GetCellState(1, 1) & StateModified, 0u);
    EXPECT_EQ(g.AddColumn(u"c", DT_RIGHT, 1), 1);
    EXPECT_EQ(g.CellAt(2, 2), nullptr) << "the gap moved with its row's cells";
    EXPECT_EQ(g.GetCellFormat(3, 1), UINT(DT_RIGHT));
    EXPECT_EQ(g.AddRow(u"r", 3), 3);
    EXPECT_TRUE(g.RemoveColumn(2));
    EXPECT_TRUE(g.RemoveRow(2));
    g.SetRows(1);
    g.SetColumns(0);
    EXPECT_TRUE(g.selectedCells.empty());
}

TEST(GridLayout, SizesAndHitTestingWithoutScrolling) {
    CGridCtrl g(4, 4, 1, 1);
    const int heights[] = {20, 10, 0, 15};
    const int widths[] = {30, 40, 50, 60};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(g.SetRowPixels(i, heights[i]));
        ASSERT_TRUE(g.SetColumnPixels(i, widths[i]));
    }
    EXPECT_FALSE(g.SetRowPixels(1, -1));
    EXPECT_FALSE(g.SetColumnPixels(4, 5));
    EXPECT_EQ(g.FixedRowsHeight(), 20);
    EXPECT_EQ(g.FixedColumnsWidth(), 30);
    EXPECT_EQ(g.TotalHeight(), 45);
    EXPECT_EQ(g.TotalWidth(), 180);
    EXPECT_EQ(g.FirstScrolledCell(), CellCoord(1, 1));

    CRect r;
    ASSERT_TRUE(g.CellBounds(3, 2, &r));
    EXPECT_EQ(r, CRect(70, 30, 119, 44));
    ASSERT_TRUE(g.CellBounds(0, 0, &r));
    EXPECT_EQ(r, CRect(0, 0, 29, 19));
    EXPECT_FALSE(g.CellBounds(4, 0, &r));

    struct Hit { CPoint p; BOOL fixed; CellCoord expected; };
    const Hit hits[] = {
        {{0, 0}, TRUE, {0, 0}},
        {{29, 19}, TRUE, {0, 0}},         // last pixel of the corner cell
        {{30, 20}, TRUE, {1, 1}},         // first pixel of the next cell
        {{69, 29}, FALSE, {1, 1}},
        {{70, 30}, FALSE, {3, 2}},        // the zero-height row 2 is never hit
        {{10, 25}, FALSE, {1, -1}},       // fixed column without include-fixed
        {{40, 5}, FALSE, {-1, 1}},        // heading row: row -1, a real column
        {{179, 44}, TRUE, {3, 3}},
        {{180, 45}, TRUE, {-1, -1}},      // past the last column and row
        {{-1, -1}, TRUE, {-1, -1}},
    };
    for (const Hit& h : hits)
        EXPECT_EQ(g.CellAtPoint(h.p, h.fixed), h.expected) << h.p.x << "," << h.p.y;
    EXPECT_FALSE(g.IsCellInView(1, 1)) << "no window, nothing is in view";
}

}  // namespace
