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

    bool empty() const { return m_block == nullptr; }
    size_t length() const { return m_block ? header() >> 1 : 0; }

    CString str() const;
    void assign(std::u16string_view text);
    void clear() { release(); }
    bool equals(std::u16string_view text) const;
    // Bytes of the shared text arena not holding a text (see
    // CCellData::PoolFreeBytes).
    static size_t ArenaFreeBytes();
    // Asks the processor to fetch the characters (walks down a column).
    void Prefetch() const {
        if (m_block) __builtin_prefetch(m_block);
    }

private:
    uint32_t header() const {
        uint32_t h;
        std::memcpy(&h, m_block, sizeof h);
        return h;
    }
    bool wide() const { return header() & 1u; }
    void release();

    // [uint32: length << 1 | wide][characters, 1 or 2 bytes each]
    unsigned char* m_block = nullptr;
};
