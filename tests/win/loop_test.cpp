// The loop: timers on the test clock, when WM_PAINT comes, modal loops and
// the move loop.
#include <gtest/gtest.h>

#include "probe.h"
#include "platform/win/user.h"

namespace {

class Loop : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterProbeClasses();
        ASSERT_TRUE(top.CreateEx(0, u"Probe", u"", WS_POPUP | WS_VISIBLE, CRect(100, 100, 400, 300), nullptr, 0));
        ASSERT_TRUE(a.Create(u"Probe", u"", WS_VISIBLE, CRect(10, 10, 110, 60), &top, 1));
        ASSERT_TRUE(b.Create(u"Probe", u"", WS_VISIBLE, CRect(10, 100, 110, 160), &top, 2));
        screen.RunUntilIdle();
        journal.Clear();
    }
    HeadlessScreen screen;
    Journal journal;
    ProbeWnd top{&journal, "T"}, a{&journal, "A"}, b{&journal, "B"};
};

TEST_F(Loop, TimersFireExactlyWhenTheClockPassesThem) {
    std::vector<std::pair<UINT_PTR, std::uint64_t>> fired;
    a.handler = [&](ProbeWnd&, UINT msg, WPARAM w, LPARAM, LRESULT&) {
        if (msg == WM_TIMER) fired.emplace_back(UINT_PTR(w), GetClockMs());
        return msg == WM_TIMER;
    };
    std::uint64_t t0 = screen.Now();
    ASSERT_EQ(a.SetTimer(513, 25), 513u);
    ASSERT_EQ(a.SetTimer(7, 10), 7u);
    screen.Advance(24);
    std::vector<std::pair<UINT_PTR, std::uint64_t>> expected = {{7, t0 + 10}, {7, t0 + 20}};
    EXPECT_EQ(fired, expected);
    screen.Advance(1);
    expected.push_back({513, t0 + 25});
    EXPECT_EQ(fired, expected);
    screen.Advance(25);
    expected.insert(expected.end(), {{7, t0 + 30}, {7, t0 + 40}, {513, t0 + 50}, {7, t0 + 50}});
    EXPECT_EQ(fired, expected);
    a.KillTimer(7);
    a.KillTimer(513);
    screen.Advance(100);
    EXPECT_EQ(fired, expected) << "killed timers stay quiet";

    // A timer that is late fires once, then a full period later.
    fired.clear();
    a.SetTimer(1, 25);
    screen.backend().SetClock(screen.Now() + 100);
    screen.RunUntilIdle();
    EXPECT_EQ(fired.size(), 1u);
    screen.Advance(24);
    EXPECT_EQ(fired.size(), 1u);
    screen.Advance(1);
    EXPECT_EQ(fired.size(), 2u);

    // A destroyed window's timers die with it.
    fired.clear();
    a.DestroyWindow();
    screen.Advance(100);
    EXPECT_TRUE(fired.empty());
}

TEST_F(Loop, PaintComesOnlyWhenTheQueueIsEmptyAndOncePerWindow) {
    CRect paintRect;
    a.handler = [&](ProbeWnd& w, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg == WM_USER && journal.Count("A", WM_USER) == 1) w.PostMessage(WM_USER);   // posted while handling
        if (msg != WM_PAINT) return false;
        CPaintDC dc(&w);
        paintRect = dc.PaintRect();
        return true;
    };
    for (int i = 0; i < 3; ++i) a.PostMessage(WM_USER);
    CRect r1(5, 5, 10, 10), r2(50, 20, 60, 30), r3(6, 6, 8, 8);
    a.InvalidateRect(&r1);
    a.InvalidateRect(&r2);
    a.InvalidateRect(&r3);
    a.InvalidateRect(&r1);
    b.Invalidate();
    screen.RunUntilIdle();
    EXPECT_EQ(journal.Names({WM_USER, WM_PAINT}),
              (std::vector<std::string>{"A:USER", "A:USER", "A:USER", "A:USER", "B:PAINT", "A:PAINT"}))
        << "B was created later, so it is lower in the z-order and paints first";
    EXPECT_EQ(paintRect, CRect(5, 5, 60, 30)) << "the clip box is the invalid area's bounding box";

    // A handler that does not paint does not get asked again and again.
    journal.Clear();
    b.handler = [](ProbeWnd&, UINT msg, WPARAM, LPARAM, LRESULT&) { return msg == WM_PAINT; };
    b.Invalidate();
    screen.RunUntilIdle();
    EXPECT_EQ(journal.Count("B", WM_PAINT), 1);

    // UpdateWindow paints at once, outside the loop.
    journal.Clear();
    a.Invalidate();
    a.UpdateWindow();
    EXPECT_EQ(journal.Count("A", WM_PAINT), 1);
    screen.RunUntilIdle();
    EXPECT_EQ(journal.Count("A", WM_PAINT), 1);
}

TEST_F(Loop, NestedModalLoopsReturnTheirOwnCodes) {
    int innerResult = 0, depthInside = 0;
    ProbeWnd dialog(&journal, "D");
    ASSERT_TRUE(dialog.CreateEx(0, u"Probe", u"", WS_POPUP | WS_VISIBLE, CRect(150, 150, 250, 250), &top, 0));
    top.handler = [&](ProbeWnd&, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg != WM_USER) return false;
        innerResult = dialog.RunModalLoop();   // started from a message, as DoModal is
        return true;
    };
    dialog.handler = [&](ProbeWnd&, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg == WM_USER + 1) depthInside = ModalLoopDepth();
        return false;
    };
    screen.Step([&] { top.PostMessage(WM_USER); });
    screen.Step([&] { dialog.PostMessage(WM_USER + 1); });
    screen.Step([&] { dialog.EndModalLoop(7); });
    screen.Step([&] {
        EXPECT_EQ(ModalLoopDepth(), 1) << "the inner loop has returned";
        top.EndModalLoop(3);
    });
    EXPECT_EQ(top.RunModalLoop(), 3);
    EXPECT_EQ(innerResult, 7);
    EXPECT_EQ(depthInside, 2);
    EXPECT_EQ(ModalLoopDepth(), 0);

    // While the dialog runs with its owner disabled, a press on the owner
    // reaches nobody and brings the dialog forward.
    ProbeWnd other(&journal, "O");
    ASSERT_TRUE(other.CreateEx(0, u"Probe", u"", WS_POPUP | WS_VISIBLE, CRect(600, 600, 700, 700), nullptr, 0));
    top.EnableWindow(FALSE);
    journal.Clear();
    screen.Click(350, 250);
    EXPECT_EQ(journal.Count("T", WM_LBUTTONDOWN), 0);
    EXPECT_EQ(journal.Count("T", WM_SETCURSOR), 0);
    EXPECT_EQ(CWnd::GetActiveWindow(), &dialog);
    top.EnableWindow(TRUE);

    // Ended before it started: returns at once with that code.
    dialog.EndModalLoop(5);
    EXPECT_EQ(dialog.RunModalLoop(), 5);

    // A loop whose window goes away, and one with nothing left to drive it,
    // end with -1 instead of hanging.
    screen.Step([&] { dialog.DestroyWindow(); });
    EXPECT_EQ(dialog.RunModalLoop(), -1);
    EXPECT_EQ(top.RunModalLoop(), -1);
}

TEST_F(Loop, GetMessageEndsWithTheQuitCodeAfterWhatWasPostedBefore) {
    a.PostMessage(WM_USER);
    PostQuitMessage(4);
    a.PostMessage(WM_USER + 1);   // still delivered: the quit comes when the queue is empty
    MSG m;
    std::vector<UINT> seen;
    int r;
    while ((r = GetMessage(&m)) > 0) {
        seen.push_back(m.message);
        DispatchMessage(&m);
    }
    EXPECT_EQ(r, 0);
    EXPECT_EQ(int(m.wParam), 4);
    EXPECT_EQ(seen, (std::vector<UINT>{WM_USER, WM_USER + 1}));
    EXPECT_EQ(GetMessage(&m), -1) << "nothing can arrive any more on the virtual screen";
}

TEST_F(Loop, TheMoveLoopMovesTheWindowByTheDragDistance) {
    // As the skinned dialogs do: a press on the surface becomes a caption press.
    top.handler = [](ProbeWnd& w, UINT msg, WPARAM, LPARAM l, LRESULT&) {
        if (msg == WM_LBUTTONDOWN) w.PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, l);
        return false;
    };
    struct Case {
        CPoint to;
        bool escape;
        CPoint expectedTopLeft;
    } cases[] = {{{450, 280}, false, {200, 130}}, {{290, 210}, false, {40, 60}}, {{500, 400}, true, {100, 100}}};
    for (const Case& c : cases) {
        top.MoveWindow(100, 100, 300, 200);
        screen.Advance(1000);   // so the next press is not a double click
        CPoint from(350, 250);   // bare surface of the top-level window
        HeadlessBackend& be = screen.backend();
        be.InjectMove(from.x, from.y);
        be.InjectButton(1, true);
        be.InjectMove((from.x + c.to.x) / 2, (from.y + c.to.y) / 2);
        be.InjectMove(c.to.x, c.to.y);
        if (c.escape) be.InjectKey(VK_ESCAPE, true);
        be.InjectButton(1, false);
        screen.RunUntilIdle();
        CRect wr;
        top.GetWindowRect(&wr);
        EXPECT_EQ(wr.TopLeft(), c.expectedTopLeft) << c.to.x << "," << c.to.y;
        EXPECT_EQ(wr.Size(), CSize(300, 200));
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_EQ(screen.backend().NativeWindowRect(1), wr) << "the display window moved along";
    }
    // After the release the window stays where it is.
    CRect before;
    top.GetWindowRect(&before);
    screen.Move(500, 500);
    CRect after;
    top.GetWindowRect(&after);
    EXPECT_EQ(before, after);
}

TEST_F(Loop, PreTranslationSeesMessagesFromTheInsideOut) {
    std::vector<std::string> order;
    a.handler = [](ProbeWnd&, UINT, WPARAM, LPARAM, LRESULT&) { return false; };
    struct Pre : ProbeWnd {
        using ProbeWnd::ProbeWnd;
        std::vector<std::string>* order = nullptr;
        bool consume = false;
        BOOL PreTranslateMessage(MSG* m) override {
            if (m->message == WM_KEYDOWN) order->push_back(name());
            return consume && m->message == WM_KEYDOWN;
        }
    };
    Pre parent(&journal, "PP"), child(&journal, "PC");
    parent.order = child.order = &order;
    ASSERT_TRUE(parent.CreateEx(0, u"Probe", u"", WS_POPUP | WS_VISIBLE, CRect(500, 500, 600, 600), nullptr, 0));
    ASSERT_TRUE(child.Create(u"Probe", u"", WS_VISIBLE, CRect(0, 0, 50, 50), &parent, 1));
    child.SetFocus();
    parent.consume = true;
    journal.Clear();
    screen.Key(VK_RETURN);
    EXPECT_EQ(order, (std::vector<std::string>{"PC", "PP"}));
    EXPECT_EQ(journal.Count("PC", WM_KEYDOWN), 0) << "consumed by the parent's pre-translation";
    EXPECT_EQ(journal.Count("PC", WM_KEYUP), 1);
}

}  // namespace

#include <unistd.h>

namespace {

TEST(LoopFds, AWatchedDescriptorIsServedWhenItIsReadable) {
    HeadlessScreen screen;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    struct Ctx {
        int reads = 0;
        char last = 0;
    } ctx;
    auto cb = [](int fd, void* c) {
        auto* x = static_cast<Ctx*>(c);
        if (read(fd, &x->last, 1) == 1) ++x->reads;
    };
    ASSERT_TRUE(screen.backend().WatchFd(fds[0], cb, &ctx));
    screen.RunUntilIdle();
    EXPECT_EQ(ctx.reads, 0) << "nothing to read yet";
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    screen.RunUntilIdle();
    EXPECT_EQ(ctx.reads, 1);
    EXPECT_EQ(ctx.last, 'x');
    screen.backend().UnwatchFd(fds[0]);
    ASSERT_EQ(write(fds[1], "y", 1), 1);
    screen.RunUntilIdle();
    EXPECT_EQ(ctx.reads, 1);
    close(fds[0]);
    close(fds[1]);
}

}  // namespace
