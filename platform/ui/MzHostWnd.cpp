// The control-hosting window.
#include "platform/ui/MzHostWnd.h"

#include "platform/win/Shell.h"

CMzHostWnd::CMzHostWnd() : manager(this) {}

CMzHostWnd::~CMzHostWnd() = default;

LPCWSTR CMzHostWnd::GetMzClassName()
{
    return u"CMzHostWnd";
}

LRESULT CMzHostWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN: {
        // No window capture here: the screen already gives the release to the pressed window, and a capture
        // would keep every tap from a dialog that a press handler opens.
        int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        HWND self = m_hWnd;
        OnLButtonDown((UINT)wParam, x, y);
        if (IsWindow(self) && CMzWnd::FromHandle(self) == this)
            manager.RouteLButtonDown((UINT)wParam, x, y);
        return 0;
    }
    case WM_MOUSEMOVE: {
        int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        HWND self = m_hWnd;
        OnMouseMove((UINT)wParam, x, y);
        if (IsWindow(self) && CMzWnd::FromHandle(self) == this)
            manager.RouteMouseMove((UINT)wParam, x, y);
        return 0;
    }
    case WM_LBUTTONUP: {
        int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        HWND self = m_hWnd;
        OnLButtonUp((UINT)wParam, x, y);
        if (IsWindow(self) && CMzWnd::FromHandle(self) == this)
            manager.RouteLButtonUp((UINT)wParam, x, y);
        return 0;
    }
    case WM_TIMER:
        if (manager.RouteTimer(wParam))
            return 0;
        break;
    case WM_DESTROY:
        manager.SetFocus(nullptr); // a focused edit takes its input panel away with the window
        break;
    case WM_CHAR:
        if (manager.RouteChar((WCHAR)wParam))
            return 0;
        break; // no focused control: the window's own handling
    case MZ_WM_MOUSE_NOTIFY:
        // A control's stylus notification that the window did not take. The phone's front key comes with the
        // same number but wParam 0, which a control's notification never has (its code is never 0).
        if (HIWORD(wParam) != 0)
            return 0;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_BACK && manager.GetFocus())
            return 0; // the backspace arrives as WM_CHAR 8
        break;
    default:
        break;
    }
    return CMzWnd::WindowProc(message, wParam, lParam);
}

void CMzHostWnd::PaintWin(HDC dc, RECT* window, RECT* update)
{
    CMzWnd::PaintWin(dc, window, update);
    manager.Paint(dc, update);
}

std::string CMzHostWnd::DescribeControls()
{
    RECT window{0, 0, 0, 0};
    if (m_hWnd)
        GetWindowRect(m_hWnd, &window);
    return manager.DescribeJson(POINT{window.left, window.top});
}

void CMzHostWnd::InvalidateHostRect(const RECT* rect)
{
    if (m_hWnd)
        InvalidateRect(m_hWnd, rect, FALSE);
}

BOOL CMzHostWnd::PostToHost(UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_hWnd ? ::PostMessage(m_hWnd, message, wParam, lParam) : FALSE;
}

LRESULT CMzHostWnd::SendToHost(UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_hWnd ? ::SendMessage(m_hWnd, message, wParam, lParam) : 0;
}

BOOL CMzHostWnd::SetHostTimer(UINT_PTR id, UINT elapse)
{
    return m_hWnd && ::SetTimer(m_hWnd, id, elapse, nullptr) != 0;
}

BOOL CMzHostWnd::KillHostTimer(UINT_PTR id)
{
    return m_hWnd ? ::KillTimer(m_hWnd, id) : FALSE;
}

void CMzHostWnd::ShowInputPanel(BOOL show, int kind)
{
    if (show)
        SipSetKind(kind);
    SipShowIM(show ? SIPF_ON : SIPF_OFF);
}
