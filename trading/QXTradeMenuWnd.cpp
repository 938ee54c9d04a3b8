#include "trading/QXTradeMenuWnd.h"

#include "core/AppData.h"
#include "core/TextHelpers.h"
#include "shell/MenuItem.h"
#include "shell/MenuNode.h"
#include "shell/MenuTree.h"
#include "shell/WndMessages.h"
#include "trading/TradeText.h"

namespace {

const char* const TRADING_KEYS[] = {"buysale",     "wtcd",          "tradequery", "hisquery", "banktransfer",
                                    "bankbalance", "banktranquery", "xgsg",       "qzxq",     "xgmm"};

CMenuItem* ChildItem(int menuId, int child)
{
    CMenuTree* tree = CAppData::Instance()->GetMenuTree();
    CMenuNode* node = tree != nullptr ? tree->FindById(menuId) : nullptr;
    if (node == nullptr || child < 0)
        return nullptr;
    CMenuNode* c = node->FirstChild();
    for (int i = 0; i < child && c != nullptr; ++i)
        c = c->NextSibling();
    return c != nullptr ? c->GetItem() : nullptr;
}

} // namespace

CQXTradeMenuWnd::CQXTradeMenuWnd(LPCWSTR title, HWND ownerWnd) : CQXMenuWnd(title, ownerWnd)
{
    wndType = WND_TYPE_TRADE_MENU;
}

CQXTradeMenuWnd::~CQXTradeMenuWnd() = default;

LPCWSTR CQXTradeMenuWnd::GetMzClassName()
{
    return u"CQXTradeMenuWnd";
}

bool CQXTradeMenuWnd::NeedsTradeLogIn(const char* key)
{
    if (key == nullptr)
        return false;
    for (const char* trading : TRADING_KEYS)
        if (StrEqualNoCase(key, trading) == 0)
            return true;
    return false;
}

int CQXTradeMenuWnd::OnOK(int child)
{
    CMenuItem* item = ChildItem(menuId, child);
    CAppData* app = CAppData::Instance();
    if (item != nullptr && NeedsTradeLogIn(item->GetKey()) && !app->HasTradeAccounts()) {
        // The entry opens when the log-in reports back.
        app->ShowTradeLogin(m_hWnd, child);
        return 1;
    }
    return CQXMenuWnd::OnOK(child);
}

LRESULT CQXTradeMenuWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TRADE_LOGIN_DONE) {
        if ((int)lParam >= 0 && CAppData::Instance()->HasTradeAccounts())
            PostMessage(WM_DEFERRED_STEP, 0, lParam);
        return 1;
    }
    if (message == WM_OPEN_FUND_ACCOUNT) {
        int id = (int)lParam;
        CMenuTree* tree = CAppData::Instance()->GetMenuTree();
        CMenuNode* node = tree != nullptr ? tree->FindById(id) : nullptr;
        const char* params = node != nullptr && node->GetItem() != nullptr ? node->GetItem()->GetParams() : "";
        OpenByKey("of_jjkh", id, GbFromWide(u"基金开户").c_str(), "", params, m_hWnd);
        return 1;
    }
    return CQXMenuWnd::WindowProc(message, wParam, lParam);
}
