#include "funds/FundFHConfigWnd.h"

#include "funds/FundFunctions.h"
#include "funds/FundOrder.h"
#include "funds/FundQuery.h"

CFundFHConfigWnd::CFundFHConfigWnd(LPCWSTR title, HWND owner) : CHeldFundFormWnd(title, owner)
{
    actionLabel = u"设置";
    // The two methods every fund offers, in the server's numbering.
    methods = {{{"dm", "0"}, {"label", GbFromWide(u"现金分红")}}, {{"dm", "1"}, {"label", GbFromWide(u"红利再投资")}}};
}

CFundFHConfigWnd::~CFundFHConfigWnd() = default;

LPCWSTR CFundFHConfigWnd::GetMzClassName()
{
    return u"CFundFHConfigWnd";
}

void CFundFHConfigWnd::CreateControls()
{
    AddFundRow(u"基金", u"选择基金");
    currentText = rows.AddText(u"当前方式", u"");
    methodButton =
        choices.Add(rows, u"分红方式", ID_METHOD, u"分红方式", methods, method, [this](int row) { ChooseMethod(row); });
}

void CFundFHConfigWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    std::vector<FundRow> found;
    if (!ReadLookupReply(this, data, length, transportFailed, &found))
        return;
    TakeHoldings(std::move(found), "", u"您没有持有任何基金！");
}

void CFundFHConfigWnd::ChooseFund(int row)
{
    bool valid = row >= 0 && row < (int)holdings.size();
    chosen = valid ? row : -1;
    fundButton->SetText(valid ? WideFromGb(FieldOf(holdings[(size_t)row], "label").c_str()).c_str() : u"请选择");
    currentText->SetText(valid ? WideFromGb(FieldOf(holdings[(size_t)row], "fhfs").c_str()).c_str() : u"");
    ChooseMethod(-1);
}

void CFundFHConfigWnd::ChooseMethod(int row)
{
    bool valid = row >= 0 && row < (int)methods.size();
    method = valid ? row : -1;
    methodButton->SetText(valid ? WideFromGb(FieldOf(methods[(size_t)row], "label").c_str()).c_str() : u"请选择");
    Invalidate();
}

void CFundFHConfigWnd::OnActionButton()
{
    if (chosen < 0 || method < 0) {
        ShowFormTip(this, chosen < 0 ? u"请选择基金！" : u"请选择分红方式！");
        return;
    }
    const FundRow& fund = holdings[(size_t)chosen];
    const FundRow& to = methods[(size_t)method];
    if (FieldOf(fund, "fhfsdm") == FieldOf(to, "dm")) {
        ShowFormTip(this, u"新的分红方式与当前方式相同！");
        return;
    }
    FundOrderLines lines = {{u"基金", WideFromGb(FieldOf(fund, "label").c_str())},
                            {u"分红方式", WideFromGb(FieldOf(to, "label").c_str())}};
    std::string request = FundFunction(FUND_FUNCTIONS, FUND_DIVIDEND) + "&ofcode=" + FieldOf(fund, "tradingcode") +
                          "&fhfs=" + FieldOf(to, "dm");
    if (SubmitFundOrder(this, u"分红设置", lines, request, {u"分红方式已修改，委托编号：", "wtbh"}) == ORDER_ACCEPTED)
        Request(); // the method now set
}
