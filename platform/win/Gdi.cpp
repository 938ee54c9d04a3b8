// GDI objects, device contexts, shapes and blits on the software framebuffer.
#include "platform/win/Gdi.h"

#include "platform/display/DeviceContext.h"
#include "platform/display/FontEngine.h"
#include "platform/win/LastError.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <functional>
#include <map>
#include <tuple>
#include <unordered_set>

using namespace morwick::display;

namespace {

// Live handles, so that a stale or foreign handle is refused instead of followed.
std::mutex& HandleLock()
{
    static std::mutex lock;
    return lock;
}
std::unordered_set<const void*>& LiveObjects()
{
    static auto* set = new std::unordered_set<const void*>();
    return *set;
}
std::unordered_set<const void*>& LiveDcs()
{
    static auto* set = new std::unordered_set<const void*>();
    return *set;
}

template <class T> T* Register(T* object)
{
    std::lock_guard<std::mutex> guard(HandleLock());
    LiveObjects().insert(object);
    return object;
}

GdiObject* ObjectFromHandle(HGDIOBJ handle)
{
    if (!handle)
        return nullptr;
    std::lock_guard<std::mutex> guard(HandleLock());
    return LiveObjects().count(handle) ? reinterpret_cast<GdiObject*>(handle) : nullptr;
}

PenObject* MakeStockPen(int style, COLORREF color)
{
    auto* p = new PenObject();
    p->style = style;
    p->color = color;
    p->stock = true;
    return Register(p);
}
BrushObject* MakeStockBrush(bool hollow, COLORREF color)
{
    auto* b = new BrushObject();
    b->hollow = hollow;
    b->color = color;
    b->stock = true;
    return Register(b);
}

struct StockObjects {
    BrushObject* brushes[6];
    PenObject* pens[3];
    FontObject* systemFont;
    StockObjects()
    {
        brushes[0] = MakeStockBrush(false, RGB(255, 255, 255));
        brushes[1] = MakeStockBrush(false, RGB(192, 192, 192));
        brushes[2] = MakeStockBrush(false, RGB(128, 128, 128));
        brushes[3] = MakeStockBrush(false, RGB(64, 64, 64));
        brushes[4] = MakeStockBrush(false, RGB(0, 0, 0));
        brushes[5] = MakeStockBrush(true, 0);
        pens[0] = MakeStockPen(PS_SOLID, RGB(255, 255, 255));
        pens[1] = MakeStockPen(PS_SOLID, RGB(0, 0, 0));
        pens[2] = MakeStockPen(PS_NULL, 0);
        systemFont = reinterpret_cast<FontObject*>(CreateMzFont(24, FW_NORMAL, FALSE));
    }
};
StockObjects& Stock()
{
    static StockObjects* stock = new StockObjects();
    return *stock;
}

void InitState(DcState& st, const RECT& clip)
{
    st = DcState();
    st.pen = Stock().pens[1];
    st.brush = Stock().brushes[0];
    st.font = Stock().systemFont;
    st.clip = clip;
}

RECT SurfaceRect(const Surface* s)
{
    return s ? RECT{0, 0, s->width, s->height} : RECT{0, 0, 0, 0};
}

} // namespace

namespace morwick::display {

HDC MakeSurfaceDC(Surface* surface, POINT origin, RECT limit, void* owner)
{
    auto* dc = new DeviceContext();
    dc->surface = surface;
    dc->origin = origin;
    dc->limit = IntersectRects(limit, SurfaceRect(surface));
    dc->owner = owner;
    InitState(dc->state, dc->limit);
    std::lock_guard<std::mutex> guard(HandleLock());
    LiveDcs().insert(dc);
    return reinterpret_cast<HDC>(dc);
}

DeviceContext* DcFromHandle(HDC handle)
{
    if (!handle)
        return nullptr;
    std::lock_guard<std::mutex> guard(HandleLock());
    return LiveDcs().count(handle) ? reinterpret_cast<DeviceContext*>(handle) : nullptr;
}

void FreeDC(HDC handle)
{
    DeviceContext* dc = DcFromHandle(handle);
    if (!dc)
        return;
    {
        std::lock_guard<std::mutex> guard(HandleLock());
        LiveDcs().erase(dc);
    }
    if (dc->bitmap)
        dc->bitmap->selectedCount--;
    delete dc;
}

BitmapObject* BitmapFromHandle(HGDIOBJ handle)
{
    GdiObject* o = ObjectFromHandle(handle);
    return o && o->kind == GdiKind::Bitmap ? static_cast<BitmapObject*>(o) : nullptr;
}

namespace {

// Sets n pixels; the C library's wide fill stores a whole vector register at a time.
void FillPixels(uint32_t* out, uint32_t pixel, size_t n)
{
    static_assert(sizeof(wchar_t) == sizeof(uint32_t), "pixels are filled as wide characters");
    std::wmemset(reinterpret_cast<wchar_t*>(out), static_cast<wchar_t>(pixel), n);
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
                for (size_t i = 0; i < n; ++i)
                    out[i] = Blend(out[i], in[i] | 0xFF000000u, in[i] >> 24);
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
        columns[(size_t)(x - area.left)] = same ? sr.left + (x - d.left) : sr.left + (int)((int64_t)(x - d.left) * sw / dw);
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

// ---- objects ----

HGDIOBJ GetStockObject(int index)
{
    StockObjects& s = Stock();
    if (index >= WHITE_BRUSH && index <= NULL_BRUSH)
        return reinterpret_cast<HGDIOBJ>(s.brushes[index]);
    if (index >= WHITE_PEN && index <= NULL_PEN)
        return reinterpret_cast<HGDIOBJ>(s.pens[index - WHITE_PEN]);
    if (index == SYSTEM_FONT || index == DEFAULT_GUI_FONT)
        return reinterpret_cast<HGDIOBJ>(s.systemFont);
    return nullptr;
}

HPEN CreatePen(int style, int width, COLORREF color)
{
    auto* p = new PenObject();
    p->style = style;
    p->width = width < 1 ? 1 : width;
    p->color = color & 0xFFFFFF;
    return reinterpret_cast<HPEN>(Register(p));
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto* b = new BrushObject();
    b->color = color & 0xFFFFFF;
    return reinterpret_cast<HBRUSH>(Register(b));
}

HFONT CreateFontIndirectW(const LOGFONTW* lf)
{
    if (!lf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* f = new FontObject();
    f->logFont = *lf;
    int h = lf->lfHeight < 0 ? -lf->lfHeight : lf->lfHeight;
    if (h == 0)
        h = 24;
    f->face = FontEngine::Instance().Face(h, lf->lfWeight ? lf->lfWeight : FW_NORMAL);
    return reinterpret_cast<HFONT>(Register(f));
}

HFONT CreateMzFont(int height, int weight, BOOL underline)
{
    static std::mutex lock;
    static auto* cache = new std::map<std::tuple<int, int, bool>, FontObject*>();
    if (height < 1)
        height = 1;
    int w = weight >= 700 ? 700 : weight >= 600 ? 600 : 400;
    std::lock_guard<std::mutex> guard(lock);
    auto key = std::make_tuple(height, w, underline != 0);
    auto it = cache->find(key);
    if (it != cache->end())
        return reinterpret_cast<HFONT>(it->second);
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = w;
    lf.lfUnderline = underline ? 1 : 0;
    auto* f = reinterpret_cast<FontObject*>(CreateFontIndirectW(&lf));
    f->stock = true;
    (*cache)[key] = f;
    return reinterpret_cast<HFONT>(f);
}

HBITMAP CreateDIBSection32(int width, int height, void** bits)
{
    // Tall off-screen bitmaps (a long list drawn once) are fine; a wild size is refused, not attempted.
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535 || (int64_t)width * height > (int64_t)32 << 20) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* b = new BitmapObject();
    b->surface.Resize(width, height, 0xFF000000u);
    if (bits)
        *bits = b->surface.pixels.data();
    return reinterpret_cast<HBITMAP>(Register(b));
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height)
{
    return CreateDIBSection32(width, height, nullptr);
}

int GetObjectW(HGDIOBJ handle, int size, LPVOID out)
{
    GdiObject* o = ObjectFromHandle(handle);
    if (!o)
        return 0;
    if (o->kind == GdiKind::Bitmap && out && size >= (int)sizeof(BITMAP)) {
        auto* b = static_cast<BitmapObject*>(o);
        BITMAP bm{0, b->surface.width, b->surface.height, b->surface.width * 4, 1, 32, b->surface.pixels.data()};
        std::memcpy(out, &bm, sizeof bm);
        return sizeof bm;
    }
    if (o->kind == GdiKind::Font && out && size >= (int)sizeof(LOGFONTW)) {
        std::memcpy(out, &static_cast<FontObject*>(o)->logFont, sizeof(LOGFONTW));
        return sizeof(LOGFONTW);
    }
    return 0;
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object)
{
    DeviceContext* dc = DcFromHandle(handle);
    GdiObject* o = ObjectFromHandle(object);
    if (!dc || !o)
        return nullptr;
    DcState& st = dc->state;
    switch (o->kind) {
    case GdiKind::Pen: {
        HGDIOBJ old = reinterpret_cast<HGDIOBJ>(st.pen);
        st.pen = static_cast<PenObject*>(o);
        return old;
    }
    case GdiKind::Brush: {
        HGDIOBJ old = reinterpret_cast<HGDIOBJ>(st.brush);
        st.brush = static_cast<BrushObject*>(o);
        return old;
    }
    case GdiKind::Font: {
        HGDIOBJ old = reinterpret_cast<HGDIOBJ>(st.font);
        st.font = static_cast<FontObject*>(o);
        return old;
    }
    case GdiKind::Bitmap: {
        if (!dc->memoryDc)
            return nullptr;
        auto* b = static_cast<BitmapObject*>(o);
        HGDIOBJ old = dc->bitmap ? reinterpret_cast<HGDIOBJ>(dc->bitmap) : nullptr;
        if (dc->bitmap)
            dc->bitmap->selectedCount--;
        dc->bitmap = b;
        b->selectedCount++;
        dc->surface = &b->surface;
        dc->limit = SurfaceRect(dc->surface);
        st.clip = dc->limit;
        return old ? old : reinterpret_cast<HGDIOBJ>(1); // the default bitmap has no handle of its own
    }
    case GdiKind::Region:
        SelectClipRgn(handle, object);
        return reinterpret_cast<HGDIOBJ>(SIMPLEREGION);
    }
    return nullptr;
}

BOOL DeleteObject(HGDIOBJ handle)
{
    GdiObject* o = ObjectFromHandle(handle);
    if (!o)
        return FALSE;
    if (o->stock)
        return TRUE;
    // A bitmap still selected into a memory DC is kept, as the real call refuses it.
    if (o->kind == GdiKind::Bitmap && o->selectedCount > 0)
        return FALSE;
    {
        std::lock_guard<std::mutex> guard(HandleLock());
        LiveObjects().erase(o);
    }
    // DCs that still hold a deleted pen, brush or font fall back to the stock ones.
    {
        std::lock_guard<std::mutex> guard(HandleLock());
        for (const void* p : LiveDcs()) {
            auto* dc = const_cast<DeviceContext*>(static_cast<const DeviceContext*>(p));
            auto fix = [&](DcState& st) {
                if (st.pen == o)
                    st.pen = Stock().pens[1];
                if (st.brush == o)
                    st.brush = Stock().brushes[0];
                if (st.font == o)
                    st.font = Stock().systemFont;
            };
            fix(dc->state);
            for (DcState& st : dc->saved)
                fix(st);
        }
    }
    delete o;
    return TRUE;
}

// ---- device contexts ----

HDC CreateCompatibleDC(HDC)
{
    auto* dc = new DeviceContext();
    dc->memoryDc = true;
    dc->ownSurface.Resize(1, 1, 0xFF000000u);
    dc->surface = &dc->ownSurface;
    dc->limit = SurfaceRect(dc->surface);
    InitState(dc->state, dc->limit);
    std::lock_guard<std::mutex> guard(HandleLock());
    LiveDcs().insert(dc);
    return reinterpret_cast<HDC>(dc);
}

BOOL DeleteDC(HDC handle)
{
    DeviceContext* dc = DcFromHandle(handle);
    if (!dc)
        return FALSE;
    FreeDC(handle);
    return TRUE;
}

int SaveDC(HDC handle)
{
    DeviceContext* dc = DcFromHandle(handle);
    if (!dc)
        return 0;
    dc->saved.push_back(dc->state);
    return (int)dc->saved.size();
}

BOOL RestoreDC(HDC handle, int saved)
{
    DeviceContext* dc = DcFromHandle(handle);
    if (!dc || dc->saved.empty())
        return FALSE;
    int n = (int)dc->saved.size();
    int index = saved < 0 ? n + saved : saved - 1;
    if (index < 0 || index >= n)
        return FALSE;
    dc->state = dc->saved[(size_t)index];
    dc->saved.resize((size_t)index);
    return TRUE;
}

#define DC_OR(ret)                                                                                                    \
    DeviceContext* dc = DcFromHandle(handle);                                                                         \
    if (!dc)                                                                                                          \
        return ret;

COLORREF SetTextColor(HDC handle, COLORREF c)
{
    DC_OR(CLR_INVALID)
    COLORREF old = dc->state.textColor;
    dc->state.textColor = c & 0xFFFFFF;
    return old;
}
COLORREF GetTextColor(HDC handle)
{
    DC_OR(CLR_INVALID)
    return dc->state.textColor;
}
COLORREF SetBkColor(HDC handle, COLORREF c)
{
    DC_OR(CLR_INVALID)
    COLORREF old = dc->state.bkColor;
    dc->state.bkColor = c & 0xFFFFFF;
    return old;
}
COLORREF GetBkColor(HDC handle)
{
    DC_OR(CLR_INVALID)
    return dc->state.bkColor;
}
int SetBkMode(HDC handle, int mode)
{
    DC_OR(0)
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    int old = dc->state.bkMode;
    dc->state.bkMode = mode;
    return old;
}
int GetBkMode(HDC handle)
{
    DC_OR(0)
    return dc->state.bkMode;
}
UINT SetTextAlign(HDC handle, UINT align)
{
    DC_OR(GDI_ERROR)
    UINT old = dc->state.textAlign;
    dc->state.textAlign = align;
    return old;
}
BOOL SetViewportOrgEx(HDC handle, int x, int y, POINT* old)
{
    DC_OR(FALSE)
    if (old)
        *old = dc->state.viewport;
    dc->state.viewport = POINT{x, y};
    return TRUE;
}
BOOL GetViewportOrgEx(HDC handle, POINT* out)
{
    DC_OR(FALSE)
    if (out)
        *out = dc->state.viewport;
    return TRUE;
}

// ---- clipping ----

namespace {
RECT ToSurface(const DeviceContext* dc, int l, int t, int r, int b)
{
    return RECT{dc->X(l), dc->Y(t), dc->X(r), dc->Y(b)};
}
int ClipResult(const RECT& r)
{
    return RectEmpty(r) ? NULLREGION : SIMPLEREGION;
}
} // namespace

int IntersectClipRect(HDC handle, int left, int top, int right, int bottom)
{
    DC_OR(ERROR)
    dc->state.clip = IntersectRects(dc->state.clip, ToSurface(dc, left, top, right, bottom));
    return ClipResult(dc->state.clip);
}

int ExcludeClipRect(HDC handle, int left, int top, int right, int bottom)
{
    DC_OR(ERROR)
    // Only rectangular clips exist: excluding a band along one whole edge shrinks the clip, anything else keeps it.
    RECT ex = ToSurface(dc, left, top, right, bottom);
    RECT& c = dc->state.clip;
    if (ex.left <= c.left && ex.right >= c.right) {
        if (ex.top <= c.top && ex.bottom > c.top)
            c.top = std::min(ex.bottom, c.bottom);
        else if (ex.bottom >= c.bottom && ex.top < c.bottom)
            c.bottom = std::max(ex.top, c.top);
    } else if (ex.top <= c.top && ex.bottom >= c.bottom) {
        if (ex.left <= c.left && ex.right > c.left)
            c.left = std::min(ex.right, c.right);
        else if (ex.right >= c.right && ex.left < c.right)
            c.right = std::max(ex.left, c.left);
    }
    return ClipResult(c);
}

int GetClipBox(HDC handle, LPRECT out)
{
    DC_OR(ERROR)
    if (!out)
        return ERROR;
    const RECT& c = dc->state.clip;
    int ox = dc->origin.x + dc->state.viewport.x, oy = dc->origin.y + dc->state.viewport.y;
    *out = RECT{c.left - ox, c.top - oy, c.right - ox, c.bottom - oy};
    return ClipResult(c);
}

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    auto* r = new RegionObject();
    r->rect = RECT{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    return reinterpret_cast<HRGN>(Register(r));
}

HRGN CreateRectRgnIndirect(const RECT* rect)
{
    return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

int SelectClipRgn(HDC handle, HRGN region)
{
    DC_OR(ERROR)
    if (!region) {
        dc->state.clip = dc->limit;
        return SIMPLEREGION;
    }
    GdiObject* o = ObjectFromHandle(region);
    if (!o || o->kind != GdiKind::Region)
        return ERROR;
    // Regions are in device units, relative to the DC's own origin.
    const RECT& r = static_cast<RegionObject*>(o)->rect;
    RECT s{r.left + dc->origin.x, r.top + dc->origin.y, r.right + dc->origin.x, r.bottom + dc->origin.y};
    dc->state.clip = IntersectRects(dc->limit, s);
    return ClipResult(dc->state.clip);
}

// ---- pixels and lines ----

namespace {

void PutPixel(DeviceContext* dc, int sx, int sy, uint32_t pixel)
{
    const RECT& c = dc->state.clip;
    if (sx >= c.left && sx < c.right && sy >= c.top && sy < c.bottom)
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
    case PS_DASH: on = 6 * width; off = 3 * width; break;
    case PS_DOT: on = width; off = width * 2; break;
    case PS_DASHDOT: {
        int cycle = 12 * width;
        int p = step % cycle;
        return p < 6 * width || (p >= 8 * width && p < 9 * width);
    }
    default: return true;
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

// Fills and outlines a shape given by an inside test on pixel centres within box (surface coordinates).
void DrawShape(DeviceContext* dc, RECT box, const std::function<bool(double, double)>& inside)
{
    if (!dc->surface)
        return;
    const BrushObject* brush = dc->state.brush;
    const PenObject* pen = dc->state.pen;
    bool fill = brush && !brush->hollow;
    bool outline = pen && pen->style != PS_NULL;
    int w = outline ? std::max(1, pen->width) : 0;
    uint32_t fillPixel = fill ? PixelFromColor(brush->color) : 0;
    uint32_t penPixel = outline ? PixelFromColor(pen->color) : 0;
    RECT area = IntersectRects(box, dc->state.clip);
    for (int y = area.top; y < area.bottom; ++y) {
        double cy = y + 0.5;
        uint32_t* row = dc->surface->Row(y);
        for (int x = area.left; x < area.right; ++x) {
            double cx = x + 0.5;
            if (!inside(cx, cy))
                continue;
            bool edge = outline &&
                        (!inside(cx - w, cy) || !inside(cx + w, cy) || !inside(cx, cy - w) || !inside(cx, cy + w));
            if (edge)
                row[x] = penPixel;
            else if (fill)
                row[x] = fillPixel;
        }
    }
}

} // namespace

BOOL Rectangle(HDC handle, int left, int top, int right, int bottom)
{
    DC_OR(FALSE)
    if (!dc->surface)
        return FALSE;
    RECT r = ToSurface(dc, std::min(left, right), std::min(top, bottom), std::max(left, right),
                       std::max(top, bottom));
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
    RECT r = ToSurface(dc, std::min(left, right), std::min(top, bottom), std::max(left, right),
                       std::max(top, bottom));
    double rx = std::min(std::abs(ellipseWidth) / 2.0, (r.right - r.left) / 2.0);
    double ry = std::min(std::abs(ellipseHeight) / 2.0, (r.bottom - r.top) / 2.0);
    auto inside = [r, rx, ry](double x, double y) {
        if (x < r.left || x >= r.right || y < r.top || y >= r.bottom)
            return false;
        if (rx <= 0 || ry <= 0)
            return true;
        double cx = x < r.left + rx ? r.left + rx : x > r.right - rx ? r.right - rx : x;
        double cy = y < r.top + ry ? r.top + ry : y > r.bottom - ry ? r.bottom - ry : y;
        double nx = (x - cx) / rx, ny = (y - cy) / ry;
        return nx * nx + ny * ny <= 1.0;
    };
    DrawShape(dc, r, inside);
    return TRUE;
}

BOOL Ellipse(HDC handle, int left, int top, int right, int bottom)
{
    DC_OR(FALSE)
    RECT r = ToSurface(dc, std::min(left, right), std::min(top, bottom), std::max(left, right),
                       std::max(top, bottom));
    double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
    double rx = (r.right - r.left) / 2.0, ry = (r.bottom - r.top) / 2.0;
    if (rx <= 0 || ry <= 0)
        return TRUE;
    DrawShape(dc, r, [=](double x, double y) {
        double nx = (x - cx) / rx, ny = (y - cy) / ry;
        return nx * nx + ny * ny <= 1.0;
    });
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
    RECT area = IntersectRects(d, dst->state.clip);
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

BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop)
{
    return Blit(dst, x, y, width, height, src, srcX, srcY, srcWidth, srcHeight, rop, false);
}

BOOL AlphaBlit(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
               int srcHeight)
{
    return Blit(dst, x, y, width, height, src, srcX, srcY, srcWidth, srcHeight, SRCCOPY, true);
}

// ---- rectangles ----

BOOL SetRect(LPRECT r, int left, int top, int right, int bottom)
{
    if (!r)
        return FALSE;
    *r = RECT{left, top, right, bottom};
    return TRUE;
}
BOOL SetRectEmpty(LPRECT r)
{
    return SetRect(r, 0, 0, 0, 0);
}
BOOL CopyRect(LPRECT dst, const RECT* src)
{
    if (!dst || !src)
        return FALSE;
    *dst = *src;
    return TRUE;
}
BOOL IsRectEmpty(const RECT* r)
{
    return !r || r->right <= r->left || r->bottom <= r->top;
}
BOOL PtInRect(const RECT* r, POINT p)
{
    return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}
BOOL OffsetRect(LPRECT r, int dx, int dy)
{
    if (!r)
        return FALSE;
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
    return TRUE;
}
BOOL InflateRect(LPRECT r, int dx, int dy)
{
    if (!r)
        return FALSE;
    r->left -= dx;
    r->right += dx;
    r->top -= dy;
    r->bottom += dy;
    return TRUE;
}
BOOL IntersectRect(LPRECT dst, const RECT* a, const RECT* b)
{
    if (!dst || !a || !b)
        return FALSE;
    RECT r = IntersectRects(*a, *b);
    if (RectEmpty(r)) {
        *dst = RECT{0, 0, 0, 0};
        return FALSE;
    }
    *dst = r;
    return TRUE;
}
BOOL UnionRect(LPRECT dst, const RECT* a, const RECT* b)
{
    if (!dst || !a || !b)
        return FALSE;
    if (IsRectEmpty(a)) {
        *dst = *b;
    } else if (IsRectEmpty(b)) {
        *dst = *a;
    } else {
        *dst = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                    std::max(a->bottom, b->bottom)};
    }
    return !IsRectEmpty(dst);
}
BOOL EqualRect(const RECT* a, const RECT* b)
{
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}
