// Drawing objects. Sections: LOGFONT; CGdiObject (ownership, moves);
// stand-ins for handles; pens; brushes; fonts and the desktop message font;
// bitmaps and bitmap resources; regions; stock objects and GetObject.
#include "platform/gfx/gdiobj.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <unordered_map>

#include "platform/gfx/bmp.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/dcstate.h"
#include "platform/gfx/fontengine.h"
#include "platform/gfx/syscolors.h"

// --- LOGFONT ---------------------------------------------------------------

void LOGFONT::SetFaceName(std::u16string_view face) {
    const std::size_t n = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
    std::fill(std::begin(lfFaceName), std::end(lfFaceName), u'\0');
    std::copy_n(face.begin(), n, lfFaceName);
}

std::u16string LOGFONT::FaceName() const {
    std::size_t n = 0;
    while (n < LF_FACESIZE && lfFaceName[n]) ++n;
    return std::u16string(lfFaceName, n);
}

// --- CGdiObject ------------------------------------------------------------

CGdiObject::~CGdiObject() {
    if (m_data && m_data->owner == this) m_data->owner = nullptr;
}

CGdiObject::CGdiObject(CGdiObject&& other) noexcept { *this = std::move(other); }

CGdiObject& CGdiObject::operator=(CGdiObject&& other) noexcept {
    if (this == &other) return *this;
    const bool owned = other.m_data && other.m_data->owner == &other;
    std::shared_ptr<GdiObjectData> data = std::move(other.m_data);
    other.m_data.reset();
    if (owned) data->owner = nullptr;
    SetData(std::move(data));
    m_permanent = std::exchange(other.m_permanent, false);
    return *this;
}

void CGdiObject::SetData(std::shared_ptr<GdiObjectData> data) {
    if (m_data && m_data->owner == this) m_data->owner = nullptr;
    m_data = std::move(data);
    if (m_data && !m_data->owner) m_data->owner = this;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_data || m_permanent) return FALSE;
    SetData(nullptr);
    return TRUE;
}

BOOL CGdiObject::Attach(HGDIOBJ handle) {
    if (!handle || m_data) return FALSE;
    SetData(handle->shared_from_this());
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ h = m_data.get();
    SetData(nullptr);
    return h;
}

// --- stand-ins for handles -------------------------------------------------

namespace {

template <class T>
GdiObjectData::Kind KindOf();
template <> GdiObjectData::Kind KindOf<CPen>() { return GdiObjectData::Kind::Pen; }
template <> GdiObjectData::Kind KindOf<CBrush>() { return GdiObjectData::Kind::Brush; }
template <> GdiObjectData::Kind KindOf<CFont>() { return GdiObjectData::Kind::Font; }
template <> GdiObjectData::Kind KindOf<CBitmap>() { return GdiObjectData::Kind::Bitmap; }
template <> GdiObjectData::Kind KindOf<CRgn>() { return GdiObjectData::Kind::Region; }

std::unordered_map<HGDIOBJ, std::unique_ptr<CGdiObject>>& temps() {
    static std::unordered_map<HGDIOBJ, std::unique_ptr<CGdiObject>> map;
    return map;
}

}  // namespace

template <class T>
T* WrapHandle(HGDIOBJ handle) {
    if (!handle || handle->kind != KindOf<T>()) return nullptr;
    if (auto* typed = dynamic_cast<T*>(handle->owner)) return typed;
    auto& slot = temps()[handle];
    if (!slot || slot->GetSafeHandle() != handle) {
        auto obj = std::make_unique<T>();
        obj->Attach(handle);
        slot = std::move(obj);
    }
    return static_cast<T*>(slot.get());
}

template CPen* WrapHandle<CPen>(HGDIOBJ);
template CBrush* WrapHandle<CBrush>(HGDIOBJ);
template CFont* WrapHandle<CFont>(HGDIOBJ);
template CBitmap* WrapHandle<CBitmap>(HGDIOBJ);
template CRgn* WrapHandle<CRgn>(HGDIOBJ);

namespace {
std::vector<std::unique_ptr<CDC>>& tempDCs() {
    static std::vector<std::unique_ptr<CDC>> dcs;
    return dcs;
}
}  // namespace

CDC* RegisterTempDC(std::unique_ptr<CDC> dc) {
    tempDCs().push_back(std::move(dc));
    return tempDCs().back().get();
}

void DeleteTempGdiObjects() {
    temps().clear();
    tempDCs().clear();
}

// --- pens ------------------------------------------------------------------

BOOL CPen::CreatePen(int style, int width, COLORREF color) {
    if (m_data || style < PS_SOLID || style > PS_INSIDEFRAME || width < 0) return FALSE;
    auto d = std::make_shared<PenData>();
    d->style = style;
    d->width = std::max(1, width);
    d->color = color & 0x00FFFFFF;
    SetData(d);
    return TRUE;
}

BOOL CPen::CreateStockObject(int index) {
    HGDIOBJ h = GetStockObject(index);
    return h && h->kind == GdiObjectData::Kind::Pen ? Attach(h) : FALSE;
}

CPen* CPen::FromHandle(HPEN handle) { return WrapHandle<CPen>(handle); }
int CPen::GetStyle() const { return m_data ? typed<PenData>()->style : PS_NULL; }
COLORREF CPen::GetColor() const { return m_data ? typed<PenData>()->color : 0; }
int CPen::GetWidth() const { return m_data ? typed<PenData>()->width : 0; }

// --- brushes ---------------------------------------------------------------

BOOL CBrush::CreateSolidBrush(COLORREF color) {
    if (m_data) return FALSE;
    auto d = std::make_shared<BrushData>();
    d->color = color & 0x00FFFFFF;
    SetData(d);
    return TRUE;
}

BOOL CBrush::CreateSysColorBrush(int index) {
    CBrush* b = GetSysColorBrush(index);
    return b ? Attach(b->GetSafeHandle()) : FALSE;
}

BOOL CBrush::CreateStockObject(int index) {
    HGDIOBJ h = GetStockObject(index);
    return h && h->kind == GdiObjectData::Kind::Brush ? Attach(h) : FALSE;
}

CBrush* CBrush::FromHandle(HBRUSH handle) { return WrapHandle<CBrush>(handle); }
bool CBrush::IsNullBrush() const { return !m_data || typed<BrushData>()->style == BS_NULL; }
COLORREF CBrush::GetColor() const { return m_data ? typed<BrushData>()->color : 0; }

// --- fonts -----------------------------------------------------------------

BOOL CFont::CreateFontIndirect(const LOGFONT* logFont) {
    if (!logFont || m_data) return FALSE;
    auto d = std::make_shared<FontData>();
    d->logFont = *logFont;
    d->logFont.lfFaceName[LF_FACESIZE - 1] = 0;
    SetData(d);
    return TRUE;
}

BOOL CFont::CreatePointFontIndirect(const LOGFONT* logFont, CDC* dc) {
    if (!logFont) return FALSE;
    LOGFONT lf = *logFont;
    const int dpi = dc ? dc->GetDeviceCaps(LOGPIXELSY) : 96;
    // Tenths of a point to pixels, rounded; a negative height asks for the em size.
    const long px = (long(std::abs(lf.lfHeight)) * dpi + 360) / 720;
    lf.lfHeight = -LONG(px);
    return CreateFontIndirect(&lf);
}

BOOL CFont::CreatePointFont(int pointSize, const char16_t* faceName, CDC* dc) {
    LOGFONT lf;
    lf.lfHeight = pointSize;
    lf.lfCharSet = DEFAULT_CHARSET;
    if (faceName) lf.SetFaceName(faceName);
    return CreatePointFontIndirect(&lf, dc);
}

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                       BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                       BYTE quality, BYTE pitchAndFamily, const char16_t* faceName) {
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfUnderline = underline;
    lf.lfStrikeOut = strikeOut;
    lf.lfCharSet = charSet;
    lf.lfOutPrecision = outPrecision;
    lf.lfClipPrecision = clipPrecision;
    lf.lfQuality = quality;
    lf.lfPitchAndFamily = pitchAndFamily;
    if (faceName) lf.SetFaceName(faceName);
    return CreateFontIndirect(&lf);
}

BOOL CFont::CreateStockObject(int index) {
    HGDIOBJ h = GetStockObject(index);
    return h && h->kind == GdiObjectData::Kind::Font ? Attach(h) : FALSE;
}

CFont* CFont::FromHandle(HFONT handle) { return WrapHandle<CFont>(handle); }

int CFont::GetLogFont(LOGFONT* logFont) const {
    if (!m_data || !logFont) return 0;
    *logFont = typed<FontData>()->logFont;
    return int(sizeof(LOGFONT));
}

LOGFONT GetDesktopMessageFont() {
    LOGFONT lf;
    lf.lfHeight = -12;   // 9 points at 96 dpi
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.SetFaceName(FromUtf8(DefaultFamily("sans-serif")));
    return lf;
}

// --- bitmaps ---------------------------------------------------------------

namespace {

BitmapResourceLoader& resourceLoader() {
    static BitmapResourceLoader loader;
    return loader;
}

}  // namespace

void SetBitmapResourceLoader(BitmapResourceLoader loader) { resourceLoader() = std::move(loader); }

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
    if (!dc || m_data || !Surface::SizeAllowed(width, height)) return FALSE;
    auto d = std::make_shared<BitmapData>();
    // A zero size still gives a usable (empty) bitmap, as the platform allows.
    d->surface.resize(width, height, 0);
    SetData(d);
    return TRUE;
}

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    if (m_data || planes != 1 || (bitsPerPixel != 24 && bitsPerPixel != 32) || !Surface::SizeAllowed(width, height))
        return FALSE;
    auto d = std::make_shared<BitmapData>();
    d->surface.resize(width, height, 0);
    if (bits) {
        const auto* src = static_cast<const std::uint8_t*>(bits);
        if (bitsPerPixel == 32) {
            for (int y = 0; y < height; ++y)
                std::memcpy(d->surface.row(y), src + std::size_t(y) * width * 4, std::size_t(width) * 4);
        } else {
            const std::size_t stride = (std::size_t(width) * 3 + 1) & ~std::size_t(1);
            for (int y = 0; y < height; ++y) {
                const std::uint8_t* s = src + y * stride;
                std::uint32_t* p = d->surface.row(y);
                for (int x = 0; x < width; ++x, s += 3) p[x] = (std::uint32_t(s[2]) << 16) | (std::uint32_t(s[1]) << 8) | s[0];
            }
        }
    }
    SetData(d);
    return TRUE;
}

BOOL CBitmap::CreateFromSurface(const Surface& surface) {
    if (m_data) return FALSE;
    auto d = std::make_shared<BitmapData>();
    d->surface = surface;
    SetData(d);
    return TRUE;
}

BOOL CBitmap::LoadFromBmp(const BYTE* bytes, std::size_t size, std::string* error) {
    if (m_data) {
        if (error) *error = "the bitmap object already holds a bitmap";
        return FALSE;
    }
    BmpResult r = DecodeBmp(bytes, size);
    if (!r.ok) {
        if (error) *error = r.error;
        return FALSE;
    }
    auto d = std::make_shared<BitmapData>();
    d->surface = std::move(r.image);
    SetData(d);
    return TRUE;
}

BOOL CBitmap::LoadFromBmp(const std::vector<BYTE>& bytes, std::string* error) {
    return LoadFromBmp(bytes.data(), bytes.size(), error);
}

BOOL CBitmap::LoadBitmap(UINT resourceId) {
    if (m_data || !resourceLoader()) return FALSE;
    std::vector<BYTE> bytes;
    if (!resourceLoader()(resourceId, bytes)) return FALSE;
    return LoadFromBmp(bytes);
}

CBitmap* CBitmap::FromHandle(HBITMAP handle) { return WrapHandle<CBitmap>(handle); }

CSize CBitmap::GetSize() const {
    if (!m_data) return {};
    const Surface& s = typed<BitmapData>()->surface;
    return {s.width(), s.height()};
}

int CBitmap::GetBitmap(BITMAP* info) const {
    if (!m_data || !info) return 0;
    Surface& s = typed<BitmapData>()->surface;
    info->bmType = 0;
    info->bmWidth = s.width();
    info->bmHeight = s.height();
    info->bmWidthBytes = s.width() * 4;
    info->bmPlanes = 1;
    info->bmBitsPixel = 32;
    info->bmBits = s.data();
    return int(sizeof(BITMAP));
}

Surface* CBitmap::GetSurface() const { return m_data ? &typed<BitmapData>()->surface : nullptr; }

// --- regions ---------------------------------------------------------------

BOOL CRgn::CreateRectRgn(int left, int top, int right, int bottom) {
    if (m_data) return FALSE;
    auto d = std::make_shared<RegionData>();
    d->box = CRect(left, top, right, bottom).normalized();
    SetData(d);
    return TRUE;
}

BOOL CRgn::CreateRectRgnIndirect(const CRect* rect) {
    return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : FALSE;
}

CRgn* CRgn::FromHandle(HRGN handle) { return WrapHandle<CRgn>(handle); }

int CRgn::GetRgnBox(CRect* rect) const {
    if (!m_data || !rect) return RGN_ERROR;
    *rect = typed<RegionData>()->box;
    return rect->IsRectEmpty() ? NULLREGION : SIMPLEREGION;
}

// --- stock objects ---------------------------------------------------------

namespace {

std::unique_ptr<CGdiObject> MakeStock(int index) {
    auto pen = [](int style, COLORREF c) {
        auto p = std::make_unique<CPen>();
        p->CreatePen(style, 1, c);
        return std::unique_ptr<CGdiObject>(std::move(p));
    };
    auto brush = [](COLORREF c) {
        auto b = std::make_unique<CBrush>();
        b->CreateSolidBrush(c);
        return std::unique_ptr<CGdiObject>(std::move(b));
    };
    auto font = [](LOGFONT lf) {
        auto f = std::make_unique<CFont>();
        f->CreateFontIndirect(&lf);
        return std::unique_ptr<CGdiObject>(std::move(f));
    };
    LOGFONT lf;
    switch (index) {
    case WHITE_BRUSH: return brush(RGB(255, 255, 255));
    case LTGRAY_BRUSH: return brush(RGB(192, 192, 192));
    case GRAY_BRUSH: return brush(RGB(128, 128, 128));
    case DKGRAY_BRUSH: return brush(RGB(64, 64, 64));
    case BLACK_BRUSH: return brush(RGB(0, 0, 0));
    case NULL_BRUSH: {
        auto b = std::make_unique<CBrush>();
        b->CreateSolidBrush(0);
        static_cast<BrushData*>(b->GetSafeHandle())->style = BS_NULL;
        return b;
    }
    case WHITE_PEN: return pen(PS_SOLID, RGB(255, 255, 255));
    case BLACK_PEN: return pen(PS_SOLID, RGB(0, 0, 0));
    case NULL_PEN: return pen(PS_NULL, RGB(0, 0, 0));
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT:
        lf.lfHeight = 16;
        lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
        return font(lf);
    case ANSI_VAR_FONT:
    case DEFAULT_GUI_FONT:
        lf.lfHeight = -11;   // 8 points
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.SetFaceName(u"MS Sans Serif");
        return font(lf);
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
        lf.lfHeight = 16;
        lf.lfWeight = FW_BOLD;
        lf.SetFaceName(u"System");
        return font(lf);
    default: return nullptr;
    }
}

}  // namespace

CGdiObject* GetStockGdiObject(int index) {
    static std::array<std::unique_ptr<CGdiObject>, 20> stock;
    static std::array<bool, 20> made{};
    if (index < 0 || index >= int(stock.size())) return nullptr;
    if (!made[index]) {
        made[index] = true;
        stock[index] = MakeStock(index);
        if (stock[index]) stock[index]->MakePermanent();
    }
    return stock[index].get();
}

HGDIOBJ GetStockObject(int index) {
    CGdiObject* o = GetStockGdiObject(index);
    return o ? o->GetSafeHandle() : nullptr;
}

int GetObject(HGDIOBJ handle, int size, void* buffer) {
    if (!handle || !buffer) return 0;
    if (handle->kind == GdiObjectData::Kind::Font && size >= int(sizeof(LOGFONT))) {
        *static_cast<LOGFONT*>(buffer) = static_cast<FontData*>(handle)->logFont;
        return int(sizeof(LOGFONT));
    }
    if (handle->kind == GdiObjectData::Kind::Bitmap && size >= int(sizeof(BITMAP)))
        return CBitmap::FromHandle(handle)->GetBitmap(static_cast<BITMAP*>(buffer));
    return 0;
}

BOOL DeleteObject(HGDIOBJ handle) {
    if (!handle) return FALSE;
    if (handle->owner) return handle->owner->DeleteObject();
    temps().erase(handle);
    return TRUE;
}
