// CFundRedemptionWnd: redemption of a held fund: the fund picked from the shares held, the shares available, and
// the shares to redeem (part, or all with "全部赎回"). The order goes out after the user confirms it.
#pragma once

#include "funds/FundForm.h"
#include "shell/FundBaseWnd.h"

class CFundRedemptionWnd : public CFundBaseWnd {
public:
    static constexpr int ID_FUND = 301;
    static constexpr int ID_ALL = 302;

    CFundRedemptionWnd(LPCWSTR title, HWND owner);
    ~CFundRedemptionWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    void OnActive() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    // Fetches the shares held.
    void Request() override;
    void CreateControls() override;
    void OnActionButton() override;
    RECT GetPanelRect() override;

    void ChooseFund(int row);
    int GetChosen() const { return chosen; }
    const std::vector<FundRow>& GetHoldings() const { return holdings; }
    UiLineEdit* GetSharesEdit() const { return sharesEdit; }

private:
    CFormRows rows{this};
    CFundChoices choices{this};
    UiPushButton* fundButton = nullptr;
    UiStatic* availableText = nullptr;
    UiLineEdit* sharesEdit = nullptr;
    FundLookup lookup;
    std::vector<FundRow> holdings;
    int chosen = -1;
    bool loginAsked = false;
};
