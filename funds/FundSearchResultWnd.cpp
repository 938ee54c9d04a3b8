#include "funds/FundSearchResultWnd.h"

#include "funds/FundForm.h"
#include "funds/FundQuery.h"

CFundSearchResultWnd::CFundSearchResultWnd(LPCWSTR title, HWND owner) : CFundTableWnd(title, owner, Listing::Public) {}

CFundSearchResultWnd::~CFundSearchResultWnd() = default;

LPCWSTR CFundSearchResultWnd::GetMzClassName()
{
    return u"CFundSearchResultWnd";
}

void CFundSearchResultWnd::ShapeGrid(int shown)
{
    ShapeFundGrid(grid, requestCount, shown);
}

void CFundSearchResultWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    if (ShowFundPage(this, data, length, transportFailed) && grid.GetRowCount() == 0 && GetPositionDepth() == 0)
        ShowFormTip(this, u"没有找到符合条件的基金！");
}
