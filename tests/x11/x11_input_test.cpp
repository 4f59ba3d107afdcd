// Input from a real display, driven with xdotool as a user would: clicks
// and typed text reach the right windows, keys become virtual-key codes,
// modifiers and the wheel come through, a popup holding the capture sees
// the pointer over the root window, and cursors reach the server.
#include <algorithm>

#include "tests/x11/xvfb_session.h"

using X11Input = X11Test;

TEST_F(X11Input, ClicksAndTypedTextReachTheRightWindows) {
    TestWnd left(RGB(250, 250, 250)), right(RGB(230, 230, 255));
    ASSERT_TRUE(left.CreateTop(u"left", CRect(100, 100, 400, 300)));
    ASSERT_TRUE(right.CreateTop(u"right", CRect(500, 100, 800, 300)));
    ASSERT_TRUE(PumpUntil([&] { return m_peer->Viewable(XId(left)) && m_peer->Viewable(XId(right)); }));

    // WS_BORDER is one pixel of non-client frame: client (9, 19) is screen (110, 120).
    pid_t tool = SpawnTool("xdotool mousemove 110 120 click 1 sleep 0.1 type 'abc' ; "
                           "xdotool mousemove 610 150 click 1 sleep 0.1 type 'Hallo, Welt! é' ; "
                           "xdotool mousemove 620 160 click 3 click 4 click 5 click 5 ; "
                           "xdotool keydown shift mousemove 630 170 click 1 keyup shift");
    ASSERT_TRUE(PumpUntilFinished(tool));
    ASSERT_TRUE(PumpUntil([&] { return right.clicks.size() >= 5 && right.wheel.size() == 3; }));

    ASSERT_GE(left.clicks.size(), 1u);
    EXPECT_EQ(left.clicks[0].msg, UINT(WM_LBUTTONDOWN));
    EXPECT_EQ(left.clicks[0].client, CPoint(9, 19));
    EXPECT_EQ(left.typed, u"abc");
    EXPECT_EQ(right.typed, U16("Hallo, Welt! é"));

    std::vector<UINT> downs;
    for (auto& c : right.clicks)
        if (c.msg != WM_LBUTTONUP) downs.push_back(c.msg);
    ASSERT_EQ(downs.size(), 3u);
    EXPECT_EQ(downs[0], UINT(WM_LBUTTONDOWN));
    EXPECT_EQ(downs[1], UINT(WM_RBUTTONDOWN));
    EXPECT_EQ(downs[2], UINT(WM_LBUTTONDOWN));
    EXPECT_EQ(right.wheel, (std::vector<int>{120, -120, -120}));
    auto shifted = std::find_if(right.clicks.rbegin(), right.clicks.rend(),
                                [](const TestWnd::Click& c) { return c.msg == WM_LBUTTONDOWN; });
    EXPECT_EQ(shifted->client, CPoint(129, 69));
    EXPECT_TRUE(shifted->flags & MK_SHIFT) << "the modifier held during the click";
    EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000) << "and released after it";

    // Two quick clicks are a double click for a class that asks for them.
    left.clicks.clear();
    tool = SpawnTool("xdotool mousemove 200 200 click --repeat 2 --delay 80 1");
    ASSERT_TRUE(PumpUntilFinished(tool));
    ASSERT_TRUE(PumpUntil([&] { return left.clicks.size() >= 4; }));
    EXPECT_EQ(left.clicks[2].msg, UINT(WM_LBUTTONDBLCLK));
}

TEST_F(X11Input, KeysArriveAsVirtualKeyCodes) {
    TestWnd w;
    ASSERT_TRUE(w.CreateTop(u"keys", CRect(100, 100, 300, 300)));
    ASSERT_TRUE(PumpUntil([&] { return m_peer->Viewable(XId(w)); }));
    pid_t tool = SpawnTool("xdotool mousemove 150 150 click 1 sleep 0.1 "
                           "key Return Escape Tab BackSpace Delete Home End Prior Next Left Up Right Down F1 F5 F12 "
                           "Insert space a Z 7 KP_4 comma");
    ASSERT_TRUE(PumpUntilFinished(tool));
    std::vector<UINT> want = {VK_RETURN, VK_ESCAPE, VK_TAB, VK_BACK, VK_DELETE, VK_HOME, VK_END, VK_PRIOR,
                              VK_NEXT, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_F1, VK_F5, VK_F12, VK_INSERT,
                              VK_SPACE, 'A', 'Z', '7', VK_NUMPAD0 + 4, 0xBC};
    EXPECT_TRUE(PumpUntil([&] { return w.keyDowns.size() >= want.size(); }));
    std::vector<UINT> got = w.keyDowns;
    // xdotool presses Shift and Num Lock on its own where a key needs them.
    for (UINT extra : {VK_SHIFT, VK_NUMLOCK}) got.erase(std::remove(got.begin(), got.end(), extra), got.end());
    EXPECT_EQ(got, want);
}

TEST(X11KeyTable, KeysymsMapToTheirKeysAndCharacters) {
    struct Row {
        unsigned long keysym;
        UINT vk;
        char32_t ch;
    } const rows[] = {
        {0x0061, 'A', U'a'},        {0x0041, 'A', U'A'},       {0x0035, '5', U'5'},
        {0x0025, '5', U'%'},        {0xff0d, VK_RETURN, 0x0D}, {0xff8d, VK_RETURN, 0x0D},
        {0xff1b, VK_ESCAPE, 0x1B},  {0xfe20, VK_TAB, 0x09},    {0xffe1, VK_SHIFT, 0},
        {0xffe4, VK_CONTROL, 0},    {0xffe9, VK_MENU, 0},      {0xffc9, VK_F12, 0},
        {0xffb3, VK_NUMPAD0 + 3, U'3'}, {0xff95, VK_HOME, 0},  {0x00e9, 0, U'é'},
        {0x010020ac, 0, U'€'},      {0x20ac, 0, U'€'},         {0x01f600, 0, 0},
        {0x0100017e, 0, U'ž'},      {0x002c, 0xBC, U','},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(VirtualKeyFromKeysym(r.keysym), r.vk) << std::hex << r.keysym;
        EXPECT_EQ(CharFromKeysym(r.keysym), r.ch) << std::hex << r.keysym;
    }
}

TEST_F(X11Input, APopupHoldingTheCaptureSeesMotionOverTheRootWindow) {
    // Capture taken after the popup is on screen, and before (the grab then
    // waits for the window to appear).
    for (bool captureFirst : {false, true}) {
        SCOPED_TRACE(captureFirst ? "capture before showing" : "capture after showing");
        TestWnd popup(RGB(255, 255, 200));
        ASSERT_TRUE(popup.CreateEx(WS_EX_TOOLWINDOW, nullptr, u"palette", WS_POPUP, CRect(100, 100, 180, 160),
                                   nullptr, 0));
        if (captureFirst) popup.SetCapture();
        popup.ShowWindow(SW_SHOW);
        ASSERT_TRUE(PumpUntil([&] { return m_peer->Viewable(XId(popup)); }));
        if (!captureFirst) popup.SetCapture();
        Settle();
        popup.moves.clear();
        pid_t tool = SpawnTool("xdotool mousemove 900 700 sleep 0.1 mousemove 1000 800 sleep 0.1 click 1");
        ASSERT_TRUE(PumpUntilFinished(tool));
        EXPECT_TRUE(PumpUntil([&] {
            return !popup.moves.empty() && popup.moves.back() == CPoint(900, 700) && !popup.clicks.empty();
        })) << "last move seen: " << (popup.moves.empty() ? -1 : popup.moves.back().x);
        ASSERT_FALSE(popup.clicks.empty());
        EXPECT_EQ(popup.clicks[0].client, CPoint(900, 700)) << "a click outside reaches the capture";
        ReleaseCapture();
        popup.DestroyWindow();
        Settle();
    }
}

TEST_F(X11Input, CursorsMadeFromMasksAndColourImagesAreInstalled) {
    // 16 x 16 masks: a black square with a white frame, transparent outside
    // the middle 12 x 12.
    std::vector<BYTE> andMask(32, 0xFF), xorMask(32, 0x00);
    for (int y = 2; y < 14; ++y)
        for (int x = 2; x < 14; ++x) {
            andMask[std::size_t(y * 2 + x / 8)] &= BYTE(~(0x80 >> (x % 8)));
            bool frame = x == 2 || x == 13 || y == 2 || y == 13;
            if (frame) xorMask[std::size_t(y * 2 + x / 8)] |= BYTE(0x80 >> (x % 8));
        }
    HCURSOR masks = CreateCursor(nullptr, 3, 4, 16, 16, andMask.data(), xorMask.data());
    ASSERT_TRUE(masks);

    SetCursorResourceLoader([](UINT id, CursorImage& img) {
        if (id != 368) return false;
        img.width = img.height = 8;
        img.hotSpot = CPoint(1, 1);
        img.argb.assign(64, 0xFFCC2211);          // an opaque red
        for (int i = 0; i < 8; ++i) img.argb[std::size_t(i)] = 0xFF11CC22;   // a green top row
        return true;
    });
    HCURSOR colour = LoadCursor(AfxGetInstanceHandle(), 368);
    ASSERT_TRUE(colour);

    struct Case {
        const char* name;
        HCURSOR cursor;
        int width;
        CPoint hot;
        std::vector<std::pair<CPoint, std::uint32_t>> pixels;
    } const cases[] = {
        {"masks", masks, 16, CPoint(3, 4),
         {{CPoint(0, 0), 0}, {CPoint(2, 2), 0xFFFFFFFF}, {CPoint(7, 7), 0xFF000000}, {CPoint(13, 8), 0xFFFFFFFF},
          {CPoint(15, 15), 0}}},
        {"colour", colour, 8, CPoint(1, 1), {{CPoint(3, 0), 0xFF11CC22}, {CPoint(4, 5), 0xFFCC2211}}},
    };
    TestWnd w;
    ASSERT_TRUE(w.CreateTop(u"cursor", CRect(200, 200, 400, 400)));
    ASSERT_TRUE(PumpUntil([&] { return m_peer->Viewable(XId(w)); }));
    int at = 250;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w.cursor = c.cursor;
        at += 10;
        ASSERT_EQ(RunTool("xdotool mousemove " + std::to_string(at) + " 300"), 0);
        ASSERT_TRUE(PumpUntil([&] { return GetCursor() == c.cursor; }));
        m_x11->Sync();
        CursorImage shown;
        ASSERT_TRUE(m_peer->CurrentCursor(&shown));
        EXPECT_EQ(shown.width, c.width);
        EXPECT_EQ(shown.height, c.width);
        EXPECT_EQ(shown.hotSpot, c.hot);
        for (auto& [p, want] : c.pixels)
            EXPECT_EQ(shown.argb[std::size_t(p.y * shown.width + p.x)], want) << p.x << "," << p.y;
    }
    // The standard shapes come from the cursor font: an arrow and an I-beam
    // are different images, and neither is the last one we made.
    std::vector<CursorImage> standard;
    for (int id : {IDC_ARROW, IDC_IBEAM}) {
        w.cursor = LoadCursor(nullptr, id);
        at += 10;
        ASSERT_EQ(RunTool("xdotool mousemove " + std::to_string(at) + " 300"), 0);
        ASSERT_TRUE(PumpUntil([&] { return GetCursor() == w.cursor; }));
        m_x11->Sync();
        standard.emplace_back();
        ASSERT_TRUE(m_peer->CurrentCursor(&standard.back()));
        EXPECT_FALSE(standard.back().argb.empty());
        EXPECT_NE(standard.back().width, 8) << "not the colour cursor";
    }
    EXPECT_NE(standard[0].argb, standard[1].argb);
}

TEST_F(X11Input, AConfinedPointerStaysInsideItsRectangle) {
    TestWnd w;
    ASSERT_TRUE(w.CreateTop(u"confine", CRect(300, 300, 500, 450)));
    ASSERT_TRUE(PumpUntil([&] { return m_peer->Viewable(XId(w)); }));
    ASSERT_EQ(RunTool("xdotool mousemove 400 400"), 0);
    CRect box(350, 350, 450, 420);
    ASSERT_TRUE(ClipCursor(&box));
    struct Case {
        CPoint to, want;
    } const cases[] = {{CPoint(900, 900), CPoint(449, 419)}, {CPoint(10, 10), CPoint(350, 350)},
                       {CPoint(400, 10), CPoint(400, 350)}, {CPoint(380, 400), CPoint(380, 400)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.to.x) + "," + std::to_string(c.to.y));
        pid_t tool = SpawnTool("xdotool mousemove " + std::to_string(c.to.x) + " " + std::to_string(c.to.y));
        ASSERT_TRUE(PumpUntilFinished(tool));
        EXPECT_TRUE(PumpUntil([&] { return m_x11->PointerPosition() == c.want; }, 2000))
            << "pointer at " << m_x11->PointerPosition().x << "," << m_x11->PointerPosition().y;
    }
    ClipCursor(nullptr);
    ASSERT_EQ(RunTool("xdotool mousemove 900 900"), 0);
    EXPECT_EQ(m_x11->PointerPosition(), CPoint(900, 900)) << "free again";
}
