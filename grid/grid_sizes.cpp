#include "grid/grid_sizes.h"

#include <algorithm>

void CSizeList::extend(int entry) const {
    const int chunks = int(m_chunks.size());
    entry = std::min(entry, chunks);
    if (int(m_starts.size()) != chunks + 1) {
        m_starts.resize(chunks + 1);
        m_sums.resize(chunks + 1);
    }
    m_starts[0] = 0;
    m_sums[0] = 0;
    if (m_valid < 1) m_valid = 1;
    for (int k = m_valid; k <= entry; ++k) {
        m_starts[k] = m_starts[k - 1] + int(m_chunks[k - 1].values.size());
        m_sums[k] = m_sums[k - 1] + m_chunks[k - 1].sum;
    }
    if (entry + 1 > m_valid) m_valid = entry + 1;
}

void CSizeList::locate(int i, int* chunk, int* offset) const {
    const int chunks = int(m_chunks.size());
    // Extend the index until it reaches past i, then search what is valid.
    while (m_valid <= chunks && (m_valid == 1 || m_starts[m_valid - 1] <= i)) extend(m_valid);
    auto end = m_starts.begin() + m_valid;
    auto it = std::upper_bound(m_starts.begin(), end, i);
    int k = int(it - m_starts.begin()) - 1;
    k = std::clamp(k, 0, chunks - 1);
    *chunk = k;
    *offset = i - m_starts[k];
}

int CSizeList::at(int i) const {
    int k, o;
    locate(i, &k, &o);
    return m_chunks[k].values[o];
}

void CSizeList::set(int i, int value) {
    int k, o;
    locate(i, &k, &o);
    int& slot = m_chunks[k].values[o];
    m_chunks[k].sum += value - slot;
    m_total += value - slot;
    slot = value;
    invalidateAfter(k);
}

void CSizeList::insert(int i, int value) {
    if (m_chunks.empty()) m_chunks.emplace_back();
    int k, o;
    if (i >= m_count) {
        k = int(m_chunks.size()) - 1;
        o = int(m_chunks[k].values.size());
    } else {
        locate(i, &k, &o);
    }
    Chunk& c = m_chunks[k];
    c.values.insert(c.values.begin() + o, value);
    c.sum += value;
    m_total += value;
    ++m_count;
    if (int(c.values.size()) >= kSplitAt) {
        Chunk tail;
        const int half = int(c.values.size()) / 2;
        tail.values.assign(c.values.begin() + half, c.values.end());
        c.values.resize(half);
        for (int v : tail.values) tail.sum += v;
        c.sum -= tail.sum;
        m_chunks.insert(m_chunks.begin() + k + 1, std::move(tail));
    }
    invalidateAfter(k);
}

void CSizeList::erase(int i) {
    int k, o;
    locate(i, &k, &o);
    Chunk& c = m_chunks[k];
    const int v = c.values[o];
    c.values.erase(c.values.begin() + o);
    c.sum -= v;
    m_total -= v;
    --m_count;
    if (c.values.empty()) m_chunks.erase(m_chunks.begin() + k);
    invalidateAfter(k);
}

void CSizeList::resize(int n, int value) {
    if (n < 0) n = 0;
    const int oldChunks = int(m_chunks.size());
    while (m_count > n) {
        Chunk& last = m_chunks.back();
        const int drop = std::min(int(last.values.size()), m_count - n);
        for (int j = 0; j < drop; ++j) {
            last.sum -= last.values.back();
            m_total -= last.values.back();
            last.values.pop_back();
        }
        m_count -= drop;
        if (last.values.empty()) m_chunks.pop_back();
    }
    while (m_count < n) {
        if (m_chunks.empty() || int(m_chunks.back().values.size()) >= kSplitAt / 2) m_chunks.emplace_back();
        Chunk& last = m_chunks.back();
        const int add = std::min(kSplitAt / 2 - int(last.values.size()), n - m_count);
        last.values.insert(last.values.end(), add, value);
        last.sum += (long long)add * value;
        m_total += (long long)add * value;
        m_count += add;
    }
    // The first chunk that may have changed is the last one both shapes share.
    invalidateAfter(std::min(oldChunks, int(m_chunks.size())) - 1);
}

void CSizeList::clear() {
    m_chunks.clear();
    m_count = 0;
    m_total = 0;
    m_valid = 1;
}

long long CSizeList::prefix(int i) const {
    if (i <= 0) return 0;
    if (i >= m_count) return m_total;
    int k, o;
    locate(i, &k, &o);
    long long s = m_sums[k];
    const std::vector<int>& v = m_chunks[k].values;
    for (int j = 0; j < o; ++j) s += v[j];
    return s;
}

long long CSizeList::range(int first, int last) const {
    first = std::clamp(first, 0, m_count);
    last = std::clamp(last, 0, m_count);
    if (last <= first) return 0;
    return prefix(last) - prefix(first);
}

int CSizeList::lowerBoundPrefix(long long target, int lo, int hi) const {
    if (lo >= hi) return hi;
    if (prefix(lo) >= target) return lo;
    if (prefix(hi) < target) return hi;
    // Now prefix(lo) < target <= prefix(hi): extend the index until a chunk
    // boundary reaches the target, then walk inside the chunk before it.
    const int chunks = int(m_chunks.size());
    while (m_valid <= chunks && m_sums[m_valid - 1] < target) extend(m_valid);
    auto end = m_sums.begin() + m_valid;
    auto it = std::lower_bound(m_sums.begin(), end, target);
    int b = int(it - m_sums.begin());
    int k = std::clamp(b - 1, 0, chunks - 1);
    long long s = m_sums[k];
    int j = m_starts[k];
    if (j < lo) {
        s = prefix(lo);
        j = lo;
    }
    const std::vector<int>& v = m_chunks[k].values;
    while (j < hi && s < target) {
        s += v[j - m_starts[k]];
        ++j;
    }
    return j;
}
