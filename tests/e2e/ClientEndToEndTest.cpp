// The real client, headless, against the stand-in server on loopback, driven through its automation socket:
// a phone without a sign-up goes through the sign-up frame to the home grid; the next start logs straight in;
// the exit button asks first and logs out.
#include "tests/support/ClientDriver.h"

#include <filesystem>
#include <string>
#include <vector>

using namespace e2e;

class ClientEndToEndTest : public ClientTest {
protected:
    // On the sign-up frame: its help page shows the server's help text with 返回 alone in its command bar (a tap
    // where the others would be does nothing); 返回 leads back to the sign-up frame, whose dump is given back.
    static void VisitTheHelpPage(ClientProcess& client, std::string& dump)
    {
        ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfId(141))));
        std::string help = client.WaitForTop("CRegisterHelpWnd");
        ASSERT_EQ(TopWindowClass(help), "CRegisterHelpWnd") << help;
        EXPECT_NE(TopWindow(help).find(R"("items":["","","返回"])"), std::string::npos) << help;
        Point helpBar = CentreOf(help, RectOfId(101));
        for (int third : {0, 1}) {
            ASSERT_TRUE(client.Tap({helpBar.x * (2 * third + 1) / 3, helpBar.y}));
            EXPECT_EQ(TopWindowClass(client.Dump()), "CRegisterHelpWnd") << third;
        }
        ASSERT_TRUE(client.Tap({helpBar.x * 5 / 3, helpBar.y})); // 返回
        dump = client.WaitForTop("CRegisterVerifyFrame");
        ASSERT_EQ(TopWindowClass(dump), "CRegisterVerifyFrame") << dump;
    }
    // On the sign-up frame: the phone number typed and "登录" lead to the home grid of nine buttons.
    static void SignUpWithThePhoneNumber(ClientProcess& client, const std::string& frame)
    {
        client.Command("tap " + std::to_string(CentreOf(frame, RectOfId(300)).x) + " " +
                       std::to_string(CentreOf(frame, RectOfId(300)).y));
        client.Command("text 13800138000");
        Point bar = CentreOf(frame, RectOfId(101)); // the command bar: "登录" is its left third
        bar.x /= 3;
        ASSERT_TRUE(client.Tap(bar));
        std::string dump = client.WaitForTop("CQXAppFrame");
        ASSERT_EQ(TopWindowClass(dump), "CQXAppFrame") << dump;
        EXPECT_EQ(Count(TopWindow(dump), "\"kind\":\"UiImageButton\""), 9);
    }
    // The home grid in dump: its nine buttons, each with its id, and a screenshot of it.
    void SeeTheHomeGrid(ClientProcess& client, const std::string& dump)
    {
        ASSERT_EQ(TopWindowClass(dump), "CQXAppFrame") << dump;
        std::string frame = TopWindow(dump);
        EXPECT_EQ(Count(frame, "\"kind\":\"UiImageButton\""), 9);
        for (int id = 103; id <= 111; ++id)
            EXPECT_NE(frame.find("\"id\":" + std::to_string(id) + ","), std::string::npos) << id;
        std::string shot = root.Path() + "home.png";
        client.Command("shot " + shot);
        ASSERT_TRUE(std::filesystem::exists(shot));
        EXPECT_GT(std::filesystem::file_size(shot), 1000u);
    }
    // The first entry of the server's menu opens over the home frame; its "首页" walks back home.
    static void OpenTheFirstMenuEntryAndGoHome(ClientProcess& client, std::string& dump)
    {
        ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfId(103))));
        std::string opened = client.Dump();
        EXPECT_NE(TopWindowClass(opened), "CQXAppFrame") << opened;
        Point home = CentreOf(opened, RectOfId(101));
        home.x /= 3;
        ASSERT_TRUE(client.Tap(home));
        dump = client.WaitForTop("CQXAppFrame");
        ASSERT_EQ(TopWindowClass(dump), "CQXAppFrame") << dump;
    }
    // A new user's own stock list, the default one of the first start, shows a quote row for each of its four
    // indices; the tool bar's last item goes back home.
    static void OpenTheOwnStockListAndGoHome(ClientProcess& client, std::string& dump)
    {
        ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfId(104))));
        std::string opened = client.WaitForTop("CMyStockWnd");
        ASSERT_EQ(TopWindowClass(opened), "CMyStockWnd") << opened;
        std::vector<std::string> rows = ListItems(opened, 171);
        ASSERT_EQ(rows.size(), 4u) << opened;
        for (const char* code : {" 000001 ", " 399001 ", " 100100 ", " 101400 "})
            EXPECT_EQ(Count(rows[0] + rows[1] + rows[2] + rows[3], code), 1) << code << ": " << opened;
        Point back = CentreOf(opened, RectOfId(101));
        back.x = back.x * 11 / 6; // the sixth of six items
        ASSERT_TRUE(client.Tap(back));
        dump = client.WaitForTop("CQXAppFrame");
        ASSERT_EQ(TopWindowClass(dump), "CQXAppFrame") << dump;
    }
};

TEST_F(ClientEndToEndTest, SignUpLeadsToTheHomeGridTheNextStartLogsStraightInAndExitAsksAndLogsOut)
{
    {
        auto started = Start("a");
        ClientProcess& client = *started;
        // No sign-up on this phone yet: the log-in is refused and the sign-up frame opens over the log-on window.
        std::string dump = client.WaitForTop("CRegisterVerifyFrame");
        ASSERT_EQ(TopWindowClass(dump), "CRegisterVerifyFrame") << dump;
        ASSERT_NO_FATAL_FAILURE(VisitTheHelpPage(client, dump));
        ASSERT_NO_FATAL_FAILURE(SignUpWithThePhoneNumber(client, dump));
        // Leave without logging out: the phone keeps its sign-up for the next start.
    }
    auto started = Start("b");
    ClientProcess& client = *started;
    std::string dump = client.WaitForTop("CQXAppFrame");
    ASSERT_NO_FATAL_FAILURE(SeeTheHomeGrid(client, dump));
    ASSERT_NO_FATAL_FAILURE(OpenTheFirstMenuEntryAndGoHome(client, dump));
    ASSERT_NO_FATAL_FAILURE(OpenTheOwnStockListAndGoHome(client, dump));

    // Exit asks first; "no" keeps the client running.
    Point exitButton = CentreOf(dump, RectOfId(111));
    ASSERT_TRUE(client.Tap(exitButton));
    dump = client.Dump();
    ASSERT_NE(TopWindow(dump).find("您确定退出系统？"), std::string::npos) << dump;
    ASSERT_TRUE(client.Tap(CentreOf(dump, RectOfText("否"))));
    EXPECT_EQ(TopWindowClass(client.Dump()), "CQXAppFrame");
    EXPECT_FALSE(client.HasExited());
    int sessions = server->Sessions();
    EXPECT_GE(sessions, 1);

    // "Yes" logs the session out and ends the client.
    ASSERT_TRUE(client.Tap(exitButton));
    dump = client.Dump();
    client.Command("tap " + std::to_string(CentreOf(dump, RectOfText("是")).x) + " " +
                   std::to_string(CentreOf(dump, RectOfText("是")).y));
    EXPECT_EQ(client.WaitExit(), 0);
    EXPECT_EQ(server->Sessions(), sessions - 1);
}
