// The real client against the simulated brokerage, through its automation socket: a logged-out buy from the
// ranked table sets up a branch office, logs in and goes on to the prefilled order form; the order is confirmed,
// shows in the day's orders, is cancelled and shows so; the trade log-out closes the road again.
#include "tests/support/ClientDriver.h"

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>

using namespace e2e;

namespace {

class TradingEndToEndTest : public ClientTest {
protected:
    // Signs the phone up and waits for the home grid.
    std::string SignUp(ClientProcess& client)
    {
        std::string dump = client.WaitForTop("CRegisterVerifyFrame");
        Type(client, CentreOf(dump, RectOfId(300)), "13800138000");
        Point bar = CentreOf(dump, RectOfId(101)); // "登录" is the command bar's left third
        bar.x /= 3;
        client.Tap(bar);
        return client.WaitForTop("CQXAppFrame");
    }
    static void Type(ClientProcess& client, Point field, const std::string& text)
    {
        client.Tap(field);
        client.Command("text " + text);
        client.Idle();
    }
    // The centre of row `row` of the list-like control `id`, rows `height` pixels high from its top.
    static Point Row(const std::string& dump, int id, int row, int height)
    {
        std::smatch window, control;
        static const std::regex windowRect(R"re("windows":\[\{"class":"[^"]*","title":"[^"]*","rect":\[(-?\d+),(-?\d+),)re");
        std::string pattern = RectOfId(id);
        if (!std::regex_search(dump, window, windowRect) || !std::regex_search(dump, control, std::regex(pattern)))
            return {};
        int left = std::stoi(window[1]), top = std::stoi(window[2]);
        return {left + (std::stoi(control[1]) + std::stoi(control[3])) / 4,
                top + std::stoi(control[2]) + row * height + height / 2};
    }
    // Waits until the top window's description holds text; returns the last dump.
    static std::string WaitForText(ClientProcess& client, const std::string& text)
    {
        return WaitFor(client, [&](const std::string& top) { return top.find(text) != std::string::npos; });
    }
    template <typename Done> static std::string WaitFor(ClientProcess& client, Done done)
    {
        std::string dump;
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs());
        while (std::chrono::steady_clock::now() < end) {
            dump = client.Dump();
            if (done(TopWindow(dump)))
                break;
            client.Idle();
            std::this_thread::sleep_for(std::chrono::milliseconds(50)); // a tip closes on its own clock
        }
        return dump;
    }
    // Where the screenshots go: MORWICK_SHOTS names a folder to keep them (the README's), else the test's own.
    std::string Shot(const std::string& name)
    {
        const char* keep = getenv("MORWICK_SHOTS");
        return (keep != nullptr && keep[0] != 0 ? std::string(keep) + "/" : root.Path()) + name;
    }
    // A third of the command bar: 0 left, 1 middle, 2 right.
    static Point Bar(const std::string& dump, int third)
    {
        Point bar = CentreOf(dump, RectOfId(101));
        if (bar.x < 0)
            return bar;
        bar.x = bar.x * (2 * third + 1) / 3;
        return bar;
    }
};

} // namespace

TEST_F(TradingEndToEndTest, LoggedOutBuySetsUpLogsInOrdersCancelsAndLogsOut)
{
    auto started = Start("a");
    ClientProcess& client = *started;
    std::string dump = SignUp(client);
    ASSERT_EQ(TopWindowClass(dump), "CQXAppFrame") << dump;
    ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfId(103))));
    dump = client.Dump();
    ASSERT_TRUE(client.Tap(Row(dump, 170, 0, 55)));
    dump = client.WaitForTop("CQXStockTableWnd");
    ASSERT_TRUE(client.Tap(Row(dump, 171, 0, 50)));
    Point menu = CentreOf(dump, RectOfId(101));
    menu.x /= 6; // the first of six icons
    ASSERT_TRUE(client.Tap(menu));
    dump = client.Dump();
    ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfText("买入委托"))));
    dump = client.Dump();
    ASSERT_NE(TopWindow(dump).find("请先设置好营业部"), std::string::npos) << dump;
    ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfText("确定"))));
    dump = client.WaitForTop("CSalesDeptSetWnd");
    ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfText("添加"))));
    dump = client.Dump();
    ASSERT_NE(TopWindow(dump).find(R"("items":["北京金融街营业部"])"), std::string::npos) << dump;
    ASSERT_TRUE(client.Tap(Bar(dump, 2)));
    dump = client.WaitForTop("CQXTradeLoginWnd");
    Type(client, CentreOf(dump, RectOfId(323)), "880012345");
    Type(client, CentreOf(dump, RectOfId(324)), "123456");
    dump = client.Dump();
    EXPECT_EQ(dump.find("123456"), std::string::npos) << "the password shows dots, also here";
    client.Command("shot " + Shot("login.png"));
    ASSERT_TRUE(client.Tap(Bar(dump, 1)));
    dump = client.WaitForTop("CTradeBuySaleWnd");
    // Prefilled: the selected row's code, then the server's name, price and what may be bought.
    dump = WaitForText(client, "元\"");
    ASSERT_NE(TopWindow(dump).find("\"text\":\"买入 "), std::string::npos) << dump;
    ASSERT_EQ(TopWindow(dump).find("\"text\":\"卖1  --\""), std::string::npos) << "the book is filled: " << dump;
    Type(client, CentreOf(dump, RectOfId(312)), "100");
    client.Command("shot " + Shot("order.png"));
    ASSERT_TRUE(client.Tap(Bar(dump, 1)));
    dump = client.WaitForTop("CTradeConfirmWnd");
    ASSERT_NE(TopWindow(dump).find("\"text\":\"100\""), std::string::npos) << dump;
    ASSERT_TRUE(client.Tap(Bar(dump, 1)));
    dump = WaitForText(client, "委托已提交，委托编号：");
    std::smatch number;
    ASSERT_TRUE(std::regex_search(dump, number, std::regex("委托编号：(\\d+)"))) << dump;
    std::string order = number[1];
    ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfText("确定"))));
    // Home, then the trading menu: the day's orders show it, still open.
    dump = client.Dump();
    ASSERT_TRUE(client.Tap(Bar(dump, 0)));
    dump = client.WaitForTop("CQXAppFrame");
    ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfId(107))));
    dump = client.WaitForTop("CQXTradeMenuWnd");
    ASSERT_TRUE(client.Tap(Row(dump, 170, 4, 55))); // 当日委托
    dump = WaitForText(client, "|" + order + "|");
    ASSERT_NE(TopWindow(dump).find("|" + order + "|"), std::string::npos) << dump;
    Point back = CentreOf(dump, RectOfId(101));
    back.x = back.x * 9 / 5; // the last of five icons
    ASSERT_TRUE(client.Tap(back));

    // The cancel table lists it; a tap asks "撤单", and once cancelled it is no longer cancellable.
    dump = client.WaitForTop("CQXTradeMenuWnd");
    ASSERT_TRUE(client.Tap(Row(dump, 170, 2, 55))); // 委托撤单
    dump = WaitForText(client, "|" + order + "|");
    ASSERT_EQ(TopWindowClass(dump), "CTradeCancelWnd") << dump;
    ASSERT_TRUE(client.Tap(Row(dump, 171, 1, 50))); // selects the row
    ASSERT_TRUE(client.Tap(Row(dump, 171, 1, 50))); // opens it
    dump = client.WaitForTop("CTradeConfirmWnd");
    ASSERT_NE(TopWindow(dump).find("\"text\":\"撤单\""), std::string::npos) << dump;
    ASSERT_TRUE(client.Tap(Bar(dump, 1)));
    WaitForText(client, "撤单已提交！");
    static const std::regex emptyGrid(R"re("id":171,[^}]*"items":\[\])re");
    dump = WaitFor(client, [](const std::string& top) {
        return top.find("\"CTradeCancelWnd\"") != std::string::npos && std::regex_search(top, emptyGrid);
    });
    ASSERT_EQ(TopWindowClass(dump), "CTradeCancelWnd") << dump;
    EXPECT_EQ(TopWindow(dump).find("|" + order + "|"), std::string::npos) << dump;
    ASSERT_TRUE(client.Tap(back));

    // Positions, for the record.
    dump = client.WaitForTop("CQXTradeMenuWnd");
    ASSERT_TRUE(client.Tap(Row(dump, 170, 3, 55))); // 资金股份
    dump = WaitForText(client, "\"columns=");
    ASSERT_EQ(TopWindowClass(dump), "CTradeQueryTableWnd") << dump;
    client.Command("shot " + Shot("positions.png"));

    // The password reached neither the screen's description nor the debug log.
    EXPECT_EQ(client.Command("log").find("123456"), std::string::npos);

    // The caption bar's trade icon logs out and walks home; the road to the orders is closed again.
    client.Command("tap 412 51");
    client.Idle();
    dump = client.Dump();
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
