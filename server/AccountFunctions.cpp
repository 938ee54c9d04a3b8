// Trade log-in and the paged account queries of the stand-in server. The trade log-in is this server's own:
// it answers the trade accounts and a trade session text that later account requests carry.
#include "server/DataSetWriter.h"
#include "server/ServerFunctions.h"
#include "server/ServerText.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <shared_mutex>

CServerFunctions::Answer CServerFunctions::TradeLogIn(Context& c)
{
    std::string account = c.params.Get("account");
    std::string password = c.params.Get("password");
    if (account.empty())
        return Error("请输入资金账号");
    if (password.empty() || password == "000000")
        return Error("交易密码错误");
    char token[32];
    std::snprintf(token, sizeof token, "T%08X", static_cast<unsigned>(std::hash<std::string>()(c.session.id + account)));
    c.session.tradeToken = token;
    c.session.fundId = account;
    sessions.Update(c.session);

    CDataSetWriter accounts("accounts");
    accounts.AddField("market", FIELD_TEXT);
    accounts.AddField("secuid", FIELD_TEXT);
    accounts.AddField("fundid", FIELD_TEXT);
    accounts.AddRow();
    accounts.SetText(0, "1");
    std::string tail = account.substr(account.size() > 9 ? account.size() - 9 : 0);
    accounts.SetText(1, std::string(1, 'A').append(tail));
    accounts.SetText(2, account);
    accounts.AddRow();
    accounts.SetText(0, "2");
    accounts.SetText(1, std::string(1, '0').append(tail));
    accounts.SetText(2, account);
    CDataSetWriter trade("trdsession");
    trade.AddField("session", FIELD_TEXT);
    trade.AddRow();
    trade.SetText(0, std::string("trdtoken=") + token + "&inputid=" + account);
    Answer a;
    a.body = accounts.ToBytes();
    trade.AppendTo(a.body);
    a.account = true;
    return a;
}

CServerFunctions::Answer CServerFunctions::AccountQuery(Context& c)
{
    if (c.session.tradeToken.empty() || c.params.Get("trdtoken") != c.session.tradeToken)
        return Error("请先登录交易系统");
    int kind = c.mfunc * 1000 + c.sfunc;
    if (kind != 600010 && kind != 600011 && kind != 600012 && kind != 600013 && kind != 610001)
        return Error("该功能暂未开放");
    int count = std::clamp(c.params.GetInt("count", 20), 1, 200);
    int after = c.params.GetInt("poststr", 0);

    CDataSetWriter set("query");
    std::vector<std::vector<std::string>> rows; // GB2312 cells, last one the position
    std::shared_lock<std::shared_mutex> read(market.Lock());
    const std::vector<CSecurity>& all = market.Securities();
    std::vector<const CSecurity*> stocks;
    for (const CSecurity& s : all)
        if (s.type == KIND_STOCK && (s.market == 1 || s.market == 2))
            stocks.push_back(&s);
    char buffer[64];
    auto money = [&](double v, bool sign) {
        std::snprintf(buffer, sizeof buffer, sign ? "%+.2f" : "%.2f", v);
        return std::string(buffer);
    };
    if (kind == 600010) {
        const char* captions[] = {"证券代码", "证券名称", "股份余额", "可用数量", "成本价", "现价", "市值", "浮动盈亏"};
        const char* names[] = {"zqdm", "zqmc", "gfye", "kysl", "cbj", "zxj", "sz", "fdyk"};
        for (int i = 0; i < 8; ++i)
            set.AddField(names[i], FIELD_TEXT, Gb(captions[i]));
        for (size_t i = 0; i < 9 && i * 5 < stocks.size(); ++i) {
            const CSecurity& s = *stocks[i * 5];
            int shares = static_cast<int>((i + 1) * 300);
            double cost = s.Price(s.prevClose) * (0.9 + 0.05 * static_cast<double>(i % 4));
            double now = s.Price(s.last);
            rows.push_back({s.code, s.name, std::to_string(shares), std::to_string(shares - (i % 2) * 100),
                            money(cost, false), money(now, false), money(now * shares, false),
                            money((now - cost) * shares, true)});
        }
    } else if (kind == 610001) {
        const char* captions[] = {"产品代码", "产品名称", "期限(天)", "预期收益率%", "起购金额", "状态"};
        const char* names[] = {"cpdm", "cpmc", "qx", "zdf", "qgje", "zt"};
        for (int i = 0; i < 6; ++i)
            set.AddField(names[i], FIELD_TEXT, Gb(captions[i]));
        for (int i = 0; i < 6; ++i) {
            std::snprintf(buffer, sizeof buffer, "QL%04d", 101 + i);
            rows.push_back({buffer, Gb("稳利" + std::to_string(i + 1) + "号"), std::to_string(14 * (i + 1)),
                            money(2.1 + 0.15 * i, false), "50000", Gb(i == 5 ? "已售罄" : "可购买")});
        }
    } else {
        const char* captions[] = {"时间", "证券代码", "证券名称", "买卖", "价格", "数量", "成交数量", "状态"};
        const char* names[] = {"sj", "zqdm", "zqmc", "mmlb", "jg", "sl", "cjsl", "zt"};
        for (int i = 0; i < 8; ++i)
            set.AddField(names[i], FIELD_TEXT, Gb(captions[i]));
        int total = kind == 600013 ? 45 : 27;
        for (int i = 0; i < total; ++i) {
            const CSecurity& s = *stocks[static_cast<size_t>(i * 7) % stocks.size()];
            bool buy = (i % 3) != 1;
            int volume = 100 * (1 + i % 9);
            int done = kind == 600011 ? (i % 4 == 0 ? 0 : volume) : volume;
            std::snprintf(buffer, sizeof buffer, kind == 600013 ? "202512%02d" : "%02d:%02d:%02d",
                          kind == 600013 ? 1 + i % 28 : 9 + i / 6, (i * 7) % 60, (i * 13) % 60);
            rows.push_back({buffer, s.code, s.name, Gb(buy ? "买入" : "卖出"), money(s.Price(s.prevClose), false),
                            std::to_string(volume), std::to_string(done),
                            Gb(done == volume ? "已成交" : "已报")});
        }
    }
    int position = set.AddField("poststr", FIELD_TEXT);
    int shown = 0;
    for (size_t i = static_cast<size_t>(std::max(0, after)); i < rows.size() && shown < count; ++i, ++shown) {
        set.AddRow();
        for (size_t k = 0; k < rows[i].size(); ++k)
            set.SetText(static_cast<int>(k), rows[i][k]);
        set.SetText(position, std::to_string(i + 1));
    }
    Answer a;
    a.body = set.ToBytes();
    a.account = true;
    return a;
}
