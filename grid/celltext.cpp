#include "grid/celltext.h"

#include <cstdlib>
#include <new>

void CCellText::release() {
    std::free(m_block);
    m_block = nullptr;
}

void CCellText::assign(std::u16string_view text) {
    release();
    if (text.empty()) return;
    bool isWide = false;
    for (char16_t c : text) {
        if (c > 0xFF) {
            isWide = true;
            break;
        }
    }
    const size_t n = text.size();
    const size_t bytes = sizeof(uint32_t) + n * (isWide ? 2 : 1);
    auto* block = static_cast<unsigned char*>(std::malloc(bytes));
    if (!block) throw std::bad_alloc();
    const uint32_t h = uint32_t(n << 1) | (isWide ? 1u : 0u);
    std::memcpy(block, &h, sizeof h);
    unsigned char* p = block + sizeof h;
    if (isWide) {
        std::memcpy(p, text.data(), n * 2);
    } else {
        for (size_t i = 0; i < n; ++i) p[i] = static_cast<unsigned char>(text[i]);
    }
    m_block = block;
}

CString CCellText::str() const {
    if (!m_block) return {};
    const size_t n = length();
    const unsigned char* p = m_block + sizeof(uint32_t);
    CString s(n, u'\0');
    if (wide()) {
        std::memcpy(s.data(), p, n * 2);
    } else {
        for (size_t i = 0; i < n; ++i) s[i] = char16_t(p[i]);
    }
    return s;
}

bool CCellText::equals(std::u16string_view text) const {
    if (text.size() != length()) return false;
    if (!m_block) return true;
    const unsigned char* p = m_block + sizeof(uint32_t);
    if (wide()) return std::memcmp(p, text.data(), text.size() * 2) == 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (char16_t(p[i]) != text[i]) return false;
    return true;
}
