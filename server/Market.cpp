// The synthetic market.
#include "server/Market.h"

#include "server/ServerText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

struct NamePart {
    const char* text;
    const char* initials;
};

const NamePart REGIONS[] = {{"东海", "DH"}, {"华北", "HB"}, {"江南", "JN"}, {"西岭", "XL"},
                            {"南山", "NS"}, {"北辰", "BC"}, {"中原", "ZY"}, {"天河", "TH"},
                            {"金山", "JS"}, {"青云", "QY"}, {"海峡", "HX"}, {"明珠", "MZ"}};
const NamePart TRADES[] = {{"银行", "YH"}, {"钢铁", "GT"}, {"电力", "DL"}, {"医药", "YY"}, {"汽车", "QC"},
                           {"地产", "DC"}, {"证券", "ZQ"}, {"科技", "KJ"}, {"航运", "HY"}, {"煤业", "MY"},
                           {"食品", "SP"}, {"化工", "HG"}, {"建设", "JS"}, {"能源", "NY"}, {"传媒", "CM"}};

int DaysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0))
        return 29;
    return days[m - 1];
}

// Day of week, 0 = Sunday.
int Weekday(int y, int m, int d)
{
    static const int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (m < 3)
        y -= 1;
    return (y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7;
}

int ShiftDay(int date, int delta)
{
    int y = date / 10000, m = date / 100 % 100, d = date % 100;
    d += delta;
    while (d < 1) {
        if (--m < 1) {
            m = 12;
            --y;
        }
        d += DaysInMonth(y, m);
    }
    while (d > DaysInMonth(y, m)) {
        d -= DaysInMonth(y, m);
        if (++m > 12) {
            m = 1;
            ++y;
        }
    }
    return y * 10000 + m * 100 + d;
}

bool IsWeekend(int date)
{
    int w = Weekday(date / 10000, date / 100 % 100, date % 100);
    return w == 0 || w == 6;
}

double Gauss(std::mt19937_64& rng)
{
    std::normal_distribution<double> n(0.0, 1.0);
    return n(rng);
}

int Uniform(std::mt19937_64& rng, int lo, int hi)
{
    return lo + static_cast<int>(rng() % static_cast<uint64_t>(hi - lo + 1));
}

int Round(double v)
{
    return static_cast<int>(std::lround(v));
}

} // namespace

int NextTradingDate(int date)
{
    do
        date = ShiftDay(date, 1);
    while (IsWeekend(date));
    return date;
}

int PreviousTradingDate(int date)
{
    do
        date = ShiftDay(date, -1);
    while (IsWeekend(date));
    return date;
}

int TradingDaysBefore(int date, int n)
{
    for (int i = 0; i < n; ++i)
        date = PreviousTradingDate(date);
    return date;
}

double CSecurity::Scale() const
{
    return decimals == 3 ? 1000.0 : 100.0;
}

double CSecurity::ChangePercent() const
{
    if (prevClose == 0)
        return 0;
    return std::round(static_cast<double>(Change()) * 10000.0 / prevClose) / 100.0;
}

double CSecurity::AveragePrice() const
{
    // An index's amount and volume add up its stocks' (money over shares is no index level): its average is its
    // level, as in its time-share.
    if (volume <= 0 || type == KIND_INDEX)
        return Price(last);
    return amount / static_cast<double>(volume);
}

double CSecurity::OrderRatio() const
{
    double bids = 0, asks = 0;
    for (int i = 0; i < 5; ++i) {
        bids += bidVolume[i];
        asks += askVolume[i];
    }
    if (bids + asks <= 0)
        return 0;
    return std::round((bids - asks) * 10000.0 / (bids + asks)) / 100.0;
}

double CSecurity::VolumeRatio(int minutesElapsed) const
{
    if (history.empty() || minutesElapsed <= 0)
        return 0;
    size_t n = std::min<size_t>(5, history.size());
    double sum = 0;
    for (size_t i = history.size() - n; i < history.size(); ++i)
        sum += static_cast<double>(history[i].volume);
    double perMinute = sum / static_cast<double>(n) / 240.0;
    if (perMinute <= 0)
        return 0;
    return std::round(static_cast<double>(volume) / minutesElapsed / perMinute * 100.0) / 100.0;
}

CMarket::CMarket(uint64_t seed, int startMinute, int today) : days(seed)
{
    date = IsWeekend(today) ? PreviousTradingDate(today) : today;
    Build(seed);
    startMinute = std::clamp(startMinute, 0, 240);
    for (int i = 0; i < startMinute; ++i)
        StepMinute();
    stepsDone = 0; // the clock counts from the start of the server, not of the day
}

int CMarket::MinuteToHHMM(int m)
{
    if (m < 0)
        m = 0;
    if (m < 120)
        return (9 + (30 + m) / 60) * 100 + (30 + m) % 60;
    m -= 120;
    if (m >= 120)
        return 1500;
    return (13 + m / 60) * 100 + m % 60;
}

int CMarket::GetTimeHHMM() const
{
    return minute == 0 ? 930 : MinuteToHHMM(minute - 1);
}

void CMarket::Build(uint64_t seed)
{
    std::mt19937_64 master(seed);
    auto add = [&](int market, int type, const std::string& code, const std::string& nameUtf8,
                   const std::string& pinyin, int decimals, double price) {
        CSecurity s;
        s.market = market;
        s.type = type;
        s.code = code;
        s.name = Gb(nameUtf8);
        s.pinyin = pinyin;
        s.decimals = decimals;
        s.key = master();
        s.base = Round(price * s.Scale());
        s.volatility = type == KIND_INDEX ? 0.0008 : 0.0015 + (master() % 20) / 10000.0;
        securities.push_back(std::move(s));
    };

    // Domestic indices first: the index tables list them in this order.
    add(MARKET_SHANGHAI, KIND_INDEX, "000001", "上证指数", "SZZS", 2, 3100 + master() % 400);
    add(MARKET_SHENZHEN, KIND_INDEX, "399001", "深证成指", "SZCZ", 2, 10000 + master() % 2000);
    add(MARKET_SHANGHAI, KIND_INDEX, "000300", "沪深300", "HS300", 2, 3600 + master() % 500);
    add(MARKET_SHENZHEN, KIND_INDEX, "399006", "创业板指", "CYBZ", 2, 2000 + master() % 400);
    add(MARKET_SHANGHAI, KIND_INDEX, "000016", "上证50", "SZ50", 2, 2500 + master() % 300);
    add(MARKET_SHENZHEN, KIND_INDEX, "399005", "中小板指", "ZXBZ", 2, 6500 + master() % 800);

    // Stocks: names are region + trade, so their initials are the initials of the two parts.
    int shanghai = 0, shenzhen = 0;
    for (int i = 0; i < 54; ++i) {
        const NamePart& r = REGIONS[(i * 7) % 12];
        const NamePart& t = TRADES[(i * 4 + i / 12) % 15];
        std::string name = std::string(r.text) + t.text;
        std::string pinyin = std::string(r.initials) + t.initials;
        char code[16];
        int market;
        if (i % 2 == 0) {
            market = MARKET_SHANGHAI;
            std::snprintf(code, sizeof code, "60%04d", 10 + shanghai * 17);
            ++shanghai;
        } else {
            market = MARKET_SHENZHEN;
            std::snprintf(code, sizeof code, "00%04d", 2 + shenzhen * 23);
            ++shenzhen;
        }
        double price = 3.0 + static_cast<double>(master() % 4500) / 100.0;
        add(market, KIND_STOCK, code, name, pinyin, 2, price);
    }
    // Two funds traded on the exchanges.
    add(MARKET_SHANGHAI, KIND_FUND, "510050", "上证五零ETF", "SZWLETF", 3, 2.5 + (master() % 100) / 100.0);
    add(MARKET_SHENZHEN, KIND_FUND, "159901", "深证一百ETF", "SZYBETF", 3, 3.5 + (master() % 100) / 100.0);
    // Hong Kong.
    add(MARKET_HONG_KONG, KIND_STOCK, "000005", "港联控股", "GLKG", 3, 60 + master() % 20);
    add(MARKET_HONG_KONG, KIND_STOCK, "000388", "太平置业", "TPZY", 3, 250 + master() % 80);
    add(MARKET_HONG_KONG, KIND_STOCK, "000700", "维港科技", "WGKJ", 3, 300 + master() % 100);
    add(MARKET_HONG_KONG, KIND_STOCK, "000941", "九龙通信", "JLTX", 3, 70 + master() % 10);
    add(MARKET_HONG_KONG, KIND_INDEX, "00HSI0", "恒生指数", "HSZS", 2, 18000 + master() % 3000);
    // The two Hong Kong indices of a new user's own stock list.
    add(MARKET_HONG_KONG, KIND_INDEX, "100100", "国企指数", "GQZS", 2, 6200 + master() % 800);
    add(MARKET_HONG_KONG, KIND_INDEX, "101400", "红筹指数", "HCZS", 2, 3700 + master() % 500);
    // World indices (market 9 is shown only in the world table).
    add(9, KIND_INDEX, "DJI000", "道琼斯", "DQS", 2, 36000 + master() % 3000);
    add(9, KIND_INDEX, "IXIC00", "纳斯达克", "NSDK", 2, 14000 + master() % 2000);
    add(9, KIND_INDEX, "SPX000", "标普500", "BP500", 2, 4500 + master() % 500);
    add(9, KIND_INDEX, "N22500", "日经225", "RJ225", 2, 32000 + master() % 3000);
    add(9, KIND_INDEX, "FTSE00", "富时100", "FS100", 2, 7400 + master() % 400);
    add(9, KIND_INDEX, "GDAXI0", "德国DAX", "DGDAX", 2, 15500 + master() % 1000);
    add(9, KIND_INDEX, "FCHI00", "法国CAC40", "FGCAC40", 2, 7100 + master() % 400);
    add(9, KIND_INDEX, "KS1100", "韩国综合", "HGZH", 2, 2500 + master() % 200);
    // One stock has not traded since the first of December 2025; another is new and has no ratios yet.
    for (CSecurity& s : securities) {
        if (s.market == MARKET_SHENZHEN && s.type == KIND_STOCK && s.code == "000071")
            s.suspendedFrom = 20251201;
        if (s.market == MARKET_SHANGHAI && s.type == KIND_STOCK && s.code == "600027")
            s.ratiosMissing = true;
    }
    NewDay();
}

void CMarket::NewDay()
{
    minute = 0;
    for (CSecurity& s : securities) {
        CDayFigures day = days.Day(s, date);
        s.history = days.History(s, date);
        s.plan = days.Path(s, day);
        s.rng = days.DayRandom(s, date);
        s.suspended = day.suspended;
        s.prevClose = day.prevClose;
        s.deals.clear();
        s.minutes.clear();
        s.volume = 0;
        s.amount = 0;
        s.open = day.open;
        s.high = s.low = day.open;
        s.last = day.suspended ? day.prevClose : day.open;
        s.dayHigh = day.high;
        s.dayLow = day.low;
        UpdateBook(s);
    }
}

void CMarket::UpdateBook(CSecurity& s)
{
    if (s.type == KIND_INDEX || s.suspended) {
        for (int i = 0; i < 5; ++i)
            s.bidPrice[i] = s.askPrice[i] = s.bidVolume[i] = s.askVolume[i] = 0;
        return;
    }
    int tick = s.decimals == 3 ? 5 : 1;
    for (int i = 0; i < 5; ++i) {
        s.bidPrice[i] = std::max(tick, s.last - tick * (i + 1) + (i == 0 ? tick : 0));
        s.askPrice[i] = s.last + tick * (i + 1);
        s.bidVolume[i] = 100 * Uniform(s.rng, 1, 600);
        s.askVolume[i] = 100 * Uniform(s.rng, 1, 600);
    }
}

void CMarket::StepSecurity(CSecurity& s, int tm)
{
    if (s.suspended || s.plan.path.empty())
        return;
    // The minute goes from the last price to the plan's; the day's first deal trades at the open.
    size_t i = static_cast<size_t>(minute);
    int from = s.plan.path[i], to = s.plan.path[i + 1], lots = s.plan.lots[i];
    bool index = s.type == KIND_INDEX;
    int count = std::min(index ? 1 : Uniform(s.rng, 1, 3), lots);
    if (i == 0)
        count = std::max(count, 2);
    CMarketMinute m{tm, to, 0, 0};
    int left = lots;
    for (int k = 0; k < count; ++k) {
        int price = to;
        if (k == 0 && i == 0)
            price = from;
        else if (k < count - 1)
            price = std::clamp(Round(from + (to - from) * (k + 1.0) / count + Gauss(s.rng) * from * s.volatility / 2),
                               s.dayLow, s.dayHigh);
        int share = k < count - 1 ? 1 + Uniform(s.rng, 0, left - (count - k)) : left;
        left -= share;
        int volume = 100 * share;
        int direct = index ? 0 : price > s.last ? 1 : price < s.last ? 2 : Uniform(s.rng, 0, 2);
        double amount = index ? volume * 12.5 : volume * s.Price(price);
        s.deals.push_back({tm, price, volume, direct});
        s.last = price;
        s.high = std::max(s.high, price);
        s.low = std::min(s.low, price);
        s.volume += volume;
        s.amount += amount;
        m.volume += volume;
        m.amount += amount;
    }
    s.minutes.push_back(m);
    UpdateBook(s);
}

void CMarket::StepMinute()
{
    if (minute >= 240) {
        // The day is over: the next one begins, its history now ending with the day just closed.
        date = NextTradingDate(date);
        NewDay();
    }
    int tm = MinuteToHHMM(minute);
    for (CSecurity& s : securities)
        StepSecurity(s, tm);
    ++minute;
    ++stepsDone;
}

void CMarket::AdvanceTo(int64_t target)
{
    while (stepsDone < target)
        StepMinute();
}

const CSecurity* CMarket::Find(int market, const std::string& code) const
{
    for (const CSecurity& s : securities)
        if ((market == 0 || s.market == market) && EqualNoCase(s.code, code))
            return &s;
    return nullptr;
}

double CMarket::ChangeSince(const CSecurity& s, int past) const
{
    int close = days.CloseOn(s, past);
    if (close <= 0)
        return 0;
    return std::round(static_cast<double>(s.last - close) * 10000.0 / close) / 100.0;
}

const CSecurity* CMarket::FindByText(const std::string& text) const
{
    size_t dot = text.find('.');
    if (dot == std::string::npos)
        return Find(0, text);
    return Find(std::atoi(text.c_str() + dot + 1), text.substr(0, dot));
}
