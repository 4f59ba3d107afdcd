#include "platform/backend/x11/x11_peer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

struct X11Peer::State {
    Display* dpy = nullptr;
    Window owner = 0;
    Window cover = 0;
};

namespace {
int QuietErrors(Display*, XErrorEvent*) { return 0; }
}  // namespace

std::unique_ptr<X11Peer> X11Peer::Open(const std::string& display, std::string* error) {
    std::unique_ptr<X11Peer> p(new X11Peer());
    p->m = std::make_unique<State>();
    p->m->dpy = XOpenDisplay(display.empty() ? nullptr : display.c_str());
    if (!p->m->dpy) {
        if (error) *error = "cannot open display " + display;
        return nullptr;
    }
    return p;
}

X11Peer::~X11Peer() {
    if (m && m->dpy) {
        if (m->owner) XDestroyWindow(m->dpy, m->owner);
        if (m->cover) XDestroyWindow(m->dpy, m->cover);
        XCloseDisplay(m->dpy);
    }
}

bool X11Peer::RootRect(unsigned long window, CRect* rect) {
    XErrorHandler old = XSetErrorHandler(QuietErrors);
    XWindowAttributes a{};
    bool ok = XGetWindowAttributes(m->dpy, window, &a) != 0;
    int x = 0, y = 0;
    Window child = 0;
    if (ok) ok = XTranslateCoordinates(m->dpy, window, a.root, 0, 0, &x, &y, &child) != 0;
    XSync(m->dpy, False);
    XSetErrorHandler(old);
    if (ok && rect) *rect = CRect(x, y, x + a.width, y + a.height);
    return ok;
}

bool X11Peer::Viewable(unsigned long window) {
    XErrorHandler old = XSetErrorHandler(QuietErrors);
    XWindowAttributes a{};
    bool ok = XGetWindowAttributes(m->dpy, window, &a) != 0 && a.map_state == IsViewable;
    XSync(m->dpy, False);
    XSetErrorHandler(old);
    return ok;
}

bool X11Peer::OverrideRedirect(unsigned long window) {
    XWindowAttributes a{};
    return XGetWindowAttributes(m->dpy, window, &a) != 0 && a.override_redirect;
}

namespace {

bool ReadProperty(Display* dpy, Window w, const char* name, Atom* type, int* format, unsigned long* count,
                  unsigned char** data) {
    Atom prop = XInternAtom(dpy, name, True);
    if (!prop) return false;
    unsigned long after = 0;
    return XGetWindowProperty(dpy, w, prop, 0, 1 << 20, False, AnyPropertyType, type, format, count, &after, data) ==
               Success &&
           *data;
}

}  // namespace

std::string X11Peer::BytesProperty(unsigned long window, const char* name) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned char* data = nullptr;
    std::string out;
    if (ReadProperty(m->dpy, window, name, &type, &format, &count, &data) && format == 8)
        out.assign(reinterpret_cast<char*>(data), count);
    if (data) XFree(data);
    return out;
}

std::vector<std::string> X11Peer::AtomNames(unsigned long window, const char* name) {
    std::vector<std::string> out;
    for (long a : Longs(window, name)) {
        char* n = XGetAtomName(m->dpy, Atom(a));
        if (n) {
            out.push_back(n);
            XFree(n);
        }
    }
    return out;
}

std::vector<long> X11Peer::Longs(unsigned long window, const char* name) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned char* data = nullptr;
    std::vector<long> out;
    if (ReadProperty(m->dpy, window, name, &type, &format, &count, &data) && format == 32) {
        auto items = reinterpret_cast<long*>(data);   // Xlib hands 32-bit items out as longs
        out.assign(items, items + count);
    }
    if (data) XFree(data);
    return out;
}

void X11Peer::SendDeleteWindow(unsigned long window) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(m->dpy, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(m->dpy, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(m->dpy, window, False, NoEventMask, &e);
    XSync(m->dpy, False);
}

void X11Peer::DestroyWindow(unsigned long window) {
    XDestroyWindow(m->dpy, window);
    XSync(m->dpy, False);
}

bool X11Peer::CurrentCursor(CursorImage* image) {
    int ev = 0, err = 0;
    if (!XFixesQueryExtension(m->dpy, &ev, &err)) return false;
    XFixesCursorImage* c = XFixesGetCursorImage(m->dpy);
    if (!c) return false;
    image->width = c->width;
    image->height = c->height;
    image->hotSpot = CPoint(c->xhot, c->yhot);
    image->argb.resize(std::size_t(c->width) * c->height);
    for (std::size_t i = 0; i < image->argb.size(); ++i) {
        // Premultiplied on the wire; opaque and fully transparent pixels are exact.
        auto p = std::uint32_t(c->pixels[i]);
        std::uint32_t a = p >> 24;
        if (a && a != 255) {
            auto un = [a](std::uint32_t v) { return std::min<std::uint32_t>(255, (v * 255 + a / 2) / a); };
            p = (a << 24) | (un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) | un(p & 0xFF);
        }
        image->argb[i] = p;
    }
    XFree(c);
    return true;
}

bool X11Peer::OwnClipboardSilently() {
    if (!m->owner) m->owner = XCreateSimpleWindow(m->dpy, DefaultRootWindow(m->dpy), 0, 0, 1, 1, 0, 0, 0);
    Atom clipboard = XInternAtom(m->dpy, "CLIPBOARD", False);
    XSetSelectionOwner(m->dpy, clipboard, m->owner, CurrentTime);
    XSync(m->dpy, False);
    // The requests pile up unread in this connection: nobody answers.
    return XGetSelectionOwner(m->dpy, clipboard) == m->owner;
}

void X11Peer::Cover(const CRect& rect) {
    Uncover();
    XSetWindowAttributes a{};
    a.override_redirect = True;
    a.background_pixel = 0x00FF00FF;   // a magenta nobody paints by chance
    m->cover = XCreateWindow(m->dpy, DefaultRootWindow(m->dpy), rect.left, rect.top, unsigned(rect.Width()),
                             unsigned(rect.Height()), 0, CopyFromParent, InputOutput, CopyFromParent,
                             CWOverrideRedirect | CWBackPixel, &a);
    XMapRaised(m->dpy, m->cover);
    XSync(m->dpy, False);
}

void X11Peer::Uncover() {
    if (!m->cover) return;
    XDestroyWindow(m->dpy, m->cover);
    m->cover = 0;
    XSync(m->dpy, False);
}

unsigned long X11Peer::ClipboardOwner() {
    return XGetSelectionOwner(m->dpy, XInternAtom(m->dpy, "CLIPBOARD", False));
}
