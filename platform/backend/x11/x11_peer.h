// Another client on the same display, as a second program would be: the
// X11 tests use it to look at our windows from outside, to read the
// cursor the server shows, to own the clipboard without ever answering, and
// to destroy a window behind the backend's back. No X11 types here.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/backend/backend.h"

class X11Peer {
public:
    static std::unique_ptr<X11Peer> Open(const std::string& display, std::string* error);
    ~X11Peer();
    X11Peer(const X11Peer&) = delete;
    X11Peer& operator=(const X11Peer&) = delete;

    // The window's rectangle on the root window; false if it is gone.
    bool RootRect(unsigned long window, CRect* rect);
    bool Viewable(unsigned long window);
    bool OverrideRedirect(unsigned long window);
    // An 8-bit property as bytes; the names of an atom-list property; the
    // 32-bit items of any other property. Empty when missing.
    std::string BytesProperty(unsigned long window, const char* name);
    std::vector<std::string> AtomNames(unsigned long window, const char* name);
    std::vector<long> Longs(unsigned long window, const char* name);

    // Asks the window to close as a window manager does (WM_DELETE_WINDOW).
    void SendDeleteWindow(unsigned long window);
    void DestroyWindow(unsigned long window);

    // The cursor the server shows now, as 32-bit ARGB (not premultiplied).
    bool CurrentCursor(CursorImage* image);

    // Maps a plain window of the peer's own over a screen rectangle (a
    // window of another program passing over ours); Uncover takes it away.
    void Cover(const CRect& rect);
    void Uncover();

    // The window that owns CLIPBOARD now (0: nobody).
    unsigned long ClipboardOwner();

    // Takes the CLIPBOARD selection and never answers a request for it.
    bool OwnClipboardSilently();

private:
    X11Peer() = default;
    struct State;
    std::unique_ptr<State> m;
};
