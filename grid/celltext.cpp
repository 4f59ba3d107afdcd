#include "grid/celltext.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <vector>

// Texts up to kMaxSmall bytes come from size classes of 8 bytes carved out of
// large blocks: no per-text heap header, and freed slots are reused by the
// next text of that class. When the last text goes, the blocks are carved
// again from the start, so texts made anew lie in the order they were made.
// Single UI thread, so no locking.
namespace {

constexpr size_t kGranule = 8;
constexpr size_t kMaxSmall = 512;
constexpr size_t kBlockBytes = 256 * 1024;

struct TextArena {
    struct Free { Free* next; };
    Free* free[kMaxSmall / kGranule + 1] = {};
    std::vector<unsigned char*> blocks;
    size_t block = 0;   // the block being carved: blocks[block], when there is one
    unsigned char* cursor = nullptr;
    size_t left = 0;
    size_t freeListBytes = 0;
    size_t live = 0;

    static size_t ClassOf(size_t bytes) { return (bytes + kGranule - 1) / kGranule; }

    void* take(size_t bytes) {
        ++live;
        const size_t k = ClassOf(bytes);
        if (Free* f = free[k]) {
            free[k] = f->next;
            freeListBytes -= k * kGranule;
            return f;
        }
        const size_t size = k * kGranule;
        if (left < size) {
            // The tail of a block too short for this text stays unused until
            // the arena starts over.
            if (cursor) ++block;
            if (block == blocks.size()) {
                auto* fresh = static_cast<unsigned char*>(std::malloc(kBlockBytes));
                if (!fresh) throw std::bad_alloc();
                blocks.push_back(fresh);
            }
            cursor = blocks[block];
            left = kBlockBytes;
        }
        void* p = cursor;
        cursor += size;
        left -= size;
        return p;
    }
    void give(void* p, size_t bytes) {
        if (--live == 0) {
            std::fill(std::begin(free), std::end(free), nullptr);
            freeListBytes = 0;
            block = 0;
            cursor = nullptr;
            left = 0;
            return;
        }
        Free* f = static_cast<Free*>(p);
        const size_t k = ClassOf(bytes);
        f->next = free[k];
        free[k] = f;
        freeListBytes += k * kGranule;
    }
    size_t freeBytes() const {
        const size_t untouched = cursor ? blocks.size() - block - 1 : blocks.size() - block;
        return freeListBytes + left + untouched * kBlockBytes;
    }
};

TextArena& Arena() {
    static TextArena* arena = new TextArena();   // texts may outlive statics
    return *arena;
}

size_t BlockBytes(size_t length, bool wide) { return sizeof(uint32_t) + length * (wide ? 2 : 1); }

// Under the address sanitizer every text is its own allocation (see the cell pool).
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kArenaLimit = 0;
#else
constexpr size_t kArenaLimit = kMaxSmall;
#endif

void* Allocate(size_t bytes) {
    if (bytes <= kArenaLimit) return Arena().take(bytes);
    void* p = std::malloc(bytes);
    if (!p) throw std::bad_alloc();
    return p;
}

void Release(void* p, size_t bytes) {
    if (bytes <= kArenaLimit) Arena().give(p, bytes);
    else std::free(p);
}

}  // namespace

size_t CCellText::ArenaFreeBytes() {
    return Arena().freeBytes();
}

void CCellText::release() {
    if (!m_bits) return;
    Release(block(), BlockBytes(length(), wide()));
    m_bits = 0;
}

void CCellText::assign(std::u16string_view text) {
    release();
    if (text.empty()) return;
    // One pass without an early exit, so the compiler can vectorise it.
    char16_t all = 0;
    for (char16_t c : text) all |= c;
    const bool isWide = all > 0xFF;
    const size_t n = text.size();
    auto* mem = static_cast<unsigned char*>(Allocate(BlockBytes(n, isWide)));
    const uint32_t h = uint32_t(n << 1) | (isWide ? 1u : 0u);
    std::memcpy(mem, &h, sizeof h);
    unsigned char* p = mem + sizeof h;
    if (isWide) {
        std::memcpy(p, text.data(), n * 2);
    } else {
        for (size_t i = 0; i < n; ++i) p[i] = static_cast<unsigned char>(text[i]);
    }
    const uintptr_t address = reinterpret_cast<uintptr_t>(mem);
    if ((address & ~kAddressBits) != 0) {   // beyond what the tag leaves room for
        Release(mem, BlockBytes(n, isWide));
        throw std::bad_alloc();
    }
    m_bits = address | (uintptr_t(std::min(n, kLongText)) << kLengthShift) | (isWide ? 1u : 0u);
}

CString CCellText::str() const {
    if (!m_bits) return {};
    const size_t n = length();
    const unsigned char* p = block() + sizeof(uint32_t);
    if (wide()) return CString(reinterpret_cast<const char16_t*>(p), n);
    return CString(p, p + n);   // one widening pass
}

bool CCellText::equals(std::u16string_view text) const {
    if (text.size() != length()) return false;
    if (!m_bits) return true;
    const unsigned char* p = block() + sizeof(uint32_t);
    if (wide()) return std::memcmp(p, text.data(), text.size() * 2) == 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (char16_t(p[i]) != text[i]) return false;
    return true;
}
