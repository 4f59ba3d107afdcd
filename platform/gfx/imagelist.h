// Image lists: equally sized images kept side by side in one bitmap, drawn
// by index (cell images of the grid).
#pragma once

#include <vector>

#include "platform/base/geometry.h"
#include "platform/base/types.h"
#include "platform/gfx/gdiconst.h"
#include "platform/gfx/surface.h"

class CBitmap;
class CDC;

struct IMAGEINFO {
    CRect rcImage;   // the image's rectangle inside the list's bitmap
};

class CImageList {
public:
    // Images of cx x cy pixels. flags: ILC_COLOR24/32, ILC_MASK for a mask colour.
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    BOOL DeleteImageList();
    bool IsCreated() const { return m_cx > 0; }

    // Adds as many images as the bitmap is wide (whole multiples of cx);
    // returns the index of the first, -1 on failure. With a mask colour,
    // pixels of that colour stay transparent when drawn.
    int Add(CBitmap* bitmap, CBitmap* mask = nullptr);
    int Add(CBitmap* bitmap, COLORREF maskColor);
    int Add(const Surface& image, COLORREF maskColor = CLR_INVALID);

    int GetImageCount() const { return int(m_images.size()); }
    CSize GetIconSize() const { return {m_cx, m_cy}; }
    BOOL GetImageInfo(int index, IMAGEINFO* info) const;
    BOOL Remove(int index);

    // ILD_NORMAL and ILD_TRANSPARENT both honour the mask colour.
    BOOL Draw(CDC* dc, int index, CPoint point, UINT style = ILD_NORMAL) const;

private:
    struct Image {
        Surface pixels;
        std::vector<bool> transparent;
    };
    int m_cx = 0;
    int m_cy = 0;
    UINT m_flags = 0;
    std::vector<Image> m_images;
};
