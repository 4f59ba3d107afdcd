// Basic integer types and colour values shared by every layer.
#pragma once

#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using BOOL = int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// Colours are 0x00BBGGRR, red in the low byte.
using COLORREF = std::uint32_t;

constexpr COLORREF RGB(int r, int g, int b) {
    return COLORREF(BYTE(r)) | (COLORREF(BYTE(g)) << 8) | (COLORREF(BYTE(b)) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return BYTE(c); }
constexpr BYTE GetGValue(COLORREF c) { return BYTE(c >> 8); }
constexpr BYTE GetBValue(COLORREF c) { return BYTE(c >> 16); }

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

constexpr WORD LOWORD(std::uintptr_t v) { return WORD(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return WORD((v >> 16) & 0xFFFF); }
constexpr short GET_X_LPARAM(LPARAM lp) { return short(LOWORD(std::uintptr_t(lp))); }
constexpr short GET_Y_LPARAM(LPARAM lp) { return short(HIWORD(std::uintptr_t(lp))); }
constexpr LPARAM MAKELPARAM(int lo, int hi) {
    return LPARAM(DWORD(WORD(lo)) | (DWORD(WORD(hi)) << 16));
}
constexpr WPARAM MAKEWPARAM(int lo, int hi) {
    return WPARAM(DWORD(WORD(lo)) | (DWORD(WORD(hi)) << 16));
}
