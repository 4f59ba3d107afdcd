#include "grid/fontcache.h"

#include <cstring>

std::string CFontCache::KeyOf(const LOGFONT& font) {
    // The face name counts only up to its terminator.
    LOGFONT clean = font;
    bool ended = false;
    for (char16_t& c : clean.lfFaceName) {
        if (ended) c = 0;
        else if (c == 0) ended = true;
    }
    return std::string(reinterpret_cast<const char*>(&clean), sizeof clean);
}

UINT CFontCache::Intern(const LOGFONT& font) {
    if (m_last != ~0u && std::memcmp(&m_interned[m_last], &font, sizeof font) == 0) return m_last;
    std::string key = KeyOf(font);
    auto it = m_index.find(key);
    if (it != m_index.end()) return m_last = it->second;
    m_interned.push_back(font);
    const UINT index = UINT(m_interned.size() - 1);
    m_index.emplace(std::move(key), index);
    return m_last = index;
}

CFont* CFontCache::Get(const LOGFONT& font, bool semibold) {
    LOGFONT lf = font;
    if (semibold) lf.lfWeight = 600;
    std::string key = KeyOf(lf);
    auto it = m_fonts.find(key);
    if (it != m_fonts.end()) return it->second.get();
    auto made = std::make_unique<CFont>();
    if (!made->CreateFontIndirect(&lf)) return nullptr;
    CFont* p = made.get();
    m_fonts.emplace(std::move(key), std::move(made));
    return p;
}

CFont* CFontCache::Get(UINT index, bool semibold) {
    if (index >= m_interned.size()) return nullptr;
    std::vector<CFont*>& slots = m_byIndex[semibold ? 1 : 0];
    if (slots.size() <= index) slots.resize(index + 1, nullptr);
    if (!slots[index]) slots[index] = Get(m_interned[index], semibold);
    return slots[index];
}
