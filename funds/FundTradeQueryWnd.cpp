#include "funds/FundTradeQueryWnd.h"

#include "funds/FundQuery.h"

CFundTradeQueryWnd::CFundTradeQueryWnd(LPCWSTR title, HWND owner) : CQueryTableWnd(title, owner) {}

CFundTradeQueryWnd::~CFundTradeQueryWnd() = default;

LPCWSTR CFundTradeQueryWnd::GetMzClassName()
{
    return u"CFundTradeQueryWnd";
}

LRESULT CFundTradeQueryWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (OnTradeLoginStep(this, message, wParam))
        return 1;
    return CQueryTableWnd::WindowProc(message, wParam, lParam);
}

BOOL CFundTradeQueryWnd::OnInitDialog()
{
    if (!CQueryTableWnd::OnInitDialog())
        return FALSE;
    AddQueryToolBar(this);
    return TRUE;
}

void CFundTradeQueryWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    OnQueryCommand(this, wParam, lParam);
}

void CFundTradeQueryWnd::OnActive()
{
    CQueryTableWnd::OnActive();
    AskTradeLoginOnce(this, &loginAsked);
}

int CFundTradeQueryWnd::BuildRequest(char* part, int capacity, const char*)
{
    return BuildFundQuery(this, part, capacity, true, nullptr);
}
