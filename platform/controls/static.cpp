#include "platform/controls/static.h"

#include "platform/controls/ctrlutil.h"
#include "platform/gfx/syscolors.h"

BOOL CStatic::Create(const char16_t* text, DWORD style, const CRect& rect, CWnd* parent, UINT id) {
    EnsureControlClasses();
    return CWnd::CreateEx(0, WC_STATIC, text, style | WS_CHILD, rect, parent, id);
}


LRESULT CStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCHITTEST:
        if (!(GetStyle() & SS_NOTIFY)) return HTTRANSPARENT;
        break;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTEXT: {
        LRESULT r = CWnd::WindowProc(message, wParam, lParam);
        Invalidate(FALSE);
        return r;
    }
    case WM_ENABLE:
        Invalidate(FALSE);
        return 0;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CStatic::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    CDCStateScope keep(dc);
    dc.SelectObject(ControlFont(this));
    HBRUSH bg = RequestCtlColor(this, dc, WM_CTLCOLORSTATIC);
    FillWithBrush(dc, rc, bg);
    DWORD style = GetStyle();
    DWORD type = style & SS_TYPEMASK;
    if (type == SS_ETCHEDFRAME) {
        CRect e = rc;
        dc.DrawEdge(&e, EDGE_ETCHED, BF_RECT);
        return;
    }
    if (type == SS_BLACKRECT) {
        dc.FillSolidRect(rc, GetSysColor(COLOR_WINDOWFRAME));
        return;
    }
    if (style & SS_SUNKEN) {
        CRect e = rc;
        dc.DrawEdge(&e, BDR_SUNKENOUTER, BF_RECT);
        rc = rc.inflated(-1, -1);
    }
    UINT format = DT_WORDBREAK;
    if (type == SS_CENTER) format |= DT_CENTER;
    else if (type == SS_RIGHT) format |= DT_RIGHT;
    else if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) format = DT_LEFT | DT_SINGLELINE;
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
    if (style & SS_CENTERIMAGE) format = (format & ~DT_WORDBREAK) | DT_VCENTER | DT_SINGLELINE;
    dc.SetBkMode(TRANSPARENT);
    if (!IsWindowEnabled()) dc.SetTextColor(GetSysColor(COLOR_GRAYTEXT));
    dc.DrawText(GetWindowText(), &rc, format);
}
