// CFundTradeQueryWnd: the fund orders of the trade account (subscriptions, purchases, redemptions, conversions)
// with their state.
#pragma once

#include "shell/QueryTableWnd.h"

class CFundTradeQueryWnd : public CQueryTableWnd {
public:
    CFundTradeQueryWnd(LPCWSTR title, HWND owner);
    ~CFundTradeQueryWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    void OnActive() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;

protected:
    bool loginAsked = false;
};
