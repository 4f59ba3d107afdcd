// Device context: state, mapping, clipping, fills, lines, edges and blits.
// Text output and measurement are in dc_text.cpp.
//
// Sections, in order: the state block (mapping arithmetic, the font face
// of the moment); construction and handles; state and objects; mapping;
// clipping; raw pixel work on the clipped surface; fills, lines and shapes;
// edges and inversions; blits (one nearest-pixel rule, also for image
// lists); pixels.
//
// Every drawing call maps logical to surface pixels (DcState::toSurface),
// intersects with DcState::clipBox() and then touches the surface.
#include "platform/gfx/dc.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/gfx/dcstate.h"
#include "platform/gfx/syscolors.h"

// --- the state block -------------------------------------------------------

namespace {

// a * b / c rounded half away from zero, in 64 bits.
std::int64_t MulDivRound64(std::int64_t a, std::int64_t b, std::int64_t c) {
    if (c == 0) return 0;
    std::int64_t n = a * b;
    const bool neg = (n < 0) != (c < 0);
    n = std::llabs(n);
    const std::int64_t d = std::llabs(c);
    const std::int64_t q = (n + d / 2) / d;
    return neg ? -q : q;
}

int MulDivRound(std::int64_t a, std::int64_t b, std::int64_t c) {
    constexpr std::int64_t kLimit = std::int64_t(1) << 28;
    return int(std::clamp(MulDivRound64(a, b, c), -kLimit, kLimit));
}

void InitAttributes(DcAttributes& a) {
    a.pen = GetStockGdiObject(BLACK_PEN)->data();
    a.brush = GetStockGdiObject(WHITE_BRUSH)->data();
    a.font = GetStockGdiObject(SYSTEM_FONT)->data();
}

std::shared_ptr<GdiObjectData> OneByOneBitmap() {
    auto d = std::make_shared<BitmapData>();
    d->surface.resize(1, 1, 0);
    return d;
}

}  // namespace

Surface* DcState::surface() const {
    if (memory) return a.bitmap ? &static_cast<BitmapData*>(a.bitmap.get())->surface : nullptr;
    return target;
}

CRect DcState::clipBox() const {
    const Surface* s = surface();
    if (!s) return {};
    CRect box = memory ? s->bounds() : deviceClip.intersected(s->bounds());
    if (a.hasClip) box = box.intersected(a.clip.offset(origin.x, origin.y));
    return box;
}

double DcState::scaleX() const {
    return a.mapMode == MM_ANISOTROPIC ? double(a.viewportExt.cx) / a.windowExt.cx : 1.0;
}
double DcState::scaleY() const {
    return a.mapMode == MM_ANISOTROPIC ? double(a.viewportExt.cy) / a.windowExt.cy : 1.0;
}

namespace {

// Device coordinates are kept well inside int, so later sums cannot overflow.
int Clamp(std::int64_t v) {
    constexpr std::int64_t kLimit = std::int64_t(1) << 28;
    return int(std::clamp(v, -kLimit, kLimit));
}

}  // namespace

CPoint DcState::toDevice(CPoint p) const {
    if (a.mapMode != MM_ANISOTROPIC)
        return {Clamp(std::int64_t(p.x) - a.windowOrg.x + a.viewportOrg.x),
                Clamp(std::int64_t(p.y) - a.windowOrg.y + a.viewportOrg.y)};
    return {Clamp(std::int64_t(MulDivRound(std::int64_t(p.x) - a.windowOrg.x, a.viewportExt.cx, a.windowExt.cx)) + a.viewportOrg.x),
            Clamp(std::int64_t(MulDivRound(std::int64_t(p.y) - a.windowOrg.y, a.viewportExt.cy, a.windowExt.cy)) + a.viewportOrg.y)};
}

CPoint DcState::toLogical(CPoint p) const {
    if (a.mapMode != MM_ANISOTROPIC)
        return {Clamp(std::int64_t(p.x) - a.viewportOrg.x + a.windowOrg.x),
                Clamp(std::int64_t(p.y) - a.viewportOrg.y + a.windowOrg.y)};
    return {Clamp(std::int64_t(MulDivRound(std::int64_t(p.x) - a.viewportOrg.x, a.windowExt.cx, a.viewportExt.cx)) + a.windowOrg.x),
            Clamp(std::int64_t(MulDivRound(std::int64_t(p.y) - a.viewportOrg.y, a.windowExt.cy, a.viewportExt.cy)) + a.windowOrg.y)};
}

CRect DcState::toSurface(const CRect& r) const {
    return CRect(toSurface(r.TopLeft()), toSurface(r.BottomRight())).normalized();
}

const LOGFONT& DcState::currentLogFont() const {
    return static_cast<const FontData*>(a.font.get())->logFont;
}

FontFace& DcState::currentFace() {
    const double sx = std::abs(scaleX()), sy = std::abs(scaleY());
    if (!face || faceFont != a.font || faceScaleX != sx || faceScaleY != sy) {
        face = AcquireFontFace(currentLogFont(), sx, sy);
        faceFont = a.font;
        faceScaleX = sx;
        faceScaleY = sy;
    }
    return *face;
}

DcState* DcAccess::state(const CDC* dc) { return dc ? dc->m_state.get() : nullptr; }

// --- construction and handles ----------------------------------------------

CDC::CDC() : m_state(std::make_shared<DcState>()) { InitAttributes(m_state->a); }

CDC::CDC(Surface* target, CPoint deviceOrigin, CRect deviceClip) : CDC() {
    m_state->target = target;
    m_state->origin = deviceOrigin;
    m_state->deviceClip = deviceClip.normalized();
}

CDC::~CDC() = default;

BOOL CDC::CreateCompatibleDC(CDC* other) {
    auto s = std::make_shared<DcState>();
    InitAttributes(s->a);
    s->memory = true;
    s->a.bitmap = OneByOneBitmap();
    if (other) {
        s->printing = other->m_state->printing;
        s->caps = other->m_state->caps;
    }
    m_state = std::move(s);
    return TRUE;
}

BOOL CDC::DeleteDC() {
    m_state = std::make_shared<DcState>();
    InitAttributes(m_state->a);
    return TRUE;
}

BOOL CDC::Attach(HDC hdc) {
    if (!hdc) return FALSE;
    // Contexts are only ever made by CDC, which keeps them in shared_ptrs.
    m_state = hdc->shared_from_this();
    return TRUE;
}

HDC CDC::Detach() {
    HDC h = m_state.get();
    m_state = std::make_shared<DcState>();
    InitAttributes(m_state->a);
    return h;
}

CDC* CDC::FromHandle(HDC hdc) {
    if (!hdc) return nullptr;
    auto dc = std::make_unique<CDC>();
    dc->Attach(hdc);
    return RegisterTempDC(std::move(dc));
}

bool CDC::IsMemoryDC() const { return m_state->memory; }
Surface* CDC::GetSurface() const { return m_state->surface(); }
CPoint CDC::GetDeviceOrigin() const { return m_state->origin; }
CRect CDC::GetDeviceClip() const {
    const Surface* s = m_state->surface();
    if (m_state->memory) return s ? s->bounds() : CRect{};
    return m_state->deviceClip;
}

BOOL CDC::IsPrinting() const { return m_state->printing; }
void CDC::SetPrinting(BOOL printing) { m_state->printing = printing != FALSE; }

namespace {
CSize g_screen;   // the display's size, once the window layer knows it
}  // namespace

int CDC::GetDeviceCaps(int index) const {
    auto it = m_state->caps.find(index);
    if (it != m_state->caps.end()) return it->second;
    const Surface* s = m_state->surface();
    const bool screen = !m_state->printing && g_screen.cx > 0 && g_screen.cy > 0;
    switch (index) {
    case HORZRES: return screen ? g_screen.cx : s ? s->width() : 0;
    case VERTRES: return screen ? g_screen.cy : s ? s->height() : 0;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case HORZSIZE: return s ? MulDivRound(s->width(), 254, 960) : 0;
    case VERTSIZE: return s ? MulDivRound(s->height(), 254, 960) : 0;
    default: return 0;
    }
}

void CDC::SetScreenSize(CSize size) { g_screen = size; }

void CDC::SetDeviceCaps(int index, int value) { m_state->caps[index] = value; }

// --- state and objects -----------------------------------------------------

int CDC::SaveDC() {
    m_state->saved.push_back(m_state->a);
    return int(m_state->saved.size());
}

BOOL CDC::RestoreDC(int level) {
    auto& saved = m_state->saved;
    const int n = int(saved.size());
    if (level < 0) level = n + 1 + level;   // -1 is the latest
    if (level < 1 || level > n) return FALSE;
    m_state->a = saved[std::size_t(level - 1)];
    saved.resize(std::size_t(level - 1));
    return TRUE;
}

namespace {

template <class T>
T* SwapObject(std::shared_ptr<GdiObjectData>& slot, T* object) {
    if (!object || object->IsNull()) return nullptr;
    std::shared_ptr<GdiObjectData> previous = slot;
    slot = object->data();
    return WrapHandle<T>(previous.get());
}

}  // namespace

CPen* CDC::SelectObject(CPen* pen) { return SwapObject(m_state->a.pen, pen); }
CBrush* CDC::SelectObject(CBrush* brush) { return SwapObject(m_state->a.brush, brush); }
CFont* CDC::SelectObject(CFont* font) { return SwapObject(m_state->a.font, font); }

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    if (!m_state->memory) return nullptr;
    return SwapObject(m_state->a.bitmap, bitmap);
}

int CDC::SelectObject(CRgn* region) { return SelectClipRgn(region); }

HGDIOBJ CDC::SelectObject(HGDIOBJ handle) {
    if (!handle) return nullptr;
    switch (handle->kind) {
    case GdiObjectData::Kind::Pen: { CGdiObject* o = SelectObject(CPen::FromHandle(handle)); return o ? o->GetSafeHandle() : nullptr; }
    case GdiObjectData::Kind::Brush: { CGdiObject* o = SelectObject(CBrush::FromHandle(handle)); return o ? o->GetSafeHandle() : nullptr; }
    case GdiObjectData::Kind::Font: { CGdiObject* o = SelectObject(CFont::FromHandle(handle)); return o ? o->GetSafeHandle() : nullptr; }
    case GdiObjectData::Kind::Bitmap: { CGdiObject* o = SelectObject(CBitmap::FromHandle(handle)); return o ? o->GetSafeHandle() : nullptr; }
    case GdiObjectData::Kind::Region: return SelectClipRgn(CRgn::FromHandle(handle)) == RGN_ERROR ? nullptr : handle;
    }
    return nullptr;
}

CGdiObject* CDC::SelectStockObject(int index) { return SelectObject(GetStockGdiObject(index)); }

CGdiObject* CDC::SelectObject(CGdiObject* object) {
    if (!object || object->IsNull()) return nullptr;
    HGDIOBJ previous = SelectObject(object->GetSafeHandle());
    if (!previous) return nullptr;
    switch (previous->kind) {
    case GdiObjectData::Kind::Pen: return CPen::FromHandle(previous);
    case GdiObjectData::Kind::Brush: return CBrush::FromHandle(previous);
    case GdiObjectData::Kind::Font: return CFont::FromHandle(previous);
    default: return nullptr;
    }
}

CPen* CDC::GetCurrentPen() const { return CPen::FromHandle(m_state->a.pen.get()); }
CBrush* CDC::GetCurrentBrush() const { return CBrush::FromHandle(m_state->a.brush.get()); }
CFont* CDC::GetCurrentFont() const { return CFont::FromHandle(m_state->a.font.get()); }
CBitmap* CDC::GetCurrentBitmap() const { return CBitmap::FromHandle(m_state->a.bitmap.get()); }

COLORREF CDC::SetTextColor(COLORREF c) { return std::exchange(m_state->a.textColor, c & 0x00FFFFFF); }
COLORREF CDC::GetTextColor() const { return m_state->a.textColor; }
COLORREF CDC::SetBkColor(COLORREF c) { return std::exchange(m_state->a.bkColor, c & 0x00FFFFFF); }
COLORREF CDC::GetBkColor() const { return m_state->a.bkColor; }

int CDC::SetBkMode(int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE) return 0;
    return std::exchange(m_state->a.bkMode, mode);
}
int CDC::GetBkMode() const { return m_state->a.bkMode; }

int CDC::SetROP2(int mode) {
    if (mode < R2_BLACK || mode > R2_WHITE) return 0;
    return std::exchange(m_state->a.rop2, mode);
}
int CDC::GetROP2() const { return m_state->a.rop2; }

int CDC::SetStretchBltMode(int mode) {
    if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
    return std::exchange(m_state->a.stretchMode, mode);
}
int CDC::GetStretchBltMode() const { return m_state->a.stretchMode; }

// --- mapping ---------------------------------------------------------------

int CDC::SetMapMode(int mode) {
    if (mode != MM_TEXT && mode != MM_ANISOTROPIC) return 0;
    const int previous = m_state->a.mapMode;
    m_state->a.mapMode = mode;
    if (mode == MM_TEXT) {
        m_state->a.windowExt = {1, 1};
        m_state->a.viewportExt = {1, 1};
    }
    return previous;
}
int CDC::GetMapMode() const { return m_state->a.mapMode; }

CPoint CDC::SetWindowOrg(int x, int y) { return std::exchange(m_state->a.windowOrg, CPoint(x, y)); }
CPoint CDC::OffsetWindowOrg(int dx, int dy) {
    const CPoint p = m_state->a.windowOrg;
    m_state->a.windowOrg = p.offset(dx, dy);
    return p;
}
CPoint CDC::GetWindowOrg() const { return m_state->a.windowOrg; }
CPoint CDC::SetViewportOrg(int x, int y) { return std::exchange(m_state->a.viewportOrg, CPoint(x, y)); }
CPoint CDC::OffsetViewportOrg(int dx, int dy) {
    const CPoint p = m_state->a.viewportOrg;
    m_state->a.viewportOrg = p.offset(dx, dy);
    return p;
}
CPoint CDC::GetViewportOrg() const { return m_state->a.viewportOrg; }

CSize CDC::SetWindowExt(int cx, int cy) {
    const CSize previous = m_state->a.windowExt;
    if (m_state->a.mapMode != MM_ANISOTROPIC || cx == 0 || cy == 0) return previous;
    m_state->a.windowExt = {cx, cy};
    return previous;
}
CSize CDC::GetWindowExt() const { return m_state->a.windowExt; }
CSize CDC::SetViewportExt(int cx, int cy) {
    const CSize previous = m_state->a.viewportExt;
    if (m_state->a.mapMode != MM_ANISOTROPIC || cx == 0 || cy == 0) return previous;
    m_state->a.viewportExt = {cx, cy};
    return previous;
}
CSize CDC::GetViewportExt() const { return m_state->a.viewportExt; }

void CDC::LPtoDP(CPoint* points, int count) const {
    for (int i = 0; points && i < count; ++i) points[i] = m_state->toDevice(points[i]);
}
void CDC::LPtoDP(CRect* r) const {
    if (!r) return;
    const CPoint a = m_state->toDevice(r->TopLeft()), b = m_state->toDevice(r->BottomRight());
    *r = CRect(a, b);
}
namespace {

// Sizes scale by the extents alone; origins do not move them.
CSize ScaleSize(CSize s, const DcAttributes& a, bool toDevice) {
    if (a.mapMode != MM_ANISOTROPIC) return s;
    const CSize num = toDevice ? a.viewportExt : a.windowExt, den = toDevice ? a.windowExt : a.viewportExt;
    return {MulDivRound(s.cx, num.cx, den.cx), MulDivRound(s.cy, num.cy, den.cy)};
}

}  // namespace

void CDC::LPtoDP(CSize* s) const {
    if (s) *s = ScaleSize(*s, m_state->a, true);
}
void CDC::DPtoLP(CPoint* points, int count) const {
    for (int i = 0; points && i < count; ++i) points[i] = m_state->toLogical(points[i]);
}
void CDC::DPtoLP(CRect* r) const {
    if (!r) return;
    const CPoint a = m_state->toLogical(r->TopLeft()), b = m_state->toLogical(r->BottomRight());
    *r = CRect(a, b);
}
void CDC::DPtoLP(CSize* s) const {
    if (s) *s = ScaleSize(*s, m_state->a, false);
}

// --- clipping --------------------------------------------------------------

int CDC::GetClipBox(CRect* rect) const {
    if (!rect) return RGN_ERROR;
    const CRect box = m_state->clipBox();
    if (box.IsRectEmpty()) {
        *rect = CRect{};
        return NULLREGION;
    }
    const CPoint o = m_state->origin;
    CRect logical(m_state->toLogical(box.TopLeft() - CSize(o.x, o.y)), m_state->toLogical(box.BottomRight() - CSize(o.x, o.y)));
    *rect = logical.normalized();
    return SIMPLEREGION;
}

int CDC::IntersectClipRect(int left, int top, int right, int bottom) {
    const CRect device(m_state->toDevice({left, top}), m_state->toDevice({right, bottom}));
    const CRect d = device.normalized();
    DcAttributes& a = m_state->a;
    if (!a.hasClip) {
        // Start from the whole device area so the result is an intersection.
        const CRect whole = m_state->clipBox().offset(-m_state->origin.x, -m_state->origin.y);
        a.clip = whole;
        a.hasClip = true;
    }
    a.clip = a.clip.intersected(d);
    return m_state->clipBox().IsRectEmpty() ? NULLREGION : SIMPLEREGION;
}

int CDC::SelectClipRect(const CRect* deviceRect) {
    DcAttributes& a = m_state->a;
    if (!deviceRect) {
        a.hasClip = false;
        a.clip = CRect{};
    } else {
        a.hasClip = true;
        a.clip = deviceRect->normalized();
    }
    return m_state->clipBox().IsRectEmpty() ? NULLREGION : SIMPLEREGION;
}

int CDC::SelectClipRgn(CRgn* region) {
    if (!region || region->IsNull()) return SelectClipRect(nullptr);
    CRect box;
    region->GetRgnBox(&box);
    return SelectClipRect(&box);
}

BOOL CDC::PtVisible(int x, int y) const {
    return m_state->clipBox().PtInRect(m_state->toSurface(CPoint(x, y))) ? TRUE : FALSE;
}

BOOL CDC::RectVisible(const CRect& rect) const {
    return m_state->clipBox().intersects(m_state->toSurface(rect)) ? TRUE : FALSE;
}

// --- raw pixel work on the clipped surface ---------------------------------

namespace {

using PixelOp = std::uint32_t (*)(std::uint32_t dst, std::uint32_t src);

std::uint32_t OpCopy(std::uint32_t, std::uint32_t s) { return s; }
std::uint32_t OpInvert(std::uint32_t d, std::uint32_t) { return d ^ 0xFFFFFF; }
std::uint32_t OpXor(std::uint32_t d, std::uint32_t s) { return d ^ s; }
std::uint32_t OpNotXor(std::uint32_t d, std::uint32_t s) { return ~(d ^ s) & 0xFFFFFF; }
std::uint32_t OpAnd(std::uint32_t d, std::uint32_t s) { return d & s; }
std::uint32_t OpOr(std::uint32_t d, std::uint32_t s) { return d | s; }
std::uint32_t OpNotSrc(std::uint32_t, std::uint32_t s) { return ~s & 0xFFFFFF; }
std::uint32_t OpBlack(std::uint32_t, std::uint32_t) { return 0; }
std::uint32_t OpWhite(std::uint32_t, std::uint32_t) { return 0xFFFFFF; }

PixelOp Rop2Op(int rop2) {
    switch (rop2) {
    case R2_BLACK: return OpBlack;
    case R2_NOT: return OpInvert;
    case R2_XORPEN: return OpXor;
    case R2_NOTXORPEN: return OpNotXor;
    case R2_WHITE: return OpWhite;
    default: return OpCopy;
    }
}

// Fills r (surface pixels) within clip.
void FillArea(Surface& s, const CRect& clip, const CRect& r, std::uint32_t p, PixelOp op = OpCopy) {
    const CRect c = r.intersected(clip);
    if (c.IsRectEmpty()) return;
    if (op == OpCopy) {
        s.fill(c, p);
        return;
    }
    for (int y = c.top; y < c.bottom; ++y) {
        std::uint32_t* d = s.row(y);
        for (int x = c.left; x < c.right; ++x) d[x] = op(d[x], p);
    }
}

void PlotPixel(Surface& s, const CRect& clip, int x, int y, std::uint32_t p, PixelOp op) {
    if (clip.PtInRect({x, y})) s.row(y)[x] = op(s.row(y)[x], p);
}

const PenData* PenOf(const DcState& st) { return static_cast<const PenData*>(st.a.pen.get()); }
const BrushData* BrushOf(const DcState& st) { return static_cast<const BrushData*>(st.a.brush.get()); }
const BrushData* BrushOf(CBrush* b) { return b && !b->IsNull() ? static_cast<const BrushData*>(b->GetSafeHandle()) : nullptr; }

// A line from a to b in surface pixels, b itself left out.
void DrawLine(Surface& s, const CRect& clip, CPoint a, CPoint b, std::uint32_t p, PixelOp op, int width) {
    const int lo0 = -(width - 1) / 2, hi0 = width / 2 + 1;
    // Straight lines (grid lines, edges) as one clipped span, however long.
    if (a.y == b.y && a.x != b.x) {
        const int x0 = a.x < b.x ? a.x : b.x + 1, x1 = a.x < b.x ? b.x : a.x + 1;
        FillArea(s, clip, CRect(x0, a.y + lo0, x1, a.y + hi0), p, op);
        return;
    }
    if (a.x == b.x && a.y != b.y) {
        const int y0 = a.y < b.y ? a.y : b.y + 1, y1 = a.y < b.y ? b.y : a.y + 1;
        FillArea(s, clip, CRect(a.x + lo0, y0, a.x + hi0, y1), p, op);
        return;
    }
    // FIXME: slanted lines step through every pixel, also outside the clip;
    // the system draws none that are long.
    int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
    const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
    int err = dx + dy;
    int x = a.x, y = a.y;
    const int lo = -(width - 1) / 2, hi = width / 2;
    // FIXME: wide pens are drawn as a square brush along the line; the
    // system only uses one-pixel pens.
    while (x != b.x || y != b.y) {
        if (width <= 1) {
            PlotPixel(s, clip, x, y, p, op);
        } else {
            FillArea(s, clip, CRect(x + lo, y + lo, x + hi + 1, y + hi + 1), p, op);
        }
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x += sx; }
        if (e2 <= dx) { err += dx; y += sy; }
    }
}

}  // namespace

// --- fills, lines and shapes -----------------------------------------------

void CDC::FillSolidRect(const CRect& rect, COLORREF color) {
    SetBkColor(color);
    Surface* s = m_state->surface();
    if (!s) return;
    FillArea(*s, m_state->clipBox(), m_state->toSurface(rect), ToPixel(color));
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
    FillSolidRect(CRect(x, y, x + cx, y + cy), color);
}

void CDC::FillRect(const CRect& rect, CBrush* brush) {
    const BrushData* b = BrushOf(brush);
    Surface* s = m_state->surface();
    if (!s || !b || b->style == BS_NULL) return;
    FillArea(*s, m_state->clipBox(), m_state->toSurface(rect), ToPixel(b->color));
}

namespace {

// The one-pixel outline of r (surface pixels) in colour p.
void FrameArea(Surface& s, const CRect& clip, const CRect& r, std::uint32_t p, PixelOp op = OpCopy) {
    if (r.IsRectEmpty()) return;
    FillArea(s, clip, {r.left, r.top, r.right, r.top + 1}, p, op);
    if (r.Height() > 1) FillArea(s, clip, {r.left, r.bottom - 1, r.right, r.bottom}, p, op);
    FillArea(s, clip, {r.left, r.top + 1, r.left + 1, r.bottom - 1}, p, op);
    if (r.Width() > 1) FillArea(s, clip, {r.right - 1, r.top + 1, r.right, r.bottom - 1}, p, op);
}

}  // namespace

void CDC::FrameRect(const CRect& rect, CBrush* brush) {
    const BrushData* b = BrushOf(brush);
    Surface* s = m_state->surface();
    if (!s || !b || b->style == BS_NULL) return;
    FrameArea(*s, m_state->clipBox(), m_state->toSurface(rect), ToPixel(b->color));
}

void CDC::Draw3dRect(const CRect& rect, COLORREF topLeft, COLORREF bottomRight) {
    Surface* s = m_state->surface();
    if (!s) return;
    const CRect r = m_state->toSurface(rect);
    if (r.IsRectEmpty()) return;
    const CRect clip = m_state->clipBox();
    FillArea(*s, clip, {r.left, r.top, r.right - 1, r.top + 1}, ToPixel(topLeft));
    FillArea(*s, clip, {r.left, r.top, r.left + 1, r.bottom - 1}, ToPixel(topLeft));
    FillArea(*s, clip, {r.right - 1, r.top, r.right, r.bottom}, ToPixel(bottomRight));
    FillArea(*s, clip, {r.left, r.bottom - 1, r.right, r.bottom}, ToPixel(bottomRight));
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight) {
    Draw3dRect(CRect(x, y, x + cx, y + cy), topLeft, bottomRight);
}

CPoint CDC::MoveTo(int x, int y) { return std::exchange(m_state->a.position, CPoint(x, y)); }
CPoint CDC::GetCurrentPosition() const { return m_state->a.position; }

BOOL CDC::LineTo(int x, int y) {
    const CPoint from = m_state->a.position;
    m_state->a.position = {x, y};
    const PenData* pen = PenOf(*m_state);
    Surface* s = m_state->surface();
    if (!s || pen->style == PS_NULL) return TRUE;
    // FIXME: dashed and dotted styles draw solid; the system draws solid lines only.
    // One-pixel pens stay one pixel under any mapping; wider ones scale.
    const int width = pen->width <= 1 ? 1 : std::max(1, int(std::lround(pen->width * std::abs(m_state->scaleX()))));
    DrawLine(*s, m_state->clipBox(), m_state->toSurface(from), m_state->toSurface(CPoint(x, y)), ToPixel(pen->color),
             Rop2Op(m_state->a.rop2), width);
    return TRUE;
}

BOOL CDC::Polyline(const CPoint* points, int count) {
    if (!points || count < 2) return FALSE;
    const CPoint saved = m_state->a.position;
    MoveTo(points[0]);
    for (int i = 1; i < count; ++i) LineTo(points[i]);
    m_state->a.position = saved;
    return TRUE;
}

BOOL CDC::Rectangle(int left, int top, int right, int bottom) {
    Surface* s = m_state->surface();
    if (!s) return TRUE;
    const CRect r = m_state->toSurface(CRect(left, top, right, bottom));
    const CRect clip = m_state->clipBox();
    const PenData* pen = PenOf(*m_state);
    const BrushData* brush = BrushOf(*m_state);
    const bool outline = pen->style != PS_NULL;
    // Without a pen the figure is one pixel smaller to the right and below.
    const CRect inside = outline ? r.deflated(1, 1) : CRect(r.left, r.top, r.right - 1, r.bottom - 1);
    if (brush->style != BS_NULL) FillArea(*s, clip, inside, ToPixel(brush->color));
    if (outline) FrameArea(*s, clip, r, ToPixel(pen->color), Rop2Op(m_state->a.rop2));
    return TRUE;
}

// --- edges and inversions --------------------------------------------------

BOOL CDC::DrawEdge(CRect* rect, UINT edge, UINT flags) {
    if (!rect) return FALSE;
    Surface* s = m_state->surface();
    CRect r = m_state->toSurface(*rect);
    const CRect clip = m_state->clipBox();

    struct Pair { int topLeft, bottomRight; };
    // Outer ring first, then the inner one, each in its own pair of colours.
    Pair rings[2];
    int count = 0;
    if (flags & (BF_MONO | BF_FLAT)) {
        const int c = (flags & BF_MONO) ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW;
        if (edge & BDR_OUTER) rings[count++] = {c, c};
        if (edge & BDR_INNER) rings[count++] = {(flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE,
                                                (flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE};
    } else {
        if (edge & BDR_RAISEDOUTER) rings[count++] = {COLOR_3DLIGHT, COLOR_3DDKSHADOW};
        else if (edge & BDR_SUNKENOUTER) rings[count++] = {COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
        if (edge & BDR_RAISEDINNER) rings[count++] = {COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW};
        else if (edge & BDR_SUNKENINNER) rings[count++] = {COLOR_3DDKSHADOW, COLOR_3DLIGHT};
    }
    for (int i = 0; i < count && !r.IsRectEmpty(); ++i) {
        const std::uint32_t tl = ToPixel(GetSysColor(rings[i].topLeft));
        const std::uint32_t br = ToPixel(GetSysColor(rings[i].bottomRight));
        if (s) {
            // Top and left first; right and bottom then take the two far corners.
            if (flags & BF_TOP) FillArea(*s, clip, {r.left, r.top, r.right, r.top + 1}, tl);
            if (flags & BF_LEFT) FillArea(*s, clip, {r.left, r.top, r.left + 1, r.bottom}, tl);
            if (flags & BF_RIGHT) FillArea(*s, clip, {r.right - 1, r.top, r.right, r.bottom}, br);
            if (flags & BF_BOTTOM) FillArea(*s, clip, {r.left, r.bottom - 1, r.right, r.bottom}, br);
        }
        if (flags & BF_LEFT) ++r.left;
        if (flags & BF_TOP) ++r.top;
        if (flags & BF_RIGHT) --r.right;
        if (flags & BF_BOTTOM) --r.bottom;
    }
    if (s && (flags & BF_MIDDLE)) FillArea(*s, clip, r, ToPixel(GetSysColor(COLOR_BTNFACE)));
    if (flags & BF_ADJUST) {
        const CPoint o = m_state->origin;
        CRect logical(m_state->toLogical(r.TopLeft() - CSize(o.x, o.y)), m_state->toLogical(r.BottomRight() - CSize(o.x, o.y)));
        *rect = logical.normalized();
    }
    return TRUE;
}

void CDC::DrawFocusRect(const CRect& rect) {
    Surface* s = m_state->surface();
    if (!s) return;
    const CRect r = m_state->toSurface(rect);
    if (r.IsRectEmpty()) return;
    const CRect clip = m_state->clipBox();
    // Every other pixel by surface position, so two draws in any context cancel.
    auto dot = [&](int x, int y) {
        if (((x + y) & 1) == 0 && clip.PtInRect({x, y})) s->row(y)[x] ^= 0xFFFFFF;
    };
    for (int x = r.left; x < r.right; ++x) {
        dot(x, r.top);
        if (r.Height() > 1) dot(x, r.bottom - 1);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        dot(r.left, y);
        if (r.Width() > 1) dot(r.right - 1, y);
    }
}

void CDC::InvertRect(const CRect& rect) {
    Surface* s = m_state->surface();
    if (!s) return;
    FillArea(*s, m_state->clipBox(), m_state->toSurface(rect), 0, OpInvert);
}

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop) {
    Surface* s = m_state->surface();
    if (!s) return FALSE;
    const CRect r = m_state->toSurface(CRect(x, y, x + width, y + height));
    const BrushData* brush = BrushOf(*m_state);
    const std::uint32_t pattern = ToPixel(brush->color);
    const CRect clip = m_state->clipBox();
    switch (rop) {
    case PATCOPY:
        if (brush->style != BS_NULL) FillArea(*s, clip, r, pattern);
        return TRUE;
    case PATINVERT:
        if (brush->style != BS_NULL) FillArea(*s, clip, r, pattern, OpXor);
        return TRUE;
    case DSTINVERT: FillArea(*s, clip, r, 0, OpInvert); return TRUE;
    case BLACKNESS: FillArea(*s, clip, r, 0); return TRUE;
    case WHITENESS: FillArea(*s, clip, r, 0xFFFFFF); return TRUE;
    default: return FALSE;
    }
}

// --- blits -----------------------------------------------------------------

namespace {

// Nearest pixel: the source pixel under the centre of target pixel u of n,
// for a source m pixels long, counted from the far end when flipped.
int NearestSource(int u, int n, int m, bool flip) {
    if (flip) u = n - 1 - u;
    return int((std::int64_t(2 * u + 1) * m) / (2 * std::int64_t(n)));
}

}  // namespace

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop) {
    if (!source) return PatBlt(x, y, width, height, rop);
    // Source extent in its logical units: the same device size as the target
    // when both map alike, so 1:1 contexts copy pixel for pixel.
    const CRect dst(m_state->toDevice({x, y}), m_state->toDevice({x + width, y + height}));
    const DcState& src = *source->m_state;
    const CPoint s0 = src.toDevice({xSrc, ySrc});
    const CPoint s1 = src.toLogical(s0 + dst.Size());
    return StretchBlt(x, y, width, height, source, xSrc, ySrc, s1.x - xSrc, s1.y - ySrc, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, int srcWidth,
                     int srcHeight, DWORD rop) {
    PixelOp op = nullptr;
    switch (rop) {
    case SRCCOPY: op = OpCopy; break;
    case SRCINVERT: op = OpXor; break;
    case SRCAND: op = OpAnd; break;
    case SRCPAINT: op = OpOr; break;
    case NOTSRCCOPY: op = OpNotSrc; break;
    default: return source ? FALSE : PatBlt(x, y, width, height, rop);
    }
    Surface* ds = m_state->surface();
    if (!ds || !source) return FALSE;
    const DcState& src = *source->m_state;
    const Surface* ss = src.surface();
    if (!ss) return FALSE;

    const CPoint d0 = m_state->toSurface(CPoint(x, y)), d1 = m_state->toSurface(CPoint(x + width, y + height));
    const CPoint s0 = src.toSurface(CPoint(xSrc, ySrc)), s1 = src.toSurface(CPoint(xSrc + srcWidth, ySrc + srcHeight));
    const int dw = d1.x - d0.x, dh = d1.y - d0.y, sw = s1.x - s0.x, sh = s1.y - s0.y;
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return TRUE;
    const CRect dstRect = CRect(d0, d1).normalized();
    const CRect area = dstRect.intersected(m_state->clipBox());
    if (area.IsRectEmpty()) return TRUE;

    const int adw = std::abs(dw), adh = std::abs(dh), asw = std::abs(sw), ash = std::abs(sh);
    const int srcLeft = std::min(s0.x, s1.x), srcTop = std::min(s0.y, s1.y);
    const bool flipX = (dw < 0) != (sw < 0), flipY = (dh < 0) != (sh < 0);
    auto mapX = [&](int tx) { return srcLeft + NearestSource(tx - dstRect.left, adw, asw, flipX); };
    auto mapY = [&](int ty) { return srcTop + NearestSource(ty - dstRect.top, adh, ash, flipY); };

    std::vector<int> columns(std::size_t(area.Width()));
    for (int tx = area.left; tx < area.right; ++tx) columns[std::size_t(tx - area.left)] = mapX(tx);

    // Copying within one surface reads from a snapshot of the rows it needs.
    const bool same = ss == ds;
    std::vector<std::uint32_t> rowCopy;
    const bool straight = !flipX && asw == adw;
    for (int ty = area.top; ty < area.bottom; ++ty) {
        const int sy = mapY(ty);
        if (sy < 0 || sy >= ss->height()) continue;
        const std::uint32_t* srow = ss->row(sy);
        if (same) {
            rowCopy.assign(srow, srow + ss->width());
            srow = rowCopy.data();
        }
        std::uint32_t* drow = ds->row(ty);
        if (straight && op == OpCopy) {
            int sx = columns[0], tx = area.left, n = area.Width();
            if (sx < 0) { tx -= sx; n += sx; sx = 0; }
            n = std::min(n, ss->width() - sx);
            if (n > 0) std::memcpy(drow + tx, srow + sx, std::size_t(n) * 4);
            continue;
        }
        for (int tx = area.left; tx < area.right; ++tx) {
            const int sx = columns[std::size_t(tx - area.left)];
            if (sx < 0 || sx >= ss->width()) continue;
            drow[tx] = op(drow[tx], srow[sx]);
        }
    }
    return TRUE;
}

void BlitMasked(CDC& dc, CPoint at, const Surface& image, const std::vector<bool>* transparent) {
    DcState& st = *DcAccess::state(&dc);
    Surface* ds = st.surface();
    if (!ds || image.empty()) return;
    // Scaled like a stretch (printing maps images up), nearest pixel, masked.
    const CPoint d0 = st.toSurface(at), d1 = st.toSurface(at + CSize(image.width(), image.height()));
    const CRect target = CRect(d0, d1).normalized();
    const CRect area = target.intersected(st.clipBox());
    const int tw = target.Width(), th = target.Height();
    for (int ty = area.top; ty < area.bottom; ++ty) {
        const int sy = NearestSource(ty - target.top, th, image.height(), d1.y < d0.y);
        std::uint32_t* drow = ds->row(ty);
        for (int tx = area.left; tx < area.right; ++tx) {
            const int sx = NearestSource(tx - target.left, tw, image.width(), d1.x < d0.x);
            if (transparent && (*transparent)[std::size_t(sy) * image.width() + sx]) continue;
            drow[tx] = image.pixel(sx, sy);
        }
    }
}

// --- pixels ----------------------------------------------------------------

COLORREF CDC::GetPixel(int x, int y) const {
    const Surface* s = m_state->surface();
    const CPoint p = m_state->toSurface(CPoint(x, y));
    if (!s || !m_state->clipBox().PtInRect(p)) return CLR_INVALID;
    return FromPixel(s->pixel(p.x, p.y));
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color) {
    Surface* s = m_state->surface();
    const CPoint p = m_state->toSurface(CPoint(x, y));
    if (!s || !m_state->clipBox().PtInRect(p)) return CLR_INVALID;
    s->setPixel(p.x, p.y, ToPixel(color));
    return color & 0x00FFFFFF;
}
