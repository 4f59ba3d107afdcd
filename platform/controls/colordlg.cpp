#include "platform/controls/colordlg.h"

#include <algorithm>
#include <string>

#include "platform/controls/button.h"
#include "platform/controls/ctrlutil.h"
#include "platform/controls/edit.h"
#include "platform/controls/static.h"
#include "platform/gfx/syscolors.h"
#include "platform/win/user.h"

namespace {
constexpr int kHlsMax = 240;
constexpr int kRgbMax = 255;

const COLORREF kBasic[48] = {
    RGB(255, 128, 128), RGB(255, 255, 128), RGB(128, 255, 128), RGB(0, 255, 128),
    RGB(128, 255, 255), RGB(0, 128, 255),   RGB(255, 128, 192), RGB(255, 128, 255),
    RGB(255, 0, 0),     RGB(255, 255, 0),   RGB(128, 255, 0),   RGB(0, 255, 64),
    RGB(0, 255, 255),   RGB(0, 128, 192),   RGB(128, 128, 192), RGB(255, 0, 255),
    RGB(128, 64, 64),   RGB(255, 128, 64),  RGB(0, 255, 0),     RGB(0, 128, 128),
    RGB(0, 64, 128),    RGB(128, 128, 255), RGB(128, 0, 64),    RGB(255, 0, 128),
    RGB(128, 0, 0),     RGB(255, 128, 0),   RGB(0, 128, 0),     RGB(0, 128, 64),
    RGB(0, 0, 255),     RGB(0, 0, 160),     RGB(128, 0, 128),   RGB(128, 0, 255),
    RGB(64, 0, 0),      RGB(128, 64, 0),    RGB(0, 64, 0),      RGB(0, 64, 64),
    RGB(0, 0, 128),     RGB(0, 0, 64),      RGB(64, 0, 64),     RGB(64, 0, 128),
    RGB(0, 0, 0),       RGB(128, 128, 0),   RGB(128, 128, 64),  RGB(128, 128, 128),
    RGB(64, 128, 128),  RGB(192, 192, 192), RGB(64, 32, 64),    RGB(255, 255, 255),
};

int HueToRgb(int n1, int n2, int hue) {
    if (hue < 0) hue += kHlsMax;
    if (hue > kHlsMax) hue -= kHlsMax;
    if (hue < kHlsMax / 6) return n1 + (((n2 - n1) * hue + kHlsMax / 12) / (kHlsMax / 6));
    if (hue < kHlsMax / 2) return n2;
    if (hue < kHlsMax * 2 / 3) return n1 + (((n2 - n1) * (kHlsMax * 2 / 3 - hue) + kHlsMax / 12) / (kHlsMax / 6));
    return n1;
}

// Layout of the full dialog, in pixels.
constexpr int kSwW = 24, kSwH = 20;            // swatch cell
constexpr int kLeft = 8, kBasicTop = 24, kCustomTop = 172;
constexpr int kSpecX = 236, kSpecY = 10, kSpecW = 180, kSpecH = 180;
constexpr int kLumX = 426, kLumW = 12;
constexpr int kClientW = 462, kClientH = 306;
}  // namespace

void RgbToHls(COLORREF rgb, int* hue, int* lum, int* sat) {
    int r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
    int mx = std::max({r, g, b}), mn = std::min({r, g, b});
    int l = ((mx + mn) * kHlsMax + kRgbMax) / (2 * kRgbMax);
    int h = kHlsMax * 2 / 3, s = 0;   // greys keep the hue at 160
    if (mx != mn) {
        if (l <= kHlsMax / 2) s = ((mx - mn) * kHlsMax + (mx + mn) / 2) / (mx + mn);
        else s = ((mx - mn) * kHlsMax + (2 * kRgbMax - mx - mn) / 2) / (2 * kRgbMax - mx - mn);
        int rd = ((mx - r) * (kHlsMax / 6) + (mx - mn) / 2) / (mx - mn);
        int gd = ((mx - g) * (kHlsMax / 6) + (mx - mn) / 2) / (mx - mn);
        int bd = ((mx - b) * (kHlsMax / 6) + (mx - mn) / 2) / (mx - mn);
        if (r == mx) h = bd - gd;
        else if (g == mx) h = kHlsMax / 3 + rd - bd;
        else h = kHlsMax * 2 / 3 + gd - rd;
        if (h < 0) h += kHlsMax;
        if (h >= kHlsMax) h -= kHlsMax;
    }
    if (hue) *hue = h;
    if (lum) *lum = l;
    if (sat) *sat = s;
}

COLORREF HlsToRgb(int hue, int lum, int sat) {
    hue = std::clamp(hue, 0, kHlsMax - 1);
    lum = std::clamp(lum, 0, kHlsMax);
    sat = std::clamp(sat, 0, kHlsMax);
    if (sat == 0) {
        int v = (lum * kRgbMax + kHlsMax / 2) / kHlsMax;
        return RGB(v, v, v);
    }
    int m2 = lum <= kHlsMax / 2 ? (lum * (kHlsMax + sat) + kHlsMax / 2) / kHlsMax
                                : lum + sat - ((lum * sat) + kHlsMax / 2) / kHlsMax;
    int m1 = 2 * lum - m2;
    auto ch = [&](int h) { return std::clamp((HueToRgb(m1, m2, h) * kRgbMax + kHlsMax / 2) / kHlsMax, 0, 255); };
    return RGB(ch(hue + kHlsMax / 3), ch(hue), ch(hue - kHlsMax / 3));
}

COLORREF* CColorDialog::GetSavedCustomColors() {
    static COLORREF custom[16] = {
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)};
    return custom;
}

const COLORREF* CColorDialog::BasicColors() { return kBasic; }

CColorDialog::CColorDialog(COLORREF initial, DWORD flags, CWnd* parent) : CDialog(0, parent) {
    m_cc.rgbResult = initial;
    m_cc.Flags = flags | CC_RGBINIT;
    m_cc.hwndOwner = parent ? parent->m_hWnd : nullptr;
    m_tmpl.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | WS_VISIBLE;
    m_tmpl.caption = u"Color";
    m_tmpl.place = CRect(0, 0, 100, 100);   // sized in pixels at initialisation
    SetTemplate(&m_tmpl);
}

INT_PTR CColorDialog::DoModal() {
    if (!m_pParentWnd && m_cc.hwndOwner) m_pParentWnd = CWnd::FromHandle(m_cc.hwndOwner);
    return CDialog::DoModal();
}

CRect CColorDialog::BasicSwatchRect(int i) const {
    int x = kLeft + (i % 8) * kSwW, y = kBasicTop + (i / 8) * kSwH;
    return CRect(x + 3, y + 3, x + kSwW - 3, y + kSwH - 3);
}
CRect CColorDialog::CustomSwatchRect(int i) const {
    int x = kLeft + (i % 8) * kSwW, y = kCustomTop + (i / 8) * kSwH;
    return CRect(x + 3, y + 3, x + kSwW - 3, y + kSwH - 3);
}
CRect CColorDialog::SpectrumRect() const { return CRect(kSpecX, kSpecY, kSpecX + kSpecW, kSpecY + kSpecH); }
CRect CColorDialog::LuminanceRect() const { return CRect(kLumX, kSpecY, kLumX + kLumW, kSpecY + kSpecH); }

CEdit* CColorDialog::Field(int id) const { return dynamic_cast<CEdit*>(GetDlgItem(id)); }

BOOL CColorDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    const COLORREF* custom = m_cc.lpCustColors ? m_cc.lpCustColors : GetSavedCustomColors();
    std::copy(custom, custom + 16, m_custom);
    bool full = (m_cc.Flags & CC_FULLOPEN) && !(m_cc.Flags & CC_PREVENTFULLOPEN);
    int clientW = full ? kClientW : kSpecX - 4;
    CFont* font = GetFont();
    auto label = [&](const char16_t* text, int x, int y, int w, DWORD align = SS_LEFT) {
        auto* s = new CStatic;
        s->m_bAutoDelete = true;
        s->Create(text, WS_VISIBLE | align, CRect(x, y, x + w, y + 16), this, 0xFFFF);
        s->SetFont(font);
    };
    auto button = [&](const char16_t* text, int id, int x, int y, int w, DWORD extra = 0) {
        auto* b = new CButton;
        b->m_bAutoDelete = true;
        b->Create(text, WS_VISIBLE | WS_TABSTOP | extra, CRect(x, y, x + w, y + 23), this, UINT(id));
        b->SetFont(font);
        return b;
    };
    label(u"Basic colors:", kLeft, 6, 200);
    label(u"Custom colors:", kLeft, kCustomTop - 18, 200);
    CButton* mix = button(u"Define Custom Colors >>", IDC_COLOR_MIX, kLeft, 220, 192);
    if (full) mix->EnableWindow(FALSE);
    button(u"OK", IDOK, kLeft, 270, 60, BS_DEFPUSHBUTTON);
    button(u"Cancel", IDCANCEL, kLeft + 66, 270, 60);
    if (full) {
        label(u"Color|Solid", kSpecX - 8, 240, 66, SS_CENTER);
        struct F {
            const char16_t* name;
            int id, x, y;
        } fields[] = {{u"Hue:", IDC_COLOR_HUE, 332, 198}, {u"Sat:", IDC_COLOR_SAT, 332, 222},
                      {u"Lum:", IDC_COLOR_LUM, 332, 246}, {u"Red:", IDC_COLOR_RED, 416, 198},
                      {u"Green:", IDC_COLOR_GREEN, 416, 222}, {u"Blue:", IDC_COLOR_BLUE, 416, 246}};
        for (const F& f : fields) {
            label(f.name, f.x - 40, f.y + 3, 38, SS_RIGHT);
            auto* e = new CEdit;
            e->m_bAutoDelete = true;
            e->CreateEx(WS_EX_CLIENTEDGE, WC_EDIT, u"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_NUMBER,
                        CRect(f.x, f.y, f.x + 34, f.y + 20), this, UINT(f.id));
            e->SetFont(font);
            e->SetLimitText(3);
        }
        button(u"Add to Custom Colors", IDC_COLOR_ADD, kSpecX, 270, kClientW - kSpecX - 8);
        BuildSpectrum();
    }
    SetDefID(IDOK);
    CRect wr, cr;
    GetWindowRect(&wr);
    GetClientRect(&cr);
    SetWindowPos(nullptr, 0, 0, clientW + wr.Width() - cr.Width(), kClientH + wr.Height() - cr.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterWindow(m_pParentWnd);
    SetCurrentColor(m_cc.rgbResult);
    for (int i = 0; i < 48; ++i)
        if (kBasic[i] == m_current) {
            m_selBasic = i;
            break;
        }
    return TRUE;
}

void CColorDialog::BuildSpectrum() {
    std::vector<std::uint32_t> bits(std::size_t(kSpecW) * kSpecH);
    for (int y = 0; y < kSpecH; ++y)
        for (int x = 0; x < kSpecW; ++x) {
            int hue = x * (kHlsMax - 1) / (kSpecW - 1);
            int sat = kHlsMax - y * kHlsMax / (kSpecH - 1);
            bits[std::size_t(y) * kSpecW + std::size_t(x)] = ToPixel(HlsToRgb(hue, kHlsMax / 2, sat));
        }
    m_spectrum.DeleteObject();
    m_spectrum.CreateBitmap(kSpecW, kSpecH, 1, 32, bits.data());
}

void CColorDialog::SetCurrentColor(COLORREF c) {
    m_current = c & 0x00FFFFFF;
    RgbToHls(m_current, &m_hue, &m_lum, &m_sat);
    UpdateFields();
    if (m_hWnd) Invalidate(FALSE);
}

void CColorDialog::SetFromHls(int hue, int lum, int sat) {
    m_hue = std::clamp(hue, 0, kHlsMax - 1);
    m_lum = std::clamp(lum, 0, kHlsMax);
    m_sat = std::clamp(sat, 0, kHlsMax);
    m_current = HlsToRgb(m_hue, m_lum, m_sat);
    m_selBasic = m_selCustom = -1;
    UpdateFields();
    if (m_hWnd) Invalidate(FALSE);
}

void CColorDialog::UpdateFields() {
    if (!m_hWnd) return;
    m_updating = true;
    auto set = [&](int id, int v) {
        if (CWnd* e = GetDlgItem(id)) {
            CString t = FromUtf8(std::to_string(v));
            if (e->GetWindowText() != t) e->SetWindowText(t);
        }
    };
    set(IDC_COLOR_HUE, m_hue);
    set(IDC_COLOR_SAT, m_sat);
    set(IDC_COLOR_LUM, m_lum);
    set(IDC_COLOR_RED, GetRValue(m_current));
    set(IDC_COLOR_GREEN, GetGValue(m_current));
    set(IDC_COLOR_BLUE, GetBValue(m_current));
    m_updating = false;
}

void CColorDialog::OnFieldChanged(int id) {
    if (m_updating) return;
    CWnd* e = GetDlgItem(id);
    if (!e) return;
    std::string s = ToUtf8(e->GetWindowText());
    if (s.empty()) return;   // wait for a number
    int v = std::atoi(s.c_str());
    int hi = (id == IDC_COLOR_HUE) ? kHlsMax - 1 : (id <= IDC_COLOR_LUM) ? kHlsMax : 255;
    if (v > hi) {
        // Too large a number is brought back to the field's limit.
        v = hi;
        m_updating = true;
        e->SetWindowText(FromUtf8(std::to_string(v)));
        e->SendMessage(EM_SETSEL, 0, -1);
        m_updating = false;
    }
    if (id == IDC_COLOR_HUE) SetFromHls(v, m_lum, m_sat);
    else if (id == IDC_COLOR_SAT) SetFromHls(m_hue, m_lum, v);
    else if (id == IDC_COLOR_LUM) SetFromHls(m_hue, v, m_sat);
    else {
        int r = GetRValue(m_current), g = GetGValue(m_current), b = GetBValue(m_current);
        if (id == IDC_COLOR_RED) r = v;
        else if (id == IDC_COLOR_GREEN) g = v;
        else b = v;
        m_selBasic = m_selCustom = -1;
        m_current = RGB(r, g, b);
        RgbToHls(m_current, &m_hue, &m_lum, &m_sat);
        UpdateFields();
        Invalidate(FALSE);
    }
}

void CColorDialog::OnOK() {
    m_cc.rgbResult = m_current;
    COLORREF* custom = m_cc.lpCustColors ? m_cc.lpCustColors : GetSavedCustomColors();
    std::copy(m_custom, m_custom + 16, custom);
    EndDialog(IDOK);
}

BOOL CColorDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    WORD id = LOWORD(wParam), code = HIWORD(wParam);
    if (code == EN_CHANGE && id >= IDC_COLOR_HUE && id <= IDC_COLOR_BLUE) {
        OnFieldChanged(id);
        return TRUE;
    }
    if (code == BN_CLICKED && id == IDC_COLOR_ADD) {
        int slot = m_selCustom >= 0 ? m_selCustom : m_nextCustom;
        m_custom[slot] = m_current;
        m_nextCustom = (slot + 1) % 16;
        m_selCustom = -1;
        Invalidate(FALSE);
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CColorDialog::OnLButtonDown(CPoint pt) {
    for (int i = 0; i < 48; ++i) {
        if (BasicSwatchRect(i).inflated(2, 2).PtInRect(pt)) {
            SetCurrentColor(kBasic[i]);
            m_selBasic = i;
            m_selCustom = -1;
            return;
        }
    }
    for (int i = 0; i < 16; ++i) {
        if (CustomSwatchRect(i).inflated(2, 2).PtInRect(pt)) {
            SetCurrentColor(m_custom[i]);
            m_selCustom = i;
            m_selBasic = -1;
            return;
        }
    }
    if (m_spectrum.IsNull()) return;
    if (SpectrumRect().PtInRect(pt)) m_tracking = 1;
    else if (LuminanceRect().inflated(4, 0).PtInRect(pt)) m_tracking = 2;
    else return;
    SetCapture();
    Track(pt);
}

void CColorDialog::Track(CPoint pt) {
    CRect sp = SpectrumRect();
    if (m_tracking == 1) {
        int x = std::clamp(pt.x - sp.left, 0, kSpecW - 1), y = std::clamp(pt.y - sp.top, 0, kSpecH - 1);
        // A grey has no hue to keep: taking a spectrum point brings it to the middle luminance.
        int lum = (m_sat == 0 && (m_lum == 0 || m_lum == kHlsMax)) ? kHlsMax / 2 : m_lum;
        SetFromHls(x * (kHlsMax - 1) / (kSpecW - 1), lum, kHlsMax - y * kHlsMax / (kSpecH - 1));
    } else if (m_tracking == 2) {
        int y = std::clamp(pt.y - sp.top, 0, kSpecH - 1);
        SetFromHls(m_hue, kHlsMax - y * kHlsMax / (kSpecH - 1), m_sat);
    }
}

LRESULT CColorDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnLButtonDown(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
        return 0;
    case WM_MOUSEMOVE:
        if (m_tracking) Track(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
        return 0;
    case WM_LBUTTONUP:
        if (m_tracking) {
            m_tracking = 0;
            if (GetCapture() == this) ::ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        m_tracking = 0;
        return 0;
    default:
        break;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void CColorDialog::OnPaint() {
    CPaintDC dc(this);
    CDCStateScope keep(dc);
    auto swatch = [&](const CRect& r, COLORREF c, bool selected) {
        CRect e = r.inflated(1, 1);
        dc.DrawEdge(&e, EDGE_SUNKEN, BF_RECT);
        dc.FillSolidRect(r, c);
        if (selected) {
            CBrush black(RGB(0, 0, 0));
            dc.FrameRect(r.inflated(3, 3), &black);
            dc.DrawFocusRect(r.inflated(2, 2));
        }
    };
    for (int i = 0; i < 48; ++i) swatch(BasicSwatchRect(i), kBasic[i], i == m_selBasic);
    for (int i = 0; i < 16; ++i) swatch(CustomSwatchRect(i), m_custom[i], i == m_selCustom);
    if (m_spectrum.IsNull()) return;
    CRect sp = SpectrumRect();
    CRect se = sp.inflated(2, 2);
    dc.DrawEdge(&se, EDGE_SUNKEN, BF_RECT);
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    CBitmap* old = mem.SelectObject(&m_spectrum);
    dc.BitBlt(sp.left, sp.top, kSpecW, kSpecH, &mem, 0, 0, SRCCOPY);
    mem.SelectObject(old);
    // The cross-hair at the current hue and saturation.
    int cx = sp.left + m_hue * (kSpecW - 1) / (kHlsMax - 1);
    int cy = sp.top + (kHlsMax - m_sat) * (kSpecH - 1) / kHlsMax;
    dc.IntersectClipRect(sp);
    for (int k = 3; k <= 8; ++k) {
        dc.FillSolidRect(CRect(cx - k, cy - 1, cx - k + 1, cy + 2), RGB(0, 0, 0));
        dc.FillSolidRect(CRect(cx + k, cy - 1, cx + k + 1, cy + 2), RGB(0, 0, 0));
        dc.FillSolidRect(CRect(cx - 1, cy - k, cx + 2, cy - k + 1), RGB(0, 0, 0));
        dc.FillSolidRect(CRect(cx - 1, cy + k, cx + 2, cy + k + 1), RGB(0, 0, 0));
    }
    dc.SelectClipRgn(nullptr);
    // The luminance bar at the current hue and saturation, and its arrow.
    CRect lr = LuminanceRect();
    CRect le = lr.inflated(2, 2);
    dc.DrawEdge(&le, EDGE_SUNKEN, BF_RECT);
    for (int y = 0; y < kSpecH; ++y)
        dc.FillSolidRect(CRect(lr.left, lr.top + y, lr.right, lr.top + y + 1),
                         HlsToRgb(m_hue, kHlsMax - y * kHlsMax / (kSpecH - 1), m_sat));
    COLORREF face;
    GetDialogColors(&face, nullptr);
    dc.FillSolidRect(CRect(lr.right + 2, lr.top - 6, lr.right + 12, lr.bottom + 6), face);
    int ay = lr.top + (kHlsMax - m_lum) * (kSpecH - 1) / kHlsMax;
    for (int i = 0; i < 6; ++i) dc.FillSolidRect(CRect(lr.right + 3 + i, ay - (5 - i), lr.right + 4 + i, ay + (6 - i)), RGB(0, 0, 0));
    // The current colour.
    CRect pv(kSpecX, 198, kSpecX + 50, 236);
    CRect pe = pv.inflated(1, 1);
    dc.DrawEdge(&pe, EDGE_SUNKEN, BF_RECT);
    dc.FillSolidRect(pv, m_current);
}
