#include "funds/FundRiskAnnounceWnd.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "funds/FundQuery.h"
#include "shell/QueryTableWnd.h"

#include <cstdlib>

CFundRiskAnnounceWnd::CFundRiskAnnounceWnd(LPCWSTR title, HWND owner) : CTextWnd(title, owner)
{
    encrypt = 1;
}

CFundRiskAnnounceWnd::~CFundRiskAnnounceWnd() = default;

LPCWSTR CFundRiskAnnounceWnd::GetMzClassName()
{
    return u"CFundRiskAnnounceWnd";
}

BOOL CFundRiskAnnounceWnd::OnInitDialog()
{
    if (!CTextWnd::OnInitDialog())
        return FALSE;
    // Nobody agrees to a notice they have not been shown.
    commandBar.SetButton(1, false, true, u"确定"); // the notice asks the reader to tap it
    return TRUE;
}

int CFundRiskAnnounceWnd::BuildRequest(char* part, int capacity, const char*)
{
    return WriteFundRequest(part, capacity, paramText);
}

void CFundRiskAnnounceWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == ID_COMMAND_BAR && lParam == 1) {
        if (noticeShown)
            Agree();
        return;
    }
    CTextWnd::OnMzCommand(wParam, lParam);
}

void CFundRiskAnnounceWnd::OnReply(const BYTE* data, int length, int)
{
    if (data == nullptr || length <= 0)
        return;
    CReplyRecordSet reply(data, (DWORD)length);
    if (reply.hasError) {
        CAppData::Instance()->ShowMessage(reply.GetErrorText(), m_hWnd, 3000);
        return;
    }
    CDataSet* set = *reply.GetRecord(0);
    if (set == nullptr || !set->MoveFirst())
        return;
    WCHAR* wide = nullptr;
    const char* notice = set->GetAsText(0);
    AnsiToWide(notice != nullptr ? notice : "", &wide);
    SetText(wide != nullptr ? wide : u"");
    free(wide);
    noticeShown = true;
    commandBar.EnableButton(1, true);
    commandBar.Invalidate();
}

void CFundRiskAnnounceWnd::Agree()
{
    ::PostMessage(GetOwnerWnd(), WM_OPEN_FUND_ACCOUNT, 0, (LPARAM)menuId);
    EndWnd(END_BACK);
}
