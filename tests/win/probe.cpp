#include "probe.h"

#include "platform/gfx/gdiobj.h"
#include "platform/gfx/syscolors.h"
#include "platform/win/user.h"

const char* MessageName(UINT msg) {
    switch (msg) {
    case WM_CREATE: return "CREATE";
    case WM_DESTROY: return "DESTROY";
    case WM_NCDESTROY: return "NCDESTROY";
    case WM_MOVE: return "MOVE";
    case WM_SIZE: return "SIZE";
    case WM_ACTIVATE: return "ACTIVATE";
    case WM_SETFOCUS: return "SETFOCUS";
    case WM_KILLFOCUS: return "KILLFOCUS";
    case WM_PAINT: return "PAINT";
    case WM_ERASEBKGND: return "ERASEBKGND";
    case WM_SETCURSOR: return "SETCURSOR";
    case WM_MOUSEMOVE: return "MOUSEMOVE";
    case WM_LBUTTONDOWN: return "LBUTTONDOWN";
    case WM_LBUTTONUP: return "LBUTTONUP";
    case WM_LBUTTONDBLCLK: return "LBUTTONDBLCLK";
    case WM_RBUTTONDOWN: return "RBUTTONDOWN";
    case WM_RBUTTONUP: return "RBUTTONUP";
    case WM_NCLBUTTONDOWN: return "NCLBUTTONDOWN";
    case WM_CAPTURECHANGED: return "CAPTURECHANGED";
    case WM_TIMER: return "TIMER";
    case WM_KEYDOWN: return "KEYDOWN";
    case WM_KEYUP: return "KEYUP";
    case WM_CHAR: return "CHAR";
    case WM_SYSKEYDOWN: return "SYSKEYDOWN";
    case WM_SYSCHAR: return "SYSCHAR";
    case WM_VSCROLL: return "VSCROLL";
    case WM_HSCROLL: return "HSCROLL";
    case WM_MOUSEWHEEL: return "MOUSEWHEEL";
    case WM_USER: return "USER";
    case WM_MOUSELEAVE: return "MOUSELEAVE";
    default: return "?";
    }
}

std::vector<std::string> Journal::Names(const std::vector<UINT>& wanted) const {
    std::vector<std::string> out;
    for (const Seen& s : m_items)
        for (UINT w : wanted)
            if (s.msg == w) out.push_back(s.who + ":" + MessageName(s.msg));
    return out;
}

int Journal::Count(const std::string& who, UINT msg) const {
    int n = 0;
    for (const Seen& s : m_items)
        if (s.who == who && s.msg == msg) ++n;
    return n;
}

LRESULT ProbeWnd::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if (m_journal) m_journal->Add(m_name, msg, w, l);
    LRESULT result = 0;
    if (handler && handler(*this, msg, w, l, result)) return result;
    return CWnd::WindowProc(msg, w, l);
}

void RegisterProbeClasses() {
    WNDCLASS wc;
    wc.style = CS_DBLCLKS;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(std::uintptr_t(COLOR_WINDOW + 1));
    wc.lpszClassName = u"Probe";
    RegisterClass(&wc);
    wc.style = 0;
    wc.lpszClassName = u"ProbePlain";
    RegisterClass(&wc);
}
