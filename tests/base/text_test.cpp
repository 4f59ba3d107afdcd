#include <gtest/gtest.h>

#include "platform/base/text.h"

TEST(Text, Utf8RoundTripsOutsideTheBasicPlane) {
    const std::u16string s = u"Grüße ✓ \U0001F600 漢字";
    EXPECT_EQ(FromUtf8(ToUtf8(s)), s);
    EXPECT_EQ(ToUtf8(u"\u00E9"), "\xC3\xA9");
    EXPECT_EQ(ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST(Text, InvalidInputBecomesReplacementCharacters) {
    EXPECT_EQ(FromUtf8("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(FromUtf8("\xC0\x80"), u"\uFFFD\uFFFD");        // overlong NUL
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
    EXPECT_EQ(FromUtf8("\xE2\x82"), u"\uFFFD\uFFFD");         // cut short
    const std::u16string lone{char16_t(0xD800), u'x'};
    EXPECT_EQ(ToUtf8(lone), "\xEF\xBF\xBDx");
}

TEST(Text, AnsiIsUtf8WithWindows1252Fallback) {
    EXPECT_EQ(FromAnsi("caf\xC3\xA9"), u"café");
    EXPECT_EQ(FromAnsi("caf\xE9"), u"café");            // not UTF-8: Windows-1252
    EXPECT_EQ(FromAnsi("\x80\x96\x9F"), u"€–Ÿ");
    EXPECT_EQ(FromAnsi("\x81"), u"\u0081");
    EXPECT_EQ(ToAnsi(u"café"), "caf\xC3\xA9");
}

TEST(Text, CaseInsensitiveComparison) {
    EXPECT_EQ(CompareNoCase(u"Sunny", u"sUNNY"), 0);
    EXPECT_LT(CompareNoCase(u"abc", u"ABD"), 0);
    EXPECT_GT(CompareNoCase(u"abcd", u"ABC"), 0);
    EXPECT_EQ(CompareNoCase(u"ÉTÉ", u"été"), 0);
    EXPECT_TRUE(StartsWithNoCase(u"behind Schedule", u"BEH"));
    EXPECT_FALSE(StartsWithNoCase(u"be", u"beh"));
}
