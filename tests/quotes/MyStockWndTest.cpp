// The own stock list window against the stand-in server: it asks for the stored stocks, shows them in stored
// order, rewrites the list only from a real answer, and sorts by a header tap.
#include "quotes/MyQuotes.h"
#include "quotes/MineWindowMakers.h"
#include "quotes/MyStockWnd.h"
#include "shell/WindowFactory.h"

#include "core/NetThread.h"
#include "platform/device/RsaKeyPair.h"
#include "server/DataSetWriter.h"
#include "server/HttpServer.h"
#include "server/ServerFunctions.h"
#include "tests/support/OpenedWindows.h"
#include "tests/support/WindowFixture.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

class ListWnd : public CMyStockWnd {
public:
    ListWnd() : CMyStockWnd(u"自选", nullptr) {}
    void OnReply(const BYTE* data, int length, int failed) override
    {
        CMyStockWnd::OnReply(data, length, failed);
        ++replies;
    }
    int replies = 0;
};

class MyStockWndTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        StartServer(StandInServer::Frozen(9));
    }
    void TearDown() override
    {
        wnd.reset();
        WindowTest::TearDown();
    }
    ListWnd* Make()
    {
        wnd = std::make_unique<ListWnd>();
        wnd->OnInitParam(-1, nullptr, "tc_mfuncno=31000&tc_sfuncno=4");
        RECT work = WorkRect();
        wnd->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
        return wnd.get();
    }
    bool FirstReply()
    {
        wnd->Relogin();
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < until) {
            PumpMessages();
            if (wnd->replies > 0 && CAppData::Instance()->GetConnection()->WaitIdle(0) == WAIT_OBJECT_0) {
                PumpMessages();
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
    std::string Request()
    {
        char text[CNetWnd::REQUEST_CAPACITY];
        int n = wnd->ComposeRequest(-1, 0, text, sizeof text);
        return n > 0 ? std::string(text, (size_t)n) : std::string();
    }
    std::string Stored()
    {
        CAString list;
        ReadMyQuotes(&list);
        return list.GetText() != nullptr ? list.GetText() : "";
    }
    std::vector<std::string> Rows()
    {
        std::vector<std::string> rows;
        for (int r = 0; r < wnd->GetRowCount(); ++r)
            rows.push_back(wnd->RowCodeMarket(r));
        return rows;
    }

    OpenedWindows opened;
    std::unique_ptr<ListWnd> wnd;
};

TEST_F(MyStockWndTest, AsksForTheStoredStocksAndShowsThemInStoredOrder)
{
    ASSERT_TRUE(WriteMyQuotes("000001.02,399001.01,600010.02"));
    ListWnd* w = Make();
    EXPECT_EQ(std::u16string(w->GetMzClassName()), u"CMyStockWnd");
    EXPECT_EQ(w->requestOnActive, 1);
    EXPECT_EQ(Request().rfind("tc_mfuncno=31000&tc_sfuncno=4&count=3&code=000001.02|399001.01|600010.02"
                              "&field=4|3|16|20|21|13|11|1&",
                              0),
              0u);
    ASSERT_TRUE(FirstReply());
    EXPECT_EQ(Rows(), (std::vector<std::string>{"000001.2", "399001.1", "600010.2"}));
    EXPECT_EQ(Stored(), "000001.02,399001.01,600010.02"); // every item answered: nothing rewritten

    // A tapped row opens its time-share chart; K-line without a selection takes the first row.
    w->OnMzCommand(MAKELONG(CQXTableWnd::ID_GRID, 0), 1);
    w->GetGrid().SetSelectedIndex(-1);
    w->OnMenuCommand(CMyStockWnd::CMD_KLINE);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].key, "fschart");
    EXPECT_EQ(opened[0].params, "date=&code=399001.1");
    EXPECT_EQ(opened[1].key, "kxchart");
    EXPECT_EQ(opened[1].params, "code=000001.2");
}

TEST_F(MyStockWndTest, TheStoredListSurvivesEveryReplyShape)
{
    struct Case {
        const char* stored;
        std::vector<std::string> rows;
        const char* after;
    } cases[] = {
        // A new user's default list: the two domestic and the two Hong Kong indices all have quotes.
        {"000001.02,399001.01,100100.03,101400.03",
         {"000001.2", "399001.1", "100100.3", "101400.3"},
         "000001.02,399001.01,100100.03,101400.03"},
        // An item the server does not know leaves only when others were answered.
        // What is written back carries the markets in two digits, as stored.
        {"999999.01,600010.2", {"600010.2"}, "600010.02"},
        {"000001.02,399001.01,000001.00", {"000001.2", "399001.1"}, "000001.02,399001.01"},
        // Nothing answered: the file stays as it is.
        {"999999.01,888888.02", {}, "999999.01,888888.02"},
        {"000001.", {}, "000001."}, // a file cut after the dot
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        ASSERT_TRUE(WriteMyQuotes(c.stored));
        Make();
        ASSERT_TRUE(FirstReply());
        EXPECT_EQ(Rows(), c.rows);
        EXPECT_EQ(Stored(), c.after);
        wnd.reset();
    }
}

// A refresh keeps the chosen stock chosen wherever the sort puts it, and none once it has left the list; the rows
// follow the list the request asked for, and a stock added to the file meanwhile is never written out of it.
TEST_F(MyStockWndTest, ARefreshKeepsTheChosenStockAndAStockAddedMeanwhile)
{
    ASSERT_TRUE(WriteMyQuotes("600010.02,399001.01,000001.02"));
    ListWnd* w = Make();
    ASSERT_TRUE(FirstReply());
    w->OnMzCommand(MAKELONG(CQXTableWnd::ID_HEADER, CStockHeader::NOTIFY_NAME), 0);
    std::vector<std::string> rows = Rows();
    w->GetGrid().SetSelectedIndex((int)(std::find(rows.begin(), rows.end(), "399001.1") - rows.begin()));
    ASSERT_EQ(w->SelectedStock(), "399001.1");
    w->OnMzCommand(MAKELONG(CQXTableWnd::ID_HEADER, CStockHeader::NOTIFY_NAME), 0);
    EXPECT_EQ(w->SelectedStock(), "399001.1");

    // The refresh asks for an item the server does not know; the search adds a stock while it is under way.
    ASSERT_TRUE(WriteMyQuotes("600010.02,399001.01,000001.02,999999.01"));
    server->http.Faults().Arm(FAULT_DELAY, 1, 300);
    int before = w->replies;
    w->Request();
    PumpMessages();
    ASSERT_EQ(AddToMyQuotes("600027.02", nullptr), 1);
    ASSERT_TRUE(PumpUntil([&] { return w->replies > before; }));
    EXPECT_EQ(Rows().size(), 3u);
    EXPECT_EQ(w->SelectedStock(), "399001.1");
    EXPECT_EQ(Stored(), "600010.02,399001.01,000001.02,999999.01,600027.02");

    ASSERT_TRUE(WriteMyQuotes("600010.02,000001.02"));
    before = w->replies;
    w->Request();
    ASSERT_TRUE(PumpUntil([&] { return w->replies > before; }));
    EXPECT_EQ(w->SelectedStock(), "");
}

TEST_F(MyStockWndTest, ARowSetWithoutTheKeyColumnsKeepsTheFile)
{
    ASSERT_TRUE(WriteMyQuotes("000001.02,399001.01"));
    ListWnd* w = Make();
    // Eight columns as the request names them, but "code" and "exchid" are called something else.
    CDataSetWriter set("hq.codes");
    for (const char* name : {"name", "stkcode", "zjcj", "zd", "zdf", "jrkp", "zrsp", "market"})
        set.AddField(name, FIELD_INT);
    set.AddRow();
    std::string bytes = set.ToBytes();
    w->OnReply(reinterpret_cast<const BYTE*>(bytes.data()), (int)bytes.size(), 0);
    EXPECT_EQ(w->GetRowCount(), 0);
    EXPECT_EQ(Stored(), "000001.02,399001.01");
}

TEST_F(MyStockWndTest, AListAtTheLimitIsAnsweredAndALongerOneTellsTheUser)
{
    std::string list;
    while (list.size() + 10 <= (size_t)MYQUOTES_MAX_TEXT)
        list += list.empty() ? "600010.02" : ",600010.02";
    ASSERT_TRUE(WriteMyQuotes(list.c_str()));
    ListWnd* w = Make();
    ASSERT_TRUE(FirstReply());
    EXPECT_EQ(w->GetRowCount(), (int)(list.size() + 1) / 10);
    EXPECT_EQ(Stored(), list);

    list += ",600010.02";
    ASSERT_TRUE(WriteMyQuotes(list.c_str()));
    wnd.reset();
    Make();
    messages.shown.clear();
    EXPECT_EQ(Request(), "");
    EXPECT_EQ(messages.Texts(), std::vector<std::u16string>{u"自选股已满，请先删除部分股票!"});
    EXPECT_EQ(Stored(), list);
}

TEST_F(MyStockWndTest, TheOwnStockKeyMakesThisWindow)
{
    InstallMineWindowMakers();
    ASSERT_NE(CWindowFactory::FindKey("zxhq"), nullptr);
    WindowMaker make = CWindowFactory::GetMaker(CWindowFactory::FindKey("zxhq")->className);
    ASSERT_NE(make, nullptr);
    std::unique_ptr<CBaseWnd> w(make(u"我的股票", nullptr, 0));
    EXPECT_EQ(std::u16string(w->GetMzClassName()), u"CMyStockWnd");
    CNetWnd::SetStockSearchMaker(nullptr);
}

TEST_F(MyStockWndTest, AnEmptyListSendsNothingAndTellsTheUser)
{
    ASSERT_TRUE(WriteMyQuotes(""));
    Make();
    EXPECT_EQ(Request(), "");
    ASSERT_FALSE(messages.Texts().empty());
    EXPECT_EQ(messages.Texts().back(), u"股票列表为空!");
}

TEST_F(MyStockWndTest, HeaderTapsSortByNameThenFlipTheSharedDirection)
{
    ASSERT_TRUE(WriteMyQuotes("600010.02,399001.01,000001.02"));
    ListWnd* w = Make();
    ASSERT_TRUE(FirstReply());
    ASSERT_EQ(w->GetRowCount(), 3);
    auto names = [&] {
        std::vector<std::u16string> n;
        for (int r = 0; r < w->GetRowCount(); ++r)
            n.push_back(w->GetRow(r)->name.text.GetText());
        return n;
    };
    w->OnMzCommand(MAKELONG(CQXTableWnd::ID_HEADER, CStockHeader::NOTIFY_NAME), 0);
    EXPECT_EQ(w->GetSortDirection(), 1);
    std::vector<std::u16string> up = names();
    EXPECT_TRUE(std::is_sorted(up.begin(), up.end()));
    w->OnMzCommand(MAKELONG(CQXTableWnd::ID_HEADER, CStockHeader::NOTIFY_NAME), 0);
    EXPECT_EQ(w->GetSortDirection(), 0);
    std::vector<std::u16string> down = names();
    EXPECT_TRUE(std::is_sorted(down.rbegin(), down.rend()));
    w->OnMzCommand(MAKELONG(CQXTableWnd::ID_HEADER, CStockHeader::NOTIFY_PRICE), 0);
    EXPECT_EQ(w->GetSortDirection(), 1);
    EXPECT_EQ(w->GetSortColumn(), 2);
    EXPECT_EQ(w->GetHeader().IsArrowShown(), 0);
    w->OnMzCommand(MAKELONG(CQXTableWnd::ID_HEADER, CStockHeader::NOTIFY_PERCENT), 1);
    EXPECT_EQ(w->GetHeader().IsArrowShown(), 1);
    EXPECT_EQ(w->GetSortDirection(), 1);
}

} // namespace
