// CGridCtrl: the spreadsheet-like grid window the diary shows its records in.
//
// Call flow of the main operations:
//   paint:   OnPaint -> COffscreenDC -> PaintGrid -> PaintBackground
//            -> PaintFixedCell (corner, fixed columns, fixed rows)
//            -> PaintCell (scrolled cells) -> grid lines
//   change:  SetCellText / SetCellState ... -> RepaintCell or InvalidateCell
//   counts:  AddRow / RemoveRow -> ClearSelection -> NewCell / ClearCell
//            -> ShiftSelection (entries follow moved cells) -> UpdateScrollBars;
//            SetRows -> ClearCell / NewCell -> UpdateScrollBars, Invalidate
//   scroll:  OnVScroll / OnHScroll -> SetScrollPosition -> ScrollWindow
//            -> invalidate the uncovered strip -> OnPaint
//   focus:   ChangeFocusCell -> SendCellNotify(-100) -> RepaintCell old,
//            its headings -> RepaintCell new, its headings -> SendCellNotify(-101)
//   select:  SelectRange -> SetCellState (keeps selectedCells) -> Repaint/Invalidate
//   (later: button down -> focus -> selection -> timer)
//
// Units: gridcell_model.cpp (cells, counts, settings, fonts, the window),
// grid_layout.cpp (sizes, hit testing, fitting), grid_paint.cpp (painting),
// grid_scroll.cpp (scroll bars and scrolling), grid_selection.cpp (focus,
// selection, notifications).
//
// Geometry is recomputed from the row heights and column widths at every
// call; the sums come from CSizeList, which keeps them cheap at diary scale.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "grid/cellcoord.h"
#include "grid/celldata.h"
#include "grid/fontcache.h"
#include "grid/grid_sizes.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/gdiobj.h"
#include "platform/gfx/imagelist.h"
#include "platform/win/wnd.h"

// Later work supplies these; the grid only names them in its virtual operations.
class COleDataSource;
class COleDataObject;
class CPrintInfo;
class CGridInPlaceEdit;

enum GridLineMode : int {
    LinesNone = 0,
    LinesHorizontal = 1,
    LinesVertical = 2,
    LinesBoth = 3,
};

enum GridMouseMode : int {
    ModeIdle = 0,
    ModeSelectAll = 1,
    ModeSelectColumns = 2,
    ModeSelectRows = 3,
    ModeSelectCells = 4,
    ModeOverRowBorder = 6,
    ModeSizingRow = 7,
    ModeOverColumnBorder = 8,
    ModeSizingColumn = 9,
    ModeOverHeader = 10,
    ModeMovingColumn = 11,
    ModeEditPending = 12,
    ModeDragPending = 13,
    ModeDragging = 14,
};

// Notification codes the grid sends (the list-view values).
constexpr int GVN_FOCUSLEAVING = -100;
constexpr int GVN_FOCUSARRIVED = -101;
constexpr int GVN_BEGINDRAG = -109;
constexpr int GVN_BEGINEDIT = -175;
constexpr int GVN_ENDEDIT = -176;

struct GridCellNotify {
    NMHDR hdr;
    int row = -1;
    int column = -1;
};

// The cells the selection holds, keyed by the full (row, column) pair so that
// grids of 65536 rows and more never make two cells share an entry.
using CellMap = std::unordered_map<CellKey, CellCoord, CellKeyHash>;

class CGridCtrl : public CWnd {
public:
    CGridCtrl(int rows = 0, int columns = 0, int fixedRows = 0, int fixedColumns = 0);
    ~CGridCtrl() override;
    static CWnd* CreateObject();   // creation by class name: all counts 0

    // --- the window ---------------------------------------------------
    static BOOL RegisterGridClass();
    BOOL Create(const CRect& rect, CWnd* parent, UINT id, DWORD style);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PreSubclassWindow() override;

    // --- counts, rows and columns ---------------------------------------
    int GetRowCount() const { return rowCount; }
    int GetColumnCount() const { return columnCount; }
    int GetFixedRowCount() const { return fixedRowCount; }
    int GetFixedColumnCount() const { return fixedColumnCount; }
    BOOL SetRows(int n);
    BOOL SetColumns(int n);
    BOOL SetFixedRows(int n);
    BOOL SetFixedColumns(int n);
    int AddRow(const CString& heading, int index = -1);
    int AddColumn(const CString& heading, UINT format, int index = -1);
    BOOL RemoveRow(int row);
    BOOL RemoveColumn(int column);
    BOOL RemoveAllCells();

    // --- cells --------------------------------------------------------
    BOOL GetCellInfo(GridItemInfo* info);
    BOOL SetCellInfo(const GridItemInfo* info);
    BOOL SetCellText(int row, int column, const CString& text);
    int GetCellImage(int row, int column) const;
    UINT GetCellState(int row, int column) const;
    BOOL SetCellState(int row, int column, UINT state);
    UINT GetCellFormat(int row, int column) const;
    BOOL SetCellFormat(int row, int column, UINT format);
    COLORREF GetCellBackColor(int row, int column) const;
    BOOL SetCellBackColor(int row, int column, COLORREF color);
    COLORREF GetCellTextColor(int row, int column) const;
    BOOL SetCellTextColor(int row, int column, COLORREF color);
    const LOGFONT* GetCellFont(int row, int column) const;
    BOOL SetCellFont(int row, int column, const LOGFONT* font);
    void MarkModified(BOOL modified, int row, int column);
    BOOL CanEditCell(int row, int column) const;
    BOOL CanEditCell(CellCoord cell) const { return CanEditCell(cell.row, cell.col); }
    BOOL IsValidCell(int row, int column) const {
        return row >= 0 && row < rowCount && column >= 0 && column < columnCount;
    }
    BOOL IsValidCell(CellCoord cell) const { return IsValidCell(cell.row, cell.col); }
    BOOL IsValidBlock(const CellBlock& block) const;
    static int ReadWheelScrollLines();

    // The cell object at a position, or null (bad position, missing row or cell).
    CCellData* CellAt(int row, int column) const;
    // Entries of the selection, one per selected cell.
    const CellMap& SelectedCells() const { return selectedCells; }

    // --- layout -------------------------------------------------------
    int RowPixels(int row) const;
    int ColumnPixels(int column) const;
    BOOL SetRowPixels(int row, int height);
    BOOL SetColumnPixels(int column, int width);
    int FixedRowsHeight() const;
    int FixedColumnsWidth() const;
    int TotalHeight() const;
    int TotalWidth() const;
    CellCoord FirstScrolledCell() const;
    CellBlock VisibleBlock(CRect* area = nullptr) const;
    CellBlock FullyVisibleBlock() const;
    BOOL CellTopLeft(int row, int column, CPoint* point) const;
    BOOL CellTopLeft(CellCoord cell, CPoint* point) const { return CellTopLeft(cell.row, cell.col, point); }
    BOOL CellBounds(int row, int column, CRect* rect) const;
    BOOL CellBounds(CellCoord cell, CRect* rect) const { return CellBounds(cell.row, cell.col, rect); }
    BOOL CellTextBounds(int row, int column, CRect* rect);
    CellCoord CellAtPoint(CPoint point, BOOL includeFixed) const;
    BOOL IsCellInView(int row, int column) const;
    CSize MeasureHeading(const CString& text, BOOL semibold);
    BOOL FitColumn(int column);
    BOOL FitRow(int row);
    void FitAllColumns();
    void FitAllRows();

    // --- painting -----------------------------------------------------
    BOOL RepaintCell(int row, int column, CDC* dc = nullptr);
    BOOL RepaintCell(CellCoord cell, CDC* dc = nullptr) { return RepaintCell(cell.row, cell.col, dc); }
    BOOL InvalidateCell(CellCoord cell);
    void PaintBackground(CDC* dc);

    // --- scrolling ----------------------------------------------------
    void UpdateScrollBars();
    int ScrollPosition(int bar, BOOL tracking = FALSE) const;
    BOOL SetScrollPosition(int bar, int position, BOOL redraw = TRUE);
    void ScrollCellIntoView(int row, int column);

    // --- focus, selection and notifications ----------------------------
    LRESULT SendCellNotify(int row, int column, int code);
    CellCoord ChangeFocusCell(int row, int column);
    CellCoord ChangeFocusCell(CellCoord cell) { return ChangeFocusCell(cell.row, cell.col); }
    void SelectRange(int minRow, int minColumn, int maxRow, int maxColumn, BOOL redrawNow);
    void SelectEveryCell();
    void ExtendSelection(CellCoord cell);
    CellBlock GetSelectionBounds() const;
    void ClearSelection();

    // --- virtual operations, in the order the rest of the system relies on
    virtual CString GetCellText(int row, int column);
    // Clipboard and drag-and-drop, keyboard commands, printing, mouse clicks on
    // headings and in-place editing: FIXME: their bodies come with the
    // interaction work; these base versions do nothing.
    virtual void ClearSelectedText();
    virtual COleDataSource* BuildTextDataSource();
    virtual BOOL PasteTextAt(int row, int column, COleDataObject* dataObject);
    virtual void CutSelection();
    virtual void CopySelection();
    virtual void PasteAtFocus();
    virtual void SelectAllCommand();
    virtual void PreparePrinting(CDC* printerDC, CPrintInfo* info);
    virtual void PrintPage(CDC* printerDC, CPrintInfo* info);
    virtual void FinishPrinting(CDC* printerDC, CPrintInfo* info);
    virtual void PrintHeadingRows(CDC* printerDC, CPrintInfo* info);
    virtual void PrintPageHeader(CDC* printerDC, CPrintInfo* info);
    virtual void PrintPageFooter(CDC* printerDC, CPrintInfo* info);
    virtual void ClickFixedColumn(CellCoord cell);
    virtual void ClickFixedRow(CellCoord cell);
    virtual CSize MeasureCell(int row, int column, CDC* dc);
    virtual void CommitCellEdit(int row, int column, const CString& text);
    virtual void EditCell(int row, int column, UINT firstChar);
    virtual CGridInPlaceEdit* CreateCellEditor(const CRect& rect, DWORD style, UINT id, int row,
                                               int column, const CString& text, UINT firstChar);
    virtual void PaintGrid(CDC* dc);
    virtual BOOL PaintFixedCell(CDC* dc, int row, int column, CRect rect, BOOL erase);
    virtual BOOL PaintCell(CDC* dc, int row, int column, CRect rect, BOOL erase);
    virtual CCellData* NewCell(int row, int column);
    virtual void ClearCell(CCellData* cell, int row, int column);

    // --- message handlers ---------------------------------------------
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetFont();
    void OnSysColorChange();
    void OnSize(UINT type, int cx, int cy);
    void OnVScroll(UINT code, UINT position, CWnd* scrollBar);
    void OnHScroll(UINT code, UINT position, CWnd* scrollBar);

    // --- settings and state (public, as the diary sets them directly) ---
    int rowCount = 0;
    int columnCount = 0;
    int fixedRowCount = 0;
    int fixedColumnCount = 0;
    int defaultRowHeight = 10;
    int defaultColumnWidth = 30;
    int cellMargin = 0;
    LOGFONT logFont;
    CFont gridFont;
    CFont printerFont;
    CImageList* imageList = nullptr;
    COLORREF textColor = 0;
    COLORREF textBackColor = 0;
    COLORREF fixedTextColor = 0;
    COLORREF fixedBackColor = 0;
    COLORREF outsideBackColor = 0;
    COLORREF gridLineColor = 0xC0C0C0;
    COLORREF rememberedSysColors[4] = {};
    GridLineMode gridLines = LinesBoth;
    BOOL editingEnabled = TRUE;
    BOOL gridModified = FALSE;
    BOOL listMode = FALSE;
    BOOL singleRowSelection = FALSE;
    BOOL redrawEnabled = TRUE;
    BOOL selectionEnabled = TRUE;
    BOOL sortOnHeaderClick = TRUE;
    BOOL handleTabKey = TRUE;
    BOOL doubleBuffered = TRUE;
    BOOL titleTipsEnabled = TRUE;
    BOOL dragDropEnabled = FALSE;
    BOOL allowRowResize = TRUE;
    BOOL allowColumnResize = TRUE;
    BOOL allowColumnMove = TRUE;
    int resizeCaptureRange = 3;
    int autoScrollInterval = 25;
    UINT_PTR autoScrollTimer = 0;
    int wheelScrollLines = 3;
    GridMouseMode mouseMode = ModeIdle;
    CellCoord buttonDownCell;
    CellCoord selectionStartCell;
    CellCoord focusCell;
    CellCoord dropTargetCell;
    CellCoord lastClickedCell;
    int sortColumn = -1;
    BOOL sortAscending = TRUE;
    BOOL notifyDiaryOnDoubleClick = FALSE;
    int vertScrollMax = 0;
    int horzScrollMax = 0;
    BOOL oleInitialized = FALSE;
    CellMap selectedCells;
    CellMap savedSelection;

    // Fonts made from the same description are made once (cells share them).
    CFontCache& Fonts() { return m_fonts; }

protected:
    // Row storage: a deque, so removing row 1 again and again moves nothing.
    std::deque<CCellRow*> rows;
    CSizeList rowHeights;
    CSizeList columnWidths;

private:
    void DestroyRow(CCellRow* row, int rowIndex);
    void PrefetchRowsBelow(int row) const;
    void DestroyCell(CCellData* cell, int row, int column);
    void RepaintHeadings(CellCoord cell, bool rowChanged, bool columnChanged);
    // Rows (or columns) from `at` moved by `delta` (delta < 0: -delta of them
    // went): the selection maps follow their cells.
    void ShiftSelection(bool byRow, int at, int delta);
    void ForEachCell(const std::function<void(CCellData*, int, int)>& fn);
    // Gives the window the font of logFont (what PreSubclassWindow does).
    void ApplyLogFont();

    // A memory context for measuring headings, kept with its font selected:
    // AddRow measures each new heading, and a fresh window context per row
    // cost more than the rest of appending it.
    CDC* MeasuringDC();
    // Starts fetching a row's texts before a pass along the rows reaches it.
    void PrefetchRowTexts(int row) const;

    CFontCache m_fonts;
    bool m_fontApplied = false;
    CDC m_measureDC;
    bool m_measureReady = false;
};
