// CQXTradeLoginWnd: the trade log-in ("交易登录"): branch office (from the user's list), account type, account and
// trading password. A successful log-in stores the trade accounts, the trade session and the trading password in
// the application data, sets the trade-logged-in flag, ends the window and then posts the pending action to the
// owner (WM_TRADE_LOGIN_DONE, lParam = the action).
#pragma once

#include "trading/BranchOffices.h"
#include "trading/FormWnd.h"
#include "trading/TradeText.h"

#include <string>
#include <vector>

class CQXTradeLoginWnd : public CFormWnd {
public:
    static constexpr int ID_BRANCH = 320;
    static constexpr int ID_ACCOUNT_TYPE = 321;
    static constexpr int ID_SAVE_ACCOUNT = 322;
    static constexpr int ID_ACCOUNT = 323;
    static constexpr int ID_PASSWORD = 324;

    CQXTradeLoginWnd(LPCWSTR title, HWND owner);
    ~CQXTradeLoginWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    void CreateControls() override;
    void OnActionButton() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    void EndWnd(int result) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The action posted back to the owner after a successful log-in.
    void SetPendingAction(int action) { pendingAction = action; }
    int GetPendingAction() const { return pendingAction; }

    // Choices, as the user's taps would make them.
    void SelectBranch(int index);
    void SelectAccountType(int type);
    int GetBranchIndex() const { return branchIndex; }
    int GetAccountType() const { return accountType; }
    UiLineEdit* GetAccountEdit() const { return accountEdit; }
    UiLineEdit* GetPasswordEdit() const { return passwordEdit; }
    bool IsLoggingIn() const { return loggingIn; }

private:
    void PickBranch();
    void PickAccountType();
    void StoreLogIn(class CReplyRecordSet& reply);

    std::vector<BranchOffice> offices;
    std::vector<std::u16string> officeNames;
    UiPushButton* branchButton = nullptr;
    UiPushButton* typeButton = nullptr;
    UiPushButton* saveButton = nullptr;
    UiLineEdit* accountEdit = nullptr;
    UiLineEdit* passwordEdit = nullptr;
    int branchIndex = -1;
    int accountType = 0; // 0 资金账号, 1 股东账号
    bool saveAccount = true;
    int pendingAction = -1;
    bool loggingIn = false;
    bool loggedIn = false;
    CDeferredNotices notices;
};
