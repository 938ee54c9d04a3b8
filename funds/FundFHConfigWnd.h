// CFundFHConfigWnd: the dividend method of a held fund: the fund picked from the shares held, its current method,
// and the new one ("现金分红" or "红利再投资"). The setting goes out after the user confirms it.
#pragma once

#include "funds/HeldFundFormWnd.h"

class CFundFHConfigWnd : public CHeldFundFormWnd {
public:
    static constexpr int ID_METHOD = 302;

    CFundFHConfigWnd(LPCWSTR title, HWND owner);
    ~CFundFHConfigWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    void CreateControls() override;
    void OnActionButton() override;

    void ChooseFund(int row) override;
    // 0 cash, 1 reinvest; -1 none.
    void ChooseMethod(int method);

private:
    UiStatic* currentText = nullptr;
    UiPushButton* methodButton = nullptr;
    std::vector<FundRow> methods;
    int method = -1;
};
