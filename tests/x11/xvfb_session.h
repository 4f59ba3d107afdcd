// The X11 tests' world: a private Xvfb server started for the test program,
// the window system running on the X11 backend, the real peers (xdotool,
// xwd, xclip, xsetroot) run against that server, and a pump that lets our
// loop run while they act.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>

#include <gtest/gtest.h>

#include "platform/backend/x11/x11_backend.h"
#include "platform/backend/x11/x11_peer.h"
#include "platform/win/user.h"
#include "platform/win/wnd.h"

// A private X server on a display number it picks itself.
class XvfbServer {
public:
    ~XvfbServer() { Stop(); }
    bool Start(std::string* error);
    void Stop();
    const std::string& Display() const { return m_display; }
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    pid_t m_parent = -1;   // a forked child's exit must not stop the server
    std::string m_display;
};

// The server the whole test program shares; null (with a reason) when Xvfb
// cannot run here.
XvfbServer* SharedServer(std::string* why);

// Runs a shell command with DISPLAY set to the shared server, waiting for it.
int RunTool(const std::string& command);
// Starts one in the background; Finished reaps it.
pid_t SpawnTool(const std::string& command);
bool Finished(pid_t pid, int* status = nullptr);
std::string ReadFile(const std::string& path);
std::string TempPath(const std::string& name);

// Each test: the window system on a fresh X11 backend.
class X11Test : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Runs our loop until done() holds or timeoutMs passes.
    bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);
    // Runs our loop until the background tool ends; false on timeout.
    bool PumpUntilFinished(pid_t pid, int timeoutMs = 10000, int* status = nullptr);
    // Lets pending requests reach the server and their events come back.
    void Settle(int ms = 100);
    // The X window behind one of our top-level windows, found by its title.
    unsigned long XId(const CWnd& top);
    std::string Display() const { return m_server->Display(); }

    XvfbServer* m_server = nullptr;
    X11Backend* m_x11 = nullptr;
    std::unique_ptr<X11Backend> m_backend;
    std::unique_ptr<X11Peer> m_peer;
};

// A window that keeps what reaches it: clicks, keys, typed text (Ctrl+V
// pastes the clipboard, Ctrl+C copies the text), mouse moves, close
// requests. It paints itself in a solid colour with an optional pattern.
class TestWnd : public CWnd {
public:
    explicit TestWnd(COLORREF colour = RGB(255, 255, 255)) : m_colour(colour) {}
    BOOL CreateTop(const CString& title, const CRect& rect, DWORD style = WS_POPUP | WS_BORDER, DWORD exStyle = 0,
                   CWnd* owner = nullptr);
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

    struct Click {
        UINT msg;
        CPoint client;
        WPARAM flags;
    };
    std::vector<Click> clicks;
    std::vector<UINT> keyDowns;
    CString typed;
    std::vector<CPoint> moves;    // client coordinates
    std::vector<int> wheel;
    int closeRequests = 0;
    bool dragByBody = false;      // the whole client area is a caption
    HCURSOR cursor = nullptr;     // shown over the client area
    bool pattern = false;         // paint a pattern the screenshot test compares

private:
    COLORREF m_colour;
};
