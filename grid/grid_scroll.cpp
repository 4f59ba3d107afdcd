// Scrolling: the scroll bars' ranges and pages, the line, page, thumb and end
// moves of the two scroll messages, resizing and bringing a cell into view.
#include <algorithm>

#include "grid/gridctrl.h"

namespace {
// One guard for the whole program, so a resize that resizes again is not re-entered.
bool g_inOnSize = false;
}  // namespace

int CGridCtrl::ScrollPosition(int bar, BOOL tracking) const {
    if (!GetSafeHwnd()) return 0;
    SCROLLINFO si;
    si.fMask = tracking ? SIF_TRACKPOS : SIF_POS;
    if (!GetScrollInfo(bar, &si, si.fMask)) return 0;
    return tracking ? si.nTrackPos : si.nPos;
}

BOOL CGridCtrl::SetScrollPosition(int bar, int position, BOOL redraw) {
    if (!GetSafeHwnd()) return FALSE;
    SCROLLINFO si;
    si.fMask = SIF_POS;
    si.nPos = position;
    SetScrollInfo(bar, &si, redraw);
    return TRUE;
}

namespace {

bool SameBar(const SCROLLINFO& now, int page, int maxPos) {
    return now.nPage == UINT(page) && now.nMin == 0 && now.nMax == maxPos;
}

// One round of the bar settings for the client area as it is now: both pages
// without redraw, then the vertical range and the horizontal range with it.
// A range that shows or hides a bar resizes the client area and may update
// the bars again from inside; the range set after that takes the maximum as
// that inner update left it. Settings a bar already holds are not set again:
// the diary fits every row after each change, and each fit comes here.
// Returns false when there is nothing to scroll into (the bars stay).
bool SetBarsOnce(CGridCtrl& grid, const CRect& client) {
    const int W = grid.FixedColumnsWidth();
    const int H = grid.FixedRowsHeight();
    if (client.left + W >= client.right || client.top + H >= client.bottom) return false;
    if (!grid.IsValidBlock(grid.FullyVisibleBlock())) return false;

    const int horzPage = client.right - W;
    const int vertPage = client.bottom - H;
    const int scrolledHeight = grid.TotalHeight() - H;
    const int scrolledWidth = grid.TotalWidth() - W;
    grid.vertScrollMax = vertPage < scrolledHeight ? scrolledHeight - 1 : 0;
    grid.horzScrollMax = horzPage < scrolledWidth ? scrolledWidth - 1 : 0;

    SCROLLINFO h, v;
    const bool hRead = grid.GetScrollInfo(SB_HORZ, &h, SIF_RANGE | SIF_PAGE);
    const bool vRead = grid.GetScrollInfo(SB_VERT, &v, SIF_RANGE | SIF_PAGE);
    if (hRead && vRead && SameBar(h, horzPage, grid.horzScrollMax) && SameBar(v, vertPage, grid.vertScrollMax))
        return true;

    SCROLLINFO si;
    auto setPage = [&](int bar, int page) {
        SCROLLINFO now;
        if (grid.GetScrollInfo(bar, &now, SIF_PAGE) && now.nPage == UINT(page)) return false;
        si.fMask = SIF_PAGE;
        si.nPage = UINT(page);
        grid.SetScrollInfo(bar, &si, FALSE);
        return true;
    };
    // A bar whose page was set is redrawn by its range, even an unchanged one.
    auto setRange = [&](int bar, int maxPos, bool pageSet) {
        SCROLLINFO now;
        if (!pageSet && grid.GetScrollInfo(bar, &now, SIF_RANGE) && now.nMin == 0 && now.nMax == maxPos) return;
        si.fMask = SIF_RANGE;
        si.nMin = 0;
        si.nMax = maxPos;
        grid.SetScrollInfo(bar, &si, TRUE);
    };
    const bool hPageSet = setPage(SB_HORZ, horzPage);
    const bool vPageSet = setPage(SB_VERT, vertPage);
    setRange(SB_VERT, grid.vertScrollMax, vPageSet);
    setRange(SB_HORZ, grid.horzScrollMax, hPageSet);
    return true;
}

}  // namespace

void CGridCtrl::UpdateScrollBars() {
    if (!redrawEnabled || !GetSafeHwnd()) return;
    // A bar that comes or goes takes room from the other bar's area; the
    // resize it causes is not always heard (OnSize may be running already),
    // so the bars are set again until the client area they were set for
    // stays; three rounds are enough for both bars to settle.
    for (int round = 0; round < 3; ++round) {
        CRect client;
        GetClientRect(&client);
        if (!SetBarsOnce(*this, client)) return;
        CRect now;
        GetClientRect(&now);
        if (now == client) return;
    }
}

void CGridCtrl::OnVScroll(UINT code, UINT, CWnd*) {
    if (GetFocus() != this) SetFocus();
    // FIXME: hide the title tip here once title tips exist.
    const int p = ScrollPosition(SB_VERT);
    const CellCoord first = FirstScrolledCell();
    CRect client;
    GetClientRect(&client);
    const int H = FixedRowsHeight();
    CRect below(client.left, H, client.right, client.bottom);

    switch (code) {
    case SB_LINEDOWN: {
        if (p >= vertScrollMax) return;
        const int h = RowPixels(first.row);
        SetScrollPosition(SB_VERT, p + h, TRUE);
        if (ScrollPosition(SB_VERT) == p) return;
        CRect moving(client.left, H + h, client.right, client.bottom);
        ScrollWindow(0, -h, &moving, nullptr);
        CRect strip(client.left, client.bottom - h, client.right, client.bottom);
        InvalidateRect(&strip, TRUE);
        break;
    }
    case SB_LINEUP: {
        if (p <= 0 || first.row <= fixedRowCount) return;
        const int h = RowPixels(first.row - 1);
        SetScrollPosition(SB_VERT, std::max(p - h, 0), TRUE);
        CRect moving(client.left, H, client.right, client.bottom);
        ScrollWindow(0, h, &moving, nullptr);
        CRect strip(client.left, H, client.right, H + h);
        InvalidateRect(&strip, TRUE);
        break;
    }
    case SB_PAGEDOWN:
        if (p >= vertScrollMax) return;
        SetScrollPosition(SB_VERT, std::min(vertScrollMax, p + client.bottom - H), TRUE);
        InvalidateRect(&below, TRUE);
        break;
    case SB_PAGEUP:
        if (p <= 0) return;
        SetScrollPosition(SB_VERT, std::max(0, p - (client.bottom - H)), TRUE);
        InvalidateRect(&below, TRUE);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        SetScrollPosition(SB_VERT, ScrollPosition(SB_VERT, TRUE), TRUE);
        if (FirstScrolledCell().row == first.row) return;
        InvalidateRect(&below, TRUE);
        break;
    case SB_TOP:
        if (p <= 0) return;
        SetScrollPosition(SB_VERT, 0, TRUE);
        Invalidate(TRUE);
        break;
    case SB_BOTTOM:
        if (p >= vertScrollMax) return;
        SetScrollPosition(SB_VERT, vertScrollMax, TRUE);
        Invalidate(TRUE);
        break;
    default:
        break;
    }
}

void CGridCtrl::OnHScroll(UINT code, UINT, CWnd*) {
    if (GetFocus() != this) SetFocus();
    // FIXME: hide the title tip here once title tips exist.
    const int p = ScrollPosition(SB_HORZ);
    const CellCoord first = FirstScrolledCell();
    CRect client;
    GetClientRect(&client);
    const int W = FixedColumnsWidth();
    CRect beside(W, client.top, client.right, client.bottom);

    switch (code) {
    case SB_LINERIGHT: {
        if (p >= horzScrollMax) return;
        const int w = ColumnPixels(first.col);
        SetScrollPosition(SB_HORZ, p + w, TRUE);
        if (ScrollPosition(SB_HORZ) == p) return;
        CRect moving(W + w, client.top, client.right, client.bottom);
        ScrollWindow(-w, 0, &moving, nullptr);
        CRect strip(client.right - w, client.top, client.right, client.bottom);
        InvalidateRect(&strip, TRUE);
        break;
    }
    case SB_LINELEFT: {
        if (p <= 0 || first.col <= fixedColumnCount) return;
        const int w = ColumnPixels(first.col - 1);
        SetScrollPosition(SB_HORZ, std::max(p - w, 0), TRUE);
        CRect moving(W, client.top, client.right, client.bottom);
        ScrollWindow(w, 0, &moving, nullptr);
        CRect strip(W, client.top, W + w, client.bottom);
        InvalidateRect(&strip, TRUE);
        break;
    }
    case SB_PAGERIGHT:
        if (p >= horzScrollMax) return;
        SetScrollPosition(SB_HORZ, std::min(horzScrollMax, p + client.right - W), TRUE);
        InvalidateRect(&beside, TRUE);
        break;
    case SB_PAGELEFT:
        if (p <= 0) return;
        SetScrollPosition(SB_HORZ, std::max(0, p - (client.right - W)), TRUE);
        InvalidateRect(&beside, TRUE);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        SetScrollPosition(SB_HORZ, ScrollPosition(SB_HORZ, TRUE), TRUE);
        if (FirstScrolledCell().col == first.col) return;
        InvalidateRect(&beside, TRUE);
        break;
    case SB_LEFT:
        if (p <= 0) return;
        SetScrollPosition(SB_HORZ, 0, TRUE);
        Invalidate(TRUE);
        break;
    case SB_RIGHT:
        if (p >= horzScrollMax) return;
        SetScrollPosition(SB_HORZ, horzScrollMax, TRUE);
        Invalidate(TRUE);
        break;
    default:
        break;
    }
}

void CGridCtrl::OnSize(UINT, int, int) {
    if (g_inOnSize || !GetSafeHwnd()) return;
    g_inOnSize = true;
    SetFocus();
    Default();
    UpdateScrollBars();
    g_inOnSize = false;
}

void CGridCtrl::ScrollCellIntoView(int row, int column) {
    const CellBlock view = VisibleBlock();
    if (column > view.maxCol) {
        for (int i = 0; i < column - view.maxCol; ++i) SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
    } else if (column < view.minCol) {
        for (int i = 0; i < view.minCol - column; ++i) SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
    }
    if (row > view.maxRow) {
        for (int i = 0; i < row - view.maxRow; ++i) SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    } else if (row < view.minRow) {
        for (int i = 0; i < view.minRow - row; ++i) SendMessage(WM_VSCROLL, SB_LINEUP, 0);
    }
    CRect cell, client;
    if (!CellBounds(row, column, &cell)) return;
    GetClientRect(&client);
    if (cell.right > client.right) SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
    if (cell.bottom > client.bottom) SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
}
