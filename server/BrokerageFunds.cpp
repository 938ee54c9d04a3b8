// Fund accounts, fund orders confirmed at the day's net value, dividend methods and cash-management products of the
// simulated brokerage.
#include "server/Brokerage.h"

#include "server/Market.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>

namespace {

// The birth date of an identity card number (15 characters: 19YYMMDD) is a day that was, since 1900.
bool ValidBirthDate(const std::string& n, int today)
{
    int date = n.size() == 18 ? std::stoi(n.substr(6, 8)) : 19000000 + std::stoi(n.substr(6, 6));
    std::chrono::year_month_day day{std::chrono::year(date / 10000),
                                    std::chrono::month(static_cast<unsigned>(date / 100 % 100)),
                                    std::chrono::day(static_cast<unsigned>(date % 100))};
    return date / 10000 >= 1900 && day.ok() && date <= today;
}

bool ValidIdNumber(const std::string& idType, const std::string& n, int today)
{
    if (idType.empty() || idType == "0") {
        if (n.size() != 15 && n.size() != 18)
            return false;
        for (size_t i = 0; i < n.size(); ++i)
            if (!std::isdigit(static_cast<unsigned char>(n[i])) && !(i == 17 && (n[i] == 'X' || n[i] == 'x')))
                return false;
        if (!ValidBirthDate(n, today))
            return false;
        if (n.size() == 15)
            return true;
        // The resident identity card's last character checks the other seventeen (ISO 7064 MOD 11-2).
        static const int weights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
        int sum = 0;
        for (size_t i = 0; i < 17; ++i)
            sum += (n[i] - '0') * weights[i];
        return "10X98765432"[sum % 11] == std::toupper(static_cast<unsigned char>(n[17]));
    }
    return n.size() >= 5 && n.size() <= 20 &&
           std::all_of(n.begin(), n.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

bool ValidPhone(const std::string& p)
{
    size_t digits = static_cast<size_t>(std::count_if(p.begin(), p.end(), [](char c) { return c >= '0' && c <= '9'; }));
    return digits >= 7 && p.size() <= 20 &&
           std::all_of(p.begin(), p.end(), [](char c) { return (c >= '0' && c <= '9') || c == '-'; });
}

} // namespace

int64_t MulDivRound(int64_t value, int64_t times, int64_t by)
{
    // In 128 bits: shares times a net value, or a cost times 10000, may pass 64.
    __int128 product = static_cast<__int128>(value) * times;
    __int128 half = by / 2;
    return static_cast<int64_t>(product >= 0 ? (product + half) / by : -((-product + half) / by));
}

int64_t CashProductIncome(int64_t amount, const CCashProduct& product)
{
    return std::llround(static_cast<double>(amount) * product.yieldPercent / 100.0 * product.days / 365.0);
}

int64_t CBrokerage::FundNav(const CFundInfo& f, int date) const
{
    return std::llround(funds.Nav(f, date) * 10000.0);
}

CDone CBrokerage::OpenFundAccount(CTradeAccount& a, const std::string& tacode, const std::string& name,
                                  const std::string& idType, const std::string& idNumber, const std::string& phone)
{
    const CFundCompany* company = funds.Company(tacode);
    if (company == nullptr)
        return {"基金公司代码无效"};
    if (a.fundAccounts.count(tacode))
        return {"已开立该基金公司账户"};
    if (name.empty())
        return {"请输入姓名"};
    if (!ValidIdNumber(idType, idNumber, Today()))
        return {"证件号码无效"};
    if (!ValidPhone(phone))
        return {"电话号码无效"};
    a.fundAccounts[tacode] = "F" + tacode + a.fundId;
    CDone d;
    d.id = NextId(a);
    if (!Save(a))
        return {NotAccepted("开户")};
    return d;
}

CDone CBrokerage::FundOrder(CTradeAccount& a, int kind, const std::string& code, const std::string& amountText,
                            const std::string& toCode)
{
    Settle(a);
    const CFundInfo* f = funds.Find(code);
    if (f == nullptr)
        return {"基金代码不存在"};
    if (!a.fundAccounts.count(f->tacode))
        return {"未开立该基金公司的基金账户，请先开户"};
    CFundOrder o;
    o.kind = kind;
    o.code = code;
    if (kind == FUND_SUBSCRIBE || kind == FUND_PURCHASE) {
        if (kind == FUND_SUBSCRIBE && f->state != FUND_SUBSCRIPTION)
            return {"该基金不在认购期"};
        if (kind == FUND_PURCHASE && f->state == FUND_SUBSCRIPTION)
            return {"该基金处于认购期，请使用认购"};
        if (kind == FUND_PURCHASE && f->state == FUND_PURCHASE_SUSPENDED)
            return {"该基金暂停申购"};
        int64_t amount = ParseScaled(amountText, 2);
        if (amount <= 0 || amount > 10000000000LL)
            return {"金额无效"};
        if (amount < f->minimumFen)
            return {std::string(kind == FUND_SUBSCRIBE ? "认购" : "申购") + "金额不能低于" + Money(f->minimumFen) +
                    "元"};
        if (amount > a.cash - a.frozen)
            return {"可用资金不足"};
        o.amount = amount;
        a.frozen += amount;
    } else {
        CFundHolding* h = a.FundHolding(code);
        int64_t available = h ? h->shares - h->frozen : 0;
        int64_t shares = amountText == "all" ? available : ParseScaled(amountText, 2);
        if (shares <= 0)
            return {kind == FUND_REDEEM ? "赎回份额无效" : "转换份额无效"};
        if (shares > available)
            return {"可用份额不足"};
        if (kind == FUND_CONVERT) {
            const CFundInfo* target = funds.Find(toCode);
            if (target == nullptr)
                return {"转入基金代码不存在"};
            if (target->code == f->code)
                return {"不能转换为同一只基金"};
            if (target->tacode != f->tacode)
                return {"只能转换为同一基金公司的基金"};
            if (target->state != FUND_OPEN)
                return {"转入基金暂停申购"};
            o.toCode = toCode;
        }
        o.shares = shares;
        h->frozen += shares;
    }
    o.id = NextId(a);
    o.date = Today();
    o.time = NowHHMMSS();
    o.tradeDate = OrderDay();
    a.fundOrders.push_back(o);
    CDone d;
    d.id = o.id;
    if (!Save(a))
        return {NotAccepted(kind == FUND_SUBSCRIBE  ? "认购"
                            : kind == FUND_PURCHASE ? "申购"
                            : kind == FUND_REDEEM   ? "赎回"
                                                    : "转换")};
    return d;
}

void CBrokerage::ConfirmFundOrder(CTradeAccount& a, CFundOrder& o)
{
    const CFundInfo* f = funds.Find(o.code);
    CFundHolding* h = a.FundHolding(o.code);
    if (f == nullptr) {
        // The fund is gone from the catalogue: undo the order instead of confirming at a made-up value.
        if (o.amount > 0)
            a.frozen -= o.amount;
        if (h)
            h->frozen -= o.shares;
        o.state = FUND_ORDER_CANCELLED;
        return;
    }
    o.nav = FundNav(*f, o.tradeDate);
    o.state = FUND_ORDER_CONFIRMED;
    auto add = [&](const std::string& code, int64_t shares, int64_t cost) {
        CFundHolding* t = a.FundHolding(code);
        if (t == nullptr) {
            a.fundHoldings.push_back({code});
            t = &a.fundHoldings.back();
        }
        t->shares += shares;
        t->cost += cost;
    };
    if (o.kind == FUND_SUBSCRIBE || o.kind == FUND_PURCHASE) {
        double fee = o.kind == FUND_PURCHASE ? f->feePercent / 100.0 : 0.0;
        int64_t net = static_cast<int64_t>(std::llround(static_cast<double>(o.amount) * (1.0 - fee)));
        o.confirmedShares = o.nav > 0 ? MulDivRound(net, 10000, o.nav) : 0;
        o.confirmedAmount = o.amount;
        a.frozen -= o.amount;
        a.cash -= o.amount;
        add(o.code, o.confirmedShares, o.amount);
        return;
    }
    if (h == nullptr)
        return;
    int64_t value = MulDivRound(o.shares, o.nav, 10000);
    int64_t cost = h->shares > 0 ? MulDivRound(h->cost, o.shares, h->shares) : 0;
    h->frozen -= o.shares;
    h->shares -= o.shares;
    h->cost -= cost;
    o.confirmedShares = o.shares;
    o.confirmedAmount = value;
    if (o.kind == FUND_REDEEM) {
        a.cash += value;
    } else if (const CFundInfo* target = funds.Find(o.toCode)) {
        // The new holding cost what the shares were worth at the conversion; the old cost leaves with them.
        int64_t targetNav = FundNav(*target, o.tradeDate);
        add(o.toCode, targetNav > 0 ? MulDivRound(value, 10000, targetNav) : 0, value);
    }
    a.fundHoldings.erase(std::remove_if(a.fundHoldings.begin(), a.fundHoldings.end(),
                                        [](const CFundHolding& x) { return x.shares <= 0 && x.frozen <= 0; }),
                         a.fundHoldings.end());
}

CDone CBrokerage::SetDividend(CTradeAccount& a, const std::string& code, int method)
{
    const CFundInfo* f = funds.Find(code);
    if (f == nullptr)
        return {"基金代码不存在"};
    CFundHolding* h = a.FundHolding(code);
    if (h == nullptr)
        return {"您未持有该基金"};
    if (method != 0 && method != 1)
        return {"分红方式无效"};
    h->dividend = method;
    CFundOrder o;
    o.id = NextId(a);
    o.date = o.tradeDate = Today();
    o.time = NowHHMMSS();
    o.kind = FUND_DIVIDEND;
    o.code = code;
    o.dividend = method;
    o.state = FUND_ORDER_CONFIRMED;
    a.fundOrders.push_back(o);
    CDone d;
    d.id = o.id;
    if (!Save(a))
        return {NotAccepted("分红方式修改")};
    return d;
}

CDone CBrokerage::CancelFundOrder(CTradeAccount& a, int orderId)
{
    Settle(a);
    for (CFundOrder& o : a.fundOrders) {
        if (o.id != orderId)
            continue;
        if (o.state == FUND_ORDER_CONFIRMED)
            return {"该委托已确认，不能撤单"};
        if (o.state == FUND_ORDER_CANCELLED)
            return {"该委托已撤单"};
        if (o.kind == FUND_SUBSCRIBE || o.kind == FUND_PURCHASE)
            a.frozen -= o.amount;
        else if (CFundHolding* h = a.FundHolding(o.code))
            h->frozen -= o.shares;
        o.state = FUND_ORDER_CANCELLED;
        CDone d;
        d.id = o.id;
        if (!Save(a))
            return {NotAccepted("撤单")};
        return d;
    }
    return {"该委托不存在"};
}

CDone CBrokerage::BuyCashProduct(CTradeAccount& a, const std::string& code, const std::string& amountText)
{
    Settle(a);
    const CCashProduct* p = funds.Product(code);
    if (p == nullptr)
        return {"产品代码不存在"};
    if (p->soldOut)
        return {"该产品已售罄"};
    int64_t amount = ParseScaled(amountText, 2);
    if (amount <= 0 || amount > 10000000000LL)
        return {"金额无效"};
    if (amount < p->minimumFen)
        return {"购买金额不能低于" + Money(p->minimumFen) + "元"};
    if (amount % 100000 != 0)
        return {"购买金额须为1000元的整数倍"};
    if (amount > a.cash - a.frozen)
        return {"可用资金不足"};
    a.cash -= amount;
    CCashHolding h;
    h.id = NextId(a);
    h.code = code;
    h.amount = amount;
    h.start = Today();
    h.maturity = AddDays(h.start, p->days);
    a.cashHoldings.push_back(h);
    CDone d;
    d.id = h.id;
    if (!Save(a))
        return {NotAccepted("购买")};
    return d;
}

CDone CBrokerage::TerminateCashProduct(CTradeAccount& a, int id, int64_t* principal, int64_t* income)
{
    Settle(a);
    for (CCashHolding& h : a.cashHoldings) {
        if (h.id != id)
            continue;
        if (h.state == 2)
            return {"该产品已到期"};
        if (h.state != 0)
            break;
        // Ended early, the product pays the demand-deposit rate for the days held.
        int days = 0;
        for (int d = h.start; d < Today() && days < 3660; d = AddDays(d, 1))
            ++days;
        h.paid = MulDivRound(h.amount, 35 * static_cast<int64_t>(days), 10000 * 365);
        h.state = 1;
        a.cash += h.amount + h.paid;
        *principal = h.amount;
        *income = h.paid;
        CDone d;
        d.id = h.id;
        if (!Save(a))
            return {NotAccepted("终止")};
        return d;
    }
    return {"该产品不存在或已终止"};
}
