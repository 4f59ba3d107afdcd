// Cursors: the standard shapes from the cursor font, two-colour images
// (what AND/XOR masks make) as core pixmap cursors, and colour images as
// render cursors where the server has the extension.
#include "platform/backend/x11/x11_display.h"

#include <X11/cursorfont.h>
#include <X11/extensions/Xrender.h>

#include <algorithm>

namespace {

unsigned int FontShape(int id) {
    switch (id) {
    case IDC_IBEAM: return XC_xterm;
    case IDC_WAIT: return XC_watch;
    case IDC_APPSTARTING: return XC_watch;
    case IDC_CROSS: return XC_crosshair;
    case IDC_UPARROW: return XC_sb_up_arrow;
    case IDC_SIZENWSE: return XC_bottom_right_corner;
    case IDC_SIZENESW: return XC_bottom_left_corner;
    case IDC_SIZEWE: return XC_sb_h_double_arrow;
    case IDC_SIZENS: return XC_sb_v_double_arrow;
    case IDC_SIZEALL: return XC_fleur;
    case IDC_NO: return XC_circle;
    case IDC_HAND: return XC_hand2;
    case IDC_HELP: return XC_question_arrow;
    default: return XC_left_ptr;
    }
}

// True when every pixel is transparent, opaque black or opaque white: the
// images CreateCursor makes from masks.
bool TwoColour(const CursorImage& image) {
    for (std::uint32_t p : image.argb)
        if (p != 0 && p != 0xFF000000u && p != 0xFFFFFFFFu) return false;
    return true;
}

}  // namespace

Cursor X11Display::StandardCursor(int id) {
    auto it = m_standard.find(id);
    if (it != m_standard.end()) return it->second;
    Cursor c = XCreateFontCursor(m_dpy, FontShape(id));
    m_standard[id] = c;
    return c;
}

Cursor X11Display::MakeImageCursor(const CursorImage& image) {
    int w = image.width, h = image.height;
    if (w <= 0 || h <= 0 || image.argb.size() != std::size_t(w) * std::size_t(h)) return 0;
    unsigned hx = unsigned(std::clamp(image.hotSpot.x, 0, w - 1));
    unsigned hy = unsigned(std::clamp(image.hotSpot.y, 0, h - 1));

    int evBase = 0, errBase = 0;
    if (!TwoColour(image) && XRenderQueryExtension(m_dpy, &evBase, &errBase)) {
        // Colour cursors: premultiplied ARGB through a render picture.
        XRenderPictFormat* fmt = XRenderFindStandardFormat(m_dpy, PictStandardARGB32);
        if (fmt) {
            std::vector<std::uint32_t> pre(image.argb.size());
            for (std::size_t i = 0; i < pre.size(); ++i) {
                std::uint32_t p = image.argb[i], a = p >> 24;
                auto mul = [a](std::uint32_t c) { return (c * a + 127) / 255; };
                pre[i] = (a << 24) | (mul((p >> 16) & 0xFF) << 16) | (mul((p >> 8) & 0xFF) << 8) | mul(p & 0xFF);
            }
            Pixmap pm = XCreatePixmap(m_dpy, m_root, unsigned(w), unsigned(h), 32);
            XImage* img = XCreateImage(m_dpy, nullptr, 32, ZPixmap, 0, reinterpret_cast<char*>(pre.data()),
                                       unsigned(w), unsigned(h), 32, w * 4);
            if (img) {
                img->byte_order = LSBFirst;
                GC gc = XCreateGC(m_dpy, pm, 0, nullptr);
                XPutImage(m_dpy, pm, gc, img, 0, 0, 0, 0, unsigned(w), unsigned(h));
                XFreeGC(m_dpy, gc);
                img->data = nullptr;
                XDestroyImage(img);
                Picture pic = XRenderCreatePicture(m_dpy, pm, fmt, 0, nullptr);
                Cursor c = XRenderCreateCursor(m_dpy, pic, hx, hy);
                XRenderFreePicture(m_dpy, pic);
                XFreePixmap(m_dpy, pm);
                if (c) return c;
            } else {
                XFreePixmap(m_dpy, pm);
            }
        }
    }

    // Masks: source bit 1 = white, mask bit 1 = shown. Colour pixels that
    // got here (no render extension) are shown light or dark by brightness.
    int stride = (w + 7) / 8;
    std::vector<char> source(std::size_t(stride) * std::size_t(h), 0), mask(source.size(), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint32_t p = image.argb[std::size_t(y) * std::size_t(w) + std::size_t(x)];
            if ((p >> 24) < 0x80) continue;
            std::size_t byte = std::size_t(y) * std::size_t(stride) + std::size_t(x / 8);
            char bit = char(1 << (x % 8));   // XBM order: least significant bit leftmost
            mask[byte] |= bit;
            unsigned lum = ((p >> 16) & 0xFF) * 3 + ((p >> 8) & 0xFF) * 6 + (p & 0xFF);
            if (lum >= 128 * 10) source[byte] |= bit;
        }
    Pixmap src = XCreateBitmapFromData(m_dpy, m_root, source.data(), unsigned(w), unsigned(h));
    Pixmap msk = XCreateBitmapFromData(m_dpy, m_root, mask.data(), unsigned(w), unsigned(h));
    XColor white{}, black{};
    white.red = white.green = white.blue = 0xFFFF;
    white.flags = black.flags = DoRed | DoGreen | DoBlue;
    Cursor c = XCreatePixmapCursor(m_dpy, src, msk, &white, &black, hx, hy);
    XFreePixmap(m_dpy, src);
    XFreePixmap(m_dpy, msk);
    return c;
}

void X11Display::ApplyCursorToWindows() {
    for (auto& [id, n] : m_windows)
        if (!n.gone) XDefineCursor(m_dpy, n.win, m_cursor);
    if (m_grabbed)
        XChangeActivePointerGrab(m_dpy, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, m_cursor,
                                 CurrentTime);
    XFlush(m_dpy);
}

void X11Display::SetCursorImage(const CursorImage* image) {
    Cursor next = 0;
    Cursor made = 0;
    if (!image) next = m_invisible;
    else if (image->standardId) next = StandardCursor(image->standardId);
    else next = made = MakeImageCursor(*image);
    if (!next) next = StandardCursor(IDC_ARROW);
    m_cursor = next;
    ApplyCursorToWindows();
    // The old image cursor is freed only once no window shows it.
    if (m_ownedCursor) XFreeCursor(m_dpy, m_ownedCursor);
    m_ownedCursor = made;
}
