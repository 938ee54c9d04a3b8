#include "funds/FundTableWnd.h"

#include "funds/FundQuery.h"

CFundTableWnd::CFundTableWnd(LPCWSTR title, HWND owner, Listing listing)
    : CQueryTableWnd(title, owner), listing(listing)
{
    // A public list is the same whoever is logged in: a change of account does not ask it again.
    bindsTradeAccount = listing == Listing::Account;
}

CFundTableWnd::~CFundTableWnd() = default;

LRESULT CFundTableWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (listing == Listing::Account && OnTradeLoginStep(this, message, wParam))
        return 1;
    return CQueryTableWnd::WindowProc(message, wParam, lParam);
}

BOOL CFundTableWnd::OnInitDialog()
{
    if (!CQueryTableWnd::OnInitDialog())
        return FALSE;
    AddQueryToolBar(this);
    return TRUE;
}

void CFundTableWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    OnQueryCommand(this, wParam, lParam);
}

void CFundTableWnd::OnActive()
{
    CQueryTableWnd::OnActive();
    if (listing == Listing::Account)
        AskTradeLoginOnce(this, &loginAsked);
}

int CFundTableWnd::BuildRequest(char* part, int capacity, const char*)
{
    return BuildFundQuery(this, part, capacity, listing == Listing::Account, nullptr);
}
