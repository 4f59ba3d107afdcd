// CSizeList: the row heights or column widths of a grid, with the sums the
// layout asks for kept cheap. The diary removes row 1 again and again and
// appends rows one by one, so the sizes sit in chunks: an insertion or removal
// moves at most one chunk, and prefix sums come from per-chunk totals that are
// refreshed lazily, once per batch of changes rather than once per query.
#pragma once

#include <cstdint>
#include <vector>

class CSizeList {
public:
    int size() const { return m_count; }
    bool empty() const { return m_count == 0; }

    int at(int i) const;
    void set(int i, int value);
    void insert(int i, int value);
    void erase(int i);
    void push_back(int value) { insert(m_count, value); }
    void resize(int n, int value);
    void clear();

    long long total() const { return m_total; }
    // Sum of the sizes with index below i (0 <= i <= size()).
    long long prefix(int i) const;
    // Sum over [first, last) (indices clamped to the list).
    long long range(int first, int last) const;
    // Smallest j in [lo, hi] with prefix(j) >= target; hi when there is none.
    // Sizes are never negative, so prefix() only grows and a search is sound.
    int lowerBoundPrefix(long long target, int lo, int hi) const;

private:
    struct Chunk {
        std::vector<int> values;
        long long sum = 0;
    };
    static constexpr int kSplitAt = 512;

    void locate(int i, int* chunk, int* offset) const;
    // Makes entries [0, entry] of the chunk index valid.
    void extend(int entry) const;
    void invalidateAfter(int chunk) {
        if (m_valid > chunk + 1) m_valid = chunk + 1 < 1 ? 1 : chunk + 1;
    }

    std::vector<Chunk> m_chunks;
    int m_count = 0;
    long long m_total = 0;
    // The first index and the running sum before each chunk, valid for the
    // first m_valid entries and extended on demand: removing row 1 again and
    // again only ever touches the first chunk's entries.
    mutable std::vector<int> m_starts{0};
    mutable std::vector<long long> m_sums{0};
    mutable int m_valid = 1;
};
