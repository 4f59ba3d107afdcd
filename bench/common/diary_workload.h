// The diary benchmark workload: deterministic records shared by every benchmark
// that needs diary data, so figures compare across benchmarks and machines.
// Plain structs only; no dependency on the diary classes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace workload {

struct Record {
    std::int64_t start = 0;   // seconds since 1970 UTC
    std::int64_t expire = 0;
    std::u16string state, title, content, remark, weather;
};

// splitmix64, as every benchmark draws it.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next();
    std::uint64_t below(std::uint64_t n) { return next() % n; }
    std::uint64_t between(std::uint64_t a, std::uint64_t b) { return a + below(b - a + 1); }

private:
    std::uint64_t m_state;
};

inline constexpr std::uint64_t kSeed = 20040601;
inline constexpr std::int64_t kEpoch2004 = 1072915200;  // 2004-01-01 00:00:00 UTC
inline constexpr int kViewWidth = 918;                   // the diary window's grid area
inline constexpr int kViewHeight = 600;
inline constexpr std::size_t kSizes[3] = {1000, 10000, 100000};

// The first `count` records of the workload (always the same for a given count prefix).
std::vector<Record> Generate(std::size_t count);

// "09:30:00, Tuesday, June 01, 2004" in UTC, as benchmark cells show times.
std::u16string FormatCellTime(std::int64_t seconds);

}  // namespace workload
