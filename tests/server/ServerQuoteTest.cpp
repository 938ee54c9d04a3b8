// Quote, news and account replies of the stand-in server: layouts, types, orders and the market's arithmetic.
#include "ServerTestClient.h"
#include "server/ChartSeries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace {

struct QuoteFixture : ::testing::Test {
    CServerUnderTest server;
    CTestClient client{server};
    void SetUp() override { client.LogIn(); }
    TestSets Get(const std::string& text)
    {
        return TestSets(client.Exchange(text + "&" + client.CommonFields()).plain);
    }
};

double Value(CDataSet& s, int i)
{
    return s.GetQuoteNumber(i).GetValue();
}

} // namespace

TEST_F(QuoteFixture, RankedTableAnswersTheListedColumnsInOrderAndRanksByTheKey)
{
    TestSets sets = Get("tc_mfuncno=31000&tc_sfuncno=3&market=0&class=1&type=21&direct=1&offset=0&count=20"
                        "&field=4|3|16|20|21|13|11|1");
    ASSERT_EQ(sets.size(), 1u);
    CDataSet& t = sets[0];
    ASSERT_EQ(t.GetFieldCount(), 8);
    const int types[] = {FIELD_TEXT,  FIELD_TEXT,  FIELD_QUOTE, FIELD_QUOTE,
                         FIELD_QUOTE, FIELD_QUOTE, FIELD_QUOTE, FIELD_SHORT};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(t.GetFieldInfo(i)->type, types[i]) << i;
    EXPECT_EQ(t.GetRowCount(), 20);
    double previous = 1e9;
    while (t.MoveNext()) {
        double latest = Value(t, 2), change = Value(t, 3), percent = Value(t, 4), close = Value(t, 6);
        int market = t.GetShort(7);
        EXPECT_TRUE(market == 1 || market == 2);
        EXPECT_EQ(std::string(t.GetString(1)).size(), 6u);
        EXPECT_NEAR(change, latest - close, 0.0051);
        EXPECT_NEAR(percent, change / close * 100, 0.0051);
        EXPECT_LE(percent, previous);
        previous = percent;
    }
}

TEST_F(QuoteFixture, RankedTablePagesAndAnswersAnEmptyPagePastTheEnd)
{
    std::string base = "tc_mfuncno=31000&tc_sfuncno=3&market=1&class=1&type=16&direct=0&count=20&field=3|16&offset=";
    TestSets first = Get(base + "0"), second = Get(base + "20"), far = Get(base + "400");
    ASSERT_EQ(first.size(), 1u);
    std::set<std::string> codes;
    double last = 0;
    for (TestSets* page : {&first, &second})
        while ((*page)[0].MoveNext()) {
            EXPECT_TRUE(codes.insert((*page)[0].GetString(0)).second);
            EXPECT_GE(Value((*page)[0], 1), last); // ascending across the page boundary
            last = Value((*page)[0], 1);
        }
    EXPECT_EQ(codes.size(), 27u + 0u); // 27 Shenzhen stocks, 7 on the second page
    ASSERT_EQ(far.size(), 1u);
    EXPECT_EQ(far[0].GetFieldCount(), 2);
    EXPECT_EQ(far[0].GetRowCount(), 0);
}

TEST_F(QuoteFixture, ListedCodesMatchExactlyOrByPrefixAndCarryCodeAndExchid)
{
    TestSets exact = Get("tc_mfuncno=31000&tc_sfuncno=4&count=2&code=600010.02|000002.1&field=16|4");
    CDataSet& e = exact[0];
    ASSERT_EQ(e.GetRowCount(), 2);
    EXPECT_EQ(e.GetFieldInfo(0)->type, FIELD_QUOTE); // the listed order, latest first
    EXPECT_EQ(e.GetFieldInfo(1)->type, FIELD_TEXT);
    e.MoveFirst();
    EXPECT_STREQ(e.GetString("code"), "600010");
    EXPECT_EQ(e.GetShort("exchid"), MARKET_SHANGHAI);
    e.MoveNext();
    EXPECT_STREQ(e.GetString("code"), "000002");
    EXPECT_EQ(e.GetShort("exchid"), MARKET_SHENZHEN);

    TestSets bare = Get("tc_mfuncno=31000&tc_sfuncno=4&count=1&code=6001&field=4|3|1");
    EXPECT_GE(bare[0].GetRowCount(), 2);
    while (bare[0].MoveNext())
        EXPECT_EQ(std::string(bare[0].GetString(1)).rfind("6001", 0), 0u);
    TestSets none = Get("tc_mfuncno=31000&tc_sfuncno=4&count=1&code=999999.01&field=4|3|1");
    EXPECT_EQ(none[0].GetRowCount(), 0);
}

TEST_F(QuoteFixture, DetailedQuoteHasThirtyFourColumnsAndABookForStocksOnly)
{
    const std::string fields = "&field=1|2|3|4|11|13|14|15|16|17|18|32|29|30|50|51|52|53|54|55|56|57|58|59|70|71|72|73|"
                               "74|75|76|77|78|79";
    TestSets stock = Get("tc_mfuncno=31000&tc_sfuncno=4&code=600044.02" + fields);
    CDataSet& s = stock[0];
    ASSERT_EQ(s.GetFieldCount(), 34);
    ASSERT_TRUE(s.MoveFirst());
    EXPECT_EQ(s.GetShort(0), MARKET_SHANGHAI);
    EXPECT_EQ(s.GetShort(1), 1);
    EXPECT_GT(Value(s, 8), 0);
    EXPECT_LT(Value(s, 14), Value(s, 24)); // best bid below best ask
    for (int i = 0; i < 5; ++i) {
        EXPECT_GT(s.GetInt(15 + 2 * i), 0);
        EXPECT_GT(s.GetInt(25 + 2 * i), 0);
    }
    EXPECT_GE(Value(s, 6), Value(s, 8)); // high >= latest >= low
    EXPECT_LE(Value(s, 7), Value(s, 8));

    TestSets index = Get("tc_mfuncno=31000&tc_sfuncno=4&code=000001.02" + fields);
    ASSERT_TRUE(index[0].MoveFirst());
    EXPECT_EQ(index[0].GetShort(1), 2);
    EXPECT_EQ(index[0].GetInt(15), 0);
    // An average price: a stock's lies within its day's range; an index has none of its own (its volume is shares,
    // its amount money of all its stocks) and shows its level, as its time-share does.
    EXPECT_GE(Value(s, 11), Value(s, 7));
    EXPECT_LE(Value(s, 11), Value(s, 6));
    EXPECT_DOUBLE_EQ(Value(index[0], 11), Value(index[0], 8));

    // The suspended stock opens at 0; the new one has no ratios.
    TestSets suspended = Get("tc_mfuncno=31000&tc_sfuncno=4&code=000071.01" + fields);
    ASSERT_TRUE(suspended[0].MoveFirst());
    EXPECT_EQ(Value(suspended[0], 5), 0);
    TestSets fresh = Get("tc_mfuncno=31000&tc_sfuncno=4&code=600027.02" + fields);
    ASSERT_TRUE(fresh[0].MoveFirst());
    EXPECT_TRUE(fresh[0].GetQuoteNumber(12).IsNull());
    EXPECT_TRUE(fresh[0].GetQuoteNumber(13).IsNull());
}

TEST_F(QuoteFixture, IndexTablesCarryTheirNamedColumns)
{
    TestSets domestic = Get("tc_mfuncno=31000&tc_sfuncno=6&field=4|16|21|20|17|18|13|11|14|15|3|1");
    CDataSet& d = domestic[0];
    EXPECT_GE(d.GetRowCount(), 4);
    EXPECT_EQ(d.FindField("zrsp"), 7);
    EXPECT_EQ(d.FindField("jrkp"), 6);
    while (d.MoveNext())
        EXPECT_NEAR(Value(d, 3), Value(d, 1) - Value(d, 7), 0.0051);

    TestSets world = Get("tc_mfuncno=31000&tc_sfuncno=7");
    CDataSet& w = world[0];
    EXPECT_EQ(w.GetFieldCount(), 12);
    EXPECT_EQ(GbToUtf8(w.GetFieldInfo(0)->name), "名称");
    EXPECT_GE(w.GetRowCount(), 8);
    // 5日% and 20日% of every index, Hong Kong's included, are its change since those days' closes.
    CMarket& market = server.Functions().Market();
    int rows = 0;
    for (w.MoveFirst(); !w.IsEOF(); w.MoveNext(), ++rows) {
        const CSecurity* s = market.FindByText(w.GetString(11));
        ASSERT_NE(s, nullptr);
        const std::vector<CMarketDay>& h = s->history;
        for (auto [column, back] : {std::pair{7, 5}, std::pair{8, 20}}) {
            double close = h[h.size() - (size_t)back].close;
            EXPECT_NEAR(Value(w, column), (s->last - close) * 100.0 / close, 0.0051) << s->code << " " << back;
        }
    }
    EXPECT_EQ(rows, w.GetRowCount());
}

TEST_F(QuoteFixture, PinyinSearchFindsByInitials)
{
    TestSets found = Get("TC_MFUNCNO=31000&TC_SFUNCNO=10&type=2&pattern=DH");
    CDataSet& f = found[0];
    ASSERT_GE(f.GetRowCount(), 1);
    while (f.MoveNext()) {
        EXPECT_EQ(GbToUtf8(f.GetString(3)).rfind("东海", 0), 0u);
        EXPECT_EQ(std::string(f.GetString(2)).size(), 6u);
        EXPECT_TRUE(f.GetShort(0) == 1 || f.GetShort(0) == 2);
    }
}

TEST_F(QuoteFixture, DealsPageByTimeWithoutGapsOrOverlaps)
{
    std::string base = "tc_mfuncno=31000&tc_sfuncno=9&code=600010.02&date=0&count=11";
    TestSets latest = Get(base + "&time=0&offset=0&direct=1");
    ASSERT_EQ(latest.size(), 2u);
    EXPECT_STRNE(latest[0].GetName(), "hq.info");
    ASSERT_TRUE(latest[0].MoveFirst());
    EXPECT_STREQ(latest[0].GetString("code"), "600010");
    EXPECT_GE(latest[0].FindField("zrsp"), 0);
    EXPECT_GE(latest[0].FindField("classid"), 0);
    CDataSet& deals = latest[1];
    ASSERT_EQ(deals.GetRowCount(), 11);
    EXPECT_EQ(deals.GetFieldInfo(deals.FindField("tm"))->type, FIELD_SHORT);
    // Newest first for earlier-deal pages; the table shows them oldest first.
    std::vector<std::pair<int, int>> shown; // (tm, price)
    deals.MoveLast();
    do
        shown.push_back({deals.GetShort("tm"), deals.GetInt("zjcj")});
    while (deals.MovePrev());
    for (size_t i = 1; i < shown.size(); ++i)
        EXPECT_LE(shown[i - 1].first, shown[i].first);
    EXPECT_EQ(shown.back().first, 1029); // 60 minutes into the day

    // The page before: time of the top row and how many rows share it.
    int top = shown.front().first, count = 0;
    for (auto& d : shown)
        count += d.first == top;
    TestSets earlier = Get(base + "&time=" + std::to_string(top) + "&offset=" + std::to_string(count) + "&direct=1");
    ASSERT_EQ(earlier[1].GetRowCount(), 11);
    earlier[1].MoveFirst();
    EXPECT_LE(earlier[1].GetShort("tm"), top);

    // Later than the bottom of the earlier page comes back to the first page's rows.
    std::vector<int> times;
    earlier[1].MoveLast();
    do
        times.push_back(earlier[1].GetShort("tm"));
    while (earlier[1].MovePrev());
    int bottom = times.back(), bottomCount = 0;
    for (int t : times)
        bottomCount += t == bottom;
    TestSets later =
        Get(base + "&time=" + std::to_string(bottom) + "&offset=" + std::to_string(bottomCount) + "&direct=0");
    ASSERT_TRUE(later[1].MoveFirst());
    EXPECT_EQ(later[1].GetShort("tm"), shown.front().first);
    EXPECT_EQ(later[1].GetInt("zjcj"), shown.front().second);
}

TEST_F(QuoteFixture, ChartsRadarAndInformationTexts)
{
    TestSets minutes =
        Get("tc_mfuncno=31000&tc_sfuncno=1&code=600010.2&addup=0&time=&date=&maxvol=&freq=1&close_xxld=0");
    ASSERT_EQ(minutes.size(), 3u); // the stock, its minutes, its market's index
    EXPECT_EQ(minutes[1].GetRowCount(), 60);
    TestSets kline =
        Get("tc_mfuncno=31000&tc_sfuncno=2&code=600010.2&date=&time=&type=0&direct=0&count=50&techname=MACD");
    ASSERT_EQ(kline.size(), 3u);
    EXPECT_EQ(kline[1].GetRowCount(), 50);
    EXPECT_EQ(kline[2].GetRowCount(), 50);
    EXPECT_GE(kline[2].FindField("DIF"), 0);
    int previous = 0;
    while (kline[1].MoveNext()) {
        EXPECT_GT(kline[1].GetInt("date"), previous);
        previous = kline[1].GetInt("date");
        EXPECT_GE(kline[1].GetQuoteNumber("high").GetValue(), kline[1].GetQuoteNumber("low").GetValue());
    }
    EXPECT_EQ(previous, 20251208);

    TestSets radar = Get("tc_mfuncno=504&tc_sfuncno=11&lmdm=xxld&stkcode=600010&id=&date=");
    ASSERT_EQ(radar.size(), 1u);
    EXPECT_EQ(radar[0].GetFieldInfo(0)->type, FIELD_TEXT);
    TestSets f10 = Get("tc_mfuncno=504&tc_sfuncno=12&type=1&stkcode=600010");
    ASSERT_GE(f10[0].GetRowCount(), 3);
}

TEST_F(QuoteFixture, NewsListsAndArticles)
{
    TestSets list = Get("tc_mfuncno=300&tc_sfuncno=1&cont_sfunc=2&type=1");
    CDataSet& l = list[0];
    ASSERT_GE(l.GetRowCount(), 10);
    EXPECT_EQ(l.GetFieldInfo(0)->type, FIELD_INT);
    ASSERT_TRUE(l.MoveFirst());
    int id = l.GetInt(0);
    TestSets article = Get("tc_mfuncno=300&tc_sfuncno=2&newsid=" + std::to_string(id));
    ASSERT_EQ(article[0].GetFieldCount(), 2);
    EXPECT_GE(article[0].GetRowCount(), 3);
    ASSERT_TRUE(article[0].MoveFirst());
    EXPECT_EQ(std::string(article[0].GetString(1)), std::string(l.GetString(1)));
    TestSets missing = Get("tc_mfuncno=300&tc_sfuncno=2&newsid=99999");
    EXPECT_TRUE(missing[0].IsError());
}

TEST_F(QuoteFixture, TradeLogInIsEncipheredAndOpensThePagedQueries)
{
    TestSets refused = Get("tc_mfuncno=600&tc_sfuncno=10&sign=fdyk&position=poststr&count=20&fundid=1");
    EXPECT_TRUE(refused[0].IsError());

    TestReply login = client.CallEnciphered(600, 1, "account=880012345&password=123456");
    EXPECT_EQ(login.etag[3], 36);
    TestSets sets(login.plain);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0].GetRowCount(), 2);
    for (const char* f : {"market", "secuid", "fundid"})
        EXPECT_GE(sets[0].FindField(f), 0);
    ASSERT_TRUE(sets[1].MoveFirst());
    std::string tradeSession = sets[1].GetString(0);

    const std::string history = "sign=mmlb&position=poststr&count=5&fundid=880012345&ksrq=20250101&" + tradeSession;
    TestReply page = client.CallEnciphered(600, 13, history + "&poststr=");
    EXPECT_EQ(page.etag[3], 36);
    TestSets first(page.plain);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].GetRowCount(), 5);
    EXPECT_EQ(GbToUtf8(first[0].GetFieldInfo(6)->caption), "买卖");
    EXPECT_GE(first[0].FindField("mmlb"), 0);
    first[0].MoveLast();
    std::string position = first[0].GetString("poststr");
    EXPECT_EQ(position, "5");
    TestSets last(client.CallEnciphered(600, 13, history + "&poststr=25").plain);
    EXPECT_EQ(last[0].GetRowCount(), 2);

    TestSets wrong = Get("tc_mfuncno=600&tc_sfuncno=1&account=880012345&password=000000");
    EXPECT_TRUE(wrong[0].IsError());
}

TEST(Market, SameSeedSameMarketAndPricesMoveAsMinutesPass)
{
    CMarket a(11, 30, 20251208), b(11, 30, 20251208);
    ASSERT_EQ(a.Securities().size(), b.Securities().size());
    EXPECT_GE(a.Securities().size(), 60u);
    for (size_t i = 0; i < a.Securities().size(); ++i) {
        EXPECT_EQ(a.Securities()[i].last, b.Securities()[i].last);
        EXPECT_EQ(a.Securities()[i].deals.size(), b.Securities()[i].deals.size());
    }
    const CSecurity* s = a.Find(MARKET_SHANGHAI, "600010");
    ASSERT_NE(s, nullptr);
    int before = s->last;
    size_t deals = s->deals.size();
    a.AdvanceTo(40);
    EXPECT_GT(s->deals.size(), deals);
    EXPECT_EQ(a.GetTimeHHMM(), CMarket::MinuteToHHMM(69));
    (void)before;
}

TEST(Market, TradingClockSkipsTheLunchBreakAndTheDayRollsOver)
{
    EXPECT_EQ(CMarket::MinuteToHHMM(0), 930);
    EXPECT_EQ(CMarket::MinuteToHHMM(119), 1129);
    EXPECT_EQ(CMarket::MinuteToHHMM(120), 1300);
    EXPECT_EQ(CMarket::MinuteToHHMM(239), 1459);
    CMarket m(3, 240, 20251212); // a Friday, the whole day done
    const CSecurity* s = m.Find(MARKET_SHANGHAI, "600010");
    int close = s->last;
    size_t history = s->history.size();
    m.AdvanceTo(1);
    EXPECT_EQ(m.GetDate(), 20251215); // the Monday after
    EXPECT_EQ(s->prevClose, close);
    ASSERT_EQ(s->history.size(), history); // a window of the days before that moves on
    EXPECT_EQ(s->history.back().date, 20251212);
    EXPECT_EQ(s->history.back().close, close);
    EXPECT_EQ(NextTradingDate(20251231), 20260101);
    const CSecurity* suspended = m.Find(MARKET_SHENZHEN, "000071");
    EXPECT_EQ(suspended->open, 0);
    EXPECT_TRUE(suspended->deals.empty());
}

// The market of a day is the same whenever the server started: one that ran into the day and one started in it
// (after a restart) agree on every figure of the past and of the day so far.
TEST(Market, ARestartNeverRewritesThePast)
{
    struct Case {
        int startedDate, startedMinute;
        int64_t runFor;
        int restartDate, restartMinute;
    } cases[] = {{20251208, 200, 100, 20251209, 60}, {20251205, 0, 240 * 3 + 10, 20251210, 10}};
    for (const Case& c : cases) {
        CMarket ran(5, c.startedMinute, c.startedDate), restarted(5, c.restartMinute, c.restartDate);
        ran.AdvanceTo(c.runFor);
        ASSERT_EQ(ran.GetDate(), restarted.GetDate());
        ASSERT_EQ(ran.GetMinuteOfDay(), restarted.GetMinuteOfDay());
        for (size_t i = 0; i < ran.Securities().size(); ++i) {
            const CSecurity &a = ran.Securities()[i], &b = restarted.Securities()[i];
            SCOPED_TRACE(a.code + " from " + std::to_string(c.startedDate));
            EXPECT_EQ(std::vector<int>({a.prevClose, a.open, a.high, a.low, a.last}),
                      std::vector<int>({b.prevClose, b.open, b.high, b.low, b.last}));
            EXPECT_EQ(a.volume, b.volume);
            ASSERT_EQ(a.history.size(), b.history.size());
            for (size_t d = 0; d < a.history.size(); ++d) {
                const CMarketDay &x = a.history[d], &y = b.history[d];
                EXPECT_EQ(std::vector<int64_t>({x.date, x.open, x.high, x.low, x.close, x.volume}),
                          std::vector<int64_t>({y.date, y.open, y.high, y.low, y.close, y.volume}));
            }
            ASSERT_EQ(a.deals.size(), b.deals.size());
            for (size_t d = 0; d < a.deals.size(); ++d)
                EXPECT_EQ(a.deals[d].price, b.deals[d].price);
        }
    }
}

// The day's open is traded: the first deal, and so the first minute bar, opens at 今开; the last deal of the day
// is the close the next day starts from, and the day's extremes are its high and low.
TEST(Market, TheDayOpensWithATradeAtTheOpenAndEndsAtTheCloseItsHistoryKeeps)
{
    CMarket m(8, 0, 20251208);
    m.AdvanceTo(240);
    std::vector<std::vector<int>> closing;
    for (const CSecurity& s : m.Securities()) {
        if (s.suspended)
            continue;
        SCOPED_TRACE(s.code);
        ASSERT_FALSE(s.deals.empty());
        EXPECT_EQ(s.deals.front().price, s.open);
        EXPECT_EQ(BuildBars(s, m, PERIOD_5_MIN).front().open, s.open);
        int high = 0, low = 1 << 30;
        for (const CMarketDeal& d : s.deals) {
            high = std::max(high, d.price);
            low = std::min(low, d.price);
        }
        EXPECT_EQ(high, s.high);
        EXPECT_EQ(low, s.low);
        closing.push_back({s.open, s.high, s.low, s.last});
    }
    m.AdvanceTo(241);
    size_t k = 0;
    for (const CSecurity& s : m.Securities()) {
        if (s.suspended)
            continue;
        const CMarketDay& day = s.history.back();
        EXPECT_EQ(std::vector<int>({day.open, day.high, day.low, day.close}), closing[k++]) << s.code;
        EXPECT_EQ(s.prevClose, day.close) << s.code;
    }
}
