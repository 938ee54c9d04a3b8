// The own stock list's row order: stored order over reply order, the one- and two-digit market forms, bare
// codes widened, missing items dropped, and the header sorts.
#include "quotes/MyStockLayout.h"

#include <gtest/gtest.h>

namespace {

TEST(MyStockLayout, RowsFollowTheStoredOrderAndBothMarketFormsMatch)
{
    std::vector<MyStockKey> reply = {{"000001", 2}, {"399001", 1}};
    std::vector<int> order;
    EXPECT_EQ(LayOutMyStocks("399001.01,000001.02", reply, &order), 0);
    EXPECT_EQ(order, (std::vector<int>{1, 0}));
    EXPECT_EQ(LayOutMyStocks("399001.1,000001.02", reply, &order), 0);
    EXPECT_EQ(order, (std::vector<int>{1, 0}));
    // Letter case does not matter for exact items.
    EXPECT_EQ(LayOutMyStocks("1a0001.01", {{"1A0001", 1}}, &order), 0);
    EXPECT_EQ(order, (std::vector<int>{0}));
}

TEST(MyStockLayout, BareCodesWidenAndMissingItemsAskForARewrite)
{
    std::vector<MyStockKey> reply = {{"600010", 1}, {"000002", 2}, {"600027", 1}};
    std::vector<int> order;
    EXPECT_EQ(LayOutMyStocks("600", reply, &order), 1);
    EXPECT_EQ(order, (std::vector<int>{0, 2}));
    EXPECT_EQ(LayOutMyStocks("000002.02,123456.01", reply, &order), 1);
    EXPECT_EQ(order, (std::vector<int>{1}));
    // An exact item shows only its first match.
    EXPECT_EQ(LayOutMyStocks("600010.01", {{"600010", 1}, {"600010", 1}}, &order), 0);
    EXPECT_EQ(order.size(), 1u);
}

TEST(MyStockLayout, AReplyWithoutRowsNeverAsksToRewriteTheStoredList)
{
    std::vector<int> order{7};
    EXPECT_EQ(LayOutMyStocks("600010.01,000002.02", {}, &order), 0);
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(LayOutMyStocks(nullptr, {{"600010", 1}}, &order), 0);
}

TEST(MyStockLayout, SortsByNameAsTextAndByPricesAsNumbers)
{
    std::vector<std::u16string> names = {u"b", u"a", u"c"};
    EXPECT_EQ(SortMyStocks(names, 1, 1), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(SortMyStocks(names, 1, 0), (std::vector<int>{2, 0, 1}));
    std::vector<std::u16string> prices = {u"10.5", u"-", u"9.8", u"-1.2"};
    EXPECT_EQ(SortMyStocks(prices, 2, 1), (std::vector<int>{3, 1, 2, 0}));
    EXPECT_EQ(SortMyStocks(prices, 4, 0), (std::vector<int>{0, 2, 1, 3}));
    EXPECT_EQ(SortMyStocks(prices, -1, 1), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(SortMyStocks(prices, 2, -1), (std::vector<int>{0, 1, 2, 3}));
}

} // namespace
