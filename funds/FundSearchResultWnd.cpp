#include "funds/FundSearchResultWnd.h"

#include "funds/FundQuery.h"

CFundSearchResultWnd::CFundSearchResultWnd(LPCWSTR title, HWND owner) : CQueryTableWnd(title, owner) {}

CFundSearchResultWnd::~CFundSearchResultWnd() = default;

LPCWSTR CFundSearchResultWnd::GetMzClassName()
{
    return u"CFundSearchResultWnd";
}

LRESULT CFundSearchResultWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (OnTradeLoginStep(this, message, wParam))
        return 1;
    return CQueryTableWnd::WindowProc(message, wParam, lParam);
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

void CFundSearchResultWnd::OnActive()
{
    CQueryTableWnd::OnActive();
    AskTradeLoginOnce(this, &loginAsked);
}

int CFundSearchResultWnd::BuildRequest(char* part, int capacity, const char*)
{
    return BuildFundQuery(this, part, capacity, nullptr);
}
