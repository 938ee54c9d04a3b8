// CFundTradeQueryWnd: the fund orders of the trade account (subscriptions, purchases, redemptions, conversions)
// with their state, and once confirmed their net value, shares and amount. Today's orders (and those still open)
// first; the action menu's "查询日期" picks the days, so that orders confirmed at an earlier close stay in reach.
#pragma once

#include "funds/FundTableWnd.h"

#include <string>

class CFundTradeQueryWnd : public CFundTableWnd {
public:
    static constexpr int CMD_PICK_DATES = 141;

    CFundTradeQueryWnd(LPCWSTR title, HWND owner);
    ~CFundTradeQueryWnd() override;

    LPCWSTR GetMzClassName() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void InitMenu(CPopMenuWnd* menu) override;
    void OnMenuCommand(int command) override;

    // Runs the date picker; a picked range asks the server from its first page. false when the user went back.
    bool PickDates();

protected:
    void ShapeGrid(int shownColumns) override;

private:
    std::string start, end; // the days asked for (YYYYMMDD, entry dates); empty: the server's today
};
