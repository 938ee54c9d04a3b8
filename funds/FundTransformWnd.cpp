#include "funds/FundTransformWnd.h"

#include "funds/FundFunctions.h"
#include "funds/FundOrder.h"
#include "funds/FundQuery.h"

namespace {

enum { LOOKUP_TARGETS = 2 };

} // namespace

CFundTransformWnd::CFundTransformWnd(LPCWSTR title, HWND owner) : CHeldFundFormWnd(title, owner)
{
    actionLabel = u"转换";
}

CFundTransformWnd::~CFundTransformWnd() = default;

LPCWSTR CFundTransformWnd::GetMzClassName()
{
    return u"CFundTransformWnd";
}

void CFundTransformWnd::CreateControls()
{
    AddFundRow(u"转出基金", u"转出基金");
    availableText = rows.AddText(u"可用份额", u"");
    targetButton =
        choices.Add(rows, u"转入基金", ID_TARGET, u"转入基金", targets, target, [this](int row) { ChooseTarget(row); });
    // The target's picker says first when the company has no other fund.
    rows.SetTap(ID_TARGET, [this] {
        if (targets.empty())
            ShowFormTip(this, u"该基金公司没有可转入的其他基金！");
        OpenFundPicker(this, u"转入基金", ID_TARGET, targets, "label", target);
    });
    sharesEdit = rows.AddNumberEdit(u"转换份额", 14);
    sharesEdit->SetTip(u"份");
}

void CFundTransformWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    std::vector<FundRow> found;
    if (!ReadLookupReply(this, data, length, transportFailed, &found))
        return;
    LabelFundRows(&found);
    if (lookup.kind == LOOKUP_TARGETS) {
        std::string source = chosen >= 0 ? FieldOf(holdings[(size_t)chosen], "tradingcode") : "";
        targets.clear();
        // Shares go only into a fund that takes purchases now (not one in its subscription period).
        const std::string open = GbFromWide(u"正常");
        for (FundRow& row : found)
            if (FieldOf(row, "tradingcode") != source && FieldOf(row, "zt") == open)
                targets.push_back(std::move(row));
        ChooseTarget(-1);
        return;
    }
    TakeHoldings(std::move(found), "", u"您没有可转换的基金份额！");
}

void CFundTransformWnd::ChooseFund(int row)
{
    bool valid = row >= 0 && row < (int)holdings.size();
    chosen = valid ? row : -1;
    fundButton->SetText(valid ? WideFromGb(FieldOf(holdings[(size_t)row], "label").c_str()).c_str() : u"请选择");
    availableText->SetText(valid ? WideFromGb(FieldOf(holdings[(size_t)row], "kyfe").c_str()).c_str() : u"");
    targets.clear();
    ChooseTarget(-1);
    if (valid)
        AskFund(this, &lookup, LOOKUP_TARGETS,
                FundFunction(FUND_FUNCTIONS, FUND_OF_COMPANY) + "&tacode=" + FieldOf(holdings[(size_t)row], "tacode"));
}

void CFundTransformWnd::ChooseTarget(int row)
{
    bool valid = row >= 0 && row < (int)targets.size();
    target = valid ? row : -1;
    targetButton->SetText(valid ? WideFromGb(FieldOf(targets[(size_t)row], "label").c_str()).c_str() : u"请选择");
    Invalidate();
}

void CFundTransformWnd::OnActionButton()
{
    int64_t shares = 0, available = 0;
    if (chosen < 0 || target < 0) {
        ShowFormTip(this, chosen < 0 ? u"请选择转出基金！" : u"请选择转入基金！");
        return;
    }
    const FundRow& fund = holdings[(size_t)chosen];
    const FundRow& into = targets[(size_t)target];
    if (!ParseFixed(sharesEdit->GetText(), 2, &shares)) {
        ShowFormTip(this, u"请输入有效的转换份额！");
        return;
    }
    if (!ParseFixed(FieldOf(fund, "kyfe").c_str(), 2, &available) || shares > available) {
        ShowFormTip(this, u"可用份额不足！");
        return;
    }
    std::string sharesText = FormatFixed(shares, 2);
    FundOrderLines lines = {{u"转出基金", WideFromGb(FieldOf(fund, "label").c_str())},
                            {u"转入基金", WideFromGb(FieldOf(into, "label").c_str())},
                            {u"转换份额", WideFromGb(sharesText.c_str())}};
    std::string request = FundFunction(FUND_FUNCTIONS, FUND_CONVERT) + "&ofcode=" + FieldOf(fund, "tradingcode") +
                          "&toofcode=" + FieldOf(into, "tradingcode") + "&fe=" + sharesText;
    if (SubmitFundOrder(this, u"基金转换", lines, request) == ORDER_ACCEPTED) {
        sharesEdit->SetText(u"");
        Request(); // the shares left
    }
}
