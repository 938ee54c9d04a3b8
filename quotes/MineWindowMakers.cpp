#include "quotes/MineWindowMakers.h"

#include "quotes/EditMyStockWnd.h"
#include "quotes/MyStockWnd.h"
#include "shell/WindowFactory.h"

namespace {

CBaseWnd* MakeStockSearch(LPCWSTR title, HWND owner)
{
    return new CEditMyStockWnd(title, owner, CEditMyStockWnd::MODE_SEARCH);
}

CBaseWnd* MakeMyStockWnd(LPCWSTR title, HWND parent, int)
{
    return new CMyStockWnd(title, parent);
}

} // namespace

void InstallMineWindowMakers()
{
    CNetWnd::SetStockSearchMaker(MakeStockSearch);
    CWindowFactory::SetMaker("CMyStockWnd", MakeMyStockWnd);
}
