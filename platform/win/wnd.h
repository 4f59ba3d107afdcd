// CWnd: a window as a C++ object with a handle.
//
// Each class handles its messages in one virtual WindowProc: a switch that
// calls handlers named after their messages and passes the rest to its base
// class, ending in DefWindowProc (the platform's default behaviour: hit
// testing, cursors, erasing, the move loop, the scroll bars...).
//
// The window table maps handles to objects. A handle is never reused, so a
// message posted to a window that is gone is dropped at dispatch, and
// FromHandle of a dead handle is nullptr. After WM_NCDESTROY the object is
// detached and PostNcDestroy runs; objects that own themselves delete
// themselves there.
//
// Index: life cycle · tree · text, styles, fonts · geometry · painting ·
// input · timers · scroll bars · messages · dispatch hooks · modal loops.
#pragma once

#include <memory>
#include <string>

#include "platform/base/text.h"
#include "platform/win/messages.h"

class CDC;
class CFont;
class Surface;

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }

    // nullptr for a null, dead or unknown handle.
    static CWnd* FromHandle(HWND hwnd);

    // --- life cycle ----------------------------------------------------
    // className null or empty: the default window class (double clicks,
    // arrow cursor, window-colour background). parent null with WS_CHILD
    // fails. Returns FALSE (and m_hWnd stays null) when creation fails or
    // the window refuses it (WM_NCCREATE false or WM_CREATE -1).
    virtual BOOL CreateEx(DWORD exStyle, const char16_t* className, const char16_t* windowName,
                          DWORD style, const CRect& rect, CWnd* parent, UINT id,
                          void* createParam = nullptr);
    BOOL CreateEx(DWORD exStyle, const char16_t* className, const char16_t* windowName, DWORD style,
                  int x, int y, int width, int height, HWND parent, UINT id, void* createParam = nullptr);
    virtual BOOL Create(const char16_t* className, const char16_t* windowName, DWORD style,
                        const CRect& rect, CWnd* parent, UINT id, void* createParam = nullptr);
    // Destroys the children first (WM_DESTROY parent first, WM_NCDESTROY
    // children first). Safe to call from the window's own handlers.
    virtual BOOL DestroyWindow();

    // Makes this object the window's object (dialog data exchange attaches
    // controls this way). An object the window owned (made by its class) is
    // deleted; the window keeps its state.
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();
    BOOL Attach(HWND hwnd) { return SubclassWindow(hwnd); }
    HWND Detach() { return UnsubclassWindow(); }

    // --- tree ------------------------------------------------------------
    CWnd* GetParent() const;
    CWnd* SetParent(CWnd* newParent);
    // The owner link (top-level popups); nullptr when none.
    CWnd* GetOwner() const;
    void SetOwner(CWnd* owner);
    CWnd* GetTopLevelParent() const;
    static CWnd* GetDesktopWindow();
    CWnd* GetWindow(UINT cmd) const;          // GW_*
    CWnd* GetNextWindow(UINT cmd = GW_HWNDNEXT) const { return GetWindow(cmd); }
    CWnd* GetDlgItem(int id) const;           // direct children only
    int GetDlgCtrlID() const;
    int SetDlgCtrlID(int id);
    BOOL IsChild(const CWnd* wnd) const;      // any depth
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;             // this and all its parents visible
    static BOOL IsWindow(HWND hwnd);

    // --- text, styles, fonts ---------------------------------------------
    void SetWindowText(const CString& text);
    void SetWindowText(const char16_t* text) { SetWindowText(CString(text ? text : u"")); }
    CString GetWindowText() const;
    void GetWindowText(CString& text) const { text = GetWindowText(); }
    int GetWindowTextLength() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);
    LONG_PTR GetWindowLongPtr(int index) const;
    LONG_PTR SetWindowLongPtr(int index, LONG_PTR value);
    // Sends WM_SETFONT / WM_GETFONT; the default handling keeps the handle.
    void SetFont(CFont* font, BOOL redraw = TRUE);
    CFont* GetFont() const;
    CString GetClassName() const;

    // --- geometry ----------------------------------------------------------
    // Positions are in the parent's client coordinates for children and in
    // screen coordinates for top-level windows.
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(const CRect& rect, BOOL repaint = TRUE);
    // insertAfter: a sibling, &wndTop, &wndBottom, &wndTopMost, &wndNoTopMost.
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    BOOL ShowWindow(int cmd);
    BOOL EnableWindow(BOOL enable = TRUE);   // returns TRUE if it was disabled
    void GetClientRect(CRect* rect) const;
    void GetWindowRect(CRect* rect) const;   // screen coordinates
    void ClientToScreen(CPoint* point) const;
    void ClientToScreen(CRect* rect) const;
    void ScreenToClient(CPoint* point) const;
    void ScreenToClient(CRect* rect) const;
    void MapWindowPoints(CWnd* to, CPoint* points, int count) const;
    void MapWindowPoints(CWnd* to, CRect* rect) const;
    void CenterWindow(CWnd* alternateOwner = nullptr);
    void BringWindowToTop();
    CWnd* ChildWindowFromPoint(CPoint clientPoint) const;

    // --- painting ------------------------------------------------------------
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(const CRect* rect, BOOL erase = TRUE);   // client coordinates; null = all
    void ValidateRect(const CRect* rect);
    void UpdateWindow();
    BOOL RedrawWindow(const CRect* rect = nullptr, void* region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    BOOL GetUpdateRect(CRect* rect, BOOL erase = FALSE);
    // A context on the client area (GetDC) or the whole window (GetWindowDC).
    // Drawing lands in the top-level surface and is shown at the next idle.
    // nullptr when the window has no surface (hidden top-level, destroyed).
    CDC* GetDC();
    CDC* GetWindowDC();
    int ReleaseDC(CDC* dc);
    // Moves the pixels of scrollRect (client coordinates, default the whole
    // client area) by (dx, dy), clipped to clipRect, and invalidates what
    // the move uncovered. Child windows move with it when no scroll rectangle
    // is given, as the platform does.
    void ScrollWindow(int dx, int dy, const CRect* scrollRect = nullptr, const CRect* clipRect = nullptr);

    // --- input --------------------------------------------------------------
    CWnd* SetCapture();
    static CWnd* GetCapture();
    CWnd* SetFocus();
    static CWnd* GetFocus();
    static CWnd* GetActiveWindow();
    CWnd* SetActiveWindow();
    BOOL SetForegroundWindow() { return SetActiveWindow() != nullptr || GetActiveWindow() == this; }

    // --- timers ---------------------------------------------------------------
    // Returns the id (0 on failure). WM_TIMER arrives once the clock has
    // passed the due time; a timer that is late fires once, not repeatedly.
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc = nullptr);
    BOOL KillTimer(UINT_PTR id);

    // --- scroll bars (the standard ones in the non-client area) -------------
    int SetScrollInfo(int bar, SCROLLINFO* info, BOOL redraw = TRUE);   // returns the position
    BOOL GetScrollInfo(int bar, SCROLLINFO* info, UINT mask = SIF_ALL) const;
    void SetScrollRange(int bar, int minPos, int maxPos, BOOL redraw = TRUE);
    void GetScrollRange(int bar, int* minPos, int* maxPos) const;
    int SetScrollPos(int bar, int pos, BOOL redraw = TRUE);   // returns the previous position
    int GetScrollPos(int bar) const;
    int GetScrollLimit(int bar) const;
    void ShowScrollBar(UINT bar, BOOL show = TRUE);
    void EnableScrollBarCtrl(int bar, BOOL enable = TRUE);

    // --- messages -------------------------------------------------------------
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL deep = TRUE);
    // The message being handled now, for Default().
    const MSG* GetCurrentMessage() const;

    // --- dispatch ---------------------------------------------------------------
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The platform's default handling; for windows of a class registered
    // with a window procedure (and no object factory), that procedure.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // DefWindowProc with the message being handled.
    LRESULT Default();
    // Called by message loops for each message before it is dispatched,
    // walking from the target up through its parents; TRUE consumes it.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // WM_COMMAND and WM_NOTIFY from the base WindowProc; TRUE when handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Reflection: when the base WindowProc of a parent gets WM_COMMAND from a
    // control, WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM, WM_DELETEITEM or a
    // WM_CTLCOLOR* message, the control's object sees it here first (owner-
    // drawn buttons draw themselves this way). TRUE means handled, with
    // *result as the answer to the parent's sender.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    virtual void PreSubclassWindow();
    // Runs after WM_NCDESTROY, when the handle is already gone. By default
    // it deletes objects the window system made (m_bAutoDelete), so every
    // class created by class name is freed without an override of its own.
    virtual void PostNcDestroy();

    // --- modal loops --------------------------------------------------------------
    // Pumps the one queue until EndModalLoop; loops nest. Returns the code
    // given to EndModalLoop, or -1 when the window is destroyed meanwhile or
    // the backend can never deliver another event.
    int RunModalLoop();
    void EndModalLoop(int result);
    BOOL ContinueModal() const;

    // Windows the system creates by class name own their objects.
    bool m_bAutoDelete = false;

};

// Stand-ins for the special z-order positions of SetWindowPos.
extern const CWnd wndTop;
extern const CWnd wndBottom;
extern const CWnd wndTopMost;
extern const CWnd wndNoTopMost;

// Painting contexts as scopes.
// CPaintDC: BeginPaint/EndPaint. Its clip box is the bounding box of the
// window's invalid area within the client area; painting validates it.
// Where a window context draws: its top-level surface, the device origin
// (client or window top-left in surface pixels) and the visible part.
struct DcTarget {
    Surface* surface = nullptr;
    std::shared_ptr<Surface> keep;   // the surface lives while the context does
    CPoint origin;
    CRect clip;          // surface pixels
    CRect paintRect;     // CPaintDC: the invalid bounding box, client coordinates
    bool erase = false;  // CPaintDC: WM_ERASEBKGND is due
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    // The invalid area's bounding box in client coordinates (rcPaint).
    const CRect& PaintRect() const { return m_rcPaint; }
    BOOL EraseRequested() const { return m_bErase; }

private:
    CPaintDC(CWnd* wnd, const DcTarget& target);
    HWND m_hWnd;
    std::shared_ptr<Surface> m_keep;
    CRect m_rcPaint;
    BOOL m_bErase = FALSE;
};

// GetDC/ReleaseDC as a scope.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

private:
    CClientDC(CWnd* wnd, const DcTarget& target);
    HWND m_hWnd;
    std::shared_ptr<Surface> m_keep;
};

// GetWindowDC as a scope: the whole window, non-client area included.
class CWindowDC : public CDC {
public:
    explicit CWindowDC(CWnd* wnd);
    ~CWindowDC() override;

private:
    CWindowDC(CWnd* wnd, const DcTarget& target);
    HWND m_hWnd;
    std::shared_ptr<Surface> m_keep;
};
