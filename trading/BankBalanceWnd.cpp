#include "trading/BankBalanceWnd.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"
#include "shell/QueryTableWnd.h"
#include "trading/TradeText.h"
#include "platform/win/SecureMemory.h"

#include <cstring>

CBankBalanceWnd::CBankBalanceWnd(LPCWSTR title, HWND ownerWnd) : CBankFormWnd(title, ownerWnd)
{
    actionLabel = u"查询";
}

CBankBalanceWnd::~CBankBalanceWnd() = default;

LPCWSTR CBankBalanceWnd::GetMzClassName()
{
    return u"CBankBalanceWnd";
}

void CBankBalanceWnd::CreateControls()
{
    AddBankRow(ID_BANK);
    passwordEdit = rows.AddEdit(u"银行密码", SIP_KIND_NUMBER, 12, true);
    balanceText = rows.AddText(u"银行余额", u"");
    passwordEdit->SetID(ID_PASSWORD);
}

bool CBankBalanceWnd::CanPickBank() const
{
    return !asking;
}

void CBankBalanceWnd::OnBankSelected()
{
    balanceText->SetText(u"");
}

int CBankBalanceWnd::BuildRequest(char* part, int capacity, const char*)
{
    if (!asking)
        return WriteTradeRequest(part, capacity, BANK_LIST_FIELDS, GetTradeAccount());
    part[0] = 0;
    if (bankIndex < 0)
        return 0;
    CTypedSecret password(*passwordEdit);
    if (strpbrk(password.Get(), "&=") != nullptr)
        return 0;
    std::string fields =
        "tc_mfuncno=600&tc_sfuncno=21&yhdm=" + banks[(size_t)bankIndex].code + "&yhmm=" + password.Get();
    int ok = WriteTradeRequest(part, capacity, fields.c_str(), GetTradeAccount());
    SecureZeroMemory(fields.data(), fields.size());
    return ok;
}

void CBankBalanceWnd::OnActionButton()
{
    if (asking)
        return;
    if (!CAppData::Instance()->HasTradeAccounts()) {
        ShowNotice(u"请先登录交易系统！", m_hWnd);
        return;
    }
    if (bankIndex < 0) {
        ShowNotice(u"请先选择银行！", m_hWnd);
        return;
    }
    if (passwordEdit->GetText()[0] == 0) {
        ShowNotice(u"请输入银行密码！", m_hWnd);
        return;
    }
    SubmitOnce(&asking);
}

void CBankBalanceWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    bool balance = asking;
    asking = false;
    EnableToolbar(TRUE);
    if (balance)
        passwordEdit->WipeText(); // asked again for the next look
    CReplyRecordSet reply;
    CDataSet* set = FirstSetOrTell(reply, data, length, transportFailed, m_hWnd, u"网络连接失败，请稍后再试！");
    if (set == nullptr)
        return;
    if (!balance) {
        TakeBankList(set);
        return;
    }
    if (set == nullptr || set->GetRowCount() < 1)
        return;
    set->MoveFirst();
    const char* value = set->GetAsText("yhye");
    const char* currency = set->GetAsText("bz");
    std::string shown = std::string(value != nullptr ? value : "") + " " + (currency != nullptr ? currency : "");
    balanceText->SetText(WideFromGb(shown.c_str()).c_str());
}
