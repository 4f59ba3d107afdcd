// The device context: everything the system draws goes through a CDC.
//
// A context draws on a Surface. A window context is made by the window
// layer with CDC(surface, deviceOrigin, deviceClip): device point (0, 0) is
// surface pixel deviceOrigin, and nothing is drawn outside deviceClip (in
// surface pixels). A memory context (CreateCompatibleDC) draws on the bitmap
// selected into it. A context made with the default constructor and nothing
// else has no surface: drawing does nothing, measuring works.
//
// Coordinates are logical; MM_TEXT maps them one to one after the window
// and viewport origins, MM_ANISOTROPIC also scales by viewport extent over
// window extent. Rectangles exclude their right and bottom edges; lines
// leave out their last pixel.
//
// The state (selected objects, colours, modes, mapping, clip rectangle,
// current position) lives in one block shared by the contexts attached to
// the same handle, so a wrapper can draw "through" another context
// (Attach(other.GetSafeHdc())).
//
// Contents: construction and handles; state and objects; mapping; clipping;
// fills, lines and shapes; edges and inversions; blits; pixels; text.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "platform/base/geometry.h"
#include "platform/base/text.h"
#include "platform/base/types.h"
#include "platform/gfx/gdiconst.h"
#include "platform/gfx/gdiobj.h"
#include "platform/gfx/surface.h"

struct DcState;
using HDC = DcState*;

class CDC {
public:
    CDC();
    CDC(Surface* target, CPoint deviceOrigin, CRect deviceClip);
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // --- construction and handles -------------------------------------
    // Makes this a memory context that shares other's printing flag and
    // device capabilities; it starts with a 1 x 1 bitmap selected.
    BOOL CreateCompatibleDC(CDC* other);
    BOOL DeleteDC();
    HDC GetSafeHdc() const { return m_state.get(); }
    operator HDC() const { return m_state.get(); }
    // Shares another context's state (FALSE for a null handle).
    BOOL Attach(HDC hdc);
    HDC Detach();
    // A stand-in object for a handle, freed with DeleteTempGdiObjects().
    static CDC* FromHandle(HDC hdc);
    bool IsMemoryDC() const;

    Surface* GetSurface() const;         // the surface drawn on now, or null
    CPoint GetDeviceOrigin() const;
    CRect GetDeviceClip() const;          // in surface pixels

    BOOL IsPrinting() const;
    void SetPrinting(BOOL printing);
    // Device capabilities: HORZRES/VERTRES are the screen's size (once the
    // window layer has told it with SetScreenSize), else the surface's;
    // LOGPIXELSX/Y are 96. A print job sets its page with SetDeviceCaps.
    int GetDeviceCaps(int index) const;
    void SetDeviceCaps(int index, int value);
    static void SetScreenSize(CSize size);

    // --- state and objects --------------------------------------------
    int SaveDC();                         // level from 1 up, 0 on failure
    BOOL RestoreDC(int level);            // -1: the latest saved state

    CPen* SelectObject(CPen* pen);        // returns the previous one (null on failure)
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);   // memory contexts only
    int SelectObject(CRgn* region);           // as SelectClipRgn
    CGdiObject* SelectStockObject(int index);
    CGdiObject* SelectObject(CGdiObject* object);   // any kind, e.g. what SelectStockObject gave back
    HGDIOBJ SelectObject(HGDIOBJ handle);

    CPen* GetCurrentPen() const;
    CBrush* GetCurrentBrush() const;
    CFont* GetCurrentFont() const;
    CBitmap* GetCurrentBitmap() const;

    COLORREF SetTextColor(COLORREF color);    // return the previous value
    COLORREF GetTextColor() const;
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    int SetBkMode(int mode);
    int GetBkMode() const;
    int SetROP2(int mode);
    int GetROP2() const;
    int SetStretchBltMode(int mode);
    int GetStretchBltMode() const;

    // --- mapping --------------------------------------------------------
    int SetMapMode(int mode);             // MM_TEXT, MM_ANISOTROPIC; 0 for others
    int GetMapMode() const;
    CPoint SetWindowOrg(int x, int y);
    CPoint SetWindowOrg(CPoint p) { return SetWindowOrg(p.x, p.y); }
    CPoint OffsetWindowOrg(int dx, int dy);
    CPoint GetWindowOrg() const;
    CPoint SetViewportOrg(int x, int y);
    CPoint SetViewportOrg(CPoint p) { return SetViewportOrg(p.x, p.y); }
    CPoint OffsetViewportOrg(int dx, int dy);
    CPoint GetViewportOrg() const;
    // Extents only count in MM_ANISOTROPIC; a zero extent is refused.
    CSize SetWindowExt(int cx, int cy);
    CSize SetWindowExt(CSize s) { return SetWindowExt(s.cx, s.cy); }
    CSize GetWindowExt() const;
    CSize SetViewportExt(int cx, int cy);
    CSize SetViewportExt(CSize s) { return SetViewportExt(s.cx, s.cy); }
    CSize GetViewportExt() const;

    void LPtoDP(CPoint* points, int count = 1) const;
    void LPtoDP(CRect* rect) const;
    void LPtoDP(CSize* size) const;
    void DPtoLP(CPoint* points, int count = 1) const;
    void DPtoLP(CRect* rect) const;
    void DPtoLP(CSize* size) const;

    // --- clipping -------------------------------------------------------
    // The clip box in logical units; NULLREGION when nothing can be drawn.
    int GetClipBox(CRect* rect) const;
    int IntersectClipRect(int left, int top, int right, int bottom);
    int IntersectClipRect(const CRect& rect) { return IntersectClipRect(rect.left, rect.top, rect.right, rect.bottom); }
    // Device units, as the platform defines it; null removes the clip rectangle.
    int SelectClipRgn(CRgn* region);
    int SelectClipRect(const CRect* deviceRect);
    BOOL PtVisible(int x, int y) const;
    BOOL RectVisible(const CRect& rect) const;

    // --- fills, lines and shapes ----------------------------------------
    // Leaves the background colour set to color, as the platform does.
    void FillSolidRect(const CRect& rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    void FillRect(const CRect& rect, CBrush* brush);
    void FrameRect(const CRect& rect, CBrush* brush);
    void Draw3dRect(const CRect& rect, COLORREF topLeft, COLORREF bottomRight);
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight);
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(CPoint p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y);
    BOOL LineTo(CPoint p) { return LineTo(p.x, p.y); }
    CPoint GetCurrentPosition() const;
    BOOL Polyline(const CPoint* points, int count);
    // Outline with the pen, inside with the brush; right and bottom excluded.
    BOOL Rectangle(int left, int top, int right, int bottom);
    BOOL Rectangle(const CRect& rect) { return Rectangle(rect.left, rect.top, rect.right, rect.bottom); }

    // --- edges and inversions -------------------------------------------
    BOOL DrawEdge(CRect* rect, UINT edge, UINT flags);
    // Inverts every other pixel of the frame, so drawing it twice restores it.
    void DrawFocusRect(const CRect& rect);
    void InvertRect(const CRect& rect);
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop);

    // --- blits ----------------------------------------------------------
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop);
    // Takes the nearest source pixel; negative sizes mirror.
    BOOL StretchBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc,
                    int srcWidth, int srcHeight, DWORD rop);

    // --- pixels ---------------------------------------------------------
    COLORREF GetPixel(int x, int y) const;     // CLR_INVALID outside the clip area
    COLORREF GetPixel(CPoint p) const { return GetPixel(p.x, p.y); }
    COLORREF SetPixel(int x, int y, COLORREF color);
    COLORREF SetPixel(CPoint p, COLORREF color) { return SetPixel(p.x, p.y, color); }

    // --- text -----------------------------------------------------------
    // Text origin at the top-left of the first character cell.
    BOOL TextOut(int x, int y, std::u16string_view text);
    BOOL TextOut(int x, int y, const char16_t* text, int count);
    // count -1: up to the terminating zero. Returns the text height (for
    // DT_VCENTER and DT_BOTTOM the offset from rect.top to the bottom of the
    // text), 0 on failure. DT_CALCRECT only measures and sets rect's right
    // and bottom. DT_VCENTER and DT_BOTTOM need DT_SINGLELINE; DT_WORDBREAK
    // breaks at spaces and leaves a word wider than the rectangle whole; the
    // word and path ellipses shorten like DT_END_ELLIPSIS.
    int DrawText(const char16_t* text, int count, CRect* rect, UINT format);
    int DrawText(std::u16string_view text, CRect* rect, UINT format);
    int DrawText(std::u16string_view text, CRect& rect, UINT format) { return DrawText(text, &rect, format); }
    // A text's width and the line height; an empty text is 0 wide and one line high.
    CSize GetTextExtent(std::u16string_view text) const;
    CSize GetTextExtent(const char16_t* text, int count) const;
    CSize GetOutputTextExtent(std::u16string_view text) const { return GetTextExtent(text); }
    BOOL GetTextMetrics(TEXTMETRIC* metrics) const;

private:
    friend struct DcAccess;
    std::shared_ptr<DcState> m_state;
};

// Saves the context's state and restores it when the scope ends.
class CDCStateScope {
public:
    explicit CDCStateScope(CDC& dc) : m_dc(dc), m_level(dc.SaveDC()) {}
    ~CDCStateScope() { if (m_level > 0) m_dc.RestoreDC(m_level); }
    CDCStateScope(const CDCStateScope&) = delete;
    CDCStateScope& operator=(const CDCStateScope&) = delete;

private:
    CDC& m_dc;
    int m_level;
};
