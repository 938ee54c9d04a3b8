// The base window of every screen.
#include "shell/BaseWnd.h"

#include "core/AppData.h"
#include "platform/ui/Style.h"
#include "platform/ui/UiDraw.h"
#include "platform/win/Debug.h"
#include "platform/win/Shell.h"
#include "shell/WndManager.h"

#include <cstdlib>
#include <mutex>
#include <set>

namespace {

// Every client window object alive, so that a child-closed message never deletes a window twice or deletes
// something that is not a window of ours.
std::set<const CBaseWnd*>& LiveWindows()
{
    static auto* windows = new std::set<const CBaseWnd*>();
    return *windows;
}

constexpr int SWIPE_MIN = 50;

int ConfigInt(const char* key, int defaultValue)
{
    return CAppData::Instance()->GetConfigInt(key, defaultValue);
}

UINT LockPhoneMessage()
{
    static UINT id = RegisterWindowMessageW(u"ShellNotifyMsg/EntryLockphone");
    return id;
}

UINT LeaveLockPhoneMessage()
{
    static UINT id = RegisterWindowMessageW(u"ShellNotifyMsg/LeaveLockPhone");
    return id;
}

bool IsMessage(UINT message, int registered)
{
    return registered != CAppData::NO_MESSAGE_ID && message == (UINT)registered;
}

// The screen mode a window that follows the phone takes for an accelerometer orientation; -1 for none.
int ModeForOrientation(WPARAM orientation)
{
    switch (orientation) {
    case 0:
    case 1:
        return 0;
    case 2:
        return 3;
    case 3:
        return 2;
    default:
        return -1;
    }
}

} // namespace

CBaseWnd::CBaseWnd(LPCWSTR text, HWND ownerWnd) : owner(ownerWnd)
{
    if (text != nullptr) {
        int n = 0;
        while (n < TITLE_CAPACITY - 1 && text[n] != 0) {
            title[n] = text[n];
            ++n;
        }
        title[n] = 0;
    }
    wndManager = CWndManager::GetInstance();
    LiveWindows().insert(this);
}

CBaseWnd::~CBaseWnd()
{
    LiveWindows().erase(this);
    if (m_hWnd != nullptr)
        KillTimer(CHILD_RELEASE_TIMER);
    // Children still waiting for release belong to this window.
    std::vector<CBaseWnd*> children;
    children.swap(pendingRelease);
    for (CBaseWnd* child : children)
        if (IsLiveWindow(child))
            delete child;
    // The frame controls go before the platform window (members, in reverse order of declaration).
}

bool CBaseWnd::IsLiveWindow(const CBaseWnd* window)
{
    return window != nullptr && LiveWindows().count(window) != 0;
}

CBaseWnd* CBaseWnd::FromHandleBase(HWND window)
{
    auto* base = dynamic_cast<CBaseWnd*>(CMzWnd::FromHandle(window));
    return IsLiveWindow(base) ? base : nullptr;
}

LPCWSTR CBaseWnd::GetMzClassName()
{
    return u"CBaseWnd";
}

BOOL CBaseWnd::OnInitDialog()
{
    if (!CMzHostWnd::OnInitDialog())
        return FALSE;
    int width = GetWidth();

    captionBar.SetPos(0, 0, width, CAPTION_HEIGHT);
    captionBar.SetText(title);
    captionBar.SetID(ID_CAPTION_BAR);
    captionBar.EnableHome(TRUE);
    captionBar.EnableTradeIcon(TRUE);
    AddUiWin(&captionBar);

    toolBar.SetID(ID_TOOL_BAR);
    AddUiWin(&toolBar);
    commandBar.SetID(ID_COMMAND_BAR);
    commandBar.SetTextSize(Style::ScreenCommandBarTextSize);
    contentPanel.SetID(ID_CONTENT_PANEL);
    contentPanel.EnableScrollBarV(true);
    // Content taller than the view (a form, the ranking choices, the sign-up texts in landscape) is reached by
    // dragging; content that fits does not move.
    contentPanel.SetDragScrollMode(1);
    AddUiWin(&contentPanel);
    bool landscape = width == 720;
    LayoutFrame(landscape);
    if (landscape)
        screenMode = CAppData::Instance()->GetScreenMode();

    SetShowAnimation(12);
    SetHideAnimation(11);
    int height = GetHeight();
    // The content panel's area: a stroke on the caption or the bars is a tap, never a swipe.
    gestureRect = RECT{0, CAPTION_HEIGHT, width, height - CAPTION_HEIGHT - UI_BAR_HEIGHT_PORTRAIT};

    CAppData* app = CAppData::Instance();
    if (app->accelMessageId == CAppData::NO_MESSAGE_ID) {
        if (!MzAccOpen())
            return FALSE;
        app->accelMessageId = (int)MzAccGetMessage();
    }
    if (app->usbMessageId == CAppData::NO_MESSAGE_ID)
        app->usbMessageId = (int)GetUsbNotifyMessage();
    if (app->callMessageId == CAppData::NO_MESSAGE_ID)
        app->callMessageId = (int)GetCallMessage();

    if (ConfigInt("Screen_Lock", 1) == 0)
        noLockHeld = (int)AppsAskShell(SHELL_REQUEST_NO_LOCK, m_hWnd);
    return TRUE;
}

void CBaseWnd::LayoutFrame(bool landscape)
{
    int width = GetWidth();
    int height = GetHeight();
    int barHeight = landscape ? UI_BAR_HEIGHT_LANDSCAPE : UI_BAR_HEIGHT_PORTRAIT;
    captionBar.SetPos(0, 0, width, CAPTION_HEIGHT);
    toolBar.SetLandscape(landscape);
    commandBar.SetLandscape(landscape);
    toolBar.SetPos(0, height - barHeight, width, barHeight);
    commandBar.SetPos(0, height - barHeight, width, barHeight);
    contentPanel.SetPos(0, CAPTION_HEIGHT, width, height - CAPTION_HEIGHT - barHeight);
}

LRESULT CBaseWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ACTIVATE) {
        if (LOWORD(wParam) == WA_ACTIVE) {
            HWND self = m_hWnd;
            HandleActivation();
            if (!IsWindow(self) || CMzWnd::FromHandle(self) != this)
                return 0;
        }
        return CMzHostWnd::WindowProc(message, wParam, lParam);
    }
    switch (message) {
    case WM_END_WND:
        EndWnd((int)lParam);
        return 1;
    case WM_CHILD_CLOSED:
        if (lParam != 0)
            ReleaseChild(reinterpret_cast<CBaseWnd*>(lParam));
        return 1;
    case WM_CAPTION_HOME:
        if (wndType != WND_TYPE_MAIN_FRAME)
            EndWnd(END_HOME);
        return 1;
    case WM_TIMER:
        if (wParam == CHILD_RELEASE_TIMER) {
            ReleasePendingChildren();
            return 0;
        }
        break;
    default:
        break;
    }

    CAppData* app = CAppData::Instance();
    if (IsMessage(message, app->accelMessageId)) {
        HandleAccelerometer(wParam);
    } else if (message == LockPhoneMessage()) {
        OnInactive();
        PostShellNotification(m_hWnd, SHELL_NOTIFY_CODE, TRUE);
    } else if (message == LeaveLockPhoneMessage()) {
        SetScreenMode(0);
        OnActive();
    } else if (IsMessage(message, app->usbMessageId)) {
        if (wParam == 0)
            PostQuitMessage(0);
    } else if (IsMessage(message, app->callMessageId)) {
        if (wParam == 1) {
            OutputDebugStringW(u"call begin\n");
            SetScreenMode(0);
            screenMode = 0;
            OnInactive();
        } else if (wParam == 2) {
            OutputDebugStringW(u"call end\n");
            OnActive();
        }
    }
    return CMzHostWnd::WindowProc(message, wParam, lParam);
}

void CBaseWnd::HandleActivation()
{
    // Taken before acting, so a result left meanwhile by a window opened from the reaction is not lost.
    int result = activationResult;
    activationResult = -1;
    switch (result) {
    case END_HOME:
        if (wndType == WND_TYPE_MAIN_FRAME)
            CBaseWnd::OnActive();
        else
            EndWnd(END_HOME);
        break;
    case END_BACK:
        OnActive();
        break;
    case END_RETURN:
        CBaseWnd::OnActive();
        break;
    default:
        // Back from a box or a menu of the platform, which heard the phone turn in this window's place.
        if (GetRotationPolicy() == 4)
            FollowPhone();
        break;
    }
}

void CBaseWnd::FollowPhone()
{
    // Only the window in front hears the phone turn: one that comes back to the front takes the phone's
    // orientation, which may have changed while another window was in front.
    int current = CAppData::Instance()->GetScreenMode();
    int phone = ModeForOrientation((WPARAM)MzAccGetOrientation());
    int mode = phone >= 0 ? phone : current;
    if (screenMode != mode || current != mode)
        SetScreenMode(mode);
}

void CBaseWnd::HandleAccelerometer(WPARAM orientation)
{
    int policy = GetRotationPolicy();
    if (policy == 4) {
        int mode = ModeForOrientation(orientation);
        if (mode >= 0)
            SetScreenMode(mode);
    } else if (policy == -1) {
        // The screen is brought back too when a window before this one left it turned.
        if (screenMode != 0 || CAppData::Instance()->GetScreenMode() != 0)
            SetScreenMode(0);
    } else if (policy >= 0 && policy <= 3) {
        if (screenMode != policy)
            SetScreenMode(policy);
    }
}

void CBaseWnd::ReleaseChild(CBaseWnd* child)
{
    // Only a live window that this window owns is deleted, and only once: a stale close may name a newer
    // window at a reused address.
    if (!IsLiveWindow(child) || child == this || child->owner != m_hWnd)
        return;
    if (child->IsModal()) {
        // Its modal loop is still on the stack below us: deleting it now would pull the window from under it.
        for (CBaseWnd* pending : pendingRelease)
            if (pending == child)
                return;
        pendingRelease.push_back(child);
        SetTimer(CHILD_RELEASE_TIMER, 50);
        return;
    }
    delete child;
}

void CBaseWnd::ReleasePendingChildren()
{
    std::vector<CBaseWnd*> waiting;
    waiting.swap(pendingRelease);
    for (CBaseWnd* child : waiting) {
        if (!IsLiveWindow(child))
            continue;
        if (child->IsModal())
            pendingRelease.push_back(child);
        else
            delete child;
    }
    if (pendingRelease.empty())
        KillTimer(CHILD_RELEASE_TIMER);
}

int CBaseWnd::GetRotationPolicy()
{
    int setting = ConfigInt("Screen_Mode", 4);
    if (setting < 0 || setting > 5)
        setting = 4; // an unknown setting behaves as the default
    if (setting == 5 || wndType == WND_TYPE_LOGON || wndType == WND_TYPE_TRADE_LOGIN || wndType >= WND_TYPE_FORM)
        return -1;
    return setting;
}

void CBaseWnd::SetCaption(LPCWSTR text)
{
    if (text != nullptr && text[0] != 0) {
        int n = 0;
        while (n < TITLE_CAPACITY - 1 && text[n] != 0) {
            title[n] = text[n];
            ++n;
        }
        title[n] = 0;
    }
    captionBar.SetText(title);
}

void CBaseWnd::ReservedHook() {}

int CBaseWnd::OnInitParam(int, const char*, const char*)
{
    return 0;
}

int CBaseWnd::OnClickMKey()
{
    return 0;
}

void CBaseWnd::OnActive()
{
    PostShellNotification(m_hWnd, SHELL_NOTIFY_CODE, TRUE);
    ApplyScreenLock();
    toolBar.SetCurrentItem(-1);

    int policy = GetRotationPolicy();
    int current = CAppData::Instance()->GetScreenMode();
    if (policy == -1) {
        if (!(screenMode == 0 && current == 0))
            SetScreenMode(0);
    } else if (policy == 4) {
        FollowPhone();
    } else if (!(screenMode == policy && current == policy)) {
        SetScreenMode(policy);
    }
    Invalidate();
    Update();
}

void CBaseWnd::ApplyScreenLock()
{
    if (ConfigInt("Screen_Lock", 1) == 0) {
        noLockHeld = (int)AppsAskShell(SHELL_REQUEST_NO_LOCK, m_hWnd);
    } else if (noLockHeld == 1) {
        AppsAskShell(SHELL_REQUEST_LOCK, m_hWnd);
        noLockHeld = 0;
    }
}

void CBaseWnd::OnInactive()
{
    PostShellNotification(m_hWnd, SHELL_NOTIFY_CODE, FALSE);
}

int CBaseWnd::ShowWnd(int menuId, const char* info, const char* params, int)
{
    if (CBaseWnd* ownerWnd = FromHandleBase(owner))
        ownerWnd->OnInactive();
    OnInitParam(menuId, info, params);
    OnActive();
    return DoModal();
}

int CBaseWnd::RunChild(CBaseWnd* child)
{
    RECT work;
    GetWndManager()->GetWorkRect(&work);
    if (!child->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, m_hWnd, 0, WS_POPUP)) {
        delete child;
        return -1;
    }
    return child->ShowWnd(-1, nullptr, nullptr, 1);
}

void CBaseWnd::PostChildClosed(int result)
{
    // One close per window: the owner deletes the window when it arrives.
    if (closePosted)
        return;
    closePosted = true;
    ::PostMessage(owner, WM_CHILD_CLOSED, (WPARAM)(intptr_t)result, (LPARAM)this);
}

void CBaseWnd::EndWnd(int result)
{
    OnInactive();
    if (owner != nullptr) {
        if (CBaseWnd* ownerWnd = FromHandleBase(owner))
            ownerWnd->activationResult = result;
        PostChildClosed(result);
    }
    if (result == END_HOME)
        SetHideAnimation(0); // a walk home closes every window at once
    if (noLockHeld == 1) {
        AppsAskShell(SHELL_REQUEST_LOCK, m_hWnd);
        noLockHeld = 0;
    }
    EndModal(result);
}

void CBaseWnd::ShowChild(int menuId, const char* info, const char* params, BOOL show, BOOL bringToTop)
{
    if (show)
        OnInitParam(menuId, info, params);
    Show(show, bringToTop);
    if (show) {
        if (CBaseWnd* ownerWnd = FromHandleBase(owner))
            ownerWnd->OnInactive();
        OnActive();
    } else if (owner != nullptr) {
        PostChildClosed(-1);
    }
}

void CBaseWnd::OnSwipeRight()
{
    if (wndType != WND_TYPE_MAIN_FRAME && wndType != WND_TYPE_LOGON && wndType != WND_TYPE_STOCK_EDITOR &&
        wndType != WND_TYPE_TRADE_LOGIN)
        EndWnd(END_BACK);
}

void CBaseWnd::OnSwipeLeft() {}

void CBaseWnd::OnScreenModeChanged(int) {}

void CBaseWnd::SetScreenMode(int mode)
{
    contentPanel.ScrollToTop(false);
    contentPanel.Invalidate();

    DEVMODEW query{};
    query.dmSize = 192;
    query.dmFields = DM_DISPLAYQUERYORIENTATION;
    if (ChangeDisplaySettingsEx(nullptr, &query, nullptr, CDS_TEST, nullptr) != DISP_CHANGE_SUCCESSFUL)
        return;

    DWORD orientation = DMDO_90;
    switch (mode) {
    case 1:
        orientation = DMDO_270;
        break;
    case 2:
        orientation = DMDO_0;
        break;
    case 3:
        orientation = DMDO_180;
        break;
    default:
        orientation = DMDO_90;
        break;
    }
    if (SipIsVisible())
        SipShowIM(SIPF_OFF);

    int top = wndManager->GetWorkAreaTop();
    if (top == 0) {
        // No top stored at start: the platform's own work area keeps the window below the status area.
        RECT work;
        wndManager->GetWorkRect(&work);
        top = work.top;
    }
    bool landscape = orientation == DMDO_0 || orientation == DMDO_180;
    if (landscape)
        SetWindowPos(0, top, 720, 480 - top);
    else
        SetWindowPos(0, top, 480, 720 - top);
    LayoutFrame(landscape);
    Invalidate();

    OnScreenModeChanged((int)orientation);

    DEVMODEW change{};
    change.dmSize = 192;
    change.dmFields = DM_DISPLAYORIENTATION;
    change.dmDisplayOrientation = orientation;
    if (ChangeDisplaySettingsEx(nullptr, &change, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL) {
        OutputDebugStringW(u"Rotating\n");
        screenMode = mode;
        CAppData::Instance()->SetScreenMode(mode);
    } else {
        OutputDebugStringW(u"Rotating failed\n");
    }
}

void CBaseWnd::OnLButtonDown(UINT keys, int x, int y)
{
    pressPoint = POINT{x, y};
    CMzHostWnd::OnLButtonDown(keys, x, y);
}

void CBaseWnd::OnLButtonUp(UINT keys, int x, int y)
{
    const RECT& g = gestureRect;
    if (pressPoint.x > g.left && pressPoint.x < g.right && pressPoint.y > g.top && pressPoint.y < g.bottom) {
        int dx = x - pressPoint.x;
        int dy = y - pressPoint.y;
        int adx = std::abs(dx), ady = std::abs(dy);
        if (adx > 2 * ady && adx > SWIPE_MIN) {
            HWND self = m_hWnd;
            if (dx > 0)
                OnSwipeRight();
            else
                OnSwipeLeft();
            if (!IsWindow(self) || CMzWnd::FromHandle(self) != this)
                return;
        }
        // Up and down strokes mean nothing here.
    }
    CMzHostWnd::OnLButtonUp(keys, x, y);
}

int CBaseWnd::ShowKeypad(BOOL show)
{
    if (keypadWnd == nullptr)
        return 0;
    if (show)
        keypadWnd->SetTarget(m_hWnd);
    keypadWnd->Show(show, TRUE);
    return 0;
}

void CBaseWnd::OnKeypadKey(int key, UiLineEdit* edit)
{
    if (edit == nullptr)
        return;
    CMzStr text = edit->GetText();
    if (key >= 10 && key <= 19) {
        text += (WCHAR)(u'0' + (key - 10));
    } else if (key == 24) {
        text += u'.';
    } else if (key == 20) {
        if (text.Length() < 2)
            text.Clear();
        else
            text.RemoveLast();
    } else {
        return;
    }
    edit->SetText(text.C_Str());
    edit->Invalidate();
}

void CBaseWnd::DrawRoundBox(HDC dc, const RECT* rect, BOOL panelCoords, BOOL shadow)
{
    if (dc == nullptr || rect == nullptr)
        return;
    RECT r = *rect;
    if (panelCoords) // content coordinates: the box moves with the scrolled content
        OffsetRect(&r, contentPanel.GetPosX(), contentPanel.GetPosY() - contentPanel.GetTopPos());
    r.left -= 3;
    r.right += 3;
    Style::DrawPanel(dc, r, shadow != FALSE);
}
