// Inside the X11 backend: the one class behind X11Backend, split over
// x11_backend.cpp (connection, windows, presenting, screen, loop, errors),
// x11_events.cpp (X events to raw events, keys to virtual-key codes),
// x11_cursors.cpp and x11_clipboard.cpp. Only this folder includes Xlib.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

// Our headers come before Xlib's, whose macros (None, Expose, FocusOut,
// Status...) would otherwise rewrite our names.
#include "platform/backend/x11/x11_backend.h"
#include "platform/win/messages.h"

constexpr RawEventKind kRawExpose = RawEventKind::Expose;
constexpr RawEventKind kRawFocusOut = RawEventKind::FocusOut;
constexpr RawEventKind kRawNativeRectChanged = RawEventKind::NativeRectChanged;

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

class X11Display final : public X11Backend {
public:
    static std::unique_ptr<X11Display> Open(const char* displayName, std::string* error);
    ~X11Display() override;

    // --- Backend ----------------------------------------------------------
    const char* Name() const override { return "x11"; }
    NativeWindowId CreateNativeWindow(const CRect& screenRect, const NativeWindowFlags& flags,
                                      const CString& title) override;
    void DestroyNativeWindow(NativeWindowId id) override;
    void SetNativeWindowRect(NativeWindowId id, const CRect& screenRect) override;
    void ShowNativeWindow(NativeWindowId id, bool show) override;
    void SetNativeWindowTitle(NativeWindowId id, const CString& title) override;
    void RestackNativeWindows(const std::vector<NativeWindowId>& bottomToTop) override;
    void Present(NativeWindowId id, const Surface& surface, const std::vector<CRect>& rects) override;
    void SetCursorImage(const CursorImage* image) override;
    void ConfineCursor(const CRect* screenRect) override;
    void GrabPointer(NativeWindowId id) override;
    CPoint PointerPosition() const override;
    void WarpPointer(CPoint screenPt) override;
    CSize ScreenSize() const override;
    bool ReadScreenPixel(CPoint screenPt, COLORREF* colour) const override;
    bool CaptureScreen(Surface* out) const override;
    bool GetClipboardText(CString* text) override;
    bool SetClipboardText(const CString& text) override;
    bool PollEvent(RawEvent* event) override;
    bool WaitForEvents(int timeoutMs) override;
    void Wake() override;
    bool OnIdle() override { return false; }
    std::uint64_t NowMs() const override;
    bool WatchFd(int fd, FdCallback callback, void* context) override;
    void UnwatchFd(int fd) override;

    // --- X11Backend ---------------------------------------------------------
    void SetClipboardTimeout(int ms) override { m_clipTimeoutMs = ms < 0 ? 0 : ms; }
    int ClipboardTimeout() const override { return m_clipTimeoutMs; }
    int IgnoredDisplayErrors() const override { return m_ignoredErrors; }
    void SetDisplayLostHandler(std::function<void()> handler) override { m_lostHandler = std::move(handler); }
    unsigned long XWindowOf(NativeWindowId id) const override;
    unsigned long XWindowForTitle(const CString& title) const override;
    bool UsesSharedMemory() const override { return m_shmAvailable; }
    void Sync() override;

    // --- shared between the files of the backend ---------------------------
    void OnXError(const XErrorEvent& e);
    void OnConnectionLost();

private:
    X11Display() = default;

    struct Native {
        Window win = 0;
        CRect rect;
        // Rectangles we asked the server for whose ConfigureNotify has not
        // come back yet, oldest first: those notifications are our own and
        // are not reported (a stale one would move the window back).
        std::deque<CRect> requested;
        NativeWindowFlags flags;
        CString title;
        bool shown = false;
        bool mapped = false;   // MapNotify seen
        bool gone = false;     // destroyed behind our back
        XIC ic = nullptr;
        // Presenting: an image over shared memory when the server has it.
        XImage* shmImage = nullptr;
        XShmSegmentInfo shm{};
    };

    struct Atoms {
        Atom wmProtocols, wmDeleteWindow, netWmPing, netWmName, utf8String, netWmState, netWmStateAbove,
            netWmStateSkipTaskbar, netWmStateSkipPager, netWmWindowType, netWmWindowTypeNormal,
            netWmWindowTypeDialog, motifWmHints, clipboard, targets, text, incr, multiple, timestamp, ourProperty,
            netWmPid;
    };

    // Connection and windows (x11_backend.cpp).
    bool Connect(const char* displayName, std::string* error);
    Native* Find(NativeWindowId id);
    const Native* Find(NativeWindowId id) const;
    NativeWindowId IdOf(Window w) const;
    void SetTitleProperties(Window w, const CString& title);
    void SetPlacementHints(Window w, CPoint topLeft, int width, int height);
    void ApplyStateHints(Window w, const NativeWindowFlags& flags);
    void ReleaseShm(Native& n);
    bool EnsureShm(Native& n, int width, int height);
    void PutRect(Native& n, const Surface& surface, const CRect& r);
    bool TryGrab();
    void ApplyCursorToWindows();

    // Events (x11_events.cpp).
    void HandleXEvent(XEvent& xe);   // queues what it translates into m_pending
    void TranslateKey(XKeyEvent& ke, Native* n);
    void TranslateButton(const XButtonEvent& be);
    void TranslateMotion(const XMotionEvent& me);
    void TranslateConfigure(const XConfigureEvent& ce, NativeWindowId id, Native& n);
    void SyncModifiers(unsigned int state, UINT exceptVk);
    RawEvent& Queue(RawEventKind kind, NativeWindowId window = 0);
    CPoint ConfinedPoint(int rootX, int rootY);

    // Cursors (x11_cursors.cpp).
    Cursor StandardCursor(int id);
    Cursor MakeImageCursor(const CursorImage& image);

    // Clipboard (x11_clipboard.cpp).
    bool HandleSelectionEvent(XEvent& xe);   // true when it was selection traffic
    void AnswerSelectionRequest(const XSelectionRequestEvent& req);
    bool ConvertTarget(Window requestor, Atom property, Atom target);
    void ContinueIncr(const XPropertyEvent& pe);
    bool ReadSelection(Atom target, std::string* bytes, Atom* type);
    bool WaitForXEvent(const std::function<bool(const XEvent&)>& wanted, XEvent* out, std::int64_t deadlineMs);

    Display* m_dpy = nullptr;
    int m_screen = 0;
    Window m_root = 0;
    Visual* m_visual = nullptr;
    int m_depth = 0;
    bool m_directPixels = false;   // the visual's pixels are 0x00RRGGBB in 32-bit units
    Window m_utility = 0;          // never mapped: owns the selections, receives conversions
    Atoms m_atoms{};
    XIM m_im = nullptr;
    bool m_shmAvailable = false;
    std::int64_t m_startMs = 0;

    std::map<NativeWindowId, Native> m_windows;
    std::unordered_map<Window, NativeWindowId> m_byX;
    NativeWindowId m_nextId = 1;
    std::deque<RawEvent> m_pending;

    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    struct Watch {
        int fd;
        FdCallback callback;
        void* context;
    };
    std::vector<Watch> m_watches;

    // Pointer.
    NativeWindowId m_grabWanted = 0;
    bool m_grabbed = false;
    bool m_confined = false;
    CRect m_confine;
    Window m_confineWin = 0;       // input-only stand-in the grab confines to
    Cursor m_cursor = 0;           // what our windows show (0: parent's)
    Cursor m_ownedCursor = 0;      // made from an image; freed when replaced
    Cursor m_invisible = 0;
    std::map<int, Cursor> m_standard;
    bool m_modDown[3] = {};        // shift, control, alt as we last reported them

    // Clipboard.
    CString m_clipText;
    std::string m_clipUtf8;
    bool m_ownClipboard = false;
    Time m_clipSince = CurrentTime;
    int m_clipTimeoutMs = 1000;
    struct IncrSend {
        Window requestor;
        Atom property;
        Atom type;
        std::string bytes;
        std::size_t offset;
    };
    std::vector<IncrSend> m_incr;
    std::size_t m_maxChunk = 0;

    // Errors.
    int m_ignoredErrors = 0;
    int m_trap = 0;                // >0: errors are recorded, not logged
    int m_trappedError = 0;
    std::function<void()> m_lostHandler;

    friend class ErrorTrap;
};

// Records the errors of the requests made while it lives instead of logging
// them (Sync first to see them all).
class ErrorTrap {
public:
    explicit ErrorTrap(X11Display* d) : m_d(d) {
        ++m_d->m_trap;
        m_d->m_trappedError = 0;
    }
    ~ErrorTrap() { --m_d->m_trap; }
    int Error() {
        XSync(m_d->m_dpy, False);
        return m_d->m_trappedError;
    }

private:
    X11Display* m_d;
};
