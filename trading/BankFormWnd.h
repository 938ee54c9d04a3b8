// CBankFormWnd: the base of the forms that act on one of the account's banks (balance, transfer): the bank row,
// "正在获取银行列表" until the bank list the form asks for first has come, then the bank picked from the list.
#pragma once

#include "trading/BankAccounts.h"
#include "trading/FormWnd.h"

#include <vector>

class CDataSet;

class CBankFormWnd : public CFormWnd {
public:
    CBankFormWnd(LPCWSTR title, HWND owner);
    ~CBankFormWnd() override;

    // Takes bank index of the list; nothing for an index outside it.
    void SelectBank(int index);
    int GetBankCount() const { return (int)banks.size(); }

protected:
    // The bank row, whose tap picks from the list while CanPickBank.
    void AddBankRow(int id);
    // Takes the bank list of a reply: the first bank chosen, or "没有签约银行" on the row when there is none.
    void TakeBankList(CDataSet* set);
    virtual bool CanPickBank() const { return true; }
    // After a bank was taken.
    virtual void OnBankSelected() {}

    std::vector<BankAccount> banks;
    int bankIndex = -1;

private:
    UiPushButton* bankButton = nullptr;
};
