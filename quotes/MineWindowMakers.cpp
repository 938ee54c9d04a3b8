#include "quotes/MineWindowMakers.h"

#include "quotes/EditMyStockWnd.h"

namespace {

CBaseWnd* MakeStockSearch(LPCWSTR title, HWND owner)
{
    return new CEditMyStockWnd(title, owner, CEditMyStockWnd::MODE_SEARCH);
}

} // namespace

void InstallMineWindowMakers()
{
    CNetWnd::SetStockSearchMaker(MakeStockSearch);
}
