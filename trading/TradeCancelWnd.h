// CTradeCancelWnd: the order cancel table ("wtcd"): the day's orders that can still be cancelled; a tapped row
// asks for confirmation ("撤单") and cancels the order once, then the table is asked again.
#pragma once

#include "trading/TradeQueryTableWnd.h"

class CTradeCancelWnd : public CTradeQueryTableWnd {
public:
    CTradeCancelWnd(LPCWSTR title, HWND owner);
    LPCWSTR GetMzClassName() override;
    void OnRowTap(int row) override;

protected:
    std::string ExtraFields() override;
};
