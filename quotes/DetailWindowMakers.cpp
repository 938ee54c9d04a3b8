#include "quotes/DetailWindowMakers.h"

#include "quotes/StockDetaiPriceWnd.h"
#include "shell/WindowFactory.h"

namespace {

CBaseWnd* MakeDetailPriceWnd(LPCWSTR title, HWND parent, int)
{
    return new CStockDetaiPriceWnd(title, parent);
}

} // namespace

void InstallDetailWindowMakers()
{
    CWindowFactory::SetMaker("CStockDetaiPriceWnd", MakeDetailPriceWnd);
}
