// The new-version notice: a local text, nothing asked of the server.
#include "services/QXNoticeWnd.h"

CQXNoticeWnd::CQXNoticeWnd(LPCWSTR title, HWND owner) : CQXInfoTxtWnd(title, owner)
{
    firstActivation = 0;
    requestOnActive = 0;
}

CQXNoticeWnd::~CQXNoticeWnd() = default;

LPCWSTR CQXNoticeWnd::GetMzClassName()
{
    return u"CQXNoticeWnd";
}

BOOL CQXNoticeWnd::OnInitDialog()
{
    if (!CQXInfoTxtWnd::OnInitDialog())
        return FALSE;
    commandBar.SetButton(0, true, true, u"首页");
    commandBar.SetButton(1, true, true, u"安装");
    commandBar.SetButton(2, true, true, u"返回");
    return TRUE;
}

void CQXNoticeWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) != ID_COMMAND_BAR)
        return;
    // 安装 ends as "back": the owner carries on where it was; the opener reads the choice.
    if (lParam == 0) {
        EndWnd(END_HOME);
    } else if (lParam == 1) {
        installChosen = true;
        EndWnd(END_BACK);
    } else if (lParam == 2) {
        EndWnd(END_BACK);
    }
}
