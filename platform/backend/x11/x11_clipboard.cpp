// The clipboard as the CLIPBOARD selection.
//
// Owning: SetClipboardText takes the selection for our utility window and
// answers TARGETS, TIMESTAMP, MULTIPLE, UTF8_STRING, TEXT and STRING;
// texts larger than one request go in INCR pieces as the requestor deletes
// each one. Reading: XConvertSelection into our own property, waiting at
// most the clipboard timeout in all, so an owner that never answers cannot
// hang the program; everything else that arrives meanwhile is handled and
// queued as usual.
//
// Line ends: the system's text uses CR LF; X peers use LF. They are
// converted here, at the boundary, both ways.
#include "platform/backend/x11/x11_display.h"

#include <X11/Xatom.h>
#include <poll.h>

#include <chrono>
#include <climits>

namespace {

std::int64_t NowSteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string WithLf(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
        out.push_back(s[i]);
    }
    return out;
}

CString WithCrLf(const CString& s) {
    CString out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'\n' && (i == 0 || s[i - 1] != u'\r')) out.push_back(u'\r');
        out.push_back(s[i]);
    }
    return out;
}

std::string Latin1(const CString& s) {
    std::string out;
    for (char16_t c : s) out.push_back(c < 0x100 ? char(c) : '?');
    return WithLf(out);
}

CString FromLatin1(const std::string& s) {
    CString out;
    for (unsigned char c : s) out.push_back(char16_t(c));
    return out;
}

}  // namespace

bool X11Display::SetClipboardText(const CString& text) {
    m_clipText = text;
    m_clipUtf8 = WithLf(ToUtf8(text));
    XSetSelectionOwner(m_dpy, m_atoms.clipboard, m_utility, CurrentTime);
    m_ownClipboard = XGetSelectionOwner(m_dpy, m_atoms.clipboard) == m_utility;
    XFlush(m_dpy);
    return m_ownClipboard;
}

// ---------------------------------------------------------------- owning

bool X11Display::ConvertTarget(Window requestor, Atom property, Atom target) {
    if (target == m_atoms.targets) {
        Atom list[] = {m_atoms.targets, m_atoms.multiple, m_atoms.timestamp, m_atoms.utf8String, m_atoms.text,
                       XA_STRING};
        XChangeProperty(m_dpy, requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(list), int(sizeof list / sizeof list[0]));
        return true;
    }
    if (target == m_atoms.timestamp) {
        long t = long(m_clipSince);
        XChangeProperty(m_dpy, requestor, property, XA_INTEGER, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&t), 1);
        return true;
    }
    std::string bytes;
    Atom type = 0;
    if (target == m_atoms.utf8String || target == m_atoms.text) {
        bytes = m_clipUtf8;
        type = m_atoms.utf8String;
    } else if (target == XA_STRING) {
        bytes = Latin1(m_clipText);
        type = XA_STRING;
    } else {
        return false;
    }
    if (bytes.size() > m_maxChunk) {
        // Too large for one request: announce the size, then send a piece
        // each time the requestor deletes the property.
        XSelectInput(m_dpy, requestor, PropertyChangeMask);
        long size = long(bytes.size());
        XChangeProperty(m_dpy, requestor, property, m_atoms.incr, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&size), 1);
        m_incr.push_back({requestor, property, type, std::move(bytes), 0});
        return true;
    }
    XChangeProperty(m_dpy, requestor, property, type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(bytes.data()), int(bytes.size()));
    return true;
}

void X11Display::AnswerSelectionRequest(const XSelectionRequestEvent& req) {
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = m_dpy;
    reply.requestor = req.requestor;
    reply.selection = req.selection;
    reply.target = req.target;
    reply.time = req.time;
    // Old clients name no property: the target doubles as one.
    Atom property = req.property ? req.property : req.target;
    bool ok = false;
    {
        // A requestor that vanished meanwhile must not disturb us.
        ErrorTrap trap(this);
        if (m_ownClipboard && req.selection == m_atoms.clipboard) {
            if (req.target == m_atoms.multiple && req.property) {
                Atom type = 0;
                int format = 0;
                unsigned long count = 0, after = 0;
                unsigned char* data = nullptr;
                if (XGetWindowProperty(m_dpy, req.requestor, req.property, 0, 1024, False, AnyPropertyType, &type,
                                       &format, &count, &after, &data) == Success &&
                    data && format == 32) {
                    auto pairs = reinterpret_cast<Atom*>(data);
                    for (unsigned long i = 0; i + 1 < count; i += 2)
                        if (!ConvertTarget(req.requestor, pairs[i + 1], pairs[i])) pairs[i + 1] = None;
                    XChangeProperty(m_dpy, req.requestor, req.property, type, 32, PropModeReplace, data, int(count));
                    ok = true;
                }
                if (data) XFree(data);
            } else {
                ok = ConvertTarget(req.requestor, property, req.target);
            }
        }
        reply.property = ok ? property : None;
        XSendEvent(m_dpy, req.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
        trap.Error();
    }
}

void X11Display::ContinueIncr(const XPropertyEvent& pe) {
    for (auto it = m_incr.begin(); it != m_incr.end(); ++it) {
        if (it->requestor != pe.window || it->property != pe.atom) continue;
        ErrorTrap trap(this);
        std::size_t n = std::min(m_maxChunk, it->bytes.size() - it->offset);
        XChangeProperty(m_dpy, it->requestor, it->property, it->type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(it->bytes.data() + it->offset), int(n));
        it->offset += n;
        bool failed = trap.Error() != 0;
        // The empty piece that ends the transfer has gone out.
        if (n == 0 || failed) {
            XSelectInput(m_dpy, it->requestor, NoEventMask);
            m_incr.erase(it);
        }
        return;
    }
}

bool X11Display::HandleSelectionEvent(XEvent& xe) {
    switch (xe.type) {
    case SelectionRequest:
        AnswerSelectionRequest(xe.xselectionrequest);
        XFlush(m_dpy);
        return true;
    case SelectionClear:
        if (xe.xselectionclear.selection == m_atoms.clipboard) m_ownClipboard = false;
        return true;
    case SelectionNotify:
        return true;   // a late answer to a read that timed out
    case PropertyNotify:
        if (xe.xproperty.window == m_utility) return true;
        if (xe.xproperty.state == PropertyDelete && !m_incr.empty()) {
            ContinueIncr(xe.xproperty);
            XFlush(m_dpy);
            return !IdOf(xe.xproperty.window);
        }
        return false;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- reading

bool X11Display::WaitForXEvent(const std::function<bool(const XEvent&)>& wanted, XEvent* out,
                               std::int64_t deadlineMs) {
    for (;;) {
        while (XPending(m_dpy) > 0) {
            XNextEvent(m_dpy, out);
            if (wanted(*out)) return true;
            HandleXEvent(*out);
        }
        std::int64_t left = deadlineMs - NowSteadyMs();
        if (left <= 0) return false;
        pollfd p{ConnectionNumber(m_dpy), POLLIN, 0};
        poll(&p, 1, int(std::min<std::int64_t>(left, INT_MAX)));
    }
}

bool X11Display::ReadSelection(Atom target, std::string* bytes, Atom* typeOut) {
    std::int64_t deadline = NowSteadyMs() + m_clipTimeoutMs;
    Atom prop = m_atoms.ourProperty;
    XDeleteProperty(m_dpy, m_utility, prop);
    XConvertSelection(m_dpy, m_atoms.clipboard, target, prop, m_utility, CurrentTime);
    XFlush(m_dpy);
    XEvent xe;
    auto notify = [&](const XEvent& e) {
        return e.type == SelectionNotify && e.xselection.requestor == m_utility &&
               e.xselection.selection == m_atoms.clipboard;
    };
    if (!WaitForXEvent(notify, &xe, deadline)) return false;
    if (xe.xselection.property == None) return false;

    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_dpy, m_utility, prop, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format, &count,
                           &after, &data) != Success)
        return false;
    if (type != m_atoms.incr) {
        if (data && format == 8) bytes->assign(reinterpret_cast<char*>(data), count);
        if (data) XFree(data);
        *typeOut = type;
        return format == 8;
    }
    if (data) XFree(data);
    // INCR: deleting the property (done above) asks for the next piece; an
    // empty piece ends the transfer. Each piece restarts the wait, so a
    // large text from a live owner is not cut off.
    bytes->clear();
    auto newValue = [&](const XEvent& e) {
        return e.type == PropertyNotify && e.xproperty.window == m_utility && e.xproperty.atom == prop &&
               e.xproperty.state == PropertyNewValue;
    };
    for (;;) {
        if (!WaitForXEvent(newValue, &xe, deadline)) return false;
        data = nullptr;
        if (XGetWindowProperty(m_dpy, m_utility, prop, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format,
                               &count, &after, &data) != Success)
            return false;
        bool done = count == 0;
        if (data && format == 8) bytes->append(reinterpret_cast<char*>(data), count);
        if (data) XFree(data);
        if (done) break;
        deadline = NowSteadyMs() + m_clipTimeoutMs;
    }
    *typeOut = type;
    return true;
}

bool X11Display::GetClipboardText(CString* text) {
    Window owner = XGetSelectionOwner(m_dpy, m_atoms.clipboard);
    if (owner == None) return false;
    if (owner == m_utility && m_ownClipboard) {
        if (text) *text = m_clipText;
        return true;
    }
    std::string bytes;
    Atom type = 0;
    std::int64_t start = NowSteadyMs();
    int fullTimeout = m_clipTimeoutMs;
    bool ok = ReadSelection(m_atoms.utf8String, &bytes, &type);
    CString result;
    if (ok) {
        // UTF-8 if it is valid, else the 8-bit code page, as all text here.
        result = type == XA_STRING ? FromLatin1(bytes) : FromAnsi(bytes);
    } else {
        // An owner that refused UTF8_STRING may still have STRING; the
        // whole read stays within one timeout.
        int left = int(fullTimeout - (NowSteadyMs() - start));
        if (left <= 0) return false;
        m_clipTimeoutMs = left;
        ok = ReadSelection(XA_STRING, &bytes, &type);
        m_clipTimeoutMs = fullTimeout;
        if (!ok) return false;
        result = FromLatin1(bytes);
    }
    if (text) *text = WithCrLf(result);
    return true;
}
