#include "platform/controls/dialog.h"

#include "platform/controls/combobox.h"
#include "platform/controls/ctrlutil.h"
#include "platform/controls/datetimectrl.h"
#include "platform/controls/msgbox.h"
#include "platform/gfx/syscolors.h"
#include "platform/win/user.h"

// ---------------------------------------------------------------- application dialog colours

namespace {
struct DialogColours {
    bool set = false;
    COLORREF background = 0;
    COLORREF text = 0;
    CBrush brush;
};
DialogColours& AppColours() {
    static DialogColours c;
    return c;
}

void EnsureDialogClass() {
    WNDCLASS wc;
    if (GetClassInfo(nullptr, WC_DIALOG, &wc)) return;
    wc = WNDCLASS();
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ::DefWindowProc;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = WC_DIALOG;
    RegisterClass(&wc);
}

UINT DlgCode(HWND h, UINT vk = 0, MSG* msg = nullptr) {
    return h ? UINT(::SendMessage(h, WM_GETDLGCODE, vk, reinterpret_cast<LPARAM>(msg))) : 0;
}

bool IsPushButton(HWND h) { return (DlgCode(h) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0; }
}  // namespace

void SetDialogBkColor(COLORREF background, COLORREF text) {
    DialogColours& c = AppColours();
    c.set = true;
    c.background = background;
    c.text = text;
    c.brush.DeleteObject();
    c.brush.CreateSolidBrush(background);
}

void ResetDialogBkColor() {
    DialogColours& c = AppColours();
    c.set = false;
    c.brush.DeleteObject();
}

bool GetDialogColors(COLORREF* background, COLORREF* text) {
    const DialogColours& c = AppColours();
    if (background) *background = c.set ? c.background : GetSysColor(COLOR_BTNFACE);
    if (text) *text = c.set ? c.text : GetSysColor(COLOR_WINDOWTEXT);
    return c.set;
}

// ---------------------------------------------------------------- data exchange

HWND CDataExchange::PrepareCtrl(int id) {
    HWND h = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    if (!h) Fail();
    return h;
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd) return;
    HWND h = pDX->PrepareCtrl(id);
    if (h) control.SubclassWindow(h);
}

void DDX_Text(CDataExchange* pDX, int id, CString& value) {
    HWND h = pDX->PrepareCtrl(id);
    if (!h) return;
    CWnd* w = CWnd::FromHandle(h);
    if (pDX->m_bSaveAndValidate) value = w->GetWindowText();
    else w->SetWindowText(value);
}

void DDX_Text(CDataExchange* pDX, int id, int& value) {
    HWND h = pDX->PrepareCtrl(id);
    if (!h) return;
    CWnd* w = CWnd::FromHandle(h);
    if (!pDX->m_bSaveAndValidate) {
        w->SetWindowText(FromUtf8(std::to_string(value)));
        return;
    }
    std::string s = ToUtf8(w->GetWindowText());
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || (end && *end && *end != ' ') || v < INT32_MIN || v > INT32_MAX) {
        // A number that does not read is kept out of the member, and the
        // user is sent back to the box.
        pDX->Fail();
        ::SetFocus(h);
        return;
    }
    value = int(v);
}

void DDX_CBString(CDataExchange* pDX, int id, CString& value) {
    HWND h = pDX->PrepareCtrl(id);
    if (!h) return;
    if (pDX->m_bSaveAndValidate) {
        LRESULT sel = ::SendMessage(h, CB_GETCURSEL, 0, 0);
        value.clear();
        if (sel != CB_ERR) {
            LRESULT n = ::SendMessage(h, CB_GETLBTEXTLEN, WPARAM(sel), 0);
            if (n > 0) {
                CString buf(std::size_t(n) + 1, u'\0');
                ::SendMessage(h, CB_GETLBTEXT, WPARAM(sel), reinterpret_cast<LPARAM>(buf.data()));
                buf.resize(std::size_t(n));
                value = buf;
            }
        }
    } else {
        ::SendMessage(h, CB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(value.c_str()));
    }
}

void DDX_DateTimeCtrl(CDataExchange* pDX, int id, std::int64_t& value) {
    HWND h = pDX->PrepareCtrl(id);
    if (!h) return;
    auto* dtp = dynamic_cast<CDateTimeCtrl*>(CWnd::FromHandle(h));
    if (!dtp) {
        pDX->Fail();
        return;
    }
    if (pDX->m_bSaveAndValidate) value = dtp->GetTime();
    else dtp->SetTime(value);
}

void DDX_DateTimeCtrl(CDataExchange* pDX, int id, std::int32_t& value) {
    std::int64_t v = value;
    DDX_DateTimeCtrl(pDX, id, v);
    // The picker only holds times that fit in 32 bits.
    if (pDX->m_bSaveAndValidate && v >= INT32_MIN && v <= INT32_MAX) value = std::int32_t(v);
}

void DDX_Check(CDataExchange* pDX, int id, int& value) {
    HWND h = pDX->PrepareCtrl(id);
    if (!h) return;
    if (pDX->m_bSaveAndValidate) value = int(::SendMessage(h, BM_GETCHECK, 0, 0));
    else ::SendMessage(h, BM_SETCHECK, WPARAM(value), 0);
}

void DDX_Check(CDataExchange* pDX, int id, bool& value) {
    int v = value ? BST_CHECKED : BST_UNCHECKED;
    DDX_Check(pDX, id, v);
    value = v != BST_UNCHECKED;
}

// ---------------------------------------------------------------- creation and runs

const DialogTemplate* CDialog::GetTemplate() const {
    return m_pTemplate ? m_pTemplate : FindDialogTemplate(m_nIDTemplate);
}

BOOL CDialog::CreateFromTemplate(const DialogTemplate& tmpl, CWnd* owner) {
    if (m_hWnd) return FALSE;
    EnsureControlClasses();
    EnsureDialogClass();
    m_bEnded = false;
    m_defId = IDOK;
    m_font.DeleteObject();
    m_font.CreatePointFont(tmpl.pointSize * 10, tmpl.fontFace.c_str());
    m_baseUnits = DialogBaseUnits(tmpl.fontFace.c_str(), tmpl.pointSize);

    CRect px = DialogUnitsToPixels(tmpl.place, m_baseUnits);
    CPoint origin(px.left, px.top);
    if (owner && owner->m_hWnd) {
        CPoint o(0, 0);
        owner->ClientToScreen(&o);
        origin.Offset(o.x, o.y);
    }
    DWORD style = tmpl.style & ~WS_VISIBLE & ~WS_CHILD;
    if (!(style & WS_POPUP)) style |= WS_POPUP;
    if ((style & DS_MODALFRAME) && !(style & WS_CAPTION)) style |= WS_DLGFRAME;
    CRect rect(origin, CSize(px.Width(), px.Height()));
    if (!CreateEx(tmpl.exStyle, WC_DIALOG, tmpl.caption.c_str(), style, rect, owner, 0)) return FALSE;
    // The template gives the client size; the frame comes on top of it.
    CRect wr, cr;
    GetWindowRect(&wr);
    GetClientRect(&cr);
    SetWindowPos(nullptr, 0, 0, wr.Width() + px.Width() - cr.Width(), wr.Height() + px.Height() - cr.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.GetSafeHandle()), 0);

    HWND self = m_hWnd;
    for (const DialogItemTemplate& item : tmpl.controls) {
        CRect ip = DialogUnitsToPixels(item.place, m_baseUnits);
        DWORD cs = item.style | WS_CHILD | (item.hidden ? 0 : WS_VISIBLE);
        DWORD ex = item.exStyle;
        // Edit boxes with a border get the sunken 3-D edge of dialog controls.
        if (CompareNoCase(item.className, WC_EDIT) == 0 && (cs & WS_BORDER)) {
            cs &= ~WS_BORDER;
            ex |= WS_EX_CLIENTEDGE;
        }
        HWND h = ::CreateWindowEx(ex, item.className.c_str(), item.text.c_str(), cs, ip.left, ip.top, ip.Width(),
                                  ip.Height(), self, reinterpret_cast<HMENU>(std::intptr_t(item.id)),
                                  AfxGetInstanceHandle(), nullptr);
        if (!::IsWindow(self)) return FALSE;
        if (!h) continue;   // an unknown class leaves its place empty, as a missing control would
        ::SendMessage(h, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.GetSafeHandle()), 0);
        for (const CString& s : item.items) ::SendMessage(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
        if (CompareNoCase(item.className, WC_BUTTON) == 0 && (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            m_defId = UINT(item.id);
    }

    CWnd* first = GetNextDlgTabItem(nullptr);
    BOOL setFocus = BOOL(SendMessage(WM_INITDIALOG, reinterpret_cast<WPARAM>(first ? first->m_hWnd : nullptr), 0));
    if (!::IsWindow(self)) return FALSE;
    if (setFocus && !m_bEnded) {
        // The control may have changed during initialisation.
        if (CWnd* f = GetNextDlgTabItem(nullptr)) FocusControl(f);
    }
    if ((tmpl.style & WS_VISIBLE) && !m_bEnded) {
        ShowWindow(SW_SHOW);
        if (setFocus) {
            CWnd* f = CWnd::GetFocus();
            if (!f || (f != this && !IsChild(f))) {
                if (CWnd* c = GetNextDlgTabItem(nullptr)) FocusControl(c);
            }
        }
        UpdateWindow();
    }
    return TRUE;
}

INT_PTR CDialog::DoModal() {
    const DialogTemplate* tmpl = GetTemplate();
    if (!tmpl) return -1;
    CWnd* owner = m_pParentWnd ? m_pParentWnd->GetTopLevelParent() : CWnd::GetActiveWindow();
    if (owner == this) owner = nullptr;
    HWND ownerH = owner ? owner->m_hWnd : nullptr;
    bool reenable = ownerH && ::IsWindowEnabled(ownerH);
    if (reenable) ::EnableWindow(ownerH, FALSE);
    m_bModal = true;
    INT_PTR result = -1;
    if (CreateFromTemplate(*tmpl, owner)) {
        result = m_bEnded ? m_nResult : RunModalLoop();
        if (m_bEnded) result = m_nResult;
        if (m_hWnd) {
            SetWindowPos(nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            DestroyWindow();
        }
    }
    if (reenable && ::IsWindow(ownerH)) {
        ::EnableWindow(ownerH, TRUE);
        ::SetActiveWindow(ownerH);
    }
    m_bModal = false;
    return result;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParent) {
    m_nIDTemplate = nIDTemplate;
    if (pParent) m_pParentWnd = pParent;
    const DialogTemplate* tmpl = GetTemplate();
    return tmpl ? CreateIndirect(*tmpl, m_pParentWnd) : FALSE;
}

BOOL CDialog::CreateIndirect(const DialogTemplate& tmpl, CWnd* pParent) {
    m_bModal = false;
    return CreateFromTemplate(tmpl, pParent ? pParent->GetTopLevelParent() : nullptr);
}

void CDialog::EndDialog(int result) {
    m_bEnded = true;
    m_nResult = result;
    if (!m_hWnd) return;
    if (m_bModal) EndModalLoop(result);
    else ShowWindow(SW_HIDE);
}

void CDialog::PostNcDestroy() {
    m_bEnded = true;
    CWnd::PostNcDestroy();
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    if (!m_hWnd) return FALSE;
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return dx.m_bFailed ? FALSE : TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    WORD id = LOWORD(wParam);
    WORD code = HIWORD(wParam);
    if (code == BN_CLICKED || lParam == 0) {
        if (id == IDOK) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
    }
    return CWnd::OnCommand(wParam, lParam);
}

HBRUSH CDialog::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    DialogColours& c = AppColours();
    if (c.set && (nCtlColor == CTLCOLOR_DLG || nCtlColor == CTLCOLOR_STATIC || nCtlColor == CTLCOLOR_BTN ||
                  nCtlColor == CTLCOLOR_MSGBOX)) {
        pDC->SetTextColor(c.text);
        pDC->SetBkColor(c.background);
        return c.brush.GetSafeHandle();
    }
    LPARAM l = reinterpret_cast<LPARAM>(pWnd ? pWnd->m_hWnd : m_hWnd);
    return reinterpret_cast<HBRUSH>(
        CWnd::DefWindowProc(WM_CTLCOLORMSGBOX + nCtlColor, reinterpret_cast<WPARAM>(pDC->GetSafeHdc()), l));
}

LRESULT CDialog::OnEraseBkgnd(CDC* dc) {
    HBRUSH b = OnCtlColor(dc, this, CTLCOLOR_DLG);
    CRect box;
    dc->GetClipBox(&box);
    FillWithBrush(*dc, box, b);
    return 1;
}

// ---------------------------------------------------------------- messages

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_ERASEBKGND: {
        CDC dc;
        if (!wParam || !dc.Attach(reinterpret_cast<HDC>(wParam))) return 0;
        LRESULT r = OnEraseBkgnd(&dc);
        dc.Detach();
        return r;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        // A control that answers its own colour request (reflection) wins.
        if (CWnd* child = CWnd::FromHandle(reinterpret_cast<HWND>(lParam)); child && child != this) {
            LRESULT res = 0;
            if (child->OnChildNotify(message, wParam, lParam, &res)) return res;
        }
        CDC dc;
        if (!wParam || !dc.Attach(reinterpret_cast<HDC>(wParam))) return 0;
        HBRUSH b = OnCtlColor(&dc, CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), message - WM_CTLCOLORMSGBOX);
        dc.Detach();
        return reinterpret_cast<LRESULT>(b);
    }
    case WM_CLOSE:
        SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    case DM_GETDEFID:
        return LRESULT(MAKELPARAM(int(m_defId), DC_HASDEFID));
    case DM_SETDEFID:
        SetDefID(UINT(wParam));
        return TRUE;
    case WM_NEXTDLGCTL:
        if (lParam) GotoDlgCtrl(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)));
        else if (wParam) PrevDlgCtrl();
        else NextDlgCtrl();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            CWnd* f = CWnd::GetFocus();
            m_hWndFocus = (f && IsChild(f)) ? f->m_hWnd : nullptr;
            return 0;
        }
        if (m_hWndFocus && ::IsWindow(m_hWndFocus)) {
            ::SetFocus(m_hWndFocus);
            return 0;
        }
        if (CWnd* f = CWnd::GetFocus(); f && IsChild(f)) return 0;
        if (CWnd* c = GetNextDlgTabItem(nullptr)) {
            FocusControl(c);
            return 0;
        }
        break;
    case WM_SETFOCUS:
        // A dialog hands the keyboard to its first control.
        if (CWnd* c = GetNextDlgTabItem(nullptr)) FocusControl(c);
        return 0;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

// ---------------------------------------------------------------- the dialog manager

CWnd* CDialog::GetNextDlgTabItem(CWnd* ctrl, BOOL previous) const {
    std::vector<CWnd*> stops;
    for (CWnd* c = GetWindow(GW_CHILD); c; c = c->GetWindow(GW_HWNDNEXT)) {
        if ((c->GetStyle() & WS_TABSTOP) && c->IsWindowVisible() && c->IsWindowEnabled()) stops.push_back(c);
    }
    if (stops.empty()) return nullptr;
    // ctrl may be a control without a tab stop: walk the children in order.
    if (ctrl) {
        std::vector<CWnd*> all;
        for (CWnd* c = GetWindow(GW_CHILD); c; c = c->GetWindow(GW_HWNDNEXT)) all.push_back(c);
        auto pos = std::find(all.begin(), all.end(), ctrl);
        if (pos != all.end()) {
            std::size_t n = all.size();
            std::size_t i = std::size_t(pos - all.begin());
            for (std::size_t k = 1; k <= n; ++k) {
                CWnd* c = all[previous ? (i + n - k) % n : (i + k) % n];
                if (std::find(stops.begin(), stops.end(), c) != stops.end()) return c;
            }
        }
    }
    return previous ? stops.back() : stops.front();
}

void CDialog::FocusControl(CWnd* ctrl) {
    if (!ctrl) return;
    HWND h = ctrl->m_hWnd;
    ::SetFocus(h);
    if (::IsWindow(h) && (DlgCode(h) & DLGC_HASSETSEL)) ::SendMessage(h, EM_SETSEL, 0, -1);
    if (::IsWindow(h)) UpdateDefaultButtonLook(ctrl);
}

void CDialog::UpdateDefaultButtonLook(CWnd* focus) {
    HWND fb = (focus && IsPushButton(focus->m_hWnd)) ? focus->m_hWnd : nullptr;
    for (CWnd* c = GetWindow(GW_CHILD); c; c = c->GetWindow(GW_HWNDNEXT)) {
        UINT code = DlgCode(c->m_hWnd);
        if (!(code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) continue;
        if ((c->GetStyle() & BS_TYPEMASK) == BS_OWNERDRAW) continue;
        bool wantDefault = fb ? c->m_hWnd == fb : UINT(c->GetDlgCtrlID()) == m_defId;
        bool isDefault = (code & DLGC_DEFPUSHBUTTON) != 0;
        if (wantDefault != isDefault)
            c->SendMessage(BM_SETSTYLE, wantDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
}

void NotifyDialogFocus(CWnd* ctrl) {
    if (!ctrl) return;
    if (auto* dlg = dynamic_cast<CDialog*>(ctrl->GetParent())) dlg->UpdateDefaultButtonLook(ctrl);
}

void CDialog::GotoDlgCtrl(CWnd* ctrl) { FocusControl(ctrl); }

void CDialog::NextDlgCtrl() {
    CWnd* f = CWnd::GetFocus();
    FocusControl(GetNextDlgTabItem(f && IsChild(f) ? f : nullptr, FALSE));
}

void CDialog::PrevDlgCtrl() {
    CWnd* f = CWnd::GetFocus();
    FocusControl(GetNextDlgTabItem(f && IsChild(f) ? f : nullptr, TRUE));
}

void CDialog::SetDefID(UINT id) {
    m_defId = id;
    CWnd* f = CWnd::GetFocus();
    UpdateDefaultButtonLook(f && IsChild(f) ? f : nullptr);
}

DWORD CDialog::GetDefID() const { return DWORD(MAKELPARAM(int(m_defId), DC_HASDEFID)); }

BOOL CDialog::PreTranslateMessage(MSG* msg) { return IsDialogMessage(msg); }

BOOL CDialog::IsDialogMessage(MSG* msg) {
    if (!m_hWnd || !msg || msg->message != WM_KEYDOWN) return FALSE;
    CWnd* target = CWnd::FromHandle(msg->hwnd);
    if (!target || (target != this && !IsChild(target))) return FALSE;
    // The direct child of this dialog that holds the target.
    CWnd* ctrl = target;
    while (ctrl && ctrl != this && ctrl->GetParent() != this) ctrl = ctrl->GetParent();
    if (ctrl == this) ctrl = nullptr;
    UINT vk = UINT(msg->wParam);
    UINT code = DlgCode(msg->hwnd, vk, msg);
    if (!::IsWindow(m_hWnd)) return TRUE;
    switch (vk) {
    case VK_TAB:
        if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) return FALSE;
        FocusControl(GetNextDlgTabItem(ctrl, IsKeyDown(VK_SHIFT)));
        return TRUE;
    case VK_RETURN: {
        if (code & DLGC_WANTALLKEYS) return FALSE;
        UINT id = m_defId;
        if (ctrl && IsPushButton(ctrl->m_hWnd)) id = UINT(ctrl->GetDlgCtrlID());
        CWnd* btn = GetDlgItem(int(id));
        if (btn && !btn->IsWindowEnabled()) return TRUE;
        SendMessage(WM_COMMAND, MAKEWPARAM(int(id), BN_CLICKED), reinterpret_cast<LPARAM>(btn ? btn->m_hWnd : nullptr));
        return TRUE;
    }
    case VK_ESCAPE: {
        if (code & DLGC_WANTALLKEYS) return FALSE;
        CWnd* btn = GetDlgItem(IDCANCEL);
        if (btn && !btn->IsWindowEnabled()) return TRUE;
        SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(btn ? btn->m_hWnd : nullptr));
        return TRUE;
    }
    default:
        return FALSE;
    }
}

// ---------------------------------------------------------------- item helpers

int CDialog::MessageBox(const char16_t* text, const char16_t* caption, UINT type) {
    return ::MessageBox(m_hWnd, text, caption, type);
}

void CDialog::SetDlgItemText(int id, const CString& text) {
    if (CWnd* c = GetDlgItem(id)) c->SetWindowText(text);
}

CString CDialog::GetDlgItemText(int id) const {
    CWnd* c = GetDlgItem(id);
    return c ? c->GetWindowText() : CString();
}

void CDialog::CheckDlgButton(int id, UINT check) {
    if (CWnd* c = GetDlgItem(id)) c->SendMessage(BM_SETCHECK, check, 0);
}

UINT CDialog::IsDlgButtonChecked(int id) const {
    CWnd* c = GetDlgItem(id);
    return c ? UINT(c->SendMessage(BM_GETCHECK, 0, 0)) : 0;
}

void CDialog::MapDialogRect(CRect* rect) const {
    if (rect) *rect = DialogUnitsToPixels(*rect, m_baseUnits);
}
