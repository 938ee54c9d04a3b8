// The days of the synthetic market, derived from the seed and the date.
#include "server/MarketDays.h"

#include "server/Market.h"

#include <algorithm>
#include <cmath>

namespace {

// How far back a day's move still counts, and how much less each day further back.
constexpr int MEMORY_DAYS = 120;
constexpr double MEMORY_FADE = 0.97;
constexpr int64_t WEIGHT_ONE = 65536;
constexpr int64_t INNOVATION_ONE = 10000;
// A move is at most this many standard deviations; with the weights' sum of changes below two, a close moves at
// most five of the level's deviations a day, which the cap on that deviation keeps inside the 10 % limits.
constexpr double MOVE_LIMIT = 2.5;
constexpr double LEVEL_DEVIATION_CAP = 0.018;

enum Salt { SALT_LEVEL = 1, SALT_OPEN, SALT_HIGH, SALT_LOW, SALT_VOLUME, SALT_PATH, SALT_DAY };

uint64_t Mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

uint64_t Key(uint64_t seed, const CSecurity& s, int date, int salt)
{
    return Mix(Mix(Mix(seed) ^ s.key) ^ (static_cast<uint64_t>(date) * 16 + static_cast<uint64_t>(salt)));
}

// A standard normal number made from a key (Box-Muller on two of its mixes).
double Gauss(uint64_t key)
{
    uint64_t a = Mix(key), b = Mix(a);
    double u1 = (static_cast<double>(a >> 11) + 1.0) * 0x1.0p-53;
    double u2 = static_cast<double>(b >> 11) * 0x1.0p-53;
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
}

int Round(double v)
{
    return static_cast<int>(std::lround(v));
}

int Uniform(std::mt19937_64& rng, int lo, int hi)
{
    return lo + static_cast<int>(rng() % static_cast<uint64_t>(hi - lo + 1));
}

bool HasLimits(const CSecurity& s)
{
    return s.type != KIND_INDEX && (s.market == MARKET_SHANGHAI || s.market == MARKET_SHENZHEN);
}

bool SuspendedOn(const CSecurity& s, int date)
{
    return s.suspendedFrom != 0 && date >= s.suspendedFrom;
}

// The last date the security traded on or before date.
int LastTraded(const CSecurity& s, int date)
{
    return SuspendedOn(s, date) ? PreviousTradingDate(s.suspendedFrom) : date;
}

// count trading dates ending with date, newest first.
std::vector<int> DatesBack(int date, size_t count)
{
    std::vector<int> dates;
    dates.reserve(count);
    for (size_t i = 0; i < count; ++i, date = PreviousTradingDate(date))
        dates.push_back(date);
    return dates;
}

} // namespace

CMarketDays::CMarketDays(uint64_t s) : seed(s)
{
    for (int k = 0; k < MEMORY_DAYS; ++k)
        weights.push_back(static_cast<int64_t>(std::lround(std::pow(MEMORY_FADE, k) * WEIGHT_ONE)));
}

double CMarketDays::Draw(const CSecurity& s, int date, int salt) const
{
    return std::clamp(Gauss(Key(seed, s, date, salt)), -MOVE_LIMIT, MOVE_LIMIT);
}

int64_t CMarketDays::Innovation(const CSecurity& s, int date) const
{
    return std::llround(Draw(s, date, SALT_LEVEL) * INNOVATION_ONE);
}

int CMarketDays::LevelClose(const CSecurity& s, const int64_t* innovations) const
{
    // Whole numbers up to here, so a close is the same whichever day it is computed on.
    int64_t sum = 0;
    for (int k = 0; k < MEMORY_DAYS; ++k)
        sum += weights[static_cast<size_t>(k)] * innovations[k];
    double deviation = std::min(s.volatility * 6, LEVEL_DEVIATION_CAP);
    double level = deviation * static_cast<double>(sum) / static_cast<double>(WEIGHT_ONE * INNOVATION_ONE);
    return std::max(1, Round(s.base * std::exp(level)));
}

int CMarketDays::CloseOn(const CSecurity& s, int date) const
{
    std::vector<int64_t> moves;
    for (int d : DatesBack(LastTraded(s, date), MEMORY_DAYS))
        moves.push_back(Innovation(s, d));
    return LevelClose(s, moves.data());
}

CDayFigures CMarketDays::Figures(const CSecurity& s, int date, int prevClose, int close) const
{
    CDayFigures day;
    day.date = date;
    day.prevClose = prevClose;
    day.close = close;
    double range = s.volatility * 3;
    int limitUp = HasLimits(s) ? Round(prevClose * 1.1) : 1 << 30;
    int limitDown = HasLimits(s) ? Round(prevClose * 0.9) : 1;
    day.open = std::clamp(Round(prevClose * (1.0 + Draw(s, date, SALT_OPEN) * range)), limitDown, limitUp);
    day.open = std::max(1, day.open);
    // The day reaches beyond both ends by some way: a third of a move at least.
    int top = std::max(day.open, close), bottom = std::min(day.open, close);
    double reach = 1.0 / 3 + std::fabs(Draw(s, date, SALT_HIGH)), dip = 1.0 / 3 + std::fabs(Draw(s, date, SALT_LOW));
    day.high = std::max(top, std::min(limitUp, top + Round(top * reach * range)));
    day.low = std::min(bottom, std::max(limitDown, bottom - Round(bottom * dip * range)));
    day.low = std::max(1, day.low);
    // About 80 lots a minute for a stock, 55,000 for an index.
    double u = (Gauss(Key(seed, s, date, SALT_VOLUME)) + MOVE_LIMIT * 2) / (MOVE_LIMIT * 4);
    u = std::clamp(u, 0.0, 1.0);
    day.lotsPerMinute = s.type == KIND_INDEX ? 35000 + Round(u * 40000) : 50 + Round(u * 65);
    return day;
}

CDayFigures CMarketDays::Day(const CSecurity& s, int date) const
{
    if (SuspendedOn(s, date)) {
        CDayFigures day;
        day.date = date;
        day.prevClose = day.close = CloseOn(s, date);
        day.suspended = true;
        return day;
    }
    return Figures(s, date, CloseOn(s, PreviousTradingDate(date)), CloseOn(s, date));
}

std::vector<CMarketDay> CMarketDays::History(const CSecurity& s, int date) const
{
    // The days and the one before the oldest (its close is the oldest's previous close), each with the moves of
    // the days before it.
    size_t days = HISTORY_DAYS + 1;
    std::vector<int> dates = DatesBack(LastTraded(s, PreviousTradingDate(date)), days + MEMORY_DAYS - 1);
    std::vector<int64_t> moves;
    moves.reserve(dates.size());
    for (int d : dates)
        moves.push_back(Innovation(s, d));
    std::vector<int> closes(days);
    for (size_t j = 0; j < days; ++j)
        closes[j] = LevelClose(s, &moves[j]);
    std::vector<CMarketDay> history;
    history.reserve(HISTORY_DAYS);
    for (size_t j = days - 1; j-- > 0;)
        history.push_back(Record(s, Figures(s, dates[j], closes[j + 1], closes[j])));
    return history;
}

CMarketDay CMarketDays::Record(const CSecurity& s, const CDayFigures& day)
{
    CMarketDay record{day.date, day.open, day.high, day.low, day.close, 0, 0};
    record.volume = static_cast<int64_t>(100) * DAY_MINUTES * day.lotsPerMinute;
    double typical = (day.open + day.high + day.low + day.close) / 4.0;
    record.amount = static_cast<double>(record.volume) * (s.type == KIND_INDEX ? 12.5 : s.Price(Round(typical)));
    return record;
}

std::mt19937_64 CMarketDays::DayRandom(const CSecurity& s, int date) const
{
    return std::mt19937_64(Key(seed, s, date, SALT_DAY));
}

CDayPath CMarketDays::Path(const CSecurity& s, const CDayFigures& day) const
{
    CDayPath out;
    if (day.suspended)
        return out;
    std::mt19937_64 rng(Key(seed, s, day.date, SALT_PATH));
    std::normal_distribution<double> normal(0.0, 1.0);
    // A random walk tied down at both ends, around the line from the open to the close.
    std::vector<double> walk(DAY_MINUTES + 1, 0.0), trend(DAY_MINUTES + 1), noise(DAY_MINUTES + 1);
    for (int i = 1; i <= DAY_MINUTES; ++i)
        walk[static_cast<size_t>(i)] = walk[static_cast<size_t>(i) - 1] + normal(rng);
    for (size_t i = 0; i <= DAY_MINUTES; ++i) {
        double f = static_cast<double>(i) / DAY_MINUTES;
        trend[i] = day.open + (day.close - day.open) * f;
        noise[i] = walk[i] - f * walk[DAY_MINUTES];
    }
    // Some minute goes above the line and some below (a walk that never did gets one such minute), so that the
    // walk reaches both the high and the low.
    size_t up = static_cast<size_t>(Uniform(rng, 1, DAY_MINUTES - 1));
    size_t down = static_cast<size_t>(Uniform(rng, 1, DAY_MINUTES - 2));
    down += down >= up ? 1 : 0;
    if (*std::max_element(noise.begin() + 1, noise.end() - 1) <= 0)
        noise[up] = 1.0;
    if (*std::min_element(noise.begin() + 1, noise.end() - 1) >= 0)
        noise[down] = -1.0;
    // The moves above the line are stretched so that the highest reaches the high, those below so that the
    // lowest reaches the low: the walk keeps its shape.
    double above = 1e300, below = 1e300;
    for (size_t i = 1; i < DAY_MINUTES; ++i) {
        if (noise[i] > 0)
            above = std::min(above, (day.high - trend[i]) / noise[i]);
        if (noise[i] < 0)
            below = std::min(below, (trend[i] - day.low) / -noise[i]);
    }
    out.path.resize(DAY_MINUTES + 1);
    for (size_t i = 0; i <= DAY_MINUTES; ++i) {
        double x = trend[i] + noise[i] * (noise[i] > 0 ? above : below);
        out.path[i] = std::clamp(Round(x), day.low, day.high);
    }
    out.path.front() = day.open;
    out.path.back() = day.close;
    // Lots that vary from minute to minute yet add up to the day's: each minute takes from the next what it adds.
    int m = day.lotsPerMinute, swing = (m - 2) / 2;
    std::vector<int> shift(DAY_MINUTES + 1, 0);
    for (int i = 1; i < DAY_MINUTES; ++i)
        shift[static_cast<size_t>(i)] = Uniform(rng, -swing, swing);
    for (int i = 0; i < DAY_MINUTES; ++i)
        out.lots.push_back(m + shift[static_cast<size_t>(i) + 1] - shift[static_cast<size_t>(i)]);
    return out;
}
