// A 32-bit pixel surface (0xAARRGGBB words, rows packed) and the small blending helpers every drawer shares.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstdint>
#include <vector>

namespace morwick::display {

struct Surface {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    Surface() = default;
    Surface(int w, int h, uint32_t fill = 0xFF000000u) { Resize(w, h, fill); }

    void Resize(int w, int h, uint32_t fill = 0xFF000000u)
    {
        width = w > 0 ? w : 0;
        height = h > 0 ? h : 0;
        pixels.assign((size_t)width * (size_t)height, fill);
    }
    uint32_t* Row(int y) { return pixels.data() + (size_t)y * (size_t)width; }
    const uint32_t* Row(int y) const { return pixels.data() + (size_t)y * (size_t)width; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// COLORREF is 0x00BBGGRR; surfaces hold opaque 0xAARRGGBB.
inline uint32_t PixelFromColor(COLORREF c)
{
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
inline COLORREF ColorFromPixel(uint32_t p)
{
    return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16);
}

// Blends colour src over dst with coverage a (0..255); the result stays opaque.
inline uint32_t Blend(uint32_t dst, uint32_t src, unsigned a)
{
    if (a >= 255)
        return src | 0xFF000000u;
    if (a == 0)
        return dst;
    unsigned na = 255 - a;
    unsigned r = (((src >> 16) & 0xFF) * a + ((dst >> 16) & 0xFF) * na + 127) / 255;
    unsigned g = (((src >> 8) & 0xFF) * a + ((dst >> 8) & 0xFF) * na + 127) / 255;
    unsigned b = ((src & 0xFF) * a + (dst & 0xFF) * na + 127) / 255;
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

inline RECT IntersectRects(const RECT& a, const RECT& b)
{
    RECT r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top, a.right < b.right ? a.right : b.right,
           a.bottom < b.bottom ? a.bottom : b.bottom};
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    return r;
}
inline bool RectEmpty(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

} // namespace morwick::display
