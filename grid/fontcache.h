// CFontCache: one shared copy of each distinct font description the grid's
// cells use, and the font objects made from them. The grid fits every row
// and column after each change at diary scale; making a font per measured
// cell would dominate that, so a description is turned into a font once.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gfx/gdiobj.h"

class CFontCache {
public:
    // The index of the shared copy of a description (added when new).
    UINT Intern(const LOGFONT& font);
    const LOGFONT& At(UINT index) const { return m_interned[index]; }
    // The font made from the description, with the weight set to 600 when
    // semibold is asked for; null when it cannot be made.
    CFont* Get(const LOGFONT& font, bool semibold = false);
    // The same by the index of a shared description.
    CFont* Get(UINT index, bool semibold);
    // Forgets the made fonts (the descriptions stay valid).
    void DropFonts() {
        m_fonts.clear();
        m_byIndex[0].clear();
        m_byIndex[1].clear();
    }
    size_t InternedCount() const { return m_interned.size(); }

private:
    static std::string KeyOf(const LOGFONT& font);
    std::deque<LOGFONT> m_interned;
    std::unordered_map<std::string, UINT> m_index;
    UINT m_last = ~0u;   // most descriptions repeat the previous one
    std::vector<CFont*> m_byIndex[2];   // normal and semibold, by description index
    std::unordered_map<std::string, std::unique_ptr<CFont>> m_fonts;
};
