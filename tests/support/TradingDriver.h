// The trading screens of the real client driven as their user does, through the automation: sign-up, the trading
// menu, the branch office and the trade log-in, typing, the command bar's thirds, rows of a list, and waiting for
// what the top window shows.
//
//   class MyTradingTest : public TradingClientTest {};
//   TEST_F(MyTradingTest, X) {
//       auto client = Start("a");
//       std::string menu = SignUpToTradeMenu(*client);
//       OpenLoggedIn(*client, menu, 0, "880012345", "123456"); // 买入委托
//       ...
//   }
#pragma once

#include "tests/support/ClientDriver.h"

#include <chrono>
#include <cstdlib>
#include <regex>
#include <string>
#include <thread>

class TradingClientTest : public ClientTest {
protected:
    using ClientProcess = e2e::ClientProcess;
    using Point = e2e::Point;

    // A known day and minute, so the market's path after the order is the same on every run.
    CServerOptions ServerOptions() override
    {
        CServerOptions options = ClientTest::ServerOptions();
        options.startMinute = 60;
        options.today = 20251208;
        return options;
    }
    // Signs the phone up, opens "交易" from the home grid and returns the trading menu's dump.
    std::string SignUpToTradeMenu(ClientProcess& client)
    {
        std::string dump = SignUp(client);
        EXPECT_TRUE(client.Tap(e2e::CentreOf(dump, e2e::RectOfId(107))));
        return client.WaitForTop("CQXTradeMenuWnd");
    }
    // Signs the phone up and waits for the home grid.
    std::string SignUp(ClientProcess& client)
    {
        std::string dump = client.WaitForTop("CRegisterVerifyFrame");
        Type(client, e2e::CentreOf(dump, e2e::RectOfId(300)), "13800138000");
        Point bar = e2e::CentreOf(dump, e2e::RectOfId(101)); // "登录" is the command bar's left third
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
    // The centre of row `row` of the list-like control `id`, rows `height` pixels high from its top, as far as
    // the list has scrolled.
    static Point Row(const std::string& dump, int id, int row, int height)
    {
        std::smatch window, control;
        static const std::regex windowRect(
            R"re("windows":\[\{"class":"[^"]*","title":"[^"]*","rect":\[(-?\d+),(-?\d+),)re");
        std::string pattern = e2e::RectOfId(id) + R"re([^}]*"extra":"[^"]*?(?:top=(\d+))?[^"]*")re";
        if (!std::regex_search(dump, window, windowRect) || !std::regex_search(dump, control, std::regex(pattern)))
            return {};
        int left = std::stoi(window[1]), top = std::stoi(window[2]);
        int scrolled = control[5].matched ? std::stoi(control[5]) : 0;
        return {left + (std::stoi(control[1]) + std::stoi(control[3])) / 4,
                top + std::stoi(control[2]) + row * height + height / 2 - scrolled};
    }
    // Drags the trading menu up to its end, so its last rows can be tapped.
    static std::string ScrollMenuDown(ClientProcess& client)
    {
        client.Command("drag 240 600 240 150 40");
        client.Idle();
        return WaitFor(client, [](const std::string&) { return true; });
    }
    // From the box that asks for a branch office: the first office added, and back; the log-in does not follow.
    static void SetUpBranch(ClientProcess& client)
    {
        std::string dump = client.Dump();
        EXPECT_NE(e2e::TopWindow(dump).find("请先设置好营业部"), std::string::npos) << dump;
        client.Tap(e2e::CentreOf(dump, e2e::RectOfText("确定")));
        dump = client.WaitForTop("CSalesDeptSetWnd");
        client.Tap(e2e::CentreOf(dump, e2e::RectOfText("添加")));
        dump = client.Dump();
        EXPECT_NE(e2e::TopWindow(dump).find(R"("items":["北京金融街营业部"])"), std::string::npos) << dump;
        client.Tap(Bar(dump, 2));
    }
    // In the log-in window: types account and password and taps "登录".
    // The password shows as dots, to the automation too; with a shot path the filled-in window is kept. It is
    // typed a key at a time, as on the phone, so that no automation command holds it whole.
    static std::string LogIn(ClientProcess& client, const std::string& account, const std::string& password,
                             const std::string& shot = "")
    {
        std::string dump = client.WaitForTop("CQXTradeLoginWnd");
        Type(client, e2e::CentreOf(dump, e2e::RectOfId(323)), account);
        client.Tap(e2e::CentreOf(dump, e2e::RectOfId(324)));
        for (char c : password)
            client.Command(std::string("text ") + c);
        client.Idle();
        EXPECT_EQ(client.Dump().find("\"" + password + "\""), std::string::npos);
        if (!shot.empty())
            client.Command("shot " + shot);
        client.Tap(Bar(dump, 1));
        return client.Dump();
    }
    // From the trading menu while logged out: entry `row` asks for a branch office first and leaves the user on
    // the menu; the same entry again asks for the log-in, which is made.
    static void OpenLoggedIn(ClientProcess& client, const std::string& menu, int row, const std::string& account,
                             const std::string& password)
    {
        client.Tap(Row(menu, 170, row, 55));
        SetUpBranch(client);
        client.WaitForTop("CQXTradeMenuWnd");
        client.Tap(Row(menu, 170, row, 55));
        LogIn(client, account, password);
    }
    // Waits until the top window's description holds text; returns the last dump.
    static std::string WaitForText(ClientProcess& client, const std::string& text)
    {
        return WaitFor(client, [&](const std::string& top) { return top.find(text) != std::string::npos; });
    }
    template <typename Done> static std::string WaitFor(ClientProcess& client, Done done)
    {
        std::string dump;
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(e2e::WaitMs());
        while (std::chrono::steady_clock::now() < end) {
            dump = client.Dump();
            if (done(e2e::TopWindow(dump)))
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
        Point bar = e2e::CentreOf(dump, e2e::RectOfId(101));
        if (bar.x < 0)
            return bar;
        bar.x = bar.x * (2 * third + 1) / 3;
        return bar;
    }
    // On the bank balance window: the first bank's balance asked with its password, read, and back to the menu;
    // -1 when it does not show.
    static double BankBalance(ClientProcess& client)
    {
        static const std::regex balanceText(R"re("text":"(\d+\.\d\d) 人民币")re");
        std::string shown = WaitForText(client, "中国工商银行");
        Type(client, e2e::CentreOf(shown, e2e::RectOfId(361)), "888888");
        client.Tap(Bar(shown, 1));
        shown = WaitFor(client, [](const std::string& top) { return std::regex_search(top, balanceText); });
        std::smatch m;
        EXPECT_TRUE(std::regex_search(shown, m, balanceText)) << shown;
        client.Tap(Bar(shown, 2));
        client.WaitForTop("CQXTradeMenuWnd");
        return m.size() > 1 ? std::stod(m[1]) : -1.0;
    }
};
