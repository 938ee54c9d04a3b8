#include "funds/FundTradeCancelWnd.h"

#include "funds/FundForm.h"
#include "funds/FundFunctions.h"
#include "funds/FundOrder.h"

CFundTradeCancelWnd::CFundTradeCancelWnd(LPCWSTR title, HWND owner) : CFundTradeQueryWnd(title, owner)
{
    // A tap cancels here, so the fund actions (whose news entry is a tap too) stay away.
    fundMenu = 0;
}

CFundTradeCancelWnd::~CFundTradeCancelWnd() = default;

LPCWSTR CFundTradeCancelWnd::GetMzClassName()
{
    return u"CFundTradeCancelWnd";
}

int CFundTradeCancelWnd::OnOK(int row)
{
    std::string number = row >= 0 ? RowField(row, "wtbh") : std::string();
    if (number.empty())
        return -1;
    if (!CheckTradeAccount())
        return 0;
    FundOrderLines lines = {{u"委托编号", WideFromGb(number.c_str())},
                            {u"基金代码", WideFromGb(RowField(row, "tradingcode").c_str())},
                            {u"基金名称", WideFromGb(RowField(row, "SecuAbbr").c_str())},
                            {u"业务", WideFromGb(RowField(row, "mmlb").c_str())}};
    std::string request = FundFunction(FUND_FUNCTIONS, FUND_CANCEL) + "&wtbh=" + number;
    if (SubmitFundOrder(this, u"基金撤单", lines, request, {u"撤单成功，委托编号：", "wtbh"}) != ORDER_ACCEPTED)
        return 0;
    Reload();
    return 1;
}
