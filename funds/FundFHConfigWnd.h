// CFundFHConfigWnd: the dividend method of a held fund: the fund picked from the shares held, its current method,
// and the new one ("现金分红" or "红利再投资"). The setting goes out after the user confirms it.
#pragma once

#include "funds/FundFormWnd.h"

class CFundFHConfigWnd : public CFundFormWnd {
public:
    static constexpr int ID_FUND = 301;
    static constexpr int ID_METHOD = 302;

    CFundFHConfigWnd(LPCWSTR title, HWND owner);
    ~CFundFHConfigWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    // Fetches the shares held.
    void Request() override;
    void CreateControls() override;
    void OnActionButton() override;

    void ChooseFund(int row);
    // 0 cash, 1 reinvest; -1 none.
    void ChooseMethod(int method);
    const std::vector<FundRow>& GetHoldings() const { return holdings; }

private:
    UiPushButton* fundButton = nullptr;
    UiStatic* currentText = nullptr;
    UiPushButton* methodButton = nullptr;
    std::vector<FundRow> holdings;
    std::vector<FundRow> methods;
    int chosen = -1;
    int method = -1;
};
