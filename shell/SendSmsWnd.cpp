#include "shell/SendSmsWnd.h"

#include "core/AppData.h"
#include "core/TextHelpers.h"
#include "platform/device/Sms.h"
#include "platform/ui/MzDialogs.h"
#include "platform/ui/Style.h"
#include "platform/win/WideText.h"
#include "shell/WndManager.h"

#include <cstdlib>
#include <cstring>

namespace {

const WCHAR SEND_FAILED[] = u"信息发送失败，请稍后重试！";
const WCHAR SEND_DONE[] = u"信息已成功发送，请注意查收回复！";
constexpr int TIP_MS = 2000;

bool IsServiceNumber(LPCWSTR number)
{
    return number != nullptr && wcscmp(number, SMS_SERVICE_NUMBER) == 0;
}

// A self-closing tip through the application's message path.
void ShowTip(const WCHAR* text, HWND owner)
{
    char* ansi = nullptr;
    WideToAnsi(text, &ansi);
    CAppData::Instance()->ShowMessage(ansi != nullptr ? ansi : "", owner, TIP_MS);
    free(ansi);
}

} // namespace

CSendSmsWnd::CSendSmsWnd(LPCWSTR title, HWND ownerWnd) : CBaseWnd(title, ownerWnd) {}

CSendSmsWnd::~CSendSmsWnd() = default;

LPCWSTR CSendSmsWnd::GetMzClassName()
{
    return u"CSendSmsWnd";
}

void CSendSmsWnd::SetRecipient(LPCWSTR number)
{
    if (number == nullptr)
        number = u"";
    if (wcsncmp(number, u"+86", 3) != 0 && !IsServiceNumber(number)) {
        recipient.Assign(u"+86");
        recipient.Append(number);
    } else {
        recipient.Assign(number);
    }
}

void CSendSmsWnd::SetMessage(LPCWSTR text)
{
    message.Assign(text != nullptr ? text : u"");
}

int CSendSmsWnd::SendSms(LPCWSTR number, LPCWSTR text)
{
    if (number == nullptr || text == nullptr)
        return 0;
    SMS_HANDLE handle = nullptr;
    if (SmsOpen(SMS_TEXT_PROTOCOL, SMS_MODE_SEND, &handle, nullptr) < 0)
        return 0;

    SMS_ADDRESS destination{};
    destination.smsatAddressType = IsServiceNumber(number) ? SMSAT_NATIONAL : SMSAT_INTERNATIONAL;
    wcsncpy(destination.ptsAddress, number, SMS_MAX_ADDRESS_LENGTH - 1);
    destination.ptsAddress[SMS_MAX_ADDRESS_LENGTH - 1] = 0;

    TEXT_PROVIDER_SPECIFIC_DATA provider{};
    provider.dwMessageOptions = 0;
    provider.psMessageClass = PS_MESSAGE_CLASS1;
    provider.psReplaceOption = PSRO_NONE;
    provider.dwHeaderDataSize = 0;
    provider.fMessageContainsEMSHeaders = FALSE;
    provider.dwProtocolID = 0;

    SMS_MESSAGE_ID id = 0;
    HRESULT sent =
        SmsSendMessage(handle, nullptr, &destination, nullptr, (const BYTE*)text, (DWORD)(wcslen(text) * sizeof(WCHAR)),
                       (const BYTE*)&provider, sizeof provider, SMSDE_OPTIMAL, 0, &id);
    SmsClose(handle);
    return sent >= 0 ? 1 : 0;
}

BOOL CSendSmsWnd::OnInitDialog()
{
    if (!CBaseWnd::OnInitDialog())
        return FALSE;
    captionBar.EnableHome(captionButtons);
    captionBar.EnableTradeIcon(captionButtons);

    contentLabel.SetID(ID_LABEL);
    contentLabel.SetText(u"短信内容:");
    contentLabel.SetTextColor(Style::FormLabel);
    numberLabel.SetID(ID_LABEL);
    numberLabel.SetText(u"电话号码:");
    numberLabel.SetTextColor(Style::FormLabel);

    messageEdit.SetID(ID_MESSAGE_EDIT);
    messageEdit.SetText(message.GetText());
    messageEdit.SetTextSize(Style::MessageEditTextSize);
    messageEdit.SetTextColor(Style::EditText);
    messageEdit.SetEditable(true);
    messageEdit.SetFrame(true);

    numberEdit.SetID(ID_NUMBER_EDIT);
    numberEdit.SetText(recipient.GetText());
    numberEdit.SetTextColor(Style::ReadOnlyText);
    numberEdit.SetSipMode(SIP_KIND_NUMBER);
    numberEdit.SetReadOnly(true); // the message always goes to the opener's recipient

    LayoutControls();
    contentPanel.AddChild(&contentLabel);
    contentPanel.AddChild(&messageEdit);
    contentPanel.AddChild(&numberLabel);
    contentPanel.AddChild(&numberEdit);

    RemoveUiWin(&toolBar);
    commandBar.SetButton(0, true, true, u"发送");
    commandBar.SetButton(2, true, true, u"取消");
    AddUiWin(&commandBar);
    return TRUE;
}

void CSendSmsWnd::LayoutControls()
{
    RECT client;
    GetClientRect(&client);
    int x = (client.right - client.left) - 80;
    int a = (int)(x * 0.3);
    int b = (int)(x * 0.6);
    int c = (int)(x * 0.1);
    contentLabel.SetPos(40, 0, a, 60);
    messageEdit.SetPos(40, 60, x, 180);
    numberLabel.SetPos(40, 250, a, 60);
    numberEdit.SetPos(a + c + 40, 250, b, 60);
}

void CSendSmsWnd::OnScreenModeChanged(int /*orientation*/)
{
    LayoutControls();
    Invalidate();
}

void CSendSmsWnd::OnInactive()
{
    // Stays quiet: the opener is still in front of the user's mind while a message goes out.
}

void CSendSmsWnd::OnLButtonDown(UINT keys, int x, int y)
{
    messageEdit.SetFocus(false);
    CBaseWnd::OnLButtonDown(keys, x, y);
}

void CSendSmsWnd::EnableCommands(bool enabled)
{
    for (int i = 0; i < UiCommandBar::BUTTONS; ++i)
        commandBar.EnableButton(i, enabled);
    commandBar.Invalidate();
}

void CSendSmsWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) != ID_COMMAND_BAR) {
        CBaseWnd::OnMzCommand(wParam, lParam);
        return;
    }
    messageEdit.SetFocus(false);
    if (lParam == 0) {
        LPCWSTR text = messageEdit.GetText();
        if (text == nullptr || text[0] == 0) {
            messageEdit.SetFocus(true);
            return;
        }
        CWString toSend(text); // the editor may change while the tip runs
        EnableCommands(false);
        if (!SendSms(recipient.GetText(), toSend.GetText())) {
            ShowTip(SEND_FAILED, m_hWnd);
            EnableCommands(true);
            return;
        }
        ShowTip(SEND_DONE, m_hWnd);
        EndWnd(END_BACK);
    } else if (lParam == 2) {
        EndWnd(END_BACK);
    }
}

BOOL CSendSmsWnd::Run(HWND owner, LPCWSTR title, LPCWSTR recipient, LPCWSTR text, int captionButtons)
{
    RECT work;
    CWndManager::GetInstance()->GetWorkRect(&work);
    auto* sms = new CSendSmsWnd(title, owner);
    sms->SetRecipient(recipient);
    sms->SetMessage(text);
    sms->SetCaptionButtons(captionButtons);
    if (!sms->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, owner, 0, 0x80000000u, 0)) {
        delete sms;
        return FALSE;
    }
    sms->SetShowAnimation(12);
    sms->SetHideAnimation(11);
    sms->ShowWnd(-1, nullptr, nullptr, 1);
    return TRUE;
}
