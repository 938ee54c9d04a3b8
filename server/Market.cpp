// The synthetic market.
#include "server/Market.h"

#include "server/ServerText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr size_t MAX_HISTORY_DAYS = 500;

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

CMarket::CMarket(uint64_t seed, int startMinute, int today)
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
        s.rng.seed(master());
        s.prevClose = Round(price * s.Scale());
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
    BuildDays();
}

void CMarket::BuildDays()
{
    for (size_t i = 0; i < securities.size(); ++i) {
        CSecurity& s = securities[i];
        BuildHistory(s, 120);
        if (s.market == 9) {
            s.fiveDay = std::round(Gauss(s.rng) * 250) / 100.0;
            s.twentyDay = std::round(Gauss(s.rng) * 500) / 100.0;
            s.yearToDate = std::round(Gauss(s.rng) * 1200) / 100.0;
        }
    }
    // One stock does not trade today; another is new and has no ratios yet.
    for (CSecurity& s : securities)
        if (s.market == MARKET_SHENZHEN && s.type == KIND_STOCK && s.code == "000071") {
            s.suspended = true;
            break;
        }
    for (CSecurity& s : securities)
        if (s.market == MARKET_SHANGHAI && s.type == KIND_STOCK && s.code == "600027") {
            s.ratiosMissing = true;
            break;
        }
    NewDay();
}

void CMarket::BuildHistory(CSecurity& s, int days)
{
    // Walk backwards from the previous close so that yesterday closes at it.
    std::vector<CMarketDay> back;
    int close = s.prevClose;
    int d = PreviousTradingDate(date);
    for (int i = 0; i < days; ++i) {
        CMarketDay day{};
        day.date = d;
        day.close = close;
        double move = Gauss(s.rng) * s.volatility * 8;
        int open = std::max(1, Round(close * (1.0 - move)));
        day.open = open;
        day.high = std::max(open, close) + Round(std::max(open, close) * std::fabs(Gauss(s.rng)) * s.volatility * 3);
        day.low = std::max(1, std::min(open, close) -
                                  Round(std::min(open, close) * std::fabs(Gauss(s.rng)) * s.volatility * 3));
        // A day is 240 minutes of the volumes StepSecurity and StepIndex trade (about 80 lots a minute for a
        // stock, 55,000 for an index), so that today's bar and the volume ratio compare with the days before.
        int perMinute = s.type == KIND_INDEX ? Uniform(s.rng, 35000, 75000) : Uniform(s.rng, 50, 115);
        day.volume = static_cast<int64_t>(100) * 240 * perMinute;
        day.amount = static_cast<double>(day.volume) * s.Price(close);
        back.push_back(day);
        close = std::max(1, Round(open * (1.0 - Gauss(s.rng) * s.volatility * 2)));
        d = PreviousTradingDate(d);
    }
    s.history.assign(back.rbegin(), back.rend());
}

void CMarket::NewDay()
{
    minute = 0;
    for (CSecurity& s : securities) {
        s.deals.clear();
        s.minutes.clear();
        s.volume = 0;
        s.amount = 0;
        s.last = s.prevClose;
        if (s.suspended) {
            s.open = s.high = s.low = 0;
        } else {
            int gap = Round(s.prevClose * Gauss(s.rng) * s.volatility * 3);
            s.open = std::max(1, s.prevClose + gap);
            s.high = s.low = s.last = s.open;
        }
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
    if (s.suspended)
        return;
    int limitUp = Round(s.prevClose * 1.1), limitDown = Round(s.prevClose * 0.9);
    int count = Uniform(s.rng, 1, 3);
    CMarketMinute m{tm, s.last, 0, 0};
    for (int k = 0; k < count; ++k) {
        int price = Round(s.last * (1.0 + Gauss(s.rng) * s.volatility));
        if (s.market != 3)
            price = std::clamp(price, limitDown, limitUp);
        price = std::max(1, price);
        int volume = 100 * Uniform(s.rng, 1, 80);
        int direct = price > s.last ? 1 : price < s.last ? 2 : Uniform(s.rng, 0, 2);
        s.deals.push_back({tm, price, volume, direct});
        s.last = price;
        s.high = std::max(s.high, price);
        s.low = std::min(s.low, price);
        s.volume += volume;
        s.amount += volume * s.Price(price);
        m.volume += volume;
        m.amount += volume * s.Price(price);
    }
    m.price = s.last;
    s.minutes.push_back(m);
    UpdateBook(s);
}

void CMarket::StepIndex(CSecurity& s, int tm)
{
    int price = std::max(1, Round(s.last * (1.0 + Gauss(s.rng) * s.volatility)));
    int volume = 100 * Uniform(s.rng, 20000, 90000);
    s.last = price;
    s.high = std::max(s.high, price);
    s.low = std::min(s.low, price);
    s.volume += volume;
    s.amount += volume * 12.5;
    s.deals.push_back({tm, price, volume, 0});
    s.minutes.push_back({tm, price, volume, volume * 12.5});
}

void CMarket::StepMinute()
{
    if (minute >= 240) {
        // The day is over: close it into the history and open the next one.
        for (CSecurity& s : securities) {
            if (!s.suspended)
                s.history.push_back({date, s.open, s.high, s.low, s.last, s.volume, s.amount});
            if (s.history.size() > MAX_HISTORY_DAYS) // a server left running keeps a bounded history
                s.history.erase(s.history.begin(), s.history.begin() + (s.history.size() - MAX_HISTORY_DAYS));
            s.prevClose = s.last;
        }
        date = NextTradingDate(date);
        NewDay();
    }
    int tm = MinuteToHHMM(minute);
    for (CSecurity& s : securities) {
        if (s.type == KIND_INDEX)
            StepIndex(s, tm);
        else
            StepSecurity(s, tm);
    }
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

const CSecurity* CMarket::FindByText(const std::string& text) const
{
    size_t dot = text.find('.');
    if (dot == std::string::npos)
        return Find(0, text);
    return Find(std::atoi(text.c_str() + dot + 1), text.substr(0, dot));
}
