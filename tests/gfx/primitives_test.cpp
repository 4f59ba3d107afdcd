// Fills, lines, rectangles, edges and the self-cancelling inversions.
#include <gtest/gtest.h>

#include "platform/gfx/syscolors.h"
#include "tests/gfx/pixels.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

TEST(Surface, ResizeKeepsTheOverlapAndRefusesImpossibleSizes) {
    Surface s(4, 3, 0x112233);
    s.setPixel(3, 2, 0xABCDEF);
    EXPECT_EQ(s.GetPixel(0, 0), RGB(0x11, 0x22, 0x33));   // stored 0x00RRGGBB, read as COLORREF
    ASSERT_TRUE(s.resize(6, 4, 0));
    EXPECT_EQ(s.pixel(3, 2), 0xABCDEFu);
    EXPECT_EQ(s.pixel(5, 3), 0u);
    struct Bad { int w, h; };
    for (const Bad b : {Bad{-1, 5}, Bad{5, -1}, Bad{40000, 1}, Bad{20000, 20000}}) {
        EXPECT_FALSE(s.resize(b.w, b.h));
        EXPECT_EQ(s.width(), 6);
        EXPECT_TRUE(Surface(b.w, b.h).empty());
    }
    EXPECT_EQ(s.GetPixel(6, 0), CLR_INVALID);
    s.SetPixel(-1, 0, 0);   // ignored, not written out of bounds

    CDC dc;
    CBitmap huge, none;
    EXPECT_FALSE(huge.CreateCompatibleBitmap(&dc, 30000, 30000));
    EXPECT_FALSE(none.CreateCompatibleBitmap(nullptr, 10, 10));
    EXPECT_TRUE(huge.IsNull());
}

TEST(Fill, RightAndBottomEdgesAreExclusive) {
    struct Case {
        const char* name;
        void (*draw)(CDC&);
    };
    const Case cases[] = {
        {"FillSolidRect", [](CDC& dc) { dc.FillSolidRect(CRect(10, 20, 30, 40), kRed); }},
        {"FillSolidRect xywh", [](CDC& dc) { dc.FillSolidRect(10, 20, 20, 20, kRed); }},
        {"FillRect", [](CDC& dc) { CBrush b(kRed); dc.FillRect(CRect(10, 20, 30, 40), &b); }},
        {"PatBlt", [](CDC& dc) { CBrush b(kRed); dc.SelectObject(&b); dc.PatBlt(10, 20, 20, 20, PATCOPY); }},
        {"Rectangle with null pen", [](CDC& dc) {
             // Without a pen the figure is one pixel smaller, so one pixel more here.
             CBrush b(kRed);
             dc.SelectObject(&b);
             dc.SelectStockObject(NULL_PEN);
             dc.Rectangle(10, 20, 31, 41);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas cv;
        c.draw(cv.dc);
        EXPECT_EQ(cv.ink(), CRect(10, 20, 30, 40));
        EXPECT_EQ(cv.at(10, 20), kRed);
        EXPECT_EQ(cv.at(29, 39), kRed);
    }
}

TEST(Fill, FillSolidRectLeavesTheBackgroundColourSet) {
    Canvas cv;
    cv.dc.SetBkColor(kWhite);
    cv.dc.FillSolidRect(CRect(0, 0, 5, 5), kRed);
    EXPECT_EQ(cv.dc.GetBkColor(), kRed);
}

TEST(Fill, EmptyAndInvertedRectanglesDrawNothingOrNormalise) {
    Canvas cv;
    cv.dc.FillSolidRect(CRect(10, 10, 10, 30), kRed);    // zero width
    EXPECT_TRUE(cv.ink().IsRectEmpty());
    cv.dc.FillSolidRect(CRect(30, 30, 20, 20), kRed);    // corners swapped
    EXPECT_EQ(cv.ink(), CRect(20, 20, 30, 30));
}

TEST(Line, LeavesOutItsLastPixel) {
    struct Case { CPoint from, to; int pixels; };
    const Case cases[] = {
        {{10, 10}, {20, 10}, 10},   // right
        {{20, 12}, {10, 12}, 10},   // left
        {{5, 5}, {5, 15}, 10},      // down
        {{7, 15}, {7, 5}, 10},      // up
        {{30, 30}, {40, 40}, 10},   // diagonal
        {{50, 50}, {60, 53}, 10},   // shallow
        {{9, 9}, {9, 9}, 0},        // a point draws nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from.x << "," << c.from.y << " -> " << c.to.x << "," << c.to.y);
        Canvas cv;
        cv.dc.MoveTo(c.from);
        cv.dc.LineTo(c.to);
        EXPECT_EQ(cv.dc.GetCurrentPosition(), c.to);
        long drawn = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x) drawn += cv.at(x, y) != kWhite;
        EXPECT_EQ(drawn, c.pixels);
        if (c.pixels > 0) { EXPECT_NE(cv.at(c.from.x, c.from.y), kWhite); }
        EXPECT_EQ(cv.at(c.to.x, c.to.y), kWhite);
    }
}

TEST(Line, HugeCoordinatesAreClippedNotWalked) {
    Canvas cv(50, 20);
    cv.dc.MoveTo(-2000000000, 5);
    cv.dc.LineTo(2000000000, 5);
    cv.dc.MoveTo(7, 2147483647);
    cv.dc.LineTo(7, -2147483647);
    cv.dc.FillSolidRect(CRect(-2147483647, 15, 2147483647, 16), kRed);
    for (int x = 0; x < 50; ++x) {
        EXPECT_EQ(cv.at(x, 5), RGB(0, 0, 0));
        EXPECT_EQ(cv.at(x, 15), kRed);
    }
    for (int y = 0; y < 20; ++y) {
        if (y != 15) { EXPECT_EQ(cv.at(7, y), RGB(0, 0, 0)); }
    }
    EXPECT_EQ(cv.at(8, 6), kWhite);
}

TEST(Line, PenColourNullPenAndXorMode) {
    Canvas cv;
    CPen red(PS_SOLID, 1, kRed);
    CPen* old = cv.dc.SelectObject(&red);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->GetColor(), RGB(0, 0, 0));   // a new context draws with the black pen
    cv.dc.MoveTo(0, 0);
    cv.dc.LineTo(5, 0);
    EXPECT_EQ(cv.at(4, 0), kRed);

    cv.dc.SelectStockObject(NULL_PEN);
    cv.dc.MoveTo(0, 1);
    cv.dc.LineTo(5, 1);
    EXPECT_EQ(cv.at(2, 1), kWhite);

    cv.dc.SelectStockObject(WHITE_PEN);
    cv.dc.SetROP2(R2_XORPEN);
    cv.dc.MoveTo(0, 0);
    cv.dc.LineTo(5, 0);   // red ^ white = cyan
    EXPECT_EQ(cv.at(2, 0), RGB(0, 255, 255));
}

TEST(Rectangle, OutlineWithPenInsideWithBrush) {
    Canvas cv;
    CBrush blue(RGB(0, 0, 255));
    cv.dc.SelectObject(&blue);
    cv.dc.Rectangle(10, 10, 20, 16);
    EXPECT_EQ(cv.ink(), CRect(10, 10, 20, 16));
    EXPECT_EQ(cv.at(10, 10), RGB(0, 0, 0));
    EXPECT_EQ(cv.at(19, 15), RGB(0, 0, 0));
    EXPECT_EQ(cv.at(11, 11), RGB(0, 0, 255));
    EXPECT_EQ(cv.at(18, 14), RGB(0, 0, 255));

    // The null brush leaves the inside alone: the focus-cell frame of the grid.
    Canvas frame;
    frame.dc.SelectStockObject(NULL_BRUSH);
    frame.dc.Rectangle(CRect(10, 10, 20, 16));
    EXPECT_EQ(frame.at(15, 13), kWhite);
    EXPECT_EQ(frame.at(19, 13), RGB(0, 0, 0));
}

TEST(FrameRect, OnePixelInsideTheRectangle) {
    Canvas cv;
    CBrush b(kRed);
    cv.dc.FrameRect(CRect(5, 5, 15, 10), &b);
    EXPECT_EQ(cv.ink(), CRect(5, 5, 15, 10));
    EXPECT_EQ(cv.at(14, 9), kRed);
    EXPECT_EQ(cv.at(6, 6), kWhite);
}

// Distinct colours for every role, so each edge pixel tells its source.
class EdgeTest : public testing::Test {
protected:
    void SetUp() override {
        SetSysColor(COLOR_3DLIGHT, RGB(1, 1, 1));
        SetSysColor(COLOR_3DDKSHADOW, RGB(2, 2, 2));
        SetSysColor(COLOR_BTNHIGHLIGHT, RGB(3, 3, 3));
        SetSysColor(COLOR_BTNSHADOW, RGB(4, 4, 4));
        SetSysColor(COLOR_BTNFACE, RGB(5, 5, 5));
    }
    void TearDown() override { ResetSysColors(); }
};

TEST_F(EdgeTest, RingsTakeTheirColoursTopLeftAndBottomRight) {
    struct Case {
        const char* name;
        UINT edge;
        COLORREF outerTL, outerBR, innerTL, innerBR;   // innerTL 0: only one ring
    };
    const COLORREF light = RGB(1, 1, 1), dark = RGB(2, 2, 2), hi = RGB(3, 3, 3), shadow = RGB(4, 4, 4);
    const Case cases[] = {
        {"raised", EDGE_RAISED, light, dark, hi, shadow},
        {"sunken", EDGE_SUNKEN, shadow, hi, dark, light},
        {"sunken inner", BDR_SUNKENINNER, dark, light, 0, 0},
        {"raised inner", BDR_RAISEDINNER, hi, shadow, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas cv;
        CRect r(10, 10, 30, 20);
        cv.dc.DrawEdge(&r, c.edge, BF_RECT);
        EXPECT_EQ(cv.at(15, 10), c.outerTL);   // top
        EXPECT_EQ(cv.at(10, 15), c.outerTL);   // left
        EXPECT_EQ(cv.at(29, 15), c.outerBR);   // right
        EXPECT_EQ(cv.at(15, 19), c.outerBR);   // bottom
        EXPECT_EQ(cv.at(10, 10), c.outerTL);   // top-left corner
        EXPECT_EQ(cv.at(29, 10), c.outerBR);   // the far corners belong to right and bottom
        EXPECT_EQ(cv.at(10, 19), c.outerBR);
        EXPECT_EQ(cv.at(29, 19), c.outerBR);
        EXPECT_EQ(cv.at(30, 15), kWhite);      // nothing outside
        EXPECT_EQ(cv.at(15, 20), kWhite);
        if (c.innerTL) {
            EXPECT_EQ(cv.at(15, 11), c.innerTL);
            EXPECT_EQ(cv.at(11, 15), c.innerTL);
            EXPECT_EQ(cv.at(28, 15), c.innerBR);
            EXPECT_EQ(cv.at(15, 18), c.innerBR);
            EXPECT_EQ(cv.at(15, 12), kWhite);
        } else {
            EXPECT_EQ(cv.at(15, 11), kWhite);
        }
        EXPECT_EQ(r, CRect(10, 10, 30, 20));   // unchanged without BF_ADJUST
    }
}

TEST_F(EdgeTest, AdjustShrinksAndMiddleFills) {
    Canvas cv;
    CRect r(10, 10, 30, 20);
    cv.dc.DrawEdge(&r, EDGE_RAISED, BF_RECT | BF_ADJUST | BF_MIDDLE);
    EXPECT_EQ(r, CRect(12, 12, 28, 18));
    EXPECT_EQ(cv.at(20, 15), RGB(5, 5, 5));

    Canvas partial;
    CRect p(10, 10, 30, 20);
    partial.dc.DrawEdge(&p, BDR_SUNKENINNER, BF_BOTTOM | BF_ADJUST);
    EXPECT_EQ(p, CRect(10, 10, 30, 19));
    EXPECT_EQ(partial.ink(), CRect(10, 19, 30, 20));
}

TEST(Inversion, DrawingTwiceRestoresThePixels) {
    struct Case {
        const char* name;
        void (*draw)(CDC&);
    };
    const Case cases[] = {
        {"DrawFocusRect", [](CDC& dc) { dc.DrawFocusRect(CRect(3, 4, 40, 30)); }},
        {"DrawFocusRect thin", [](CDC& dc) { dc.DrawFocusRect(CRect(50, 4, 51, 30)); }},
        {"InvertRect", [](CDC& dc) { dc.InvertRect(CRect(3, 4, 40, 30)); }},
        {"PatBlt DSTINVERT", [](CDC& dc) { dc.PatBlt(3, 4, 37, 26, DSTINVERT); }},
        {"PatBlt PATINVERT", [](CDC& dc) {
             CBrush b(RGB(0x55, 0xAA, 0x0F));
             dc.SelectObject(&b);
             dc.PatBlt(3, 4, 37, 26, PATINVERT);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas cv(64, 40);
        // A pattern underneath, so restoring is not just "white again".
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 64; ++x) cv.surface.SetPixel(x, y, RGB(x * 4, y * 6, (x * y) & 0xFF));
        const Surface before = cv.surface;
        c.draw(cv.dc);
        EXPECT_NE(std::vector<std::uint32_t>(cv.surface.data(), cv.surface.data() + 64 * 40),
                  std::vector<std::uint32_t>(before.data(), before.data() + 64 * 40));
        c.draw(cv.dc);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 64; ++x) ASSERT_EQ(cv.surface.pixel(x, y), before.pixel(x, y)) << x << "," << y;
    }
}

TEST(Inversion, FocusRectIsDottedOnTheBorderOnly) {
    Canvas cv;
    cv.dc.DrawFocusRect(CRect(10, 10, 20, 20));
    EXPECT_EQ(cv.ink(), CRect(10, 10, 20, 20));
    EXPECT_EQ(cv.at(15, 15), kWhite);
    // Neighbours along an edge alternate.
    EXPECT_NE(cv.at(12, 10), cv.at(13, 10));
    EXPECT_EQ(cv.at(12, 10), RGB(0, 0, 0));

    Canvas inv;
    inv.dc.InvertRect(CRect(0, 0, 2, 2));
    EXPECT_EQ(inv.at(1, 1), RGB(0, 0, 0));
    EXPECT_EQ(inv.at(2, 2), kWhite);
}

TEST(Objects, SelectReturnsThePreviousAndDeletedObjectsStaySafe) {
    Canvas cv;
    CBrush* first = nullptr;
    {
        CBrush red(kRed);
        first = cv.dc.SelectObject(&red);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->GetColor(), kWhite);   // the stock white brush
        red.DeleteObject();                      // still selected: the context keeps it
    }
    // The brush object is gone; drawing with it must not touch freed memory.
    cv.dc.PatBlt(0, 0, 4, 4, PATCOPY);
    EXPECT_EQ(cv.at(1, 1), kRed);
    CBrush* previous = cv.dc.SelectObject(first);
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(previous->GetColor(), kRed);

    // Stock objects cannot be deleted by accident.
    CGdiObject* stock = cv.dc.SelectStockObject(BLACK_PEN);
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(cv.dc.SelectObject(stock)->GetSafeHandle(), GetStockObject(BLACK_PEN));
    // A stand-in context for a handle draws on the same state.
    CDC* alias = CDC::FromHandle(cv.dc.GetSafeHdc());
    ASSERT_NE(alias, nullptr);
    alias->SetTextColor(RGB(7, 7, 7));
    EXPECT_EQ(cv.dc.GetTextColor(), RGB(7, 7, 7));
    EXPECT_FALSE(GetStockGdiObject(BLACK_PEN)->DeleteObject());
    EXPECT_NE(GetStockObject(BLACK_PEN), nullptr);
    DeleteTempGdiObjects();
}

TEST(SysColors, TableChangesReachTheBrushes) {
    CBrush* face = GetSysColorBrush(COLOR_BTNFACE);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->GetColor(), GetSysColor(COLOR_BTNFACE));
    SetSysColor(COLOR_BTNFACE, RGB(9, 8, 7));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(9, 8, 7));
    EXPECT_EQ(face->GetColor(), RGB(9, 8, 7));
    ResetSysColors();
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), RGB(0, 0, 0));
    EXPECT_FALSE(SetSysColor(kSysColorCount, 0));
    EXPECT_EQ(GetSysColorBrush(-1), nullptr);
}

}  // namespace
