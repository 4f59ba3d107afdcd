// Fonts: face matching and fallback, heights, weights, the shared face cache.
#include <gtest/gtest.h>

#include "platform/gfx/fontengine.h"
#include "tests/gfx/pixels.h"

namespace {

LOGFONT Font(const char16_t* face, int height, int weight = FW_NORMAL) {
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.SetFaceName(face);
    return lf;
}

TEST(Fonts, SystemFaceNamesMapToInstalledFaces) {
    struct Case { const char16_t* face; const char* family; };
    const Case cases[] = {
        {u"Verdana", "DejaVu Sans"},
        {u"MS Sans Serif", "Liberation Sans"},
        {u"Times New Roman", "Liberation Serif"},
        {u"times new roman", "Liberation Serif"},   // names match without case
        {u"DejaVu Serif", "DejaVu Serif"},          // an installed face is itself
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.face));
        EXPECT_EQ(AcquireFontFace(Font(c.face, -12))->family, c.family);
    }
}

TEST(Fonts, AMissingFaceFallsBackToAnInstalledOneThatDraws) {
    auto face = AcquireFontFace(Font(u"No Such Face 4711", -12));
    ASSERT_NE(face, nullptr);
    EXPECT_FALSE(face->family.empty());
    EXPECT_FALSE(face->file.empty());
    EXPECT_GT(face->glyph(U'W').width, 0);

    Canvas cv;
    LOGFONT lf = Font(u"No Such Face 4711", -12);
    CFont font;
    font.CreateFontIndirect(&lf);
    cv.dc.SelectObject(&font);
    cv.dc.TextOut(5, 5, u"Fallback");
    EXPECT_FALSE(cv.ink().IsRectEmpty());
}

TEST(Fonts, CharactersAFaceLacksComeFromAnotherInstalledFace) {
    // The serif face has no check mark; another installed face does.
    auto serif = AcquireFontFace(Font(u"Times New Roman", -20));
    ASSERT_EQ(serif->family, "Liberation Serif");
    auto sans = AcquireFontFace(Font(u"Verdana", -20));
    const Glyph& borrowed = serif->glyph(U'\u2713');
    const Glyph& own = sans->glyph(U'\u2713');
    EXPECT_EQ(borrowed.width, own.width);
    EXPECT_EQ(borrowed.advance, own.advance);
    EXPECT_GT(borrowed.width, 0);
    // A character no installed face has still measures (as the missing-glyph box).
    EXPECT_GT(serif->glyph(U'\U000E0FFF').advance, 0);
}

TEST(Fonts, NegativeHeightIsTheEmSizePositiveTheCellHeight) {
    for (const char16_t* face : {u"Verdana", u"Times New Roman", u"MS Sans Serif"}) {
        SCOPED_TRACE(ToUtf8(face));
        for (int size : {9, 12, 20, 33}) {
            SCOPED_TRACE(size);
            Canvas em, cell;
            CFont a, b;
            LOGFONT la = Font(face, -size), lb = Font(face, size);
            a.CreateFontIndirect(&la);
            b.CreateFontIndirect(&lb);
            em.dc.SelectObject(&a);
            cell.dc.SelectObject(&b);
            TEXTMETRIC ta, tb;
            ASSERT_TRUE(em.dc.GetTextMetrics(&ta));
            ASSERT_TRUE(cell.dc.GetTextMetrics(&tb));
            EXPECT_EQ(ta.tmHeight - ta.tmInternalLeading, size);
            EXPECT_GT(ta.tmInternalLeading, 0);
            EXPECT_NEAR(tb.tmHeight, size, 1);
            EXPECT_LT(tb.tmHeight, ta.tmHeight);
            EXPECT_EQ(ta.tmAscent + ta.tmDescent, ta.tmHeight);
            EXPECT_GT(ta.tmAveCharWidth, 0);
            EXPECT_GE(ta.tmMaxCharWidth, ta.tmAveCharWidth);
        }
    }
}

TEST(Fonts, SemiboldAndBoldAreHeavierThanNormal) {
    for (const char16_t* face : {u"Verdana", u"Times New Roman", u"MS Sans Serif"}) {
        SCOPED_TRACE(ToUtf8(face));
        long ink[3] = {};
        const int weights[3] = {FW_NORMAL, FW_SEMIBOLD, FW_BOLD};
        for (int i = 0; i < 3; ++i) {
            Canvas cv(300, 40);
            LOGFONT lf = Font(face, -13, weights[i]);
            CFont f;
            f.CreateFontIndirect(&lf);
            cv.dc.SelectObject(&f);
            cv.dc.SetBkMode(TRANSPARENT);
            cv.dc.TextOut(2, 2, u"Expiring Time");
            ink[i] = cv.darkness();
            TEXTMETRIC tm;
            cv.dc.GetTextMetrics(&tm);
            EXPECT_EQ(tm.tmWeight, weights[i]);
        }
        EXPECT_GT(ink[1], ink[0] * 11 / 10);
        EXPECT_GT(ink[2], ink[0] * 11 / 10);
        EXPECT_GE(ink[2], ink[1]);
    }
}

TEST(Fonts, UnderlineStrikeOutAndItalicChangeTheInk) {
    auto draw = [](void (*tweak)(LOGFONT&), CRect* ink) {
        Canvas cv(200, 40);
        LOGFONT lf = Font(u"Verdana", -16);
        tweak(lf);
        CFont f;
        f.CreateFontIndirect(&lf);
        cv.dc.SelectObject(&f);
        cv.dc.SetBkMode(TRANSPARENT);
        cv.dc.TextOut(4, 4, u"Snow");
        *ink = cv.ink();
        return cv.surface;
    };
    CRect plainInk, underInk, strikeInk, italicInk;
    const Surface plain = draw([](LOGFONT&) {}, &plainInk);
    draw([](LOGFONT& lf) { lf.lfUnderline = 1; }, &underInk);
    const Surface strike = draw([](LOGFONT& lf) { lf.lfStrikeOut = 1; }, &strikeInk);
    const Surface italic = draw([](LOGFONT& lf) { lf.lfItalic = 1; }, &italicInk);
    EXPECT_GT(underInk.bottom, plainInk.bottom);          // a rule below the baseline
    EXPECT_EQ(strikeInk.bottom, plainInk.bottom);         // a rule through the letters
    EXPECT_NE(std::vector<std::uint32_t>(strike.data(), strike.data() + 200 * 40),
              std::vector<std::uint32_t>(plain.data(), plain.data() + 200 * 40));
    EXPECT_NE(std::vector<std::uint32_t>(italic.data(), italic.data() + 200 * 40),
              std::vector<std::uint32_t>(plain.data(), plain.data() + 200 * 40));
    EXPECT_NEAR(italicInk.Height(), plainInk.Height(), 2);
}

TEST(Fonts, AbsurdSizesAreHeldToAPageSize) {
    for (LONG h : {LONG(-2147483647 - 1), LONG(2147483647), LONG(-100000)}) {
        SCOPED_TRACE(h);
        LOGFONT lf = Font(u"Verdana", h);
        lf.lfWidth = h;
        auto face = AcquireFontFace(lf);
        EXPECT_GT(face->height, 0);
        EXPECT_LE(face->height, 5000);
        EXPECT_LE(face->glyph(U'W').width, 5000);
    }
}

TEST(Fonts, EmptyTextIsZeroWideAndOneLineHigh) {
    Canvas cv;
    LOGFONT lf = Font(u"Verdana", -12);
    CFont f;
    f.CreateFontIndirect(&lf);
    cv.dc.SelectObject(&f);
    TEXTMETRIC tm;
    cv.dc.GetTextMetrics(&tm);
    EXPECT_EQ(cv.dc.GetTextExtent(u""), CSize(0, tm.tmHeight));
    EXPECT_EQ(cv.dc.GetTextExtent(nullptr, 0), CSize(0, tm.tmHeight));
    // Widths add up: no kerning between separately measured parts.
    EXPECT_EQ(cv.dc.GetTextExtent(u"ab").cx, cv.dc.GetTextExtent(u"a").cx + cv.dc.GetTextExtent(u"b").cx);
}

TEST(Fonts, TheSameDescriptionSharesOneFace) {
    const LOGFONT lf = Font(u"Verdana", -12, FW_SEMIBOLD);
    CFont a, b;
    a.CreateFontIndirect(&lf);
    b.CreateFontIndirect(&lf);
    EXPECT_NE(a.GetSafeHandle(), b.GetSafeHandle());
    EXPECT_EQ(AcquireFontFace(lf), AcquireFontFace(lf));
    EXPECT_NE(AcquireFontFace(lf), AcquireFontFace(Font(u"Verdana", -12, FW_NORMAL)));
    EXPECT_NE(AcquireFontFace(lf), AcquireFontFace(lf, 2.0, 2.0));
    LOGFONT back;
    EXPECT_EQ(b.GetLogFont(&back), int(sizeof(LOGFONT)));
    EXPECT_EQ(back.FaceName(), u"Verdana");
    EXPECT_EQ(back.lfWeight, FW_SEMIBOLD);
}

TEST(Fonts, AFontMadeAfterAnotherWasDeletedIsUsedAsItself) {
    // Paint code makes and deletes fonts all the time; a new font must never
    // be drawn with the face of one that went before it.
    Canvas cv;
    const CSize small = [&] {
        LOGFONT lf = Font(u"Verdana", -10);
        CFont f;
        f.CreateFontIndirect(&lf);
        CFont* old = cv.dc.SelectObject(&f);
        const CSize s = cv.dc.GetTextExtent(u"Cloudy");
        cv.dc.SelectObject(old);
        return s;
    }();
    for (int i = 0; i < 4; ++i) {
        LOGFONT lf = Font(u"Verdana", -30);
        CFont f;
        f.CreateFontIndirect(&lf);
        CFont* old = cv.dc.SelectObject(&f);
        EXPECT_GT(cv.dc.GetTextExtent(u"Cloudy").cx, 2 * small.cx);
        cv.dc.SelectObject(old);
    }
}

TEST(Fonts, PointFontsAndTheDesktopMessageFont) {
    CFont f;
    ASSERT_TRUE(f.CreatePointFont(90, u"MS Sans Serif"));
    LOGFONT lf;
    f.GetLogFont(&lf);
    EXPECT_EQ(lf.lfHeight, -12);   // 9 points at 96 dpi
    const LOGFONT message = GetDesktopMessageFont();
    EXPECT_EQ(message.lfHeight, -12);
    EXPECT_EQ(ToUtf8(message.FaceName()), DefaultFamily("sans-serif"));
    // A face name longer than the field is cut, never overrun.
    LOGFONT longName;
    longName.SetFaceName(u"An extraordinarily long face name beyond thirty-two");
    EXPECT_EQ(longName.FaceName().size(), 31u);
}

}  // namespace
