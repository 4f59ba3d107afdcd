// Invalidation, painting contexts, presenting, ScrollWindow, the screen's
// pixels and system colours.
//
// Call flow: InvalidateRect → InvalidateRec (coalesce into the window's
// list; children and higher overlapping siblings under it too, since all
// share one surface) · loop idle → FindWindowToPaint (parents first) →
// WM_NCPAINT, WM_PAINT → CPaintDC (clip = invalid bounding box, validate,
// WM_ERASEBKGND) → MarkDirty → FlushPresents → Backend::Present.
//
// Index: invalidation · context targets · CPaintDC, CClientDC, CWindowDC ·
// GetDC · CWnd painting · ScrollWindow · the screen, colours and metrics.
#include <algorithm>
#include <cstring>

#include "platform/gfx/png.h"
#include "platform/gfx/syscolors.h"
#include "platform/win/winsys.h"

namespace {

constexpr std::size_t kMaxRects = 8;   // beyond this the list becomes its bounding box

void AddCoalesced(std::vector<CRect>& list, const CRect& r) {
    if (r.IsRectEmpty()) return;
    for (const CRect& o : list)
        if (o.contains(r)) return;   // already pending: adds nothing
    list.erase(std::remove_if(list.begin(), list.end(), [&](const CRect& o) { return r.contains(o); }), list.end());
    list.push_back(r);
    if (list.size() > kMaxRects) {
        CRect u;
        for (const CRect& o : list) u = u.united(o);
        list.assign(1, u);
    }
}

// a minus b as up to four rectangles.
void Subtract(const CRect& a, const CRect& b, std::vector<CRect>& out) {
    CRect i = a.intersected(b);
    if (i.IsRectEmpty()) {
        out.push_back(a);
        return;
    }
    if (a.top < i.top) out.emplace_back(a.left, a.top, a.right, i.top);
    if (i.bottom < a.bottom) out.emplace_back(a.left, i.bottom, a.right, a.bottom);
    if (a.left < i.left) out.emplace_back(a.left, i.top, i.left, i.bottom);
    if (i.right < a.right) out.emplace_back(i.right, i.top, a.right, i.bottom);
}

CRect Bounds(const std::vector<CRect>& list) {
    CRect u;
    for (const CRect& o : list) u = u.united(o);
    return u;
}

bool NeedsPaintRec(const WindowRec* r) { return !r->invalid.empty() || r->ncDirty || r->internalPaint; }

WindowRec* FindIn(WindowRec* r) {
    if (!(r->style & WS_VISIBLE)) return nullptr;
    if (NeedsPaintRec(r)) return r;
    for (auto it = r->children.rbegin(); it != r->children.rend(); ++it)
        if (WindowRec* k = Rec(*it))
            if (WindowRec* f = FindIn(k)) return f;
    return nullptr;
}

CRect InsetsRect(const WindowRec* r) { return NonClientInsets(r); }

}  // namespace

void InvalidateRec(WindowRec* r, const CRect* clientRect, bool erase, bool children) {
    if (!r || r->isDesktop || !IsVisibleRec(r)) return;
    CRect client = ClientRectOf(r);
    CRect area = clientRect ? clientRect->intersected(client) : client;
    if (area.IsRectEmpty()) return;
    AddCoalesced(r->invalid, area);
    if (erase) r->erase = true;
    if (children) {
        for (HWND k : r->children) {
            WindowRec* kr = Rec(k);
            if (!kr || !(kr->style & WS_VISIBLE)) continue;
            CRect part = area.intersected(kr->rect);
            if (part.IsRectEmpty()) continue;
            CRect in = InsetsRect(kr);
            CRect inner(kr->rect.left + in.left, kr->rect.top + in.top, kr->rect.right - in.right,
                        kr->rect.bottom - in.bottom);
            if (!inner.contains(part)) InvalidateNonClient(kr);
            CRect local = part.offset(-inner.left, -inner.top);
            InvalidateRec(kr, &local, erase, true);
        }
    }
    // A sibling above that overlaps would be painted over: repaint it too.
    if (r->parent) {
        WindowRec* p = Rec(r->parent);
        CRect in = InsetsRect(r);
        CRect inParent = area.offset(r->rect.left + in.left, r->rect.top + in.top);
        for (HWND sib : p->children) {
            if (sib == r->hwnd) break;   // the rest are below
            WindowRec* sr = Rec(sib);
            if (!sr || !(sr->style & WS_VISIBLE)) continue;
            CRect part = inParent.intersected(sr->rect);
            if (part.IsRectEmpty()) continue;
            CRect sin = InsetsRect(sr);
            InvalidateNonClient(sr);
            CRect local = part.offset(-sr->rect.left - sin.left, -sr->rect.top - sin.top);
            InvalidateRec(sr, &local, erase, true);
        }
    }
}

void InvalidateNonClient(WindowRec* r) {
    if (!r || r->isDesktop || !IsVisibleRec(r)) return;
    if (!NonClientInsets(r).IsRectNull()) r->ncDirty = true;
}

void ValidateRec(WindowRec* r, const CRect* clientRect) {
    if (!r) return;
    if (!clientRect) {
        r->invalid.clear();
        r->erase = false;
        return;
    }
    std::vector<CRect> out;
    for (const CRect& o : r->invalid) Subtract(o, *clientRect, out);
    r->invalid.clear();
    for (const CRect& o : out) AddCoalesced(r->invalid, o);
    if (r->invalid.empty()) r->erase = false;
}

// The parent's area under a child that moved away or was hidden.
void InvalidateBehind(WindowRec* r, const CRect& windowRectInParent) {
    WindowRec* p = r->parent ? Rec(r->parent) : nullptr;
    if (!p) return;
    CRect area = windowRectInParent;
    InvalidateRec(p, &area, true, false);
    // Siblings that were under it show again.
    for (HWND sib : p->children) {
        WindowRec* sr = Rec(sib);
        if (!sr || sr == r || !(sr->style & WS_VISIBLE)) continue;
        CRect part = area.intersected(sr->rect);
        if (part.IsRectEmpty()) continue;
        CRect in = InsetsRect(sr);
        InvalidateNonClient(sr);
        CRect local = part.offset(-sr->rect.left - in.left, -sr->rect.top - in.top);
        InvalidateRec(sr, &local, true, true);
    }
}

void MarkDirty(WindowRec* top, const CRect& surfaceRect) {
    if (!top || !top->surface) return;
    CRect r = surfaceRect.intersected(top->surface->bounds());
    if (!r.IsRectEmpty()) AddCoalesced(top->dirty, r);
}

WindowRec* FindWindowToPaint() {
    WinSys& s = Sys();
    for (HWND t : s.topLevels)
        if (WindowRec* r = Rec(t))
            if (WindowRec* f = FindIn(r)) return f;
    return nullptr;
}

bool NeedsPaint() { return FindWindowToPaint() != nullptr; }

void FlushPresents() {
    WinSys& s = Sys();
    for (HWND t : s.topLevels) {
        WindowRec* r = Rec(t);
        if (!r || r->dirty.empty() || !r->surface) continue;
        std::vector<CRect> rects;
        rects.swap(r->dirty);
        if (r->style & WS_VISIBLE) s.backend->Present(r->native, *r->surface, rects);
    }
}

void PaintNow(WindowRec* r) {
    if (!r || !(r->style & WS_VISIBLE) || !NeedsPaintRec(r)) return;
    MSG m;
    m.hwnd = r->hwnd;
    m.message = WM_PAINT;
    DispatchMessage(&m);
}

// ---------------------------------------------------------------- context targets

// A window context describes the screen, as a display context does.
void SetScreenCaps(CDC& dc) {
    if (!SysReady()) return;
    CSize sz = Sys().backend->ScreenSize();
    dc.SetDeviceCaps(HORZRES, sz.cx);
    dc.SetDeviceCaps(VERTRES, sz.cy);
}

DcTarget ClientTarget(WindowRec* r) {
    DcTarget t;
    WindowRec* top = TopLevelOf(r);
    if (!r || !top || !top->surface) return t;
    t.keep = top->surface;
    t.surface = top->surface.get();
    t.origin = ClientOriginInSurface(r);
    t.clip = VisibleClipInSurface(r, true);
    return t;
}

DcTarget WindowTarget(WindowRec* r) {
    DcTarget t;
    WindowRec* top = TopLevelOf(r);
    if (!r || !top || !top->surface) return t;
    t.keep = top->surface;
    t.surface = top->surface.get();
    t.origin = WindowOriginInSurface(r);
    t.clip = VisibleClipInSurface(r, false);
    return t;
}

namespace {

DcTarget BeginPaintTarget(CWnd* wnd) {
    WindowRec* r = Rec(wnd);
    if (!r) return {};
    Sys().beginPaintCalls++;
    DcTarget t = ClientTarget(r);
    CRect box = Bounds(r->invalid).intersected(ClientRectOf(r));
    t.paintRect = box;
    t.erase = r->erase;
    t.clip = t.clip.intersected(box.offset(t.origin.x, t.origin.y));
    // This paint is not clipped around children or siblings above: any of
    // them that already painted this turn (a control redrawn at once) is
    // drawn over, so it paints again after us.
    if (!box.IsRectEmpty() && IsVisibleRec(r)) InvalidateRec(r, &box, t.erase, true);
    r->invalid.clear();
    r->erase = false;
    if (!IsVisibleRec(r)) t.clip = CRect();
    MarkDirty(TopLevelOf(r), t.clip);
    return t;
}

}  // namespace

CPaintDC::CPaintDC(CWnd* wnd) : CPaintDC(wnd, BeginPaintTarget(wnd)) {}

CPaintDC::CPaintDC(CWnd* wnd, const DcTarget& t)
    : CDC(t.surface, t.origin, t.clip), m_hWnd(wnd ? wnd->m_hWnd : nullptr), m_keep(t.keep), m_rcPaint(t.paintRect) {
    SetScreenCaps(*this);
    if (t.erase) {
        WindowRec* r = Rec(m_hWnd);
        if (r) m_bErase = SendTo(r, WM_ERASEBKGND, reinterpret_cast<WPARAM>(GetSafeHdc()), 0) ? FALSE : TRUE;
    }
}

CPaintDC::~CPaintDC() = default;

CClientDC::CClientDC(CWnd* wnd) : CClientDC(wnd, ClientTarget(Rec(wnd))) {}

CClientDC::CClientDC(CWnd* wnd, const DcTarget& t)
    : CDC(t.surface, t.origin, t.clip), m_hWnd(wnd ? wnd->m_hWnd : nullptr), m_keep(t.keep) {
    SetScreenCaps(*this);
}

CClientDC::~CClientDC() {
    if (SysReady())
        if (WindowRec* r = Rec(m_hWnd)) MarkDirty(TopLevelOf(r), GetDeviceClip());
}

CWindowDC::CWindowDC(CWnd* wnd) : CWindowDC(wnd, WindowTarget(Rec(wnd))) {}

CWindowDC::CWindowDC(CWnd* wnd, const DcTarget& t)
    : CDC(t.surface, t.origin, t.clip), m_hWnd(wnd ? wnd->m_hWnd : nullptr), m_keep(t.keep) {
    SetScreenCaps(*this);
}

CWindowDC::~CWindowDC() {
    if (SysReady())
        if (WindowRec* r = Rec(m_hWnd)) MarkDirty(TopLevelOf(r), GetDeviceClip());
}

namespace {

// The desktop's context shows what the display shows, as a snapshot.
CDC* DesktopDC() {
    auto shot = std::make_shared<Surface>();
    if (!Sys().backend->CaptureScreen(shot.get())) return nullptr;
    CDC* dc = new CDC(shot.get(), CPoint(), shot->bounds());
    Sys().dcs[dc] = shot;
    return dc;
}

CDC* NewDC(WindowRec* r, bool whole) {
    if (!r) return nullptr;
    if (r->isDesktop) return DesktopDC();
    DcTarget t = whole ? WindowTarget(r) : ClientTarget(r);
    if (!t.surface) return nullptr;
    CDC* dc = new CDC(t.surface, t.origin, t.clip);
    SetScreenCaps(*dc);
    Sys().dcs[dc] = t.keep;
    MarkDirty(TopLevelOf(r), t.clip);
    return dc;
}

}  // namespace

CDC* CWnd::GetDC() { return SysReady() ? NewDC(Rec(m_hWnd), false) : nullptr; }
CDC* CWnd::GetWindowDC() { return SysReady() ? NewDC(Rec(m_hWnd), true) : nullptr; }

int CWnd::ReleaseDC(CDC* dc) {
    if (!SysReady() || !dc) return 0;
    auto& dcs = Sys().dcs;
    auto it = dcs.find(dc);
    if (it == dcs.end()) return 0;
    // Whatever was drawn is shown at the next idle.
    if (WindowRec* r = Rec(m_hWnd)) MarkDirty(TopLevelOf(r), dc->GetDeviceClip());
    delete dc;
    dcs.erase(it);
    return 1;
}

// ---------------------------------------------------------------- CWnd: painting

void CWnd::Invalidate(BOOL erase) { InvalidateRec(Rec(m_hWnd), nullptr, erase != FALSE, true); }

void CWnd::InvalidateRect(const CRect* rect, BOOL erase) {
    InvalidateRec(Rec(m_hWnd), rect, erase != FALSE, true);
}

void CWnd::ValidateRect(const CRect* rect) { ValidateRec(Rec(m_hWnd), rect); }

void CWnd::UpdateWindow() { PaintNow(Rec(m_hWnd)); }

BOOL CWnd::RedrawWindow(const CRect* rect, void*, UINT flags) {
    WindowRec* r = Rec(m_hWnd);
    if (!r) return FALSE;
    bool kids = !(flags & RDW_NOCHILDREN);
    if (flags & RDW_INVALIDATE) InvalidateRec(r, rect, (flags & RDW_ERASE) != 0, kids);
    if (flags & RDW_FRAME) InvalidateNonClient(r);
    if (flags & RDW_VALIDATE) ValidateRec(r, rect);
    if (flags & RDW_INTERNALPAINT) r->internalPaint = true;
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) {
        HWND h = m_hWnd;
        PaintNow(r);
        if (kids && (flags & RDW_ALLCHILDREN))
            if (WindowRec* rr = Rec(h)) {
                std::vector<HWND> list = rr->children;
                for (auto it = list.rbegin(); it != list.rend(); ++it)
                    if (CWnd* k = FromHandle(*it)) k->RedrawWindow(nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            }
    }
    return TRUE;
}

BOOL CWnd::GetUpdateRect(CRect* rect, BOOL erase) {
    WindowRec* r = Rec(m_hWnd);
    if (!r) return FALSE;
    CRect box = Bounds(r->invalid);
    if (rect) *rect = box;
    if (erase && !box.IsRectEmpty()) r->erase = true;
    return box.IsRectEmpty() ? FALSE : TRUE;
}

BOOL InvalidateRect(HWND hwnd, const CRect* rect, BOOL erase) {
    WindowRec* r = Rec(hwnd);
    if (!r) return FALSE;
    InvalidateRec(r, rect, erase != FALSE, true);
    return TRUE;
}

void CWnd::ScrollWindow(int dx, int dy, const CRect* scrollRect, const CRect* clipRect) {
    WindowRec* r = Rec(m_hWnd);
    if (!r || (dx == 0 && dy == 0)) return;
    CRect client = ClientRectOf(r);
    CRect src = scrollRect ? scrollRect->intersected(client) : client;
    CRect clip = clipRect ? clipRect->intersected(client) : client;
    CRect dst = src.offset(dx, dy).intersected(clip);

    DcTarget t = ClientTarget(r);
    if (t.surface && IsVisibleRec(r) && !dst.IsRectEmpty()) {
        // Copy row by row in the order that never reads a row already written.
        CRect vis = t.clip;
        CRect dSurf = dst.offset(t.origin.x, t.origin.y).intersected(vis);
        CRect sSurf = dSurf.offset(-dx, -dy).intersected(vis);
        dSurf = sSurf.offset(dx, dy);
        if (!dSurf.IsRectEmpty()) {
            int w = dSurf.Width();
            int h = dSurf.Height();
            Surface& sf = *t.surface;
            for (int i = 0; i < h; ++i) {
                int row = dy > 0 ? h - 1 - i : i;
                std::memmove(sf.row(dSurf.top + row) + dSurf.left, sf.row(sSurf.top + row) + sSurf.left,
                             std::size_t(w) * sizeof(std::uint32_t));
            }
            MarkDirty(TopLevelOf(r), dSurf);
        }
    }

    // Pending invalid parts inside the scrolled area move with the pixels.
    std::vector<CRect> moved;
    for (CRect& o : r->invalid)
        if (src.contains(o)) o = o.offset(dx, dy).intersected(clip);
    r->invalid.erase(std::remove_if(r->invalid.begin(), r->invalid.end(), [](const CRect& o) { return o.IsRectEmpty(); }),
                     r->invalid.end());

    // What the move uncovered: the source area the destination does not cover.
    std::vector<CRect> uncovered;
    Subtract(src.intersected(clip), dst, uncovered);
    for (const CRect& u : uncovered) InvalidateRec(r, &u, true, true);

    // Without a scroll rectangle the children move along, as on the platform.
    if (!scrollRect && !clipRect) {
        std::vector<HWND> kids = r->children;
        for (HWND k : kids)
            if (WindowRec* kr = Rec(k)) {
                CRect nr = kr->rect.offset(dx, dy);
                kr->rect = nr;
                InvalidateRec(kr, nullptr, true, true);
                InvalidateNonClient(kr);
                NotifySizeChanged(kr, true, false);
            }
    }
}

// ---------------------------------------------------------------- the screen

COLORREF GetScreenPixel(int x, int y) {
    if (!SysReady()) return CLR_INVALID;
    WinSys& s = Sys();
    CSize sz = s.backend->ScreenSize();
    if (x < 0 || y < 0 || x >= sz.cx || y >= sz.cy) return CLR_INVALID;
    FlushPresents();
    for (HWND t : s.topLevels) {
        WindowRec* r = Rec(t);
        if (!r || !(r->style & WS_VISIBLE) || !r->surface || !r->rect.PtInRect(CPoint(x, y))) continue;
        return r->surface->GetPixel(x - r->rect.left, y - r->rect.top);
    }
    COLORREF c = CLR_INVALID;
    if (!s.backend->ReadScreenPixel(CPoint(x, y), &c)) return CLR_INVALID;
    return c;
}

bool SaveScreenshot(const std::string& path, std::string* error) {
    if (!SysReady()) {
        if (error) *error = "the window system is not running";
        return false;
    }
    FlushPresents();
    Surface shot;
    if (!Sys().backend->CaptureScreen(&shot)) {
        if (error) *error = "the screen cannot be read";
        return false;
    }
    return WritePng(shot, path, error);
}

const Surface* GetWindowSurface(HWND topLevel) {
    WindowRec* r = Rec(topLevel);
    return r && IsTopLevel(r) ? r->surface.get() : nullptr;
}

BOOL SetSysColors(int count, const int* indexes, const COLORREF* colours) {
    if (count < 0 || (count > 0 && (!indexes || !colours))) return FALSE;
    for (int i = 0; i < count; ++i)
        if (!SetSysColor(indexes[i], colours[i])) return FALSE;
    if (!SysReady()) return TRUE;
    std::vector<HWND> tops = Sys().topLevels;
    for (HWND t : tops) {
        WindowRec* r = Rec(t);
        if (!r) continue;
        SendTo(r, WM_SYSCOLORCHANGE, 0, 0);
        if (CWnd* w = CWnd::FromHandle(t)) w->SendMessageToDescendants(WM_SYSCOLORCHANGE, 0, 0, TRUE);
        if ((r = Rec(t))) {
            InvalidateNonClient(r);
            InvalidateRec(r, nullptr, true, true);
        }
    }
    return TRUE;
}

int GetSystemMetrics(int index) {
    CSize screen = SysReady() ? Sys().backend->ScreenSize() : CSize(1280, 1024);
    switch (index) {
    case SM_CXSCREEN: case SM_CXFULLSCREEN: return screen.cx;
    case SM_CYSCREEN: return screen.cy;
    case SM_CYFULLSCREEN: return screen.cy - 18;
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL: return 17;
    case SM_CYVTHUMB: case SM_CXHTHUMB: return 17;
    case SM_CYCAPTION: return 18;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CYMENU: return 19;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: return 4;
    case SM_CXDRAG: case SM_CYDRAG: return 4;
    case SM_MOUSEWHEELPRESENT: return 1;
    case SM_SWAPBUTTON: return 0;
    default: return 0;
    }
}
