// The standard scroll bars in the non-client area: their state, geometry,
// drawing and the tracking loop that turns presses and drags into
// WM_HSCROLL / WM_VSCROLL messages.
//
// Tracking: WM_NCLBUTTONDOWN on HTVSCROLL/HTHSCROLL → TrackScrollBar →
// arrows and page areas send their code at once and repeat (400 ms, then
// every 50 ms) while held over the same part; the thumb sends SB_THUMBTRACK
// for each new position, SB_THUMBPOSITION on release; every track ends
// with SB_ENDSCROLL.
#include <algorithm>

#include "platform/gfx/syscolors.h"
#include "platform/win/winsys.h"

namespace {

constexpr UINT_PTR kRepeatTimer = 0xFFFF0001u;   // private to the tracking loop
constexpr UINT kFirstRepeatMs = 400;
constexpr UINT kRepeatMs = 50;
constexpr int kMinThumb = 8;
constexpr int kThumbPart = 100;   // internal part code for the thumb

// The page is kept as given (a page may be set before the range it is
// meant for) and only limited by the range where it counts.
UINT EffectivePage(const ScrollBarState& b) {
    std::int64_t range = std::int64_t(b.max) - b.min + 1;
    return UINT(std::clamp<std::int64_t>(b.page, 0, std::max<std::int64_t>(range, 0)));
}

int Limit(const ScrollBarState& b) {
    UINT page = EffectivePage(b);
    int pageLess = page > 0 ? int(page) - 1 : 0;
    return std::max(b.min, b.max - pageLess);
}

int Extent() { return GetSystemMetrics(SM_CXVSCROLL); }

struct BarLayout {
    CRect bar, arrow1, arrow2, track, thumb;
    bool vertical = true;
    bool hasThumb = false;
};

BarLayout Layout(const WindowRec* r, int bar) {
    BarLayout l;
    l.vertical = bar == SB_VERT;
    l.bar = ScrollBarRect(r, bar);
    if (l.bar.IsRectEmpty()) return l;
    const ScrollBarState& b = r->bars[bar];
    int len = l.vertical ? l.bar.Height() : l.bar.Width();
    int arrow = std::min(Extent(), len / 2);
    if (l.vertical) {
        l.arrow1 = CRect(l.bar.left, l.bar.top, l.bar.right, l.bar.top + arrow);
        l.arrow2 = CRect(l.bar.left, l.bar.bottom - arrow, l.bar.right, l.bar.bottom);
        l.track = CRect(l.bar.left, l.arrow1.bottom, l.bar.right, l.arrow2.top);
    } else {
        l.arrow1 = CRect(l.bar.left, l.bar.top, l.bar.left + arrow, l.bar.bottom);
        l.arrow2 = CRect(l.bar.right - arrow, l.bar.top, l.bar.right, l.bar.bottom);
        l.track = CRect(l.arrow1.right, l.bar.top, l.arrow2.left, l.bar.bottom);
    }
    int trackLen = l.vertical ? l.track.Height() : l.track.Width();
    int range = b.max - b.min + 1;
    int limit = Limit(b);
    if (!b.enabled || range <= 0 || limit <= b.min || trackLen < kMinThumb) return l;
    UINT page = EffectivePage(b);
    int thumb = page ? int(std::int64_t(trackLen) * page / range) : Extent();
    thumb = std::clamp(thumb, kMinThumb, trackLen);
    int pos = b.tracking ? b.trackPos : b.pos;
    int offset = int(std::int64_t(trackLen - thumb) * (pos - b.min) / (limit - b.min));
    if (l.vertical) l.thumb = CRect(l.track.left, l.track.top + offset, l.track.right, l.track.top + offset + thumb);
    else l.thumb = CRect(l.track.left + offset, l.track.top, l.track.left + offset + thumb, l.track.bottom);
    l.hasThumb = true;
    return l;
}

// Keeps the bar shown exactly while it can scroll (unless asked to stay).
void UpdateVisibility(WindowRec* r, int bar, bool disableNoScroll) {
    ScrollBarState& b = r->bars[bar];
    bool needed = Limit(b) > b.min;
    DWORD bit = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
    bool shown = (r->style & bit) != 0;
    if (disableNoScroll) {
        b.enabled = needed;
        needed = true;
    }
    if (needed == shown) return;
    if (needed) r->style |= bit;
    else r->style &= ~bit;
    UpdateNonClient(r);
}

void DrawArrow(CDC& dc, const CRect& box, int direction, bool enabled) {
    // direction: 0 up, 1 down, 2 left, 3 right.
    CRect b = box;
    dc.FillSolidRect(b, GetSysColor(COLOR_BTNFACE));
    dc.DrawEdge(&b, EDGE_RAISED, BF_RECT);
    COLORREF c = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    CPoint m = box.CenterPoint();
    int n = std::max(2, std::min(box.Width(), box.Height()) / 4);
    // Row i of the triangle from its tip: 2i + 1 pixels wide.
    for (int i = 0; i < n; ++i) {
        switch (direction) {
        case 0: dc.FillSolidRect(m.x - i, m.y - n / 2 + i, 2 * i + 1, 1, c); break;
        case 1: dc.FillSolidRect(m.x - i, m.y + n / 2 - i, 2 * i + 1, 1, c); break;
        case 2: dc.FillSolidRect(m.x - n / 2 + i, m.y - i, 1, 2 * i + 1, c); break;
        default: dc.FillSolidRect(m.x + n / 2 - i, m.y - i, 1, 2 * i + 1, c); break;
        }
    }
}

}  // namespace

bool ScrollBarVisible(const WindowRec* r, int bar) {
    if (!r) return false;
    return (r->style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) != 0;
}

CRect ScrollBarRect(const WindowRec* r, int bar) {
    if (!ScrollBarVisible(r, bar)) return {};
    // The frame around the client area, without the bars themselves.
    int b = 0;
    if (r->style & WS_THICKFRAME) b = 4;
    else if (r->style & WS_DLGFRAME) b = 3;
    else if (r->style & WS_BORDER) b = 1;
    if (r->exStyle & WS_EX_CLIENTEDGE) b += 2;
    if (r->exStyle & WS_EX_STATICEDGE) b += 1;
    int top = b + ((r->style & WS_CAPTION) == WS_CAPTION ? GetSystemMetrics(SM_CYCAPTION) : 0);
    int w = r->rect.Width();
    int h = r->rect.Height();
    int e = Extent();
    bool other = ScrollBarVisible(r, bar == SB_VERT ? SB_HORZ : SB_VERT);
    CRect rc = bar == SB_VERT ? CRect(w - b - e, top, w - b, h - b - (other ? e : 0))
                              : CRect(b, h - b - e, w - b - (other ? e : 0), h - b);
    return rc.IsRectEmpty() ? CRect() : rc;
}

int ScrollBarHitPart(const WindowRec* r, int bar, CPoint p) {
    BarLayout l = Layout(r, bar);
    if (!l.bar.PtInRect(p)) return -1;
    if (l.arrow1.PtInRect(p)) return int(SB_LINEUP);
    if (l.arrow2.PtInRect(p)) return int(SB_LINEDOWN);
    if (!l.hasThumb) return -1;
    if (l.thumb.PtInRect(p)) return kThumbPart;
    bool before = l.vertical ? p.y < l.thumb.top : p.x < l.thumb.left;
    return int(before ? SB_PAGEUP : SB_PAGEDOWN);
}

void DrawScrollBars(WindowRec* r, CDC& dc) {
    for (int bar : {SB_VERT, SB_HORZ}) {
        BarLayout l = Layout(r, bar);
        if (l.bar.IsRectEmpty()) continue;
        bool enabled = r->bars[bar].enabled && l.hasThumb;
        dc.FillSolidRect(l.track, GetSysColor(COLOR_SCROLLBAR));
        DrawArrow(dc, l.arrow1, l.vertical ? 0 : 2, enabled);
        DrawArrow(dc, l.arrow2, l.vertical ? 1 : 3, enabled);
        if (l.hasThumb) {
            CRect t = l.thumb;
            dc.FillSolidRect(t, GetSysColor(COLOR_BTNFACE));
            dc.DrawEdge(&t, EDGE_RAISED, BF_RECT);
        }
    }
    CRect v = ScrollBarRect(r, SB_VERT);
    CRect h = ScrollBarRect(r, SB_HORZ);
    if (!v.IsRectEmpty() && !h.IsRectEmpty())
        dc.FillSolidRect(CRect(v.left, h.top, v.right, h.bottom), GetSysColor(COLOR_BTNFACE));
}

void TrackScrollBar(WindowRec* r, int bar, CPoint screenPt) {
    HWND h = r->hwnd;
    CPoint wo = WindowOriginOnScreen(r);
    CPoint p(screenPt.x - wo.x, screenPt.y - wo.y);
    int part = ScrollBarHitPart(r, bar, p);
    if (part < 0 || !r->bars[bar].enabled) return;
    UINT msg = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
    WinSys& s = Sys();
    auto send = [&](UINT code, int pos) {
        if (WindowRec* rr = Rec(h)) SendTo(rr, msg, MAKEWPARAM(int(code), pos), 0);
    };
    SetCapture(h);
    BarLayout start = Layout(r, bar);
    int grab = start.vertical ? p.y - start.thumb.top : p.x - start.thumb.left;
    if (part == kThumbPart) {
        r->bars[bar].tracking = true;
        r->bars[bar].trackPos = r->bars[bar].pos;
    } else {
        send(UINT(part), 0);
        ::SetTimer(h, kRepeatTimer, kFirstRepeatMs, nullptr);
    }
    CPoint last = p;
    ++s.modalDepth;
    for (;;) {
        WindowRec* rr = Rec(h);
        if (!rr || GetCapture() != h) break;
        MSG m;
        PumpResult res = NextMessage(&m, true);
        if (res == PumpResult::Quit) {
            PostQuitMessage(s.quitCode);
            break;
        }
        if (res == PumpResult::StepRan) continue;
        if (res != PumpResult::Dispatched) break;
        if (!(rr = Rec(h))) break;
        CPoint mwo = WindowOriginOnScreen(rr);
        if (m.message == WM_TIMER && m.hwnd == h && m.wParam == kRepeatTimer) {
            ::SetTimer(h, kRepeatTimer, kRepeatMs, nullptr);
            // Repeat only while the pointer stays on the pressed part.
            if (ScrollBarHitPart(rr, bar, last) == part) send(UINT(part), 0);
            continue;
        }
        if (m.message == WM_MOUSEMOVE) {
            last = CPoint(m.pt.x - mwo.x, m.pt.y - mwo.y);
            if (part != kThumbPart) continue;
            BarLayout l = Layout(rr, bar);
            ScrollBarState& b = rr->bars[bar];
            int trackLen = l.vertical ? l.track.Height() : l.track.Width();
            int thumbLen = l.vertical ? l.thumb.Height() : l.thumb.Width();
            int room = trackLen - thumbLen;
            int offset = (l.vertical ? last.y - l.track.top : last.x - l.track.left) - grab;
            offset = std::clamp(offset, 0, std::max(0, room));
            int limit = Limit(b);
            int pos = room > 0 ? b.min + int((std::int64_t(offset) * (limit - b.min) + room / 2) / room) : b.min;
            if (pos != b.trackPos) {
                b.trackPos = pos;
                InvalidateNonClient(rr);
                send(SB_THUMBTRACK, pos);
            }
            continue;
        }
        if (m.message == WM_LBUTTONUP) break;
        if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) break;
        if (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) continue;
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
    --s.modalDepth;
    ::KillTimer(h, kRepeatTimer);
    if (GetCapture() == h) ReleaseCapture();
    if (WindowRec* rr = Rec(h)) {
        if (part == kThumbPart) {
            int pos = rr->bars[bar].trackPos;
            send(SB_THUMBPOSITION, pos);
            if ((rr = Rec(h))) rr->bars[bar].tracking = false;
        }
        send(SB_ENDSCROLL, 0);
        if ((rr = Rec(h))) InvalidateNonClient(rr);
    }
}

// ---------------------------------------------------------------- CWnd: scroll bars

int CWnd::SetScrollInfo(int bar, SCROLLINFO* info, BOOL redraw) {
    WindowRec* r = Rec(m_hWnd);
    if (!r || !info || (bar != SB_HORZ && bar != SB_VERT)) return 0;
    ScrollBarState& b = r->bars[bar];
    if (info->fMask & SIF_RANGE) {
        b.min = info->nMin;
        b.max = std::max(info->nMin, info->nMax);
    }
    if (info->fMask & SIF_PAGE) b.page = info->nPage;
    if (info->fMask & SIF_POS) b.pos = info->nPos;
    b.pos = std::clamp(b.pos, b.min, Limit(b));
    if (info->fMask & (SIF_RANGE | SIF_PAGE)) UpdateVisibility(r, bar, (info->fMask & SIF_DISABLENOSCROLL) != 0);
    if (redraw && (r = Rec(m_hWnd))) InvalidateNonClient(r);
    return b.pos;
}

BOOL CWnd::GetScrollInfo(int bar, SCROLLINFO* info, UINT mask) const {
    WindowRec* r = Rec(m_hWnd);
    if (!r || !info || (bar != SB_HORZ && bar != SB_VERT)) return FALSE;
    const ScrollBarState& b = r->bars[bar];
    UINT m = mask ? mask : info->fMask;
    if (m & SIF_RANGE) info->nMin = b.min, info->nMax = b.max;
    if (m & SIF_PAGE) info->nPage = b.page;
    if (m & SIF_POS) info->nPos = b.pos;
    if (m & SIF_TRACKPOS) info->nTrackPos = b.tracking ? b.trackPos : b.pos;
    return TRUE;
}

void CWnd::SetScrollRange(int bar, int minPos, int maxPos, BOOL redraw) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    si.nMin = minPos;
    si.nMax = maxPos;
    SetScrollInfo(bar, &si, redraw);
}

void CWnd::GetScrollRange(int bar, int* minPos, int* maxPos) const {
    SCROLLINFO si;
    GetScrollInfo(bar, &si, SIF_RANGE);
    if (minPos) *minPos = si.nMin;
    if (maxPos) *maxPos = si.nMax;
}

int CWnd::SetScrollPos(int bar, int pos, BOOL redraw) {
    WindowRec* r = Rec(m_hWnd);
    if (!r || (bar != SB_HORZ && bar != SB_VERT)) return 0;
    int old = r->bars[bar].pos;
    SCROLLINFO si;
    si.fMask = SIF_POS;
    si.nPos = pos;
    SetScrollInfo(bar, &si, redraw);
    return old;
}

int CWnd::GetScrollPos(int bar) const {
    WindowRec* r = Rec(m_hWnd);
    if (!r || (bar != SB_HORZ && bar != SB_VERT)) return 0;
    return r->bars[bar].pos;
}

int CWnd::GetScrollLimit(int bar) const {
    WindowRec* r = Rec(m_hWnd);
    if (!r || (bar != SB_HORZ && bar != SB_VERT)) return 0;
    return Limit(r->bars[bar]);
}

void CWnd::ShowScrollBar(UINT bar, BOOL show) {
    WindowRec* r = Rec(m_hWnd);
    if (!r) return;
    DWORD bits = bar == UINT(SB_VERT) ? WS_VSCROLL : bar == UINT(SB_HORZ) ? WS_HSCROLL
               : bar == UINT(SB_BOTH) ? (WS_VSCROLL | WS_HSCROLL) : 0;
    DWORD st = show ? (r->style | bits) : (r->style & ~bits);
    if (st == r->style) return;
    r->style = st;
    UpdateNonClient(r);
}

void CWnd::EnableScrollBarCtrl(int bar, BOOL enable) { ShowScrollBar(UINT(bar), enable); }
