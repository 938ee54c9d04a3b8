// Makers of the service windows and the update hooks.
#include "services/ServiceWindowMakers.h"

#include "services/CustomerServiceWnd.h"
#include "services/GPRSTextWnd.h"
#include "services/SysConfigWnd.h"
#include "services/UpdateManager.h"
#include "shell/LogonWnd.h"
#include "shell/WindowFactory.h"

namespace {

CBaseWnd* MakeCustomerServiceWnd(LPCWSTR title, HWND parent, int)
{
    return new CCustomerServiceWnd(title, parent);
}

CBaseWnd* MakeGPRSTextWnd(LPCWSTR title, HWND parent, int)
{
    return new CGPRSTextWnd(title, parent);
}

CBaseWnd* MakeSysConfigWnd(LPCWSTR title, HWND parent, int)
{
    return new CSysConfigWnd(title, parent);
}

void StartUpdate(const char* releaseNotes)
{
    CUpdateManager* manager = CUpdateManager::GetInstance();
    manager->SetReleaseNotes(releaseNotes);
    manager->Start();
}

void RunUpdate(HWND)
{
    CUpdateManager::GetInstance()->Run();
}

} // namespace

void InstallServiceWindowMakers()
{
    CWindowFactory::SetMaker("CCustomerServiceWnd", MakeCustomerServiceWnd);
    CWindowFactory::SetMaker("CGPRSTextWnd", MakeGPRSTextWnd);
    CWindowFactory::SetMaker("CSysConfigWnd", MakeSysConfigWnd);
    CLogonWnd::SetUpdateStarter(StartUpdate);
    CWindowFactory::SetUpdateRunner(RunUpdate);
}
