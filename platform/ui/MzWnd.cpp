// The platform window class: registration, the message dispatch into the virtual hooks, creation with
// WM_INITDIALOG, showing and the modal loop.
#include "platform/ui/MzWnd.h"

#include "platform/win/Desktop.h"
#include "platform/win/LastError.h"
#include "platform/win/Shell.h"

using namespace morwick::display;

namespace {

std::string DescribeWindow(HWND window)
{
    CMzWnd* w = CMzWnd::FromHandle(window);
    return w ? w->DescribeControls() : std::string("[]");
}

// The window of the innermost modal loop stays in front of its owners. A window opened from inside the loop in an
// owner's name raises that owner over it; once that window has gone the owner would stay in front while the loop
// beneath it, unseen, keeps every screen under it from ending.
void KeepModalInFront(HWND self)
{
    HWND active = GetActiveWindow();
    if (active == self || active == nullptr || !IsWindowVisible(self))
        return;
    for (HWND owner = GetWindow(self, GW_OWNER); owner != nullptr; owner = GetWindow(owner, GW_OWNER)) {
        if (owner == active) {
            SetForegroundWindow(self);
            return;
        }
    }
}

} // namespace

CMzWnd::CMzWnd() : m_modal(std::make_shared<ModalState>()) {}

CMzWnd::~CMzWnd()
{
    m_modal->objectGone = true;
    if (m_hWnd && IsWindow(m_hWnd)) {
        HWND h = m_hWnd;
        SetWindowObject(h, nullptr); // the hooks of a half-destroyed object must not run
        DestroyWindow(h);
    }
    m_hWnd = nullptr;
}

LPCWSTR CMzWnd::GetMzClassName()
{
    return u"CMzWnd";
}

CMzWnd* CMzWnd::FromHandle(HWND window)
{
    if (!IsWindow(window) || GetWindowProc(window) != &CMzWnd::StaticWindowProc)
        return nullptr;
    return static_cast<CMzWnd*>(GetWindowObject(window));
}

LRESULT CMzWnd::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = cs ? static_cast<CMzWnd*>(cs->lpCreateParams) : nullptr;
        if (self) {
            self->m_hWnd = window;
            SetWindowObject(window, self);
        }
    }
    auto* self = static_cast<CMzWnd*>(GetWindowObject(window));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    LRESULT r = self->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY && GetWindowObject(window) == self) {
        SetWindowObject(window, nullptr);
        self->m_hWnd = nullptr;
        self->m_modal->ended = true; // a destroyed window's modal loop has nothing left to wait for
    }
    return r;
}

LRESULT CMzWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
        OnLButtonDown((UINT)wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp((UINT)wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk((UINT)wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove((UINT)wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_SETTINGCHANGE:
        OnSettingChange((DWORD)wParam, (LPCWSTR)lParam);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        if (dc)
            OnPaint(dc, &ps);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return OnCommand(wParam, lParam);
    case MZ_WM_COMMAND:
        OnMzCommand(wParam, lParam);
        return 0;
    case WM_MZ_FRONTKEY:
        if (OnClickMKey() == 0)
            PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(m_hWnd, message, wParam, lParam);
    }
}

void CMzWnd::OnLButtonDblClk(UINT, int, int) {}
void CMzWnd::OnLButtonDown(UINT, int, int) {}
void CMzWnd::OnLButtonUp(UINT, int, int) {}
void CMzWnd::OnMouseMove(UINT, int, int) {}
void CMzWnd::OnTimer(UINT_PTR) {}
void CMzWnd::OnSize(int, int) {}
void CMzWnd::OnSettingChange(DWORD, LPCWSTR) {}

BOOL CMzWnd::RegisterMzClass()
{
    static bool describerSet = false;
    if (!describerSet) {
        SetControlDescriber(DescribeWindow);
        describerSet = true;
    }
    LPCWSTR name = GetMzClassName();
    if (GetClassInfoW(nullptr, name, nullptr))
        return TRUE;
    WNDCLASSW wc{};
    wc.lpfnWndProc = &CMzWnd::StaticWindowProc;
    wc.lpszClassName = name;
    return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

BOOL CMzWnd::Create(int x, int y, int width, int height, HWND parent, int id, DWORD style, DWORD exStyle)
{
    if (m_hWnd && IsWindow(m_hWnd))
        return FALSE;
    if (!RegisterMzClass())
        return FALSE;
    if (!(style & WS_CHILD))
        style |= WS_POPUP;
    FixWindowStyle(style, exStyle);
    m_id = id;
    bool visible = (style & WS_VISIBLE) != 0;
    HWND h = CreateWindowExW(exStyle, GetMzClassName(), u"", style & ~(DWORD)WS_VISIBLE, x, y, width, height, parent,
                             (HANDLE)(intptr_t)id, nullptr, this);
    if (!h)
        return FALSE;
    m_hWnd = h;
    if (!SendMessage(WM_INITDIALOG, 0, 0)) {
        if (IsWindow(h))
            DestroyWindow(h);
        m_hWnd = nullptr;
        return FALSE;
    }
    if (visible && IsWindow(h))
        Show(TRUE, TRUE);
    return IsWindow(h) ? TRUE : FALSE;
}

BOOL CMzWnd::CreatePopup(int x, int y, int width, int height, HWND owner, int id, DWORD style, DWORD exStyle)
{
    return Create(x, y, width, height, owner, id, (style & ~(DWORD)WS_CHILD) | WS_POPUP, exStyle);
}

BOOL CMzWnd::CreateChild(int x, int y, int width, int height, HWND parent, int id, DWORD style, DWORD exStyle)
{
    if (!IsWindow(parent))
        return FALSE;
    return Create(x, y, width, height, parent, id, (style & ~(DWORD)WS_POPUP) | WS_CHILD | WS_VISIBLE, exStyle);
}

int CMzWnd::DoModal()
{
    if (!m_hWnd || !IsWindow(m_hWnd))
        return -1;
    std::shared_ptr<ModalState> state = m_modal;
    if (state->running)
        return -1; // already in its own loop
    state->running = true;
    state->ended = false;
    state->result = -1;
    HWND self = m_hWnd;
    Show(TRUE, TRUE);
    while (!state->ended && IsWindow(self)) {
        MSG msg;
        BOOL r = GetMessage(&msg, nullptr, 0, 0);
        if (r == -1)
            break;
        if (r == 0) {
            PostQuitMessage((int)msg.wParam); // for the loops around this one
            break;
        }
        TranslateMessage(&msg);
        DispatchMessage(&msg);
        if (!state->ended && IsWindow(self))
            KeepModalInFront(self);
    }
    state->running = false;
    int result = state->result;
    if (!state->objectGone && IsWindow(self))
        Show(FALSE, FALSE);
    return result;
}

void CMzWnd::OnPaint(HDC dc, PAINTSTRUCT* paint)
{
    RECT client;
    GetClientRect(&client);
    PaintWin(dc, &client, paint ? &paint->rcPaint : &client);
}

void CMzWnd::PaintWin(HDC dc, RECT*, RECT* update)
{
    if (!update)
        return;
    HBRUSH brush = CreateSolidBrush(m_bgColor);
    FillRect(dc, update, brush);
    DeleteObject(brush);
}

void CMzWnd::FixWindowStyle(DWORD&, DWORD&) {}
void CMzWnd::OnMzCommand(WPARAM, LPARAM) {}

BOOL CMzWnd::OnInitDialog()
{
    return TRUE;
}

BOOL CMzWnd::OnCommand(WPARAM, LPARAM)
{
    return FALSE;
}

int CMzWnd::OnClickMKey()
{
    return 1;
}

std::string CMzWnd::DescribeControls()
{
    return "[]";
}

BOOL CMzWnd::Show(BOOL show, BOOL bringToTop)
{
    if (!m_hWnd || !IsWindow(m_hWnd))
        return FALSE;
    if (show) {
        ShowWindow(m_hWnd, bringToTop ? SW_SHOW : SW_SHOWNA);
        if (bringToTop)
            SetForegroundWindow(m_hWnd);
        AnimateMzWindow(m_hWnd, m_showAnimation, TRUE);
    } else {
        AnimateMzWindow(m_hWnd, m_hideAnimation, FALSE);
        ShowWindow(m_hWnd, SW_HIDE);
    }
    return TRUE;
}

BOOL CMzWnd::IsVisible() const
{
    return m_hWnd && IsWindowVisible(m_hWnd);
}

void CMzWnd::EndModal(int result)
{
    m_modal->result = result;
    m_modal->ended = true;
    // Wake the loop even when nothing else is queued.
    if (m_hWnd)
        ::PostMessage(m_hWnd, WM_NULL, 0, 0);
}

BOOL CMzWnd::IsModal() const
{
    return m_modal->running ? TRUE : FALSE;
}

BOOL CMzWnd::Destroy()
{
    if (!m_hWnd || !IsWindow(m_hWnd))
        return FALSE;
    return DestroyWindow(m_hWnd);
}

void CMzWnd::SetBgColor(COLORREF color)
{
    m_bgColor = color;
    Invalidate();
}

int CMzWnd::GetWidth() const
{
    RECT r{};
    ::GetClientRect(m_hWnd, &r);
    return r.right;
}

int CMzWnd::GetHeight() const
{
    RECT r{};
    ::GetClientRect(m_hWnd, &r);
    return r.bottom;
}

void CMzWnd::GetClientRect(RECT* rect) const
{
    if (!rect)
        return;
    *rect = RECT{0, 0, 0, 0};
    ::GetClientRect(m_hWnd, rect);
}

BOOL CMzWnd::SetWindowPos(int x, int y, int width, int height)
{
    return ::SetWindowPos(m_hWnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMzWnd::Invalidate(const RECT* rect)
{
    if (m_hWnd)
        InvalidateRect(m_hWnd, rect, FALSE);
}

void CMzWnd::Update()
{
    if (m_hWnd)
        UpdateWindow(m_hWnd);
}

BOOL CMzWnd::SetWindowText(LPCWSTR text)
{
    return SetWindowTextW(m_hWnd, text);
}

std::u16string CMzWnd::GetWindowText() const
{
    int n = GetWindowTextLengthW(m_hWnd);
    std::u16string s((size_t)n + 1, u'\0');
    GetWindowTextW(m_hWnd, s.data(), n + 1);
    s.resize((size_t)n);
    return s;
}

UINT_PTR CMzWnd::SetTimer(UINT_PTR timerId, UINT elapse)
{
    return ::SetTimer(m_hWnd, timerId, elapse, nullptr);
}

BOOL CMzWnd::KillTimer(UINT_PTR timerId)
{
    return ::KillTimer(m_hWnd, timerId);
}

BOOL CMzWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessage(m_hWnd, message, wParam, lParam);
}

LRESULT CMzWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessage(m_hWnd, message, wParam, lParam);
}
