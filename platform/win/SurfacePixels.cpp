// Filling, blending and blitting whole surfaces: the pixel work under every GDI call and the screen's composition.
#include "platform/win/GdiHandles.h"

#include <algorithm>
#include <cwchar>
#include <vector>

using namespace morwick::gdi;

namespace morwick::display {

namespace {

// Sets n pixels; the C library's wide fill stores a whole vector register at a time.
void FillPixels(uint32_t* out, uint32_t pixel, size_t n)
{
    static_assert(sizeof(wchar_t) == sizeof(uint32_t), "pixels are filled as wide characters");
    std::wmemset(reinterpret_cast<wchar_t*>(out), static_cast<wchar_t>(pixel), n);
}

// Blends n source pixels over out by their alpha. Most pixels of a picture are opaque or clear: runs of those are
// copied or skipped whole, as blending them would give the same pixels.
void BlendRow(uint32_t* __restrict out, const uint32_t* __restrict in, size_t n)
{
    for (size_t i = 0; i < n;) {
        unsigned a = in[i] >> 24;
        size_t end = i + 1;
        if (a == 255 || a == 0) {
            // Eight at a time while all eight match: their alpha bytes all 255 (AND) or all 0 (OR).
            while (end + 8 <= n) {
                uint32_t all = a ? in[end] & in[end + 1] & in[end + 2] & in[end + 3] & in[end + 4] & in[end + 5] &
                                       in[end + 6] & in[end + 7]
                                 : in[end] | in[end + 1] | in[end + 2] | in[end + 3] | in[end + 4] | in[end + 5] |
                                       in[end + 6] | in[end + 7];
                if (all >> 24 != a)
                    break;
                end += 8;
            }
            while (end < n && in[end] >> 24 == a)
                ++end;
            if (a == 255)
                std::copy(in + i, in + end, out + i);
        } else {
            out[i] = Blend(out[i], in[i] | 0xFF000000u, a);
        }
        i = end;
    }
}

} // namespace

void FillSurfaceRect(Surface& s, RECT r, uint32_t pixel)
{
    r = IntersectRects(r, SurfaceRect(&s));
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    if (r.left == 0 && r.right == s.width) { // whole rows lie end to end
        FillPixels(s.Row(r.top), pixel, (size_t)s.width * (size_t)(r.bottom - r.top));
        return;
    }
    for (int y = r.top; y < r.bottom; ++y)
        FillPixels(s.Row(y) + r.left, pixel, (size_t)(r.right - r.left));
}

void BlendCoverage(Surface& s, const RECT& clip, int x, int y, const uint8_t* coverage, int w, int h, int pitch,
                   uint32_t pixel)
{
    RECT area = IntersectRects(RECT{x, y, x + w, y + h}, IntersectRects(clip, SurfaceRect(&s)));
    for (int py = area.top; py < area.bottom; ++py) {
        const uint8_t* src = coverage + (ptrdiff_t)(py - y) * pitch + (area.left - x);
        uint32_t* dst = s.Row(py) + area.left;
        for (int px = area.left; px < area.right; ++px, ++src, ++dst)
            if (*src)
                *dst = Blend(*dst, pixel, *src);
    }
}

void BlitSurface(Surface& dst, const RECT& clip, RECT d, const Surface& src, RECT sr, bool alpha)
{
    int dw = d.right - d.left, dh = d.bottom - d.top;
    int sw = sr.right - sr.left, sh = sr.bottom - sr.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    RECT area = IntersectRects(d, IntersectRects(clip, SurfaceRect(&dst)));
    if (area.right <= area.left || area.bottom <= area.top)
        return;
    bool same = dw == sw && dh == sh;
    if (same && &src != &dst) {
        // Same size from another surface (every window composed onto the screen, most bitmaps): each row is one
        // run of the source, clipped to the source's columns, copied without a temporary row.
        int64_t shift = (int64_t)sr.left - d.left; // source column minus destination column
        int left = (int)std::max<int64_t>(area.left, -shift);
        int right = (int)std::min<int64_t>(area.right, src.width - shift);
        for (int y = area.top; left < right && y < area.bottom; ++y) {
            int64_t sy = (int64_t)sr.top + (y - d.top);
            if (sy < 0 || sy >= src.height)
                continue;
            const uint32_t* __restrict in = src.Row((int)sy) + (left + shift);
            uint32_t* __restrict out = dst.Row(y) + left;
            size_t n = (size_t)(right - left);
            if (alpha) {
                BlendRow(out, in, n);
            } else {
                for (size_t i = 0; i < n; ++i)
                    out[i] = in[i] | 0xFF000000u;
            }
        }
        return;
    }
    // Scaled copies map each destination column once; copies within one surface go through a temporary row.
    std::vector<int> columns((size_t)(area.right - area.left));
    for (int x = area.left; x < area.right; ++x)
        columns[(size_t)(x - area.left)] =
            same ? sr.left + (x - d.left) : sr.left + (int)((int64_t)(x - d.left) * sw / dw);
    std::vector<uint32_t> row;
    for (int y = area.top; y < area.bottom; ++y) {
        int sy = same ? sr.top + (y - d.top) : sr.top + (int)((int64_t)(y - d.top) * sh / dh);
        if (sy < 0 || sy >= src.height)
            continue;
        const uint32_t* srow = src.Row(sy);
        row.assign(dst.Row(y) + area.left, dst.Row(y) + area.right);
        for (size_t i = 0; i < columns.size(); ++i) {
            int sx = columns[i];
            if (sx < 0 || sx >= src.width)
                continue;
            uint32_t p = srow[sx];
            row[i] = alpha ? Blend(row[i], p | 0xFF000000u, p >> 24) : (p | 0xFF000000u);
        }
        std::copy(row.begin(), row.end(), dst.Row(y) + area.left);
    }
}

} // namespace morwick::display
