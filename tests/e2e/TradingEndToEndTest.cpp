// The real client against the simulated brokerage, through its automation socket: a logged-out buy from the
// ranked table sets up a branch office, then logs in, each time back on the ranked table, and the next buy opens the
// prefilled order form; the order is confirmed, shows in the day's orders, is cancelled and shows so; the trade
// log-out closes the road again. A trade log-in the server no longer knows (expired, or lost with a restart while
// another client logs in) leads back to the trade log-in.
#include "tests/support/TradingDriver.h"

#include <cctype>
#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>

using namespace e2e;

namespace {

class TradingEndToEndTest : public TradingClientTest {
protected:
    // The steps of the scenarios below; each asserts what it passes through.

    // Signs up and, from the home grid's first entry, opens the ranked table, selects its first row and opens its
    // tool bar's menu; menu is where the tool bar's icon for it is.
    void OpenTheRankedTableMenu(ClientProcess& client, Point& menu)
    {
        std::string dump = SignUp(client);
        ASSERT_EQ(TopWindowClass(dump), "CQXAppFrame") << dump;
        ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfId(103))));
        dump = client.Dump();
        ASSERT_TRUE(client.Tap(Row(dump, 170, 0, 55)));
        dump = client.WaitForTop("CQXStockTableWnd");
        ASSERT_TRUE(client.Tap(Row(dump, 171, 0, 50)));
        menu = CentreOf(dump, RectOfId(101));
        menu.x /= 6; // the first of six icons
        ASSERT_TRUE(client.Tap(menu));
    }
    // 买入委托 from the ranked table's menu, opened by its icon at menu; returns the dump once expectedTop is on
    // top (at once when empty).
    static std::string BuyFromTheTableMenu(ClientProcess& client, Point menu, const std::string& expectedTop)
    {
        client.Tap(menu);
        std::string shown = client.Dump();
        EXPECT_TRUE(client.Tap(CentreOf(shown, RectOfText("买入委托"))));
        return expectedTop.empty() ? client.Dump() : client.WaitForTop(expectedTop);
    }
    // 买入委托 from the open menu of the ranked table while logged out: the branch office, then the log-in, each
    // time back on the ranked table.
    void SetUpTheBranchAndLogInFromTheTable(ClientProcess& client, Point menu)
    {
        std::string dump = client.Dump();
        ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfText("买入委托"))));
        SetUpBranch(client);
        dump = client.WaitForTop("CQXStockTableWnd");
        ASSERT_EQ(TopWindowClass(dump), "CQXStockTableWnd") << dump;
        BuyFromTheTableMenu(client, menu, "CQXTradeLoginWnd");
        LogIn(client, "880012345", "123456", Shot("login.png"));
        dump = client.WaitForTop("CQXStockTableWnd");
        ASSERT_EQ(TopWindowClass(dump), "CQXStockTableWnd") << dump;
    }
    // The order form, prefilled: the selected row's code, then the server's name, price and what may be bought.
    // 100 shares are ordered and confirmed; code and order are the stock's code and the order's number.
    void OrderFromThePrefilledForm(ClientProcess& client, std::string& code, std::string& order)
    {
        std::string dump = WaitForText(client, "元\"");
        ASSERT_NE(TopWindow(dump).find("\"text\":\"买入 "), std::string::npos) << dump;
        ASSERT_EQ(TopWindow(dump).find("\"text\":\"卖1  --\""), std::string::npos) << "the book is filled: " << dump;
        std::smatch typed;
        const std::string form = TopWindow(dump);
        ASSERT_TRUE(std::regex_search(form, typed, std::regex(RectOfId(310) + R"re([^}]*"text":"(\d{6})")re"))) << dump;
        code = typed[5];
        Type(client, CentreOf(dump, RectOfId(312)), "100");
        client.Command("shot " + Shot("order.png"));
        ASSERT_TRUE(client.Tap(Bar(dump, 1)));
        dump = client.WaitForAction("CTradeConfirmWnd");
        ASSERT_NE(TopWindow(dump).find("\"text\":\"100\""), std::string::npos) << dump;
        ASSERT_TRUE(client.Tap(Bar(dump, 1)));
        dump = WaitForText(client, "委托已提交，委托编号：");
        std::smatch number;
        ASSERT_TRUE(std::regex_search(dump, number, std::regex("委托编号：(\\d+)"))) << dump;
        order = number[1];
        ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfText("确定"))));
    }
    // Home, then the trading menu: the day's orders show the order, still open; the tool bar's last icon, at back,
    // leads back to the menu.
    static void FindTheOpenOrderInTheDaysOrders(ClientProcess& client, const std::string& order, Point& back)
    {
        std::string dump = client.Dump();
        ASSERT_TRUE(client.Tap(Bar(dump, 0)));
        dump = client.WaitForTop("CQXAppFrame");
        ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfId(107))));
        dump = client.WaitForTop("CQXTradeMenuWnd");
        ASSERT_TRUE(client.Tap(Row(dump, 170, 4, 55))); // 当日委托
        dump = WaitForText(client, "|" + order + "|");
        ASSERT_NE(TopWindow(dump).find("|" + order + "|"), std::string::npos) << dump;
        back = CentreOf(dump, RectOfId(101));
        back.x = back.x * 9 / 5; // the last of five icons
        ASSERT_TRUE(client.Tap(back));
    }
    // The cancel table lists the order; a tap asks "撤单", and once cancelled it is no longer cancellable. Back to
    // the menu by the tool bar's last icon, at back.
    static void CancelTheOrder(ClientProcess& client, const std::string& order, Point back)
    {
        std::string dump = client.WaitForTop("CQXTradeMenuWnd");
        ASSERT_TRUE(client.Tap(Row(dump, 170, 2, 55))); // 委托撤单
        dump = WaitForText(client, "|" + order + "|");
        ASSERT_EQ(TopWindowClass(dump), "CTradeCancelWnd") << dump;
        ASSERT_TRUE(client.Tap(Row(dump, 171, 1, 50))); // selects the row
        ASSERT_TRUE(client.Tap(Row(dump, 171, 1, 50))); // opens it
        dump = client.WaitForAction("CTradeConfirmWnd");
        ASSERT_NE(TopWindow(dump).find("\"text\":\"撤单\""), std::string::npos) << dump;
        ASSERT_TRUE(client.Tap(Bar(dump, 1)));
        ASSERT_TRUE(client.WaitForLog("[tip] 撤单已提交！")) << client.Log();
        static const std::regex emptyGrid(R"re("id":171,[^}]*"items":\[\])re");
        dump = WaitFor(client, [](const std::string& top) {
            return top.find("\"CTradeCancelWnd\"") != std::string::npos && std::regex_search(top, emptyGrid);
        });
        ASSERT_EQ(TopWindowClass(dump), "CTradeCancelWnd") << dump;
        EXPECT_EQ(TopWindow(dump).find("|" + order + "|"), std::string::npos) << dump;
        ASSERT_TRUE(client.Tap(back));
    }
    // From the trading menu: 100 of the stock bought at the fifth ask; the market then moves five minutes on, and
    // the form is left.
    void BuyAtTheFifthAskAndLetTheMarketMove(ClientProcess& client, const std::string& code)
    {
        std::string dump = client.WaitForTop("CQXTradeMenuWnd");
        ASSERT_TRUE(client.Tap(Row(dump, 170, 0, 55))); // 买入委托
        dump = client.WaitForTop("CTradeBuySaleWnd");
        Type(client, CentreOf(dump, RectOfId(310)), code);
        dump = WaitForText(client, "元\"");
        std::smatch ask;
        ASSERT_TRUE(std::regex_search(dump, ask, std::regex("\"text\":\"卖5  (\\d+\\.\\d\\d)"))) << dump;
        const std::string price = ask[1];
        client.Tap(CentreOf(dump, RectOfId(311)));
        for (int i = 0; i < 10; ++i)
            client.Command("key back");
        Type(client, CentreOf(dump, RectOfId(311)), price);
        Type(client, CentreOf(dump, RectOfId(312)), "100");
        ASSERT_TRUE(client.Tap(Bar(dump, 1)));
        dump = client.WaitForAction("CTradeConfirmWnd");
        ASSERT_NE(TopWindow(dump).find("\"text\":\"" + price + "\""), std::string::npos) << dump;
        ASSERT_TRUE(client.Tap(Bar(dump, 1)));
        dump = WaitForText(client, "委托已提交，委托编号：");
        ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfText("确定"))));
        dump = client.WaitForTop("CTradeBuySaleWnd");
        ASSERT_NE(server->http.Control("advance?minutes=5").find("ok"), std::string::npos);
        ASSERT_TRUE(client.Tap(Bar(dump, 2)));
    }
    // From the trading menu, 资金股份: the table shows code, name, market (by name) and shares; the account held
    // none of this stock before, so the 100 bought show.
    void SeeTheBoughtSharesInPositions(ClientProcess& client, const std::string& code)
    {
        std::string dump = client.WaitForTop("CQXTradeMenuWnd");
        ASSERT_TRUE(client.Tap(Row(dump, 170, 3, 55))); // 资金股份
        dump = WaitForText(client, "\"columns=");
        ASSERT_EQ(TopWindowClass(dump), "CTradeQueryTableWnd") << dump;
        const std::regex held("\"" + code + "\\|[^|\"]*\\|(?:深圳|上海)\\|(\\d+)\"");
        dump = WaitFor(client, [&](const std::string& top) { return std::regex_search(top, held); });
        std::smatch shares;
        ASSERT_TRUE(std::regex_search(dump, shares, held)) << dump;
        EXPECT_EQ(shares[1].str(), "100") << dump;
        client.Command("shot " + Shot("positions.png"));
    }
    // The caption bar's trade icon logs out and walks home; the road to the orders is closed again.
    static void LogOutByTheCaptionIcon(ClientProcess& client)
    {
        client.Command("tap 412 51");
        client.Idle();
        std::string dump = client.Dump();
        ASSERT_NE(TopWindow(dump).find("您确定退出交易登录？"), std::string::npos) << dump;
        ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfText("是"))));
        dump = client.WaitForTop("CQXAppFrame");
        ASSERT_EQ(TopWindowClass(dump), "CQXAppFrame") << dump;
        ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfId(107))));
        dump = client.WaitForTop("CQXTradeMenuWnd");
        ASSERT_TRUE(client.Tap(Row(dump, 170, 4, 55))); // 当日委托
        dump = client.WaitForTop("CQXTradeLoginWnd");
        ASSERT_EQ(TopWindowClass(dump), "CQXTradeLoginWnd") << dump;
    }
    // 1000 from the bank into the securities account, from the trading menu (whose dump is menu) and back to it;
    // then the bank balance opens.
    static void TransferAThousandFromTheBank(ClientProcess& client, const std::string& menu)
    {
        ASSERT_TRUE(client.Tap(Row(menu, 170, 7, 55))); // 银证转账
        std::string dump = client.WaitForTop("CBankTransferWnd");
        dump = WaitForText(client, "中国工商银行");
        Type(client, CentreOf(dump, RectOfId(352)), "1000");
        Type(client, CentreOf(dump, RectOfId(353)), "888888");
        ASSERT_TRUE(client.Tap(Bar(dump, 1)));
        dump = client.WaitForAction("CTradeConfirmWnd");
        ASSERT_NE(TopWindow(dump).find("1000.00元"), std::string::npos) << dump;
        ASSERT_TRUE(client.Tap(Bar(dump, 1)));
        dump = WaitForText(client, "转账已受理");
        ASSERT_NE(TopWindow(dump).find("转账已受理"), std::string::npos) << dump;
        ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfText("确定"))));
        dump = client.WaitForTop("CBankTransferWnd");
        ASSERT_TRUE(client.Tap(Bar(dump, 2)));
        client.WaitForTop("CQXTradeMenuWnd");
        ASSERT_TRUE(client.Tap(Row(menu, 170, 8, 55)));
        client.WaitForTop("CBankBalanceWnd");
    }
    // The cash query shows the 1000 on the securities side; the tool bar's last icon leads back.
    static void SeeTheThousandInTheCashQuery(ClientProcess& client)
    {
        std::string dump = ScrollMenuDown(client);
        ASSERT_TRUE(client.Tap(Row(dump, 170, 13, 55))); // 资金查询
        dump = WaitForText(client, "|201000.00|");
        ASSERT_NE(TopWindow(dump).find("|201000.00|"), std::string::npos) << dump;
        Point back = CentreOf(dump, RectOfId(101));
        back.x = back.x * 9 / 5;
        ASSERT_TRUE(client.Tap(back));
    }
    // 修改密码 from the trading menu: 123456 becomes 654321, which the screen's description never shows.
    static void ChangeThePassword(ClientProcess& client)
    {
        std::string dump = client.WaitForTop("CQXTradeMenuWnd");
        ASSERT_TRUE(client.Tap(Row(dump, 170, 12, 55))); // 修改密码
        dump = client.WaitForTop("CTradePasswordWnd");
        Type(client, CentreOf(dump, RectOfId(380)), "123456");
        Type(client, CentreOf(dump, RectOfId(381)), "654321");
        Type(client, CentreOf(dump, RectOfId(382)), "654321");
        EXPECT_EQ(client.Dump().find("654321"), std::string::npos);
        ASSERT_TRUE(client.Tap(Bar(dump, 1)));
        dump = WaitForText(client, "密码修改成功！");
        ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfText("确定"))));
    }
    // After a trade log-out by the caption bar's icon, 当日委托 asks for the log-in: the old password is refused
    // and the new one opens the orders.
    static void LogOutAndBackInWithTheNewPassword(ClientProcess& client)
    {
        std::string dump = client.WaitForTop("CQXTradeMenuWnd");
        client.Command("tap 412 51"); // the caption bar's trade icon
        client.Idle();
        dump = client.Dump();
        ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfText("是"))));
        dump = client.WaitForTop("CQXAppFrame");
        ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfId(107))));
        dump = client.WaitForTop("CQXTradeMenuWnd");
        ASSERT_TRUE(client.Tap(Row(dump, 170, 4, 55))); // 当日委托
        LogIn(client, "880012345", "123456");
        ASSERT_TRUE(client.WaitForLog("[tip] 交易密码错误，还可尝试2次")) << client.Log();
        dump = client.WaitForTop("CQXTradeLoginWnd");
        Type(client, CentreOf(dump, RectOfId(324)), "654321");
        ASSERT_TRUE(client.Tap(Bar(dump, 1)));
        dump = client.WaitForTop("CTradeQueryTableWnd");
        ASSERT_EQ(TopWindowClass(dump), "CTradeQueryTableWnd") << dump;
    }
};

} // namespace

TEST_F(TradingEndToEndTest, LoggedOutBuySetsUpLogsInOrdersCancelsAndLogsOut)
{
    auto started = Start("a");
    ClientProcess& client = *started;
    Point menu;
    ASSERT_NO_FATAL_FAILURE(OpenTheRankedTableMenu(client, menu));
    // Logged out: the branch office, then the log-in, each time back on the ranked table; then the form.
    ASSERT_NO_FATAL_FAILURE(SetUpTheBranchAndLogInFromTheTable(client, menu));
    BuyFromTheTableMenu(client, menu, "CTradeBuySaleWnd");
    std::string code, order;
    ASSERT_NO_FATAL_FAILURE(OrderFromThePrefilledForm(client, code, order));
    Point back;
    ASSERT_NO_FATAL_FAILURE(FindTheOpenOrderInTheDaysOrders(client, order, back));
    ASSERT_NO_FATAL_FAILURE(CancelTheOrder(client, order, back));

    // A buy at the fifth ask fills once the market moves, and the shares show in positions.
    ASSERT_NO_FATAL_FAILURE(BuyAtTheFifthAskAndLetTheMarketMove(client, code));
    ASSERT_NO_FATAL_FAILURE(SeeTheBoughtSharesInPositions(client, code));

    // The password reached neither the screen's description nor the debug log.
    EXPECT_EQ(client.Command("log").find("123456"), std::string::npos);

    ASSERT_NO_FATAL_FAILURE(LogOutByTheCaptionIcon(client));
}

TEST_F(TradingEndToEndTest, MenuEntryLogsInFirstThenTransfersMoneyAndChangesThePassword)
{
    auto started = Start("a");
    ClientProcess& client = *started;
    std::string dump = SignUpToTradeMenu(client);
    std::string menu = dump;

    // A trading entry while logged out: the branch office first, back on the menu; then the log-in, after which
    // the entry itself opens.
    OpenLoggedIn(client, menu, 8, "880012345", "123456"); // 银行余额
    dump = client.WaitForTop("CBankBalanceWnd");
    ASSERT_EQ(TopWindowClass(dump), "CBankBalanceWnd") << dump;
    double bankBefore = BankBalance(client);

    ASSERT_NO_FATAL_FAILURE(TransferAThousandFromTheBank(client, menu));
    EXPECT_NEAR(BankBalance(client), bankBefore - 1000, 0.001);
    ASSERT_NO_FATAL_FAILURE(SeeTheThousandInTheCashQuery(client));

    // The password changes; after a trade log-out the old one is refused and the new one logs in.
    ASSERT_NO_FATAL_FAILURE(ChangeThePassword(client));
    ASSERT_NO_FATAL_FAILURE(LogOutAndBackInWithTheNewPassword(client));
    EXPECT_EQ(client.Log().find("654321"), std::string::npos);
}

TEST_F(TradingEndToEndTest, TheConfirmationShowsTheAmountAndTheCancelListOffersCancelInItsMenuAndToolBar)
{
    auto started = Start("a");
    ClientProcess& client = *started;
    std::string dump = SignUpToTradeMenu(client);
    const std::string menu = dump;
    OpenLoggedIn(client, menu, 0, "880012345", "123456"); // 买入委托
    dump = client.WaitForTop("CTradeBuySaleWnd");
    Type(client, CentreOf(dump, RectOfId(310)), "600010");
    dump = WaitForText(client, "元\"");
    std::smatch last;
    ASSERT_TRUE(std::regex_search(dump, last, std::regex(RectOfId(311) + R"re([^}]*"text":"(\d+\.\d\d)")re"))) << dump;
    const std::string price = last[5];
    // A quantity that is not a number is refused as typed, not changed into another one.
    Type(client, CentreOf(dump, RectOfId(312)), "1e3");
    ASSERT_TRUE(client.Tap(Bar(dump, 1)));
    dump = WaitForText(client, "委托数量必须是整数！");
    ASSERT_NE(TopWindow(dump).find("委托数量必须是整数！"), std::string::npos) << dump;
    ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfText("确定"))));
    dump = client.WaitForTop("CTradeBuySaleWnd");
    client.Tap(CentreOf(dump, RectOfId(312)));
    for (int i = 0; i < 5; ++i)
        client.Command("key back");
    Type(client, CentreOf(dump, RectOfId(312)), "200");
    ASSERT_TRUE(client.Tap(Bar(dump, 1)));

    // The confirmation shows price x quantity.
    dump = client.WaitForAction("CTradeConfirmWnd");
    char amount[32];
    snprintf(amount, sizeof amount, "%.2f元", std::stod(price) * 200);
    ASSERT_NE(TopWindow(dump).find("委托金额"), std::string::npos) << dump;
    ASSERT_NE(TopWindow(dump).find(std::string("\"text\":\"") + amount + "\""), std::string::npos) << dump;
    client.Command("shot " + Shot("confirm.png"));
    ASSERT_TRUE(client.Tap(Bar(dump, 1)));
    dump = WaitForText(client, "委托已提交，委托编号：");
    std::smatch number;
    ASSERT_TRUE(std::regex_search(dump, number, std::regex("委托编号：(\\d+)"))) << dump;
    const std::string order = number[1];
    ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfText("确定"))));
    dump = client.WaitForTop("CTradeBuySaleWnd");
    ASSERT_TRUE(client.Tap(Bar(dump, 2)));

    // The cancel list: a row selected, then 撤单 from the action menu (and back without sending) ...
    dump = client.WaitForTop("CQXTradeMenuWnd");
    ASSERT_TRUE(client.Tap(Row(dump, 170, 2, 55))); // 委托撤单
    dump = WaitForText(client, "|" + order + "|");
    ASSERT_EQ(TopWindowClass(dump), "CTradeCancelWnd") << dump;
    ASSERT_TRUE(client.Tap(Row(dump, 171, 1, 50)));
    const Point tools = CentreOf(dump, RectOfId(101)); // six icons: menu, previous, next, refresh, 撤单, back
    ASSERT_TRUE(client.Tap({tools.x / 6, tools.y}));
    dump = client.Dump();
    ASSERT_NE(TopWindow(dump).find("\"text\":\"撤单\""), std::string::npos) << dump;
    client.Command("shot " + Shot("cancel-menu.png"));
    ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfText("撤单"))));
    dump = client.WaitForAction("CTradeConfirmWnd");
    ASSERT_NE(TopWindow(dump).find("\"text\":\"" + order + "\""), std::string::npos) << dump;
    ASSERT_TRUE(client.Tap(Bar(dump, 2)));
    // ... then from the tool bar, in landscape, and sent.
    dump = client.WaitForTop("CTradeCancelWnd");
    client.Command("rotate 2");
    client.Idle();
    dump = client.Dump();
    ASSERT_NE(TopWindow(dump).find("|" + order + "|"), std::string::npos) << dump;
    client.Command("shot " + Shot("cancel-landscape.png"));
    const Point wide = CentreOf(dump, RectOfId(101));
    ASSERT_TRUE(client.Tap({wide.x * 3 / 2, wide.y}));
    dump = client.WaitForAction("CTradeConfirmWnd");
    ASSERT_NE(TopWindow(dump).find("\"text\":\"" + order + "\""), std::string::npos) << dump;
    ASSERT_TRUE(client.Tap(Bar(dump, 1)));
    ASSERT_TRUE(client.WaitForLog("[tip] 撤单已提交！")) << client.Log();
    static const std::regex emptyGrid(R"re("id":171,[^}]*"items":\[\])re");
    dump = WaitFor(client, [](const std::string& top) {
        return top.find("\"CTradeCancelWnd\"") != std::string::npos && std::regex_search(top, emptyGrid);
    });
    EXPECT_EQ(TopWindow(dump).find("|" + order + "|"), std::string::npos) << dump;
    client.Command("rotate 0");
}

namespace {

// The accounts kept in a data folder: their saves can fail, and the day's orders outlive a restart of the server.
class StoredTradingEndToEndTest : public TradingEndToEndTest {
protected:
    CServerOptions ServerOptions() override
    {
        CServerOptions options = TradingEndToEndTest::ServerOptions();
        options.dataDir = root.Path() + "server-data";
        return options;
    }
    // From the home grid: the trading menu, a branch office, then the log-in made for 当日委托; returns the dump of
    // the day's orders.
    std::string FirstTradeLogIn(ClientProcess& client, const std::string& account)
    {
        std::string dump = SignUp(client);
        client.Tap(CentreOf(dump, RectOfId(107)));
        menu = client.WaitForTop("CQXTradeMenuWnd");
        OpenLoggedIn(client, menu, 4, account, "123456"); // 当日委托
        return client.WaitForTop("CTradeQueryTableWnd");
    }
    // 当日委托 from the trading menu while the server no longer knows the trade log-in: the client says so, shows
    // the lock open and asks for the log-in; after it the orders show. Returns the last dump.
    std::string ExpiredOrdersTable(ClientProcess& client, const std::string& order, const std::string& shot = "")
    {
        client.WaitForTop("CQXTradeMenuWnd");
        client.Tap(Row(menu, 170, 4, 55));
        std::string said;
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs());
        while (said.find("交易登录已失效，请重新登录！") == std::string::npos &&
               std::chrono::steady_clock::now() < end) {
            said = client.Dump();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_NE(said.find("交易登录已失效，请重新登录！"), std::string::npos) << said;
        EXPECT_NE(said.find("tradeLoggedIn=0"), std::string::npos) << "the lock shows logged out: " << said;
        std::string dump = client.WaitForTop("CQXTradeLoginWnd");
        EXPECT_EQ(TopWindowClass(dump), "CQXTradeLoginWnd") << dump;
        if (!shot.empty())
            client.Command("shot " + shot);
        LogIn(client, "880012345", "123456");
        dump = WaitForText(client, "|" + order + "|");
        EXPECT_EQ(TopWindowClass(dump), "CTradeQueryTableWnd") << dump;
        EXPECT_NE(TopWindow(dump).find("|" + order + "|"), std::string::npos) << dump;
        return dump;
    }
    static void Back(ClientProcess& client, const std::string& dump)
    {
        Point back = CentreOf(dump, RectOfId(101));
        back.x = back.x * 9 / 5; // the last of five icons
        client.Tap(back);
    }

    std::string menu;
};

} // namespace

TEST_F(StoredTradingEndToEndTest, AnOrderTheServerCannotSaveIsRefusedOnScreenAndTheSameOrderGoesThroughOnceItCan)
{
    auto started = Start("a");
    ClientProcess& client = *started;
    std::string dump = SignUpToTradeMenu(client);
    OpenLoggedIn(client, dump, 0, "880012345", "123456"); // 买入委托
    dump = client.WaitForTop("CTradeBuySaleWnd");
    Type(client, CentreOf(dump, RectOfId(310)), "600010");
    dump = WaitForText(client, "元\"");
    Type(client, CentreOf(dump, RectOfId(312)), "100");

    // The disk refuses: the order is refused with the reason, and nothing says it was taken.
    ASSERT_EQ(server->http.Control("set?saves=fail"), "ok\n");
    ASSERT_TRUE(client.Tap(Bar(dump, 1)));
    dump = client.WaitForAction("CTradeConfirmWnd");
    ASSERT_TRUE(client.Tap(Bar(dump, 1)));
    ASSERT_TRUE(client.WaitForLog("[tip] 委托未受理：系统暂时无法保存，请稍后再试")) << client.Log();
    EXPECT_EQ(client.Log().find("委托已提交"), std::string::npos) << client.Log();
    client.Command("shot " + Shot("order-not-saved.png"));
    client.Command("rotate 2");
    client.Idle();
    client.Command("shot " + Shot("order-not-saved-landscape.png"));
    client.Command("rotate 0");
    client.Idle();

    // Back on the form once the tip has gone, which asks again what may be bought; with the disk back the same
    // order goes through.
    ASSERT_EQ(server->http.Control("set?saves=ok"), "ok\n");
    dump = client.WaitForTop("CTradeBuySaleWnd");
    ASSERT_EQ(TopWindowClass(dump), "CTradeBuySaleWnd") << dump;
    dump = WaitForText(client, "元\"");
    client.Command("shot " + Shot("order-form-after-refusal.png"));
    ASSERT_TRUE(client.Tap(Bar(dump, 1)));
    dump = client.WaitForAction("CTradeConfirmWnd");
    ASSERT_TRUE(client.Tap(Bar(dump, 1)));
    dump = WaitForText(client, "委托已提交，委托编号：");
    EXPECT_NE(TopWindow(dump).find("委托已提交，委托编号："), std::string::npos) << dump;
}

TEST_F(StoredTradingEndToEndTest, ALostTradeLogInIsSaidLoggedOutAndAskedForAgainAfterExpiryAndAfterARestart)
{
    auto startedA = Start("a");
    ClientProcess& a = *startedA;
    std::string dump = FirstTradeLogIn(a, "880012345");
    ASSERT_EQ(TopWindowClass(dump), "CTradeQueryTableWnd") << dump;
    Back(a, dump);

    // An order of the day, so the table has something to show.
    a.WaitForTop("CQXTradeMenuWnd");
    ASSERT_TRUE(a.Tap(Row(menu, 170, 0, 55))); // 买入委托
    dump = a.WaitForTop("CTradeBuySaleWnd");
    Type(a, CentreOf(dump, RectOfId(310)), "600027");
    dump = WaitForText(a, "元\"");
    Type(a, CentreOf(dump, RectOfId(312)), "100");
    ASSERT_TRUE(a.Tap(Bar(dump, 1)));
    dump = a.WaitForAction("CTradeConfirmWnd");
    ASSERT_TRUE(a.Tap(Bar(dump, 1)));
    dump = WaitForText(a, "委托已提交，委托编号：");
    std::smatch number;
    ASSERT_TRUE(std::regex_search(dump, number, std::regex("委托编号：(\\d+)"))) << dump;
    const std::string order = number[1];
    ASSERT_TRUE(a.Tap(CentreOf(dump, RectOfText("确定"))));
    dump = a.WaitForTop("CTradeBuySaleWnd");
    ASSERT_TRUE(a.Tap(Bar(dump, 2)));

    // The server drops every session.
    ASSERT_NE(server->http.Control("expire").find("ok"), std::string::npos);
    dump = ExpiredOrdersTable(a, order, Shot("expired-login.png"));
    a.Command("shot " + Shot("expired-orders.png"));
    Back(a, dump);

    // A restart, and a second client logs in before the first asks again: each keeps its own session.
    a.WaitForTop("CQXTradeMenuWnd");
    RestartServer();
    auto startedB = StartAnother("b");
    ClientProcess& b = *startedB;
    dump = FirstTradeLogIn(b, "880012346");
    ASSERT_EQ(TopWindowClass(dump), "CTradeQueryTableWnd") << dump;
    ExpiredOrdersTable(a, order);
    Back(b, dump);
    b.WaitForTop("CQXTradeMenuWnd");
    ASSERT_TRUE(b.Tap(Row(menu, 170, 4, 55)));
    dump = WaitForText(b, "\"columns=");
    EXPECT_EQ(TopWindowClass(dump), "CTradeQueryTableWnd") << "still logged in: " << dump;
    for (ClientProcess* client : {&a, &b}) {
        std::string log = client->Command("log");
        EXPECT_EQ(log.find("请求数据解密失败"), std::string::npos) << log;
        EXPECT_EQ(log.find("请先登录交易系统"), std::string::npos) << log;
    }
    // The second client's orders are its own account's: none of the first one's.
    EXPECT_EQ(TopWindow(dump).find("|" + order + "|"), std::string::npos) << dump;
}

TEST_F(TradingEndToEndTest, AnOrderFormWhoseLookUpWasLostWithTheTradeLogInAsksAgainOnceLoggedIn)
{
    auto started = Start("a");
    ClientProcess& client = *started;
    std::string menu = SignUpToTradeMenu(client);
    OpenLoggedIn(client, menu, 0, "880012345", "123456"); // 买入委托
    std::string dump = client.WaitForTop("CTradeBuySaleWnd");
    ASSERT_NE(server->http.Control("expire").find("ok"), std::string::npos);
    client.Command("log");
    Type(client, CentreOf(dump, RectOfId(310)), "600027");
    LogIn(client, "880012345", "123456");
    dump = WaitForText(client, "元\"");
    ASSERT_EQ(TopWindowClass(dump), "CTradeBuySaleWnd") << dump;
    Type(client, CentreOf(dump, RectOfId(312)), "100");
    ASSERT_TRUE(client.Tap(Bar(dump, 1)));
    dump = client.WaitForAction("CTradeConfirmWnd");
    EXPECT_EQ(TopWindowClass(dump), "CTradeConfirmWnd") << dump;
    std::string said = client.Command("log");
    EXPECT_NE(said.find("交易登录已失效，请重新登录！"), std::string::npos) << said;
    EXPECT_EQ(said.find("正在查询证券信息"), std::string::npos) << said;
}

TEST_F(TradingEndToEndTest, ACoreFileOfALoggedInClientHoldsNoTradingPassword)
{
    auto started = Start("a");
    ClientProcess& client = *started;
    std::string menu = SignUpToTradeMenu(client);
    OpenLoggedIn(client, menu, 4, "880012345", "123456"); // 当日委托
    std::string dump = client.WaitForTop("CTradeQueryTableWnd");
    ASSERT_EQ(TopWindowClass(dump), "CTradeQueryTableWnd") << dump;
    // The password as typed, sent and kept: 8-bit and UTF-16, not within a longer run of digits or letters.
    const std::string password = "123456";
    std::string wide;
    for (char c : password)
        wide += std::string{c, '\0'};
    auto standsAlone = [](const std::string& text, size_t at, size_t length, size_t unit) {
        auto word = [](char c) { return std::isalnum((unsigned char)c) != 0; };
        return (at < unit || !word(text[at - unit])) && (at + length + unit > text.size() || !word(text[at + length]));
    };
    int found = 0;
    size_t read = client.ReadCoreImage([&](const std::string& mapping) {
        for (const auto& [form, unit] : {std::pair{password, size_t(1)}, std::pair{wide, size_t(2)}})
            for (size_t at = mapping.find(form); at != std::string::npos; at = mapping.find(form, at + 1))
                if (standsAlone(mapping, at, form.size(), unit)) {
                    ++found;
                    ADD_FAILURE() << "at " << at << ": "
                                  << ::testing::PrintToString(mapping.substr(at < 48 ? 0 : at - 48, 112));
                }
    });
    EXPECT_GT(read, 1u << 20) << "the client's memory was read";
    EXPECT_EQ(found, 0);
}
