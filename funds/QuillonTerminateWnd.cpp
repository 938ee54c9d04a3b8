#include "funds/QuillonTerminateWnd.h"

#include "funds/FundForm.h"
#include "funds/FundFunctions.h"
#include "funds/FundOrder.h"
#include "funds/FundQuery.h"

CQuillonTerminateWnd::CQuillonTerminateWnd(LPCWSTR title, HWND owner) : CFundTableWnd(title, owner, Listing::Account)
{
    fundMenu = 0; // products, not funds
}

CQuillonTerminateWnd::~CQuillonTerminateWnd() = default;

LPCWSTR CQuillonTerminateWnd::GetMzClassName()
{
    return u"CQuillonTerminateWnd";
}

int CQuillonTerminateWnd::OnOK(int row)
{
    std::string number = row >= 0 ? RowField(row, "wtbh") : std::string();
    if (number.empty())
        return -1;
    if (!CheckTradeAccount())
        return 0;
    // Only a holding still running can end early; the server would refuse the rest after the confirmation.
    std::string state = RowField(row, "zt");
    if (state != GbFromWide(u"持有中")) {
        ShowFormTip(this, (u"该产品" + WideFromGb(state.c_str()) + u"，不能提前终止！").c_str());
        return 0;
    }
    FundOrderLines lines = {{u"委托编号", WideFromGb(number.c_str())},
                            {u"产品名称", WideFromGb(RowField(row, "cpmc").c_str())},
                            {u"购买金额", WideFromGb(RowField(row, "je").c_str())}};
    std::string request = FundFunction(CASH_PRODUCT_FUNCTIONS, CASH_PRODUCT_TERMINATE) + "&wtbh=" + number;
    if (SubmitFundOrder(this, u"提前终止", lines, request, {u"提前终止成功，委托编号：", "wtbh"}) != ORDER_ACCEPTED)
        return 0;
    Reload();
    return 1;
}
