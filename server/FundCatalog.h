// The open-end funds and cash-management products of the stand-in server: fund companies, their funds with net
// values that move once a trading day (derived from the seed), period changes, ratings and states.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

enum FundState { FUND_OPEN = 0, FUND_SUBSCRIPTION = 1, FUND_PURCHASE_SUSPENDED = 2 };

struct CFundCompany {
    std::string tacode;
    std::string name; // UTF-8
};

struct CFundInfo {
    std::string code;
    std::string name; // UTF-8
    std::string tacode;
    int type = 1; // 1 stock, 2 mixed, 3 bond, 4 money market, 5 index
    int state = FUND_OPEN;
    double baseNav = 1.0;
    double drift = 0; // daily
    double volatility = 0;
    double feePercent = 1.5;
    int64_t minimumFen = 100000; // 1000 yuan
    int risk = 3;                // 1 low .. 5 high
};

struct CCashProduct {
    std::string code;
    std::string name; // UTF-8
    int days = 14;
    double yieldPercent = 2.0;
    int64_t minimumFen = 5000000;
    bool soldOut = false;
};

class CFundCatalog {
public:
    explicit CFundCatalog(uint64_t seed);

    const std::vector<CFundCompany>& Companies() const { return companies; }
    const std::vector<CFundInfo>& Funds() const { return funds; }
    const std::vector<CCashProduct>& CashProducts() const { return products; }
    const CFundInfo* Find(const std::string& code) const;
    const CFundCompany* Company(const std::string& tacode) const;
    const CCashProduct* Product(const std::string& code) const;

    // The net value fixed at the close of a trading date (4 decimals).
    double Nav(const CFundInfo& fund, int date) const;
    // The date of the latest published net value: today's once the market has closed, else the day before.
    static int PublishedDate(int date, int minuteOfDay);
    // Percent change of the net value over the given number of trading days up to the date.
    double Change(const CFundInfo& fund, int date, int tradingDays) const;
    // Percent change since the last trading day of the previous year.
    double YearChange(const CFundInfo& fund, int date) const;
    // 1..5 stars by the one-year change among the funds that have a year behind them; 0: not rated.
    int Rating(const CFundInfo& fund, int date) const;
    // Subscription period of a new fund around the date ("YYYYMMDD-YYYYMMDD").
    static std::string SubscriptionPeriod(int date);

    static const char* TypeName(int type);
    static const char* RiskName(int risk);
    // The account-opening risk notice (UTF-8, lines separated by "\r\n").
    static std::string RiskNotice(const std::string& companyName);

private:
    // With walkLock held: the index of the last trading day on or before the date (-1 before the first one),
    // and the net value of a day index, walking the fund forward as far as needed.
    int DayIndexLocked(int date) const;
    double NavLocked(const CFundInfo& fund, int index) const;

    uint64_t seed;
    std::vector<CFundCompany> companies;
    std::vector<CFundInfo> funds;
    std::vector<CCashProduct> products;
    mutable std::mutex walkLock;
    mutable std::vector<int> days;                            // trading dates from the first walked day
    mutable std::map<std::string, std::vector<double>> walks; // net value per day index
};
