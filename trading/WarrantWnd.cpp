#include "trading/WarrantWnd.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"
#include "shell/PopMenuWnd.h"
#include "shell/QueryTableWnd.h"
#include "trading/OrderCheck.h"
#include "trading/TradeConfirmWnd.h"
#include "trading/TradeText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

const char LIST_FIELDS[] = "tc_mfuncno=600&tc_sfuncno=32";

std::string Text(CDataSet* set, const char* field)
{
    const char* text = set->GetAsText(field);
    return text != nullptr ? text : "";
}

} // namespace

CWarrantWnd::CWarrantWnd(LPCWSTR title, HWND ownerWnd) : CFormWnd(title, ownerWnd)
{
    actionLabel = u"行权";
    rowPitch = 64;
}

CWarrantWnd::~CWarrantWnd() = default;

LPCWSTR CWarrantWnd::GetMzClassName()
{
    return u"CWarrantWnd";
}

void CWarrantWnd::CreateControls()
{
    warrantButton = rows.AddChoice(u"权证", u"正在获取权证列表", ID_WARRANT, [this] { PickWarrant(); });
    underlyingText = rows.AddText(u"标的证券", u"");
    priceText = rows.AddText(u"行权价格", u"");
    ratioText = rows.AddText(u"行权比例", u"");
    periodText = rows.AddText(u"行权期", u"");
    heldText = rows.AddText(u"可行权数量", u"");
    quantityEdit = rows.AddNumberEdit(u"行权数量", 9);
}

void CWarrantWnd::PickWarrant()
{
    std::vector<std::u16string> labels;
    for (const Warrant& w : warrants)
        labels.push_back(WideFromGb((w.code + " " + w.name).c_str()));
    std::vector<PopMenuChoice> choices;
    for (size_t i = 0; i < labels.size(); ++i)
        choices.push_back({(int)i + 1, labels[i].c_str()});
    if (!choices.empty())
        SelectWarrant(CPopMenuWnd::RunChoices(m_hWnd, choices.data(), (int)choices.size()) - 1);
}

void CWarrantWnd::SelectWarrant(int index)
{
    if (index < 0 || index >= (int)warrants.size())
        return;
    warrantIndex = index;
    const Warrant& w = warrants[(size_t)index];
    warrantButton->SetText(WideFromGb((w.code + " " + w.name).c_str()).c_str());
    underlyingText->SetText(WideFromGb(w.underlying.c_str()).c_str());
    priceText->SetText(WideFromGb(w.price.c_str()).c_str());
    ratioText->SetText(WideFromGb(w.ratio.c_str()).c_str());
    periodText->SetText(WideFromGb(w.period.c_str()).c_str());
    heldText->SetText(WideFromGb(w.held.c_str()).c_str());
    quantityEdit->SetText(u"");
}

int CWarrantWnd::BuildRequest(char* part, int capacity, const char*)
{
    return WriteTradeRequest(part, capacity, LIST_FIELDS, GetTradeAccount());
}

void CWarrantWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    CReplyRecordSet reply;
    CDataSet* set = FirstSetOrTell(reply, data, length, transportFailed, m_hWnd, u"权证列表获取失败，请稍后再试！");
    if (set == nullptr)
        return;
    warrants.clear();
    if (set != nullptr) {
        set->MoveFirst();
        for (int i = 0; i < set->GetRowCount(); ++i, set->MoveNext()) {
            Warrant w{Text(set, "qzdm"), Text(set, "qzmc"), Text(set, "bddm") + " " + Text(set, "bdmc"),
                      Text(set, "xqjg"), Text(set, "xqbl"), Text(set, "kysl"),
                      Text(set, "xqqj")};
            if (!w.code.empty() && w.code.find_first_of("&=") == std::string::npos)
                warrants.push_back(w);
        }
    }
    if (warrants.empty())
        warrantButton->SetText(u"没有可行权的权证");
    else
        SelectWarrant(0);
}

void CWarrantWnd::OnActionButton()
{
    if (!CAppData::Instance()->HasTradeAccounts()) {
        ShowNotice(u"请先登录交易系统！", m_hWnd);
        return;
    }
    if (warrantIndex < 0) {
        ShowNotice(u"请先选择权证！", m_hWnd);
        return;
    }
    const Warrant& w = warrants[(size_t)warrantIndex];
    OrderLimits limits;
    limits.buy = false;
    limits.lot = 1; // warrants are exercised one by one: no round lots, no odd-lot rule
    limits.available = atoll(w.held.c_str());
    long long quantity = 0;
    std::string text = GbFromWide(quantityEdit->GetText());
    std::u16string message = CheckQuantity(text.c_str(), limits, &quantity);
    if (!message.empty()) {
        // The quantity check speaks of selling; here the shares are exercised.
        if (message.find(u"卖出数量超过") == 0)
            message = u"行权数量超过可行权数量（" + WideFromGb(w.held.c_str()) + u"）！";
        ShowNotice(message.c_str(), m_hWnd);
        return;
    }
    std::string quantityText = std::to_string(quantity);
    // What the exercise pays: price x quantity x shares per warrant, in fen rounded up as the account is charged.
    long long ratio = std::max(1LL, atoll(w.ratio.c_str()));
    long long fen = (llround(atof(w.price.c_str()) * 1000) * quantity * ratio + 9) / 10;
    char amount[32];
    snprintf(amount, sizeof amount, "%lld.%02lld", fen / 100, fen % 100);
    CTradeConfirmWnd* confirm = new CTradeConfirmWnd(u"行权确认", m_hWnd);
    confirm->AddLine(u"权证", WideFromGb((w.code + " " + w.name).c_str()).c_str());
    confirm->AddLine(u"标的证券", WideFromGb(w.underlying.c_str()).c_str());
    confirm->AddLine(u"行权价格", WideFromGb(w.price.c_str()).c_str());
    confirm->AddLine(u"行权数量", WideFromGb(quantityText.c_str()).c_str());
    confirm->AddLine(u"行权金额", (WideFromGb(amount) + u"元").c_str());
    confirm->SetOrderRequest(("tc_mfuncno=600&tc_sfuncno=31&qzdm=" + w.code + "&sl=" + quantityText).c_str());
    int outcome = confirm->RunModal();
    std::string number = confirm->GetOrderNumber();
    delete confirm;
    if (outcome == CTradeConfirmWnd::ACCEPTED) {
        ShowNotice((u"行权委托已提交，委托编号：" + WideFromGb(number.c_str())).c_str(), m_hWnd);
        Request(); // what is held has changed
    }
}
