// CRegisterVerifyFrame: signs a phone up that the server does not know yet. It tells the user which text message
// to send to the firm's service number (and sends it on request), then logs in with the 11-digit mobile number,
// keeps the sign-up code the server answers in the registry sign-up record, fetches menus and configuration when
// the versions ask for it, and opens the main frame. CRegisterHelpWnd shows the log-in reply's help text.
#pragma once

#include "core/GrowArray.h"
#include "core/WString.h"
#include "platform/ui/UiButton.h"
#include "platform/ui/UiEdit.h"
#include "shell/LabelCtrl.h"
#include "shell/NetWnd.h"
#include "shell/TextWnd.h"

class CDataSet;

class CRegisterVerifyFrame : public CNetWnd {
public:
    static constexpr int ID_SMS_BUTTON = 140;
    static constexpr int ID_HELP_BUTTON = 141;
    static constexpr int ID_NUMBER_EDIT = 300;
    static constexpr int STEP_MAIN_FRAME = 2;
    static constexpr int STEP_HELP = 5;
    enum State { IDLE = 0, LOGIN = 1, CONFIG_WANTED = 2, CONFIG_SENT = 3, DONE = 4 };

    // regInfo and help: the log-in reply's "reginfo" and "help" texts (8-bit, may be null).
    CRegisterVerifyFrame(HWND owner, const char* regInfo, const char* help);
    ~CRegisterVerifyFrame() override;

    LPCWSTR GetMzClassName() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnLButtonDown(UINT keys, int x, int y) override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnScreenModeChanged(int orientation) override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;

    LPCWSTR GetHint() const { return hint.GetText(); }
    const char* GetHelpText() const { return (const char*)help.data; }
    int GetSignUpState() const { return signUpState; }
    void SetSignUpState(int state) { signUpState = state; }
    UiLineEdit& GetNumberEdit() { return numberEdit; }

protected:
    void OpenMainFrame();
    void OpenHelp();
    void SendSignUpSms();

    UiPushButton smsButton;
    UiPushButton helpButton;
    UiLineEdit numberEdit;
    CLabelCtrl promptLabel;
    CLabelCtrl smsLineLabel;
    CLabelCtrl helpLineLabel;
    CLabelCtrl hintLabel;
    CWString hint;
    CByteBuffer help;
    int signUpState = IDLE;
};

class CRegisterHelpWnd : public CTextWnd {
public:
    CRegisterHelpWnd(LPCWSTR title, HWND owner);
    LPCWSTR GetMzClassName() override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
};
