// The grid as a window on the headless screen: scroll ranges and line
// scrolling, and the painting rules read back as screen pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "grid/gridctrl.h"
#include "grid/offscreendc.h"
#include "platform/gfx/syscolors.h"
#include "platform/win/headless_screen.h"

namespace {

constexpr int kLeft = 10, kTop = 10;   // the top-level window on the screen

// A grid of the given class in a window on the headless screen.
template <class Grid>
class GridWindowOf : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSysColors();
        top.CreateEx(0, nullptr, u"t", WS_POPUP | WS_VISIBLE, CRect(kLeft, kTop, kLeft + 300, kTop + 200), nullptr, 0);
        screen.RunUntilIdle();
        ASSERT_TRUE(grid.Create(CRect(0, 0, 300, 200), &top, 200, WS_CHILD | WS_VISIBLE));
        grid.SetRows(6);
        grid.SetColumns(4);
        grid.SetFixedRows(1);
        grid.SetFixedColumns(1);
        for (int r = 0; r < 6; ++r) grid.SetRowPixels(r, 20);
        for (int c = 0; c < 4; ++c) grid.SetColumnPixels(c, 50);
        grid.UpdateScrollBars();
        Repaint();
    }
    void Repaint() {
        grid.Invalidate(TRUE);
        screen.RunUntilIdle();
    }
    COLORREF At(int x, int y) { return screen.Pixel(kLeft + x, kTop + y); }

    HeadlessScreen screen{CSize(400, 300)};
    CWnd top;
    Grid grid;
};
using GridWindow = GridWindowOf<CGridCtrl>;

// A grid of the given class filling a 300 x 200 window at the screen's
// top-left, for tests that set up their own counts and sizes.
template <class Grid>
struct GridOnScreen {
    GridOnScreen() {
        top.CreateEx(0, nullptr, u"t", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0);
        screen.RunUntilIdle();
        created = grid.Create(CRect(0, 0, 300, 200), &top, 200, WS_CHILD | WS_VISIBLE);
    }
    HeadlessScreen screen{CSize(400, 300)};
    CWnd top;
    Grid grid;
    bool created = false;
};

TEST_F(GridWindow, PaintingRules) {
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    grid.outsideBackColor = RGB(0, 128, 0);
    grid.ChangeFocusCell(2, 2);
    grid.SelectRange(3, 1, 3, 2, FALSE);
    Repaint();
    // Cells end at x = 200 and y = 120: the rest is the outside colour.
    EXPECT_EQ(At(250, 50), RGB(0, 128, 0));
    EXPECT_EQ(At(100, 150), RGB(0, 128, 0));
    // Focus cell (2, 2) spans x 100..149, y 40..59: black frame on its outer
    // edge, window colour inside.
    EXPECT_EQ(At(100, 45), RGB(0, 0, 0));
    EXPECT_EQ(At(120, 40), RGB(0, 0, 0));
    EXPECT_EQ(At(148, 45), RGB(0, 0, 0));
    EXPECT_EQ(At(140, 55), window);
    // Selected cells in row 3 in the highlight colour.
    EXPECT_EQ(At(60, 62), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(At(140, 62), GetSysColor(COLOR_HIGHLIGHT));
    // Grid lines on the last pixel column and row of scrolled cells only.
    EXPECT_EQ(At(199, 90), COLORREF(0xC0C0C0));
    EXPECT_EQ(At(175, 99), COLORREF(0xC0C0C0));
    EXPECT_EQ(At(175, 98), window);
    // Headings: (0, 3) is raised (light top-left, dark right-bottom); (0, 2)
    // is in the focus column and sunken (dark top-left).
    EXPECT_EQ(At(160, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(At(199, 10), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(At(170, 10), face);
    EXPECT_NE(At(120, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
    // A cell's own back colour and the default changing.
    grid.SetCellBackColor(4, 3, RGB(200, 0, 0));
    grid.textBackColor = RGB(0, 0, 200);
    Repaint();
    EXPECT_EQ(At(170, 85), RGB(200, 0, 0));
    EXPECT_EQ(At(120, 85), RGB(0, 0, 200));
}

// The focus cell's text sits one pixel further right and down than the same
// text in a plain cell, inside the frame.
TEST_F(GridWindow, FocusCellTextIsInsetByItsFrame) {
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    grid.SetCellText(2, 2, u"H");
    grid.SetCellText(3, 2, u"H");
    grid.ChangeFocusCell(2, 2);
    Repaint();
    // First inked column and row inside a cell's box; the focus frame (the
    // box's outer pixels) and the grid lines are left out.
    auto inkOrigin = [&](int left, int top) {
        CPoint first(1000, 1000);
        for (int y = top + 1; y < top + 18; ++y)
            for (int x = left + 1; x < left + 48; ++x)
                if (At(x, y) != window) {
                    first.x = std::min(first.x, x - left);
                    first.y = std::min(first.y, y - top);
                }
        return first;
    };
    const CPoint focused = inkOrigin(100, 40);
    const CPoint plain = inkOrigin(100, 60);
    ASSERT_LT(plain.x, 1000) << "the plain cell shows its text";
    EXPECT_EQ(focused.x, plain.x + 1);
    EXPECT_EQ(focused.y, plain.y + 1);
}

TEST_F(GridWindow, HorizontalLinesOnlyAndRedrawOff) {
    grid.gridLines = LinesHorizontal;
    Repaint();
    EXPECT_EQ(At(99, 90), GetSysColor(COLOR_WINDOW)) << "no vertical line";
    EXPECT_EQ(At(120, 99), COLORREF(0xC0C0C0));
    grid.redrawEnabled = FALSE;
    EXPECT_FALSE(grid.RepaintCell(2, 2));
    EXPECT_FALSE(grid.InvalidateCell(CellCoord(2, 2)));
    grid.redrawEnabled = TRUE;
    EXPECT_TRUE(grid.RepaintCell(2, 2));
}

TEST_F(GridWindow, DropTargetFrameAndPaintingWithRedrawOff) {
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    // Cell (3, 2) spans x 100..149, y 60..79: a black frame on its box.
    grid.SetCellState(3, 2, StateDropTarget);
    Repaint();
    EXPECT_EQ(At(100, 70), RGB(0, 0, 0));
    EXPECT_EQ(At(120, 60), RGB(0, 0, 0));
    EXPECT_EQ(At(120, 70), window);
    EXPECT_EQ(At(100, 90), window) << "the cell below has no frame";
    grid.SetCellState(3, 2, 0);

    // With redraw off a paint still lays the background and the lines, and
    // the cells draw nothing of their own.
    grid.SetCellBackColor(4, 3, RGB(200, 0, 0));
    grid.outsideBackColor = RGB(0, 128, 0);
    grid.redrawEnabled = FALSE;
    Repaint();
    EXPECT_NE(At(170, 85), RGB(200, 0, 0));
    EXPECT_EQ(At(199, 90), COLORREF(0xC0C0C0));
    EXPECT_EQ(At(250, 50), RGB(0, 128, 0));
    EXPECT_EQ(At(100, 70), window) << "the old frame is painted over";
    grid.redrawEnabled = TRUE;
    Repaint();
    EXPECT_EQ(At(170, 85), RGB(200, 0, 0));
}

TEST_F(GridWindow, ScrollRangesAndLineScrolling) {
    // Six rows of 20 fit in 200: no vertical range.
    EXPECT_EQ(grid.vertScrollMax, 0);
    // 14 rows = 280 pixels; the scrolled part is 260 against a page of 180.
    grid.SetRows(14);
    for (int r = 6; r < 14; ++r) grid.SetRowPixels(r, 20);
    grid.UpdateScrollBars();
    EXPECT_EQ(grid.vertScrollMax, 259);
    SCROLLINFO si;
    ASSERT_TRUE(grid.GetScrollInfo(SB_VERT, &si, SIF_ALL));
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 259);
    EXPECT_EQ(si.nPage, 180u);
    Repaint();

    grid.SendMessage(WM_VSCROLL, SB_LINEUP, 0);   // already at the top
    EXPECT_EQ(grid.ScrollPosition(SB_VERT), 0);
    grid.SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(grid.ScrollPosition(SB_VERT), 20);
    EXPECT_EQ(grid.FirstScrolledCell(), CellCoord(2, 1));
    CRect update;
    ASSERT_TRUE(grid.GetUpdateRect(&update));
    EXPECT_EQ(update.top, 180) << "only the uncovered strip is invalid";
    screen.RunUntilIdle();

    // Thumb inside the row above the first shown row: nothing repaints.
    si.fMask = SIF_TRACKPOS;
    grid.SendMessage(WM_VSCROLL, SB_THUMBTRACK, 0);
    EXPECT_FALSE(grid.GetUpdateRect(&update));

    // Bringing a cell below the view into view scrolls line by line.
    grid.ScrollCellIntoView(13, 1);
    CRect cell, client;
    ASSERT_TRUE(grid.CellBounds(13, 1, &cell));
    grid.GetClientRect(&client);
    EXPECT_LE(cell.bottom, client.bottom);
    EXPECT_GE(grid.FirstScrolledCell().row, 5);
    EXPECT_LE(grid.ScrollPosition(SB_VERT), 260);
}

}  // namespace

namespace {

// Texts from elsewhere, as a subclass may supply them.
class SuppliedTextGrid : public CGridCtrl {
public:
    CString supplied = u"iiii";
    CString GetCellText(int row, int column) override {
        return row == 1 && column == 1 ? supplied : CGridCtrl::GetCellText(row, column);
    }
};

TEST_F(GridWindow, MeasuringAndFitting) {
    ASSERT_GT(grid.cellMargin, 0) << "the window's font gives the margin";
    const int m = grid.cellMargin;
    EXPECT_EQ(grid.MeasureHeading(u"", TRUE).cx, 2 * m);
    EXPECT_GT(grid.MeasureHeading(u"", TRUE).cy, 2 * m) << "an empty text is one line high";
    const CSize normal = grid.MeasureHeading(u"Expiring Time", FALSE);
    const CSize semibold = grid.MeasureHeading(u"Expiring Time", TRUE);
    EXPECT_GT(semibold.cx, normal.cx);

    // The heading of a fixed row is measured semibold, the same text below it not.
    grid.SetCellText(0, 2, u"Expiring Time");
    grid.SetCellText(3, 2, u"Expiring Time");
    CDC* dc = grid.GetDC();
    ASSERT_NE(dc, nullptr);
    const CSize heading = grid.MeasureCell(0, 2, dc);
    const CSize cell = grid.MeasureCell(3, 2, dc);
    EXPECT_EQ(heading.cx, semibold.cx + 2 * m);
    EXPECT_EQ(cell.cx, normal.cx + 2 * m);
    EXPECT_EQ(cell.cy, normal.cy);
    grid.ReleaseDC(dc);

    ASSERT_TRUE(grid.FitColumn(2));
    EXPECT_EQ(grid.ColumnPixels(2), heading.cx);
    // A longer text after a fit must be measured afresh.
    grid.SetCellText(4, 2, u"Expiring Time, and much more text after it");
    ASSERT_TRUE(grid.FitColumn(2));
    EXPECT_GT(grid.ColumnPixels(2), heading.cx);
    grid.SetCellText(4, 2, u"");
    grid.FitColumn(2);
    EXPECT_EQ(grid.ColumnPixels(2), heading.cx);
    EXPECT_FALSE(grid.FitColumn(4));
    EXPECT_FALSE(grid.FitRow(-1));

    // FitRow takes the tallest cell of the row.
    grid.SetRowPixels(3, 1);
    ASSERT_TRUE(grid.FitRow(3));
    EXPECT_EQ(grid.RowPixels(3), cell.cy);

    // Without a window there is no context to measure in: 0 x 0, as a row
    // added then gets no height.
    grid.DestroyWindow();
    EXPECT_EQ(grid.MeasureHeading(u"Expiring Time", TRUE), CSize(0, 0));
    EXPECT_EQ(grid.MeasureHeading(u"Expiring Time", FALSE), CSize(0, 0));
    EXPECT_EQ(grid.RowPixels(grid.AddRow(u"late")), 0);
    EXPECT_FALSE(grid.FitColumn(2));
}

// Fitting everything at once must give what fitting each column, then each
// row, one by one gives.
TEST_F(GridWindow, FittingAllMatchesFittingEachInTurn) {
    const CString texts[] = {u"", u"W", u"wide WWW", u"a rather longer text", u"mid", u"x"};
    for (int r = 0; r < grid.rowCount; ++r)
        for (int c = 0; c < grid.columnCount; ++c) grid.SetCellText(r, c, texts[(r * 3 + c) % 6]);
    grid.SetCellText(0, 2, u"Expiring Time");   // a semibold heading
    LOGFONT big = grid.logFont;
    big.lfHeight = -24;
    grid.SetCellFont(3, 1, &big);
    grid.FitAllColumns();
    grid.FitAllRows();
    std::vector<int> widths, heights;
    for (int c = 0; c < grid.columnCount; ++c) widths.push_back(grid.ColumnPixels(c));
    for (int r = 0; r < grid.rowCount; ++r) heights.push_back(grid.RowPixels(r));
    const int vertMax = grid.vertScrollMax, horzMax = grid.horzScrollMax;

    for (int c = 0; c < grid.columnCount; ++c) grid.SetColumnPixels(c, 1);
    for (int r = 0; r < grid.rowCount; ++r) grid.SetRowPixels(r, 1);
    for (int c = 0; c < grid.columnCount; ++c) ASSERT_TRUE(grid.FitColumn(c));
    for (int r = 0; r < grid.rowCount; ++r) ASSERT_TRUE(grid.FitRow(r));
    for (int c = 0; c < grid.columnCount; ++c) EXPECT_EQ(grid.ColumnPixels(c), widths[c]) << c;
    for (int r = 0; r < grid.rowCount; ++r) EXPECT_EQ(grid.RowPixels(r), heights[r]) << r;
    EXPECT_EQ(grid.vertScrollMax, vertMax);
    EXPECT_EQ(grid.horzScrollMax, horzMax);
    EXPECT_GT(heights[3], heights[2]) << "the row with the big font is taller";
}

TEST_F(GridWindow, CellsWithImagesMeasureWider) {
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR32, 1, 1));
    ASSERT_EQ(images.Add(Surface(16, 16, 0xFF0000)), 0);
    grid.SetCellText(2, 2, u"abc");
    CDC* dc = grid.GetDC();
    const CSize plain = grid.MeasureCell(2, 2, dc);
    GridItemInfo info;
    info.row = 2;
    info.column = 2;
    info.mask = MaskImage;
    info.image = 0;
    grid.SetCellInfo(&info);
    EXPECT_EQ(grid.MeasureCell(2, 2, dc), plain) << "no image list yet";
    grid.imageList = &images;
    EXPECT_EQ(grid.MeasureCell(2, 2, dc).cx, plain.cx + 17);
    EXPECT_EQ(grid.MeasureCell(2, 2, dc).cy, std::max(plain.cy, 17));
    grid.ReleaseDC(dc);
    CRect text, bounds;
    ASSERT_TRUE(grid.CellTextBounds(2, 2, &text));
    ASSERT_TRUE(grid.CellBounds(2, 2, &bounds));
    EXPECT_EQ(text.left, bounds.left + grid.cellMargin + 17);
    grid.imageList = nullptr;
}

TEST(GridSuppliedTexts, FittingFollowsTextsASubclassSupplies) {
    GridOnScreen<SuppliedTextGrid> on;
    ASSERT_TRUE(on.created);
    SuppliedTextGrid& grid = on.grid;
    grid.SetRows(3);
    grid.SetColumns(3);
    ASSERT_TRUE(grid.FitColumn(1));
    const int narrow = grid.ColumnPixels(1);
    grid.supplied = u"WWWW";   // same length, wider: the stored text never changed
    ASSERT_TRUE(grid.FitColumn(1));
    EXPECT_GT(grid.ColumnPixels(1), narrow);
}

TEST_F(GridWindow, FontChangeReachesEveryCell) {
    LOGFONT own = grid.logFont;
    own.lfWeight = 700;
    grid.SetCellFont(2, 2, &own);
    EXPECT_EQ(grid.GetCellFont(2, 2)->lfWeight, 700);
    LOGFONT big = grid.logFont;
    big.lfHeight = -20;
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(&big));
    const int oldHeight = grid.defaultRowHeight;
    grid.SendMessage(WM_SETFONT, WPARAM(font.GetSafeHandle()), 0);
    EXPECT_EQ(grid.logFont.lfHeight, -20);
    for (int r = 0; r < grid.rowCount; ++r)
        for (int c = 0; c < grid.columnCount; ++c) EXPECT_EQ(grid.GetCellFont(r, c)->lfHeight, -20);
    EXPECT_NE(grid.GetCellFont(2, 2)->lfWeight, 700) << "cell fonts set before are replaced too";
    EXPECT_GT(grid.defaultRowHeight, oldHeight);
    EXPECT_EQ(grid.RowPixels(1), 20) << "existing rows keep their sizes";
    // A row added now is as high as its heading in the new font.
    const int added = grid.AddRow(u"7");
    CDC* dc = grid.GetDC();
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(grid.RowPixels(added), grid.MeasureCell(added, 0, dc).cy);
    EXPECT_GT(grid.RowPixels(added), oldHeight);
    grid.ReleaseDC(dc);
    LOGFONT back;
    ASSERT_TRUE(GetObject(reinterpret_cast<HGDIOBJ>(grid.SendMessage(WM_GETFONT)), sizeof back, &back));
    EXPECT_EQ(back.lfHeight, -20);
}

TEST_F(GridWindow, VisibleBlocksAtTheirBoundaries) {
    // Rows of 20 from y = 20 (one fixed row): client height 200.
    struct Case { int lastRowHeight; int rows; int visibleLast; int fullyLast; int areaBottom; };
    const Case cases[] = {
        {20, 6, 5, 5, 120},     // shorter than the window: the area ends with the cells
        {20, 10, 9, 9, 200},    // ten rows of 20 end exactly at the client bottom
        {21, 10, 9, 8, 200},    // the last row cut by one pixel is only partly visible
        {20, 12, 9, 9, 200},    // taller than the window: clipped to the client bottom
    };
    for (const Case& c : cases) {
        grid.SetRows(c.rows);
        for (int r = 0; r < c.rows; ++r) grid.SetRowPixels(r, 20);
        grid.SetRowPixels(c.rows - 1, c.lastRowHeight);
        CRect area;
        const CellBlock v = grid.VisibleBlock(&area);
        EXPECT_EQ(v.maxRow, c.visibleLast) << c.lastRowHeight;
        EXPECT_EQ(area.bottom, c.areaBottom) << c.lastRowHeight;
        EXPECT_EQ(grid.FullyVisibleBlock().maxRow, c.fullyLast) << c.lastRowHeight;
    }
}

TEST_F(GridWindow, ScrollRequestsAtTheEnds) {
    grid.SetRows(11);
    for (int r = 6; r < 11; ++r) grid.SetRowPixels(r, 20);
    // 10 scrolled rows = 200 against a page of 180: 20 pixels to scroll.
    grid.SetRowPixels(10, 25);   // the last row overflows by 25
    grid.UpdateScrollBars();
    EXPECT_EQ(grid.vertScrollMax, 204);
    Repaint();
    CRect update;
    grid.SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(grid.ScrollPosition(SB_VERT), 25) << "the page limits the reachable position";
    screen.RunUntilIdle();
    grid.SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(grid.ScrollPosition(SB_VERT), 25);
    EXPECT_FALSE(grid.GetUpdateRect(&update)) << "a refused line-down repaints nothing";
    grid.SendMessage(WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(grid.ScrollPosition(SB_VERT), 0);
    screen.RunUntilIdle();
    // A position inside the first shown row's predecessor leaves the view as it is.
    grid.SetScrollPosition(SB_VERT, 5);
    EXPECT_EQ(grid.FirstScrolledCell().row, 2) << "a position inside a row shows the next one first";
    grid.SendMessage(WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(grid.ScrollPosition(SB_VERT), 0);
    // Room for the fixed rows only: the bars stay as they were.
    grid.SetRowPixels(0, 500);
    const int before = grid.vertScrollMax;
    grid.UpdateScrollBars();
    EXPECT_EQ(grid.vertScrollMax, before);

    // The same through a resize that leaves room for the fixed row only.
    grid.SetRowPixels(0, 20);
    grid.UpdateScrollBars();
    SCROLLINFO was, now;
    ASSERT_TRUE(grid.GetScrollInfo(SB_VERT, &was, SIF_ALL));
    grid.MoveWindow(0, 0, 300, 18);
    screen.RunUntilIdle();
    ASSERT_TRUE(grid.GetScrollInfo(SB_VERT, &now, SIF_ALL));
    EXPECT_EQ(now.nMax, was.nMax);
    EXPECT_EQ(now.nPage, was.nPage);
    EXPECT_EQ(grid.vertScrollMax, 204);
}

TEST_F(GridWindow, PrinterContextDrawsNoBackgroundsFramesOrHighlights) {
    Surface page(300, 200, 0xFFFFFF);
    CDC printer(&page, CPoint(0, 0), page.bounds());
    printer.SetPrinting(TRUE);
    grid.ChangeFocusCell(2, 2);
    grid.SetCellState(3, 2, grid.GetCellState(3, 2) | StateSelected | StateDropTarget);
    grid.SetCellBackColor(4, 2, RGB(200, 0, 0));
    CRect r;
    for (CellCoord c : {CellCoord(2, 2), CellCoord(3, 2), CellCoord(4, 2)}) {
        ASSERT_TRUE(grid.CellBounds(c, &r));
        EXPECT_TRUE(grid.PaintCell(&printer, c.row, c.col, r, FALSE));
    }
    ASSERT_TRUE(grid.CellBounds(0, 2, &r));
    EXPECT_TRUE(grid.PaintFixedCell(&printer, 0, 2, r, FALSE));
    for (int y = 40; y < 100; ++y)
        for (int x = 100; x < 150; ++x) ASSERT_EQ(page.GetPixel(x, y), RGB(255, 255, 255)) << x << "," << y;
    // The heading's edge is drawn (it is in the focus column: sunken).
    bool edge = false;
    for (int x = 100; x < 150; ++x) edge |= page.GetPixel(x, 0) != RGB(255, 255, 255);
    EXPECT_TRUE(edge);
}

}  // namespace

namespace {

// A parent that records the grid's notifications.
class Listener : public CWnd {
public:
    struct Seen { int code, row, column; UINT_PTR id; HWND from; };
    std::vector<Seen> seen;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_NOTIFY) {
            const auto* n = reinterpret_cast<const GridCellNotify*>(lParam);
            seen.push_back({int(n->hdr.code), n->row, n->column, n->hdr.idFrom, n->hdr.hwndFrom});
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST(GridNotify, FocusMovesNotifyAndRepaintTheHeadingsThatChange) {
    HeadlessScreen screen{CSize(400, 300)};
    Listener parent;
    parent.CreateEx(0, nullptr, u"p", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0);
    screen.RunUntilIdle();
    CGridCtrl grid(6, 5, 1, 1);
    ASSERT_TRUE(grid.Create(CRect(0, 0, 300, 200), &parent, 321, WS_CHILD | WS_VISIBLE));
    for (int r = 0; r < 6; ++r) grid.SetRowPixels(r, 20);
    for (int c = 0; c < 5; ++c) grid.SetColumnPixels(c, 50);
    grid.Invalidate(TRUE);
    screen.RunUntilIdle();
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);

    grid.ChangeFocusCell(2, 3);
    parent.seen.clear();
    screen.RunUntilIdle();
    // Fixed-column cells of rows 2 and 4 (x 0..49): row 2 sunken now.
    EXPECT_NE(screen.Pixel(20, 40), light);
    EXPECT_EQ(screen.Pixel(20, 80), light);

    grid.ChangeFocusCell(4, 3);
    ASSERT_EQ(parent.seen.size(), 2u);
    EXPECT_EQ(parent.seen[0].code, GVN_FOCUSLEAVING);
    EXPECT_EQ(parent.seen[0].row, 2);
    EXPECT_EQ(parent.seen[0].column, 3);
    EXPECT_EQ(parent.seen[1].code, GVN_FOCUSARRIVED);
    EXPECT_EQ(parent.seen[1].row, 4);
    EXPECT_EQ(parent.seen[1].id, 321u);
    EXPECT_EQ(parent.seen[1].from, grid.GetSafeHwnd());
    screen.RunUntilIdle();
    EXPECT_EQ(screen.Pixel(20, 40), light) << "row 2's heading raised again at once";
    EXPECT_NE(screen.Pixel(20, 80), light) << "row 4's heading sunken at once";

    parent.seen.clear();
    grid.ChangeFocusCell(4, 3);   // the same cell: nothing
    grid.ClearSelection();
    ASSERT_EQ(parent.seen.size(), 1u);
    EXPECT_EQ(parent.seen[0].code, GVN_FOCUSLEAVING);
    EXPECT_EQ(grid.SendCellNotify(1, 1, GVN_BEGINEDIT), 0);
    CGridCtrl windowless;
    EXPECT_EQ(windowless.SendCellNotify(1, 1, GVN_BEGINEDIT), 0);
}

}  // namespace

namespace {

TEST_F(GridWindow, HeadingInTheFocusColumnIsSemibold) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (int c = 1; c < 4; ++c) grid.SetCellText(0, c, u"Heading");
    grid.SetCellText(3, 0, u"Heading");
    // Ink inside a heading cell's edge; the cells are 50 x 20.
    auto ink = [&](int left, int top = 0) {
        int n = 0;
        for (int y = top + 2; y < top + 18; ++y)
            for (int x = left + 2; x < left + 48; ++x) n += At(x, y) != face;
        return n;
    };
    Repaint();
    const int plain2 = ink(100), plain3 = ink(150), plainRow3 = ink(0, 60);
    EXPECT_GT(plain2, 0) << "the heading text is drawn";
    EXPECT_EQ(plain2, plain3) << "with no focus cell every heading looks alike";
    EXPECT_EQ(plainRow3, plain3);
    grid.ChangeFocusCell(3, 2);
    Repaint();
    EXPECT_GT(ink(100), plain2) << "semibold in the focus column";
    EXPECT_EQ(ink(150), plain3) << "normal weight elsewhere";
    EXPECT_GT(ink(0, 60), plainRow3) << "semibold in the focus row";

    // A focus cell outside the grid sinks no heading, yet the heading of the
    // row it names is drawn semibold: the weight asks only for the row or
    // the column to match.
    grid.ChangeFocusCell(-1, -1);
    grid.ChangeFocusCell(3, 99);
    Repaint();
    EXPECT_GT(ink(0, 60), plainRow3);
    EXPECT_EQ(ink(100), plain2);
    EXPECT_EQ(At(20, 60), GetSysColor(COLOR_BTNHIGHLIGHT)) << "raised: light top edge";
}

}  // namespace

namespace {

// Counts the scroll messages that reach the grid.
class CountingGrid : public CGridCtrl {
public:
    int vertical = 0, horizontal = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_VSCROLL) ++vertical;
        if (message == WM_HSCROLL) ++horizontal;
        return CGridCtrl::WindowProc(message, wParam, lParam);
    }
};

TEST(GridScrollIntoView, LineMessagesPerRowOfDifference) {
    GridOnScreen<CountingGrid> on;
    ASSERT_TRUE(on.created);
    HeadlessScreen& screen = on.screen;
    CountingGrid& grid = on.grid;
    grid.SetRows(30);
    grid.SetColumns(4);   // narrow enough for no horizontal bar: the client stays 200 high
    grid.SetFixedRows(1);
    grid.SetFixedColumns(1);
    for (int r = 0; r < 30; ++r) grid.SetRowPixels(r, 20);
    for (int c = 0; c < 4; ++c) grid.SetColumnPixels(c, 50);
    grid.SetRowPixels(13, 25);
    grid.UpdateScrollBars();
    screen.RunUntilIdle();
    CRect client;
    grid.GetClientRect(&client);
    ASSERT_EQ(client.bottom, 200);
    ASSERT_EQ(grid.VisibleBlock().maxRow, 9);   // row 9 ends exactly at the bottom

    struct Case { int row; int messages; int firstRow; };
    const Case cases[] = {
        {12, 3, 4},   // three below the view, then wholly visible
        {13, 5, 6},   // four below, still cut by 5 pixels: one more
        {9, 0, 1},    // already in view
    };
    for (const Case& c : cases) {
        grid.SendMessage(WM_VSCROLL, SB_TOP, 0);
        grid.vertical = 0;
        grid.ScrollCellIntoView(c.row, 1);
        EXPECT_EQ(grid.vertical, c.messages) << c.row;
        EXPECT_EQ(grid.horizontal, 0);
        EXPECT_EQ(grid.FirstScrolledCell().row, c.firstRow) << c.row;
        CRect cell;
        ASSERT_TRUE(grid.CellBounds(c.row, 1, &cell));
        EXPECT_LT(cell.bottom, client.bottom) << c.row;
    }
    // Back up: one line-up per row of difference.
    grid.ScrollCellIntoView(13, 1);
    ASSERT_EQ(grid.FirstScrolledCell().row, 6);
    grid.vertical = 0;
    grid.ScrollCellIntoView(2, 1);
    EXPECT_EQ(grid.vertical, 4);
    EXPECT_EQ(grid.FirstScrolledCell().row, 2);
}

TEST(GridHorizontalScroll, LinesMoveByTheColumnBesideTheFixedOnes) {
    GridOnScreen<CGridCtrl> on;
    ASSERT_TRUE(on.created);
    HeadlessScreen& screen = on.screen;
    CGridCtrl& grid = on.grid;
    grid.SetRows(3);
    grid.SetColumns(10);
    grid.SetFixedColumns(1);
    for (int c = 0; c < 10; ++c) grid.SetColumnPixels(c, 40 + c);
    grid.UpdateScrollBars();
    screen.RunUntilIdle();
    EXPECT_EQ(grid.horzScrollMax, grid.TotalWidth() - grid.FixedColumnsWidth() - 1);
    grid.SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
    EXPECT_EQ(grid.ScrollPosition(SB_HORZ), 0);
    grid.SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(grid.ScrollPosition(SB_HORZ), 41);
    grid.SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(grid.ScrollPosition(SB_HORZ), 83);
    EXPECT_EQ(grid.FirstScrolledCell().col, 3);
    grid.SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
    EXPECT_EQ(grid.ScrollPosition(SB_HORZ), 41);
    grid.SendMessage(WM_HSCROLL, SB_RIGHT, 0);
    SCROLLINFO si;
    ASSERT_TRUE(grid.GetScrollInfo(SB_HORZ, &si, SIF_ALL));
    EXPECT_EQ(grid.ScrollPosition(SB_HORZ), si.nMax - int(si.nPage) + 1) << "the last column at the right edge";
    grid.SendMessage(WM_HSCROLL, SB_LEFT, 0);
    EXPECT_EQ(grid.ScrollPosition(SB_HORZ), 0);
    // Inside the first non-fixed column: the second one shows first.
    grid.SetScrollPosition(SB_HORZ, 25);
    EXPECT_EQ(grid.FirstScrolledCell().col, 2);
    grid.SetScrollPosition(SB_HORZ, 0);
}

}  // namespace

namespace {

TEST_F(GridWindow, SystemColourBroadcastAndResize) {
    grid.fixedBackColor = RGB(10, 20, 30);
    const int index[] = {COLOR_WINDOW, COLOR_BTNFACE};
    const COLORREF colours[] = {RGB(250, 240, 230), RGB(1, 2, 3)};
    ASSERT_TRUE(SetSysColors(2, index, colours));
    screen.RunUntilIdle();
    EXPECT_EQ(grid.textBackColor, RGB(250, 240, 230)) << "the message reached the grid";
    EXPECT_EQ(grid.fixedBackColor, RGB(10, 20, 30));
    Repaint();
    EXPECT_EQ(At(120, 85), RGB(250, 240, 230));
    ResetSysColors();

    // A smaller window: the rows overflow and the vertical range appears.
    EXPECT_EQ(grid.vertScrollMax, 0);
    grid.MoveWindow(0, 0, 300, 100);
    screen.RunUntilIdle();
    EXPECT_EQ(grid.vertScrollMax, 99) << "five scrolled rows of 20 against a shorter page";
}

}  // namespace

namespace {

// The client area's pixels, row by row.
std::vector<COLORREF> ClientPixels(HeadlessScreen& screen, CWnd& wnd) {
    CRect client;
    wnd.GetClientRect(&client);
    wnd.ClientToScreen(&client);
    std::vector<COLORREF> pixels;
    for (int y = client.top; y < client.bottom; ++y)
        for (int x = client.left; x < client.right; ++x) pixels.push_back(screen.Pixel(x, y));
    return pixels;
}

// A line scroll moves the pixels and repaints only the uncovered strip; what
// the screen then shows must be what a full repaint at the new position shows.
TEST_F(GridWindow, LineScrollShowsWhatAFullRepaintShows) {
    grid.SetRows(14);
    grid.SetColumns(8);
    for (int r = 0; r < 14; ++r) grid.SetRowPixels(r, 20 + r % 3);
    for (int c = 0; c < 8; ++c) grid.SetColumnPixels(c, 45 + 3 * c);
    for (int r = 0; r < 14; ++r)
        for (int c = 0; c < 8; ++c) grid.SetCellText(r, c, FromUtf8(std::to_string(r) + ":" + std::to_string(c)));
    grid.ChangeFocusCell(4, 3);
    grid.UpdateScrollBars();
    Repaint();
    ASSERT_GT(grid.vertScrollMax, 0);
    ASSERT_GT(grid.horzScrollMax, 0);

    struct Step { UINT message; UINT code; };
    const Step steps[] = {
        {WM_VSCROLL, SB_LINEDOWN}, {WM_VSCROLL, SB_LINEDOWN}, {WM_VSCROLL, SB_LINEUP},
        {WM_HSCROLL, SB_LINERIGHT}, {WM_HSCROLL, SB_LINERIGHT}, {WM_HSCROLL, SB_LINELEFT},
        {WM_VSCROLL, SB_PAGEDOWN}, {WM_HSCROLL, SB_PAGERIGHT}, {WM_VSCROLL, SB_LINEUP},
    };
    // Straight onto the screen too: the pixels must not depend on the way.
    std::vector<COLORREF> offscreen;
    for (const BOOL buffered : {TRUE, FALSE}) {
        grid.doubleBuffered = buffered;
        grid.SendMessage(WM_VSCROLL, SB_TOP, 0);
        grid.SendMessage(WM_HSCROLL, SB_LEFT, 0);
        Repaint();
        if (buffered) offscreen = ClientPixels(screen, grid);
        else EXPECT_TRUE(offscreen == ClientPixels(screen, grid)) << "a paint without the off-screen bitmap";
        for (const Step& s : steps) {
            const int before = grid.ScrollPosition(s.message == WM_VSCROLL ? SB_VERT : SB_HORZ);
            grid.SendMessage(s.message, s.code, 0);
            ASSERT_NE(grid.ScrollPosition(s.message == WM_VSCROLL ? SB_VERT : SB_HORZ), before) << s.code;
            screen.RunUntilIdle();
            const std::vector<COLORREF> scrolled = ClientPixels(screen, grid);
            Repaint();
            EXPECT_TRUE(scrolled == ClientPixels(screen, grid))
                << "message " << s.message << " code " << s.code << " buffered " << buffered;
        }
    }
}

}  // namespace

namespace {

// When both bars come at once, each takes room from the other's area: the
// pages must be those of the client area that is left, however the bars came.
TEST_F(GridWindow, PagesFollowTheRoomLeftWhenBothBarsAppear) {
    auto expectPages = [&](const char* how) {
        CRect client;
        grid.GetClientRect(&client);
        ASSERT_LT(client.right, 300) << how << ": the vertical bar is shown";
        ASSERT_LT(client.bottom, 200) << how << ": the horizontal bar is shown";
        SCROLLINFO h, v;
        ASSERT_TRUE(grid.GetScrollInfo(SB_HORZ, &h, SIF_ALL));
        ASSERT_TRUE(grid.GetScrollInfo(SB_VERT, &v, SIF_ALL));
        EXPECT_EQ(int(h.nPage), client.right - grid.FixedColumnsWidth()) << how;
        EXPECT_EQ(int(v.nPage), client.bottom - grid.FixedRowsHeight()) << how;
        EXPECT_EQ(h.nMax, grid.TotalWidth() - grid.FixedColumnsWidth() - 1) << how;
        EXPECT_EQ(v.nMax, grid.TotalHeight() - grid.FixedRowsHeight() - 1) << how;
    };
    // One update finds the grid too wide and too high.
    grid.redrawEnabled = FALSE;
    grid.SetRows(14);
    grid.SetColumns(8);
    for (int r = 0; r < 14; ++r) grid.SetRowPixels(r, 20);
    for (int c = 0; c < 8; ++c) grid.SetColumnPixels(c, 50);
    grid.redrawEnabled = TRUE;
    grid.UpdateScrollBars();
    expectPages("one update");

    // A resize that makes both bars needed, from a window where neither was.
    grid.MoveWindow(0, 0, 420, 300);
    screen.RunUntilIdle();
    ASSERT_EQ(grid.vertScrollMax, 0);
    ASSERT_EQ(grid.horzScrollMax, 0);
    grid.MoveWindow(0, 0, 300, 200);
    screen.RunUntilIdle();
    expectPages("resize");
}

}  // namespace

namespace {

// The layout answers as the plain running sums over the sizes give them,
// written out here the long way, one step per row or column.
struct PlainLayout {
    std::vector<int> heights, widths;
    int fixedRows = 0, fixedColumns = 0;
    int vertPos = 0, horzPos = 0;
    CRect client;

    static int Sum(const std::vector<int>& v, int from, int to) {
        int s = 0;
        for (int i = from; i < to; ++i) s += v[i];
        return s;
    }
    static int First(const std::vector<int>& v, int fixed, int position) {
        int i = fixed, sum = 0;
        while (position > sum && i < int(v.size()) - 1) sum += v[i++];
        return i;
    }
    CellCoord FirstScrolled() const { return {First(heights, fixedRows, vertPos), First(widths, fixedColumns, horzPos)}; }
    // Last index shown from `first` on and the unclipped end; `reached` when the edge was met.
    static void Run(const std::vector<int>& v, int first, int start, int edge, int* last, int* end, bool* reached) {
        *last = int(v.size()) - 1;
        *end = start;
        *reached = false;
        for (int i = first; i < int(v.size()); ++i) {
            *end += v[i];
            if (*end >= edge) {
                *last = i;
                *reached = true;
                return;
            }
        }
    }
    CellBlock Visible(CRect* area) const {
        const CellCoord f = FirstScrolled();
        int lr, lc, er, ec;
        bool rr, rc;
        Run(heights, f.row, Sum(heights, 0, fixedRows), client.bottom, &lr, &er, &rr);
        Run(widths, f.col, Sum(widths, 0, fixedColumns), client.right, &lc, &ec, &rc);
        *area = CRect(0, 0, rc ? client.right : ec, rr ? client.bottom : er);
        return {f.row, f.col, lr, lc};
    }
    CellBlock FullyVisible() const {
        const CellCoord f = FirstScrolled();
        int lr, lc, er, ec;
        bool rr, rc;
        Run(heights, f.row, Sum(heights, 0, fixedRows), client.bottom, &lr, &er, &rr);
        Run(widths, f.col, Sum(widths, 0, fixedColumns), client.right, &lc, &ec, &rc);
        if (lr > 0 && er > client.bottom) --lr;
        if (lc > 0 && ec > client.right) --lc;
        return {f.row, f.col, lr, lc};
    }
    static int Origin(const std::vector<int>& v, int fixed, int first, int i) {
        return i < fixed ? Sum(v, 0, i) : Sum(v, 0, fixed) + Sum(v, first, i);
    }
    bool TopLeft(int row, int col, CPoint* p) const {
        if (row < 0 || row >= int(heights.size()) || col < 0 || col >= int(widths.size())) return false;
        const CellCoord f = FirstScrolled();
        if ((row >= fixedRows && row < f.row) || (col >= fixedColumns && col < f.col)) return false;
        *p = CPoint(Origin(widths, fixedColumns, f.col, col), Origin(heights, fixedRows, f.row, row));
        return true;
    }
    static int Hit(const std::vector<int>& v, int fixed, int first, int x, bool includeFixed) {
        if (x < 0) return -1;
        int sum = 0;
        if (x < Sum(v, 0, fixed)) {
            if (!includeFixed) return -1;
            for (int i = 0; i < fixed; ++i)
                if ((sum += v[i]) > x) return i;
            return -1;
        }
        sum = Sum(v, 0, fixed);
        for (int i = first; i < int(v.size()); ++i)
            if ((sum += v[i]) > x) return i;
        return -1;
    }
    CellCoord AtPoint(CPoint p, bool includeFixed) const {
        const CellCoord f = FirstScrolled();
        return {Hit(heights, fixedRows, f.row, p.y, includeFixed), Hit(widths, fixedColumns, f.col, p.x, includeFixed)};
    }
    static bool InView(const std::vector<int>& v, int fixed, int first, int i, int edge) {
        if (i >= fixed && i < first) return false;
        int sum = i < fixed ? 0 : Sum(v, 0, fixed);
        for (int k = i < fixed ? 0 : first; k <= i; ++k) {
            if (sum >= edge) return false;
            sum += v[k];
        }
        return true;
    }
    bool IsInView(int row, int col) const {
        const CellCoord f = FirstScrolled();
        return InView(widths, fixedColumns, f.col, col, client.right) && InView(heights, fixedRows, f.row, row, client.bottom);
    }
};

bool SameBlock(const CellBlock& a, const CellBlock& b) {
    return a.minRow == b.minRow && a.minCol == b.minCol && a.maxRow == b.maxRow && a.maxCol == b.maxCol;
}

// Random grids, with sizes of 0 among them, scrolled to random positions
// (inside rows and columns too) in windows of several sizes.
TEST_F(GridWindow, ScrolledLayoutMatchesThePlainSums) {
    top.MoveWindow(0, 0, 400, 300);
    std::mt19937 rng(11);
    auto pick = [&](int lo, int hi) { return lo + int(rng() % unsigned(hi - lo + 1)); };
    auto size = [&](int most) { return pick(0, 5) == 0 ? 0 : pick(1, most); };
    int scrolledRounds = 0;
    for (int round = 0; round < 60; ++round) {
        PlainLayout plain;
        const int rows = pick(0, 40), cols = pick(0, 12);
        grid.redrawEnabled = FALSE;
        grid.SetRows(rows);
        grid.SetColumns(cols);
        grid.SetFixedRows(std::min(rows, pick(0, 2)));
        grid.SetFixedColumns(std::min(cols, pick(0, 2)));
        plain.fixedRows = grid.fixedRowCount;
        plain.fixedColumns = grid.fixedColumnCount;
        for (int r = 0; r < rows; ++r) grid.SetRowPixels(r, size(30)), plain.heights.push_back(grid.RowPixels(r));
        for (int c = 0; c < cols; ++c) grid.SetColumnPixels(c, size(90)), plain.widths.push_back(grid.ColumnPixels(c));
        grid.redrawEnabled = TRUE;
        grid.MoveWindow(0, 0, pick(40, 380), pick(30, 280));
        grid.UpdateScrollBars();
        screen.RunUntilIdle();
        grid.SetScrollPosition(SB_VERT, grid.vertScrollMax ? pick(0, grid.vertScrollMax) : 0);
        grid.SetScrollPosition(SB_HORZ, grid.horzScrollMax ? pick(0, grid.horzScrollMax) : 0);
        plain.vertPos = grid.ScrollPosition(SB_VERT);
        plain.horzPos = grid.ScrollPosition(SB_HORZ);
        grid.GetClientRect(&plain.client);
        scrolledRounds += plain.vertPos > 0 && plain.horzPos > 0;
        const std::string where = "round " + std::to_string(round);

        ASSERT_EQ(grid.FirstScrolledCell(), plain.FirstScrolled()) << where;
        CRect area, plainArea;
        ASSERT_TRUE(SameBlock(grid.VisibleBlock(&area), plain.Visible(&plainArea))) << where;
        ASSERT_EQ(area, plainArea) << where;
        ASSERT_TRUE(SameBlock(grid.FullyVisibleBlock(), plain.FullyVisible())) << where;
        for (int r = -1; r <= rows; ++r)
            for (int c = -1; c <= cols; ++c) {
                CPoint got, want;
                const bool ok = plain.TopLeft(r, c, &want);
                ASSERT_EQ(bool(grid.CellTopLeft(r, c, &got)), ok) << where << " cell " << r << "," << c;
                if (ok) {
                    ASSERT_EQ(got, want) << where << " cell " << r << "," << c;
                }
                if (grid.IsValidCell(r, c)) {
                    ASSERT_EQ(bool(grid.IsCellInView(r, c)), plain.IsInView(r, c)) << where << " cell " << r << "," << c;
                }
            }
        for (int k = 0; k < 200; ++k) {
            const CPoint p(pick(-2, plain.client.right + 40), pick(-2, plain.client.bottom + 40));
            const bool fixed = k % 2 == 0;
            ASSERT_EQ(grid.CellAtPoint(p, fixed), plain.AtPoint(p, fixed)) << where << " point " << p.x << "," << p.y;
        }
    }
    EXPECT_GT(scrolledRounds, 10) << "most rounds scroll both ways";
}

}  // namespace

namespace {

// The off-screen context draws in the target's own coordinates and lands only
// inside the paint area, in one copy when it goes; on a printer it draws
// straight through.
TEST(OffscreenDC, DrawsInTheTargetsCoordinatesInsideTheArea) {
    for (const bool printing : {false, true}) {
        Surface surface(120, 100, 0xFFFFFF);
        CDC target(&surface, CPoint(0, 0), CRect(40, 30, 100, 80));
        target.SetPrinting(printing);
        {
            COffscreenDC dc(&target);
            EXPECT_EQ(dc.IntoMemory(), !printing);
            EXPECT_EQ(dc.Area(), CRect(40, 30, 100, 80));
            EXPECT_EQ(bool(dc.IsPrinting()), printing);
            dc.FillSolidRect(CRect(0, 0, 120, 100), RGB(0, 0, 255));
            dc.FillSolidRect(CRect(50, 40, 51, 41), RGB(255, 0, 0));
            if (!printing) {
                EXPECT_EQ(surface.GetPixel(50, 40), RGB(255, 255, 255)) << "nothing shows before the copy";
            }
        }
        EXPECT_EQ(surface.GetPixel(50, 40), RGB(255, 0, 0)) << printing;
        EXPECT_EQ(surface.GetPixel(40, 30), RGB(0, 0, 255)) << printing;
        EXPECT_EQ(surface.GetPixel(99, 79), RGB(0, 0, 255)) << printing;
        EXPECT_EQ(surface.GetPixel(39, 50), RGB(255, 255, 255)) << printing;
        EXPECT_EQ(surface.GetPixel(100, 50), RGB(255, 255, 255)) << printing;
        EXPECT_EQ(surface.GetPixel(60, 80), RGB(255, 255, 255)) << printing;
    }
}

}  // namespace

namespace {

// A change repainted through RepaintCell alone must leave the screen as a
// full repaint leaves it: the cell, its own grid lines, the heading's edge.
TEST_F(GridWindow, RepaintCellShowsWhatAFullRepaintShows) {
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 4; ++c) grid.SetCellText(r, c, u"cell");
    Repaint();
    struct Case { const char* what; GridLineMode lines; int row, column; std::function<void()> change; };
    const Case cases[] = {
        {"own back colour", LinesBoth, 3, 2, [&] { grid.SetCellBackColor(3, 2, RGB(200, 0, 0)); }},
        {"selected", LinesBoth, 2, 3, [&] { grid.SetCellState(2, 3, StateSelected); }},
        {"focused", LinesBoth, 4, 1, [&] { grid.SetCellState(4, 1, StateFocused); }},
        {"text, vertical lines", LinesVertical, 1, 2, [&] { grid.SetCellText(1, 2, u"WWWWWWWWWWWW"); }},
        {"back colour, horizontal lines", LinesHorizontal, 5, 3, [&] { grid.SetCellBackColor(5, 3, RGB(0, 90, 0)); }},
        {"heading text", LinesBoth, 0, 2, [&] { grid.SetCellText(0, 2, u"Title"); }},
        {"row heading colour", LinesBoth, 3, 0, [&] { grid.SetCellBackColor(3, 0, RGB(0, 0, 120)); }},
    };
    for (const Case& c : cases) {
        grid.gridLines = c.lines;
        Repaint();
        c.change();
        ASSERT_TRUE(grid.RepaintCell(c.row, c.column)) << c.what;
        screen.RunUntilIdle();
        const std::vector<COLORREF> repainted = ClientPixels(screen, grid);
        Repaint();
        EXPECT_TRUE(repainted == ClientPixels(screen, grid)) << c.what;
    }
}

}  // namespace

namespace {

// Requests at the start, at the reachable end of a line, or with no row or
// column to step back to, move nothing and repaint nothing.
TEST_F(GridWindow, ScrollRequestsWithNothingToDoRepaintNothing) {
    grid.SetRows(14);
    grid.SetColumns(8);
    for (int r = 0; r < 14; ++r) grid.SetRowPixels(r, 20);
    for (int c = 0; c < 8; ++c) grid.SetColumnPixels(c, 50);
    grid.UpdateScrollBars();
    auto reachable = [&](int bar) {
        SCROLLINFO si;
        grid.GetScrollInfo(bar, &si, SIF_ALL);
        return si.nMax - int(si.nPage) + 1;
    };
    struct Case { UINT message; UINT code; int start; const char* what; };
    auto run = [&](const Case& c) {
        const int bar = c.message == WM_VSCROLL ? SB_VERT : SB_HORZ;
        grid.SetScrollPosition(SB_VERT, 0);
        grid.SetScrollPosition(SB_HORZ, 0);
        grid.SetScrollPosition(bar, c.start);
        ASSERT_EQ(grid.ScrollPosition(bar), c.start) << c.what;
        screen.RunUntilIdle();
        grid.SendMessage(c.message, c.code, 0);
        EXPECT_EQ(grid.ScrollPosition(bar), c.start) << c.what;
        CRect update;
        EXPECT_FALSE(grid.GetUpdateRect(&update)) << c.what;
    };
    const Case atTheEnds[] = {
        {WM_VSCROLL, SB_LINEUP, 0, "line up at the top"},
        {WM_VSCROLL, SB_PAGEUP, 0, "page up at the top"},
        {WM_VSCROLL, SB_TOP, 0, "top at the top"},
        {WM_VSCROLL, SB_LINEDOWN, reachable(SB_VERT), "line down at the last reachable position"},
        {WM_VSCROLL, SB_ENDSCROLL, 40, "end of scrolling"},
        {WM_HSCROLL, SB_LINELEFT, 0, "line left at the left"},
        {WM_HSCROLL, SB_PAGELEFT, 0, "page left at the left"},
        {WM_HSCROLL, SB_LEFT, 0, "left at the left"},
        {WM_HSCROLL, SB_LINERIGHT, reachable(SB_HORZ), "line right at the last reachable position"},
        {WM_HSCROLL, SB_ENDSCROLL, 50, "end of scrolling"},
    };
    for (const Case& c : atTheEnds) run(c);

    // One non-fixed row and column, each larger than the view: the bars keep
    // the ranges they had, a position inside them shows that row and column
    // first, and there is none before it to step back to.
    grid.redrawEnabled = FALSE;
    grid.SetRows(2);
    grid.SetColumns(2);
    grid.SetRowPixels(1, 500);
    grid.SetColumnPixels(1, 400);
    grid.redrawEnabled = TRUE;
    grid.UpdateScrollBars();
    Repaint();
    ASSERT_GT(grid.vertScrollMax, 50);
    ASSERT_GT(grid.horzScrollMax, 50);
    run({WM_VSCROLL, SB_LINEUP, 50, "line up with no non-fixed row above the view"});
    run({WM_HSCROLL, SB_LINELEFT, 50, "line left with no non-fixed column left of the view"});
}

}  // namespace

namespace {

// Records what each thumb-tracking message did to the view.
class ThumbRecordingGrid : public CGridCtrl {
public:
    struct Track { int position; bool rowChanged; bool dirtyBefore; bool dirtyAfter; CRect update; };
    std::vector<Track> tracks;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_VSCROLL || LOWORD(wParam) != SB_THUMBTRACK) return CGridCtrl::WindowProc(message, wParam, lParam);
        Track t;
        CRect update;
        t.dirtyBefore = GetUpdateRect(&update);
        const int row = FirstScrolledCell().row;
        const LRESULT result = CGridCtrl::WindowProc(message, wParam, lParam);
        t.position = ScrollPosition(SB_VERT);
        t.rowChanged = FirstScrolledCell().row != row;
        t.dirtyAfter = GetUpdateRect(&t.update);
        tracks.push_back(t);
        return result;
    }
};
using ThumbWindow = GridWindowOf<ThumbRecordingGrid>;

// Dragging the thumb a pixel at a time: a position that keeps the first
// shown row repaints nothing, one that shows another row first repaints the
// whole area below the fixed rows.
TEST_F(ThumbWindow, TrackingRepaintsOnlyWhenTheFirstRowChanges) {
    grid.SetRows(14);
    for (int r = 0; r < 14; ++r) grid.SetRowPixels(r, 20);
    grid.UpdateScrollBars();
    Repaint();
    CRect client;
    grid.GetClientRect(&client);
    ASSERT_EQ(client.bottom, 200) << "no horizontal bar";
    ASSERT_LT(client.right, 300) << "a vertical bar";
    // The bar lies right of the client area; its thumb starts below the top arrow.
    const int x = kLeft + (client.right + 300) / 2;
    const int y = kTop + GetSystemMetrics(SM_CYVSCROLL) + 3;
    // The moves run inside the bar's own loop, each once the last one's
    // repaint is done.
    screen.Move(x, y);
    for (int dy = 1; dy <= 40; ++dy) screen.Step([&, dy] { screen.Move(x, y + dy); });
    screen.Step([&] { screen.Release(); });
    screen.Press();

    int kept = 0, changed = 0;
    for (const ThumbRecordingGrid::Track& t : grid.tracks) {
        if (t.dirtyBefore) continue;   // a repaint still pending says nothing
        EXPECT_EQ(t.dirtyAfter, t.rowChanged) << "position " << t.position;
        if (t.rowChanged) {
            EXPECT_EQ(t.update, CRect(0, grid.FixedRowsHeight(), client.right, client.bottom)) << t.position;
        }
        (t.rowChanged ? changed : kept) += 1;
    }
    EXPECT_GT(kept, 5) << "positions inside the rows above the first shown one";
    EXPECT_GT(changed, 1);
    EXPECT_GT(grid.ScrollPosition(SB_VERT), 20) << "the drag moved the view";
}

}  // namespace

namespace {

// A cell's image sits at the top-left of its text area (inside the margin,
// and inside the edge of a heading); the text starts past it.
TEST_F(GridWindow, ImagesSitAtTheTopLeftOfTheTextArea) {
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR32, 1, 1));
    ASSERT_EQ(images.Add(Surface(16, 16, 0xFF0000)), 0);   // surface pixels are 0xRRGGBB: red
    grid.imageList = &images;
    const int m = grid.cellMargin;
    struct Case { int row, column; int inset; const char* what; };
    const Case cases[] = {
        {3, 2, 0, "a normal cell"},
        {0, 2, 1, "a heading, inside its edge"},
    };
    for (const Case& c : cases) {
        GridItemInfo info;
        info.row = c.row;
        info.column = c.column;
        info.mask = MaskImage;
        info.image = 0;
        ASSERT_TRUE(grid.SetCellInfo(&info));
        Repaint();
        CRect cell;
        ASSERT_TRUE(grid.CellBounds(c.row, c.column, &cell));
        const CPoint at(cell.left + c.inset + m, cell.top + c.inset);
        EXPECT_EQ(At(at.x, at.y), RGB(255, 0, 0)) << c.what;
        EXPECT_EQ(At(at.x + 15, at.y + 15), RGB(255, 0, 0)) << c.what;
        EXPECT_NE(At(at.x - 1, at.y + 8), RGB(255, 0, 0)) << c.what;
        EXPECT_NE(At(at.x + 16, at.y + 8), RGB(255, 0, 0)) << c.what;
    }
    // The text of a cell with an image begins past the image and a margin.
    grid.SetCellText(3, 2, u"H");
    Repaint();
    CRect cell;
    ASSERT_TRUE(grid.CellBounds(3, 2, &cell));
    int firstInk = 1000;
    for (int y = cell.top; y < cell.bottom; ++y)
        for (int x = cell.left; x < cell.right; ++x)
            if (At(x, y) != GetSysColor(COLOR_WINDOW) && At(x, y) != RGB(255, 0, 0))
                firstInk = std::min(firstInk, x - cell.left);
    ASSERT_LT(firstInk, 1000) << "the text is drawn";
    EXPECT_GE(firstInk, m + 16 + 1 + m);
    grid.imageList = nullptr;
}

}  // namespace
