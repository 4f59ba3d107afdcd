// Layout: sizes of rows, columns and the fixed area, the first scrolled cell,
// the visible blocks, cell rectangles, hit testing and fitting to content.
//
// Every answer equals the plain running sums over the size arrays; the sums
// themselves come from CSizeList (prefix sums and searches) so that a paint
// or a scroll costs the same at 100,000 rows as at 100.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "grid/gridctrl.h"

namespace {

// Where a run of rows (or columns) starting at `first` reaches `clientEdge`:
// the index of the row that reaches or passes it and that row's end, or the
// last row and its end when the rows run out first.
struct RunEnd {
    int last;
    long long end;   // unclipped end coordinate of `last`
    bool reached;    // the edge was reached or passed
};

RunEnd EndOfRun(const CSizeList& sizes, int count, int first, int start, int clientEdge) {
    if (first >= count) return {count - 1, start, false};
    const long long base = sizes.prefix(first);
    const long long target = base + (long long)clientEdge - start;
    const int j = sizes.lowerBoundPrefix(target, first + 1, count);
    if (sizes.prefix(j) >= target) return {j - 1, start + sizes.prefix(j) - base, true};
    return {count - 1, start + sizes.total() - base, false};
}

// The first scrolled index: past `fixed` by the whole sizes the position
// covers, a position inside one yielding the next, never past count - 1.
int FirstScrolled(const CSizeList& sizes, int fixed, int count, int position) {
    if (fixed >= count - 1 || position <= 0) return fixed;
    return sizes.lowerBoundPrefix(sizes.prefix(fixed) + position, fixed, count - 1);
}

// The index whose cumulative end, counted from `from` at `start`, first
// exceeds x; -1 past the last index.
int IndexAt(const CSizeList& sizes, int from, int count, int start, int x) {
    if (from >= count) return -1;
    const long long target = sizes.prefix(from) + (long long)(x - start) + 1;
    const int j = sizes.lowerBoundPrefix(target, from + 1, count);
    return sizes.prefix(j) >= target ? j - 1 : -1;
}

}  // namespace

int CGridCtrl::RowPixels(int row) const {
    return row >= 0 && row < rowCount ? rowHeights.at(row) : -1;
}

int CGridCtrl::ColumnPixels(int column) const {
    return column >= 0 && column < columnCount ? columnWidths.at(column) : -1;
}

BOOL CGridCtrl::SetRowPixels(int row, int height) {
    if (row < 0 || row >= rowCount || height < 0) return FALSE;
    rowHeights.set(row, height);
    return TRUE;
}

BOOL CGridCtrl::SetColumnPixels(int column, int width) {
    if (column < 0 || column >= columnCount || width < 0) return FALSE;
    columnWidths.set(column, width);
    return TRUE;
}

int CGridCtrl::FixedRowsHeight() const { return int(rowHeights.prefix(fixedRowCount)); }
int CGridCtrl::FixedColumnsWidth() const { return int(columnWidths.prefix(fixedColumnCount)); }
int CGridCtrl::TotalHeight() const { return int(rowHeights.total()); }
int CGridCtrl::TotalWidth() const { return int(columnWidths.total()); }

CellCoord CGridCtrl::FirstScrolledCell() const {
    return CellCoord(FirstScrolled(rowHeights, fixedRowCount, rowCount, ScrollPosition(SB_VERT)),
                     FirstScrolled(columnWidths, fixedColumnCount, columnCount, ScrollPosition(SB_HORZ)));
}

CellBlock CGridCtrl::VisibleBlock(CRect* area) const {
    CRect client;
    if (GetSafeHwnd()) GetClientRect(&client);
    const CellCoord first = FirstScrolledCell();
    const RunEnd r = EndOfRun(rowHeights, rowCount, first.row, FixedRowsHeight(), client.bottom);
    const RunEnd c = EndOfRun(columnWidths, columnCount, first.col, FixedColumnsWidth(), client.right);
    if (area) {
        *area = CRect(0, 0, c.reached ? client.right : int(c.end), r.reached ? client.bottom : int(r.end));
    }
    return CellBlock{first.row, first.col, r.last, c.last};
}

CellBlock CGridCtrl::FullyVisibleBlock() const {
    CRect client;
    if (GetSafeHwnd()) GetClientRect(&client);
    const CellCoord first = FirstScrolledCell();
    RunEnd r = EndOfRun(rowHeights, rowCount, first.row, FixedRowsHeight(), client.bottom);
    RunEnd c = EndOfRun(columnWidths, columnCount, first.col, FixedColumnsWidth(), client.right);
    if (r.last > 0 && r.end > client.bottom) --r.last;
    if (c.last > 0 && c.end > client.right) --c.last;
    return CellBlock{first.row, first.col, r.last, c.last};
}

BOOL CGridCtrl::CellTopLeft(int row, int column, CPoint* point) const {
    if (!IsValidCell(row, column)) return FALSE;
    const CellCoord first = FirstScrolledCell();
    if ((row >= fixedRowCount && row < first.row) || (column >= fixedColumnCount && column < first.col))
        return FALSE;
    CPoint p;
    p.x = column < fixedColumnCount ? int(columnWidths.prefix(column))
                                    : FixedColumnsWidth() + int(columnWidths.range(first.col, column));
    p.y = row < fixedRowCount ? int(rowHeights.prefix(row))
                              : FixedRowsHeight() + int(rowHeights.range(first.row, row));
    if (point) *point = p;
    return TRUE;
}

BOOL CGridCtrl::CellBounds(int row, int column, CRect* rect) const {
    CPoint p;
    if (!CellTopLeft(row, column, &p)) return FALSE;
    if (rect) *rect = CRect(p.x, p.y, p.x + ColumnPixels(column) - 1, p.y + RowPixels(row) - 1);
    return TRUE;
}

BOOL CGridCtrl::CellTextBounds(int row, int column, CRect* rect) {
    GridItemInfo info;
    info.row = row;
    info.column = column;
    info.mask = MaskImage;
    CRect r;
    if (!GetCellInfo(&info) || !CellBounds(row, column, &r)) return FALSE;
    IMAGEINFO ii;
    if (imageList && info.image >= 0 && imageList->GetImageInfo(info.image, &ii))
        r.left += cellMargin + (ii.rcImage.right - ii.rcImage.left) + 1;
    if (rect) *rect = r;
    return TRUE;
}

CellCoord CGridCtrl::CellAtPoint(CPoint point, BOOL includeFixed) const {
    const CellCoord first = FirstScrolledCell();
    const int W = FixedColumnsWidth();
    const int H = FixedRowsHeight();
    CellCoord cell;
    if (point.x < 0) cell.col = -1;
    else if (point.x < W) cell.col = includeFixed ? IndexAt(columnWidths, 0, fixedColumnCount, 0, point.x) : -1;
    else cell.col = IndexAt(columnWidths, first.col, columnCount, W, point.x);
    if (point.y < 0) cell.row = -1;
    else if (point.y < H) cell.row = includeFixed ? IndexAt(rowHeights, 0, fixedRowCount, 0, point.y) : -1;
    else cell.row = IndexAt(rowHeights, first.row, rowCount, H, point.y);
    return cell;
}

BOOL CGridCtrl::IsCellInView(int row, int column) const {
    if (!GetSafeHwnd()) return FALSE;
    // The sums only grow along the row, so the corner's own position decides.
    CPoint p;
    if (!CellTopLeft(row, column, &p)) return FALSE;
    CRect client;
    GetClientRect(&client);
    return p.x < client.right && p.y < client.bottom;
}

// A check of everything a measurement depends on besides the device: the
// text, the font, the semibold flag, the margin and the image's size.
static UINT MeasureCheck(const CString& text, UINT font, bool fixed, int cellMargin, int imageCx, int imageCy) {
    // Four code units per step: this runs for every cell of every fit.
    uint64_t h = 0x9E3779B97F4A7C15ULL ^ text.size();
    auto mix = [&h](uint64_t v) {
        h = (h ^ v) * 0xBF58476D1CE4E5B9ULL;
        h ^= h >> 29;
    };
    const char16_t* p = text.data();
    size_t n = text.size();
    for (; n >= 4; n -= 4, p += 4) {
        uint64_t v;
        std::memcpy(&v, p, sizeof v);
        mix(v);
    }
    uint64_t tail = 0;
    std::memcpy(&tail, p, n * sizeof(char16_t));
    mix(tail);
    mix((uint64_t(font) << 32) | (fixed ? 1u : 2u));
    mix((uint64_t(uint32_t(cellMargin)) << 32) | uint32_t(imageCx));
    mix(uint32_t(imageCy));
    const UINT folded = UINT(h ^ (h >> 32));
    return folded ? folded : 1;
}

CSize CGridCtrl::MeasureCell(int row, int column, CDC* dc) {
    if (!dc) return CSize();
    CCellData* cell = CellAt(row, column);
    const bool fixed = row < fixedRowCount || column < fixedColumnCount;
    const CString text = GetCellText(row, column);
    IMAGEINFO ii;
    const int image = cell ? cell->image : -1;
    const bool hasImage = imageList && image >= 0 && imageList->GetImageInfo(image, &ii);
    const int imageCx = hasImage ? ii.rcImage.right - ii.rcImage.left + 1 : -1;
    const int imageCy = hasImage ? ii.rcImage.bottom - ii.rcImage.top + 1 : -1;

    // Screen contexts measure alike; a printer context is never cached.
    UINT check = 0;
    if (cell && !dc->IsPrinting() && dc->GetMapMode() == MM_TEXT) {
        check = MeasureCheck(text, cell->font, fixed, cellMargin, imageCx, imageCy);
        if (cell->measureCheck == check)
            return CSize(int(cell->measuredSize & 0xFFFF), int(cell->measuredSize >> 16));
    }

    CFont* font = cell ? m_fonts.Get(cell->font, fixed) : m_fonts.Get(logFont, fixed);
    CFont* old = font && dc->GetCurrentFont() != font ? dc->SelectObject(font) : nullptr;
    const CSize extent = dc->GetTextExtent(text);
    if (old) dc->SelectObject(old);
    CSize size(extent.cx + 4 * cellMargin, extent.cy + 2 * cellMargin);
    if (hasImage) {
        size.cx += imageCx;
        size.cy = std::max(size.cy, imageCy);
    }
    if (check && size.cx >= 0 && size.cy >= 0 && size.cx <= 0xFFFF && size.cy <= 0xFFFF) {
        cell->measureCheck = check;
        cell->measuredSize = UINT(size.cx) | (UINT(size.cy) << 16);
    }
    return size;
}

CDC* CGridCtrl::MeasuringDC() {
    // Measuring needs the window's context, so a grid whose window is gone
    // measures nothing, kept context or not.
    if (!GetSafeHwnd()) return nullptr;
    if (!m_measureReady) {
        CDC* dc = GetDC();
        if (!dc) return nullptr;
        m_measureReady = m_measureDC.CreateCompatibleDC(dc);
        ReleaseDC(dc);
        if (!m_measureReady) return nullptr;
    }
    return &m_measureDC;
}

CSize CGridCtrl::MeasureHeading(const CString& text, BOOL semibold) {
    CFont* font = semibold ? m_fonts.Get(m_fonts.Intern(logFont), true) : (gridFont.IsNull() ? nullptr : &gridFont);
    CSize extent;
    if (font) {
        CDC* dc = MeasuringDC();
        if (!dc) return CSize();
        if (dc->GetCurrentFont() != font) dc->SelectObject(font);
        extent = dc->GetTextExtent(text);
    } else {
        // No font of its own yet: the window context's default font.
        CDC* dc = GetSafeHwnd() ? GetDC() : nullptr;
        if (!dc) return CSize();
        extent = dc->GetTextExtent(text);
        ReleaseDC(dc);
    }
    return CSize(extent.cx + 2 * cellMargin, extent.cy + 2 * cellMargin);
}

BOOL CGridCtrl::FitColumn(int column) {
    if (column < 0 || column >= columnCount) return FALSE;
    CDC* dc = GetSafeHwnd() ? GetDC() : nullptr;
    if (!dc) return FALSE;
    int width = 0;
    // Down a column the texts lie far apart; fetch a few rows ahead.
    constexpr int kAhead = 8;
    for (int r = 0; r < rowCount; ++r) {
        if (r + kAhead < rowCount)
            if (const CCellData* next = CellAt(r + kAhead, column)) next->text.Prefetch();
        width = std::max(width, int(MeasureCell(r, column, dc).cx));
    }
    SetColumnPixels(column, width);
    ReleaseDC(dc);
    UpdateScrollBars();
    return TRUE;
}

BOOL CGridCtrl::FitRow(int row) {
    if (row < 0 || row >= rowCount) return FALSE;
    CDC* dc = GetSafeHwnd() ? GetDC() : nullptr;
    if (!dc) return FALSE;
    int height = 0;
    for (int c = 0; c < columnCount; ++c) height = std::max(height, int(MeasureCell(row, c, dc).cy));
    SetRowPixels(row, height);
    ReleaseDC(dc);
    UpdateScrollBars();
    return TRUE;
}

// What FitColumn does for each column from 0 up, with every cell measured in
// one pass along the rows: a column at a time walks the whole grid's memory
// once per column.
void CGridCtrl::FitAllColumns() {
    if (columnCount <= 0) return;
    CDC* dc = GetSafeHwnd() ? GetDC() : nullptr;
    if (!dc) return;
    std::vector<int> widths(size_t(columnCount), 0);
    constexpr int kAhead = 2;
    for (int r = 0; r < rowCount; ++r) {
        PrefetchRowTexts(r + kAhead);
        for (int c = 0; c < columnCount; ++c)
            widths[c] = std::max(widths[c], int(MeasureCell(r, c, dc).cx));
    }
    ReleaseDC(dc);
    for (int c = 0; c < columnCount; ++c) {
        SetColumnPixels(c, widths[c]);
        UpdateScrollBars();
    }
}

// What FitRow does for each row from 0 up, with one device context for all.
void CGridCtrl::FitAllRows() {
    if (rowCount <= 0) return;
    CDC* dc = GetSafeHwnd() ? GetDC() : nullptr;
    if (!dc) return;
    constexpr int kAhead = 2;
    for (int r = 0; r < rowCount; ++r) {
        PrefetchRowTexts(r + kAhead);
        int height = 0;
        for (int c = 0; c < columnCount; ++c) height = std::max(height, int(MeasureCell(r, c, dc).cy));
        SetRowPixels(r, height);
        UpdateScrollBars();
    }
    ReleaseDC(dc);
}

void CGridCtrl::PrefetchRowTexts(int row) const {
    if (row < 0 || row >= rowCount) return;
    if (const CCellRow* cells = rows[row])
        for (const CCellData* cell : *cells)
            if (cell) cell->text.Prefetch();
}
