#include "funds/FundShareQueryWnd.h"

#include "funds/FundQuery.h"

CFundShareQueryWnd::CFundShareQueryWnd(LPCWSTR title, HWND owner) : CFundTableWnd(title, owner, Listing::Account) {}

CFundShareQueryWnd::~CFundShareQueryWnd() = default;

LPCWSTR CFundShareQueryWnd::GetMzClassName()
{
    return u"CFundShareQueryWnd";
}

void CFundShareQueryWnd::ShapeGrid(int shown)
{
    ShapeFundGrid(grid, requestCount, shown);
}

void CFundShareQueryWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    ShowFundPage(this, data, length, transportFailed);
}
