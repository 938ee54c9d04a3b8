#include "quotes/QuoteWindowMakers.h"

#include "quotes/ChinaIndexWnd.h"
#include "quotes/GlobalIndexWnd.h"
#include "quotes/QXStockTableWnd.h"
#include "shell/WindowFactory.h"

namespace {

CBaseWnd* MakeGlobalIndexWnd(LPCWSTR title, HWND parent, int)
{
    return new CGlobalIndexWnd(title, parent);
}

CBaseWnd* MakeChinaIndexWnd(LPCWSTR title, HWND parent, int)
{
    return new CChinaIndexWnd(title, parent);
}

CBaseWnd* MakeQXStockTableWnd(LPCWSTR title, HWND parent, int)
{
    return new CQXStockTableWnd(title, parent);
}

} // namespace

void InstallQuoteWindowMakers()
{
    CWindowFactory::SetMaker("CGlobalIndexWnd", MakeGlobalIndexWnd);
    CWindowFactory::SetMaker("CChinaIndexWnd", MakeChinaIndexWnd);
    CWindowFactory::SetMaker("CQXStockTableWnd", MakeQXStockTableWnd);
}
