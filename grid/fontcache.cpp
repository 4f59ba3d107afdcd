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

const LOGFONT* CFontCache::Intern(const LOGFONT& font) {
    std::string key = KeyOf(font);
    auto it = m_index.find(key);
    if (it != m_index.end()) return it->second;
    m_interned.push_back(font);
    const LOGFONT* p = &m_interned.back();
    m_index.emplace(std::move(key), p);
    return p;
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
