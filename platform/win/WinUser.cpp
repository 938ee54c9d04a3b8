// Windows on the phone's screen: classes, creation and destruction, showing and placing, the z-order as callers ask
// for it, window data and text.
#include "platform/win/WinUser.h"

#include "platform/win/LastError.h"
#include "platform/win/PublishedWindows.h"
#include "platform/win/Thread.h"
#include "platform/win/WindowTable.h"

#include <algorithm>

using namespace morwick::display;
using namespace morwick::windows;

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

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int width, int height,
                     HWND parent, HANDLE menu, HINSTANCE instance, LPVOID param)
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
    // What WM_NCCREATE answers is not asked: creation goes on to WM_CREATE, whose -1 is the one refusal heeded.
    SendMessage(hwnd, WM_NCCREATE, 0, (LPARAM)&cs);
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
