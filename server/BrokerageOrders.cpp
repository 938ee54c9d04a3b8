// Stock orders of the stand-in server's brokerage: prices and limits, the day's new shares and the warrants, orders
// matched minute by minute against the synthetic market, cancels, warrant exercise, and the settling of what the
// clock brings (orders lapsing at the close, new-share allotment, fund confirmation, cash products maturing).
#include "server/Brokerage.h"

#include "server/Market.h"
#include "server/ServerText.h"

#include <algorithm>
#include <cstdio>

namespace {

uint64_t Mix(uint64_t x)
{
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    return x ^ (x >> 33);
}

} // namespace

std::vector<const CSecurity*> CBrokerage::Stocks() const
{
    std::vector<const CSecurity*> list;
    for (const CSecurity& s : market.Securities())
        if (s.type == KIND_STOCK && s.market != 3 && s.market != 9)
            list.push_back(&s);
    return list;
}

const CSecurity* CBrokerage::Security(int m, const std::string& code) const
{
    for (const CSecurity& s : market.Securities())
        if ((m == 0 || s.market == m) && s.code == code && s.type != KIND_INDEX && s.market != 3 && s.market != 9)
            return &s;
    return nullptr;
}

int64_t CBrokerage::PriceOf(const CSecurity& s, int units)
{
    return s.decimals == 3 ? units : int64_t(units) * 10;
}

int64_t CBrokerage::PriceStep(const CSecurity& s)
{
    return s.decimals == 3 ? 1 : 10;
}

void CBrokerage::Limits(const CSecurity& s, int64_t* up, int64_t* down)
{
    *up = PriceOf(s, static_cast<int>((int64_t(s.prevClose) * 110 + 50) / 100));
    *down = PriceOf(s, static_cast<int>((int64_t(s.prevClose) * 90 + 50) / 100));
}

std::vector<CNewShare> CBrokerage::NewShares() const
{
    // Two issues a day, derived from the seed and the date; the Shanghai one has its own subscription code.
    static const char* const names[] = {"华锐新材", "中科微电", "恒信医药", "联创智能",
                                        "天润环保", "博远科技", "海川能源", "瑞丰食品"};
    int day = OrderDay();
    int shanghai = ExchangeMarket(true), shenzhen = ExchangeMarket(false);
    std::vector<CNewShare> list;
    for (int i = 0; i < 2; ++i) {
        uint64_t h = Mix(seed * 1000003 + static_cast<uint64_t>(day) * 2 + static_cast<uint64_t>(i));
        char digits[8];
        std::snprintf(digits, sizeof digits, "%03d", static_cast<int>(h % 900 + 100));
        CNewShare n;
        n.market = i == 0 ? shanghai : shenzhen;
        n.code = (i == 0 ? "603" : "301") + std::string(digits);
        n.applyCode = i == 0 ? "732" + std::string(digits) : n.code;
        n.name = Gb(names[(h >> 16) % 8]);
        n.price = 1000 * 8 + static_cast<int64_t>((h >> 24) % 3000) * 10;
        n.maxShares = i == 0 ? 10000 : 5000;
        list.push_back(n);
    }
    return list;
}

bool CBrokerage::NewShare(const std::string& applyCode, CNewShare* out) const
{
    for (const CNewShare& n : NewShares())
        if (n.applyCode == applyCode) {
            *out = n;
            return true;
        }
    return false;
}

std::vector<CWarrant> CBrokerage::Warrants() const
{
    std::vector<CWarrant> list;
    std::vector<const CSecurity*> stocks = Stocks();
    if (stocks.size() < 2)
        return list;
    int today = market.GetDate();
    for (int i = 0; i < 2; ++i) {
        const CSecurity& s = *stocks[static_cast<size_t>(i) * 4 % stocks.size()];
        CWarrant w;
        w.code = i == 0 ? "580011" : "580012";
        w.name = s.name + "CWB" + std::to_string(i + 1);
        w.market = s.market;
        w.underlying = s.code;
        w.underlyingName = s.name;
        w.strike = PriceOf(s, s.prevClose) * (80 + 10 * i) / 100 / 10 * 10;
        w.ratio = 1;
        // The first is in its exercise period, the second only later.
        w.from = i == 0 ? AddDays(today, -30) : AddDays(today, 60);
        w.to = i == 0 ? AddDays(today, 30) : AddDays(today, 90);
        list.push_back(w);
    }
    return list;
}

int CBrokerage::MaxBuy(const CTradeAccount& a, int64_t price) const
{
    if (price <= 0)
        return 0;
    int64_t lots = (a.cash - a.frozen) * 10 / (price * LOT);
    return static_cast<int>(std::clamp<int64_t>(lots, 0, 10000) * LOT);
}

CDone CBrokerage::PlaceOrder(CTradeAccount& a, int m, const std::string& code, int side, const std::string& priceText,
                             const std::string& quantityText)
{
    Settle(a);
    CDone d;
    CNewShare newShare;
    const CNewShare* issue = side == 0 && NewShare(code, &newShare) ? &newShare : nullptr;
    const CSecurity* s = issue ? nullptr : Security(m, code);
    if (issue == nullptr && s == nullptr)
        return {"证券代码不存在"};
    if (s && s->suspended)
        return {"该证券停牌，不能交易"};
    int64_t price = ParseScaled(priceText, 3);
    if (price <= 0 || (s && price % PriceStep(*s) != 0))
        return {"委托价格无效"};
    int64_t quantity = ParseScaled(quantityText, 0);
    if (quantity <= 0 || quantity > 1000000)
        return {"委托数量无效"};
    int today = OrderDay();
    CStockOrder o;
    if (issue) {
        if (price != issue->price)
            return {"申购价格须为发行价" + Price3(issue->price)};
        if (quantity % NEW_SHARE_LOT != 0)
            return {"申购数量必须为" + std::to_string(NEW_SHARE_LOT) + "股的整数倍"};
        if (quantity > issue->maxShares)
            return {"申购数量超过上限" + std::to_string(issue->maxShares) + "股"};
        for (const CStockOrder& x : a.orders)
            if (x.kind == ORDER_NEW_SHARE && x.date == today && x.code == issue->applyCode)
                return {"该新股今日已申购"};
        o.kind = ORDER_NEW_SHARE;
        o.market = issue->market;
        o.code = issue->applyCode;
        o.name = issue->name;
    } else {
        int64_t up, down;
        Limits(*s, &up, &down);
        if (price > up || price < down)
            return {"委托价格超出涨跌停限制(" + Price3(down) + "-" + Price3(up) + ")"};
        o.market = s->market;
        o.code = s->code;
        o.name = s->name;
    }
    if (side == 0) {
        if (quantity % LOT != 0)
            return {"买入数量必须为100股的整数倍"};
        int64_t cost = CostUp(price, quantity);
        if (cost > a.cash - a.frozen)
            return {"可用资金不足"};
        o.frozen = cost;
        a.frozen += cost;
    } else {
        CHolding* h = a.Holding(s->market, s->code);
        int sellable = h ? a.Sellable(*h, Today()) : 0;
        if (quantity > sellable)
            return {"可卖数量不足（可卖" + std::to_string(sellable) + "股）"};
        // The odd lot goes whole, alone or with whole lots.
        if (quantity % LOT != 0 && quantity % LOT != sellable % LOT)
            return {"卖出零股须一次性卖出"};
        h->frozen += static_cast<int>(quantity);
    }
    o.id = NextId(a);
    o.date = today;
    o.time = NowHHMMSS();
    o.fromMinute = today == Today() ? market.GetMinuteOfDay() : 0;
    o.side = side;
    o.price = price;
    o.quantity = static_cast<int>(quantity);
    a.orders.push_back(o);
    d.id = o.id;
    if (!Save(a))
        return {NotAccepted("委托")};
    return d;
}

void CBrokerage::Fill(CTradeAccount& a, CStockOrder& o, int64_t price, int quantity)
{
    int remaining = o.quantity - o.filled - o.cancelled;
    quantity = std::min(quantity, remaining);
    if (quantity <= 0)
        return;
    a.deals.push_back({NextId(a), o.date, NowHHMMSS(), o.id, o.market, o.code, o.name, o.side, price, quantity});
    o.filled += quantity;
    int64_t amount = CostNear(price, quantity);
    if (o.side == 0) {
        int64_t release = o.IsOpen() ? std::min(o.frozen, CostUp(o.price, quantity)) : o.frozen;
        o.frozen -= release;
        a.frozen -= release;
        a.cash -= amount;
        CHolding* h = a.Holding(o.market, o.code);
        if (h == nullptr) {
            a.holdings.push_back({o.market, o.code, o.name});
            h = &a.holdings.back();
        }
        if (h->boughtDate != o.date)
            h->boughtShares = 0;
        h->boughtDate = o.date;
        h->boughtShares += quantity;
        h->shares += quantity;
        h->cost += amount;
    } else {
        CHolding* h = a.Holding(o.market, o.code);
        if (h == nullptr)
            return;
        h->cost -= h->shares > 0 ? h->cost * quantity / h->shares : 0;
        h->shares -= quantity;
        h->frozen -= quantity;
        a.cash += amount;
        if (h->shares <= 0)
            a.holdings.erase(a.holdings.begin() + (h - a.holdings.data()));
    }
}

int CBrokerage::CancelRest(CTradeAccount& a, CStockOrder& o)
{
    int rest = o.quantity - o.filled - o.cancelled;
    o.cancelled += rest;
    if (o.side == 0) {
        a.frozen -= o.frozen;
        o.frozen = 0;
    } else if (CHolding* h = a.Holding(o.market, o.code)) {
        h->frozen -= rest;
    }
    return rest;
}

CDone CBrokerage::Cancel(CTradeAccount& a, int orderId, int* cancelled)
{
    Settle(a);
    for (auto it = a.orders.rbegin(); it != a.orders.rend(); ++it) { // recent orders are at the end
        CStockOrder& o = *it;
        if (o.id != orderId)
            continue;
        if (o.kind == ORDER_NEW_SHARE)
            return {"新股申购不能撤单"};
        if (!o.IsOpen())
            return {o.filled == o.quantity ? "该委托已全部成交，不能撤单" : "该委托已撤单"};
        *cancelled = CancelRest(a, o);
        CDone d;
        d.id = o.id;
        if (!Save(a))
            return {NotAccepted("撤单")};
        return d;
    }
    return {"委托不存在"};
}

CDone CBrokerage::Exercise(CTradeAccount& a, const std::string& code, const std::string& quantityText, int64_t* paid)
{
    Settle(a);
    std::vector<CWarrant> list = Warrants();
    auto w = std::find_if(list.begin(), list.end(), [&](const CWarrant& x) { return x.code == code; });
    if (w == list.end())
        return {"权证代码不存在"};
    int today = Today();
    if (today < w->from || today > w->to)
        return {"不在行权期内"};
    int64_t quantity = ParseScaled(quantityText, 0);
    if (quantity <= 0)
        return {"行权数量无效"};
    int held = a.warrants.count(code) ? a.warrants[code] : 0;
    if (quantity > held)
        return {"可行权数量不足"};
    int64_t cost = CostUp(w->strike, quantity * w->ratio);
    if (cost > a.cash - a.frozen)
        return {"可用资金不足"};
    a.cash -= cost;
    a.warrants[code] = held - static_cast<int>(quantity);
    CHolding* h = a.Holding(w->market, w->underlying);
    if (h == nullptr) {
        a.holdings.push_back({w->market, w->underlying, w->underlyingName});
        h = &a.holdings.back();
    }
    if (h->boughtDate != today)
        h->boughtShares = 0;
    h->boughtDate = today;
    h->boughtShares += static_cast<int>(quantity * w->ratio);
    h->shares += static_cast<int>(quantity * w->ratio);
    h->cost += cost;
    *paid = cost;
    CDone d;
    d.id = NextId(a);
    if (!Save(a))
        return {NotAccepted("行权")};
    return d;
}

bool CBrokerage::OnMinute(CTradeAccount& a)
{
    int done = market.GetMinuteOfDay() - 1; // the minute that has just been traded
    int today = market.GetDate();
    bool changed = false;
    std::vector<size_t> open = Index(a).OpenOrders(a.orders); // a copy: fills end orders
    for (size_t i : open) {
        CStockOrder& o = a.orders[i];
        if (o.kind != ORDER_STOCK || !o.IsOpen() || o.date != today || done < o.fromMinute)
            continue;
        const CSecurity* s = Security(o.market, o.code);
        if (s == nullptr || s->minutes.empty())
            continue;
        const CMarketMinute& m = s->minutes.back();
        int64_t price = PriceOf(*s, m.price);
        if ((o.side == 0 && price > o.price) || (o.side == 1 && price < o.price))
            continue;
        // A quarter of the minute's volume at most, in whole lots, so large orders fill in parts.
        int lot = std::max(LOT, m.volume / 4 / LOT * LOT);
        Fill(a, a.orders[i], price, lot);
        changed = true;
    }
    if (market.GetMinuteOfDay() >= 240 || market.GetMinuteOfDay() <= 1)
        changed = SettleLocked(a) || changed;
    return changed;
}

void CBrokerage::Settle(CTradeAccount& a)
{
    if (SettleLocked(a))
        Save(a);
}

bool CBrokerage::SettleLocked(CTradeAccount& a)
{
    int today = Today();
    bool closed = market.GetMinuteOfDay() >= 240;
    bool changed = false;
    std::vector<size_t> open = Index(a).OpenOrders(a.orders); // a copy: the day's end closes them
    for (size_t i : open) {
        CStockOrder& o = a.orders[i];
        if (o.kind == ORDER_STOCK && (o.date < today || (o.date == today && closed))) {
            // The day is over: the rest of the order lapses as a cancel would end it.
            CancelRest(a, o);
            changed = true;
        } else if (o.kind == ORDER_NEW_SHARE && o.date < today) {
            // Allotment: one lot for some subscriptions, decided by the seed; the rest of the money returns.
            int allotted = Mix(seed ^ (static_cast<uint64_t>(o.id) * 7919 + static_cast<uint64_t>(o.date))) % 2 == 0
                               ? NEW_SHARE_LOT
                               : 0;
            int64_t paid = CostUp(o.price, allotted);
            a.frozen -= o.frozen;
            a.cash -= paid;
            o.frozen = 0;
            o.filled = allotted;
            o.cancelled = o.quantity - allotted;
            if (allotted > 0) {
                std::string code = o.code.rfind("732", 0) == 0 ? "603" + o.code.substr(3) : o.code;
                a.deals.push_back({NextId(a), o.date, 150000, o.id, o.market, code, o.name, 0, o.price, allotted});
                CHolding* h = a.Holding(o.market, code);
                if (h == nullptr) {
                    a.holdings.push_back({o.market, code, o.name});
                    h = &a.holdings.back();
                }
                h->shares += allotted;
                h->cost += paid;
            }
            changed = true;
        }
    }
    for (CFundOrder& o : a.fundOrders)
        if (o.state == FUND_ORDER_REPORTED && (o.tradeDate < today || (o.tradeDate == today && closed))) {
            ConfirmFundOrder(a, o);
            changed = true;
        }
    for (CCashHolding& h : a.cashHoldings)
        if (h.state == 0 && h.maturity < today) {
            const CCashProduct* p = funds.Product(h.code);
            h.paid = p ? CashProductIncome(h.amount, *p) : 0;
            a.cash += h.amount + h.paid;
            h.state = 2;
            changed = true;
        }
    return changed;
}
