#include "platform/gfx/surface.h"

#include <algorithm>
#include <cstring>

bool Surface::SizeAllowed(int width, int height) {
    if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide) return false;
    return std::int64_t(width) * height <= kMaxPixels;
}

Surface::Surface(int width, int height, std::uint32_t fill) {
    resize(width, height, fill);
}

bool Surface::resize(int width, int height, std::uint32_t fill) {
    if (!SizeAllowed(width, height)) return false;
    if (width == m_width && height == m_height) return true;
    std::vector<std::uint32_t> pixels(std::size_t(width) * std::size_t(height), fill);
    const int keepW = std::min(width, m_width);
    const int keepH = std::min(height, m_height);
    for (int y = 0; y < keepH; ++y)
        std::memcpy(pixels.data() + std::size_t(y) * width, row(y), std::size_t(keepW) * 4);
    m_pixels.swap(pixels);
    m_width = width;
    m_height = height;
    return true;
}

COLORREF Surface::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return CLR_INVALID;
    return FromPixel(pixel(x, y));
}

void Surface::SetPixel(int x, int y, COLORREF c) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    setPixel(x, y, ToPixel(c));
}

void Surface::fill(const CRect& r, std::uint32_t p) {
    const CRect c = r.intersected(bounds());
    if (c.IsRectEmpty()) return;
    const int w = c.Width();
    for (int y = c.top; y < c.bottom; ++y) {
        std::uint32_t* d = row(y) + c.left;
        std::fill(d, d + w, p);
    }
}
