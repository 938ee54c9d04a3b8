// GDI objects (pens, brushes, fonts, bitmaps), device contexts with their state, and clipping.
#include "platform/win/Gdi.h"

#include "platform/win/DeviceContext.h"
#include "platform/win/FontEngine.h"
#include "platform/win/GdiHandles.h"
#include "platform/win/LastError.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>

using namespace morwick::display;
using namespace morwick::gdi;

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
