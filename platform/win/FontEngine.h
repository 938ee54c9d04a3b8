// Glyphs through FreeType from the CJK face fontconfig finds: one sized face per pixel height and weight, all
// drawing from one FreeType face (the font file is mapped once), anti-aliased glyph coverage rendered once and cached.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace morwick::display {

struct Glyph {
    int width = 0; // coverage bitmap size
    int height = 0;
    int left = 0;    // bitmap offset from the pen position
    int top = 0;     // rows above the baseline
    int advance = 0; // pen advance in pixels
    std::vector<uint8_t> coverage;
};

class FontFace {
public:
    virtual ~FontFace() = default;
    int Height() const { return height; }
    int Ascent() const { return ascent; }
    int Descent() const { return height - ascent; }
    int Weight() const { return weight; }
    // The glyph of a code point; never null (a missing glyph is drawn as an empty box's advance).
    // Callers of one face from several threads are serialised inside.
    virtual const Glyph& GetGlyph(uint32_t codePoint) = 0;
    virtual int Advance(uint32_t codePoint) = 0;

protected:
    int height = 0;
    int ascent = 0;
    int weight = 400;
};

class FontEngine {
public:
    static FontEngine& Instance();
    // The face of a pixel (cell) height and weight; alive until the process ends.
    FontFace* Face(int height, int weight);
    // The font file in use (empty when none was found and the built-in box glyphs stand in).
    const std::string& FontFile() const { return fontFile; }
    int FaceIndex() const { return faceIndex; }

private:
    FontEngine();
    std::mutex lock;
    std::string fontFile;
    int faceIndex = 0;
    void* sharedFace = nullptr; // the one FreeType face (FT_Face) every size draws from, opened on first use
    bool faceFailed = false;
    std::mutex faceLock; // serialises the shared face
    std::unordered_map<uint64_t, std::unique_ptr<FontFace>> faces;
};

// Decodes UTF-16 to code points; unpaired surrogates become U+FFFD.
uint32_t NextCodePoint(const char16_t* text, int count, int& i);

} // namespace morwick::display

namespace morwick::display {

// For the benchmark's reference: loads and renders every code point of text with FreeType directly (no cache,
// the same face file and pixel size) for about `seconds`; returns glyphs rendered per second (0 without a font).
double RawFreeTypeGlyphsPerSecond(const char16_t* text, int count, int height, double seconds);

} // namespace morwick::display
