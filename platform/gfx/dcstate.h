// The inside of a device context, shared by dc.cpp and dc_text.cpp.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/gfx/dc.h"
#include "platform/gfx/fontengine.h"

// What SaveDC keeps.
struct DcAttributes {
    std::shared_ptr<GdiObjectData> pen;
    std::shared_ptr<GdiObjectData> brush;
    std::shared_ptr<GdiObjectData> font;
    std::shared_ptr<GdiObjectData> bitmap;   // memory contexts
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    int rop2 = R2_COPYPEN;
    int stretchMode = BLACKONWHITE;
    int mapMode = MM_TEXT;
    CPoint windowOrg;
    CPoint viewportOrg;
    CSize windowExt{1, 1};
    CSize viewportExt{1, 1};
    bool hasClip = false;
    CRect clip;          // device units
    CPoint position;     // logical
};

struct DcState : std::enable_shared_from_this<DcState> {
    Surface* target = nullptr;     // window contexts
    CPoint origin;                 // surface pixel of device (0, 0)
    CRect deviceClip;              // surface pixels
    bool memory = false;
    bool printing = false;
    std::map<int, int> caps;
    DcAttributes a;
    std::vector<DcAttributes> saved;

    // The face of the selected font at the current scale, made on demand.
    std::shared_ptr<FontFace> face;
    // A reference, not an address: a freed font's address may come back as a new font.
    std::shared_ptr<GdiObjectData> faceFont;
    double faceScaleX = 0, faceScaleY = 0;

    Surface* surface() const;
    CRect clipBox() const;          // surface pixels where drawing lands
    double scaleX() const;
    double scaleY() const;
    CPoint toDevice(CPoint logical) const;
    CPoint toLogical(CPoint device) const;
    CRect toSurface(const CRect& logical) const;   // normalized
    CPoint toSurface(CPoint logical) const { return toDevice(logical) + CSize(origin.x, origin.y); }
    FontFace& currentFace();
    const LOGFONT& currentLogFont() const;
};

struct DcAccess {
    static DcState* state(const CDC* dc);
};

// Draws image with its top-left at logical point at, scaled by the mapping,
// leaving out the pixels marked transparent (image lists).
void BlitMasked(CDC& dc, CPoint at, const Surface& image, const std::vector<bool>* transparent);

template <class T>
T* WrapHandle(HGDIOBJ handle);
// Keeps a stand-in context until DeleteTempGdiObjects().
CDC* RegisterTempDC(std::unique_ptr<CDC> dc);

// Blends colour c (0x00RRGGBB) over d with coverage a (0..255).
inline std::uint32_t BlendPixel(std::uint32_t d, std::uint32_t c, std::uint32_t a) {
    const std::uint32_t w = a + (a >> 7);    // 0..256
    const std::uint32_t rb = (((d & 0xFF00FF) * (256 - w) + (c & 0xFF00FF) * w) >> 8) & 0xFF00FF;
    const std::uint32_t g = (((d & 0x00FF00) * (256 - w) + (c & 0x00FF00) * w) >> 8) & 0x00FF00;
    return rb | g;
}
