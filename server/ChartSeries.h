// What the stand-in server computes for the charts: candles of every period from the synthetic market (minute
// periods from the day's deals, weeks and months from the days), the technical indicators of the "tech" list
// with their textbook definitions, and the day's information notes that the radar and the time-share chart share.
#pragma once

#include "server/Market.h"

#include <string>
#include <vector>

// K-line periods as the client sends them in "type".
enum ChartPeriod : int {
    PERIOD_DAY = 0,
    PERIOD_WEEK = 1,
    PERIOD_MONTH = 2,
    PERIOD_5_MIN = 3,
    PERIOD_15_MIN = 4,
    PERIOD_30_MIN = 5,
    PERIOD_60_MIN = 6,
    PERIOD_COUNT = 7,
};
// Minute of the trading day (0..239) of a time HHMM; the lunch break does not count.
int TradingMinute(int hhmm);
// Minutes of a minute period (5, 15, 30, 60), 0 for day, week and month.
int PeriodMinutes(int period);

struct CChartBar {
    int date = 0;                               // YYYYMMDD
    int time = 0;                               // HHMM at the end of a minute bar; 0 for day, week and month
    int open = 0, high = 0, low = 0, close = 0; // in units of 10^-decimals
    int64_t volume = 0;                         // shares
    double amount = 0;
};

// Every candle of the period, oldest first: history and today for days, weeks and months (a week or month is
// dated by its last trading day), today's deals for the minute periods.
std::vector<CChartBar> BuildBars(const CSecurity& s, const CMarket& market, int period);

// The window a request asks for: with no anchor (date 0) the latest count bars; direct 1 the count bars before
// the anchor (date, and time for minute bars); direct 0 the count bars from the anchor on. first/last: the
// half-open range of indexes.
void PickWindow(const std::vector<CChartBar>& bars, int date, int time, int direct, int count, size_t* first,
                size_t* last);

// No value: a line that is not defined at a bar yet (the first bars of a moving average).
constexpr double CHART_NO_VALUE = 1e300;

struct CIndicatorLine {
    std::string name;
    bool stick = false; // drawn as bars from zero (MACD, volume)
    std::vector<double> values;
};
// The lines of an indicator over closes in yuan and volumes in lots; an empty list for an unknown name.
// MA: MA5, MA10, MA20 of the close. VOL: VOL (sticks), MA5, MA10 of the volume. MACD: DIF = EMA12 - EMA26,
// DEA = EMA9 of DIF, MACD = 2 (DIF - DEA) (sticks). KDJ: RSV over 9 bars, K and D smoothed by 1/3 from 50,
// J = 3K - 2D. RSI: RSI6, RSI12, RSI24 with Wilder's smoothing. BOLL: MID = MA20, UPPER and LOWER at two
// standard deviations of the 20 closes.
std::vector<CIndicatorLine> ComputeIndicator(const std::string& name, const std::vector<CChartBar>& bars,
                                             double priceScale);
// The simple moving average of the closes (in yuan), no value before the period is full.
std::vector<double> MovingAverage(const std::vector<CChartBar>& bars, double priceScale, size_t period);

// One information note of the day: the minute it belongs to and its text (GB2312).
struct CRadarNote {
    int tm;
    std::string text;
};
// Big deals and new highs of the day, at most 40, oldest first.
std::vector<CRadarNote> RadarNotes(const CSecurity& s);

// The index the time-share chart of a stock lays over it: the first index listed in the stock's own market, or
// null (an index itself, or a market without one).
const CSecurity* OverlayIndex(CMarket& market, const CSecurity& s);
