// Drawing objects: pens, brushes, fonts, bitmaps and rectangular regions.
//
// An object's description lives in a shared data block; the C++ object
// (CPen, CFont, ...) holds one reference and a device context that has it
// selected holds another, so deleting or destroying an object that is still
// selected never leaves the context drawing with freed memory. A handle
// (HGDIOBJ) is the address of the data block.
//
// Contents: LOGFONT and TEXTMETRIC; the data blocks; CGdiObject and the
// typed objects; stock objects; the desktop message font; bitmap resources.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/geometry.h"
#include "platform/base/text.h"
#include "platform/base/types.h"
#include "platform/gfx/gdiconst.h"
#include "platform/gfx/surface.h"

struct LOGFONT {
    LONG lfHeight = 0;        // < 0: em size in pixels; > 0: cell height; 0: default size
    LONG lfWidth = 0;         // average character width; 0: the face's own proportions
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 0;        // FW_*; 0 means FW_NORMAL
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    char16_t lfFaceName[LF_FACESIZE] = {};

    // Copies up to 31 characters of the face name and terminates it.
    void SetFaceName(std::u16string_view face);
    std::u16string FaceName() const;
};
using LOGFONTW = LOGFONT;

struct TEXTMETRIC {
    LONG tmHeight = 0;
    LONG tmAscent = 0;
    LONG tmDescent = 0;
    LONG tmInternalLeading = 0;
    LONG tmExternalLeading = 0;
    LONG tmAveCharWidth = 0;
    LONG tmMaxCharWidth = 0;
    LONG tmWeight = 0;
    LONG tmOverhang = 0;
    LONG tmDigitizedAspectX = 96;
    LONG tmDigitizedAspectY = 96;
    char16_t tmFirstChar = 0x20;
    char16_t tmLastChar = 0xFFFC;
    char16_t tmDefaultChar = 0x1F;
    char16_t tmBreakChar = 0x20;
    BYTE tmItalic = 0;
    BYTE tmUnderlined = 0;
    BYTE tmStruckOut = 0;
    BYTE tmPitchAndFamily = 0;
    BYTE tmCharSet = 0;
};
using TEXTMETRICW = TEXTMETRIC;

struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 1;
    WORD bmBitsPixel = 32;
    void* bmBits = nullptr;
};

class CGdiObject;
class CDC;

struct GdiObjectData : std::enable_shared_from_this<GdiObjectData> {
    enum class Kind { Pen, Brush, Font, Bitmap, Region };
    explicit GdiObjectData(Kind k) : kind(k) {}
    virtual ~GdiObjectData() = default;
    const Kind kind;
    CGdiObject* owner = nullptr;   // the object that made it, while that object lives
};

struct PenData : GdiObjectData {
    PenData() : GdiObjectData(Kind::Pen) {}
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
};

struct BrushData : GdiObjectData {
    BrushData() : GdiObjectData(Kind::Brush) {}
    UINT style = BS_SOLID;
    COLORREF color = 0;
};

struct FontData : GdiObjectData {
    FontData() : GdiObjectData(Kind::Font) {}
    LOGFONT logFont;
};

struct BitmapData : GdiObjectData {
    BitmapData() : GdiObjectData(Kind::Bitmap) {}
    Surface surface;
};

struct RegionData : GdiObjectData {
    RegionData() : GdiObjectData(Kind::Region) {}
    CRect box;   // regions are single rectangles here
};

using HGDIOBJ = GdiObjectData*;
using HPEN = HGDIOBJ;
using HBRUSH = HGDIOBJ;
using HFONT = HGDIOBJ;
using HBITMAP = HGDIOBJ;
using HRGN = HGDIOBJ;

class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject();
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    // Moving hands the description (and being its owner) to the new object.
    CGdiObject(CGdiObject&& other) noexcept;
    CGdiObject& operator=(CGdiObject&& other) noexcept;

    HGDIOBJ GetSafeHandle() const { return m_data.get(); }
    operator HGDIOBJ() const { return m_data.get(); }
    bool IsNull() const { return !m_data; }

    // Lets go of the description. A context that still has it selected keeps
    // drawing with it until something else is selected. Stock objects ignore it.
    BOOL DeleteObject();
    // Takes a reference to an existing object's data (FALSE for a null handle
    // or when this object already holds one).
    BOOL Attach(HGDIOBJ handle);
    HGDIOBJ Detach();

    const std::shared_ptr<GdiObjectData>& data() const { return m_data; }
    void MakePermanent() { m_permanent = true; }

protected:
    void SetData(std::shared_ptr<GdiObjectData> data);
    template <class T> T* typed() const { return static_cast<T*>(m_data.get()); }

    std::shared_ptr<GdiObjectData> m_data;
    bool m_permanent = false;
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    // Width 0 and 1 both mean a one-pixel pen.
    BOOL CreatePen(int style, int width, COLORREF color);
    BOOL CreateStockObject(int index);
    static CPen* FromHandle(HPEN handle);
    int GetStyle() const;
    COLORREF GetColor() const;
    int GetWidth() const;
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    BOOL CreateSolidBrush(COLORREF color);
    BOOL CreateSysColorBrush(int index);
    BOOL CreateStockObject(int index);
    static CBrush* FromHandle(HBRUSH handle);
    bool IsNullBrush() const;
    COLORREF GetColor() const;
};

class CFont : public CGdiObject {
public:
    // Fails (FALSE) for a null description.
    BOOL CreateFontIndirect(const LOGFONT* logFont);
    // pointSize in tenths of a point; pixels from the context's vertical
    // resolution (96 per inch without a context).
    BOOL CreatePointFont(int pointSize, const char16_t* faceName, CDC* dc = nullptr);
    BOOL CreatePointFontIndirect(const LOGFONT* logFont, CDC* dc = nullptr);
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight,
                    BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                    BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, const char16_t* faceName);
    BOOL CreateStockObject(int index);
    static CFont* FromHandle(HFONT handle);
    // Returns the size of LOGFONT, 0 when there is no font.
    int GetLogFont(LOGFONT* logFont) const;
};

class CBitmap : public CGdiObject {
public:
    // A black bitmap of the given size; the context only has to be valid.
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    // bits: rows top to bottom; 32 bits per pixel are 0x00RRGGBB words, 24
    // bits per pixel are B, G, R bytes with rows padded to an even length.
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
    BOOL CreateFromSurface(const Surface& surface);
    // A 24-bit BMP file image. On failure the bitmap is unchanged and error
    // (when given) says why.
    BOOL LoadFromBmp(const std::vector<BYTE>& bytes, std::string* error = nullptr);
    BOOL LoadFromBmp(const BYTE* bytes, std::size_t size, std::string* error = nullptr);
    // A bitmap resource by number, through the loader installed with
    // SetBitmapResourceLoader. FALSE when there is none or it does not decode.
    BOOL LoadBitmap(UINT resourceId);
    static CBitmap* FromHandle(HBITMAP handle);

    CSize GetSize() const;
    int GetBitmap(BITMAP* info) const;
    Surface* GetSurface() const;
};

class CRgn : public CGdiObject {
public:
    BOOL CreateRectRgn(int left, int top, int right, int bottom);
    BOOL CreateRectRgnIndirect(const CRect* rect);
    static CRgn* FromHandle(HRGN handle);
    int GetRgnBox(CRect* rect) const;
};

// Stock objects are created on first use and live for the whole run.
HGDIOBJ GetStockObject(int index);
CGdiObject* GetStockGdiObject(int index);   // the permanent C++ object; null for an unknown index
int GetObject(HGDIOBJ handle, int size, void* buffer);   // LOGFONT, BITMAP; 0 on failure
BOOL DeleteObject(HGDIOBJ handle);                       // drops nothing we own; kept for symmetry

// FromHandle hands out stand-in objects for handles whose own object is gone
// or unknown; the window layer frees them when its loop is idle.
void DeleteTempGdiObjects();

// The desktop's message font: the default sans face at 9 points, 96 dpi.
LOGFONT GetDesktopMessageFont();

// Bitmap resources: the resource layer installs a function that gives the
// BMP file bytes of a bitmap number (false when there is no such bitmap).
using BitmapResourceLoader = std::function<bool(UINT id, std::vector<BYTE>& bmpBytes)>;
void SetBitmapResourceLoader(BitmapResourceLoader loader);
