// Makers of the stock information windows.
#include "quotes/InfoWindowMakers.h"

#include "quotes/StocInfoMenuWnd.h"
#include "shell/WindowFactory.h"

namespace {

CBaseWnd* MakeStocInfoMenuWnd(LPCWSTR title, HWND parent, int)
{
    return new CStocInfoMenuWnd(title, parent);
}

} // namespace

void InstallInfoWindowMakers()
{
    CWindowFactory::SetMaker("CStocInfoMenuWnd", MakeStocInfoMenuWnd);
}
