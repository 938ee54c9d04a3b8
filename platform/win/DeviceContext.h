// The inside of a device context: the surface it draws on, its origin and clip, and the selected objects.
// The window layer makes DCs over window surfaces with MakeSurfaceDC; GDI calls reach them through their HDC.
#pragma once

#include "platform/win/Gdi.h"
#include "platform/win/Surface.h"

#include <memory>
#include <mutex>
#include <vector>

namespace morwick::display {

class FontFace;

enum class GdiKind { Pen, Brush, Font, Bitmap, Region };

struct GdiObject {
    GdiKind kind;
    bool stock = false; // stock and cached objects survive DeleteObject
    int selectedCount = 0;
    explicit GdiObject(GdiKind k) : kind(k) {}
    virtual ~GdiObject() = default;
};

struct PenObject : GdiObject {
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
    PenObject() : GdiObject(GdiKind::Pen) {}
};

struct BrushObject : GdiObject {
    bool hollow = false;
    COLORREF color = 0;
    BrushObject() : GdiObject(GdiKind::Brush) {}
};

struct FontObject : GdiObject {
    LOGFONTW logFont{};
    FontFace* face = nullptr; // owned by the font engine, shared by every font of that size and weight
    FontObject() : GdiObject(GdiKind::Font) {}
};

struct BitmapObject : GdiObject {
    Surface surface;
    BitmapObject() : GdiObject(GdiKind::Bitmap) {}
};

struct RegionObject : GdiObject {
    RECT rect{};
    RegionObject() : GdiObject(GdiKind::Region) {}
};

struct DcState {
    PenObject* pen = nullptr;
    BrushObject* brush = nullptr;
    FontObject* font = nullptr;
    COLORREF textColor = 0;
    COLORREF bkColor = DEFAULT_BK_COLOR;
    int bkMode = OPAQUE;
    UINT textAlign = TA_LEFT | TA_TOP;
    POINT position{0, 0};
    POINT viewport{0, 0}; // logical (0,0) in DC coordinates
    RECT clip{};          // in surface coordinates
};

struct DeviceContext {
    Surface* surface = nullptr; // where pixels go; null for a memory DC without a bitmap
    BitmapObject* bitmap = nullptr;
    Surface ownSurface; // the 1 x 1 default bitmap of a memory DC
    POINT origin{0, 0}; // surface position of the DC's (0,0)
    RECT limit{};       // surface area the DC may touch (a window's visible rectangle)
    DcState state;
    std::vector<DcState> saved;
    bool memoryDc = false;
    void* owner = nullptr; // the window layer's tag for window DCs

    // Surface coordinates of a logical point.
    int X(int x) const { return x + origin.x + state.viewport.x; }
    int Y(int y) const { return y + origin.y + state.viewport.y; }
    RECT Clip() const { return surface ? state.clip : RECT{0, 0, 0, 0}; }
};

// Makes a DC drawing on surface, with its (0,0) at origin and never touching outside limit.
HDC MakeSurfaceDC(Surface* surface, POINT origin, RECT limit, void* owner);
DeviceContext* DcFromHandle(HDC dc);
// Frees a DC made by MakeSurfaceDC or CreateCompatibleDC.
void FreeDC(HDC dc);
BitmapObject* BitmapFromHandle(HGDIOBJ bitmap);

// Pixel work shared by shapes, text and images (surface coordinates, already clipped by the callers' clip).
void FillSurfaceRect(Surface& s, RECT r, uint32_t pixel);
void BlendCoverage(Surface& s, const RECT& clip, int x, int y, const uint8_t* coverage, int w, int h, int pitch,
                   uint32_t pixel);
// Copies (or blends with the source alpha) src area into dst, scaling to the destination size.
void BlitSurface(Surface& dst, const RECT& clip, RECT dstRect, const Surface& src, RECT srcRect, bool alpha);

} // namespace morwick::display
