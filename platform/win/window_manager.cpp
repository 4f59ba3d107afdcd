// The window table, classes, creation and destruction, the tree, z-order
// and geometry.
//
// Call flow: CreateWindowEx / CWnd::CreateEx → CreateRec (class, handle,
// surface or parent link, WM_NCCREATE, WM_CREATE, WM_SIZE/WM_MOVE, show) ·
// DestroyWindow → DestroyRec (owned popups, WM_DESTROY, children,
// WM_NCDESTROY, unlink, PostNcDestroy) · SetWindowPos → z-order, rectangle,
// invalidation, WM_MOVE/WM_SIZE, show/hide.
//
// Index: start-up · classes · geometry · creation and destruction · CWnd life
// cycle · tree · text and styles · geometry members · free functions by handle.
#include <algorithm>
#include <cassert>

#include "platform/gfx/syscolors.h"
#include "platform/win/winsys.h"

namespace {

WinSys* g_sys = nullptr;

struct InstanceTag {};
InstanceTag g_instance;

CString FoldName(std::u16string_view name) {
    CString out(name);
    for (auto& c : out) c = FoldCase(c);
    return out;
}

CString ClassNameOf(const char16_t* name) {
    if (!name) return {};
    if (IS_INTRESOURCE(name)) return u"#" + ToU16(static_cast<long long>(reinterpret_cast<std::uintptr_t>(name)));
    return CString(name);
}

constexpr const char16_t* kDefaultClass = u"VelmoraWindow";
constexpr const char16_t* kDesktopClass = u"#32769";

class DesktopWnd : public CWnd {};

void InsertTopLevel(WinSys& s, HWND h, bool topmost) {
    auto& v = s.topLevels;
    if (topmost) {
        v.insert(v.begin(), h);
    } else {
        // Above every other non-topmost window, below the topmost ones.
        auto it = std::find_if(v.begin(), v.end(), [&](HWND o) {
            WindowRec* r = Rec(o);
            return !r || !(r->exStyle & WS_EX_TOPMOST);
        });
        v.insert(it, h);
    }
    // Owned windows stay in front of their owner within its band.
    auto self = std::find(v.begin(), v.end(), h);
    std::vector<HWND> owned;
    for (auto it = self + 1; it != v.end(); ++it)
        if (WindowRec* o = Rec(*it); o && o->owner == h && bool(o->exStyle & WS_EX_TOPMOST) == topmost)
            owned.push_back(*it);
    if (owned.empty()) return;
    v.erase(std::remove_if(v.begin(), v.end(),
                           [&](HWND o) { return std::find(owned.begin(), owned.end(), o) != owned.end(); }),
            v.end());
    v.insert(std::find(v.begin(), v.end(), h), owned.begin(), owned.end());
}

std::vector<HWND>& SiblingList(WindowRec* r) {
    if (r->parent) return Rec(r->parent)->children;
    return Sys().topLevels;
}

}  // namespace

WinSys& Sys() {
    assert(g_sys && "the window system is not running");
    return *g_sys;
}
bool SysReady() { return g_sys != nullptr; }

WindowRec* Rec(HWND hwnd) {
    if (!g_sys || !hwnd) return nullptr;
    auto it = g_sys->windows.find(hwnd);
    return it == g_sys->windows.end() ? nullptr : it->second.get();
}

HINSTANCE GetModuleHandle(const char16_t*) { return reinterpret_cast<HINSTANCE>(&g_instance); }
HINSTANCE AfxGetInstanceHandle() { return GetModuleHandle(nullptr); }
Backend* GetBackend() { return g_sys ? g_sys->backend : nullptr; }

// ---------------------------------------------------------------- start-up

bool InitWindowSystem(Backend* backend) {
    if (g_sys || !backend) return false;
    g_sys = new WinSys;
    g_sys->backend = backend;
    g_sys->cursorPos = backend->PointerPosition();

    WNDCLASS wc;
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(std::uintptr_t(COLOR_WINDOW + 1));
    wc.lpszClassName = kDefaultClass;
    RegisterClass(&wc);
    WNDCLASS dk;
    dk.lpszClassName = kDesktopClass;
    RegisterClass(&dk);

    // The desktop: the screen as a window. It is never painted and is not in
    // the list of top-level windows.
    auto rec = std::make_unique<WindowRec>();
    rec->hwnd = reinterpret_cast<HWND>(g_sys->nextHandle++);
    rec->cls = g_sys->classes[FoldName(kDesktopClass)];
    rec->isDesktop = true;
    rec->style = WS_VISIBLE;
    CSize screen = backend->ScreenSize();
    rec->rect = CRect(0, 0, screen.cx, screen.cy);
    auto* obj = new DesktopWnd;
    obj->m_hWnd = rec->hwnd;
    rec->obj = obj;
    g_sys->desktop = rec->hwnd;
    g_sys->windows[rec->hwnd] = std::move(rec);
    return true;
}

void ShutdownWindowSystem() {
    if (!g_sys) return;
    g_sys->shuttingDown = true;
    // Destroy what is left; DestroyWindow takes owned popups with their owner.
    while (!g_sys->topLevels.empty()) {
        HWND h = g_sys->topLevels.back();
        DestroyWindow(h);
        // A window already being destroyed (shutdown from its own handler)
        // must not keep this loop going.
        auto& v = g_sys->topLevels;
        v.erase(std::remove(v.begin(), v.end(), h), v.end());
    }
    if (WindowRec* d = Rec(g_sys->desktop)) {
        CWnd* obj = d->obj;
        obj->m_hWnd = nullptr;
        delete obj;
    }
    ClipCursor(nullptr);
    g_sys->backend->GrabPointer(0);
    delete g_sys;
    g_sys = nullptr;
}

// ---------------------------------------------------------------- classes

BOOL RegisterClass(const WNDCLASS* wc) {
    if (!g_sys || !wc || !wc->lpszClassName) return FALSE;
    CString name = ClassNameOf(wc->lpszClassName);
    if (name.empty()) return FALSE;
    CString key = FoldName(name);
    if (g_sys->classes.count(key)) return FALSE;
    auto cls = std::make_shared<WindowClass>();
    cls->name = name;
    cls->wc = *wc;
    if (wc->lpszMenuName && !IS_INTRESOURCE(wc->lpszMenuName)) cls->menuName = wc->lpszMenuName;
    cls->wc.lpszClassName = cls->name.c_str();
    cls->wc.lpszMenuName = cls->menuName.empty() ? nullptr : cls->menuName.c_str();
    g_sys->classes[key] = cls;
    return TRUE;
}

BOOL UnregisterClass(const char16_t* className, HINSTANCE) {
    if (!g_sys || !className) return FALSE;
    auto it = g_sys->classes.find(FoldName(ClassNameOf(className)));
    if (it == g_sys->classes.end()) return FALSE;
    // Windows that still use the class keep their shared copy of it.
    g_sys->classes.erase(it);
    return TRUE;
}

BOOL GetClassInfo(HINSTANCE, const char16_t* className, WNDCLASS* wc) {
    if (!g_sys || !className) return FALSE;
    auto it = g_sys->classes.find(FoldName(ClassNameOf(className)));
    if (it == g_sys->classes.end()) return FALSE;
    if (wc) *wc = it->second->wc;
    return TRUE;
}

const char16_t* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    if (!g_sys) return nullptr;
    std::string name = "Velmora:" + std::to_string(classStyle) + ":" +
                       std::to_string(reinterpret_cast<std::uintptr_t>(cursor)) + ":" +
                       std::to_string(reinterpret_cast<std::uintptr_t>(background)) + ":" +
                       std::to_string(reinterpret_cast<std::uintptr_t>(icon));
    CString wide = FromUtf8(name);
    auto it = g_sys->classes.find(FoldName(wide));
    if (it != g_sys->classes.end()) return it->second->name.c_str();
    WNDCLASS wc;
    wc.style = classStyle;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = wide.c_str();
    if (!RegisterClass(&wc)) return nullptr;
    return g_sys->classes[FoldName(wide)]->name.c_str();
}

// ---------------------------------------------------------------- geometry

bool IsTopLevel(const WindowRec* r) { return r && !r->parent && !r->isDesktop; }

WindowRec* TopLevelOf(WindowRec* r) {
    while (r && r->parent) r = Rec(r->parent);
    return r && !r->isDesktop ? r : nullptr;
}

CRect NonClientInsets(const WindowRec* r) {
    CRect in;
    if (!r || r->isDesktop) return in;
    int b = 0;
    if (r->style & WS_THICKFRAME) b = 4;
    else if (r->style & WS_DLGFRAME) b = 3;
    else if (r->style & WS_BORDER) b = 1;
    if (r->exStyle & WS_EX_CLIENTEDGE) b += 2;
    if (r->exStyle & WS_EX_STATICEDGE) b += 1;
    in = CRect(b, b, b, b);
    if ((r->style & WS_CAPTION) == WS_CAPTION) in.top += GetSystemMetrics(SM_CYCAPTION);
    if (ScrollBarVisible(r, SB_VERT)) in.right += GetSystemMetrics(SM_CXVSCROLL);
    if (ScrollBarVisible(r, SB_HORZ)) in.bottom += GetSystemMetrics(SM_CYHSCROLL);
    return in;
}

CRect ClientRectOf(const WindowRec* r) {
    if (!r) return {};
    CRect in = NonClientInsets(r);
    int w = std::max(0, r->rect.Width() - in.left - in.right);
    int h = std::max(0, r->rect.Height() - in.top - in.bottom);
    return CRect(0, 0, w, h);
}

CPoint WindowOriginOnScreen(const WindowRec* r) {
    if (!r) return {};
    if (!r->parent) return r->rect.TopLeft();
    CPoint p = ClientOriginOnScreen(Rec(r->parent));
    return p + r->rect.TopLeft();
}

CPoint ClientOriginOnScreen(const WindowRec* r) {
    if (!r) return {};
    CRect in = NonClientInsets(r);
    return WindowOriginOnScreen(r).offset(in.left, in.top);
}

CPoint WindowOriginInSurface(const WindowRec* r) {
    if (!r || !r->parent) return {};
    return ClientOriginInSurface(Rec(r->parent)) + r->rect.TopLeft();
}

CPoint ClientOriginInSurface(const WindowRec* r) {
    CRect in = NonClientInsets(r);
    return WindowOriginInSurface(r).offset(in.left, in.top);
}

bool IsVisibleRec(const WindowRec* r) {
    for (; r; r = r->parent ? Rec(r->parent) : nullptr)
        if (!(r->style & WS_VISIBLE)) return false;
    return true;
}

bool IsEnabledRec(const WindowRec* r) { return r && !(r->style & WS_DISABLED); }

CRect VisibleClipInSurface(const WindowRec* r, bool clientOnly) {
    WindowRec* top = TopLevelOf(const_cast<WindowRec*>(r));
    if (!top || !top->surface) return {};
    CPoint wo = WindowOriginInSurface(r);
    CRect clip = clientOnly ? ClientRectOf(r).offset(ClientOriginInSurface(r).x, ClientOriginInSurface(r).y)
                            : CRect(wo, r->rect.Size());
    for (const WindowRec* p = r->parent ? Rec(r->parent) : nullptr; p; p = p->parent ? Rec(p->parent) : nullptr) {
        CPoint co = ClientOriginInSurface(p);
        clip = clip.intersected(ClientRectOf(p).offset(co.x, co.y));
    }
    return clip.intersected(top->surface->bounds());
}

void RestackNatives() {
    WinSys& s = Sys();
    std::vector<NativeWindowId> order;
    for (auto it = s.topLevels.rbegin(); it != s.topLevels.rend(); ++it)
        if (WindowRec* r = Rec(*it)) order.push_back(r->native);
    s.backend->RestackNativeWindows(order);
}

void NotifySizeChanged(WindowRec* r, bool moved, bool sized) {
    HWND h = r->hwnd;
    if (moved) {
        CPoint p = r->parent ? r->rect.TopLeft() + CSize(NonClientInsets(r).left, NonClientInsets(r).top)
                             : ClientOriginOnScreen(r);
        SendTo(r, WM_MOVE, 0, MAKELPARAM(p.x, p.y));
    }
    if (sized && (r = Rec(h))) {
        CRect c = ClientRectOf(r);
        SendTo(r, WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.Width(), c.Height()));
    }
}

// Client size may change when a scroll bar appears or goes: the window
// redraws its frame and hears WM_SIZE, as on the platform.
void UpdateNonClient(WindowRec* r) {
    InvalidateNonClient(r);
    InvalidateRec(r, nullptr, true, true);
    NotifySizeChanged(r, false, true);
}

namespace {

void SetRectInternal(WindowRec* r, const CRect& nr, bool redraw, bool tellDisplay = true) {
    CRect old = r->rect;
    if (old == nr) return;
    bool sized = old.Size() != nr.Size();
    bool moved = old.TopLeft() != nr.TopLeft();
    CRect oldClient = ClientRectOf(r);
    if (r->parent && IsVisibleRec(r) && redraw) InvalidateBehind(r, old);
    r->rect = nr;
    if (IsTopLevel(r)) {
        if (sized && r->surface) r->surface->resize(nr.Width(), nr.Height(), ToPixel(GetSysColor(COLOR_WINDOW)));
        if (tellDisplay) Sys().backend->SetNativeWindowRect(r->native, nr);
    }
    if (redraw || sized) {
        UINT cs = r->cls ? r->cls->wc.style : 0;
        CRect nc = ClientRectOf(r);
        bool whole = !IsTopLevel(r) && moved;
        if ((cs & CS_HREDRAW) && nc.Width() != oldClient.Width()) whole = true;
        if ((cs & CS_VREDRAW) && nc.Height() != oldClient.Height()) whole = true;
        if (whole || !IsTopLevel(r)) {
            InvalidateRec(r, nullptr, true, true);
        } else if (sized) {
            // Only the uncovered strips of a top-level window need painting.
            if (nc.Width() > oldClient.Width()) {
                CRect strip(oldClient.Width(), 0, nc.Width(), nc.Height());
                InvalidateRec(r, &strip, true, true);
            }
            if (nc.Height() > oldClient.Height()) {
                CRect strip(0, oldClient.Height(), nc.Width(), nc.Height());
                InvalidateRec(r, &strip, true, true);
            }
        }
        if (sized) InvalidateNonClient(r);
    }
    NotifySizeChanged(r, moved, sized);
}

}  // namespace

void TakeNativeRect(WindowRec* r, const CRect& screenRect) {
    if (IsTopLevel(r)) SetRectInternal(r, screenRect, true, false);
}

namespace {

void ShowInternal(WindowRec* r, bool show, bool activate) {
    bool was = (r->style & WS_VISIBLE) != 0;
    if (was == show) {
        if (show && activate && IsTopLevel(r)) SetActiveWindow(r->hwnd);
        return;
    }
    HWND h = r->hwnd;
    SendTo(r, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (!(r = Rec(h))) return;
    if (show) {
        r->style |= WS_VISIBLE;
        InvalidateNonClient(r);
        InvalidateRec(r, nullptr, true, true);
        if (IsTopLevel(r)) {
            Sys().backend->ShowNativeWindow(r->native, true);
            if (activate) SetActiveWindow(h);
        }
    } else {
        if (r->parent) InvalidateBehind(r, r->rect);
        r->style &= ~WS_VISIBLE;
        WinSys& s = Sys();
        // Hidden windows keep neither the focus nor the capture.
        if (s.capture && (s.capture == h || (Rec(s.capture) && CWnd::FromHandle(h)->IsChild(CWnd::FromHandle(s.capture)))))
            ReleaseCapture();
        if (s.focus && (s.focus == h || CWnd::FromHandle(h)->IsChild(CWnd::FromHandle(s.focus)))) {
            HWND parentFocus = r->parent;
            SetFocus(parentFocus && IsVisibleRec(Rec(parentFocus)) ? parentFocus : nullptr);
        }
        if ((r = Rec(h)) && IsTopLevel(r)) {
            s.backend->ShowNativeWindow(r->native, false);
            if (s.active == h) {
                // Activation goes to the owner, else the next visible window.
                HWND next = r->owner && IsVisibleRec(Rec(r->owner)) ? r->owner : nullptr;
                if (!next)
                    for (HWND t : s.topLevels)
                        if (t != h && IsVisibleRec(Rec(t)) && !(Rec(t)->exStyle & WS_EX_NOACTIVATE)) { next = t; break; }
                SetActiveWindow(next);
            }
        }
    }
}

bool ActivatesWhenShown(const WindowRec* r) {
    return IsTopLevel(r) && !(r->exStyle & WS_EX_NOACTIVATE);
}

}  // namespace

// ---------------------------------------------------------------- creation

namespace {

HWND CreateRec(CWnd* obj, DWORD exStyle, const char16_t* className, const char16_t* windowName, DWORD style,
               int x, int y, int w, int h, HWND parent, UINT id, HINSTANCE instance, void* param) {
    if (!g_sys) return nullptr;
    WinSys& s = *g_sys;
    CString cname = ClassNameOf(className);
    if (cname.empty()) cname = kDefaultClass;
    auto it = s.classes.find(FoldName(cname));
    if (it == s.classes.end()) return nullptr;
    std::shared_ptr<WindowClass> cls = it->second;

    bool ownObj = false;
    if (!obj) {
        if (cls->wc.pfnCreateObject) obj = cls->wc.pfnCreateObject();
        else obj = new ClassProcWnd(cls->wc.lpfnWndProc ? cls->wc.lpfnWndProc : ::DefWindowProc);
        if (!obj) return nullptr;
        obj->m_bAutoDelete = true;
        ownObj = true;
    }
    if (obj->m_hWnd) return nullptr;   // already has a window

    CString title = windowName && !IS_INTRESOURCE(windowName) ? CString(windowName) : CString();
    CREATESTRUCT cs;
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hwndParent = parent;
    cs.x = x;
    cs.y = y;
    cs.cx = w;
    cs.cy = h;
    cs.style = style;
    cs.dwExStyle = exStyle;
    cs.lpszClass = cls->name.c_str();
    cs.lpszName = title.c_str();
    cs.hMenu = reinterpret_cast<HMENU>(std::uintptr_t(id));
    auto fail = [&]() -> HWND {
        if (ownObj) obj->PostNcDestroy();
        return nullptr;
    };
    if (!obj->PreCreateWindow(cs)) return fail();
    style = cs.style;
    exStyle = cs.dwExStyle;

    WindowRec* parentRec = Rec(cs.hwndParent);
    if (parentRec && parentRec->isDesktop) parentRec = nullptr;
    if ((style & WS_CHILD) && !parentRec) return fail();
    if (cs.hwndParent && !parentRec && !(Rec(cs.hwndParent) && Rec(cs.hwndParent)->isDesktop)) return fail();

    bool child = (style & WS_CHILD) != 0;
    if (cs.x == CW_USEDEFAULT) { cs.x = child ? 0 : 40; cs.y = child ? 0 : 40; }
    if (cs.cx == CW_USEDEFAULT) { cs.cx = child ? 0 : 320; cs.cy = child ? 0 : 240; }
    cs.cx = std::max(0, cs.cx);
    cs.cy = std::max(0, cs.cy);

    auto rec = std::make_unique<WindowRec>();
    WindowRec* r = rec.get();
    r->hwnd = reinterpret_cast<HWND>(s.nextHandle++);
    r->obj = obj;
    r->cls = cls;
    r->style = style & ~WS_VISIBLE;
    r->exStyle = exStyle;
    r->text = cs.lpszName ? CString(cs.lpszName) : CString();
    r->instance = instance;
    r->rect = CRect(cs.x, cs.y, cs.x + cs.cx, cs.y + cs.cy);
    if (child) {
        r->parent = parentRec->hwnd;
        r->id = int(id);
    } else if (parentRec) {
        r->owner = TopLevelOf(parentRec) ? TopLevelOf(parentRec)->hwnd : nullptr;
    }
    if (style & WS_VSCROLL) r->bars[SB_VERT].max = 100;
    if (style & WS_HSCROLL) r->bars[SB_HORZ].max = 100;
    HWND hwnd = r->hwnd;
    s.windows[hwnd] = std::move(rec);
    obj->m_hWnd = hwnd;

    if (child) {
        parentRec->children.push_back(hwnd);   // new children go to the bottom
    } else {
        r->surface = std::make_unique<Surface>(std::max(1, cs.cx), std::max(1, cs.cy),
                                               ToPixel(GetSysColor(COLOR_WINDOW)));
        NativeWindowFlags flags;
        flags.overrideRedirect = (style & WS_POPUP) && (exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST)) &&
                                 !(exStyle & WS_EX_APPWINDOW);
        flags.taskbar = !(exStyle & WS_EX_TOOLWINDOW) && (!r->owner || (exStyle & WS_EX_APPWINDOW));
        flags.topmost = (exStyle & WS_EX_TOPMOST) != 0;
        r->native = s.backend->CreateNativeWindow(r->rect, flags, r->text);
        InsertTopLevel(s, hwnd, flags.topmost);
        RestackNatives();
    }

    cs.style = style;
    cs.dwExStyle = exStyle;
    if (!SendTo(r, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) ||
        !Rec(hwnd) || SendTo(Rec(hwnd), WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1 || !Rec(hwnd)) {
        if (Rec(hwnd)) DestroyWindow(hwnd);
        return nullptr;
    }
    r = Rec(hwnd);
    NotifySizeChanged(r, true, true);
    if ((r = Rec(hwnd)) && (style & WS_VISIBLE)) ShowInternal(r, true, ActivatesWhenShown(r));
    return Rec(hwnd) ? hwnd : nullptr;
}

void UnlinkRec(WindowRec* r) {
    WinSys& s = Sys();
    auto& sib = r->parent ? (Rec(r->parent) ? Rec(r->parent)->children : s.topLevels) : s.topLevels;
    sib.erase(std::remove(sib.begin(), sib.end(), r->hwnd), sib.end());
}

void DestroyRec(WindowRec* r) {
    WinSys& s = Sys();
    if (r->destroying || r->isDesktop) return;
    r->destroying = true;
    HWND h = r->hwnd;

    // Owned popups go before their owner.
    if (IsTopLevel(r)) {
        std::vector<HWND> owned;
        for (HWND t : s.topLevels)
            if (WindowRec* o = Rec(t); o && o->owner == h) owned.push_back(t);
        for (HWND t : owned)
            if (WindowRec* o = Rec(t)) DestroyRec(o);
        if (!(r = Rec(h))) return;
    }
    if (r->style & WS_VISIBLE) {
        ShowInternal(r, false, false);
        if (!(r = Rec(h))) return;
    }
    if (s.capture == h) ReleaseCapture();
    if (s.focus && (s.focus == h || CWnd::FromHandle(h)->IsChild(CWnd::FromHandle(s.focus)))) SetFocus(nullptr);
    if (s.active == h) s.active = nullptr;

    SendTo(r, WM_DESTROY, 0, 0);
    if (!(r = Rec(h))) return;
    std::vector<HWND> kids = r->children;
    for (HWND k : kids)
        if (WindowRec* kr = Rec(k)) DestroyRec(kr);
    if (!(r = Rec(h))) return;
    SendTo(r, WM_NCDESTROY, 0, 0);
    if (!(r = Rec(h))) return;

    KillTimersFor(h);
    ForgetWindowInput(h);
    UnlinkRec(r);
    if (IsTopLevel(r) && r->native) {
        s.backend->DestroyNativeWindow(r->native);
        r->native = 0;
    }
    CWnd* obj = r->obj;
    auto node = s.windows.extract(h);   // the handle is dead from here on
    if (obj) {
        obj->m_hWnd = nullptr;
        obj->PostNcDestroy();
    }
}

}  // namespace

HWND CreateWindowEx(DWORD exStyle, const char16_t* className, const char16_t* windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance,
                    void* createParam) {
    return CreateRec(nullptr, exStyle, className, windowName, style, x, y, width, height, parent,
                     UINT(reinterpret_cast<std::uintptr_t>(menuOrId)), instance, createParam);
}

BOOL DestroyWindow(HWND hwnd) {
    WindowRec* r = Rec(hwnd);
    if (!r || r->isDesktop) return FALSE;
    if (r->destroying) return TRUE;
    DestroyRec(r);
    return TRUE;
}

// ---------------------------------------------------------------- CWnd: life cycle

const CWnd wndTop;
const CWnd wndBottom;
const CWnd wndTopMost;
const CWnd wndNoTopMost;

CWnd::CWnd() = default;

CWnd::~CWnd() {
    // An object that goes away before its window takes the window with it.
    if (g_sys && Rec(m_hWnd)) {
        WindowRec* r = Rec(m_hWnd);
        if (!r->destroying) ::DestroyWindow(m_hWnd);
        if ((r = Rec(m_hWnd)) && r->obj == this) r->obj = nullptr;
    }
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    WindowRec* r = Rec(hwnd);
    return r ? r->obj : nullptr;
}

BOOL CWnd::IsWindow(HWND hwnd) { return Rec(hwnd) != nullptr; }

BOOL CWnd::CreateEx(DWORD exStyle, const char16_t* className, const char16_t* windowName, DWORD style,
                    const CRect& rect, CWnd* parent, UINT id, void* createParam) {
    return CreateRec(this, exStyle, className, windowName, style, rect.left, rect.top, rect.Width(),
                     rect.Height(), parent ? parent->m_hWnd : nullptr, id, AfxGetInstanceHandle(),
                     createParam) != nullptr;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char16_t* className, const char16_t* windowName, DWORD style, int x,
                    int y, int width, int height, HWND parent, UINT id, void* createParam) {
    return CreateRec(this, exStyle, className, windowName, style, x, y, width, height, parent, id,
                     AfxGetInstanceHandle(), createParam) != nullptr;
}

BOOL CWnd::Create(const char16_t* className, const char16_t* windowName, DWORD style, const CRect& rect,
                  CWnd* parent, UINT id, void* createParam) {
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id, createParam);
}

BOOL CWnd::DestroyWindow() { return ::DestroyWindow(m_hWnd); }

BOOL CWnd::SubclassWindow(HWND hwnd) {
    WindowRec* r = Rec(hwnd);
    if (!r || m_hWnd || r->isDesktop) return FALSE;
    CWnd* old = r->obj;
    if (old == this) return TRUE;
    r->obj = this;
    m_hWnd = hwnd;
    if (old) {
        old->m_hWnd = nullptr;
        if (old->m_bAutoDelete) delete old;
    }
    PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    if (!parent) return FALSE;
    CWnd* item = parent->GetDlgItem(int(id));
    return item ? SubclassWindow(item->m_hWnd) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
    WindowRec* r = Rec(m_hWnd);
    HWND h = m_hWnd;
    if (!r) return nullptr;
    // The window goes on with a plain object of its own.
    auto* plain = new ClassProcWnd(r->cls && r->cls->wc.lpfnWndProc ? r->cls->wc.lpfnWndProc : ::DefWindowProc);
    plain->m_hWnd = h;
    r->obj = plain;
    m_hWnd = nullptr;
    return h;
}

void CWnd::PostNcDestroy() {
    if (m_bAutoDelete) delete this;
}
BOOL CWnd::PreCreateWindow(CREATESTRUCT&) { return TRUE; }
void CWnd::PreSubclassWindow() {}

// ---------------------------------------------------------------- CWnd: tree

CWnd* CWnd::GetParent() const {
    WindowRec* r = Rec(m_hWnd);
    if (!r) return nullptr;
    return FromHandle(r->parent ? r->parent : r->owner);
}

CWnd* CWnd::SetParent(CWnd* newParent) {
    WindowRec* r = Rec(m_hWnd);
    WindowRec* np = Rec(newParent);
    if (!r || !r->parent || !np || np == r) return nullptr;
    CWnd* old = FromHandle(r->parent);
    if (IsVisibleRec(r)) InvalidateBehind(r, r->rect);
    UnlinkRec(r);
    r->parent = np->hwnd;
    np->children.insert(np->children.begin(), r->hwnd);
    InvalidateRec(r, nullptr, true, true);
    return old;
}

CWnd* CWnd::GetOwner() const {
    WindowRec* r = Rec(m_hWnd);
    if (!r) return nullptr;
    return FromHandle(r->owner ? r->owner : r->parent);
}

void CWnd::SetOwner(CWnd* owner) {
    if (WindowRec* r = Rec(m_hWnd)) r->owner = owner ? owner->m_hWnd : nullptr;
}

CWnd* CWnd::GetTopLevelParent() const {
    WindowRec* t = TopLevelOf(Rec(m_hWnd));
    return t ? t->obj : nullptr;
}

CWnd* CWnd::GetDesktopWindow() { return FromHandle(::GetDesktopWindow()); }

CWnd* CWnd::GetWindow(UINT cmd) const {
    WindowRec* r = Rec(m_hWnd);
    if (!r) return nullptr;
    if (cmd == GW_CHILD) return r->children.empty() ? nullptr : FromHandle(r->children.front());
    if (cmd == GW_OWNER) return FromHandle(r->owner);
    if (r->isDesktop) return nullptr;
    std::vector<HWND>& sib = SiblingList(r);
    auto it = std::find(sib.begin(), sib.end(), m_hWnd);
    if (it == sib.end()) return nullptr;
    switch (cmd) {
    case GW_HWNDFIRST: return FromHandle(sib.front());
    case GW_HWNDLAST: return FromHandle(sib.back());
    case GW_HWNDNEXT: return it + 1 == sib.end() ? nullptr : FromHandle(*(it + 1));
    case GW_HWNDPREV: return it == sib.begin() ? nullptr : FromHandle(*(it - 1));
    default: return nullptr;
    }
}

CWnd* CWnd::GetDlgItem(int id) const {
    WindowRec* r = Rec(m_hWnd);
    if (!r) return nullptr;
    for (HWND k : r->children)
        if (WindowRec* kr = Rec(k); kr && kr->id == id) return kr->obj;
    return nullptr;
}

int CWnd::GetDlgCtrlID() const {
    WindowRec* r = Rec(m_hWnd);
    return r ? r->id : 0;
}

int CWnd::SetDlgCtrlID(int id) {
    WindowRec* r = Rec(m_hWnd);
    if (!r) return 0;
    int old = r->id;
    r->id = id;
    return old;
}

BOOL CWnd::IsChild(const CWnd* wnd) const {
    WindowRec* r = Rec(wnd);
    if (!r || !m_hWnd) return FALSE;
    for (HWND p = r->parent; p; p = Rec(p) ? Rec(p)->parent : nullptr)
        if (p == m_hWnd) return TRUE;
    return FALSE;
}

BOOL CWnd::IsWindowEnabled() const { return IsEnabledRec(Rec(m_hWnd)); }
BOOL CWnd::IsWindowVisible() const { return Rec(m_hWnd) && IsVisibleRec(Rec(m_hWnd)); }

// ---------------------------------------------------------------- CWnd: text, styles

void CWnd::SetWindowText(const CString& text) {
    ::SendMessage(m_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

CString CWnd::GetWindowText() const {
    int n = GetWindowTextLength();
    if (n <= 0) return {};
    CString buf(std::size_t(n) + 1, u'\0');
    LRESULT got = ::SendMessage(m_hWnd, WM_GETTEXT, WPARAM(n + 1), reinterpret_cast<LPARAM>(buf.data()));
    buf.resize(std::size_t(std::clamp<LRESULT>(got, 0, n)));
    return buf;
}

int CWnd::GetWindowTextLength() const { return int(::SendMessage(m_hWnd, WM_GETTEXTLENGTH, 0, 0)); }

DWORD CWnd::GetStyle() const {
    WindowRec* r = Rec(m_hWnd);
    return r ? r->style : 0;
}

DWORD CWnd::GetExStyle() const {
    WindowRec* r = Rec(m_hWnd);
    return r ? r->exStyle : 0;
}

namespace {

BOOL ApplyStyle(WindowRec* r, DWORD newStyle, DWORD newEx) {
    if (!r) return FALSE;
    DWORD oldStyle = r->style;
    DWORD oldEx = r->exStyle;
    // Visibility and enabling have their own calls with their own messages.
    newStyle = (newStyle & ~(WS_VISIBLE | WS_DISABLED)) | (oldStyle & (WS_VISIBLE | WS_DISABLED));
    if (newStyle == oldStyle && newEx == oldEx) return FALSE;
    CRect oldClient = ClientRectOf(r);
    r->style = newStyle;
    r->exStyle = newEx;
    if (ClientRectOf(r) != oldClient) UpdateNonClient(r);
    else InvalidateNonClient(r);
    return TRUE;
}

}  // namespace

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT) {
    WindowRec* r = Rec(m_hWnd);
    if (!r) return FALSE;
    DWORD st = (r->style & ~remove) | add;
    if (((remove | add) & WS_VISIBLE)) ShowWindow(st & WS_VISIBLE ? SW_SHOWNA : SW_HIDE);
    if (((remove | add) & WS_DISABLED)) EnableWindow(!(st & WS_DISABLED));
    return ApplyStyle(Rec(m_hWnd), st, Rec(m_hWnd) ? Rec(m_hWnd)->exStyle : 0);
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT) {
    WindowRec* r = Rec(m_hWnd);
    if (!r) return FALSE;
    return ApplyStyle(r, r->style, (r->exStyle & ~remove) | add);
}

LONG_PTR CWnd::GetWindowLongPtr(int index) const {
    WindowRec* r = Rec(m_hWnd);
    if (!r) return 0;
    switch (index) {
    case GWL_STYLE: return LONG_PTR(r->style);
    case GWL_EXSTYLE: return LONG_PTR(r->exStyle);
    case GWL_ID: return r->id;
    case GWL_USERDATA: return r->userData;
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(r->parent ? r->parent : r->owner);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(r->instance);
    default: return 0;
    }
}

LONG_PTR CWnd::SetWindowLongPtr(int index, LONG_PTR value) {
    WindowRec* r = Rec(m_hWnd);
    if (!r) return 0;
    LONG_PTR old = GetWindowLongPtr(index);
    switch (index) {
    case GWL_STYLE: ApplyStyle(r, DWORD(value), r->exStyle); break;
    case GWL_EXSTYLE: ApplyStyle(r, r->style, DWORD(value)); break;
    case GWL_ID: r->id = int(value); break;
    case GWL_USERDATA: r->userData = value; break;
    default: return 0;
    }
    return old;
}

void CWnd::SetFont(CFont* font, BOOL redraw) {
    ::SendMessage(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->GetSafeHandle() : nullptr),
                  MAKELPARAM(redraw ? 1 : 0, 0));
}

CFont* CWnd::GetFont() const {
    HFONT f = reinterpret_cast<HFONT>(::SendMessage(m_hWnd, WM_GETFONT, 0, 0));
    return f ? CFont::FromHandle(f) : nullptr;
}

CString CWnd::GetClassName() const {
    WindowRec* r = Rec(m_hWnd);
    return r && r->cls ? r->cls->name : CString();
}

// ---------------------------------------------------------------- CWnd: geometry

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
    SetWindowPos(nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

void CWnd::MoveWindow(const CRect& rect, BOOL repaint) {
    MoveWindow(rect.left, rect.top, rect.Width(), rect.Height(), repaint);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    WindowRec* r = Rec(m_hWnd);
    if (!r || r->isDesktop) return FALSE;
    HWND h = m_hWnd;
    WinSys& s = Sys();
    if (!(flags & SWP_NOZORDER)) {
        std::vector<HWND>& sib = SiblingList(r);
        sib.erase(std::remove(sib.begin(), sib.end(), h), sib.end());
        if (insertAfter == &wndTopMost) r->exStyle |= WS_EX_TOPMOST;
        if (insertAfter == &wndNoTopMost) r->exStyle &= ~WS_EX_TOPMOST;
        if (insertAfter == &wndBottom) {
            sib.push_back(h);
        } else if (insertAfter == nullptr || insertAfter == &wndTop || insertAfter == &wndTopMost ||
                   insertAfter == &wndNoTopMost) {
            if (IsTopLevel(r)) InsertTopLevel(s, h, (r->exStyle & WS_EX_TOPMOST) != 0);
            else sib.insert(sib.begin(), h);
        } else {
            auto it = std::find(sib.begin(), sib.end(), insertAfter->m_hWnd);
            sib.insert(it == sib.end() ? sib.begin() : it + 1, h);
        }
        if (IsTopLevel(r)) RestackNatives();
        else InvalidateRec(r, nullptr, true, true);
    }
    CRect nr = r->rect;
    if (!(flags & SWP_NOMOVE)) nr = CRect(CPoint(x, y), nr.Size());
    if (!(flags & SWP_NOSIZE)) nr = CRect(nr.TopLeft(), CSize(std::max(0, cx), std::max(0, cy)));
    if (flags & SWP_FRAMECHANGED) UpdateNonClient(r);
    if ((r = Rec(h))) SetRectInternal(r, nr, !(flags & SWP_NOREDRAW));
    if ((r = Rec(h)) && (flags & SWP_SHOWWINDOW)) ShowInternal(r, true, !(flags & SWP_NOACTIVATE) && ActivatesWhenShown(r));
    if ((r = Rec(h)) && (flags & SWP_HIDEWINDOW)) ShowInternal(r, false, false);
    return Rec(h) != nullptr;
}

BOOL CWnd::ShowWindow(int cmd) {
    WindowRec* r = Rec(m_hWnd);
    if (!r || r->isDesktop) return FALSE;
    BOOL was = (r->style & WS_VISIBLE) ? TRUE : FALSE;
    switch (cmd) {
    case SW_HIDE: ShowInternal(r, false, false); break;
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE:
    case SW_SHOWMINNOACTIVE: ShowInternal(r, true, false); break;
    default: ShowInternal(r, true, ActivatesWhenShown(r)); break;
    }
    return was;
}

BOOL CWnd::EnableWindow(BOOL enable) {
    WindowRec* r = Rec(m_hWnd);
    if (!r) return FALSE;
    BOOL wasDisabled = (r->style & WS_DISABLED) ? TRUE : FALSE;
    if (bool(enable) == !wasDisabled) return wasDisabled;
    HWND h = m_hWnd;
    if (enable) {
        r->style &= ~WS_DISABLED;
    } else {
        r->style |= WS_DISABLED;
        WinSys& s = Sys();
        if (s.focus == h || IsChild(FromHandle(s.focus))) ::SetFocus(nullptr);
        if (s.capture == h) ::ReleaseCapture();
    }
    if ((r = Rec(h))) SendTo(r, WM_ENABLE, enable ? TRUE : FALSE, 0);
    if ((r = Rec(h))) InvalidateRec(r, nullptr, true, false);
    return wasDisabled;
}

void CWnd::GetClientRect(CRect* rect) const {
    if (rect) *rect = ClientRectOf(Rec(m_hWnd));
}

void CWnd::GetWindowRect(CRect* rect) const {
    WindowRec* r = Rec(m_hWnd);
    if (!rect) return;
    if (!r) { *rect = CRect(); return; }
    *rect = CRect(WindowOriginOnScreen(r), r->rect.Size());
}

void CWnd::ClientToScreen(CPoint* point) const {
    if (point) *point = *point + ClientOriginOnScreen(Rec(m_hWnd));
}

void CWnd::ClientToScreen(CRect* rect) const {
    if (!rect) return;
    CPoint o = ClientOriginOnScreen(Rec(m_hWnd));
    rect->OffsetRect(o.x, o.y);
}

void CWnd::ScreenToClient(CPoint* point) const {
    if (!point) return;
    CPoint o = ClientOriginOnScreen(Rec(m_hWnd));
    point->Offset(-o.x, -o.y);
}

void CWnd::ScreenToClient(CRect* rect) const {
    if (!rect) return;
    CPoint o = ClientOriginOnScreen(Rec(m_hWnd));
    rect->OffsetRect(-o.x, -o.y);
}

void CWnd::MapWindowPoints(CWnd* to, CPoint* points, int count) const {
    CPoint from = ClientOriginOnScreen(Rec(m_hWnd));
    CPoint dest = to ? ClientOriginOnScreen(Rec(to)) : CPoint();
    for (int i = 0; i < count; ++i) points[i] = points[i] + from - CSize(dest.x, dest.y);
}

void CWnd::MapWindowPoints(CWnd* to, CRect* rect) const {
    CPoint pts[2] = {rect->TopLeft(), rect->BottomRight()};
    MapWindowPoints(to, pts, 2);
    *rect = CRect(pts[0], pts[1]);
}

void CWnd::CenterWindow(CWnd* alternateOwner) {
    WindowRec* r = Rec(m_hWnd);
    if (!r) return;
    CRect area;
    CWnd* center = alternateOwner ? alternateOwner : (r->parent ? nullptr : GetOwner());
    if (r->parent) {
        area = ClientRectOf(Rec(r->parent));
    } else if (center && center->IsWindowVisible()) {
        center->GetWindowRect(&area);
    } else {
        CSize sz = Sys().backend->ScreenSize();
        area = CRect(0, 0, sz.cx, sz.cy);
    }
    CPoint c = area.CenterPoint();
    int x = c.x - r->rect.Width() / 2;
    int y = c.y - r->rect.Height() / 2;
    if (!r->parent) {
        // Keep a centred top-level window on the screen.
        CSize sz = Sys().backend->ScreenSize();
        x = std::clamp(x, 0, std::max(0, sz.cx - r->rect.Width()));
        y = std::clamp(y, 0, std::max(0, sz.cy - r->rect.Height()));
    }
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::BringWindowToTop() { SetWindowPos(&wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

CWnd* CWnd::ChildWindowFromPoint(CPoint p) const {
    WindowRec* r = Rec(m_hWnd);
    if (!r) return nullptr;
    for (HWND k : r->children)
        if (WindowRec* kr = Rec(k); kr && (kr->style & WS_VISIBLE) && kr->rect.PtInRect(p)) return kr->obj;
    return ClientRectOf(r).PtInRect(p) ? const_cast<CWnd*>(this) : nullptr;
}

// ---------------------------------------------------------------- free functions by handle

BOOL IsWindow(HWND hwnd) { return Rec(hwnd) != nullptr; }
BOOL IsWindowVisible(HWND hwnd) { return Rec(hwnd) && IsVisibleRec(Rec(hwnd)); }
BOOL IsWindowEnabled(HWND hwnd) { return IsEnabledRec(Rec(hwnd)); }
BOOL EnableWindow(HWND hwnd, BOOL enable) {
    CWnd* w = CWnd::FromHandle(hwnd);
    return w ? w->EnableWindow(enable) : FALSE;
}
BOOL ShowWindow(HWND hwnd, int cmd) {
    CWnd* w = CWnd::FromHandle(hwnd);
    return w ? w->ShowWindow(cmd) : FALSE;
}
HWND GetParent(HWND hwnd) {
    CWnd* w = CWnd::FromHandle(hwnd);
    return w && w->GetParent() ? w->GetParent()->m_hWnd : nullptr;
}
HWND GetWindow(HWND hwnd, UINT cmd) {
    CWnd* w = CWnd::FromHandle(hwnd);
    CWnd* o = w ? w->GetWindow(cmd) : nullptr;
    return o ? o->m_hWnd : nullptr;
}
HWND GetDlgItem(HWND parent, int id) {
    CWnd* w = CWnd::FromHandle(parent);
    CWnd* o = w ? w->GetDlgItem(id) : nullptr;
    return o ? o->m_hWnd : nullptr;
}
int GetDlgCtrlID(HWND hwnd) {
    WindowRec* r = Rec(hwnd);
    return r ? r->id : 0;
}
HWND GetDesktopWindow() { return g_sys ? g_sys->desktop : nullptr; }
BOOL GetWindowRect(HWND hwnd, CRect* rect) {
    CWnd* w = CWnd::FromHandle(hwnd);
    if (!w) return FALSE;
    w->GetWindowRect(rect);
    return TRUE;
}
BOOL GetClientRect(HWND hwnd, CRect* rect) {
    WindowRec* r = Rec(hwnd);
    if (!r || !rect) return FALSE;
    *rect = ClientRectOf(r);
    return TRUE;
}
BOOL ClientToScreen(HWND hwnd, CPoint* point) {
    WindowRec* r = Rec(hwnd);
    if (!r || !point) return FALSE;
    *point = *point + ClientOriginOnScreen(r);
    return TRUE;
}
BOOL ScreenToClient(HWND hwnd, CPoint* point) {
    WindowRec* r = Rec(hwnd);
    if (!r || !point) return FALSE;
    CPoint o = ClientOriginOnScreen(r);
    point->Offset(-o.x, -o.y);
    return TRUE;
}
BOOL SetWindowText(HWND hwnd, const char16_t* text) {
    if (!Rec(hwnd)) return FALSE;
    return BOOL(::SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")));
}
LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
    CWnd* w = CWnd::FromHandle(hwnd);
    return w ? w->GetWindowLongPtr(index) : 0;
}
LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
    CWnd* w = CWnd::FromHandle(hwnd);
    return w ? w->SetWindowLongPtr(index, value) : 0;
}

std::vector<HWND> TopLevelWindows() { return g_sys ? g_sys->topLevels : std::vector<HWND>{}; }
