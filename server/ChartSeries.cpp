// Candles of every period, indicators and the day's information notes for the chart functions.
#include "server/ChartSeries.h"

#include "server/ServerText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Days since 1970-01-01 of a YYYYMMDD date (the civil-calendar rule), for grouping days into weeks.
long DayNumber(int date)
{
    int y = date / 10000, m = date / 100 % 100, d = date % 100;
    y -= m <= 2;
    long era = (y >= 0 ? y : y - 399) / 400;
    long yoe = y - era * 400;
    long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int AddMinute(int hhmm)
{
    int m = hhmm / 100 * 60 + hhmm % 100 + 1;
    return m / 60 * 100 + m % 60;
}

// Adds a bar of a group: the first of the group starts a bar, the others widen it and move its close, volume
// and date on.
void AddToGroup(std::vector<CChartBar>& out, const CChartBar& next, long key, long* group)
{
    if (out.empty() || key != *group) {
        out.push_back(next);
    } else {
        CChartBar& bar = out.back();
        bar.high = std::max(bar.high, next.high);
        bar.low = std::min(bar.low, next.low);
        bar.close = next.close;
        bar.volume += next.volume;
        bar.amount += next.amount;
        bar.date = next.date;
        bar.time = next.time;
    }
    *group = key;
}

std::vector<CChartBar> Days(const CSecurity& s, const CMarket& market)
{
    std::vector<CChartBar> days;
    days.reserve(s.history.size() + 1);
    for (const CMarketDay& d : s.history)
        days.push_back({d.date, 0, d.open, d.high, d.low, d.close, d.volume, d.amount});
    if (!s.suspended && market.GetMinuteOfDay() > 0)
        days.push_back({market.GetDate(), 0, s.open, s.high, s.low, s.last, s.volume, s.amount});
    return days;
}

std::vector<CChartBar> Grouped(const std::vector<CChartBar>& days, bool byMonth)
{
    std::vector<CChartBar> out;
    long group = -1;
    for (const CChartBar& d : days) {
        // 1970-01-05 was a Monday: weeks run Monday to Sunday.
        AddToGroup(out, d, byMonth ? d.date / 100 : (DayNumber(d.date) - 4) / 7, &group);
    }
    return out;
}

std::vector<CChartBar> MinuteBars(const CSecurity& s, const CMarket& market, int minutes)
{
    std::vector<CChartBar> out;
    long bucket = -1;
    for (const CMarketDeal& deal : s.deals) {
        int at = TradingMinute(deal.tm) / minutes;
        // The bar is named by the end of its last minute: 09:30-09:34 is the bar of 09:35.
        int end = AddMinute(CMarket::MinuteToHHMM(at * minutes + minutes - 1));
        CChartBar one{market.GetDate(), end,        deal.price,  deal.price,
                      deal.price,       deal.price, deal.volume, deal.volume * s.Price(deal.price)};
        AddToGroup(out, one, at, &bucket);
    }
    return out;
}

long long Key(int date, int time)
{
    return (long long)date * 10000 + time;
}

} // namespace

int TradingMinute(int hhmm)
{
    int m = hhmm / 100 * 60 + hhmm % 100;
    return m < 13 * 60 ? m - (9 * 60 + 30) : 120 + m - 13 * 60;
}

int PeriodMinutes(int period)
{
    switch (period) {
    case PERIOD_5_MIN:
        return 5;
    case PERIOD_15_MIN:
        return 15;
    case PERIOD_30_MIN:
        return 30;
    case PERIOD_60_MIN:
        return 60;
    default:
        return 0;
    }
}

std::vector<CChartBar> BuildBars(const CSecurity& s, const CMarket& market, int period)
{
    if (PeriodMinutes(period) > 0)
        return MinuteBars(s, market, PeriodMinutes(period));
    std::vector<CChartBar> days = Days(s, market);
    if (period == PERIOD_WEEK || period == PERIOD_MONTH)
        return Grouped(days, period == PERIOD_MONTH);
    return days;
}

void PickWindow(const std::vector<CChartBar>& bars, int date, int time, int direct, int count, size_t* first,
                size_t* last)
{
    size_t n = bars.size();
    size_t want = (size_t)std::max(count, 0);
    if (date <= 0) {
        *last = n;
        *first = n > want ? n - want : 0;
        return;
    }
    long long anchor = Key(date, time);
    size_t at = 0; // the first bar at or after the anchor
    while (at < n && Key(bars[at].date, bars[at].time) < anchor)
        ++at;
    if (direct == 1) {
        *last = at;
        *first = at > want ? at - want : 0;
    } else {
        *first = at;
        *last = std::min(n, at + want);
    }
}

std::vector<double> MovingAverage(const std::vector<CChartBar>& bars, double priceScale, size_t period)
{
    std::vector<double> out(bars.size(), CHART_NO_VALUE);
    double sum = 0;
    for (size_t i = 0; i < bars.size(); ++i) {
        sum += bars[i].close / priceScale;
        if (i >= period)
            sum -= bars[i - period].close / priceScale;
        if (i + 1 >= period)
            out[i] = sum / (double)period;
    }
    return out;
}

namespace {

std::vector<double> Average(const std::vector<double>& v, size_t period)
{
    std::vector<double> out(v.size(), CHART_NO_VALUE);
    double sum = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        sum += v[i];
        if (i >= period)
            sum -= v[i - period];
        if (i + 1 >= period)
            out[i] = sum / (double)period;
    }
    return out;
}

std::vector<double> Ema(const std::vector<double>& v, double period)
{
    std::vector<double> out(v.size(), 0);
    for (size_t i = 0; i < v.size(); ++i)
        out[i] = i == 0 ? v[0] : (2 * v[i] + (period - 1) * out[i - 1]) / (period + 1);
    return out;
}

std::vector<CIndicatorLine> Macd(const std::vector<double>& close)
{
    size_t n = close.size();
    std::vector<double> fast = Ema(close, 12), slow = Ema(close, 26), dif(n), bar(n);
    for (size_t i = 0; i < n; ++i)
        dif[i] = fast[i] - slow[i];
    std::vector<double> dea = Ema(dif, 9);
    for (size_t i = 0; i < n; ++i)
        bar[i] = 2 * (dif[i] - dea[i]);
    return {{"DIF", false, dif}, {"DEA", false, dea}, {"MACD", true, bar}};
}

std::vector<CIndicatorLine> Kdj(const std::vector<double>& close, const std::vector<double>& high,
                                const std::vector<double>& low)
{
    size_t n = close.size();
    std::vector<double> k(n), d(n), j(n);
    double lastK = 50, lastD = 50;
    for (size_t i = 0; i < n; ++i) {
        size_t from = i >= 8 ? i - 8 : 0;
        double hi = *std::max_element(high.begin() + (long)from, high.begin() + (long)i + 1);
        double lo = *std::min_element(low.begin() + (long)from, low.begin() + (long)i + 1);
        double rsv = hi > lo ? (close[i] - lo) / (hi - lo) * 100 : 50; // a flat range holds the middle
        lastK = (2 * lastK + rsv) / 3;
        lastD = (2 * lastD + lastK) / 3;
        k[i] = lastK;
        d[i] = lastD;
        j[i] = 3 * lastK - 2 * lastD;
    }
    return {{"K", false, k}, {"D", false, d}, {"J", false, j}};
}

std::vector<CIndicatorLine> Rsi(const std::vector<double>& close)
{
    size_t n = close.size();
    std::vector<CIndicatorLine> lines;
    for (int period : {6, 12, 24}) {
        std::vector<double> r(n, CHART_NO_VALUE);
        double up = 0, all = 0;
        for (size_t i = 1; i < n; ++i) {
            double diff = close[i] - close[i - 1];
            up = (up * (period - 1) + std::max(diff, 0.0)) / period;
            all = (all * (period - 1) + std::fabs(diff)) / period;
            r[i] = all > 0 ? up / all * 100 : 50;
        }
        lines.push_back({"RSI" + std::to_string(period), false, r});
    }
    return lines;
}

std::vector<CIndicatorLine> Boll(const std::vector<double>& close)
{
    size_t n = close.size();
    std::vector<double> mid = Average(close, 20), up(n, CHART_NO_VALUE), dn(n, CHART_NO_VALUE);
    for (size_t i = 19; i < n; ++i) {
        double var = 0;
        for (size_t k = i - 19; k <= i; ++k)
            var += (close[k] - mid[i]) * (close[k] - mid[i]);
        double sd = std::sqrt(var / 20.0);
        up[i] = mid[i] + 2 * sd;
        dn[i] = mid[i] - 2 * sd;
    }
    return {{"MID", false, mid}, {"UPPER", false, up}, {"LOWER", false, dn}};
}

} // namespace

std::vector<CIndicatorLine> ComputeIndicator(const std::string& name, const std::vector<CChartBar>& bars,
                                             double priceScale)
{
    size_t n = bars.size();
    std::vector<double> close(n), high(n), low(n), volume(n);
    for (size_t i = 0; i < n; ++i) {
        close[i] = bars[i].close / priceScale;
        high[i] = bars[i].high / priceScale;
        low[i] = bars[i].low / priceScale;
        volume[i] = (double)(bars[i].volume / 100);
    }
    std::string key = ToLower(name);
    if (key == "ma")
        return {{"MA5", false, Average(close, 5)},
                {"MA10", false, Average(close, 10)},
                {"MA20", false, Average(close, 20)}};
    if (key == "vol")
        return {{"VOL", true, volume}, {"MA5", false, Average(volume, 5)}, {"MA10", false, Average(volume, 10)}};
    if (key == "macd")
        return Macd(close);
    if (key == "kdj")
        return Kdj(close, high, low);
    if (key == "rsi")
        return Rsi(close);
    if (key == "boll")
        return Boll(close);
    return {};
}

std::vector<CRadarNote> RadarNotes(const CSecurity& s)
{
    std::vector<CRadarNote> notes;
    int high = 0;
    for (const CMarketDeal& d : s.deals) {
        std::string what;
        if (d.volume >= 7000)
            what = d.direct == 2 ? "大单卖出" : "大单买入";
        else if (d.price > high && high > 0 && d.price >= s.high)
            what = "创当日新高";
        high = std::max(high, d.price);
        if (what.empty())
            continue;
        char line[160];
        std::snprintf(line, sizeof line, "%02d:%02d %s %d股 %.*f", d.tm / 100, d.tm % 100, what.c_str(), d.volume,
                      s.decimals, s.Price(d.price));
        notes.push_back({d.tm, Gb(line)});
        if (notes.size() == 40)
            break;
    }
    return notes;
}

const CSecurity* OverlayIndex(CMarket& market, const CSecurity& s)
{
    if (s.type == KIND_INDEX)
        return nullptr;
    for (const CSecurity& other : market.Securities())
        if (other.type == KIND_INDEX && other.market == s.market)
            return &other;
    return nullptr;
}
