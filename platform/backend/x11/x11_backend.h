// The X11 backend: our top-level windows as real X windows (Xlib).
//
// This header carries no X11 types, so portable code and tests can hold an
// X11Backend without seeing Xlib; the implementation lives beside it.
//
// Call flow: WaitForEvents → poll(display, wake pipe, watched fds) → PollEvent
// → XNextEvent → selection traffic answered at once, everything else
// translated (x11_events.cpp) into raw events → the window system routes them.
// Present → XShmPutImage (MIT-SHM) or XPutImage → XFlush.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/backend/backend.h"

class X11Backend : public Backend {
public:
    // How long reading the clipboard waits for a silent owner (default 1000 ms).
    virtual void SetClipboardTimeout(int ms) = 0;
    virtual int ClipboardTimeout() const = 0;

    // Errors the display reported and we logged and ignored (BadWindow from a
    // window that vanished under us, and the like).
    virtual int IgnoredDisplayErrors() const = 0;

    // Runs when the connection to the display is lost, just before the
    // program ends (the data files are always written crash-safely; this is
    // the last chance to save what is only in memory).
    virtual void SetDisplayLostHandler(std::function<void()> handler) = 0;

    // The X window id behind one of our native windows (0 if unknown), so
    // tests and tools can address it from outside.
    virtual unsigned long XWindowOf(NativeWindowId id) const = 0;
    // The X window of our native window with this title (0 if none).
    virtual unsigned long XWindowForTitle(const CString& title) const = 0;

    // True when surfaces travel through shared memory.
    virtual bool UsesSharedMemory() const = 0;

    // Sends everything queued to the server and waits until it has handled it.
    virtual void Sync() = 0;
};

// The key translation, open for tests: the virtual-key code of an X keysym
// (0 if the platform has none) and the character it types when no input
// method is there (0 if none).
UINT VirtualKeyFromKeysym(unsigned long keysym);
char32_t CharFromKeysym(unsigned long keysym);

// Opens the display (null or empty: $DISPLAY). Null with a message in
// *error when it cannot be opened.
std::unique_ptr<X11Backend> CreateX11Backend(const char* displayName, std::string* error);
