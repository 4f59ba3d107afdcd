// Cell coordinates and blocks of cells.
#pragma once

#include <cstddef>
#include <cstdint>

struct CellCoord {
    int row = -1;
    int col = -1;
    constexpr CellCoord() = default;
    constexpr CellCoord(int r, int c) : row(r), col(c) {}
    constexpr bool operator==(const CellCoord&) const = default;
};

// Minimum row, minimum column, maximum row, maximum column, all inclusive.
struct CellBlock {
    int minRow = -1;
    int minCol = -1;
    int maxRow = -1;
    int maxCol = -1;
    constexpr bool operator==(const CellBlock&) const = default;
    constexpr bool Contains(int row, int col) const {
        return row >= minRow && row <= maxRow && col >= minCol && col <= maxCol;
    }
};

// Key of the selection maps: the whole row and the whole column.
using CellKey = std::uint64_t;
constexpr CellKey MakeCellKey(int row, int col) {
    return (CellKey(std::uint32_t(row)) << 32) | std::uint32_t(col);
}
struct CellKeyHash {
    std::size_t operator()(CellKey k) const {
        k ^= k >> 33;
        k *= 0xff51afd7ed558ccdULL;
        k ^= k >> 33;
        return std::size_t(k);
    }
};
