// The charts on replies that are short, empty, flat or hold the "no value" mark: they draw what they have, show
// an empty chart with a message rather than the bars of the security before, scale without dividing by zero and
// skip missing values instead of drawing them as spikes; a refresh that answers another day is told from one that
// goes on.
#include "ChartTestSupport.h"

#include "charts/FSFrame.h"
#include "charts/KXFrame.h"

#include <cmath>

namespace {

using FS = Probe<CFSFrame>;
using KX = Probe<CKXFrame>;

constexpr int NONE = 999999999;

std::string StockInfo(double prevClose)
{
    CDataSetWriter info("stkinfo");
    info.AddField("code", FIELD_TEXT);
    info.AddField("name", FIELD_TEXT);
    info.AddField("zrsp", FIELD_QUOTE);
    info.AddRow();
    info.SetText(0, "600010");
    info.SetText(1, Gb(u"东海银行"));
    info.SetInt(2, PackQuote(prevClose, 2));
    return info.ToBytes();
}

// Minutes (time, price, volume) with the columns named; a price of NONE is sent as the "no value" mark.
std::string Minutes(const std::vector<std::vector<double>>& rows, bool withVolume = true)
{
    CDataSetWriter set("hq.minute");
    set.AddField("tm", FIELD_SHORT);
    set.AddField("zjcj", FIELD_QUOTE);
    if (withVolume)
        set.AddField("cjsl", FIELD_INT);
    for (const auto& r : rows) {
        set.AddRow();
        set.SetInt(0, (int)r[0]);
        set.SetInt(1, r[1] == NONE ? NONE : PackQuote(r[1], 2));
        if (withVolume)
            set.SetInt(2, (int)r[2]);
    }
    return set.ToBytes();
}

// Candles (date, open, high, low, close, MA5) and, when techRows >= 0, that many rows of one indicator line.
std::string Candles(const std::vector<std::vector<double>>& rows, int techRows, bool allColumns = true)
{
    CDataSetWriter set("hq.kline");
    set.AddField("date", FIELD_INT);
    if (allColumns)
        for (const char* name : {"open", "high", "low"})
            set.AddField(name, FIELD_QUOTE);
    set.AddField("close", FIELD_QUOTE);
    set.AddField("MA5", FIELD_QUOTE);
    for (const auto& r : rows) {
        set.AddRow();
        int f = 0;
        set.SetInt(f++, (int)r[0]);
        for (size_t k = allColumns ? 1 : 4; k < r.size(); ++k)
            set.SetInt(f++, r[k] == NONE ? NONE : PackQuote(r[k], 2));
    }
    std::string bytes = set.ToBytes();
    if (techRows >= 0) {
        CDataSetWriter tech("hq.tech");
        tech.AddField("date", FIELD_INT);
        tech.AddField("time", FIELD_INT);
        tech.AddField("DIF", FIELD_QUOTE);
        for (int i = 0; i < techRows && i < (int)rows.size(); ++i) {
            tech.AddRow();
            tech.SetInt(0, (int)rows[(size_t)i][0]);
            tech.SetInt(2, i == 0 ? NONE : PackQuote(0.5 * i, 3));
        }
        tech.AppendTo(bytes);
    }
    return bytes;
}

class ChartReplyTest : public ChartWindowTest {
protected:
    template <class W> void Feed(W* w, const std::string& bytes)
    {
        w->OnReply((const BYTE*)bytes.data(), (int)bytes.size(), 0);
        UpdateWindow(w->m_hWnd);
    }
};

} // namespace

TEST_F(ChartReplyTest, TimeShareDrawsWhatItHasAndScalesWithoutDividingByZero)
{
    struct Case {
        const char* what;
        std::string reply;
        size_t points;
        double top; // the scale's top, from the previous close 10.00
        bool message;
    } cases[] = {
        {"flat day", StockInfo(10) + Minutes({{930, 10, 5}, {931, 10, 0}}), 2, 10.10, false},
        {"no volume column", StockInfo(10) + Minutes({{930, 10.5, 0}, {931, 10.2, 0}}, false), 2, 10.5, false},
        {"a no-value price", StockInfo(10) + Minutes({{930, 10.2, 5}, {931, NONE, 5}, {932, 9.9, 5}}), 3, 10.2, false},
        {"minutes out of the day", StockInfo(10) + Minutes({{800, 11, 5}, {1200, 12, 5}, {1300, 10.1, 5}}), 1, 10.1,
         false},
        {"no minutes", StockInfo(10) + Minutes({}), 0, 0, true},
        {"the security alone", StockInfo(10), 0, 0, true},
    };
    for (const Case& c : cases) {
        FS* w = Make<FS>("date=&code={600010}");
        Feed(w, StockInfo(10) + Minutes({{930, 14, 9}})); // what was shown before
        w->OnInitParam(-1, "", M("date=&code={600027}").c_str());
        Feed(w, c.reply);
        EXPECT_EQ(w->GetData().points.size(), c.points) << c.what;
        EXPECT_EQ(w->GetView()->GetMessage() == u"暂无数据", c.message) << c.what;
        if (c.points > 0) {
            EXPECT_NEAR(w->GetFSView().GetScaleTop(), c.top, 1e-9) << c.what;
            EXPECT_NEAR(w->GetFSView().GetScaleBottom(), 20 - c.top, 1e-9) << c.what;
        }
    }
    // A day of one minute: a dot inside the frame, not a pixel on it.
    FS* w = Make<FS>("date=&code={600010}");
    Feed(w, StockInfo(10) + Minutes({{930, 10.05, 5}}));
    RECT price = w->GetFSView().GetPricePane();
    EXPECT_GE(Canvas(w->GetView()).Count(Scheme(COLOR_PRICE_LINE), price), 9);
    EXPECT_GT(w->GetFSView().XOfSlot(0), price.left + 1);
}

TEST_F(ChartReplyTest, KLineDrawsWhatItHasAndSkipsMissingValues)
{
    const std::vector<std::vector<double>> three = {{20251204, 10, 10.5, 9.8, 10.2, NONE},
                                                    {20251205, 10.2, 10.9, 10.1, 10.8, NONE},
                                                    {20251208, 10.8, 11, 10.6, 10.7, 10.6}};
    struct Case {
        const char* what;
        std::string reply;
        size_t bars;
        double top, bottom; // the candle pane's range
        size_t linesOfLast; // indicator values held by the last bar
        bool message;
    } cases[] = {
        {"three candles", StockInfo(10) + Candles(three, 3), 3, 11, 9.8, 1, false},
        {"fewer indicator rows", StockInfo(10) + Candles(three, 1), 3, 11, 9.8, 0, false},
        {"no indicator set", StockInfo(10) + Candles(three, -1), 3, 11, 9.8, 0, false},
        {"close and average only", StockInfo(10) + Candles(three, 3, false), 3, 10.8, 10.2, 1, false},
        {"one flat candle", StockInfo(10) + Candles({{20251208, 10, 10, 10, 10, NONE}}, 1), 1, 10.1, 9.9, 0, false},
        {"a no-value close",
         StockInfo(10) + Candles({{20251205, 10, 10.5, 9.5, NONE, NONE}, {20251208, 10, 10.4, 9.9, 10, NONE}}, -1), 2,
         10.5, 9.5, 0, false},
        {"no candles", StockInfo(10) + Candles({}, 0), 0, 0, 0, 0, true},
    };
    for (const Case& c : cases) {
        KX* w = Make<KX>("code={600010}");
        Feed(w, StockInfo(10) + Candles({{20251208, 50, 60, 40, 55, 52}}, 1));
        w->OnInitParam(-1, "", M("code={600027}").c_str());
        Feed(w, c.reply);
        ASSERT_EQ(w->GetData().bars.size(), c.bars) << c.what;
        EXPECT_EQ(w->GetView()->GetMessage() == u"暂无数据", c.message) << c.what;
        if (c.bars == 0)
            continue;
        EXPECT_NEAR(w->GetKXView().GetPriceTop(), c.top, 1e-9) << c.what;
        EXPECT_NEAR(w->GetKXView().GetPriceBottom(), c.bottom, 1e-9) << c.what;
        const KXBar& last = w->GetData().bars.back();
        size_t held = 0;
        for (double v : last.lines)
            held += HasValue(v);
        EXPECT_EQ(held, c.linesOfLast) << c.what;
        // The indicator's scale is labelled only when it has values to scale.
        bool anyValue = false;
        for (const KXBar& bar : w->GetData().bars)
            for (double v : bar.lines)
                anyValue |= HasValue(v);
        RECT tech = w->GetKXView().GetTechPane(), area = w->GetView()->GetRect();
        RECT column{tech.right + 1, tech.top, area.right, tech.bottom};
        EXPECT_EQ(Canvas(w->GetView()).Count(Scheme(COLOR_AXIS_TEXT), column) > 0, anyValue) << c.what;
        // The first bar's average and indicator carry the mark: shown as "--", never as 999999999 (a value after a
        // colon is a number or "--").
        const std::vector<std::u16string>& legends = w->GetKXView().GetLegends();
        ASSERT_FALSE(legends.empty()) << c.what;
        for (const std::u16string& legend : legends) {
            EXPECT_EQ(legend.find(u"999999"), std::u16string::npos) << c.what;
            for (size_t at = legend.find(u":-"); at != std::u16string::npos; at = legend.find(u":-", at + 1))
                EXPECT_TRUE(legend[at + 2] == u'-' || (legend[at + 2] >= u'0' && legend[at + 2] <= u'9')) << c.what;
        }
    }
}

TEST_F(ChartReplyTest, ASuspendedStockShowsAnEmptyDayAndItsCandles)
{
    FS* fs = Make<FS>("date=&code=000071");
    ASSERT_TRUE(Activate(fs));
    EXPECT_TRUE(fs->GetData().IsEmpty());
    EXPECT_EQ(fs->GetView()->GetMessage(), u"暂无数据");
    UpdateWindow(fs->m_hWnd);
    // Its previous close is still shown, in the middle of the scale (which the market index laid over it sets).
    double close = fs->GetData().security.prevClose;
    EXPECT_NEAR((fs->GetFSView().GetScaleTop() + fs->GetFSView().GetScaleBottom()) / 2, close, 1e-9);
    EXPECT_GT(fs->GetFSView().GetScaleTop(), close);
    KX* kx = Make<KX>("code=000071");
    ASSERT_TRUE(Activate(kx));
    EXPECT_EQ(kx->GetData().bars.size(), 120u);
    EXPECT_LT(kx->GetData().bars.back().date, 20251208); // no candle for today
}

TEST_F(ChartReplyTest, ARefreshAnsweringAnotherDayIsToldFromOneThatGoesOn)
{
    // The day held: 09:30 to 09:32 of Monday over a previous close of 10; the refresh asked from 09:32 on.
    auto day = [](int date, double prevClose, int from) {
        CDataSetWriter set("hq.minute");
        set.AddField("tm", FIELD_SHORT);
        set.AddField("zjcj", FIELD_QUOTE);
        set.AddField("date", FIELD_INT);
        for (int tm = from; tm <= 933; ++tm) {
            set.AddRow();
            set.SetInt(0, tm);
            set.SetInt(1, PackQuote(10.01, 2));
            set.SetInt(2, date);
        }
        return StockInfo(prevClose) + set.ToBytes();
    };
    struct Case {
        int date;
        double prevClose;
        int from; // the first minute of the reply
        bool another;
    } cases[] = {{20251208, 10, 932, false},
                 {20251209, 10, 932, true}, // the same close and minutes, but Tuesday's: a server started again
                 {20251208, 10.5, 932, true},
                 {20251208, 10, 933, true}}; // without the minute asked from
    std::string held = day(20251208, 10, 930);
    CReplyRecordSet first((const BYTE*)held.data(), (DWORD)held.size());
    CFSData data;
    data.Load(first, false);
    for (const Case& c : cases) {
        std::string bytes = day(c.date, c.prevClose, c.from);
        CReplyRecordSet reply((const BYTE*)bytes.data(), (DWORD)bytes.size());
        EXPECT_EQ(data.IsAnotherDay(reply, 932), c.another) << c.date << " " << c.prevClose << " " << c.from;
    }
}
