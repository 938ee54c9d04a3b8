// Painting: invalid areas, WM_PAINT through the queue, BeginPaint/EndPaint and window DCs.
#include "platform/win/WinUser.h"

#include "platform/win/Thread.h"
#include "platform/win/WindowTable.h"

#include <algorithm>

using namespace morwick::display;
using namespace morwick::windows;

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL)
{
    {
        Guard g(Desk().lock);
        Window* w = Find(hwnd);
        if (!w)
            return FALSE;
        InvalidateLocked(w, rect);
    }
    Wake();
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT*)
{
    Guard g(Desk().lock);
    Window* w = Find(hwnd);
    if (!w)
        return FALSE;
    w->hasInvalid = false;
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL)
{
    Guard g(Desk().lock);
    Window* w = Find(hwnd);
    if (!w || !w->hasInvalid) {
        if (rect)
            *rect = RECT{0, 0, 0, 0};
        return FALSE;
    }
    if (rect)
        *rect = w->invalid;
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd)
{
    bool need;
    {
        Guard g(Desk().lock);
        Window* w = Find(hwnd);
        if (!w)
            return FALSE;
        need = w->hasInvalid && EffectivelyVisible(w);
        if (need) {
            w->painting = w->invalid;
            w->hasInvalid = false;
        }
    }
    if (need)
        SendMessage(hwnd, WM_PAINT, 0, 0);
    // Children are brought up to date too, parents first.
    std::vector<HWND> kids;
    {
        Guard g(Desk().lock);
        if (Window* w = Find(hwnd))
            kids = w->children;
    }
    for (HWND c : kids)
        UpdateWindow(c);
    return TRUE;
}

namespace {

// A DC over the window's area of its top-level backing, limited to the window and its ancestors.
HDC WindowDC(Window* w, const RECT* clipClient)
{
    Window* t = TopOf(w);
    if (!t)
        return nullptr;
    POINT o = OffsetInTop(w);
    RECT limit{o.x, o.y, o.x + Width(w->rect), o.y + Height(w->rect)};
    // Clip to every ancestor's client area.
    for (Window* a = w->parent ? Find(w->parent) : nullptr; a; a = a->parent ? Find(a->parent) : nullptr) {
        POINT ao = OffsetInTop(a);
        limit = IntersectRects(limit, RECT{ao.x, ao.y, ao.x + Width(a->rect), ao.y + Height(a->rect)});
    }
    if (clipClient)
        limit = IntersectRects(limit, RECT{o.x + clipClient->left, o.y + clipClient->top, o.x + clipClient->right,
                                           o.y + clipClient->bottom});
    return MakeSurfaceDC(&t->backing, o, limit, w);
}

} // namespace

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps)
{
    Guard g(Desk().lock);
    Window* w = Find(hwnd);
    if (!w || !ps)
        return nullptr;
    RECT area = w->painting;
    if (w->hasInvalid) { // drawn now as well
        area = RectEmpty(area) ? w->invalid
                               : RECT{std::min(area.left, w->invalid.left), std::min(area.top, w->invalid.top),
                                      std::max(area.right, w->invalid.right), std::max(area.bottom, w->invalid.bottom)};
        w->hasInvalid = false;
    }
    w->painting = RECT{0, 0, 0, 0};
    ps->rcPaint = area;
    ps->fErase = TRUE;
    ps->hdc = WindowDC(w, &area);
    return ps->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps)
{
    if (ps && ps->hdc)
        FreeDC(ps->hdc);
    Guard g(Desk().lock);
    (void)hwnd;
    MarkDirty();
    return TRUE;
}

HDC GetDC(HWND hwnd)
{
    Guard g(Desk().lock);
    if (!hwnd) {
        // The screen itself: what is drawn lasts until the next composition.
        static Surface* scratch = new Surface();
        std::lock_guard<std::mutex> f(Frame().lock);
        *scratch = Frame().frame;
        return MakeSurfaceDC(scratch, POINT{0, 0}, RECT{0, 0, scratch->width, scratch->height}, nullptr);
    }
    Window* w = Find(hwnd);
    if (!w)
        return nullptr;
    return WindowDC(w, nullptr);
}

int ReleaseDC(HWND, HDC dc)
{
    if (!DcFromHandle(dc))
        return 0;
    FreeDC(dc);
    {
        Guard g(Desk().lock);
        MarkDirty();
    }
    // Drawing outside painting shows at once (the caption bar's activity line).
    if (GuiThreadId() == GetCurrentThreadId())
        ComposeScreen();
    return 1;
}

namespace morwick::windows {

bool FilterAccepts(UINT minMessage, UINT maxMessage)
{
    return (minMessage == 0 && maxMessage == 0) || (WM_PAINT >= minMessage && WM_PAINT <= maxMessage);
}

bool FindPaintLocked(Window* w, DWORD threadId, HWND filter, HWND* found)
{
    if (!w || !w->visible)
        return false;
    if (w->thread == threadId && w->hasInvalid && (!filter || filter == w->hwnd)) {
        *found = w->hwnd;
        return true;
    }
    for (HWND c : w->children)
        if (FindPaintLocked(Find(c), threadId, filter, found))
            return true;
    return false;
}

BOOL PaintSource(DWORD threadId, HWND filter, UINT minMessage, UINT maxMessage, BOOL remove, LPMSG msg)
{
    if (filter == HWND_THREAD_ONLY || !FilterAccepts(minMessage, maxMessage))
        return FALSE;
    // A second look after composing: a window that shows again is given its backing there, to be painted now.
    for (int look = 0; look < 2; ++look) {
        HWND found = nullptr;
        {
            Guard g(Desk().lock);
            // What the user sees first: the topmost windows are painted before those they cover.
            for (auto it = Desk().stack.rbegin(); it != Desk().stack.rend(); ++it)
                if (FindPaintLocked(Find(*it), threadId, filter, &found))
                    break;
            if (found && remove) {
                Window* w = Find(found);
                w->painting = w->invalid;
                w->hasInvalid = false;
            }
        }
        if (found) {
            *msg = MSG{found, WM_PAINT, 0, 0, GetMessageClock(), POINT{0, 0}};
            return TRUE;
        }
        if (threadId != GuiThreadId() || look > 0)
            return FALSE;
        // Nothing left to paint: show the result. No drawing is under way here, so the backings nothing shows of
        // can go.
        {
            Guard g(Desk().lock);
            ReleaseCoveredLocked();
        }
        ComposeScreen();
    }
    return FALSE;
}

} // namespace morwick::windows
