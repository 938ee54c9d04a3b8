// Money moves only for the account a confirmation was made for, and only by a deliberate tap, through the real
// client's automation: a confirmation left open while the server loses the trade log-in sends nothing once another
// account has logged in; two quick taps on the form's button, where the confirmation's 确定 then stands, send
// nothing, and a tap a second later sends the order, or the transfer, exactly once.
#include "tests/support/TradingDriver.h"

#include "core/TextHelpers.h"

#include <fstream>

using namespace e2e;

namespace {

class TradeSafetyEndToEndTest : public TradingClientTest {
protected:
    void SetUp() override
    {
        TradingClientTest::SetUp();
        // Both branch offices on file, as a user of two accounts keeps them (GB2312 names).
        std::ofstream(home + "yyb.dat", std::ios::binary)
            << "0101^" << GbFromWide(u"北京金融街营业部") << "#0102^" << GbFromWide(u"北京中关村营业部") << "#";
    }
    // In the log-in window: the branch office picked from its list.
    static void PickBranch(ClientProcess& client, const std::string& name)
    {
        std::string dump = client.WaitForTop("CQXTradeLoginWnd");
        ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfId(320))));
        ASSERT_TRUE(client.Tap(CentreOf(client.Dump(), RectOfText(name))));
    }
    // From the trading menu, the day's orders (logging in at the branch first when asked): how many rows name the
    // code; back to the menu.
    int OrdersOf(ClientProcess& client, const std::string& menu, const std::string& code,
                 const std::string& branch = "", const std::string& account = "", const std::string& password = "")
    {
        client.WaitForTop("CQXTradeMenuWnd");
        client.Tap(Row(menu, 170, 4, 55)); // 当日委托
        if (!account.empty()) {
            PickBranch(client, branch);
            LogIn(client, account, password);
        }
        std::string dump = WaitForText(client, "\"columns=");
        EXPECT_EQ(TopWindowClass(dump), "CTradeQueryTableWnd") << dump;
        int rows = Count(TopWindow(dump), "|" + code + "|");
        Point back = CentreOf(dump, RectOfId(101));
        back.x = back.x * 9 / 5; // the last of five icons
        client.Tap(back);
        client.WaitForTop("CQXTradeMenuWnd");
        return rows;
    }
    // From the trading menu, 买入委托 with the log-in it asks for: the form filled with 600010 and the quantity.
    static std::string BuyForm(ClientProcess& client, const std::string& menu, const std::string& account,
                               const std::string& quantity)
    {
        client.Tap(Row(menu, 170, 0, 55));
        LogIn(client, account, "123456");
        std::string dump = client.WaitForTop("CTradeBuySaleWnd");
        Type(client, CentreOf(dump, RectOfId(310)), "600010");
        dump = WaitForText(client, "元\"");
        Type(client, CentreOf(dump, RectOfId(312)), quantity);
        return dump;
    }
    // Two taps 100 ms apart on the form's action, where the confirmation's 确定 comes: the confirmation shows and
    // nothing is sent; a tap on 确定 a second after the first sends it. Returns the dump with the notice that
    // follows (holding answered).
    static std::string TapTwiceThenOnceMore(ClientProcess& client, Point action, const std::string& answered)
    {
        const std::string tap = "tap " + std::to_string(action.x) + " " + std::to_string(action.y);
        auto first = std::chrono::steady_clock::now();
        client.Command(tap);
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the finger's own pace
        client.Command(tap);
        std::string dump = client.WaitForAction("CTradeConfirmWnd");
        EXPECT_EQ(TopWindowClass(dump), "CTradeConfirmWnd") << "the confirmation still asks: " << dump;
        EXPECT_EQ(client.Command("log").find(answered), std::string::npos) << "nothing sent by the quick taps";
        std::this_thread::sleep_until(first + std::chrono::seconds(1));
        EXPECT_TRUE(client.Tap(action));
        return WaitForText(client, answered);
    }
};

} // namespace

TEST_F(TradeSafetyEndToEndTest, AConfirmationLeftOpenSendsNothingOnceAnotherAccountHasLoggedIn)
{
    auto started = Start("a");
    ClientProcess& client = *started;
    const std::string menu = SignUpToTradeMenu(client);
    std::string dump = BuyForm(client, menu, "880012346", "300");
    ASSERT_TRUE(client.Tap(Bar(dump, 1)));
    dump = client.WaitForAction("CTradeConfirmWnd");
    ASSERT_NE(TopWindow(dump).find("A880012346"), std::string::npos) << dump;

    // The server loses the trade log-in; 确定 leads to the log-in, where the other account logs in.
    ASSERT_NE(server->http.Control("expire").find("ok"), std::string::npos);
    ASSERT_TRUE(client.Tap(Bar(dump, 1)));
    client.WaitForTop("CQXTradeLoginWnd");
    ASSERT_NO_FATAL_FAILURE(PickBranch(client, "北京中关村营业部"));
    LogIn(client, "880012347", "654321");
    dump = client.WaitForTop("CQXTradeMenuWnd");
    ASSERT_EQ(TopWindowClass(dump), "CQXTradeMenuWnd") << "the confirmation and its form closed: " << dump;
    std::string said = client.Command("log");
    EXPECT_NE(said.find("交易登录已失效，请重新登录！"), std::string::npos) << said;
    EXPECT_NE(said.find("交易账号已变更，原账号的操作未提交，请重新操作！"), std::string::npos) << said;

    // Neither account has the order: the new one's day shows none, nor, logged in again, the first one's.
    EXPECT_EQ(OrdersOf(client, menu, "600010"), 0);
    client.Command("tap 412 51"); // the caption bar's trade icon: log out
    client.Idle();
    ASSERT_TRUE(client.Tap(CentreOf(client.Dump(), RectOfText("是"))));
    dump = client.WaitForTop("CQXAppFrame");
    ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfId(107))));
    client.WaitForTop("CQXTradeMenuWnd");
    EXPECT_EQ(OrdersOf(client, menu, "600010", "北京金融街营业部", "880012346", "123456"), 0);
}

TEST_F(TradeSafetyEndToEndTest, TwoQuickTapsSendNothingAndADeliberateTapOrdersAndTransfersExactlyOnce)
{
    auto started = Start("a");
    ClientProcess& client = *started;
    const std::string menu = SignUpToTradeMenu(client);
    std::string dump = BuyForm(client, menu, "880012345", "100");
    dump = TapTwiceThenOnceMore(client, Bar(dump, 1), "委托已提交，委托编号：");
    ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfText("确定"))));
    dump = client.WaitForTop("CTradeBuySaleWnd");
    ASSERT_TRUE(client.Tap(Bar(dump, 2)));
    EXPECT_EQ(OrdersOf(client, menu, "600010"), 1);

    // The same for a transfer of 1000 from the bank.
    ASSERT_TRUE(client.Tap(Row(menu, 170, 8, 55))); // 银行余额
    double bankBefore = BankBalance(client);
    ASSERT_TRUE(client.Tap(Row(menu, 170, 7, 55))); // 银证转账
    dump = WaitForText(client, "中国工商银行");
    Type(client, CentreOf(dump, RectOfId(352)), "1000");
    Type(client, CentreOf(dump, RectOfId(353)), "888888");
    dump = TapTwiceThenOnceMore(client, Bar(dump, 1), "转账已受理，流水号：");
    ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfText("确定"))));
    dump = client.WaitForTop("CBankTransferWnd");
    ASSERT_TRUE(client.Tap(Bar(dump, 2)));
    client.WaitForTop("CQXTradeMenuWnd");
    ASSERT_TRUE(client.Tap(Row(menu, 170, 8, 55)));
    EXPECT_NEAR(BankBalance(client), bankBefore - 1000, 0.001);
}
