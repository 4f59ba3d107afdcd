// The standard scroll bars: ranges and visibility, drawing, and the
// messages that presses and drags produce.
#include <gtest/gtest.h>

#include "probe.h"
#include "platform/gfx/syscolors.h"
#include "platform/win/user.h"

namespace {

struct ScrollMsg {
    UINT code;
    int pos;
    int trackPosSeen;
    bool operator==(const ScrollMsg&) const = default;
};

// A 200 x 200 top-level window at (100, 100) with a vertical bar; the bar
// occupies window x 183..199, its arrows are 17 pixels high.
class ScrollBars : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterProbeClasses();
        w.handler = [this](ProbeWnd& self, UINT msg, WPARAM wp, LPARAM, LRESULT&) {
            if (msg != WM_VSCROLL) return false;
            SCROLLINFO si;
            self.GetScrollInfo(SB_VERT, &si, SIF_TRACKPOS);
            got.push_back({LOWORD(wp), short(HIWORD(wp)), si.nTrackPos});
            if (LOWORD(wp) == SB_THUMBPOSITION) self.SetScrollPos(SB_VERT, short(HIWORD(wp)));
            return true;
        };
        ASSERT_TRUE(w.CreateEx(0, u"Probe", u"", WS_POPUP | WS_VISIBLE | WS_VSCROLL, CRect(100, 100, 300, 300), nullptr, 0));
        SetRange(0, 199, 100, 0);
        screen.RunUntilIdle();
    }
    void SetRange(int mn, int mx, UINT page, int pos) {
        SCROLLINFO si;
        si.fMask = SIF_ALL;
        si.nMin = mn;
        si.nMax = mx;
        si.nPage = page;
        si.nPos = pos;
        w.SetScrollInfo(SB_VERT, &si);
    }
    std::vector<UINT> Codes() const {
        std::vector<UINT> c;
        for (const ScrollMsg& m : got) c.push_back(m.code);
        return c;
    }

    HeadlessScreen screen;
    Journal journal;
    ProbeWnd w{&journal, "W"};
    std::vector<ScrollMsg> got;
};

TEST_F(ScrollBars, RangePageAndPositionDecideVisibilityAndLimits) {
    struct Case {
        int min, max;
        UINT page;
        int pos;
        bool visible;
        int posAfter, limit;
    } cases[] = {
        {0, 0, 0, 0, false, 0, 0},        // 0 ... 0 hides the bar
        {0, 104, 100, 50, true, 5, 5},    // overflow by 5: five positions to scroll
        {0, 99, 100, 0, false, 0, 0},     // the page shows everything
        {0, 100, 0, 150, true, 100, 100}, // no page: the position runs to the maximum
        {10, 20, 5, 0, true, 10, 16},
    };
    for (const Case& c : cases) {
        SetRange(c.min, c.max, c.page, c.pos);
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " page " << c.page);
        EXPECT_EQ((w.GetStyle() & WS_VSCROLL) != 0, c.visible);
        EXPECT_EQ(w.GetScrollPos(SB_VERT), c.posAfter);
        EXPECT_EQ(w.GetScrollLimit(SB_VERT), c.limit);
        CRect rc;
        w.GetClientRect(&rc);
        EXPECT_EQ(rc.Width(), c.visible ? 200 - GetSystemMetrics(SM_CXVSCROLL) : 200);
    }
    // Showing or hiding the bar changes the client area and says so.
    journal.Clear();
    SetRange(0, 0, 0, 0);
    SetRange(0, 300, 100, 0);
    EXPECT_EQ(journal.Count("W", WM_SIZE), 2) << "one for hiding, one for showing";
    // A page set before its range (as the grid does) keeps its size.
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    si.nMax = 0;
    w.SetScrollInfo(SB_VERT, &si);
    si.fMask = SIF_PAGE;
    si.nPage = 100;
    w.SetScrollInfo(SB_VERT, &si, FALSE);
    w.SetScrollRange(SB_VERT, 0, 104);
    SCROLLINFO got;
    w.GetScrollInfo(SB_VERT, &got, SIF_ALL);
    EXPECT_EQ(got.nPage, 100u);
    EXPECT_EQ(w.GetScrollLimit(SB_VERT), 5);
    int mn = -1, mx = -1;
    w.GetScrollRange(SB_VERT, &mn, &mx);
    EXPECT_EQ(mn, 0);
    EXPECT_EQ(mx, 104);
}

TEST_F(ScrollBars, ThumbDragSendsTrackingThenPositionThenEnd) {
    // Thumb: 166-pixel track, page 100 of 200 → 83 pixels from y = 17.
    EXPECT_EQ(screen.Pixel(291, 158), GetSysColor(COLOR_BTNFACE)) << "the thumb";
    EXPECT_EQ(screen.Pixel(291, 250), GetSysColor(COLOR_SCROLLBAR)) << "the track below it";

    screen.Drag(CPoint(291, 150), CPoint(291, 191), 4);
    ASSERT_EQ(Codes(), (std::vector<UINT>{SB_THUMBTRACK, SB_THUMBTRACK, SB_THUMBTRACK, SB_THUMBTRACK,
                                          SB_THUMBPOSITION, SB_ENDSCROLL}));
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(got[i].trackPosSeen, got[i].pos) << "GetScrollInfo reports the tracking position";
        if (i) { EXPECT_GT(got[i].pos, got[i - 1].pos); }
    }
    EXPECT_EQ(got[4].pos, got[3].pos);
    EXPECT_NEAR(got[4].pos, 50, 2) << "41 of 83 pixels is half the way";
    EXPECT_EQ(w.GetScrollPos(SB_VERT), got[4].pos) << "set by the window on SB_THUMBPOSITION";
    EXPECT_EQ(GetCapture(), nullptr);

    // Past the end of the track the position stops at the limit.
    got.clear();
    screen.Advance(1000);
    screen.Drag(CPoint(291, 160), CPoint(291, 400), 2);
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got[got.size() - 2].code, SB_THUMBPOSITION);
    EXPECT_EQ(got[got.size() - 2].pos, 100);
}

TEST_F(ScrollBars, ThePointerOverABarGetsNonClientMessages) {
    journal.Clear();
    screen.Move(291, 200);
    const Seen* nc = nullptr;
    for (const Seen& s : journal.Items())
        if (s.msg == WM_NCMOUSEMOVE) nc = &s;
    ASSERT_NE(nc, nullptr);
    EXPECT_EQ(nc->wParam, WPARAM(HTVSCROLL));
    EXPECT_EQ(GET_X_LPARAM(nc->lParam), 291) << "non-client messages carry screen coordinates";
    EXPECT_EQ(GET_Y_LPARAM(nc->lParam), 200);
    EXPECT_EQ(journal.Count("W", WM_MOUSEMOVE), 0);
    EXPECT_EQ(screen.backend().CurrentCursor()->standardId, IDC_ARROW);
}

TEST_F(ScrollBars, ArrowsAndPageAreasRepeatWhileHeld) {
    screen.Click(291, 290);   // the down arrow
    EXPECT_EQ(Codes(), (std::vector<UINT>{SB_LINEDOWN, SB_ENDSCROLL}));
    got.clear();
    screen.Advance(1000);
    screen.Click(291, 250);   // the track below the thumb
    EXPECT_EQ(Codes(), (std::vector<UINT>{SB_PAGEDOWN, SB_ENDSCROLL}));

    // Held on the arrow: once at once, then after 400 ms and every 50 ms.
    got.clear();
    screen.Advance(1000);
    screen.Move(291, 290);
    screen.Step([&] { screen.Advance(500); });
    screen.Step([&] { screen.Release(); });
    screen.Press();
    EXPECT_EQ(Codes(), (std::vector<UINT>{SB_LINEDOWN, SB_LINEDOWN, SB_LINEDOWN, SB_LINEDOWN, SB_ENDSCROLL}));
}

}  // namespace

namespace {

TEST(NonClient, DefaultHitTestCodes) {
    HeadlessScreen screen;
    CWnd w;
    // Dialog frame (3) and caption (18) at (100, 100), 300 x 200, both bars.
    ASSERT_TRUE(w.CreateEx(0, nullptr, u"Caption", WS_POPUP | WS_CAPTION | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL,
                           CRect(100, 100, 400, 300), nullptr, 0));
    struct Case {
        CPoint screenPt;
        int code;
    } cases[] = {
        {{250, 200}, HTCLIENT},   {{250, 110}, HTCAPTION}, {{101, 200}, HTBORDER},
        {{390, 200}, HTVSCROLL},  {{250, 290}, HTHSCROLL}, {{390, 290}, HTSIZE},
        {{99, 200}, HTNOWHERE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(w.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(c.screenPt.x, c.screenPt.y)), c.code)
            << c.screenPt.x << "," << c.screenPt.y;
    CRect rc;
    w.GetClientRect(&rc);
    EXPECT_EQ(rc, CRect(0, 0, 300 - 6 - 17, 200 - 6 - 18 - 17));
}

}  // namespace
