// CFundTradeCancelWnd: the fund orders that can still be cancelled; a tapped order is cancelled after the user
// confirms it, and the list is asked again.
#pragma once

#include "funds/FundTradeQueryWnd.h"

class CFundTradeCancelWnd : public CFundTradeQueryWnd {
public:
    CFundTradeCancelWnd(LPCWSTR title, HWND owner);
    ~CFundTradeCancelWnd() override;

    LPCWSTR GetMzClassName() override;
    // Cancels the order of row after confirmation; 1 when it was cancelled.
    int OnOK(int row) override;
};
