// The screen: its size, a pixel's colour anywhere (the root painted by
// xsetroot, our windows as presented), the whole screen as one image; and
// a lost connection ending the program after its last-chance handler.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/gfx/surface.h"
#include "tests/x11/xvfb_session.h"

using X11Screen = X11Test;

TEST_F(X11Screen, TheRootColourSetWithXsetrootReadsBackExactly) {
    EXPECT_EQ(m_x11->ScreenSize(), CSize(1280, 1024));
    struct Case {
        const char* colour;
        COLORREF want;
    } const cases[] = {{"#123456", RGB(0x12, 0x34, 0x56)}, {"#FE01A0", RGB(0xFE, 0x01, 0xA0)}, {"black", RGB(0, 0, 0)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colour);
        ASSERT_EQ(RunTool(std::string("xsetroot -solid '") + c.colour + "'"), 0);
        for (CPoint p : {CPoint(0, 0), CPoint(640, 512), CPoint(1279, 1023)}) {
            EXPECT_EQ(GetScreenPixel(p.x, p.y), c.want) << p.x << "," << p.y;
            COLORREF direct = CLR_INVALID;
            ASSERT_TRUE(m_x11->ReadScreenPixel(p, &direct));
            EXPECT_EQ(direct, c.want);
        }
    }
    COLORREF none = 0;
    EXPECT_FALSE(m_x11->ReadScreenPixel(CPoint(1280, 10), &none)) << "off the screen";
    EXPECT_EQ(GetScreenPixel(-1, 0), CLR_INVALID);
}

TEST_F(X11Screen, OurWindowsReadBackAsPresentedAndTheScreenCapturesWhole) {
    ASSERT_EQ(RunTool("xsetroot -solid '#204060'"), 0);
    TestWnd w(RGB(250, 128, 5));
    ASSERT_TRUE(w.CreateTop(u"colour", CRect(300, 300, 360, 340)));
    ASSERT_TRUE(PumpUntil([&] { return m_peer->Viewable(XId(w)); }));
    Settle();
    // The window system answers from the surface; the display must agree.
    COLORREF fromDisplay = CLR_INVALID;
    ASSERT_TRUE(m_x11->ReadScreenPixel(CPoint(330, 320), &fromDisplay));
    EXPECT_EQ(fromDisplay, RGB(250, 128, 5));
    EXPECT_EQ(GetScreenPixel(330, 320), RGB(250, 128, 5));
    Surface shot;
    ASSERT_TRUE(m_x11->CaptureScreen(&shot));
    ASSERT_EQ(shot.width(), 1280);
    EXPECT_EQ(shot.GetPixel(330, 320), RGB(250, 128, 5));
    EXPECT_EQ(shot.GetPixel(299, 320), RGB(0x20, 0x40, 0x60));
    EXPECT_EQ(shot.GetPixel(360, 320), RGB(0x20, 0x40, 0x60)) << "right edge excluded";
}

// A display that goes away ends the program after the handler ran; the
// test runs the program in a child process on a server of its own.
TEST(X11Lost, ALostConnectionRunsTheHandlerAndEndsTheProgram) {
    std::string why;
    if (!SharedServer(&why)) GTEST_SKIP() << "no Xvfb: " << why;
    XvfbServer own;
    ASSERT_TRUE(own.Start(&why)) << why;
    std::string marker = TempPath("lost-marker");
    unlink(marker.c_str());
    pid_t child = fork();
    if (child == 0) {
        std::string error;
        auto backend = CreateX11Backend(own.Display().c_str(), &error);
        if (!backend) _exit(3);
        backend->SetDisplayLostHandler([&] {
            FILE* f = std::fopen(marker.c_str(), "w");
            if (f) std::fclose(f);
        });
        InitWindowSystem(backend.get());
        TestWnd w;
        w.CreateTop(u"doomed", CRect(10, 10, 100, 100));
        for (int i = 0; i < 1000; ++i) {   // at most 10 s
            RunUntilIdle();
            backend->WaitForEvents(10);
        }
        _exit(4);   // the loss went unnoticed
    }
    ASSERT_GT(child, 0);
    usleep(500 * 1000);
    kill(own.Pid(), SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    own.Stop();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), EXIT_FAILURE);
    EXPECT_EQ(access(marker.c_str(), F_OK), 0) << "the handler ran first";
}
