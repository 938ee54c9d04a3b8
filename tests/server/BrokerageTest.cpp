// The simulated brokerage's account rules: orders and their fills, lots, T+1, cancels and expiry, the password
// lock-out, bank transfers, fund orders confirmed at the day's net value, cash products, and the account files
// across a restart.
#include "server/Brokerage.h"
#include "platform/device/ServerCipher.h"
#include "server/Market.h"
#include "tests/support/BrokerageFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sys/stat.h>

namespace {

TEST_F(BrokerageFixture, OrdersWithBadPriceQuantityOrMoneyAreRefusedWithTheirReason)
{
    const CSecurity& s = AStock();
    int64_t up, down;
    CBrokerage::Limits(s, &up, &down);
    const CHolding& held = Account(HOLDER).holdings[0];
    struct Case {
        const char* account;
        std::string code;
        int side;
        std::string price, quantity, error;
    } cases[] = {
        {RICH, "999999", 0, "10.00", "100", "证券代码不存在"},
        {RICH, s.code, 0, "abc", "100", "委托价格无效"},
        {RICH, s.code, 0, "0", "100", "委托价格无效"},
        {RICH, s.code, 0, "10.001", "100", "委托价格无效"},
        {RICH, s.code, 0, PriceText(up + 10), "100",
         "委托价格超出涨跌停限制(" + PriceText(down) + "-" + PriceText(up) + ")"},
        {RICH, s.code, 0, PriceText(down - 10), "100",
         "委托价格超出涨跌停限制(" + PriceText(down) + "-" + PriceText(up) + ")"},
        {RICH, s.code, 0, PriceText(up), "-100", "委托数量无效"},
        {RICH, s.code, 0, PriceText(up), "150", "买入数量必须为100股的整数倍"},
        {EMPTY, s.code, 0, PriceText(up), "100", "可用资金不足"},
        {RICH, s.code, 1, PriceText(down), "100", "可卖数量不足（可卖0股）"},
        {HOLDER, held.code, 1, PriceText(down), std::to_string(held.shares + 100),
         "可卖数量不足（可卖" + std::to_string(held.shares) + "股）"},
        {HOLDER, held.code, 1, PriceText(down), "50", "卖出零股须一次性卖出"},
    };
    for (const Case& c : cases) {
        CDone d = broker->PlaceOrder(Account(c.account), 0, c.code, c.side, c.price, c.quantity);
        EXPECT_EQ(d.error, c.error) << c.code << " " << c.price << " " << c.quantity;
    }
    EXPECT_EQ(Account(RICH).frozen, 0);
    EXPECT_TRUE(Account(RICH).orders.empty());
}

TEST_F(BrokerageFixture, ABuyAtTheUpperLimitFillsMinuteByMinuteAndIsNotSellableUntilTheNextDay)
{
    const CSecurity& s = AStock();
    int64_t up, down;
    CBrokerage::Limits(s, &up, &down);
    CTradeAccount& a = Account(RICH);
    int64_t cashBefore = a.cash;
    int quantity = broker->MaxBuy(a, up);
    CDone d = broker->PlaceOrder(a, s.market, s.code, 0, PriceText(up), std::to_string(quantity));
    ASSERT_TRUE(d.Ok()) << d.error;
    EXPECT_EQ(a.frozen, (up * quantity + 9) / 10);

    Minutes(1);
    const CMarketMinute& m = s.minutes.back();
    int firstFill = std::min(quantity, std::max(100, m.volume / 4 / 100 * 100));
    EXPECT_EQ(Order(RICH, d.id).filled, firstFill) << "a quarter of the minute's volume, in lots";
    ASSERT_EQ(a.deals.size(), 1u);
    EXPECT_EQ(a.deals[0].price, CBrokerage::PriceOf(s, m.price)) << "filled at the minute's price, not the limit";

    Minutes(60);
    const CStockOrder& o = Order(RICH, d.id);
    int64_t paid = 0;
    for (const CStockDeal& deal : a.deals)
        paid += (deal.price * deal.quantity + 5) / 10;
    EXPECT_EQ(a.cash, cashBefore - paid);
    EXPECT_EQ(a.frozen, o.IsOpen() ? o.frozen : 0);
    const CHolding* h = a.Holding(s.market, s.code);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->shares, o.filled);
    EXPECT_EQ(broker->PlaceOrder(a, s.market, s.code, 1, PriceText(down), "100").error, "可卖数量不足（可卖0股）");

    ToClose();
    EXPECT_FALSE(Order(RICH, d.id).IsOpen()) << "the rest lapses at the close";
    EXPECT_EQ(a.frozen, 0);
    Minutes(1); // the next trading day, with its own limits
    EXPECT_EQ(a.Sellable(*a.Holding(s.market, s.code), broker->Today()), h->shares);
    CBrokerage::Limits(s, &up, &down);
    EXPECT_TRUE(broker->PlaceOrder(a, s.market, s.code, 1, PriceText(down), std::to_string(h->shares)).Ok());
}

TEST_F(BrokerageFixture, CancelReturnsTheFrozenMoneyOrSharesOnceAndOnlyForOpenOrders)
{
    const CSecurity& s = AStock();
    int64_t up, down;
    CBrokerage::Limits(s, &up, &down);
    CTradeAccount& rich = Account(RICH);
    CDone buy = broker->PlaceOrder(rich, s.market, s.code, 0, PriceText(down), "1000");
    ASSERT_TRUE(buy.Ok());
    CTradeAccount& holder = Account(HOLDER);
    CHolding& h = holder.holdings[0];
    CDone sell = broker->PlaceOrder(holder, h.market, h.code, 1, PriceText(up), "100");
    ASSERT_TRUE(sell.Ok());
    EXPECT_EQ(h.frozen, 100);
    Minutes(3);

    int cancelled = 0;
    EXPECT_TRUE(broker->Cancel(rich, buy.id, &cancelled).Ok());
    EXPECT_EQ(cancelled, 1000);
    EXPECT_EQ(rich.frozen, 0);
    EXPECT_EQ(broker->Cancel(rich, buy.id, &cancelled).error, "该委托已撤单");
    EXPECT_TRUE(broker->Cancel(holder, sell.id, &cancelled).Ok());
    EXPECT_EQ(holder.holdings[0].frozen, 0);
    EXPECT_EQ(broker->Cancel(rich, 9999, &cancelled).error, "委托不存在");
    EXPECT_EQ(broker->Cancel(rich, sell.id, &cancelled).error, "委托不存在") << "another account's order";

    CDone filled = broker->PlaceOrder(rich, s.market, s.code, 0, PriceText(up), "100");
    Minutes(1);
    EXPECT_EQ(broker->Cancel(rich, filled.id, &cancelled).error, "该委托已全部成交，不能撤单");
}

TEST_F(BrokerageFixture, WrongPasswordsLockTheAccountForAWhileAndAChangedPasswordIsTheOneThatWorks)
{
    std::string error;
    EXPECT_EQ(broker->LogIn(RICH, 0, "", "111111", &error), nullptr);
    EXPECT_EQ(error, "交易密码错误，还可尝试2次");
    EXPECT_EQ(broker->LogIn(RICH, 0, "0101", "654321", &error), nullptr);
    EXPECT_EQ(error, "该账号不属于所选营业部");
    EXPECT_EQ(broker->LogIn(RICH, 0, "", "111111", &error), nullptr);
    EXPECT_EQ(broker->LogIn(RICH, 0, "", "111111", &error), nullptr);
    EXPECT_EQ(error, "密码连续错误3次，账户已锁定，请15分钟后再试");
    EXPECT_EQ(broker->LogIn(RICH, 0, "0102", "654321", &error), nullptr);
    EXPECT_EQ(error, "账户已锁定，请15分钟后再试");

    Open(); // the lock survives a restart
    broker->SetClock([this] { return wallClock; });
    EXPECT_EQ(broker->LogIn(RICH, 0, "", "654321", &error), nullptr);
    wallClock += 15 * 60;
    ASSERT_NE(broker->LogIn(RICH, 0, "0102", "654321", &error), nullptr) << error;

    CTradeAccount& a = Account(RICH);
    EXPECT_EQ(broker->ChangePassword(a, "654321", "12345").error, "新密码必须为6位数字");
    EXPECT_EQ(broker->ChangePassword(a, "654321", "654321").error, "新密码不能与原密码相同");
    EXPECT_EQ(broker->ChangePassword(a, "000000", "222222").error, "原密码错误，还可尝试2次");
    EXPECT_TRUE(broker->ChangePassword(a, "654321", "222222").Ok());
    EXPECT_EQ(broker->LogIn(RICH, 0, "", "654321", &error), nullptr);
    EXPECT_NE(broker->LogIn(RICH, 0, "", "222222", &error), nullptr) << "and the count starts again";
    EXPECT_NE(broker->LogIn(broker->HolderCode(a.fundId, 2), 1, "", "222222", &error), nullptr) << "by holder code";
}

TEST_F(BrokerageFixture, BankTransfersMoveMoneyBothWaysOnlyWithTheRightPasswords)
{
    CTradeAccount& a = Account(EMPTY);
    const CBankAccount& bank = a.banks[0];
    struct Case {
        int direction;
        std::string amount, bankPassword, fundPassword, error;
        int64_t cash, balance;
    } cases[] = {
        {1, "1000.00", "000000", "", "银行密码错误，还可尝试2次", 0, 10000000},
        {1, "0", "888888", "", "转账金额无效", 0, 10000000},
        {1, "1.234", "888888", "", "转账金额无效", 0, 10000000},
        {1, "200000", "888888", "", "银行余额不足", 0, 10000000},
        {1, "30000.50", "888888", "", "", 3000050, 6999950},
        {2, "100", "", "654321", "资金密码错误，还可尝试2次", 3000050, 6999950},
        {2, "40000", "", "123456", "可取资金不足", 3000050, 6999950},
        {2, "10000", "", "123456", "", 2000050, 7999950},
        {3, "10000", "888888", "123456", "转账方向无效", 2000050, 7999950},
    };
    for (const Case& c : cases) {
        CDone d = broker->Transfer(a, bank.code, c.direction, c.amount, c.bankPassword, c.fundPassword);
        EXPECT_EQ(d.error, c.error) << c.amount;
        EXPECT_EQ(a.cash, c.cash) << c.amount;
        EXPECT_EQ(a.banks[0].balance, c.balance) << c.amount;
    }
    EXPECT_EQ(a.transfers.size(), 2u);
    EXPECT_EQ(broker->Transfer(a, "99", 1, "1", "888888", "").error, "银行代码无效");
}

TEST_F(BrokerageFixture, WrongTransferPasswordsLockLikeTheTradingPasswordButABankPasswordOnlyItsBank)
{
    std::string error;
    auto logIn = [&](const char* password) { return LogInRefusal(EMPTY, password); };
    auto in = [&](const char* password) { return TransferRefusal(EMPTY, 1, password); };
    auto out = [&](const char* password) { return TransferRefusal(EMPTY, 2, password); };
    auto balance = [&](const char* password) {
        CTradeAccount& a = Account(EMPTY);
        return broker->CheckBankPassword(a, a.banks[0], password, &error) ? "" : error;
    };
    const std::string accountLocked = "账户已锁定，请15分钟后再试", bankLocked = "该银行账户已锁定，请15分钟后再试";
    struct Case {
        const char* name;
        std::vector<std::function<std::string()>> wrong; // three tries in a row, any mix
        std::function<std::string()> right;
        std::string firstRefusal, locked;
        bool logInLocked; // the trade log-in is locked too
    } cases[] = {
        {"bank password in",
         {[&] { return in("000000"); }, [&] { return in("1"); }, [&] { return in(""); }},
         [&] { return in("888888"); },
         "银行密码错误，还可尝试2次",
         bankLocked,
         false},
        {"bank balance, then in",
         {[&] { return balance("0"); }, [&] { return balance("1"); }, [&] { return in("2"); }},
         [&] { return balance("888888"); },
         "银行密码错误，还可尝试2次",
         bankLocked,
         false},
        {"fund password out",
         {[&] { return out("000000"); }, [&] { return out("1"); }, [&] { return out(""); }},
         [&] { return out("123456"); },
         "资金密码错误，还可尝试2次",
         accountLocked,
         true},
        {"fund and trading password",
         {[&] { return out("0"); }, [&] { return logIn("0"); }, [&] { return out("0"); }},
         [&] { return logIn("123456"); },
         "资金密码错误，还可尝试2次",
         accountLocked,
         true},
    };
    for (const Case& c : cases) {
        int64_t cash = Account(EMPTY).cash;
        EXPECT_EQ(c.wrong[0](), c.firstRefusal) << c.name;
        EXPECT_NE(c.wrong[1]().find("还可尝试1次"), std::string::npos) << c.name;
        EXPECT_EQ(c.wrong[2](), "密码连续错误3次，" + c.locked) << c.name;
        EXPECT_EQ(c.right(), c.locked) << c.name << ": even the right password";
        Open(); // the lock is kept across a restart
        EXPECT_EQ(c.right(), c.locked) << c.name << ": after a restart";
        EXPECT_EQ(logIn("123456"), c.logInLocked ? accountLocked : "") << c.name << ": the trade log-in";
        EXPECT_EQ(Account(EMPTY).cash, cash) << c.name << ": no money moved";
        wallClock += 15 * 60;
        EXPECT_EQ(c.right(), "") << c.name << ": after the lock";
    }
}

TEST_F(BrokerageFixture, AFullDiskNeitherLiftsNorForgetsALockOutAndARightPasswordWaitsForItsCountToBeCleared)
{
    auto logIn = [&](const char* password) { return LogInRefusal(EMPTY, password); };
    auto in = [&](const char* password) { return TransferRefusal(EMPTY, 1, password); };
    auto out = [&](const char* password) { return TransferRefusal(EMPTY, 2, password); };
    const std::string locked = "已锁定，请15分钟后再试";
    struct Case {
        const char* name;
        std::function<std::string(const char*)> attempt;
        const char* right;
    } cases[] = {
        {"trading password", logIn, "123456"}, {"fund password", out, "123456"}, {"bank password", in, "888888"}};
    ASSERT_EQ(in("888888"), ""); // cash to take out
    ASSERT_EQ(in("888888"), "");
    for (const Case& c : cases) {
        broker->SetSavesFail(true);
        EXPECT_NE(c.attempt("000001").find("错误，还可尝试2次"), std::string::npos) << c.name << ": the count holds";
        for (int i = 0; i < 9; ++i)
            c.attempt("000001");
        EXPECT_NE(c.attempt(c.right).find(locked), std::string::npos) << c.name << ": 10 wrong ones lock";
        broker->SetSavesFail(false);
        EXPECT_NE(c.attempt(c.right).find(locked), std::string::npos) << c.name << ": still, with the disk back";
        wallClock += 15 * 60;
        EXPECT_EQ(c.attempt(c.right), "") << c.name << ": after the lock";

        // One wrong try saved, then the disk refuses: the right password waits until the count can be cleared.
        EXPECT_NE(c.attempt("000001").find("还可尝试2次"), std::string::npos) << c.name;
        broker->SetSavesFail(true);
        EXPECT_EQ(c.attempt(c.right), "系统暂时无法保存，请稍后再试") << c.name;
        // Nor does another change that cannot be saved take the count back.
        EXPECT_EQ(broker->OpenFundAccount(Account(EMPTY), "33", "陈静", "1", "E1234567", "010-12345678").error,
                  NotAccepted("开户"));
        EXPECT_NE(c.attempt("000001").find("还可尝试1次"), std::string::npos) << c.name;
        broker->SetSavesFail(false);
        EXPECT_EQ(c.attempt(c.right), "") << c.name;
    }
}

TEST_F(BrokerageFixture, FundOrdersAreConfirmedAtTheCloseAtThatDaysNetValueAndCancellableUntilThen)
{
    CTradeAccount& a = Account(EMPTY);
    ASSERT_TRUE(broker->Transfer(a, a.banks[0].code, 1, "50000", "888888", "").Ok());
    const CFundInfo& fund = broker->Funds().Funds()[6]; // the second company's stock fund: purchases suspended
    const CFundInfo& mixed = broker->Funds().Funds()[7];
    const CFundInfo& bond = broker->Funds().Funds()[8];
    EXPECT_EQ(broker->FundOrder(a, FUND_PURCHASE, mixed.code, "10000", "").error,
              "未开立该基金公司的基金账户，请先开户");
    // Too short, a wrong check character, a space; then right check characters on a month 13, on 29 February of
    // 1900 (no leap year) and on a birth still to come, and a 15-character number (19YY) on a month 13.
    for (const char* number : {"12345", "110101199003071234", "11010519491231002 ", "110105194913310021",
                               "110105190002290017", "110105209901010012", "110105491331002"})
        EXPECT_EQ(broker->OpenFundAccount(a, mixed.tacode, "陈静", "0", number, "13800000000").error, "证件号码无效")
            << number;
    EXPECT_EQ(broker->OpenFundAccount(a, mixed.tacode, "陈静", "0", "11010519491231002X", "12ab").error,
              "电话号码无效");
    ASSERT_TRUE(broker->OpenFundAccount(a, mixed.tacode, "陈静", "0", "11010519491231002X", "13800000000").Ok());
    EXPECT_EQ(broker->OpenFundAccount(a, mixed.tacode, "陈静", "0", "11010519491231002X", "13800000000").error,
              "已开立该基金公司账户");
    EXPECT_EQ(broker->FundOrder(a, FUND_PURCHASE, fund.code, "10000", "").error, "该基金暂停申购");
    EXPECT_EQ(broker->FundOrder(a, FUND_PURCHASE, mixed.code, "10", "").error, "申购金额不能低于1000.00元");
    EXPECT_EQ(broker->FundOrder(a, FUND_PURCHASE, mixed.code, "60000", "").error, "可用资金不足");
    EXPECT_EQ(broker->FundOrder(a, FUND_SUBSCRIBE, mixed.code, "10000", "").error, "该基金不在认购期");

    CDone first = broker->FundOrder(a, FUND_PURCHASE, mixed.code, "10000", "");
    ASSERT_TRUE(first.Ok());
    EXPECT_EQ(a.frozen, 1000000);
    EXPECT_TRUE(broker->CancelFundOrder(a, first.id).Ok());
    EXPECT_EQ(a.frozen, 0);
    EXPECT_EQ(broker->CancelFundOrder(a, first.id).error, "该委托已撤单");

    CDone second = broker->FundOrder(a, FUND_PURCHASE, mixed.code, "10000", "");
    ASSERT_TRUE(second.Ok());
    int day = broker->Today();
    ToClose();
    const CFundOrder o = a.fundOrders.back();
    ASSERT_EQ(o.state, FUND_ORDER_CONFIRMED);
    int64_t nav = std::llround(broker->Funds().Nav(mixed, day) * 10000);
    EXPECT_EQ(o.nav, nav);
    EXPECT_EQ(o.confirmedShares, MulDivRound(std::llround(1000000 * (1 - mixed.feePercent / 100)), 10000, nav));
    EXPECT_EQ(a.cash, 4000000);
    EXPECT_EQ(a.frozen, 0);
    EXPECT_EQ(broker->CancelFundOrder(a, second.id).error, "该委托已确认，不能撤单");
    CFundHolding* h = a.FundHolding(mixed.code);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->shares, o.confirmedShares);
    EXPECT_EQ(h->cost, 1000000);

    // The next day: redeem a part, convert a part into the company's bond fund.
    Minutes(1);
    EXPECT_EQ(broker->FundOrder(a, FUND_REDEEM, mixed.code, Shares2(h->shares + 1), "").error, "可用份额不足");
    EXPECT_EQ(broker->FundOrder(a, FUND_CONVERT, mixed.code, "100", broker->Funds().Funds()[0].code).error,
              "只能转换为同一基金公司的基金");
    ASSERT_TRUE(broker->FundOrder(a, FUND_REDEEM, mixed.code, "1000", "").Ok());
    ASSERT_TRUE(broker->FundOrder(a, FUND_CONVERT, mixed.code, "1000", bond.code).Ok());
    EXPECT_EQ(h->frozen, 200000);
    EXPECT_TRUE(broker->SetDividend(a, mixed.code, 1).Ok());
    int next = broker->Today();
    ToClose();
    int64_t navNext = std::llround(broker->Funds().Nav(mixed, next) * 10000);
    int64_t worth = MulDivRound(100000, navNext, 10000); // 1000.00 shares that day
    EXPECT_EQ(a.cash, 4000000 + worth);
    // The converted holding cost what its shares were worth that day, not what they had cost.
    const CFundHolding* converted = a.FundHolding(bond.code);
    ASSERT_NE(converted, nullptr);
    EXPECT_EQ(converted->cost, worth);
    EXPECT_EQ(converted->shares, MulDivRound(worth, 10000, std::llround(broker->Funds().Nav(bond, next) * 10000)));
    EXPECT_EQ(a.FundHolding(mixed.code)->shares, o.confirmedShares - 200000);
    EXPECT_EQ(a.FundHolding(mixed.code)->dividend, 1);
}

TEST_F(BrokerageFixture, NewSharesWarrantsAndCashProductsFollowTheirOwnRules)
{
    CTradeAccount& a = Account(HOLDER);
    std::vector<CNewShare> issues = broker->NewShares();
    ASSERT_EQ(issues.size(), 2u);
    const CNewShare& n = issues[0];
    EXPECT_EQ(broker->PlaceOrder(a, 0, n.applyCode, 0, Price3(n.price), "300").error, "申购数量必须为500股的整数倍");
    EXPECT_EQ(broker->PlaceOrder(a, 0, n.applyCode, 0, Price3(n.price + 10), "500").error,
              "申购价格须为发行价" + Price3(n.price));
    CDone apply = broker->PlaceOrder(a, 0, n.applyCode, 0, Price3(n.price), "1000");
    ASSERT_TRUE(apply.Ok()) << apply.error;
    EXPECT_EQ(broker->PlaceOrder(a, 0, n.applyCode, 0, Price3(n.price), "500").error, "该新股今日已申购");
    int cancelled;
    EXPECT_EQ(broker->Cancel(a, apply.id, &cancelled).error, "新股申购不能撤单");
    int64_t cash = a.cash;
    ToClose();
    Minutes(1);
    const CStockOrder& o = Order(HOLDER, apply.id);
    EXPECT_FALSE(o.IsOpen());
    EXPECT_EQ(a.frozen, 0);
    EXPECT_EQ(a.cash, cash - (n.price * o.filled + 9) / 10) << "only the allotted shares are paid";

    std::vector<CWarrant> warrants = broker->Warrants();
    int64_t paid = 0;
    EXPECT_EQ(broker->Exercise(a, warrants[1].code, "100", &paid).error, "不在行权期内");
    EXPECT_EQ(broker->Exercise(a, warrants[0].code, "100000", &paid).error, "可行权数量不足");
    ASSERT_TRUE(broker->Exercise(a, warrants[0].code, "1000", &paid).Ok());
    EXPECT_EQ(paid, warrants[0].strike * 1000 / 10);
    const CHolding* underlying = a.Holding(warrants[0].market, warrants[0].underlying);
    ASSERT_NE(underlying, nullptr);
    EXPECT_EQ(underlying->boughtShares, 1000) << "exercised shares are sellable from the next day";

    const CCashProduct& product = broker->Funds().CashProducts()[0];
    EXPECT_EQ(broker->BuyCashProduct(a, product.code, "1000").error, "购买金额不能低于50000.00元");
    EXPECT_EQ(broker->BuyCashProduct(a, product.code, "50500").error, "购买金额须为1000元的整数倍");
    EXPECT_EQ(broker->BuyCashProduct(a, broker->Funds().CashProducts()[5].code, "50000").error, "该产品已售罄");
    cash = a.cash;
    CDone bought = broker->BuyCashProduct(a, product.code, "50000");
    ASSERT_TRUE(bought.Ok());
    EXPECT_EQ(a.cash, cash - 5000000);
    int64_t principal = 0, income = 0;
    EXPECT_TRUE(broker->TerminateCashProduct(a, bought.id, &principal, &income).Ok());
    EXPECT_EQ(a.cash, cash + income);
    EXPECT_EQ(broker->TerminateCashProduct(a, bought.id, &principal, &income).error, "该产品不存在或已终止");
}

TEST_F(BrokerageFixture, AccountsComeBackFromTheirFilesAfterARestart)
{
    const CSecurity& s = AStock();
    int64_t up, down;
    CBrokerage::Limits(s, &up, &down);
    CTradeAccount& a = Account(RICH);
    ASSERT_TRUE(broker->PlaceOrder(a, s.market, s.code, 0, PriceText(up), "500").Ok());
    ASSERT_TRUE(broker->PlaceOrder(a, s.market, s.code, 0, PriceText(down), "300").Ok());
    Minutes(2);
    ASSERT_TRUE(broker->ChangePassword(a, "654321", "246810").Ok());
    ASSERT_TRUE(broker->OpenFundAccount(a, "33", "王芳", "1", "E1234567", "010-12345678").Ok());
    CTradeAccount before = a;

    Open();
    const CTradeAccount& after = Account(RICH);
    EXPECT_EQ(after.cash, before.cash);
    EXPECT_EQ(after.frozen, before.frozen);
    EXPECT_EQ(after.nextId, before.nextId);
    ASSERT_EQ(after.orders.size(), before.orders.size());
    EXPECT_EQ(after.orders[1].filled, before.orders[1].filled);
    EXPECT_EQ(after.orders[0].name, before.orders[0].name);
    ASSERT_EQ(after.deals.size(), before.deals.size());
    ASSERT_EQ(after.holdings.size(), 1u);
    EXPECT_EQ(after.holdings[0].cost, before.holdings[0].cost);
    EXPECT_EQ(after.fundAccounts.at("33"), before.fundAccounts.at("33"));
    std::string error;
    EXPECT_NE(broker->LogIn(RICH, 0, "", "246810", &error), nullptr);
}

TEST(BrokerageText, AmountsAreReadAndWrittenWithoutRounding)
{
    struct Parse {
        const char* text;
        int decimals;
        int64_t value;
    } parses[] = {
        {"12.34", 2, 1234}, {"12.3", 2, 1230},
        {"12", 2, 1200},    {"0.01", 2, 1},
        {"12.345", 2, -1},  {"12.", 2, -1},
        {".5", 2, -1},      {"-1", 2, -1},
        {"1e3", 2, -1},     {"", 2, -1},
        {"100", 0, 100},    {"100.0", 0, -1},
        {"9.999", 3, 9999}, {"1234567890123456", 0, -1},
    };
    for (const Parse& p : parses)
        EXPECT_EQ(ParseScaled(p.text, p.decimals), p.value) << p.text;
    EXPECT_EQ(Money(123456), "1234.56");
    EXPECT_EQ(Money(-5), "-0.05");
    EXPECT_EQ(Price3(12340), "12.34");
    EXPECT_EQ(Price3(2345), "2.345");
    EXPECT_EQ(Nav4(12345), "1.2345");
    EXPECT_EQ(TimeText(93100), "09:31:00");
    EXPECT_EQ(AddDays(20251231, 1), 20260101);
    EXPECT_EQ(AddDays(20240301, -1), 20240229);
}

TEST_F(BrokerageFixture, ASaleFillsAtTheMarketAndTakesItsShareOfTheCost)
{
    CTradeAccount& a = Account(HOLDER);
    CHolding held = a.holdings[0];
    const CSecurity& s = *broker->Security(held.market, held.code);
    int64_t up, down;
    CBrokerage::Limits(s, &up, &down);
    int64_t cash = a.cash;
    CDone d = broker->PlaceOrder(a, held.market, held.code, 1, PriceText(down), "100");
    ASSERT_TRUE(d.Ok()) << d.error;
    Minutes(1);
    ASSERT_FALSE(Order(HOLDER, d.id).IsOpen());
    const CStockDeal& deal = a.deals.back();
    EXPECT_EQ(deal.price, CBrokerage::PriceOf(s, s.minutes.back().price));
    EXPECT_EQ(a.cash, cash + (deal.price * 100 + 5) / 10);
    const CHolding* h = a.Holding(held.market, held.code);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->shares, held.shares - 100);
    EXPECT_EQ(h->frozen, 0);
    EXPECT_EQ(h->cost, held.cost - held.cost * 100 / held.shares);
}

TEST_F(BrokerageFixture, NewFundsAreSubscribedAtParAndCashProductsPayTheirIncomeAtMaturity)
{
    CTradeAccount& a = Account(HOLDER);
    const CFundInfo& fresh = broker->Funds().Funds()[5]; // the first company's new fund
    ASSERT_EQ(fresh.state, FUND_SUBSCRIPTION);
    EXPECT_EQ(broker->FundOrder(a, FUND_PURCHASE, fresh.code, "1000", "").error, "该基金处于认购期，请使用认购");
    ASSERT_TRUE(broker->FundOrder(a, FUND_SUBSCRIBE, fresh.code, "1000", "").Ok());
    const CCashProduct& product = broker->Funds().CashProducts()[0];
    CDone bought = broker->BuyCashProduct(a, product.code, "50000");
    ASSERT_TRUE(bought.Ok());
    int64_t cash = a.cash;
    ToClose();
    ASSERT_NE(a.FundHolding(fresh.code), nullptr);
    EXPECT_EQ(a.FundHolding(fresh.code)->shares, 100000) << "1000.00 shares at 1.0000";
    EXPECT_EQ(a.cash, cash - 100000);

    cash = a.cash;
    int maturity = a.cashHoldings.back().maturity;
    while (broker->Today() <= maturity)
        Minutes(241);
    const CCashHolding& h = a.cashHoldings.back();
    EXPECT_EQ(h.state, 2);
    EXPECT_EQ(h.paid, static_cast<int64_t>(5000000 * product.yieldPercent / 100.0 * product.days / 365.0));
    EXPECT_EQ(a.cash, cash + 5000000 + h.paid);
    int64_t principal, income;
    EXPECT_EQ(broker->TerminateCashProduct(a, bought.id, &principal, &income).error, "该产品已到期");
}

} // namespace

namespace {

std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

TEST_F(BrokerageFixture, AChangeThatCannotBeSavedIsRefusedUndoneAndAbsentAfterARestart)
{
    const CSecurity& s = AStock();
    int64_t up, down;
    CBrokerage::Limits(s, &up, &down);
    CTradeAccount& a = Account(RICH);
    CDone open = broker->PlaceOrder(a, s.market, s.code, 0, PriceText(down), "200");
    ASSERT_TRUE(open.Ok());
    const std::string fund = Account(HOLDER).fundHoldings[0].code;
    CDone fundOpen = broker->FundOrder(Account(HOLDER), FUND_REDEEM, fund, "100", "");
    ASSERT_TRUE(fundOpen.Ok()) << fundOpen.error;
    CDone cashHeld = broker->BuyCashProduct(a, broker->Funds().CashProducts()[0].code, "50000");
    ASSERT_TRUE(cashHeld.Ok()) << cashHeld.error;
    int cancelled = 0;
    int64_t paid = 0, principal = 0, income = 0;
    auto logIn = [&](const char* password) {
        CDone d;
        if (broker->LogIn(RICH, 0, "", password, &d.error) == nullptr && d.error.empty())
            d.error = "?";
        return d;
    };
    struct Case {
        const char* what;
        std::function<CDone()> change;
        bool again; // accepted once the disk takes it
        std::string refusal = {};
    } cases[] = {
        {"委托", [&] { return broker->PlaceOrder(Account(RICH), s.market, s.code, 0, PriceText(up), "100"); }, true},
        {"撤单", [&] { return broker->Cancel(Account(RICH), open.id, &cancelled); }, false},
        {"转账", [&] { return broker->Transfer(Account(RICH), "01", 1, "100", "888888", ""); }, true},
        {"开户", [&] { return broker->OpenFundAccount(Account(RICH), "33", "王芳", "1", "E1234567", "010-12345678"); },
         true},
        {"购买", [&] { return broker->BuyCashProduct(Account(RICH), broker->Funds().CashProducts()[0].code, "50000"); },
         true},
        {"终止", [&] { return broker->TerminateCashProduct(Account(RICH), cashHeld.id, &principal, &income); }, true},
        {"行权", [&] { return broker->Exercise(Account(HOLDER), "580011", "100", &paid); }, false},
        {"赎回", [&] { return broker->FundOrder(Account(HOLDER), FUND_REDEEM, fund, "100", ""); }, false},
        {"分红方式修改", [&] { return broker->SetDividend(Account(HOLDER), fund, 1); }, false},
        {"撤单", [&] { return broker->CancelFundOrder(Account(HOLDER), fundOpen.id); }, false},
        {"password", [&] { return broker->ChangePassword(Account(RICH), "654321", "246810"); }, true,
         "系统繁忙，密码未修改"},
    };
    std::string before = CBrokerage::Serialize(a), holderBefore = CBrokerage::Serialize(Account(HOLDER));
    broker->SetSavesFail(true);
    for (Case& c : cases) {
        EXPECT_EQ(c.change().error, c.refusal.empty() ? NotAccepted(c.what) : c.refusal) << c.what;
        EXPECT_EQ(CBrokerage::Serialize(a), before) << c.what << ": undone in memory";
        EXPECT_EQ(CBrokerage::Serialize(Account(HOLDER)), holderBefore) << c.what;
    }
    broker->SetSavesFail(false);
    Open();
    EXPECT_EQ(CBrokerage::Serialize(Account(RICH)), before) << "nothing refused was kept";
    EXPECT_EQ(CBrokerage::Serialize(Account(HOLDER)), holderBefore) << "nothing refused was kept";
    EXPECT_EQ(logIn("654321").error, "");

    // With the disk back, each change is accepted and still there after a restart.
    for (Case& c : cases) {
        if (c.again) {
            ASSERT_TRUE(c.change().Ok()) << c.what;
        }
    }
    std::string after = CBrokerage::Serialize(Account(RICH));
    EXPECT_NE(after, before);
    Open();
    EXPECT_EQ(CBrokerage::Serialize(Account(RICH)), after);
}

TEST_F(BrokerageFixture, AnOrderFilledAtTheCloseWhereTheSaveFailedIsOpenAgainAndLapsesLater)
{
    const CSecurity& s = AStock();
    int64_t up, down;
    CBrokerage::Limits(s, &up, &down);
    CTradeAccount& a = Account(RICH);
    Minutes(239 - market.GetMinuteOfDay());
    CDone d = broker->PlaceOrder(a, s.market, s.code, 0, PriceText(up), "100");
    ASSERT_TRUE(d.Ok()) << d.error;
    broker->SetSavesFail(true);
    Minutes(1); // the last minute fills it and the day ends; neither can be saved
    EXPECT_TRUE(Order(RICH, d.id).IsOpen()) << "put back as saved";
    broker->SetSavesFail(false);
    broker->Settle(a);
    EXPECT_FALSE(Order(RICH, d.id).IsOpen()) << "the day is over: it lapses";
    EXPECT_EQ(a.frozen, 0);
}

TEST_F(BrokerageFixture, TheAccountFileIsAPrivateJournalThatGrowsByARecordAChangeAndSurvivesATornEnd)
{
    std::string folderPath = folder.Path() + "brokerage";
    std::string path = folderPath + "/" + RICH + ".txt";
    mode_t umaskWas = umask(022);
    std::filesystem::remove_all(folderPath);
    Open();
    umask(umaskWas);
    using std::filesystem::perms;
    EXPECT_EQ(std::filesystem::status(folderPath).permissions() & perms::all, perms::owner_all);
    EXPECT_EQ(std::filesystem::status(path).permissions() & perms::all, perms::owner_read | perms::owner_write);

    const CSecurity& s = AStock();
    int64_t up, down;
    CBrokerage::Limits(s, &up, &down);
    CTradeAccount& a = Account(RICH);
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(broker->PlaceOrder(a, s.market, s.code, 0, PriceText(down), "100").Ok());
    uintmax_t size = std::filesystem::file_size(path);
    ASSERT_TRUE(broker->PlaceOrder(a, s.market, s.code, 0, PriceText(down), "100").Ok());
    EXPECT_LT(std::filesystem::file_size(path) - size, 600u) << "one order appends one short record";
    std::string saved = CBrokerage::Serialize(a);
    size_t orders = a.orders.size();

    // A record torn by a crash is dropped at the next start, and the server says where it was: cut short in its
    // head or its body, or with zeros where a power cut left blocks unwritten: after the last whole record, ending
    // a torn one, or from its start (the append began in the file's partly filled last block, which was lost).
    std::string good = FileText(path);
    ASSERT_TRUE(broker->PlaceOrder(a, s.market, s.code, 0, PriceText(down), "100").Ok());
    std::string record = FileText(path).substr(good.size());
    size_t body = record.find('\n') + 1;
    auto zeroed = [&](size_t from, size_t to) {
        return std::string(from, '\0') + record.substr(from, to - from) + std::string(record.size() - to, '\0');
    };
    for (const std::string& torn :
         {std::string("R 90"), std::string("R 500 0badf00d\n+\tO\t1"), std::string("R 9 0bad"), std::string(4096, '\0'),
          "R 40 0badf00d\n+\tO\t1" + std::string(35, '\0'), record.substr(0, record.size() - 3),
          zeroed(0, record.size() - 9), zeroed(3, record.size()), zeroed(body, record.size()),
          zeroed(body + 7, record.size()), zeroed(record.size() - 1, record.size()), zeroed(5, 40)}) {
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << good << torn;
        }
        testing::internal::CaptureStderr();
        Open();
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(CBrokerage::Serialize(Account(RICH)), saved) << torn;
        EXPECT_NE(said.find(std::string("account ") + RICH + ": the torn last record"), std::string::npos) << said;
        EXPECT_NE(said.find(" at byte " + std::to_string(good.size()) + ", "), std::string::npos) << said;
        EXPECT_FALSE(std::filesystem::exists(path + ".damaged"));
    }

    // A file of the older form (the full text alone) loads.
    CTradeAccount old = Account(RICH);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << CBrokerage::Serialize(old);
    }
    Open();
    EXPECT_EQ(Account(RICH).orders.size(), orders);
    EXPECT_EQ(FileText(path).rfind("MORWICK-JOURNAL 1\n", 0), 0u) << "written anew as a journal";
}

TEST_F(BrokerageFixture, EveryFieldOfEveryItemComesBackThroughTheJournalAndAGrownJournalIsWrittenAnew)
{
    // Each step changes every field of the head and of one item of each kind (a field added to an item belongs
    // here), is saved as one appended record, and must come back whole after a restart.
    std::string path = folder.Path() + "brokerage/" + RICH + ".txt";
    auto fill = [](CTradeAccount& a, int n) {
        a.holder = "holder" + std::to_string(n), a.passwordHash = "hash" + std::to_string(n);
        a.wrongPasswords = n, a.lockedUntil = 1000000 + n, a.cash = 5000 + n, a.frozen = 60 + n, a.nextId = 9000 + n;
        a.orders.push_back({9001, 20251207 + n, 93000 + n, n, 2, "600001", "\xd5\xfd" + std::to_string(n), 1, 12340 + n,
                            1000 + n, 100 + n, 200 + n, 777 + n, ORDER_STOCK}); // open: fills to come
        a.deals.push_back({9002 + 10 * n, 20251207 + n, 93000 + n, 9001, 2, "600001", "deal" + std::to_string(n), 1,
                           12340 + n, 100 + n});
        a.holdings.push_back({2, "600002", "h" + std::to_string(n), 1000 + n, 300 + n, 20251207 + n, 400 + n, 99 + n});
        a.banks.push_back({"09", "bank" + std::to_string(n), "6222" + std::to_string(n), "b" + std::to_string(n), n});
        a.transfers.push_back({9003 + 10 * n, 20251207 + n, 93000 + n, "09", 2, 500 + n});
        a.warrants["58009" + std::to_string(n)] = 300 + n;
        a.fundAccounts["9" + std::to_string(n)] = "F" + std::to_string(n);
        a.fundOrders.push_back({9004, 20251207 + n, 93000 + n, 20251208 + n, FUND_CONVERT, "000001",
                                "00000" + std::to_string(n), 111 + n, 222 + n, n % 2, FUND_ORDER_CONFIRMED, 12345 + n,
                                333 + n, 444 + n});
        a.fundHoldings.push_back({"000009", 555 + n, 66 + n, 777 + n, n % 2});
        a.cashHoldings.push_back({9005, "CP0" + std::to_string(n), 888 + n, 20251201 + n, 20251231 + n, n % 3, 99 + n});
    };
    // Step 1 adds the items; step 2 replaces them (same keys, every other field changed; deals and transfers never
    // change, so new ones) and drops the first step's warrant and fund account. Read back from the file as it is.
    CTradeAccount& a = Account(RICH);
    for (int n : {1, 2}) {
        std::string was = FileText(path);
        if (n == 2) {
            a.orders.pop_back(), a.holdings.pop_back(), a.banks.pop_back(), a.fundOrders.pop_back();
            a.fundHoldings.pop_back(), a.cashHoldings.pop_back();
            a.warrants.erase("580091"), a.fundAccounts.erase("91");
        }
        fill(a, n);
        ASSERT_TRUE(broker->Save(a)) << n;
        std::string now = FileText(path);
        EXPECT_EQ(now.rfind(was, 0), 0u) << n << ": appended";
        EXPECT_LT(now.size() - was.size(), 2000u) << n << ": one record";
        CTradeAccount read;
        ASSERT_TRUE(CBrokerage::Parse(now, &read)) << n;
        EXPECT_TRUE(read == a) << n << "\n" << CBrokerage::Serialize(read);
    }
    CTradeAccount expected = a;
    Open();
    EXPECT_TRUE(Account(RICH) == expected);

    // Large records: the journal is written anew once it has grown past twice its full text (and 256 KB).
    CTradeAccount& b = Account(RICH);
    b.holdings.back().name.assign(100000, 'n');
    ASSERT_TRUE(broker->Save(b));
    uintmax_t image = std::filesystem::file_size(path);
    for (int i = 0; i < 6; ++i) {
        ++b.holdings.back().shares;
        ASSERT_TRUE(broker->Save(b));
        EXPECT_LE(std::filesystem::file_size(path), 3 * image) << i;
    }
    expected = b;
    Open();
    EXPECT_TRUE(Account(RICH) == expected);
}

TEST_F(BrokerageFixture, PasswordsAreKeptAsSaltedSlowDigestsAndAnOldDigestIsReplacedAtTheNextGoodLogIn)
{
    std::string path = folder.Path() + "brokerage/" + RICH + ".txt";
    const std::string& hash = Account(RICH).passwordHash;
    EXPECT_EQ(hash.rfind("pbkdf2-sha256$" + std::to_string(CBrokerage::PASSWORD_ITERATIONS) + "$", 0), 0u);
    EXPECT_EQ(FileText(path).find("654321"), std::string::npos);
    EXPECT_NE(CBrokerage::PasswordHash(RICH, "654321"), CBrokerage::PasswordHash(RICH, "654321")) << "salted";
    // The published PBKDF2-HMAC-SHA256 vectors (RFC 7914), first 32 bytes.
    EXPECT_EQ(ServerPbkdf2Sha256Hex("passwd", "salt", 1),
              "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc");
    EXPECT_EQ(ServerPbkdf2Sha256Hex("Password", "NaCl", 80000),
              "4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56");

    // What older servers stored: MD5 of a fixed text, the account (or bank account) and the password. A good check
    // of that password, and only that, replaces it, and the new digest is saved.
    std::string error;
    struct Case {
        const char* what;
        std::function<std::string&()> stored;
        std::function<std::string()> number;
        const char* right;
        std::function<bool(const char*)> check;
    } cases[] = {
        {"trading", [&]() -> std::string& { return Account(RICH).passwordHash; }, [] { return std::string(RICH); },
         "654321", [&](const char* p) { return broker->LogIn(RICH, 0, "", p, &error) != nullptr; }},
        {"bank", [&]() -> std::string& { return Account(RICH).banks[0].passwordHash; },
         [&] { return Account(RICH).banks[0].number; }, "888888",
         [&](const char* p) { return broker->CheckBankPassword(Account(RICH), Account(RICH).banks[0], p, &error); }},
    };
    for (const Case& c : cases) {
        c.stored() = ServerMd5Hex("morwick-trade-" + c.number() + "-" + c.right);
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << CBrokerage::Serialize(Account(RICH));
        }
        Open();
        EXPECT_FALSE(c.check("111111")) << c.what;
        EXPECT_TRUE(CBrokerage::IsOldPasswordHash(c.stored())) << c.what << ": a wrong password changes nothing";
        ASSERT_TRUE(c.check(c.right)) << c.what << ": " << error;
        EXPECT_FALSE(CBrokerage::IsOldPasswordHash(c.stored())) << c.what;
        Open();
        EXPECT_FALSE(CBrokerage::IsOldPasswordHash(c.stored())) << c.what << ": the new digest was saved";
        EXPECT_TRUE(c.check(c.right)) << c.what << ": " << error;
    }
}
