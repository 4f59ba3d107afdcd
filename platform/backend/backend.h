// The one interface between the window system and whatever shows its
// windows: a virtual screen for tests and screenshots, or a real display.
//
// The window system owns every top-level window's backing surface and calls
// Present with the rectangles it changed; the backend only shows pixels,
// shapes the cursor and reports raw input in screen coordinates. It knows
// nothing about child windows, messages or focus.
//
// Index: native window flags · cursor images · raw events · Backend.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/geometry.h"
#include "platform/base/text.h"
#include "platform/base/types.h"

class Surface;

using NativeWindowId = std::uint64_t;   // 0 is "no window"

struct NativeWindowFlags {
    // The display's own frame and title. The window system draws captions and
    // borders into the surface itself and asks for this only for windows it
    // does not frame (none at present); backends must honour false.
    bool decorated = false;
    bool overrideRedirect = false;  // tips, palettes, drop-down lists: no window manager
    bool taskbar = true;          // appears in the task bar (false for tool windows)
    bool topmost = false;
};

// A cursor shape as 32-bit ARGB pixels (alpha 0 = transparent; the masks'
// "invert screen" case is mapped to opaque black by the window system) or,
// when standardId is not 0, one of the display's standard shapes (IDC_*).
struct CursorImage {
    int standardId = 0;
    int width = 0;
    int height = 0;
    CPoint hotSpot;
    std::vector<std::uint32_t> argb;
};

enum class RawEventKind {
    None,
    MouseMove,
    ButtonDown,    // button: 1 left, 2 right, 3 middle
    ButtonUp,
    Wheel,         // wheelDelta in multiples of 120, positive = away from the user
    KeyDown,       // vk, and the character it types (0 if none)
    KeyUp,
    Char,          // typed text that has no key of its own
    CloseRequest,  // the display asks a top-level window to close
    Expose,        // the display lost the pixels of rect (window coordinates)
    FocusOut,      // the display gave the keyboard to another program
    // Someone other than the window system (a window manager, the user
    // through it) moved or resized a top-level window: rect is its new
    // screen rectangle. Backends do not report the window system's own
    // SetNativeWindowRect calls back.
    NativeRectChanged,
};

struct RawEvent {
    RawEventKind kind = RawEventKind::None;
    NativeWindowId window = 0;    // target for window-bound events, else 0
    CPoint screenPt;              // pointer position for mouse events
    int button = 0;
    int wheelDelta = 0;
    UINT vk = 0;
    char16_t ch = 0;
    CRect rect;
    std::uint64_t timeMs = 0;     // clock time of the event
};

class Backend {
public:
    virtual ~Backend() = default;

    // Short name for messages and logs ("headless", "x11").
    virtual const char* Name() const = 0;

    // Top-level windows. Rectangles are in screen coordinates and cover the
    // whole window the system draws (its non-client area included).
    virtual NativeWindowId CreateNativeWindow(const CRect& screenRect, const NativeWindowFlags& flags,
                                              const CString& title) = 0;
    virtual void DestroyNativeWindow(NativeWindowId id) = 0;
    virtual void SetNativeWindowRect(NativeWindowId id, const CRect& screenRect) = 0;
    virtual void ShowNativeWindow(NativeWindowId id, bool show) = 0;
    virtual void SetNativeWindowTitle(NativeWindowId id, const CString& title) = 0;
    // The stacking order of all our native windows, bottom first.
    virtual void RestackNativeWindows(const std::vector<NativeWindowId>& bottomToTop) = 0;

    // Shows the given rectangles (window coordinates) of the window's surface.
    virtual void Present(NativeWindowId id, const Surface& surface, const std::vector<CRect>& rects) = 0;

    // Pointer and cursor.
    virtual void SetCursorImage(const CursorImage* image) = 0;   // nullptr hides the cursor
    virtual void ConfineCursor(const CRect* screenRect) = 0;     // nullptr frees it
    virtual void GrabPointer(NativeWindowId id) = 0;             // 0 releases the grab
    virtual CPoint PointerPosition() const = 0;
    virtual void WarpPointer(CPoint screenPt) = 0;

    // The screen.
    virtual CSize ScreenSize() const = 0;
    // Colour of a screen pixel as the display shows it; false when it cannot be read.
    virtual bool ReadScreenPixel(CPoint screenPt, COLORREF* colour) const = 0;
    // The whole screen as the display shows it (screenshots, the desktop's
    // window context); false when it cannot be read.
    virtual bool CaptureScreen(Surface* out) const = 0;

    // Clipboard text (the system's own ANSI text travels as UTF-16 here).
    virtual bool GetClipboardText(CString* text) = 0;
    virtual bool SetClipboardText(const CString& text) = 0;

    // Event source. Poll returns false when nothing is waiting. Wait blocks up
    // to timeoutMs (-1: no limit) until an event, a wake-up or a watched file
    // descriptor is ready; it returns false when no event can ever arrive (a
    // virtual screen with nothing scripted), so loops end instead of hanging.
    virtual bool PollEvent(RawEvent* event) = 0;
    virtual bool WaitForEvents(int timeoutMs) = 0;
    virtual void Wake() = 0;

    // Called by the loop whenever it has nothing left to do. Returns true when
    // it did something that may have produced work (a scripted step ran).
    virtual bool OnIdle() = 0;

    // The clock timers run on, in milliseconds.
    virtual std::uint64_t NowMs() const = 0;

    // File descriptors the loop watches (the automation bus); the callback
    // runs from the loop when the descriptor is readable.
    using FdCallback = void (*)(int fd, void* context);
    virtual bool WatchFd(int fd, FdCallback callback, void* context) = 0;
    virtual void UnwatchFd(int fd) = 0;
};

// The backend chosen at start-up: headless when asked for or when there is no
// display. Factories live with each implementation.
std::unique_ptr<Backend> CreateHeadlessBackend(CSize screen = CSize(1280, 1024));
