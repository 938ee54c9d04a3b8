// CFundRgSgWnd: fund purchase ("基金申购", mode 0) or subscription ("基金认购", mode 1): the fund by its code
// (from the selected row's "ofcode" when opened from a table), its name, net value, state, the cash available
// and the minimum, and the amount to pay. The order goes out after the user confirms it.
#pragma once

#include "funds/FundForm.h"
#include "shell/FundBaseWnd.h"
#include "shell/MatchEdit.h"

class CFundRgSgWnd : public CFundBaseWnd {
public:
    enum { MODE_PURCHASE = 0, MODE_SUBSCRIBE = 1 };
    static constexpr int ID_CODE = 310;

    CFundRgSgWnd(LPCWSTR title, HWND owner, int mode);
    ~CFundRgSgWnd() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // A code typed in full is looked up at once.
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    int OnInitParam(int menuId, const char* info, const char* params) override;
    void OnActive() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    // Looks the typed fund up.
    void Request() override;
    void CreateControls() override;
    void OnActionButton() override;
    RECT GetPanelRect() override;

    CMatchEdit* GetCodeEdit() { return &codeEdit; }
    UiLineEdit* GetAmountEdit() const { return amountEdit; }
    const FundRow& GetFund() const { return fund; }
    int GetMode() const { return mode; }

private:
    void ShowFund();
    // Forgets the fund shown: nothing of another fund stays beside a new code.
    void ClearFund();
    // Checks the amount against the fund and the account, then confirms and sends.
    void Submit();

    int mode;
    CMatchEdit codeEdit; // before the rows, which place it
    CFormRows rows{this};
    CFundChoices choices{this};
    UiStatic* nameText = nullptr;
    UiStatic* navText = nullptr;
    UiStatic* stateText = nullptr;
    UiStatic* cashText = nullptr;
    UiStatic* minimumText = nullptr;
    UiLineEdit* amountEdit = nullptr;
    FundLookup lookup;
    FundRow fund;
    bool submitAfterLookup = false;
    bool loginAsked = false;
};
