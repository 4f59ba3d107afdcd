// Font faces for the device context: a LOGFONT, scaled to device pixels,
// resolved through fontconfig and rendered by FreeType, with a glyph cache.
// Only this layer (and its tests) include this header; FreeType and
// fontconfig stay inside fontengine.cpp.
#pragma once

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gfx/gdiobj.h"

struct Glyph {
    int left = 0;       // bitmap's left edge relative to the pen position
    int top = 0;        // rows of the bitmap above the baseline
    int width = 0;
    int height = 0;
    int advance = 0;    // pen movement in whole pixels
    std::vector<std::uint8_t> coverage;   // width x height, 0..255
};

class FontFace {
public:
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    // Metrics in device pixels, as TEXTMETRIC reports them.
    int height = 0;            // ascent + descent
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;
    int externalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
    int weight = FW_NORMAL;    // the weight asked for
    bool italic = false;
    int underlineOffset = 1;   // rows below the baseline
    int lineThickness = 1;
    int strikeOffset = 0;      // rows above the baseline

    std::string family;        // the installed family that was chosen
    std::string file;
    bool synthesizedBold = false;

    const Glyph& glyph(char32_t c);
    // Measuring runs per character over every cell text: the first 256 code
    // points answer from a flat table once their glyph is loaded.
    int advance(char32_t c) {
        if (c < 256 && m_latinAdvance[c] != kUnknown) return m_latinAdvance[c];
        return glyph(c).advance;
    }
    // The width of the longest leading run of text[0..n) that the flat table
    // answers; *used gets that run's length.
    int latinRunWidth(const char16_t* text, std::size_t n, std::size_t* used) const {
        int width = 0;
        std::size_t i = 0;
        for (; i < n; ++i) {
            const char16_t c = text[i];
            if (c >= 256 || m_latinAdvance[c] == kUnknown) break;
            width += m_latinAdvance[c];
        }
        *used = i;
        return width;
    }

private:
    friend struct FontEngine;
    FontFace();
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    static constexpr int kUnknown = INT_MIN;
    std::array<std::unique_ptr<Glyph>, 256> m_latin;
    std::array<int, 256> m_latinAdvance;   // kUnknown until m_latin[c] is loaded
    std::unordered_map<char32_t, std::unique_ptr<Glyph>> m_other;
    Glyph* load(char32_t c);
};

// The face for a description at a device scale (device pixels per logical
// unit, vertically). The same description at the same scale gives the same
// face object; a face name that is not installed gives the closest
// installed one. Never null: without any usable font file the face measures
// boxes and draws nothing.
std::shared_ptr<FontFace> AcquireFontFace(const LOGFONT& logFont, double scaleX = 1.0, double scaleY = 1.0);

// The family fontconfig gives for a generic name ("sans-serif", "serif").
std::string DefaultFamily(const char* generic);
