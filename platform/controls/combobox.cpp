#include "platform/controls/combobox.h"

#include <algorithm>

#include "platform/controls/ctrlutil.h"
#include "platform/controls/dialog.h"
#include "platform/gfx/syscolors.h"
#include "platform/win/user.h"

struct ComboState {
    std::vector<CString> items;
    std::vector<LPARAM> data;
    int cur = -1;
    int hot = -1;
    int top = 0;            // first item shown in the list
    bool dropped = false;
    bool pressed = false;   // the press that opened the list is still held
    int droppedHeight = 0;  // field and list together, from the creation height
    HWND popup = nullptr;
};
using ComboStates = ControlStateTable<ComboState>;

BOOL CComboBox::Create(DWORD style, const CRect& rect, CWnd* parent, UINT id) {
    EnsureControlClasses();
    return CWnd::CreateEx(0, WC_COMBOBOX, u"", style | WS_CHILD, rect, parent, id);
}


ComboState& CComboBox::S() const { return ComboStates::Of(m_hWnd); }

int CComboBox::AddString(const char16_t* t) { return int(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t))); }
int CComboBox::InsertString(int i, const char16_t* t) {
    return int(SendMessage(CB_INSERTSTRING, WPARAM(i), reinterpret_cast<LPARAM>(t)));
}
int CComboBox::DeleteString(int i) { return int(SendMessage(CB_DELETESTRING, WPARAM(i))); }
void CComboBox::ResetContent() { SendMessage(CB_RESETCONTENT); }
int CComboBox::GetCount() const { return int(::SendMessage(m_hWnd, CB_GETCOUNT, 0, 0)); }
int CComboBox::GetCurSel() const { return int(::SendMessage(m_hWnd, CB_GETCURSEL, 0, 0)); }
int CComboBox::SetCurSel(int i) { return int(SendMessage(CB_SETCURSEL, WPARAM(i))); }
int CComboBox::GetLBTextLen(int i) const { return int(::SendMessage(m_hWnd, CB_GETLBTEXTLEN, WPARAM(i), 0)); }
int CComboBox::GetLBText(int i, CString& text) const {
    int n = GetLBTextLen(i);
    if (n < 0) {
        text.clear();
        return int(CB_ERR);
    }
    CString buf(std::size_t(n) + 1, u'\0');
    ::SendMessage(m_hWnd, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(buf.data()));
    buf.resize(std::size_t(n));
    text = buf;
    return n;
}
int CComboBox::FindString(int after, const char16_t* p) const {
    return int(::SendMessage(m_hWnd, CB_FINDSTRING, WPARAM(after), reinterpret_cast<LPARAM>(p)));
}
int CComboBox::FindStringExact(int after, const char16_t* p) const {
    return int(::SendMessage(m_hWnd, CB_FINDSTRINGEXACT, WPARAM(after), reinterpret_cast<LPARAM>(p)));
}
int CComboBox::SelectString(int after, const char16_t* p) {
    return int(SendMessage(CB_SELECTSTRING, WPARAM(after), reinterpret_cast<LPARAM>(p)));
}
void CComboBox::ShowDropDown(BOOL show) { SendMessage(CB_SHOWDROPDOWN, show); }
BOOL CComboBox::GetDroppedState() const { return BOOL(::SendMessage(m_hWnd, CB_GETDROPPEDSTATE, 0, 0)); }
void CComboBox::GetDroppedControlRect(CRect* rect) const {
    ::SendMessage(m_hWnd, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(rect));
}
int CComboBox::GetItemHeight() const { return int(::SendMessage(m_hWnd, CB_GETITEMHEIGHT, 0, 0)); }
int CComboBox::GetHotItem() const { return S().dropped ? S().hot : -1; }

// ---------------------------------------------------------------- geometry

int CComboBox::ItemHeight() const {
    CDC dc;
    dc.SelectObject(ControlFont(this));
    return dc.GetTextExtent(u"").cy + 2;
}

int CComboBox::FieldHeight() const { return ItemHeight() + 6; }

CRect CComboBox::ButtonRect() const {
    CRect rc;
    GetClientRect(&rc);
    int w = GetSystemMetrics(SM_CXVSCROLL);
    return CRect(rc.right - 2 - w, rc.top + 2, rc.right - 2, rc.bottom - 2);
}

void CComboBox::FitFieldHeight() {
    CRect wr;
    GetWindowRect(&wr);
    if (wr.Height() != FieldHeight())
        SetWindowPos(nullptr, 0, 0, wr.Width(), FieldHeight(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CComboBox::VisibleItems() const {
    const ComboState& s = S();
    int room = std::max(ItemHeight(), s.droppedHeight - FieldHeight() - 2);
    int fit = std::max(1, room / ItemHeight());
    return std::min(fit, std::max(1, int(s.items.size())));
}

void CComboBox::EnsureHotVisible() {
    ComboState& s = S();
    int vis = VisibleItems();
    if (s.hot >= 0) {
        if (s.hot < s.top) s.top = s.hot;
        if (s.hot >= s.top + vis) s.top = s.hot - vis + 1;
    }
    s.top = std::clamp(s.top, 0, std::max(0, int(s.items.size()) - vis));
    SyncListBar();
}

void CComboBox::SyncListBar() {
    ComboState& s = S();
    if (!s.popup) return;
    ::InvalidateRect(s.popup, nullptr, FALSE);
    CWnd* list = CWnd::FromHandle(s.popup);
    if (!list || !(list->GetStyle() & WS_VSCROLL)) return;
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = int(s.items.size()) - 1;
    si.nPage = UINT(VisibleItems());
    si.nPos = s.top;
    list->SetScrollInfo(SB_VERT, &si, TRUE);
}

// ---------------------------------------------------------------- dropping and choosing

void CComboBox::Drop() {
    ComboState& s = S();
    if (s.dropped) return;
    HWND self = m_hWnd;
    NotifyParent(this, CBN_DROPDOWN);
    if (!::IsWindow(self)) return;
    s.dropped = true;
    s.hot = s.cur;
    s.top = 0;
    CRect wr;
    GetWindowRect(&wr);
    int h = VisibleItems() * ItemHeight() + 2;
    CRect list(wr.left, wr.bottom, wr.right, wr.bottom + h);
    CSize screen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    if (list.bottom > screen.cy && wr.top - h >= 0) list = CRect(wr.left, wr.top - h, wr.right, wr.top);
    auto* popup = new CComboListPopup;
    popup->m_bAutoDelete = true;
    popup->m_combo = self;
    // More items than fit: the list gets a scroll bar (paged by presses on it).
    DWORD listStyle = WS_POPUP | WS_BORDER | (int(s.items.size()) > VisibleItems() ? WS_VSCROLL : 0);
    if (!popup->CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, WC_COMBOLIST, u"", listStyle, list,
                         GetTopLevelParent(), 0)) {
        delete popup;
        s.dropped = false;
        return;
    }
    s.popup = popup->m_hWnd;
    EnsureHotVisible();
    ::ShowWindow(s.popup, SW_SHOWNOACTIVATE);
    SetCapture();
    Invalidate(FALSE);
}

void CComboBox::CloseUp(bool accept) {
    HWND self = m_hWnd;
    ComboState& s = S();
    if (!s.dropped) return;
    s.dropped = false;
    s.pressed = false;
    int chosen = s.hot;
    HWND popup = s.popup;
    s.popup = nullptr;
    if (popup) ::DestroyWindow(popup);
    if (GetCapture() == this) ::ReleaseCapture();
    if (!::IsWindow(self)) return;
    Invalidate(FALSE);
    NotifyParent(this, CBN_CLOSEUP);
    if (!::IsWindow(self)) return;
    if (accept && chosen >= 0 && chosen != S().cur) {
        Choose(chosen, true);
        if (::IsWindow(self)) NotifyParent(this, CBN_SELENDOK);
    } else if (::IsWindow(self)) {
        NotifyParent(this, accept ? CBN_SELENDOK : CBN_SELENDCANCEL);
    }
}

void CComboBox::Choose(int index, bool notify) {
    ComboState& s = S();
    if (index < 0 || index >= int(s.items.size()) || index == s.cur) return;
    ShowSelection(index);
    if (notify) NotifyParent(this, CBN_SELCHANGE);
}

// Makes a valid index the selection, shown in the field and, when dropped,
// as the list's hot item.
void CComboBox::ShowSelection(int index) {
    ComboState& s = S();
    s.cur = index;
    if (s.dropped) {
        s.hot = index;
        EnsureHotVisible();
    }
    Invalidate(FALSE);
}

int CComboBox::ItemAtScreen(CPoint pt, bool* inList) const {
    const ComboState& s = S();
    *inList = false;
    if (!s.popup) return -1;
    CRect wr;
    ::GetWindowRect(s.popup, &wr);
    if (!wr.PtInRect(pt)) return -1;
    *inList = true;
    CPoint c = pt;
    ::ScreenToClient(s.popup, &c);
    CRect cr;
    ::GetClientRect(s.popup, &cr);
    if (!cr.PtInRect(c)) return -1;
    int i = s.top + c.y / ItemHeight();
    return i < int(s.items.size()) ? i : -1;
}

// ---------------------------------------------------------------- messages

LRESULT CComboBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND self = m_hWnd;
    switch (message) {
    case WM_CREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCT*>(lParam);
        S().droppedHeight = cs ? cs->cy : 0;
        FitFieldHeight();
        return 0;
    }
    case WM_SETFONT: {
        LRESULT r = CWnd::WindowProc(message, wParam, lParam);
        FitFieldHeight();
        Invalidate(FALSE);
        return r;
    }
    case WM_GETDLGCODE: {
        UINT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
        auto* m = reinterpret_cast<MSG*>(lParam);
        if (S().dropped && !(m && m->message == WM_KEYDOWN && m->wParam == VK_TAB)) code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        ComboState& s = S();
        CPoint pt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        if (!s.dropped) {
            if (GetFocus() != this) {
                ::SetFocus(self);
                if (!::IsWindow(self)) return 0;
            }
            Drop();
            if (::IsWindow(self)) S().pressed = true;
            return 0;
        }
        CPoint sp = pt;
        ClientToScreen(&sp);
        bool inList = false;
        int item = ItemAtScreen(sp, &inList);
        if (inList) {
            if (item >= 0) {
                s.hot = item;
                EnsureHotVisible();
            } else {
                // The list's edge or scroll area: page the way the press points.
                CRect wr;
                ::GetWindowRect(s.popup, &wr);
                int vis = VisibleItems();
                s.top += sp.y < wr.CenterPoint().y ? -vis : vis;
                s.top = std::clamp(s.top, 0, std::max(0, int(s.items.size()) - vis));
                SyncListBar();
            }
            s.pressed = true;
            return 0;
        }
        CRect rc;
        GetClientRect(&rc);
        CloseUp(false);   // on the field it toggles, elsewhere it cancels
        return 0;
    }
    case WM_MOUSEMOVE: {
        ComboState& s = S();
        if (!s.dropped) return 0;
        CPoint sp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        ClientToScreen(&sp);
        bool inList = false;
        int item = ItemAtScreen(sp, &inList);
        if (item >= 0 && item != s.hot) {
            s.hot = item;
            ::InvalidateRect(s.popup, nullptr, FALSE);
        }
        return 0;
    }
    case WM_LBUTTONUP: {
        ComboState& s = S();
        if (!s.dropped) return 0;
        bool wasPressed = s.pressed;
        s.pressed = false;
        CPoint sp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        ClientToScreen(&sp);
        bool inList = false;
        int item = ItemAtScreen(sp, &inList);
        if (wasPressed && item >= 0) {
            s.hot = item;
            CloseUp(true);
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (ComboStates::Has(self) && S().dropped && GetCapture() != this) CloseUp(false);
        return 0;
    case WM_MOUSEWHEEL: {
        ComboState& s = S();
        int steps = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        if (s.dropped) {
            s.top = std::clamp(s.top - steps * 3, 0, std::max(0, int(s.items.size()) - VisibleItems()));
            SyncListBar();
        } else if (steps) {
            Choose(std::clamp(s.cur - steps, 0, int(s.items.size()) - 1), true);
        }
        return 0;
    }
    case WM_KEYDOWN:
        OnKeyDown(UINT(wParam));
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_DOWN || wParam == VK_UP) {
            if (S().dropped) CloseUp(true);
            else Drop();
            return 0;
        }
        break;
    case WM_CHAR:
        OnChar(char16_t(wParam));
        return 0;
    case WM_SETFOCUS:
        Invalidate(FALSE);
        NotifyDialogFocus(this);
        if (::IsWindow(self)) NotifyParent(this, CBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        if (S().dropped) CloseUp(false);
        if (!::IsWindow(self)) return 0;
        Invalidate(FALSE);
        NotifyParent(this, CBN_KILLFOCUS);
        return 0;
    case WM_ENABLE:
        if (!wParam && S().dropped) CloseUp(false);
        Invalidate(FALSE);
        return 0;
    case WM_GETTEXT: {
        ComboState& s = S();
        return CopyTextOut(s.cur >= 0 ? s.items[std::size_t(s.cur)] : CString(), wParam, lParam);
    }
    case WM_GETTEXTLENGTH: {
        ComboState& s = S();
        return s.cur >= 0 ? LRESULT(s.items[std::size_t(s.cur)].size()) : 0;
    }
    case WM_SETTEXT:
        // A drop-down list shows only its items.
        return CB_ERR;
    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
        ComboState& s = S();
        auto* t = reinterpret_cast<const char16_t*>(lParam);
        CString text = t ? CString(t) : CString();
        int at;
        if (message == CB_ADDSTRING) {
            at = int(s.items.size());
            if (GetStyle() & CBS_SORT) {
                at = 0;
                while (at < int(s.items.size()) && CompareNoCase(s.items[std::size_t(at)], text) <= 0) ++at;
            }
        } else {
            at = int(std::intptr_t(wParam));
            if (at < 0 || at > int(s.items.size())) at = int(s.items.size());
        }
        s.items.insert(s.items.begin() + at, text);
        s.data.insert(s.data.begin() + at, 0);
        if (s.cur >= at) ++s.cur;
        if (s.popup) ::InvalidateRect(s.popup, nullptr, FALSE);
        return at;
    }
    case CB_DELETESTRING: {
        ComboState& s = S();
        int i = int(std::intptr_t(wParam));
        if (i < 0 || i >= int(s.items.size())) return CB_ERR;
        s.items.erase(s.items.begin() + i);
        s.data.erase(s.data.begin() + i);
        if (s.cur == i) s.cur = -1;
        else if (s.cur > i) --s.cur;
        if (s.hot >= int(s.items.size())) s.hot = -1;
        Invalidate(FALSE);
        return LRESULT(s.items.size());
    }
    case CB_RESETCONTENT: {
        ComboState& s = S();
        if (s.dropped) CloseUp(false);
        s.items.clear();
        s.data.clear();
        s.cur = s.hot = -1;
        s.top = 0;
        Invalidate(FALSE);
        return 0;
    }
    case CB_GETCOUNT:
        return LRESULT(S().items.size());
    case CB_GETCURSEL:
        return S().cur;
    case CB_SETCURSEL: {
        ComboState& s = S();
        int i = int(std::intptr_t(wParam));
        if (i < 0 || i >= int(s.items.size())) {
            s.cur = -1;
            Invalidate(FALSE);
            return CB_ERR;
        }
        ShowSelection(i);
        return i;
    }
    case CB_GETLBTEXT: {
        ComboState& s = S();
        int i = int(std::intptr_t(wParam));
        auto* buf = reinterpret_cast<char16_t*>(lParam);
        if (i < 0 || i >= int(s.items.size()) || !buf) return CB_ERR;
        const CString& t = s.items[std::size_t(i)];
        std::copy(t.begin(), t.end(), buf);
        buf[t.size()] = 0;
        return LRESULT(t.size());
    }
    case CB_GETLBTEXTLEN: {
        ComboState& s = S();
        int i = int(std::intptr_t(wParam));
        if (i < 0 || i >= int(s.items.size())) return CB_ERR;
        return LRESULT(s.items[std::size_t(i)].size());
    }
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
    case CB_SELECTSTRING: {
        ComboState& s = S();
        auto* t = reinterpret_cast<const char16_t*>(lParam);
        CString key = t ? CString(t) : CString();
        int n = int(s.items.size());
        int start = int(std::intptr_t(wParam));
        if (start < -1 || start >= n) start = -1;
        for (int k = 1; k <= n; ++k) {
            int i = (start + k) % n;
            const CString& item = s.items[std::size_t(i)];
            bool hit = message == CB_FINDSTRINGEXACT ? CompareNoCase(item, key) == 0 : StartsWithNoCase(item, key);
            if (!hit) continue;
            if (message == CB_SELECTSTRING) ShowSelection(i);
            return i;
        }
        return CB_ERR;
    }
    case CB_SHOWDROPDOWN:
        if (wParam) Drop();
        else CloseUp(false);
        return TRUE;
    case CB_GETDROPPEDSTATE:
        return S().dropped;
    case CB_GETITEMHEIGHT:
        return ItemHeight();
    case CB_GETDROPPEDCONTROLRECT: {
        auto* r = reinterpret_cast<CRect*>(lParam);
        if (!r) return CB_ERR;
        CRect wr;
        GetWindowRect(&wr);
        *r = CRect(wr.left, wr.top, wr.right, wr.top + std::max(S().droppedHeight, wr.Height()));
        return TRUE;
    }
    case WM_NCDESTROY: {
        if (ComboStates::Has(self)) {
            HWND popup = S().popup;
            if (popup) ::DestroyWindow(popup);
        }
        ComboStates::Drop(self);
        break;
    }
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CComboBox::OnKeyDown(UINT vk) {
    ComboState& s = S();
    int n = int(s.items.size());
    if (s.dropped) {
        switch (vk) {
        case VK_RETURN:
        case VK_F4:
            CloseUp(true);
            return;
        case VK_ESCAPE:
            CloseUp(false);
            return;
        default:
            break;
        }
    } else if (vk == VK_F4) {
        Drop();
        return;
    }
    if (n == 0) return;
    int from = s.dropped ? s.hot : s.cur;
    int to = from;
    int page = std::max(1, VisibleItems() - 1);
    switch (vk) {
    case VK_UP:
    case VK_LEFT: to = from < 0 ? 0 : from - 1; break;
    case VK_DOWN:
    case VK_RIGHT: to = from + 1; break;
    case VK_PRIOR: to = from - page; break;
    case VK_NEXT: to = from + page; break;
    case VK_HOME: to = 0; break;
    case VK_END: to = n - 1; break;
    default: return;
    }
    to = std::clamp(to, 0, n - 1);
    if (s.dropped) {
        s.hot = to;
        EnsureHotVisible();
    } else {
        Choose(to, true);
    }
}

void CComboBox::OnChar(char16_t ch) {
    if (ch < 0x20) return;
    ComboState& s = S();
    int n = int(s.items.size());
    if (n == 0) return;
    int from = s.dropped ? s.hot : s.cur;
    CString key(1, ch);
    for (int k = 1; k <= n; ++k) {
        int i = ((from < 0 ? -1 : from) + k) % n;
        if (!StartsWithNoCase(s.items[std::size_t(i)], key)) continue;
        if (s.dropped) {
            s.hot = i;
            EnsureHotVisible();
        } else {
            Choose(i, true);
        }
        return;
    }
}

// ---------------------------------------------------------------- painting

void CComboBox::OnPaint() {
    CPaintDC dc(this);
    ComboState& s = S();
    CRect rc;
    GetClientRect(&rc);
    CDCStateScope keep(dc);
    dc.SelectObject(ControlFont(this));
    bool enabled = IsWindowEnabled() != FALSE;
    CRect inner = rc;
    COLORREF textColour = PaintFieldBackground(this, dc, &inner, true);
    CRect btn = ButtonRect();
    CRect text(inner.left + 1, inner.top + 1, btn.left - 1, inner.bottom - 1);
    bool focused = GetFocus() == this && !s.dropped;
    if (focused) dc.FillSolidRect(text, GetSysColor(COLOR_HIGHLIGHT));
    if (s.cur >= 0) {
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(focused ? GetSysColor(COLOR_HIGHLIGHTTEXT) : textColour);
        CRect t = text.inflated(-2, 0);
        dc.DrawText(s.items[std::size_t(s.cur)], &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (focused) dc.DrawFocusRect(text);
    // The drop button with its arrow.
    PaintPushFace(dc, btn, s.dropped);
    COLORREF arrow = enabled ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_GRAYTEXT);
    CPoint c = btn.CenterPoint();
    if (s.dropped) c.Offset(1, 1);
    for (int i = 0; i < 4; ++i) dc.FillSolidRect(CRect(c.x - 3 + i, c.y - 1 + i, c.x + 4 - i, c.y + i), arrow);
}

void CComboBox::PaintList(CDC& dc, const CRect& client) {
    ComboState& s = S();
    CDCStateScope keep(dc);
    dc.SelectObject(ControlFont(this));
    dc.FillSolidRect(client, GetSysColor(COLOR_WINDOW));
    dc.SetBkMode(TRANSPARENT);
    int ih = ItemHeight();
    for (int i = s.top, y = client.top; i < int(s.items.size()) && y < client.bottom; ++i, y += ih) {
        CRect r(client.left, y, client.right, y + ih);
        bool hot = i == s.hot;
        if (hot) dc.FillSolidRect(r, GetSysColor(COLOR_HIGHLIGHT));
        dc.SetTextColor(GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        CRect t = r.inflated(-2, 0);
        dc.DrawText(s.items[std::size_t(i)], &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

LRESULT CComboListPopup::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        if (auto* combo = dynamic_cast<CComboBox*>(CWnd::FromHandle(m_combo)); combo && ComboStates::Has(m_combo))
            combo->PaintList(dc, rc);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

