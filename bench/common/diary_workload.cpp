#include "bench/common/diary_workload.h"

#include "platform/base/timefmt.h"

namespace workload {

std::uint64_t SplitMix64::next() {
    m_state += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = m_state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

namespace {

const char16_t* const kStates[4] = {u"on Schedule", u"behind Schedule", u"ahead of Schedule", u"Cancellation"};
const char16_t* const kWeathers[12] = {u"Sunny", u"Fine",  u"Bright", u"Cloudy", u"Windy", u"Mist",
                                       u"Foggy", u"Rain",  u"Shower", u"Storm",  u"Dew",   u"Snow"};
constexpr char16_t kAlphabet[] = u"abcdefghijklmnopqrstuvwxyz     ";
static_assert(sizeof(kAlphabet) / sizeof(kAlphabet[0]) == 32);

std::u16string Text(SplitMix64& rng, std::uint64_t minLen, std::uint64_t maxLen, bool lineFeeds) {
    const std::uint64_t len = rng.between(minLen, maxLen);
    std::u16string s;
    s.reserve(len);
    for (std::uint64_t i = 0; i < len; ++i) {
        if (lineFeeds && rng.below(50) == 0)
            s += u'\n';
        else
            s += kAlphabet[rng.below(31)];
    }
    if (!s.empty()) s[0] = static_cast<char16_t>(u'A' + rng.below(26));
    return s;
}

}  // namespace

std::vector<Record> Generate(std::size_t count) {
    SplitMix64 rng(kSeed);
    std::vector<Record> out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        Record r;
        r.start = kEpoch2004 + static_cast<std::int64_t>(rng.below(20ull * 365 * 24 * 60)) * 60;
        r.expire = r.start + static_cast<std::int64_t>(rng.between(1, 30ull * 24 * 60)) * 60;
        r.state = kStates[rng.below(4)];
        r.title = Text(rng, 5, 60, false);
        r.content = Text(rng, 0, 300, true);
        r.remark = Text(rng, 0, 80, false);
        r.weather = kWeathers[rng.below(12)];
        out.push_back(std::move(r));
    }
    return out;
}

std::u16string FormatCellTime(std::int64_t seconds) {
    return FormatUtcTime(seconds, u"%H:%M:%S, %A, %B %d, %Y");
}

}  // namespace workload
