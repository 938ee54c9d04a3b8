// The trade, fund and cash-product functions over HTTP as the client calls them: enciphered, bound to the trade
// session of a log-in, answering the sets and columns the client windows read.
#include "tests/server/ServerTestClient.h"

#include "server/Brokerage.h"
#include "server/FundCatalog.h"
#include "server/Market.h"
#include "server/TextTable.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <cmath>
#include <thread>
#include <vector>

namespace {

struct TradeFixture : ::testing::Test {
    explicit TradeFixture(double minutesPerSecond = 0) : server(CServerUnderTest::Options(1024, minutesPerSecond)) {}
    CServerUnderTest server;
    CTestClient client{server};
    std::string tradeSession;

    void SetUp() override
    {
        client.LogIn();
        tradeSession = LogInToTrade("880012345", "123456");
    }
    std::string LogInToTrade(const std::string& account, const std::string& password,
                             const std::string& branch = "0101")
    {
        TestSets sets(
            client.CallEnciphered(600, 1, "yyb=" + branch + "&account=" + account + "&password=" + password).plain);
        if (sets.size() < 2 || !sets[1].MoveFirst())
            return std::string();
        return sets[1].GetString(0);
    }
    TestSets Call(int m, int s, const std::string& fields, bool withSession = true)
    {
        // The fund id of the account logged in, as the client sends it: the one after "inputid=".
        std::string fundId = tradeSession.substr(tradeSession.find("inputid=") + 8);
        TestReply reply =
            client.CallEnciphered(m, s, fields + (withSession ? "&fundid=" + fundId + "&" + tradeSession : ""));
        TestSets sets(reply.plain);
        if (sets.size() > 0 && !sets[0].IsError()) {
            EXPECT_EQ(reply.etag[3], 36) << m << "/" << s << " replies enciphered (refusals go plain)";
        }
        return sets;
    }
    static std::string Error(TestSets& sets)
    {
        return sets.size() == 1 && sets[0].IsError() && sets[0].MoveFirst() ? GbToUtf8(sets[0].GetString(0)) : "";
    }
};

TEST_F(TradeFixture, EveryFunctionAnswersTheSetAndColumnsTheWindowsRead)
{
    struct Case {
        int m, s;
        std::string fields;
        const char* set;
        std::vector<const char*> columns;
    } cases[] = {
        {600, 5, "", "yyb", {"yybdm", "yybmc"}},
        {600,
         3,
         "code=600010&mmlb=0",
         "stock",
         {"zqmc", "ztj", "dtj", "mrjw1", "mcsl5", "kyzj", "kysl", "zdsl", "sgdm", "jgdw", "tpbz"}},
        {600, 10, "count=20", "query", {"zqdm", "kysl", "cbj", "fdyk", "poststr"}},
        {600, 11, "count=20", "query", {"wtbh", "mmlb", "cjsl", "zt", "poststr"}},
        {600, 12, "count=20", "query", {"cjbh", "wtbh", "cjjg", "poststr"}},
        {600, 13, "ksrq=20250101&jsrq=20251208", "query", {"rq", "cjbh", "mmlb", "poststr"}},
        {600, 14, "", "cash", {"zzc", "kyzj", "djzj"}},
        {600, 21, "yhdm=01&yhmm=888888", "balance", {"yhmc", "yhye"}},
        {600, 22, "", "query", {"wtbh", "zzfx", "je", "poststr"}},
        {600, 23, "", "banks", {"yhdm", "yhmc", "yhzh"}},
        {600, 30, "", "xgsg", {"sgdm", "zqmc", "fxj", "sgsx"}},
        {600, 32, "", "qz", {"qzdm", "xqjg", "kysl", "xqqj"}},
        {700, 1, "codes=161101,162202", "query", {"tradingcode", "SecuAbbr", "dwjz", "zdf", "poststr"}},
        {700, 2, "", "query", {"tradingcode", "SecuAbbr", "tacode", "kyfe", "fhfs", "poststr"}},
        {700, 3, "", "jjcx", {"id", "title", "params"}},
        {700, 4, "sortcol=zf1y", "query", {"tradingcode", "SecuAbbr", "zf1w", "zf1y", "poststr"}},
        {700, 5, "", "query", {"tradingcode", "SecuAbbr", "pj", "poststr"}},
        {700, 6, "ofcode=161101", "fund", {"tradingcode", "tacode", "dwjz", "ksg", "zdje", "kyzj", "jjzh"}},
        {700, 7, "tacode=11", "funds", {"tradingcode", "SecuAbbr"}},
        {700, 8, "", "tacode", {"tacode", "jjgs", "ykh"}},
        {700, 9, "dict=fhfs", "dict", {"dm", "mc"}},
        {700, 15, "", "query", {"wtbh", "tradingcode", "mmlb", "zt", "poststr"}},
        {700, 16, "", "query", {"wtbh", "poststr"}},
        {700, 17, "", "text", {"content"}},
        {700, 18, "ofcode=1611", "query", {"tradingcode", "SecuAbbr", "poststr"}},
        {700, 19, "code=161101", "jzls", {"id", "line"}},
        {610, 1, "", "query", {"cpdm", "cpmc", "zdf", "poststr"}},
        {610, 3, "", "query", {"wtbh", "cpdm", "zt", "poststr"}},
    };
    for (const Case& c : cases) {
        TestSets sets = Call(c.m, c.s, c.fields);
        ASSERT_GE(sets.size(), 1u) << c.m << "/" << c.s;
        EXPECT_FALSE(sets[0].IsError()) << c.m << "/" << c.s << ": " << Error(sets);
        EXPECT_STREQ(sets[0].GetName(), c.set) << c.m << "/" << c.s;
        for (const char* column : c.columns)
            EXPECT_GE(sets[0].FindField(column), 0) << c.m << "/" << c.s << " " << column;
    }
}

TEST_F(TradeFixture, AnOrderShowsAmongTheCancellableOnesUntilCancelledAndALogOutClosesTheRoad)
{
    TestSets stock = Call(600, 3, "code=600010&mmlb=0");
    ASSERT_TRUE(stock[0].MoveFirst());
    std::string low = stock[0].GetString("dtj");
    TestSets order = Call(600, 6, "code=600010&mmlb=0&price=" + low + "&sl=200");
    ASSERT_TRUE(order[0].MoveFirst()) << Error(order);
    std::string number = order[0].GetString("wtbh");
    ASSERT_FALSE(number.empty());

    TestSets open = Call(600, 11, "kcd=1&count=20");
    ASSERT_TRUE(open[0].MoveFirst());
    EXPECT_EQ(std::string(open[0].GetString("wtbh")), number);
    EXPECT_EQ(GbToUtf8(open[0].GetString("zt")), "已报");
    TestSets cancel = Call(600, 7, "wtbh=" + number);
    ASSERT_TRUE(cancel[0].MoveFirst()) << Error(cancel);
    EXPECT_EQ(GbToUtf8(cancel[0].GetString("zt")), "已撤");
    TestSets again = Call(600, 7, "wtbh=" + number);
    EXPECT_EQ(Error(again), "该委托已撤单");
    EXPECT_EQ(Call(600, 11, "kcd=1&count=20")[0].GetRowCount(), 0);
    TestSets all = Call(600, 11, "count=20");
    ASSERT_TRUE(all[0].MoveFirst());
    EXPECT_EQ(GbToUtf8(all[0].GetString("zt")), "已撤");

    // A trade session the server does not hold answers result 101 instead of running the function.
    auto expired = [&](const std::string& fields) {
        TestReply reply = client.CallEnciphered(600, 10, fields);
        return reply.etag[0] == 101 && GbToUtf8(reply.body) == "交易登录已失效，请重新登录";
    };
    std::string earlier = tradeSession;
    tradeSession = LogInToTrade("880012345", "123456");
    ASSERT_NE(tradeSession, earlier);
    EXPECT_TRUE(expired("count=20&" + earlier)) << "an earlier log-in's session no longer works";
    Call(600, 2, "");
    EXPECT_TRUE(expired("count=20&" + tradeSession)) << "nor one logged out";
    TestSets none = Call(600, 10, "count=20", false);
    EXPECT_EQ(Error(none), "请先登录交易系统") << "a request without a trade session is refused as before";
}

TEST_F(TradeFixture, ARequestNamingAnotherAccountThanItsTradeLogInsIsRefusedAndDoesNothing)
{
    TestSets stock = Call(600, 3, "code=600010&mmlb=0");
    ASSERT_TRUE(stock[0].MoveFirst());
    const std::string order = "code=600010&mmlb=0&price=" + std::string(stock[0].GetString("dtj")) + "&sl=100";
    std::string otherSession = tradeSession;
    otherSession.replace(otherSession.find("inputid=880012345"), 17, "inputid=880012347");
    const struct {
        int s;
        std::string fields;
        const char* error;
    } cases[] = {
        {6, order + "&fundid=880012347&" + tradeSession, "账号与当前交易登录不符，未予受理"},
        {6, order + "&fundid=880012345&secuid=A880012347&" + tradeSession, "账号与当前交易登录不符，未予受理"},
        {6, order + "&fundid=880012345&" + otherSession, "账号与当前交易登录不符，未予受理"},
        {7, "wtbh=1&fundid=880012346&" + tradeSession, "账号与当前交易登录不符，未予受理"},
        {40, "oldpwd=123456&newpwd=111111&fundid=880012347&" + tradeSession, "账号与当前交易登录不符，未予受理"},
        {6, order + "&fundid=880012345&secuid=A880012345&" + tradeSession, ""},
    };
    for (const auto& c : cases) {
        TestSets reply(client.CallEnciphered(600, c.s, c.fields).plain);
        EXPECT_EQ(Error(reply), c.error) << c.s << " " << c.fields.substr(0, 60);
    }
    EXPECT_EQ(Call(600, 11, "count=20")[0].GetRowCount(), 1) << "only the order of its own account";
}

TEST_F(TradeFixture, FundListsAnswerWithoutATradeLogInButOrdersAndSharesDoNot)
{
    TestSets ranking = Call(700, 4, "sortcol=zf1m&direct=1&count=50", false);
    ASSERT_FALSE(ranking[0].IsError());
    EXPECT_EQ(ranking[0].GetRowCount(), 24);
    double previous = 1e9;
    while (ranking[0].MoveNext()) {
        double v = std::atof(ranking[0].GetString("zf1m"));
        EXPECT_LE(v, previous);
        previous = v;
    }
    TestSets search = Call(700, 18, "name=" + Gb("长风"), false);
    EXPECT_EQ(search[0].GetRowCount(), 6);
    TestSets page = Call(700, 18, "count=5&poststr=20", false);
    EXPECT_EQ(page[0].GetRowCount(), 4);
    TestSets bad = Call(700, 4, "sortcol=nonsense", false);
    EXPECT_EQ(Error(bad), "排序字段无效");

    for (std::pair<int, int> f : {std::pair{700, 2}, {700, 11}, {700, 15}, {610, 2}, {600, 6}}) {
        TestSets refused = Call(f.first, f.second, "ofcode=161101&je=1000", false);
        EXPECT_EQ(Error(refused), "请先登录交易系统") << f.first << "/" << f.second;
    }
}

TEST_F(TradeFixture, AFundPurchaseIsConfirmedWhenTheControlChannelRunsTheClockPastTheClose)
{
    TestSets order = Call(700, 11, "ofcode=161102&je=1000");
    ASSERT_TRUE(order[0].MoveFirst()) << Error(order);
    std::string number = order[0].GetString("wtbh");
    auto state = [&](const std::string& range = std::string()) {
        TestSets orders = Call(700, 15, "count=50" + range);
        while (orders[0].MoveNext())
            if (orders[0].GetString("wtbh") == number)
                return GbToUtf8(orders[0].GetString("zt")) + " " + orders[0].GetString("qrjz");
        return std::string("missing");
    };
    EXPECT_EQ(state(), "已报 ");
    EXPECT_EQ(server.Http().Control("advance?minutes=179"), "ok\n");
    EXPECT_EQ(state(), "已报 ") << "one minute before the close";
    server.Http().Control("advance?minutes=1");
    CFundCatalog funds(7); // the server's seed
    std::string nav = Nav4(std::llround(funds.Nav(*funds.Find("161102"), 20251208) * 10000));
    EXPECT_EQ(state(), "已确认 " + nav) << "at the day's net value";

    // The next day the order is no longer today's, but a range that holds its day shows it, confirmed.
    server.Http().Control("advance?minutes=1");
    const struct {
        const char* range;
        std::string seen;
    } days[] = {{"", "missing"}, {"&ksrq=20251201", "已确认 " + nav}, {"&ksrq=20251209&jsrq=20251231", "missing"}};
    for (const auto& d : days)
        EXPECT_EQ(state(d.range), d.seen) << d.range;
    TestSets reversed = Call(700, 15, "ksrq=20251209&jsrq=20251208");
    EXPECT_EQ(Error(reversed), "起始日期不能晚于终止日期");
    TestSets shares = Call(700, 2, "count=50");
    bool held = false;
    while (shares[0].MoveNext())
        held = held || std::string(shares[0].GetString("tradingcode")) == "161102";
    EXPECT_TRUE(held);
}

TEST_F(TradeFixture, TheOrderFormLookUpGivesThePriceStepAndSuspensionThatOrdersAreRefusedBy)
{
    tradeSession = LogInToTrade("880012347", "654321", "0102"); // cash, no stocks
    const CSecurity* suspended = nullptr;
    for (const CSecurity& s : server.Functions().Market().Securities())
        if (s.suspended && s.type == KIND_STOCK && s.market != MARKET_HONG_KONG && suspended == nullptr)
            suspended = &s;
    ASSERT_NE(suspended, nullptr) << "the synthetic market has a suspended stock";
    struct Case {
        std::string code;
        std::string step, halted;
        std::string offStep, refusal; // an order at a price off the step, and how it is refused
    } cases[] = {
        {"600010", "0.01", "0", ".001", "委托价格无效"},
        {suspended->code, "0.01", "1", "", "该证券停牌，不能交易"},
    };
    for (const Case& c : cases) {
        TestSets stock = Call(600, 3, "code=" + c.code + "&mmlb=0");
        ASSERT_TRUE(stock[0].MoveFirst()) << Error(stock);
        EXPECT_EQ(std::string(stock[0].GetString("jgdw")), c.step) << c.code;
        EXPECT_EQ(std::string(stock[0].GetString("tpbz")), c.halted) << c.code;
        std::string price = std::string(stock[0].GetString("zsp")) + c.offStep;
        TestSets order = Call(600, 6, "code=" + c.code + "&mmlb=0&price=" + price + "&sl=100");
        EXPECT_EQ(Error(order), c.refusal) << c.code << " at " << price;
    }
}

// The market runs half a trading minute every 16 ms here, so a day's close is several seconds away.
struct RunningMarketFixture : TradeFixture {
    RunningMarketFixture() : TradeFixture(30) {}
};

} // namespace

TEST_F(RunningMarketFixture, ABuyAtTheUpperLimitFillsAsTheServersClockRunsAndShowsInThePositions)
{
    tradeSession = LogInToTrade("880012347", "654321", "0102"); // cash, no stocks
    ASSERT_FALSE(tradeSession.empty());
    TestSets stock = Call(600, 3, "code=600010&mmlb=0");
    ASSERT_TRUE(stock[0].MoveFirst());
    std::string high = stock[0].GetString("ztj");
    TestSets order = Call(600, 6, "code=600010&mmlb=0&price=" + high + "&sl=100");
    ASSERT_TRUE(order[0].MoveFirst()) << Error(order);

    bool held = false;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!held && std::chrono::steady_clock::now() < until) {
        TestSets positions = Call(600, 10, "count=50");
        while (!held && positions[0].MoveNext())
            held = std::string(positions[0].GetString("zqdm")) == "600010";
        if (!held)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(held);
    TestSets deals = Call(600, 13, "ksrq=20250101&jsrq=20991231&count=200");
    bool dealt = false;
    std::string number = order[0].GetString("wtbh");
    while (deals[0].MoveNext())
        dealt = dealt || deals[0].GetString("wtbh") == number;
    EXPECT_TRUE(dealt) << number << " among " << deals[0].GetRowCount() << " " << Error(deals);
}

namespace {

// A server kept in a data folder, restarted at will, with a client logged in to trade.
struct StoredServer {
    explicit StoredServer(const std::string& dataDir) : options(CServerUnderTest::Options())
    {
        options.dataDir = dataDir;
        Start();
    }
    void Start()
    {
        client.reset();
        server = std::make_unique<CServerUnderTest>(options);
        client = std::make_unique<CTestClient>(*server);
        client->LogIn();
        TestSets sets(client->CallEnciphered(600, 1, "yyb=0101&account=880012345&password=123456").plain);
        tradeSession = sets.size() >= 2 && sets[1].MoveFirst() ? sets[1].GetString(0) : "";
    }
    // The order's number, or the refusal's text.
    std::string Order(const std::string& price)
    {
        TestSets sets(
            client->CallEnciphered(600, 6, "code=600010&mmlb=0&sl=100&price=" + price + "&" + tradeSession).plain);
        if (sets.size() == 1 && sets[0].IsError() && sets[0].MoveFirst())
            return GbToUtf8(sets[0].GetString(0));
        return sets.size() > 0 && sets[0].MoveFirst() ? sets[0].GetString("wtbh") : "no answer";
    }
    bool Listed(const std::string& number)
    {
        TestSets sets(client->CallEnciphered(600, 11, "count=200&" + tradeSession).plain);
        while (sets.size() > 0 && sets[0].MoveNext())
            if (sets[0].GetString("wtbh") == number)
                return true;
        return false;
    }
    CServerOptions options;
    std::unique_ptr<CServerUnderTest> server;
    std::unique_ptr<CTestClient> client;
    std::string tradeSession;
};

// A small file system of its own (tmpfs, mounted where the test may mount), unmounted at the end.
struct SmallDisk {
    explicit SmallDisk(const std::string& at) : path(at)
    {
        std::filesystem::create_directories(path);
        mounted = mount("tmpfs", path.c_str(), "tmpfs", 0, "size=512k,mode=0700") == 0;
    }
    ~SmallDisk()
    {
        if (mounted)
            umount2(path.c_str(), MNT_DETACH);
    }
    // Fills what room is left; empties it again with Free.
    void Fill()
    {
        std::ofstream filler(path + "/filler", std::ios::binary);
        std::string block(4096, 'x');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size())))
            ;
    }
    void Free() { std::filesystem::remove(path + "/filler"); }
    std::string path;
    bool mounted = false;
};

} // namespace

TEST(StoredServerTest, AnOrderTheDiskCannotKeepIsRefusedAndAbsentAfterARestartAndTheNextOneIsKept)
{
    TempFolder folder;
    const char* const ways[] = {"a full disk", "the control channel's saves=fail"};
    for (const char* way : ways) {
        bool full = std::string(way) == "a full disk";
        SmallDisk disk(folder.Path() + (full ? "tmpfs" : "plain"));
        if (full && !disk.mounted) {
            std::printf("no tmpfs can be mounted here (not root?): only the injected failure is tried\n");
            continue;
        }
        StoredServer s(disk.path + "/data");
        ASSERT_FALSE(s.tradeSession.empty()) << way;
        TestSets stock(s.client->CallEnciphered(600, 3, "code=600010&mmlb=0&" + s.tradeSession).plain);
        ASSERT_TRUE(stock[0].MoveFirst()) << way;
        std::string low = stock[0].GetString("dtj");

        if (full)
            disk.Fill();
        else
            EXPECT_EQ(s.server->Http().Control("set?saves=fail"), "ok\n");
        // A full disk may still take a record or two into the file's last block.
        std::vector<std::string> kept;
        std::string answer;
        while (kept.size() < 50 && !(answer = s.Order(low)).empty() && answer[0] >= '0' && answer[0] <= '9')
            kept.push_back(answer);
        EXPECT_EQ(answer, "委托未受理：系统暂时无法保存，请稍后再试") << way;
        s.Start();
        ASSERT_FALSE(s.tradeSession.empty()) << way << ": the accounts still read after a restart";
        TestSets today(s.client->CallEnciphered(600, 11, "count=200&" + s.tradeSession).plain);
        EXPECT_EQ(today.size() > 0 ? today[0].GetRowCount() : -1, static_cast<int>(kept.size()))
            << way << ": the refused order is not there, those accepted are";

        if (full)
            disk.Free();
        std::string number = s.Order(low);
        ASSERT_FALSE(number.empty() || number[0] < '0' || number[0] > '9') << way << ": " << number;
        s.Start();
        EXPECT_TRUE(s.Listed(number)) << way << ": the accepted order is kept";
    }
}

namespace {

// An account's day as a file holds it: ended orders and deals of two earlier days, today's orders (some open, two
// new-share subscriptions) and deals, and a deal of an earlier day added after today's, as an allotment comes.
CTradeAccount StoreManyDays(const std::string& dataDir)
{
    CMarket market(7, 60, 20251208);
    CBrokerage broker(7, dataDir, market);
    CTradeAccount& a = *broker.Find("880012345");
    auto order = [&](int date, bool open, int kind) {
        CStockOrder o;
        o.id = a.nextId++, o.date = date, o.time = 93000 + o.id % 60, o.market = 2, o.code = "600010";
        o.name = Gb("东海银行"), o.side = o.id % 2, o.price = 10000 + o.id * 10, o.quantity = 500, o.kind = kind;
        o.filled = open ? 100 * (o.id % 3) : 300, o.cancelled = open ? 0 : 200;
        a.orders.push_back(o);
    };
    auto deal = [&](int date) {
        int id = a.nextId++;
        a.deals.push_back({id, date, 100000 + id % 60, id - 1, 2, "600010", Gb("东海银行"), id % 2, 10000 + id, 100});
    };
    for (int date : {20251204, 20251205})
        for (int i = 0; i < (date == 20251204 ? 30 : 50); ++i)
            order(date, false, ORDER_STOCK), deal(date);
    for (int i = 0; i < 75; ++i)
        order(20251208, i % 4 == 1, ORDER_STOCK), deal(20251208);
    order(20251208, true, ORDER_NEW_SHARE), order(20251208, true, ORDER_NEW_SHARE);
    deal(20251205), deal(20251208);
    EXPECT_TRUE(broker.Save(a));
    return a;
}

} // namespace

TEST(StoredServerTest, AnyPageOfTheDayOrTheHistoryIsThatCutOfTheWholeDay)
{
    TempFolder folder;
    CTradeAccount a = StoreManyDays(folder.Path() + "data");
    StoredServer s(folder.Path() + "data");
    ASSERT_FALSE(s.tradeSession.empty());
    auto dated = [](int from, int to) { return [=](int date, bool, int) { return date >= from && date <= to; }; };
    struct Query {
        int sfunc;
        std::string fields;
        bool deals;
        std::function<bool(int date, bool open, int kind)> shown;
    } queries[] = {
        {11, "", false, dated(20251208, 20991231)},
        {11, "kcd=1&", false, [](int date, bool open, int kind) { return date >= 20251208 && open && kind == 0; }},
        {12, "", true, dated(20251208, 20251208)},
        {13, "lb=0&", false, dated(20251108, 20251208)}, // 30 days back by default
        {13, "lb=1&ksrq=20251204&jsrq=20251208&", true, dated(20251204, 20251208)},
        {13, "lb=1&ksrq=20251205&jsrq=20251205&", true, dated(20251205, 20251205)},
        {13, "lb=0&ksrq=20251205&jsrq=20251207&", false, dated(20251205, 20251207)},
    };
    for (const Query& q : queries) {
        std::string call = q.fields + s.tradeSession;
        std::vector<std::string> ids; // what the whole day holds, in the list's order
        if (q.deals) {
            for (const CStockDeal& d : a.deals)
                if (q.shown(d.date, false, 0))
                    ids.push_back(std::to_string(d.id));
        } else {
            for (const CStockOrder& o : a.orders)
                if (q.shown(o.date, o.IsOpen(), o.kind))
                    ids.push_back(std::to_string(o.id));
        }
        TestSets whole(s.client->CallEnciphered(600, q.sfunc, "count=200&" + call).plain);
        ASSERT_EQ(whole.size(), 1u) << q.sfunc << " " << q.fields;
        std::vector<std::string> listed;
        CTextRows rows;
        CDataSet& set = whole[0];
        int fields = set.GetFieldCount() - 1; // all but the position column, which is last
        while (set.MoveNext()) {
            listed.push_back(set.GetString(q.deals ? "cjbh" : "wtbh"));
            rows.emplace_back();
            for (int f = 0; f < fields; ++f)
                rows.back().push_back(set.GetString(f));
        }
        ASSERT_EQ(listed, ids) << q.sfunc << " " << q.fields;
        std::vector<std::string> captions;
        for (int f = 0; f < fields; ++f)
            captions.push_back(GbToUtf8(set.GetFieldInfo(f)->caption));
        std::vector<CTextColumn> columns;
        for (int f = 0; f < fields; ++f)
            columns.push_back({set.GetFieldInfo(f)->name, captions[static_cast<size_t>(f)].c_str()});

        // Pages at the edges, inside, past the end, and with positions and counts out of range.
        const std::string total = std::to_string(ids.size()), last = std::to_string(ids.size() - 1);
        const std::pair<const char*, const char*> pages[] = {
            {nullptr, "20"}, {"", "20"},    {"0", "1"},       {"1", "7"},      {"19", "20"},  {last.c_str(), "20"},
            {"10", "200"},   {"3", "500"},  {"0", "0"},       {"-5", "20"},    {"x", "3"},    {total.c_str(), "20"},
            {"100000", "5"}, {"2", "abc"},  {"20", nullptr},  {"60", "20"},
        };
        for (const auto& [position, count] : pages) {
            std::string paging = (position ? "poststr=" + std::string(position) + "&" : std::string()) +
                                 (count ? "count=" + std::string(count) + "&" : std::string());
            std::string expected = PagedTextTable(CRequestParams(paging), "query", columns, rows);
            EXPECT_EQ(s.client->CallEnciphered(600, q.sfunc, paging + call).plain, expected)
                << q.sfunc << " " << q.fields << paging;
        }
    }
}
