// DrawText: alignment, vertical centring, ellipsis, measuring, wrapping,
// prefixes; TextOut backgrounds.
#include <gtest/gtest.h>

#include "tests/gfx/pixels.h"

namespace {

class TextTest : public testing::Test {
protected:
    void SetUp() override {
        LOGFONT lf;
        lf.lfHeight = -12;
        lf.SetFaceName(u"Verdana");
        ASSERT_TRUE(font.CreateFontIndirect(&lf));
    }
    void Prepare(Canvas& cv) {
        cv.dc.SelectObject(&font);
        cv.dc.SetBkMode(TRANSPARENT);
    }
    CFont font;
};

TEST_F(TextTest, HorizontalAlignmentPlacesTheInk) {
    struct Case { const char* name; UINT format; };
    const Case cases[] = {{"left", DT_LEFT}, {"center", DT_CENTER}, {"right", DT_RIGHT}};
    const CRect r(20, 10, 180, 40);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas cv;
        Prepare(cv);
        CRect rect = r;
        EXPECT_GT(cv.dc.DrawText(u"Monday", rect, c.format | DT_SINGLELINE), 0);
        const CRect ink = cv.ink();
        ASSERT_FALSE(ink.IsRectEmpty());
        const int width = cv.dc.GetTextExtent(u"Monday").cx;
        EXPECT_NEAR(ink.Width(), width, 3);
        if (c.format == DT_LEFT) { EXPECT_NEAR(ink.left, r.left, 2); }
        if (c.format == DT_RIGHT) { EXPECT_NEAR(ink.right, r.right, 2); }
        if (c.format == DT_CENTER) { EXPECT_NEAR((ink.left + ink.right) / 2.0, (r.left + r.right) / 2.0, 2); }
        EXPECT_TRUE(r.contains(ink));
    }
}

TEST_F(TextTest, SingleLineVerticalPlacement) {
    struct Case { const char* name; UINT format; };
    const Case cases[] = {{"top", DT_TOP}, {"vcenter", DT_VCENTER}, {"bottom", DT_BOTTOM}};
    const CRect r(10, 10, 190, 90);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas cv;
        Prepare(cv);
        TEXTMETRIC tm;
        cv.dc.GetTextMetrics(&tm);
        CRect rect = r;
        const int result = cv.dc.DrawText(u"HHHH", rect, c.format | DT_SINGLELINE);
        const CRect ink = cv.ink();
        // Capitals sit between the ascent line and the baseline of the cell.
        int cellTop = r.top;
        if (c.format == DT_VCENTER) cellTop = (r.top + r.bottom - tm.tmHeight) / 2;
        if (c.format == DT_BOTTOM) cellTop = r.bottom - tm.tmHeight;
        EXPECT_NEAR(ink.bottom, cellTop + tm.tmAscent, 1);
        EXPECT_GE(ink.top, cellTop);
        if (c.format == DT_VCENTER) { EXPECT_NEAR((ink.top + ink.bottom) / 2.0, (r.top + r.bottom) / 2.0, tm.tmHeight / 4.0 + 1); }
        // Centred and bottom text report the offset to the bottom of the text.
        EXPECT_EQ(result, c.format == DT_TOP ? tm.tmHeight : cellTop + tm.tmHeight - r.top);
    }
}

TEST_F(TextTest, EachLineOfAMultiLineTextIsCentredOnItsOwn) {
    // The diary's data cells: DT_CENTER alone, content with line feeds.
    Canvas cv(200, 100);
    Prepare(cv);
    TEXTMETRIC tm;
    cv.dc.GetTextMetrics(&tm);
    CRect rect(0, 0, 200, 100);
    EXPECT_EQ(cv.dc.DrawText(u"W\nWWWWWWWW", rect, DT_CENTER), 2 * tm.tmHeight);
    auto rowInk = [&](int top, int bottom) {
        CRect box;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 200; ++x)
                if (cv.at(x, y) != RGB(255, 255, 255)) box = box.united(CRect(x, y, x + 1, y + 1));
        return box;
    };
    const CRect first = rowInk(0, tm.tmHeight), second = rowInk(tm.tmHeight, 2 * tm.tmHeight);
    EXPECT_NEAR((first.left + first.right) / 2.0, 100, 2);
    EXPECT_NEAR((second.left + second.right) / 2.0, 100, 2);
    EXPECT_GT(second.Width(), 6 * first.Width());
}

TEST_F(TextTest, MultiLineIgnoresVerticalCentring) {
    Canvas cv;
    Prepare(cv);
    CRect rect(10, 10, 190, 90);
    cv.dc.DrawText(u"HH", rect, DT_VCENTER);
    TEXTMETRIC tm;
    cv.dc.GetTextMetrics(&tm);
    EXPECT_EQ(cv.ink().bottom, 10 + tm.tmAscent);
}

TEST_F(TextTest, EndEllipsisStaysInsideItsRectangle) {
    const std::u16string longText = u"Meeting with the whole department about the budget";
    const CRect r(10, 10, 90, 30);
    // Without the ellipsis and without clipping the text runs out: the check
    // below can tell the difference.
    {
        Canvas cv;
        Prepare(cv);
        CRect rect = r;
        cv.dc.DrawText(longText, rect, DT_SINGLELINE | DT_NOCLIP);
        EXPECT_GT(cv.ink().right, r.right);
    }
    for (int right : {90, 40, 14, 11}) {
        SCOPED_TRACE(right);
        Canvas cv;
        Prepare(cv);
        CRect rect(r.left, r.top, right, r.bottom);
        cv.dc.DrawText(longText, rect, DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS);
        const CRect ink = cv.ink();
        if (!ink.IsRectEmpty()) {
            EXPECT_LE(ink.right, right);
            EXPECT_GE(ink.left, r.left);
        }
        if (right == 90) {
            EXPECT_GT(ink.right, right - 12);   // text and dots fill the width
        }
    }
    // A text that fits is left alone.
    Canvas a, b;
    Prepare(a);
    Prepare(b);
    CRect ra(10, 10, 190, 30), rb = ra;
    a.dc.DrawText(u"Fits", ra, DT_SINGLELINE | DT_END_ELLIPSIS);
    b.dc.DrawText(u"Fits", rb, DT_SINGLELINE);
    EXPECT_EQ(a.ink(), b.ink());
}

TEST_F(TextTest, CalcRectMeasuresWithoutDrawing) {
    Canvas cv;
    Prepare(cv);
    TEXTMETRIC tm;
    cv.dc.GetTextMetrics(&tm);
    struct Case { const char16_t* text; UINT format; int lines; };
    const Case cases[] = {
        {u"Record No.", DT_SINGLELINE, 1},
        {u"first\nsecond line\r\nthird", 0, 3},
        {u"", DT_SINGLELINE, 1},
        {u"one two three", DT_WORDBREAK, 3},   // in a rectangle narrower than "one two"
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        CRect rect(5, 7, 5 + cv.dc.GetTextExtent(u"three").cx + 2, 8);
        const int height = cv.dc.DrawText(c.text, rect, c.format | DT_CALCRECT);
        EXPECT_EQ(height, c.lines * tm.tmHeight);
        EXPECT_EQ(rect.top, 7);
        EXPECT_EQ(rect.left, 5);
        EXPECT_EQ(rect.Height(), c.lines * tm.tmHeight);
        if (c.format == DT_SINGLELINE) { EXPECT_EQ(rect.Width(), cv.dc.GetTextExtent(c.text).cx); }
        if (c.lines == 3 && c.format == 0) { EXPECT_EQ(rect.Width(), cv.dc.GetTextExtent(u"second line").cx); }
    }
    EXPECT_TRUE(cv.ink().IsRectEmpty());
}

TEST_F(TextTest, WordBreakWrapsAtSpacesAndKeepsLongWordsWhole) {
    Canvas cv(300, 200);
    Prepare(cv);
    TEXTMETRIC tm;
    cv.dc.GetTextMetrics(&tm);
    const int narrow = cv.dc.GetTextExtent(u"alpha beta").cx - 1;
    CRect rect(0, 0, narrow, 200);
    EXPECT_EQ(cv.dc.DrawText(u"alpha beta gamma", rect, DT_WORDBREAK), 3 * tm.tmHeight);
    EXPECT_NEAR(cv.ink().Height(), 3 * tm.tmHeight, tm.tmHeight);

    CRect tiny(0, 0, 10, 200);
    EXPECT_EQ(cv.dc.DrawText(u"Unbreakable", tiny, DT_WORDBREAK | DT_CALCRECT), tm.tmHeight);
    EXPECT_EQ(tiny.Width(), cv.dc.GetTextExtent(u"Unbreakable").cx);
}

TEST_F(TextTest, PrefixUnderlinesAndDisappears) {
    Canvas plain, prefixed, literal;
    for (Canvas* c : {&plain, &prefixed, &literal}) Prepare(*c);
    EXPECT_EQ(prefixed.dc.GetTextExtent(u"&Save").cx, plain.dc.GetTextExtent(u"&Save").cx);
    CRect a(10, 10, 190, 40), b = a, c = a;
    plain.dc.DrawText(u"Save", a, DT_SINGLELINE);
    prefixed.dc.DrawText(u"&Save", b, DT_SINGLELINE);
    literal.dc.DrawText(u"&Save", c, DT_SINGLELINE | DT_NOPREFIX);
    // The underline adds ink below the baseline, under the first letter only.
    EXPECT_GT(prefixed.ink().bottom, plain.ink().bottom);
    EXPECT_EQ(prefixed.ink().left, plain.ink().left);
    EXPECT_GT(literal.ink().Width(), plain.ink().Width() + 3);
    CRect m(0, 0, 100, 20);
    const int height = plain.dc.DrawText(u"a&&b", m, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(height, m.Height());
    EXPECT_EQ(m.Width(), plain.dc.GetTextExtent(u"a&b").cx);
}

TEST_F(TextTest, ClippedToTheRectangleUnlessNoClip) {
    Canvas clipped, free;
    Prepare(clipped);
    Prepare(free);
    CRect a(10, 10, 30, 30), b = a;
    clipped.dc.DrawText(u"Wednesday", a, DT_SINGLELINE);
    free.dc.DrawText(u"Wednesday", b, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_LE(clipped.ink().right, 30);
    EXPECT_GT(free.ink().right, 30);
}

TEST_F(TextTest, OpaqueTextFillsItsCellWithTheBackgroundColour) {
    Canvas cv;
    cv.dc.SelectObject(&font);
    cv.dc.SetBkMode(OPAQUE);
    cv.dc.SetBkColor(RGB(0, 255, 0));
    cv.dc.SetTextColor(RGB(255, 0, 0));
    cv.dc.TextOut(10, 20, u"Sunny");
    const CSize extent = cv.dc.GetTextExtent(u"Sunny");
    EXPECT_EQ(cv.ink(), CRect(10, 20, 10 + extent.cx, 20 + extent.cy));
    EXPECT_EQ(cv.at(10, 20), RGB(0, 255, 0));
    // Some pixel of the text is pure text colour.
    bool red = false;
    for (int y = 20; y < 20 + extent.cy; ++y)
        for (int x = 10; x < 10 + extent.cx; ++x) red |= cv.at(x, y) == RGB(255, 0, 0);
    EXPECT_TRUE(red);
}

TEST_F(TextTest, BadArgumentsFailQuietly) {
    Canvas cv;
    Prepare(cv);
    EXPECT_EQ(cv.dc.DrawText(u"x", 1, nullptr, 0), 0);
    CRect r(0, 0, 50, 20);
    EXPECT_EQ(cv.dc.DrawText(nullptr, 3, &r, 0), 0);
    EXPECT_EQ(cv.dc.DrawText(u"x", -5, &r, 0), 0);
    EXPECT_GT(cv.dc.DrawText(u"zero-terminated", -1, &r, DT_SINGLELINE | DT_CALCRECT), 0);
    EXPECT_EQ(r.Width(), cv.dc.GetTextExtent(u"zero-terminated").cx);
    EXPECT_FALSE(cv.dc.TextOut(0, 0, nullptr, 2));
    // A broken surrogate shows as the replacement character, and nothing is read past the text.
    const char16_t lone[] = {u'a', char16_t(0xD800), u'b'};
    EXPECT_TRUE(cv.dc.TextOut(0, 0, lone, 3));
    EXPECT_EQ(cv.dc.GetTextExtent(lone, 3).cx, cv.dc.GetTextExtent(u"a\uFFFDb").cx);
    const char16_t high[] = {u'a', char16_t(0xD83D)};
    EXPECT_EQ(cv.dc.GetTextExtent(high, 2).cx, cv.dc.GetTextExtent(u"a\uFFFD").cx);
    // A context without a surface measures but draws nothing.
    CDC info;
    info.SelectObject(&font);
    EXPECT_EQ(info.GetTextExtent(u"abc").cx, cv.dc.GetTextExtent(u"abc").cx);
    CRect r2(0, 0, 50, 20);
    EXPECT_GT(info.DrawText(u"abc", r2, DT_SINGLELINE), 0);
}

// Latin-1 runs are measured from a table, other characters one at a time:
// a text mixing both, measured first on a face nothing has used yet, is the
// sum of its characters, and measuring it again or through DrawText agrees.
TEST_F(TextTest, MixedScriptExtentsAreTheSumOfTheirCharacters) {
    Canvas cv;
    LOGFONT lf;
    lf.lfHeight = -17;   // a size no other case uses, so the face starts cold
    lf.SetFaceName(u"Verdana");
    CFont fresh;
    ASSERT_TRUE(fresh.CreateFontIndirect(&lf));
    cv.dc.SelectObject(&fresh);
    const std::u16string text = u"Caf\u00E9 \u00DF\u00FF\u0100 \u20AC5 \u201Cok\u201D \U0001F600x\ttab";
    const int first = cv.dc.GetTextExtent(text).cx;
    int sum = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF;
        sum += cv.dc.GetTextExtent(text.data() + i, pair ? 2 : 1).cx;
        if (pair) ++i;
    }
    EXPECT_GT(first, 0);
    EXPECT_EQ(first, sum);
    EXPECT_EQ(cv.dc.GetTextExtent(text).cx, first);
    for (UINT format : {UINT(DT_SINGLELINE | DT_NOPREFIX), UINT(DT_WORDBREAK | DT_NOPREFIX)}) {
        CRect r(0, 0, 2000, 10);
        cv.dc.DrawText(text, r, format | DT_CALCRECT);
        EXPECT_EQ(r.Width(), first) << format;
    }
}

}  // namespace
