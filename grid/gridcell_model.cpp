// The grid's cell model: construction, the window class and creation, fonts,
// system colours, counts, insertion and removal, and the cell accessors.
//
// Index: cell pool · construction and the window · fonts and colours ·
// counts · insertion and removal · cells · message dispatch.
#include <cstdlib>
#include <cstring>
#include <functional>

#include "grid/gridctrl.h"
#include "platform/gfx/syscolors.h"
#include "platform/shell/settings.h"
#include "platform/win/user.h"

// ---------------------------------------------------------------- cell pool
// Cells of the grid's own type come from fixed-size slots; freed slots are
// reused. When the last cell goes, the slots are handed out again in address
// order, so a grid filled anew walks its memory in order rather than in the
// order the old cells were freed. Single UI thread, so no locking. Subclasses
// of other sizes use the ordinary heap.
namespace {

struct CellPool {
    struct Slot { Slot* next; };
    static constexpr size_t kPerBlock = 4096;
    Slot* free = nullptr;
    size_t freeListSlots = 0;
    size_t slotSize = 0;
    size_t live = 0;
    std::vector<char*> blocks;
    size_t bumpBlock = 0;   // slots before (bumpBlock, bumpIndex) have been handed out
    size_t bumpIndex = 0;

    void* take(size_t size) {
        ++live;
        if (free) {
            Slot* s = free;
            free = s->next;
            --freeListSlots;
            return s;
        }
        if (bumpIndex == kPerBlock) {
            ++bumpBlock;
            bumpIndex = 0;
        }
        if (bumpBlock == blocks.size()) {
            char* block = static_cast<char*>(std::malloc(size * kPerBlock));
            if (!block) throw std::bad_alloc();
            blocks.push_back(block);
            slotSize = size;
        }
        return blocks[bumpBlock] + bumpIndex++ * size;
    }
    void give(void* p) {
        if (--live == 0) {
            free = nullptr;
            freeListSlots = 0;
            bumpBlock = bumpIndex = 0;
            return;
        }
        Slot* s = static_cast<Slot*>(p);
        s->next = free;
        free = s;
        ++freeListSlots;
    }
    size_t freeBytes() const {
        const size_t handedOut = bumpBlock * kPerBlock + bumpIndex;
        return (freeListSlots + blocks.size() * kPerBlock - handedOut) * slotSize;
    }
};

CellPool& Pool() {
    static CellPool* pool = new CellPool();   // lives for the whole run: cells may outlive statics
    return *pool;
}

}  // namespace

// Under the address sanitizer every cell is its own allocation, so a use
// after free is caught rather than hidden by slot reuse.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPoolCells = false;
#else
constexpr bool kPoolCells = true;
#endif

void* CCellData::operator new(std::size_t size) {
    if (!kPoolCells || size != sizeof(CCellData)) return ::operator new(size);
    return Pool().take(size);
}

void CCellData::operator delete(void* p, std::size_t size) {
    if (!p) return;
    if (!kPoolCells || size != sizeof(CCellData)) {
        ::operator delete(p);
        return;
    }
    Pool().give(p);
}

size_t CCellData::PoolFreeBytes() {
    return Pool().freeBytes();
}

// ---------------------------------------------------------------- construction and the window
static const char16_t kGridClassName[] = u"GridCtrl";

CGridCtrl::CGridCtrl(int rows, int columns, int fixedRows, int fixedColumns) {
    RegisterGridClass();
    // FIXME: OLE initialisation belongs to the clipboard and drag-and-drop
    // work; until its stand-in exists the grid never initialises OLE itself
    // and oleInitialized stays FALSE.
    rememberedSysColors[0] = GetSysColor(COLOR_WINDOWTEXT);
    rememberedSysColors[1] = GetSysColor(COLOR_WINDOW);
    rememberedSysColors[2] = GetSysColor(COLOR_BTNFACE);
    rememberedSysColors[3] = GetSysColor(COLOR_BTNSHADOW);
    wheelScrollLines = ReadWheelScrollLines();
    logFont = GetDesktopMessageFont();

    SetRows(rows);
    SetColumns(columns);
    SetFixedRows(fixedRows);
    SetFixedColumns(fixedColumns);

    textColor = rememberedSysColors[0];
    textBackColor = rememberedSysColors[1];
    fixedTextColor = rememberedSysColors[0];
    fixedBackColor = rememberedSysColors[2];
    outsideBackColor = rememberedSysColors[3];
    selectedCells.clear();
    savedSelection.clear();
    lastClickedCell = CellCoord();
}

CGridCtrl::~CGridCtrl() {
    RemoveAllCells();
    if (GetSafeHwnd()) DestroyWindow();
    gridFont.DeleteObject();
}

CWnd* CGridCtrl::CreateObject() {
    CGridCtrl* grid = new CGridCtrl();
    grid->m_bAutoDelete = true;
    return grid;
}

BOOL CGridCtrl::RegisterGridClass() {
    WNDCLASS wc;
    HINSTANCE instance = AfxGetInstanceHandle();
    if (GetClassInfo(instance, kGridClassName, &wc)) return TRUE;
    wc = WNDCLASS{};
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(std::intptr_t(COLOR_3DFACE + 1));
    wc.lpszClassName = kGridClassName;
    wc.pfnCreateObject = &CGridCtrl::CreateObject;
    // A failed registration leaves the grid usable without a window class;
    // Create then fails and reports it.
    return RegisterClass(&wc);
}

BOOL CGridCtrl::Create(const CRect& rect, CWnd* parent, UINT id, DWORD style) {
    m_fontApplied = false;
    // The class may not exist yet if the grid was built before the window system started.
    RegisterGridClass();
    if (!CWnd::Create(kGridClassName, u"", style, rect, parent, id)) return FALSE;
    if (!m_fontApplied) ApplyLogFont();
    // FIXME: the drop target and the title tip window come with the
    // drag-and-drop and title-tip work.
    rowHeights.clear();
    rowHeights.resize(rowCount, defaultRowHeight);
    columnWidths.clear();
    columnWidths.resize(columnCount, defaultColumnWidth);
    UpdateScrollBars();
    return TRUE;
}

void CGridCtrl::PreSubclassWindow() {
    CWnd::PreSubclassWindow();
    ApplyLogFont();
    UpdateScrollBars();
}

void CGridCtrl::ApplyLogFont() {
    m_fontApplied = true;
    CFont font;
    if (!font.CreateFontIndirect(&logFont)) return;
    OnSetFont(WPARAM(font.GetSafeHandle()), 0);
    font.DeleteObject();
}

// ---------------------------------------------------------------- fonts and colours
LRESULT CGridCtrl::OnSetFont(WPARAM wParam, LPARAM lParam) {
    LRESULT result = GetSafeHwnd() ? DefWindowProc(WM_SETFONT, wParam, lParam) : 0;
    LOGFONT lf;
    if (GetObject(reinterpret_cast<HGDIOBJ>(wParam), sizeof(LOGFONT), &lf) == 0) return result;
    logFont = lf;
    const UINT shared = m_fonts.Intern(logFont);
    ForEachCell([shared](CCellData* cell, int, int) {
        cell->font = shared;
        cell->ForgetMeasure();
    });

    if (CDC* dc = GetSafeHwnd() ? GetDC() : nullptr) {
        m_measureDC.DeleteDC();   // it may hold the font about to go
        m_measureReady = false;
        gridFont.DeleteObject();
        gridFont.CreateFontIndirect(&logFont);
        CFont* old = dc->SelectObject(&gridFont);
        TEXTMETRIC tm;
        dc->GetTextMetrics(&tm);
        cellMargin = dc->GetTextExtent(u" ").cx;
        defaultRowHeight = tm.tmExternalLeading + 2 * cellMargin + tm.tmHeight;
        defaultColumnWidth = 2 * (cellMargin + 6 * tm.tmAveCharWidth);
        if (old) dc->SelectObject(old);
        ReleaseDC(dc);
    }
    if (GetSafeHwnd()) Invalidate(TRUE);
    return result;
}

LRESULT CGridCtrl::OnGetFont() {
    return LRESULT(gridFont.GetSafeHandle());
}

void CGridCtrl::OnSysColorChange() {
    const COLORREF windowText = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    if (textColor == rememberedSysColors[0]) textColor = windowText;
    if (fixedTextColor == rememberedSysColors[0]) fixedTextColor = windowText;
    if (textBackColor == rememberedSysColors[1]) textBackColor = window;
    if (fixedBackColor == rememberedSysColors[2]) fixedBackColor = face;
    if (outsideBackColor == rememberedSysColors[3]) outsideBackColor = shadow;
    rememberedSysColors[0] = windowText;
    rememberedSysColors[1] = window;
    rememberedSysColors[2] = face;
    rememberedSysColors[3] = shadow;
}

int CGridCtrl::ReadWheelScrollLines() {
    CString value;
    if (!settings::ReadValue(u"Control Panel\\Desktop", u"WheelScrollLines", &value)) return 3;
    // The value is read into a buffer of 256 bytes; longer data cannot be read.
    if ((value.size() + 1) * sizeof(char16_t) > 256) return 3;
    // Base-10 text: leading white space, an optional sign, digits; the rest is ignored.
    size_t i = 0;
    while (i < value.size() && (value[i] == u' ' || (value[i] >= u'\t' && value[i] <= u'\r'))) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == u'-' || value[i] == u'+')) negative = value[i++] == u'-';
    long long n = 0;
    for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) {
        n = n * 10 + (value[i] - u'0');
        if (n > 0x7FFFFFFF) n = 0x7FFFFFFF;
    }
    return int(negative ? -n : n);
}

// ---------------------------------------------------------------- counts
void CGridCtrl::DestroyCell(CCellData* cell, int row, int column) {
    if (!cell) return;
    ClearCell(cell, row, column);
    delete cell;
}

// The diary removes the same row again and again, and each row is a chain of
// pointers (row, its cell list, the cells, their texts). Fetching each link a
// step ahead for the rows that will move up into this one lets the chains of
// coming removals load while this one runs.
void CGridCtrl::PrefetchRowsBelow(int row) const {
    const int n = int(rows.size());
    if (row + 4 < n) __builtin_prefetch(rows[row + 4]);
    if (row + 3 < n && rows[row + 3]) __builtin_prefetch(rows[row + 3]->data());
    if (row + 2 < n && rows[row + 2])
        for (const CCellData* cell : *rows[row + 2]) __builtin_prefetch(cell);
    if (row + 1 < n && rows[row + 1])
        for (const CCellData* cell : *rows[row + 1])
            if (cell) cell->text.Prefetch();
}

void CGridCtrl::DestroyRow(CCellRow* row, int rowIndex) {
    if (!row) return;
    // Ask for every text of the row at once, so their fetches from memory
    // overlap instead of each cell waiting for its own.
    for (CCellData* cell : *row)
        if (cell) cell->text.Prefetch();
    // A cell's slot is emptied once it is gone, so a ClearCell of a later
    // cell never reaches it.
    for (int c = 0; c < int(row->size()); ++c) {
        DestroyCell((*row)[c], rowIndex, c);
        (*row)[c] = nullptr;
    }
    delete row;
}

void CGridCtrl::ForEachCell(const std::function<void(CCellData*, int, int)>& fn) {
    for (int r = 0; r < int(rows.size()); ++r) {
        CCellRow* row = rows[r];
        if (!row) continue;
        for (int c = 0; c < int(row->size()); ++c)
            if ((*row)[c]) fn((*row)[c], r, c);
    }
}

BOOL CGridCtrl::SetRows(int n) {
    if (n < 0) n = 0;
    if (n == rowCount) return TRUE;
    if (n < fixedRowCount) fixedRowCount = n;
    if (focusCell.row >= n) ChangeFocusCell(-1, -1);
    const int old = rowCount;
    if (n < old) {
        for (int r = n; r < old; ++r) {
            DestroyRow(rows[r], r);
            rows[r] = nullptr;
        }
        ShiftSelection(true, n, n - old);
    }
    rowCount = n;
    rows.resize(n, nullptr);
    rowHeights.resize(n, defaultRowHeight);
    for (int r = old; r < n; ++r) {
        CCellRow* row = new CCellRow(columnCount, nullptr);
        rows[r] = row;
        for (int c = 0; c < columnCount; ++c) (*row)[c] = NewCell(r, c);
    }
    if (GetSafeHwnd() && redrawEnabled) {
        UpdateScrollBars();
        Invalidate(TRUE);
    }
    return TRUE;
}

BOOL CGridCtrl::SetColumns(int n) {
    if (n < 0) n = 0;
    if (n == columnCount) return TRUE;
    if (n < fixedColumnCount) fixedColumnCount = n;
    if (focusCell.col >= n) ChangeFocusCell(-1, -1);
    const int old = columnCount;
    if (n < old) {
        for (int r = 0; r < int(rows.size()); ++r) {
            CCellRow* row = rows[r];
            if (!row) continue;
            for (int c = n; c < int(row->size()); ++c) {
                DestroyCell((*row)[c], r, c);
                (*row)[c] = nullptr;
            }
        }
        ShiftSelection(false, n, n - old);
    }
    columnCount = n;
    columnWidths.resize(n, defaultColumnWidth);
    for (CCellRow* row : rows)
        if (row) row->resize(n, nullptr);
    if (n > old) {
        for (int r = 0; r < int(rows.size()); ++r) {
            CCellRow* row = rows[r];
            if (!row) continue;
            for (int c = old; c < n; ++c) (*row)[c] = NewCell(r, c);
        }
    }
    if (GetSafeHwnd() && redrawEnabled) {
        UpdateScrollBars();
        Invalidate(TRUE);
    }
    return TRUE;
}

BOOL CGridCtrl::SetFixedRows(int n) {
    if (n < 0) n = 0;
    if (rowCount < n && !SetRows(n)) return FALSE;
    if (focusCell.row >= 0 && focusCell.row < n) ChangeFocusCell(-1, -1);
    fixedRowCount = n;
    if (GetSafeHwnd() && redrawEnabled) Invalidate(TRUE);
    return TRUE;
}

BOOL CGridCtrl::SetFixedColumns(int n) {
    if (n < 0) n = 0;
    if (columnCount < n && !SetColumns(n)) return FALSE;
    if (focusCell.col >= 0 && focusCell.col < n) ChangeFocusCell(-1, -1);
    fixedColumnCount = n;
    if (GetSafeHwnd() && redrawEnabled) Invalidate(TRUE);
    return TRUE;
}

// ---------------------------------------------------------------- insertion and removal
int CGridCtrl::AddColumn(const CString& heading, UINT format, int index) {
    if (index >= 0 && index >= columnCount) return -1;
    ClearSelection();
    if (rowCount < 1) SetRows(1);
    const bool append = index < 0;
    if (append) index = columnCount;
    columnWidths.insert(index, 0);
    for (int r = 0; r < int(rows.size()); ++r) {
        CCellRow* row = rows[r];
        if (!row) return -1;
        row->insert(row->begin() + index, nullptr);
        (*row)[index] = NewCell(r, index);
    }
    ++columnCount;
    if (!append) ShiftSelection(false, index, 1);
    SetCellText(0, index, heading);
    for (int r = 0; r < rowCount; ++r) SetCellFormat(r, index, format);
    SetColumnPixels(index, MeasureHeading(heading, TRUE).cx);
    if (focusCell.col != -1 && index < focusCell.col) ++focusCell.col;
    UpdateScrollBars();
    return index;
}

int CGridCtrl::AddRow(const CString& heading, int index) {
    if (index >= 0 && index >= rowCount) return -1;
    ClearSelection();
    if (columnCount <= 0) SetColumns(1);
    const bool append = index < 0;
    if (append) index = rowCount;
    rowHeights.insert(index, 0);
    CCellRow* row = new CCellRow(columnCount, nullptr);
    rows.insert(rows.begin() + index, row);
    ++rowCount;
    if (!append) ShiftSelection(true, index, 1);
    for (int c = 0; c < columnCount; ++c) (*row)[c] = NewCell(index, c);
    SetCellText(index, 0, heading);
    SetRowPixels(index, MeasureHeading(heading, TRUE).cy);
    if (focusCell.row != -1 && index < focusCell.row) ++focusCell.row;
    UpdateScrollBars();
    return index;
}

BOOL CGridCtrl::RemoveColumn(int column) {
    if (column < 0 || column >= columnCount) return FALSE;
    ClearSelection();
    for (int r = 0; r < int(rows.size()); ++r) {
        CCellRow* row = rows[r];
        if (!row) return FALSE;
        if (column < int(row->size())) {
            DestroyCell((*row)[column], r, column);
            row->erase(row->begin() + column);
        }
    }
    columnWidths.erase(column);
    --columnCount;
    ShiftSelection(false, column, -1);
    if (column < fixedColumnCount) --fixedColumnCount;
    if (column == focusCell.col) focusCell = CellCoord();
    else if (column < focusCell.col) --focusCell.col;
    UpdateScrollBars();
    return TRUE;
}

BOOL CGridCtrl::RemoveRow(int row) {
    if (row < 0 || row >= rowCount) return FALSE;
    if (!rows[row]) return FALSE;
    ClearSelection();
    PrefetchRowsBelow(row);
    DestroyRow(rows[row], row);
    rows.erase(rows.begin() + row);
    rowHeights.erase(row);
    --rowCount;
    ShiftSelection(true, row, -1);
    if (row < fixedRowCount) --fixedRowCount;
    if (row == focusCell.row) focusCell = CellCoord();
    else if (row < focusCell.row) --focusCell.row;
    UpdateScrollBars();
    return TRUE;
}

BOOL CGridCtrl::RemoveAllCells() {
    ClearSelection();
    columnWidths.clear();
    rowHeights.clear();
    for (int r = 0; r < int(rows.size()); ++r) {
        DestroyRow(rows[r], r);
        rows[r] = nullptr;
    }
    rows.clear();
    ShiftSelection(true, 0, -rowCount);
    focusCell = CellCoord();
    rowCount = fixedRowCount = columnCount = fixedColumnCount = 0;
    UpdateScrollBars();
    return TRUE;
}

// ---------------------------------------------------------------- cells
CCellData* CGridCtrl::CellAt(int row, int column) const {
    if (!IsValidCell(row, column)) return nullptr;
    const CCellRow* r = rows[row];
    if (!r || column >= int(r->size())) return nullptr;
    return (*r)[column];
}

CCellData* CGridCtrl::NewCell(int row, int column) {
    CCellData* cell = new CCellData();
    if (row >= 1 && column < columnCount) cell->format = GetCellFormat(row - 1, column);
    cell->font = m_fonts.Intern(logFont);
    return cell;
}

void CGridCtrl::ClearCell(CCellData* cell, int row, int column) {
    if (!cell) return;
    SetCellState(row, column, 0);
    cell->text.clear();
}

BOOL CGridCtrl::IsValidBlock(const CellBlock& b) const {
    return b.minRow >= 0 && b.minCol >= 0 && b.maxRow >= 0 && b.maxCol >= 0 && b.maxRow < rowCount &&
           b.maxCol < columnCount && b.maxRow >= b.minRow && b.maxCol >= b.minCol;
}

CString CGridCtrl::GetCellText(int row, int column) {
    const CCellData* cell = CellAt(row, column);
    return cell ? cell->text.str() : CString();
}

BOOL CGridCtrl::GetCellInfo(GridItemInfo* info) {
    if (!info) return FALSE;
    CCellData* cell = CellAt(info->row, info->column);
    if (!cell) return FALSE;
    const UINT m = info->mask;
    if (m & MaskText) info->text = GetCellText(info->row, info->column);
    if (m & MaskData) info->lParam = cell->lParam;
    if (m & MaskImage) info->image = cell->image;
    if (m & MaskState) info->state = cell->state;
    if (m & MaskFormat) info->format = cell->format;
    if (m & MaskBackColor) info->backColor = cell->backColor;
    if (m & MaskTextColor) info->textColor = cell->textColor;
    if (m & MaskFont) info->font = m_fonts.At(cell->font);
    return TRUE;
}

BOOL CGridCtrl::SetCellInfo(const GridItemInfo* info) {
    if (!info) return FALSE;
    CCellData* cell = CellAt(info->row, info->column);
    if (!cell) return FALSE;
    const UINT m = info->mask;
    if (m & (MaskText | MaskImage | MaskFont)) cell->ForgetMeasure();
    if (m & MaskText) cell->text.assign(info->text);
    if (m & MaskData) cell->lParam = info->lParam;
    if (m & MaskImage) cell->image = info->image;
    if (m & MaskState) cell->state = info->state;
    if (m & MaskFormat) cell->format = info->format;
    if (m & MaskBackColor) cell->backColor = info->backColor;
    if (m & MaskTextColor) cell->textColor = info->textColor;
    if (m & MaskFont) cell->font = m_fonts.Intern(info->font);
    return TRUE;
}

BOOL CGridCtrl::SetCellText(int row, int column, const CString& text) {
    CCellData* cell = CellAt(row, column);
    if (!cell) return FALSE;
    cell->text.assign(text);
    cell->ForgetMeasure();
    return TRUE;
}

int CGridCtrl::GetCellImage(int row, int column) const {
    const CCellData* cell = CellAt(row, column);
    return cell ? cell->image : -1;
}

UINT CGridCtrl::GetCellState(int row, int column) const {
    const CCellData* cell = CellAt(row, column);
    return cell ? cell->state : 0;
}

BOOL CGridCtrl::SetCellState(int row, int column, UINT state) {
    CCellData* cell = CellAt(row, column);
    if (!cell) return FALSE;
    const bool was = cell->state & StateSelected;
    const bool now = state & StateSelected;
    if (was && !now) selectedCells.erase(MakeCellKey(row, column));
    else if (!was && now) selectedCells[MakeCellKey(row, column)] = CellCoord(row, column);
    cell->state = state;
    return TRUE;
}

UINT CGridCtrl::GetCellFormat(int row, int column) const {
    const CCellData* cell = CellAt(row, column);
    return cell ? cell->format : 0;
}

BOOL CGridCtrl::SetCellFormat(int row, int column, UINT format) {
    CCellData* cell = CellAt(row, column);
    if (!cell) return FALSE;
    cell->format = format;
    return TRUE;
}

COLORREF CGridCtrl::GetCellBackColor(int row, int column) const {
    const CCellData* cell = CellAt(row, column);
    return cell ? cell->backColor : 0;
}

BOOL CGridCtrl::SetCellBackColor(int row, int column, COLORREF color) {
    CCellData* cell = CellAt(row, column);
    if (!cell) return FALSE;
    cell->backColor = color;
    return TRUE;
}

COLORREF CGridCtrl::GetCellTextColor(int row, int column) const {
    const CCellData* cell = CellAt(row, column);
    return cell ? cell->textColor : 0;
}

BOOL CGridCtrl::SetCellTextColor(int row, int column, COLORREF color) {
    CCellData* cell = CellAt(row, column);
    if (!cell) return FALSE;
    cell->textColor = color;
    return TRUE;
}

const LOGFONT* CGridCtrl::GetCellFont(int row, int column) const {
    const CCellData* cell = CellAt(row, column);
    return cell ? &m_fonts.At(cell->font) : &logFont;
}

BOOL CGridCtrl::SetCellFont(int row, int column, const LOGFONT* font) {
    CCellData* cell = CellAt(row, column);
    if (!cell || !font) return FALSE;
    cell->font = m_fonts.Intern(*font);
    cell->ForgetMeasure();
    return TRUE;
}

void CGridCtrl::MarkModified(BOOL modified, int row, int column) {
    if (row > 0 && column > 0) {
        const UINT state = GetCellState(row, column);
        if (modified) {
            SetCellState(row, column, state | StateModified);
            gridModified = TRUE;
        } else {
            SetCellState(row, column, state & ~UINT(StateModified));
        }
    } else {
        gridModified = modified;
    }
    if (!gridModified)
        ForEachCell([](CCellData* cell, int, int) { cell->state &= ~UINT(StateModified); });
}

BOOL CGridCtrl::CanEditCell(int row, int column) const {
    return editingEnabled && !(GetCellState(row, column) & StateReadOnly);
}

// ---------------------------------------------------------------- later operations
// FIXME: these belong to the interaction work (clipboard, keyboard commands,
// printing, heading clicks, editing); the base versions do nothing yet.
void CGridCtrl::ClearSelectedText() {}
COleDataSource* CGridCtrl::BuildTextDataSource() { return nullptr; }
BOOL CGridCtrl::PasteTextAt(int, int, COleDataObject*) { return FALSE; }
void CGridCtrl::CutSelection() {}
void CGridCtrl::CopySelection() {}
void CGridCtrl::PasteAtFocus() {}
void CGridCtrl::SelectAllCommand() { SelectEveryCell(); }
void CGridCtrl::PreparePrinting(CDC*, CPrintInfo*) {}
void CGridCtrl::PrintPage(CDC*, CPrintInfo*) {}
void CGridCtrl::FinishPrinting(CDC*, CPrintInfo*) { printerFont.DeleteObject(); }
void CGridCtrl::PrintHeadingRows(CDC*, CPrintInfo*) {}
void CGridCtrl::PrintPageHeader(CDC*, CPrintInfo*) {}
void CGridCtrl::PrintPageFooter(CDC*, CPrintInfo*) {}
void CGridCtrl::ClickFixedColumn(CellCoord) {}
void CGridCtrl::ClickFixedRow(CellCoord) {}
void CGridCtrl::CommitCellEdit(int row, int column, const CString& text) {
    if (text != GetCellText(row, column)) {
        MarkModified(TRUE, row, column);
        SetCellText(row, column, text);
    }
}
void CGridCtrl::EditCell(int, int, UINT) {}
CGridInPlaceEdit* CGridCtrl::CreateCellEditor(const CRect&, DWORD, UINT, int, int, const CString&, UINT) {
    return nullptr;
}

// ---------------------------------------------------------------- message dispatch
LRESULT CGridCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return OnEraseBkgnd(nullptr);
    case WM_SETFONT:
        return OnSetFont(wParam, lParam);
    case WM_GETFONT:
        return OnGetFont();
    case WM_SYSCOLORCHANGE: {
        LRESULT r = CWnd::WindowProc(message, wParam, lParam);
        OnSysColorChange();
        return r;
    }
    case WM_SIZE:
        OnSize(UINT(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wParam), HIWORD(wParam), nullptr);
        return 0;
    case WM_HSCROLL:
        OnHScroll(LOWORD(wParam), HIWORD(wParam), nullptr);
        return 0;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}
