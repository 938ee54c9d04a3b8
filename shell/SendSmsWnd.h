// CSendSmsWnd: sends one text message through the phone's own text-message service. The opener fixes the
// recipient and proposes the text; the user may edit the text, not the recipient.
#pragma once

#include "core/WString.h"
#include "platform/ui/UiEdit.h"
#include "platform/ui/UiStatic.h"
#include "shell/BaseWnd.h"

// The firm's short number of the sign-up text-message service; addressed as a national number.
constexpr WCHAR SMS_SERVICE_NUMBER[] = u"1065750788";

class CSendSmsWnd : public CBaseWnd {
public:
    static constexpr int ID_NUMBER_EDIT = 300;
    static constexpr int ID_MESSAGE_EDIT = 228;
    static constexpr int ID_LABEL = 302;

    CSendSmsWnd(LPCWSTR title, HWND owner);
    ~CSendSmsWnd() override;

    // "+86" is put in front unless the number already starts with it or is the service number.
    void SetRecipient(LPCWSTR number);
    void SetMessage(LPCWSTR text);
    // 1: the caption bar keeps its home and trade icons; 0: both off.
    void SetCaptionButtons(int flag) { captionButtons = flag; }
    // 1 when the message was handed to the text-message service, 0 otherwise.
    static int SendSms(LPCWSTR number, LPCWSTR text);
    // Runs the window as its openers do: recipient and proposed text set, created over the work area as a pop-up
    // owned by owner, sliding in and out, modal; the owner's child-closed handling releases it. FALSE when it
    // could not be created.
    static BOOL Run(HWND owner, LPCWSTR title, LPCWSTR recipient, LPCWSTR text, int captionButtons);

    LPCWSTR GetMzClassName() override;
    void OnLButtonDown(UINT keys, int x, int y) override;
    void OnMzCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnInactive() override;
    void OnScreenModeChanged(int orientation) override;

    LPCWSTR GetRecipient() const { return recipient.GetText(); }
    LPCWSTR GetMessage() const { return message.GetText(); }
    UiTextEdit& GetMessageEdit() { return messageEdit; }
    UiLineEdit& GetNumberEdit() { return numberEdit; }

private:
    void LayoutControls();
    void EnableCommands(bool enabled);

    UiLineEdit numberEdit;
    UiTextEdit messageEdit;
    UiStatic contentLabel;
    UiStatic numberLabel;
    CWString recipient;
    CWString message;
    int captionButtons = 1;
};
