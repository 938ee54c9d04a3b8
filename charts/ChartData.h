// The data of the two charts as the server sends them: the time-share minutes of one day (with the market index
// and the information minutes) and the K-line bars of one period (with their moving averages and the chosen
// indicator's lines). Readers take columns by name; a missing column or the "no value" mark reads as no value.
#pragma once

#include "core/ReplyRecordSet.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

// No value: a column the reply lacks, or 999999999.
constexpr double CHART_NONE = std::numeric_limits<double>::quiet_NaN();
inline bool HasValue(double v)
{
    return !std::isnan(v);
}

// The security a chart reply is about (its first set).
struct ChartSecurity {
    std::string code; // 8-bit
    std::string name; // 8-bit
    int market = 0;
    int type = 0;
    double prevClose = CHART_NONE;
    int decimals = 2;
};

struct FSPoint {
    int tm = 0; // HHMM, the minute's start
    double price = CHART_NONE;
    double volume = CHART_NONE; // lots
    double average = CHART_NONE;
    double amount = CHART_NONE;
    int infoId = 0; // the radar id of the minute's information notes, 0 without
};

struct FSIndexPoint {
    int tm = 0;
    double price = CHART_NONE;
};

class CFSData {
public:
    // Minutes of the trading day (09:30-11:30, 13:00-15:00) and the slot of a minute, -1 outside.
    static constexpr int DAY_MINUTES = 240;
    static int SlotOf(int hhmm);
    static int TimeOfSlot(int slot);

    // Reads a reply; with addUp the minutes replace those shown from the first one received on, otherwise the
    // whole day is replaced. Returns the number of minutes held.
    int Load(CReplyRecordSet& reply, bool addUp);
    // Whether a reply to a request for the minutes from askedFrom on (0: the whole day) answers another day than
    // the one held: its day or its previous close differs, or it lacks the minute asked from, which the day held
    // has (the server has begun a new day, or its market started again).
    bool IsAnotherDay(CReplyRecordSet& reply, int askedFrom) const;
    void Clear();
    bool IsEmpty() const { return points.empty(); }
    // The minute shown at a slot, or null.
    const FSPoint* PointAtSlot(int slot) const;
    int LastTime() const { return points.empty() ? 0 : points.back().tm; }

    ChartSecurity security;
    int date = 0; // YYYYMMDD of the minutes held; 0 when the server did not say
    std::vector<FSPoint> points;
    std::vector<FSIndexPoint> index; // the market index laid over a stock
    double indexPrevClose = CHART_NONE;
    std::string indexCode;
};

struct KXBar {
    int date = 0; // YYYYMMDD
    int time = 0; // HHMM for minute bars, 0 otherwise
    double open = CHART_NONE, high = CHART_NONE, low = CHART_NONE, close = CHART_NONE;
    double volume = CHART_NONE; // lots
    double amount = CHART_NONE;
    double averages[3] = {CHART_NONE, CHART_NONE, CHART_NONE};
    std::vector<double> lines; // the indicator's lines, in techLines order
};

class CKXData {
public:
    enum LoadMode { REPLACE, EARLIER, LATEST };
    // REPLACE: the reply is the whole chart. EARLIER: its bars go before those held (bars not before the first
    // held one are dropped). LATEST: its bars replace those held from its first bar on. Returns the number of
    // bars added in front (EARLIER) or held (otherwise).
    int Load(CReplyRecordSet& reply, LoadMode mode);
    // Whether a reply to a request for the latest minute bars answers another day than the bars held: its previous
    // close differs, or its first bar comes after the last one held on a later date (the bars between are missing).
    bool IsAnotherDay(CReplyRecordSet& reply) const;
    void Clear();
    bool IsEmpty() const { return bars.empty(); }

    ChartSecurity security;
    std::vector<KXBar> bars;
    std::string averageNames[3];
    std::vector<std::string> techLines;
    std::vector<bool> techSticks; // drawn as bars from zero
};

// A column of the current row as a number: quote numbers by value (with their unit for amounts), integers as
// they are; CHART_NONE for a missing field or the "no value" mark.
double ChartNumber(CDataSet* set, int field);
