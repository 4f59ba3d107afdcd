#include "platform/controls/edit.h"

#include <algorithm>

#include "platform/controls/ctrlutil.h"
#include "platform/controls/dialog.h"
#include "platform/gfx/syscolors.h"
#include "platform/win/user.h"

struct EditState {
    CString text;
    int anchor = 0;
    int caret = 0;
    int scrollX = 0;     // single-line: pixels scrolled sideways
    int firstLine = 0;   // multi-line: first visible line
    CString undoText;
    int undoAnchor = 0;
    int undoCaret = 0;
    bool canUndo = false;
    bool modified = false;
    int limit = 30000;
    bool selecting = false;
    int desiredX = -1;   // kept across Up/Down
    int barMax = -1, barPage = -1, barPos = -1;
    bool vbar = false;   // created with WS_VSCROLL
    // The last wrapping, reused while text, width and style stay the same.
    CString layoutText;
    int layoutWidth = -1;
    DWORD layoutStyle = 0;
    std::vector<std::pair<int, int>> layout;
};
using EditStates = ControlStateTable<EditState>;

namespace {
bool IsWordChar(char16_t c) { return c != u' ' && c != u'\t' && c != u'\r' && c != u'\n'; }

// A measuring context with the edit's font.
class MeasureDC : public CDC {
public:
    explicit MeasureDC(const CWnd* w) { SelectObject(ControlFont(w)); }
};
}  // namespace

// ---------------------------------------------------------------- creation and API

BOOL CEdit::Create(DWORD style, const CRect& rect, CWnd* parent, UINT id) {
    EnsureControlClasses();
    return CWnd::CreateEx(0, WC_EDIT, u"", style | WS_CHILD, rect, parent, id);
}


EditState& CEdit::S() const { return EditStates::Of(m_hWnd); }
bool CEdit::Multi() const { return (GetStyle() & ES_MULTILINE) != 0; }

void CEdit::GetSel(int& start, int& end) const {
    LRESULT r = ::SendMessage(m_hWnd, EM_GETSEL, 0, 0);
    start = LOWORD(std::uintptr_t(r));
    end = HIWORD(std::uintptr_t(r));
}
void CEdit::SetSel(int start, int end, BOOL) { ::SendMessage(m_hWnd, EM_SETSEL, WPARAM(start), LPARAM(end)); }
void CEdit::ReplaceSel(const char16_t* text, BOOL canUndo) {
    ::SendMessage(m_hWnd, EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text));
}
void CEdit::SetLimitText(UINT max) { ::SendMessage(m_hWnd, EM_LIMITTEXT, max, 0); }
BOOL CEdit::CanUndo() const { return BOOL(::SendMessage(m_hWnd, EM_CANUNDO, 0, 0)); }
BOOL CEdit::Undo() { return BOOL(SendMessage(EM_UNDO)); }
void CEdit::EmptyUndoBuffer() { SendMessage(EM_EMPTYUNDOBUFFER); }
BOOL CEdit::GetModify() const { return BOOL(::SendMessage(m_hWnd, EM_GETMODIFY, 0, 0)); }
void CEdit::SetModify(BOOL modified) { SendMessage(EM_SETMODIFY, modified); }
int CEdit::GetLineCount() const { return int(::SendMessage(m_hWnd, EM_GETLINECOUNT, 0, 0)); }
int CEdit::GetFirstVisibleLine() const { return int(::SendMessage(m_hWnd, EM_GETFIRSTVISIBLELINE, 0, 0)); }
int CEdit::LineIndex(int line) const { return int(::SendMessage(m_hWnd, EM_LINEINDEX, WPARAM(line), 0)); }
int CEdit::LineFromChar(int index) const { return int(::SendMessage(m_hWnd, EM_LINEFROMCHAR, WPARAM(index), 0)); }
BOOL CEdit::SetReadOnly(BOOL readOnly) { return BOOL(SendMessage(EM_SETREADONLY, readOnly)); }

// ---------------------------------------------------------------- messages

LRESULT CEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND self = m_hWnd;
    switch (message) {
    case WM_GETDLGCODE: {
        UINT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        if (Multi()) {
            code |= DLGC_WANTALLKEYS;
            if (auto* m = reinterpret_cast<MSG*>(lParam); m && m->message == WM_KEYDOWN) {
                // Enter belongs to the dialog unless the edit wants it; Esc
                // and Tab always do.
                if ((m->wParam == VK_RETURN && !(GetStyle() & ES_WANTRETURN)) || m->wParam == VK_ESCAPE ||
                    m->wParam == VK_TAB)
                    code &= ~DLGC_WANTALLKEYS;
            }
        }
        return code;
    }
    case WM_CREATE: {
        // The creation text (a template's) is the first content.
        auto* cs = reinterpret_cast<CREATESTRUCT*>(lParam);
        S().vbar = cs && (cs->style & WS_VSCROLL);
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName))
            WindowProc(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(cs->lpszName));
        return 0;
    }
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTEXT: {
        EditState& s = S();
        auto* t = reinterpret_cast<const char16_t*>(lParam);
        s.text = t ? CString(t) : CString();
        if (!Multi()) {
            auto br = s.text.find_first_of(u"\r\n");
            if (br != CString::npos) s.text.resize(br);
        }
        s.anchor = s.caret = 0;
        s.scrollX = 0;
        s.firstLine = 0;
        s.canUndo = false;
        s.modified = false;
        UpdateScrollBar();
        Invalidate(FALSE);
        return TRUE;
    }
    case WM_GETTEXT:
        return CopyTextOut(S().text, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return LRESULT(S().text.size());
    case WM_KEYDOWN:
        OnKeyDown(UINT(wParam));
        return 0;
    case WM_CHAR:
        OnChar(char16_t(wParam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnLButtonDown(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)), message == WM_LBUTTONDBLCLK);
        return 0;
    case WM_MOUSEMOVE: {
        EditState& s = S();
        if (s.selecting) {
            s.caret = CharFromPoint(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            EnsureCaretVisible();
            Invalidate(FALSE);
        }
        return 0;
    }
    case WM_LBUTTONUP:
        if (S().selecting) {
            S().selecting = false;
            if (GetCapture() == this) ::ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (EditStates::Has(self)) S().selecting = false;
        return 0;
    case WM_SETFOCUS:
        Invalidate(FALSE);
        NotifyDialogFocus(this);
        if (::IsWindow(self)) NotifyParent(this, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        Invalidate(FALSE);
        NotifyParent(this, EN_KILLFOCUS);
        return 0;
    case WM_ENABLE:
        Invalidate(FALSE);
        return 0;
    case WM_SIZE:
        UpdateScrollBar();
        Invalidate(FALSE);
        return 0;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wParam), short(HIWORD(wParam)));
        return 0;
    case WM_MOUSEWHEEL:
        if (Multi()) {
            int lines = -GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3;
            for (int i = 0; i < std::abs(lines); ++i) OnVScroll(lines < 0 ? SB_LINEUP : SB_LINEDOWN, 0);
            return 0;
        }
        break;
    case WM_COPY:
        CopySelection();
        return 0;
    case WM_CUT:
        if (GetStyle() & ES_READONLY) return 0;
        CopySelection();
        DeleteSelection();
        return 0;
    case WM_PASTE:
        PasteClipboard();
        return 0;
    case WM_CLEAR:
        if (!(GetStyle() & ES_READONLY)) DeleteSelection();
        return 0;
    case WM_UNDO:
    case EM_UNDO: {
        EditState& s = S();
        if (!s.canUndo) return FALSE;
        std::swap(s.text, s.undoText);
        std::swap(s.anchor, s.undoAnchor);
        std::swap(s.caret, s.undoCaret);
        s.anchor = std::min<int>(s.anchor, int(s.text.size()));
        s.caret = std::min<int>(s.caret, int(s.text.size()));
        Changed();
        return TRUE;
    }
    case EM_CANUNDO:
        return S().canUndo;
    case EM_EMPTYUNDOBUFFER:
        S().canUndo = false;
        return 0;
    case EM_GETSEL: {
        EditState& s = S();
        DWORD a = DWORD(std::min(s.anchor, s.caret)), b = DWORD(std::max(s.anchor, s.caret));
        if (wParam) *reinterpret_cast<DWORD*>(wParam) = a;
        if (lParam) *reinterpret_cast<DWORD*>(lParam) = b;
        return LRESULT(MAKELPARAM(int(a), int(b)));
    }
    case EM_SETSEL: {
        EditState& s = S();
        int n = int(s.text.size());
        int a = int(std::intptr_t(wParam)), b = int(lParam);
        if (a < 0) {
            s.anchor = s.caret;   // -1 takes the selection away
        } else {
            if (b < 0 || b > n) b = n;
            s.anchor = std::clamp(a, 0, n);
            s.caret = std::clamp(b, 0, n);
        }
        EnsureCaretVisible();
        Invalidate(FALSE);
        return 0;
    }
    case EM_REPLACESEL: {
        auto* t = reinterpret_cast<const char16_t*>(lParam);
        Insert(t ? CString(t) : CString(), wParam != 0);
        return 0;
    }
    case EM_GETMODIFY:
        return S().modified;
    case EM_SETMODIFY:
        S().modified = wParam != 0;
        return 0;
    case EM_LIMITTEXT:
        S().limit = wParam ? int(std::min<WPARAM>(wParam, 0x7FFFFFFE)) : 0x7FFFFFFE;
        return 0;
    case EM_GETLINECOUNT:
        return LRESULT(Layout().size());
    case EM_GETFIRSTVISIBLELINE:
        return Multi() ? S().firstLine : 0;
    case EM_LINEINDEX: {
        auto lines = Layout();
        int l = int(std::intptr_t(wParam));
        if (l < 0) l = LineOf(lines, S().caret);
        return l < int(lines.size()) ? lines[std::size_t(l)].start : -1;
    }
    case EM_LINEFROMCHAR: {
        int p = int(std::intptr_t(wParam));
        if (p < 0) p = S().caret;
        return LineOf(Layout(), p);
    }
    case EM_LINELENGTH: {
        auto lines = Layout();
        int l = LineOf(lines, int(std::intptr_t(wParam)) < 0 ? S().caret : int(wParam));
        return lines[std::size_t(l)].end - lines[std::size_t(l)].start;
    }
    case EM_SETREADONLY:
        ModifyStyle(wParam ? 0 : ES_READONLY, wParam ? ES_READONLY : 0);
        Invalidate(FALSE);
        return TRUE;
    case EM_SCROLLCARET:
        EnsureCaretVisible();
        Invalidate(FALSE);
        return TRUE;
    case WM_NCDESTROY:
        EditStates::Drop(self);
        break;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

// ---------------------------------------------------------------- keys

void CEdit::OnKeyDown(UINT vk) {
    if (!IsWindowEnabled()) return;   // a disabled box may keep the focus, never the keys
    EditState& s = S();
    bool shift = IsKeyDown(VK_SHIFT);
    bool ctrl = IsKeyDown(VK_CONTROL);
    int lo = std::min(s.anchor, s.caret), hi = std::max(s.anchor, s.caret);
    bool keepX = false;
    switch (vk) {
    case VK_LEFT:
        if (lo != hi && !shift && !ctrl) MoveCaret(lo, false);
        else MoveCaret(ctrl ? PrevWord(s.caret) : PrevChar(s.caret), shift);
        break;
    case VK_RIGHT:
        if (lo != hi && !shift && !ctrl) MoveCaret(hi, false);
        else MoveCaret(ctrl ? NextWord(s.caret) : NextChar(s.caret), shift);
        break;
    case VK_HOME:
        if (ctrl || !Multi()) MoveCaret(0, shift);
        else {
            auto lines = Layout();
            MoveCaret(lines[std::size_t(LineOf(lines, s.caret))].start, shift);
        }
        break;
    case VK_END:
        if (ctrl || !Multi()) MoveCaret(int(s.text.size()), shift);
        else {
            auto lines = Layout();
            MoveCaret(lines[std::size_t(LineOf(lines, s.caret))].end, shift);
        }
        break;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT: {
        if (!Multi()) {
            if (vk == VK_UP) MoveCaret(PrevChar(s.caret), shift);
            else if (vk == VK_DOWN) MoveCaret(NextChar(s.caret), shift);
            break;
        }
        auto lines = Layout();
        int line = LineOf(lines, s.caret);
        int step = (vk == VK_UP || vk == VK_DOWN) ? 1 : std::max(1, VisibleLines() - 1);
        int target = (vk == VK_UP || vk == VK_PRIOR) ? line - step : line + step;
        target = std::clamp(target, 0, int(lines.size()) - 1);
        CPoint p = PosFromChar(s.caret);
        int x = s.desiredX >= 0 ? s.desiredX : p.x;
        int y = p.y + (target - line) * LineHeight() + LineHeight() / 2;
        // The point may lie outside the visible lines; CharFromPoint clamps by line.
        Line ln = lines[std::size_t(target)];
        int best = ln.start;
        CRect fr = FormatRect();
        int bestDist = 1 << 30;
        for (int i = ln.start; i <= ln.end; ++i) {
            int cx = fr.left + TextWidth(ln.start, i);
            int d = std::abs(cx - x);
            if (d < bestDist) {
                bestDist = d;
                best = i;
            }
        }
        (void)y;
        s.desiredX = x;
        keepX = true;
        MoveCaret(best, shift);
        break;
    }
    case VK_DELETE:
        if (GetStyle() & ES_READONLY) break;
        if (shift) {
            CopySelection();
            DeleteSelection();
        } else if (lo != hi) {
            DeleteSelection();
        } else if (s.caret < int(s.text.size())) {
            SaveUndo();
            DeleteRange(s.caret, NextChar(s.caret));
        }
        break;
    case VK_BACK:
        if (GetStyle() & ES_READONLY) break;
        if (lo != hi) DeleteSelection();
        else if (s.caret > 0) {
            SaveUndo();
            DeleteRange(PrevChar(s.caret), s.caret);
        }
        break;
    case VK_INSERT:
        if (ctrl) CopySelection();
        else if (shift) PasteClipboard();
        break;
    case VK_RETURN:
        if (Multi() && !(GetStyle() & ES_READONLY)) Insert(u"\r\n", true);
        break;
    default:
        if (ctrl && !shift) {
            switch (vk) {
            case 'A':
                s.anchor = 0;
                s.caret = int(s.text.size());
                EnsureCaretVisible();
                Invalidate(FALSE);
                break;
            case 'C': SendMessage(WM_COPY); break;
            case 'X': SendMessage(WM_CUT); break;
            case 'V': SendMessage(WM_PASTE); break;
            case 'Z': SendMessage(EM_UNDO); break;
            default: break;
            }
        }
        break;
    }
    if (!keepX && ::IsWindow(m_hWnd) && EditStates::Has(m_hWnd)) S().desiredX = -1;
}

void CEdit::OnChar(char16_t ch) {
    if (ch < 0x20 || ch == 0x7F || !IsWindowEnabled()) return;   // control keys are handled on key down
    if (IsKeyDown(VK_CONTROL) && !IsKeyDown(VK_MENU)) return;
    DWORD style = GetStyle();
    if (style & ES_READONLY) return;
    if ((style & ES_NUMBER) && !(ch >= u'0' && ch <= u'9')) return;
    CString t(1, ch);
    if (style & ES_UPPERCASE) t[0] = (ch >= u'a' && ch <= u'z') ? char16_t(ch - 32) : ch;
    if (style & ES_LOWERCASE) t[0] = (ch >= u'A' && ch <= u'Z') ? char16_t(ch + 32) : ch;
    Insert(t, true);
}

// ---------------------------------------------------------------- mouse

void CEdit::OnLButtonDown(CPoint pt, bool dbl) {
    HWND self = m_hWnd;
    if (GetFocus() != this) {
        ::SetFocus(self);
        if (!::IsWindow(self)) return;
    }
    EditState& s = S();
    int pos = CharFromPoint(pt);
    if (dbl) {
        int a = pos, b = pos;
        while (a > 0 && IsWordChar(s.text[std::size_t(a - 1)])) --a;
        while (b < int(s.text.size()) && IsWordChar(s.text[std::size_t(b)])) ++b;
        s.anchor = a;
        s.caret = b;
    } else if (IsKeyDown(VK_SHIFT)) {
        s.caret = pos;
    } else {
        s.anchor = s.caret = pos;
    }
    s.desiredX = -1;
    s.selecting = true;
    SetCapture();
    EnsureCaretVisible();
    Invalidate(FALSE);
}

void CEdit::OnVScroll(UINT code, int pos) {
    if (!Multi()) return;
    EditState& s = S();
    int count = int(Layout().size());
    int page = VisibleLines();
    int maxFirst = std::max(0, count - page);
    int first = s.firstLine;
    switch (code) {
    case SB_LINEUP: --first; break;
    case SB_LINEDOWN: ++first; break;
    case SB_PAGEUP: first -= std::max(1, page - 1); break;
    case SB_PAGEDOWN: first += std::max(1, page - 1); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: first = pos; break;
    case SB_TOP: first = 0; break;
    case SB_BOTTOM: first = maxFirst; break;
    default: return;
    }
    first = std::clamp(first, 0, maxFirst);
    if (first != s.firstLine) {
        s.firstLine = first;
        UpdateScrollBar();
        Invalidate(FALSE);
    }
}

// ---------------------------------------------------------------- editing

void CEdit::MoveCaret(int pos, bool extend) {
    EditState& s = S();
    s.caret = std::clamp(pos, 0, int(s.text.size()));
    if (!extend) s.anchor = s.caret;
    EnsureCaretVisible();
    Invalidate(FALSE);
}

void CEdit::SaveUndo() {
    EditState& s = S();
    s.undoText = s.text;
    s.undoAnchor = s.anchor;
    s.undoCaret = s.caret;
    s.canUndo = true;
}

bool CEdit::Insert(CString t, bool undoable) {
    EditState& s = S();
    if (!Multi()) {
        auto br = t.find_first_of(u"\r\n");
        if (br != CString::npos) t.resize(br);
    } else {
        // Lone line feeds or returns become the edit's "\r\n".
        CString n;
        for (std::size_t i = 0; i < t.size(); ++i) {
            char16_t c = t[i];
            if (c == u'\r') {
                n += u"\r\n";
                if (i + 1 < t.size() && t[i + 1] == u'\n') ++i;
            } else if (c == u'\n') {
                n += u"\r\n";
            } else {
                n += c;
            }
        }
        t = n;
    }
    int lo = std::min(s.anchor, s.caret), hi = std::max(s.anchor, s.caret);
    int room = s.limit - (int(s.text.size()) - (hi - lo));
    if (room < int(t.size())) {
        t.resize(std::size_t(std::max(0, room)));
        NotifyParent(this, EN_MAXTEXT);
        if (!::IsWindow(m_hWnd)) return false;
    }
    if (!Multi() && !(GetStyle() & ES_AUTOHSCROLL)) {
        // Without sideways scrolling the text must fit the box: take as much
        // as fits and refuse the rest.
        CString before = s.text.substr(0, std::size_t(lo));
        CString after = s.text.substr(std::size_t(hi));
        MeasureDC dc(this);
        int width = FormatRect().Width();
        // The longest prefix that fits, by halving (a long paste stays quick).
        auto fits = [&](std::size_t k) { return dc.GetTextExtent(before + t.substr(0, k) + after).cx <= width; };
        std::size_t n = t.size();
        if (!fits(n)) {
            std::size_t lo = 0, hi = n;   // fits(lo) holds or lo is 0; fits(hi) fails
            while (hi - lo > 1) {
                std::size_t mid = lo + (hi - lo) / 2;
                if (fits(mid)) lo = mid;
                else hi = mid;
            }
            n = lo;
        }
        if (n < t.size()) {
            t.resize(n);
            NotifyParent(this, EN_MAXTEXT);
            if (!::IsWindow(m_hWnd)) return false;
        }
    }
    if (t.empty() && lo == hi) return false;
    if (undoable) SaveUndo();
    s.text.replace(std::size_t(lo), std::size_t(hi - lo), t);
    s.anchor = s.caret = lo + int(t.size());
    Changed();
    return true;
}

void CEdit::DeleteRange(int from, int to) {
    EditState& s = S();
    if (to <= from) return;
    s.text.erase(std::size_t(from), std::size_t(to - from));
    s.anchor = s.caret = from;
    Changed();
}

void CEdit::DeleteSelection() {
    EditState& s = S();
    int lo = std::min(s.anchor, s.caret), hi = std::max(s.anchor, s.caret);
    if (lo == hi) return;
    SaveUndo();
    DeleteRange(lo, hi);
}

void CEdit::Changed() {
    EditState& s = S();
    s.modified = true;
    EnsureCaretVisible();
    UpdateScrollBar();
    Invalidate(FALSE);
    if (NotifyParent(this, EN_UPDATE)) NotifyParent(this, EN_CHANGE);
}

void CEdit::CopySelection() {
    EditState& s = S();
    int lo = std::min(s.anchor, s.caret), hi = std::max(s.anchor, s.caret);
    if (lo == hi || (GetStyle() & ES_PASSWORD)) return;
    if (Backend* b = GetBackend()) b->SetClipboardText(s.text.substr(std::size_t(lo), std::size_t(hi - lo)));
}

void CEdit::PasteClipboard() {
    if (GetStyle() & ES_READONLY) return;
    CString t;
    Backend* b = GetBackend();
    if (!b || !b->GetClipboardText(&t)) return;
    Insert(t, true);
}

int CEdit::PrevChar(int pos) const {
    const CString& t = S().text;
    if (pos <= 0) return 0;
    if (pos >= 2 && t[std::size_t(pos - 1)] == u'\n' && t[std::size_t(pos - 2)] == u'\r') return pos - 2;
    return pos - 1;
}

int CEdit::NextChar(int pos) const {
    const CString& t = S().text;
    int n = int(t.size());
    if (pos >= n) return n;
    if (t[std::size_t(pos)] == u'\r' && pos + 1 < n && t[std::size_t(pos + 1)] == u'\n') return pos + 2;
    return pos + 1;
}

int CEdit::PrevWord(int pos) const {
    const CString& t = S().text;
    while (pos > 0 && !IsWordChar(t[std::size_t(pos - 1)])) --pos;
    while (pos > 0 && IsWordChar(t[std::size_t(pos - 1)])) --pos;
    return pos;
}

int CEdit::NextWord(int pos) const {
    const CString& t = S().text;
    int n = int(t.size());
    while (pos < n && IsWordChar(t[std::size_t(pos)])) ++pos;
    while (pos < n && !IsWordChar(t[std::size_t(pos)])) ++pos;
    return pos;
}

// ---------------------------------------------------------------- layout

CRect CEdit::FormatRect() const {
    CRect rc;
    GetClientRect(&rc);
    rc.left += 2;
    rc.right -= 2;
    rc.top += 1;
    if (rc.right < rc.left) rc.right = rc.left;
    return rc;
}

int CEdit::LineHeight() const {
    MeasureDC dc(this);
    return std::max<int>(1, dc.GetTextExtent(u"").cy);
}

int CEdit::TextWidth(int from, int to) const {
    if (to <= from) return 0;
    MeasureDC dc(this);
    const CString& t = S().text;
    if (GetStyle() & ES_PASSWORD) return dc.GetTextExtent(CString(std::size_t(to - from), u'*')).cx;
    return dc.GetTextExtent(std::u16string_view(t).substr(std::size_t(from), std::size_t(to - from))).cx;
}

std::vector<CEdit::Line> CEdit::Layout() const {
    EditState& st = S();
    const CString& t = st.text;
    std::vector<Line> lines;
    if (!Multi()) {
        lines.push_back({0, int(t.size())});
        return lines;
    }
    bool wrap = !(GetStyle() & ES_AUTOHSCROLL);
    int width = FormatRect().Width();
    if (st.layoutWidth == width && st.layoutStyle == GetStyle() && st.layoutText == t) {
        for (auto& l : st.layout) lines.push_back({l.first, l.second});
        return lines;
    }
    MeasureDC dc(this);
    auto measure = [&](int from, int count) {
        return dc.GetTextExtent(std::u16string_view(t).substr(std::size_t(from), std::size_t(count))).cx;
    };
    // Every glyph is at least a pixel wide, so no line holds more characters
    // than the box has pixels: measuring stays bounded on long paragraphs.
    int maxChars = std::max(1, width) + 1;
    int n = int(t.size());
    int p = 0;
    for (;;) {
        int e = p;
        while (e < n && t[std::size_t(e)] != u'\r' && t[std::size_t(e)] != u'\n') ++e;
        // One paragraph [p, e), wrapped.
        int s = p;
        while (wrap && s < e) {
            int span = std::min(e - s, maxChars);
            if (span == e - s && measure(s, span) <= width) break;   // the rest fits
            int lo = 1, hi = span;   // the longest prefix that fits, by halving
            while (lo < hi) {
                int mid = (lo + hi + 1) / 2;
                if (measure(s, mid) <= width) lo = mid;
                else hi = mid - 1;
            }
            int cut = s + lo;
            // Break after the last space in the part that fits; spaces hang.
            int sp = cut;
            while (sp > s && t[std::size_t(sp - 1)] != u' ') --sp;
            if (sp > s) cut = sp;
            while (cut < e && t[std::size_t(cut)] == u' ') ++cut;
            if (cut >= e) break;
            lines.push_back({s, cut});
            s = cut;
        }
        lines.push_back({s, e});
        if (e >= n) break;
        p = e + ((t[std::size_t(e)] == u'\r' && e + 1 < n && t[std::size_t(e + 1)] == u'\n') ? 2 : 1);
    }
    st.layoutText = t;
    st.layoutWidth = width;
    st.layoutStyle = GetStyle();
    st.layout.clear();
    for (auto& l : lines) st.layout.emplace_back(l.start, l.end);
    return lines;
}

int CEdit::LineOf(const std::vector<Line>& lines, int pos) const {
    for (std::size_t i = lines.size(); i-- > 0;) {
        if (pos >= lines[i].start) return int(i);
    }
    return 0;
}

int CEdit::VisibleLines() const {
    CRect fr = FormatRect();
    return std::max(1, fr.Height() / LineHeight());
}

CPoint CEdit::PosFromChar(int pos) const {
    EditState& s = S();
    CRect fr = FormatRect();
    if (!Multi()) return CPoint(fr.left - s.scrollX + TextWidth(0, pos), fr.top);
    auto lines = Layout();
    int l = LineOf(lines, pos);
    const Line& ln = lines[std::size_t(l)];
    return CPoint(fr.left + TextWidth(ln.start, std::min(pos, ln.end)), fr.top + (l - s.firstLine) * LineHeight());
}

int CEdit::CharFromPoint(CPoint pt) const {
    EditState& s = S();
    CRect fr = FormatRect();
    Line ln{0, int(s.text.size())};
    int x0 = fr.left - s.scrollX;
    if (Multi()) {
        auto lines = Layout();
        int l = s.firstLine + (pt.y - fr.top) / LineHeight() - (pt.y < fr.top ? 1 : 0);
        l = std::clamp(l, 0, int(lines.size()) - 1);
        ln = lines[std::size_t(l)];
        x0 = fr.left;
    }
    int best = ln.start, bestDist = 1 << 30;
    for (int i = ln.start; i <= ln.end; ++i) {
        int d = std::abs(x0 + TextWidth(ln.start, i) - pt.x);
        if (d < bestDist) {
            bestDist = d;
            best = i;
        }
    }
    return best;
}

void CEdit::EnsureCaretVisible() {
    EditState& s = S();
    if (!Multi()) {
        if (!(GetStyle() & ES_AUTOHSCROLL)) {
            s.scrollX = 0;
            return;
        }
        int w = FormatRect().Width();
        int x = TextWidth(0, s.caret);
        if (x - s.scrollX > w - 1) s.scrollX = x - w + 1 + w / 3;
        if (x < s.scrollX) s.scrollX = std::max(0, x - w / 3);
        s.scrollX = std::max(0, std::min(s.scrollX, x));
        return;
    }
    auto lines = Layout();
    int l = LineOf(lines, s.caret);
    int page = VisibleLines();
    if (l < s.firstLine) s.firstLine = l;
    if (l >= s.firstLine + page) s.firstLine = l - page + 1;
    s.firstLine = std::clamp(s.firstLine, 0, std::max(0, int(lines.size()) - 1));
    UpdateScrollBar();
}

void CEdit::UpdateScrollBar() {
    EditState& s = S();
    if (!Multi() || !(s.vbar || (GetStyle() & WS_VSCROLL))) return;
    int count = int(Layout().size());
    int page = VisibleLines();
    int mx = std::max(count, page) - 1;
    if (mx == s.barMax && page == s.barPage && s.firstLine == s.barPos) return;
    s.barMax = mx;
    s.barPage = page;
    s.barPos = s.firstLine;
    SCROLLINFO si;
    // The bar stays, disabled, while all the text fits, as edit boxes show it.
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = mx;
    si.nPage = UINT(page);
    si.nPos = s.firstLine;
    SetScrollInfo(SB_VERT, &si, TRUE);
}

// ---------------------------------------------------------------- painting

void CEdit::OnPaint() {
    CPaintDC dc(this);
    EditState& s = S();
    CRect rc;
    GetClientRect(&rc);
    CDCStateScope keep(dc);
    dc.SelectObject(ControlFont(this));
    bool enabled = IsWindowEnabled() != FALSE;
    bool readOnly = (GetStyle() & ES_READONLY) != 0;
    CRect all = rc;
    COLORREF textColour = PaintFieldBackground(this, dc, &all, false, !readOnly);
    CRect fr = FormatRect();
    dc.IntersectClipRect(CRect(fr.left - 1, rc.top, fr.right + 1, rc.bottom));
    dc.SetBkMode(TRANSPARENT);
    bool focused = GetFocus() == this;
    int lo = std::min(s.anchor, s.caret), hi = std::max(s.anchor, s.caret);
    bool showSel = lo != hi && (focused || (GetStyle() & ES_NOHIDESEL));
    bool password = (GetStyle() & ES_PASSWORD) != 0;
    int lh = LineHeight();
    auto shown = [&](int a, int b) {
        return password ? CString(std::size_t(b - a), u'*') : s.text.substr(std::size_t(a), std::size_t(b - a));
    };
    auto drawLine = [&](const Line& ln, int x0, int y) {
        int a = ln.start, b = ln.end;
        int sa = std::clamp(lo, a, b), sb = std::clamp(hi, a, b);
        int x = x0;
        if (sa > a) {
            CString t = shown(a, sa);
            dc.SetTextColor(textColour);
            dc.TextOut(x, y, t);
            x += dc.GetTextExtent(t).cx;
        }
        if (showSel && sb > sa) {
            CString t = shown(sa, sb);
            int w = dc.GetTextExtent(t).cx;
            dc.FillSolidRect(CRect(x, y, x + w, y + lh), GetSysColor(COLOR_HIGHLIGHT));
            dc.SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
            dc.TextOut(x, y, t);
            x += w;
        } else if (sb > sa) {
            CString t = shown(sa, sb);
            dc.SetTextColor(textColour);
            dc.TextOut(x, y, t);
            x += dc.GetTextExtent(t).cx;
        }
        if (b > sb) {
            dc.SetTextColor(textColour);
            dc.TextOut(x, y, shown(sb, b));
        }
    };
    if (!Multi()) {
        drawLine(Line{0, int(s.text.size())}, fr.left - s.scrollX, fr.top);
    } else {
        auto lines = Layout();
        int page = VisibleLines() + 1;
        for (int i = s.firstLine; i < int(lines.size()) && i < s.firstLine + page; ++i)
            drawLine(lines[std::size_t(i)], fr.left, fr.top + (i - s.firstLine) * lh);
    }
    if (focused && enabled) {
        CPoint c = PosFromChar(s.caret);
        if (c.y >= rc.top - lh && c.y < rc.bottom) dc.FillSolidRect(CRect(c.x, c.y, c.x + 1, c.y + lh), textColour);
    }
}
