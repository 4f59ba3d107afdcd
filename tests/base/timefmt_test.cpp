#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "platform/base/timefmt.h"

TEST(TimeFormat, EnglishNamesInTheDiaryFormat) {
    // 2004-06-01 09:30:00 UTC, a Tuesday.
    const std::int64_t t = 1086082200;
    EXPECT_EQ(FormatUtcTime(t, u"%H:%M:%S, %A, %B %d, %Y"), u"09:30:00, Tuesday, June 01, 2004");
    EXPECT_EQ(FormatUtcTime(t, u"%c"), u"06/01/04 09:30:00");
    EXPECT_EQ(FormatUtcTime(0, u"%a %b %d %Y %I %p %j %%"), u"Thu Jan 01 1970 12 AM 001 %");
}

TEST(TimeFormat, LocalTimeFollowsTheZone) {
    setenv("TZ", "UTC+2", 1);  // two hours west of UTC
    tzset();
    EXPECT_EQ(FormatLocalTime(1086082200, u"%H:%M"), u"07:30");
    CivilTime c = ToLocalCivil(1086082200);
    EXPECT_EQ(FromLocalCivil(c), 1086082200);
    unsetenv("TZ");
    tzset();
}

TEST(TimeFormat, CivilRoundTripAtThe32BitEdges) {
    for (std::int64_t t : {std::int64_t(0), std::int64_t(-2147483648LL), std::int64_t(2147483647)}) {
        EXPECT_EQ(FromUtcCivil(ToUtcCivil(t)), t);
    }
    EXPECT_EQ(FormatUtcTime(2147483647, u"%Y-%m-%d %H:%M:%S"), u"2038-01-19 03:14:07");
}
