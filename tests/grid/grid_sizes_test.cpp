// The chunked size list must answer exactly what plain sums over a vector give.
#include "grid/celltext.h"
#include "grid/grid_sizes.h"

#include <gtest/gtest.h>
#include <numeric>
#include <random>

namespace {

long long NaivePrefix(const std::vector<int>& v, int i) {
    return std::accumulate(v.begin(), v.begin() + std::clamp(i, 0, int(v.size())), 0LL);
}

int NaiveLowerBound(const std::vector<int>& v, long long target, int lo, int hi) {
    for (int j = lo; j < hi; ++j)
        if (NaivePrefix(v, j) >= target) return j;
    return hi;
}

void ExpectSame(const CSizeList& list, const std::vector<int>& ref, std::mt19937& rng) {
    ASSERT_EQ(list.size(), int(ref.size()));
    std::vector<long long> sums(ref.size() + 1, 0);
    for (size_t i = 0; i < ref.size(); ++i) sums[i + 1] = sums[i] + ref[i];
    ASSERT_EQ(list.total(), sums.back());
    for (int probe = 0; probe < 20 && !ref.empty(); ++probe) {
        int i = int(rng() % ref.size());
        ASSERT_EQ(list.at(i), ref[i]);
        ASSERT_EQ(list.prefix(i), sums[i]);
        int lo = int(rng() % (ref.size() + 1)), hi = int(rng() % (ref.size() + 1));
        if (lo > hi) std::swap(lo, hi);
        long long target = (long long)(rng() % (list.total() + 20)) - 5;
        ASSERT_EQ(list.lowerBoundPrefix(target, lo, hi), NaiveLowerBound(ref, target, lo, hi))
            << "target " << target << " lo " << lo << " hi " << hi;
        ASSERT_EQ(list.range(lo, hi), sums[hi] - sums[lo]);
    }
}

// Random edits in the diary's patterns (front removals, appends, middle inserts,
// resizes, zero sizes) checked against a vector after each step.
TEST(SizeList, MatchesPlainSumsThroughRandomEdits) {
    std::mt19937 rng(7);
    CSizeList list;
    std::vector<int> ref;
    for (int step = 0; step < 4000; ++step) {
        const int op = int(rng() % 10);
        const int v = (rng() % 5 == 0) ? 0 : int(rng() % 40);
        if (op < 3) {
            list.push_back(v); ref.push_back(v);
        } else if (op < 5 && !ref.empty()) {
            int i = std::min<int>(1, int(ref.size()) - 1);
            if (op == 4) i = int(rng() % ref.size());
            list.erase(i); ref.erase(ref.begin() + i);
        } else if (op < 7) {
            int i = ref.empty() ? 0 : int(rng() % (ref.size() + 1));
            list.insert(i, v); ref.insert(ref.begin() + i, v);
        } else if (op < 9 && !ref.empty()) {
            int i = int(rng() % ref.size());
            list.set(i, v); ref[i] = v;
        } else {
            int n = int(rng() % 1500);
            list.resize(n, v); ref.resize(n, v);
        }
        ExpectSame(list, ref, rng);
        if (HasFatalFailure()) return;
    }
    list.clear();
    EXPECT_EQ(list.size(), 0);
    EXPECT_EQ(list.total(), 0);
    EXPECT_EQ(list.lowerBoundPrefix(5, 0, 0), 0);
}

TEST(CellText, KeepsEveryCharacterInBothWidths) {
    const CString cases[] = {u"", u"A", u"plain latin text", u"caf\u00e9 \u00ff", u"\u20ac wide", u"x\u4e2dy",
                             CString(1000, u'z'), CString(70000, u'q'), CString(65535, u'\u20ac')};
    for (const CString& s : cases) {
        CCellText t(s);
        EXPECT_EQ(t.str(), s);
        EXPECT_EQ(t.length(), s.size());
        EXPECT_EQ(t.empty(), s.empty());
        EXPECT_TRUE(t.equals(s));
        EXPECT_FALSE(t.equals(s + u"!"));
        CCellText copy = t;
        EXPECT_EQ(copy.str(), s);
    }
    CCellText t(u"\u0100");  // first character past Latin-1
    EXPECT_EQ(t.str(), u"\u0100");
    t.assign(u"back to narrow");
    EXPECT_EQ(t.str(), u"back to narrow");
    t.clear();
    EXPECT_TRUE(t.empty());
}

}  // namespace
