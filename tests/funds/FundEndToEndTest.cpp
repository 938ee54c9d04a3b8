// The fund screens in the real client, headless, against the stand-in server: what a user does from the home
// grid's "基金" and "理财" entries, tap by tap.
#include "tests/support/ClientDriver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace e2e;

// An address of forty characters, more than a line of the confirmation holds.
const std::string LONG_ADDRESS = "北京市西城区金融大街二十七号投资广场A座十二层一二零八室收发室转交陈静女士本人收";

struct Control {
    std::string kind;
    int id = 0;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::string text;
    std::string items;
    std::string extra;
};

// The controls of the top window, in the dump's order.
std::vector<Control> Controls(const std::string& dump)
{
    static const std::regex control(
        R"re(\{"kind":"([^"]*)","id":(-?\d+),"rect":\[(-?\d+),(-?\d+),(-?\d+),(-?\d+)\],"visible":true,"enabled":(?:true|false),"text":"((?:[^"\\]|\\.)*)","items":\[([^\]]*)\],"selected":-?\d+,"extra":"((?:[^"\\]|\\.)*)"[^{}]*\})re");
    std::vector<Control> found;
    std::string top = TopWindow(dump);
    for (std::sregex_iterator it(top.begin(), top.end(), control), end; it != end; ++it) {
        const std::smatch& m = *it;
        found.push_back({m[1], std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4]), std::stoi(m[5]), std::stoi(m[6]),
                         m[7], m[8], m[9]});
    }
    return found;
}

// The user: taps and types on the top window of the running client, as a finger and the keypad would.
class FundUser {
public:
    explicit FundUser(ClientProcess& client) : client(client) {}

    // What is on the screen once no self-closing tip covers it (taps on a tip are lost, as on the phone).
    std::string Dump()
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs());
        while ((dump = client.Dump()).find("\"windows\":[{\"class\":\"MzTipWnd\"") != std::string::npos &&
               std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return dump;
    }
    std::string Top() { return TopWindowClass(Dump()); }
    // Waits for the window class on top; false (with the dump in the failure) when it does not come.
    bool Sees(const std::string& className)
    {
        dump = client.WaitForTop(className);
        return TopWindowClass(dump) == className;
    }
    bool Shows(const std::string& text) { return TopWindow(Dump()).find(text) != std::string::npos; }

    // Button n of the bottom bar of `buttons` equal buttons (command bar: 3, tool bar of the tables: 5).
    bool TapBar(int n, int buttons = 3)
    {
        const Control* bar = Find(101);
        return bar != nullptr &&
               TapAt(bar->x1 + (bar->x2 - bar->x1) * (2 * n + 1) / (2 * buttons), (bar->y1 + bar->y2) / 2);
    }
    bool TapId(int id)
    {
        const Control* c = Find(id);
        return c != nullptr && TapAt((c->x1 + c->x2) / 2, (c->y1 + c->y2) / 2);
    }
    bool TapText(const std::string& text)
    {
        Dump();
        for (const Control& c : Controls(dump))
            if (c.text == text)
                return TapAt((c.x1 + c.x2) / 2, (c.y1 + c.y2) / 2);
        return false;
    }
    // Taps the row of a picker's list that reads text.
    bool TapChoice(const std::string& text)
    {
        Dump();
        for (const Control& c : Controls(dump)) {
            size_t at = c.items.find("\"" + text + "\"");
            if (c.kind != "CCheckList" || at == std::string::npos)
                continue;
            int row = Count(c.items.substr(0, at), "\",\"") + (at > 0 ? 1 : 0);
            return TapAt((c.x1 + c.x2) / 2, c.y1 + row * 45 + 22);
        }
        return false;
    }
    // Types into the nth edit of the form (number fields describe themselves as CMatchEdit).
    bool Type(int nth, const std::string& text)
    {
        Dump();
        for (const Control& c : Controls(dump))
            if ((c.kind == "UiLineEdit" || c.kind == "CMatchEdit") && nth-- == 0) {
                TapAt((c.x1 + c.x2) / 2, (c.y1 + c.y2) / 2);
                client.Command("text " + text);
                client.Idle();
                return true;
            }
        return false;
    }
    // Types into the nth edit of the form in place of what it holds.
    bool Retype(int nth, const std::string& text)
    {
        Dump();
        for (const Control& c : Controls(dump))
            if ((c.kind == "UiLineEdit" || c.kind == "CMatchEdit") && nth-- == 0) {
                TapAt((c.x1 + c.x2) / 2, (c.y1 + c.y2) / 2);
                for (size_t i = 0; i < c.text.size(); ++i)
                    client.Command("key back");
                client.Command("text " + text);
                client.Idle();
                return true;
            }
        return false;
    }
    // A swipe to the left across the grid: its columns that shift move on by one.
    void SwipeGridLeft()
    {
        const Control* grid = Find(171);
        if (grid == nullptr)
            return;
        int y = grid->y1 + 150;
        Point a = Screen(grid->x2 - 60, y), b = Screen(grid->x1 + 60, y);
        client.Command("drag " + std::to_string(a.x) + " " + std::to_string(a.y) + " " + std::to_string(b.x) + " " +
                       std::to_string(b.y) + " 10");
        client.Idle();
    }
    // Taps row n of the menu list, scrolling it first when the row is out of sight.
    bool TapMenuRow(int row, const std::string& expectedClass)
    {
        for (int attempt = 0; attempt < 4; ++attempt) {
            const Control* list = Find(170);
            if (list == nullptr)
                return false;
            std::smatch m;
            int scrolled = std::regex_search(list->extra, m, std::regex(R"(top=(\d+))")) ? std::stoi(m[1]) : 0;
            int y = list->y1 + row * 55 - scrolled + 27;
            if (y > list->y2 - 10 || y < list->y1 + 10) {
                Point a = Screen(240, list->y2 - 20), b = Screen(240, list->y1 + 20);
                if (y < list->y1 + 10)
                    std::swap(a, b);
                client.Command("drag " + std::to_string(a.x) + " " + std::to_string(a.y) + " " + std::to_string(b.x) +
                               " " + std::to_string(b.y) + " 10");
                client.Idle();
                continue;
            }
            TapAt(240, y);
            if (Sees(expectedClass))
                return true;
        }
        return false;
    }
    // Taps data row n of the grid (once selects, twice opens).
    bool TapGridRow(int row, int times)
    {
        const Control* grid = Find(171);
        if (grid == nullptr)
            return false;
        for (int i = 0; i < times; ++i)
            TapAt(240, grid->y1 + 50 + row * 50 + 25);
        return true;
    }
    int GridRows()
    {
        const Control* grid = Find(171);
        return grid == nullptr ? -1 : Count(grid->items, "\",\"") + (grid->items.size() > 2 ? 1 : 0);
    }
    std::string GridItems()
    {
        const Control* grid = Find(171);
        return grid != nullptr ? grid->items : "";
    }
    // The tips the client showed since the last call.
    std::string Tips() { return client.Command("log"); }
    // Confirms the order summary on top and returns the number that follows the text in the notice that comes
    // next ("" when the notice says something else).
    std::string Confirm(const std::string& text = "委托已提交，委托编号：")
    {
        dump = client.WaitForAction("CTradeConfirmWnd");
        if (TopWindowClass(dump) != "CTradeConfirmWnd" || !TapBar(1) || !Sees("MzMessageBoxWnd"))
            return "";
        std::smatch m;
        std::string top = TopWindow(dump);
        std::string number = std::regex_search(top, m, std::regex(text + "(\\w+)")) ? std::string(m[1]) : "";
        TapText("确定");
        return number;
    }
    // Back on the bar: forms and the risk notice have it right of three, tables right of five.
    void Back(int buttons = 3) { TapBar(buttons - 1, buttons); }

    std::string dump;

private:
    const Control* Find(int id)
    {
        Dump();
        found = Controls(dump);
        for (const Control& c : found)
            if (c.id == id)
                return &c;
        return nullptr;
    }
    Point Screen(int x, int y)
    {
        std::smatch m;
        static const std::regex origin(
            R"re("windows":\[\{"class":"[^"]*","title":"[^"]*","rect":\[(-?\d+),(-?\d+),)re");
        if (!std::regex_search(dump, m, origin))
            return {};
        return {std::stoi(m[1]) + x, std::stoi(m[2]) + y};
    }
    bool TapAt(int x, int y) { return client.Tap(Screen(x, y)); }

    ClientProcess& client;
    std::vector<Control> found;
};

class FundEndToEndTest : public ClientTest {
protected:
    // A known trading day at 10:30, so that 180 minutes of the clock reach the close.
    CServerOptions ServerOptions() override
    {
        CServerOptions options = ClientTest::ServerOptions();
        options.startMinute = 60;
        options.today = 20251208;
        return options;
    }
    // Signs the phone up, its branch office chosen already, and waits for the home grid.
    std::unique_ptr<ClientProcess> StartSignedUp(FundUser** user)
    {
        FILE* offices = fopen((home + "yyb.dat").c_str(), "wb");
        if (offices == nullptr)
            return nullptr;
        fputs("0101^\xb1\xb1\xbe\xa9\xbd\xf0\xc8\xda\xbd\xd6\xd3\xaa\xd2\xb5\xb2\xbf#", offices);
        fclose(offices);
        auto client = Start("funds");
        if (client == nullptr)
            return client;
        users.push_back(std::make_unique<FundUser>(*client));
        FundUser& u = *users.back();
        *user = &u;
        if (!u.Sees("CRegisterVerifyFrame"))
            return client;
        u.TapId(300);
        client->Command("text 13800138000");
        u.TapBar(0);
        u.Sees("CQXAppFrame");
        return client;
    }
    // Logs in to trading on the log-in window on top (the branch office already chosen).
    void LogInToTrading(FundUser& u)
    {
        ASSERT_TRUE(u.Sees("CQXTradeLoginWnd")) << u.dump;
        u.Type(0, "880012345");
        u.Type(1, "123456");
        u.TapBar(1);
    }
    // The steps of a user's way through the fund screens, each from where the one before it ends.
    // 基金 on the home grid, then 基金搜索: funds by part of their name, no trade log-in needed.
    void SearchFundsByName(FundUser& u)
    {
        ASSERT_TRUE(u.TapId(108));
        ASSERT_TRUE(u.Sees("CQXTradeMenuWnd")) << u.dump;
        ASSERT_TRUE(u.TapMenuRow(13, "CFundSearchWnd")) << u.dump;
        u.Type(0, "长风");
        u.TapBar(1);
        ASSERT_TRUE(u.Sees("CFundSearchResultWnd")) << u.dump;
        EXPECT_EQ(u.GridRows(), 6) << u.GridItems();
        EXPECT_NE(u.GridItems().find("161101|长风成长股票"), std::string::npos) << u.GridItems();
    }
    // The first fund into my funds, twice.
    void AddTheFirstFundToMyFundsTwice(FundUser& u)
    {
        u.Tips();
        u.TapGridRow(0, 1);
        for (int i = 0; i < 2; ++i) {
            u.TapBar(0, 5);
            ASSERT_TRUE(u.Sees("CPopMenuWnd")) << u.dump;
            u.TapText("加入自选");
        }
        std::string tips = u.Tips();
        EXPECT_NE(tips.find("我的基金添加成功!"), std::string::npos) << tips;
        EXPECT_NE(tips.find("已在我的基金!"), std::string::npos) << tips;
        u.Back(5);
        ASSERT_TRUE(u.Sees("CFundSearchWnd"));
        u.Back();
        ASSERT_TRUE(u.Sees("CQXTradeMenuWnd"));
    }
    // 基金开户: the risk notice first; its 确定 opens the account form, which asks for the trade log-in.
    void OpenAFundAccount(FundUser& u)
    {
        ASSERT_TRUE(u.TapMenuRow(12, "CFundRiskAnnounceWnd")) << u.dump;
        ASSERT_TRUE(u.Shows("基金开户风险提示"));
        u.TapBar(1);
        LogInToTrading(u);
        ASSERT_TRUE(u.Sees("CFundOpenAccountWnd")) << u.dump;
        u.TapId(301); // the company: 启明星基金, the third
        ASSERT_TRUE(u.Sees("CMakeChoiceWnd")) << u.dump;
        ASSERT_TRUE(u.TapChoice("启明星基金"));
        ASSERT_TRUE(u.Sees("CFundOpenAccountWnd")) << u.dump;
        // A birth date in month 13 is refused on the form.
        u.Type(0, "Chen");
        u.Type(1, "110105194913310021");
        u.Type(2, "13800138000");
        u.Type(3, LONG_ADDRESS);
        u.Tips();
        u.TapBar(1);
        EXPECT_NE(u.Tips().find("身份证号码中的出生日期无效，请核对！"), std::string::npos);
        ASSERT_EQ(u.Top(), "CFundOpenAccountWnd") << u.dump;
        u.Retype(1, "110101199003071233");
        u.TapBar(1);
        // Every field typed is confirmed, the long address whole on the lines it takes.
        ASSERT_TRUE(u.Sees("CTradeConfirmWnd")) << u.dump;
        EXPECT_TRUE(u.Shows("\"text\":\"联系地址\""));
        bool wholeAddress = false;
        for (const Control& c : Controls(u.dump))
            wholeAddress = wholeAddress || (c.text == LONG_ADDRESS && c.y2 - c.y1 >= 3 * 24);
        EXPECT_TRUE(wholeAddress) << u.dump;
        EXPECT_NE(u.Confirm("开户成功，基金账号："), "");
        ASSERT_TRUE(u.Sees("CFundOpenAccountWnd")) << u.dump;
        u.Back();
        ASSERT_TRUE(u.Sees("CQXTradeMenuWnd")) << u.dump;
    }
    // 基金申购 of a fund of that company; the order shows in 委托查询 and goes in 委托撤单.
    void PurchaseAndCancelTheOrder(FundUser& u)
    {
        ASSERT_TRUE(u.TapMenuRow(6, "CFundRgSgWnd")) << u.dump;
        u.Type(0, "163301");
        u.Type(1, "1000."); // goes out as 1000.00
        u.TapBar(1);
        ASSERT_TRUE(u.Sees("CTradeConfirmWnd")) << u.dump;
        EXPECT_TRUE(u.Shows("\"text\":\"1000.00\"")) << u.dump;
        std::string first = u.Confirm();
        ASSERT_NE(first, "") << u.Tips();
        ASSERT_TRUE(u.Sees("CFundRgSgWnd"));
        u.Back();
        ASSERT_TRUE(u.TapMenuRow(10, "CFundTradeQueryWnd")) << u.dump;
        ASSERT_TRUE(u.Sees("CFundTradeQueryWnd"));
        EXPECT_NE(u.GridItems().find("启明星成长股票|申购|已报"), std::string::npos) << u.GridItems();
        u.Back(5);
        ASSERT_TRUE(u.TapMenuRow(11, "CFundTradeCancelWnd")) << u.dump;
        ASSERT_EQ(u.GridRows(), 1) << u.GridItems();
        u.TapGridRow(0, 2);
        EXPECT_EQ(u.Confirm("撤单成功，委托编号："), first);
        ASSERT_TRUE(u.Sees("CFundTradeCancelWnd"));
        EXPECT_EQ(u.GridRows(), 0) << u.GridItems();
        u.Back(5);
    }
    // Purchased again, the order is confirmed at the close: the shares are there.
    void PurchaseAgainAndSeeTheSharesAtTheClose(FundUser& u)
    {
        ASSERT_TRUE(u.TapMenuRow(6, "CFundRgSgWnd")) << u.dump;
        u.Type(0, "163301");
        u.Type(1, "5000");
        u.TapBar(1);
        ASSERT_NE(u.Confirm(), "") << u.Tips();
        ASSERT_TRUE(u.Sees("CFundRgSgWnd"));
        u.Back();
        server->http.Control("advance?minutes=180");
        ASSERT_TRUE(u.TapMenuRow(1, "CFundShareQueryWnd")) << u.dump;
        EXPECT_NE(u.GridItems().find("161101|长风成长股票"), std::string::npos) << u.GridItems();
        EXPECT_NE(u.GridItems().find("163301|启明星成长股票"), std::string::npos) << u.GridItems();
        u.Back(5);
    }
    // The holding the account had: its dividend method set to 红利再投资.
    void SetTheDividendMethodOfTheHolding(FundUser& u)
    {
        ASSERT_TRUE(u.TapMenuRow(9, "CFundFHConfigWnd")) << u.dump;
        ASSERT_TRUE(u.Shows("长风成长股票 161101"));
        u.TapId(302);
        ASSERT_TRUE(u.Sees("CMakeChoiceWnd"));
        ASSERT_TRUE(u.TapChoice("红利再投资"));
        ASSERT_TRUE(u.Sees("CFundFHConfigWnd"));
        u.TapBar(1);
        EXPECT_NE(u.Confirm("分红方式已修改，委托编号："), "");
        ASSERT_TRUE(u.Sees("CFundFHConfigWnd"));
        EXPECT_TRUE(u.Shows("\"text\":\"红利再投资\""));
        u.Back();
    }
    // Part of the holding redeemed: 1000 of its 10000.00 shares.
    void RedeemPartOfTheHolding(FundUser& u)
    {
        ASSERT_TRUE(u.TapMenuRow(7, "CFundRedemptionWnd")) << u.dump;
        ASSERT_TRUE(u.Shows("10000.00"));
        u.Type(0, "1000");
        u.TapBar(1);
        EXPECT_NE(u.Confirm(), "");
        ASSERT_TRUE(u.Sees("CFundRedemptionWnd"));
        EXPECT_TRUE(u.Shows("9000.00")) << u.dump;
        u.Back();
    }
    // Part of the holding converted into another fund of the company, then home.
    void ConvertPartOfTheHoldingAndGoHome(FundUser& u)
    {
        ASSERT_TRUE(u.TapMenuRow(8, "CFundTransformWnd")) << u.dump;
        u.TapId(302);
        ASSERT_TRUE(u.Sees("CMakeChoiceWnd")) << u.dump;
        EXPECT_FALSE(u.Shows("161106")) << "a fund in its subscription period takes no conversion";
        ASSERT_TRUE(u.TapChoice("长风稳健混合 161102"));
        ASSERT_TRUE(u.Sees("CFundTransformWnd"));
        u.Type(0, "2000");
        u.TapBar(1);
        EXPECT_NE(u.Confirm(), "");
        ASSERT_TRUE(u.Sees("CFundTransformWnd"));
        EXPECT_TRUE(u.Shows("7000.00")) << u.dump;
        u.Back();
        ASSERT_TRUE(u.Sees("CQXTradeMenuWnd"));
        u.TapBar(0); // home
        ASSERT_TRUE(u.Sees("CQXAppFrame")) << u.dump;
    }
    // The conversion's day closes: the new holding cost what the converted 2000 shares were worth at 161101's net
    // value of that day (its market value less its gain), then home.
    void SeeTheConvertedHoldingCostWhatItWasWorth(FundUser& u)
    {
        ASSERT_EQ(server->http.Control("advance?minutes=250"), "ok\n");
        ASSERT_TRUE(u.TapId(108));
        ASSERT_TRUE(u.TapMenuRow(1, "CFundShareQueryWnd")) << u.dump;
        // Swiped along: the market value and gain after two swipes, the cost and net value after five.
        std::vector<std::string> seen = {u.GridItems()};
        for (int i = 0; i < 5; ++i) {
            u.SwipeGridLeft();
            seen.push_back(u.GridItems());
        }
        std::smatch held, nav;
        ASSERT_TRUE(std::regex_search(seen[2], held, std::regex(R"(161102\|(-?\d+\.\d{2})\|(-?\d+\.\d{2}))")))
            << seen[2];
        ASSERT_TRUE(std::regex_search(seen[5], nav, std::regex(R"(161101\|\d+\.\d{4}\|(\d+\.\d{4}))"))) << seen[5];
        double cost = std::stod(held[1]) - std::stod(held[2]);
        EXPECT_NEAR(cost, std::round(2000 * std::stod(nav[1]) * 100) / 100, 0.011) << seen[2] << " " << seen[5];
        u.Back(5);
        ASSERT_TRUE(u.Sees("CQXTradeMenuWnd"));
        u.TapBar(0);
        ASSERT_TRUE(u.Sees("CQXAppFrame")) << u.dump;
    }
    // 理财: a product bought from the list, then terminated early.
    void BuyAndTerminateACashProduct(FundUser& u)
    {
        ASSERT_TRUE(u.TapId(109));
        ASSERT_TRUE(u.TapMenuRow(0, "CQuillonProductWnd")) << u.dump;
        u.TapGridRow(0, 2);
        ASSERT_TRUE(u.Sees("CQlnBuyWnd")) << u.dump;
        u.Type(0, "50000."); // goes out as 50000.00
        u.TapBar(1);
        std::string bought = u.Confirm("购买成功，委托编号：");
        ASSERT_NE(bought, "");
        ASSERT_TRUE(u.Sees("CQlnBuyWnd"));
        u.Back();
        u.Back(5);
        ASSERT_TRUE(u.TapMenuRow(2, "CQuillonTerminateWnd")) << u.dump;
        ASSERT_NE(u.GridItems().find(bought + "|稳利1号|50000.00|持有中"), std::string::npos) << u.GridItems();
        u.TapGridRow(0, 2);
        EXPECT_EQ(u.Confirm("提前终止成功，委托编号："), bought);
        ASSERT_TRUE(u.Sees("CQuillonTerminateWnd"));
        EXPECT_NE(u.GridItems().find(bought + "|稳利1号|50000.00|已终止"), std::string::npos) << u.GridItems();
        u.Tips();
        u.TapGridRow(0, 2); // once ended, it is not offered for termination again
        EXPECT_NE(u.Tips().find("该产品已终止，不能提前终止！"), std::string::npos);
        EXPECT_EQ(u.Top(), "CQuillonTerminateWnd");
    }

    std::vector<std::unique_ptr<FundUser>> users;
};

} // namespace

TEST_F(FundEndToEndTest, UserFindsAFundOpensAnAccountTradesItAndACashProduct)
{
    ASSERT_TRUE(server != nullptr);
    FundUser* user = nullptr;
    auto client = StartSignedUp(&user);
    ASSERT_NE(user, nullptr);
    FundUser& u = *user;
    ASSERT_EQ(u.Top(), "CQXAppFrame") << u.dump;

    ASSERT_NO_FATAL_FAILURE(SearchFundsByName(u));
    ASSERT_NO_FATAL_FAILURE(AddTheFirstFundToMyFundsTwice(u));
    ASSERT_NO_FATAL_FAILURE(OpenAFundAccount(u));
    ASSERT_NO_FATAL_FAILURE(PurchaseAndCancelTheOrder(u));
    ASSERT_NO_FATAL_FAILURE(PurchaseAgainAndSeeTheSharesAtTheClose(u));
    ASSERT_NO_FATAL_FAILURE(SetTheDividendMethodOfTheHolding(u));
    ASSERT_NO_FATAL_FAILURE(RedeemPartOfTheHolding(u));
    ASSERT_NO_FATAL_FAILURE(ConvertPartOfTheHoldingAndGoHome(u));
    ASSERT_NO_FATAL_FAILURE(SeeTheConvertedHoldingCostWhatItWasWorth(u));
    ASSERT_NO_FATAL_FAILURE(BuyAndTerminateACashProduct(u));
}

TEST_F(FundEndToEndTest, PurchaseOfTheMorningIsSeenConfirmedWithItsNetValueAndSharesOnceTheDayHasClosed)
{
    ASSERT_TRUE(server != nullptr);
    FundUser* user = nullptr;
    auto client = StartSignedUp(&user);
    ASSERT_NE(user, nullptr);
    FundUser& u = *user;
    ASSERT_TRUE(u.TapId(108));
    ASSERT_TRUE(u.Sees("CQXTradeMenuWnd")) << u.dump;

    // 10:30 of 2025-12-08: 5000 yuan of 长风成长股票, where the demo account has its fund account.
    ASSERT_TRUE(u.TapMenuRow(6, "CQXTradeLoginWnd")) << u.dump; // the form asks for the trade log-in first
    LogInToTrading(u);
    ASSERT_TRUE(u.Sees("CFundRgSgWnd")) << u.dump;
    u.Type(0, "161101");
    for (int i = 0; i < 50 && !u.Shows("长风成长股票"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(u.Shows("长风成长股票")) << "looked up once typed in full: " << u.dump;
    u.Type(1, "5000");
    u.TapBar(1);
    std::string number = u.Confirm();
    ASSERT_NE(number, "") << u.Tips();
    u.Back();
    ASSERT_TRUE(u.TapMenuRow(10, "CFundTradeQueryWnd")) << u.dump;
    EXPECT_NE(u.GridItems().find("长风成长股票|申购|已报"), std::string::npos) << u.GridItems();
    u.Back(5);

    // The market runs past 15:00 into the next morning: the order was confirmed at the close.
    ASSERT_EQ(server->http.Control("advance?minutes=200"), "ok\n");
    ASSERT_TRUE(u.TapMenuRow(10, "CFundTradeQueryWnd")) << u.dump;
    EXPECT_EQ(u.GridItems().find("长风成长股票"), std::string::npos) << "today's orders: " << u.GridItems();
    u.TapBar(0, 5);
    ASSERT_TRUE(u.Sees("CPopMenuWnd")) << u.dump;
    ASSERT_TRUE(u.TapText("查询日期"));
    ASSERT_TRUE(u.Sees("CDateRangeWnd")) << u.dump;
    EXPECT_FALSE(u.Shows("查询类别")) << "fund orders are of one kind";
    u.Retype(0, "20251208");
    u.Retype(1, "20251209");
    u.TapBar(1);
    ASSERT_TRUE(u.Sees("CFundTradeQueryWnd")) << u.dump;
    EXPECT_NE(u.GridItems().find("长风成长股票|申购|已确认"), std::string::npos) << u.GridItems();

    // Swiped along: the amount, the shares asked for, then the confirmed net value, shares and amount.
    std::vector<std::string> seen;
    for (int i = 0; i < 5; ++i) {
        u.SwipeGridLeft();
        seen.push_back(u.GridItems());
    }
    std::smatch m;
    ASSERT_TRUE(std::regex_search(seen[3], m, std::regex(R"(长风成长股票\|(\d+\.\d{4})\|(\d+\.\d{2}))"))) << seen[3];
    double nav = std::stod(m[1]), shares = std::stod(m[2]);
    EXPECT_GT(nav, 0.5);
    EXPECT_NEAR(shares, 5000 * (1 - 0.015) / nav, 5000 / nav * 0.02) << "the amount less the fee, at that net value";
    EXPECT_NE(seen[4].find("|5000.00"), std::string::npos) << seen[4];
}
