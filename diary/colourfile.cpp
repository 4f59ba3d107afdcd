#include "diary/colourfile.h"

const char16_t* const kStateNames[kStateCount] = {u"on Schedule", u"behind Schedule", u"ahead of Schedule",
                                                  u"Cancellation"};
const COLORREF kDefaultStateColours[kStateCount] = {RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                                    RGB(200, 200, 200)};

int DecodeColours(std::string_view bytes, StateColours& colours) {
    int count = 0;
    for (; count < kStateCount && bytes.size() >= 4 * size_t(count + 1); ++count) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + 4 * count);
        colours[count] = COLORREF(p[0]) | (COLORREF(p[1]) << 8) | (COLORREF(p[2]) << 16) | (COLORREF(p[3]) << 24);
    }
    return count;
}

std::string EncodeColours(const StateColours& colours) {
    std::string out(kColourFileBytes, '\0');
    for (int i = 0; i < kStateCount; ++i)
        for (int b = 0; b < 4; ++b) out[4 * i + b] = static_cast<char>((colours[i] >> (8 * b)) & 0xFF);
    return out;
}
