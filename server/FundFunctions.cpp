// The fund functions (tc_mfuncno 700) and cash-management products (610) of the stand-in server. The fund lists,
// rankings, search, detail, dictionaries, risk notice and the product list answer without a trade log-in (their
// account columns are then empty); orders, shares and the order queries need the trade session.
#include "server/Brokerage.h"
#include "server/DataSetWriter.h"
#include "server/Market.h"
#include "server/ServerFunctions.h"
#include "server/ServerText.h"
#include "server/TextTable.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <shared_mutex>

namespace {

struct CFundCall {
    CBrokerage& broker;
    CTradeAccount* account; // null without a trade log-in
    const CRequestParams& params;
    std::string error; // UTF-8
};

std::string Percent(double v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    return buffer;
}

const char* StateText(int state)
{
    return state == FUND_SUBSCRIPTION ? "认购期" : state == FUND_PURCHASE_SUSPENDED ? "暂停申购" : "正常";
}

const char* DividendText(int method)
{
    return method == 1 ? "红利再投资" : "现金分红";
}

int Published(CFundCall& t)
{
    return CFundCatalog::PublishedDate(t.broker.Today(), t.broker.Market().GetMinuteOfDay());
}

std::string CompanyName(const CFundCatalog& funds, const std::string& tacode)
{
    const CFundCompany* c = funds.Company(tacode);
    return Gb(c ? c->name : tacode);
}

// The columns of my funds and the search results.
CTextRows FundRows(CFundCall& t, const std::function<bool(const CFundInfo&)>& wanted)
{
    const CFundCatalog& funds = t.broker.Funds();
    int date = Published(t);
    CTextRows rows;
    for (const CFundInfo& f : funds.Funds()) {
        if (!wanted(f))
            continue;
        int64_t nav = t.broker.FundNav(f, date);
        int64_t accumulated = nav + (f.state == FUND_SUBSCRIPTION || f.type == 4 ? 0 : 1500);
        rows.push_back({f.code, Gb(f.name), Nav4(nav), Percent(funds.Change(f, date, 1)), Nav4(accumulated),
                        std::to_string(date), Gb(CFundCatalog::TypeName(f.type)), Gb(StateText(f.state)),
                        CompanyName(funds, f.tacode), f.tacode});
    }
    return rows;
}

const std::vector<CTextColumn>& FundColumns()
{
    // The figures a user looks for first come next to the name, in the columns a table shows at once.
    static const std::vector<CTextColumn> columns = {
        {"tradingcode", "基金代码"}, {"SecuAbbr", "基金简称"}, {"dwjz", "单位净值"}, {"zdf", "日涨幅%"},
        {"ljjz", "累计净值"},        {"jzrq", "净值日期"},     {"jjlx", "类型"},     {"zt", "状态"},
        {"jjgs", "基金公司"},        {"tacode", "公司代码"}};
    return columns;
}

std::string MyFunds(CFundCall& t)
{
    std::vector<std::string> codes = Split(t.params.Get("codes"), ',');
    CTextRows rows;
    // In the order the user keeps them.
    for (const std::string& code : codes) {
        CTextRows one = FundRows(t, [&](const CFundInfo& f) { return EqualNoCase(f.code, code); });
        rows.insert(rows.end(), one.begin(), one.end());
    }
    return PagedTextTable(t.params, "query", FundColumns(), rows);
}

std::string Search(CFundCall& t)
{
    std::string name = t.params.Get("name");
    std::string code = t.params.Get("ofcode");
    int type = t.params.GetInt("jjlx", 0);
    CTextRows rows = FundRows(t, [&](const CFundInfo& f) {
        return (type == 0 || f.type == type) && (name.empty() || Gb(f.name).find(name) != std::string::npos) &&
               (code.empty() || f.code.find(code) != std::string::npos);
    });
    return PagedTextTable(t.params, "query", FundColumns(), rows);
}

std::string Shares(CFundCall& t)
{
    const CFundCatalog& funds = t.broker.Funds();
    int date = Published(t);
    CTextRows rows;
    for (const CFundHolding& h : t.account->fundHoldings) {
        const CFundInfo* f = funds.Find(h.code);
        if (f == nullptr)
            continue;
        int64_t nav = t.broker.FundNav(*f, date);
        int64_t value = MulDivRound(h.shares, nav, 10000);
        auto account = t.account->fundAccounts.find(f->tacode);
        rows.push_back({f->code, Gb(f->name), Shares2(h.shares), Money(value), Money(value - h.cost),
                        Shares2(h.shares - h.frozen), Nav4(h.shares > 0 ? MulDivRound(h.cost, 10000, h.shares) : 0),
                        Nav4(nav), Gb(DividendText(h.dividend)), CompanyName(funds, f->tacode),
                        account == t.account->fundAccounts.end() ? std::string() : account->second, f->tacode,
                        std::to_string(h.dividend)});
    }
    // Shares, value and gain first: what the holder looks for, in the columns a table shows at once.
    return PagedTextTable(t.params, "query",
                          {{"tradingcode", "基金代码"},
                           {"SecuAbbr", "基金简称"},
                           {"fe", "份额"},
                           {"sz", "市值"},
                           {"fdyk", "浮动盈亏"},
                           {"kyfe", "可用份额"},
                           {"cbj", "成本价"},
                           {"dwjz", "单位净值"},
                           {"fhfs", "分红方式"},
                           {"jjgs", "基金公司"},
                           {"jjzh", "基金账号"},
                           {"tacode", "公司代码"},
                           {"fhfsdm", "分红代码"}},
                          rows);
}

std::string Categories(CFundCall&)
{
    CDataSetWriter set("jjcx");
    set.AddField("id", FIELD_INT);
    set.AddField("title", FIELD_TEXT);
    set.AddField("params", FIELD_TEXT);
    const std::string query = "tc_mfuncno=700&tc_sfuncno=18&sign=zdf&position=poststr&count=20";
    for (int type = 0; type <= 5; ++type) {
        set.AddRow();
        set.SetInt(0, type + 1);
        set.SetText(1, Gb(type == 0 ? std::string("全部基金") : std::string(CFundCatalog::TypeName(type)) + "基金"));
        set.SetText(2, query + (type ? "&jjlx=" + std::to_string(type) : std::string()));
    }
    return set.ToBytes();
}

// The columns of the ranking or the rating. The name leads: a table keeps its first column in view while the figures
// beside it are swiped through.
std::vector<CTextColumn> RankingColumns(bool rating)
{
    if (rating)
        return {{"SecuAbbr", "基金简称"}, {"pm", "排名"},      {"tradingcode", "基金代码"}, {"pj", "评级"},
                {"pjdm", "星级"},         {"zf1y", "近一年%"}, {"zdf", "日涨幅%"},          {"jjgs", "基金公司"}};
    return {{"SecuAbbr", "基金简称"}, {"pm", "排名"},      {"tradingcode", "基金代码"}, {"jjlx", "类型"},
            {"dwjz", "单位净值"},     {"zdf", "日涨幅%"},  {"zf1w", "近一周%"},         {"zf1m", "近一月%"},
            {"zf3m", "近三月%"},      {"zf6m", "近半年%"}, {"zf1y", "近一年%"},         {"zfjn", "今年以来%"}};
}

// One fund's row of the ranking: its cells, and per column the figure it sorts by. The rank cell is filled in
// once the rows are sorted.
struct CRankingEntry {
    std::vector<double> values;
    CTextRows::value_type cells;
};

CRankingEntry RankingEntry(CFundCall& t, const CFundInfo& f, int date, bool rating)
{
    const CFundCatalog& funds = t.broker.Funds();
    double nav = static_cast<double>(t.broker.FundNav(f, date)) / 10000.0;
    double day = funds.Change(f, date, 1), year = funds.Change(f, date, 250);
    CRankingEntry e;
    if (rating) {
        int stars = funds.Rating(f, date);
        std::string text = stars == 0 ? "暂无评级" : std::string();
        for (int i = 0; i < 5 && stars > 0; ++i)
            text += i < stars ? "★" : "☆";
        e.values = {0, 0, 0, 0, static_cast<double>(stars), year, day, 0};
        e.cells = {Gb(f.name),
                   "",
                   f.code,
                   Gb(text),
                   std::to_string(stars),
                   Percent(year),
                   Percent(day),
                   CompanyName(funds, f.tacode)};
    } else {
        double w = funds.Change(f, date, 5), m = funds.Change(f, date, 21), q = funds.Change(f, date, 63);
        double h = funds.Change(f, date, 126), ytd = funds.YearChange(f, date);
        e.values = {0, 0, 0, 0, nav, day, w, m, q, h, year, ytd};
        e.cells = {Gb(f.name),
                   "",
                   f.code,
                   Gb(CFundCatalog::TypeName(f.type)),
                   Nav4(t.broker.FundNav(f, date)),
                   Percent(day),
                   Percent(w),
                   Percent(m),
                   Percent(q),
                   Percent(h),
                   Percent(year),
                   Percent(ytd)};
    }
    return e;
}

// Ranking and rating: one row of figures per fund, sorted by the requested column.
std::string Ranking(CFundCall& t, bool rating)
{
    int date = Published(t);
    int type = t.params.GetInt("jjlx", 0);
    std::vector<CTextColumn> columns = RankingColumns(rating);
    // Any column may order the table: the figures by value, the texts by their bytes; the rank is the default.
    std::string sortColumn = t.params.Get("sortcol", "pm");
    if (sortColumn == "pm" || sortColumn.empty())
        sortColumn = rating ? "pjdm" : "zf1m";
    if (sortColumn == "pj")
        sortColumn = "pjdm";
    auto sortIndex = std::find_if(columns.begin(), columns.end(),
                                  [&](const CTextColumn& c) { return EqualNoCase(sortColumn, c.name); });
    if (sortIndex == columns.end()) {
        t.error = "排序字段无效";
        return std::string();
    }
    std::vector<CRankingEntry> entries;
    for (const CFundInfo& f : t.broker.Funds().Funds())
        if (type == 0 || f.type == type)
            entries.push_back(RankingEntry(t, f, date, rating));
    size_t k = static_cast<size_t>(sortIndex - columns.begin());
    bool ascending = t.params.GetInt("direct", 1) == 0;
    const std::string& key = columns[k].name;
    bool byText = key == "SecuAbbr" || key == "tradingcode" || key == "jjgs" || key == "jjlx";
    std::stable_sort(entries.begin(), entries.end(), [&](const CRankingEntry& a, const CRankingEntry& b) {
        if (byText)
            return ascending ? a.cells[k] < b.cells[k] : a.cells[k] > b.cells[k];
        return ascending ? a.values[k] < b.values[k] : a.values[k] > b.values[k];
    });
    CTextRows rows;
    for (size_t i = 0; i < entries.size(); ++i) {
        entries[i].cells[1] = std::to_string(i + 1);
        rows.push_back(entries[i].cells);
    }
    return PagedTextTable(t.params, "query", columns, rows);
}

std::string Detail(CFundCall& t)
{
    const CFundCatalog& funds = t.broker.Funds();
    const CFundInfo* f = funds.Find(t.params.Get("ofcode"));
    if (f == nullptr) {
        t.error = "基金代码不存在";
        return std::string();
    }
    int date = Published(t);
    std::string dividend, cash, shares, fundAccount;
    if (t.account) {
        const CFundHolding* h = t.account->FundHolding(f->code);
        dividend = h ? Gb(DividendText(h->dividend)) : std::string();
        shares = Shares2(h ? h->shares - h->frozen : 0);
        cash = Money(t.account->cash - t.account->frozen);
        auto account = t.account->fundAccounts.find(f->tacode);
        fundAccount = account == t.account->fundAccounts.end() ? std::string() : account->second;
    }
    std::vector<CTextColumn> columns = {
        {"tradingcode", ""}, {"SecuAbbr", ""}, {"tacode", ""}, {"jjgs", ""}, {"jjlx", ""}, {"dwjz", ""}, {"jzrq", ""},
        {"zt", ""},          {"ksg", ""},      {"krg", ""},    {"ksh", ""},  {"zdje", ""}, {"sgfl", ""}, {"fxdj", ""},
        {"rgqj", ""},        {"fhfs", ""},     {"kyzj", ""},   {"kyfe", ""}, {"jjzh", ""}};
    return TextTable(
        "fund", columns,
        {{f->code, Gb(f->name), f->tacode, CompanyName(funds, f->tacode), Gb(CFundCatalog::TypeName(f->type)),
          Nav4(t.broker.FundNav(*f, date)), std::to_string(date), Gb(StateText(f->state)),
          f->state == FUND_OPEN ? "1" : "0", f->state == FUND_SUBSCRIPTION ? "1" : "0",
          f->state == FUND_SUBSCRIPTION ? "0" : "1", Money(f->minimumFen), Percent(f->feePercent),
          Gb(CFundCatalog::RiskName(f->risk)),
          f->state == FUND_SUBSCRIPTION ? CFundCatalog::SubscriptionPeriod(t.broker.Today()) : std::string(), dividend,
          cash, shares, fundAccount}});
}

std::string CompanyFunds(CFundCall& t)
{
    std::string tacode = t.params.Get("tacode");
    int date = Published(t);
    CTextRows rows;
    for (const CFundInfo& f : t.broker.Funds().Funds())
        if (f.tacode == tacode)
            rows.push_back({f.code, Gb(f.name), Gb(CFundCatalog::TypeName(f.type)), Nav4(t.broker.FundNav(f, date)),
                            Gb(StateText(f.state))});
    if (rows.empty()) {
        t.error = "基金公司代码无效";
        return std::string();
    }
    return TextTable(
        "funds",
        {{"tradingcode", "基金代码"}, {"SecuAbbr", "基金简称"}, {"jjlx", "类型"}, {"dwjz", "单位净值"}, {"zt", "状态"}},
        rows);
}

std::string Companies(CFundCall& t)
{
    CTextRows rows;
    for (const CFundCompany& c : t.broker.Funds().Companies()) {
        std::string number;
        if (t.account && t.account->fundAccounts.count(c.tacode))
            number = t.account->fundAccounts[c.tacode];
        rows.push_back({c.tacode, Gb(c.name), number.empty() ? "0" : "1", number});
    }
    return TextTable("tacode", {{"tacode", "公司代码"}, {"jjgs", "基金公司"}, {"ykh", "已开户"}, {"jjzh", "基金账号"}},
                     rows);
}

std::string Dictionary(CFundCall& t)
{
    static const std::map<std::string, std::vector<std::pair<const char*, const char*>>> dictionaries = {
        {"fhfs", {{"0", "现金分红"}, {"1", "红利再投资"}}},
        {"jjlx", {{"1", "股票型"}, {"2", "混合型"}, {"3", "债券型"}, {"4", "货币型"}, {"5", "指数型"}}},
        {"zjlx", {{"0", "身份证"}, {"1", "护照"}, {"2", "军官证"}}},
        {"shms", {{"0", "顺延"}, {"1", "取消"}}}};
    auto d = dictionaries.find(t.params.Get("dict"));
    if (d == dictionaries.end()) {
        t.error = "字典名称无效";
        return std::string();
    }
    CTextRows rows;
    for (const auto& item : d->second)
        rows.push_back({item.first, Gb(item.second)});
    return TextTable("dict", {{"dm", "代码"}, {"mc", "名称"}}, rows);
}

std::string RiskNotice(CFundCall& t)
{
    const CFundCompany* c = t.broker.Funds().Company(t.params.Get("tacode"));
    return TextTable("text", {{"content", ""}}, {{Gb(CFundCatalog::RiskNotice(c ? c->name : std::string()))}});
}

// The fund news menu's net-value page: the last twenty published values, one line each, in the article layout
// (an id column and a line column).
std::string NavHistory(CFundCall& t)
{
    const CFundCatalog& funds = t.broker.Funds();
    std::string code = t.params.Get("ofcode", t.params.Get("code"));
    const CFundInfo* f = funds.Find(code.substr(0, code.find('.')));
    if (f == nullptr) {
        t.error = "基金代码不存在";
        return std::string();
    }
    CDataSetWriter set("jzls");
    set.AddField("id", FIELD_INT);
    set.AddField("line", FIELD_TEXT);
    auto line = [&](const std::string& text) {
        set.AddRow();
        set.SetInt(0, set.GetRowCount());
        set.SetText(1, text);
    };
    line(Gb(f->name + "（" + f->code + "）历史净值"));
    line(Gb("日期        单位净值    日涨幅"));
    int date = Published(t);
    for (int i = 0; i < 20; ++i, date = PreviousTradingDate(date))
        line(std::to_string(date) + "    " + Nav4(t.broker.FundNav(*f, date)) + "    " +
             Percent(funds.Change(*f, date, 1)) + "%");
    return set.ToBytes();
}

std::string OrderReply(CFundCall& t, const CDone& d, const std::vector<std::string>& tail,
                       const std::vector<CTextColumn>& tailColumns)
{
    if (!d.Ok()) {
        t.error = d.error;
        return std::string();
    }
    std::vector<CTextColumn> columns = {{"wtbh", ""}};
    columns.insert(columns.end(), tailColumns.begin(), tailColumns.end());
    std::vector<std::string> row = {std::to_string(d.id)};
    row.insert(row.end(), tail.begin(), tail.end());
    return TextTable("order", columns, {row});
}

const char* KindText(int kind)
{
    static const char* const names[] = {"认购", "申购", "赎回", "转换", "分红设置"};
    return kind >= 1 && kind <= 5 ? names[kind - 1] : "";
}

std::string PlaceFundOrder(CFundCall& t, int kind)
{
    std::string code = t.params.Get("ofcode");
    bool money = kind == FUND_SUBSCRIBE || kind == FUND_PURCHASE;
    std::string amount = t.params.Get(money ? "je" : "fe");
    CDone d = t.broker.FundOrder(*t.account, kind, code, amount, t.params.Get("toofcode"));
    const CFundInfo* f = t.broker.Funds().Find(code);
    std::string name = f ? Gb(f->name) : std::string();
    const CFundOrder* o = nullptr;
    for (const CFundOrder& x : t.account->fundOrders)
        if (x.id == d.id)
            o = &x;
    std::string figure = o == nullptr ? std::string() : money ? Money(o->amount) : Shares2(o->shares);
    return OrderReply(t, d, {code, name, Gb(KindText(kind)), figure, Gb("委托已受理，将按当日净值确认")},
                      {{"tradingcode", ""}, {"SecuAbbr", ""}, {"ywlb", ""}, {money ? "je" : "fe", ""}, {"msg", ""}});
}

std::string Dividend(CFundCall& t)
{
    std::string code = t.params.Get("ofcode");
    CDone d = t.broker.SetDividend(*t.account, code, t.params.GetInt("fhfs", -1));
    const CFundInfo* f = t.broker.Funds().Find(code);
    return OrderReply(t, d, {code, f ? Gb(f->name) : std::string(), Gb(KindText(FUND_DIVIDEND)), Gb("分红方式已修改")},
                      {{"tradingcode", ""}, {"SecuAbbr", ""}, {"ywlb", ""}, {"msg", ""}});
}

std::string FundOrders(CFundCall& t, bool cancellable)
{
    const CFundCatalog& funds = t.broker.Funds();
    int today = t.broker.Today();
    int from = t.params.GetInt("ksrq", today), to = t.params.GetInt("jsrq", today);
    if (!cancellable && from > to) {
        t.error = "起始日期不能晚于终止日期";
        return std::string();
    }
    CTextRows rows;
    for (const CFundOrder& o : t.account->fundOrders) {
        bool open = o.state == FUND_ORDER_REPORTED;
        // Orders of earlier days stay in the account with their confirmation; the range picks them by the day
        // they were entered. One still open is shown whenever the range reaches today.
        if (cancellable ? !open : !((open && to >= today) || (o.date >= from && o.date <= to)))
            continue;
        const CFundInfo* f = funds.Find(o.code);
        bool confirmed = o.state == FUND_ORDER_CONFIRMED && o.kind != FUND_DIVIDEND;
        rows.push_back({f ? Gb(f->name) : o.code, Gb(KindText(o.kind)),
                        Gb(open                              ? "已报"
                           : o.state == FUND_ORDER_CONFIRMED ? "已确认"
                                                             : "已撤单"),
                        o.amount ? Money(o.amount) : "", o.shares ? Shares2(o.shares) : "",
                        confirmed ? Nav4(o.nav) : "", confirmed ? Shares2(o.confirmedShares) : "",
                        confirmed ? Money(o.confirmedAmount) : "", std::to_string(o.date), TimeText(o.time),
                        std::to_string(o.id), o.code});
    }
    // Which fund, what, how far it has come and its figures first: what a table shows without a swipe.
    return PagedTextTable(t.params, "query",
                          {{"SecuAbbr", "基金简称"},
                           {"mmlb", "业务"},
                           {"zt", "状态"},
                           {"je", "金额"},
                           {"fe", "份额"},
                           {"qrjz", "确认净值"},
                           {"qrfe", "确认份额"},
                           {"qrje", "确认金额"},
                           {"rq", "委托日期"},
                           {"sj", "委托时间"},
                           {"wtbh", "委托编号"},
                           {"tradingcode", "基金代码"}},
                          rows);
}

std::string CancelFundOrder(CFundCall& t)
{
    CDone d = t.broker.CancelFundOrder(*t.account, t.params.GetInt("wtbh", -1));
    if (!d.Ok()) {
        t.error = d.error;
        return std::string();
    }
    return TextTable("cancel", {{"wtbh", ""}, {"zt", ""}}, {{std::to_string(d.id), Gb("已撤单")}});
}

std::string OpenAccount(CFundCall& t)
{
    std::string tacode = t.params.Get("tacode");
    CDone d = t.broker.OpenFundAccount(*t.account, tacode, t.params.Get("xm"), t.params.Get("zjlx"),
                                       t.params.Get("zjhm"), t.params.Get("dh"));
    std::string number = d.Ok() ? t.account->fundAccounts[tacode] : std::string();
    return OrderReply(t, d, {tacode, CompanyName(t.broker.Funds(), tacode), number, Gb("开户成功")},
                      {{"tacode", ""}, {"jjgs", ""}, {"jjzh", ""}, {"msg", ""}});
}

std::string Products(CFundCall& t)
{
    CTextRows rows;
    for (const CCashProduct& p : t.broker.Funds().CashProducts())
        rows.push_back({p.code, Gb(p.name), std::to_string(p.days), Percent(p.yieldPercent), Money(p.minimumFen),
                        Gb(p.soldOut ? "已售罄" : "可购买")});
    return PagedTextTable(t.params, "query",
                          {{"cpdm", "产品代码"},
                           {"cpmc", "产品名称"},
                           {"qx", "期限(天)"},
                           {"zdf", "预期收益率%"},
                           {"qgje", "起购金额"},
                           {"zt", "状态"}},
                          rows);
}

std::string BuyProduct(CFundCall& t)
{
    std::string code = t.params.Get("cpdm");
    CDone d = t.broker.BuyCashProduct(*t.account, code, t.params.Get("je"));
    const CCashProduct* p = t.broker.Funds().Product(code);
    std::string amount, maturity;
    for (const CCashHolding& h : t.account->cashHoldings)
        if (h.id == d.id) {
            amount = Money(h.amount);
            maturity = std::to_string(h.maturity);
        }
    return OrderReply(t, d, {code, p ? Gb(p->name) : std::string(), amount, maturity, Gb("购买成功")},
                      {{"cpdm", ""}, {"cpmc", ""}, {"je", ""}, {"dqr", ""}, {"msg", ""}});
}

std::string ProductHoldings(CFundCall& t)
{
    CTextRows rows;
    for (const CCashHolding& h : t.account->cashHoldings) {
        const CCashProduct* p = t.broker.Funds().Product(h.code);
        int64_t expected = p ? CashProductIncome(h.amount, *p) : 0;
        rows.push_back({std::to_string(h.id), p ? Gb(p->name) : std::string(), Money(h.amount),
                        Gb(h.state == 0   ? "持有中"
                           : h.state == 1 ? "已终止"
                                          : "已到期"),
                        h.code, Gb("买入"), std::to_string(h.start), std::to_string(h.maturity),
                        Money(h.state == 0 ? expected : h.paid)});
    }
    // The state next to the name and amount: which holdings can still be terminated is seen at once.
    return PagedTextTable(t.params, "query",
                          {{"wtbh", "合同编号"},
                           {"cpmc", "产品名称"},
                           {"je", "金额"},
                           {"zt", "状态"},
                           {"cpdm", "产品代码"},
                           {"mmlb", "业务"},
                           {"qxr", "起息日"},
                           {"dqr", "到期日"},
                           {"yqsy", "收益"}},
                          rows);
}

std::string TerminateProduct(CFundCall& t)
{
    int64_t principal = 0, income = 0;
    CDone d = t.broker.TerminateCashProduct(*t.account, t.params.GetInt("wtbh", -1), &principal, &income);
    if (!d.Ok()) {
        t.error = d.error;
        return std::string();
    }
    return TextTable("cancel", {{"wtbh", ""}, {"je", ""}, {"sy", ""}, {"zt", ""}},
                     {{std::to_string(d.id), Money(principal), Money(income), Gb("已终止")}});
}

} // namespace

CServerFunctions::Answer CServerFunctions::Fund(Context& c)
{
    using Function = std::function<std::string(CFundCall&)>;
    struct Entry {
        bool needsAccount;
        Function run;
    };
    static const std::map<int, Entry> functions = {
        {700001, {false, MyFunds}},
        {700002, {true, Shares}},
        {700003, {false, Categories}},
        {700004, {false, [](CFundCall& t) { return Ranking(t, false); }}},
        {700005, {false, [](CFundCall& t) { return Ranking(t, true); }}},
        {700006, {false, Detail}},
        {700007, {false, CompanyFunds}},
        {700008, {false, Companies}},
        {700009, {false, Dictionary}},
        {700010, {true, [](CFundCall& t) { return PlaceFundOrder(t, FUND_SUBSCRIBE); }}},
        {700011, {true, [](CFundCall& t) { return PlaceFundOrder(t, FUND_PURCHASE); }}},
        {700012, {true, [](CFundCall& t) { return PlaceFundOrder(t, FUND_REDEEM); }}},
        {700013, {true, [](CFundCall& t) { return PlaceFundOrder(t, FUND_CONVERT); }}},
        {700014, {true, Dividend}},
        {700015, {true, [](CFundCall& t) { return FundOrders(t, false); }}},
        {700016, {true, [](CFundCall& t) { return FundOrders(t, true); }}},
        {700017, {false, RiskNotice}},
        {700018, {false, Search}},
        {700019, {false, NavHistory}},
        {700020, {true, CancelFundOrder}},
        {700021, {true, OpenAccount}},
        {610001, {false, Products}},
        {610002, {true, BuyProduct}},
        {610003, {true, ProductHoldings}},
        {610004, {true, TerminateProduct}},
    };
    auto f = functions.find(c.mfunc * 1000 + c.sfunc);
    if (f == functions.end())
        return Error("该功能暂未开放");
    CTradeAccount* a = brokerage->ForSession(c.session, c.params);
    std::unique_lock<std::mutex> hold;
    if (a)
        hold = brokerage->Hold(*a);
    std::shared_lock<std::shared_mutex> read(market.Lock());
    CMarketGoesWhileSaving letGo(read);
    if (a == nullptr && f->second.needsAccount)
        return Error("请先登录交易系统");
    if (a)
        brokerage->Settle(*a);
    CFundCall call{*brokerage, a, c.params, std::string()};
    Answer answer;
    answer.body = f->second.run(call);
    if (!call.error.empty())
        return Error(call.error);
    answer.account = true;
    return answer;
}
