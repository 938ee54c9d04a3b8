// FreeType faces and the glyph cache behind GDI text.
#include "platform/win/FontEngine.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_SYNTHESIS_H

#include <cmath>
#include <cstdlib>

namespace morwick::display {

uint32_t NextCodePoint(const char16_t* text, int count, int& i)
{
    uint32_t c = text[i++];
    if (c >= 0xD800 && c < 0xDC00) {
        if (i < count && text[i] >= 0xDC00 && text[i] < 0xE000) {
            uint32_t lo = text[i++];
            return 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
        }
        return 0xFFFD;
    }
    if (c >= 0xDC00 && c < 0xE000)
        return 0xFFFD;
    return c;
}

namespace {

FT_Library Library()
{
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0)
            lib = nullptr;
        return lib;
    }();
    return library;
}

// Stands in when no font file exists at all: boxes of half the height, so layout still works.
class BoxFace : public FontFace {
public:
    BoxFace(int h, int w)
    {
        height = h;
        ascent = h * 4 / 5;
        weight = w;
    }
    const Glyph& GetGlyph(uint32_t cp) override
    {
        std::lock_guard<std::mutex> guard(lock);
        auto it = glyphs.find(cp);
        if (it != glyphs.end())
            return it->second;
        Glyph& g = glyphs[cp];
        g.advance = AdvanceOf(cp);
        if (cp > 32) {
            g.width = g.advance > 2 ? g.advance - 2 : 1;
            g.height = ascent * 3 / 4 > 0 ? ascent * 3 / 4 : 1;
            g.left = 1;
            g.top = g.height;
            g.coverage.assign((size_t)g.width * (size_t)g.height, 0);
            for (int y = 0; y < g.height; ++y)
                for (int x = 0; x < g.width; ++x)
                    if (y == 0 || x == 0 || y == g.height - 1 || x == g.width - 1)
                        g.coverage[(size_t)y * (size_t)g.width + (size_t)x] = 255;
        }
        return g;
    }
    int Advance(uint32_t cp) override { return AdvanceOf(cp); }

private:
    int AdvanceOf(uint32_t cp) const { return cp >= 0x2E80 ? height : (height + 1) / 2; }
    std::mutex lock;
    std::unordered_map<uint32_t, Glyph> glyphs;
};

// One size and weight of the engine's single FreeType face. Every size shares that face (one mapping of the font
// file and one copy of its tables, instead of one per size); loading a glyph activates this size under the face's
// lock.
class FreeTypeFace : public FontFace {
public:
    FreeTypeFace(FT_Face f, std::mutex& faceLock, int h, int w) : face(f), faceLock(faceLock)
    {
        height = h;
        weight = w;
        // Size the em so that the face's ascender to descender span fills the cell height.
        int span = face->ascender - face->descender;
        if (span <= 0)
            span = face->units_per_EM;
        double em = (double)h * face->units_per_EM / span;
        {
            std::lock_guard<std::mutex> guard(faceLock);
            if (FT_New_Size(face, &size) == 0) {
                FT_Activate_Size(size);
                FT_Set_Char_Size(face, 0, (FT_F26Dot6)std::lround(em * 64.0), 72, 72);
            }
        }
        ascent = (int)std::lround((double)face->ascender * h / span);
        for (int& a : asciiAdvance)
            a = -1;
        if (weight >= 700)
            strength = (FT_Pos)std::lround(em * 64.0 / 24.0);
        else if (weight >= 600)
            strength = (FT_Pos)std::lround(em * 64.0 / 40.0);
    }
    ~FreeTypeFace() override
    {
        std::lock_guard<std::mutex> guard(faceLock);
        if (size)
            FT_Done_Size(size);
    }

    const Glyph& GetGlyph(uint32_t cp) override
    {
        std::lock_guard<std::mutex> guard(lock);
        return GlyphLocked(cp);
    }
    int Advance(uint32_t cp) override
    {
        std::lock_guard<std::mutex> guard(lock);
        if (cp < 128 && asciiAdvance[cp] >= 0)
            return asciiAdvance[cp];
        int a = GlyphLocked(cp).advance;
        if (cp < 128)
            asciiAdvance[cp] = a;
        return a;
    }

private:
    const Glyph& GlyphLocked(uint32_t cp)
    {
        auto it = glyphs.find(cp);
        if (it != glyphs.end())
            return it->second;
        Glyph& g = glyphs[cp];
        if (cp == '\t' || cp == '\r' || cp == '\n' || cp < 32 || size == nullptr)
            return g;
        std::lock_guard<std::mutex> guard(faceLock);
        FT_Activate_Size(size);
        FT_UInt index = FT_Get_Char_Index(face, cp);
        if (FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT) != 0)
            return g;
        FT_GlyphSlot slot = face->glyph;
        if (strength > 0 && slot->format == FT_GLYPH_FORMAT_OUTLINE)
            FT_Outline_Embolden(&slot->outline, strength);
        int advance = (int)((slot->advance.x + 32) >> 6);
        if (strength > 0)
            advance += (int)((strength + 32) >> 6);
        g.advance = advance;
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
            return g;
        const FT_Bitmap& bm = slot->bitmap;
        g.width = (int)bm.width;
        g.height = (int)bm.rows;
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.coverage.resize((size_t)g.width * (size_t)g.height);
        for (int y = 0; y < g.height; ++y) {
            const unsigned char* src = bm.buffer + (ptrdiff_t)y * bm.pitch;
            for (int x = 0; x < g.width; ++x)
                g.coverage[(size_t)y * (size_t)g.width + (size_t)x] = src[x];
        }
        return g;
    }

    FT_Face face;         // the engine's, shared by every size
    std::mutex& faceLock; // the engine's: the face and its glyph slot serve one size at a time
    FT_Size size = nullptr;
    FT_Pos strength = 0;
    std::mutex lock;
    std::unordered_map<uint32_t, Glyph> glyphs;
    int asciiAdvance[128];
};

} // namespace

FontEngine& FontEngine::Instance()
{
    static FontEngine* engine = new FontEngine(); // lives to the end: faces are shared by cached fonts
    return *engine;
}

FontEngine::FontEngine()
{
    if (const char* forced = std::getenv("MORWICK_FONT")) {
        fontFile = forced;
        return;
    }
    if (!FcInit())
        return;
    // A face that covers simplified Chinese, preferring the phone's own look (a sans-serif hei face).
    FcPattern* pattern = FcNameParse((const FcChar8*)"WenQuanYi Micro Hei:lang=zh-cn");
    if (!pattern) {
        FcFini();
        return;
    }
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    if (match) {
        FcChar8* file = nullptr;
        int index = 0;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
            fontFile = (const char*)file;
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch)
            faceIndex = index;
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    FcFini(); // only the file name is needed; release fontconfig's caches
}

FontFace* FontEngine::Face(int height, int weight)
{
    if (height < 1)
        height = 1;
    if (height > 512)
        height = 512;
    int w = weight >= 700 ? 700 : weight >= 600 ? 600 : 400;
    uint64_t key = ((uint64_t)height << 16) | (uint64_t)w;
    std::lock_guard<std::mutex> guard(lock);
    auto it = faces.find(key);
    if (it != faces.end())
        return it->second.get();
    std::unique_ptr<FontFace> made;
    if (!sharedFace && !faceFailed && !fontFile.empty() && Library()) {
        FT_Face opened = nullptr;
        if (FT_New_Face(Library(), fontFile.c_str(), faceIndex, &opened) == 0)
            sharedFace = opened;
        else
            faceFailed = true; // not a font: the box glyphs stand in
    }
    if (sharedFace)
        made = std::make_unique<FreeTypeFace>(static_cast<FT_Face>(sharedFace), faceLock, height, w);
    else
        made = std::make_unique<BoxFace>(height, w);
    FontFace* raw = made.get();
    faces.emplace(key, std::move(made));
    return raw;
}

} // namespace morwick::display

#include <chrono>

namespace morwick::display {

double RawFreeTypeGlyphsPerSecond(const char16_t* text, int count, int height, double seconds)
{
    FontEngine& engine = FontEngine::Instance();
    FT_Face face = nullptr;
    if (engine.FontFile().empty() || !Library() ||
        FT_New_Face(Library(), engine.FontFile().c_str(), engine.FaceIndex(), &face) != 0)
        return 0;
    int span = face->ascender - face->descender;
    if (span <= 0)
        span = face->units_per_EM;
    double em = (double)height * face->units_per_EM / span;
    FT_Set_Char_Size(face, 0, (FT_F26Dot6)std::lround(em * 64.0), 72, 72);
    std::vector<uint32_t> codes;
    for (int i = 0; i < count;)
        codes.push_back(NextCodePoint(text, count, i));
    auto start = std::chrono::steady_clock::now();
    long long glyphs = 0;
    unsigned checksum = 0;
    double elapsed = 0;
    do {
        for (uint32_t cp : codes) {
            if (FT_Load_Char(face, cp, FT_LOAD_RENDER | FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT) == 0)
                checksum += face->glyph->bitmap.rows;
            ++glyphs;
        }
        elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } while (elapsed < seconds);
    FT_Done_Face(face);
    return checksum == 0xFFFFFFFFu ? 0 : glyphs / elapsed;
}

} // namespace morwick::display
