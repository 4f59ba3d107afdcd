// Filling a grid with diary-like rows: the eight columns the diary shows,
// one fixed heading row. Shared by the grid demo and the grid benchmarks.
#pragma once

#include "grid/gridctrl.h"

namespace gridfill {

inline constexpr int kColumns = 8;
extern const char16_t* const kHeadings[kColumns];

// The eight texts of a record row.
struct RowTexts {
    CString cells[kColumns];
};

// Writes the headings into row 0.
void SetHeadings(CGridCtrl& grid);
// Writes one row's texts.
void SetRow(CGridCtrl& grid, int row, const RowTexts& texts);

}  // namespace gridfill
