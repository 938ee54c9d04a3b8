#include "funds/HeldFundFormWnd.h"

#include "funds/FundQuery.h"

#include <utility>

CHeldFundFormWnd::CHeldFundFormWnd(LPCWSTR title, HWND owner) : CFundFormWnd(title, owner) {}

CHeldFundFormWnd::~CHeldFundFormWnd() = default;

void CHeldFundFormWnd::Request()
{
    AskFund(this, &lookup, LOOKUP_HOLDINGS, HoldingsRequest());
}

void CHeldFundFormWnd::AddFundRow(LPCWSTR label, LPCWSTR title)
{
    fundButton = choices.Add(rows, label, ID_FUND, title, holdings, chosen, [this](int row) { ChooseFund(row); });
}

void CHeldFundFormWnd::TakeHoldings(std::vector<FundRow> found, std::string named, const char16_t* none)
{
    std::string current = chosen >= 0 ? FieldOf(holdings[(size_t)chosen], "tradingcode") : "";
    if (current.empty())
        current = std::move(named);
    holdings = std::move(found);
    LabelFundRows(&holdings);
    int row = FindFundRow(holdings, "tradingcode", current);
    ChooseFund(row >= 0 ? row : (holdings.empty() ? -1 : 0));
    if (holdings.empty())
        ShowFormTip(this, none);
}
