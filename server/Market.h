// The synthetic market of the stand-in server: stocks of the two domestic exchanges (Shenzhen 1, Shanghai 2) and
// Hong Kong (3), domestic and world indices, their books, deals, minutes and daily history, each day derived from
// the seed and its date (MarketDays.h). One step is one trading minute (09:30-11:30, 13:00-15:00); after 15:00 the
// next day begins.
#pragma once

#include "server/MarketDays.h"

#include <cstdint>
#include <mutex>
#include <random>
#include <shared_mutex>
#include <string>
#include <vector>

struct CMarketDeal {
    int tm;     // HHMM
    int price;  // in units of 10^-decimals
    int volume; // shares
    int direct; // 0 none, 1 buy, 2 sell
};

struct CMarketMinute {
    int tm;
    int price;
    int volume; // shares in that minute
    double amount;
};

struct CMarketDay {
    int date; // YYYYMMDD
    int open, high, low, close;
    int64_t volume;
    double amount;
};

enum SecurityKind { KIND_STOCK = 1, KIND_INDEX = 2, KIND_FUND = 3 };
// Market numbers: a new user's own stock list holds 399001.01, 000001.02, 100100.03 and 101400.03.
enum MarketNumber { MARKET_SHENZHEN = 1, MARKET_SHANGHAI = 2, MARKET_HONG_KONG = 3, MARKET_WORLD = 9 };

struct CSecurity {
    int market = MARKET_SHENZHEN; // MarketNumber
    int type = KIND_STOCK;
    std::string code;   // six digits
    std::string name;   // GB2312
    std::string pinyin; // upper-case initials of the name
    int decimals = 2;
    uint64_t key = 0; // drawn from the seed: the security's own share of every day's numbers
    int base = 0;     // the level its closes wander around
    int suspendedFrom = 0; // YYYYMMDD: no trading on this day and after; 0 never
    int prevClose = 0, open = 0, high = 0, low = 0, last = 0;
    int64_t volume = 0; // shares (index: lots of its constituents)
    double amount = 0;  // yuan
    int bidPrice[5] = {}, bidVolume[5] = {}, askPrice[5] = {}, askVolume[5] = {};
    bool suspended = false;     // no trading today: open 0
    bool ratiosMissing = false; // order and volume ratio carry the no-value mark
    double volatility = 0.002;
    std::vector<CMarketDeal> deals;
    std::vector<CMarketMinute> minutes;
    std::vector<CMarketDay> history; // oldest first, today excluded
    CDayPath plan;                   // today's minutes, from the open to the close
    int dayHigh = 0, dayLow = 0;     // where today's deals will have reached by the close
    std::mt19937_64 rng;             // today's other draws

    double Scale() const;
    double Price(int units) const { return units / Scale(); }
    int Change() const { return last - prevClose; }
    // change / previous close x 100, rounded to two decimals (0 for no previous close)
    double ChangePercent() const;
    double AveragePrice() const;
    double OrderRatio() const;
    double VolumeRatio(int minutesElapsed) const;
};

class CMarket {
public:
    // startMinute: trading minutes already done when the server starts (0..240); today: YYYYMMDD.
    CMarket(uint64_t seed, int startMinute, int today);

    // Runs the market forward until the given number of minutes has passed since construction (never backwards).
    void AdvanceTo(int64_t minutesSinceStart);
    int64_t GetStepsDone() const { return stepsDone; }
    int GetMinuteOfDay() const { return minute; } // trading minutes done today, 0..240
    int GetTimeHHMM() const;                      // time of the last finished minute
    int GetDate() const { return date; }

    static int MinuteToHHMM(int minuteIndex); // 0 -> 930, 119 -> 1129, 120 -> 1300, 239 -> 1459

    std::vector<CSecurity>& Securities() { return securities; }
    const CSecurity* Find(int market, const std::string& code) const;
    // Finds by "code", "code.m" or "code.0m"; market 0 means any.
    const CSecurity* FindByText(const std::string& codeText) const;
    // The change of the latest price since the close of a past trading date, in percent (two decimals).
    double ChangeSince(const CSecurity& s, int date) const;

    // Readers hold the shared lock, AdvanceTo takes it exclusively.
    std::shared_mutex& Lock() { return lock; }

private:
    void Build(uint64_t seed);
    void StepMinute();
    void StepSecurity(CSecurity& s, int tm);
    void UpdateBook(CSecurity& s);
    // Today's figures, history and minute plan of every security.
    void NewDay();

    CMarketDays days;
    std::vector<CSecurity> securities;
    int minute = 0;
    int date = 0;
    int64_t stepsDone = 0;
    std::shared_mutex lock;
};

int NextTradingDate(int yyyymmdd);
int PreviousTradingDate(int yyyymmdd);
// The trading date n trading days before the date.
int TradingDaysBefore(int yyyymmdd, int n);
