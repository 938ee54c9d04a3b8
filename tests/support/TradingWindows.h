// What the trading window tests share: the stand-in server with its simulated brokerage, the user's branch
// office on file, a trade log-in through the log-in window, windows opened with their menu parameters, the
// order form with its look-up done, a confirmation made as the forms make it, queries with their rows, and a
// window that acts in the modal windows the forms open, as the user would.
#pragma once

#include "core/AppData.h"
#include "core/DataSet.h"
#include "shell/NetWnd.h"
#include "tests/support/WindowFixture.h"
#include "trading/BranchOffices.h"
#include "shell/WndMessages.h"
#include "trading/NewStockListWnd.h"
#include "trading/QXTradeLoginWnd.h"
#include "trading/TradeBuySaleWnd.h"
#include "trading/TradeConfirmWnd.h"
#include "trading/TradeQueryTableWnd.h"
#include "trading/TradeText.h"

#include <functional>
#include <string>
#include <vector>

// The positions and the day's orders, as the trading menu opens them.
const char POSITIONS[] = "tc_mfuncno=600&tc_sfuncno=10&sign=fdyk&position=poststr&count=20";
const char ORDERS[] = "tc_mfuncno=600&tc_sfuncno=11&sign=mmlb&position=poststr&count=20";

// Remembers the trade log-in's report and the close messages its owner gets; on WM_ACT_IN_LOGIN (posted before the
// log-in runs, so handled inside its modal loop) it acts in the log-in window as the user would.
constexpr UINT WM_ACT_IN_LOGIN = WM_APP + 1;
// Posted before a form opens its confirmation modally: handled inside that modal loop, it hands the window in front
// to inModal (the user reading and tapping it).
constexpr UINT WM_ACT_IN_MODAL = WM_APP + 2;
class OwnerProbe : public CNetWnd {
public:
    OwnerProbe() : CNetWnd(u"主窗口", nullptr) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_TRADE_LOGIN_DONE)
            actions.push_back((int)lParam);
        if (message == WM_CHILD_CLOSED)
            ++closes;
        if (message == WM_ACT_IN_MODAL) {
            if (inModal)
                inModal(CBaseWnd::FromHandleBase(GetActiveWindow()));
            return 1;
        }
        if (message == WM_ACT_IN_LOGIN) {
            auto* login = dynamic_cast<CQXTradeLoginWnd*>(CBaseWnd::FromHandleBase(GetActiveWindow()));
            if (login == nullptr)
                return 1;
            if (wParam == 0) {
                ::PostMessage(login->GetHWND(), WM_CAPTION_HOME, 0, 0);
            } else {
                login->GetAccountEdit()->SetText(u"880012345");
                login->GetPasswordEdit()->SetText(u"123456");
                login->OnActionButton();
            }
            return 1;
        }
        return CNetWnd::WindowProc(message, wParam, lParam);
    }
    std::vector<int> actions;
    int closes = 0;
    std::function<void(CBaseWnd*)> inModal;
};

struct OpenedWindow {
    std::string key, title, params;
};

class TradingWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        StartServer();
        SaveBranchOffices({{"0101", GbFromWide(u"北京金融街营业部")}, {"0102", GbFromWide(u"北京中关村营业部")}});
        opened.clear();
        CNetWnd::SetWindowOpener(RecordOpen);
    }
    void TearDown() override
    {
        CNetWnd::SetWindowOpener(nullptr);
        WindowTest::TearDown();
    }

    // The log-in window with the session made first (as the log-on would have), not yet logging in.
    CQXTradeLoginWnd* OpenLogIn(HWND owner = nullptr)
    {
        auto* login = Adopt(new CQXTradeLoginWnd(u"交易登录", owner));
        RECT work = WorkRect();
        EXPECT_TRUE(login->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, owner));
        login->SetDeletedByCreator(); // as ShowTradeLogin runs it
        login->Relogin();
        EXPECT_TRUE(PumpUntil([&] { return !login->IsReloginPending(); }));
        return login;
    }
    // Types account and password and taps "登录"; true when the application data is logged in to trading.
    bool LogIn(CQXTradeLoginWnd* login, const char16_t* account, const char16_t* password)
    {
        login->GetAccountEdit()->SetText(account);
        login->GetPasswordEdit()->SetText(password);
        login->OnActionButton();
        EXPECT_TRUE(PumpUntil([&] { return !login->IsLoggingIn(); }));
        return CAppData::Instance()->HasTradeAccounts() != 0;
    }
    bool LogIn(const char16_t* account = u"880012345", const char16_t* password = u"123456")
    {
        return LogIn(OpenLogIn(), account, password);
    }
    // A factory window: parameters handed over as the factory would (before Create when first is set).
    template <class W> W* OpenWith(const char* params, bool first = false)
    {
        auto* w = Adopt(new W(u"窗口", nullptr));
        if (first)
            w->OnInitParam(-1, "", params);
        RECT work = WorkRect();
        EXPECT_TRUE(w->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr));
        if (!first)
            w->OnInitParam(-1, "", params);
        return w;
    }
    bool Sees(const std::u16string& text) { return messages.Saw(text); }
    bool SeesStart(const std::u16string& start)
    {
        for (const auto& s : messages.shown)
            if (s.text.rfind(start, 0) == 0)
                return true;
        return false;
    }

    static int RecordOpen(const char* key, int, const char* title, const char*, const char* params, int, HWND)
    {
        opened.push_back({key != nullptr ? key : "", title != nullptr ? title : "", params != nullptr ? params : ""});
        return 1;
    }
    static inline std::vector<OpenedWindow> opened;
    // Asks a query window and waits for its rows.
    template <class W> W* Query(const char* params)
    {
        W* table = OpenWith<W>(params, true);
        table->Request();
        EXPECT_TRUE(PumpUntil([&] { return table->GetLastDataSet() != nullptr; }));
        return table;
    }
    std::u16string Cell(CQueryTableWnd* table, int row, const char* field)
    {
        LPCWSTR text = table->GetCellText(row, table->GetColumnIndex(field));
        return text != nullptr ? text : u"";
    }
    // The code of the first stock the account holds, and its market.
    std::string HeldCode(std::string* market = nullptr)
    {
        auto* positions = Query<CTradeQueryTableWnd>(POSITIONS);
        if (positions->GetGrid().GetRowCount() <= 0)
            return "";
        if (market != nullptr) { // the reply's number; the table shows the market's name
            positions->GetLastDataSet()->MoveFirst();
            *market = positions->GetLastDataSet()->GetAsText("market");
        }
        return GbFromWide(Cell(positions, 0, "zqdm").c_str());
    }
    CTradeBuySaleWnd* OrderForm(const std::string& params)
    {
        auto* form = OpenWith<CTradeBuySaleWnd>(params.c_str());
        form->OnActive(); // the first activation asks about the code
        EXPECT_TRUE(PumpUntil([&] { return form->GetNameText()[0] != 0; }));
        return form;
    }
    // The order form the new-share list opens for its first issue, its look-up done.
    CTradeBuySaleWnd* NewShareForm()
    {
        auto* issues = OpenWith<CNewStockListWnd>("tc_mfuncno=600&tc_sfuncno=30");
        issues->Request();
        EXPECT_TRUE(PumpUntil([&] { return !issues->GetIssues().empty(); }));
        EXPECT_EQ(issues->Subscribe(0), 1);
        return OrderForm(opened.back().params);
    }
    // A confirmation made as the forms make it, shown without its modal loop (W: a probe derived from it).
    template <class W = CTradeConfirmWnd> W* Confirmation(const std::string& request)
    {
        auto* confirm = Adopt(new W(u"委托确认", nullptr));
        confirm->AddLine(u"证券代码", u"600000");
        confirm->SetOrderRequest(request.c_str());
        RECT work = WorkRect();
        EXPECT_TRUE(confirm->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr));
        return confirm;
    }
};
