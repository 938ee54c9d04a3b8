#include "shell/ClientApp.h"

#include "core/AppData.h"
#include "platform/device/ShellSettings.h"
#include "platform/win/LastError.h"
#include "platform/win/Shell.h"
#include "platform/win/Sync.h"
#include "platform/win/Time.h"
#include "platform/win/WinUser.h"
#include "shell/LogonWnd.h"
#include "shell/MenuWindowMakers.h"
#include "shell/WindowFactory.h"
#include "shell/WndManager.h"

namespace {

DWORD instanceWait = 500;
// The log-on window as a client window: it deletes itself after handing over, so it is looked up among the live
// windows by address, never through the application's main window pointer.
CBaseWnd* logonWindow = nullptr;
constexpr LONG STATUS_FAILED = (LONG)0x80004005;
constexpr DWORD ERROR_EXISTS = 183;

} // namespace

void CClientApp::SetInstanceWait(DWORD milliseconds)
{
    instanceWait = milliseconds;
}

LONG CClientApp::EnsureSingleInstance(LPCWSTR title, LPCWSTR className, int* found)
{
    if (found != nullptr)
        *found = 0;
    for (int attempt = 0; attempt < INSTANCE_ATTEMPTS; ++attempt) {
        HANDLE mutex = CreateMutexW(nullptr, TRUE, className);
        if (mutex == nullptr)
            return STATUS_FAILED;
        if (GetLastError() != ERROR_EXISTS)
            return 0; // ours now; held for the life of the process
        CloseHandle(mutex);
        HWND other = FindWindowW(className, title);
        if (other == nullptr) {
            Sleep(instanceWait);
            other = FindWindowW(className, title);
        }
        if (other != nullptr) {
            SetForegroundWindow((HWND)((UINT_PTR)other | 1));
            if (found != nullptr)
                *found = 1;
            return 0;
        }
    }
    return 0;
}

BOOL CClientApp::Init()
{
    m_initialised = 0;
    int found = 0;
    if (EnsureSingleInstance(nullptr, u"CLogonWnd", &found) < 0 || found)
        return 0;
    if (EnsureSingleInstance(nullptr, u"CQXAppFrame", &found) < 0 || found)
        return 0;
    if (CoInitializeEx(nullptr, 0) < 0)
        return 0;

    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    CWndManager::GetInstance()->SetWorkAreaTop(work.top);
    CNetWnd::SetWindowOpener(CWindowFactory::OpenWindow);
    InstallMenuWindowMakers();

    auto* logon = new CLogonWnd(u"Morwick", nullptr);
    m_pMainWnd = logon;
    logonWindow = logon;
    if (!logon->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr, 0, 0, 0)) {
        // Nothing to show: end at once rather than run a loop no window can end.
        delete logon;
        m_pMainWnd = nullptr;
        logonWindow = nullptr;
        return 0;
    }
    if (IsAppAnimationOn(1))
        AnimateMzWindow(logon->m_hWnd, START_ANIMATION, TRUE);
    logon->ShowOrClose(-1, nullptr, nullptr, TRUE, TRUE);
    m_initialised = 1;
    return 1;
}

int CClientApp::Exit()
{
    if (m_initialised == 1) {
        // The log-on window deletes itself once the main frame is open; one still there goes here.
        if (CBaseWnd::IsLiveWindow(logonWindow))
            delete logonWindow;
        logonWindow = nullptr;
        m_pMainWnd = nullptr;
        CAppData::Destroy();
        CWndManager::Destroy();
        MzAccClose();
    }
    return 1;
}
