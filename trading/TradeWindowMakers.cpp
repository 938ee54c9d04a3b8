#include "trading/TradeWindowMakers.h"

#include "core/AppData.h"
#include "shell/WindowFactory.h"
#include "trading/BankBalanceWnd.h"
#include "trading/BankTransferQueryWnd.h"
#include "trading/BankTransferWnd.h"
#include "trading/NewStockListWnd.h"
#include "trading/OwnedWindow.h"
#include "trading/QXTradeLoginWnd.h"
#include "trading/QXTradeMenuWnd.h"
#include "trading/SalesDeptSetWnd.h"
#include "trading/TradeBuySaleWnd.h"
#include "trading/TradeCancelWnd.h"
#include "trading/TradeHisQueryTableWnd.h"
#include "trading/TradePasswordWnd.h"
#include "trading/TradeQueryTableWnd.h"
#include "trading/WarrantWnd.h"

namespace {

// The trade log-in's windows run with their own animations and are deleted here, once, when they end.
constexpr int LOGIN_SHOW_ANIMATION = 10;
constexpr int LOGIN_HIDE_ANIMATION = 9;

class CTradeLoginRunner : public CTradeLoginWindows {
public:
    int RunTradeLogin(HWND owner, int action) override
    {
        CQXTradeLoginWnd* login = new CQXTradeLoginWnd(u"交易登录", owner);
        login->SetPendingAction(action);
        int result = RunOwnedWindow(login, owner, LOGIN_SHOW_ANIMATION, LOGIN_HIDE_ANIMATION);
        delete login;
        return result;
    }
    int RunSalesDeptSet(HWND owner) override
    {
        CSalesDeptSetWnd* offices = new CSalesDeptSetWnd(u"营业部设置", owner);
        int result = RunOwnedWindow(offices, owner, LOGIN_SHOW_ANIMATION, LOGIN_HIDE_ANIMATION);
        delete offices;
        return result;
    }
};

CTradeLoginRunner loginRunner;

template <typename Wnd> CBaseWnd* Make(LPCWSTR title, HWND parent, int)
{
    return new Wnd(title, parent);
}

} // namespace

void InstallTradeWindowMakers()
{
    CAppData::SetTradeLoginWindows(&loginRunner);
    CWindowFactory::SetMaker("CTradeBuySaleWnd", Make<CTradeBuySaleWnd>);
    CWindowFactory::SetMaker("CQXTradeMenuWnd", Make<CQXTradeMenuWnd>);
    CWindowFactory::SetMaker("CNewStockListWnd", Make<CNewStockListWnd>);
    CWindowFactory::SetMaker("CWarrantWnd", Make<CWarrantWnd>);
    CWindowFactory::SetMaker("CBankTransferWnd", Make<CBankTransferWnd>);
    CWindowFactory::SetMaker("CBankBalanceWnd", Make<CBankBalanceWnd>);
    CWindowFactory::SetMaker("CBankTransferQueryWnd", Make<CBankTransferQueryWnd>);
    CWindowFactory::SetMaker("CTradeQueryTableWnd", Make<CTradeQueryTableWnd>);
    CWindowFactory::SetMaker("CTradeCancelWnd", Make<CTradeCancelWnd>);
    CWindowFactory::SetMaker("CTradeHisQueryTableWnd", Make<CTradeHisQueryTableWnd>);
    CWindowFactory::SetMaker("CSalesDeptSetWnd", Make<CSalesDeptSetWnd>);
    CWindowFactory::SetMaker("CTradePasswordWnd", Make<CTradePasswordWnd>);
}
