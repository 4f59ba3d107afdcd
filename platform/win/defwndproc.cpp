// The platform's default handling of messages and the non-client drawing.
#include <algorithm>

#include "platform/gfx/syscolors.h"
#include "platform/win/winsys.h"

namespace {

int FrameWidth(const WindowRec* r) {
    if (r->style & WS_THICKFRAME) return 4;
    if (r->style & WS_DLGFRAME) return 3;
    if (r->style & WS_BORDER) return 1;
    return 0;
}

int HitTestDefault(WindowRec* r, CPoint screenPt) {
    CPoint wo = WindowOriginOnScreen(r);
    CPoint p(screenPt.x - wo.x, screenPt.y - wo.y);
    CRect whole(0, 0, r->rect.Width(), r->rect.Height());
    if (!whole.PtInRect(p)) return HTNOWHERE;
    CRect in = NonClientInsets(r);
    CRect client(in.left, in.top, whole.right - in.right, whole.bottom - in.bottom);
    if (client.PtInRect(p)) return HTCLIENT;
    if (ScrollBarRect(r, SB_VERT).PtInRect(p)) return HTVSCROLL;
    if (ScrollBarRect(r, SB_HORZ).PtInRect(p)) return HTHSCROLL;
    if (ScrollBarVisible(r, SB_VERT) && ScrollBarVisible(r, SB_HORZ)) {
        CRect v = ScrollBarRect(r, SB_VERT), h = ScrollBarRect(r, SB_HORZ);
        if (CRect(v.left, h.top, v.right, h.bottom).PtInRect(p)) return HTSIZE;
    }
    int f = FrameWidth(r) + ((r->exStyle & WS_EX_CLIENTEDGE) ? 2 : 0);
    if ((r->style & WS_CAPTION) == WS_CAPTION && p.y >= f && p.y < f + GetSystemMetrics(SM_CYCAPTION)) return HTCAPTION;
    if (r->style & WS_THICKFRAME) {
        bool left = p.x < 4, right = p.x >= whole.right - 4, top = p.y < 4, bottom = p.y >= whole.bottom - 4;
        if (top && left) return HTTOPLEFT;
        if (top && right) return HTTOPRIGHT;
        if (bottom && left) return HTBOTTOMLEFT;
        if (bottom && right) return HTBOTTOMRIGHT;
        if (left) return HTLEFT;
        if (right) return HTRIGHT;
        if (top) return HTTOP;
        if (bottom) return HTBOTTOM;
    }
    return HTBORDER;
}

int CtlColorIndex(UINT msg) {
    switch (msg) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: return COLOR_WINDOW;
    case WM_CTLCOLORSCROLLBAR: return COLOR_SCROLLBAR;
    default: return COLOR_BTNFACE;
    }
}

}  // namespace

COLORREF BrushColour(HBRUSH brush, bool* ok) {
    *ok = false;
    if (!brush) return 0;
    auto v = reinterpret_cast<std::uintptr_t>(brush);
    if (v <= std::uintptr_t(kSysColorCount)) {   // a system colour index plus one
        *ok = true;
        return GetSysColor(int(v) - 1);
    }
    CBrush* b = CBrush::FromHandle(brush);
    if (!b || b->IsNullBrush()) return 0;
    *ok = true;
    return b->GetColor();
}

void DrawNonClient(WindowRec* r) {
    if (!r || !IsVisibleRec(r)) return;
    CRect in = NonClientInsets(r);
    if (in.IsRectNull()) return;
    DcTarget t = WindowTarget(r);
    if (!t.surface) return;
    CDC dc(t.surface, t.origin, t.clip);
    CRect whole(0, 0, r->rect.Width(), r->rect.Height());
    CRect e = whole;
    if (r->style & (WS_THICKFRAME | WS_DLGFRAME)) {
        dc.DrawEdge(&e, EDGE_RAISED, BF_RECT | BF_ADJUST);
        int extra = FrameWidth(r) - 2;
        for (int i = 0; i < extra; ++i) {
            dc.Draw3dRect(e, GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE));
            e.DeflateRect(1, 1);
        }
    } else if (r->style & WS_BORDER) {
        dc.Draw3dRect(e, GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_WINDOWFRAME));
        e.DeflateRect(1, 1);
    }
    if ((r->style & WS_CAPTION) == WS_CAPTION) {
        int ch = GetSystemMetrics(SM_CYCAPTION);
        CRect bar(e.left, e.top, e.right, e.top + ch);
        bool active = Sys().active == TopLevelOf(r)->hwnd;
        dc.FillSolidRect(bar, GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
        CFont font;
        LOGFONT lf = GetDesktopMessageFont();
        lf.lfWeight = FW_BOLD;
        if (font.CreateFontIndirect(&lf)) {
            CFont* old = dc.SelectObject(&font);
            dc.SetBkMode(TRANSPARENT);
            dc.SetTextColor(GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
            CRect text = bar.deflated(4, 0);
            dc.DrawText(r->text, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
            dc.SelectObject(old);
        }
        e.top += ch;
    }
    if (r->exStyle & WS_EX_CLIENTEDGE) {
        dc.DrawEdge(&e, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    }
    if (r->exStyle & WS_EX_STATICEDGE) {
        dc.Draw3dRect(e, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    }
    DrawScrollBars(r, dc);
    MarkDirty(TopLevelOf(r), t.clip);
}

LRESULT DefaultProc(WindowRec* r, UINT msg, WPARAM w, LPARAM l) {
    if (!r) return 0;
    HWND h = r->hwnd;
    switch (msg) {
    case WM_NCCREATE:
        return TRUE;
    case WM_NCHITTEST:
        return HitTestDefault(r, CPoint(GET_X_LPARAM(l), GET_Y_LPARAM(l)));
    case WM_SETCURSOR: {
        if (Sys().busyCursor) {
            SetCursor(LoadCursor(nullptr, IDC_WAIT));
            return TRUE;
        }
        // The parent may decide first.
        if (r->parent && SendMessage(r->parent, WM_SETCURSOR, w, l)) return TRUE;
        if (!(r = Rec(h))) return TRUE;
        int hit = short(LOWORD(std::uintptr_t(l)));
        if (hit == HTCLIENT) {
            if (r->cls && r->cls->wc.hCursor) {
                SetCursor(r->cls->wc.hCursor);
                return TRUE;
            }
            return FALSE;
        }
        int id = IDC_ARROW;
        switch (hit) {
        case HTLEFT: case HTRIGHT: id = IDC_SIZEWE; break;
        case HTTOP: case HTBOTTOM: id = IDC_SIZENS; break;
        case HTTOPLEFT: case HTBOTTOMRIGHT: id = IDC_SIZENWSE; break;
        case HTTOPRIGHT: case HTBOTTOMLEFT: id = IDC_SIZENESW; break;
        default: break;
        }
        SetCursor(LoadCursor(nullptr, id));
        return TRUE;
    }
    case WM_MOUSEACTIVATE:
        if (r->parent) {
            LRESULT res = SendMessage(r->parent, WM_MOUSEACTIVATE, w, l);
            if (res) return res;
        }
        return MA_ACTIVATE;
    case WM_ACTIVATE:
        if (LOWORD(w) != WA_INACTIVE && IsTopLevel(r)) {
            HWND f = GetFocus();
            CWnd* self = CWnd::FromHandle(h);
            if (f != h && !(self && self->IsChild(CWnd::FromHandle(f)))) SetFocus(h);
        }
        return 0;
    case WM_NCACTIVATE:
        InvalidateNonClient(r);
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(h);
        return 0;
    case WM_ERASEBKGND: {
        bool ok = false;
        COLORREF c = BrushColour(r->cls ? r->cls->wc.hbrBackground : nullptr, &ok);
        if (!ok || !w) return 0;
        CDC dc;
        if (!dc.Attach(reinterpret_cast<HDC>(w))) return 0;
        CRect box;
        dc.GetClipBox(&box);
        dc.FillSolidRect(box, c);
        dc.Detach();
        return 1;
    }
    case WM_PAINT: {
        CWnd* obj = CWnd::FromHandle(h);
        if (obj) {
            CPaintDC dc(obj);
        } else {
            ValidateRec(r, nullptr);
        }
        return 0;
    }
    case WM_NCPAINT:
        DrawNonClient(r);
        return 0;
    case WM_SETTEXT: {
        auto* text = reinterpret_cast<const char16_t*>(l);
        r->text = text ? CString(text) : CString();
        if ((r->style & WS_CAPTION) == WS_CAPTION) InvalidateNonClient(r);
        if (IsTopLevel(r)) Sys().backend->SetNativeWindowTitle(r->native, r->text);
        return TRUE;
    }
    case WM_GETTEXT: {
        auto* buf = reinterpret_cast<char16_t*>(l);
        if (!buf || w == 0) return 0;
        std::size_t n = std::min<std::size_t>(r->text.size(), std::size_t(w) - 1);
        std::copy_n(r->text.data(), n, buf);
        buf[n] = 0;
        return LRESULT(n);
    }
    case WM_GETTEXTLENGTH:
        return LRESULT(r->text.size());
    case WM_SETFONT:
        r->font = reinterpret_cast<HFONT>(w);
        if (LOWORD(std::uintptr_t(l))) InvalidateRec(r, nullptr, true, false);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(r->font);
    case WM_NCLBUTTONDOWN: {
        int hit = int(w);
        CPoint pt(GET_X_LPARAM(l), GET_Y_LPARAM(l));
        if (hit == HTCAPTION) {
            WindowRec* top = TopLevelOf(r);
            if (top && top->hwnd != Sys().active && !(top->exStyle & WS_EX_NOACTIVATE)) SetActiveWindow(top->hwnd);
            RunMoveLoop(h);
        } else if (hit == HTVSCROLL || hit == HTHSCROLL) {
            TrackScrollBar(r, hit == HTVSCROLL ? SB_VERT : SB_HORZ, pt);
        }
        return 0;
    }
    case WM_NCLBUTTONDBLCLK:
        // A quick second press on a scroll bar is another press.
        if (w == WPARAM(HTVSCROLL) || w == WPARAM(HTHSCROLL))
            return DefaultProc(r, WM_NCLBUTTONDOWN, w, l);
        return 0;
    case WM_MOUSEWHEEL:
    case WM_CONTEXTMENU:
    case WM_HELP:
        // Children pass these to their parent.
        if (r->parent) return SendMessage(r->parent, msg, w, l);
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        int idx = CtlColorIndex(msg);
        CDC dc;
        if (w && dc.Attach(reinterpret_cast<HDC>(w))) {
            dc.SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
            dc.SetBkColor(GetSysColor(idx));
            dc.Detach();
        }
        CBrush* b = GetSysColorBrush(idx);
        return reinterpret_cast<LRESULT>(b ? b->GetSafeHandle() : nullptr);
    }
    case WM_CANCELMODE:
        if (GetCapture() == h) ReleaseCapture();
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+F4 closes the top-level window.
        if (w == VK_F4 && (l & KF_ALTDOWN_LPARAM)) {
            if (WindowRec* top = TopLevelOf(r)) PostMessage(top->hwnd, WM_CLOSE, 0, 0);
        }
        return 0;
    default:
        return 0;
    }
}
