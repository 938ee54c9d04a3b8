#include "funds/FundSearchResultWnd.h"

#include "funds/FundQuery.h"

CFundSearchResultWnd::CFundSearchResultWnd(LPCWSTR title, HWND owner) : CQueryTableWnd(title, owner) {}

CFundSearchResultWnd::~CFundSearchResultWnd() = default;

LPCWSTR CFundSearchResultWnd::GetMzClassName()
{
    return u"CFundSearchResultWnd";
}

BOOL CFundSearchResultWnd::OnInitDialog()
{
    if (!CQueryTableWnd::OnInitDialog())
        return FALSE;
    AddQueryToolBar(this);
    return TRUE;
}

void CFundSearchResultWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    OnQueryCommand(this, wParam, lParam);
}

int CFundSearchResultWnd::BuildRequest(char* part, int capacity, const char*)
{
    return BuildFundQuery(this, part, capacity, false, nullptr);
}
