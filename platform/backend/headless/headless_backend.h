// The headless backend: a virtual screen that composites our top-level
// windows in stacking order over a plain desktop, a clock that only moves
// when told to, and an input queue that tests fill.
//
// Input injected here only queues raw events; the window system picks them
// up on its next loop turn. Scripted steps run one at a time whenever the
// loop is idle (OnIdle), so a test can drive a modal loop from outside.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/backend/backend.h"
#include "platform/gfx/surface.h"

class HeadlessBackend : public Backend {
public:
    explicit HeadlessBackend(CSize screen = CSize(1280, 1024));
    ~HeadlessBackend() override;

    // --- Backend --------------------------------------------------------
    const char* Name() const override { return "headless"; }
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
    void GrabPointer(NativeWindowId id) override { m_grab = id; }
    CPoint PointerPosition() const override { return m_pointer; }
    void WarpPointer(CPoint screenPt) override;
    CSize ScreenSize() const override { return m_screenSize; }
    bool ReadScreenPixel(CPoint screenPt, COLORREF* colour) const override;
    bool CaptureScreen(Surface* out) const override;
    bool GetClipboardText(CString* text) override;
    bool SetClipboardText(const CString& text) override;
    bool PollEvent(RawEvent* event) override;
    bool WaitForEvents(int timeoutMs) override;
    void Wake() override {}
    bool OnIdle() override;
    std::uint64_t NowMs() const override { return m_now; }
    bool WatchFd(int fd, FdCallback callback, void* context) override;
    void UnwatchFd(int fd) override;

    // --- test input (queued; coordinates are screen pixels) ---------------
    void InjectMove(int x, int y);              // clamped to the screen and the confinement
    void InjectButton(int button, bool down);   // 1 left, 2 right, 3 middle
    void InjectWheel(int delta);
    void InjectKey(UINT vk, bool down, char16_t typed = 0);
    void InjectText(const CString& text);       // one Char event per character
    void InjectCloseRequest(NativeWindowId id);
    // Moves the clock; the window system's driver steps through timer due
    // times so each timer fires when the clock passes it.
    void SetClock(std::uint64_t nowMs) { if (nowMs > m_now) m_now = nowMs; }

    // --- scripted steps -----------------------------------------------------
    void QueueStep(std::function<void()> step);
    void QueueStepFirst(std::function<void()> step);   // before the steps already queued
    std::size_t PendingSteps() const { return m_steps.size(); }
    bool HasQueuedInput() const { return !m_events.empty(); }
    bool InStep() const { return m_stepDepth > 0; }

    // --- what a test can look at --------------------------------------------
    COLORREF PixelAt(int x, int y) const;       // CLR_INVALID off screen
    bool WriteScreenshot(const std::string& path, std::string* error = nullptr) const;
    const CursorImage* CurrentCursor() const { return m_cursorSet ? &m_cursor : nullptr; }
    bool CursorConfined(CRect* rect) const;
    NativeWindowId PointerGrab() const { return m_grab; }
    int NativeWindowCount() const { return int(m_windows.size()); }
    bool NativeWindowShown(NativeWindowId id) const;
    CRect NativeWindowRect(NativeWindowId id) const;
    CString NativeWindowTitle(NativeWindowId id) const;
    NativeWindowFlags NativeWindowFlagsOf(NativeWindowId id) const;
    int PresentCount() const { return m_presents; }

    static constexpr std::uint32_t kDesktopPixel = 0x003A6EA5;   // the classic desktop blue

private:
    struct Native {
        CRect rect;
        NativeWindowFlags flags;
        CString title;
        bool shown = false;
        Surface pixels;   // the last presented image
    };
    const Native* TopmostAt(CPoint p, CPoint* local) const;
    CPoint Clamp(CPoint p) const;
    RawEvent& Queue(RawEventKind kind);   // stamped with the pointer and the clock
    bool PollFds(int timeoutMs);          // runs the callbacks of readable descriptors

    struct Watch {
        int fd;
        FdCallback callback;
        void* context;
    };
    std::vector<Watch> m_fds;

    CSize m_screenSize;
    std::map<NativeWindowId, Native> m_windows;
    std::vector<NativeWindowId> m_stack;   // bottom first
    NativeWindowId m_nextId = 1;
    std::deque<RawEvent> m_events;
    std::deque<std::function<void()>> m_steps;
    int m_stepDepth = 0;
    std::uint64_t m_now = 0;
    CPoint m_pointer;
    bool m_confined = false;
    CRect m_confine;
    NativeWindowId m_grab = 0;
    CursorImage m_cursor;
    bool m_cursorSet = false;
    CString m_clipboard;
    bool m_hasClipboard = false;
    int m_presents = 0;
};
