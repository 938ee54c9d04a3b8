// The real client, headless, against the stand-in server: the stock a user chose in the ranked table or the own
// list stays chosen while the market moves and the tables refresh themselves, and the menu's 详细报价 then opens
// that stock; a value the server has none of never shows as a number; a reply with an empty body ends the wait
// with a message rather than a spinner that never stops.
#include "tests/support/ClientDriver.h"

#include <regex>
#include <string>
#include <vector>

using namespace e2e;

namespace {

class QuotesEndToEndTest : public ClientTest {
protected:
    CServerOptions ServerOptions() override { return TradingMorning(); }

    // The stock (its code, the row's second word) of a stock table's row.
    static std::string CodeOf(const std::string& row)
    {
        std::smatch m;
        return std::regex_search(row, m, std::regex(R"re(^\S+ (\S+))re")) ? std::string(m[1]) : std::string();
    }

    // On a stock table (ranked or own, six tool buttons): chooses row k, then lets the market move on and the
    // table refresh itself on its tick until that stock's row has moved (or a few rounds have passed). The
    // chosen stock must be chosen still; 详细报价 from the menu then names it. Returns the code.
    std::string ChooseRefreshAndOpenTheQuote(ClientProcess& client, int k)
    {
        std::string dump = client.Dump();
        EXPECT_TRUE(client.Tap(ListRow(dump, 171, k)));
        int selected = -1;
        std::vector<std::string> rows = ListItems(client.Dump(), 171, &selected);
        EXPECT_EQ(selected, k);
        std::string chosen = k < (int)rows.size() ? CodeOf(rows[(size_t)k]) : "";
        EXPECT_FALSE(chosen.empty());
        for (int round = 0; round < 12 && selected == k; ++round) {
            server->http.Control("advance?minutes=20");
            client.Command("clock advance 10000"); // the refresh tick
            client.Command("idle 5000");
            rows = ListItems(client.Dump(), 171, &selected);
            EXPECT_GE(selected, 0) << round;
            if (selected < 0)
                break;
            EXPECT_EQ(CodeOf(rows[(size_t)selected]), chosen) << round;
        }
        EXPECT_NE(selected, k) << "the market never moved the chosen row";
        dump = client.Dump();
        EXPECT_TRUE(client.Tap(ToolButton(dump, 0, 6))); // the menu
        EXPECT_TRUE(client.Tap(CentreOf(client.Dump(), RectOfText("详细报价"))));
        dump = client.WaitForTop("CStockDetaiPriceWnd");
        client.Command("idle 5000");
        dump = client.Dump();
        EXPECT_TRUE(std::regex_search(TopWindow(dump), std::regex("\"text\":\"详细报价:[^\"]* " + chosen + "\"")))
            << chosen << ": " << TopWindow(dump);
        return chosen;
    }

    // From the home grid, 行情's entry k.
    static std::string OpenQuoteEntry(ClientProcess& client, int k, const std::string& window)
    {
        std::string home = client.WaitForTop("CQXAppFrame");
        client.Tap(CentreOf(home, RectOfId(103)));
        std::string menu = client.WaitForTop("CQXMenuWnd");
        client.Tap(ListRow(menu, 170, k));
        std::string dump = client.WaitForTop(window);
        client.Command("idle 5000");
        return dump;
    }
};

} // namespace

TEST_F(QuotesEndToEndTest, TheChosenStockStaysChosenWhileTheTablesRefreshAndItsQuoteOpens)
{
    auto started = Start("q");
    ClientProcess& client = *started;
    client.Command("clock set 2025-12-08 10:30:00");
    client.SignUp();
    std::string dump = OpenQuoteEntry(client, 0, "CQXStockTableWnd");
    ASSERT_EQ(TopWindowClass(dump), "CQXStockTableWnd") << dump;
    ChooseRefreshAndOpenTheQuote(client, 4);

    // Back to the menu, then the own list (a new user's four indices), sorted by 涨幅 as the market moves them.
    client.Tap(ToolButton(client.Dump(), 5, 6));
    client.Tap(ToolButton(client.WaitForTop("CQXStockTableWnd"), 5, 6));
    std::string menu = client.WaitForTop("CQXMenuWnd");
    client.Tap(ListRow(menu, 170, 1));
    dump = client.WaitForTop("CMyStockWnd");
    client.Command("idle 5000");
    ASSERT_EQ(ListItems(dump, 171).size(), 4u) << dump;
    Point header = CentreOf(dump, RectOfId(172));
    std::smatch m;
    std::string list = TopWindow(dump);
    ASSERT_TRUE(std::regex_search(list, m, std::regex(RectOfId(172))));
    header.x += (std::stoi(m[3]) - std::stoi(m[1])) * 2 / 5; // the right fifth: 涨幅
    ASSERT_TRUE(client.Tap(header));
    ChooseRefreshAndOpenTheQuote(client, 1);
}

TEST_F(QuotesEndToEndTest, AValueTheServerHasNoneOfShowsAsDashesNeverAsANumber)
{
    auto started = Start("n");
    ClientProcess& client = *started;
    client.Command("clock set 2025-12-08 10:30:00");
    client.SignUp();
    // 600027 is new and has no ratios: found by the stock search, its time-share chart, K-line, detailed quote.
    OpenQuoteEntry(client, 0, "CQXStockTableWnd");
    client.Tap(ToolButton(client.Dump(), 1, 6));
    std::string dump = client.WaitForTop("CEditMyStockWnd");
    Point edit = CentreOf(dump, RectOfId(176));
    client.Command("tap " + std::to_string(edit.x) + " " + std::to_string(edit.y));
    client.Command("text 600027");
    client.Tap(CentreOf(client.Dump(), RectOfId(177)));
    dump = client.WaitForTop("CFSFrame");
    ASSERT_EQ(TopWindowClass(dump), "CFSFrame") << dump;
    client.Tap(ToolButton(dump, 2, 5));
    dump = client.WaitForTop("CKXFrame");
    client.Tap(ToolButton(dump, 0, 5));
    client.Tap(CentreOf(client.Dump(), RectOfText("详细报价")));
    dump = client.WaitForTop("CStockDetaiPriceWnd");
    client.Command("idle 5000");
    std::string quote = TopWindow(client.Dump());
    EXPECT_NE(quote.find("600027"), std::string::npos) << quote;
    EXPECT_EQ(quote.find("999999999"), std::string::npos) << quote;
    EXPECT_NE(quote.find("\"委比|--|量比|--\""), std::string::npos) << quote;
    client.Command("shot " + root.Path() + "/quote-600027.png");
}

TEST_F(QuotesEndToEndTest, AnEmptyReplyEndsTheWaitWithAMessageAndTheNextAskIsAnswered)
{
    auto started = Start("e");
    ClientProcess& client = *started;
    client.Command("clock set 2025-12-08 10:30:00");
    client.SignUp();
    server->http.Control("fault?kind=empty&count=-1");
    std::string home = client.WaitForTop("CQXAppFrame");
    client.Tap(CentreOf(home, RectOfId(103)));
    std::string menu = client.WaitForTop("CQXMenuWnd");
    client.Tap(ListRow(menu, 170, 1));
    // The own list asked, the worker tried twice, the window once more: then the message, well within the time
    // the connection rules allow (the silence budget alone is 80 s).
    std::string dump = client.Dump();
    for (int i = 0; i < 100 && dump.find("接收数据失败") == std::string::npos; ++i) {
        client.Command("idle 200");
        dump = client.Dump();
    }
    ASSERT_NE(dump.find("错误(3)：接收数据失败，请重试"), std::string::npos) << dump;
    EXPECT_TRUE(client.Tap(CentreOf(dump, RectOfText("确定"))));
    server->http.Control("fault?kind=none");
    dump = client.WaitForTop("CMyStockWnd");
    client.Tap(ToolButton(dump, 4, 6)); // 刷新
    client.Command("idle 5000");
    EXPECT_EQ(ListItems(client.Dump(), 171).size(), 4u) << client.Dump();
}
