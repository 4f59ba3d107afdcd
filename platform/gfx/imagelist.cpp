#include "platform/gfx/imagelist.h"

#include "platform/gfx/dc.h"
#include "platform/gfx/dcstate.h"
#include "platform/gfx/gdiobj.h"

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int /*grow*/) {
    if (cx <= 0 || cy <= 0 || !Surface::SizeAllowed(cx, cy)) return FALSE;
    m_cx = cx;
    m_cy = cy;
    m_flags = flags;
    m_images.clear();
    if (initial > 0) m_images.reserve(std::size_t(initial));
    return TRUE;
}

BOOL CImageList::DeleteImageList() {
    m_cx = m_cy = 0;
    m_images.clear();
    return TRUE;
}

int CImageList::Add(const Surface& image, COLORREF maskColor) {
    if (!IsCreated() || image.height() < m_cy || image.width() < m_cx) return -1;
    const int first = GetImageCount();
    const bool masked = (m_flags & ILC_MASK) && maskColor != CLR_INVALID;
    const std::uint32_t key = ToPixel(maskColor);
    for (int left = 0; left + m_cx <= image.width(); left += m_cx) {
        Image img;
        img.pixels.resize(m_cx, m_cy);
        img.transparent.assign(std::size_t(m_cx) * m_cy, false);
        for (int y = 0; y < m_cy; ++y)
            for (int x = 0; x < m_cx; ++x) {
                const std::uint32_t p = image.pixel(left + x, y);
                img.pixels.setPixel(x, y, p);
                img.transparent[std::size_t(y) * m_cx + x] = masked && p == key;
            }
        m_images.push_back(std::move(img));
    }
    return first;
}

int CImageList::Add(CBitmap* bitmap, COLORREF maskColor) {
    const Surface* s = bitmap ? bitmap->GetSurface() : nullptr;
    return s ? Add(*s, maskColor) : -1;
}

int CImageList::Add(CBitmap* bitmap, CBitmap* mask) {
    const Surface* s = bitmap ? bitmap->GetSurface() : nullptr;
    if (!s) return -1;
    const int first = Add(*s, CLR_INVALID);
    const Surface* m = mask ? mask->GetSurface() : nullptr;
    if (first < 0 || !m || !(m_flags & ILC_MASK)) return first;
    // A mask bitmap: white (non-black) pixels are transparent.
    for (int i = first; i < GetImageCount(); ++i) {
        const int left = (i - first) * m_cx;
        for (int y = 0; y < m_cy && y < m->height(); ++y)
            for (int x = 0; x < m_cx && left + x < m->width(); ++x)
                m_images[std::size_t(i)].transparent[std::size_t(y) * m_cx + x] = (m->pixel(left + x, y) & 0xFFFFFF) != 0;
    }
    return first;
}

BOOL CImageList::GetImageInfo(int index, IMAGEINFO* info) const {
    if (!info || index < 0 || index >= GetImageCount()) return FALSE;
    info->rcImage = CRect(index * m_cx, 0, (index + 1) * m_cx, m_cy);
    return TRUE;
}

BOOL CImageList::Remove(int index) {
    if (index == -1) {
        m_images.clear();
        return TRUE;
    }
    if (index < 0 || index >= GetImageCount()) return FALSE;
    m_images.erase(m_images.begin() + index);
    return TRUE;
}

BOOL CImageList::Draw(CDC* dc, int index, CPoint point, UINT /*style*/) const {
    if (!dc || index < 0 || index >= GetImageCount()) return FALSE;
    const Image& img = m_images[std::size_t(index)];
    BlitMasked(*dc, point, img.pixels, &img.transparent);
    return TRUE;
}
