// The window records: lookups, invalidation and the top-level stack with activation.
#include "platform/win/WindowTable.h"

#include "platform/win/Sync.h"

#include <algorithm>

using namespace morwick::display;

namespace morwick::windows {

DeskState& Desk()
{
    static auto* desk = new DeskState();
    return *desk;
}

Window* Find(HWND hwnd)
{
    auto& w = Desk().windows;
    auto it = w.find(hwnd);
    return it == w.end() || it->second->destroying ? nullptr : it->second.get();
}

Window* TopOf(Window* w)
{
    while (w && w->parent)
        w = Find(w->parent);
    return w;
}

// Offset of the window's client origin inside its top-level window.
POINT OffsetInTop(Window* w)
{
    POINT p{0, 0};
    while (w && w->parent) {
        p.x += w->rect.left;
        p.y += w->rect.top;
        w = Find(w->parent);
    }
    return p;
}

bool EffectivelyVisible(Window* w)
{
    for (; w; w = w->parent ? Find(w->parent) : nullptr) {
        if (!w->visible)
            return false;
        if (!w->parent)
            return true;
    }
    return false;
}

void MarkDirty()
{
    Desk().screenDirty = true;
}

void Wake()
{
    std::lock_guard<std::mutex> guard(WaitLock());
    WakeWaiters();
}

void InvalidateLocked(Window* w, const RECT* r)
{
    // A window with its backing released is painted whole when it shows again.
    if (Window* t = TopOf(w); t && t->backingReleased)
        return;
    RECT all{0, 0, Width(w->rect), Height(w->rect)};
    RECT add = r ? IntersectRects(*r, all) : all;
    if (RectEmpty(add))
        return;
    if (w->hasInvalid) {
        w->invalid = RECT{std::min(w->invalid.left, add.left), std::min(w->invalid.top, add.top),
                          std::max(w->invalid.right, add.right), std::max(w->invalid.bottom, add.bottom)};
    } else {
        w->invalid = add;
        w->hasInvalid = true;
    }
    // Children under the invalid area are drawn again after their parent.
    for (HWND c : w->children)
        if (Window* cw = Find(c)) {
            RECT inChild{add.left - cw->rect.left, add.top - cw->rect.top, add.right - cw->rect.left,
                         add.bottom - cw->rect.top};
            InvalidateLocked(cw, &inChild);
        }
}

void ResizeBacking(Window* w)
{
    if (w->parent || w->backingReleased)
        return;
    // Top-level windows are screen-sized; a wild size must not exhaust memory.
    int bw = std::clamp(Width(w->rect), 0, 4096), bh = std::clamp(Height(w->rect), 0, 4096);
    if (w->backing.width != bw || w->backing.height != bh)
        w->backing.Resize(bw, bh, (w->exStyle & WS_EX_LAYERED) ? 0x00000000u : 0xFF000000u);
}

size_t FirstShownLocked(int w, int h)
{
    auto& st = Desk().stack;
    for (size_t i = st.size(); i-- > 0;) {
        Window* win = Find(st[i]);
        if (win && win->visible && !(win->exStyle & WS_EX_LAYERED) && win->rect.left <= 0 &&
            win->rect.top <= STATUS_STRIP_HEIGHT && win->rect.right >= w && win->rect.bottom >= h)
            return i;
    }
    return 0;
}

namespace {

// Nothing of the window or its children waits to be painted.
void ForgetInvalid(Window* w)
{
    if (!w)
        return;
    w->hasInvalid = false;
    w->painting = RECT{0, 0, 0, 0};
    for (HWND c : w->children)
        ForgetInvalid(Find(c));
}

bool AnyInvalid(Window* w)
{
    if (!w)
        return false;
    if (w->hasInvalid)
        return true;
    for (HWND c : w->children)
        if (AnyInvalid(Find(c)))
            return true;
    return false;
}

} // namespace

void ReleaseCoveredLocked()
{
    // A screen of windows stacked over each other holds one backing (about 1.3 MB) for the one in front only.
    auto& st = Desk().stack;
    size_t first = FirstShownLocked(ScreenWidth(), ScreenHeight());
    for (size_t i = 0; i < first; ++i) {
        Window* win = Find(st[i]);
        if (!win || win->backingReleased)
            continue;
        win->backing = Surface();
        win->backingReleased = true;
        win->backingPending = false;
        ForgetInvalid(win);
    }
}

bool RestoreShownLocked(size_t first)
{
    auto& st = Desk().stack;
    bool painted = true;
    for (size_t i = first; i < st.size(); ++i) {
        Window* win = Find(st[i]);
        if (!win || !win->visible)
            continue;
        if (win->backingReleased) {
            win->backingReleased = false;
            ResizeBacking(win);
            InvalidateLocked(win, nullptr);
            win->backingPending = true;
        }
        if (win->backingPending && AnyInvalid(win))
            painted = false;
        else
            win->backingPending = false;
    }
    // The paint comes on the composing thread's next look at its queue.
    return painted;
}

// The topmost visible top-level window that may be active.
HWND TopCandidateLocked()
{
    auto& st = Desk().stack;
    for (auto it = st.rbegin(); it != st.rend(); ++it) {
        Window* w = Find(*it);
        if (w && w->visible && !(w->exStyle & WS_EX_NOACTIVATE))
            return *it;
    }
    return nullptr;
}

void ActivateTo(HWND next)
{
    HWND old;
    {
        Guard g(Desk().lock);
        old = Desk().active;
        if (old == next)
            return;
        Desk().active = next;
        if (Desk().focus && TopOf(Find(Desk().focus)) != Find(next))
            Desk().focus = next;
    }
    if (old && IsWindow(old))
        SendMessage(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), (LPARAM)next);
    if (next && IsWindow(next)) {
        SendMessage(next, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), (LPARAM)old);
        Guard g(Desk().lock);
        if (!Desk().focus || !Find(Desk().focus))
            Desk().focus = next;
    }
}

// Activation follows the stack: the topmost visible window is the active one.
void UpdateActivation()
{
    HWND next;
    {
        Guard g(Desk().lock);
        next = TopCandidateLocked();
    }
    ActivateTo(next);
}

void RaiseLocked(HWND hwnd)
{
    auto& st = Desk().stack;
    auto it = std::find(st.begin(), st.end(), hwnd);
    if (it == st.end())
        return;
    st.erase(it);
    // Topmost windows stay above the others.
    Window* w = Find(hwnd);
    if (w && (w->exStyle & WS_EX_TOPMOST)) {
        st.push_back(hwnd);
        return;
    }
    auto pos = st.end();
    while (pos != st.begin()) {
        Window* below = Find(*(pos - 1));
        if (below && (below->exStyle & WS_EX_TOPMOST))
            --pos;
        else
            break;
    }
    st.insert(pos, hwnd);
}

HWND DeepestChildAt(Window* w, POINT p)
{
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
        Window* c = Find(*it);
        if (c && c->visible && PtInRect(&c->rect, p)) {
            POINT q{p.x - c->rect.left, p.y - c->rect.top};
            return DeepestChildAt(c, q);
        }
    }
    return w->hwnd;
}

ScreenFrame& Frame()
{
    static auto* f = new ScreenFrame();
    return *f;
}

std::atomic<DWORD> guiThread{0};

void InstallPaintSource()
{
    static std::once_flag once;
    std::call_once(once, [] { SetPaintMessageSource(PaintSource); });
}

} // namespace morwick::windows
