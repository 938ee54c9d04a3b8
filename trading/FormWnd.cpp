#include "trading/FormWnd.h"

#include "core/AppData.h"
#include "shell/WndMessages.h"
#include "trading/TradeText.h"

const WCHAR* const CFormWnd::ACCOUNT_CHANGED_TEXT = u"交易账号已变更，原账号的操作未提交，请重新操作！";

namespace {

// The trade log-in (its session, new at every log-in) whose change of account was last told: the confirmation
// and the form under it close together, told once; the next change, even to the same account again, is told anew.
std::string toldLogIn;

} // namespace

CFormWnd::CFormWnd(LPCWSTR title, HWND owner) : CFundBaseWnd(title, owner) {}

CFormWnd::~CFormWnd() = default;

RECT CFormWnd::GetPanelRect()
{
    return rows.GetPanelRect();
}

void CFormWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    // Nothing filled for another account is sent for this one.
    if (IsTradeAccountChanged()) {
        OnTradeAccountChanged();
        return;
    }
    if (!rows.Tap(LOWORD(wParam)))
        CFundBaseWnd::OnMzCommand(wParam, lParam);
}

void CFormWnd::OnActive()
{
    if (IsTradeAccountChanged()) {
        OnTradeAccountChanged();
        return;
    }
    if (GetTradeAccount().empty())
        BindTradeAccount(); // opened before the log-in the form asked for (none for a form of no account)
    CFundBaseWnd::OnActive();
}

void CFormWnd::OnTradeAccountChanged()
{
    if (closingForAccount)
        return;
    closingForAccount = true;
    const char* session = CAppData::Instance()->GetTradeSession();
    std::string now = session != nullptr ? session : "";
    if (toldLogIn != now) {
        toldLogIn = now;
        ShowText(ACCOUNT_CHANGED_TEXT, m_hWnd, 2000);
    }
    PostMessage(WM_END_WND, 0, (LPARAM)END_BACK);
}
