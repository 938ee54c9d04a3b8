// Chart replies of the stand-in server: every period, paging by anchor, the indicators' textbook arithmetic, the
// index laid over a stock's time-share chart and the information minutes the radar explains.
#include "ServerTestClient.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct ChartFixture : ::testing::Test {
    CServerUnderTest server;
    CTestClient client{server};
    void SetUp() override { client.LogIn(); }
    TestSets Get(const std::string& text)
    {
        return TestSets(client.Exchange(text + "&" + client.CommonFields()).plain);
    }
    TestSets KLine(const std::string& code, int type, const std::string& anchor, int direct, int count,
                   const std::string& tech = "MACD")
    {
        return Get("tc_mfuncno=31000&tc_sfuncno=2&code=" + code + "&" + anchor + "&type=" + std::to_string(type) +
                   "&direct=" + std::to_string(direct) + "&count=" + std::to_string(count) + "&techname=" + tech);
    }
};

double At(CDataSet& s, const char* field)
{
    return s.GetQuoteNumber(field).GetValue();
}
bool NoValue(CDataSet& s, const char* field)
{
    return s.GetQuoteNumber(field).IsNull();
}

} // namespace

TEST_F(ChartFixture, EveryPeriodAnswersItsBarsInOrder)
{
    // 60 minutes into the day: 12 five-minute bars ... one sixty-minute bar; days, weeks and months of history.
    struct Case {
        int type;
        int bars;      // -1: more than one, fewer than the days
        int firstTime; // time of the first bar (minute periods)
    } cases[] = {{3, 12, 935}, {4, 4, 945}, {5, 2, 1000}, {6, 1, 1030}, {1, -1, 0}, {2, -1, 0}};
    TestSets days = KLine("600010", 0, "date=&time=", 0, 500);
    ASSERT_EQ(days.size(), 3u);
    int dayCount = days[1].GetRowCount();
    EXPECT_EQ(dayCount, 121); // 120 days of history and today
    for (const Case& c : cases) {
        TestSets sets = KLine("600010", c.type, "date=&time=", 0, 500);
        ASSERT_EQ(sets.size(), 3u) << c.type;
        CDataSet& bars = sets[1];
        if (c.bars >= 0) {
            EXPECT_EQ(bars.GetRowCount(), c.bars) << c.type;
            ASSERT_TRUE(bars.MoveFirst());
            EXPECT_EQ(bars.GetInt("time"), c.firstTime) << c.type;
        } else {
            EXPECT_GT(bars.GetRowCount(), 1) << c.type;
            EXPECT_LT(bars.GetRowCount(), dayCount) << c.type;
        }
        long long previous = 0;
        for (bars.MoveFirst(); !bars.IsEOF(); bars.MoveNext()) {
            long long key = (long long)bars.GetInt("date") * 10000 + bars.GetInt("time");
            EXPECT_GT(key, previous) << c.type;
            previous = key;
            EXPECT_GE(At(bars, "high"), At(bars, "close")) << c.type;
            EXPECT_LE(At(bars, "low"), At(bars, "open")) << c.type;
        }
        // The latest bar of every period closes at the latest price.
        ASSERT_TRUE(bars.MoveLast());
        ASSERT_TRUE(days[1].MoveLast());
        EXPECT_DOUBLE_EQ(At(bars, "close"), At(days[1], "close")) << c.type;
    }
    EXPECT_EQ(KLine("600010", 9, "date=&time=", 0, 50)[0].GetName(), std::string("error"));
}

TEST_F(ChartFixture, PagingBackJoinsTheEarlierBarsWithoutGapOrOverlap)
{
    TestSets whole = KLine("600010", 0, "date=&time=", 0, 80);
    TestSets latest = KLine("600010", 0, "date=&time=", 0, 40);
    ASSERT_TRUE(latest[1].MoveFirst());
    std::string anchor = "date=" + std::to_string(latest[1].GetInt("date")) + "&time=";
    TestSets earlier = KLine("600010", 0, anchor, 1, 40);
    TestSets from = KLine("600010", 0, anchor, 0, 40);
    ASSERT_EQ(earlier[1].GetRowCount(), 40);
    std::vector<int> joined;
    for (CDataSet* s : {&earlier[1], &latest[1]})
        for (s->MoveFirst(); !s->IsEOF(); s->MoveNext())
            joined.push_back(s->GetInt("date"));
    std::vector<int> expected;
    for (whole[1].MoveFirst(); !whole[1].IsEOF(); whole[1].MoveNext())
        expected.push_back(whole[1].GetInt("date"));
    EXPECT_EQ(joined, expected);
    ASSERT_TRUE(from[1].MoveFirst());
    ASSERT_TRUE(latest[1].MoveFirst());
    EXPECT_EQ(from[1].GetInt("date"), latest[1].GetInt("date"));
    // Before the first bar there is nothing more: an empty page, not an error.
    TestSets oldest = KLine("600010", 0, "date=19900101&time=", 1, 40);
    ASSERT_EQ(oldest.size(), 3u);
    EXPECT_EQ(oldest[1].GetRowCount(), 0);
}

TEST_F(ChartFixture, IndicatorsFollowTheirTextbookDefinitions)
{
    struct Case {
        const char* tech;
        std::vector<std::string> lines;
    } cases[] = {{"MA", {"MA5", "MA10", "MA20"}},     {"VOL", {"VOL", "MA5", "MA10"}},
                 {"MACD", {"DIF", "DEA", "MACD"}},    {"KDJ", {"K", "D", "J"}},
                 {"RSI", {"RSI6", "RSI12", "RSI24"}}, {"BOLL", {"MID", "UPPER", "LOWER"}}};
    for (const Case& c : cases) {
        TestSets sets = KLine("600010", 0, "date=&time=", 0, 500, c.tech);
        ASSERT_EQ(sets.size(), 3u) << c.tech;
        CDataSet& bars = sets[1];
        CDataSet& tech = sets[2];
        ASSERT_EQ(tech.GetRowCount(), bars.GetRowCount()) << c.tech;
        for (size_t k = 0; k < c.lines.size(); ++k)
            EXPECT_EQ(tech.FindField(c.lines[k].c_str()), (int)k + 2) << c.tech;
        std::vector<double> closes;
        bars.MoveFirst();
        for (tech.MoveFirst(); !tech.IsEOF(); tech.MoveNext(), bars.MoveNext()) {
            closes.push_back(At(bars, "close"));
            size_t i = closes.size() - 1;
            EXPECT_EQ(tech.GetInt("date"), bars.GetInt("date"));
            std::string name = c.tech;
            if (name == "MA" || name == "BOLL") {
                const char* line = name == "MA" ? "MA5" : "MID";
                size_t period = name == "MA" ? 5 : 20;
                EXPECT_EQ(NoValue(tech, line), i + 1 < period) << c.tech << i;
                if (i + 1 >= period) {
                    double sum = 0;
                    for (size_t k = i + 1 - period; k <= i; ++k)
                        sum += closes[k];
                    EXPECT_NEAR(At(tech, line), sum / (double)period, 0.0011) << c.tech << i;
                }
                if (name == "BOLL" && i >= 19) {
                    EXPECT_NEAR(At(tech, "UPPER") - At(tech, "MID"), At(tech, "MID") - At(tech, "LOWER"), 0.003);
                }
                if (name == "MA" && i >= 19) {
                    EXPECT_NEAR(At(tech, "MA20"), At(bars, "MA20"), 0.006) << i; // the main chart's averages agree
                }
            } else if (name == "MACD") {
                EXPECT_NEAR(At(tech, "MACD"), 2 * (At(tech, "DIF") - At(tech, "DEA")), 0.003);
            } else if (name == "KDJ") {
                EXPECT_NEAR(At(tech, "J"), 3 * At(tech, "K") - 2 * At(tech, "D"), 0.006);
            } else if (name == "RSI" && i > 0) {
                EXPECT_GE(At(tech, "RSI6"), 0);
                EXPECT_LE(At(tech, "RSI24"), 100);
            } else if (name == "VOL") {
                EXPECT_NEAR(At(tech, "VOL"), bars.GetQuoteNumber("cjsl").ToFull(), 1e4 * 0.5 + 0.5);
            }
        }
        // Sticks (MACD bars, volume) are marked for the chart in the field caption.
        for (int f = 2; f < tech.GetFieldCount(); ++f) {
            const FieldInfo* info = tech.GetFieldInfo(f);
            std::string caption(info->caption, strnlen(info->caption, sizeof info->caption));
            bool stick = (std::string(c.tech) == "MACD" && f == 4) || (std::string(c.tech) == "VOL" && f == 2);
            EXPECT_EQ(caption == "stick", stick) << c.tech << f;
        }
    }
    EXPECT_EQ(KLine("600010", 0, "date=&time=", 0, 10, "WR")[0].GetName(), std::string("error"));
}

TEST_F(ChartFixture, TimeShareCarriesTheMarketIndexAndTheInformationMinutes)
{
    TestSets stock = Get("tc_mfuncno=31000&tc_sfuncno=1&code=600010&addup=0&time=&date=&maxvol=&freq=1&close_xxld=0");
    ASSERT_EQ(stock.size(), 3u);
    CDataSet& overlay = stock[2];
    EXPECT_EQ(std::string(overlay.GetName()), "hq.overlay");
    EXPECT_EQ(overlay.GetRowCount(), stock[1].GetRowCount());
    ASSERT_TRUE(overlay.MoveFirst());
    ASSERT_TRUE(stock[0].MoveFirst());
    // The index of the stock's own market, whatever number that market has.
    int market = stock[0].GetShort("exchid");
    const CSecurity* index = server.Functions().Market().Find(market, overlay.GetString("code"));
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(index->type, KIND_INDEX);

    // Every marked minute has radar notes, and the radar asked with that id answers only them.
    int marked = 0;
    for (stock[1].MoveFirst(); !stock[1].IsEOF(); stock[1].MoveNext()) {
        int id = stock[1].GetShort("xxld");
        if (id == 0)
            continue;
        EXPECT_EQ(id, stock[1].GetShort("tm"));
        ++marked;
        TestSets radar =
            Get("tc_mfuncno=504&tc_sfuncno=11&lmdm=xxld&stkcode=600010&id=" + std::to_string(id) + "&date=");
        ASSERT_GE(radar[0].GetRowCount(), 1);
        for (radar[0].MoveFirst(); !radar[0].IsEOF(); radar[0].MoveNext()) {
            char prefix[16];
            snprintf(prefix, sizeof prefix, "%02d:%02d", id / 100 % 100, id % 100);
            EXPECT_EQ(std::string(radar[0].GetString(0)).substr(0, 5), prefix);
        }
    }
    EXPECT_GT(marked, 0);

    // An index gets no overlay; close_xxld=1 marks nothing; addup=1 answers from the given minute on; another day
    // has no minutes here.
    TestSets index1 = Get("tc_mfuncno=31000&tc_sfuncno=1&code=" + index->code + "." + std::to_string(market) +
                          "&addup=0&time=&date=&maxvol=&freq=1&close_xxld=0");
    EXPECT_EQ(index1.size(), 2u);
    TestSets closed = Get("tc_mfuncno=31000&tc_sfuncno=1&code=600010&addup=0&time=&date=&maxvol=&freq=1&close_xxld=1");
    for (closed[1].MoveFirst(); !closed[1].IsEOF(); closed[1].MoveNext())
        EXPECT_EQ(closed[1].GetShort("xxld"), 0);
    TestSets tail =
        Get("tc_mfuncno=31000&tc_sfuncno=1&code=600010&addup=1&time=1025&date=&maxvol=&freq=1&close_xxld=0");
    ASSERT_TRUE(tail[1].MoveFirst());
    EXPECT_EQ(tail[1].GetShort("tm"), 1025);
    EXPECT_EQ(tail[1].GetRowCount(), 5);
    TestSets other =
        Get("tc_mfuncno=31000&tc_sfuncno=1&code=600010&addup=0&time=&date=20251201&maxvol=&freq=1&close_xxld=0");
    ASSERT_GE(other.size(), 2u);
    EXPECT_EQ(other[1].GetRowCount(), 0);
}

TEST_F(ChartFixture, TodaysVolumeComparesWithTheDaysBefore)
{
    // Whole days of minutes add up to about what the days before traded: today's candle is no sliver and the
    // volume ratio (today's lots a minute over the last five days') stays near 1 at any hour.
    CMarket market(7, 0, 20251208);
    for (int minutes : {60, 240}) {
        market.AdvanceTo(minutes);
        for (const CSecurity& s : market.Securities()) {
            if (s.suspended || s.history.size() < 5)
                continue;
            double ratio = s.VolumeRatio(minutes);
            EXPECT_GT(ratio, 0.4) << s.code << " at " << minutes;
            EXPECT_LT(ratio, 2.5) << s.code << " at " << minutes;
        }
    }
}
