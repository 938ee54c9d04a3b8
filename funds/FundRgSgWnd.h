// CFundRgSgWnd: fund purchase ("基金申购", mode 0) or subscription ("基金认购", mode 1): the fund by its code
// (from the selected row's "ofcode" when opened from a table), its name, net value, state, the cash available
// and the minimum, and the amount to pay. The order goes out after the user confirms it.
#pragma once

#include "funds/FundFormWnd.h"
#include "shell/MatchEdit.h"

class CFundRgSgWnd : public CFundFormWnd {
public:
    enum { MODE_PURCHASE = 0, MODE_SUBSCRIBE = 1 };
    static constexpr int ID_CODE = 310;

    CFundRgSgWnd(LPCWSTR title, HWND owner, int mode);
    ~CFundRgSgWnd() override;

    LPCWSTR GetMzClassName() override;
    // A code typed in full is looked up at once.
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    int OnInitParam(int menuId, const char* info, const char* params) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    // Looks the typed fund up.
    void Request() override;
    void CreateControls() override;
    void OnActionButton() override;

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
    // A purchase put off for the fund's lookup goes straight to the checks against what the server said.
    void SubmitPosted() override { Submit(); }

    int mode;
    CMatchEdit codeEdit; // placed by the rows
    UiStatic* nameText = nullptr;
    UiStatic* navText = nullptr;
    UiStatic* stateText = nullptr;
    UiStatic* cashText = nullptr;
    UiStatic* minimumText = nullptr;
    UiLineEdit* amountEdit = nullptr;
    FundRow fund;
    bool submitAfterLookup = false;
};
