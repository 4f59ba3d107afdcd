// X events to raw events: the one place that knows both.
//
// Call flow: HandleXEvent → selection traffic (x11_clipboard.cpp) → input
// method filter → by type: keys (autorepeat folded, modifiers synced, keysym
// → virtual key, typed text) · buttons (X's middle/right swapped to ours,
// 4/5 are the wheel) · motion (coalesced, kept inside the confinement) ·
// Expose · WM_DELETE_WINDOW → CloseRequest · focus leaving our windows ·
// configure notifications not caused by us → NativeRectChanged ·
// map/destroy bookkeeping.
#include "platform/backend/x11/x11_display.h"

#include <X11/keysym.h>

#include <algorithm>
#include <cstdio>

namespace {

// Punctuation keys of a US layout, as the platform numbers them.
constexpr UINT kVkOem1 = 0xBA;        // ;:
constexpr UINT kVkOemPlus = 0xBB;     // =+
constexpr UINT kVkOemComma = 0xBC;    // ,<
constexpr UINT kVkOemMinus = 0xBD;    // -_
constexpr UINT kVkOemPeriod = 0xBE;   // .>
constexpr UINT kVkOem2 = 0xBF;        // /?
constexpr UINT kVkOem3 = 0xC0;        // `~
constexpr UINT kVkOem4 = 0xDB;        // [{
constexpr UINT kVkOem5 = 0xDC;        // \|
constexpr UINT kVkOem6 = 0xDD;        // ]}
constexpr UINT kVkOem7 = 0xDE;        // '"

struct KeyRow {
    unsigned long keysym;
    UINT vk;
};

constexpr KeyRow kKeys[] = {
    {XK_BackSpace, VK_BACK}, {XK_Tab, VK_TAB}, {XK_ISO_Left_Tab, VK_TAB}, {XK_Clear, VK_CLEAR},
    {XK_Return, VK_RETURN}, {XK_KP_Enter, VK_RETURN}, {XK_Pause, VK_PAUSE}, {XK_Caps_Lock, VK_CAPITAL},
    {XK_Escape, VK_ESCAPE}, {XK_space, VK_SPACE}, {XK_KP_Space, VK_SPACE},
    {XK_Prior, VK_PRIOR}, {XK_KP_Prior, VK_PRIOR}, {XK_Next, VK_NEXT}, {XK_KP_Next, VK_NEXT},
    {XK_End, VK_END}, {XK_KP_End, VK_END}, {XK_Home, VK_HOME}, {XK_KP_Home, VK_HOME},
    {XK_Left, VK_LEFT}, {XK_KP_Left, VK_LEFT}, {XK_Up, VK_UP}, {XK_KP_Up, VK_UP},
    {XK_Right, VK_RIGHT}, {XK_KP_Right, VK_RIGHT}, {XK_Down, VK_DOWN}, {XK_KP_Down, VK_DOWN},
    {XK_Select, VK_SELECT}, {XK_Print, VK_SNAPSHOT}, {XK_Insert, VK_INSERT}, {XK_KP_Insert, VK_INSERT},
    {XK_Delete, VK_DELETE}, {XK_KP_Delete, VK_DELETE}, {XK_Help, VK_HELP},
    {XK_Super_L, VK_LWIN}, {XK_Super_R, VK_RWIN}, {XK_Menu, VK_APPS},
    {XK_KP_Multiply, VK_MULTIPLY}, {XK_KP_Add, VK_ADD}, {XK_KP_Separator, VK_SEPARATOR},
    {XK_KP_Subtract, VK_SUBTRACT}, {XK_KP_Decimal, VK_DECIMAL}, {XK_KP_Divide, VK_DIVIDE},
    {XK_Num_Lock, VK_NUMLOCK}, {XK_Scroll_Lock, VK_SCROLL},
    // The window system keeps the left/right halves itself; messages carry the generic codes.
    {XK_Shift_L, VK_SHIFT}, {XK_Shift_R, VK_SHIFT}, {XK_Control_L, VK_CONTROL}, {XK_Control_R, VK_CONTROL},
    {XK_Alt_L, VK_MENU}, {XK_Alt_R, VK_MENU}, {XK_Meta_L, VK_MENU}, {XK_Meta_R, VK_MENU},
    {XK_ISO_Level3_Shift, VK_MENU},
    {XK_semicolon, kVkOem1}, {XK_colon, kVkOem1}, {XK_equal, kVkOemPlus}, {XK_plus, kVkOemPlus},
    {XK_comma, kVkOemComma}, {XK_less, kVkOemComma}, {XK_minus, kVkOemMinus}, {XK_underscore, kVkOemMinus},
    {XK_period, kVkOemPeriod}, {XK_greater, kVkOemPeriod}, {XK_slash, kVkOem2}, {XK_question, kVkOem2},
    {XK_grave, kVkOem3}, {XK_asciitilde, kVkOem3}, {XK_bracketleft, kVkOem4}, {XK_braceleft, kVkOem4},
    {XK_backslash, kVkOem5}, {XK_bar, kVkOem5}, {XK_bracketright, kVkOem6}, {XK_braceright, kVkOem6},
    {XK_apostrophe, kVkOem7}, {XK_quotedbl, kVkOem7},
};

bool IsModifierVk(UINT vk) { return vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU; }

void AppendUtf16(CString& out, char32_t c) {
    if (c >= 0x10000 && c <= 0x10FFFF) {
        c -= 0x10000;
        out.push_back(char16_t(0xD800 + (c >> 10)));
        out.push_back(char16_t(0xDC00 + (c & 0x3FF)));
    } else if (c && c < 0x10000) {
        out.push_back(char16_t(c));
    }
}

}  // namespace

UINT VirtualKeyFromKeysym(unsigned long ks) {
    if (ks >= XK_a && ks <= XK_z) return UINT('A' + (ks - XK_a));
    if (ks >= XK_A && ks <= XK_Z) return UINT('A' + (ks - XK_A));
    if (ks >= XK_0 && ks <= XK_9) return UINT('0' + (ks - XK_0));
    if (ks >= XK_F1 && ks <= XK_F12) return UINT(VK_F1 + (ks - XK_F1));
    if (ks >= XK_KP_0 && ks <= XK_KP_9) return UINT(VK_NUMPAD0 + (ks - XK_KP_0));
    // Shifted digits of a US layout still name their key.
    static constexpr unsigned long kShiftedDigits[] = {XK_parenright, XK_exclam, XK_at, XK_numbersign, XK_dollar,
                                                       XK_percent, XK_asciicircum, XK_ampersand, XK_asterisk,
                                                       XK_parenleft};
    for (int i = 0; i < 10; ++i)
        if (ks == kShiftedDigits[i]) return UINT('0' + i);
    for (const KeyRow& row : kKeys)
        if (row.keysym == ks) return row.vk;
    return 0;
}

char32_t CharFromKeysym(unsigned long ks) {
    if ((ks >= 0x20 && ks <= 0x7E) || (ks >= 0xA0 && ks <= 0xFF)) return char32_t(ks);   // Latin-1 keysyms are their code
    if ((ks & 0xFF000000ul) == 0x01000000ul) return char32_t(ks & 0x00FFFFFF);            // Unicode keysyms
    switch (ks) {
    case XK_BackSpace: return 0x08;
    case XK_Tab: case XK_ISO_Left_Tab: return 0x09;
    case XK_Return: case XK_KP_Enter: return 0x0D;
    case XK_Escape: return 0x1B;
    case XK_KP_Space: return 0x20;
    case XK_KP_Multiply: return '*';
    case XK_KP_Add: return '+';
    case XK_KP_Subtract: return '-';
    case XK_KP_Decimal: return '.';
    case XK_KP_Divide: return '/';
    case XK_EuroSign: return 0x20AC;
    default: break;
    }
    if (ks >= XK_KP_0 && ks <= XK_KP_9) return char32_t('0' + (ks - XK_KP_0));
    return 0;
}

RawEvent& X11Display::Queue(RawEventKind kind, NativeWindowId window) {
    RawEvent e;
    e.kind = kind;
    e.window = window;
    e.timeMs = NowMs();
    m_pending.push_back(e);
    return m_pending.back();
}

CPoint X11Display::ConfinedPoint(int x, int y) {
    if (!m_confined) return CPoint(x, y);
    return CPoint(std::clamp(x, m_confine.left, std::max(m_confine.left, m_confine.right - 1)),
                  std::clamp(y, m_confine.top, std::max(m_confine.top, m_confine.bottom - 1)));
}

// The window system knows the modifiers only from key events; a key pressed
// or released while another program had the keyboard is caught up here from
// the state every X input event carries.
void X11Display::SyncModifiers(unsigned int state, UINT exceptVk) {
    struct {
        unsigned int mask;
        UINT vk;
    } const mods[3] = {{ShiftMask, VK_SHIFT}, {ControlMask, VK_CONTROL}, {Mod1Mask, VK_MENU}};
    for (int i = 0; i < 3; ++i) {
        if (mods[i].vk == exceptVk) continue;
        bool down = (state & mods[i].mask) != 0;
        if (down == m_modDown[i]) continue;
        m_modDown[i] = down;
        Queue(down ? RawEventKind::KeyDown : RawEventKind::KeyUp).vk = mods[i].vk;
    }
}

void X11Display::TranslateKey(XKeyEvent& ke, Native* n) {
    bool press = ke.type == KeyPress;
    // Autorepeat arrives as release + press with the same time: the
    // platform repeats key-downs without key-ups.
    if (!press && XEventsQueued(m_dpy, QueuedAfterReading) > 0) {
        XEvent next;
        XPeekEvent(m_dpy, &next);
        if (next.type == KeyPress && next.xkey.keycode == ke.keycode && next.xkey.time == ke.time) return;
    }

    KeySym ks = NoSymbol;
    CString typed;
    if (press) {
        char buf[64];
        Status status = 0;
        int len = 0;
        if (n && n->ic) {
            len = Xutf8LookupString(n->ic, &ke, buf, sizeof buf - 1, &ks, &status);
            if ((status == XLookupChars || status == XLookupBoth) && len > 0)
                typed = FromUtf8(std::string_view(buf, std::size_t(len)));
            if (status != XLookupKeySym && status != XLookupBoth) ks = NoSymbol;
        } else {
            len = XLookupString(&ke, buf, sizeof buf - 1, &ks, nullptr);
            char32_t c = CharFromKeysym(ks);
            if (c) AppendUtf16(typed, c);
            else if (len == 1) typed.push_back(char16_t(static_cast<unsigned char>(buf[0])));
        }
    }
    // The virtual key names the key, not the character: the unshifted
    // symbol first, then the one the modifiers select; keypad keys follow
    // Num Lock (digits or navigation).
    KeySym withState = NoSymbol;
    XLookupString(&ke, nullptr, 0, &withState, nullptr);
    UINT vk = IsKeypadKey(withState) ? VirtualKeyFromKeysym(withState) : 0;
    if (!vk) vk = VirtualKeyFromKeysym(XLookupKeysym(&ke, 0));
    if (!vk) vk = VirtualKeyFromKeysym(withState);
    if (!vk && press) vk = VirtualKeyFromKeysym(ks);

    SyncModifiers(ke.state, vk);
    if (IsModifierVk(vk)) {
        int i = vk == VK_SHIFT ? 0 : vk == VK_CONTROL ? 1 : 2;
        if (m_modDown[i] == press && !press) return;
        m_modDown[i] = press;
    }

    if (!vk) {
        // Text with no key of its own (composed, from an input method, or a
        // symbol this layout has no code for).
        for (char16_t c : typed) Queue(RawEventKind::Char).ch = c;
        return;
    }
    RawEvent& e = Queue(press ? RawEventKind::KeyDown : RawEventKind::KeyUp);
    e.vk = vk;
    if (press && typed.size() == 1) {
        e.ch = typed[0];
    } else if (press && typed.size() > 1) {
        for (char16_t c : typed) Queue(RawEventKind::Char).ch = c;
    }
}

void X11Display::TranslateButton(const XButtonEvent& be) {
    SyncModifiers(be.state, 0);
    CPoint p = ConfinedPoint(be.x_root, be.y_root);
    if (be.button == Button4 || be.button == Button5) {
        if (be.type != ButtonPress) return;
        RawEvent& e = Queue(RawEventKind::Wheel);
        e.screenPt = p;
        e.wheelDelta = be.button == Button4 ? 120 : -120;
        return;
    }
    int ours = be.button == Button1 ? 1 : be.button == Button3 ? 2 : be.button == Button2 ? 3 : 0;
    if (!ours) return;   // side buttons and horizontal wheels have no meaning here
    RawEvent& e = Queue(be.type == ButtonPress ? RawEventKind::ButtonDown : RawEventKind::ButtonUp);
    e.screenPt = p;
    e.button = ours;
    if (be.type == ButtonPress) {
        // Without a window manager nobody hands out the keyboard: a click
        // in one of our managed windows takes it, as a desktop would.
        NativeWindowId id = IdOf(be.window);
        if (Native* n = Find(id); n && !n->flags.overrideRedirect && n->mapped) {
            Window focus = 0;
            int revert = 0;
            XGetInputFocus(m_dpy, &focus, &revert);
            if (focus != n->win) XSetInputFocus(m_dpy, n->win, RevertToPointerRoot, be.time);
        }
    }
}

void X11Display::TranslateMotion(const XMotionEvent& me) {
    // Only the latest of a run of motions matters.
    if (XEventsQueued(m_dpy, QueuedAfterReading) > 0) {
        XEvent next;
        XPeekEvent(m_dpy, &next);
        if (next.type == MotionNotify && next.xmotion.window == me.window) return;
    }
    SyncModifiers(me.state, 0);
    CPoint p = ConfinedPoint(me.x_root, me.y_root);
    Queue(RawEventKind::MouseMove).screenPt = p;
}

// A window manager (or any other client) may move or resize our windows;
// the window system must hear of it. Our own requests come back as
// notifications too, possibly after a newer request: those are dropped, or a
// stale one would move the window back.
void X11Display::TranslateConfigure(const XConfigureEvent& ce, NativeWindowId id, Native& n) {
    int x = ce.x, y = ce.y;
    if (!ce.send_event) {
        // A real notification is relative to the parent, which is a window
        // manager's frame when there is one; its synthetic ones are on the root.
        Window child = 0;
        if (!XTranslateCoordinates(m_dpy, n.win, m_root, 0, 0, &x, &y, &child)) return;
    }
    CRect now(CPoint(x, y), CSize(ce.width, ce.height));
    auto own = std::find(n.requested.begin(), n.requested.end(), now);
    if (own != n.requested.end()) {
        n.requested.erase(n.requested.begin(), own + 1);
        return;
    }
    if (now == n.rect) return;   // restacking, or nothing changed
    // Somebody else's: what we asked for before it is overtaken.
    n.requested.clear();
    bool sized = now.Size() != n.rect.Size();
    n.rect = now;
    if (sized) ReleaseShm(n);
    Queue(kRawNativeRectChanged, id).rect = now;
}

void X11Display::HandleXEvent(XEvent& xe) {
    if (HandleSelectionEvent(xe)) return;
    if (XFilterEvent(&xe, None)) return;   // the input method took it

    NativeWindowId id = IdOf(xe.xany.window);
    Native* n = Find(id);
    switch (xe.type) {
    case KeyPress:
    case KeyRelease:
        TranslateKey(xe.xkey, n);
        break;
    case ButtonPress:
    case ButtonRelease:
        TranslateButton(xe.xbutton);
        break;
    case MotionNotify:
        TranslateMotion(xe.xmotion);
        break;
    case Expose:
        if (n) Queue(kRawExpose, id).rect =
            CRect(xe.xexpose.x, xe.xexpose.y, xe.xexpose.x + xe.xexpose.width, xe.xexpose.y + xe.xexpose.height);
        break;
    case ClientMessage:
        if (n && xe.xclient.message_type == m_atoms.wmProtocols) {
            Atom what = Atom(xe.xclient.data.l[0]);
            if (what == m_atoms.wmDeleteWindow) {
                Queue(RawEventKind::CloseRequest, id);
            } else if (what == m_atoms.netWmPing) {
                XEvent reply = xe;
                reply.xclient.window = m_root;
                XSendEvent(m_dpy, m_root, False, SubstructureNotifyMask | SubstructureRedirectMask, &reply);
            }
        }
        break;
    case FocusIn:
        if (n && n->ic) XSetICFocus(n->ic);
        break;
    case FocusOut:
        if (n && n->ic) XUnsetICFocus(n->ic);
        if (n && xe.xfocus.mode == NotifyNormal && xe.xfocus.detail != NotifyInferior) {
            Window focus = 0;
            int revert = 0;
            XGetInputFocus(m_dpy, &focus, &revert);
            if (!IdOf(focus)) Queue(kRawFocusOut, id);
        }
        break;
    case ConfigureNotify:
        if (n && !n->gone && xe.xconfigure.window == n->win) TranslateConfigure(xe.xconfigure, id, *n);
        break;
    case MapNotify:
        if (n) {
            n->mapped = true;
            if (m_grabWanted == id && !m_grabbed) TryGrab();
        }
        break;
    case UnmapNotify:
        if (n) n->mapped = false;
        break;
    case DestroyNotify:
        if (n && xe.xdestroywindow.window == n->win) {
            // Someone else destroyed it: keep the record so the window
            // system's calls find nothing to do.
            std::fprintf(stderr, "x11: window 0x%lx was destroyed by another client\n", n->win);
            n->gone = true;
            if (m_grabWanted == id) m_grabbed = false;
        }
        break;
    case MappingNotify:
        if (xe.xmapping.request == MappingKeyboard || xe.xmapping.request == MappingModifier)
            XRefreshKeyboardMapping(&xe.xmapping);
        break;
    default:
        break;
    }
}
