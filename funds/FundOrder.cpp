#include "funds/FundOrder.h"

#include "shell/NetWnd.h"
#include "trading/TradeConfirmWnd.h"
#include "trading/TradeText.h"

#include <memory>

int SubmitFundOrder(CNetWnd* form, const char16_t* title, const FundOrderLines& lines, const std::string& request,
                    const FundOrderDone& done)
{
    auto confirm = std::make_unique<CTradeConfirmWnd>(title, form->GetHWND());
    for (const auto& line : lines)
        confirm->AddLine(line.first.c_str(), line.second.c_str());
    confirm->SetOrderRequest(request.c_str());
    confirm->SetOrderNumberField(done.field);
    int outcome = confirm->RunModal();
    if (outcome == CTradeConfirmWnd::ACCEPTED)
        ShowNotice((done.text + WideFromGb(confirm->GetOrderNumber())).c_str(), form->GetHWND());
    return outcome;
}
