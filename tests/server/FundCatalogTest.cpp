// The stand-in server's funds: net values that move once a trading day and repeat for the same seed, the day whose
// value is published, period changes, ratings and the companies' funds; the figures worked out from them are
// rounded.
#include "server/Brokerage.h"
#include "server/FundCatalog.h"
#include "server/Market.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

TEST(FundCatalog, NetValuesMoveOncePerTradingDayAndRepeatForTheSameSeed)
{
    CFundCatalog a(7), b(7), other(8);
    const CFundInfo& stock = a.Funds()[0];
    double friday = a.Nav(stock, 20251205), monday = a.Nav(stock, 20251208);
    // Asked in the other order, the same values: each fund walks its days in order whatever is asked first.
    EXPECT_EQ(b.Nav(b.Funds()[0], 20251208), monday);
    EXPECT_EQ(b.Nav(b.Funds()[0], 20251205), friday);
    EXPECT_EQ(a.Nav(stock, 20251206), friday) << "a Saturday has Friday's value";
    EXPECT_NE(friday, monday);
    EXPECT_NE(other.Nav(other.Funds()[0], 20251208), monday);
    EXPECT_EQ(std::round(monday * 10000) / 10000, monday) << "four decimals";
    EXPECT_NEAR(a.Change(stock, 20251208, 1), std::round((monday / friday - 1) * 10000) / 100, 1e-9);

    EXPECT_EQ(CFundCatalog::PublishedDate(20251208, 239), 20251205) << "before the close, the last day's value";
    EXPECT_EQ(CFundCatalog::PublishedDate(20251208, 240), 20251208);

    for (const CFundInfo& f : a.Funds()) {
        if (f.state == FUND_SUBSCRIPTION || f.type == 4) {
            EXPECT_EQ(a.Nav(f, 20251208), 1.0) << f.code;
            EXPECT_EQ(a.Rating(f, 20251208), 0) << f.code;
        } else {
            int stars = a.Rating(f, 20251208);
            EXPECT_GE(stars, 1) << f.code;
            EXPECT_LE(stars, 5) << f.code;
        }
    }
}

TEST(FundCatalog, EveryCompanyHasItsFundsAndEveryCodeIsUnique)
{
    CFundCatalog c(7);
    std::set<std::string> codes;
    for (const CFundCompany& company : c.Companies()) {
        int count = 0, open = 0, fresh = 0;
        for (const CFundInfo& f : c.Funds())
            if (f.tacode == company.tacode) {
                ++count;
                open += f.state == FUND_OPEN;
                fresh += f.state == FUND_SUBSCRIPTION;
                EXPECT_TRUE(codes.insert(f.code).second) << f.code;
                EXPECT_EQ(f.code.size(), 6u);
                EXPECT_EQ(c.Find(f.code), &f);
            }
        EXPECT_EQ(count, 6) << company.tacode;
        EXPECT_GE(open, 4) << "conversions need two open funds";
        EXPECT_EQ(fresh, 1);
    }
    EXPECT_EQ(c.Find("999999"), nullptr);
    EXPECT_EQ(CFundCatalog::SubscriptionPeriod(20251208), "20251201-20251222");
}

TEST(FundFigures, AreRoundedToTheirLastDecimalNotCut)
{
    struct Case {
        const char* what;
        int64_t value, times, by, rounded;
    } cases[] = {
        {"cost price of 988.38 yuan over 1000.00 shares: 0.98838", 98838, 10000, 100000, 9884},
        {"1234.57 shares at 1.8715: 2310.497755", 123457, 18715, 10000, 231050},
        {"9850.00 yuan at 1.2345: 7978.93884 shares", 985000, 10000, 12345, 797894},
        {"an exact figure stays", 100000, 20000, 10000, 200000},
        {"half a fen away from zero", -5, 1, 10, -1},
        {"past 64 bits on the way", 4000000000000LL, 10000000, 10000000, 4000000000000LL},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDivRound(c.value, c.times, c.by), c.rounded) << c.what;
}
