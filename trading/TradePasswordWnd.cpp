#include "trading/TradePasswordWnd.h"

#include "core/AppData.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "shell/QueryTableWnd.h"
#include "shell/WndMessages.h"
#include "trading/TradeText.h"
#include "platform/win/SecureMemory.h"

#include <cstring>

CTradePasswordWnd::CTradePasswordWnd(LPCWSTR title, HWND ownerWnd) : CFormWnd(title, ownerWnd)
{
    actionLabel = u"修改";
}

CTradePasswordWnd::~CTradePasswordWnd() = default;

LPCWSTR CTradePasswordWnd::GetMzClassName()
{
    return u"CTradePasswordWnd";
}

void CTradePasswordWnd::CreateControls()
{
    oldEdit = rows.AddEdit(u"原密码", SIP_KIND_NUMBER, PASSWORD_LENGTH, true);
    newEdit = rows.AddEdit(u"新密码", SIP_KIND_NUMBER, PASSWORD_LENGTH, true);
    repeatEdit = rows.AddEdit(u"确认新密码", SIP_KIND_NUMBER, PASSWORD_LENGTH, true);
    oldEdit->SetID(ID_OLD);
    newEdit->SetID(ID_NEW);
    repeatEdit->SetID(ID_REPEAT);
}

void CTradePasswordWnd::OnActionButton()
{
    if (submitting)
        return;
    if (!CAppData::Instance()->HasTradeAccounts()) {
        ShowNotice(u"请先登录交易系统！", m_hWnd);
        return;
    }
    CTypedSecret oldPassword(*oldEdit), newPassword(*newEdit), repeated(*repeatEdit);
    const WCHAR* message = nullptr;
    if (oldPassword.IsEmpty())
        message = u"请输入原密码！";
    else if (strlen(newPassword.Get()) != PASSWORD_LENGTH || !IsDigitString(newPassword.Get()))
        message = u"新密码必须为6位数字！";
    else if (strcmp(newPassword.Get(), repeated.Get()) != 0)
        message = u"两次输入的新密码不一致！";
    else if (strcmp(newPassword.Get(), oldPassword.Get()) == 0)
        message = u"新密码不能与原密码相同！";
    else if (strpbrk(oldPassword.Get(), "&=") != nullptr)
        message = u"原密码含有非法字符！";
    if (message != nullptr) {
        ShowNotice(message, m_hWnd);
        return;
    }
    SubmitOnce(&submitting);
}

int CTradePasswordWnd::BuildRequest(char* part, int capacity, const char*)
{
    part[0] = 0;
    if (!submitting)
        return 0;
    CTypedSecret oldPassword(*oldEdit), newPassword(*newEdit);
    std::string fields =
        std::string("tc_mfuncno=600&tc_sfuncno=40&oldpwd=") + oldPassword.Get() + "&newpwd=" + newPassword.Get();
    int ok = WriteTradeRequest(part, capacity, fields.c_str(), GetTradeAccount());
    SecureZeroMemory(fields.data(), fields.size());
    return ok;
}

void CTradePasswordWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    if (!submitting)
        return;
    submitting = false;
    EnableToolbar(TRUE);
    CReplyRecordSet reply;
    if (!transportFailed && data != nullptr && length > 0)
        reply.Load(data, (DWORD)length);
    if (transportFailed || reply.GetCount() == 0) {
        // It may have changed: trying again with the old password could count as a wrong one.
        rows.WipePasswords();
        notices.Add(m_hWnd, u"密码修改结果未知，请稍后用新密码登录确认！", 0);
        return;
    }
    if (reply.hasError) {
        oldEdit->WipeText();
        notices.AddGb(m_hWnd, reply.GetErrorText(), 3000);
        return;
    }
    {
        // The password held for the session is the new one from now on.
        CTypedSecret newPassword(*newEdit);
        CAppData::Instance()->SetTradePassword(newPassword.Get());
    }
    rows.WipePasswords();
    notices.Add(m_hWnd, u"密码修改成功！", 0);
    PostMessage(WM_END_WND, 0, (LPARAM)END_BACK);
}

void CTradePasswordWnd::OnSwipeRight()
{
    if (!submitting)
        CFormWnd::OnSwipeRight();
}

LRESULT CTradePasswordWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (notices.Handle(message, wParam, m_hWnd))
        return 1;
    // While the change is under way its answer belongs to this window.
    if (submitting && (message == WM_CAPTION_HOME || message == WM_CAPTION_TRADE))
        return 1;
    return CFormWnd::WindowProc(message, wParam, lParam);
}
