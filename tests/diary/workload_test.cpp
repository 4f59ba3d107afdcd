// The benchmark workload keeps to its documented shape, and a given count is
// always the same records.
#include <gtest/gtest.h>

#include <set>

#include "bench/common/diary_workload.h"

TEST(Workload, RecordsKeepToTheDocumentedRanges) {
    const auto records = workload::Generate(5000);
    ASSERT_EQ(records.size(), 5000u);
    const std::set<std::u16string> states{u"on Schedule", u"behind Schedule", u"ahead of Schedule", u"Cancellation"};
    const std::set<std::u16string> weathers{u"Sunny", u"Fine",  u"Bright", u"Cloudy", u"Windy", u"Mist",
                                            u"Foggy", u"Rain",  u"Shower", u"Storm",  u"Dew",   u"Snow"};
    const std::int64_t end2023 = workload::kEpoch2004 + 20ll * 365 * 24 * 3600;
    std::set<std::u16string> seenStates, seenWeathers;
    bool sawLineFeed = false, sawEmptyContent = false;
    auto textOk = [](const std::u16string& s, bool lineFeeds) {
        if (s.empty()) return true;
        if (s[0] < u'A' || s[0] > u'Z') return false;
        for (size_t i = 1; i < s.size(); ++i)
            if (!((s[i] >= u'a' && s[i] <= u'z') || s[i] == u' ' || (lineFeeds && s[i] == u'\n'))) return false;
        return true;
    };
    for (const auto& r : records) {
        ASSERT_GE(r.start, workload::kEpoch2004);
        ASSERT_LT(r.start, end2023);
        ASSERT_EQ(r.start % 60, 0);
        ASSERT_GE(r.expire - r.start, 60);
        ASSERT_LE(r.expire - r.start, 30ll * 24 * 3600);
        ASSERT_TRUE(states.count(r.state));
        ASSERT_TRUE(weathers.count(r.weather));
        ASSERT_GE(r.title.size(), 5u);
        ASSERT_LE(r.title.size(), 60u);
        ASSERT_LE(r.content.size(), 300u);
        ASSERT_LE(r.remark.size(), 80u);
        ASSERT_TRUE(textOk(r.title, false) && textOk(r.remark, false) && textOk(r.content, true));
        seenStates.insert(r.state);
        seenWeathers.insert(r.weather);
        sawLineFeed |= r.content.find(u'\n') != std::u16string::npos;
        sawEmptyContent |= r.content.empty();
    }
    EXPECT_EQ(seenStates, states);
    EXPECT_EQ(seenWeathers, weathers);
    EXPECT_TRUE(sawLineFeed);
    EXPECT_TRUE(sawEmptyContent);

    // The same seed gives the same records: a shorter run is a prefix of a longer one.
    const auto few = workload::Generate(100);
    for (size_t i = 0; i < few.size(); ++i) {
        EXPECT_EQ(few[i].start, records[i].start);
        EXPECT_EQ(few[i].content, records[i].content);
    }
}

TEST(Workload, SplitMixAndCellTimes) {
    // splitmix64's published first outputs for seed 0.
    workload::SplitMix64 rng(0);
    EXPECT_EQ(rng.next(), 0xE220A8397B1DCDAFull);
    EXPECT_EQ(rng.next(), 0x6E789E6AA1B965F4ull);
    EXPECT_EQ(workload::FormatCellTime(1086082200), u"09:30:00, Tuesday, June 01, 2004");
    EXPECT_EQ(workload::FormatCellTime(workload::kEpoch2004), u"00:00:00, Thursday, January 01, 2004");
}
