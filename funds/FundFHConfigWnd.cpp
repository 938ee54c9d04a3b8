#include "funds/FundFHConfigWnd.h"

#include "funds/FundFunctions.h"
#include "funds/FundOrder.h"
#include "funds/FundQuery.h"

CFundFHConfigWnd::CFundFHConfigWnd(LPCWSTR title, HWND owner) : CFundBaseWnd(title, owner)
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

LRESULT CFundFHConfigWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (OnTradeLoginStep(this, message, wParam))
        return 1;
    if (message == WM_MULTI_CHOICE) {
        if (wParam == ID_FUND)
            ChooseFund(TakeChoice(lParam));
        else
            ChooseMethod(TakeChoice(lParam));
        return 1;
    }
    return CFundBaseWnd::WindowProc(message, wParam, lParam);
}

void CFundFHConfigWnd::CreateControls()
{
    fundButton = choices.Add(rows, u"基金", ID_FUND);
    currentText = rows.AddText(u"当前方式", u"");
    methodButton = choices.Add(rows, u"分红方式", ID_METHOD);
}

RECT CFundFHConfigWnd::GetPanelRect()
{
    return rows.GetPanelRect();
}

void CFundFHConfigWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case ID_FUND:
        OpenFundPicker(this, u"选择基金", ID_FUND, holdings, "label", chosen);
        break;
    case ID_METHOD:
        OpenFundPicker(this, u"分红方式", ID_METHOD, methods, "label", method);
        break;
    default:
        CFundBaseWnd::OnMzCommand(wParam, lParam);
        break;
    }
}

void CFundFHConfigWnd::OnActive()
{
    CFundBaseWnd::OnActive();
    AskTradeLoginOnce(this, &loginAsked);
}

void CFundFHConfigWnd::Request()
{
    AskFund(this, &lookup, 1, HoldingsRequest());
}

int CFundFHConfigWnd::BuildRequest(char* part, int capacity, const char*)
{
    return BuildLookup(lookup, part, capacity);
}

void CFundFHConfigWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    std::vector<FundRow> found;
    if (!ReadLookupReply(this, data, length, transportFailed, &found))
        return;
    std::string current = chosen >= 0 ? FieldOf(holdings[(size_t)chosen], "tradingcode") : "";
    holdings = std::move(found);
    LabelFundRows(&holdings);
    int row = FindFundRow(holdings, "tradingcode", current);
    ChooseFund(row >= 0 ? row : (holdings.empty() ? -1 : 0));
    if (holdings.empty())
        ShowFormTip(this, u"您没有持有任何基金！");
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
    FundOrderLines lines = {{u"基金", WideFromGb(FieldOf(fund, "label").c_str())}, {u"分红方式", WideFromGb(FieldOf(to, "label").c_str())}};
    std::string request = FundFunction(FUND_FUNCTIONS, FUND_DIVIDEND) + "&ofcode=" + FieldOf(fund, "tradingcode") +
                          "&fhfs=" + FieldOf(to, "dm");
    if (SubmitFundOrder(this, u"分红设置", lines, request, {u"分红方式已修改，委托编号：", "wtbh"}) == ORDER_ACCEPTED)
        Request(); // the method now set
}
