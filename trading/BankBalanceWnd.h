// CBankBalanceWnd: the balance of a bank account ("bankbalance"): bank and bank password, then the balance.
#pragma once

#include "trading/BankFormWnd.h"

class CBankBalanceWnd : public CBankFormWnd {
public:
    static constexpr int ID_BANK = 360;
    static constexpr int ID_PASSWORD = 361;

    CBankBalanceWnd(LPCWSTR title, HWND owner);
    ~CBankBalanceWnd() override;

    LPCWSTR GetMzClassName() override;
    void CreateControls() override;
    void OnActionButton() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;

    UiLineEdit* GetPasswordEdit() const { return passwordEdit; }
    LPCWSTR GetBalanceText() const { return balanceText != nullptr ? balanceText->GetText() : u""; }

protected:
    bool CanPickBank() const override;
    void OnBankSelected() override;

private:
    UiLineEdit* passwordEdit = nullptr;
    UiStatic* balanceText = nullptr;
    bool asking = false; // the balance is asked for (else the bank list)
};
