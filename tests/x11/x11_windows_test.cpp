// Our windows as the display sees them: real X windows with titles,
// classes and the hints of their kind; closing from outside; the pixels an
// xwd screenshot shows; the move loop dragging a captionless window; a
// window destroyed behind our back.
#include <algorithm>
#include <cstring>

#include "tests/x11/xvfb_session.h"

namespace {

// Reads an xwd file of a 24/32-bit TrueColor image into 0x00RRGGBB pixels.
bool ReadXwd(const std::string& bytes, int* width, int* height, std::vector<std::uint32_t>* pixels) {
    auto be32 = [&](std::size_t at) {
        auto b = reinterpret_cast<const unsigned char*>(bytes.data() + at);
        return std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3];
    };
    if (bytes.size() < 100) return false;
    std::uint32_t headerSize = be32(0), version = be32(4), w = be32(16), h = be32(20), byteOrder = be32(28),
                  bpp = be32(44), stride = be32(48), redMask = be32(56), ncolors = be32(76);
    if (version != 7 || bpp != 32 || redMask != 0xFF0000) return false;
    std::size_t at = headerSize + std::size_t(ncolors) * 12;
    if (bytes.size() < at + std::size_t(stride) * h) return false;
    *width = int(w);
    *height = int(h);
    pixels->resize(std::size_t(w) * h);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            auto b = reinterpret_cast<const unsigned char*>(bytes.data() + at + y * stride + x * 4);
            std::uint32_t p = byteOrder == 0 ? (std::uint32_t(b[3]) << 24 | std::uint32_t(b[2]) << 16 |
                                                std::uint32_t(b[1]) << 8 | b[0])
                                             : (std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 |
                                                std::uint32_t(b[2]) << 8 | b[3]);
            (*pixels)[std::size_t(y) * w + x] = p & 0xFFFFFF;
        }
    return true;
}

bool Has(const std::vector<std::string>& v, const std::string& s) { return std::find(v.begin(), v.end(), s) != v.end(); }

}  // namespace

using X11Windows = X11Test;

TEST_F(X11Windows, AWindowAppearsWithItsTitleClassAndNoFrame) {
    TestWnd w(RGB(200, 30, 40));
    CString title = U16("Diary — Überblick");
    ASSERT_TRUE(w.CreateTop(title, CRect(120, 80, 420, 280)));
    unsigned long xid = XId(w);
    ASSERT_NE(xid, 0u);
    ASSERT_TRUE(PumpUntil([&] { return m_peer->Viewable(xid); }));

    // A user's tool finds it by its name.
    std::string out = TempPath("search.txt");
    ASSERT_EQ(RunTool("xdotool search --name 'Überblick' > " + out), 0);
    EXPECT_NE(ReadFile(out).find(std::to_string(xid)), std::string::npos);

    EXPECT_EQ(m_peer->BytesProperty(xid, "_NET_WM_NAME"), "Diary — Überblick");
    std::string cls = m_peer->BytesProperty(xid, "WM_CLASS");
    EXPECT_EQ(cls, std::string("velmora\0Velmora\0", 16));
    std::vector<long> motif = m_peer->Longs(xid, "_MOTIF_WM_HINTS");
    ASSERT_EQ(motif.size(), 5u);
    EXPECT_TRUE(motif[0] & 2) << "decorations are given";
    EXPECT_EQ(motif[2], 0) << "and there are none";
    EXPECT_TRUE(Has(m_peer->AtomNames(xid, "WM_PROTOCOLS"), "WM_DELETE_WINDOW"));

    CRect onScreen;
    ASSERT_TRUE(m_peer->RootRect(xid, &onScreen));
    EXPECT_EQ(onScreen, CRect(120, 80, 420, 280));

    // A new title reaches the display.
    w.SetWindowText(U16("Zweiter Titel"));
    m_x11->Sync();
    EXPECT_EQ(m_peer->BytesProperty(xid, "_NET_WM_NAME"), "Zweiter Titel");
}

TEST_F(X11Windows, EachKindOfWindowGetsTheHintsOfItsKind) {
    TestWnd owner;
    ASSERT_TRUE(owner.CreateTop(u"owner", CRect(10, 10, 200, 200), WS_POPUP));
    struct Case {
        const char16_t* title;
        DWORD style, exStyle;
        bool owned;
        bool overrideRedirect, skipTaskbar, above;
    } const cases[] = {
        {u"main", WS_POPUP, 0, false, false, false, false},
        {u"tip", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, true, true, true, true},
        {u"palette", WS_POPUP, WS_EX_TOOLWINDOW, true, true, true, false},
        {u"owned dialog", WS_POPUP, 0, true, false, true, false},
        {u"dialog with its own taskbar entry", WS_POPUP, WS_EX_APPWINDOW, true, false, false, false},
    };
    std::vector<std::unique_ptr<TestWnd>> made;
    for (const Case& c : cases) {
        made.push_back(std::make_unique<TestWnd>());
        ASSERT_TRUE(made.back()->CreateTop(c.title, CRect(300, 300, 360, 340), c.style, c.exStyle,
                                           c.owned ? &owner : nullptr));
        unsigned long xid = XId(*made.back());
        ASSERT_NE(xid, 0u) << ToUtf8(c.title);
        auto state = m_peer->AtomNames(xid, "_NET_WM_STATE");
        EXPECT_EQ(m_peer->OverrideRedirect(xid), c.overrideRedirect) << ToUtf8(c.title);
        EXPECT_EQ(Has(state, "_NET_WM_STATE_SKIP_TASKBAR"), c.skipTaskbar) << ToUtf8(c.title);
        EXPECT_EQ(Has(state, "_NET_WM_STATE_ABOVE"), c.above) << ToUtf8(c.title);
    }
}

TEST_F(X11Windows, DeleteWindowFromTheDisplayBecomesWmClose) {
    TestWnd w;
    ASSERT_TRUE(w.CreateTop(u"closing", CRect(50, 50, 150, 150)));
    m_peer->SendDeleteWindow(XId(w));
    EXPECT_TRUE(PumpUntil([&] { return w.closeRequests == 1; }));
}

TEST_F(X11Windows, AnXwdScreenshotShowsTheSurfacePixels) {
    for (const char* shm : {"shared memory", "plain requests"}) {
        SCOPED_TRACE(shm);
        if (std::strcmp(shm, "plain requests") == 0) {
            // A second backend on the same server, told not to share memory.
            setenv("VELMORA_X11_NO_SHM", "1", 1);
            ShutdownWindowSystem();
            std::string error;
            m_backend = CreateX11Backend(Display().c_str(), &error);
            unsetenv("VELMORA_X11_NO_SHM");
            ASSERT_TRUE(m_backend) << error;
            m_x11 = m_backend.get();
            ASSERT_TRUE(InitWindowSystem(m_x11));
            EXPECT_FALSE(m_x11->UsesSharedMemory());
        }
        if (std::strcmp(shm, "shared memory") == 0) {
            EXPECT_TRUE(m_x11->UsesSharedMemory());
        }
        TestWnd w;
        w.pattern = true;
        ASSERT_TRUE(w.CreateTop(u"pattern", CRect(200, 150, 200 + 173, 150 + 91)));
        unsigned long xid = XId(w);
        ASSERT_TRUE(PumpUntil([&] { return m_peer->Viewable(xid); }));
        Settle();
        std::string shot = TempPath("pattern.xwd");
        ASSERT_EQ(RunTool("xwd -silent -id " + std::to_string(xid) + " > " + shot), 0);
        int width = 0, height = 0;
        std::vector<std::uint32_t> pixels;
        ASSERT_TRUE(ReadXwd(ReadFile(shot), &width, &height, &pixels));
        const Surface* surface = GetWindowSurface(w.m_hWnd);
        ASSERT_TRUE(surface);
        ASSERT_EQ(width, surface->width());
        ASSERT_EQ(height, surface->height());
        int differing = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if ((surface->pixel(x, y) & 0xFFFFFF) != pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)])
                    ++differing;
        EXPECT_EQ(differing, 0);
        // The pattern really is there (not a blank window on both sides).
        EXPECT_NE(surface->pixel(20, 20), surface->pixel(21, 20));
        w.DestroyWindow();
    }
}

TEST_F(X11Windows, ABorderlessWindowMovesWhenItsSurfaceIsDragged) {
    TestWnd w(RGB(40, 90, 200));
    w.dragByBody = true;
    ASSERT_TRUE(w.CreateTop(u"skinned dialog", CRect(300, 200, 500, 350), WS_POPUP));
    unsigned long xid = XId(w);
    ASSERT_TRUE(PumpUntil([&] { return m_peer->Viewable(xid); }));
    Settle();
    // Press in the body, drag by (+150, +90) in steps, release.
    pid_t tool = SpawnTool(
        "xdotool mousemove 350 250 sleep 0.2 mousedown 1 sleep 0.2 mousemove 380 270 sleep 0.1 "
        "mousemove 440 310 sleep 0.1 mousemove 500 340 sleep 0.2 mouseup 1");
    ASSERT_TRUE(PumpUntilFinished(tool));
    Settle(200);
    CRect r;
    w.GetWindowRect(&r);
    EXPECT_EQ(r, CRect(450, 290, 650, 440));
    CRect onScreen;
    ASSERT_TRUE(m_peer->RootRect(xid, &onScreen));
    EXPECT_EQ(onScreen, r) << "the X window moved with it";
    EXPECT_EQ(GetCapture(), nullptr) << "the move loop ended with the release";
}

TEST_F(X11Windows, AWindowDestroyedBehindOurBackIsLoggedAndIgnored) {
    TestWnd victim, other(RGB(10, 200, 10));
    ASSERT_TRUE(victim.CreateTop(u"victim", CRect(100, 100, 200, 200)));
    ASSERT_TRUE(other.CreateTop(u"other", CRect(400, 100, 500, 200)));
    unsigned long xid = XId(victim);
    ASSERT_TRUE(PumpUntil([&] { return m_peer->Viewable(xid) && m_peer->Viewable(XId(other)); }));
    int errorsBefore = m_x11->IgnoredDisplayErrors();
    m_peer->DestroyWindow(xid);
    // Everything the window system may still do with it.
    victim.Invalidate();
    victim.MoveWindow(120, 120, 90, 90);
    victim.SetWindowText(u"still here");
    Settle(200);
    victim.ShowWindow(SW_HIDE);
    victim.DestroyWindow();
    Settle(100);
    EXPECT_GT(m_x11->IgnoredDisplayErrors(), errorsBefore) << "the display's complaints were logged, not fatal";
    // The program goes on: the other window still presents and reads back.
    other.Invalidate();
    Settle(100);
    COLORREF c = CLR_INVALID;
    ASSERT_TRUE(m_x11->ReadScreenPixel(CPoint(450, 150), &c));
    EXPECT_EQ(c, RGB(10, 200, 10));
}

TEST_F(X11Windows, UncoveredPixelsAreShownAgainAndResizesReachTheDisplay) {
    TestWnd w(RGB(20, 160, 90));
    ASSERT_TRUE(w.CreateTop(u"exposed", CRect(200, 200, 400, 300)));
    unsigned long xid = XId(w);
    ASSERT_TRUE(PumpUntil([&] { return m_peer->Viewable(xid); }));
    Settle();
    auto shown = [&](CPoint p) {
        COLORREF c = CLR_INVALID;
        return m_x11->ReadScreenPixel(p, &c) ? c : CLR_INVALID;
    };
    m_peer->Cover(CRect(250, 220, 350, 280));
    EXPECT_EQ(shown(CPoint(300, 250)), RGB(255, 0, 255)) << "the other program's window is on top";
    m_peer->Uncover();
    EXPECT_TRUE(PumpUntil([&] { return shown(CPoint(300, 250)) == RGB(20, 160, 90); }, 3000))
        << "the exposed part is presented again";

    // Larger and moved, from our side: the X window follows and the new
    // area shows the new paint.
    w.MoveWindow(150, 180, 320, 240);
    Settle();
    CRect onScreen;
    ASSERT_TRUE(m_peer->RootRect(xid, &onScreen));
    EXPECT_EQ(onScreen, CRect(150, 180, 470, 420));
    EXPECT_TRUE(PumpUntil([&] { return shown(CPoint(460, 410)) == RGB(20, 160, 90); }, 3000));
}

namespace {

// Keeps the moves and sizes the window system tells it about.
class GeometryWnd : public TestWnd {
public:
    using TestWnd::TestWnd;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        if (msg == WM_MOVE) movedTo.emplace_back(GET_X_LPARAM(l), GET_Y_LPARAM(l));
        if (msg == WM_SIZE) sizes.emplace_back(LOWORD(l), HIWORD(l));
        return TestWnd::WindowProc(msg, w, l);
    }
    std::vector<CPoint> movedTo;   // client origin on the screen
    std::vector<CSize> sizes;      // client size
};

}  // namespace

TEST_F(X11Windows, MovesAndResizesFromOutsideReachTheWindowSystem) {
    GeometryWnd w(RGB(200, 120, 30));
    ASSERT_TRUE(w.CreateTop(u"moved from outside", CRect(100, 100, 300, 250), WS_POPUP));
    unsigned long xid = XId(w);
    ASSERT_TRUE(PumpUntil([&] { return m_peer->Viewable(xid); }));
    Settle();
    w.movedTo.clear();
    w.sizes.clear();
    auto rect = [&] {
        CRect r;
        w.GetWindowRect(&r);
        return r;
    };

    // Another client moves it, then makes it larger.
    ASSERT_EQ(RunTool("xdotool windowmove " + std::to_string(xid) + " 260 180"), 0);
    EXPECT_TRUE(PumpUntil([&] { return rect() == CRect(260, 180, 460, 330); }, 3000)) << "now " << rect().left;
    ASSERT_FALSE(w.movedTo.empty());
    EXPECT_EQ(w.movedTo.back(), CPoint(260, 180)) << "WM_MOVE carries the new client origin";
    EXPECT_TRUE(w.sizes.empty()) << "a move is no resize";

    ASSERT_EQ(RunTool("xdotool windowsize " + std::to_string(xid) + " 320 240"), 0);
    EXPECT_TRUE(PumpUntil([&] { return rect() == CRect(260, 180, 580, 420); }, 3000));
    ASSERT_FALSE(w.sizes.empty());
    EXPECT_EQ(w.sizes.back(), CSize(320, 240));
    CRect client;
    w.GetClientRect(&client);
    EXPECT_EQ(client.Size(), CSize(320, 240));
    // The new area is painted and shown.
    auto shown = [&](CPoint p) {
        COLORREF c = CLR_INVALID;
        return m_x11->ReadScreenPixel(p, &c) ? c : CLR_INVALID;
    };
    EXPECT_TRUE(PumpUntil([&] { return shown(CPoint(570, 410)) == RGB(200, 120, 30); }, 3000));

    // Our own moves in quick succession: their notifications come back
    // late and must not move the window back to an older place.
    for (int i = 1; i <= 5; ++i) w.MoveWindow(100 + 20 * i, 100 + 10 * i, 300, 200);
    Settle(300);
    EXPECT_EQ(rect(), CRect(200, 150, 500, 350));
    CRect onScreen;
    ASSERT_TRUE(m_peer->RootRect(xid, &onScreen));
    EXPECT_EQ(onScreen, CRect(200, 150, 500, 350)) << "the X window stays where we put it last";
}
