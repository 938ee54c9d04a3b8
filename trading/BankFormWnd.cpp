#include "trading/BankFormWnd.h"

CBankFormWnd::CBankFormWnd(LPCWSTR title, HWND owner) : CFormWnd(title, owner) {}

CBankFormWnd::~CBankFormWnd() = default;

void CBankFormWnd::AddBankRow(int id)
{
    bankButton = rows.AddChoice(u"银行", u"正在获取银行列表", id, [this] {
        if (CanPickBank())
            SelectBank(PickBank(m_hWnd, banks));
    });
}

void CBankFormWnd::SelectBank(int index)
{
    if (index < 0 || index >= (int)banks.size())
        return;
    bankIndex = index;
    bankButton->SetText(BankLabel(banks[(size_t)index]).c_str());
    OnBankSelected();
}

void CBankFormWnd::TakeBankList(CDataSet* set)
{
    banks = ReadBankAccounts(set);
    if (banks.empty())
        bankButton->SetText(u"没有签约银行");
    else
        SelectBank(0);
}
