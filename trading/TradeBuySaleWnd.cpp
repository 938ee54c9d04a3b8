#include "trading/TradeBuySaleWnd.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "platform/ui/Style.h"
#include "shell/QueryTableWnd.h"
#include "trading/TradeConfirmWnd.h"
#include "trading/TradeText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int FORM_ROW_PITCH = Style::FormRowPitch;
constexpr int CODE_LENGTH = 6;
constexpr int BOOK_ROW_HEIGHT = 34;

std::string Param(const char* params, const char* key)
{
    char* value = GetParamValue(params, key);
    std::string s = value != nullptr ? value : "";
    free(value);
    return s;
}

const char* Field(CDataSet* set, const char* name)
{
    const char* text = set->GetAsText(name);
    return text != nullptr ? text : "";
}

} // namespace

CTradeBuySaleWnd::CTradeBuySaleWnd(LPCWSTR title, HWND ownerWnd) : CFormWnd(title, ownerWnd)
{
    rowPitch = FORM_ROW_PITCH;
    actionLabel = u"买入";
}

CTradeBuySaleWnd::~CTradeBuySaleWnd() = default;

LPCWSTR CTradeBuySaleWnd::GetMzClassName()
{
    return u"CTradeBuySaleWnd";
}

void CTradeBuySaleWnd::CreateControls()
{
    codeEdit.SetID(ID_CODE_EDIT);
    rows.AddEdit(u"证券代码", SIP_KIND_NUMBER, CODE_LENGTH, false, &codeEdit);
    nameText = rows.AddText(u"证券名称", u"");
    priceEdit = rows.AddNumberEdit(u"委托价格", 10);
    availableText = rows.AddText(limits.buy ? u"可用资金" : u"可卖数量", u"");
    largestText = rows.AddText(limits.buy ? u"可买数量" : u"最大可卖", u"");
    quantityEdit = rows.AddNumberEdit(limits.buy ? u"买入数量" : u"卖出数量", 9);
    priceEdit->SetID(ID_PRICE_EDIT);
    quantityEdit->SetID(ID_QUANTITY_EDIT);

    RECT last;
    GetRowRect(&last, 0, rows.GetCount() - 1);
    int top = last.bottom + 20;
    int half = (GetWidth() - 2 * left) / 2;
    for (int side = 0; side < 2; ++side)
        for (int level = 0; level < BOOK_LEVELS; ++level) {
            UiStatic& cell = book[side][level];
            // Asks from the fifth down to the first on the left, bids from the first on the right.
            int row = side == 0 ? BOOK_LEVELS - 1 - level : level;
            cell.SetPos(left + side * half, top + row * BOOK_ROW_HEIGHT, half - 10, BOOK_ROW_HEIGHT);
            cell.SetTextSize(Style::BookTextSize);
            cell.SetTextColor(side == 1 ? Style::BookBidText : Style::BookAskText);
            GetContentPanel().AddChild(&cell);
        }
    ClearStock();
}

int CTradeBuySaleWnd::OnInitParam(int id, const char* info, const char* params)
{
    int r = CFormWnd::OnInitParam(id, info, params);
    if (params == nullptr || params[0] == 0)
        return r;
    std::string mmlb = Param(params, "MMLB");
    limits.buy = mmlb.empty() || atoi(mmlb.c_str()) != 1;
    actionLabel = limits.buy ? u"买入" : u"卖出";
    commandBar.SetButton(1, true, true, actionLabel);
    if (availableText != nullptr) {
        // The labels were made before the direction was known.
        rows.SetLabel(3, limits.buy ? u"可用资金" : u"可卖数量");
        rows.SetLabel(4, limits.buy ? u"可买数量" : u"最大可卖");
        rows.SetLabel(5, limits.buy ? u"买入数量" : u"卖出数量");
    }
    std::string code = Param(params, "code");
    std::string marketText = Param(params, "market");
    // A code may carry its market after a ".".
    size_t dot = code.find('.');
    if (dot != std::string::npos) {
        if (marketText.empty())
            marketText = code.substr(dot + 1);
        code.resize(dot);
    }
    if (!marketText.empty() && IsDigitString(marketText.c_str()))
        market = atoi(marketText.c_str());
    std::string typeText = Param(params, "type");
    if (!typeText.empty() && IsDigitString(typeText.c_str()))
        securityType = atoi(typeText.c_str());
    if (code.size() > (size_t)CODE_LENGTH)
        code.resize(CODE_LENGTH);
    codeEdit.SetText(WideFromGb(code.c_str()).c_str());
    initialPrice = Param(params, "price");
    if (priceEdit != nullptr && IsDecimalNumber(initialPrice.c_str()))
        priceEdit->SetText(WideFromGb(initialPrice.c_str()).c_str());
    return r;
}

void CTradeBuySaleWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == ID_PRICE_EDIT) {
        if (HIWORD(wParam) == CNumberEdit::NOTIFY_CHANGED)
            ShowLargest();
        return;
    }
    if (LOWORD(wParam) == ID_CODE_EDIT) {
        // A code changed or cleared no longer names the stock shown.
        if (HIWORD(wParam) == CNumberEdit::NOTIFY_CHANGED && !stockCode.empty() &&
            GbFromWide(codeEdit.GetText()) != stockCode)
            ClearStock();
        if (HIWORD(wParam) == CMatchEdit::NOTIFY_FULL) {
            // Another stock: its price and quantity start over.
            if (GbFromWide(codeEdit.GetText()) != stockCode) {
                priceEdit->SetText(u"");
                quantityEdit->SetText(u"");
                market = -1;
            }
            LookUp();
        }
        return;
    }
    CFormWnd::OnMzCommand(wParam, lParam);
}

void CTradeBuySaleWnd::OnActive()
{
    if (!firstActivation) {
        CFormWnd::OnActive();
        return;
    }
    // The opener's own request (a quote table refreshing as the log-in closes) may still hold the shared worker:
    // the first look-up waits for it instead of the base's request, which would be dropped.
    firstActivation = 0;
    if (worker == nullptr)
        worker = CAppData::Instance()->GetConnection();
    CFormWnd::OnActive();
    LookUp();
}

void CTradeBuySaleWnd::LookUp()
{
    lookingUp = true;
    SetSubmitFlag(&lookingUp); // given back when its answer is lost
    if (!SendOnce())
        lookingUp = false;
}

int CTradeBuySaleWnd::BuildRequest(char* part, int capacity, const char*)
{
    std::string code = GbFromWide(codeEdit.GetText());
    if (!lookingUp || code.size() != (size_t)CODE_LENGTH || !IsDigitString(code.c_str())) {
        part[0] = 0;
        return 0;
    }
    std::string fields = "tc_mfuncno=600&tc_sfuncno=3&code=" + code + "&mmlb=" + (limits.buy ? "0" : "1");
    if (market >= 0)
        fields += "&market=" + std::to_string(market);
    std::string price = GbFromWide(priceEdit->GetText());
    if (!price.empty() && CheckPrice(price.c_str(), OrderLimits(), nullptr).empty())
        fields += "&price=" + price;
    return WriteTradeRequest(part, capacity, fields.c_str(), GetTradeAccount());
}

void CTradeBuySaleWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    lookingUp = false;
    bool quiet = quietLookUp;
    quietLookUp = false;
    if (transportFailed) {
        ShowText(u"网络连接失败，请稍后再试！", m_hWnd, 2000);
        return;
    }
    if (data == nullptr || length <= 0)
        return;
    CReplyRecordSet reply(data, (DWORD)length);
    if (reply.hasError) {
        ClearStock();
        refusedCode = GbFromWide(codeEdit.GetText());
        refusedText = WideFromGb(reply.GetErrorText());
        if (!quiet)
            CAppData::Instance()->ShowMessage(reply.GetErrorText(), m_hWnd, 2000);
        return;
    }
    CDataSet* set = *reply.GetRecord(0);
    if (set == nullptr || set->GetRowCount() < 1)
        return;
    set->MoveFirst();
    // An answer about a code the user has since replaced is stale.
    if (GbFromWide(codeEdit.GetText()) != Field(set, "zqdm"))
        return;
    ShowStock(set);
}

void CTradeBuySaleWnd::ShowStock(CDataSet* set)
{
    stockCode = Field(set, "zqdm");
    refusedCode.clear();
    newShare = strcmp(Field(set, "sgdm"), "1") == 0;
    const char* marketText = Field(set, "market");
    if (IsDigitString(marketText) && marketText[0] != 0)
        market = atoi(marketText);
    nameText->SetText(WideFromGb(Field(set, "zqmc")).c_str());
    limits.upLimit = atof(Field(set, "ztj"));
    limits.downLimit = atof(Field(set, "dtj"));
    long long lot = atoll(Field(set, "jydw"));
    limits.lot = lot > 0 ? lot : 100;
    limits.cash = atof(Field(set, "kyzj"));
    limits.available = atoll(Field(set, "kysl"));
    limits.priceStep = llround(atof(Field(set, "jgdw")) * 1000);
    limits.suspended = atoi(Field(set, "tpbz")) == 1;
    // A subscription takes the issue price, up to the quantity the server allows.
    limits.subscribe = newShare;
    limits.most = newShare ? atoll(Field(set, "zdsl")) : -1;
    ShowSubscription(newShare);
    std::string available = limits.buy ? std::string(Field(set, "kyzj")) + GbFromWide(u"元")
                                       : std::string(Field(set, "kysl")) + GbFromWide(u"股");
    availableText->SetText(WideFromGb(available.c_str()).c_str());
    largestFromServer = Field(set, "zdsl");
    if (newShare || GbFromWide(priceEdit->GetText()).empty())
        priceEdit->SetText(WideFromGb(Field(set, "zxj")).c_str());
    ShowLargest();
    static const char* const levelNames[2] = {"\xC2\xF4", "\xC2\xF2"}; // 卖, 买
    for (int side = 0; side < 2; ++side)
        for (int level = 0; level < BOOK_LEVELS; ++level) {
            char priceName[16], volumeName[16], line[96];
            snprintf(priceName, sizeof priceName, side == 0 ? "mcjw%d" : "mrjw%d", level + 1);
            snprintf(volumeName, sizeof volumeName, side == 0 ? "mcsl%d" : "mrsl%d", level + 1);
            std::string price = Field(set, priceName);
            std::string volume = Field(set, volumeName);
            snprintf(line, sizeof line, "%s%d  %s  %s", levelNames[side], level + 1, price.c_str(), volume.c_str());
            book[side][level].SetText(WideFromGb(line).c_str());
            // A new share has no market yet, so no book.
            book[side][level].SetVisible(!newShare);
        }
    Invalidate();
}

void CTradeBuySaleWnd::ShowLargest()
{
    if (largestText == nullptr || stockCode.empty())
        return;
    std::string shown = largestFromServer;
    if (limits.buy && !newShare) {
        double price = 0;
        long long most = -1;
        if (CheckPrice(GbFromWide(priceEdit->GetText()).c_str(), OrderLimits(), &price).empty())
            most = LargestBuy(limits, price);
        shown = most >= 0 ? std::to_string(most) : std::string();
    }
    largestText->SetText(shown.empty() ? u"" : (WideFromGb(shown.c_str()) + u"股").c_str());
}

void CTradeBuySaleWnd::ForgetAvailable()
{
    stockCode.clear();
    limits.cash = -1;
    limits.available = -1;
    availableText->SetText(u"");
    largestText->SetText(u"");
}

void CTradeBuySaleWnd::ShowSubscription(bool on)
{
    if (priceEdit == nullptr)
        return;
    // A price not to be typed reads as a value, not as a field.
    priceEdit->SetReadOnly(on);
    priceEdit->SetFrame(!on);
    priceEdit->SetBackgroundColor(on ? Style::PanelFill : Style::PaperFill);
    priceEdit->Invalidate();
    rows.SetLabel(2, on ? u"申购价格" : u"委托价格");
    rows.SetLabel(5, on ? u"申购数量" : limits.buy ? u"买入数量" : u"卖出数量");
    commandBar.SetButtonText(1, on ? u"申购" : actionLabel);
}

void CTradeBuySaleWnd::ClearStock()
{
    stockCode.clear();
    newShare = false;
    limits.subscribe = false;
    limits.most = -1;
    ShowSubscription(false);
    limits.priceStep = 0;
    limits.suspended = false;
    limits.upLimit = limits.downLimit = 0;
    limits.cash = -1;
    limits.available = -1;
    if (nameText != nullptr) {
        nameText->SetText(u"");
        availableText->SetText(u"");
        largestText->SetText(u"");
    }
    for (int side = 0; side < 2; ++side)
        for (int level = 0; level < BOOK_LEVELS; ++level) {
            WCHAR line[16] = {side == 0 ? u'卖' : u'买', (WCHAR)(u'1' + level), u' ', u' ', u'-', u'-', 0};
            book[side][level].SetText(line);
            book[side][level].SetVisible(true);
        }
    Invalidate();
}

void CTradeBuySaleWnd::OnActionButton()
{
    if (!CAppData::Instance()->HasTradeAccounts()) {
        ShowNotice(u"请先登录交易系统！", m_hWnd);
        return;
    }
    std::string code = GbFromWide(codeEdit.GetText());
    if (code.size() != (size_t)CODE_LENGTH || !IsDigitString(code.c_str())) {
        ShowNotice(u"请输入6位证券代码！", m_hWnd);
        return;
    }
    if (code != stockCode) {
        // Limits and what is available belong to the stock: no order before they are known. A refused code is
        // told at once and asked again quietly, so a passing fault (busy, not saved) does not stick to the code.
        if (code == refusedCode && !lookingUp) {
            ShowNotice((refusedText + u"！").c_str(), m_hWnd);
            quietLookUp = true;
            LookUp();
            return;
        }
        ShowText(u"正在查询证券信息，请稍候再试！", m_hWnd, 2000);
        if (!lookingUp)
            LookUp();
        return;
    }
    std::string priceText = GbFromWide(priceEdit->GetText());
    std::string quantityText = GbFromWide(quantityEdit->GetText());
    double price = 0;
    long long quantity = 0;
    std::u16string message = CheckOrder(priceText.c_str(), quantityText.c_str(), limits, &price, &quantity);
    if (!message.empty()) {
        ShowNotice(message.c_str(), m_hWnd);
        return;
    }
    Submit(price, quantity);
}

void CTradeBuySaleWnd::Submit(double price, long long quantity)
{
    char priceText[32], quantityText[24], marketText[16], amountText[32];
    snprintf(priceText, sizeof priceText, "%.3f", price);
    // Two decimals unless the third one carries something.
    size_t n = strlen(priceText);
    if (priceText[n - 1] == '0')
        priceText[n - 1] = 0;
    snprintf(quantityText, sizeof quantityText, "%lld", quantity);
    snprintf(marketText, sizeof marketText, "%d", market);
    snprintf(amountText, sizeof amountText, "%.2f", price * (double)quantity);
    // The holder account shown is the one the order names, so the server acts for it or for none.
    std::string holder = CAppData::Instance()->GetSecuId(marketText);
    std::string fields = "tc_mfuncno=600&tc_sfuncno=6&code=" + stockCode + "&market=" + marketText +
                         "&mmlb=" + (limits.buy ? "0" : "1") + "&price=" + priceText + "&sl=" + quantityText;
    if (!holder.empty() && holder.find_first_of("&=") == std::string::npos)
        fields += "&secuid=" + holder;

    CTradeConfirmWnd* confirm = new CTradeConfirmWnd(newShare ? u"申购确认" : u"委托确认", m_hWnd);
    confirm->AddLine(u"操作类别", newShare ? u"申购" : limits.buy ? u"买入" : u"卖出");
    confirm->AddLine(u"股东账号", WideFromGb(holder.c_str()).c_str());
    confirm->AddLine(u"证券代码", WideFromGb(stockCode.c_str()).c_str());
    confirm->AddLine(u"证券名称", nameText->GetText());
    confirm->AddLine(newShare ? u"申购价格" : u"委托价格", WideFromGb(priceText).c_str());
    confirm->AddLine(newShare ? u"申购数量" : u"委托数量", WideFromGb(quantityText).c_str());
    confirm->AddLine(newShare ? u"申购金额" : u"委托金额", (WideFromGb(amountText) + u"元").c_str());
    confirm->SetOrderRequest(fields.c_str());
    int outcome = confirm->RunModal();
    std::string number = confirm->GetOrderNumber();
    delete confirm;
    if (outcome == CTradeConfirmWnd::UNKNOWN || outcome == CTradeConfirmWnd::REFUSED) {
        // The order may have gone through all the same (a server that did it, then said it was busy): what is
        // available is asked again before another order. After no answer the quantity is not offered twice.
        if (outcome == CTradeConfirmWnd::UNKNOWN)
            quantityEdit->SetText(u"");
        ForgetAvailable();
        LookUp();
        return;
    }
    if (outcome != CTradeConfirmWnd::ACCEPTED)
        return;
    lastOrderNumber = number;
    ShowNotice((u"委托已提交，委托编号：" + WideFromGb(number.c_str())).c_str(), m_hWnd);
    quantityEdit->SetText(u"");
    LookUp(); // what is available has changed
}

LPCWSTR CTradeBuySaleWnd::GetNameText() const
{
    return nameText != nullptr ? nameText->GetText() : u"";
}

LPCWSTR CTradeBuySaleWnd::GetAvailableText() const
{
    return availableText != nullptr ? availableText->GetText() : u"";
}

LPCWSTR CTradeBuySaleWnd::GetLargestText() const
{
    return largestText != nullptr ? largestText->GetText() : u"";
}

LPCWSTR CTradeBuySaleWnd::GetBookText(bool sell, int level) const
{
    if (level < 0 || level >= BOOK_LEVELS)
        return u"";
    return book[sell ? 0 : 1][level].GetText();
}
