// The grid as a window on the headless screen: scroll ranges and line
// scrolling, and the painting rules read back as screen pixels.
#include <gtest/gtest.h>

#include "grid/gridctrl.h"
#include "platform/gfx/syscolors.h"
#include "platform/win/headless_screen.h"

namespace {

constexpr int kLeft = 10, kTop = 10;   // the top-level window on the screen

class GridWindow : public ::testing::Test {
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
    CGridCtrl grid;
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
