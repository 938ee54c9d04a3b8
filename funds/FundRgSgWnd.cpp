#include "funds/FundRgSgWnd.h"

#include "core/TextHelpers.h"
#include "funds/FundFunctions.h"
#include "funds/FundOrder.h"
#include "funds/FundQuery.h"
#include "trading/OrderCheck.h"

#include <cstdlib>

namespace {

enum { LOOKUP_DETAIL = 1 };

bool IsFundCode(const std::string& code)
{
    return code.size() == 6 && IsDigitString(code.c_str());
}

} // namespace

CFundRgSgWnd::CFundRgSgWnd(LPCWSTR title, HWND owner, int modeValue) : CFundFormWnd(title, owner), mode(modeValue)
{
    actionLabel = mode == MODE_SUBSCRIBE ? u"认购" : u"申购";
}

CFundRgSgWnd::~CFundRgSgWnd() = default;

LPCWSTR CFundRgSgWnd::GetMzClassName()
{
    return u"CFundRgSgWnd";
}

void CFundRgSgWnd::CreateControls()
{
    codeEdit.SetID(ID_CODE);
    rows.AddEdit(u"基金代码", SIP_KIND_NUMBER, 6, false, &codeEdit);
    codeEdit.SetTip(u"6位基金代码");
    nameText = rows.AddText(u"基金名称", u"");
    navText = rows.AddText(u"基金净值", u"");
    stateText = rows.AddText(u"基金状态", u"");
    cashText = rows.AddText(u"可用资金", u"");
    minimumText = rows.AddText(u"最低金额", u"");
    amountEdit = rows.AddNumberEdit(mode == MODE_SUBSCRIBE ? u"认购金额" : u"申购金额", 12);
    amountEdit->SetTip(u"元");
}

int CFundRgSgWnd::OnInitParam(int id, const char* info, const char* params)
{
    int result = CFundFormWnd::OnInitParam(id, info, params);
    char* code = GetParamValue(params, "ofcode");
    if (code != nullptr)
        codeEdit.SetText(WideFromGb(code).c_str());
    free(code);
    return result;
}

void CFundRgSgWnd::Request()
{
    std::string code = GbFromWide(codeEdit.GetText());
    if (IsFundCode(code))
        AskFund(this, &lookup, LOOKUP_DETAIL, FundFunction(FUND_FUNCTIONS, FUND_DETAIL) + "&ofcode=" + code);
}

void CFundRgSgWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) != ID_CODE) {
        CFundFormWnd::OnMzCommand(wParam, lParam);
        return;
    }
    if (HIWORD(wParam) == CMatchEdit::NOTIFY_FULL && GbFromWide(codeEdit.GetText()) != FieldOf(fund, "tradingcode")) {
        ClearFund();
        Request();
    }
}

void CFundRgSgWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    std::vector<FundRow> found;
    bool submit = submitAfterLookup;
    submitAfterLookup = false;
    if (!ReadLookupReply(this, data, length, transportFailed, &found) || found.empty()) {
        ClearFund();
        return;
    }
    // An answer about a code the user has since replaced is stale: the new code's own lookup follows.
    if (FieldOf(found[0], "tradingcode") != GbFromWide(codeEdit.GetText()))
        return;
    fund = found[0];
    ShowFund();
    // The confirmation runs once this reply is handled: the worker is still delivering it.
    if (submit)
        PostSubmit();
}

void CFundRgSgWnd::ShowFund()
{
    nameText->SetText(WideFromGb(FieldOf(fund, "SecuAbbr").c_str()).c_str());
    navText->SetText(WideFromGb(FieldOf(fund, "dwjz").c_str()).c_str());
    stateText->SetText(WideFromGb(FieldOf(fund, "zt").c_str()).c_str());
    cashText->SetText(WideFromGb(FieldOf(fund, "kyzj").c_str()).c_str());
    minimumText->SetText(WideFromGb(FieldOf(fund, "zdje").c_str()).c_str());
    Invalidate();
}

void CFundRgSgWnd::ClearFund()
{
    fund.clear();
    ShowFund();
}

void CFundRgSgWnd::OnActionButton()
{
    std::string code = GbFromWide(codeEdit.GetText());
    if (!IsFundCode(code)) {
        ShowFormTip(this, u"请输入6位基金代码！");
        return;
    }
    std::u16string problem = CheckMoney(GbFromWide(amountEdit->GetText()).c_str(), MOST_ORDER_AMOUNT, nullptr);
    if (!problem.empty()) {
        ShowFormTip(this, problem.c_str());
        return;
    }
    // The form checks against what the server said of this very fund, so a changed code is looked up first.
    if (FieldOf(fund, "tradingcode") != code) {
        submitAfterLookup = true;
        Request();
        return;
    }
    Submit();
}

void CFundRgSgWnd::Submit()
{
    // Sent and confirmed as the server takes it: "1000." goes as 1000.00.
    std::string amountText;
    if (!CheckMoney(GbFromWide(amountEdit->GetText()).c_str(), MOST_ORDER_AMOUNT, &amountText).empty())
        return;
    double amount = atof(amountText.c_str());
    const char* allowed = mode == MODE_SUBSCRIBE ? "krg" : "ksg";
    if (FieldOf(fund, allowed) != "1") {
        // A new fund is not suspended: it is bought by subscription until it opens.
        bool newFund = mode == MODE_PURCHASE && FieldOf(fund, "krg") == "1";
        ShowFormTip(this, mode == MODE_SUBSCRIBE ? u"该基金不在认购期！"
                          : newFund              ? u"该基金处于认购期，请使用认购！"
                                                 : u"该基金暂停申购！");
        return;
    }
    if (FieldOf(fund, "jjzh").empty()) {
        ShowFormTip(this, u"您尚未开立该基金公司的基金账户，请先开户！");
        return;
    }
    if (amount + 0.005 < atof(FieldOf(fund, "zdje").c_str())) {
        ShowFormTip(this, (u"金额不能低于" + WideFromGb(FieldOf(fund, "zdje").c_str()) + u"元！").c_str());
        return;
    }
    if (amount > atof(FieldOf(fund, "kyzj").c_str()) + 0.005) {
        ShowFormTip(this, u"可用资金不足！");
        return;
    }
    int sub = mode == MODE_SUBSCRIBE ? FUND_SUBSCRIBE : FUND_PURCHASE;
    FundOrderLines lines = {{u"基金代码", WideFromGb(FieldOf(fund, "tradingcode").c_str())},
                            {u"基金名称", WideFromGb(FieldOf(fund, "SecuAbbr").c_str())},
                            {mode == MODE_SUBSCRIBE ? u"认购金额" : u"申购金额", WideFromGb(amountText.c_str())}};
    std::string request =
        FundFunction(FUND_FUNCTIONS, sub) + "&ofcode=" + FieldOf(fund, "tradingcode") + "&je=" + amountText;
    if (SubmitFundOrder(this, mode == MODE_SUBSCRIBE ? u"基金认购" : u"基金申购", lines, request) == ORDER_ACCEPTED) {
        amountEdit->SetText(u"");
        Request(); // the cash left
    }
}
