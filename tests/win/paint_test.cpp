// Painting through the headless screen: what reaches the screen, erasing,
// children over parents, drawing outside WM_PAINT, ScrollWindow.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "probe.h"
#include "platform/gfx/syscolors.h"
#include "platform/win/user.h"

namespace {

// Row y of a striped window is RGB(y, 0, 0), so moved rows show where they came from.
COLORREF Stripe(int y) { return RGB(y & 0xFF, 0, 0); }

class Paint : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterProbeClasses();
        striped.handler = [this](ProbeWnd& w, UINT msg, WPARAM, LPARAM, LRESULT&) {
            if (msg != WM_PAINT) return false;
            CPaintDC dc(&w);
            lastPaint = dc.PaintRect();
            CRect rc;
            w.GetClientRect(&rc);
            for (int y = 0; y < rc.bottom; ++y) dc.FillSolidRect(0, y, rc.right, 1, Stripe(y));
            return true;
        };
        ASSERT_TRUE(striped.CreateEx(0, u"Probe", u"", WS_POPUP | WS_VISIBLE, CRect(100, 100, 300, 300), nullptr, 0));
        screen.RunUntilIdle();
        journal.Clear();
    }
    static ProbeWnd::Handler Filler(COLORREF c) {
        return [c](ProbeWnd& w, UINT msg, WPARAM, LPARAM, LRESULT&) {
            if (msg != WM_PAINT) return false;
            CPaintDC dc(&w);
            CRect rc;
            w.GetClientRect(&rc);
            dc.FillSolidRect(rc, c);
            return true;
        };
    }

    HeadlessScreen screen;
    Journal journal;
    ProbeWnd striped{&journal, "S"};
    CRect lastPaint;
};

TEST_F(Paint, ScrollWindowMovesPixelsAndInvalidatesOnlyTheUncoveredStrip) {
    ASSERT_EQ(screen.Pixel(150, 100 + 57), Stripe(57));
    // As the grid scrolls one 20-pixel row under 20 pixels of fixed rows.
    CRect below(0, 40, 200, 200);
    striped.ScrollWindow(0, -20, &below);
    CRect update;
    ASSERT_TRUE(striped.GetUpdateRect(&update));
    EXPECT_EQ(update, CRect(0, 180, 200, 200));
    screen.RunUntilIdle();
    EXPECT_EQ(journal.Count("S", WM_PAINT), 1);
    EXPECT_EQ(lastPaint, CRect(0, 180, 200, 200));
    struct Row {
        int y;
        COLORREF expected;
    } rows[] = {{0, Stripe(0)},      {19, Stripe(19)},   // the fixed rows stay
                {20, Stripe(40)},    {100, Stripe(120)},  // moved up by 20
                {179, Stripe(199)},  {180, Stripe(180)},  // the repainted strip
                {199, Stripe(199)}};
    for (const Row& r : rows) EXPECT_EQ(screen.Pixel(150, 100 + r.y), r.expected) << "row " << r.y;

    // Scrolling down uncovers the top of the scrolled rectangle.
    journal.Clear();
    CRect all(0, 20, 200, 200);
    striped.ScrollWindow(0, 30, &all);
    ASSERT_TRUE(striped.GetUpdateRect(&update));
    EXPECT_EQ(update, CRect(0, 20, 200, 50));
    screen.RunUntilIdle();
    EXPECT_EQ(screen.Pixel(150, 100 + 60), Stripe(50)) << "row 30 before the scroll came from row 50";
    EXPECT_EQ(screen.Pixel(150, 100 + 25), Stripe(25));
}

TEST_F(Paint, ScrollingTheWholeClientAreaMovesChildrenAlong) {
    ProbeWnd child(&journal, "C");
    ASSERT_TRUE(child.Create(u"Probe", u"", WS_VISIBLE, CRect(10, 10, 30, 30), &striped, 1));
    striped.ScrollWindow(25, 0);
    CRect wr;
    child.GetWindowRect(&wr);
    EXPECT_EQ(wr, CRect(135, 110, 155, 130));
    CRect update;
    ASSERT_TRUE(striped.GetUpdateRect(&update));
    EXPECT_EQ(update, CRect(0, 0, 25, 200));
}

TEST_F(Paint, ChildrenStayOnTopWhenTheirParentRepaints) {
    ProbeWnd child(&journal, "C");
    child.handler = Filler(RGB(0, 200, 0));
    ASSERT_TRUE(child.Create(u"Probe", u"", WS_VISIBLE, CRect(50, 50, 100, 100), &striped, 1));
    screen.RunUntilIdle();
    EXPECT_EQ(screen.Pixel(175, 175), RGB(0, 200, 0));
    journal.Clear();
    striped.Invalidate();
    screen.RunUntilIdle();
    EXPECT_EQ(journal.Names({WM_PAINT}), (std::vector<std::string>{"S:PAINT", "C:PAINT"}))
        << "parents paint before their children";
    EXPECT_EQ(screen.Pixel(175, 175), RGB(0, 200, 0));
    EXPECT_EQ(screen.Pixel(145, 145), Stripe(45));

    // Hiding the child shows the parent beneath it again.
    child.ShowWindow(SW_HIDE);
    screen.RunUntilIdle();
    EXPECT_EQ(screen.Pixel(175, 175), Stripe(75));
}

TEST_F(Paint, AChildThatPaintedAtOnceIsNotLostUnderItsParentsLaterPaint) {
    ProbeWnd child(&journal, "C"), above(&journal, "A");
    child.handler = Filler(RGB(0, 200, 0));
    above.handler = Filler(RGB(0, 0, 220));
    ASSERT_TRUE(child.Create(u"Probe", u"", WS_VISIBLE, CRect(50, 50, 100, 100), &striped, 1));
    ASSERT_TRUE(above.Create(u"Probe", u"", WS_VISIBLE, CRect(90, 90, 120, 120), &striped, 2));
    screen.RunUntilIdle();
    journal.Clear();
    // As a button pressed in the same turn its dialog repaints: the parent
    // is invalid, the children paint now, the parent paints at the idle.
    striped.Invalidate();
    child.UpdateWindow();
    above.UpdateWindow();
    screen.RunUntilIdle();
    EXPECT_EQ(journal.Names({WM_PAINT}),
              (std::vector<std::string>{"C:PAINT", "A:PAINT", "S:PAINT", "A:PAINT", "C:PAINT"}));
    EXPECT_EQ(screen.Pixel(175, 175), RGB(0, 200, 0));
    EXPECT_EQ(screen.Pixel(215, 215), RGB(0, 0, 220)) << "the later sibling stays on top";
    EXPECT_EQ(screen.Pixel(145, 145), Stripe(45));
}

TEST_F(Paint, DrawingOutsidePaintIsShownWithoutAPaintMessage) {
    {
        CClientDC dc(&striped);
        dc.FillSolidRect(CRect(10, 10, 20, 20), RGB(0, 0, 255));
    }
    CDC* dc = striped.GetDC();
    ASSERT_NE(dc, nullptr);
    dc->FillSolidRect(CRect(30, 10, 40, 20), RGB(0, 255, 255));
    EXPECT_EQ(dc->GetDeviceCaps(HORZRES), 1280) << "a window context measures the screen";
    EXPECT_EQ(dc->GetDeviceCaps(VERTRES), 1024);
    EXPECT_EQ(striped.ReleaseDC(dc), 1);
    EXPECT_EQ(striped.ReleaseDC(dc), 0) << "a context is released once";
    screen.RunUntilIdle();
    EXPECT_EQ(journal.Count("S", WM_PAINT), 0);
    EXPECT_EQ(screen.Pixel(115, 115), RGB(0, 0, 255));
    EXPECT_EQ(screen.Pixel(135, 115), RGB(0, 255, 255));
    EXPECT_EQ(GetScreenPixel(135, 115), RGB(0, 255, 255));
    EXPECT_EQ(GetScreenPixel(5, 5), FromPixel(HeadlessBackend::kDesktopPixel)) << "outside our windows: the display";
    EXPECT_EQ(GetScreenPixel(-1, 5), CLR_INVALID);

    // The desktop's window context reads what the screen shows.
    CWnd* desktop = CWnd::GetDesktopWindow();
    ASSERT_NE(desktop, nullptr);
    CDC* ddc = desktop->GetWindowDC();
    ASSERT_NE(ddc, nullptr);
    EXPECT_EQ(ddc->GetPixel(135, 115), RGB(0, 255, 255));
    EXPECT_EQ(desktop->ReleaseDC(ddc), 1);
}

TEST_F(Paint, EraseUsesTheClassBackgroundOnlyWhenAsked) {
    ProbeWnd bare(&journal, "B");   // paints nothing itself
    bare.handler = [](ProbeWnd& w, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg != WM_PAINT) return false;
        CPaintDC dc(&w);
        return true;
    };
    ASSERT_TRUE(bare.Create(u"Probe", u"", WS_VISIBLE, CRect(0, 0, 40, 40), &striped, 1));
    screen.RunUntilIdle();
    EXPECT_EQ(screen.Pixel(110, 110), GetSysColor(COLOR_WINDOW));
    {
        CClientDC dc(&bare);
        dc.FillSolidRect(CRect(0, 0, 40, 40), RGB(1, 2, 3));
    }
    journal.Clear();
    bare.Invalidate(FALSE);
    screen.RunUntilIdle();
    EXPECT_EQ(journal.Count("B", WM_ERASEBKGND), 0);
    EXPECT_EQ(screen.Pixel(110, 110), RGB(1, 2, 3));
    bare.Invalidate(TRUE);
    screen.RunUntilIdle();
    EXPECT_EQ(journal.Count("B", WM_ERASEBKGND), 1);
    EXPECT_EQ(screen.Pixel(110, 110), GetSysColor(COLOR_WINDOW));
}

TEST_F(Paint, GrowingAWindowRepaintsWhatTheClassAsksFor) {
    WNDCLASS wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpszClassName = u"ProbeRedraw";
    ASSERT_TRUE(RegisterClass(&wc));
    struct Case {
        const char16_t* cls;
        CRect expectedUpdate;
    } cases[] = {{u"ProbePlain", CRect(100, 0, 150, 100)}, {u"ProbeRedraw", CRect(0, 0, 150, 100)}};
    for (const Case& c : cases) {
        ProbeWnd w(&journal, "G");
        ASSERT_TRUE(w.CreateEx(0, c.cls, u"", WS_POPUP | WS_VISIBLE, CRect(500, 500, 600, 600), nullptr, 0));
        screen.RunUntilIdle();
        w.MoveWindow(500, 500, 150, 100);   // wider only
        CRect update;
        ASSERT_TRUE(w.GetUpdateRect(&update));
        EXPECT_EQ(update, c.expectedUpdate) << "the bounding box of what needs painting";
        const Surface* surface = GetWindowSurface(w.m_hWnd);
        ASSERT_NE(surface, nullptr);
        EXPECT_EQ(surface->width(), 150);
        EXPECT_EQ(surface->height(), 100);
    }
}

TEST_F(Paint, SystemColourChangesReachEveryWindow) {
    ProbeWnd child(&journal, "C");
    ASSERT_TRUE(child.Create(u"Probe", u"", WS_VISIBLE, CRect(0, 0, 40, 40), &striped, 1));
    int index = COLOR_WINDOW;
    COLORREF colour = RGB(10, 20, 30);
    ASSERT_TRUE(SetSysColors(1, &index, &colour));
    screen.RunUntilIdle();
    EXPECT_EQ(journal.Count("S", WM_SYSCOLORCHANGE), 1);
    EXPECT_EQ(journal.Count("C", WM_SYSCOLORCHANGE), 1);
    EXPECT_EQ(screen.Pixel(110, 110), colour) << "the child repainted with the new window colour";
    ResetSysColors();
}

TEST_F(Paint, ScreenshotsAreWritten) {
    const char* out = std::getenv("VELMORA_TEST_OUTPUT");
    std::filesystem::path dir = out ? out : std::filesystem::temp_directory_path().string();
    std::filesystem::create_directories(dir);
    std::string path = (dir / "win_paint_screenshot.png").string();
    std::string error;
    ASSERT_TRUE(SaveScreenshot(path, &error)) << error;
    EXPECT_GT(std::filesystem::file_size(path), 100u);
    EXPECT_FALSE(SaveScreenshot("/nonexistent-dir/x.png", &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
