#include "trading/BankTransferWnd.h"

#include "core/AppData.h"
#include "core/ReplyRecordSet.h"
#include "shell/QueryTableWnd.h"
#include "trading/OrderCheck.h"
#include "trading/TradeConfirmWnd.h"
#include "trading/TradeText.h"
#include "platform/win/SecureMemory.h"

#include <cstdio>
#include <cstring>

namespace {

const WCHAR* DirectionText(int direction)
{
    return direction == CBankTransferWnd::SECURITIES_TO_BANK ? u"证券转银行" : u"银行转证券";
}

const WCHAR* PasswordLabel(int direction)
{
    return direction == CBankTransferWnd::SECURITIES_TO_BANK ? u"资金密码" : u"银行密码";
}

} // namespace

CBankTransferWnd::CBankTransferWnd(LPCWSTR title, HWND ownerWnd) : CBankFormWnd(title, ownerWnd)
{
    actionLabel = u"转账";
}

CBankTransferWnd::~CBankTransferWnd() = default;

LPCWSTR CBankTransferWnd::GetMzClassName()
{
    return u"CBankTransferWnd";
}

void CBankTransferWnd::CreateControls()
{
    AddBankRow(ID_BANK);
    directionButton = rows.AddChoice(u"转账方向", DirectionText(direction), ID_DIRECTION, [this] {
        SelectDirection(direction == BANK_TO_SECURITIES ? SECURITIES_TO_BANK : BANK_TO_SECURITIES);
    });
    amountEdit = rows.AddNumberEdit(u"转账金额", 12);
    passwordEdit = rows.AddEdit(PasswordLabel(direction), SIP_KIND_NUMBER, 12, true);
    amountEdit->SetID(ID_AMOUNT);
    passwordEdit->SetID(ID_PASSWORD);
}

void CBankTransferWnd::SelectDirection(int value)
{
    if (value != BANK_TO_SECURITIES && value != SECURITIES_TO_BANK)
        return;
    if (value != direction)
        passwordEdit->WipeText(); // the other password is asked for
    direction = value;
    directionButton->SetText(DirectionText(direction));
    rows.SetLabel(3, PasswordLabel(direction));
}

int CBankTransferWnd::BuildRequest(char* part, int capacity, const char*)
{
    // The only request of the form itself is the bank list; the transfer goes through the confirmation.
    return WriteTradeRequest(part, capacity, BANK_LIST_FIELDS, GetTradeAccount());
}

void CBankTransferWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    CReplyRecordSet reply;
    CDataSet* set = FirstSetOrTell(reply, data, length, transportFailed, m_hWnd, u"银行列表获取失败，请稍后再试！");
    if (set == nullptr)
        return;
    TakeBankList(set);
}

void CBankTransferWnd::OnActionButton()
{
    if (!CAppData::Instance()->HasTradeAccounts()) {
        ShowNotice(u"请先登录交易系统！", m_hWnd);
        return;
    }
    if (bankIndex < 0) {
        ShowNotice(u"请先选择银行！", m_hWnd);
        return;
    }
    std::string amountText = GbFromWide(amountEdit->GetText());
    double amount = 0;
    std::u16string message = CheckAmount(amountText.c_str(), MOST_PER_TRANSFER, &amount);
    if (message.empty() && passwordEdit->GetText()[0] == 0)
        message = direction == SECURITIES_TO_BANK ? u"请输入资金密码！" : u"请输入银行密码！";
    if (!message.empty()) {
        ShowNotice(message.c_str(), m_hWnd);
        return;
    }
    const BankAccount& bank = banks[(size_t)bankIndex];
    char money[32];
    snprintf(money, sizeof money, "%.2f", amount);
    std::string fields;
    {
        CTypedSecret password(*passwordEdit);
        if (strpbrk(password.Get(), "&=") != nullptr) {
            ShowNotice(u"密码含有非法字符！", m_hWnd);
            return;
        }
        fields = "tc_mfuncno=600&tc_sfuncno=20&yhdm=" + bank.code + "&zzfx=" + std::to_string(direction) +
                 "&je=" + money + (direction == SECURITIES_TO_BANK ? "&zjmm=" : "&yhmm=") + password.Get();
    }
    CTradeConfirmWnd* confirm = new CTradeConfirmWnd(u"转账确认", m_hWnd);
    confirm->AddLine(u"银行", BankLabel(bank).c_str());
    confirm->AddLine(u"转账方向", DirectionText(direction));
    confirm->AddLine(u"转账金额", (WideFromGb(money) + u"元").c_str());
    confirm->SetOrderRequest(fields.c_str());
    confirm->SetUnknownText(CTradeConfirmWnd::TRANSFER_UNKNOWN_TEXT);
    SecureZeroMemory(fields.data(), fields.size());
    int outcome = confirm->RunModal();
    lastSerial = confirm->GetOrderNumber();
    delete confirm;
    if (outcome == CTradeConfirmWnd::NOT_SENT)
        return;
    // Sent: the password is not kept for another transfer, nor an amount that may have moved already.
    passwordEdit->WipeText();
    if (outcome == CTradeConfirmWnd::UNKNOWN)
        amountEdit->SetText(u"");
    if (outcome == CTradeConfirmWnd::ACCEPTED) {
        amountEdit->SetText(u"");
        ShowNotice((u"转账已受理，流水号：" + WideFromGb(lastSerial.c_str())).c_str(), m_hWnd);
    }
}
