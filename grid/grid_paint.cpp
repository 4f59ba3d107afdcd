// Painting: WM_PAINT through the off-screen context, the background areas,
// fixed and normal cells, grid lines, and single-cell repaints.
#include <algorithm>

#include "grid/gridctrl.h"
#include "grid/offscreendc.h"
#include "platform/gfx/syscolors.h"

void CGridCtrl::OnPaint() {
    CPaintDC paint(this);
    if (!doubleBuffered) {
        PaintGrid(&paint);
        return;
    }
    COffscreenDC dc(&paint);
    dc.FillSolidRect(dc.Area(), paint.GetBkColor());
    PaintGrid(&dc);
}

BOOL CGridCtrl::OnEraseBkgnd(CDC*) {
    return TRUE;   // every paint covers its whole area
}

void CGridCtrl::PaintBackground(CDC* dc) {
    CRect clip;
    if (dc->GetClipBox(&clip) == RGN_ERROR) return;
    CRect area;
    VisibleBlock(&area);
    const int W = FixedColumnsWidth();
    const int H = FixedRowsHeight();
    if (clip.left < W && clip.top < area.bottom)
        dc->FillSolidRect(CRect(clip.left, clip.top, W, area.bottom), fixedBackColor);
    if (clip.top < H && clip.right > W && clip.left < area.right)
        dc->FillSolidRect(CRect(W - 1, clip.top, area.right, H), fixedBackColor);
    CRect cells = area.intersected(clip);
    if (!cells.IsRectEmpty()) {
        cells.left = std::max(cells.left, W);
        cells.top = std::max(cells.top, H);
        if (!cells.IsRectEmpty()) dc->FillSolidRect(cells, textBackColor);
    }
    if (area.right < clip.right)
        dc->FillSolidRect(CRect(area.right, clip.top, clip.right, clip.bottom), outsideBackColor);
    if (area.bottom < clip.bottom && clip.left < area.right)
        dc->FillSolidRect(CRect(clip.left, area.bottom, area.right, clip.bottom), outsideBackColor);
}

void CGridCtrl::PaintGrid(CDC* dc) {
    CRect clip;
    if (dc->GetClipBox(&clip) == RGN_ERROR) return;
    PaintBackground(dc);

    const int W = FixedColumnsWidth();
    const int H = FixedRowsHeight();
    const CellCoord first = FirstScrolledCell();
    CRect area;
    const CellBlock block = VisibleBlock(&area);

    // Corner: no clip test, sizes accumulated from (0, 0).
    CRect rect;
    rect.bottom = -1;
    for (int r = 0; r < fixedRowCount; ++r) {
        rect.top = rect.bottom + 1;
        rect.bottom = rect.top + RowPixels(r) - 1;
        rect.right = -1;
        for (int c = 0; c < fixedColumnCount; ++c) {
            rect.left = rect.right + 1;
            rect.right = rect.left + ColumnPixels(c) - 1;
            PaintFixedCell(dc, r, c, rect, FALSE);
        }
    }

    // Walks rows [rowFrom, rowTo] from top y0 and columns [colFrom, colTo]
    // from left x0, skipping what lies outside the clip box.
    auto walk = [&](int rowFrom, int rowTo, int y0, int colFrom, int colTo, int x0, auto&& paint) {
        CRect r;
        r.bottom = y0 - 1;
        for (int row = rowFrom; row <= rowTo; ++row) {
            r.top = r.bottom + 1;
            r.bottom = r.top + RowPixels(row) - 1;
            if (r.top > clip.bottom) break;
            if (r.bottom < clip.top) continue;
            r.right = x0 - 1;
            for (int col = colFrom; col <= colTo; ++col) {
                r.left = r.right + 1;
                r.right = r.left + ColumnPixels(col) - 1;
                if (r.left > clip.right) break;
                if (r.right < clip.left) continue;
                paint(row, col, r);
            }
        }
    };
    auto fixedCell = [&](int row, int col, const CRect& r) { PaintFixedCell(dc, row, col, r, FALSE); };
    walk(first.row, block.maxRow, H, 0, fixedColumnCount - 1, 0, fixedCell);
    walk(0, fixedRowCount - 1, 0, first.col, block.maxCol, W, fixedCell);
    walk(first.row, block.maxRow, H, first.col, block.maxCol, W,
         [&](int row, int col, const CRect& r) { PaintCell(dc, row, col, r, FALSE); });

    CPen pen;
    if (!pen.CreatePen(PS_SOLID, 0, gridLineColor)) return;
    CPen* old = dc->SelectObject(&pen);
    if (gridLines == LinesBoth || gridLines == LinesVertical) {
        int x = W;
        for (int col = first.col; col <= block.maxCol; ++col) {
            x += ColumnPixels(col);
            dc->MoveTo(x - 1, H);
            dc->LineTo(x - 1, area.bottom);
        }
    }
    if (gridLines == LinesBoth || gridLines == LinesHorizontal) {
        int y = H;
        for (int row = first.row; row <= block.maxRow; ++row) {
            y += RowPixels(row);
            dc->MoveTo(W, y - 1);
            dc->LineTo(area.right, y - 1);
        }
    }
    dc->SelectStockObject(NULL_PEN);
    (void)old;
    pen.DeleteObject();
}

BOOL CGridCtrl::PaintFixedCell(CDC* dc, int row, int column, CRect rect, BOOL) {
    if (!redrawEnabled) return FALSE;
    GridItemInfo info;
    info.row = row;
    info.column = column;
    info.mask = MaskText | MaskImage | MaskBackColor | MaskTextColor | MaskFormat;
    if (!GetCellInfo(&info)) return FALSE;

    if (!dc->IsPrinting())
        dc->FillSolidRect(rect, info.backColor == CLR_DEFAULT ? fixedBackColor : info.backColor);
    dc->SetTextColor(info.textColor == CLR_DEFAULT ? fixedTextColor : info.textColor);
    CDCStateScope state(*dc);

    // Semibold asks only that the row or the column match the focus cell's;
    // the sunken edge wants a focus cell that exists.
    const bool inFocusLine = row == focusCell.row || column == focusCell.col;
    CFont* font = m_fonts.Get(*GetCellFont(row, column), inFocusLine);
    if (font) dc->SelectObject(font);

    if (!IsValidCell(focusCell) || !inFocusLine) {
        CPen light(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
        CPen dark(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW));
        CPen* oldPen = dc->SelectObject(&light);
        dc->MoveTo(rect.right, rect.top);
        dc->LineTo(rect.left, rect.top);
        dc->LineTo(rect.left, rect.bottom);
        dc->SelectObject(&dark);
        dc->MoveTo(rect.right, rect.top);
        dc->LineTo(rect.right, rect.bottom);
        dc->LineTo(rect.left, rect.bottom);
        if (oldPen) dc->SelectObject(oldPen);
        rect.DeflateRect(1, 1);
    } else {
        rect.right += 1;
        rect.bottom += 1;
        dc->DrawEdge(&rect, BDR_SUNKENINNER, BF_RECT);
        rect.DeflateRect(1, 1);
    }

    dc->SetBkMode(TRANSPARENT);
    rect.DeflateRect(cellMargin, 0);
    IMAGEINFO ii;
    if (imageList && info.image >= 0 && imageList->GetImageInfo(info.image, &ii)) {
        imageList->Draw(dc, info.image, rect.TopLeft(), ILD_NORMAL);
        rect.left += cellMargin + (ii.rcImage.right - ii.rcImage.left) + 1;
    }
    dc->DrawText(info.text.c_str(), -1, &rect, info.format);
    return TRUE;
}

BOOL CGridCtrl::PaintCell(CDC* dc, int row, int column, CRect rect, BOOL) {
    if (!redrawEnabled) return FALSE;
    GridItemInfo info;
    info.row = row;
    info.column = column;
    info.mask = MaskText | MaskImage | MaskState | MaskBackColor | MaskTextColor | MaskFormat;
    if (!GetCellInfo(&info)) return FALSE;
    const COLORREF back = info.backColor == CLR_DEFAULT ? textBackColor : info.backColor;
    const COLORREF text = info.textColor == CLR_DEFAULT ? textColor : info.textColor;

    CDCStateScope state(*dc);
    dc->SetBkMode(TRANSPARENT);
    const bool printing = dc->IsPrinting();
    const CRect enlarged(rect.left, rect.top, rect.right + 1, rect.bottom + 1);
    if ((info.state & StateFocused) && !printing) {
        dc->FillSolidRect(enlarged, back);
        dc->SelectStockObject(BLACK_PEN);
        dc->SelectStockObject(NULL_BRUSH);
        dc->Rectangle(rect);
        dc->SetTextColor(text);
        rect.DeflateRect(1, 1);
    } else if ((info.state & StateSelected) && !printing) {
        dc->FillSolidRect(enlarged, GetSysColor(COLOR_HIGHLIGHT));
        dc->SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
        // A printer context gets no background fills.
        if (!printing) dc->FillSolidRect(enlarged, back);
        dc->SetTextColor(text);
    }
    if ((info.state & StateDropTarget) && !printing) {
        dc->SelectStockObject(BLACK_PEN);
        dc->SelectStockObject(NULL_BRUSH);
        dc->Rectangle(rect);
    }
    if (CFont* font = m_fonts.Get(*GetCellFont(row, column), false)) dc->SelectObject(font);
    rect.DeflateRect(cellMargin, 0);
    IMAGEINFO ii;
    if (imageList && info.image >= 0 && imageList->GetImageInfo(info.image, &ii)) {
        imageList->Draw(dc, info.image, rect.TopLeft(), ILD_NORMAL);
        rect.left += cellMargin + (ii.rcImage.right - ii.rcImage.left) + 1;
    }
    dc->DrawText(info.text.c_str(), -1, &rect, info.format);
    return TRUE;
}

BOOL CGridCtrl::RepaintCell(int row, int column, CDC* dc) {
    if (!redrawEnabled || !IsCellInView(row, column)) return FALSE;
    CRect rect;
    if (!CellBounds(row, column, &rect)) return FALSE;
    CDC* own = nullptr;
    if (!dc) {
        own = GetDC();
        if (!own) {
            CRect r(rect.left, rect.top, rect.right + 1, rect.bottom + 1);
            InvalidateRect(&r, TRUE);
            return TRUE;
        }
        dc = own;
    }
    BOOL result;
    if (row < fixedRowCount || column < fixedColumnCount) {
        result = PaintFixedCell(dc, row, column, rect, TRUE);
    } else {
        result = PaintCell(dc, row, column, rect, TRUE);
        CPen pen;
        if (pen.CreatePen(PS_SOLID, 0, gridLineColor)) {
            CPen* old = dc->SelectObject(&pen);
            if (gridLines == LinesBoth || gridLines == LinesHorizontal) {
                dc->MoveTo(rect.left, rect.bottom);
                dc->LineTo(rect.right + 1, rect.bottom);
            }
            if (gridLines == LinesBoth || gridLines == LinesVertical) {
                dc->MoveTo(rect.right, rect.top);
                dc->LineTo(rect.right, rect.bottom + 1);
            }
            if (old) dc->SelectObject(old);
            pen.DeleteObject();
        }
    }
    if (own) ReleaseDC(own);
    return result;
}

BOOL CGridCtrl::InvalidateCell(CellCoord cell) {
    if (!GetSafeHwnd() || !redrawEnabled || !IsCellInView(cell.row, cell.col)) return FALSE;
    CRect rect;
    if (!CellBounds(cell, &rect)) return FALSE;
    CRect r(rect.left, rect.top, rect.right + 1, rect.bottom + 1);
    InvalidateRect(&r, TRUE);
    return TRUE;
}
