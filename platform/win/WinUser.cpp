// Windows on the phone's screen: the window records, the top-level stack and activation, painting through the
// queue, window DCs, capture and focus, and the composed screen frame.
#include "platform/win/WinUser.h"

#include "platform/display/DeviceContext.h"
#include "platform/display/Desktop.h"
#include "platform/win/LastError.h"
#include "platform/win/Sync.h"
#include "platform/win/Thread.h"
#include "platform/win/Debug.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

using namespace morwick::display;

namespace {

struct Window {
    HWND hwnd = nullptr;
    std::u16string className;
    std::u16string title;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG id = 0;
    LONG userData = 0;
    HWND parent = nullptr; // child windows
    HWND owner = nullptr;  // top-level windows
    RECT rect{};           // screen coordinates (top-level) or parent client coordinates (child)
    bool visible = false;
    bool enabled = true;
    WNDPROC proc = nullptr;
    std::vector<HWND> children; // bottom to top
    Surface backing;            // top-level windows draw here
    RECT invalid{};
    bool hasInvalid = false;
    RECT painting{};            // handed out with WM_PAINT, drawn by BeginPaint
    bool destroying = false;
    bool inDestroy = false; // DestroyWindow under way (a WM_DESTROY handler may ask again)
    DWORD thread = 0;
};

struct ClassEntry {
    WNDCLASSW wc{};
    std::u16string name;
};

struct DeskState {
    std::recursive_mutex lock;
    std::map<HWND, std::unique_ptr<Window>> windows;
    std::vector<HWND> stack; // top-level windows, bottom to top
    std::map<std::u16string, ClassEntry> classes;
    HWND active = nullptr;
    HWND focus = nullptr;
    HWND capture = nullptr;
    bool screenDirty = true;
};

DeskState& Desk()
{
    static auto* desk = new DeskState();
    return *desk;
}

using Guard = std::lock_guard<std::recursive_mutex>;

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

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

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
    if (w->parent)
        return;
    // Top-level windows are screen-sized; a wild size must not exhaust memory.
    int bw = std::clamp(Width(w->rect), 0, 4096), bh = std::clamp(Height(w->rect), 0, 4096);
    if (w->backing.width != bw || w->backing.height != bh)
        w->backing.Resize(bw, bh, (w->exStyle & WS_EX_LAYERED) ? 0x00000000u : 0xFF000000u);
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

BOOL PaintSource(DWORD threadId, HWND filter, UINT minMessage, UINT maxMessage, BOOL remove, LPMSG msg);

struct ScreenFrame {
    std::mutex lock;
    Surface frame;
    DWORD orientation = 1; // DMDO_90: portrait
    std::shared_ptr<BackEnd> backEnd;
};
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

void DrawStatusStrip(Surface& s);
HWND DeepestChildAt(Window* w, POINT p);

} // namespace

// ---- classes ----

WORD RegisterClassW(const WNDCLASSW* wc)
{
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Guard g(Desk().lock);
    std::u16string name(wc->lpszClassName);
    if (Desk().classes.count(name)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    ClassEntry& e = Desk().classes[name];
    e.wc = *wc;
    e.name = name;
    e.wc.lpszClassName = e.name.c_str();
    return (WORD)(0xC000 + Desk().classes.size());
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE)
{
    if (!className)
        return FALSE;
    Guard g(Desk().lock);
    return Desk().classes.erase(std::u16string(className)) ? TRUE : FALSE;
}

BOOL GetClassInfoW(HINSTANCE, LPCWSTR className, WNDCLASSW* out)
{
    if (!className)
        return FALSE;
    Guard g(Desk().lock);
    auto it = Desk().classes.find(std::u16string(className));
    if (it == Desk().classes.end())
        return FALSE;
    if (out)
        *out = it->second.wc;
    return TRUE;
}

int GetClassNameW(HWND hwnd, LPWSTR name, int size)
{
    Guard g(Desk().lock);
    Window* w = Find(hwnd);
    if (!w || !name || size <= 0)
        return 0;
    int n = std::min((int)w->className.size(), size - 1);
    std::copy(w->className.begin(), w->className.begin() + n, name);
    name[n] = 0;
    return n;
}

// ---- creation and destruction ----

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int width,
                     int height, HWND parent, HANDLE menu, HINSTANCE instance, LPVOID param)
{
    if (!className) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    InstallPaintSource();
    AttachGuiThread();
    WNDCLASSW wc;
    if (!GetClassInfoW(instance, className, &wc)) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    bool child = (style & WS_CHILD) != 0;
    if (child && !IsWindow(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (x == CW_USEDEFAULT)
        x = 0, y = 0;
    if (width == CW_USEDEFAULT)
        width = ScreenWidth(), height = ScreenHeight();
    HWND hwnd = AllocWindowHandle(wc.lpfnWndProc, nullptr);
    if (!hwnd)
        return nullptr;
    {
        Guard g(Desk().lock);
        auto w = std::make_unique<Window>();
        w->hwnd = hwnd;
        w->className = className;
        w->title = title ? title : u"";
        w->style = style & ~WS_VISIBLE;
        w->exStyle = exStyle;
        w->id = child ? (LONG)(intptr_t)menu : 0;
        w->rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
        w->enabled = !(style & WS_DISABLED);
        w->proc = wc.lpfnWndProc;
        w->thread = GetCurrentThreadId();
        if (child) {
            w->parent = parent;
            Find(parent)->children.push_back(hwnd);
        } else {
            w->owner = IsWindow(parent) ? parent : nullptr;
        }
        Window* raw = w.get();
        Desk().windows[hwnd] = std::move(w);
        if (!child) {
            Desk().stack.push_back(hwnd);
            RaiseLocked(hwnd);
            ResizeBacking(raw);
        }
    }
    if (!child)
        PublishWindow(hwnd, className, title ? title : u"");
    CREATESTRUCTW cs{param, instance, menu, parent, height, width, y, x, (LONG)style, title, className, exStyle};
    if (!SendMessage(hwnd, WM_NCCREATE, 0, (LPARAM)&cs) && IsWindow(hwnd) && GetWindowProc(hwnd) != DefWindowProcW) {
        // a procedure that refuses WM_NCCREATE ends the creation, as the real call does
    }
    if (SendMessage(hwnd, WM_CREATE, 0, (LPARAM)&cs) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!IsWindow(hwnd))
        return nullptr;
    SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(std::max(0, width), std::max(0, height)));
    if (style & WS_VISIBLE)
        ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

BOOL DestroyWindow(HWND hwnd)
{
    std::vector<HWND> kids;
    bool wasTop = false, wasVisible = false;
    {
        Guard g(Desk().lock);
        Window* w = Find(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (w->inDestroy)
            return TRUE;
        w->inDestroy = true;
        kids = w->children;
        wasTop = !w->parent;
        wasVisible = EffectivelyVisible(w);
    }
    // Owned top-level windows go first, as on the phone.
    std::vector<HWND> owned;
    {
        Guard g(Desk().lock);
        for (HWND h : Desk().stack)
            if (Window* o = Find(h); o && o->owner == hwnd)
                owned.push_back(h);
    }
    for (HWND h : owned)
        DestroyWindow(h);
    SendMessage(hwnd, WM_DESTROY, 0, 0);
    for (HWND c : kids)
        DestroyWindow(c);
    SendMessage(hwnd, WM_NCDESTROY, 0, 0);
    {
        Guard g(Desk().lock);
        auto it = Desk().windows.find(hwnd);
        if (it == Desk().windows.end())
            return FALSE;
        Window* w = it->second.get();
        w->destroying = true;
        if (w->parent) {
            if (Window* p = Find(w->parent)) {
                auto& ch = p->children;
                ch.erase(std::remove(ch.begin(), ch.end(), hwnd), ch.end());
                if (wasVisible) {
                    RECT r = w->rect;
                    InvalidateLocked(p, &r);
                }
            }
        }
        auto& st = Desk().stack;
        st.erase(std::remove(st.begin(), st.end(), hwnd), st.end());
        if (Desk().capture == hwnd)
            Desk().capture = nullptr;
        if (Desk().focus == hwnd)
            Desk().focus = nullptr;
        if (Desk().active == hwnd)
            Desk().active = nullptr;
        Desk().windows.erase(it);
        MarkDirty();
    }
    FreeWindowHandle(hwnd);
    if (wasTop) {
        UnpublishWindow(hwnd);
        UpdateActivation();
    }
    Wake();
    return TRUE;
}

LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SETTEXT:
        SetWindowTextW(hwnd, (LPCWSTR)lParam);
        return TRUE;
    default:
        return 0;
    }
}

LRESULT CallWindowProcW(WNDPROC procedure, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return procedure ? procedure(hwnd, message, wParam, lParam) : 0;
}

// ---- showing and placing ----

BOOL ShowWindow(HWND hwnd, int command)
{
    bool show = command != SW_HIDE;
    bool top = false, was;
    bool activate = command == SW_SHOW || command == SW_SHOWNORMAL;
    {
        Guard g(Desk().lock);
        Window* w = Find(hwnd);
        if (!w)
            return FALSE;
        was = w->visible;
        if (was == show)
            return was ? TRUE : FALSE;
        w->visible = show;
        top = !w->parent;
        if (show) {
            InvalidateLocked(w, nullptr);
            if (top && activate)
                RaiseLocked(hwnd);
        } else if (Window* p = w->parent ? Find(w->parent) : nullptr) {
            RECT r = w->rect;
            InvalidateLocked(p, &r);
        }
        if (!show && Desk().capture && (Desk().capture == hwnd || TopOf(Find(Desk().capture)) == w))
            Desk().capture = nullptr;
        MarkDirty();
    }
    SendMessage(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (top)
        UpdateActivation();
    Wake();
    return was ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd)
{
    Guard g(Desk().lock);
    return EffectivelyVisible(Find(hwnd)) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    Guard g(Desk().lock);
    Window* w = Find(hwnd);
    if (!w)
        return FALSE;
    bool wasDisabled = !w->enabled;
    w->enabled = enable != 0;
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd)
{
    Guard g(Desk().lock);
    Window* w = Find(hwnd);
    return w && w->enabled ? TRUE : FALSE;
}

BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int width, int height, UINT flags)
{
    bool sized = false, top = false;
    int cw = 0, ch = 0;
    {
        Guard g(Desk().lock);
        Window* w = Find(hwnd);
        if (!w)
            return FALSE;
        top = !w->parent;
        RECT old = w->rect;
        RECT r = w->rect;
        if (!(flags & SWP_NOMOVE)) {
            r.right = x + Width(r);
            r.bottom = y + Height(r);
            r.left = x;
            r.top = y;
        }
        if (!(flags & SWP_NOSIZE)) {
            r.right = r.left + std::max(0, width);
            r.bottom = r.top + std::max(0, height);
        }
        sized = Width(r) != Width(old) || Height(r) != Height(old);
        w->rect = r;
        cw = Width(r);
        ch = Height(r);
        if (top)
            ResizeBacking(w);
        if (sized || !(flags & SWP_NOREDRAW))
            if (sized || old.left != r.left || old.top != r.top)
                InvalidateLocked(w, nullptr);
        if (w->parent)
            if (Window* p = Find(w->parent)) {
                InvalidateLocked(p, &old);
                InvalidateLocked(p, &r);
            }
        if (top && !(flags & SWP_NOZORDER) && (after == HWND_TOP || after == HWND_TOPMOST))
            RaiseLocked(hwnd);
        if (flags & SWP_SHOWWINDOW)
            w->visible = true;
        if (flags & SWP_HIDEWINDOW)
            w->visible = false;
        MarkDirty();
    }
    if (sized)
        SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cw, ch));
    if (top && !(flags & SWP_NOACTIVATE))
        UpdateActivation();
    else if (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))
        UpdateActivation();
    Wake();
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : (UINT)SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd)
{
    {
        Guard g(Desk().lock);
        Window* w = Find(hwnd);
        if (!w)
            return FALSE;
        Window* t = TopOf(w);
        RaiseLocked(t->hwnd);
        MarkDirty();
    }
    UpdateActivation();
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect)
{
    Guard g(Desk().lock);
    Window* w = Find(hwnd);
    if (!w || !rect)
        return FALSE;
    Window* t = TopOf(w);
    POINT o = OffsetInTop(w);
    *rect = RECT{t->rect.left + o.x, t->rect.top + o.y, t->rect.left + o.x + Width(w->rect),
                 t->rect.top + o.y + Height(w->rect)};
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect)
{
    Guard g(Desk().lock);
    Window* w = Find(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = RECT{0, 0, Width(w->rect), Height(w->rect)};
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT p)
{
    RECT r;
    if (!p || !GetWindowRect(hwnd, &r))
        return FALSE;
    p->x += r.left;
    p->y += r.top;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT p)
{
    RECT r;
    if (!p || !GetWindowRect(hwnd, &r))
        return FALSE;
    p->x -= r.left;
    p->y -= r.top;
    return TRUE;
}

HWND GetParent(HWND hwnd)
{
    Guard g(Desk().lock);
    Window* w = Find(hwnd);
    if (!w)
        return nullptr;
    return w->parent ? w->parent : w->owner;
}

HWND GetWindow(HWND hwnd, UINT command)
{
    Guard g(Desk().lock);
    Window* w = Find(hwnd);
    if (!w)
        return nullptr;
    switch (command) {
    case GW_OWNER:
        return w->owner;
    case GW_CHILD:
        return w->children.empty() ? nullptr : w->children.back();
    case GW_HWNDNEXT:
    case GW_HWNDPREV: {
        // Next is the window below (lower in z-order), as the real call orders them.
        const std::vector<HWND>& list = w->parent ? Find(w->parent)->children : Desk().stack;
        auto it = std::find(list.begin(), list.end(), hwnd);
        if (it == list.end())
            return nullptr;
        if (command == GW_HWNDNEXT)
            return it == list.begin() ? nullptr : *(it - 1);
        return it + 1 == list.end() ? nullptr : *(it + 1);
    }
    default:
        return nullptr;
    }
}

namespace {
HWND DeepestChildAt(Window* w, POINT p) // p in w's client coordinates
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
} // namespace

HWND WindowFromPoint(POINT p)
{
    Guard g(Desk().lock);
    auto& st = Desk().stack;
    for (auto it = st.rbegin(); it != st.rend(); ++it) {
        Window* w = Find(*it);
        if (w && w->visible && PtInRect(&w->rect, p))
            return DeepestChildAt(w, POINT{p.x - w->rect.left, p.y - w->rect.top});
    }
    return nullptr;
}

LONG GetWindowLongW(HWND hwnd, int index)
{
    Guard g(Desk().lock);
    Window* w = Find(hwnd);
    if (!w)
        return 0;
    switch (index) {
    case GWL_STYLE:
        return (LONG)(w->style | (w->visible ? WS_VISIBLE : 0) | (w->enabled ? 0 : WS_DISABLED));
    case GWL_EXSTYLE:
        return (LONG)w->exStyle;
    case GWL_ID:
        return w->id;
    case GWL_USERDATA:
        return w->userData;
    default:
        return 0;
    }
}

LONG SetWindowLongW(HWND hwnd, int index, LONG value)
{
    Guard g(Desk().lock);
    Window* w = Find(hwnd);
    if (!w)
        return 0;
    LONG old = GetWindowLongW(hwnd, index);
    switch (index) {
    case GWL_STYLE:
        w->style = (DWORD)value & ~(DWORD)(WS_VISIBLE | WS_DISABLED);
        break;
    case GWL_EXSTYLE:
        w->exStyle = (DWORD)value;
        break;
    case GWL_ID:
        w->id = value;
        break;
    case GWL_USERDATA:
        w->userData = value;
        break;
    default:
        return 0;
    }
    return old;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text)
{
    Guard g(Desk().lock);
    Window* w = Find(hwnd);
    if (!w)
        return FALSE;
    w->title = text ? text : u"";
    return TRUE;
}

int GetWindowTextW(HWND hwnd, LPWSTR text, int size)
{
    Guard g(Desk().lock);
    Window* w = Find(hwnd);
    if (!w || !text || size <= 0)
        return 0;
    int n = std::min((int)w->title.size(), size - 1);
    std::copy(w->title.begin(), w->title.begin() + n, text);
    text[n] = 0;
    return n;
}

int GetWindowTextLengthW(HWND hwnd)
{
    Guard g(Desk().lock);
    Window* w = Find(hwnd);
    return w ? (int)w->title.size() : 0;
}

// ---- painting ----

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
    POINT acc{0, 0};
    for (Window* a = w->parent ? Find(w->parent) : nullptr; a; a = a->parent ? Find(a->parent) : nullptr) {
        POINT ao = OffsetInTop(a);
        limit = IntersectRects(limit, RECT{ao.x, ao.y, ao.x + Width(a->rect), ao.y + Height(a->rect)});
        (void)acc;
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

namespace {

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
    // Nothing left to paint: show the result.
    if (threadId == GuiThreadId())
        ComposeScreen();
    return FALSE;
}

} // namespace

// ---- activation, focus, capture ----

HWND GetActiveWindow()
{
    Guard g(Desk().lock);
    return Desk().active;
}

HWND SetActiveWindow(HWND hwnd)
{
    HWND old = GetActiveWindow();
    {
        Guard g(Desk().lock);
        Window* w = Find(hwnd);
        if (!w || w->parent)
            return nullptr;
        RaiseLocked(hwnd);
        MarkDirty();
    }
    UpdateActivation();
    return old;
}

HWND GetForegroundWindow()
{
    return GetActiveWindow();
}

BOOL SetForegroundWindow(HWND hwnd)
{
    HWND plain = (HWND)((uintptr_t)hwnd & ~(uintptr_t)1);
    if (IsRemoteWindow(plain))
        return AskRemoteForeground(plain) ? TRUE : FALSE;
    HWND top;
    {
        Guard g(Desk().lock);
        Window* w = TopOf(Find(plain));
        if (!w)
            return FALSE;
        // The owned window most recently raised comes forward with its owner.
        top = w->hwnd;
        for (auto it = Desk().stack.rbegin(); it != Desk().stack.rend(); ++it) {
            Window* o = Find(*it);
            for (Window* x = o; x; x = x->owner ? Find(x->owner) : nullptr)
                if (x->owner == top && o->visible) {
                    top = *it;
                    break;
                }
            if (top != w->hwnd)
                break;
        }
        std::vector<HWND> chain;
        for (Window* x = Find(top); x; x = x->owner ? Find(x->owner) : nullptr)
            chain.push_back(x->hwnd);
        for (auto it = chain.rbegin(); it != chain.rend(); ++it)
            RaiseLocked(*it);
        MarkDirty();
    }
    UpdateActivation();
    return TRUE;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR title)
{
    {
        Guard g(Desk().lock);
        for (auto it = Desk().stack.rbegin(); it != Desk().stack.rend(); ++it) {
            Window* w = Find(*it);
            if (!w)
                continue;
            if (className && w->className != className)
                continue;
            if (title && w->title != title)
                continue;
            return w->hwnd;
        }
    }
    return FindPublishedWindow(className, title);
}

HWND GetFocus()
{
    Guard g(Desk().lock);
    return Desk().focus;
}

HWND SetFocus(HWND hwnd)
{
    HWND old;
    {
        Guard g(Desk().lock);
        if (hwnd && !Find(hwnd))
            return nullptr;
        old = Desk().focus;
        if (old == hwnd)
            return old;
        Desk().focus = hwnd;
    }
    if (old && IsWindow(old))
        SendMessage(old, WM_KILLFOCUS, (WPARAM)hwnd, 0);
    if (hwnd)
        SendMessage(hwnd, WM_SETFOCUS, (WPARAM)old, 0);
    return old;
}

HWND SetCapture(HWND hwnd)
{
    Guard g(Desk().lock);
    HWND old = Desk().capture;
    Desk().capture = Find(hwnd) ? hwnd : nullptr;
    return old;
}

BOOL ReleaseCapture()
{
    Guard g(Desk().lock);
    Desk().capture = nullptr;
    return TRUE;
}

HWND GetCapture()
{
    Guard g(Desk().lock);
    return Desk().capture;
}

int GetSystemMetrics(int index)
{
    if (index == SM_CXSCREEN)
        return ScreenWidth();
    if (index == SM_CYSCREEN)
        return ScreenHeight();
    return 0;
}

// ---- the screen ----

namespace morwick::display {

void SetBackEnd(std::shared_ptr<BackEnd> backEnd)
{
    std::lock_guard<std::mutex> f(Frame().lock);
    Frame().backEnd = std::move(backEnd);
}

std::shared_ptr<BackEnd> GetBackEnd()
{
    std::lock_guard<std::mutex> f(Frame().lock);
    return Frame().backEnd;
}

DWORD ScreenOrientation()
{
    std::lock_guard<std::mutex> f(Frame().lock);
    return Frame().orientation;
}

static bool Portrait(DWORD o)
{
    return o == 1 || o == 4; // DMDO_90, DMDO_270
}

int ScreenWidth()
{
    return Portrait(ScreenOrientation()) ? SCREEN_SHORT_SIDE : SCREEN_LONG_SIDE;
}

int ScreenHeight()
{
    return Portrait(ScreenOrientation()) ? SCREEN_LONG_SIDE : SCREEN_SHORT_SIDE;
}

void SetScreenOrientation(DWORD orientation)
{
    {
        std::lock_guard<std::mutex> f(Frame().lock);
        Frame().orientation = orientation;
    }
    Guard g(Desk().lock);
    MarkDirty();
}

DWORD GuiThreadId()
{
    return guiThread.load();
}

void ComposeScreen(bool force)
{
    std::vector<std::pair<const Surface*, RECT>> layers;
    std::vector<bool> layered;
    int w = ScreenWidth(), h = ScreenHeight();
    std::shared_ptr<BackEnd> backEnd;
    Surface snapshot;
    {
        Guard g(Desk().lock);
        if (!Desk().screenDirty && !force)
            return;
        Desk().screenDirty = false;
        std::lock_guard<std::mutex> f(Frame().lock);
        Surface& s = Frame().frame;
        if (s.width != w || s.height != h)
            s.Resize(w, h, 0xFF000000u);
        else
            FillSurfaceRect(s, RECT{0, 0, w, h}, 0xFF000000u);
        DrawStatusStrip(s);
        // Start from the highest opaque window that covers the screen below the status strip.
        auto& st = Desk().stack;
        size_t first = 0;
        for (size_t i = st.size(); i-- > 0;) {
            Window* win = Find(st[i]);
            if (win && win->visible && !(win->exStyle & WS_EX_LAYERED) && win->rect.left <= 0 &&
                win->rect.top <= STATUS_STRIP_HEIGHT && win->rect.right >= w && win->rect.bottom >= h) {
                first = i;
                break;
            }
        }
        RECT screen{0, 0, w, h};
        for (size_t i = first; i < st.size(); ++i) {
            Window* win = Find(st[i]);
            if (!win || !win->visible || win->backing.width == 0)
                continue;
            RECT at{win->rect.left, win->rect.top, win->rect.left + win->backing.width,
                    win->rect.top + win->backing.height};
            BlitSurface(s, screen, at, win->backing, RECT{0, 0, win->backing.width, win->backing.height},
                        (win->exStyle & WS_EX_LAYERED) != 0);
        }
        backEnd = Frame().backEnd;
        if (backEnd)
            snapshot = s;
    }
    if (backEnd)
        backEnd->Present(snapshot);
}

Surface CopyScreen()
{
    std::lock_guard<std::mutex> f(Frame().lock);
    return Frame().frame;
}

std::vector<WindowInfo> DescribeWindowStack();

} // namespace morwick::display

// ---- status strip ----

#include "platform/win/Time.h"

namespace {

// The phone's own strip above the work area: signal, time and battery.
void DrawStatusStrip(Surface& s)
{
    int w = s.width;
    FillSurfaceRect(s, RECT{0, 0, w, STATUS_STRIP_HEIGHT}, 0xFF101820u);
    for (int i = 0; i < 4; ++i) // signal bars
        FillSurfaceRect(s, RECT{8 + i * 6, 22 - i * 4, 12 + i * 6, 24}, 0xFFE0E0E0u);
    FillSurfaceRect(s, RECT{w - 40, 9, w - 12, 21}, 0xFFE0E0E0u); // battery
    FillSurfaceRect(s, RECT{w - 38, 11, w - 14, 19}, 0xFF30C030u);
    FillSurfaceRect(s, RECT{w - 12, 12, w - 9, 18}, 0xFFE0E0E0u);
    SYSTEMTIME t;
    GetLocalTime(&t);
    char16_t text[6] = {(char16_t)(u'0' + t.wHour / 10), (char16_t)(u'0' + t.wHour % 10), u':',
                        (char16_t)(u'0' + t.wMinute / 10), (char16_t)(u'0' + t.wMinute % 10), 0};
    HDC dc = MakeSurfaceDC(&s, POINT{0, 0}, RECT{0, 0, w, STATUS_STRIP_HEIGHT}, nullptr);
    SelectObject(dc, CreateMzFont(20, FW_SEMIBOLD));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(230, 230, 230));
    RECT r{0, 0, w, STATUS_STRIP_HEIGHT};
    DrawTextW(dc, text, 5, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    FreeDC(dc);
}

// ---- input routing and work on the GUI thread ----

constexpr UINT RM_MOUSE = WM_APP + 1;
constexpr UINT RM_KEY = WM_APP + 2;
constexpr UINT RM_CHAR = WM_APP + 3;
constexpr UINT RM_FRONT = WM_APP + 4;
constexpr UINT RM_RUN = WM_APP + 5;
constexpr UINT RM_FOREGROUND = WM_APP + 6;
constexpr UINT_PTR STATUS_CLOCK_TIMER = 0x5717;

std::atomic<HWND> router{nullptr};
HWND pressTarget = nullptr;
std::atomic<ControlDescriber> describer{nullptr};
std::atomic<BusyProbe> busyProbe{nullptr};

HWND MouseTarget(UINT message, POINT screen)
{
    Guard g(Desk().lock);
    if (Desk().capture && Find(Desk().capture))
        return Desk().capture;
    if (message != WM_LBUTTONDOWN && pressTarget && Find(pressTarget))
        return pressTarget;
    HWND top = TopCandidateLocked();
    Window* t = Find(top);
    if (!t)
        return nullptr;
    POINT p{screen.x - t->rect.left, screen.y - t->rect.top};
    if (p.x >= 0 && p.y >= 0 && p.x < Width(t->rect) && p.y < Height(t->rect))
        return DeepestChildAt(t, p);
    return top;
}

void RouteMouse(UINT message, POINT screen)
{
    HWND target = MouseTarget(message, screen);
    if (message == WM_LBUTTONDOWN)
        pressTarget = target;
    else if (message == WM_LBUTTONUP)
        pressTarget = nullptr;
    if (!target)
        return;
    POINT p = screen;
    ScreenToClient(target, &p);
    WPARAM keys = message == WM_LBUTTONUP ? 0 : (message == WM_MOUSEMOVE && !pressTarget ? 0 : MK_LBUTTON);
    SetMessageCursorPos(screen);
    {
        Guard g(Desk().lock);
        Window* w = Find(target);
        if (w && !w->enabled)
            return;
    }
    SendMessage(target, message, keys, MAKELPARAM(p.x, p.y));
}

HWND KeyTarget()
{
    Guard g(Desk().lock);
    HWND f = Desk().focus;
    if (f && Find(f) && TopOf(Find(f)) == Find(Desk().active))
        return f;
    return Desk().active;
}

LRESULT RouterProc(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case RM_MOUSE:
        RouteMouse((UINT)wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case RM_KEY:
        if (HWND t = KeyTarget())
            SendMessage(t, lParam ? WM_KEYDOWN : WM_KEYUP, wParam, lParam ? 1 : (LPARAM)0xC0000001);
        return 0;
    case RM_CHAR:
        if (HWND t = KeyTarget())
            SendMessage(t, WM_CHAR, wParam, 1);
        return 0;
    case RM_FRONT:
        if (HWND t = GetActiveWindow())
            SendMessage(t, WM_MZ_FRONTKEY, 0, 0);
        return 0;
    case RM_RUN:
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 1;
    case WM_TIMER:
        if (wParam == STATUS_CLOCK_TIMER) {
            // The status strip's clock moves on even when no window draws.
            SYSTEMTIME t;
            GetLocalTime(&t);
            static int shownMinute = -1;
            if (t.wHour * 60 + t.wMinute != shownMinute) {
                shownMinute = t.wHour * 60 + t.wMinute;
                ComposeScreen(true);
            }
        }
        return 0;
    case RM_FOREGROUND:
        if (IsWindow((HWND)wParam)) {
            SetForegroundWindow((HWND)wParam);
            OutputDebugStringW(u"brought to the front by another client\n");
            if (auto b = GetBackEnd())
                b->Raise();
        }
        return 0;
    default:
        return 0;
    }
}

} // namespace

namespace morwick::display {

void AttachGuiThread()
{
    if (router.load())
        return;
    static std::mutex once;
    std::lock_guard<std::mutex> guard(once);
    if (router.load())
        return;
    InstallPaintSource();
    guiThread.store(GetCurrentThreadId());
    router.store(AllocWindowHandle(RouterProc, nullptr));
}

HWND RouterWindow()
{
    return router.load();
}

void StartStatusClock()
{
    if (HWND r = router.load())
        SetTimer(r, STATUS_CLOCK_TIMER, 5000, nullptr);
}

void InjectMouse(UINT message, int x, int y)
{
    if (HWND r = router.load())
        PostMessage(r, RM_MOUSE, message, MAKELPARAM(x, y));
}

void InjectKey(UINT virtualKey, bool down)
{
    if (HWND r = router.load())
        PostMessage(r, RM_KEY, virtualKey, down ? 1 : 0);
}

void InjectChar(char16_t ch)
{
    if (HWND r = router.load())
        PostMessage(r, RM_CHAR, ch, 0);
}

void RequestForeground(HWND window)
{
    if (HWND r = router.load())
        PostMessage(r, RM_FOREGROUND, (WPARAM)window, 0);
}

void InjectFrontKey()
{
    if (HWND r = router.load())
        PostMessage(r, RM_FRONT, 0, 0);
}

void RunOnGuiThread(const std::function<void()>& work)
{
    HWND r = router.load();
    if (!r || GuiThreadId() == GetCurrentThreadId() || !IsWindow(r)) {
        work();
        return;
    }
    SendMessage(r, RM_RUN, 0, (LPARAM)&work);
}

void SetControlDescriber(ControlDescriber d)
{
    describer.store(d);
}

void SetBusyProbe(BusyProbe probe)
{
    busyProbe.store(probe);
}

bool IsBusy()
{
    BusyProbe p = busyProbe.load();
    return p && p();
}

bool GuiQueueIdle()
{
    bool idle = true;
    RunOnGuiThread([&] {
        // A reply sent to the GUI thread counts as work, but is not handled here: a window that opens a modal
        // box on it would hold the automation's own request until the box is closed.
        MSG m;
        idle = GetQueueStatus(QS_SENDMESSAGE) == 0 &&
               !PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_INPUT | PM_QS_POSTMESSAGE | PM_QS_PAINT);
    });
    return idle;
}

std::vector<HWND> TopLevelWindows()
{
    Guard g(Desk().lock);
    return std::vector<HWND>(Desk().stack.rbegin(), Desk().stack.rend());
}

std::vector<WindowInfo> DescribeWindowStack()
{
    std::vector<WindowInfo> out;
    std::vector<HWND> order;
    HWND active;
    {
        Guard g(Desk().lock);
        order.assign(Desk().stack.rbegin(), Desk().stack.rend());
        active = Desk().active;
        for (HWND h : order) {
            Window* w = Find(h);
            if (!w)
                continue;
            out.push_back(WindowInfo{h, w->className, w->title, w->rect, w->visible, h == active, "[]"});
        }
    }
    ControlDescriber d = describer.load();
    if (d)
        for (WindowInfo& info : out)
            if (IsWindow(info.hwnd))
                info.controlsJson = d(info.hwnd);
    return out;
}

} // namespace morwick::display
