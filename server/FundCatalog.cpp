// Funds, fund companies and cash-management products of the stand-in server, with their daily net values.
#include "server/FundCatalog.h"

#include "server/Market.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

// Net values walk from this trading day on; earlier dates take the starting value.
constexpr int FIRST_DAY = 20240102;
constexpr int LAST_DAY = 20991231;

double Round4(double v)
{
    return std::round(v * 10000.0) / 10000.0;
}

} // namespace

CFundCatalog::CFundCatalog(uint64_t s) : seed(s)
{
    companies = {{"11", "长风基金"}, {"22", "青岳基金"}, {"33", "启明星基金"}, {"44", "海澜基金"}};
    struct Kind {
        const char* suffix;
        int type;
        double drift, volatility, fee;
        int risk;
    };
    const Kind kinds[] = {{"成长股票", 1, 0.0004, 0.015, 1.5, 5},    {"稳健混合", 2, 0.0003, 0.010, 1.5, 4},
                          {"增利债券", 3, 0.00015, 0.0012, 0.8, 2},  {"货币A", 4, 0, 0, 0, 1},
                          {"沪深300指数", 5, 0.0002, 0.013, 1.2, 4}, {"新锐混合", 2, 0, 0, 1.2, 4}};
    std::mt19937_64 rng(seed * 7919 + 17);
    for (size_t c = 0; c < companies.size(); ++c) {
        const std::string prefix = companies[c].name.substr(0, companies[c].name.size() - std::string("基金").size());
        for (size_t k = 0; k < 6; ++k) {
            CFundInfo f;
            f.code = "16" + companies[c].tacode.substr(0, 1) + std::to_string(c + 1) + "0" + std::to_string(k + 1);
            f.name = prefix + kinds[k].suffix;
            f.tacode = companies[c].tacode;
            f.type = kinds[k].type;
            f.drift = kinds[k].drift * (0.5 + static_cast<double>(rng() % 100) / 100.0);
            f.volatility = kinds[k].volatility;
            f.feePercent = kinds[k].fee;
            f.risk = kinds[k].risk;
            f.baseNav = kinds[k].type == 4 || k == 5 ? 1.0 : Round4(0.8 + static_cast<double>(rng() % 2000) / 1000.0);
            if (k == 5)
                f.state = FUND_SUBSCRIPTION; // a new fund: subscription only, at 1.0000
            if (c == 1 && k == 0)
                f.state = FUND_PURCHASE_SUSPENDED;
            if (k == 3)
                f.minimumFen = 10000; // money market: from 100 yuan
            funds.push_back(f);
        }
    }
    for (int i = 0; i < 6; ++i) {
        CCashProduct p;
        p.code = "QL0" + std::to_string(101 + i);
        p.name = "稳利" + std::to_string(i + 1) + "号";
        p.days = 14 * (i + 1);
        p.yieldPercent = 2.1 + 0.15 * i;
        p.soldOut = i == 5;
        products.push_back(p);
    }
}

const CFundInfo* CFundCatalog::Find(const std::string& code) const
{
    for (const CFundInfo& f : funds)
        if (f.code == code)
            return &f;
    return nullptr;
}

const CFundCompany* CFundCatalog::Company(const std::string& tacode) const
{
    for (const CFundCompany& c : companies)
        if (c.tacode == tacode)
            return &c;
    return nullptr;
}

const CCashProduct* CFundCatalog::Product(const std::string& code) const
{
    for (const CCashProduct& p : products)
        if (p.code == code)
            return &p;
    return nullptr;
}

int CFundCatalog::DayIndexLocked(int date) const
{
    if (date < FIRST_DAY)
        return -1;
    date = std::min(date, LAST_DAY); // a date from a damaged file must not walk for ever
    if (days.empty())
        days.push_back(FIRST_DAY);
    while (days.back() < date)
        days.push_back(NextTradingDate(days.back()));
    auto it = std::upper_bound(days.begin(), days.end(), date);
    return static_cast<int>(it - days.begin()) - 1;
}

double CFundCatalog::NavLocked(const CFundInfo& fund, int index) const
{
    if (index < 0 || fund.state == FUND_SUBSCRIPTION || fund.type == 4)
        return fund.baseNav;
    std::vector<double>& walk = walks[fund.code];
    if (walk.empty())
        walk.push_back(fund.baseNav);
    if (static_cast<int>(walk.size()) <= index) {
        // Each fund draws its own steps in day order, so a value never depends on which dates were asked first.
        std::mt19937_64 rng(seed ^ (std::hash<std::string>()(fund.code) * 31));
        rng.discard(walk.size());
        double nav = walk.back();
        while (static_cast<int>(walk.size()) <= index) {
            // A distribution of its own each day: a shared one would carry a cached draw across calls.
            std::mt19937_64 day(rng());
            std::normal_distribution<double> n(0.0, 1.0);
            nav = std::max(0.1, nav * (1.0 + fund.drift + fund.volatility * n(day)));
            walk.push_back(Round4(nav));
        }
    }
    return walk[static_cast<size_t>(index)];
}

double CFundCatalog::Nav(const CFundInfo& fund, int date) const
{
    std::lock_guard<std::mutex> guard(walkLock);
    return NavLocked(fund, DayIndexLocked(date));
}

int CFundCatalog::PublishedDate(int date, int minuteOfDay)
{
    return minuteOfDay >= 240 ? date : PreviousTradingDate(date);
}

double CFundCatalog::Change(const CFundInfo& fund, int date, int tradingDays) const
{
    std::lock_guard<std::mutex> guard(walkLock);
    int index = DayIndexLocked(date);
    double now = NavLocked(fund, index);
    double before = NavLocked(fund, std::max(-1, index - tradingDays));
    return before > 0 ? std::round((now / before - 1.0) * 10000.0) / 100.0 : 0;
}

double CFundCatalog::YearChange(const CFundInfo& fund, int date) const
{
    int yearEnd = PreviousTradingDate((date / 10000) * 10000 + 101);
    double before = Nav(fund, yearEnd);
    return before > 0 ? std::round((Nav(fund, date) / before - 1.0) * 10000.0) / 100.0 : 0;
}

int CFundCatalog::Rating(const CFundInfo& fund, int date) const
{
    if (fund.state == FUND_SUBSCRIPTION || fund.type == 4)
        return 0;
    std::vector<double> others;
    for (const CFundInfo& f : funds)
        if (f.state != FUND_SUBSCRIPTION && f.type != 4)
            others.push_back(Change(f, date, 250));
    double mine = Change(fund, date, 250);
    size_t below = static_cast<size_t>(std::count_if(others.begin(), others.end(), [&](double v) { return v < mine; }));
    return 1 + static_cast<int>(below * 5 / others.size());
}

std::string CFundCatalog::SubscriptionPeriod(int date)
{
    int start = date, end = date;
    for (int i = 0; i < 5; ++i)
        start = PreviousTradingDate(start);
    for (int i = 0; i < 10; ++i)
        end = NextTradingDate(end);
    return std::to_string(start) + "-" + std::to_string(end);
}

const char* CFundCatalog::TypeName(int type)
{
    static const char* const names[] = {"股票型", "混合型", "债券型", "货币型", "指数型"};
    return type >= 1 && type <= 5 ? names[type - 1] : "其他";
}

const char* CFundCatalog::RiskName(int risk)
{
    static const char* const names[] = {"低风险", "中低风险", "中风险", "中高风险", "高风险"};
    return risk >= 1 && risk <= 5 ? names[risk - 1] : "中风险";
}

std::string CFundCatalog::RiskNotice(const std::string& companyName)
{
    std::string who = companyName.empty() ? "基金管理人" : companyName;
    return "尊敬的投资者：\r\n"
           "在您开立" +
           who +
           "基金账户之前，请仔细阅读以下内容：\r\n"
           "一、基金投资有风险。基金的过往业绩并不预示其未来表现，基金管理人管理的其他基金的业绩并不构成本基金业绩表现"
           "的保证。\r\n"
           "二、基金管理人承诺以诚实信用、勤勉尽责的原则管理和运用基金资产，但不保证基金一定盈利，也不保证最低收益。\r"
           "\n"
           "三、投资者应认真阅读基金合同、招募说明书等法律文件，了解基金的风险收益特征，并根据自身的投资目的、投资期限"
           "、"
           "投资经验、资产状况等判断基金是否和自身的风险承受能力相适应。\r\n"
           "四、基金净值每个交易日收市后公布，申购、赎回以当日收市后公布的基金净值确认，当日15:00前的委托可以撤销。\r\n"
           "五、投资者在开户时应提供真实、准确、完整的身份资料。\r\n"
           "点击“确定”即表示您已阅读并理解上述风险提示。";
}
