#include "funds/FundRedemptionWnd.h"

#include "core/TextHelpers.h"
#include "funds/FundFunctions.h"
#include "funds/FundOrder.h"
#include "funds/FundQuery.h"

#include <cstdlib>

CFundRedemptionWnd::CFundRedemptionWnd(LPCWSTR title, HWND owner) : CHeldFundFormWnd(title, owner)
{
    actionLabel = u"赎回";
}

CFundRedemptionWnd::~CFundRedemptionWnd() = default;

LPCWSTR CFundRedemptionWnd::GetMzClassName()
{
    return u"CFundRedemptionWnd";
}

void CFundRedemptionWnd::CreateControls()
{
    AddFundRow(u"基金", u"选择基金");
    availableText = rows.AddText(u"可用份额", u"");
    sharesEdit = rows.AddNumberEdit(u"赎回份额", 14);
    sharesEdit->SetTip(u"份");
    choices.Add(rows, u"", ID_ALL)->SetText(u"全部赎回");
    rows.SetTap(ID_ALL, [this] {
        if (chosen >= 0)
            sharesEdit->SetText(WideFromGb(FieldOf(holdings[(size_t)chosen], "kyfe").c_str()).c_str());
    });
}

void CFundRedemptionWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    std::vector<FundRow> found;
    if (!ReadLookupReply(this, data, length, transportFailed, &found))
        return;
    // Opened for one fund ("ofcode"), the form starts on it.
    std::string named;
    if (paramText != nullptr) {
        char* code = GetParamValue(paramText, "ofcode");
        named = code != nullptr ? code : "";
        free(code);
    }
    TakeHoldings(std::move(found), named, u"您没有可赎回的基金份额！");
}

void CFundRedemptionWnd::ChooseFund(int row)
{
    if (row < 0 || row >= (int)holdings.size()) {
        chosen = -1;
        fundButton->SetText(u"请选择");
        availableText->SetText(u"");
    } else {
        chosen = row;
        fundButton->SetText(WideFromGb(FieldOf(holdings[(size_t)row], "label").c_str()).c_str());
        availableText->SetText(WideFromGb(FieldOf(holdings[(size_t)row], "kyfe").c_str()).c_str());
    }
    Invalidate();
}

void CFundRedemptionWnd::OnActionButton()
{
    int64_t shares = 0, available = 0;
    if (chosen < 0) {
        ShowFormTip(this, u"请选择要赎回的基金！");
        return;
    }
    const FundRow& fund = holdings[(size_t)chosen];
    if (!ParseFixed(sharesEdit->GetText(), 2, &shares)) {
        ShowFormTip(this, u"请输入有效的赎回份额！");
        return;
    }
    if (!ParseFixed(FieldOf(fund, "kyfe").c_str(), 2, &available) || shares > available) {
        ShowFormTip(this, u"可用份额不足！");
        return;
    }
    std::string sharesText = FormatFixed(shares, 2);
    FundOrderLines lines = {{u"基金代码", WideFromGb(FieldOf(fund, "tradingcode").c_str())},
                            {u"基金名称", WideFromGb(FieldOf(fund, "SecuAbbr").c_str())},
                            {u"赎回份额", WideFromGb(sharesText.c_str())}};
    std::string request =
        FundFunction(FUND_FUNCTIONS, FUND_REDEEM) + "&ofcode=" + FieldOf(fund, "tradingcode") + "&fe=" + sharesText;
    if (SubmitFundOrder(this, u"基金赎回", lines, request) == ORDER_ACCEPTED) {
        sharesEdit->SetText(u"");
        Request(); // the shares left
    }
}
