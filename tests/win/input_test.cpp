// Mouse and keyboard routing through the headless screen: capture, hit
// testing, cursors, double clicks, keys, focus and activation.
#include <gtest/gtest.h>

#include "probe.h"
#include "platform/win/user.h"

namespace {

// A top-level window at (100, 100), 300 x 200, with a child A, a label L
// that answers HTTRANSPARENT as static text does, and a disabled child D.
class Input : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterProbeClasses();
        ASSERT_TRUE(top.CreateEx(0, u"Probe", u"", WS_POPUP | WS_VISIBLE, CRect(100, 100, 400, 300), nullptr, 0));
        ASSERT_TRUE(a.Create(u"Probe", u"", WS_VISIBLE, CRect(10, 10, 110, 60), &top, 1));
        label.handler = [](ProbeWnd&, UINT msg, WPARAM, LPARAM, LRESULT& res) {
            if (msg != WM_NCHITTEST) return false;
            res = HTTRANSPARENT;
            return true;
        };
        ASSERT_TRUE(label.Create(u"ProbePlain", u"Label", WS_VISIBLE, CRect(10, 100, 110, 130), &top, 2));
        ASSERT_TRUE(disabled.Create(u"Probe", u"", WS_VISIBLE | WS_DISABLED, CRect(150, 10, 250, 60), &top, 3));
        screen.RunUntilIdle();
        journal.Clear();
    }
    const Seen* Last(const std::string& who, UINT msg) const {
        const Seen* found = nullptr;
        for (const Seen& s : journal.Items())
            if (s.who == who && s.msg == msg) found = &s;
        return found;
    }

    HeadlessScreen screen;
    Journal journal;
    ProbeWnd top{&journal, "T"}, a{&journal, "A"}, label{&journal, "L"}, disabled{&journal, "D"};
    ProbeWnd other{&journal, "B"};
};

TEST_F(Input, TheCaptureWindowGetsTheMouseWhereverThePointerIs) {
    screen.Move(120, 120);   // over A at client (10, 10)
    const Seen* m = Last("A", WM_MOUSEMOVE);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(GET_X_LPARAM(m->lParam), 10);
    EXPECT_EQ(GET_Y_LPARAM(m->lParam), 10);

    a.SetCapture();
    journal.Clear();
    screen.Move(300, 250);   // over the top-level window only
    screen.Move(50, 40);     // off every window of ours
    EXPECT_EQ(journal.Count("T", WM_MOUSEMOVE), 0);
    EXPECT_EQ(journal.Count("A", WM_MOUSEMOVE), 2);
    m = Last("A", WM_MOUSEMOVE);
    EXPECT_EQ(GET_X_LPARAM(m->lParam), 50 - 110) << "captured input arrives in the capture window's coordinates";
    EXPECT_EQ(GET_Y_LPARAM(m->lParam), 40 - 110);
    EXPECT_EQ(journal.Count("A", WM_SETCURSOR), 0) << "no cursor negotiation while captured";

    // Another window takes the capture: the old one hears who took it.
    ASSERT_TRUE(other.Create(u"Probe", u"", WS_VISIBLE, CRect(120, 120, 140, 140), &top, 4));
    other.SetCapture();
    const Seen* cc = Last("A", WM_CAPTURECHANGED);
    ASSERT_NE(cc, nullptr);
    EXPECT_EQ(reinterpret_cast<HWND>(cc->lParam), other.m_hWnd);
    ReleaseCapture();
    ASSERT_NE(Last("B", WM_CAPTURECHANGED), nullptr);
    EXPECT_EQ(Last("B", WM_CAPTURECHANGED)->lParam, 0);

    journal.Clear();
    screen.Move(300, 250);
    EXPECT_EQ(journal.Count("T", WM_MOUSEMOVE), 1) << "without capture the window under the pointer gets it";
    EXPECT_EQ(journal.Count("A", WM_MOUSEMOVE), 0);
}

TEST_F(Input, PressesOnStaticTextAndDisabledChildrenReachTheParent) {
    struct Case {
        CPoint screenPt;
        const char* passedOver;
    } cases[] = {{{130, 210}, "L"}, {{270, 120}, "D"}};
    for (const Case& c : cases) {
        journal.Clear();
        screen.Click(c.screenPt.x, c.screenPt.y);
        const Seen* down = Last("T", WM_LBUTTONDOWN);
        ASSERT_NE(down, nullptr) << c.passedOver;
        EXPECT_EQ(GET_X_LPARAM(down->lParam), c.screenPt.x - 100);
        EXPECT_EQ(GET_Y_LPARAM(down->lParam), c.screenPt.y - 100);
        EXPECT_EQ(journal.Count(c.passedOver, WM_LBUTTONDOWN), 0) << c.passedOver;
        EXPECT_EQ(journal.Count("T", WM_LBUTTONUP), 1) << c.passedOver;
    }
    EXPECT_EQ(WindowFromPoint(CPoint(130, 210)), top.m_hWnd);
    EXPECT_EQ(WindowFromPoint(CPoint(120, 120)), a.m_hWnd);
    EXPECT_EQ(WindowFromPoint(CPoint(20, 20)), GetDesktopWindow());
}

TEST_F(Input, ATransparentWindowOnTopPassesPressesToTheSiblingsBeneath) {
    // A frame over A and the label, at the top of the z-order, as a group
    // box framing its controls is.
    ProbeWnd frame(&journal, "F");
    frame.handler = [](ProbeWnd&, UINT msg, WPARAM, LPARAM, LRESULT& res) {
        if (msg != WM_NCHITTEST) return false;
        res = HTTRANSPARENT;
        return true;
    };
    ASSERT_TRUE(frame.Create(u"Probe", u"", WS_VISIBLE, CRect(5, 5, 200, 140), &top, 4));
    frame.SetWindowPos(&wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_EQ(::GetWindow(top.m_hWnd, GW_CHILD), frame.m_hWnd);
    screen.RunUntilIdle();
    struct Case {
        CPoint screenPt;
        const char* target;
        CPoint client;
    } cases[] = {
        {{130, 130}, "A", {20, 20}},     // the sibling beneath the frame
        {{130, 210}, "T", {30, 110}},    // the label beneath is transparent too: the parent
        {{250, 200}, "T", {150, 100}},   // nothing beneath inside the frame: the parent
    };
    for (const Case& c : cases) {
        journal.Clear();
        screen.Click(c.screenPt.x, c.screenPt.y);
        const Seen* down = Last(c.target, WM_LBUTTONDOWN);
        ASSERT_NE(down, nullptr) << c.target << " at " << c.screenPt.x << "," << c.screenPt.y;
        EXPECT_EQ(CPoint(GET_X_LPARAM(down->lParam), GET_Y_LPARAM(down->lParam)), c.client);
        EXPECT_EQ(journal.Count("F", WM_LBUTTONDOWN), 0);
    }
    EXPECT_EQ(WindowFromPoint(CPoint(130, 130)), a.m_hWnd);
}

TEST_F(Input, SetCursorComesBeforeEveryMouseMessage) {
    a.handler = [](ProbeWnd&, UINT msg, WPARAM, LPARAM l, LRESULT& res) {
        if (msg != WM_SETCURSOR || LOWORD(std::uintptr_t(l)) != HTCLIENT) return false;
        SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
        res = TRUE;
        return true;
    };
    screen.Move(300, 250);
    ASSERT_NE(screen.backend().CurrentCursor(), nullptr);
    EXPECT_EQ(screen.backend().CurrentCursor()->standardId, IDC_ARROW) << "the class cursor";
    journal.Clear();
    screen.Move(120, 120);
    screen.Move(121, 121);
    screen.Click(122, 121);
    EXPECT_EQ(journal.Names({WM_SETCURSOR, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}),
              (std::vector<std::string>{"A:SETCURSOR", "A:MOUSEMOVE", "A:SETCURSOR", "A:MOUSEMOVE", "A:SETCURSOR",
                                        "A:MOUSEMOVE", "A:SETCURSOR", "A:LBUTTONDOWN", "A:SETCURSOR", "A:LBUTTONUP"}));
    const Seen* sc = Last("A", WM_SETCURSOR);
    EXPECT_EQ(reinterpret_cast<HWND>(sc->wParam), a.m_hWnd);
    EXPECT_EQ(LOWORD(std::uintptr_t(sc->lParam)), HTCLIENT);
    EXPECT_EQ(HIWORD(std::uintptr_t(sc->lParam)), WM_LBUTTONUP);
    EXPECT_EQ(screen.backend().CurrentCursor()->standardId, IDC_SIZEWE);

    // A child that leaves WM_SETCURSOR to the default lets its parent decide first.
    journal.Clear();
    screen.Move(270, 120);   // over the disabled child: the parent is the target
    screen.Move(130, 210);   // over the label
    EXPECT_EQ(journal.Count("T", WM_SETCURSOR), 2);
}

TEST_F(Input, WhileBusyTheDefaultCursorIsTheWaitCursor) {
    HCURSOR wait = LoadCursor(nullptr, IDC_WAIT), arrow = LoadCursor(nullptr, IDC_ARROW);
    SetBusyCursor(true);
    // Over a child, over transparent text, over the parent: whatever the
    // class cursor would be.
    for (CPoint p : {CPoint(120, 120), CPoint(130, 210), CPoint(300, 250)}) {
        SetCursor(arrow);
        screen.Move(p);
        EXPECT_EQ(GetCursor(), wait) << p.x << "," << p.y;
    }
    SetBusyCursor(false);
    screen.Move(121, 121);
    EXPECT_EQ(GetCursor(), arrow) << "the class cursor once the wait is over";
}

TEST_F(Input, DoubleClicksNeedTheClassStyleTheTimeAndTheDistance) {
    ProbeWnd plain(&journal, "P");
    ASSERT_TRUE(plain.Create(u"ProbePlain", u"", WS_VISIBLE, CRect(10, 140, 110, 190), &top, 9));
    struct Case {
        const char* who;
        CPoint at;
        std::uint64_t gapMs;
        int dx;
        bool doubleClick;
    } cases[] = {
        {"A", {130, 130}, 100, 0, true},
        {"A", {130, 130}, 500, 0, true},    // exactly the double-click time
        {"A", {130, 130}, 501, 0, false},
        {"A", {130, 130}, 100, 2, true},    // inside the 4 x 4 box
        {"A", {130, 130}, 100, 3, false},
        {"P", {130, 260}, 100, 0, false},   // no CS_DBLCLKS
    };
    for (const Case& c : cases) {
        screen.Advance(1000);   // forget the previous case
        journal.Clear();
        screen.Click(c.at.x, c.at.y);
        screen.Advance(c.gapMs);
        screen.Click(c.at.x + c.dx, c.at.y);
        EXPECT_EQ(journal.Count(c.who, WM_LBUTTONDBLCLK), c.doubleClick ? 1 : 0)
            << c.who << " gap " << c.gapMs << " dx " << c.dx;
        EXPECT_EQ(journal.Count(c.who, WM_LBUTTONDOWN), c.doubleClick ? 1 : 2);
        EXPECT_EQ(journal.Count(c.who, WM_LBUTTONUP), 2);
    }
    // A third quick press after a double click starts a new click.
    screen.Advance(1000);
    journal.Clear();
    for (int i = 0; i < 3; ++i) screen.Click(130, 130);
    EXPECT_EQ(journal.Names({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}),
              (std::vector<std::string>{"A:LBUTTONDOWN", "A:LBUTTONDBLCLK", "A:LBUTTONDOWN"}));
}

TEST_F(Input, KeysGoToTheFocusWithTheModifierState) {
    a.SetFocus();
    short shiftSeen = 0;
    a.handler = [&](ProbeWnd&, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg == WM_KEYDOWN) shiftSeen = GetKeyState(VK_SHIFT);
        return false;
    };
    struct Case {
        UINT modifier;      // held during the key, 0 for none
        UINT downMsg;
        UINT charMsg;
        bool altBit;
    } cases[] = {
        {0, WM_KEYDOWN, WM_CHAR, false},
        {VK_SHIFT, WM_KEYDOWN, WM_CHAR, false},
        {VK_CONTROL, WM_KEYDOWN, WM_CHAR, false},
        {VK_MENU, WM_SYSKEYDOWN, WM_SYSCHAR, true},
    };
    for (const Case& c : cases) {
        if (c.modifier) screen.KeyDown(c.modifier);
        journal.Clear();
        screen.Key('F', u'f');
        const Seen* down = Last("A", c.downMsg);
        ASSERT_NE(down, nullptr) << c.modifier;
        EXPECT_EQ(down->wParam, WPARAM('F'));
        EXPECT_EQ((down->lParam & KF_ALTDOWN_LPARAM) != 0, c.altBit);
        const Seen* ch = Last("A", c.charMsg);
        ASSERT_NE(ch, nullptr) << c.modifier;
        EXPECT_EQ(ch->wParam, WPARAM(u'f'));
        if (c.modifier == VK_SHIFT) { EXPECT_TRUE(shiftSeen & 0x8000); }
        if (c.modifier) screen.KeyUp(c.modifier);
        EXPECT_FALSE(GetKeyState(int(c.modifier ? c.modifier : VK_SHIFT)) & 0x8000);
    }
    // Mouse messages carry the modifiers too.
    screen.KeyDown(VK_CONTROL);
    journal.Clear();
    screen.Click(130, 130);
    EXPECT_EQ(Last("A", WM_LBUTTONDOWN)->wParam & (MK_CONTROL | MK_LBUTTON), WPARAM(MK_CONTROL | MK_LBUTTON));
    screen.KeyUp(VK_CONTROL);

    // Typed text goes to the focus as characters.
    journal.Clear();
    screen.Type(u"hi");
    EXPECT_EQ(journal.Count("A", WM_CHAR), 2);
}

TEST_F(Input, TheWheelGoesToTheFocusAndClimbsToTheParent) {
    a.SetFocus();
    journal.Clear();
    screen.Move(300, 250);
    screen.Wheel(-240);
    const Seen* w = Last("A", WM_MOUSEWHEEL);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(w->wParam), -240);
    EXPECT_EQ(journal.Count("T", WM_MOUSEWHEEL), 1) << "the child's default handling passes it up";
}

TEST_F(Input, KillFocusComesBeforeSetFocus) {
    ASSERT_TRUE(other.Create(u"Probe", u"", WS_VISIBLE, CRect(10, 140, 110, 190), &top, 4));
    a.SetFocus();
    journal.Clear();
    other.SetFocus();
    EXPECT_EQ(journal.Names({WM_KILLFOCUS, WM_SETFOCUS}), (std::vector<std::string>{"A:KILLFOCUS", "B:SETFOCUS"}));
    EXPECT_EQ(reinterpret_cast<HWND>(Last("A", WM_KILLFOCUS)->wParam), other.m_hWnd);
    EXPECT_EQ(reinterpret_cast<HWND>(Last("B", WM_SETFOCUS)->wParam), a.m_hWnd);
    EXPECT_EQ(CWnd::GetFocus(), &other);

    // A click on another top-level window deactivates this one first.
    ProbeWnd second(&journal, "S");
    ASSERT_TRUE(second.CreateEx(0, u"Probe", u"", WS_POPUP | WS_VISIBLE, CRect(500, 100, 600, 200), nullptr, 0));
    top.SetActiveWindow();
    other.SetFocus();
    journal.Clear();
    screen.Click(550, 150);
    EXPECT_EQ(journal.Names({WM_ACTIVATE, WM_KILLFOCUS, WM_SETFOCUS}),
              (std::vector<std::string>{"T:ACTIVATE", "S:ACTIVATE", "B:KILLFOCUS", "S:SETFOCUS"}));
    EXPECT_EQ(CWnd::GetActiveWindow(), &second);
    EXPECT_EQ(TopLevelWindows().front(), second.m_hWnd) << "the active window comes to the top";
}

TEST_F(Input, LeaveTrackingPostsOneMouseLeave) {
    screen.Move(120, 120);
    TRACKMOUSEEVENT tme;
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = a.m_hWnd;
    ASSERT_TRUE(TrackMouseEvent(&tme));
    screen.Move(125, 125);
    EXPECT_EQ(journal.Count("A", WM_MOUSELEAVE), 0) << "still inside";
    screen.Move(300, 250);
    screen.Move(310, 250);
    EXPECT_EQ(journal.Count("A", WM_MOUSELEAVE), 1);
}

TEST_F(Input, CursorConfinementAndPosition) {
    CRect box(150, 150, 200, 180);
    ASSERT_TRUE(ClipCursor(&box));
    screen.Move(500, 20);
    CPoint p;
    GetCursorPos(&p);
    EXPECT_EQ(p, CPoint(199, 150)) << "the right and bottom edges are outside the box";
    SetCursorPos(10, 500);
    screen.RunUntilIdle();
    GetCursorPos(&p);
    EXPECT_EQ(p, CPoint(150, 179));
    CRect got;
    GetClipCursor(&got);
    EXPECT_EQ(got, box);
    ClipCursor(nullptr);
    screen.Move(5, 6);
    GetCursorPos(&p);
    EXPECT_EQ(p, CPoint(5, 6));
}

TEST_F(Input, CursorsFromMasks) {
    // 16 x 16: top-left pixel black, the next white, the third transparent.
    BYTE andMask[32], xorMask[32];
    std::fill(std::begin(andMask), std::end(andMask), BYTE(0xFF));
    std::fill(std::begin(xorMask), std::end(xorMask), BYTE(0x00));
    andMask[0] = 0x3F;   // pixels 0 and 1 opaque
    xorMask[0] = 0x40;   // pixel 1 white
    HCURSOR c = CreateCursor(AfxGetInstanceHandle(), 0, 15, 16, 16, andMask, xorMask);
    ASSERT_NE(c, nullptr);
    const CursorImage* img = GetCursorImage(c);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->hotSpot, CPoint(0, 15));
    EXPECT_EQ(img->argb[0], 0xFF000000u);
    EXPECT_EQ(img->argb[1], 0xFFFFFFFFu);
    EXPECT_EQ(img->argb[2] >> 24, 0u);
    SetCursor(c);
    EXPECT_EQ(screen.backend().CurrentCursor()->hotSpot, CPoint(0, 15));
    EXPECT_TRUE(DestroyCursor(c));
    EXPECT_EQ(GetCursorImage(c), nullptr);
    EXPECT_EQ(LoadCursor(AfxGetInstanceHandle(), IDC_ARROW), nullptr) << "the program has no arrow resource";
    int loads = 0;
    SetCursorResourceLoader([&](UINT id, CursorImage& image) {
        ++loads;
        if (id != 368) return false;
        image.width = image.height = 32;
        image.argb.assign(32 * 32, 0xFFFFFF00u);
        return true;
    });
    HCURSOR yellow = LoadCursor(AfxGetInstanceHandle(), 368);
    ASSERT_NE(yellow, nullptr);
    EXPECT_EQ(LoadCursor(AfxGetInstanceHandle(), MAKEINTRESOURCE(368)), yellow) << "loaded once, then shared";
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(LoadCursor(AfxGetInstanceHandle(), 369), nullptr);
    EXPECT_TRUE(DestroyCursor(yellow));
    EXPECT_NE(GetCursorImage(yellow), nullptr) << "resource cursors are not destroyed";
    EXPECT_NE(LoadCursor(nullptr, IDC_WAIT), nullptr);
}

}  // namespace
