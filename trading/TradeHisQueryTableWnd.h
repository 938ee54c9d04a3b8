// CTradeHisQueryTableWnd: the history query ("hisquery"): the account's deals or orders between a start and an
// end date the user picks (the picker opens first, and again from the tool bar's menu button), paged like every
// trade query.
#pragma once

#include "trading/TradeQueryTableWnd.h"

#include <string>

class CTradeHisQueryTableWnd : public CTradeQueryTableWnd {
public:
    enum { STEP_PICK_DATES = 1 };

    CTradeHisQueryTableWnd(LPCWSTR title, HWND owner);
    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    void OnActive() override;

    // Runs the date picker; a picked range asks the server. false when the user went back.
    bool PickDates();
    // The range as the picker would set it.
    void SetRange(const std::string& start, const std::string& end, int kind);
    bool HasRange() const { return !start.empty(); }

protected:
    std::string ExtraFields() override;

private:
    std::string start, end;
    int kind = 1; // 1 deals, 0 orders
};
