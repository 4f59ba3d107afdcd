// Focus, selection and the notifications the grid sends its owner.
#include <algorithm>
#include <vector>

#include "grid/gridctrl.h"

LRESULT CGridCtrl::SendCellNotify(int row, int column, int code) {
    if (!GetSafeHwnd()) return 0;
    GridCellNotify n;
    n.hdr.hwndFrom = GetSafeHwnd();
    n.hdr.idFrom = UINT_PTR(GetDlgCtrlID());
    n.hdr.code = UINT(code);
    n.row = row;
    n.column = column;
    CWnd* target = GetOwner();
    if (!target) target = GetParent();
    if (!target) return 0;
    return target->SendMessage(WM_NOTIFY, n.hdr.idFrom, reinterpret_cast<LPARAM>(&n));
}

// The headings beside a cell: the fixed-row cells of its column when the
// column changed, the fixed-column cells of its row when the row changed.
void CGridCtrl::RepaintHeadings(CellCoord cell, bool rowChanged, bool columnChanged) {
    if (columnChanged)
        for (int r = 0; r < fixedRowCount; ++r) RepaintCell(r, cell.col);
    if (rowChanged)
        for (int c = 0; c < fixedColumnCount; ++c) RepaintCell(cell.row, c);
}

CellCoord CGridCtrl::ChangeFocusCell(int row, int column) {
    const CellCoord next(row, column);
    if (next == focusCell) return focusCell;
    const CellCoord old = focusCell;
    focusCell = next;
    const bool rowChanged = old.row != next.row;
    const bool columnChanged = old.col != next.col;
    if (IsValidCell(old)) {
        SendCellNotify(old.row, old.col, GVN_FOCUSLEAVING);
        SetCellState(old.row, old.col, GetCellState(old.row, old.col) & ~UINT(StateFocused));
        RepaintCell(old);
        RepaintHeadings(old, rowChanged, columnChanged);
    }
    if (IsValidCell(next)) {
        SetCellState(next.row, next.col, GetCellState(next.row, next.col) | StateFocused);
        RepaintCell(next);
        RepaintHeadings(next, rowChanged, columnChanged);
        SendCellNotify(next.row, next.col, GVN_FOCUSARRIVED);
    }
    return old;
}

void CGridCtrl::SelectRange(int minRow, int minColumn, int maxRow, int maxColumn, BOOL redrawNow) {
    if (!selectionEnabled) return;
    const CellBlock block{minRow, minColumn, maxRow, maxColumn};
    const bool valid = IsValidBlock(block);
    CDC* dc = redrawNow && GetSafeHwnd() ? GetDC() : nullptr;
    auto redraw = [&](int r, int c) {
        if (redrawNow) RepaintCell(r, c, dc);
        else InvalidateCell(CellCoord(r, c));
    };

    // The map changes while it is walked, so walk a copy of its cells.
    std::vector<CellCoord> previous;
    previous.reserve(selectedCells.size());
    for (const auto& entry : selectedCells) previous.push_back(entry.second);
    for (const CellCoord& cell : previous) {
        SetCellState(cell.row, cell.col, GetCellState(cell.row, cell.col) & ~UINT(StateSelected));
        if (!valid || !block.Contains(cell.row, cell.col)) redraw(cell.row, cell.col);
    }
    // An entry whose cell had lost its bit (state written through SetCellInfo)
    // would otherwise stay for good and name a cell nobody selected.
    if (!selectedCells.empty()) selectedCells.clear();   // clear() of an empty map still wipes its buckets
    if (!singleRowSelection) {
        for (const auto& entry : savedSelection) {
            const CellCoord cell = entry.second;
            SetCellState(cell.row, cell.col, GetCellState(cell.row, cell.col) | StateSelected);
            redraw(cell.row, cell.col);
        }
    }
    if (valid) {
        for (int r = minRow; r <= maxRow; ++r) {
            for (int c = minColumn; c <= maxColumn; ++c) {
                const UINT state = GetCellState(r, c);
                if (state & StateSelected) continue;
                SetCellState(r, c, state | StateSelected);
                redraw(r, c);
            }
        }
    }
    if (dc) ReleaseDC(dc);
}

void CGridCtrl::SelectEveryCell() {
    if (!selectionEnabled) return;
    SelectRange(fixedRowCount, fixedColumnCount, rowCount - 1, columnCount - 1, FALSE);
}

void CGridCtrl::ExtendSelection(CellCoord cell) {
    if (!selectionEnabled) return;
    const CellCoord a = selectionStartCell;
    switch (mouseMode) {
    case ModeSelectAll:
        SelectEveryCell();
        break;
    case ModeSelectColumns:
        if (!IsValidCell(cell) || cell.col < fixedColumnCount) return;
        SelectRange(fixedRowCount, std::min(a.col, cell.col), rowCount - 1, std::max(a.col, cell.col), FALSE);
        break;
    case ModeSelectRows: {
        if (!IsValidCell(cell) || cell.row < fixedRowCount) return;
        const bool single = listMode && singleRowSelection;
        const int lo = single ? cell.row : std::min(a.row, cell.row);
        const int hi = single ? cell.row : std::max(a.row, cell.row);
        SelectRange(lo, fixedColumnCount, hi, columnCount - 1, FALSE);
        break;
    }
    case ModeSelectCells:
        if (!IsValidCell(cell) || cell.row < fixedRowCount || cell.col < fixedColumnCount) return;
        SelectRange(std::min(a.row, cell.row), std::min(a.col, cell.col), std::max(a.row, cell.row),
                    std::max(a.col, cell.col), FALSE);
        break;
    default:
        break;
    }
}

CellBlock CGridCtrl::GetSelectionBounds() const {
    CellBlock b{rowCount, columnCount, -1, -1};
    for (const auto& entry : selectedCells) {
        const CellCoord c = entry.second;
        b.minRow = std::min(b.minRow, c.row);
        b.minCol = std::min(b.minCol, c.col);
        b.maxRow = std::max(b.maxRow, c.row);
        b.maxCol = std::max(b.maxCol, c.col);
    }
    return b;
}

// Selection entries name cells by position. When rows or columns are
// inserted or removed the cells move, so their entries move with them;
// otherwise the diary's Delete would act on records nobody selected.
static void ShiftMap(CellMap& map, bool byRow, int at, int delta) {
    if (map.empty()) return;
    CellMap moved;
    moved.reserve(map.size());
    for (const auto& entry : map) {
        CellCoord cell = entry.second;
        int& index = byRow ? cell.row : cell.col;
        if (delta < 0 && index >= at && index < at - delta) continue;   // its cell went
        if (index >= at) index += delta;
        moved.emplace(MakeCellKey(cell.row, cell.col), cell);
    }
    map.swap(moved);
}

void CGridCtrl::ShiftSelection(bool byRow, int at, int delta) {
    ShiftMap(selectedCells, byRow, at, delta);
    ShiftMap(savedSelection, byRow, at, delta);
}

void CGridCtrl::ClearSelection() {
    SelectRange(-1, -1, -1, -1, FALSE);
    ChangeFocusCell(-1, -1);
}
