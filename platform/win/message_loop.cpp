// Sending and posting, the queue, timers, the loop and modal loops.
//
// Order in which a loop turn takes work (as the platform does): posted
// messages, then input (routed when taken, so capture changes apply to the
// next event), then WM_PAINT for the first window needing it (parents before
// children), then due timers. When there is nothing, changed pixels are
// presented, the backend's idle hook runs (scripted steps), and only then
// does the loop wait.
//
// Index: send and post · timers · taking messages · modal loops and the move
// loop · CWnd messages and the base dispatch (reflection, defaults).
#include <algorithm>

#include "platform/win/winsys.h"

namespace {

constexpr UINT kMinTimerMs = 10;   // a shorter period would starve the loop

bool Matches(const MSG& m, HWND filter, UINT first, UINT last) {
    if (filter && m.hwnd != filter) {
        // A filter window also takes its children's messages.
        CWnd* f = CWnd::FromHandle(filter);
        CWnd* t = CWnd::FromHandle(m.hwnd);
        if (!f || !t || !f->IsChild(t)) return false;
    }
    if (first == 0 && last == 0) return true;
    return m.message >= first && m.message <= last;
}

bool TakeFromQueue(std::deque<MSG>& q, MSG* msg, HWND filter, UINT first, UINT last, bool remove) {
    for (auto it = q.begin(); it != q.end();) {
        // A message for a window that is gone is dropped here, never delivered.
        if (it->hwnd && !Rec(it->hwnd)) {
            it = q.erase(it);
            continue;
        }
        if (Matches(*it, filter, first, last)) {
            *msg = *it;
            if (remove) q.erase(it);
            return true;
        }
        ++it;
    }
    return false;
}

// Routes raw events until one becomes a message (or none are left).
void RouteInput() {
    WinSys& s = Sys();
    if (!s.input.empty()) return;
    RawEvent e;
    while (s.input.empty() && s.backend->PollEvent(&e)) {
        MSG m;
        if (RouteRawEvent(e, &m)) s.input.push_back(m);
    }
}

struct HandlingScope {
    explicit HandlingScope(const MSG& m) { Sys().handling.push_back(m); }
    ~HandlingScope() {
        if (SysReady()) Sys().handling.pop_back();
    }
};

}  // namespace

LRESULT SendTo(WindowRec* r, UINT msg, WPARAM w, LPARAM l) {
    if (!r) return 0;
    WinSys& s = Sys();
    MSG m;
    m.hwnd = r->hwnd;
    m.message = msg;
    m.wParam = w;
    m.lParam = l;
    m.time = DWORD(s.backend->NowMs());
    m.pt = s.cursorPos;
    HandlingScope scope(m);
    CWnd* obj = r->obj;
    return obj ? obj->WindowProc(msg, w, l) : DefaultProc(r, msg, w, l);
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendTo(Rec(hwnd), message, wParam, lParam);
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!SysReady()) return FALSE;
    if (hwnd && !Rec(hwnd)) return FALSE;
    WinSys& s = Sys();
    MSG m;
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = DWORD(s.backend->NowMs());
    m.pt = s.cursorPos;
    s.posted.push_back(m);
    s.backend->Wake();
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    if (!SysReady()) return;
    Sys().quit = true;
    Sys().quitCode = exitCode;
    Sys().backend->Wake();
}

void DropMessagesFor(HWND hwnd) {
    WinSys& s = Sys();
    auto dead = [hwnd](const MSG& m) { return m.hwnd == hwnd; };
    s.posted.erase(std::remove_if(s.posted.begin(), s.posted.end(), dead), s.posted.end());
    s.input.erase(std::remove_if(s.input.begin(), s.input.end(), dead), s.input.end());
}

// ---------------------------------------------------------------- timers

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
    if (!SysReady()) return 0;
    if (hwnd && !Rec(hwnd)) return 0;
    WinSys& s = Sys();
    if (!hwnd && id == 0) id = s.nextTimerId++;
    UINT period = std::max(elapseMs, kMinTimerMs);
    std::uint64_t due = s.backend->NowMs() + period;
    for (Timer& t : s.timers)
        if (t.hwnd == hwnd && t.id == id) {
            t.period = period;
            t.due = due;
            t.proc = proc;
            return id ? id : 1;
        }
    s.timers.push_back(Timer{hwnd, id, period, due, proc});
    return id ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    if (!SysReady()) return FALSE;
    auto& v = Sys().timers;
    auto it = std::find_if(v.begin(), v.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == v.end()) return FALSE;
    v.erase(it);
    return TRUE;
}

void KillTimersFor(HWND hwnd) {
    auto& v = Sys().timers;
    v.erase(std::remove_if(v.begin(), v.end(), [&](const Timer& t) { return t.hwnd == hwnd; }), v.end());
}

bool NextTimerDue(std::uint64_t* dueMs) {
    if (!SysReady() || Sys().timers.empty()) return false;
    std::uint64_t best = UINT64_MAX;
    for (const Timer& t : Sys().timers) best = std::min(best, t.due);
    if (dueMs) *dueMs = best;
    return true;
}

std::uint64_t GetClockMs() { return SysReady() ? Sys().backend->NowMs() : 0; }
DWORD GetTickCount() { return DWORD(GetClockMs()); }

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
    if (!m_hWnd) return 0;
    return ::SetTimer(m_hWnd, id, elapseMs, proc);
}

BOOL CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

// ---------------------------------------------------------------- taking messages

BOOL PeekMessage(MSG* msg, HWND filter, UINT first, UINT last, UINT removeFlags) {
    if (!SysReady() || !msg) return FALSE;
    WinSys& s = Sys();
    bool remove = (removeFlags & PM_REMOVE) != 0;
    if (TakeFromQueue(s.posted, msg, filter, first, last, remove)) return TRUE;
    RouteInput();
    if (TakeFromQueue(s.input, msg, filter, first, last, remove)) return TRUE;
    if (s.quit && !filter) {
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = WPARAM(s.quitCode);
        if (remove) s.quit = false;
        return TRUE;
    }
    MSG m;
    m.time = DWORD(s.backend->NowMs());
    m.pt = s.cursorPos;
    if (WindowRec* p = FindWindowToPaint()) {
        m.hwnd = p->hwnd;
        m.message = WM_PAINT;
        if (Matches(m, filter, first, last)) {
            *msg = m;
            return TRUE;
        }
    }
    std::uint64_t now = s.backend->NowMs();
    for (Timer& t : s.timers) {
        if (t.due > now) continue;
        m.hwnd = t.hwnd;
        m.message = WM_TIMER;
        m.wParam = t.id;
        m.lParam = reinterpret_cast<LPARAM>(t.proc);
        if (!Matches(m, filter, first, last)) continue;
        // A late timer fires once; the next one is a full period from now.
        if (remove) t.due = now + t.period;
        *msg = m;
        return TRUE;
    }
    return FALSE;
}

PumpResult NextMessage(MSG* msg, bool wait) {
    WinSys& s = Sys();
    for (;;) {
        if (PeekMessage(msg, nullptr, 0, 0, PM_REMOVE))
            return msg->message == WM_QUIT ? PumpResult::Quit : PumpResult::Dispatched;
        FlushPresents();
        DeleteTempGdiObjects();
        if (s.backend->OnIdle()) return PumpResult::StepRan;
        if (!wait) return PumpResult::Idle;
        int timeout = -1;
        std::uint64_t due;
        if (NextTimerDue(&due)) {
            std::uint64_t now = s.backend->NowMs();
            timeout = due <= now ? 0 : int(std::min<std::uint64_t>(due - now, 1u << 30));
        }
        if (!s.backend->WaitForEvents(timeout)) {
            // Nothing can arrive any more; a timer may still be due now.
            if (PeekMessage(msg, nullptr, 0, 0, PM_REMOVE))
                return msg->message == WM_QUIT ? PumpResult::Quit : PumpResult::Dispatched;
            return PumpResult::NoMoreEvents;
        }
    }
}

int GetMessage(MSG* msg, HWND, UINT, UINT) {
    if (!SysReady() || !msg) return -1;
    for (;;) {
        switch (NextMessage(msg, true)) {
        case PumpResult::Dispatched: return TRUE;
        case PumpResult::Quit: return FALSE;
        case PumpResult::StepRan: continue;
        default: return -1;
        }
    }
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg || !msg->typed) return FALSE;
    UINT charMsg = 0;
    if (msg->message == WM_KEYDOWN) charMsg = WM_CHAR;
    else if (msg->message == WM_SYSKEYDOWN) charMsg = WM_SYSCHAR;
    if (!charMsg) return FALSE;
    // The character goes to the front of the posted messages so it follows
    // its key press directly.
    WinSys& s = Sys();
    MSG c = *msg;
    c.message = charMsg;
    c.wParam = WPARAM(msg->typed);
    c.typed = 0;
    s.posted.push_front(c);
    return TRUE;
}

LRESULT DispatchMessage(const MSG* msg) {
    if (!msg || !SysReady()) return 0;
    WinSys& s = Sys();
    if (msg->message == WM_TIMER && msg->lParam) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, UINT_PTR(msg->wParam), DWORD(s.backend->NowMs()));
        return 0;
    }
    if (!msg->hwnd) return 0;   // thread messages have no window
    WindowRec* r = Rec(msg->hwnd);
    if (!r) return 0;           // the window is gone: drop it
    if (msg->message == WM_PAINT) {
        HWND h = r->hwnd;
        unsigned before = s.beginPaintCalls;
        if (r->ncDirty) {
            r->ncDirty = false;
            SendTo(r, WM_NCPAINT, 1, 0);
            if (!(r = Rec(h))) return 0;
        }
        // A frame-only repaint needs no WM_PAINT.
        if (r->invalid.empty() && !r->internalPaint) return 0;
        LRESULT res = SendTo(r, WM_PAINT, 0, 0);
        // A handler that never began painting would be asked forever.
        if ((r = Rec(h)) && s.beginPaintCalls == before) ValidateRec(r, nullptr);
        if (r) r->internalPaint = false;
        return res;
    }
    MSG m = *msg;
    HandlingScope scope(m);
    CWnd* obj = r->obj;
    return obj ? obj->WindowProc(m.message, m.wParam, m.lParam) : DefaultProc(r, m.message, m.wParam, m.lParam);
}

BOOL WalkPreTranslateTree(MSG* msg, HWND stopAt) {
    for (HWND h = msg->hwnd; h;) {
        WindowRec* r = Rec(h);
        if (!r) break;
        HWND parent = r->parent;
        if (CWnd* w = r->obj; w && w->PreTranslateMessage(msg)) return TRUE;
        if (h == stopAt) break;
        h = parent;
    }
    return FALSE;
}

void SetMessageFilter(MessageFilter filter) {
    if (SysReady()) Sys().filter = std::move(filter);
}

PumpResult PumpOne(bool wait, MSG* msgOut) {
    MSG m;
    PumpResult res = NextMessage(&m, wait);
    if (msgOut) *msgOut = m;
    if (res != PumpResult::Dispatched) return res;
    WinSys& s = Sys();
    if (s.filter && s.filter(&m)) return res;
    if (!WalkPreTranslateTree(&m)) {
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
    return res;
}

bool PumpMessage(bool wait) {
    if (!SysReady()) return false;
    PumpResult r = PumpOne(wait);
    if (r == PumpResult::Quit) PostQuitMessage(int(Sys().quitCode));
    return r == PumpResult::Dispatched || r == PumpResult::StepRan;
}

void RunUntilIdle() {
    if (!SysReady()) return;
    for (;;) {
        PumpResult r = PumpOne(false);
        if (r == PumpResult::Quit) {
            // Leave the quit for the loop that owns it.
            PostQuitMessage(int(Sys().quitCode));
            return;
        }
        if (r != PumpResult::Dispatched && r != PumpResult::StepRan) return;
    }
}

bool HasPendingWork() {
    if (!SysReady()) return false;
    MSG m;
    return PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
}

// ---------------------------------------------------------------- modal loops

int RunModalLoop(HWND hwnd) {
    WindowRec* r = Rec(hwnd);
    if (!r) return -1;
    WinSys& s = Sys();
    // An end asked for before the loop starts (a dialog that closes itself
    // while it initialises) ends it at once.
    ++s.modalDepth;
    int result = -1;
    for (;;) {
        r = Rec(hwnd);
        if (!r) break;   // destroyed while running
        if (r->modalDone) {
            result = r->modalResult;
            r->modalDone = false;
            break;
        }
        PumpResult p = PumpOne(true);
        if (p == PumpResult::Quit) {
            PostQuitMessage(s.quitCode);   // the outer loop ends too
            break;
        }
        if (p == PumpResult::NoMoreEvents) break;
    }
    --s.modalDepth;
    return result;
}

void EndModalLoop(HWND hwnd, int code) {
    WindowRec* r = Rec(hwnd);
    if (!r) return;
    r->modalResult = code;
    r->modalDone = true;
    Sys().backend->Wake();
}

int ModalLoopDepth() { return SysReady() ? Sys().modalDepth : 0; }

int CWnd::RunModalLoop() { return ::RunModalLoop(m_hWnd); }
void CWnd::EndModalLoop(int result) { ::EndModalLoop(m_hWnd, result); }
BOOL CWnd::ContinueModal() const {
    WindowRec* r = Rec(m_hWnd);
    return r && !r->modalDone;
}

// The window follows the pointer from where the pointer is now; the press
// position in the message is not used, because callers pack client
// coordinates into it as often as screen ones.
void RunMoveLoop(HWND hwnd) {
    WindowRec* r = Rec(hwnd);
    if (!r || r->isDesktop) return;
    if (!(GetKeyState(VK_LBUTTON) & 0x8000)) return;
    WinSys& s = Sys();
    CPoint start = s.cursorPos;
    CPoint origin = r->rect.TopLeft();
    SetCapture(hwnd);
    SendTo(r, WM_ENTERSIZEMOVE, 0, 0);
    ++s.modalDepth;
    for (;;) {
        if (!Rec(hwnd) || GetCapture() != hwnd) break;
        MSG m;
        PumpResult p = NextMessage(&m, true);
        if (p == PumpResult::Quit) {
            PostQuitMessage(s.quitCode);
            break;
        }
        if (p == PumpResult::StepRan) continue;
        if (p != PumpResult::Dispatched) break;
        if (m.message == WM_MOUSEMOVE || m.message == WM_NCMOUSEMOVE) {
            CPoint d(m.pt.x - start.x, m.pt.y - start.y);
            if (CWnd* w = CWnd::FromHandle(hwnd))
                w->SetWindowPos(nullptr, origin.x + d.x, origin.y + d.y, 0, 0,
                                SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            continue;
        }
        if (m.message == WM_LBUTTONUP || m.message == WM_NCLBUTTONUP) break;
        if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) {
            if (CWnd* w = CWnd::FromHandle(hwnd))
                w->SetWindowPos(nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        if (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) continue;
        if (m.message >= WM_NCMOUSEMOVE && m.message <= WM_NCMBUTTONDBLCLK) continue;
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
    --s.modalDepth;
    if (GetCapture() == hwnd) ReleaseCapture();
    if (WindowRec* rr = Rec(hwnd)) SendTo(rr, WM_EXITSIZEMOVE, 0, 0);
}

// ---------------------------------------------------------------- CWnd: messages

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessage(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd) return FALSE;
    return ::PostMessage(m_hWnd, message, wParam, lParam);
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL deep) {
    WindowRec* r = Rec(m_hWnd);
    if (!r) return;
    std::vector<HWND> kids = r->children;
    for (HWND k : kids) {
        WindowRec* kr = Rec(k);
        if (!kr) continue;
        SendTo(kr, message, wParam, lParam);
        if (deep)
            if (CWnd* kw = CWnd::FromHandle(k)) kw->SendMessageToDescendants(message, wParam, lParam, TRUE);
    }
}

const MSG* CWnd::GetCurrentMessage() const {
    if (!SysReady()) return nullptr;
    auto& h = Sys().handling;
    for (auto it = h.rbegin(); it != h.rend(); ++it)
        if (it->hwnd == m_hWnd) return &*it;
    return nullptr;
}

LRESULT CWnd::Default() {
    const MSG* m = GetCurrentMessage();
    if (!m) return 0;
    MSG copy = *m;
    return DefWindowProc(copy.message, copy.wParam, copy.lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }
BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }
BOOL CWnd::OnNotify(WPARAM, LPARAM, LRESULT*) { return FALSE; }

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

namespace {

// The control a parent's message is about, for reflection; null if none.
CWnd* ReflectionTarget(CWnd* parent, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND child = nullptr;
    switch (message) {
    case WM_COMMAND:
        child = reinterpret_cast<HWND>(lParam);
        break;
    case WM_NOTIFY:
        if (lParam) child = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
        break;
    case WM_DRAWITEM:
        if (lParam) child = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
        break;
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
        if (wParam) child = ::GetDlgItem(parent->m_hWnd, int(wParam));
        break;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        child = reinterpret_cast<HWND>(lParam);
        break;
    default:
        return nullptr;
    }
    CWnd* c = CWnd::FromHandle(child);
    return c && c != parent ? c : nullptr;
}

}  // namespace

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (CWnd* child = ReflectionTarget(this, message, wParam, lParam)) {
        LRESULT result = 0;
        if (child->OnChildNotify(message, wParam, lParam, &result)) return result;
    }
    switch (message) {
    case WM_COMMAND:
        if (OnCommand(wParam, lParam)) return 0;
        break;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (OnNotify(wParam, lParam, &result)) return result;
        break;
    }
    default:
        break;
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    WindowRec* r = Rec(m_hWnd);
    if (!r) return 0;
    WNDPROC proc = r->cls ? r->cls->wc.lpfnWndProc : nullptr;
    // A class registered with its own procedure behaves as that procedure
    // under the object (superclassing); plain classes get the defaults.
    if (proc && proc != ::DefWindowProc && !r->cls->wc.pfnCreateObject) return proc(m_hWnd, message, wParam, lParam);
    return DefaultProc(r, message, wParam, lParam);
}

LRESULT ClassProcWnd::WindowProc(UINT msg, WPARAM w, LPARAM l) { return m_proc(m_hWnd, msg, w, l); }

LRESULT ClassProcWnd::DefWindowProc(UINT msg, WPARAM w, LPARAM l) { return DefaultProc(Rec(m_hWnd), msg, w, l); }

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultProc(Rec(hwnd), message, wParam, lParam);
}
