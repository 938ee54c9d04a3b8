// Makers of the menu screens for the window factory.
#include "shell/MenuWindowMakers.h"

#include "shell/QXInfoListWnd.h"
#include "shell/QXInfoTxtWnd.h"
#include "shell/QXMenuWnd.h"
#include "shell/WindowFactory.h"

namespace {

CBaseWnd* MakeMenuWnd(LPCWSTR title, HWND parent, int)
{
    return new CQXMenuWnd(title, parent);
}

CBaseWnd* MakeInfoListWnd(LPCWSTR title, HWND parent, int)
{
    return new CQXInfoListWnd(title, parent);
}

CBaseWnd* MakeInfoTxtWnd(LPCWSTR title, HWND parent, int)
{
    return new CQXInfoTxtWnd(title, parent);
}

} // namespace

void InstallMenuWindowMakers()
{
    CWindowFactory::SetMaker("CQXMenuWnd", MakeMenuWnd);
    CWindowFactory::SetMaker("CQXInfoListWnd", MakeInfoListWnd);
    CWindowFactory::SetMaker("CQXInfoTxtWnd", MakeInfoTxtWnd);
}
