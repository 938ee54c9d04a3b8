#include "trading/FormWnd.h"

#include "core/AppData.h"
#include "shell/WndMessages.h"
#include "trading/TradeText.h"

const WCHAR* const CFormWnd::ACCOUNT_CHANGED_TEXT = u"交易账号已变更，原账号的操作未提交，请重新操作！";

namespace {

// The account whose change was last told: the confirmation and the form under it close together, told once.
std::string toldAccount;

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
    if (bindsTradeAccount && IsTradeAccountChanged()) {
        OnTradeAccountChanged();
        return;
    }
    if (!rows.Tap(LOWORD(wParam)))
        CFundBaseWnd::OnMzCommand(wParam, lParam);
}

void CFormWnd::OnActive()
{
    if (bindsTradeAccount) {
        if (IsTradeAccountChanged()) {
            OnTradeAccountChanged();
            return;
        }
        if (GetTradeAccount().empty())
            BindTradeAccount(); // opened before the log-in the form asked for
    }
    CFundBaseWnd::OnActive();
}

void CFormWnd::OnTradeAccountChanged()
{
    if (closingForAccount)
        return;
    closingForAccount = true;
    std::string now = CAppData::Instance()->GetFundId(nullptr);
    if (toldAccount != now) {
        toldAccount = now;
        ShowText(ACCOUNT_CHANGED_TEXT, m_hWnd, 2000);
    }
    PostMessage(WM_END_WND, 0, (LPARAM)END_BACK);
}
