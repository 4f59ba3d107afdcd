// A 32-bit pixel surface. Pixels are stored 0x00RRGGBB (the X11 image
// order), row after row with no padding; COLORREF values (0x00BBGGRR) are
// converted at the edges with ToPixel/FromPixel.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/base/geometry.h"
#include "platform/base/types.h"

constexpr std::uint32_t ToPixel(COLORREF c) {
    return (std::uint32_t(GetRValue(c)) << 16) | (std::uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}
constexpr COLORREF FromPixel(std::uint32_t p) {
    return RGB(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF));
}

class Surface {
public:
    // Largest side and pixel count a surface accepts; anything larger is
    // refused rather than allocated (a printer page at 600 dpi fits).
    static constexpr int kMaxSide = 32767;
    static constexpr std::int64_t kMaxPixels = std::int64_t(64) * 1024 * 1024;

    Surface() = default;
    // A failed size (negative or too large) leaves an empty surface.
    Surface(int width, int height, std::uint32_t fill = 0);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool empty() const { return m_width == 0 || m_height == 0; }
    CRect bounds() const { return {0, 0, m_width, m_height}; }

    // Keeps the overlapping top-left part, fills the new area. Returns false
    // (and changes nothing) for a size that is negative or too large.
    bool resize(int width, int height, std::uint32_t fill = 0);

    std::uint32_t* row(int y) { return m_pixels.data() + std::size_t(y) * std::size_t(m_width); }
    const std::uint32_t* row(int y) const { return m_pixels.data() + std::size_t(y) * std::size_t(m_width); }
    std::uint32_t* data() { return m_pixels.data(); }
    const std::uint32_t* data() const { return m_pixels.data(); }

    // Raw access, unchecked.
    std::uint32_t pixel(int x, int y) const { return row(y)[x]; }
    void setPixel(int x, int y, std::uint32_t p) { row(y)[x] = p; }

    // Checked access in COLORREF terms: CLR_INVALID / no-op outside.
    COLORREF GetPixel(int x, int y) const;
    void SetPixel(int x, int y, COLORREF c);

    // Fills the part of r that lies on the surface.
    void fill(const CRect& r, std::uint32_t p);
    void fill(std::uint32_t p) { fill(bounds(), p); }

    static bool SizeAllowed(int width, int height);

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_pixels;
};
