// Each day of the synthetic market follows from the seed and the date alone: a security's close wanders around its
// base as a weighted sum of the last days' random moves, and its open, high, low, volume and the path of its minutes
// from the open to the close come from numbers drawn for that day. A server started on any day, or again after a
// restart, gives every day, past or present, the same figures.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

struct CSecurity;
struct CMarketDay;

// A security's figures on one trading day, in units of its decimals. On a day it does not trade, open, high and
// low are 0 and the close is the previous close.
struct CDayFigures {
    int date = 0;
    int prevClose = 0, open = 0, high = 0, low = 0, close = 0;
    int lotsPerMinute = 0; // the day trades 240 minutes of this many lots on average
    bool suspended = false;
};

// The minutes of a day: path[0] is the open, path[i + 1] the price at the end of minute i (path[240] the close);
// lots[i] the lots minute i trades, adding up to 240 x lotsPerMinute. The path's highest and lowest points are
// the day's high and low.
struct CDayPath {
    std::vector<int> path;
    std::vector<int> lots;
};

class CMarketDays {
public:
    static constexpr int HISTORY_DAYS = 120; // the daily candles before today
    static constexpr int DAY_MINUTES = 240;

    explicit CMarketDays(uint64_t seed);

    CDayFigures Day(const CSecurity& s, int date) const;
    // The close of a trading date (the last close before it when the security was suspended that day).
    int CloseOn(const CSecurity& s, int date) const;
    // The HISTORY_DAYS days the security traded before date, oldest first.
    std::vector<CMarketDay> History(const CSecurity& s, int date) const;
    // The day's record as the history keeps it.
    static CMarketDay Record(const CSecurity& s, const CDayFigures& day);
    CDayPath Path(const CSecurity& s, const CDayFigures& day) const;
    // The generator of the day's other draws (deal counts and splits, the book).
    std::mt19937_64 DayRandom(const CSecurity& s, int date) const;

private:
    // The day's move of the security's level, a whole number of 1/10000 standard deviations.
    int64_t Innovation(const CSecurity& s, int date) const;
    int LevelClose(const CSecurity& s, const int64_t* innovations) const;
    double Draw(const CSecurity& s, int date, int salt) const;
    CDayFigures Figures(const CSecurity& s, int date, int prevClose, int close) const;

    uint64_t seed;
    std::vector<int64_t> weights; // of the days back, in 1/65536
};
