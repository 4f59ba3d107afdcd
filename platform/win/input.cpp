// Input routing, focus, activation, capture, key state and cursors.
//
// Call flow of one raw mouse event: RouteRawEvent → pointer position and
// button state → target (the capture window, else HitTest: deepest visible
// enabled window, WM_NCHITTEST from the inside out, HTTRANSPARENT passes to
// the next window beneath: lower siblings, then the parent) → WM_MOUSEACTIVATE and activation for presses on an inactive
// window → WM_SETCURSOR → double-click synthesis (CS_DBLCLKS) → the client or
// non-client message, queued as input.
//
// Index: routing · focus and activation · capture · keys · cursors.
#include <algorithm>
#include <cstdlib>

#include "platform/win/winsys.h"

namespace {

UINT ButtonVk(int button) {
    switch (button) {
    case 1: return VK_LBUTTON;
    case 2: return VK_RBUTTON;
    case 3: return VK_MBUTTON;
    default: return 0;
    }
}

// Client message for button b: down, up, double click.
UINT ButtonMessage(int button, int kind) {
    UINT base = button == 1 ? WM_LBUTTONDOWN : button == 2 ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
    return base + UINT(kind);
}

UINT ToNonClient(UINT clientMsg) { return clientMsg - WM_MOUSEMOVE + WM_NCMOUSEMOVE; }

void SetKey(UINT vk, bool down) {
    BYTE* keys = Sys().keys;
    if (vk > 255) return;
    if (down) {
        if (!(keys[vk] & 0x80)) keys[vk] ^= 0x01;   // toggle on each press
        keys[vk] |= 0x80;
    } else {
        keys[vk] &= BYTE(~0x80);
    }
    auto both = [&](UINT generic, UINT l, UINT r) {
        if (vk == l || vk == r) keys[generic] = BYTE((keys[generic] & 0x01) | ((keys[l] | keys[r]) & 0x80));
        if (vk == generic && !down) keys[l] &= BYTE(~0x80), keys[r] &= BYTE(~0x80);
    };
    both(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
    both(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
    both(VK_MENU, VK_LMENU, VK_RMENU);
}

bool KeyDown(UINT vk) { return (Sys().keys[vk & 0xFF] & 0x80) != 0; }

WindowRec* TopLevelByNative(NativeWindowId id) {
    for (HWND h : Sys().topLevels)
        if (WindowRec* r = Rec(h); r && r->native == id) return r;
    return nullptr;
}

// The window under a screen point within r (the point is inside r's
// window rectangle): the topmost visible enabled child containing it, tried
// in depth first; a window answering HTTRANSPARENT lets the search go on
// with the next window beneath the point (a sibling lower in the z-order,
// then the parent). Disabled children are passed over, so their parent gets
// the input, as on the platform. nullptr when r and all beneath it in r are
// transparent.
WindowRec* HitIn(WindowRec* r, CPoint screenPt, int* hitOut) {
    HWND h = r->hwnd;
    CPoint co = ClientOriginOnScreen(r);
    CPoint local(screenPt.x - co.x, screenPt.y - co.y);
    if (ClientRectOf(r).PtInRect(local)) {
        std::vector<HWND> kids = r->children;   // handlers may create or destroy windows
        for (HWND k : kids) {
            WindowRec* kr = Rec(k);
            if (!kr || !(kr->style & WS_VISIBLE) || !IsEnabledRec(kr) || !kr->rect.PtInRect(local)) continue;
            if (WindowRec* w = HitIn(kr, screenPt, hitOut)) return w;
            if (!(r = Rec(h))) return nullptr;
        }
    }
    int hit = int(SendTo(r, WM_NCHITTEST, 0, MAKELPARAM(screenPt.x, screenPt.y)));
    if (!(r = Rec(h)) || hit == HTTRANSPARENT) return nullptr;
    if (hitOut) *hitOut = hit;
    return r;
}

// Hit testing of the top-level windows, topmost first. Returns the target
// and its hit-test code; nullptr when the point is over none of our windows.
WindowRec* HitTest(CPoint screenPt, int* hitOut, bool skipDisabledTop) {
    WinSys& s = Sys();
    std::vector<HWND> tops = s.topLevels;
    for (HWND t : tops) {
        WindowRec* top = Rec(t);
        if (!top || !(top->style & WS_VISIBLE)) continue;
        if (!CRect(top->rect).PtInRect(screenPt)) continue;
        if (skipDisabledTop && !IsEnabledRec(top)) continue;
        if (WindowRec* w = HitIn(top, screenPt, hitOut)) return w;
    }
    return nullptr;
}

bool WithinDoubleClick(CPoint a, CPoint b) {
    int cx = GetSystemMetrics(SM_CXDOUBLECLK) / 2;
    int cy = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    return std::abs(a.x - b.x) <= cx && std::abs(a.y - b.y) <= cy;
}

LPARAM KeyLParam(UINT vk, bool up, bool alt) {
    LPARAM l = 1 | (LPARAM(vk & 0xFF) << 16);
    if (alt) l |= KF_ALTDOWN_LPARAM;
    if (up) l |= LPARAM(0xC0000000u);
    return l;
}

bool RouteMouse(const RawEvent& e, MSG* out) {
    WinSys& s = Sys();
    CPoint pt = e.screenPt;
    if (s.clipped) {
        pt.x = std::clamp(pt.x, s.clipRect.left, std::max(s.clipRect.left, s.clipRect.right - 1));
        pt.y = std::clamp(pt.y, s.clipRect.top, std::max(s.clipRect.top, s.clipRect.bottom - 1));
    }
    s.cursorPos = pt;
    if (e.kind == RawEventKind::ButtonDown) SetKey(ButtonVk(e.button), true);
    if (e.kind == RawEventKind::ButtonUp) SetKey(ButtonVk(e.button), false);

    out->time = DWORD(e.timeMs);
    out->pt = pt;

    if (e.kind == RawEventKind::Wheel) {
        HWND target = s.focus;
        if (!target) {
            int hit = 0;
            WindowRec* w = HitTest(pt, &hit, true);
            target = w ? w->hwnd : nullptr;
        }
        if (!target) return false;
        out->hwnd = target;
        out->message = WM_MOUSEWHEEL;
        out->wParam = MAKEWPARAM(int(MouseKeyFlags()), e.wheelDelta);
        out->lParam = MAKELPARAM(pt.x, pt.y);
        return true;
    }

    WindowRec* target = nullptr;
    int hit = HTCLIENT;
    if (s.capture && Rec(s.capture)) {
        target = Rec(s.capture);
    } else {
        // A disabled top-level window (under a modal dialog) gets nothing.
        target = HitTest(pt, &hit, false);
        if (s.leaveTracked && (!target || target->hwnd != s.leaveTracked || hit != HTCLIENT)) {
            PostMessage(s.leaveTracked, WM_MOUSELEAVE, 0, 0);
            s.leaveTracked = nullptr;
        }
        if (target && !IsEnabledRec(TopLevelOf(target))) {
            // A press on a window a modal dialog disabled brings the dialog forward.
            if (e.kind == RawEventKind::ButtonDown) {
                HWND owner = TopLevelOf(target)->hwnd;
                for (HWND t : s.topLevels)
                    if (WindowRec* o = Rec(t); o && o->owner == owner && IsVisibleRec(o) && IsEnabledRec(o)) {
                        SetActiveWindow(t);
                        break;
                    }
            }
            SetCursor(LoadCursor(nullptr, s.busyCursor ? IDC_WAIT : IDC_ARROW));
            return false;
        }
    }
    if (!target) {
        SetCursor(LoadCursor(nullptr, s.busyCursor ? IDC_WAIT : IDC_ARROW));
        return false;
    }
    HWND h = target->hwnd;

    int kind = 0;   // 0 down, 1 up, 2 double click
    UINT clientMsg = WM_MOUSEMOVE;
    if (e.kind == RawEventKind::ButtonDown || e.kind == RawEventKind::ButtonUp) {
        kind = e.kind == RawEventKind::ButtonDown ? 0 : 1;
        clientMsg = ButtonMessage(e.button, kind);
    }

    if (e.kind == RawEventKind::ButtonDown && !s.capture) {
        WindowRec* top = TopLevelOf(target);
        if (top && top->hwnd != s.active && !(top->exStyle & WS_EX_NOACTIVATE)) {
            LRESULT ma = SendTo(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top->hwnd),
                                MAKELPARAM(hit, clientMsg));
            if (ma == MA_ACTIVATE || ma == MA_ACTIVATEANDEAT) SetActiveWindow(top->hwnd);
            if (ma == MA_ACTIVATEANDEAT || ma == MA_NOACTIVATEANDEAT) return false;
        }
        if (!(target = Rec(h))) return false;
    }

    if (!s.capture) {
        SendTo(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(hit, clientMsg));
        if (!(target = Rec(h))) return false;
    }

    if (e.kind == RawEventKind::ButtonDown) {
        bool dbl = false;
        std::uint64_t now = e.timeMs;
        if (s.lastClickWnd == h && s.lastClickButton == e.button && !s.lastWasDouble &&
            now - s.lastClickTime <= s.doubleClickTime && WithinDoubleClick(pt, s.lastClickPt)) {
            dbl = target->cls && (target->cls->wc.style & CS_DBLCLKS);
        }
        if (dbl) {
            kind = 2;
            clientMsg = ButtonMessage(e.button, 2);
            s.lastWasDouble = true;
        } else {
            s.lastWasDouble = false;
        }
        s.lastClickWnd = h;
        s.lastClickButton = e.button;
        s.lastClickTime = now;
        s.lastClickPt = pt;
    }

    out->hwnd = h;
    if (hit == HTCLIENT || s.capture) {
        CPoint co = ClientOriginOnScreen(target);
        out->message = clientMsg;
        out->wParam = MouseKeyFlags();
        out->lParam = MAKELPARAM(pt.x - co.x, pt.y - co.y);
    } else {
        out->message = ToNonClient(clientMsg);
        out->wParam = WPARAM(hit);
        out->lParam = MAKELPARAM(pt.x, pt.y);
    }
    return true;
}

}  // namespace

DWORD MouseKeyFlags() {
    DWORD f = 0;
    if (KeyDown(VK_LBUTTON)) f |= MK_LBUTTON;
    if (KeyDown(VK_RBUTTON)) f |= MK_RBUTTON;
    if (KeyDown(VK_MBUTTON)) f |= MK_MBUTTON;
    if (KeyDown(VK_SHIFT)) f |= MK_SHIFT;
    if (KeyDown(VK_CONTROL)) f |= MK_CONTROL;
    return f;
}

bool RouteRawEvent(const RawEvent& e, MSG* out) {
    WinSys& s = Sys();
    *out = MSG{};
    switch (e.kind) {
    case RawEventKind::MouseMove:
    case RawEventKind::ButtonDown:
    case RawEventKind::ButtonUp:
    case RawEventKind::Wheel:
        return RouteMouse(e, out);
    case RawEventKind::KeyDown:
    case RawEventKind::KeyUp: {
        bool down = e.kind == RawEventKind::KeyDown;
        SetKey(e.vk, down);
        HWND target = s.focus ? s.focus : s.active;
        if (!Rec(target)) return false;
        bool alt = KeyDown(VK_MENU);
        bool sys = (alt && !KeyDown(VK_CONTROL)) || e.vk == VK_F10 || e.vk == VK_MENU;
        out->hwnd = target;
        out->message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
        out->wParam = e.vk;
        out->lParam = KeyLParam(e.vk, !down, alt);
        out->time = DWORD(e.timeMs);
        out->pt = s.cursorPos;
        out->typed = down ? e.ch : 0;
        return true;
    }
    case RawEventKind::Char: {
        HWND target = s.focus ? s.focus : s.active;
        if (!Rec(target)) return false;
        out->hwnd = target;
        out->message = WM_CHAR;
        out->wParam = e.ch;
        out->lParam = 1;
        out->time = DWORD(e.timeMs);
        out->pt = s.cursorPos;
        return true;
    }
    case RawEventKind::CloseRequest:
        if (WindowRec* r = TopLevelByNative(e.window)) PostMessage(r->hwnd, WM_CLOSE, 0, 0);
        return false;
    case RawEventKind::Expose:
        if (WindowRec* r = TopLevelByNative(e.window)) MarkDirty(r, e.rect);
        return false;
    case RawEventKind::NativeRectChanged:
        if (WindowRec* r = TopLevelByNative(e.window)) TakeNativeRect(r, e.rect);
        return false;
    case RawEventKind::FocusOut:
    case RawEventKind::None:
        return false;
    }
    return false;
}

void ForgetWindowInput(HWND hwnd) {
    WinSys& s = Sys();
    if (s.lastClickWnd == hwnd) s.lastClickWnd = nullptr;
    if (s.leaveTracked == hwnd) s.leaveTracked = nullptr;
    if (s.capture == hwnd) {
        s.capture = nullptr;
        s.backend->GrabPointer(0);
    }
    if (s.focus == hwnd) s.focus = nullptr;
    if (s.active == hwnd) s.active = nullptr;
    DropMessagesFor(hwnd);
}

HWND WindowFromPoint(CPoint screenPt) {
    if (!SysReady()) return nullptr;
    int hit = 0;
    WindowRec* w = HitTest(screenPt, &hit, true);
    if (w) return w->hwnd;
    CSize sz = Sys().backend->ScreenSize();
    return CRect(0, 0, sz.cx, sz.cy).PtInRect(screenPt) ? Sys().desktop : nullptr;
}

// ---------------------------------------------------------------- focus and activation

HWND SetFocus(HWND hwnd) {
    if (!SysReady()) return nullptr;
    WinSys& s = Sys();
    WindowRec* r = Rec(hwnd);
    if (hwnd && (!r || r->isDesktop)) return nullptr;
    HWND old = s.focus;
    if (old == hwnd) return old;
    if (r) {
        WindowRec* top = TopLevelOf(r);
        if (top && top->hwnd != s.active) {
            SetActiveWindow(top->hwnd);
            old = s.focus;   // activation may have moved it
            if (old == hwnd) return old;
        }
    }
    if (Rec(old)) SendTo(Rec(old), WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    // The kill handler may have moved the focus itself; the latest call wins.
    if (s.focus != old) return old;
    if ((r = Rec(hwnd))) {
        s.focus = hwnd;
        SendTo(r, WM_SETFOCUS, reinterpret_cast<WPARAM>(Rec(old) ? old : nullptr), 0);
    } else {
        s.focus = nullptr;
    }
    return old;
}

HWND GetFocus() { return SysReady() ? Sys().focus : nullptr; }

HWND SetActiveWindow(HWND hwnd) {
    if (!SysReady()) return nullptr;
    WinSys& s = Sys();
    WindowRec* r = Rec(hwnd);
    if (r && !IsTopLevel(r)) r = TopLevelOf(r), hwnd = r ? r->hwnd : nullptr;
    HWND old = s.active;
    if (old == hwnd) return old;
    s.active = hwnd;
    if (WindowRec* o = Rec(old)) {
        SendTo(o, WM_NCACTIVATE, FALSE, 0);
        if ((o = Rec(old))) SendTo(o, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
    }
    if (s.active != hwnd) return old;   // a handler changed it again
    if ((r = Rec(hwnd))) {
        // The active window comes to the top of its band.
        if (CWnd* w = CWnd::FromHandle(hwnd)) w->SetWindowPos(&wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if ((r = Rec(hwnd))) SendTo(r, WM_NCACTIVATE, TRUE, 0);
        if ((r = Rec(hwnd))) SendTo(r, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(Rec(old) ? old : nullptr));
    } else if (s.focus) {
        SetFocus(nullptr);
    }
    return old;
}

HWND GetActiveWindow() { return SysReady() ? Sys().active : nullptr; }
HWND GetForegroundWindow() { return GetActiveWindow(); }

CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
CWnd* CWnd::SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }

// ---------------------------------------------------------------- capture

HWND SetCapture(HWND hwnd) {
    if (!SysReady()) return nullptr;
    WinSys& s = Sys();
    WindowRec* r = Rec(hwnd);
    if (!r || r->isDesktop) return nullptr;
    HWND old = s.capture;
    s.capture = hwnd;
    WindowRec* top = TopLevelOf(r);
    s.backend->GrabPointer(top ? top->native : 0);
    if (old && old != hwnd)
        if (WindowRec* o = Rec(old)) SendTo(o, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return old;
}

HWND GetCapture() { return SysReady() ? Sys().capture : nullptr; }

BOOL ReleaseCapture() {
    if (!SysReady()) return FALSE;
    WinSys& s = Sys();
    HWND old = s.capture;
    if (!old) return TRUE;
    s.capture = nullptr;
    s.backend->GrabPointer(0);
    if (WindowRec* o = Rec(old)) SendTo(o, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

CWnd* CWnd::SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
CWnd* CWnd::GetCapture() { return FromHandle(::GetCapture()); }

// ---------------------------------------------------------------- keys

short GetKeyState(int vk) {
    if (!SysReady() || vk < 0 || vk > 255) return 0;
    BYTE k = Sys().keys[vk];
    return short((k & 0x80 ? 0x8000 : 0) | (k & 0x01));
}

short GetAsyncKeyState(int vk) {
    if (!SysReady() || vk < 0 || vk > 255) return 0;
    return short(Sys().keys[vk] & 0x80 ? 0x8000 : 0);
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme) {
    if (!SysReady() || !tme) return FALSE;
    WinSys& s = Sys();
    if (tme->dwFlags & TME_QUERY) {
        tme->dwFlags = s.leaveTracked ? TME_LEAVE : 0;
        tme->hwndTrack = s.leaveTracked;
        return TRUE;
    }
    if (!(tme->dwFlags & TME_LEAVE) || !Rec(tme->hwndTrack)) return FALSE;
    if (tme->dwFlags & TME_CANCEL) {
        if (s.leaveTracked == tme->hwndTrack) s.leaveTracked = nullptr;
        return TRUE;
    }
    s.leaveTracked = tme->hwndTrack;
    return TRUE;
}

UINT GetDoubleClickTime() { return SysReady() ? Sys().doubleClickTime : 500; }

BOOL SetDoubleClickTime(UINT ms) {
    if (!SysReady()) return FALSE;
    Sys().doubleClickTime = ms ? ms : 500;
    return TRUE;
}

// ---------------------------------------------------------------- cursors

namespace {

HCURSOR NewCursor(CursorImage image, bool shared) {
    WinSys& s = Sys();
    HCURSOR h = reinterpret_cast<HCURSOR>(s.nextCursor++);
    auto rec = std::make_unique<CursorRec>();
    rec->image = std::move(image);
    rec->shared = shared;
    s.cursors[h] = std::move(rec);
    return h;
}

bool IsStandardCursorId(int id) {
    switch (id) {
    case IDC_ARROW: case IDC_IBEAM: case IDC_WAIT: case IDC_CROSS: case IDC_UPARROW:
    case IDC_SIZENWSE: case IDC_SIZENESW: case IDC_SIZEWE: case IDC_SIZENS: case IDC_SIZEALL:
    case IDC_NO: case IDC_HAND: case IDC_APPSTARTING: case IDC_HELP:
        return true;
    default:
        return false;
    }
}

}  // namespace

HCURSOR LoadCursor(HINSTANCE instance, int id) {
    if (!SysReady()) return nullptr;
    WinSys& s = Sys();
    if (!instance) {
        if (!IsStandardCursorId(id)) return nullptr;
        auto it = s.standardCursors.find(id);
        if (it != s.standardCursors.end()) return it->second;
        CursorImage img;
        img.standardId = id;
        img.width = GetSystemMetrics(SM_CXCURSOR);
        img.height = GetSystemMetrics(SM_CYCURSOR);
        HCURSOR h = NewCursor(std::move(img), true);
        s.standardCursors[id] = h;
        return h;
    }
    // The program's own cursor resources.
    auto it = s.resourceCursors.find(UINT(id));
    if (it != s.resourceCursors.end()) return it->second;
    CursorImage img;
    if (!s.cursorLoader || !s.cursorLoader(UINT(id), img)) return nullptr;
    HCURSOR h = NewCursor(std::move(img), true);
    s.resourceCursors[UINT(id)] = h;
    return h;
}

HCURSOR LoadCursor(HINSTANCE instance, const char16_t* name) {
    if (!name || !IS_INTRESOURCE(name)) return nullptr;   // cursors are addressed by number
    return LoadCursor(instance, int(reinterpret_cast<std::uintptr_t>(name)));
}

void SetCursorResourceLoader(CursorResourceLoader loader) {
    if (SysReady()) Sys().cursorLoader = std::move(loader);
}

HCURSOR CreateCursor(HINSTANCE, int xHot, int yHot, int width, int height, const void* andPlane,
                     const void* xorPlane) {
    if (!SysReady() || width <= 0 || height <= 0 || width > 256 || height > 256 || !andPlane || !xorPlane)
        return nullptr;
    const BYTE* a = static_cast<const BYTE*>(andPlane);
    const BYTE* x = static_cast<const BYTE*>(xorPlane);
    int stride = (width + 7) / 8;
    CursorImage img;
    img.width = width;
    img.height = height;
    img.hotSpot = CPoint(std::clamp(xHot, 0, width - 1), std::clamp(yHot, 0, height - 1));
    img.argb.resize(std::size_t(width) * std::size_t(height));
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col) {
            int byte = row * stride + col / 8;
            int bit = 7 - col % 8;
            bool andBit = (a[byte] >> bit) & 1;
            bool xorBit = (x[byte] >> bit) & 1;
            std::uint32_t p;
            if (andBit && !xorBit) p = 0x00000000;          // transparent
            else if (!andBit && !xorBit) p = 0xFF000000;    // black
            else if (!andBit && xorBit) p = 0xFFFFFFFF;     // white
            else p = 0xFF000000;                             // inverted screen, shown black
            img.argb[std::size_t(row) * std::size_t(width) + std::size_t(col)] = p;
        }
    return NewCursor(std::move(img), false);
}

BOOL DestroyCursor(HCURSOR cursor) {
    if (!SysReady()) return FALSE;
    WinSys& s = Sys();
    auto it = s.cursors.find(cursor);
    if (it == s.cursors.end()) return FALSE;
    if (it->second->shared) return TRUE;   // standard and resource cursors stay
    if (s.cursor == cursor) {
        s.cursor = nullptr;
        s.backend->SetCursorImage(nullptr);
    }
    s.cursors.erase(it);
    return TRUE;
}

const CursorImage* GetCursorImage(HCURSOR cursor) {
    if (!SysReady()) return nullptr;
    auto it = Sys().cursors.find(cursor);
    return it == Sys().cursors.end() ? nullptr : &it->second->image;
}

HCURSOR SetCursor(HCURSOR cursor) {
    if (!SysReady()) return nullptr;
    WinSys& s = Sys();
    HCURSOR old = s.cursor;
    if (cursor && !GetCursorImage(cursor)) return old;
    if (cursor == old) return old;
    s.cursor = cursor;
    ApplyCursorShape();
    return old;
}

void ApplyCursorShape() {
    WinSys& s = Sys();
    s.backend->SetCursorImage(GetCursorImage(s.cursor));
}

HCURSOR GetCursor() { return SysReady() ? Sys().cursor : nullptr; }

void SetBusyCursor(bool busy) {
    if (SysReady()) Sys().busyCursor = busy;
}

bool IsBusyCursor() { return SysReady() && Sys().busyCursor; }

BOOL GetCursorPos(CPoint* point) {
    if (!SysReady() || !point) return FALSE;
    *point = Sys().backend->PointerPosition();
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    if (!SysReady()) return FALSE;
    WinSys& s = Sys();
    CSize sz = s.backend->ScreenSize();
    CPoint p(std::clamp(x, 0, sz.cx - 1), std::clamp(y, 0, sz.cy - 1));
    if (s.clipped) {
        p.x = std::clamp(p.x, s.clipRect.left, std::max(s.clipRect.left, s.clipRect.right - 1));
        p.y = std::clamp(p.y, s.clipRect.top, std::max(s.clipRect.top, s.clipRect.bottom - 1));
    }
    s.backend->WarpPointer(p);
    return TRUE;
}

BOOL ClipCursor(const CRect* rect) {
    if (!SysReady()) return FALSE;
    WinSys& s = Sys();
    if (!rect || rect->IsRectEmpty()) {
        s.clipped = false;
        s.backend->ConfineCursor(nullptr);
        return TRUE;
    }
    CSize sz = s.backend->ScreenSize();
    CRect r = rect->intersected(CRect(0, 0, sz.cx, sz.cy));
    if (r.IsRectEmpty()) return FALSE;
    s.clipped = true;
    s.clipRect = r;
    s.backend->ConfineCursor(&r);
    CPoint p = s.backend->PointerPosition();
    if (!r.PtInRect(p)) SetCursorPos(p.x, p.y);
    return TRUE;
}

BOOL GetClipCursor(CRect* rect) {
    if (!SysReady() || !rect) return FALSE;
    WinSys& s = Sys();
    if (s.clipped) {
        *rect = s.clipRect;
    } else {
        CSize sz = s.backend->ScreenSize();
        *rect = CRect(0, 0, sz.cx, sz.cy);
    }
    return TRUE;
}
