// Chart functions of the stand-in server: time-share data (31000/1) with the market index laid over a stock and
// the minutes that carry information notes, K-line data (31000/2) of every period with its moving averages and
// the chosen indicator, and the information radar (504/11).
#include "server/ChartSeries.h"
#include "server/DataSetWriter.h"
#include "server/ServerFunctions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <shared_mutex>

namespace {

// An indicator value in the quote-number form with as many decimals (up to three) as fit in 32 bits.
int32_t PackLineValue(double v)
{
    if (v == CHART_NO_VALUE || !std::isfinite(v))
        return QUOTE_NO_VALUE;
    for (int scale = 3; scale >= 0; --scale)
        if (std::fabs(v) * std::pow(10.0, scale) < 5.0e8)
            return PackQuote(v, scale);
    return QUOTE_NO_VALUE;
}

// Today's date for an empty or zero "date"; another date asks for a day whose minutes this server no longer has.
bool IsToday(const std::string& date, int today)
{
    return date.empty() || date == "0" || std::atoi(date.c_str()) == today;
}

// The half hour of the trading day a minute falls in (0-7).
int TradingHalfHour(int hhmm)
{
    return TradingMinute(hhmm) / 30;
}

} // namespace

CServerFunctions::Answer CServerFunctions::TimeShare(Context& c)
{
    std::shared_lock<std::shared_mutex> read(market.Lock());
    const CSecurity* s = market.FindByText(c.params.Get("code"));
    if (!s)
        return Error("没有该证券的分时数据");
    // addup=1 asks only for the minutes from "time" on (the last one shown may have changed since).
    int from = c.params.GetInt("addup", 0) == 1 ? c.params.GetInt("time", 0) : 0;
    bool today = IsToday(c.params.Get("date"), market.GetDate());
    bool notes = c.params.GetInt("close_xxld", 0) == 0;
    // A few markers: the first minute with notes in each half hour of the day.
    std::vector<int> noteMinutes;
    if (notes && today)
        for (const CRadarNote& n : RadarNotes(*s))
            if (noteMinutes.empty() || TradingHalfHour(noteMinutes.back()) != TradingHalfHour(n.tm))
                noteMinutes.push_back(n.tm);

    CDataSetWriter set("hq.minute");
    set.AddField("tm", FIELD_SHORT);
    set.AddField("zjcj", FIELD_QUOTE);
    set.AddField("cjsl", FIELD_INT);
    set.AddField("jj", FIELD_QUOTE);
    set.AddField("cjje", FIELD_QUOTE_UNIT);
    set.AddField("xxld", FIELD_SHORT);
    set.AddField("date", FIELD_INT); // the trading day of the minute: a chart kept open sees a new day begin
    int64_t volume = 0;
    double amount = 0;
    size_t note = 0;
    const std::vector<CMarketMinute> none;
    for (const CMarketMinute& m : today ? s->minutes : none) {
        volume += m.volume;
        amount += m.amount;
        while (note < noteMinutes.size() && noteMinutes[note] < m.tm)
            ++note;
        bool marked = note < noteMinutes.size() && noteMinutes[note] == m.tm;
        if (m.tm < from)
            continue;
        set.AddRow();
        set.SetInt(0, m.tm);
        set.SetInt(1, PackQuote(s->Price(m.price), s->decimals));
        set.SetInt(2, m.volume / 100);
        double average = volume > 0 && s->type != KIND_INDEX ? amount / static_cast<double>(volume) : s->Price(m.price);
        set.SetInt(3, PackQuote(average, s->decimals));
        set.SetInt(4, PackQuoteWithUnit(std::round(m.amount)));
        set.SetInt(5, marked ? m.tm : 0); // the radar id of the minute's notes
        set.SetInt(6, market.GetDate());
    }
    Answer a;
    a.body = StockInfoSet(*s);
    set.AppendTo(a.body);

    if (const CSecurity* index = today ? OverlayIndex(market, *s) : nullptr) {
        CDataSetWriter overlay("hq.overlay");
        overlay.AddField("tm", FIELD_SHORT);
        overlay.AddField("zjcj", FIELD_QUOTE);
        overlay.AddField("zrsp", FIELD_QUOTE);
        overlay.AddField("code", FIELD_TEXT);
        for (const CMarketMinute& m : index->minutes) {
            if (m.tm < from)
                continue;
            overlay.AddRow();
            overlay.SetInt(0, m.tm);
            overlay.SetInt(1, PackQuote(index->Price(m.price), index->decimals));
            overlay.SetInt(2, PackQuote(index->Price(index->prevClose), index->decimals));
            overlay.SetText(3, index->code);
        }
        overlay.AppendTo(a.body);
    }
    return a;
}

CServerFunctions::Answer CServerFunctions::KLine(Context& c)
{
    std::shared_lock<std::shared_mutex> read(market.Lock());
    const CSecurity* s = market.FindByText(c.params.Get("code"));
    if (!s)
        return Error("没有该证券的K线数据");
    int period = c.params.GetInt("type", PERIOD_DAY);
    if (period < 0 || period >= PERIOD_COUNT)
        return Error("不支持的K线周期");
    std::string techName = c.params.Get("techname", "MACD");
    if (techName.empty())
        techName = "MACD";
    std::vector<CChartBar> bars = BuildBars(*s, market, period);
    std::vector<CIndicatorLine> lines = ComputeIndicator(techName, bars, s->Scale());
    if (lines.empty())
        return Error("不支持的技术指标");
    int count = std::clamp(c.params.GetInt("count", 120), 1, 500);
    size_t first = 0, last = 0;
    PickWindow(bars, c.params.GetInt("date", 0), c.params.GetInt("time", 0), c.params.GetInt("direct", 0), count,
               &first, &last);

    // The averages and indicators are computed over every bar, so the first bars of a page have their values.
    const size_t averages[3] = {5, 10, 20};
    CDataSetWriter set("hq.kline");
    for (const char* name : {"date", "time"})
        set.AddField(name, FIELD_INT);
    for (const char* name : {"open", "high", "low", "close"})
        set.AddField(name, FIELD_QUOTE);
    set.AddField("cjsl", FIELD_QUOTE_UNIT);
    set.AddField("cjje", FIELD_QUOTE_UNIT);
    std::vector<std::vector<double>> ma;
    for (size_t period : averages) {
        set.AddField("MA" + std::to_string(period), FIELD_QUOTE);
        ma.push_back(MovingAverage(bars, s->Scale(), period));
    }
    for (size_t i = first; i < last; ++i) {
        const CChartBar& b = bars[i];
        set.AddRow();
        set.SetInt(0, b.date);
        set.SetInt(1, b.time);
        set.SetInt(2, PackQuote(s->Price(b.open), s->decimals));
        set.SetInt(3, PackQuote(s->Price(b.high), s->decimals));
        set.SetInt(4, PackQuote(s->Price(b.low), s->decimals));
        set.SetInt(5, PackQuote(s->Price(b.close), s->decimals));
        set.SetInt(6, PackQuoteWithUnit(static_cast<double>(b.volume / 100)));
        set.SetInt(7, PackQuoteWithUnit(std::round(b.amount)));
        for (size_t k = 0; k < ma.size(); ++k)
            set.SetInt(static_cast<int>(8 + k),
                       ma[k][i] == CHART_NO_VALUE ? QUOTE_NO_VALUE : PackQuote(ma[k][i], s->decimals));
    }
    CDataSetWriter tech("hq.tech");
    tech.AddField("date", FIELD_INT);
    tech.AddField("time", FIELD_INT);
    // The caption "stick" asks the chart to draw the line as bars from zero.
    for (const CIndicatorLine& line : lines)
        tech.AddField(line.name, FIELD_QUOTE, line.stick ? "stick" : "");
    for (size_t i = first; i < last; ++i) {
        tech.AddRow();
        tech.SetInt(0, bars[i].date);
        tech.SetInt(1, bars[i].time);
        for (size_t k = 0; k < lines.size(); ++k)
            tech.SetInt(static_cast<int>(k + 2), PackLineValue(lines[k].values[i]));
    }
    Answer a;
    a.body = StockInfoSet(*s);
    set.AppendTo(a.body);
    tech.AppendTo(a.body);
    return a;
}

CServerFunctions::Answer CServerFunctions::Radar(Context& c)
{
    std::shared_lock<std::shared_mutex> read(market.Lock());
    const CSecurity* s = market.FindByText(c.params.Get("stkcode"));
    // An id names the minute of one information marker of the time-share chart: only its notes.
    int id = c.params.GetInt("id", 0);
    CDataSetWriter set("xxld");
    set.AddField("text", FIELD_TEXT);
    if (s)
        for (const CRadarNote& note : RadarNotes(*s))
            if (id == 0 || note.tm == id) {
                set.AddRow();
                set.SetText(0, note.text);
            }
    Answer a;
    a.body = set.ToBytes();
    return a;
}
