// The real client against the simulated brokerage, through its automation socket: a logged-out buy from the
// ranked table sets up a branch office, logs in and goes on to the prefilled order form; the order is confirmed,
// shows in the day's orders, is cancelled and shows so; the trade log-out closes the road again.
#include "tests/support/ClientDriver.h"

#include <filesystem>
#include <regex>
#include <string>

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
        std::string dump;
        for (int i = 0; i < 100; ++i) {
            dump = client.Dump();
            if (TopWindow(dump).find(text) != std::string::npos)
                break;
            client.Command("idle 200");
        }
        return dump;
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

TEST_F(TradingEndToEndTest, Explore)
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
    client.Command("shot " + root.Path() + "login.png");
    ASSERT_TRUE(client.Tap(Bar(dump, 1)));
    dump = client.WaitForTop("CTradeBuySaleWnd");
    // Prefilled: the selected row's code, then the server's name, price and what may be bought.
    dump = WaitForText(client, "元\"");
    printf("LOG %s\n", client.Command("log").c_str());
    ASSERT_NE(TopWindow(dump).find("\"text\":\"买入 "), std::string::npos) << dump;
    ASSERT_EQ(TopWindow(dump).find("\"text\":\"卖1  --\""), std::string::npos) << "the book is filled: " << dump;
    Type(client, CentreOf(dump, RectOfId(312)), "100");
    client.Command("shot " + root.Path() + "order.png");
    ASSERT_TRUE(client.Tap(Bar(dump, 1)));
    dump = client.WaitForTop("CTradeConfirmWnd");
    ASSERT_NE(TopWindow(dump).find("\"text\":\"100\""), std::string::npos) << dump;
    ASSERT_TRUE(client.Tap(Bar(dump, 1)));
    dump = WaitForText(client, "委托已提交，委托编号：");
    printf("DONE %s\n", TopWindow(dump).c_str());
}
