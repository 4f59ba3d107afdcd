// Blits between memory and window contexts, clipping and state saving.
#include <gtest/gtest.h>

#include "tests/gfx/pixels.h"

namespace {

// Every pixel carries its own coordinates, so a copy shows where it came from.
Surface Numbered(int w, int h) {
    Surface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s.setPixel(x, y, (std::uint32_t(x) << 12) | std::uint32_t(y));
    return s;
}
int SourceX(std::uint32_t p) { return int(p >> 12); }
int SourceY(std::uint32_t p) { return int(p & 0xFFF); }

struct MemoryBitmap {
    explicit MemoryBitmap(const Surface& s) {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateFromSurface(s);
        old = dc.SelectObject(&bitmap);
    }
    ~MemoryBitmap() { dc.SelectObject(old); }
    CDC dc;
    CBitmap bitmap;
    CBitmap* old = nullptr;
};

TEST(StretchBlt, OneToOneIsAnExactCopy) {
    MemoryBitmap src(Numbered(66, 21));
    Canvas cv(120, 60);
    ASSERT_TRUE(cv.dc.StretchBlt(7, 9, 66, 21, &src.dc, 0, 0, 66, 21, SRCCOPY));
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 66; ++x) ASSERT_EQ(cv.surface.pixel(7 + x, 9 + y), src.bitmap.GetSurface()->pixel(x, y));
    EXPECT_EQ(cv.ink(), CRect(7, 9, 73, 30).united(CRect(7, 9, 8, 10)));

    Canvas bb(120, 60);
    ASSERT_TRUE(bb.dc.BitBlt(0, 0, 30, 10, &src.dc, 5, 3, SRCCOPY));
    EXPECT_EQ(bb.surface.pixel(0, 0), src.bitmap.GetSurface()->pixel(5, 3));
    EXPECT_EQ(bb.surface.pixel(29, 9), src.bitmap.GetSurface()->pixel(34, 12));
    EXPECT_EQ(bb.at(30, 0), RGB(255, 255, 255));
}

TEST(StretchBlt, ScalingTakesTheSourcePixelUnderEachTargetCentre) {
    struct Case { int sw, sh, dw, dh; };
    const Case cases[] = {{66, 21, 100, 28}, {10, 10, 20, 30}, {100, 28, 66, 21}, {3, 1, 7, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh);
        MemoryBitmap src(Numbered(c.sw, c.sh));
        Canvas cv(128, 64);
        ASSERT_TRUE(cv.dc.StretchBlt(2, 3, c.dw, c.dh, &src.dc, 0, 0, c.sw, c.sh, SRCCOPY));
        for (int y = 0; y < c.dh; ++y)
            for (int x = 0; x < c.dw; ++x) {
                const std::uint32_t p = cv.surface.pixel(2 + x, 3 + y);
                // The centre of target pixel x lies at source (x + 0.5) * sw / dw.
                const double cx = (x + 0.5) * c.sw / c.dw, cy = (y + 0.5) * c.sh / c.dh;
                ASSERT_LE(SourceX(p), cx) << x;
                ASSERT_GT(SourceX(p) + 1, cx) << x;
                ASSERT_LE(SourceY(p), cy) << y;
                ASSERT_GT(SourceY(p) + 1, cy) << y;
            }
        EXPECT_EQ(cv.at(2 + c.dw, 3), RGB(255, 255, 255));
        EXPECT_EQ(cv.at(2, 3 + c.dh), RGB(255, 255, 255));
    }
}

TEST(StretchBlt, NegativeTargetWidthMirrors) {
    MemoryBitmap src(Numbered(4, 1));
    Canvas cv(10, 4);
    cv.dc.StretchBlt(4, 0, -4, 1, &src.dc, 0, 0, 4, 1, SRCCOPY);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(SourceX(cv.surface.pixel(x, 0)), 3 - x);
}

TEST(Blit, OffscreenBufferWithWindowOriginLandsAtTheSamePlace) {
    // The grid's double buffer: a bitmap the size of the area, window origin
    // at the area's top-left, drawing in window coordinates, one copy back.
    Canvas screen(100, 80);
    const CRect area(30, 20, 70, 50);
    CDC mem;
    ASSERT_TRUE(mem.CreateCompatibleDC(&screen.dc));
    CBitmap bmp;
    ASSERT_TRUE(bmp.CreateCompatibleBitmap(&screen.dc, area.Width(), area.Height()));
    CBitmap* old = mem.SelectObject(&bmp);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->GetSize(), CSize(1, 1));
    mem.SetWindowOrg(area.left, area.top);
    mem.FillSolidRect(area, RGB(0, 0, 255));
    mem.FillSolidRect(CRect(40, 30, 45, 35), RGB(255, 0, 0));
    mem.FillSolidRect(CRect(0, 0, 100, 80), RGB(0, 255, 0));   // clipped to the bitmap...
    mem.FillSolidRect(area, RGB(0, 0, 255));                    // ...and covered again
    mem.FillSolidRect(CRect(40, 30, 45, 35), RGB(255, 0, 0));
    EXPECT_EQ(mem.GetPixel(40, 30), RGB(255, 0, 0));
    EXPECT_EQ(mem.GetPixel(area.left - 1, area.top), CLR_INVALID);
    screen.dc.BitBlt(area.left, area.top, area.Width(), area.Height(), &mem, area.left, area.top, SRCCOPY);
    mem.SelectObject(old);
    EXPECT_EQ(screen.ink(), area);
    EXPECT_EQ(screen.at(40, 30), RGB(255, 0, 0));
    EXPECT_EQ(screen.at(44, 34), RGB(255, 0, 0));
    EXPECT_EQ(screen.at(45, 34), RGB(0, 0, 255));
    // A window context cannot take a bitmap.
    EXPECT_EQ(screen.dc.SelectObject(&bmp), nullptr);
}

TEST(Blit, OverlappingCopyWithinOneSurface) {
    Canvas cv(20, 4);
    for (int x = 0; x < 20; ++x) cv.surface.SetPixel(x, 0, RGB(x, 0, 0));
    cv.dc.BitBlt(2, 0, 10, 1, &cv.dc, 0, 0, SRCCOPY);
    for (int x = 0; x < 10; ++x) EXPECT_EQ(cv.at(2 + x, 0), RGB(x, 0, 0));
}

TEST(Clip, WindowContextDrawsOnlyInsideItsVisibleArea) {
    // A child window at (40, 30) of its top-level surface, partly covered:
    // only (50, 35)-(90, 60) of the surface is visible.
    Surface top(120, 80, 0xFFFFFF);
    CDC dc(&top, {40, 30}, CRect(50, 35, 90, 60));
    dc.FillSolidRect(CRect(-100, -100, 500, 500), RGB(0, 0, 0));
    Canvas probe;   // reuse the ink helper on the surface
    probe.surface = top;
    EXPECT_EQ(probe.ink(), CRect(50, 35, 90, 60));

    CRect box;
    EXPECT_EQ(dc.GetClipBox(&box), SIMPLEREGION);
    EXPECT_EQ(box, CRect(10, 5, 50, 30));          // in the child's own coordinates
    EXPECT_EQ(dc.GetPixel(10, 5), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetPixel(9, 5), CLR_INVALID);     // outside the visible area
    EXPECT_EQ(dc.SetPixel(0, 0, RGB(1, 2, 3)), CLR_INVALID);
    EXPECT_EQ(top.GetPixel(40, 30), RGB(255, 255, 255));

    // Text, lines and blits obey the same area.
    top.fill(0xFFFFFF);
    dc.TextOut(0, 0, u"A long line of text that runs far beyond the window");
    dc.MoveTo(-50, 20);
    dc.LineTo(300, 20);
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    CBitmap bmp;
    bmp.CreateCompatibleBitmap(&dc, 300, 300);   // black
    mem.SelectObject(&bmp);
    dc.BitBlt(30, -20, 300, 40, &mem, 0, 0, SRCCOPY);
    probe.surface = top;
    EXPECT_FALSE(probe.ink().IsRectEmpty());
    EXPECT_TRUE(CRect(50, 35, 90, 60).contains(probe.ink()));
}

TEST(Clip, IntersectAndSelectClipRectangles) {
    Canvas cv(100, 100);
    EXPECT_EQ(cv.dc.IntersectClipRect(10, 10, 60, 60), SIMPLEREGION);
    EXPECT_EQ(cv.dc.IntersectClipRect(CRect(40, 40, 90, 90)), SIMPLEREGION);
    cv.dc.FillSolidRect(CRect(0, 0, 100, 100), RGB(0, 0, 0));
    EXPECT_EQ(cv.ink(), CRect(40, 40, 60, 60));
    CRect box;
    cv.dc.GetClipBox(&box);
    EXPECT_EQ(box, CRect(40, 40, 60, 60));

    EXPECT_EQ(cv.dc.IntersectClipRect(0, 0, 5, 5), NULLREGION);
    EXPECT_EQ(cv.dc.GetClipBox(&box), NULLREGION);

    CRgn region;
    region.CreateRectRgn(70, 0, 80, 10);
    EXPECT_EQ(cv.dc.SelectClipRgn(&region), SIMPLEREGION);
    cv.dc.FillSolidRect(CRect(0, 0, 100, 100), RGB(255, 0, 0));
    EXPECT_EQ(cv.at(75, 5), RGB(255, 0, 0));
    EXPECT_EQ(cv.at(50, 50), RGB(0, 0, 0));
    cv.dc.SelectClipRgn(nullptr);
    cv.dc.GetClipBox(&box);
    EXPECT_EQ(box, CRect(0, 0, 100, 100));
}

TEST(SaveDC, RestoresObjectsColoursModesMappingAndClip) {
    Canvas cv(100, 100);
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    cv.dc.SetTextColor(RGB(1, 1, 1));
    const int level = cv.dc.SaveDC();
    EXPECT_EQ(level, 1);
    cv.dc.SelectObject(&red);
    cv.dc.SetTextColor(RGB(2, 2, 2));
    cv.dc.SetBkMode(TRANSPARENT);
    cv.dc.SetWindowOrg(5, 5);
    cv.dc.IntersectClipRect(0, 0, 10, 10);
    EXPECT_EQ(cv.dc.SaveDC(), 2);
    cv.dc.SetTextColor(RGB(3, 3, 3));

    EXPECT_TRUE(cv.dc.RestoreDC(-1));
    EXPECT_EQ(cv.dc.GetTextColor(), RGB(2, 2, 2));
    EXPECT_TRUE(cv.dc.RestoreDC(level));
    EXPECT_EQ(cv.dc.GetTextColor(), RGB(1, 1, 1));
    EXPECT_EQ(cv.dc.GetBkMode(), OPAQUE);
    EXPECT_EQ(cv.dc.GetWindowOrg(), CPoint(0, 0));
    EXPECT_EQ(cv.dc.GetCurrentPen()->GetColor(), RGB(0, 0, 0));
    CRect box;
    cv.dc.GetClipBox(&box);
    EXPECT_EQ(box, CRect(0, 0, 100, 100));
    // Nothing left to restore, and levels that never existed fail.
    EXPECT_FALSE(cv.dc.RestoreDC(-1));
    EXPECT_FALSE(cv.dc.RestoreDC(3));

    // The scope helper restores on leaving.
    {
        CDCStateScope scope(cv.dc);
        cv.dc.SetBkColor(RGB(9, 9, 9));
    }
    EXPECT_EQ(cv.dc.GetBkColor(), RGB(255, 255, 255));
}

TEST(DeviceCaps, ScreenSizeResolutionAndPrinterPages) {
    Canvas cv(120, 80);
    EXPECT_EQ(cv.dc.GetDeviceCaps(HORZRES), 120);
    EXPECT_EQ(cv.dc.GetDeviceCaps(LOGPIXELSY), 96);
    CDC::SetScreenSize({1280, 1024});
    EXPECT_EQ(cv.dc.GetDeviceCaps(HORZRES), 1280);
    EXPECT_EQ(cv.dc.GetDeviceCaps(VERTRES), 1024);
    // A printer context reports its page.
    Surface page(850, 1100);
    CDC printer(&page, {0, 0}, page.bounds());
    printer.SetPrinting(TRUE);
    EXPECT_EQ(printer.GetDeviceCaps(HORZRES), 850);
    printer.SetDeviceCaps(LOGPIXELSY, 100);
    CDC mem;
    mem.CreateCompatibleDC(&printer);
    EXPECT_TRUE(mem.IsPrinting());
    EXPECT_EQ(mem.GetDeviceCaps(LOGPIXELSY), 100);
    CFont f;
    f.CreatePointFont(90, u"Times New Roman", &printer);
    LOGFONT lf;
    f.GetLogFont(&lf);
    EXPECT_EQ(lf.lfHeight, -13);   // 9 points at 100 dpi, rounded
    CDC::SetScreenSize({0, 0});
}

TEST(Attach, TwoContextsShareOneState) {
    Canvas cv(20, 20);
    CDC wrapper;
    ASSERT_TRUE(wrapper.Attach(cv.dc.GetSafeHdc()));
    wrapper.SetPrinting(TRUE);
    EXPECT_TRUE(cv.dc.IsPrinting());
    wrapper.FillSolidRect(CRect(0, 0, 2, 2), RGB(255, 0, 0));
    EXPECT_EQ(cv.at(1, 1), RGB(255, 0, 0));
    wrapper.Detach();
    EXPECT_FALSE(wrapper.IsPrinting());
    EXPECT_TRUE(cv.dc.IsPrinting());
}

}  // namespace
