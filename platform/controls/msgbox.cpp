#include "platform/controls/msgbox.h"

#include <algorithm>

#include "platform/controls/button.h"
#include "platform/controls/ctrlutil.h"
#include "platform/controls/dialog.h"
#include "platform/controls/static.h"
#include "platform/gfx/syscolors.h"
#include "platform/win/user.h"

namespace {
CString& AppTitle() {
    static CString title = u"Velmora";
    return title;
}

constexpr int kIcon = 32;
constexpr int kMargin = 12;
constexpr int kButtonW = 75;
constexpr int kButtonH = 23;

class CMessageBoxDlg : public CDialog {
public:
    CMessageBoxDlg(CWnd* owner, const CString& text, const CString& caption, UINT type)
        : CDialog(0, owner), m_text(text), m_type(type) {
        m_tmpl.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | WS_VISIBLE;
        m_tmpl.caption = caption;
        m_tmpl.place = CRect(0, 0, 100, 40);
        SetTemplate(&m_tmpl);
    }

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        CDC dc;
        dc.SelectObject(GetFont() ? GetFont() : ControlFont(this));
        CRect tr(0, 0, 320, 0);
        dc.DrawText(m_text, &tr, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        bool icon = (m_type & MB_ICONMASK) != 0;
        int textLeft = kMargin + (icon ? kIcon + kMargin : 0);
        int bodyH = std::max(icon ? kIcon : 0, tr.Height());
        std::vector<std::pair<int, const char16_t*>> buttons;
        switch (m_type & MB_TYPEMASK) {
        case MB_OKCANCEL: buttons = {{IDOK, u"OK"}, {IDCANCEL, u"Cancel"}}; break;
        case MB_YESNO: buttons = {{IDYES, u"&Yes"}, {IDNO, u"&No"}}; break;
        default: buttons = {{IDOK, u"OK"}}; break;
        }
        int rowW = int(buttons.size()) * kButtonW + (int(buttons.size()) - 1) * 8;
        int clientW = std::max(textLeft + tr.Width() + kMargin, rowW + 2 * kMargin);
        clientW = std::max(clientW, 160);
        int clientH = kMargin + bodyH + kMargin + kButtonH + kMargin;
        CRect text(textLeft, kMargin + (bodyH - tr.Height()) / 2, textLeft + tr.Width() + 1,
                   kMargin + (bodyH - tr.Height()) / 2 + tr.Height());
        m_label.Create(m_text.c_str(), WS_VISIBLE | SS_LEFT | SS_NOPREFIX, text, this, 0xFFFF);
        m_label.SetFont(GetFont());
        int x = (clientW - rowW) / 2, y = kMargin + bodyH + kMargin;
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            auto* b = new CButton;
            b->m_bAutoDelete = true;
            DWORD style = WS_VISIBLE | WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
            b->Create(buttons[i].second, style, CRect(x, y, x + kButtonW, y + kButtonH), this, UINT(buttons[i].first));
            b->SetFont(GetFont());
            x += kButtonW + 8;
        }
        SetDefID(UINT(buttons[0].first));
        CRect wr, cr;
        GetWindowRect(&wr);
        GetClientRect(&cr);
        SetWindowPos(nullptr, 0, 0, clientW + wr.Width() - cr.Width(), clientH + wr.Height() - cr.Height(),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        CenterWindow(m_pParentWnd);
        return TRUE;
    }

    void OnCancel() override {
        switch (m_type & MB_TYPEMASK) {
        case MB_YESNO: return;   // no way out but an answer
        case MB_OKCANCEL: EndDialog(IDCANCEL); return;
        default: EndDialog(IDOK); return;
        }
    }

    void OnOK() override { EndDialog(IDOK); }

    BOOL OnCommand(WPARAM w, LPARAM l) override {
        WORD id = LOWORD(w);
        if (HIWORD(w) == BN_CLICKED && (id == IDYES || id == IDNO)) {
            EndDialog(id);
            return TRUE;
        }
        return CDialog::OnCommand(w, l);
    }

    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        if (msg == WM_PAINT && (m_type & MB_ICONMASK)) {
            CPaintDC dc(this);
            PaintIcon(dc, CPoint(kMargin, kMargin));
            return 0;
        }
        return CDialog::WindowProc(msg, w, l);
    }

private:
    void PaintIcon(CDC& dc, CPoint at) {
        UINT icon = m_type & MB_ICONMASK;
        COLORREF disc = icon == MB_ICONINFORMATION ? RGB(30, 90, 200)
                        : icon == MB_ICONQUESTION  ? RGB(30, 90, 200)
                        : icon == MB_ICONWARNING   ? RGB(240, 200, 0)
                                                   : RGB(200, 30, 30);
        // A round disc with a soft dark rim.
        for (int y = 0; y < kIcon; ++y)
            for (int x = 0; x < kIcon; ++x) {
                double dx = x - 15.5, dy = y - 15.5, d = dx * dx + dy * dy;
                if (d <= 15.5 * 15.5) dc.SetPixel(at.x + x, at.y + y, d > 14.0 * 14.0 ? RGB(20, 40, 90) : disc);
            }
        COLORREF mark = icon == MB_ICONWARNING ? RGB(0, 0, 0) : RGB(255, 255, 255);
        if (icon == MB_ICONINFORMATION) {
            dc.FillSolidRect(CRect(at.x + 14, at.y + 6, at.x + 18, at.y + 10), mark);    // the dot
            dc.FillSolidRect(CRect(at.x + 14, at.y + 12, at.x + 18, at.y + 25), mark);   // the stem
            dc.FillSolidRect(CRect(at.x + 12, at.y + 12, at.x + 14, at.y + 14), mark);
            dc.FillSolidRect(CRect(at.x + 12, at.y + 23, at.x + 20, at.y + 25), mark);
        } else {
            CRect r(at.x, at.y, at.x + kIcon, at.y + kIcon);
            dc.SetBkMode(TRANSPARENT);
            dc.SetTextColor(mark);
            dc.DrawText(icon == MB_ICONQUESTION ? u"?" : icon == MB_ICONWARNING ? u"!" : u"X", &r,
                        DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }

    DialogTemplate m_tmpl;
    CString m_text;
    UINT m_type;
    CStatic m_label;
};
}  // namespace

void SetMessageBoxAppTitle(const CString& title) { AppTitle() = title; }

int MessageBox(HWND owner, const char16_t* text, const char16_t* caption, UINT type) {
    CWnd* o = owner ? CWnd::FromHandle(owner) : CWnd::GetActiveWindow();
    CMessageBoxDlg dlg(o, text ? CString(text) : CString(), caption ? CString(caption) : CString(u"Error"), type);
    return int(dlg.DoModal());
}

int AfxMessageBox(const CString& text, UINT type, UINT) {
    return MessageBox(nullptr, text.c_str(), AppTitle().c_str(), type);
}
