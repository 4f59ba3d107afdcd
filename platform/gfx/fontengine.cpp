// Font resolution (fontconfig) and glyph rendering (FreeType).
//
// AcquireFontFace: description -> request key -> cached face, or
//   resolve (substitute the platform face names, fontconfig match with
//   weight and slant) -> open the file -> size it -> metrics.
// FontFace::glyph: cache lookup -> load (hinted, light) -> embolden or
//   slant when the file lacks them -> render anti-aliased -> cache.
#include "platform/gfx/fontengine.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <list>
#include <map>

#include "platform/base/text.h"

namespace {
// Set once the engine has shut down: FreeType then has freed every face
// itself, and faces still held by other static objects must not free theirs.
bool g_engineGone = false;
}  // namespace

struct FontFace::Impl {
    FT_Face face = nullptr;
    bool embolden = false;
    bool slant = false;
    bool mono = false;
    FT_Pos emboldenStrength = 0;
    FT_F26Dot6 emX26 = 0, emY26 = 0;
    int weight = FW_NORMAL;
    // Faces that supply characters this one lacks, by file; null: none found.
    std::map<std::string, FT_Face> fallbacks;
    ~Impl() {
        if (g_engineGone) return;
        if (face) FT_Done_Face(face);
        for (auto& [file, f] : fallbacks)
            if (f) FT_Done_Face(f);
    }
    FT_Face fallbackFor(char32_t c);
};

FontFace::FontFace() : m_impl(std::make_unique<Impl>()) { m_latinAdvance.fill(kUnknown); }
FontFace::~FontFace() = default;

namespace {

// Faces the system's code names, mapped to the closest faces that set-up
// installs. fontconfig resolves everything else (and falls back itself).
struct Substitute {
    const char16_t* name;
    const char* family;
};
constexpr Substitute kSubstitutes[] = {
    {u"Verdana", "DejaVu Sans"},
    {u"MS Sans Serif", "Liberation Sans"},
    {u"Times New Roman", "Liberation Serif"},
    {u"System", "sans-serif"},
};

std::string FamilyFor(const LOGFONT& lf) {
    const std::u16string face = lf.FaceName();
    if (!face.empty()) {
        for (const auto& s : kSubstitutes)
            if (CompareNoCase(face, s.name) == 0) return s.family;
        return ToUtf8(face);
    }
    if ((lf.lfPitchAndFamily & 0x3) == FIXED_PITCH || (lf.lfPitchAndFamily & 0xF0) == FF_MODERN) return "monospace";
    if ((lf.lfPitchAndFamily & 0xF0) == FF_ROMAN) return "serif";
    return "sans-serif";
}

int EffectiveWeight(const LOGFONT& lf) {
    return lf.lfWeight <= 0 ? FW_NORMAL : std::min<int>(lf.lfWeight, 1000);
}

struct Match {
    std::string file;
    int index = 0;
    std::string family;
    int weight = FW_NORMAL;   // OpenType scale
    bool italic = false;
};

// The best installed font for a request of weight (and whatever the caller
// added); takes the request and gives a pattern to destroy, or null.
FcPattern* BestFont(FcPattern* request, int weight) {
    FcPatternAddInteger(request, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddBool(request, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, request, FcMatchPattern);
    FcDefaultSubstitute(request);
    FcResult result = FcResultNoMatch;
    FcPattern* m = FcFontMatch(nullptr, request, &result);
    FcPatternDestroy(request);
    return m;
}

bool MatchFont(const std::string& family, int weight, bool italic, Match& out) {
    FcPattern* pat = FcPatternCreate();
    if (!pat) return false;
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPattern* m = BestFont(pat, weight);
    if (!m) return false;
    FcChar8* file = nullptr;
    FcChar8* fam = nullptr;
    int w = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    bool ok = FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch;
    if (ok) {
        out.file = reinterpret_cast<const char*>(file);
        if (FcPatternGetInteger(m, FC_INDEX, 0, &out.index) != FcResultMatch) out.index = 0;
        if (FcPatternGetString(m, FC_FAMILY, 0, &fam) == FcResultMatch) out.family = reinterpret_cast<const char*>(fam);
        if (FcPatternGetInteger(m, FC_WEIGHT, 0, &w) == FcResultMatch) out.weight = FcWeightToOpenType(w);
        if (FcPatternGetInteger(m, FC_SLANT, 0, &slant) == FcResultMatch) out.italic = slant != FC_SLANT_ROMAN;
    }
    FcPatternDestroy(m);
    return ok;
}

}  // namespace

struct FontEngine {
    FT_Library library = nullptr;
    bool fcReady = false;
    // Recently used faces stay alive, so fonts made and deleted in every
    // paint keep their glyph caches.
    std::list<std::pair<std::string, std::shared_ptr<FontFace>>> faces;
    static constexpr std::size_t kKeep = 64;

    FontEngine() {
        fcReady = FcInit() == FcTrue;
        if (FT_Init_FreeType(&library) != 0) library = nullptr;
    }
    ~FontEngine() {
        faces.clear();
        if (library) FT_Done_FreeType(library);
        // Hands back fontconfig's caches, so leak checkers see a clean exit.
        if (fcReady) FcFini();
        g_engineGone = true;
    }

    static FontEngine& get() {
        static FontEngine e;
        return e;
    }

    std::shared_ptr<FontFace> acquire(const LOGFONT& lf, double scaleX, double scaleY);
    bool open(FontFace& f, const Match& m, int emY, int emX, const LOGFONT& lf);
};

namespace {

int Ceil26(FT_Long v26_6) { return int((v26_6 + 63) >> 6); }

// Em size in device pixels for a description's height.
double EmPixels(FT_Face face, const LOGFONT& lf, double scaleY) {
    double h = std::abs(double(lf.lfHeight)) * std::abs(scaleY);
    if (lf.lfHeight == 0) return 12.0 * std::abs(scaleY);
    if (lf.lfHeight < 0 || !face) return h;
    // A positive height is the cell (ascent + descent), as the face reports them.
    double cellUnits = double(face->ascender - face->descender);
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)))
        if (os2->usWinAscent + os2->usWinDescent > 0) cellUnits = double(os2->usWinAscent) + os2->usWinDescent;
    if (cellUnits <= 0) return h;
    return h * face->units_per_EM / cellUnits;
}

}  // namespace

bool FontEngine::open(FontFace& f, const Match& m, int emY, int emX, const LOGFONT& lf) {
    if (!library) return false;
    FT_Face face = nullptr;
    if (FT_New_Face(library, m.file.c_str(), m.index, &face) != 0) return false;
    if (!FT_IS_SCALABLE(face)) {
        FT_Done_Face(face);
        return false;
    }
    // Positive heights need the face's proportions before the size is known.
    // Absurd sizes from a damaged description are held to what a page can show.
    constexpr double kMaxEm = 2000.0;
    const double em = std::clamp(EmPixels(face, lf, emY / 1000.0), 1.0, kMaxEm);
    const FT_F26Dot6 emY26 = std::max<FT_F26Dot6>(64, std::lround(em * 64));
    FT_F26Dot6 emX26 = emY26;
    if (lf.lfWidth != 0 && emX > 0) {
        // lfWidth is the average character width: scale the face horizontally to it.
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        const double avgUnits = os2 && os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth : face->units_per_EM / 2.0;
        const double wantAvg = std::abs(double(lf.lfWidth)) * emX / 1000.0;
        emX26 = std::lround(std::clamp(wantAvg * face->units_per_EM / avgUnits, 1.0, kMaxEm) * 64);
    }
    if (FT_Set_Char_Size(face, emX26, emY26, 72, 72) != 0) {
        FT_Done_Face(face);
        return false;
    }
    f.m_impl->face = face;
    f.m_impl->emX26 = emX26;
    f.m_impl->emY26 = emY26;
    f.m_impl->weight = EffectiveWeight(lf);
    f.file = m.file;
    f.family = m.family;

    const double sy = emY26 / 64.0 / face->units_per_EM;
    const double sx = emX26 / 64.0 / face->units_per_EM;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    double ascU = face->ascender, descU = -face->descender;
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
        ascU = os2->usWinAscent;
        descU = os2->usWinDescent;
    }
    if (lf.lfHeight > 0) {
        // The cell is exactly the height asked for.
        f.height = int(std::lround(std::clamp(lf.lfHeight * (emY / 1000.0), 1.0, kMaxEm * 2)));
        f.ascent = std::clamp(int(std::lround(ascU * sy)), 0, f.height);
        f.descent = f.height - f.ascent;
    } else {
        f.ascent = int(std::ceil(ascU * sy - 0.01));
        f.descent = int(std::ceil(descU * sy - 0.01));
        f.height = f.ascent + f.descent;
    }
    const int pixelsY = int(std::lround(emY26 / 64.0));
    const int pixelsX = int(std::lround(emX26 / 64.0));
    f.internalLeading = std::max(0, f.height - pixelsY);
    if (hhea) {
        const double gap = hhea->Line_Gap - ((ascU + descU) - (hhea->Ascender - hhea->Descender));
        f.externalLeading = std::max(0, int(std::lround(gap * sy)));
    }
    f.aveCharWidth = os2 && os2->xAvgCharWidth > 0 ? std::max(1, int(std::lround(os2->xAvgCharWidth * sx)))
                                                   : std::max(1, pixelsX / 2);
    f.maxCharWidth = std::max(f.aveCharWidth, Ceil26(face->size->metrics.max_advance));
    f.underlineOffset = std::max(1, int(std::lround(-face->underline_position * sy)));
    f.lineThickness = std::max(1, int(std::lround(face->underline_thickness * sy)));
    f.strikeOffset = os2 && os2->yStrikeoutPosition > 0 ? int(std::lround(os2->yStrikeoutPosition * sy))
                                                         : f.ascent / 3;

    const int weight = EffectiveWeight(lf);
    f.weight = weight;
    f.italic = lf.lfItalic != 0;
    // Heavier than the file: embolden the outlines (semibold a little less).
    if (weight >= FW_SEMIBOLD && m.weight + 150 < weight) {
        f.m_impl->embolden = true;
        f.synthesizedBold = true;
        f.m_impl->emboldenStrength = std::max<FT_Pos>(32, FT_Pos(pixelsY * 64 * (weight >= FW_BOLD ? 1 : 0.75) / 20));
    }
    if (f.italic && !m.italic) {
        f.m_impl->slant = true;
        FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};   // about 12 degrees
        FT_Set_Transform(face, &shear, nullptr);
    }
    f.m_impl->mono = lf.lfQuality == NONANTIALIASED_QUALITY;
    return true;
}

std::shared_ptr<FontFace> FontEngine::acquire(const LOGFONT& lf, double scaleX, double scaleY) {
    const std::string family = FamilyFor(lf);
    const int weight = EffectiveWeight(lf);
    // The size in thousandths of a pixel per logical unit keeps keys exact.
    const int emY = int(std::lround(std::abs(scaleY) * 1000.0));
    const int emX = int(std::lround(std::abs(scaleX) * 1000.0));
    std::string key = family;
    for (char& c : key) c = char(std::tolower(static_cast<unsigned char>(c)));
    key += '|' + std::to_string(lf.lfHeight) + '|' + std::to_string(lf.lfWidth) + '|' + std::to_string(weight) +
           '|' + std::to_string(lf.lfItalic != 0) + '|' + std::to_string(lf.lfQuality == NONANTIALIASED_QUALITY) +
           '|' + std::to_string(emY) + '|' + std::to_string(emX);
    for (auto it = faces.begin(); it != faces.end(); ++it) {
        if (it->first == key) {
            faces.splice(faces.begin(), faces, it);
            return faces.front().second;
        }
    }

    std::shared_ptr<FontFace> face(new FontFace());
    Match m;
    bool ok = fcReady && MatchFont(family, weight, lf.lfItalic != 0, m) && open(*face, m, emY, emX, lf);
    if (!ok && fcReady && MatchFont("sans-serif", weight, lf.lfItalic != 0, m)) {
        face.reset(new FontFace());
        ok = open(*face, m, emY, emX, lf);
    }
    if (!ok) {
        // No usable font at all: keep measuring so layouts stay sane.
        face.reset(new FontFace());
        const int px = int(std::lround(std::clamp(lf.lfHeight == 0 ? 12.0 : std::abs(double(lf.lfHeight)) * std::abs(scaleY), 1.0, 2000.0)));
        face->ascent = px * 4 / 5;
        face->descent = px - face->ascent;
        face->height = px;
        face->aveCharWidth = std::max(1, px / 2);
        face->maxCharWidth = px;
        face->weight = weight;
    }
    faces.emplace_front(key, face);
    while (faces.size() > kKeep) faces.pop_back();
    return face;
}

std::shared_ptr<FontFace> AcquireFontFace(const LOGFONT& logFont, double scaleX, double scaleY) {
    return FontEngine::get().acquire(logFont, scaleX, scaleY);
}

std::string DefaultFamily(const char* generic) {
    Match m;
    if (FontEngine::get().fcReady && MatchFont(generic, FW_NORMAL, false, m) && !m.family.empty()) return m.family;
    return "DejaVu Sans";
}

FT_Face FontFace::Impl::fallbackFor(char32_t c) {
    FontEngine& engine = FontEngine::get();
    if (!engine.fcReady || !engine.library) return nullptr;
    FcPattern* pat = FcPatternCreate();
    FcCharSet* want = FcCharSetCreate();
    if (!pat || !want) {
        if (pat) FcPatternDestroy(pat);
        if (want) FcCharSetDestroy(want);
        return nullptr;
    }
    FcCharSetAddChar(want, c);
    FcPatternAddCharSet(pat, FC_CHARSET, want);
    FcCharSetDestroy(want);   // the pattern keeps its own reference
    FcPattern* m = BestFont(pat, weight);
    if (!m) return nullptr;
    std::string file;
    int index = 0;
    FcChar8* path = nullptr;
    FcCharSet* has = nullptr;
    // The best match need not have the character; only take one that does.
    if (FcPatternGetCharSet(m, FC_CHARSET, 0, &has) == FcResultMatch && FcCharSetHasChar(has, c) &&
        FcPatternGetString(m, FC_FILE, 0, &path) == FcResultMatch) {
        file = reinterpret_cast<const char*>(path);
        if (FcPatternGetInteger(m, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    }
    FcPatternDestroy(m);
    if (file.empty()) return nullptr;
    const std::string key = file + '#' + std::to_string(index);
    auto it = fallbacks.find(key);
    if (it != fallbacks.end()) return it->second;
    FT_Face f = nullptr;
    if (FT_New_Face(engine.library, file.c_str(), index, &f) != 0 || FT_Set_Char_Size(f, emX26, emY26, 72, 72) != 0) {
        if (f) FT_Done_Face(f);
        f = nullptr;
    }
    if (f && slant) {
        FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};
        FT_Set_Transform(f, &shear, nullptr);
    }
    fallbacks.emplace(key, f);
    return f;
}

const Glyph& FontFace::glyph(char32_t c) {
    if (c < 256) {
        if (!m_latin[c]) {
            m_latin[c].reset(load(c));
            m_latinAdvance[c] = m_latin[c]->advance;
        }
        return *m_latin[c];
    }
    auto it = m_other.find(c);
    if (it != m_other.end()) return *it->second;
    return *m_other.emplace(c, std::unique_ptr<Glyph>(load(c))).first->second;
}

Glyph* FontFace::load(char32_t c) {
    auto g = std::make_unique<Glyph>();
    FT_Face face = m_impl->face;
    if (!face) {
        g->advance = c < 0x20 ? 0 : aveCharWidth;
        return g.release();
    }
    // Control characters take no room (line breaks are handled by the layout).
    if (c < 0x20 && c != '\t') return g.release();
    FT_UInt index = FT_Get_Char_Index(face, c);
    // A character the face lacks comes from an installed face that has it,
    // at the same size; only when none has it does the missing-glyph box show.
    if (index == 0 && c >= 0x80) {
        if (FT_Face other = m_impl->fallbackFor(c)) {
            face = other;
            index = FT_Get_Char_Index(face, c);
        }
    }
    const FT_Int32 flags = m_impl->mono ? (FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) : FT_LOAD_TARGET_LIGHT;
    if (FT_Load_Glyph(face, index, flags) != 0 && FT_Load_Glyph(face, 0, flags) != 0) {
        g->advance = aveCharWidth;
        return g.release();
    }
    FT_GlyphSlot slot = face->glyph;
    FT_Pos extra = 0;
    if (m_impl->embolden && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_Outline_EmboldenXY(&slot->outline, m_impl->emboldenStrength, 0);
        extra = m_impl->emboldenStrength;
    }
    g->advance = int((slot->advance.x + extra + 32) >> 6);
    if (c == '\t' || c == ' ') return g.release();
    if (FT_Render_Glyph(slot, m_impl->mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_LIGHT) != 0) return g.release();
    const FT_Bitmap& bm = slot->bitmap;
    g->left = slot->bitmap_left;
    g->top = slot->bitmap_top;
    g->width = int(bm.width);
    g->height = int(bm.rows);
    g->coverage.assign(std::size_t(g->width) * g->height, 0);
    for (int y = 0; y < g->height; ++y) {
        const unsigned char* src = bm.buffer + std::ptrdiff_t(y) * bm.pitch;
        std::uint8_t* dst = g->coverage.data() + std::size_t(y) * g->width;
        if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
            for (int x = 0; x < g->width; ++x) dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
        } else {
            std::memcpy(dst, src, std::size_t(g->width));
        }
    }
    return g.release();
}
