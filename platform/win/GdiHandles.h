// The GDI layer's own records: which object and DC handles are live, the stock objects and a fresh DC's state.
// Shared by the GDI files only; callers use Gdi.h.
#pragma once

#include "platform/win/DeviceContext.h"
#include "platform/win/Gdi.h"

#include <mutex>
#include <unordered_set>

namespace morwick::gdi {

using namespace morwick::display;

// Live handles, so that a stale or foreign handle is refused instead of followed.
std::mutex& HandleLock();
std::unordered_set<const void*>& LiveObjects();
std::unordered_set<const void*>& LiveDcs();

template <class T> T* Register(T* object)
{
    std::lock_guard<std::mutex> guard(HandleLock());
    LiveObjects().insert(object);
    return object;
}

GdiObject* ObjectFromHandle(HGDIOBJ handle);

struct StockObjects {
    BrushObject* brushes[6];
    PenObject* pens[3];
    FontObject* systemFont;
    StockObjects();
};
StockObjects& Stock();

void InitState(DcState& st, const RECT& clip);
RECT SurfaceRect(const Surface* s);
// A rectangle in the DC's logical coordinates as surface coordinates.
RECT ToSurface(const DeviceContext* dc, int l, int t, int r, int b);

} // namespace morwick::gdi

#define DC_OR(ret)                                                                                                     \
    DeviceContext* dc = DcFromHandle(handle);                                                                          \
    if (!dc)                                                                                                           \
        return ret;
