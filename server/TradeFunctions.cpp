// The trade functions of the stand-in server (tc_mfuncno 600): log-in, branch offices, the order form's lookup,
// orders, cancels, account queries, bank transfers, new shares, warrants and the password. Every reply is
// enciphered; every function but the log-in and the branch list needs the trade session of a log-in.
#include "server/Brokerage.h"
#include "server/DataSetWriter.h"
#include "server/Market.h"
#include "server/ServerFunctions.h"
#include "server/ServerText.h"
#include "server/TextTable.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <functional>
#include <shared_mutex>

namespace {

struct CTradeCall {
    CBrokerage& broker;
    CTradeAccount& account;
    const CRequestParams& params;
    std::string error; // UTF-8
};

const char* SideText(int side)
{
    return side == 0 ? "买入" : "卖出";
}

std::string OrderStateText(const CStockOrder& o)
{
    if (o.kind == ORDER_NEW_SHARE)
        return o.IsOpen() ? "已申购" : o.filled > 0 ? "已中签" : "未中签";
    if (o.IsOpen())
        return o.filled == 0 ? "已报" : "部成";
    return o.cancelled == 0 ? "已成" : o.filled == 0 ? "已撤" : "部撤";
}

int MarketOf(const CRequestParams& p)
{
    return p.GetInt("market", 0);
}

std::string Row(const std::vector<CTextColumn>& columns, const std::vector<std::string>& cells, const char* set)
{
    return TextTable(set, columns, {cells});
}

const std::vector<CTextColumn>& OrderColumns()
{
    static const std::vector<CTextColumn> columns = {
        {"sj", "委托时间"}, {"wtbh", "委托编号"}, {"zqdm", "证券代码"}, {"zqmc", "证券名称"}, {"mmlb", "买卖"},
        {"jg", "委托价格"}, {"sl", "委托数量"},   {"cjsl", "成交数量"}, {"cdsl", "撤单数量"}, {"zt", "状态"}};
    return columns;
}

std::vector<std::string> OrderRow(const CStockOrder& o)
{
    return {TimeText(o.time),
            std::to_string(o.id),
            o.code,
            o.name,
            Gb(SideText(o.side)),
            Price3(o.price),
            std::to_string(o.quantity),
            std::to_string(o.filled),
            std::to_string(o.cancelled),
            Gb(OrderStateText(o))};
}

const std::vector<CTextColumn>& DealColumns()
{
    static const std::vector<CTextColumn> columns = {{"sj", "成交时间"},   {"cjbh", "成交编号"}, {"wtbh", "委托编号"},
                                                     {"zqdm", "证券代码"}, {"zqmc", "证券名称"}, {"mmlb", "买卖"},
                                                     {"cjjg", "成交价格"}, {"cjsl", "成交数量"}, {"cjje", "成交金额"}};
    return columns;
}

std::vector<std::string> DealRow(const CStockDeal& d)
{
    return {TimeText(d.time),
            std::to_string(d.id),
            std::to_string(d.orderId),
            d.code,
            d.name,
            Gb(SideText(d.side)),
            Price3(d.price),
            std::to_string(d.quantity),
            Money((d.price * d.quantity + 5) / 10)};
}

// Market value of a holding in fen at the last price (the cost price when the code is not traded).
int64_t HoldingValue(CBrokerage& b, const CHolding& h, int64_t* last)
{
    const CSecurity* s = b.Security(h.market, h.code);
    *last = s ? CBrokerage::PriceOf(*s, s->last) : (h.shares > 0 ? h.cost * 10 / h.shares : 0);
    return (*last * h.shares + 5) / 10;
}

// The average cost of a holding in yuan, always with three decimals: a column of them reads alike.
std::string CostPrice(const CHolding& h)
{
    int64_t li = h.shares > 0 ? (h.cost * 10 + h.shares / 2) / h.shares : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld", (long long)(li / 1000), (long long)(li % 1000));
    return text;
}

std::string Stock(CTradeCall& t)
{
    std::string code = t.params.Get("code");
    int side = t.params.GetInt("mmlb", 0) == 1 ? 1 : 0;
    int64_t price = ParseScaled(t.params.Get("price"), 3);
    CTradeAccount& a = t.account;
    std::vector<CTextColumn> columns = {{"zqdm", ""}, {"zqmc", ""}, {"market", ""}, {"zxj", ""},
                                        {"zsp", ""},  {"ztj", ""},  {"dtj", ""},    {"jydw", ""}};
    static const char* const book[] = {"mrjw1", "mrjw2", "mrjw3", "mrjw4", "mrjw5", "mrsl1", "mrsl2",
                                       "mrsl3", "mrsl4", "mrsl5", "mcjw1", "mcjw2", "mcjw3", "mcjw4",
                                       "mcjw5", "mcsl1", "mcsl2", "mcsl3", "mcsl4", "mcsl5"};
    for (const char* n : book)
        columns.push_back({n, ""});
    // jgdw: the price step in yuan; tpbz: 1 while the security is suspended (orders refused).
    for (const char* n : {"kyzj", "kysl", "zdsl", "sgdm", "jgdw", "tpbz"})
        columns.push_back({n, ""});
    std::vector<std::string> row;
    CNewShare issue;
    if (side == 0 && t.broker.NewShare(code, &issue)) {
        std::string p = Price3(issue.price);
        row = {issue.applyCode,
               issue.name,
               std::to_string(issue.market),
               p,
               p,
               p,
               p,
               std::to_string(CBrokerage::NEW_SHARE_LOT)};
        row.resize(columns.size() - 6, "0");
        int64_t lots = (a.cash - a.frozen) * 10 / (issue.price * CBrokerage::NEW_SHARE_LOT);
        int most = static_cast<int>(std::min<int64_t>(lots * CBrokerage::NEW_SHARE_LOT, issue.maxShares));
        for (const std::string& v : {Money(a.cash - a.frozen), std::string("0"), std::to_string(std::max(0, most)),
                                     std::string("1"), std::string("0.01"), std::string("0")})
            row.push_back(v);
        return Row(columns, row, "stock");
    }
    const CSecurity* s = t.broker.Security(MarketOf(t.params), code);
    if (s == nullptr) {
        t.error = "证券代码不存在";
        return std::string();
    }
    int64_t up, down;
    CBrokerage::Limits(*s, &up, &down);
    row = {s->code,
           s->name,
           std::to_string(s->market),
           Price3(CBrokerage::PriceOf(*s, s->last)),
           Price3(CBrokerage::PriceOf(*s, s->prevClose)),
           Price3(up),
           Price3(down),
           std::to_string(CBrokerage::LOT)};
    for (const int* prices : {s->bidPrice, s->bidVolume, s->askPrice, s->askVolume})
        for (int i = 0; i < 5; ++i)
            row.push_back(prices == s->bidVolume || prices == s->askVolume
                              ? std::to_string(prices[i])
                              : Price3(CBrokerage::PriceOf(*s, prices[i])));
    const CHolding* h = a.Holding(s->market, s->code);
    int sellable = h ? a.Sellable(*h, t.broker.Today()) : 0;
    int most = side == 1 ? sellable : t.broker.MaxBuy(a, price > 0 ? price : CBrokerage::PriceOf(*s, s->last));
    for (const std::string& v :
         {Money(a.cash - a.frozen), std::to_string(sellable), std::to_string(most), std::string("0"),
          Price3(CBrokerage::PriceStep(*s)), std::string(s->suspended ? "1" : "0")})
        row.push_back(v);
    return Row(columns, row, "stock");
}

std::string PlaceOrder(CTradeCall& t)
{
    int side = t.params.GetInt("mmlb", 0) == 1 ? 1 : 0;
    CDone d = t.broker.PlaceOrder(t.account, MarketOf(t.params), t.params.Get("code"), side, t.params.Get("price"),
                                  t.params.Get("sl"));
    if (!d.Ok()) {
        t.error = d.error;
        return std::string();
    }
    const CStockOrder& o = *std::find_if(t.account.orders.rbegin(), t.account.orders.rend(), // recent at the end
                                         [&](const CStockOrder& x) { return x.id == d.id; });
    return Row({{"wtbh", ""}, {"zqdm", ""}, {"zqmc", ""}, {"mmlb", ""}, {"jg", ""}, {"sl", ""}, {"msg", ""}},
               {std::to_string(o.id), o.code, o.name, Gb(SideText(o.side)), Price3(o.price), std::to_string(o.quantity),
                Gb("委托已受理")},
               "order");
}

std::string CancelOrder(CTradeCall& t)
{
    int cancelled = 0;
    CDone d = t.broker.Cancel(t.account, t.params.GetInt("wtbh", -1), &cancelled);
    if (!d.Ok()) {
        t.error = d.error;
        return std::string();
    }
    const CStockOrder& o = *std::find_if(t.account.orders.rbegin(), t.account.orders.rend(), // recent at the end
                                         [&](const CStockOrder& x) { return x.id == d.id; });
    return Row({{"wtbh", ""}, {"zt", ""}, {"cdsl", ""}},
               {std::to_string(o.id), Gb(OrderStateText(o)), std::to_string(cancelled)}, "cancel");
}

std::string Positions(CTradeCall& t)
{
    CTextRows rows;
    for (const CHolding& h : t.account.holdings) {
        int64_t last = 0;
        int64_t value = HoldingValue(t.broker, h, &last);
        rows.push_back({h.code, h.name, std::to_string(h.market), std::to_string(h.shares),
                        std::to_string(t.account.Sellable(h, t.broker.Today())),
                        CostPrice(h), Price3(last), Money(value),
                        Money(value - h.cost)});
    }
    return PagedTextTable(t.params, "query",
                          {{"zqdm", "证券代码"},
                           {"zqmc", "证券名称"},
                           {"market", "市场"},
                           {"gfye", "股份余额"},
                           {"kysl", "可卖数量"},
                           {"cbj", "成本价"},
                           {"zxj", "现价"},
                           {"sz", "市值"},
                           {"fdyk", "浮动盈亏"}},
                          rows);
}

// A page of the items at those positions of an account's list, formatted by row; dated: each row led by its
// item's date.
template <typename T>
std::string ItemPage(const std::vector<T>& items, std::vector<std::string> (*row)(const T&),
                     const std::vector<CTextColumn>& columns, const CPage& page, const std::vector<size_t>& at,
                     bool dated)
{
    return PageTextTable("query", columns, page, at.size(), [&](size_t i) {
        const T& item = items[at[i]];
        std::vector<std::string> cells = row(item);
        if (dated)
            cells.insert(cells.begin(), std::to_string(item.date));
        return cells;
    });
}

// Only the page's rows are formatted; the cancel list is found among the open orders, the rest by date.
std::string OrdersToday(CTradeCall& t)
{
    CPage page = RequestedPage(t.params);
    int today = t.broker.Today();
    CAccountIndex& index = t.broker.Index(t.account);
    std::vector<size_t> at;
    if (t.params.GetInt("kcd", 0) == 1) {
        size_t skipped = 0;
        for (size_t i : index.OpenOrders(t.account.orders)) {
            const CStockOrder& o = t.account.orders[i];
            if (o.date < today || o.kind != ORDER_STOCK)
                continue;
            if (at.size() == page.count)
                break;
            if (skipped++ >= page.first)
                at.push_back(i);
        }
    } else {
        at = index.OrdersDated(t.account.orders, today, INT_MAX, page.first, page.count);
    }
    return ItemPage(t.account.orders, OrderRow, OrderColumns(), page, at, false);
}

std::string DealsToday(CTradeCall& t)
{
    CPage page = RequestedPage(t.params);
    int today = t.broker.Today();
    return ItemPage(t.account.deals, DealRow, DealColumns(), page,
                    t.broker.Index(t.account).DealsDated(t.account.deals, today, today, page.first, page.count),
                    false);
}

void DateRange(CTradeCall& t, int fallbackDays, int* from, int* to)
{
    *to = t.params.GetInt("jsrq", t.broker.Today());
    *from = t.params.GetInt("ksrq", fallbackDays < 0 ? 0 : AddDays(t.broker.Today(), -fallbackDays));
}

std::string History(CTradeCall& t)
{
    int from, to;
    DateRange(t, 30, &from, &to);
    if (from > to) {
        t.error = "起始日期不能晚于终止日期";
        return std::string();
    }
    std::vector<CTextColumn> columns = {{"rq", "日期"}};
    CPage page = RequestedPage(t.params);
    CAccountIndex& index = t.broker.Index(t.account);
    if (t.params.GetInt("lb", 1) == 0) {
        columns.insert(columns.end(), OrderColumns().begin(), OrderColumns().end());
        return ItemPage(t.account.orders, OrderRow, columns, page,
                        index.OrdersDated(t.account.orders, from, to, page.first, page.count), true);
    }
    columns.insert(columns.end(), DealColumns().begin(), DealColumns().end());
    return ItemPage(t.account.deals, DealRow, columns, page,
                    index.DealsDated(t.account.deals, from, to, page.first, page.count), true);
}

std::string Cash(CTradeCall& t)
{
    int64_t value = 0, cost = 0;
    for (const CHolding& h : t.account.holdings) {
        int64_t last;
        value += HoldingValue(t.broker, h, &last);
        cost += h.cost;
    }
    CTradeAccount& a = t.account;
    return TextTable("cash",
                     {{"bz", "币种"},
                      {"zzc", "总资产"},
                      {"kyzj", "可用资金"},
                      {"djzj", "冻结资金"},
                      {"zxsz", "证券市值"},
                      {"fdyk", "浮动盈亏"}},
                     {{Gb("人民币"), Money(a.cash + value), Money(a.cash - a.frozen), Money(a.frozen), Money(value),
                       Money(value - cost)}});
}

std::string Transfer(CTradeCall& t)
{
    int direction = t.params.GetInt("zzfx", 0);
    CDone d = t.broker.Transfer(t.account, t.params.Get("yhdm"), direction, t.params.Get("je"), t.params.Get("yhmm"),
                                t.params.Get("zjmm"));
    if (!d.Ok()) {
        t.error = d.error;
        return std::string();
    }
    const CBankAccount& b = *t.broker.Bank(t.account, t.params.Get("yhdm"));
    return Row({{"wtbh", ""}, {"yhdm", ""}, {"yhmc", ""}, {"zzfx", ""}, {"je", ""}, {"yhye", ""}, {"kyzj", ""}},
               {std::to_string(d.id), b.code, Gb(b.name), Gb(direction == 1 ? "银行转证券" : "证券转银行"),
                Money(t.account.transfers.back().amount), Money(b.balance), Money(t.account.cash - t.account.frozen)},
               "transfer");
}

std::string BankBalance(CTradeCall& t)
{
    CBankAccount* b = t.broker.Bank(t.account, t.params.Get("yhdm"));
    if (b == nullptr) {
        t.error = "银行代码无效";
        return std::string();
    }
    if (!t.broker.CheckBankPassword(t.account, *b, t.params.Get("yhmm"), &t.error))
        return std::string();
    return Row({{"yhdm", "银行代码"}, {"yhmc", "银行名称"}, {"bz", "币种"}, {"yhye", "银行余额"}},
               {b->code, Gb(b->name), Gb("人民币"), Money(b->balance)}, "balance");
}

std::string Transfers(CTradeCall& t)
{
    int from, to;
    DateRange(t, -1, &from, &to);
    CTextRows rows;
    for (const CBankTransfer& x : t.account.transfers) {
        if (x.date < from || x.date > to)
            continue;
        const CBankAccount* b = t.broker.Bank(t.account, x.bank);
        rows.push_back({std::to_string(x.date), TimeText(x.time), std::to_string(x.id), Gb(b ? b->name : x.bank),
                        Gb(x.direction == 1 ? "银行转证券" : "证券转银行"),
                        Money(x.direction == 1 ? x.amount : -x.amount), Gb("成功")});
    }
    return PagedTextTable(t.params, "query",
                          {{"rq", "日期"},
                           {"sj", "时间"},
                           {"wtbh", "流水号"},
                           {"yhmc", "银行"},
                           {"zzfx", "方向"},
                           {"je", "金额"},
                           {"zt", "状态"}},
                          rows);
}

std::string Banks(CTradeCall& t)
{
    CTextRows rows;
    for (const CBankAccount& b : t.account.banks)
        rows.push_back({b.code, Gb(b.name), "****" + b.number.substr(b.number.size() > 4 ? b.number.size() - 4 : 0),
                        Gb("人民币")});
    return TextTable("banks", {{"yhdm", "银行代码"}, {"yhmc", "银行名称"}, {"yhzh", "银行账号"}, {"bz", "币种"}}, rows);
}

std::string NewShareList(CTradeCall& t)
{
    CTextRows rows;
    for (const CNewShare& n : t.broker.NewShares())
        rows.push_back({n.applyCode, n.code, n.name, std::to_string(n.market), Price3(n.price),
                        std::to_string(n.maxShares), std::to_string(CBrokerage::NEW_SHARE_LOT),
                        std::to_string(t.broker.OrderDay())});
    return TextTable("xgsg",
                     {{"sgdm", "申购代码"},
                      {"zqdm", "证券代码"},
                      {"zqmc", "证券名称"},
                      {"market", "市场"},
                      {"fxj", "发行价"},
                      {"sgsx", "申购上限"},
                      {"sgdw", "申购单位"},
                      {"sgrq", "申购日期"}},
                     rows);
}

std::string ExerciseWarrant(CTradeCall& t)
{
    int64_t paid = 0;
    std::string code = t.params.Get("qzdm");
    CDone d = t.broker.Exercise(t.account, code, t.params.Get("sl"), &paid);
    if (!d.Ok()) {
        t.error = d.error;
        return std::string();
    }
    std::string name;
    for (const CWarrant& w : t.broker.Warrants())
        if (w.code == code)
            name = w.name;
    return Row({{"wtbh", ""}, {"qzdm", ""}, {"qzmc", ""}, {"sl", ""}, {"je", ""}, {"msg", ""}},
               {std::to_string(d.id), code, name, t.params.Get("sl"), Money(paid), Gb("行权成功")}, "order");
}

std::string WarrantList(CTradeCall& t)
{
    CTextRows rows;
    for (const CWarrant& w : t.broker.Warrants()) {
        auto held = t.account.warrants.find(w.code);
        rows.push_back({w.code, w.name, w.underlying, w.underlyingName, Price3(w.strike), std::to_string(w.ratio),
                        std::to_string(held == t.account.warrants.end() ? 0 : held->second),
                        std::to_string(w.from) + "-" + std::to_string(w.to)});
    }
    return TextTable("qz",
                     {{"qzdm", "权证代码"},
                      {"qzmc", "权证名称"},
                      {"bddm", "标的代码"},
                      {"bdmc", "标的名称"},
                      {"xqjg", "行权价"},
                      {"xqbl", "行权比例"},
                      {"kysl", "可行权数量"},
                      {"xqqj", "行权期间"}},
                     rows);
}

std::string ChangePassword(CTradeCall& t)
{
    CDone d = t.broker.ChangePassword(t.account, t.params.Get("oldpwd"), t.params.Get("newpwd"));
    if (!d.Ok()) {
        t.error = d.error;
        return std::string();
    }
    return Row({{"msg", ""}, {"wtbh", ""}}, {Gb("密码修改成功"), std::to_string(d.id)}, "result");
}

} // namespace

CServerFunctions::Answer CServerFunctions::TradeLogIn(Context& c)
{
    std::string error;
    CTradeAccount* a = brokerage->LogIn(c.params.Get("account"), c.params.GetInt("accounttype", 0), c.params.Get("yyb"),
                                        c.params.Get("password"), &error);
    if (a == nullptr)
        return Error(error);
    // A new token each log-in, so a session's earlier trade token stops working.
    std::string token = CSessionTable::NewSecret("T");
    if (token.empty())
        return Error("系统繁忙，请稍后再试");
    c.session.tradeToken = token;
    c.session.fundId = a->fundId;
    sessions.Update(c.session);

    CTextRows accounts;
    for (int m : {1, 2})
        accounts.push_back({std::to_string(m), brokerage->HolderCode(a->fundId, m), a->fundId, Gb(a->holder)});
    Answer answer;
    answer.body = TextTable("accounts", {{"market", ""}, {"secuid", ""}, {"fundid", ""}, {"custname", ""}}, accounts);
    answer.body +=
        TextTable("trdsession", {{"session", ""}}, {{std::string("trdtoken=") + token + "&inputid=" + a->fundId}});
    answer.account = true;
    return answer;
}

CServerFunctions::Answer CServerFunctions::Trade(Context& c)
{
    Answer answer;
    answer.account = true;
    if (c.sfunc == 5) {
        CTextRows rows;
        for (const CBranchOffice& b : CBrokerage::Branches())
            rows.push_back({b.code, Gb(b.name), Gb(b.address), b.phone});
        answer.body =
            TextTable("yyb", {{"yybdm", "营业部代码"}, {"yybmc", "营业部名称"}, {"dz", "地址"}, {"dh", "电话"}}, rows);
        return answer;
    }
    // The account's lock first, then the market's; a save lets go of the market while it writes.
    CTradeAccount* a = c.sfunc == 1 ? brokerage->Lookup(c.params.Get("account"), c.params.GetInt("accounttype", 0))
                                    : brokerage->ForSession(c.session, c.params);
    std::unique_lock<std::mutex> hold;
    if (a)
        hold = brokerage->Hold(*a);
    std::shared_lock<std::shared_mutex> read(market.Lock());
    CMarketGoesWhileSaving letGo(read);
    if (c.sfunc == 1)
        return TradeLogIn(c);
    if (a == nullptr)
        return Error("请先登录交易系统");
    brokerage->Settle(*a);
    if (c.sfunc == 2) {
        c.session.tradeToken.clear();
        c.session.fundId.clear();
        sessions.Update(c.session);
        answer.body = TextTable("logout", {{"isok", ""}}, {{"1"}});
        return answer;
    }
    static const std::map<int, std::function<std::string(CTradeCall&)>> functions = {
        {3, Stock},         {6, PlaceOrder},       {7, CancelOrder},  {10, Positions},
        {11, OrdersToday},  {12, DealsToday},      {13, History},     {14, Cash},
        {20, Transfer},     {21, BankBalance},     {22, Transfers},   {23, Banks},
        {30, NewShareList}, {31, ExerciseWarrant}, {32, WarrantList}, {40, ChangePassword}};
    auto f = functions.find(c.sfunc);
    if (f == functions.end())
        return Error("该功能暂未开放");
    CTradeCall call{*brokerage, *a, c.params, std::string()};
    answer.body = f->second(call);
    if (!call.error.empty())
        return Error(call.error);
    return answer;
}
