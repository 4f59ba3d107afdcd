#include "platform/controls/button.h"

#include "platform/controls/ctrlutil.h"
#include "platform/controls/dialog.h"
#include "platform/gfx/syscolors.h"
#include "platform/win/user.h"

namespace {
struct ButtonState {
    int check = BST_UNCHECKED;
    bool pushed = false;
    bool tracking = false;   // the mouse pressed it and holds the capture
    bool spaceDown = false;
};
using States = ControlStateTable<ButtonState>;

bool IsOwnerDraw(DWORD style) { return (style & BS_TYPEMASK) == BS_OWNERDRAW; }
}  // namespace

BOOL CButton::Create(const char16_t* caption, DWORD style, const CRect& rect, CWnd* parent, UINT id) {
    EnsureControlClasses();
    return CWnd::CreateEx(0, WC_BUTTON, caption, style | WS_CHILD, rect, parent, id);
}

int CButton::GetCheck() const { return int(::SendMessage(m_hWnd, BM_GETCHECK, 0, 0)); }
void CButton::SetCheck(int check) { ::SendMessage(m_hWnd, BM_SETCHECK, WPARAM(check), 0); }
UINT CButton::GetState() const { return UINT(::SendMessage(m_hWnd, BM_GETSTATE, 0, 0)); }
void CButton::SetState(BOOL highlight) { ::SendMessage(m_hWnd, BM_SETSTATE, WPARAM(highlight), 0); }
void CButton::SetButtonStyle(UINT style, BOOL redraw) { ::SendMessage(m_hWnd, BM_SETSTYLE, style, redraw); }
void CButton::DrawItem(DRAWITEMSTRUCT*) {}

BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_DRAWITEM) {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (dis && dis->hwndItem == m_hWnd) {
            DrawItem(dis);
            if (result) *result = TRUE;
            return TRUE;
        }
    }
    return CWnd::OnChildNotify(message, wParam, lParam, result);
}


// A pressed or released button shows at once; a parent painting later in
// the same turn has it paint again after.
void CButton::Repaint() {
    Invalidate(FALSE);
    UpdateWindow();
}

void CButton::Click() {
    HWND self = m_hWnd;
    ButtonState& s = States::Of(self);
    switch (GetStyle() & BS_TYPEMASK) {
    case BS_AUTOCHECKBOX:
        SetCheck(s.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
        break;
    case BS_AUTO3STATE:
        SetCheck((s.check + 1) % 3);
        break;
    case BS_AUTORADIOBUTTON:
        if (CWnd* p = GetParent()) {
            for (CWnd* c = p->GetWindow(GW_CHILD); c; c = c->GetWindow(GW_HWNDNEXT)) {
                if (c != this && (c->GetStyle() & BS_TYPEMASK) == BS_AUTORADIOBUTTON &&
                    c->GetClassName() == CString(WC_BUTTON))
                    c->SendMessage(BM_SETCHECK, BST_UNCHECKED, 0);
            }
        }
        SetCheck(BST_CHECKED);
        break;
    default:
        break;
    }
    if (::IsWindow(self)) NotifyParent(this, BN_CLICKED);
}

LRESULT CButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND self = m_hWnd;
    switch (message) {
    case WM_GETDLGCODE: {
        DWORD t = GetStyle() & BS_TYPEMASK;
        if (t == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        if (t == BS_PUSHBUTTON || t == BS_OWNERDRAW) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        if (t == BS_RADIOBUTTON || t == BS_AUTORADIOBUTTON) return DLGC_BUTTON | DLGC_RADIOBUTTON;
        if (t == BS_GROUPBOX) return DLGC_STATIC;
        return DLGC_BUTTON;
    }
    case WM_NCHITTEST:
        if ((GetStyle() & BS_TYPEMASK) == BS_GROUPBOX) return HTTRANSPARENT;
        break;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;   // painting covers the whole button
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if ((GetStyle() & BS_TYPEMASK) == BS_GROUPBOX) return 0;
        ::SetFocus(self);
        if (!::IsWindow(self)) return 0;
        SetCapture();
        States::Of(self).tracking = true;
        SetState(TRUE);
        return 0;
    }
    case WM_MOUSEMOVE: {
        ButtonState& s = States::Of(self);
        if (s.tracking) {
            CRect rc;
            GetClientRect(&rc);
            bool inside = rc.PtInRect(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            if (inside != s.pushed) SetState(inside);
        }
        return 0;
    }
    case WM_LBUTTONUP: {
        ButtonState& s = States::Of(self);
        if (!s.tracking) return 0;
        s.tracking = false;
        CRect rc;
        GetClientRect(&rc);
        bool inside = rc.PtInRect(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
        if (GetCapture() == this) ::ReleaseCapture();
        if (!::IsWindow(self)) return 0;
        if (States::Of(self).pushed) SetState(FALSE);
        if (inside && ::IsWindow(self)) Click();
        return 0;
    }
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE: {
        ButtonState& s = States::Of(self);
        if (s.tracking && GetCapture() != this) {
            s.tracking = false;
            if (s.pushed) SetState(FALSE);
        }
        if (message == WM_CANCELMODE) return CWnd::WindowProc(message, wParam, lParam);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && (GetStyle() & BS_TYPEMASK) != BS_GROUPBOX) {
            ButtonState& s = States::Of(self);
            if (!s.spaceDown) {
                s.spaceDown = true;
                SetState(TRUE);
            }
            return 0;
        }
        break;
    case WM_KEYUP:
        if (wParam == VK_SPACE) {
            ButtonState& s = States::Of(self);
            if (s.spaceDown) {
                s.spaceDown = false;
                SetState(FALSE);
                if (::IsWindow(self)) Click();
            }
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == u' ') return 0;
        break;
    case WM_SETFOCUS:
        Repaint();
        NotifyDialogFocus(this);
        return 0;
    case WM_KILLFOCUS: {
        ButtonState& s = States::Of(self);
        s.spaceDown = false;
        if (s.pushed && !s.tracking) SetState(FALSE);
        Repaint();
        return 0;
    }
    case WM_ENABLE:
        Repaint();
        return 0;
    case WM_SETTEXT: {
        LRESULT r = CWnd::WindowProc(message, wParam, lParam);
        Invalidate(FALSE);
        return r;
    }
    case BM_GETCHECK:
        return States::Of(self).check;
    case BM_SETCHECK: {
        ButtonState& s = States::Of(self);
        int v = int(wParam);
        DWORD t = GetStyle() & BS_TYPEMASK;
        if (t != BS_3STATE && t != BS_AUTO3STATE && v == BST_INDETERMINATE) v = BST_CHECKED;
        if (v != s.check) {
            s.check = v;
            Invalidate(FALSE);
        }
        return 0;
    }
    case BM_GETSTATE: {
        ButtonState& s = States::Of(self);
        LRESULT st = s.check;
        if (s.pushed) st |= BST_PUSHED;
        if (GetFocus() == this) st |= BST_FOCUS;
        return st;
    }
    case BM_SETSTATE: {
        ButtonState& s = States::Of(self);
        bool want = wParam != 0;
        if (want != s.pushed) {
            s.pushed = want;
            Repaint();
        }
        return 0;
    }
    case BM_SETSTYLE:
        ModifyStyle(BS_TYPEMASK, DWORD(wParam) & BS_TYPEMASK);
        if (lParam) Invalidate(FALSE);
        return 0;
    case BM_CLICK: {
        SetState(TRUE);
        if (::IsWindow(self)) SetState(FALSE);
        if (::IsWindow(self)) Click();
        return 0;
    }
    case WM_NCDESTROY: {
        States::Drop(self);
        return CWnd::WindowProc(message, wParam, lParam);
    }
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CButton::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    DWORD style = GetStyle();
    CDCStateScope keep(dc);
    dc.SelectObject(ControlFont(this));
    if (IsOwnerDraw(style)) {
        ButtonState& s = States::Of(m_hWnd);
        DRAWITEMSTRUCT dis;
        dis.CtlType = ODT_BUTTON;
        dis.CtlID = UINT(GetDlgCtrlID());
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = (s.pushed ? ODS_SELECTED : 0) | (GetFocus() == this ? ODS_FOCUS : 0) |
                        (IsWindowEnabled() ? 0 : ODS_DISABLED);
        dis.hwndItem = m_hWnd;
        dis.hDC = dc.GetSafeHdc();
        dis.rcItem = rc;
        HWND parent = ::GetParent(m_hWnd);
        if (!parent || !::SendMessage(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis))) DrawItem(&dis);
        return;
    }
    switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
        PaintCheckOrRadio(dc, rc, false);
        break;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        PaintCheckOrRadio(dc, rc, true);
        break;
    case BS_GROUPBOX:
        PaintGroupBox(dc, rc);
        break;
    default:
        PaintPushButton(dc, rc);
        break;
    }
}

static void DrawButtonText(CDC& dc, const CString& text, CRect rc, UINT format, bool enabled) {
    dc.SetBkMode(TRANSPARENT);
    if (!enabled) {
        // The etched look of disabled text: a light copy one pixel lower right.
        CRect sh = rc.offset(1, 1);
        dc.SetTextColor(GetSysColor(COLOR_BTNHIGHLIGHT));
        dc.DrawText(text, &sh, format);
        dc.SetTextColor(GetSysColor(COLOR_GRAYTEXT));
    }
    dc.DrawText(text, &rc, format);
}

void CButton::PaintPushButton(CDC& dc, const CRect& client) {
    ButtonState& s = States::Of(m_hWnd);
    bool focused = GetFocus() == this;
    bool isDefault = (GetStyle() & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    CRect rc = client;
    dc.FillSolidRect(rc, GetSysColor(COLOR_BTNFACE));
    if (isDefault || focused) {
        CBrush frame(GetSysColor(COLOR_WINDOWFRAME));
        dc.FrameRect(rc, &frame);
        rc = rc.inflated(-1, -1);
    }
    if (s.pushed) {
        CBrush shadow(GetSysColor(COLOR_BTNSHADOW));
        dc.FrameRect(rc, &shadow);
    } else {
        CRect e = rc;
        dc.DrawEdge(&e, EDGE_RAISED, BF_RECT);
    }
    CRect text = rc.inflated(-2, -2);
    if (s.pushed) text = text.offset(1, 1);
    dc.SetTextColor(GetSysColor(COLOR_BTNTEXT));
    DrawButtonText(dc, GetWindowText(), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE, IsWindowEnabled() != FALSE);
    if (focused) dc.DrawFocusRect(rc.inflated(-3, -3));
}

void CButton::PaintCheckOrRadio(CDC& dc, const CRect& rc, bool radio) {
    ButtonState& s = States::Of(m_hWnd);
    HBRUSH bg = RequestCtlColor(this, dc, WM_CTLCOLORBTN);
    COLORREF textColour = dc.GetTextColor();
    FillWithBrush(dc, rc, bg);
    bool enabled = IsWindowEnabled() != FALSE;
    const int box = 13;
    bool leftText = (GetStyle() & BS_LEFTTEXT) != 0;
    int bx = leftText ? rc.right - box : rc.left;
    int by = rc.top + (rc.Height() - box) / 2;
    CRect b(bx, by, bx + box, by + box);
    COLORREF fill = (s.pushed || !enabled) ? GetSysColor(COLOR_BTNFACE) : GetSysColor(COLOR_WINDOW);
    COLORREF mark = enabled ? GetSysColor(COLOR_WINDOWTEXT) : GetSysColor(COLOR_GRAYTEXT);
    if (!radio) {
        dc.FillSolidRect(b, fill);
        CRect e = b;
        dc.DrawEdge(&e, EDGE_SUNKEN, BF_RECT);
        if (s.check != BST_UNCHECKED) {
            if (s.check == BST_INDETERMINATE) mark = GetSysColor(COLOR_BTNSHADOW);
            // A tick of three-pixel strokes, 7 x 7 in the box's middle.
            int x0 = b.left + 3, y0 = b.top + 5;
            for (int i = 0; i < 7; ++i) {
                int y = i < 3 ? y0 + i : y0 + 4 - i + 2;
                for (int k = 0; k < 3; ++k) dc.SetPixel(x0 + i, y + k, mark);
            }
        }
    } else {
        CPoint c(b.left + 6, b.top + 6);
        for (int y = 0; y < box; ++y)
            for (int x = 0; x < box; ++x) {
                int dx = x - 6, dy = y - 6, d2 = dx * dx + dy * dy;
                if (d2 <= 36) dc.SetPixel(b.left + x, b.top + y, d2 >= 26 ? GetSysColor(COLOR_BTNSHADOW) : fill);
                if (s.check && d2 <= 4) dc.SetPixel(b.left + x, b.top + y, mark);
            }
        (void)c;
    }
    CRect t = rc;
    if (leftText) t.right = b.left - 4;
    else t.left = b.right + 4;
    dc.SetTextColor(textColour);
    CString text = GetWindowText();
    DrawButtonText(dc, text, t, DT_LEFT | DT_VCENTER | DT_SINGLELINE, enabled);
    if (GetFocus() == this && !text.empty()) {
        CRect m = t;
        dc.DrawText(text, &m, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_CALCRECT);
        int h = m.Height();
        CRect f(t.left - 1, t.top + (t.Height() - h) / 2 - 1, std::min(t.right, m.right) + 1,
                t.top + (t.Height() - h) / 2 + h + 1);
        dc.DrawFocusRect(f);
    }
}

// A group box draws only its frame and title: the controls it groups sit
// under it in the z-order and show through.
void CButton::PaintGroupBox(CDC& dc, const CRect& rc) {
    HBRUSH bg = RequestCtlColor(this, dc, WM_CTLCOLORBTN);
    COLORREF textColour = dc.GetTextColor();
    CSize ext = dc.GetTextExtent(u"X");
    CRect frame(rc.left, rc.top + ext.cy / 2, rc.right, rc.bottom);
    CRect e = frame;
    dc.DrawEdge(&e, EDGE_ETCHED, BF_RECT);
    CString text = GetWindowText();
    if (!text.empty()) {
        CSize t = dc.GetTextExtent(text);
        CRect tr(rc.left + 8, rc.top, rc.left + 8 + t.cx + 4, rc.top + t.cy);
        FillWithBrush(dc, tr, bg);
        dc.SetTextColor(textColour);
        DrawButtonText(dc, text, tr.inflated(-2, 0), DT_LEFT | DT_TOP | DT_SINGLELINE, IsWindowEnabled() != FALSE);
    }
}

// ---------------------------------------------------------------- CBitmapButton

BOOL CBitmapButton::LoadBitmaps(UINT normal, UINT selected, UINT focus, UINT disabled) {
    m_bitmap.DeleteObject();
    m_bitmapSel.DeleteObject();
    m_bitmapFocus.DeleteObject();
    m_bitmapDisabled.DeleteObject();
    if (!m_bitmap.LoadBitmap(normal)) return FALSE;
    BOOL ok = TRUE;
    if (selected && !m_bitmapSel.LoadBitmap(selected)) ok = FALSE;
    if (focus && !m_bitmapFocus.LoadBitmap(focus)) ok = FALSE;
    if (disabled && !m_bitmapDisabled.LoadBitmap(disabled)) ok = FALSE;
    return ok;
}

void CBitmapButton::SizeToContent() {
    if (m_bitmap.IsNull()) return;
    CSize s = m_bitmap.GetSize();
    SetWindowPos(nullptr, 0, 0, s.cx, s.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CBitmapButton::DrawItem(DRAWITEMSTRUCT* dis) {
    if (!dis) return;
    CBitmap* face = &m_bitmap;
    if ((dis->itemState & ODS_SELECTED) && !m_bitmapSel.IsNull()) face = &m_bitmapSel;
    else if ((dis->itemState & ODS_FOCUS) && !m_bitmapFocus.IsNull()) face = &m_bitmapFocus;
    else if ((dis->itemState & ODS_DISABLED) && !m_bitmapDisabled.IsNull()) face = &m_bitmapDisabled;
    if (face->IsNull()) return;
    CDC dc;
    if (!dc.Attach(dis->hDC)) return;
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    CBitmap* old = mem.SelectObject(face);
    dc.BitBlt(dis->rcItem.left, dis->rcItem.top, dis->rcItem.Width(), dis->rcItem.Height(), &mem, 0, 0, SRCCOPY);
    mem.SelectObject(old);
    dc.Detach();
}
