#include "platform/controls/ctrlutil.h"

#include <algorithm>

#include "platform/controls/button.h"
#include "platform/controls/combobox.h"
#include "platform/controls/datetimectrl.h"
#include "platform/controls/edit.h"
#include "platform/controls/static.h"
#include "platform/gfx/syscolors.h"
#include "platform/win/user.h"

CFont* ControlFont(const CWnd* ctrl) {
    if (ctrl && ctrl->m_hWnd) {
        auto h = reinterpret_cast<HFONT>(::SendMessage(ctrl->m_hWnd, WM_GETFONT, 0, 0));
        if (h) {
            if (CFont* f = CFont::FromHandle(h)) return f;
        }
    }
    static CFont* fallback = [] {
        auto* f = new CFont;
        LOGFONT lf = GetDesktopMessageFont();
        f->CreateFontIndirect(&lf);
        f->MakePermanent();
        return f;
    }();
    return fallback;
}

HBRUSH RequestCtlColor(CWnd* ctrl, CDC& dc, UINT message) {
    HWND parent = ::GetParent(ctrl->m_hWnd);
    WPARAM w = reinterpret_cast<WPARAM>(dc.GetSafeHdc());
    LPARAM l = reinterpret_cast<LPARAM>(ctrl->m_hWnd);
    LRESULT r = parent ? ::SendMessage(parent, message, w, l) : ::DefWindowProc(ctrl->m_hWnd, message, w, l);
    return reinterpret_cast<HBRUSH>(r);
}

void FillWithBrush(CDC& dc, const CRect& rect, HBRUSH brush) {
    if (!brush) return;
    CBrush* b = CBrush::FromHandle(brush);
    if (!b || b->IsNullBrush()) return;
    dc.FillSolidRect(rect, b->GetColor());
}

bool NotifyParent(CWnd* ctrl, WORD code) {
    HWND self = ctrl->m_hWnd;
    HWND parent = ::GetParent(self);
    if (!parent) return true;
    ::SendMessage(parent, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(self), code), reinterpret_cast<LPARAM>(self));
    return ::IsWindow(self) != FALSE;
}

bool IsKeyDown(UINT vk) { return (::GetKeyState(int(vk)) & 0x8000) != 0; }

LRESULT CopyTextOut(const CString& text, WPARAM wParam, LPARAM lParam) {
    auto* buf = reinterpret_cast<char16_t*>(lParam);
    if (!buf || wParam == 0) return 0;
    std::size_t n = std::min<std::size_t>(text.size(), std::size_t(wParam) - 1);
    std::copy_n(text.data(), n, buf);
    buf[n] = 0;
    return LRESULT(n);
}

COLORREF PaintFieldBackground(CWnd* ctrl, CDC& dc, CRect* inner, bool sunkenEdge, bool editable) {
    bool enabled = ctrl->IsWindowEnabled() != FALSE;
    HBRUSH bg = RequestCtlColor(ctrl, dc, (enabled && editable) ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC);
    COLORREF text = enabled ? dc.GetTextColor() : GetSysColor(COLOR_GRAYTEXT);
    if (sunkenEdge) dc.DrawEdge(inner, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    if (bg) FillWithBrush(dc, *inner, bg);
    else dc.FillSolidRect(*inner, GetSysColor(COLOR_WINDOW));
    return text;
}

void PaintPushFace(CDC& dc, const CRect& rect, bool pressed) {
    dc.FillSolidRect(rect, GetSysColor(COLOR_BTNFACE));
    CRect e = rect;
    if (pressed) {
        CBrush shadow(GetSysColor(COLOR_BTNSHADOW));
        dc.FrameRect(e, &shadow);
    } else {
        dc.DrawEdge(&e, EDGE_RAISED, BF_RECT);
    }
}

namespace {
template <class T>
CWnd* MakeOwned() {
    auto* w = new T;
    w->m_bAutoDelete = true;
    return w;
}

void Register(const char16_t* name, CWnd* (*factory)(), UINT style, int cursor) {
    WNDCLASS wc;
    if (GetClassInfo(nullptr, name, &wc)) return;
    wc = WNDCLASS();
    wc.style = style;
    wc.lpszClassName = name;
    wc.hCursor = LoadCursor(nullptr, cursor);
    wc.pfnCreateObject = factory;
    RegisterClass(&wc);
}
}  // namespace

void EnsureControlClasses() {
    Register(WC_BUTTON, &MakeOwned<CButton>, CS_DBLCLKS, IDC_ARROW);
    Register(WC_STATIC, &MakeOwned<CStatic>, 0, IDC_ARROW);
    Register(WC_EDIT, &MakeOwned<CEdit>, CS_DBLCLKS, IDC_IBEAM);
    Register(WC_COMBOBOX, &MakeOwned<CComboBox>, 0, IDC_ARROW);
    Register(WC_COMBOLIST, &MakeOwned<CComboListPopup>, 0, IDC_ARROW);
    Register(WC_DATETIMEPICK, &MakeOwned<CDateTimeCtrl>, 0, IDC_ARROW);
}
