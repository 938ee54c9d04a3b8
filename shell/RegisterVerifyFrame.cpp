#include "shell/RegisterVerifyFrame.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/DeviceRegRecord.h"
#include "core/TextHelpers.h"
#include "platform/ui/MzDialogs.h"
#include "platform/ui/Style.h"
#include "platform/win/Message.h"
#include "platform/win/WideText.h"
#include "shell/ConfigSets.h"
#include "shell/QXAppFrame.h"
#include "shell/SendSmsWnd.h"
#include "shell/WndManager.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr DWORD POPUP_STYLE = 0x80000000u;
constexpr int MOBILE_LENGTH = 11;
const WCHAR SIGN_UP_TEXT[] = u"DB A1212";

// The sign-up information with its first "DB A" completed to the full sign-up text; unchanged without one.
CWString CompleteSignUpText(const char* info)
{
    CWString text(info);
    int at = text.Find(u"DB A");
    if (at < 0)
        return text;
    CWString result = text.Left(at);
    result.Append(SIGN_UP_TEXT);
    result.Append(text.Mid(at + 4).GetText());
    return result;
}

} // namespace

CRegisterVerifyFrame::CRegisterVerifyFrame(HWND ownerWnd, const char* regInfo, const char* helpText)
    : CNetWnd(u"用户注册", ownerWnd)
{
    wndType = WND_TYPE_SIGNUP_FRAME;
    firstActivation = 0;
    requestOnActive = 0;
    if (regInfo != nullptr) {
        CWString content(CAppData::Instance()->GetConfig("Sms_Content"));
        if (content.GetLength() > 4) {
            hint.Assign(u"提示：发送短信");
            hint.Append(content.GetText());
            hint.Append(u"至");
            hint.Append(SMS_SERVICE_NUMBER);
            hint.Append(u"注册后才能登录(免费使用)");
        } else {
            hint = CompleteSignUpText(regInfo);
        }
    }
    const char* text = helpText != nullptr ? helpText : "";
    help.Append((const BYTE*)text, (UINT)strlen(text) + 1);
}

CRegisterVerifyFrame::~CRegisterVerifyFrame() = default;

LPCWSTR CRegisterVerifyFrame::GetMzClassName()
{
    return u"CRegisterVerifyFrame";
}

BOOL CRegisterVerifyFrame::OnInitDialog()
{
    if (!CNetWnd::OnInitDialog())
        return FALSE;
    captionBar.EnableHome(FALSE);
    captionBar.EnableTradeIcon(FALSE);

    // The application data's record, read afresh: the one every request's common fields are taken from.
    DeviceRegRecord* record = CAppData::Instance()->GetDeviceRecord();
    record->Load();
    numberEdit.SetID(ID_NUMBER_EDIT);
    numberEdit.SetPos(260, 40, 200, 50);
    numberEdit.SetTip(u"请输入手机号码...");
    numberEdit.SetTextColor(Style::EditText);
    numberEdit.SetSipMode(SIP_KIND_NUMBER);
    numberEdit.SetMaxChars(MOBILE_LENGTH);
    numberEdit.SetText(record->GetFocus());
    contentPanel.AddChild(&numberEdit);

    promptLabel.SetID(143);
    promptLabel.SetText(u"请输入手机号登录：");
    promptLabel.SetPos(40, 40, 200, 50);
    promptLabel.SetTextColor(Style::FormLabel);
    promptLabel.SetFontSize(Style::NoteTextSize);
    promptLabel.SetSingleLine(1);
    promptLabel.SetBold(0);
    contentPanel.AddChild(&promptLabel);

    RECT client;
    GetClientRect(&client);
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    hintLabel.SetID(146);
    hintLabel.SetText(hint.GetText());
    hintLabel.SetPos(40, 120, width - 60, 100);
    hintLabel.SetTextColor(Style::FormLabel);
    hintLabel.SetFontSize(Style::FinePrintTextSize);
    hintLabel.SetSingleLine(0);
    hintLabel.SetLinkStyle(0);
    contentPanel.AddChild(&hintLabel);

    smsLineLabel.SetID(144);
    smsLineLabel.SetText(u"如未发送短信，请发送");
    smsLineLabel.SetPos(40, 210, 200, 80);
    smsLineLabel.SetTextColor(Style::FormLabel);
    smsLineLabel.SetFontSize(Style::FinePrintTextSize);
    smsLineLabel.SetSingleLine(1);
    smsLineLabel.SetBold(0);
    contentPanel.AddChild(&smsLineLabel);
    smsButton.SetID(ID_SMS_BUTTON);
    smsButton.SetText(u"短信");
    smsButton.SetButtonType(MZC_BUTTON_FRAMED);
    smsButton.SetPos(260, 210, 120, 70);
    smsButton.SetTextColor(Style::ButtonText);
    contentPanel.AddChild(&smsButton);

    helpButton.SetID(ID_HELP_BUTTON);
    helpButton.SetText(u"帮助");
    helpButton.SetButtonType(MZC_BUTTON_FRAMED);
    helpButton.SetPos(260, 310, 120, 70);
    helpButton.SetTextColor(Style::ButtonText);
    contentPanel.AddChild(&helpButton);
    helpLineLabel.SetID(145);
    helpLineLabel.SetText(u"如登录不成功，请查看");
    helpLineLabel.SetPos(40, 310, 200, 80);
    helpLineLabel.SetTextColor(Style::FormLabel);
    helpLineLabel.SetFontSize(Style::FinePrintTextSize);
    helpLineLabel.SetSingleLine(1);
    helpLineLabel.SetBold(0);
    contentPanel.AddChild(&helpLineLabel);

    commandBar.SetPos(0, height - Style::BarHeightPortrait, width, Style::BarHeightPortrait);
    commandBar.SetButton(0, true, true, u"登录");
    commandBar.SetButton(2, true, true, u"退出");
    AddUiWin(&commandBar);
    RemoveUiWin(&toolBar);
    numberEdit.SetFocus(true);
    return TRUE;
}

void CRegisterVerifyFrame::OnScreenModeChanged(int) {}

void CRegisterVerifyFrame::OnLButtonDown(UINT, int x, int y)
{
    RECT r = numberEdit.GetRect();
    if (x < r.left || x > r.right || y < r.top || y > r.bottom)
        numberEdit.SetFocus(false);
}

void CRegisterVerifyFrame::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    if (id == ID_COMMAND_BAR) {
        if (lParam == 0) {
            numberEdit.SetFocus(false);
            LPCWSTR number = numberEdit.GetText();
            if (number != nullptr && wcslen(number) == MOBILE_LENGTH) {
                signUpState = LOGIN;
                SendRequest(-1, 0);
            } else {
                CAppData::Instance()->ShowMessageBox(u"手机号码位数不够！", u"提示", m_hWnd);
            }
        } else if (lParam == 2) {
            if (MzMessageBox(m_hWnd, u"您确定退出？", u"Exit", MZ_MB_YESNO) == MZ_IDYES)
                PostQuitMessage(0);
        }
    } else if (id == ID_SMS_BUTTON) {
        SendSignUpSms();
    } else if (id == ID_HELP_BUTTON) {
        PostMessage(WM_DEFERRED_STEP, STEP_HELP, 0);
    } else {
        CNetWnd::OnMzCommand(wParam, lParam);
    }
}

void CRegisterVerifyFrame::SendSignUpSms()
{
    CSendSmsWnd::Run(m_hWnd, u"发信息注册", SMS_SERVICE_NUMBER, SIGN_UP_TEXT, 0);
}

int CRegisterVerifyFrame::BuildRequest(char* part, int capacity, const char*)
{
    if (part == nullptr || capacity < 1)
        return 0;
    part[0] = 0;
    CAppData* app = CAppData::Instance();
    int n = -1;
    if (signUpState == LOGIN) {
        encrypt = 0;
        // Through the application data's record, so this run's requests carry the number at once.
        DeviceRegRecord* record = app->GetDeviceRecord();
        record->Set(numberEdit.GetText(), nullptr, nullptr, nullptr);
        record->Save();
        std::string mobile = WideToAnsiString(numberEdit.GetText());
        n = snprintf(part, (size_t)capacity, "tc_mfuncno=100&tc_sfuncno=3&mobile=%s", mobile.c_str());
    } else if (signUpState == CONFIG_WANTED) {
        encrypt = 1;
        signUpState = CONFIG_SENT;
        const char* local = app->GetConfig("System_Version");
        n = snprintf(part, (size_t)capacity, "tc_mfuncno=100&tc_sfuncno=2&curver=%s&lastver=%s",
                     local != nullptr ? local : "", app->GetVersion());
    }
    if (n < 0 || n >= capacity) {
        part[0] = 0;
        return 0;
    }
    return 1;
}

void CRegisterVerifyFrame::OnReply(const BYTE* data, int length, int)
{
    if (data == nullptr || length <= 0)
        return;
    CAppData* app = CAppData::Instance();
    CDataSet** sets = nullptr;
    int count = ParseDataSets(data, (DWORD)length, &sets);
    if (count <= 0 || sets == nullptr) {
        free(sets);
        // A configuration reply with nothing in it must not leave the user waiting on this frame unawares.
        if (signUpState == CONFIG_SENT) {
            app->ShowMessage(WideToAnsiString(u"取配置信息错误").c_str(), m_hWnd, 0);
            signUpState = IDLE;
        }
        return;
    }
    CDataSet* first = sets[0];
    if (first->IsError()) {
        if (first->GetRowCount() > 0) {
            first->MoveFirst();
            const char* text = first->GetAsText(0);
            app->ShowMessage(text != nullptr ? text : "", m_hWnd, 0);
        }
        signUpState = IDLE;
    } else if (signUpState == LOGIN) {
        if (first->GetRowCount() > 0) {
            first->MoveFirst();
            CWString code(first->GetAsText(0));
            DeviceRegRecord* record = app->GetDeviceRecord();
            record->Set(nullptr, code.GetText(), nullptr, nullptr);
            record->Save();
        }
        const char* local = app->GetConfig("System_Version");
        DWORD bits = CompareVersion(local != nullptr ? local : "", app->GetVersion());
        if (bits & 0x18u) {
            signUpState = CONFIG_WANTED;
            Request();
        } else {
            signUpState = DONE;
            PostMessage(WM_DEFERRED_STEP, STEP_MAIN_FRAME, 0);
        }
    } else if (signUpState == CONFIG_SENT) {
        if (!StoreConfigSets(sets, count)) {
            app->ShowMessage(WideToAnsiString(u"取配置信息错误").c_str(), m_hWnd, 0);
            signUpState = IDLE;
        } else {
            app->FixVersion();
            signUpState = DONE;
            PostMessage(WM_DEFERRED_STEP, STEP_MAIN_FRAME, 0);
        }
    }
    for (int i = 0; i < count; ++i)
        delete sets[i];
    free(sets);
}

void CRegisterVerifyFrame::OpenMainFrame()
{
    if (OpenAppFrame(m_hWnd))
        EndWnd(END_HOME);
}

void CRegisterVerifyFrame::OpenHelp()
{
    RECT work;
    CWndManager::GetInstance()->GetWorkRect(&work);
    auto* page = new CRegisterHelpWnd(u"登录帮助", m_hWnd);
    if (!page->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, m_hWnd, 0, POPUP_STYLE, 0)) {
        delete page;
        return;
    }
    CWString text((const char*)help.data);
    page->SetText(text.GetText());
    page->ShowWnd(-1, nullptr, nullptr, 1);
}

LRESULT CRegisterVerifyFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DEFERRED_STEP) {
        if (wParam == STEP_MAIN_FRAME)
            OpenMainFrame();
        else if (wParam == STEP_HELP)
            OpenHelp();
        return 1;
    }
    return CNetWnd::WindowProc(message, wParam, lParam);
}

// ---- help page ----

CRegisterHelpWnd::CRegisterHelpWnd(LPCWSTR title, HWND ownerWnd) : CTextWnd(title, ownerWnd)
{
    wndType = WND_TYPE_SIGNUP_HELP;
    firstActivation = 0;
    requestOnActive = 0;
}

LPCWSTR CRegisterHelpWnd::GetMzClassName()
{
    return u"CRegisterHelpWnd";
}

BOOL CRegisterHelpWnd::OnInitDialog()
{
    if (!CTextWnd::OnInitDialog())
        return FALSE;
    captionBar.EnableHome(FALSE);
    captionBar.EnableTradeIcon(FALSE);
    // 返回 alone: the page has no request to repeat, and a walk home from under the sign-up would close the
    // client's only way in.
    commandBar.SetButton(0, false, false, u"");
    commandBar.SetButton(1, false, false, u"");
    return TRUE;
}

void CRegisterHelpWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == ID_COMMAND_BAR) {
        if (lParam == 2)
            EndWnd(END_RETURN);
        return;
    }
    CTextWnd::OnMzCommand(wParam, lParam);
}
