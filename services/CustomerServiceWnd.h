// CCustomerServiceWnd: customer service. The user's account manager (name, branch office, desk and mobile
// numbers) and the firm's service numbers from the server; a number is called through the phone's dialler,
// "短信" writes a text message to the account manager, "营业网点" opens the branch offices; "刷新" asks again, after
// a failure too.
#pragma once

#include "core/WString.h"
#include "platform/ui/UiButton.h"
#include "shell/LabelCtrl.h"
#include "shell/NetWnd.h"

#include <memory>
#include <vector>

class CCustomerServiceWnd : public CNetWnd {
public:
    static constexpr int ID_CALL = 160;
    static constexpr int ID_SMS = 161;
    static constexpr int ID_BRANCHES = 162;
    static constexpr int ID_FIRST_NUMBER = 170;
    static constexpr int MAX_NUMBERS = 8;
    static constexpr int SERVICE_MFUNC = 800;
    static constexpr int SERVICE_SFUNC = 1;

    CCustomerServiceWnd(LPCWSTR title, HWND owner);
    ~CCustomerServiceWnd() override;

    LPCWSTR GetMzClassName() override;
    BOOL OnInitDialog() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    void Request() override;
    void OnScreenModeChanged(int orientation) override;

    // 1 when the dialler took the number; a failure is told to the user.
    int Call(LPCWSTR number, LPCWSTR party);
    // The text-message window addressed to the account manager, run modally.
    void WriteToManager();

    LPCWSTR GetManagerMobile() const { return managerMobile.GetText(); }
    LPCWSTR GetCardText() const { return cardLabel.GetText(); }
    int GetNumberCount() const { return (int)numbers.size(); }

private:
    struct ServiceNumber {
        CWString name;
        CWString number;
        std::unique_ptr<UiPushButton> button;
    };
    void ShowCard();
    // The card's line when the answer did not come.
    void TellFailed();
    void PlaceControls();

    CLabelCtrl managerTitle;
    CLabelCtrl cardLabel;
    CLabelCtrl numbersTitle;
    UiPushButton callButton;
    UiPushButton smsButton;
    UiPushButton branchButton;
    CWString managerName;
    CWString managerBranch;
    CWString managerPhone;
    CWString managerMobile;
    std::vector<ServiceNumber> numbers;
};
