// Drawing on device contexts: pixels, lines, shapes, fills and blits.
#include "platform/win/Gdi.h"

#include "platform/win/GdiHandles.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace morwick::display;
using namespace morwick::gdi;

// ---- pixels and lines ----

namespace {

// Writers keep to the surface as well as the clip: a clip restored by RestoreDC may be one of a larger bitmap.
void PutPixel(DeviceContext* dc, int sx, int sy, uint32_t pixel)
{
    const RECT& c = dc->state.clip;
    if (sx >= c.left && sx < c.right && sy >= c.top && sy < c.bottom && dc->surface->Contains(sx, sy))
        dc->surface->Row(sy)[sx] = pixel;
}

void FillClipped(DeviceContext* dc, RECT r, uint32_t pixel)
{
    FillSurfaceRect(*dc->surface, IntersectRects(r, dc->state.clip), pixel);
}

// Dash patterns in pixels: on, off.
bool DashOn(int style, int step, int width)
{
    int on, off;
    switch (style) {
    case PS_DASH:
        on = 6 * width;
        off = 3 * width;
        break;
    case PS_DOT:
        on = width;
        off = width * 2;
        break;
    case PS_DASHDOT: {
        int cycle = 12 * width;
        int p = step % cycle;
        return p < 6 * width || (p >= 8 * width && p < 9 * width);
    }
    default:
        return true;
    }
    return step % (on + off) < on;
}

// A line in surface coordinates from (x0,y0) up to but excluding (x1,y1).
void SurfaceLine(DeviceContext* dc, int x0, int y0, int x1, int y1, const PenObject* pen)
{
    if (!pen || pen->style == PS_NULL || !dc->surface)
        return;
    uint32_t pixel = PixelFromColor(pen->color);
    int w = pen->width < 1 ? 1 : pen->width;
    int before = (w - 1) / 2;
    bool solid = pen->style == PS_SOLID;
    if (solid && (y0 == y1 || x0 == x1)) {
        if (y0 == y1 && x0 != x1) {
            int l = x1 > x0 ? x0 : x1 + 1, r = x1 > x0 ? x1 : x0 + 1;
            FillClipped(dc, RECT{l, y0 - before, r, y0 - before + w}, pixel);
        } else if (x0 == x1 && y0 != y1) {
            int t = y1 > y0 ? y0 : y1 + 1, b = y1 > y0 ? y1 : y0 + 1;
            FillClipped(dc, RECT{x0 - before, t, x0 - before + w, b}, pixel);
        }
        return;
    }
    int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0, y = y0, step = 0;
    while (!(x == x1 && y == y1)) {
        if (solid || DashOn(pen->style, step, w)) {
            if (w == 1)
                PutPixel(dc, x, y, pixel);
            else
                FillClipped(dc, RECT{x - before, y - before, x - before + w, y - before + w}, pixel);
        }
        ++step;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

} // namespace

COLORREF SetPixel(HDC handle, int x, int y, COLORREF color)
{
    DC_OR(CLR_INVALID)
    if (!dc->surface)
        return CLR_INVALID;
    PutPixel(dc, dc->X(x), dc->Y(y), PixelFromColor(color));
    return color & 0xFFFFFF;
}

COLORREF GetPixel(HDC handle, int x, int y)
{
    DC_OR(CLR_INVALID)
    int sx = dc->X(x), sy = dc->Y(y);
    if (!dc->surface || !dc->surface->Contains(sx, sy))
        return CLR_INVALID;
    return ColorFromPixel(dc->surface->Row(sy)[sx]);
}

BOOL MoveToEx(HDC handle, int x, int y, POINT* old)
{
    DC_OR(FALSE)
    if (old)
        *old = dc->state.position;
    dc->state.position = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC handle, int x, int y)
{
    DC_OR(FALSE)
    POINT p = dc->state.position;
    SurfaceLine(dc, dc->X(p.x), dc->Y(p.y), dc->X(x), dc->Y(y), dc->state.pen);
    dc->state.position = POINT{x, y};
    return TRUE;
}

BOOL Polyline(HDC handle, const POINT* points, int count)
{
    DC_OR(FALSE)
    if (!points || count < 2)
        return FALSE;
    for (int i = 1; i < count; ++i)
        SurfaceLine(dc, dc->X(points[i - 1].x), dc->Y(points[i - 1].y), dc->X(points[i].x), dc->Y(points[i].y),
                    dc->state.pen);
    // The closing pixel is drawn, as a polyline's last point is.
    const PenObject* pen = dc->state.pen;
    if (pen && pen->style != PS_NULL && pen->width == 1)
        PutPixel(dc, dc->X(points[count - 1].x), dc->Y(points[count - 1].y), PixelFromColor(pen->color));
    return TRUE;
}

namespace {

// A rounded shape tested on pixel centres: a centre is inside when it lies in the box and within the ellipse of
// radii rx, ry around the nearest point of the core rectangle [x0, x1] x [y0, y1]. A rounded rectangle's core is its
// box less the radii, an ellipse's its centre point.
struct RoundShape {
    RECT box;
    double rx, ry, x0, x1, y0, y1;
    bool square; // no rounding: the whole box is inside

    // The vertical part of the test on row y: the square of its centre's distance from the core, in radii.
    double RowPart(int y) const
    {
        double cy = y + 0.5;
        double c = cy < y0 ? y0 : cy > y1 ? y1 : cy;
        double ny = (cy - c) / ry;
        return ny * ny;
    }
    // Whether column x's centre is inside, on a row of the given vertical part (x within the box).
    bool Inside(int64_t x, double rowPart) const
    {
        if (square)
            return true;
        double cx = (double)x + 0.5;
        double c = cx < x0 ? x0 : cx > x1 ? x1 : cx;
        double nx = (cx - c) / rx;
        return nx * nx + rowPart <= 1.0;
    }
};

// The columns [from, to) of one row inside a shape; empty when from >= to.
struct Span {
    int from = 0, to = 0;
    bool Empty() const { return from >= to; }
};

// The least x in [lo, hi] for which in(x) holds, where in is false then true over [lo, hi] and in(hi) holds.
// Gallops out from guess, so a guess near the answer (the row above's) costs a few tests.
template <class In> int64_t FirstTrue(const In& in, int64_t lo, int64_t hi, int64_t guess)
{
    guess = std::clamp(guess, lo, hi);
    int64_t yes, no; // in(yes) holds; in(no) fails, or no is lo - 1
    if (in(guess)) {
        yes = guess;
        no = lo - 1;
        for (int64_t step = 1; yes - step >= lo; step *= 2) {
            if (!in(yes - step)) {
                no = yes - step;
                break;
            }
            yes -= step;
        }
    } else {
        no = guess;
        yes = hi;
        for (int64_t step = 1; no + step < hi; step *= 2) {
            if (in(no + step)) {
                yes = no + step;
                break;
            }
            no += step;
        }
    }
    while (yes - no > 1) {
        int64_t m = no + (yes - no) / 2;
        if (in(m))
            yes = m;
        else
            no = m;
    }
    return yes;
}

// A row of a convex shape is one run of columns: found from the middle column (or the one after, for an even
// width), then out to each end with the same inside test the shape gives every pixel.
Span RowSpan(const RoundShape& s, double rowPart, Span guess)
{
    auto in = [&](int64_t x) { return s.Inside(x, rowPart); };
    int64_t lo = s.box.left, hi = (int64_t)s.box.right - 1;
    int64_t mid = lo + (hi - lo) / 2;
    int64_t pivot = in(mid) ? mid : mid < hi && in(mid + 1) ? mid + 1 : lo - 1;
    if (pivot < lo)
        return Span{};
    int64_t from = FirstTrue(in, lo, pivot, guess.from);
    int64_t last = -FirstTrue([&](int64_t x) { return in(-x); }, -hi, -pivot, 1 - (int64_t)guess.to);
    return Span{(int)from, (int)(last + 1)};
}

// The spans of a shape's rows. Those of rows [from, to) are found once, top down: rows of one vertical part share
// a span (every row of a rounded rectangle's straight sides) and each search starts from the row above's. Any other
// row of the box is searched for when asked, so a pen wider than the drawn rows costs no table of its width.
class RowSpans {
public:
    RowSpans(const RoundShape& shape, int64_t from, int64_t to)
        : s(shape), first(std::max<int64_t>(from, shape.box.top)), last(std::min<int64_t>(to, shape.box.bottom))
    {
        table.reserve((size_t)std::max<int64_t>(last - first, 0));
        Span span = Middle();
        double part = 0;
        for (int64_t y = first; y < last; ++y) {
            double p = Part(y);
            if (y == first || p != part)
                span = RowSpan(s, p, span.Empty() ? Middle() : span);
            part = p;
            table.push_back(span);
        }
    }
    Span At(int64_t y) const
    {
        if (y >= first && y < last)
            return table[(size_t)(y - first)];
        return y < s.box.top || y >= s.box.bottom ? Span{} : RowSpan(s, Part(y), Middle());
    }

private:
    double Part(int64_t y) const { return s.square ? 0 : s.RowPart((int)y); }
    Span Middle() const
    {
        int middle = (int)(((int64_t)s.box.left + s.box.right) / 2);
        return Span{middle, middle + 1};
    }

    const RoundShape& s;
    int64_t first, last;
    std::vector<Span> table;
};

// Fills and outlines a rounded shape row by row: a pixel is the pen's when a pixel pen-width away on its row or
// column is outside, else the brush's.
void DrawRound(DeviceContext* dc, const RoundShape& s)
{
    if (!dc->surface)
        return;
    const BrushObject* brush = dc->state.brush;
    const PenObject* pen = dc->state.pen;
    bool fill = brush && !brush->hollow;
    bool outline = pen && pen->style != PS_NULL;
    int64_t w = outline ? std::max(1, pen->width) : 0;
    RECT area = IntersectRects(s.box, IntersectRects(dc->state.clip, SurfaceRect(dc->surface)));
    if (RectEmpty(area) || (!fill && !outline))
        return;
    // The rows drawn and those a pen width above and below them, while they lie close.
    int64_t reach = w <= area.bottom - area.top ? w : 0;
    RowSpans spans(s, area.top - reach, area.bottom + reach);
    uint32_t fillPixel = fill ? PixelFromColor(brush->color) : 0;
    uint32_t penPixel = outline ? PixelFromColor(pen->color) : 0;
    for (int y = area.top; y < area.bottom; ++y) {
        Span row = spans.At(y);
        if (row.Empty())
            continue;
        // The pixels whose four neighbours a pen width away are all inside.
        Span inner = row;
        if (outline) {
            Span up = spans.At(y - w), down = spans.At(y + w);
            int64_t from = std::max({row.from + w, (int64_t)up.from, (int64_t)down.from});
            int64_t to = std::min({row.to - w, (int64_t)up.to, (int64_t)down.to});
            inner = up.Empty() || down.Empty() || from >= to ? Span{} : Span{(int)from, (int)to};
        }
        uint32_t* pixels = dc->surface->Row(y);
        auto put = [&](int from, int to, uint32_t pixel) {
            from = std::max(from, (int)area.left);
            to = std::min(to, (int)area.right);
            if (from < to)
                std::fill(pixels + from, pixels + to, pixel);
        };
        if (inner.Empty()) {
            put(row.from, row.to, penPixel);
            continue;
        }
        if (outline) {
            put(row.from, inner.from, penPixel);
            put(inner.to, row.to, penPixel);
        }
        if (fill)
            put(inner.from, inner.to, fillPixel);
    }
}

} // namespace

BOOL Rectangle(HDC handle, int left, int top, int right, int bottom)
{
    DC_OR(FALSE)
    if (!dc->surface)
        return FALSE;
    RECT r = ToSurface(dc, std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom));
    const BrushObject* brush = dc->state.brush;
    const PenObject* pen = dc->state.pen;
    bool outline = pen && pen->style != PS_NULL;
    int w = outline ? std::max(1, pen->width) : 0;
    if (brush && !brush->hollow)
        FillClipped(dc, RECT{r.left + w, r.top + w, r.right - w, r.bottom - w}, PixelFromColor(brush->color));
    if (outline) {
        if (pen->style == PS_SOLID) {
            uint32_t p = PixelFromColor(pen->color);
            FillClipped(dc, RECT{r.left, r.top, r.right, r.top + w}, p);
            FillClipped(dc, RECT{r.left, r.bottom - w, r.right, r.bottom}, p);
            FillClipped(dc, RECT{r.left, r.top, r.left + w, r.bottom}, p);
            FillClipped(dc, RECT{r.right - w, r.top, r.right, r.bottom}, p);
        } else {
            SurfaceLine(dc, r.left, r.top, r.right - 1, r.top, pen);
            SurfaceLine(dc, r.right - 1, r.top, r.right - 1, r.bottom - 1, pen);
            SurfaceLine(dc, r.right - 1, r.bottom - 1, r.left, r.bottom - 1, pen);
            SurfaceLine(dc, r.left, r.bottom - 1, r.left, r.top, pen);
        }
    }
    return TRUE;
}

BOOL RoundRect(HDC handle, int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight)
{
    DC_OR(FALSE)
    RECT r = ToSurface(dc, std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom));
    // In doubles: a box wider than an int reaches, or a radius of INT_MIN, must not overflow.
    double rx = std::min(std::abs((double)ellipseWidth) / 2, ((double)r.right - r.left) / 2);
    double ry = std::min(std::abs((double)ellipseHeight) / 2, ((double)r.bottom - r.top) / 2);
    DrawRound(dc, RoundShape{r, rx, ry, r.left + rx, r.right - rx, r.top + ry, r.bottom - ry, rx <= 0 || ry <= 0});
    return TRUE;
}

BOOL Ellipse(HDC handle, int left, int top, int right, int bottom)
{
    DC_OR(FALSE)
    RECT r = ToSurface(dc, std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom));
    double cx = ((double)r.left + r.right) / 2, cy = ((double)r.top + r.bottom) / 2;
    double rx = ((double)r.right - r.left) / 2, ry = ((double)r.bottom - r.top) / 2;
    if (rx <= 0 || ry <= 0)
        return TRUE;
    DrawRound(dc, RoundShape{r, rx, ry, cx, cx, cy, cy, false});
    return TRUE;
}

BOOL Polygon(HDC handle, const POINT* points, int count)
{
    DC_OR(FALSE)
    if (!points || count < 2 || !dc->surface)
        return FALSE;
    std::vector<POINT> p((size_t)count);
    for (int i = 0; i < count; ++i)
        p[(size_t)i] = POINT{dc->X(points[i].x), dc->Y(points[i].y)};
    const BrushObject* brush = dc->state.brush;
    if (brush && !brush->hollow && count >= 3) {
        uint32_t pixel = PixelFromColor(brush->color);
        int minY = p[0].y, maxY = p[0].y;
        for (const POINT& q : p) {
            minY = std::min(minY, (int)q.y);
            maxY = std::max(maxY, (int)q.y);
        }
        minY = std::max(minY, (int)dc->state.clip.top);
        maxY = std::min(maxY, (int)dc->state.clip.bottom - 1);
        std::vector<double> xs;
        for (int y = minY; y <= maxY; ++y) {
            double cy = y + 0.5;
            xs.clear();
            for (int i = 0; i < count; ++i) {
                const POINT& a = p[(size_t)i];
                const POINT& b = p[(size_t)((i + 1) % count)];
                if ((a.y <= cy && b.y > cy) || (b.y <= cy && a.y > cy))
                    xs.push_back(a.x + (cy - a.y) * (double)(b.x - a.x) / (double)(b.y - a.y));
            }
            std::sort(xs.begin(), xs.end());
            for (size_t k = 0; k + 1 < xs.size(); k += 2) {
                int x0 = (int)std::ceil(xs[k] - 0.5), x1 = (int)std::ceil(xs[k + 1] - 0.5);
                FillClipped(dc, RECT{x0, y, x1, y + 1}, pixel);
            }
        }
    }
    for (int i = 0; i < count; ++i) {
        const POINT& a = p[(size_t)i];
        const POINT& b = p[(size_t)((i + 1) % count)];
        SurfaceLine(dc, a.x, a.y, b.x, b.y, dc->state.pen);
    }
    return TRUE;
}

int FillRect(HDC handle, const RECT* rect, HBRUSH brush)
{
    DC_OR(0)
    GdiObject* o = ObjectFromHandle(brush);
    if (!rect || !o || o->kind != GdiKind::Brush || !dc->surface)
        return 0;
    auto* b = static_cast<BrushObject*>(o);
    if (!b->hollow)
        FillClipped(dc, ToSurface(dc, rect->left, rect->top, rect->right, rect->bottom), PixelFromColor(b->color));
    return 1;
}

int FrameRect(HDC handle, const RECT* rect, HBRUSH brush)
{
    DC_OR(0)
    GdiObject* o = ObjectFromHandle(brush);
    if (!rect || !o || o->kind != GdiKind::Brush || !dc->surface)
        return 0;
    auto* b = static_cast<BrushObject*>(o);
    if (b->hollow)
        return 1;
    uint32_t p = PixelFromColor(b->color);
    RECT r = ToSurface(dc, rect->left, rect->top, rect->right, rect->bottom);
    FillClipped(dc, RECT{r.left, r.top, r.right, r.top + 1}, p);
    FillClipped(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, p);
    FillClipped(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, p);
    FillClipped(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, p);
    return 1;
}

BOOL PatBlt(HDC handle, int x, int y, int width, int height, DWORD rop)
{
    DC_OR(FALSE)
    if (!dc->surface)
        return FALSE;
    RECT r = ToSurface(dc, x, y, x + width, y + height);
    if (rop == BLACKNESS)
        FillClipped(dc, r, 0xFF000000u);
    else if (rop == WHITENESS)
        FillClipped(dc, r, 0xFFFFFFFFu);
    else if (dc->state.brush && !dc->state.brush->hollow)
        FillClipped(dc, r, PixelFromColor(dc->state.brush->color));
    return TRUE;
}

namespace {

BOOL Blit(HDC dstHandle, int x, int y, int width, int height, HDC srcHandle, int srcX, int srcY, int srcWidth,
          int srcHeight, DWORD rop, bool alpha)
{
    DeviceContext* dst = DcFromHandle(dstHandle);
    if (!dst || !dst->surface)
        return FALSE;
    if (rop == BLACKNESS || rop == WHITENESS || rop == PATCOPY)
        return PatBlt(dstHandle, x, y, width, height, rop);
    DeviceContext* src = DcFromHandle(srcHandle);
    if (!src || !src->surface)
        return FALSE;
    RECT d = ToSurface(dst, x, y, x + width, y + height);
    RECT s = ToSurface(src, srcX, srcY, srcX + srcWidth, srcY + srcHeight);
    if (rop == SRCCOPY || alpha) {
        if (src->surface == dst->surface) {
            Surface copy = *src->surface; // overlapping scroll within one surface
            BlitSurface(*dst->surface, dst->state.clip, d, copy, s, alpha);
        } else {
            BlitSurface(*dst->surface, dst->state.clip, d, *src->surface, s, alpha);
        }
        return TRUE;
    }
    // Bitwise operations, same size only.
    RECT area = IntersectRects(d, IntersectRects(dst->state.clip, SurfaceRect(dst->surface)));
    for (int py = area.top; py < area.bottom; ++py)
        for (int px = area.left; px < area.right; ++px) {
            int sx = s.left + (px - d.left), sy = s.top + (py - d.top);
            if (!src->surface->Contains(sx, sy))
                continue;
            uint32_t sp = src->surface->Row(sy)[sx];
            uint32_t& dp = dst->surface->Row(py)[px];
            dp = (rop == SRCAND ? (dp & sp) : rop == SRCPAINT ? (dp | sp) : sp) | 0xFF000000u;
        }
    return TRUE;
}

} // namespace

BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop)
{
    return Blit(dst, x, y, width, height, src, srcX, srcY, width, height, rop, false);
}

BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth, int srcHeight,
                DWORD rop)
{
    return Blit(dst, x, y, width, height, src, srcX, srcY, srcWidth, srcHeight, rop, false);
}

BOOL AlphaBlit(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth, int srcHeight)
{
    return Blit(dst, x, y, width, height, src, srcX, srcY, srcWidth, srcHeight, SRCCOPY, true);
}
