// The brokerage's rule for an odd lot, case by case: it is sold whole, alone or with whole lots, never split.
#include "server/Brokerage.h"
#include "server/Market.h"

#include <gtest/gtest.h>

TEST(BrokerageOrders, AnOddLotIsSoldAloneOrWithWholeLotsButNeverSplit)
{
    CMarket market(7, 60, 20251208);
    CBrokerage broker(7, std::string(), market); // nothing kept on disk
    CTradeAccount& a = *broker.Find("880012345");
    CHolding& held = a.holdings[0];
    held.shares = 1550;
    held.boughtShares = 0;
    int64_t up = 0, down = 0;
    CBrokerage::Limits(*broker.Security(held.market, held.code), &up, &down);
    const struct {
        const char* quantity;
        const char* error;
    } cases[] = {{"50", ""},   {"150", ""},  {"550", ""}, {"1550", ""}, {"1500", ""},
                 {"30", "卖出零股须一次性卖出"}, {"120", "卖出零股须一次性卖出"}, {"1551", "可卖数量不足（可卖1550股）"}};
    for (const auto& c : cases) {
        held.frozen = 0; // each sale on its own
        CDone d = broker.PlaceOrder(a, held.market, held.code, 1, Price3(up), c.quantity);
        EXPECT_EQ(d.error, c.error) << c.quantity;
    }
}
