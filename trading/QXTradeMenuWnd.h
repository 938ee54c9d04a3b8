// CQXTradeMenuWnd: the trading and fund menus ("trademenu", "openfund"): the server's entries of its menu node.
// An entry that trades while no one is logged in to trading runs the trade log-in first and opens once the
// log-in reports back (WM_TRADE_LOGIN_DONE with the entry's row); the fund risk notice's confirmation
// (WM_OPEN_FUND_ACCOUNT) opens the fund account opening "of_jjkh" with its menu id.
#pragma once

#include "shell/QXMenuWnd.h"

class CQXTradeMenuWnd : public CQXMenuWnd {
public:
    CQXTradeMenuWnd(LPCWSTR title, HWND owner);
    ~CQXTradeMenuWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    int OnOK(int child) override;

    // True for the keys of windows that act on the trade account.
    static bool NeedsTradeLogIn(const char* key);
};
