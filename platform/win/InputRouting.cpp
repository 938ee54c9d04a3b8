// Input routing and work on the GUI thread: injected taps and keys reach the window under them or the focus through
// a router window on the GUI thread, which also runs work handed to that thread and keeps the status clock.
#include "platform/win/WinUser.h"

#include "platform/win/Debug.h"
#include "platform/win/Thread.h"
#include "platform/win/Time.h"
#include "platform/win/WindowTable.h"

#include <atomic>
#include <functional>
#include <mutex>

using namespace morwick::display;
using namespace morwick::windows;

namespace {

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
