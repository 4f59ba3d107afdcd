#include "platform/controls/datetimectrl.h"

#include <algorithm>
#include <ctime>

#include "platform/base/timefmt.h"
#include "platform/controls/ctrlutil.h"
#include "platform/controls/dialog.h"
#include "platform/gfx/syscolors.h"
#include "platform/win/user.h"

namespace {
enum class Kind { Literal, Hour24, Hour12, Minute, Second, DayName, DayAbbr, Day, MonthName, MonthAbbr, Month, Year4, Year2, AmPm };

struct Field {
    Kind kind = Kind::Literal;
    int width = 0;          // digits: 1 (no padding) or 2
    CString literal;
};

bool Editable(Kind k) { return k != Kind::Literal; }

int DaysIn(int year, int month) {
    static const int d[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : d[(month - 1 + 12) % 12];
}

CString Num(int v, int width) {
    std::string s = std::to_string(v);
    while (int(s.size()) < width) s.insert(s.begin(), '0');
    return FromUtf8(s);
}

CString FieldText(const Field& f, const CivilTime& t) {
    switch (f.kind) {
    case Kind::Literal: return f.literal;
    case Kind::Hour24: return Num(t.hour, f.width);
    case Kind::Hour12: return Num(t.hour % 12 == 0 ? 12 : t.hour % 12, f.width);
    case Kind::Minute: return Num(t.minute, f.width);
    case Kind::Second: return Num(t.second, f.width);
    case Kind::DayName: return FromUtf8(kDayNames[t.weekday % 7]);
    case Kind::DayAbbr: return FromUtf8(std::string(kDayNames[t.weekday % 7]).substr(0, 3));
    case Kind::Day: return Num(t.day, f.width);
    case Kind::MonthName: return FromUtf8(kMonthNames[(t.month + 11) % 12]);
    case Kind::MonthAbbr: return FromUtf8(std::string(kMonthNames[(t.month + 11) % 12]).substr(0, 3));
    case Kind::Month: return Num(t.month, f.width);
    case Kind::Year4: return Num(t.year, 4);
    case Kind::Year2: return Num(t.year % 100, 2);
    case Kind::AmPm: return t.hour < 12 ? u"AM" : u"PM";
    }
    return {};
}

// Digits a typed entry may have, 0 for fields that take none.
int MaxDigits(Kind k) {
    switch (k) {
    case Kind::Year4: return 4;
    case Kind::Hour24: case Kind::Hour12: case Kind::Minute: case Kind::Second:
    case Kind::Day: case Kind::Month: case Kind::Year2: case Kind::MonthName: case Kind::MonthAbbr: return 2;
    default: return 0;
    }
}

std::vector<Field> ParseFormat(const CString& fmt) {
    std::vector<Field> out;
    auto literal = [&](const CString& s) {
        if (!out.empty() && out.back().kind == Kind::Literal) out.back().literal += s;
        else out.push_back(Field{Kind::Literal, 0, s});
    };
    std::size_t i = 0, n = fmt.size();
    while (i < n) {
        char16_t c = fmt[i];
        if (c == u'\'') {
            ++i;
            CString lit;
            if (i < n && fmt[i] == u'\'') {   // '' outside quotes: one quote
                literal(u"'");
                ++i;
                continue;
            }
            while (i < n) {
                if (fmt[i] == u'\'') {
                    if (i + 1 < n && fmt[i + 1] == u'\'') {
                        lit += u'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                lit += fmt[i++];
            }
            literal(lit);
            continue;
        }
        std::size_t run = 1;
        while (i + run < n && fmt[i + run] == c) ++run;
        Field f;
        int w = run >= 2 ? 2 : 1;
        switch (c) {
        case u'H': f = {Kind::Hour24, w, {}}; break;
        case u'h': f = {Kind::Hour12, w, {}}; break;
        case u'm': f = {Kind::Minute, w, {}}; break;
        case u's': f = {Kind::Second, w, {}}; break;
        case u'd': f = run >= 4 ? Field{Kind::DayName, 0, {}} : run == 3 ? Field{Kind::DayAbbr, 0, {}} : Field{Kind::Day, w, {}}; break;
        case u'M': f = run >= 4 ? Field{Kind::MonthName, 0, {}} : run == 3 ? Field{Kind::MonthAbbr, 0, {}} : Field{Kind::Month, w, {}}; break;
        case u'y': f = run >= 3 ? Field{Kind::Year4, 4, {}} : Field{Kind::Year2, 2, {}}; break;
        case u't': f = {Kind::AmPm, 0, {}}; break;
        default:
            literal(CString(run, c));
            i += run;
            continue;
        }
        out.push_back(f);
        i += run;
    }
    return out;
}

constexpr std::int64_t kMin32 = INT32_MIN;
constexpr std::int64_t kMax32 = INT32_MAX;
}  // namespace

struct DateTimeState {
    std::int64_t time = 0;
    CString format;
    std::vector<Field> fields;
    std::vector<int> editable;   // indexes into fields
    int sel = 0;                 // index into editable
    int typed = 0;               // digits typed into the selected field
    int typedValue = 0;
    int spinPressed = 0;         // 1 up, 2 down
};
using DateTimeStates = ControlStateTable<DateTimeState>;

BOOL CDateTimeCtrl::Create(DWORD style, const CRect& rect, CWnd* parent, UINT id) {
    EnsureControlClasses();
    return CWnd::CreateEx(0, WC_DATETIMEPICK, u"", style | WS_CHILD, rect, parent, id);
}


DateTimeState& CDateTimeCtrl::S() const {
    bool fresh = !DateTimeStates::Has(m_hWnd);
    DateTimeState& s = DateTimeStates::Of(m_hWnd);
    if (fresh) {
        s.time = std::int64_t(std::time(nullptr));
        if (s.time > kMax32) s.time = kMax32;
        const_cast<CDateTimeCtrl*>(this)->Parse();
    }
    return s;
}

void CDateTimeCtrl::Parse() {
    DateTimeState& s = DateTimeStates::Of(m_hWnd);
    CString fmt = s.format;
    if (fmt.empty()) {
        DWORD st = GetStyle();
        if ((st & DTS_TIMEFORMAT) == DTS_TIMEFORMAT) fmt = u"HH:mm:ss";
        else if (st & DTS_LONGDATEFORMAT) fmt = u"dddd, MMMM dd, yyyy";
        else fmt = u"M/d/yyyy";
    }
    s.fields = ParseFormat(fmt);
    s.editable.clear();
    for (std::size_t i = 0; i < s.fields.size(); ++i)
        if (Editable(s.fields[i].kind)) s.editable.push_back(int(i));
    s.sel = std::clamp(s.sel, 0, std::max(0, int(s.editable.size()) - 1));
    s.typed = 0;
}

BOOL CDateTimeCtrl::SetTime(std::int64_t t) {
    return BOOL(::SendMessage(m_hWnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t)));
}

std::int64_t CDateTimeCtrl::GetTime() const {
    std::int64_t t = 0;
    ::SendMessage(m_hWnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t));
    return t;
}

BOOL CDateTimeCtrl::SetFormat(const char16_t* format) {
    return BOOL(::SendMessage(m_hWnd, DTM_SETFORMAT, 0, reinterpret_cast<LPARAM>(format)));
}

CString CDateTimeCtrl::GetDisplayText() const {
    DateTimeState& s = S();
    CivilTime c = ToLocalCivil(s.time);
    CString out;
    for (const Field& f : s.fields) out += FieldText(f, c);
    return out;
}

int CDateTimeCtrl::GetFieldCount() const { return int(S().editable.size()); }
int CDateTimeCtrl::GetSelectedField() const { return S().sel; }

CRect CDateTimeCtrl::GetFieldRect(int field) const {
    DateTimeState& s = S();
    if (field < 0 || field >= int(s.editable.size())) return CRect();
    return Layout(nullptr)[std::size_t(s.editable[std::size_t(field)])];
}

CRect CDateTimeCtrl::GetSpinRect(bool up) const {
    CRect rc;
    GetClientRect(&rc);
    int w = GetSystemMetrics(SM_CXVSCROLL);
    CRect spin(rc.right - 2 - w, rc.top + 2, rc.right - 2, rc.bottom - 2);
    int mid = spin.top + spin.Height() / 2;
    return up ? CRect(spin.left, spin.top, spin.right, mid) : CRect(spin.left, mid, spin.right, spin.bottom);
}

std::vector<CRect> CDateTimeCtrl::Layout(std::vector<CString>* texts) const {
    DateTimeState& s = S();
    CDC dc;
    dc.SelectObject(ControlFont(this));
    CRect rc;
    GetClientRect(&rc);
    CivilTime c = ToLocalCivil(s.time);
    std::vector<CRect> rects;
    int x = rc.left + 4;
    for (const Field& f : s.fields) {
        CString t = FieldText(f, c);
        CSize e = dc.GetTextExtent(t);
        int top = rc.top + (rc.Height() - e.cy) / 2;
        rects.emplace_back(x, top, x + e.cx, top + e.cy);
        x += e.cx;
        if (texts) texts->push_back(t);
    }
    return rects;
}

// ---------------------------------------------------------------- changing the time

bool CDateTimeCtrl::Apply(int fi, int value) {
    DateTimeState& s = S();
    CivilTime c = ToLocalCivil(s.time);
    switch (s.fields[std::size_t(fi)].kind) {
    case Kind::Hour24: c.hour = value; break;
    case Kind::Hour12: c.hour = (value % 12) + (c.hour >= 12 ? 12 : 0); break;
    case Kind::AmPm: c.hour = (c.hour % 12) + (value ? 12 : 0); break;
    case Kind::Minute: c.minute = value; break;
    case Kind::Second: c.second = value; break;
    case Kind::Day: c.day = value; break;
    case Kind::DayName:
    case Kind::DayAbbr: c.day = value; break;
    case Kind::Month:
    case Kind::MonthName:
    case Kind::MonthAbbr: c.month = value; break;
    case Kind::Year4: c.year = value; break;
    case Kind::Year2: c.year = (c.year / 100) * 100 + value; break;
    case Kind::Literal: return false;
    }
    c.day = std::min(c.day, DaysIn(c.year, c.month));
    std::int64_t t = FromLocalCivil(c);
    CivilTime back = ToLocalCivil(t);
    if (t < kMin32 || t > kMax32 || back.year != c.year || back.month != c.month || back.day != c.day) return false;
    if (t == s.time) return true;
    s.time = t;
    Invalidate(FALSE);
    Notify();
    return true;
}

void CDateTimeCtrl::Step(int delta) {
    DateTimeState& s = S();
    if (s.editable.empty()) return;
    FinishTyping();
    int fi = s.editable[std::size_t(s.sel)];
    CivilTime c = ToLocalCivil(s.time);
    auto wrap = [](int v, int lo, int hi) { int n = hi - lo + 1; return lo + ((v - lo) % n + n) % n; };
    switch (s.fields[std::size_t(fi)].kind) {
    case Kind::Hour24: Apply(fi, wrap(c.hour + delta, 0, 23)); break;
    case Kind::Hour12: Apply(fi, wrap(c.hour % 12 + delta, 0, 11)); break;
    case Kind::AmPm: Apply(fi, c.hour < 12 ? 1 : 0); break;
    case Kind::Minute: Apply(fi, wrap(c.minute + delta, 0, 59)); break;
    case Kind::Second: Apply(fi, wrap(c.second + delta, 0, 59)); break;
    case Kind::Day:
    case Kind::DayName:
    case Kind::DayAbbr: Apply(fi, wrap(c.day + delta, 1, DaysIn(c.year, c.month))); break;
    case Kind::Month:
    case Kind::MonthName:
    case Kind::MonthAbbr: Apply(fi, wrap(c.month + delta, 1, 12)); break;
    case Kind::Year4:
    case Kind::Year2: {
        // Years step without wrapping; the 32-bit limits refuse the step.
        CivilTime n = c;
        n.year += delta;
        n.day = std::min(n.day, DaysIn(n.year, n.month));
        Apply(fi, s.fields[std::size_t(fi)].kind == Kind::Year4 ? n.year : n.year % 100);
        break;
    }
    case Kind::Literal: break;
    }
}

void CDateTimeCtrl::TypeDigit(int d) {
    DateTimeState& s = S();
    if (s.editable.empty()) return;
    int fi = s.editable[std::size_t(s.sel)];
    Kind k = s.fields[std::size_t(fi)].kind;
    int maxDigits = MaxDigits(k);
    if (maxDigits == 0) return;
    int v = s.typed ? s.typedValue * 10 + d : d;
    int count = s.typed + 1;
    auto valid = [&](int x) {
        CivilTime c = ToLocalCivil(s.time);
        switch (k) {
        case Kind::Hour24: return x <= 23;
        case Kind::Hour12: return x >= 1 && x <= 12;
        case Kind::Minute: case Kind::Second: return x <= 59;
        case Kind::Day: return x >= 1 && x <= DaysIn(c.year, c.month);
        case Kind::Month: case Kind::MonthName: case Kind::MonthAbbr: return x >= 1 && x <= 12;
        default: return true;
        }
    };
    if (count > maxDigits || (!valid(v) && count == maxDigits && k != Kind::Year4)) {
        v = d;
        count = 1;
    }
    s.typedValue = v;
    s.typed = count;
    if (k == Kind::Year4) {
        // A year is taken when all four digits are there.
        if (count == 4) {
            s.typed = 0;
            Apply(fi, v);
        }
        Invalidate(FALSE);
        return;
    }
    if (valid(v)) {
        Apply(fi, k == Kind::Hour12 ? v % 12 : v);
        // Full, or no further digit could keep it valid: go on to the next field.
        if (count == maxDigits || !valid(v * 10)) {
            s.typed = 0;
            if (s.sel + 1 < int(s.editable.size())) SelectField(s.sel + 1);
        }
    }
}

void CDateTimeCtrl::FinishTyping() {
    DateTimeState& s = S();
    if (!s.typed || s.editable.empty()) return;
    int fi = s.editable[std::size_t(s.sel)];
    int v = s.typedValue;
    s.typed = 0;
    if (s.fields[std::size_t(fi)].kind == Kind::Year4) Apply(fi, v);
}

void CDateTimeCtrl::SelectField(int editable) {
    DateTimeState& s = S();
    editable = std::clamp(editable, 0, std::max(0, int(s.editable.size()) - 1));
    if (editable != s.sel) FinishTyping();
    s.sel = editable;
    s.typed = 0;
    Invalidate(FALSE);
}

void CDateTimeCtrl::Notify() {
    HWND parent = ::GetParent(m_hWnd);
    if (!parent) return;
    NMDATETIMECHANGE nm;
    nm.nmhdr.hwndFrom = m_hWnd;
    nm.nmhdr.idFrom = UINT_PTR(GetDlgCtrlID());
    nm.nmhdr.code = DTN_DATETIMECHANGE;
    nm.time = S().time;
    ::SendMessage(parent, WM_NOTIFY, nm.nmhdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

// ---------------------------------------------------------------- messages

LRESULT CDateTimeCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND self = m_hWnd;
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case DTM_SETSYSTEMTIME: {
        auto* t = reinterpret_cast<const std::int64_t*>(lParam);
        if (wParam != GDT_VALID || !t || *t < kMin32 || *t > kMax32) return FALSE;
        DateTimeState& s = S();
        s.time = *t;
        s.typed = 0;
        Invalidate(FALSE);
        return TRUE;
    }
    case DTM_GETSYSTEMTIME: {
        auto* t = reinterpret_cast<std::int64_t*>(lParam);
        if (t) *t = S().time;
        return GDT_VALID;
    }
    case DTM_SETFORMAT: {
        auto* f = reinterpret_cast<const char16_t*>(lParam);
        S().format = f ? CString(f) : CString();
        Parse();
        Invalidate(FALSE);
        return TRUE;
    }
    case WM_KEYDOWN: {
        DateTimeState& s = S();
        switch (wParam) {
        case VK_LEFT: SelectField(s.sel - 1); break;
        case VK_RIGHT: SelectField(s.sel + 1); break;
        case VK_HOME: SelectField(0); break;
        case VK_END: SelectField(int(s.editable.size()) - 1); break;
        case VK_UP: Step(+1); break;
        case VK_DOWN: Step(-1); break;
        default: break;
        }
        return 0;
    }
    case WM_CHAR:
        if (wParam >= u'0' && wParam <= u'9') TypeDigit(int(wParam - u'0'));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (GetFocus() != this) {
            ::SetFocus(self);
            if (!::IsWindow(self)) return 0;
        }
        CPoint pt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        DateTimeState& s = S();
        if (GetSpinRect(true).PtInRect(pt) || GetSpinRect(false).PtInRect(pt)) {
            bool up = GetSpinRect(true).PtInRect(pt);
            s.spinPressed = up ? 1 : 2;
            SetCapture();
            Step(up ? +1 : -1);
            Invalidate(FALSE);
            return 0;
        }
        // The field nearest to the press.
        std::vector<CRect> rects = Layout(nullptr);
        int best = -1, bestDist = 1 << 30;
        for (std::size_t i = 0; i < s.editable.size(); ++i) {
            const CRect& r = rects[std::size_t(s.editable[i])];
            int d = pt.x < r.left ? r.left - pt.x : pt.x >= r.right ? pt.x - r.right + 1 : 0;
            if (d < bestDist) {
                bestDist = d;
                best = int(i);
            }
        }
        if (best >= 0) SelectField(best);
        return 0;
    }
    case WM_LBUTTONUP:
        if (S().spinPressed) {
            S().spinPressed = 0;
            if (GetCapture() == this) ::ReleaseCapture();
            Invalidate(FALSE);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (DateTimeStates::Has(self) && S().spinPressed) {
            S().spinPressed = 0;
            Invalidate(FALSE);
        }
        return 0;
    case WM_SETFOCUS:
        Invalidate(FALSE);
        NotifyDialogFocus(this);
        return 0;
    case WM_KILLFOCUS:
        FinishTyping();
        Invalidate(FALSE);
        return 0;
    case WM_ENABLE:
        Invalidate(FALSE);
        return 0;
    case WM_GETTEXT:
        return CopyTextOut(GetDisplayText(), wParam, lParam);
    case WM_GETTEXTLENGTH:
        return LRESULT(GetDisplayText().size());
    case WM_NCDESTROY:
        DateTimeStates::Drop(self);
        break;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CDateTimeCtrl::OnPaint() {
    CPaintDC dc(this);
    DateTimeState& s = S();
    CRect rc;
    GetClientRect(&rc);
    CDCStateScope keep(dc);
    dc.SelectObject(ControlFont(this));
    bool enabled = IsWindowEnabled() != FALSE;
    CRect inner = rc;
    COLORREF textColour = PaintFieldBackground(this, dc, &inner, !(GetExStyle() & WS_EX_CLIENTEDGE));
    std::vector<CString> texts;
    std::vector<CRect> rects = Layout(&texts);
    CRect up = GetSpinRect(true), down = GetSpinRect(false);
    dc.IntersectClipRect(CRect(inner.left, inner.top, up.left, inner.bottom));
    dc.SetBkMode(TRANSPARENT);
    bool focused = GetFocus() == this;
    int selField = s.editable.empty() ? -1 : s.editable[std::size_t(s.sel)];
    for (std::size_t i = 0; i < rects.size(); ++i) {
        bool hot = focused && int(i) == selField;
        if (hot) dc.FillSolidRect(rects[i], GetSysColor(COLOR_HIGHLIGHT));
        dc.SetTextColor(hot ? GetSysColor(COLOR_HIGHLIGHTTEXT) : textColour);
        dc.TextOut(rects[i].left, rects[i].top, texts[i]);
    }
    dc.SelectClipRgn(nullptr);
    // The spin buttons.
    for (int k = 0; k < 2; ++k) {
        CRect b = k == 0 ? up : down;
        bool pressed = s.spinPressed == k + 1;
        PaintPushFace(dc, b, pressed);
        COLORREF arrow = enabled ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_GRAYTEXT);
        CPoint c = b.CenterPoint();
        if (pressed) c.Offset(1, 1);
        for (int i = 0; i < 3; ++i) {
            int y = k == 0 ? c.y - 1 + i : c.y + 1 - i;
            dc.FillSolidRect(CRect(c.x - i, y, c.x + i + 1, y + 1), arrow);
        }
    }
}
