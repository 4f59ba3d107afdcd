// CCellText: a cell's text, stored compactly. A grid of diary records holds
// close to a million texts, nearly all of them plain Latin-1, so a text keeps
// one byte per character when it can and two otherwise, behind one pointer
// (null for the empty text). Readers always get UTF-16.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/base/text.h"

class CCellText {
public:
    CCellText() = default;
    explicit CCellText(std::u16string_view text) { assign(text); }
    CCellText(const CCellText& o) { assign(o.str()); }
    CCellText& operator=(const CCellText& o) {
        if (this != &o) assign(o.str());
        return *this;
    }
    ~CCellText() { release(); }

    bool empty() const { return m_bits == 0; }
    size_t length() const {
        if (!m_bits) return 0;
        const size_t n = size_t(m_bits >> kLengthShift);
        return n != kLongText ? n : header() >> 1;
    }

    CString str() const;
    void assign(std::u16string_view text);
    void clear() { release(); }
    bool equals(std::u16string_view text) const;
    // Bytes of the shared text arena not holding a text (see
    // CCellData::PoolFreeBytes).
    static size_t ArenaFreeBytes();
    // Asks the processor to fetch the characters (walks down a column).
    void Prefetch() const {
        if (m_bits) __builtin_prefetch(block());
    }

private:
    // The block's address fits in the low 48 bits and is 8-aligned; the top
    // 16 bits repeat the length (kLongText when it does not fit) and bit 0 is
    // the wide flag, so freeing or measuring a text need not fetch its block.
    static constexpr int kLengthShift = 48;
    static constexpr size_t kLongText = 0xFFFF;
    static constexpr uintptr_t kAddressBits = (uintptr_t(1) << kLengthShift) - 8;

    unsigned char* block() const { return reinterpret_cast<unsigned char*>(m_bits & kAddressBits); }
    uint32_t header() const {
        uint32_t h;
        std::memcpy(&h, block(), sizeof h);
        return h;
    }
    bool wide() const { return m_bits & 1u; }
    void release();

    // The block: [uint32: length << 1 | wide][characters, 1 or 2 bytes each]
    uintptr_t m_bits = 0;
};
