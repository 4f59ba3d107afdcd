#include "tests/x11/xvfb_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/gfx/dc.h"

namespace {

bool OnPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    return false;
}

std::int64_t Ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

// ---------------------------------------------------------------- the server

bool XvfbServer::Start(std::string* error) {
    int fds[2];
    if (pipe(fds) != 0) {
        *error = "pipe failed";
        return false;
    }
    m_parent = getpid();
    m_pid = fork();
    if (m_pid == 0) {
        close(fds[0]);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (m_pid < 0) {
        close(fds[0]);
        *error = "fork failed";
        return false;
    }
    // The server writes its display number once it accepts connections.
    std::string number;
    std::int64_t deadline = Ms() + 20000;
    while (Ms() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) continue;
        char c;
        ssize_t n = read(fds[0], &c, 1);
        if (n <= 0) break;
        if (c == '\n') break;
        number.push_back(c);
    }
    close(fds[0]);
    if (number.empty()) {
        *error = "Xvfb did not report a display";
        Stop();
        return false;
    }
    m_display = ":" + number;
    return true;
}

void XvfbServer::Stop() {
    if (m_pid > 0 && getpid() == m_parent) {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
    m_pid = -1;
}

XvfbServer* SharedServer(std::string* why) {
    static std::unique_ptr<XvfbServer> server;
    static std::string failure;
    static bool tried = false;
    if (!tried) {
        tried = true;
        auto s = std::make_unique<XvfbServer>();
        if (s->Start(&failure)) {
            setenv("DISPLAY", s->Display().c_str(), 1);
            server = std::move(s);
        }
    }
    if (!server && why) *why = failure;
    return server.get();
}

// ---------------------------------------------------------------- tools

int RunTool(const std::string& command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

pid_t SpawnTool(const std::string& command) {
    pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

bool Finished(pid_t pid, int* status) {
    int st = 0;
    pid_t r = waitpid(pid, &st, WNOHANG);
    if (r != pid) return false;
    if (status) *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return true;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string TempPath(const std::string& name) {
    const char* dir = std::getenv("VELMORA_TEST_OUTPUT");
    std::string base = dir && *dir ? dir : "/tmp";
    return base + "/x11-" + std::to_string(getpid()) + "-" + name;
}

// ---------------------------------------------------------------- fixture

void X11Test::SetUp() {
    std::string why;
    m_server = SharedServer(&why);
    if (!m_server) {
        if (!OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed (scripts/bootstrap installs it)";
        FAIL() << "Xvfb is installed but did not start: " << why;
    }
    for (const char* tool : {"xdotool", "xwd", "xclip", "xsetroot"})
        ASSERT_TRUE(OnPath(tool)) << tool << " is missing (scripts/bootstrap installs it)";
    std::string error;
    m_backend = CreateX11Backend(m_server->Display().c_str(), &error);
    ASSERT_TRUE(m_backend) << error;
    m_x11 = m_backend.get();
    ASSERT_TRUE(InitWindowSystem(m_x11));
    m_peer = X11Peer::Open(m_server->Display(), &error);
    ASSERT_TRUE(m_peer) << error;
}

void X11Test::TearDown() {
    if (m_x11) ShutdownWindowSystem();
    m_backend.reset();
    m_peer.reset();
}

bool X11Test::PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    std::int64_t deadline = Ms() + timeoutMs;
    for (;;) {
        RunUntilIdle();
        if (done()) return true;
        if (Ms() >= deadline) return false;
        m_x11->WaitForEvents(10);
    }
}

bool X11Test::PumpUntilFinished(pid_t pid, int timeoutMs, int* status) {
    bool ended = false;
    bool ok = PumpUntil([&] { return ended = ended || Finished(pid, status); }, timeoutMs);
    if (!ok) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    return ok;
}

void X11Test::Settle(int ms) {
    m_x11->Sync();
    std::int64_t end = Ms() + ms;
    PumpUntil([&] { return Ms() >= end; }, ms + 1000);
}

unsigned long X11Test::XId(const CWnd& top) { return m_x11->XWindowForTitle(top.GetWindowText()); }

// ---------------------------------------------------------------- the test window

BOOL TestWnd::CreateTop(const CString& title, const CRect& rect, DWORD style, DWORD exStyle, CWnd* owner) {
    if (!CreateEx(exStyle, nullptr, title.c_str(), style, rect, owner, 0)) return FALSE;
    ShowWindow(SW_SHOW);
    UpdateWindow();
    return TRUE;
}

LRESULT TestWnd::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_NCHITTEST: {
        LRESULT hit = CWnd::WindowProc(msg, w, l);
        return dragByBody && hit == HTCLIENT ? HTCAPTION : hit;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        clicks.push_back({msg, CPoint(GET_X_LPARAM(l), GET_Y_LPARAM(l)), w});
        if (msg != WM_LBUTTONUP && GetFocus() != this) SetFocus();
        return 0;
    case WM_MOUSEMOVE:
        moves.push_back(CPoint(GET_X_LPARAM(l), GET_Y_LPARAM(l)));
        return 0;
    case WM_MOUSEWHEEL:
        wheel.push_back(GET_WHEEL_DELTA_WPARAM(w));
        return 0;
    case WM_KEYDOWN:
        keyDowns.push_back(UINT(w));
        return 0;
    case WM_CHAR:
        if (w == 0x16) {   // Ctrl+V
            CString clip;
            if (GetBackend()->GetClipboardText(&clip)) typed += clip;
        } else if (w == 0x03) {   // Ctrl+C
            GetBackend()->SetClipboardText(typed);
        } else if (w == 0x08) {
            if (!typed.empty()) typed.pop_back();
        } else if (w >= 0x20) {
            typed.push_back(char16_t(w));
        }
        return 0;
    case WM_CLOSE:
        ++closeRequests;
        return 0;
    case WM_SETCURSOR:
        if (cursor && LOWORD(l) == HTCLIENT) {
            SetCursor(cursor);
            return TRUE;
        }
        break;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_PAINT: {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(rc, m_colour);
        if (pattern) {
            // Every pixel differs from its neighbours, so a shifted or
            // swapped channel shows.
            for (int y = 0; y < rc.Height(); ++y)
                for (int x = 0; x < rc.Width(); ++x)
                    dc.SetPixel(x, y, RGB((x * 7) & 0xFF, (y * 5) & 0xFF, (x + y) & 0xFF));
        }
        return 0;
    }
    default:
        break;
    }
    return CWnd::WindowProc(msg, w, l);
}
