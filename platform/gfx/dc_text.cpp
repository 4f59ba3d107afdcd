// Device context text: TextOut, DrawText, extents and metrics.
//
// DrawText: decode and strip prefixes -> split lines (and wrap words) ->
// shorten lines with an ellipsis -> place lines (alignment, single-line
// vertical centring) -> fill the background when opaque -> draw glyphs
// from the face's cache -> underlines. All layout happens in device pixels;
// results are converted back to logical units at the end.
#include <algorithm>
#include <cmath>

#include "platform/gfx/dc.h"
#include "platform/gfx/dcstate.h"

namespace {

struct Prepared {
    std::u32string chars;
    std::vector<bool> underline;   // per character: prefix underline
};

// The code point at text[i] (i < n), stepping i past it; a lone surrogate
// is U+FFFD.
char32_t NextCodePoint(const char16_t* text, std::size_t n, std::size_t& i) {
    const char16_t c = text[i++];
    if (c < 0xD800 || c > 0xDFFF) return c;
    if (c <= 0xDBFF && i < n && text[i] >= 0xDC00 && text[i] <= 0xDFFF)
        return 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[i++]) - 0xDC00);
    return 0xFFFD;
}

std::u32string Decode(const char16_t* text, std::size_t n) {
    std::u32string out;
    out.reserve(n);
    for (std::size_t i = 0; i < n;) out.push_back(NextCodePoint(text, n, i));
    return out;
}

// '&' underlines the next character, "&&" is one '&', a final '&' is dropped.
Prepared Prepare(const char16_t* text, std::size_t n, UINT format) {
    Prepared p;
    std::u32string raw = Decode(text, n);
    if (format & DT_NOPREFIX) {
        p.chars = std::move(raw);
        p.underline.assign(p.chars.size(), false);
        return p;
    }
    const bool show = !(format & DT_HIDEPREFIX);
    p.chars.reserve(raw.size());
    p.underline.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == U'&') {
            if (i + 1 >= raw.size()) break;
            ++i;
            p.chars.push_back(raw[i]);
            p.underline.push_back(show && raw[i] != U'&');
            continue;
        }
        p.chars.push_back(raw[i]);
        p.underline.push_back(false);
    }
    return p;
}

struct LineText {
    std::u32string chars;
    std::vector<bool> underline;
    int width = 0;
};

class Layout {
public:
    // measureOnly: lines keep their widths but not their characters.
    Layout(FontFace& face, UINT format, bool measureOnly = false)
        : m_face(face), m_format(format), m_measureOnly(measureOnly) {
        m_tab = (format & DT_EXPANDTABS) ? std::max(1, 8 * face.aveCharWidth) : 0;
    }

    int advanceAt(char32_t c, int x) const {
        if (c == U'\t' && m_tab > 0) return m_tab - (x % m_tab);
        return m_face.advance(c);
    }

    int width(const std::u32string& s, std::size_t from, std::size_t to) const {
        int x = 0;
        for (std::size_t i = from; i < to; ++i) x += advanceAt(s[i], x);
        return x;
    }

    // take: the line is the last use of p's characters from 0, so it moves them.
    void addLine(Prepared& p, std::size_t from, std::size_t to, bool take = false) {
        std::size_t end = to;
        // Spaces at a wrapped line's end take no room.
        if (m_format & DT_WORDBREAK)
            while (end > from && p.chars[end - 1] == U' ') --end;
        LineText line;
        if (m_measureOnly) {
            line.width = width(p.chars, from, end);
            lines.push_back(std::move(line));
            return;
        }
        if (take && from == 0) {
            line.chars = std::move(p.chars);
            line.chars.resize(end);
            line.underline = std::move(p.underline);
            line.underline.resize(end);
        } else {
            line.chars.assign(p.chars.begin() + std::ptrdiff_t(from), p.chars.begin() + std::ptrdiff_t(end));
            line.underline.assign(p.underline.begin() + std::ptrdiff_t(from), p.underline.begin() + std::ptrdiff_t(end));
        }
        line.width = width(line.chars, 0, line.chars.size());
        lines.push_back(std::move(line));
    }

    void wrap(Prepared& p, std::size_t a, std::size_t b, int limit) {
        std::size_t start = a, i = a, breakAt = std::u32string::npos;
        int x = 0;
        while (i < b) {
            const char32_t c = p.chars[i];
            const int adv = advanceAt(c, x);
            if (c == U' ') breakAt = i;
            if (x + adv > limit && c != U' ' && breakAt != std::u32string::npos && breakAt > start) {
                addLine(p, start, breakAt);
                i = breakAt;
                while (i < b && p.chars[i] == U' ') ++i;
                start = i;
                x = 0;
                breakAt = std::u32string::npos;
                continue;
            }
            x += adv;
            ++i;
        }
        addLine(p, start, b);
    }

    void build(Prepared p, int limit) {
        const std::size_t n = p.chars.size();
        if (m_format & DT_SINGLELINE) {
            // The one line is all of the text: it takes the characters.
            addLine(p, 0, n, true);
            return;
        }
        std::size_t start = 0;
        for (std::size_t i = 0; i <= n; ++i) {
            if (i < n && p.chars[i] != U'\r' && p.chars[i] != U'\n') continue;
            if (m_format & DT_WORDBREAK) wrap(p, start, i, limit);
            else addLine(p, start, i);
            if (i < n && p.chars[i] == U'\r' && i + 1 < n && p.chars[i + 1] == U'\n') ++i;
            start = i + 1;
        }
    }

    // Cuts a line that is too wide and ends it with as many dots as fit.
    void ellipsis(LineText& line, int limit) const {
        if (line.width <= limit) return;
        std::u32string dots = U"...";
        while (!dots.empty() && width(dots, 0, dots.size()) > limit) dots.pop_back();
        const int room = limit - width(dots, 0, dots.size());
        std::size_t keep = 0;
        int x = 0;
        while (keep < line.chars.size()) {
            const int adv = advanceAt(line.chars[keep], x);
            if (x + adv > room) break;
            x += adv;
            ++keep;
        }
        line.chars.resize(keep);
        line.underline.resize(keep);
        line.chars += dots;
        line.underline.resize(line.chars.size(), false);
        line.width = width(line.chars, 0, line.chars.size());
    }

    std::vector<LineText> lines;

private:
    FontFace& m_face;
    UINT m_format;
    bool m_measureOnly;
    int m_tab;
};

void DrawGlyph(Surface& s, const CRect& clip, const Glyph& g, int penX, int baseY, std::uint32_t color) {
    if (g.width == 0) return;
    const int gx = penX + g.left, gy = baseY - g.top;
    const int x0 = std::max(gx, clip.left), x1 = std::min(gx + g.width, clip.right);
    const int y0 = std::max(gy, clip.top), y1 = std::min(gy + g.height, clip.bottom);
    for (int y = y0; y < y1; ++y) {
        const std::uint8_t* cov = g.coverage.data() + std::size_t(y - gy) * g.width + (x0 - gx);
        std::uint32_t* d = s.row(y) + x0;
        for (int i = 0, n = x1 - x0; i < n; ++i) {
            const std::uint32_t a = cov[i];
            if (a == 0) continue;
            d[i] = a == 255 ? color : BlendPixel(d[i], color, a);
        }
    }
}

struct Painter {
    Surface& s;
    CRect clip;
    FontFace& face;
    const LOGFONT& lf;
    std::uint32_t color;
    const Layout* layout;   // for tab stops; null: tabs are glyphs
    bool glyphs = true;

    void line(const LineText& t, int x, int top) {
        const int base = top + face.ascent;
        int pen = x;
        for (std::size_t i = 0; i < t.chars.size(); ++i) {
            const char32_t c = t.chars[i];
            const Glyph& g = face.glyph(c);
            const int adv = layout && c == U'\t' ? layout->advanceAt(c, pen - x) : g.advance;
            if (glyphs) DrawGlyph(s, clip, g, pen, base, color);
            if (t.underline[i]) rule(pen, pen + adv, base + face.underlineOffset);
            pen += adv;
        }
        if (lf.lfUnderline) rule(x, pen, base + face.underlineOffset);
        if (lf.lfStrikeOut) rule(x, pen, base - face.strikeOffset);
    }

    void rule(int x0, int x1, int y) {
        s.fill(CRect(x0, y, x1, y + face.lineThickness).intersected(clip), color);
    }
};

int ToLogical(int device, double scale) {
    return int(std::lround(device / std::abs(scale)));
}

}  // namespace

BOOL CDC::TextOut(int x, int y, const char16_t* text, int count) {
    if (!text || count < 0) return FALSE;
    DcState& st = *m_state;
    FontFace& face = st.currentFace();
    Surface* s = st.surface();
    if (!s || count == 0) return TRUE;
    Prepared p = Prepare(text, std::size_t(count), DT_NOPREFIX);
    LineText line{std::move(p.chars), std::move(p.underline), 0};
    for (char32_t c : line.chars) line.width += face.advance(c);
    const CPoint at = st.toSurface(CPoint(x, y));
    const CRect clip = st.clipBox();
    if (st.a.bkMode == OPAQUE)
        s->fill(CRect(at.x, at.y, at.x + line.width, at.y + face.height).intersected(clip), ToPixel(st.a.bkColor));
    Painter{*s, clip, face, st.currentLogFont(), ToPixel(st.a.textColor), nullptr}.line(line, at.x, at.y);
    return TRUE;
}

BOOL CDC::TextOut(int x, int y, std::u16string_view text) {
    return TextOut(x, y, text.data(), int(text.size()));
}

int CDC::DrawText(std::u16string_view text, CRect* rect, UINT format) {
    return DrawText(text.data(), int(text.size()), rect, format);
}

int CDC::DrawText(const char16_t* text, int count, CRect* rect, UINT format) {
    if (!rect || (!text && count != 0)) return 0;
    std::size_t n = 0;
    if (count == -1) {
        while (text[n]) ++n;
    } else if (count < 0) {
        return 0;
    } else {
        n = std::size_t(count);
    }
    DcState& st = *m_state;
    FontFace& face = st.currentFace();
    const double sx = st.scaleX(), sy = st.scaleY();

    const CRect box = st.toSurface(*rect);
    const int limit = box.Width();
    const bool calc = (format & DT_CALCRECT) != 0;
    Layout layout(face, format, calc);
    layout.build(Prepare(text ? text : u"", n, format), limit);
    if (!calc && (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)))
        for (auto& line : layout.lines) layout.ellipsis(line, limit);

    const int lineHeight = face.height + ((format & DT_EXTERNALLEADING) ? face.externalLeading : 0);
    const int total = lineHeight * int(layout.lines.size());
    if (calc) {
        int widest = 0;
        for (const auto& line : layout.lines) widest = std::max(widest, line.width);
        rect->right = rect->left + ToLogical(widest, sx);
        rect->bottom = rect->top + ToLogical(total, sy);
        return ToLogical(total, sy);
    }

    int top = box.top;
    const bool single = (format & DT_SINGLELINE) != 0;
    if (single && (format & DT_VCENTER)) top = (box.top + box.bottom - lineHeight) / 2;
    else if (single && (format & DT_BOTTOM)) top = box.bottom - lineHeight;

    if (Surface* s = st.surface()) {
        CRect clip = st.clipBox();
        if (!(format & DT_NOCLIP)) clip = clip.intersected(box);
        Painter painter{*s, clip, face, st.currentLogFont(), ToPixel(st.a.textColor), &layout};
        painter.glyphs = !(format & DT_PREFIXONLY);
        int y = top;
        for (const auto& line : layout.lines) {
            int x = box.left;
            if (format & DT_CENTER) x = (box.left + box.right - line.width) / 2;
            else if (format & DT_RIGHT) x = box.right - line.width;
            if (st.a.bkMode == OPAQUE)
                s->fill(CRect(x, y, x + line.width, y + lineHeight).intersected(clip), ToPixel(st.a.bkColor));
            painter.line(line, x, y);
            y += lineHeight;
        }
    }
    if (single && (format & (DT_VCENTER | DT_BOTTOM))) return ToLogical(top + lineHeight - box.top, sy);
    return ToLogical(total, sy);
}

CSize CDC::GetTextExtent(const char16_t* text, int count) const {
    FontFace& face = m_state->currentFace();
    int width = 0;
    if (text && count > 0) {
        // Most text is Latin-1 already measured: whole runs come from the
        // face's flat table, the rest a code point at a time.
        const std::size_t n = std::size_t(count);
        for (std::size_t i = 0; i < n;) {
            std::size_t run = 0;
            width += face.latinRunWidth(text + i, n - i, &run);
            i += run;
            if (i < n) width += face.advance(NextCodePoint(text, n, i));
        }
    }
    return {ToLogical(width, m_state->scaleX()), ToLogical(face.height, m_state->scaleY())};
}

CSize CDC::GetTextExtent(std::u16string_view text) const {
    return GetTextExtent(text.data(), int(text.size()));
}

BOOL CDC::GetTextMetrics(TEXTMETRIC* tm) const {
    if (!tm) return FALSE;
    FontFace& face = m_state->currentFace();
    const LOGFONT& lf = m_state->currentLogFont();
    const double sx = m_state->scaleX(), sy = m_state->scaleY();
    *tm = TEXTMETRIC{};
    tm->tmHeight = ToLogical(face.height, sy);
    tm->tmAscent = ToLogical(face.ascent, sy);
    tm->tmDescent = tm->tmHeight - tm->tmAscent;
    tm->tmInternalLeading = ToLogical(face.internalLeading, sy);
    tm->tmExternalLeading = ToLogical(face.externalLeading, sy);
    tm->tmAveCharWidth = ToLogical(face.aveCharWidth, sx);
    tm->tmMaxCharWidth = ToLogical(face.maxCharWidth, sx);
    tm->tmWeight = face.weight;
    tm->tmOverhang = 0;
    tm->tmDigitizedAspectX = GetDeviceCaps(LOGPIXELSX);
    tm->tmDigitizedAspectY = GetDeviceCaps(LOGPIXELSY);
    tm->tmItalic = lf.lfItalic ? 1 : 0;
    tm->tmUnderlined = lf.lfUnderline ? 1 : 0;
    tm->tmStruckOut = lf.lfStrikeOut ? 1 : 0;
    // Low bit set means a variable-pitch font, as the platform reports it.
    tm->tmPitchAndFamily = BYTE((lf.lfPitchAndFamily & 0xF0) | 0x06);
    tm->tmCharSet = lf.lfCharSet;
    return TRUE;
}
