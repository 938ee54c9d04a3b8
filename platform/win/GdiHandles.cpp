// Live GDI handles, stock objects and DCs over surfaces.
#include "platform/win/GdiHandles.h"

namespace morwick::gdi {

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

GdiObject* ObjectFromHandle(HGDIOBJ handle)
{
    if (!handle)
        return nullptr;
    std::lock_guard<std::mutex> guard(HandleLock());
    return LiveObjects().count(handle) ? reinterpret_cast<GdiObject*>(handle) : nullptr;
}

static PenObject* MakeStockPen(int style, COLORREF color)
{
    auto* p = new PenObject();
    p->style = style;
    p->color = color;
    p->stock = true;
    return Register(p);
}
static BrushObject* MakeStockBrush(bool hollow, COLORREF color)
{
    auto* b = new BrushObject();
    b->hollow = hollow;
    b->color = color;
    b->stock = true;
    return Register(b);
}

StockObjects::StockObjects()
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

RECT ToSurface(const DeviceContext* dc, int l, int t, int r, int b)
{
    return RECT{dc->X(l), dc->Y(t), dc->X(r), dc->Y(b)};
}

} // namespace morwick::gdi

using namespace morwick::gdi;

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

} // namespace morwick::display
