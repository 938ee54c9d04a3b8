// The checks an order's typed values pass before anything is sent, case by case.
#include "trading/OrderCheck.h"

#include <gtest/gtest.h>

namespace {

OrderLimits Buy()
{
    OrderLimits l;
    l.buy = true;
    l.downLimit = 9.00;
    l.upLimit = 11.00;
    l.lot = 100;
    l.cash = 5000;
    return l;
}

OrderLimits Sell()
{
    OrderLimits l = Buy();
    l.buy = false;
    l.available = 300;
    l.cash = -1;
    return l;
}

OrderLimits With(OrderLimits l, long long priceStep, long long available, bool suspended)
{
    l.priceStep = priceStep;
    l.available = available;
    l.suspended = suspended;
    return l;
}

OrderLimits Subscribe(long long most)
{
    OrderLimits l = Buy();
    l.upLimit = l.downLimit = 0;
    l.cash = 1000000;
    l.lot = 500;
    l.most = most;
    l.subscribe = true;
    return l;
}

const char FULL_WIDTH_100[] = "\xA3\xB1\xA3\xB0\xA3\xB0"; // "１００" as the form hands it over

} // namespace

TEST(OrderCheck, PriceAndQuantityAreCheckedBeforeSending)
{
    struct Case {
        OrderLimits limits;
        const char* price;
        const char* quantity;
        std::u16string message;
    } cases[] = {
        {Buy(), "10.00", "400", u""},
        {Buy(), "", "100", u"请输入委托价格！"},
        {Buy(), "1o.00", "100", u"委托价格必须是数字！"},
        {Buy(), "10.001.", "100", u"委托价格必须是数字！"},
        {Buy(), "10.0001", "100", u"委托价格最多三位小数！"},
        {Buy(), "-1", "100", u"委托价格必须大于零！"},
        {Buy(), "0", "100", u"委托价格必须大于零！"},
        {Buy(), "11.01", "100", u"委托价格超出涨跌停限制（9.00-11.00）！"},
        {Buy(), "8.99", "100", u"委托价格超出涨跌停限制（9.00-11.00）！"},
        {Buy(), "11.000", "100", u""},
        {Buy(), "10", "", u"请输入委托数量！"},
        {Buy(), "10", "1.5", u"委托数量必须是整数！"},
        {Buy(), "10", "0", u"委托数量必须大于零！"},
        {Buy(), "10", "1234567890", u"委托数量过大！"},
        {Buy(), "10", "150", u"买入数量必须为100股的整数倍！"},
        {Buy(), "10", "600", u"可用资金不足（可用5000.00元）！"},
        {Buy(), "10", "500", u""},
        {Sell(), "10", "200", u""},
        {Sell(), "10", "300", u""},
        {Sell(), "10", "301", u"卖出数量超过可卖数量（可卖300股）！"},
        // Without limits from the server the price only has to be a number above zero.
        {OrderLimits(), "123.45", "100", u""},
        // The security's own rules, before the server sees the order.
        {With(Buy(), 10, -1, false), "9.371", "100", u"委托价格最多两位小数！"},
        {With(Buy(), 10, -1, false), "25.1234", "100", u"委托价格最多两位小数！"},
        {With(Buy(), 50, -1, false), "9.37", "100", u"委托价格须为0.05元的整数倍！"},
        {With(Buy(), 10, -1, false), "9.37", "100", u""},
        {With(Buy(), 1, -1, false), "9.371", "100", u""},
        {Sell(), "10", "150", u"卖出数量必须为100股的整数倍！"},
        // The odd lot of 1550 goes alone or with whole lots, never split.
        {With(Sell(), 0, 1550, false), "10", "50", u""},
        {With(Sell(), 0, 1550, false), "10", "150", u""},
        {With(Sell(), 0, 1550, false), "10", "550", u""},
        {With(Sell(), 0, 1550, false), "10", "1550", u""},
        {With(Sell(), 0, 1550, false), "10", "1500", u""},
        {With(Sell(), 0, 1550, false), "10", "30", u"卖出零股须一次性卖出（零股50股）！"},
        {With(Sell(), 0, 1550, false), "10", "120", u"卖出零股须一次性卖出（零股50股）！"},
        // A new share's subscription: its lot and the most the server allows.
        {Subscribe(10000), "10", "9750", u"申购数量必须为500股的整数倍！"},
        {Subscribe(10000), "10", "10500", u"申购数量超过可买数量（10000股）！"},
        {Subscribe(10000), "10", "10000", u""},
        {With(Buy(), 0, -1, true), "10", "100", u"该证券停牌，不能交易！"},
        // Only plain numbers: what strtod or a filtering field would turn into another number is refused.
        {Buy(), "1e1", "100", u"委托价格必须是数字！"},
        {Buy(), "0x10", "100", u"委托价格必须是数字！"},
        {Buy(), "-0.5", "100", u"委托价格必须大于零！"},
        {Buy(), "10", "0x10", u"委托数量必须是整数！"},
        {Buy(), "10", "1e2", u"委托数量必须是整数！"},
        {Buy(), "10", FULL_WIDTH_100, u"委托数量必须是整数！"},
        {Buy(), "10", " 100", u"委托数量必须是整数！"},
        {Buy(), "10", "-100", u"委托数量必须大于零！"},
        {Buy(), "10", "-0", u"委托数量必须大于零！"},
    };
    for (const Case& c : cases) {
        double price = -1;
        long long quantity = -1;
        EXPECT_EQ(CheckOrder(c.price, c.quantity, c.limits, &price, &quantity), c.message)
            << c.price << " x " << c.quantity;
        if (c.message.empty()) {
            EXPECT_DOUBLE_EQ(price, atof(c.price));
            EXPECT_EQ(quantity, atoll(c.quantity));
        } else {
            EXPECT_EQ(quantity, -1) << "nothing handed out for a refused order";
        }
    }
}

TEST(OrderCheck, AmountsAndDateRangesAreChecked)
{
    struct AmountCase {
        const char* text;
        double most;
        std::u16string message;
    } amounts[] = {
        {"1000", 5000000, u""},
        {"1000.50", 5000000, u""},
        {"", 5000000, u"请输入金额！"},
        {"10.123", 5000000, u"金额必须是数字，最多两位小数！"},
        {"0.00", 0, u"金额必须大于零！"},
        {"5000000.01", 5000000, u"金额不能超过5000000.00元！"},
        {"1e3", 0, u"金额必须是数字，最多两位小数！"},
        {"1e309", 0, u"金额必须是数字，最多两位小数！"},
        {"0x10", 0, u"金额必须是数字，最多两位小数！"},
        {FULL_WIDTH_100, 0, u"金额必须是数字，最多两位小数！"},
        {"-5", 0, u"金额必须大于零！"},
    };
    for (const AmountCase& c : amounts)
        EXPECT_EQ(CheckAmount(c.text, c.most, nullptr), c.message) << c.text;

    struct DateCase {
        const char* start;
        const char* end;
        std::u16string message;
    } dates[] = {
        {"20251101", "20251208", u""},
        {"20240229", "20240301", u""},
        {"20250229", "20250301", u"起始日期无效，请按YYYYMMDD输入！"},
        {"20251101", "2025128", u"终止日期无效，请按YYYYMMDD输入！"},
        {"20251131", "20251208", u"起始日期无效，请按YYYYMMDD输入！"},
        {"20251209", "20251208", u"起始日期不能晚于终止日期！"},
    };
    for (const DateCase& c : dates)
        EXPECT_EQ(CheckDateRange(c.start, c.end), c.message) << c.start << "-" << c.end;
}

TEST(OrderCheck, TheLargestBuyFollowsThePriceInWholeLotsOfTheCashAvailable)
{
    OrderLimits noCash = Buy();
    noCash.cash = -1;
    OrderLimits rich = Buy();
    rich.cash = 36400;
    struct Case {
        OrderLimits limits;
        double price;
        long long largest;
    } cases[] = {
        {Buy(), 10.00, 500}, {Buy(), 10.01, 400}, {rich, 20.50, 1700}, {rich, 4.00, 9100},
        {rich, 3.64, 10000}, {noCash, 10.00, -1}, {Buy(), 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LargestBuy(c.limits, c.price), c.largest) << c.price;
}

TEST(OrderCheck, AMoneyAmountGoesOutWithTwoDecimalsWhateverWayItWasTyped)
{
    struct Case {
        const char* text;
        std::string sent; // "" when refused
    } cases[] = {
        {"1000.", "1000.00"}, {"1000", "1000.00"},           {"1000.5", "1000.50"}, {"0.01", "0.01"}, {".5", "0.50"},
        {"007.10", "7.10"},   {"100000000", "100000000.00"}, {"100000000.01", ""},  {"1000..", ""},   {".", ""},
        {"1,000", ""},
    };
    for (const Case& c : cases) {
        std::string sent;
        std::u16string message = CheckMoney(c.text, 100000000, &sent);
        EXPECT_EQ(message.empty(), !c.sent.empty()) << c.text;
        EXPECT_EQ(sent, c.sent) << c.text;
    }
    EXPECT_EQ(CheckMoney("100000000.01", 100000000, nullptr), u"金额不能超过100000000.00元！");
}
