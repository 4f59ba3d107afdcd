#include <gtest/gtest.h>

#include "platform/base/geometry.h"
#include "platform/base/types.h"

TEST(Geometry, RectEdgeCases) {
    struct Case { CRect a, b, intersection, unionRect; bool aEmpty; };
    const Case cases[] = {
        {{0, 0, 10, 10}, {5, 5, 15, 15}, {5, 5, 10, 10}, {0, 0, 15, 15}, false},
        {{0, 0, 10, 10}, {10, 0, 20, 10}, {}, {0, 0, 20, 10}, false},   // touching edges do not overlap
        {{0, 0, 0, 10}, {2, 2, 4, 4}, {}, {2, 2, 4, 4}, true},          // zero width is empty
        {{5, 5, 3, 3}, {0, 0, 1, 1}, {}, {0, 0, 1, 1}, true},           // inverted is empty
        {{0, 0, 10, 10}, {2, 2, 4, 4}, {2, 2, 4, 4}, {0, 0, 10, 10}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a.intersected(c.b), c.intersection);
        EXPECT_EQ(c.a.united(c.b), c.unionRect);
        EXPECT_EQ(c.a.IsRectEmpty(), c.aEmpty);
    }
}

TEST(Geometry, PointInRectExcludesRightAndBottom) {
    const CRect r{0, 0, 10, 5};
    EXPECT_TRUE(r.PtInRect({0, 0}));
    EXPECT_TRUE(r.PtInRect({9, 4}));
    EXPECT_FALSE(r.PtInRect({10, 4}));
    EXPECT_FALSE(r.PtInRect({9, 5}));
    EXPECT_FALSE(r.PtInRect({-1, 0}));
    EXPECT_EQ(r.offset(3, 4), CRect(3, 4, 13, 9));
    EXPECT_EQ(r.inflated(1, 2), CRect(-1, -2, 11, 7));
    EXPECT_EQ(CRect(10, 8, 2, 1).normalized(), CRect(2, 1, 10, 8));
}

TEST(Colour, RgbLayout) {
    EXPECT_EQ(RGB(204, 235, 255), 0x00FFEBCCu);
    EXPECT_EQ(GetRValue(RGB(1, 2, 3)), 1);
    EXPECT_EQ(GetGValue(RGB(1, 2, 3)), 2);
    EXPECT_EQ(GetBValue(RGB(1, 2, 3)), 3);
    EXPECT_EQ(GET_X_LPARAM(MAKELPARAM(-5, 7)), -5);
    EXPECT_EQ(GET_Y_LPARAM(MAKELPARAM(-5, -7)), -7);
}
