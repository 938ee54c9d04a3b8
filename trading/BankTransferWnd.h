// CBankTransferWnd: transfers between bank and securities account ("banktransfer"): bank, direction, amount and
// the password the direction needs (the bank's into the securities account, the fund password out of it); the
// transfer goes through the confirmation window, once.
#pragma once

#include "trading/BankFormWnd.h"

class CBankTransferWnd : public CBankFormWnd {
public:
    static constexpr int ID_BANK = 350;
    static constexpr int ID_DIRECTION = 351;
    static constexpr int ID_AMOUNT = 352;
    static constexpr int ID_PASSWORD = 353;
    static constexpr double MOST_PER_TRANSFER = 5000000.0;
    enum Direction { BANK_TO_SECURITIES = 1, SECURITIES_TO_BANK = 2 };

    CBankTransferWnd(LPCWSTR title, HWND owner);
    ~CBankTransferWnd() override;

    LPCWSTR GetMzClassName() override;
    void CreateControls() override;
    void OnActionButton() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;

    void SelectDirection(int direction);
    UiLineEdit* GetAmountEdit() const { return amountEdit; }
    UiLineEdit* GetPasswordEdit() const { return passwordEdit; }
    const std::string& GetLastSerial() const { return lastSerial; }

private:
    UiPushButton* directionButton = nullptr;
    UiLineEdit* amountEdit = nullptr;
    UiLineEdit* passwordEdit = nullptr;
    int direction = BANK_TO_SECURITIES;
    std::string lastSerial;
};
