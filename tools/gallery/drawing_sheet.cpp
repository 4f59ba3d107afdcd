#include "tools/gallery/drawing_sheet.h"

#include <algorithm>

#include "platform/gfx/dc.h"
#include "platform/gfx/syscolors.h"

namespace {

CFont MakeFont(const char16_t* face, int height, int weight) {
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.SetFaceName(face);
    CFont f;
    f.CreateFontIndirect(&lf);
    return f;
}

// Section title in bold at the top of a panel; returns the panel's body.
CRect Panel(CDC& dc, const CRect& r, const char16_t* title) {
    CDCStateScope scope(dc);
    CBrush frame(GetSysColor(COLOR_BTNSHADOW));
    dc.FrameRect(r, &frame);
    LOGFONT lf = GetDesktopMessageFont();
    lf.lfWeight = FW_BOLD;
    CFont bold;
    bold.CreateFontIndirect(&lf);
    dc.SelectObject(&bold);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0, 0, 0));
    CRect t(r.left + 6, r.top + 3, r.right - 6, r.top + 20);
    dc.DrawText(title, t, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    return CRect(r.left + 6, r.top + 22, r.right - 6, r.bottom - 6);
}

void Fills(CDC& dc, CRect body) {
    const COLORREF colours[] = {RGB(204, 235, 255), RGB(255, 0, 0), RGB(0, 160, 0), RGB(0, 0, 255),
                                RGB(255, 255, 0), GetSysColor(COLOR_HIGHLIGHT)};
    int x = body.left;
    for (COLORREF c : colours) {
        dc.FillSolidRect(CRect(x, body.top, x + 30, body.top + 30), c);
        x += 34;
    }
    // Brushes, a rectangle with pen and brush, a frame.
    CBrush hatchless(RGB(255, 128, 0));
    dc.FillRect(CRect(body.left, body.top + 38, body.left + 60, body.top + 68), &hatchless);
    CPen pen(PS_SOLID, 1, RGB(0, 0, 128));
    CBrush inside(RGB(230, 230, 255));
    CPen* oldPen = dc.SelectObject(&pen);
    CBrush* oldBrush = dc.SelectObject(&inside);
    dc.Rectangle(body.left + 70, body.top + 38, body.left + 130, body.top + 68);
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);
    CBrush frame(RGB(128, 0, 128));
    dc.FrameRect(CRect(body.left + 140, body.top + 38, body.left + 200, body.top + 68), &frame);
    // Exclusive edges: a 1-pixel gap shows between neighbouring fills.
    for (int i = 0; i < 5; ++i)
        dc.FillSolidRect(CRect(body.left + 2 * i * 5, body.top + 76, body.left + (2 * i + 1) * 5, body.top + 86),
                         RGB(0, 0, 0));
}

void Lines(CDC& dc, CRect body) {
    CPen black(PS_SOLID, 1, RGB(0, 0, 0));
    CPen* old = dc.SelectObject(&black);
    const CPoint c(body.left + 45, body.top + 45);
    for (int i = 0; i <= 16; ++i) {
        // A fan of lines, each leaving out its last pixel.
        const int dx = (i <= 8) ? 40 : 40 - (i - 8) * 10;
        const int dy = (i <= 8) ? -40 + i * 10 : 40;
        dc.MoveTo(c);
        dc.LineTo(c.x + dx, c.y + dy);
    }
    CPen grid(PS_SOLID, 1, RGB(192, 192, 192));
    dc.SelectObject(&grid);
    for (int y = body.top; y <= body.top + 90; y += 15) {
        dc.MoveTo(body.left + 100, y);
        dc.LineTo(body.left + 200, y);
    }
    for (int x = body.left + 100; x <= body.left + 200; x += 20) {
        dc.MoveTo(x, body.top);
        dc.LineTo(x, body.top + 91);
    }
    dc.SelectObject(old);
}

void Edges(CDC& dc, CRect body) {
    struct Sample { UINT edge; const char16_t* name; };
    const Sample samples[] = {{EDGE_RAISED, u"raised"}, {EDGE_SUNKEN, u"sunken"}, {BDR_SUNKENINNER, u"sunken inner"},
                              {EDGE_ETCHED, u"etched"}, {EDGE_BUMP, u"bump"}};
    CFont font = MakeFont(u"MS Sans Serif", -11, FW_NORMAL);
    CFont* oldFont = dc.SelectObject(&font);
    dc.SetBkMode(TRANSPARENT);
    int x = body.left;
    for (const auto& s : samples) {
        CRect r(x, body.top, x + 90, body.top + 30);
        dc.FillSolidRect(r, GetSysColor(COLOR_BTNFACE));
        dc.DrawEdge(&r, s.edge, BF_RECT | BF_ADJUST);
        dc.DrawText(s.name, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        x += 96;
    }
    // A heading cell as the grid draws it: pens of highlight and dark shadow.
    CRect cell(body.left, body.top + 40, body.left + 100, body.top + 60);
    dc.FillSolidRect(cell, GetSysColor(COLOR_BTNFACE));
    CPen light(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT)), dark(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW));
    CPen* oldPen = dc.SelectObject(&light);
    dc.MoveTo(cell.right - 1, cell.top);
    dc.LineTo(cell.left, cell.top);
    dc.LineTo(cell.left, cell.bottom - 1);
    dc.SelectObject(&dark);
    dc.MoveTo(cell.right - 1, cell.top);
    dc.LineTo(cell.right - 1, cell.bottom - 1);
    dc.LineTo(cell.left, cell.bottom - 1);
    dc.SelectObject(oldPen);
    CRect text = cell;
    dc.DrawText(u"Title", text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    // Focus rectangles, one drawn twice (gone again), and an inverted band.
    dc.DrawFocusRect(CRect(body.left + 110, body.top + 40, body.left + 200, body.top + 60));
    CRect twice(body.left + 210, body.top + 40, body.left + 300, body.top + 60);
    dc.DrawFocusRect(twice);
    dc.DrawFocusRect(twice);
    dc.FillSolidRect(CRect(body.left + 310, body.top + 40, body.left + 370, body.top + 60), RGB(0, 128, 255));
    dc.InvertRect(CRect(body.left + 330, body.top + 36, body.left + 332, body.top + 64));
    dc.SelectObject(oldFont);
}

void Faces(CDC& dc, CRect body) {
    const char16_t* faces[] = {u"Verdana", u"MS Sans Serif", u"Times New Roman"};
    const int weights[] = {FW_NORMAL, FW_SEMIBOLD, FW_BOLD};
    const char16_t* names[] = {u"normal", u"semibold", u"bold"};
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0, 0, 0));
    int y = body.top;
    for (const char16_t* face : faces) {
        int x = body.left;
        for (int i = 0; i < 3; ++i) {
            CFont f = MakeFont(face, -13, weights[i]);
            CFont* old = dc.SelectObject(&f);
            std::u16string label = std::u16string(face) + u" " + names[i];
            dc.TextOut(x, y, label);
            x += 200;
            dc.SelectObject(old);
        }
        y += 20;
    }
    CFont caption = MakeFont(u"Verdana", 13, FW_BOLD);
    CFont* old = dc.SelectObject(&caption);
    dc.FillSolidRect(CRect(body.left, y + 2, body.left + 300, y + 23), RGB(21, 119, 211));
    dc.SetTextColor(RGB(255, 255, 255));
    dc.TextOut(body.left + 10, y + 5, u"Diary (caption font)");
    dc.SelectObject(old);
    dc.SetTextColor(RGB(0, 0, 0));
}

void Alignments(CDC& dc, CRect body) {
    const UINT horizontal[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
    const UINT vertical[] = {DT_TOP, DT_VCENTER, DT_BOTTOM};
    const char16_t* hn[] = {u"left", u"center", u"right"};
    const char16_t* vn[] = {u"top", u"vcenter", u"bottom"};
    CFont font = MakeFont(u"Verdana", -12, FW_NORMAL);
    CFont* old = dc.SelectObject(&font);
    dc.SetBkMode(TRANSPARENT);
    const int w = 120, h = 34;
    for (int v = 0; v < 3; ++v)
        for (int hz = 0; hz < 3; ++hz) {
            CRect r(body.left + hz * (w + 4), body.top + v * (h + 4), body.left + hz * (w + 4) + w,
                    body.top + v * (h + 4) + h);
            dc.FillSolidRect(r, RGB(255, 255, 255));
            CBrush frame(RGB(160, 160, 160));
            dc.FrameRect(r, &frame);
            std::u16string text = std::u16string(vn[v]) + u" " + hn[hz];
            dc.DrawText(text, r, horizontal[hz] | vertical[v] | DT_SINGLELINE);
        }
    dc.SelectObject(old);
}

void Ellipsis(CDC& dc, CRect body) {
    CFont font = MakeFont(u"Verdana", -12, FW_NORMAL);
    CFont* old = dc.SelectObject(&font);
    dc.SetBkMode(TRANSPARENT);
    const std::u16string text = u"Meeting with the whole department about next year's budget";
    int y = body.top;
    for (int width : {360, 200, 120, 60}) {
        CRect r(body.left, y, body.left + width, y + 18);
        dc.FillSolidRect(r, RGB(255, 255, 220));
        dc.DrawText(text, r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        y += 22;
    }
    // Word wrapping with a measured rectangle, and a prefix underline.
    CRect wrap(body.left, y, body.left + 200, y);
    dc.DrawText(text, wrap, DT_WORDBREAK | DT_CALCRECT);
    dc.FillSolidRect(wrap, RGB(230, 255, 230));
    dc.DrawText(text, wrap, DT_WORDBREAK);
    CRect prefix(body.left + 220, y, body.left + 360, y + 18);
    dc.DrawText(u"&Modify  Show &All", prefix, DT_LEFT | DT_SINGLELINE);
    dc.SelectObject(old);
}

// A 66 x 21 button face like the skin's: blue rim, white-to-light-blue gradient.
CBitmap ButtonFace() {
    Surface s(66, 21);
    for (int y = 0; y < 21; ++y) {
        const int t = y * 255 / 20;
        const COLORREF c = RGB(255 - (255 - 0x9D) * t / 255, 255 - (255 - 0xD3) * t / 255, 255);
        s.fill(CRect(0, y, 66, y + 1), ToPixel(c));
    }
    const std::uint32_t rim = ToPixel(RGB(0x23, 0x60, 0xB1));
    s.fill(CRect(1, 0, 65, 1), rim);
    s.fill(CRect(1, 20, 65, 21), rim);
    s.fill(CRect(0, 1, 1, 20), rim);
    s.fill(CRect(65, 1, 66, 20), rim);
    CBitmap b;
    b.CreateFromSurface(s);
    return b;
}

void Stretched(CDC& dc, CRect body) {
    CBitmap face = ButtonFace();
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    CBitmap* old = mem.SelectObject(&face);
    const CSize size = face.GetSize();
    CFont font = MakeFont(u"MS Sans Serif", -11, FW_NORMAL);
    CFont* oldFont = dc.SelectObject(&font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(COLOR_WINDOWFRAME));
    struct Target { int w, h; const char16_t* label; };
    const Target targets[] = {{66, 21, u"66 x 21"}, {100, 28, u"OK"}, {160, 40, u"Show All"}};
    int x = body.left;
    for (const auto& t : targets) {
        dc.StretchBlt(x, body.top, t.w, t.h, &mem, 0, 0, size.cx, size.cy, SRCCOPY);
        CRect r(x, body.top, x + t.w, body.top + t.h);
        dc.DrawText(t.label, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        x += t.w + 12;
    }
    mem.SelectObject(old);
    dc.SelectObject(oldFont);
}

}  // namespace

void DrawReferenceSheet(CDC& dc, CRect area) {
    CDCStateScope scope(dc);
    dc.IntersectClipRect(area);
    dc.FillSolidRect(area, RGB(240, 240, 240));
    const int mid = area.left + 440;
    const int x0 = area.left + 10, x1 = mid + 10, r = area.right - 10;
    const int y0 = area.top + 10;
    Fills(dc, Panel(dc, CRect(x0, y0, mid, y0 + 120), u"Fills, brushes, frames"));
    Lines(dc, Panel(dc, CRect(x1, y0, r, y0 + 120), u"Lines (last pixel left out)"));
    Edges(dc, Panel(dc, CRect(x0, y0 + 130, r, y0 + 230), u"Edges, focus rectangles, inversion"));
    Faces(dc, Panel(dc, CRect(x0, y0 + 240, r, y0 + 350), u"Faces and weights"));
    Alignments(dc, Panel(dc, CRect(x0, y0 + 360, x0 + 392, y0 + 530), u"DrawText alignments"));
    Ellipsis(dc, Panel(dc, CRect(x0 + 402, y0 + 360, r, y0 + 530), u"Ellipsis, wrapping, prefixes"));
    const CRect stretched = Panel(dc, CRect(x0, y0 + 540, r, y0 + 640), u"Stretched bitmap (66 x 21 face); edges magnified 4x");
    Stretched(dc, stretched);
    // Where the raised and the sunken sample meet, magnified from the sheet itself.
    dc.StretchBlt(stretched.right - 200, stretched.top, 200, 72, &dc, x0 + 76, y0 + 149, 50, 18, SRCCOPY);
}
