// Mapping modes: origins, extents and what they do to drawing and text.
#include <gtest/gtest.h>

#include "tests/gfx/pixels.h"

namespace {

TEST(Mapping, TextModeMovesByTheOriginsOnly) {
    Canvas cv(100, 100);
    cv.dc.SetWindowOrg(10, 20);
    cv.dc.SetViewportOrg(3, 4);
    EXPECT_EQ(cv.dc.SetWindowExt(5, 5), CSize(1, 1));   // ignored outside MM_ANISOTROPIC
    cv.dc.FillSolidRect(CRect(10, 20, 15, 25), RGB(0, 0, 0));
    EXPECT_EQ(cv.ink(), CRect(3, 4, 8, 9));
    CPoint p(0, 0);
    cv.dc.LPtoDP(&p);
    EXPECT_EQ(p, CPoint(-7, -16));
}

TEST(Mapping, AnisotropicScalesAroundTheWindowOrigin) {
    // As a printed page: 664 logical units across 1328 pixels, a left margin
    // made by a negative window origin.
    Canvas cv(200, 200);
    EXPECT_EQ(cv.dc.SetMapMode(MM_ANISOTROPIC), MM_TEXT);
    cv.dc.SetWindowExt(100, 50);
    cv.dc.SetViewportExt(200, 150);
    cv.dc.SetWindowOrg(-10, 5);
    struct Case { CPoint logical, device; };
    const Case cases[] = {
        {{-10, 5}, {0, 0}},
        {{0, 5}, {20, 0}},
        {{0, 10}, {20, 15}},
        {{40, 55}, {100, 150}},
        {{-20, 0}, {-20, -15}},
    };
    for (const auto& c : cases) {
        CPoint p = c.logical;
        cv.dc.LPtoDP(&p);
        EXPECT_EQ(p, c.device);
        cv.dc.DPtoLP(&p);
        EXPECT_EQ(p, c.logical);
    }
    cv.dc.FillSolidRect(CRect(0, 5, 10, 10), RGB(0, 0, 0));
    EXPECT_EQ(cv.ink(), CRect(20, 0, 40, 15));
    // Lines scale their positions but stay one pixel thin.
    cv.dc.MoveTo(0, 20);
    cv.dc.LineTo(10, 20);
    EXPECT_EQ(cv.at(20, 45), RGB(0, 0, 0));
    EXPECT_EQ(cv.at(39, 45), RGB(0, 0, 0));
    EXPECT_EQ(cv.at(40, 45), RGB(255, 255, 255));
    EXPECT_EQ(cv.at(20, 46), RGB(255, 255, 255));

    CRect box;
    cv.dc.GetClipBox(&box);
    EXPECT_EQ(box, CRect(-10, 5, 90, 72));   // 200 x 200 pixels back in logical units (rounded)

    CSize s(10, 10);
    cv.dc.LPtoDP(&s);
    EXPECT_EQ(s, CSize(20, 30));   // sizes ignore the origins
    cv.dc.DPtoLP(&s);
    EXPECT_EQ(s, CSize(10, 10));
    // Zero extents are refused rather than dividing by zero later.
    cv.dc.SetWindowExt(0, 7);
    EXPECT_EQ(cv.dc.GetWindowExt(), CSize(100, 50));
    // Back to MM_TEXT drops the scaling.
    cv.dc.SetMapMode(MM_TEXT);
    cv.dc.SetWindowOrg(0, 0);
    CPoint q(7, 8);
    cv.dc.LPtoDP(&q);
    EXPECT_EQ(q, CPoint(7, 8));
}

TEST(Mapping, AnisotropicScalesTextAndReportsLogicalExtents) {
    LOGFONT lf;
    lf.lfHeight = -9;
    lf.SetFaceName(u"Times New Roman");
    CFont font;
    font.CreateFontIndirect(&lf);

    Canvas plain(400, 100);
    plain.dc.SelectObject(&font);
    const CSize plainExtent = plain.dc.GetTextExtent(u"Page 2 of 5");

    Canvas page(400, 100);
    page.dc.SelectObject(&font);
    page.dc.SetMapMode(MM_ANISOTROPIC);
    page.dc.SetWindowExt(100, 100);
    page.dc.SetViewportExt(300, 300);
    TEXTMETRIC tm;
    page.dc.GetTextMetrics(&tm);
    const CSize scaled = page.dc.GetTextExtent(u"Page 2 of 5");
    // Logical sizes stay close to the unscaled ones (hinting moves them a little).
    EXPECT_NEAR(scaled.cx, plainExtent.cx, plainExtent.cx / 5 + 2);
    EXPECT_NEAR(scaled.cy, plainExtent.cy, 2);
    EXPECT_NEAR(tm.tmHeight - tm.tmInternalLeading, 9, 1);

    page.dc.SetBkMode(TRANSPARENT);
    page.dc.TextOut(10, 0, u"Page 2 of 5");
    const CRect ink = page.ink();
    // Drawn three times as large, starting at 3 x 10 pixels.
    EXPECT_GE(ink.left, 30);
    EXPECT_LE(ink.left, 33);
    EXPECT_GT(ink.Height(), 2 * plainExtent.cy);
    EXPECT_NEAR(ink.right - 30, 3 * scaled.cx, 3 * plainExtent.cx / 5 + 6);
}

}  // namespace
