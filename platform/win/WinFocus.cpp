// Activation, keyboard focus and mouse capture.
#include "platform/win/WinUser.h"

#include "platform/win/PublishedWindows.h"
#include "platform/win/WindowTable.h"

#include <vector>

using namespace morwick::display;
using namespace morwick::windows;

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
