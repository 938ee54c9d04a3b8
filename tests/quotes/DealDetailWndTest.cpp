// The tick-by-tick deals against the stand-in server and against prepared replies: the first page asks for the
// latest deals, later pages continue from the bottom row's minute and slide the table, earlier pages replace
// it, and each deal shows its time, price, volume and side.
#include "quotes/StockDealDetailWnd.h"

#include "tests/support/WindowFixture.h"
#include "core/ColorScheme.h"
#include "core/DataSet.h"
#include "core/NetThread.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "server/DataSetWriter.h"
#include "server/HttpServer.h"
#include "server/ServerFunctions.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

class CountingDealWnd : public CStockDealDetailWnd {
public:
    CountingDealWnd() : CStockDealDetailWnd(u"成交明细", nullptr) {}
    void OnReply(const BYTE* data, int length, int failed) override
    {
        CStockDealDetailWnd::OnReply(data, length, failed);
        ++replies;
    }
    int replies = 0;
};

struct Deal {
    int tm;
    double price;
    int volume;
    int direct;
};

// A reply shaped like the server's: the security's record, then the deals.
std::string DealReply(const std::vector<Deal>& deals)
{
    CDataSetWriter info("stkinfo");
    info.AddField("code", FIELD_TEXT);
    info.AddField("name", FIELD_TEXT);
    info.AddField("zrsp", FIELD_QUOTE);
    info.AddField("classid", FIELD_SHORT);
    info.AddRow();
    info.SetText(0, "600027");
    info.SetText(1, "HDGJ");
    info.SetInt(2, PackQuote(5.00, 2));
    info.SetInt(3, 1);
    CDataSetWriter set("deals");
    set.AddField("tm", FIELD_SHORT);
    set.AddField("zjcj", FIELD_QUOTE);
    set.AddField("cjsl", FIELD_INT);
    set.AddField("direct", FIELD_CHAR);
    for (const Deal& d : deals) {
        set.AddRow();
        set.SetInt(0, d.tm);
        set.SetInt(1, PackQuote(d.price, 2));
        set.SetInt(2, d.volume);
        set.SetInt(3, d.direct);
    }
    std::string bytes = info.ToBytes();
    set.AppendTo(bytes);
    return bytes;
}

std::u16string Text(CTableWnd* t, int row, int column)
{
    LPCWSTR text = t->GetCellText(row, column);
    return text != nullptr ? text : u"<null>";
}

std::string Param(const char* text, const char* key)
{
    char* v = GetParamValue(text, key);
    std::string s = v != nullptr ? v : "<none>";
    free(v);
    return s;
}

class DealDetailWndTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        StartServer(StandInServer::Frozen(7));
    }
    void TearDown() override
    {
        wnd.reset();
        WindowTest::TearDown();
    }
    CountingDealWnd* Make(const char* params)
    {
        wnd = std::make_unique<CountingDealWnd>();
        wnd->OnInitParam(-1, "", params);
        RECT work = WorkRect();
        wnd->Create(work.left, work.top, work.right - work.left, work.bottom - work.top, nullptr);
        return wnd.get();
    }
    bool Tap(CountingDealWnd* w, int button)
    {
        int before = w->replies;
        w->OnMzCommand(ID_TOOL_BAR, button);
        return PumpUntil([&] { return w->replies > before; });
    }
    std::string Built(CountingDealWnd* w)
    {
        char part[CNetWnd::REQUEST_CAPACITY];
        return w->BuildRequest(part, sizeof part, "") ? part : "<refused>";
    }
    void Feed(const std::string& bytes) { wnd->OnReply((const BYTE*)bytes.data(), (int)bytes.size(), 0); }

    std::unique_ptr<CountingDealWnd> wnd;
};

} // namespace

TEST_F(DealDetailWndTest, EmptyTableAsksForTheLatestDealsWhateverTheButton)
{
    CountingDealWnd* w = Make("code=600027.2&date=");
    EXPECT_STREQ(w->GetCode(), "600027.2");
    EXPECT_STREQ(w->GetDate(), "0");
    for (int direction : {-1, 0, 1}) {
        w->SetDirection(direction);
        EXPECT_EQ(Built(w), "tc_mfuncno=31000&tc_sfuncno=9&code=600027.2&date=0&time=0&offset=0&direct=1&count=11");
        EXPECT_EQ(w->GetDirection(), 1);
    }
}

TEST_F(DealDetailWndTest, ShowsTheServersDealsAndPagesBothWays)
{
    CountingDealWnd* w = Make("code=600027.2&date=20251208");
    int before = w->replies;
    w->Request();
    ASSERT_TRUE(PumpUntil([&] { return w->replies > before; }));
    ASSERT_TRUE(messages.Texts().empty()) << std::string(messages.Texts()[0].begin(), messages.Texts()[0].end());
    CGridList& g = w->GetGrid();
    ASSERT_EQ(g.GetRowCount(), 11);
    EXPECT_EQ(g.GetCurSel(), 10);
    // Oldest at the top: times never go down.
    for (int i = 1; i < 11; ++i)
        EXPECT_LE(w->GetRowTime(i - 1), w->GetRowTime(i));
    std::u16string side = Text(w, 0, 3);
    EXPECT_TRUE(side == u"B" || side == u"S" || side == u"-");
    std::u16string caption = w->GetCaptionBar().GetText() != nullptr ? w->GetCaptionBar().GetText() : u"";
    EXPECT_NE(caption.find(u"600027"), std::u16string::npos);
    EXPECT_NE(caption.find(u"成交明细"), std::u16string::npos);

    // Earlier deals replace the table with the page before the top row.
    int topTime = w->GetFirstRowTime();
    w->SetDirection(1);
    std::string earlier = Built(w);
    EXPECT_EQ(Param(earlier.c_str(), "time"), std::to_string(topTime));
    EXPECT_EQ(Param(earlier.c_str(), "offset"), std::to_string(w->GetFirstRowCount()));
    EXPECT_EQ(Param(earlier.c_str(), "direct"), "1");
    ASSERT_TRUE(Tap(w, 1));
    ASSERT_EQ(g.GetRowCount(), 11);
    EXPECT_LE(w->GetLastRowTime(), topTime);

    // Later deals continue from the bottom row's minute.
    int bottomTime = w->GetLastRowTime();
    w->SetDirection(0);
    std::string later = Built(w);
    EXPECT_EQ(Param(later.c_str(), "time"), std::to_string(bottomTime));
    EXPECT_EQ(Param(later.c_str(), "offset"), std::to_string(w->GetLastRowCount()));
    EXPECT_EQ(Param(later.c_str(), "direct"), "0");
    ASSERT_TRUE(Tap(w, 3));
    EXPECT_EQ(g.GetRowCount(), 11);
    EXPECT_GE(w->GetFirstRowTime(), bottomTime);
}

TEST_F(DealDetailWndTest, LaterDealsSlideTheTableAndTheBottomMinuteGivesTheOffset)
{
    CountingDealWnd* w = Make("code=600027.2&date=20251208");
    std::vector<Deal> ten;
    for (int i = 0; i < 7; ++i)
        ten.push_back({1450 + i, 5.00, 100 + i, 1});
    for (int i = 0; i < 3; ++i)
        ten.push_back({1459, 4.90, 200 + i, 2});
    w->SetDirection(-1);
    Feed(DealReply(ten));
    CGridList& g = w->GetGrid();
    ASSERT_EQ(g.GetRowCount(), 10);
    EXPECT_EQ(w->GetLastRowTime(), 1459);
    EXPECT_EQ(w->GetLastRowCount(), 3);
    EXPECT_EQ(w->GetFirstRowTime(), 1450);
    EXPECT_EQ(w->GetFirstRowCount(), 1);
    std::string later = Built(w);
    EXPECT_NE(later.find("&time=1459&offset=3&direct=0&count=11"), std::string::npos) << later;

    // Five new deals with a limit of eleven: the four oldest rows leave.
    Feed(DealReply(
        {{1500, 5.10, 1, 0}, {1500, 5.10, 2, 0}, {1501, 5.10, 3, 0}, {1502, 5.10, 4, 0}, {1503, 5.10, 5, 7}}));
    ASSERT_EQ(g.GetRowCount(), 11);
    EXPECT_EQ(Text(w, 0, 0), u"14:54");
    EXPECT_EQ(Text(w, 10, 0), u"15:03");
    EXPECT_EQ(g.GetCurSel(), 10);
}

TEST_F(DealDetailWndTest, EachDealShowsItsTimePriceVolumeAndSide)
{
    CountingDealWnd* w = Make("code=600027.2&date=20251208");
    w->SetDirection(1);
    // Earlier deals arrive newest first and are shown oldest first.
    Feed(DealReply({{932, 4.90, 30, 2}, {931, 5.10, 1234, 1}, {931, 5.00, 5, 0}}));
    CAppData* app = CAppData::Instance();
    CGridList& g = w->GetGrid();
    ASSERT_EQ(g.GetRowCount(), 3);
    EXPECT_EQ(Text(w, 0, 0), u"09:31");
    EXPECT_EQ(w->GetCell(0, 0)->textColor, 0xFFFFFFu);
    EXPECT_EQ(Text(w, 0, 1), u"5.00");
    EXPECT_EQ(w->GetCell(0, 1)->textColor, app->GetColor(COLOR_UNCHANGED));
    EXPECT_EQ(Text(w, 0, 3), u"-");
    EXPECT_EQ(w->GetCell(0, 3)->textColor, 0xFFFFFFu);
    EXPECT_EQ(Text(w, 1, 1), u"5.10");
    EXPECT_EQ(w->GetCell(1, 1)->textColor, app->GetColor(COLOR_RISE));
    EXPECT_EQ(Text(w, 1, 2), u"1234");
    EXPECT_EQ(w->GetCell(1, 2)->textColor, app->GetColor(COLOR_VOLUME));
    EXPECT_EQ(Text(w, 1, 3), u"B");
    EXPECT_EQ(w->GetCell(1, 3)->textColor, app->GetColor(COLOR_RISE));
    EXPECT_EQ(Text(w, 2, 3), u"S");
    EXPECT_EQ(w->GetCell(2, 3)->textColor, app->GetColor(COLOR_FALL));
    EXPECT_EQ(w->GetFirstRowTime(), 931);
    EXPECT_EQ(w->GetFirstRowCount(), 2);
    // On the yellow highlight a volume is drawn dark, whichever row is selected.
    ShowWindow(w->m_hWnd, SW_SHOW);
    for (int selected : {2, 0}) {
        g.SetCurSel(selected);
        w->Invalidate();
        UpdateWindow(w->m_hWnd);
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(w->GetCell(row, 2)->textColor == app->GetColor(COLOR_VOLUME), row != selected) << selected << row;
    }

    // A server error keeps the rows; reopening for another stock clears them.
    std::string error = ErrorSet("no such code");
    Feed(error);
    EXPECT_EQ(g.GetRowCount(), 3);
    ASSERT_EQ(messages.Texts().size(), 1u);
    w->OnInitParam(-1, "", "code=000071.2");
    EXPECT_STREQ(w->GetCode(), "000071.2");
    EXPECT_STREQ(w->GetDate(), "0");
    EXPECT_EQ(g.GetRowCount(), 0);
    EXPECT_EQ(w->GetLastRowTime(), 0);
    EXPECT_EQ(w->GetFirstRowCount(), 0);
}
