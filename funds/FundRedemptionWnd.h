// CFundRedemptionWnd: redemption of a held fund: the fund picked from the shares held, the shares available, and
// the shares to redeem (part, or all with "全部赎回"). The order goes out after the user confirms it.
#pragma once

#include "funds/FundFormWnd.h"

class CFundRedemptionWnd : public CFundFormWnd {
public:
    static constexpr int ID_FUND = 301;
    static constexpr int ID_ALL = 302;

    CFundRedemptionWnd(LPCWSTR title, HWND owner);
    ~CFundRedemptionWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    // Fetches the shares held.
    void Request() override;
    void CreateControls() override;
    void OnActionButton() override;

    void ChooseFund(int row);
    int GetChosen() const { return chosen; }
    const std::vector<FundRow>& GetHoldings() const { return holdings; }
    UiLineEdit* GetSharesEdit() const { return sharesEdit; }

private:
    UiPushButton* fundButton = nullptr;
    UiStatic* availableText = nullptr;
    UiLineEdit* sharesEdit = nullptr;
    std::vector<FundRow> holdings;
    int chosen = -1;
};
