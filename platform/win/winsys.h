// Inside the window system: the window table, the records behind the
// handles, the queue, timers and input state. Only platform/win includes it.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/backend/backend.h"
#include "platform/gfx/surface.h"
#include "platform/win/user.h"
#include "platform/win/wnd.h"

struct WindowClass {
    CString name;
    CString menuName;
    WNDCLASS wc;
};

struct ScrollBarState {
    int min = 0;
    int max = 0;
    UINT page = 0;
    int pos = 0;
    int trackPos = 0;
    bool tracking = false;
    bool enabled = true;
};

struct WindowRec {
    HWND hwnd = nullptr;
    CWnd* obj = nullptr;
    std::shared_ptr<WindowClass> cls;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;     // children only
    HWND owner = nullptr;      // top-level windows only
    int id = 0;
    CString text;
    CRect rect;                // parent's client coordinates, or the screen for top-level windows
    std::vector<HWND> children;   // top of the z-order first (GW_CHILD is children[0])
    HFONT font = nullptr;
    ScrollBarState bars[2];
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;

    // Invalid area, client coordinates; coalesced.
    std::vector<CRect> invalid;
    bool erase = false;
    bool ncDirty = false;
    bool internalPaint = false;

    // Top-level windows.
    std::shared_ptr<Surface> surface;   // shared with contexts still drawing on it
    NativeWindowId native = 0;
    std::vector<CRect> dirty;   // surface rectangles to present

    bool destroying = false;
    bool isDesktop = false;
    int modalResult = -1;
    bool modalDone = false;
};

struct Timer {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT period = 0;
    std::uint64_t due = 0;
    TIMERPROC proc = nullptr;
};

struct CursorRec {
    CursorImage image;
    bool shared = false;   // standard and resource cursors are never destroyed
};

struct WinSys {
    Backend* backend = nullptr;
    std::unordered_map<HWND, std::unique_ptr<WindowRec>> windows;
    std::uintptr_t nextHandle = 0x1000;
    std::vector<HWND> topLevels;   // topmost first
    HWND desktop = nullptr;
    std::map<CString, std::shared_ptr<WindowClass>> classes;   // folded names
    std::vector<std::unique_ptr<CString>> generatedClassNames;

    std::deque<MSG> posted;
    bool quit = false;
    int quitCode = 0;
    std::vector<Timer> timers;
    UINT_PTR nextTimerId = 0x7F00;

    // Routed input waiting to be taken, in arrival order.
    std::deque<MSG> input;
    // Messages being handled, innermost last (Default() reads them). A deque
    // so a reference to an entry survives nested sends.
    std::deque<MSG> handling;
    unsigned beginPaintCalls = 0;

    HWND focus = nullptr;
    HWND active = nullptr;
    HWND capture = nullptr;
    BYTE keys[256] = {};

    // Double-click synthesis.
    HWND lastClickWnd = nullptr;
    int lastClickButton = 0;
    std::uint64_t lastClickTime = 0;
    CPoint lastClickPt;
    bool lastWasDouble = false;
    UINT doubleClickTime = 500;

    HWND leaveTracked = nullptr;   // TrackMouseEvent(TME_LEAVE)
    CPoint cursorPos;
    bool clipped = false;
    CRect clipRect;
    HCURSOR cursor = nullptr;
    bool busyCursor = false;   // SetBusyCursor
    std::unordered_map<HCURSOR, std::unique_ptr<CursorRec>> cursors;
    std::map<int, HCURSOR> standardCursors;
    std::map<UINT, HCURSOR> resourceCursors;
    std::uintptr_t nextCursor = 0x100;
    CursorResourceLoader cursorLoader;

    // Contexts handed out by GetDC/GetWindowDC until ReleaseDC.
    std::map<CDC*, std::shared_ptr<Surface>> dcs;
    MessageFilter filter;
    int modalDepth = 0;
    int paintDepth = 0;
    bool shuttingDown = false;
};

WinSys& Sys();
bool SysReady();
WindowRec* Rec(HWND hwnd);                    // nullptr for a dead handle
inline WindowRec* Rec(const CWnd* w) { return w ? Rec(w->m_hWnd) : nullptr; }

// Geometry (window_manager.cpp).
bool IsTopLevel(const WindowRec* r);
WindowRec* TopLevelOf(WindowRec* r);
CRect NonClientInsets(const WindowRec* r);    // left, top, right, bottom widths
CRect ClientRectOf(const WindowRec* r);       // (0, 0, w, h)
CPoint ClientOriginOnScreen(const WindowRec* r);
CPoint WindowOriginOnScreen(const WindowRec* r);
CPoint WindowOriginInSurface(const WindowRec* r);
CPoint ClientOriginInSurface(const WindowRec* r);
CRect VisibleClipInSurface(const WindowRec* r, bool clientOnly);   // surface pixels, empty if hidden
bool IsVisibleRec(const WindowRec* r);
bool IsEnabledRec(const WindowRec* r);
void NotifySizeChanged(WindowRec* r, bool moved, bool sized);
// The display moved or resized a top-level window itself: the same as a
// SetWindowPos, without asking the display again.
void TakeNativeRect(WindowRec* r, const CRect& screenRect);
void RestackNatives();
void UpdateNonClient(WindowRec* r);           // after style or scroll-bar visibility change

// Painting (paint.cpp).
DcTarget ClientTarget(WindowRec* r);
DcTarget WindowTarget(WindowRec* r);
void SetScreenCaps(CDC& dc);
void InvalidateRec(WindowRec* r, const CRect* clientRect, bool erase, bool children);
void InvalidateNonClient(WindowRec* r);
void ValidateRec(WindowRec* r, const CRect* clientRect);
void MarkDirty(WindowRec* top, const CRect& surfaceRect);
void InvalidateBehind(WindowRec* r, const CRect& windowRectInParent);
WindowRec* FindWindowToPaint();
void FlushPresents();
void PaintNow(WindowRec* r);   // UpdateWindow
bool NeedsPaint();

// Messages (message_loop.cpp).
LRESULT SendTo(WindowRec* r, UINT msg, WPARAM w, LPARAM l);
// StepRan: nothing was taken, but a scripted step ran, so whatever a loop
// waits for may have happened.
enum class PumpResult { Dispatched, StepRan, Idle, Quit, NoMoreEvents };
// Takes one message (waiting if asked), runs the filter, pre-translation,
// translation and dispatch. msgOut (if given) receives what was taken.
PumpResult PumpOne(bool wait, MSG* msgOut = nullptr);
// Like GetMessage, reporting why it returned nothing.
PumpResult NextMessage(MSG* msg, bool wait);
void DropMessagesFor(HWND hwnd);
void KillTimersFor(HWND hwnd);

// Input (input.cpp).
bool RouteRawEvent(const RawEvent& e, MSG* out);
void ForgetWindowInput(HWND hwnd);
DWORD MouseKeyFlags();
void ApplyCursorShape();

// Scroll bars (scrollbar.cpp).
bool ScrollBarVisible(const WindowRec* r, int bar);
CRect ScrollBarRect(const WindowRec* r, int bar);   // window coordinates
int ScrollBarHitPart(const WindowRec* r, int bar, CPoint windowPt);
void DrawScrollBars(WindowRec* r, CDC& windowDc);
void TrackScrollBar(WindowRec* r, int bar, CPoint screenPt);

// Default handling (defwndproc.cpp).
LRESULT DefaultProc(WindowRec* r, UINT msg, WPARAM w, LPARAM l);
void DrawNonClient(WindowRec* r);
COLORREF BrushColour(HBRUSH brush, bool* ok);

// The object made for windows created by class name without a factory.
class ClassProcWnd : public CWnd {
public:
    explicit ClassProcWnd(WNDPROC proc) : m_proc(proc) { m_bAutoDelete = true; }
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    LRESULT DefWindowProc(UINT msg, WPARAM w, LPARAM l) override;

private:
    WNDPROC m_proc;
};
