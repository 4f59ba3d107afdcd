// The cell object, the item descriptor through which callers read and write
// cells, and the row of cells.
#pragma once

#include <vector>

#include "grid/celltext.h"
#include "platform/base/types.h"
#include "platform/gfx/gdiobj.h"

// The grid's default colour applies.
constexpr COLORREF CLR_DEFAULT = 0xFF000000;

enum GridCellState : UINT {
    StateFocused = 0x01,
    StateSelected = 0x02,
    StateDropTarget = 0x04,
    StateReadOnly = 0x08,
    StateModified = 0x20,
};

enum GridItemMask : UINT {
    MaskText = 0x01,
    MaskImage = 0x02,
    MaskData = 0x04,
    MaskState = 0x08,
    MaskBackColor = 0x10,
    MaskTextColor = 0x20,
    MaskFormat = 0x40,
    MaskFont = 0x80,
};

struct GridItemInfo {
    int row = 0;
    int column = 0;
    UINT mask = 0;
    UINT state = 0;
    UINT format = 0;
    CString text;
    int image = -1;
    COLORREF backColor = CLR_DEFAULT;
    COLORREF textColor = CLR_DEFAULT;
    LPARAM lParam = 0;
    LOGFONT font;
};

// A grid holds close to a million of these at diary scale, so they come from
// a pool without per-object heap overhead, the text is compact and the font
// description is shared: `font` indexes the grid's one copy of each
// distinct LOGFONT (CFontCache), which outlives every cell.
class CCellData {
public:
    CCellData() = default;
    virtual ~CCellData() = default;

    static void* operator new(std::size_t size);
    static void operator delete(void* p, std::size_t size);
    // Bytes of pooled slots not holding a cell. Slots stay pooled after their
    // cells go, so memory accounting adds what a change took from here to
    // what it took from the heap.
    static size_t PoolFreeBytes();

    CCellText text;
    LPARAM lParam = 0;
    UINT state = 0;
    UINT format = 0;
    int image = -1;
    COLORREF backColor = CLR_DEFAULT;
    COLORREF textColor = CLR_DEFAULT;
    UINT font = 0;   // index into the grid's font descriptions
    // The last MeasureCell result (cx low, cy high 16 bits) and a check of
    // everything it was measured from; 0 when there is none. The diary fits
    // all columns and then all rows after every change, so each cell would
    // otherwise be measured twice.
    UINT measureCheck = 0;
    UINT measuredSize = 0;
    void ForgetMeasure() { measureCheck = 0; }
};

// One row: a pointer per column (null pointers are skipped).
class CCellRow : public std::vector<CCellData*> {
public:
    using std::vector<CCellData*>::vector;
};
