// CFundRedemptionWnd: redemption of a held fund: the fund picked from the shares held, the shares available, and
// the shares to redeem (part, or all with "全部赎回"). The order goes out after the user confirms it.
#pragma once

#include "funds/HeldFundFormWnd.h"

class CFundRedemptionWnd : public CHeldFundFormWnd {
public:
    static constexpr int ID_ALL = 302;

    CFundRedemptionWnd(LPCWSTR title, HWND owner);
    ~CFundRedemptionWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    void CreateControls() override;
    void OnActionButton() override;

    void ChooseFund(int row) override;
    int GetChosen() const { return chosen; }
    UiLineEdit* GetSharesEdit() const { return sharesEdit; }

private:
    UiStatic* availableText = nullptr;
    UiLineEdit* sharesEdit = nullptr;
};
