#include "funds/FundShareQueryWnd.h"

#include "funds/FundQuery.h"

CFundShareQueryWnd::CFundShareQueryWnd(LPCWSTR title, HWND owner) : CQueryTableWnd(title, owner) {}

CFundShareQueryWnd::~CFundShareQueryWnd() = default;

LPCWSTR CFundShareQueryWnd::GetMzClassName()
{
    return u"CFundShareQueryWnd";
}

LRESULT CFundShareQueryWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (OnTradeLoginStep(this, message, wParam))
        return 1;
    return CQueryTableWnd::WindowProc(message, wParam, lParam);
}

BOOL CFundShareQueryWnd::OnInitDialog()
{
    if (!CQueryTableWnd::OnInitDialog())
        return FALSE;
    AddQueryToolBar(this);
    return TRUE;
}

void CFundShareQueryWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    OnQueryCommand(this, wParam, lParam);
}

void CFundShareQueryWnd::OnActive()
{
    CQueryTableWnd::OnActive();
    AskTradeLoginOnce(this, &loginAsked);
}

int CFundShareQueryWnd::BuildRequest(char* part, int capacity, const char*)
{
    return BuildFundQuery(this, part, capacity, true, nullptr);
}

void CFundShareQueryWnd::ShapeGrid(int shown)
{
    ShapeFundGrid(grid, requestCount, shown);
}

void CFundShareQueryWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    ShowFundPage(this, data, length, transportFailed);
}
