#include "funds/QlnBuyWnd.h"

#include "core/TextHelpers.h"
#include "funds/FundFunctions.h"
#include "funds/FundOrder.h"
#include "funds/FundQuery.h"
#include "trading/OrderCheck.h"

#include <cstdlib>

namespace {

enum { LOOKUP_PRODUCTS = 1, LOOKUP_CASH = 2 };

} // namespace

CQlnBuyWnd::CQlnBuyWnd(LPCWSTR title, HWND owner) : CFundFormWnd(title, owner)
{
    actionLabel = u"购买";
}

CQlnBuyWnd::~CQlnBuyWnd() = default;

LPCWSTR CQlnBuyWnd::GetMzClassName()
{
    return u"CQlnBuyWnd";
}

void CQlnBuyWnd::CreateControls()
{
    productButton =
        choices.Add(rows, u"产品", ID_PRODUCT, u"选择产品", products, chosen, [this](int row) { ChooseProduct(row); });
    termText = rows.AddText(u"期限(天)", u"");
    yieldText = rows.AddText(u"预期收益率%", u"");
    minimumText = rows.AddText(u"起购金额", u"");
    cashText = rows.AddText(u"可用资金", u"");
    amountEdit = rows.AddNumberEdit(u"购买金额", 12);
    amountEdit->SetTip(u"元");
}

void CQlnBuyWnd::Request()
{
    AskFund(this, &lookup, LOOKUP_PRODUCTS,
            FundFunction(CASH_PRODUCT_FUNCTIONS, CASH_PRODUCT_LIST) + "&count=200&poststr=");
}

void CQlnBuyWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    std::vector<FundRow> found;
    bool submit = submitAfterCash;
    submitAfterCash = false;
    if (!ReadLookupReply(this, data, length, transportFailed, &found))
        return;
    if (lookup.kind == LOOKUP_CASH) {
        cash = found.empty() ? std::string() : FieldOf(found[0], "kyzj");
        cashText->SetText(WideFromGb(cash.c_str()).c_str());
        Invalidate();
        // The confirmation runs once this reply is handled: the worker is still delivering it.
        if (submit && !cash.empty())
            PostSubmit();
        return;
    }
    std::string current = chosen >= 0 ? FieldOf(products[(size_t)chosen], "cpdm") : "";
    if (current.empty() && paramText != nullptr) {
        char* code = GetParamValue(paramText, "cpdm");
        current = code != nullptr ? code : "";
        free(code);
    }
    products = std::move(found);
    for (FundRow& row : products)
        row["label"] = FieldOf(row, "cpmc") + " " + FieldOf(row, "cpdm") + " " + FieldOf(row, "zt");
    ChooseProduct(FindFundRow(products, "cpdm", current));
    AskFund(this, &lookup, LOOKUP_CASH, FundFunction(TRADE_FUNCTIONS, TRADE_CASH));
}

void CQlnBuyWnd::ChooseProduct(int row)
{
    bool valid = row >= 0 && row < (int)products.size();
    chosen = valid ? row : -1;
    const FundRow none;
    const FundRow& product = valid ? products[(size_t)row] : none;
    productButton->SetText(valid ? WideFromGb(FieldOf(product, "cpmc").c_str()).c_str() : u"请选择");
    termText->SetText(WideFromGb(FieldOf(product, "qx").c_str()).c_str());
    yieldText->SetText(WideFromGb(FieldOf(product, "zdf").c_str()).c_str());
    minimumText->SetText(WideFromGb(FieldOf(product, "qgje").c_str()).c_str());
    Invalidate();
}

void CQlnBuyWnd::OnActionButton()
{
    if (chosen < 0) {
        ShowFormTip(this, u"请选择产品！");
        return;
    }
    const FundRow& product = products[(size_t)chosen];
    // Sent and confirmed as the server takes it: "50000." goes as 50000.00.
    std::string amountText;
    std::u16string problem = CheckMoney(GbFromWide(amountEdit->GetText()).c_str(), MOST_ORDER_AMOUNT, &amountText);
    if (!problem.empty()) {
        ShowFormTip(this, problem.c_str());
        return;
    }
    double amount = atof(amountText.c_str());
    if (amount + 0.005 < atof(FieldOf(product, "qgje").c_str())) {
        ShowFormTip(this, (u"购买金额不能低于" + WideFromGb(FieldOf(product, "qgje").c_str()) + u"元！").c_str());
        return;
    }
    // The form checks against the cash the server said; not known yet, it asks first.
    if (cash.empty()) {
        submitAfterCash = true;
        AskFund(this, &lookup, LOOKUP_CASH, FundFunction(TRADE_FUNCTIONS, TRADE_CASH));
        return;
    }
    if (amount > atof(cash.c_str()) + 0.005) {
        ShowFormTip(this, u"可用资金不足！");
        return;
    }
    FundOrderLines lines = {{u"产品代码", WideFromGb(FieldOf(product, "cpdm").c_str())},
                            {u"产品名称", WideFromGb(FieldOf(product, "cpmc").c_str())},
                            {u"购买金额", WideFromGb(amountText.c_str())}};
    std::string request = FundFunction(CASH_PRODUCT_FUNCTIONS, CASH_PRODUCT_BUY) + "&cpdm=" + FieldOf(product, "cpdm") +
                          "&je=" + amountText;
    if (SubmitFundOrder(this, u"产品购买", lines, request, {u"购买成功，委托编号：", "wtbh"}) == ORDER_ACCEPTED) {
        amountEdit->SetText(u"");
        AskFund(this, &lookup, LOOKUP_CASH, FundFunction(TRADE_FUNCTIONS, TRADE_CASH)); // the cash left
    }
}
