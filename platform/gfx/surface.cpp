#include "platform/gfx/surface.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

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
    // wchar_t is 32 bits here, and the C library's wide fill is as fast as memset.
    static_assert(sizeof(wchar_t) == sizeof(std::uint32_t));
    const auto value = static_cast<wchar_t>(p);
    if (c.left == 0 && c.right == m_width) {
        std::wmemset(reinterpret_cast<wchar_t*>(row(c.top)), value, std::size_t(c.Width()) * std::size_t(c.Height()));
        return;
    }
    for (int y = c.top; y < c.bottom; ++y)
        std::wmemset(reinterpret_cast<wchar_t*>(row(y) + c.left), value, std::size_t(c.Width()));
}
