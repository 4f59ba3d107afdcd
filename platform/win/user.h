// The window system's free functions, as the system's code calls them:
// start-up, classes, windows by handle, the message loop, input state,
// cursors, timers, metrics and the screen.
//
// Index: start-up · classes and creation · handles · messages and loops ·
// modal loops · focus, capture, keys · cursors · timers and the clock ·
// metrics, colours and the screen.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/backend/backend.h"
#include "platform/base/text.h"
#include "platform/win/messages.h"

class CWnd;

// ---------------------------------------------------------------- start-up
// The window system runs on one backend for the whole process. Init takes
// it (not owned); Shutdown destroys every window that is left.
bool InitWindowSystem(Backend* backend);
void ShutdownWindowSystem();
Backend* GetBackend();
// The module handle of the program (resources are looked up by it).
HINSTANCE GetModuleHandle(const char16_t* name = nullptr);
HINSTANCE AfxGetInstanceHandle();

// ---------------------------------------------------------------- classes and creation
// FALSE when the name is taken (class names compare without case).
BOOL RegisterClass(const WNDCLASS* wc);
BOOL UnregisterClass(const char16_t* className, HINSTANCE instance);
BOOL GetClassInfo(HINSTANCE instance, const char16_t* className, WNDCLASS* wc);
// A class with these settings, registered on first use; returns its name
// (stable for the whole run).
const char16_t* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr,
                                    HBRUSH background = nullptr, HICON icon = nullptr);

// A window of a registered class, its object made by the class (or a plain
// object calling the class's window procedure). menuOrId is a child's id.
HWND CreateWindowEx(DWORD exStyle, const char16_t* className, const char16_t* windowName,
                    DWORD style, int x, int y, int width, int height, HWND parent,
                    HMENU menuOrId, HINSTANCE instance, void* createParam);
BOOL DestroyWindow(HWND hwnd);
LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------- handles
BOOL IsWindow(HWND hwnd);
BOOL IsWindowVisible(HWND hwnd);
BOOL IsWindowEnabled(HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL ShowWindow(HWND hwnd, int cmd);
HWND GetParent(HWND hwnd);
HWND GetWindow(HWND hwnd, UINT cmd);
HWND GetDlgItem(HWND parent, int id);
int GetDlgCtrlID(HWND hwnd);
HWND GetDesktopWindow();   // the screen as a window: its rectangle is the screen
BOOL GetWindowRect(HWND hwnd, CRect* rect);
BOOL GetClientRect(HWND hwnd, CRect* rect);
BOOL ClientToScreen(HWND hwnd, CPoint* point);
BOOL ScreenToClient(HWND hwnd, CPoint* point);
BOOL InvalidateRect(HWND hwnd, const CRect* rect, BOOL erase);
BOOL SetWindowText(HWND hwnd, const char16_t* text);
LONG_PTR GetWindowLongPtr(HWND hwnd, int index);
LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value);
// The deepest visible, enabled window under a screen point that does not
// answer HTTRANSPARENT; null outside all our windows.
HWND WindowFromPoint(CPoint screenPt);
// Every top-level window, topmost first.
std::vector<HWND> TopLevelWindows();

// ---------------------------------------------------------------- messages and loops
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// FALSE for a dead handle. A null handle posts a thread message.
BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
void PostQuitMessage(int exitCode);
// Waits until a message is there; FALSE for WM_QUIT. Returns -1 when the
// backend can never deliver another event (a virtual screen with nothing
// left to do), so a loop ends instead of hanging.
int GetMessage(MSG* msg, HWND filter = nullptr, UINT first = 0, UINT last = 0);
BOOL PeekMessage(MSG* msg, HWND filter, UINT first, UINT last, UINT removeFlags);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessage(const MSG* msg);
// The pre-translation walk: PreTranslateMessage of the target and its
// parents, innermost first. TRUE when one of them consumed the message.
BOOL WalkPreTranslateTree(MSG* msg, HWND stopAt = nullptr);
// One turn of the loop: take a message (or an idle step), pre-translate,
// translate, dispatch. Returns false when there was nothing to do.
bool PumpMessage(bool wait);
// Dispatches until nothing is queued, nothing needs painting, no timer is
// due and the backend has no scripted step left.
void RunUntilIdle();
// True when a message, a paint or a due timer is waiting.
bool HasPendingWork();
// Hook that sees every message before pre-translation (dialog managers);
// return true to consume.
using MessageFilter = std::function<bool(MSG*)>;
void SetMessageFilter(MessageFilter filter);

// ---------------------------------------------------------------- modal loops
// Pumps until EndModalLoop(hwnd, code). Nested loops end innermost first.
int RunModalLoop(HWND hwnd);
void EndModalLoop(HWND hwnd, int code);
int ModalLoopDepth();
// The move loop that WM_NCLBUTTONDOWN with HTCAPTION starts: the window
// follows the pointer from where it is now until the left button is
// released (Esc puts it back).
void RunMoveLoop(HWND hwnd);

// ---------------------------------------------------------------- focus, capture, keys
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
HWND GetForegroundWindow();
HWND SetCapture(HWND hwnd);
HWND GetCapture();
BOOL ReleaseCapture();
// High bit set while the key is down; low bit toggles with each press.
short GetKeyState(int vk);
short GetAsyncKeyState(int vk);
// TME_LEAVE: WM_MOUSELEAVE is posted once when the pointer leaves the
// window's client area (TME_CANCEL stops it). Hover tracking is not offered.
BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme);
UINT GetDoubleClickTime();
BOOL SetDoubleClickTime(UINT ms);

// ---------------------------------------------------------------- cursors
HCURSOR LoadCursor(HINSTANCE instance, const char16_t* name);
HCURSOR LoadCursor(HINSTANCE instance, int id);
// Masks are rows of width/8 bytes, bit 7 of the first byte leftmost.
// AND 1 XOR 0 transparent, AND 0 XOR 0 black, AND 0 XOR 1 white,
// AND 1 XOR 1 inverts the screen (shown as black here).
HCURSOR CreateCursor(HINSTANCE instance, int xHotSpot, int yHotSpot, int width, int height,
                     const void* andPlane, const void* xorPlane);
BOOL DestroyCursor(HCURSOR cursor);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
// While the program is busy the default WM_SETCURSOR shows the wait cursor
// over all our windows, so a mouse message handled meanwhile keeps it.
void SetBusyCursor(bool busy);
bool IsBusyCursor();
// The shape of a cursor handle; nullptr for a bad handle.
const CursorImage* GetCursorImage(HCURSOR cursor);
// Cursor resources of the program (the resource layer registers them).
using CursorResourceLoader = std::function<bool(UINT id, CursorImage& image)>;
void SetCursorResourceLoader(CursorResourceLoader loader);
BOOL GetCursorPos(CPoint* point);
BOOL SetCursorPos(int x, int y);
// Keeps the pointer inside rect (screen coordinates, right and bottom
// excluded); null frees it.
BOOL ClipCursor(const CRect* rect);
BOOL GetClipCursor(CRect* rect);

// ---------------------------------------------------------------- timers and the clock
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);
// Milliseconds on the backend's clock.
DWORD GetTickCount();
std::uint64_t GetClockMs();
// When the next timer is due (clock ms), or false when none runs.
bool NextTimerDue(std::uint64_t* dueMs);

// ---------------------------------------------------------------- metrics, colours, the screen
int GetSystemMetrics(int index);
// Changes system colours and sends WM_SYSCOLORCHANGE to every window.
BOOL SetSysColors(int count, const int* indexes, const COLORREF* colours);
// The colour on screen at a point: our windows from their surfaces, the
// rest from the display. CLR_INVALID off screen.
COLORREF GetScreenPixel(int x, int y);
// Writes the screen (as the backend composes it) to a PNG file.
bool SaveScreenshot(const std::string& path, std::string* error = nullptr);
// The backing surface of a top-level window (window coordinates), or null.
const Surface* GetWindowSurface(HWND topLevel);
