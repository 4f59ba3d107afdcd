// The X11 backend's connection, windows, presenting, the screen, the event
// loop and the display's errors.
//
// Index: errors · connection · windows · presenting · pointer · screen · loop.
#include "platform/backend/x11/x11_display.h"

#include <X11/Xatom.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/gfx/surface.h"

namespace {

// Xlib's handlers are process-wide; they find their backend by display.
std::vector<X11Display*> g_displays;
std::map<Display*, X11Display*> g_byDisplay;

int OnError(Display* dpy, XErrorEvent* e) {
    auto it = g_byDisplay.find(dpy);
    if (it != g_byDisplay.end()) it->second->OnXError(*e);
    return 0;
}

int OnIoError(Display* dpy) {
    auto it = g_byDisplay.find(dpy);
    if (it != g_byDisplay.end()) it->second->OnConnectionLost();
    std::fprintf(stderr, "x11: lost the connection to the display; ending\n");
    std::exit(EXIT_FAILURE);
}

std::int64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Motif window-manager hints: the flags word says decorations are given,
// and decorations 0 asks for no frame and no title bar.
struct MotifHints {
    unsigned long flags, functions, decorations;
    long inputMode;
    unsigned long status;
};
constexpr unsigned long kMotifHintsDecorations = 1ul << 1;

}  // namespace

std::unique_ptr<X11Backend> CreateX11Backend(const char* displayName, std::string* error) {
    return X11Display::Open(displayName, error);
}

// ---------------------------------------------------------------- errors

void X11Display::OnXError(const XErrorEvent& e) {
    if (m_trap > 0) {
        if (!m_trappedError) m_trappedError = e.error_code;
        return;
    }
    // A window that vanished (its owner or the window manager destroyed it)
    // and the like: our own state is still sound, so log and carry on.
    char text[128] = {};
    XGetErrorText(m_dpy, e.error_code, text, sizeof text);
    std::fprintf(stderr, "x11: ignored display error %d (%s), request %d, resource 0x%lx\n", e.error_code, text,
                 e.request_code, e.resourceid);
    ++m_ignoredErrors;
}

void X11Display::OnConnectionLost() {
    // Xlib ends the process after this returns; the data files are always
    // written crash-safely, so only what the program holds in memory is left.
    if (m_lostHandler) m_lostHandler();
}

// ---------------------------------------------------------------- connection

std::unique_ptr<X11Display> X11Display::Open(const char* displayName, std::string* error) {
    std::unique_ptr<X11Display> d(new X11Display());
    if (!d->Connect(displayName, error)) return nullptr;
    return d;
}

bool X11Display::Connect(const char* displayName, std::string* error) {
    const char* name = displayName && *displayName ? displayName : nullptr;
    m_dpy = XOpenDisplay(name);
    if (!m_dpy) {
        if (error) {
            const char* shown = name ? name : std::getenv("DISPLAY");
            *error = std::string("cannot open the display \"") + (shown ? shown : "") + "\"";
        }
        return false;
    }
    g_displays.push_back(this);
    g_byDisplay[m_dpy] = this;
    XSetErrorHandler(OnError);
    XSetIOErrorHandler(OnIoError);
    m_startMs = SteadyMs();

    m_screen = DefaultScreen(m_dpy);
    m_root = RootWindow(m_dpy, m_screen);
    m_visual = DefaultVisual(m_dpy, m_screen);
    m_depth = DefaultDepth(m_dpy, m_screen);
    m_directPixels = (m_depth == 24 || m_depth == 32) && m_visual->red_mask == 0xFF0000 &&
                     m_visual->green_mask == 0xFF00 && m_visual->blue_mask == 0xFF;

    auto atom = [&](const char* n) { return XInternAtom(m_dpy, n, False); };
    m_atoms.wmProtocols = atom("WM_PROTOCOLS");
    m_atoms.wmDeleteWindow = atom("WM_DELETE_WINDOW");
    m_atoms.netWmPing = atom("_NET_WM_PING");
    m_atoms.netWmName = atom("_NET_WM_NAME");
    m_atoms.utf8String = atom("UTF8_STRING");
    m_atoms.netWmState = atom("_NET_WM_STATE");
    m_atoms.netWmStateAbove = atom("_NET_WM_STATE_ABOVE");
    m_atoms.netWmStateSkipTaskbar = atom("_NET_WM_STATE_SKIP_TASKBAR");
    m_atoms.netWmStateSkipPager = atom("_NET_WM_STATE_SKIP_PAGER");
    m_atoms.netWmWindowType = atom("_NET_WM_WINDOW_TYPE");
    m_atoms.netWmWindowTypeNormal = atom("_NET_WM_WINDOW_TYPE_NORMAL");
    m_atoms.netWmWindowTypeDialog = atom("_NET_WM_WINDOW_TYPE_DIALOG");
    m_atoms.motifWmHints = atom("_MOTIF_WM_HINTS");
    m_atoms.clipboard = atom("CLIPBOARD");
    m_atoms.targets = atom("TARGETS");
    m_atoms.text = atom("TEXT");
    m_atoms.incr = atom("INCR");
    m_atoms.multiple = atom("MULTIPLE");
    m_atoms.timestamp = atom("TIMESTAMP");
    m_atoms.ourProperty = atom("VELMORA_SELECTION");
    m_atoms.netWmPid = atom("_NET_WM_PID");

    // Requests larger than this go in INCR pieces.
    long maxRequest = XExtendedMaxRequestSize(m_dpy);
    if (maxRequest == 0) maxRequest = XMaxRequestSize(m_dpy);
    m_maxChunk = std::size_t(std::clamp<long>(maxRequest * 4 - 1024, 4096, 256 * 1024));

    XSetWindowAttributes a{};
    a.event_mask = PropertyChangeMask;
    m_utility = XCreateWindow(m_dpy, m_root, -10, -10, 1, 1, 0, CopyFromParent, InputOnly, CopyFromParent,
                              CWEventMask, &a);

    int major = 0, minor = 0;
    Bool pixmaps = False;
    m_shmAvailable = m_directPixels && XShmQueryExtension(m_dpy) && XShmQueryVersion(m_dpy, &major, &minor, &pixmaps);
    if (std::getenv("VELMORA_X11_NO_SHM")) m_shmAvailable = false;

    // An input method when one is there; typed text falls back to keysyms.
    XSetLocaleModifiers("");
    m_im = XOpenIM(m_dpy, nullptr, nullptr, nullptr);
    if (!m_im) {
        XSetLocaleModifiers("@im=none");
        m_im = XOpenIM(m_dpy, nullptr, nullptr, nullptr);
    }

    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
        m_wakeRead = fds[0];
        m_wakeWrite = fds[1];
    }

    // An invisible cursor for "no cursor".
    char zero[1] = {0};
    Pixmap blank = XCreateBitmapFromData(m_dpy, m_root, zero, 1, 1);
    XColor black{};
    m_invisible = XCreatePixmapCursor(m_dpy, blank, blank, &black, &black, 0, 0);
    XFreePixmap(m_dpy, blank);
    XFlush(m_dpy);
    return true;
}

X11Display::~X11Display() {
    if (!m_dpy) return;
    for (auto& [id, n] : m_windows) {
        ReleaseShm(n);
        if (n.ic) XDestroyIC(n.ic);
        if (!n.gone) XDestroyWindow(m_dpy, n.win);
    }
    for (auto& [id, c] : m_standard) XFreeCursor(m_dpy, c);
    if (m_ownedCursor) XFreeCursor(m_dpy, m_ownedCursor);
    if (m_invisible) XFreeCursor(m_dpy, m_invisible);
    if (m_im) XCloseIM(m_im);
    if (m_utility) XDestroyWindow(m_dpy, m_utility);
    if (m_confineWin) XDestroyWindow(m_dpy, m_confineWin);
    XCloseDisplay(m_dpy);
    g_byDisplay.erase(m_dpy);
    g_displays.erase(std::remove(g_displays.begin(), g_displays.end(), this), g_displays.end());
    if (m_wakeRead >= 0) close(m_wakeRead);
    if (m_wakeWrite >= 0) close(m_wakeWrite);
}

void X11Display::Sync() { XSync(m_dpy, False); }

// ---------------------------------------------------------------- windows

X11Display::Native* X11Display::Find(NativeWindowId id) {
    auto it = m_windows.find(id);
    return it == m_windows.end() || it->second.gone ? nullptr : &it->second;
}

const X11Display::Native* X11Display::Find(NativeWindowId id) const {
    auto it = m_windows.find(id);
    return it == m_windows.end() || it->second.gone ? nullptr : &it->second;
}

NativeWindowId X11Display::IdOf(Window w) const {
    auto it = m_byX.find(w);
    return it == m_byX.end() ? 0 : it->second;
}

unsigned long X11Display::XWindowOf(NativeWindowId id) const {
    const Native* n = Find(id);
    return n ? n->win : 0;
}

unsigned long X11Display::XWindowForTitle(const CString& title) const {
    for (const auto& [id, n] : m_windows)
        if (!n.gone && n.title == title) return n.win;
    return 0;
}

// The window system places its windows itself: the window manager is told
// the position and size are the program's own.
void X11Display::SetPlacementHints(Window w, CPoint topLeft, int width, int height) {
    XSizeHints size{};
    size.flags = USPosition | USSize | PPosition | PSize;
    size.x = topLeft.x;
    size.y = topLeft.y;
    size.width = width;
    size.height = height;
    XSetWMNormalHints(m_dpy, w, &size);
}

void X11Display::SetTitleProperties(Window w, const CString& title) {
    std::string utf8 = ToUtf8(title);
    auto bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    XChangeProperty(m_dpy, w, m_atoms.netWmName, m_atoms.utf8String, 8, PropModeReplace, bytes, int(utf8.size()));
    // WM_NAME for older peers: Latin-1, '?' for what it cannot hold.
    std::string latin;
    for (char16_t c : title) latin.push_back(c < 0x100 ? char(c) : '?');
    XChangeProperty(m_dpy, w, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(latin.data()), int(latin.size()));
}

void X11Display::ApplyStateHints(Window w, const NativeWindowFlags& flags) {
    std::vector<Atom> state;
    if (flags.topmost) state.push_back(m_atoms.netWmStateAbove);
    if (!flags.taskbar) {
        state.push_back(m_atoms.netWmStateSkipTaskbar);
        state.push_back(m_atoms.netWmStateSkipPager);
    }
    XChangeProperty(m_dpy, w, m_atoms.netWmState, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(state.data()), int(state.size()));
}

NativeWindowId X11Display::CreateNativeWindow(const CRect& screenRect, const NativeWindowFlags& flags,
                                              const CString& title) {
    int w = std::max(1, screenRect.Width());
    int h = std::max(1, screenRect.Height());
    XSetWindowAttributes a{};
    a.background_pixmap = None;   // we paint every pixel; no flash of a background
    a.bit_gravity = NorthWestGravity;
    a.override_redirect = flags.overrideRedirect ? True : False;
    a.save_under = flags.overrideRedirect ? True : False;
    a.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                   PointerMotionMask | EnterWindowMask | LeaveWindowMask | StructureNotifyMask | FocusChangeMask |
                   PropertyChangeMask;
    Window win = XCreateWindow(m_dpy, m_root, screenRect.left, screenRect.top, unsigned(w), unsigned(h), 0,
                               CopyFromParent, InputOutput, CopyFromParent,
                               CWBackPixmap | CWBitGravity | CWOverrideRedirect | CWSaveUnder | CWEventMask, &a);
    if (!win) return 0;

    NativeWindowId id = m_nextId++;
    Native& n = m_windows[id];
    n.win = win;
    n.rect = screenRect;
    n.flags = flags;
    n.title = title;
    m_byX[win] = id;

    SetTitleProperties(win, title);
    XClassHint cls;
    char resName[] = "velmora";
    char resClass[] = "Velmora";
    cls.res_name = resName;
    cls.res_class = resClass;
    XSetClassHint(m_dpy, win, &cls);

    XWMHints wm{};
    wm.flags = InputHint | StateHint;
    wm.input = flags.overrideRedirect ? False : True;
    wm.initial_state = NormalState;
    XSetWMHints(m_dpy, win, &wm);

    SetPlacementHints(win, screenRect.TopLeft(), w, h);

    Atom protocols[] = {m_atoms.wmDeleteWindow, m_atoms.netWmPing};
    XSetWMProtocols(m_dpy, win, protocols, 2);
    long pid = long(getpid());
    XChangeProperty(m_dpy, win, m_atoms.netWmPid, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);

    if (!flags.decorated) {
        MotifHints mh{kMotifHintsDecorations, 0, 0, 0, 0};
        XChangeProperty(m_dpy, win, m_atoms.motifWmHints, m_atoms.motifWmHints, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&mh), 5);
    }
    Atom type = flags.taskbar ? m_atoms.netWmWindowTypeNormal : m_atoms.netWmWindowTypeDialog;
    XChangeProperty(m_dpy, win, m_atoms.netWmWindowType, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&type), 1);
    ApplyStateHints(win, flags);

    if (m_im)
        n.ic = XCreateIC(m_im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, win,
                         XNFocusWindow, win, nullptr);
    if (n.ic) {
        long imMask = 0;
        XGetICValues(n.ic, XNFilterEvents, &imMask, nullptr);
        if (imMask) XSelectInput(m_dpy, win, a.event_mask | imMask);
    }
    if (m_cursor) XDefineCursor(m_dpy, win, m_cursor);
    return id;
}

void X11Display::DestroyNativeWindow(NativeWindowId id) {
    auto it = m_windows.find(id);
    if (it == m_windows.end()) return;
    Native& n = it->second;
    ReleaseShm(n);
    if (n.ic) XDestroyIC(n.ic);
    if (!n.gone) XDestroyWindow(m_dpy, n.win);
    m_byX.erase(n.win);
    if (m_grabWanted == id) GrabPointer(0);
    m_windows.erase(it);
    XFlush(m_dpy);
}

void X11Display::SetNativeWindowRect(NativeWindowId id, const CRect& screenRect) {
    Native* n = Find(id);
    if (!n) return;
    int w = std::max(1, screenRect.Width());
    int h = std::max(1, screenRect.Height());
    bool sized = w != n->rect.Width() || h != n->rect.Height();
    n->rect = screenRect;
    n->requested.push_back(CRect(screenRect.TopLeft(), CSize(w, h)));
    if (n->requested.size() > 16) n->requested.pop_front();   // requests the server never answered
    SetPlacementHints(n->win, screenRect.TopLeft(), w, h);
    XMoveResizeWindow(m_dpy, n->win, screenRect.left, screenRect.top, unsigned(w), unsigned(h));
    if (sized) ReleaseShm(*n);
    XFlush(m_dpy);
}

void X11Display::ShowNativeWindow(NativeWindowId id, bool show) {
    Native* n = Find(id);
    if (!n || n->shown == show) return;
    n->shown = show;
    if (show) {
        XMapRaised(m_dpy, n->win);
        // A window manager may have ignored the position while unmapped.
        XMoveWindow(m_dpy, n->win, n->rect.left, n->rect.top);
        n->requested.push_back(n->rect);
    } else {
        XUnmapWindow(m_dpy, n->win);
        n->mapped = false;
    }
    XFlush(m_dpy);
}

void X11Display::SetNativeWindowTitle(NativeWindowId id, const CString& title) {
    if (Native* n = Find(id)) {
        n->title = title;
        SetTitleProperties(n->win, title);
        XFlush(m_dpy);
    }
}

void X11Display::RestackNativeWindows(const std::vector<NativeWindowId>& bottomToTop) {
    std::vector<Window> topFirst;
    for (auto it = bottomToTop.rbegin(); it != bottomToTop.rend(); ++it)
        if (Native* n = Find(*it)) topFirst.push_back(n->win);
    if (topFirst.size() > 1) XRestackWindows(m_dpy, topFirst.data(), int(topFirst.size()));
    XFlush(m_dpy);
}

// ---------------------------------------------------------------- presenting

void X11Display::ReleaseShm(Native& n) {
    if (!n.shmImage) return;
    XShmDetach(m_dpy, &n.shm);
    XSync(m_dpy, False);
    n.shmImage->data = nullptr;
    XDestroyImage(n.shmImage);
    shmdt(n.shm.shmaddr);
    n.shmImage = nullptr;
    n.shm = XShmSegmentInfo{};
}

bool X11Display::EnsureShm(Native& n, int width, int height) {
    if (n.shmImage && n.shmImage->width == width && n.shmImage->height == height) return true;
    ReleaseShm(n);
    XImage* img = XShmCreateImage(m_dpy, m_visual, unsigned(m_depth), ZPixmap, nullptr, &n.shm, unsigned(width),
                                  unsigned(height));
    if (!img) return false;
    std::size_t bytes = std::size_t(img->bytes_per_line) * std::size_t(height);
    n.shm.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (n.shm.shmid < 0) {
        XDestroyImage(img);
        return false;
    }
    n.shm.shmaddr = img->data = static_cast<char*>(shmat(n.shm.shmid, nullptr, 0));
    n.shm.readOnly = False;
    bool ok = n.shm.shmaddr != reinterpret_cast<char*>(-1);
    if (ok) {
        ErrorTrap trap(this);
        XShmAttach(m_dpy, &n.shm);
        ok = trap.Error() == 0;
    }
    // Marked for removal at once, so the segment goes away with the process.
    shmctl(n.shm.shmid, IPC_RMID, nullptr);
    if (!ok) {
        // A display on another machine cannot share memory with us.
        if (n.shm.shmaddr != reinterpret_cast<char*>(-1)) shmdt(n.shm.shmaddr);
        img->data = nullptr;
        XDestroyImage(img);
        n.shm = XShmSegmentInfo{};
        m_shmAvailable = false;
        return false;
    }
    n.shmImage = img;
    return true;
}

void X11Display::PutRect(Native& n, const Surface& surface, const CRect& r) {
    GC gc = DefaultGC(m_dpy, m_screen);
    if (m_shmAvailable && EnsureShm(n, surface.width(), surface.height())) {
        XImage* img = n.shmImage;
        for (int y = r.top; y < r.bottom; ++y)
            std::memcpy(img->data + std::size_t(y) * std::size_t(img->bytes_per_line) + std::size_t(r.left) * 4,
                        surface.row(y) + r.left, std::size_t(r.Width()) * 4);
        XShmPutImage(m_dpy, n.win, gc, img, r.left, r.top, r.left, r.top, unsigned(r.Width()), unsigned(r.Height()),
                     False);
        return;
    }
    if (m_directPixels) {
        // The surface's own rows are already in the server's pixel layout.
        XImage* img = XCreateImage(m_dpy, m_visual, unsigned(m_depth), ZPixmap, 0,
                                   const_cast<char*>(reinterpret_cast<const char*>(surface.data())),
                                   unsigned(surface.width()), unsigned(surface.height()), 32, surface.width() * 4);
        if (!img) return;
        img->byte_order = LSBFirst;   // host order on the machines we build for
        XPutImage(m_dpy, n.win, gc, img, r.left, r.top, r.left, r.top, unsigned(r.Width()), unsigned(r.Height()));
        img->data = nullptr;
        XDestroyImage(img);
        return;
    }
    // Any other visual: let Xlib place each pixel.
    XImage* img = XCreateImage(m_dpy, m_visual, unsigned(m_depth), ZPixmap, 0, nullptr, unsigned(r.Width()),
                               unsigned(r.Height()), 32, 0);
    if (!img) return;
    img->data = static_cast<char*>(std::malloc(std::size_t(img->bytes_per_line) * std::size_t(r.Height())));
    if (!img->data) {
        XDestroyImage(img);
        return;
    }
    XColor c{};
    Colormap cmap = DefaultColormap(m_dpy, m_screen);
    for (int y = 0; y < r.Height(); ++y)
        for (int x = 0; x < r.Width(); ++x) {
            std::uint32_t p = surface.pixel(r.left + x, r.top + y);
            c.red = std::uint16_t(((p >> 16) & 0xFF) * 257);
            c.green = std::uint16_t(((p >> 8) & 0xFF) * 257);
            c.blue = std::uint16_t((p & 0xFF) * 257);
            XAllocColor(m_dpy, cmap, &c);
            XPutPixel(img, x, y, c.pixel);
        }
    XPutImage(m_dpy, n.win, gc, img, 0, 0, r.left, r.top, unsigned(r.Width()), unsigned(r.Height()));
    XDestroyImage(img);
}

void X11Display::Present(NativeWindowId id, const Surface& surface, const std::vector<CRect>& rects) {
    Native* n = Find(id);
    if (!n || surface.empty()) return;
    bool any = false;
    for (const CRect& r0 : rects) {
        CRect r = r0.intersected(surface.bounds());
        if (r.IsRectEmpty()) continue;
        PutRect(*n, surface, r);
        any = true;
    }
    if (!any) return;
    // The shared image may be written again at once: wait until the server
    // has read it.
    if (n->shmImage) XSync(m_dpy, False);
    else XFlush(m_dpy);
}

// ---------------------------------------------------------------- pointer

// One active grab serves both the capture (all pointer events to the
// capturing window) and the confinement (X confines only to a window, so
// an input-only window the size of the rectangle stands in for it; it
// lies at the bottom of the stack and takes no input of its own).
bool X11Display::TryGrab() {
    Native* n = Find(m_grabWanted);
    Window grabWin = n ? n->win : m_confined ? m_confineWin : 0;
    if (!grabWin) {
        if (m_grabbed) XUngrabPointer(m_dpy, CurrentTime);
        m_grabbed = false;
        return false;
    }
    // Without a capture, our windows get their events as usual.
    Bool ownerEvents = n ? False : True;
    int res = XGrabPointer(m_dpy, grabWin, ownerEvents, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                           GrabModeAsync, GrabModeAsync, m_confined ? m_confineWin : None, m_cursor ? m_cursor : None,
                           CurrentTime);
    m_grabbed = res == GrabSuccess;
    return m_grabbed;
}

void X11Display::GrabPointer(NativeWindowId id) {
    if (id == m_grabWanted && (m_grabbed || !id)) return;
    m_grabWanted = id;
    // A popup that takes the capture before it is on screen is grabbed when
    // it appears (MapNotify).
    TryGrab();
    XFlush(m_dpy);
}

void X11Display::ConfineCursor(const CRect* screenRect) {
    m_confined = screenRect != nullptr && !screenRect->IsRectEmpty();
    if (m_confined) {
        m_confine = *screenRect;
        unsigned w = unsigned(m_confine.Width()), h = unsigned(m_confine.Height());
        if (!m_confineWin) {
            XSetWindowAttributes a{};
            a.override_redirect = True;
            a.event_mask = 0;
            m_confineWin = XCreateWindow(m_dpy, m_root, m_confine.left, m_confine.top, w, h, 0, 0, InputOnly,
                                         CopyFromParent, CWOverrideRedirect | CWEventMask, &a);
        } else {
            XMoveResizeWindow(m_dpy, m_confineWin, m_confine.left, m_confine.top, w, h);
        }
        XMapWindow(m_dpy, m_confineWin);
        XLowerWindow(m_dpy, m_confineWin);
    } else if (m_confineWin) {
        XUnmapWindow(m_dpy, m_confineWin);
    }
    TryGrab();
    XFlush(m_dpy);
}

CPoint X11Display::PointerPosition() const {
    Window root = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(m_dpy, m_root, &root, &child, &rx, &ry, &wx, &wy, &mask)) return CPoint();
    return CPoint(rx, ry);
}

void X11Display::WarpPointer(CPoint screenPt) {
    XWarpPointer(m_dpy, None, m_root, 0, 0, 0, 0, screenPt.x, screenPt.y);
    XFlush(m_dpy);
}

// ---------------------------------------------------------------- screen

CSize X11Display::ScreenSize() const {
    return CSize(DisplayWidth(m_dpy, m_screen), DisplayHeight(m_dpy, m_screen));
}

namespace {

// Scales a pixel's channel under a mask to 8 bits.
std::uint32_t Channel(unsigned long pixel, unsigned long mask) {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    unsigned long max = mask >> shift;
    unsigned long v = (pixel & mask) >> shift;
    return std::uint32_t(max == 255 ? v : v * 255 / max);
}

std::uint32_t ToSurfacePixel(XImage* img, int x, int y) {
    unsigned long p = XGetPixel(img, x, y);
    return (Channel(p, img->red_mask) << 16) | (Channel(p, img->green_mask) << 8) | Channel(p, img->blue_mask);
}

}  // namespace

bool X11Display::ReadScreenPixel(CPoint p, COLORREF* colour) const {
    CSize sz = ScreenSize();
    if (p.x < 0 || p.y < 0 || p.x >= sz.cx || p.y >= sz.cy) return false;
    auto self = const_cast<X11Display*>(this);
    ErrorTrap trap(self);
    XImage* img = XGetImage(m_dpy, m_root, p.x, p.y, 1, 1, AllPlanes, ZPixmap);
    trap.Error();
    if (!img) return false;
    if (!img->red_mask) {
        img->red_mask = m_visual->red_mask;
        img->green_mask = m_visual->green_mask;
        img->blue_mask = m_visual->blue_mask;
    }
    if (colour) *colour = FromPixel(ToSurfacePixel(img, 0, 0));
    XDestroyImage(img);
    return true;
}

bool X11Display::CaptureScreen(Surface* out) const {
    if (!out) return false;
    CSize sz = ScreenSize();
    auto self = const_cast<X11Display*>(this);
    ErrorTrap trap(self);
    XImage* img = XGetImage(m_dpy, m_root, 0, 0, unsigned(sz.cx), unsigned(sz.cy), AllPlanes, ZPixmap);
    trap.Error();
    if (!img) return false;
    if (!img->red_mask) {
        img->red_mask = m_visual->red_mask;
        img->green_mask = m_visual->green_mask;
        img->blue_mask = m_visual->blue_mask;
    }
    *out = Surface(sz.cx, sz.cy);
    bool ok = !out->empty();
    for (int y = 0; ok && y < sz.cy; ++y)
        for (int x = 0; x < sz.cx; ++x) out->setPixel(x, y, ToSurfacePixel(img, x, y));
    XDestroyImage(img);
    return ok;
}

// ---------------------------------------------------------------- loop

std::uint64_t X11Display::NowMs() const { return std::uint64_t(SteadyMs() - m_startMs); }

void X11Display::Wake() {
    if (m_wakeWrite < 0) return;
    char b = 1;
    ssize_t ignored = write(m_wakeWrite, &b, 1);
    (void)ignored;   // a full pipe already holds a wake-up
}

bool X11Display::WatchFd(int fd, FdCallback callback, void* context) {
    if (fd < 0 || !callback) return false;
    for (Watch& w : m_watches)
        if (w.fd == fd) {
            w.callback = callback;
            w.context = context;
            return true;
        }
    m_watches.push_back({fd, callback, context});
    return true;
}

void X11Display::UnwatchFd(int fd) {
    m_watches.erase(std::remove_if(m_watches.begin(), m_watches.end(), [fd](const Watch& w) { return w.fd == fd; }),
                    m_watches.end());
}

bool X11Display::PollEvent(RawEvent* event) {
    while (m_pending.empty() && XPending(m_dpy) > 0) {
        XEvent xe;
        XNextEvent(m_dpy, &xe);
        HandleXEvent(xe);
    }
    if (m_pending.empty()) return false;
    *event = m_pending.front();
    m_pending.pop_front();
    return true;
}

// A real display can always deliver more, so this never reports "no more
// events"; it returns after an event, a wake-up, a watched descriptor or
// the timeout.
bool X11Display::WaitForEvents(int timeoutMs) {
    if (!m_pending.empty() || XPending(m_dpy) > 0) return true;
    std::vector<pollfd> fds;
    fds.push_back({ConnectionNumber(m_dpy), POLLIN, 0});
    if (m_wakeRead >= 0) fds.push_back({m_wakeRead, POLLIN, 0});
    std::size_t firstWatch = fds.size();
    for (const Watch& w : m_watches) fds.push_back({w.fd, POLLIN, 0});
    int n = poll(fds.data(), nfds_t(fds.size()), timeoutMs < 0 ? -1 : timeoutMs);
    if (n <= 0) return true;
    if (m_wakeRead >= 0 && (fds[1].revents & POLLIN)) {
        char buf[64];
        while (read(m_wakeRead, buf, sizeof buf) > 0) {
        }
    }
    // Callbacks may unwatch; run from a copy.
    std::vector<Watch> watches = m_watches;
    for (std::size_t i = firstWatch; i < fds.size(); ++i)
        if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) watches[i - firstWatch].callback(fds[i].fd, watches[i - firstWatch].context);
    return true;
}
