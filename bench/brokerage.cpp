// The stand-in server's brokerage under load. (1) The cost of one order (a buy and its cancel, each saved to disk)
// when the account already holds 10,000 orders of the day, against the same with 100 (the reference); goal: ratio
// at most 1.5. (2) A 20-row page of the day's orders (and of its cancel list, deals and history) when the account
// holds 50,000 orders and deals of the day, against the same with 100; goal: ratio at most 2. (3) The p99 latency
// of a quote request while 64 clients flood the server with orders and its market clock runs, against the same
// request with the server idle (the reference); goal: at most 50 ms.
#include "bench/ServerBenchSupport.h"
#include "core/DataSet.h"
#include "platform/device/RsaKeyPair.h"
#include "platform/net/TcpServer.h"
#include "server/BodyCodec.h"
#include "server/Brokerage.h"
#include "server/HttpServer.h"
#include "server/ServerFunctions.h"
#include "server/Market.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

const CSecurity* FirstStock(CMarket& market)
{
    for (const CSecurity& x : market.Securities())
        if (x.type == KIND_STOCK && x.market != 3 && x.market != 9 && !x.suspended)
            return &x;
    std::printf("no stock to trade\n");
    std::exit(1);
}

// Fills the account with ended orders of the day up to that many, put in at once and saved as one change.
void FillDay(CBrokerage& broker, CTradeAccount& a, const CSecurity& s, size_t orders)
{
    int64_t up, down;
    CBrokerage::Limits(s, &up, &down);
    CStockOrder ended;
    ended.date = broker.Today();
    ended.market = s.market;
    ended.code = s.code;
    ended.name = s.name;
    ended.price = down;
    ended.quantity = ended.cancelled = 100;
    while (a.orders.size() < orders) {
        ended.id = a.nextId++;
        a.orders.push_back(ended);
    }
    broker.Save(a);
}

// Milliseconds for one buy and its cancel.
double OneOrder(CBrokerage& broker, CTradeAccount& a, const CSecurity& s)
{
    int64_t up, down;
    CBrokerage::Limits(s, &up, &down);
    auto begin = Clock::now();
    CDone d = broker.PlaceOrder(a, s.market, s.code, 0, Price3(down), "100");
    int cancelled = 0;
    if (!d.Ok() || !broker.Cancel(a, d.id, &cancelled).Ok()) {
        std::printf("order refused: %s\n", d.error.c_str());
        std::exit(1);
    }
    return Ms(begin);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

const char* const COMMON = "&hwID=1,2&netaddr=&softName=RuvAv&sysVer=3.2.2.0.0&tc_packageid=1&supportCompress=18";

// A field of the first row of a reply's set of that index; empty when there is none.
std::string FieldOf(const std::string& body, const char* name, int index = 0)
{
    CDataSet** sets = nullptr;
    int n = ParseDataSets(reinterpret_cast<const BYTE*>(body.data()), static_cast<DWORD>(body.size()), &sets);
    std::string value;
    if (index < n && sets[index]->MoveFirst() && sets[index]->GetString(name))
        value = sets[index]->GetString(name);
    for (int i = 0; i < n; ++i)
        delete sets[i];
    free(sets); // the parser's array is malloc'ed
    return value;
}

// A client on its own connection with its own session, and a trade session when it trades. Without a session
// key the replies come plain.
struct CBenchClient {
    CTcpConnection c;
    std::string pending, body, session, trade;

    bool Call(const std::string& text)
    {
        std::string m = Message(text + COMMON + (session.empty() ? "" : "&TC_SESSION={" + session + "}") + trade);
        return c.WriteAll(m.data(), static_cast<int>(m.size())) && ReadReply(c, pending, body, 60000);
    }
    std::string Field(const char* name, int index = 0) { return FieldOf(body, name, index); }
    bool Open(int port, bool toTrade)
    {
        if (!c.Connect(static_cast<unsigned short>(port)) || !Call("TC_MFUNCNO=100&TC_SFUNCNO=1&loginType=0"))
            return false;
        session = Field("session");
        if (!toTrade)
            return !session.empty();
        if (!Call("tc_mfuncno=600&tc_sfuncno=1&yyb=0102&account=880012347&password=654321"))
            return false;
        trade = "&" + Field("session", 1); // "trdtoken=...&inputid=..."
        return trade.size() > 1;
    }
};

double P99(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, v.size() * 99 / 100)];
}

std::vector<double> Quotes(CBenchClient& q, double seconds)
{
    std::vector<double> latencies;
    auto until = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < until) {
        auto begin = Clock::now();
        if (!q.Call("tc_mfuncno=31000&tc_sfuncno=3&market=0&class=0&type=21&direct=1&offset=0&count=20"
                    "&field=4|3|16|20|21|13|11|1"))
            break;
        latencies.push_back(Ms(begin));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return latencies;
}

// Two accounts, one with 100 orders of the day and one with 10,000, ordering in turn so that both see the same
// disk; the median of each.
void CompareOrderCosts(const std::filesystem::path& folder)
{
    CMarket market(1, 60, 20251208);
    CBrokerage broker(1, (folder / "orders").string(), market);
    const CSecurity& s = *FirstStock(market);
    CTradeAccount& few = *broker.Find("880012347");
    CTradeAccount& many = *broker.Find("880012345");
    FillDay(broker, few, s, 100);
    FillDay(broker, many, s, 10000);
    std::vector<double> small, large;
    for (int i = 0; i < 400; ++i) {
        small.push_back(OneOrder(broker, few, s));
        large.push_back(OneOrder(broker, many, s));
    }
    small.erase(small.begin(), small.begin() + 50); // warm-up
    large.erase(large.begin(), large.begin() + 50);
    std::printf("one order (buy and cancel, each flushed to disk), median: %.3f ms at 10,000 orders of the day, "
                "%.3f ms at 100 (reference): ratio %.2f (goal <= 1.5)\n",
                Median(large), Median(small), Median(large) / Median(small));
}

// Puts that many orders and deals of the day into the account, 25 orders of them still open, and saves it.
void StoreDay(CBrokerage& broker, CTradeAccount& a, const CSecurity& s, int count)
{
    const int open = 25;
    int64_t up, down;
    CBrokerage::Limits(s, &up, &down);
    for (int i = 0; i < count; ++i) {
        CStockOrder o;
        o.id = a.nextId++, o.date = broker.Today(), o.time = 93000, o.market = s.market, o.code = s.code;
        o.name = s.name, o.side = i % 2, o.price = down, o.quantity = 100, o.filled = i % (count / open) == 0 ? 0 : 100;
        a.orders.push_back(o);
        a.deals.push_back({a.nextId++, o.date, 93000, o.id, s.market, s.code, s.name, o.side, down, 100});
    }
    broker.Save(a);
}

// One account logged in to trade on the server in this process: requests as the client sends them, plain, and
// the replies unpacked.
struct CTrader {
    explicit CTrader(CServerFunctions& f) : functions(f) {}
    CServerFunctions& functions;
    std::string session, trade;
    std::string Call(const std::string& text)
    {
        CServerReply r = functions.Handle("tc_service=300&tc_isunicode=0&" + text + COMMON +
                                          (session.empty() ? "" : "&TC_SESSION={" + session + "}") + trade);
        std::string plain;
        return r.compression == 18 && ZlibUnpack(r.body, plain) ? plain : r.body;
    }
    bool LogIn(const char* branch, const char* account, const char* password)
    {
        session = FieldOf(Call("TC_MFUNCNO=100&TC_SFUNCNO=1&loginType=0"), "session");
        trade = "&" + FieldOf(Call(std::string("tc_mfuncno=600&tc_sfuncno=1&yyb=") + branch + "&account=" + account +
                                   "&password=" + password),
                              "session", 1);
        return !session.empty() && trade.size() > 1;
    }
};

// Median milliseconds of 20-row pages of a query at the start, the middle and the end of the account's list.
double PageMs(CTrader& trader, const std::string& query, int rows)
{
    std::vector<double> times;
    for (int round = 0; round < 40; ++round)
        for (int at : {0, rows / 2, std::max(0, rows - 20)}) {
            auto begin = Clock::now();
            std::string body = trader.Call(query + "&count=20&poststr=" + std::to_string(at));
            if (round > 0) // the first round builds what the account keeps for its pages
                times.push_back(Ms(begin));
            if (FieldOf(body, "poststr").empty()) {
                std::printf("no page: %s: %s\n", query.c_str(), FieldOf(body, "ER_String").c_str());
                std::exit(1);
            }
        }
    return Median(times);
}

// Two accounts, one with 100 orders and deals of the day and one with 50,000, asked for pages in turn.
void ComparePages(const std::filesystem::path& folder)
{
    const int large = 50000, small = 100;
    {
        CMarket market(1, 60, 20251208);
        CBrokerage broker(1, (folder / "pages").string(), market);
        const CSecurity& s = *FirstStock(market);
        StoreDay(broker, *broker.Find("880012347"), s, small);
        StoreDay(broker, *broker.Find("880012345"), s, large);
    }
    CServerOptions options;
    options.seed = 1;
    options.startMinute = 60;
    options.today = 20251208;
    options.marketMinutesPerSecond = 0;
    options.dataDir = (folder / "pages").string();
    CServerFunctions functions(options, nullptr);
    CTrader few(functions), many(functions);
    if (!few.LogIn("0102", "880012347", "654321") || !many.LogIn("0101", "880012345", "123456")) {
        std::printf("cannot log in to trade\n");
        std::exit(1);
    }
    const char* const orders = "tc_mfuncno=600&tc_sfuncno=11";
    double a = PageMs(many, orders, large), b = PageMs(few, orders, small);
    std::printf("20-row order page at %d orders: %.3f ms, at %d orders: %.3f ms, ratio: %.2f (goal <= 2)\n", large, a,
                small, b, a / b);
    struct Other {
        const char* what;
        const char* query;
        int rows;
        bool fewRows; // as many rows at 100 as at 50,000
    } others[] = {{"cancel list (25 open orders)", "tc_mfuncno=600&tc_sfuncno=11&kcd=1", 25, true},
                  {"deals", "tc_mfuncno=600&tc_sfuncno=12", large, false},
                  {"history of deals", "tc_mfuncno=600&tc_sfuncno=13&lb=1", large, false}};
    for (const Other& o : others) {
        double x = PageMs(many, o.query, o.rows), y = PageMs(few, o.query, o.fewRows ? o.rows : small);
        std::printf("  %s: %.3f ms against %.3f ms, ratio: %.2f\n", o.what, x, y, x / y);
    }
}

} // namespace

// The p99 of quote requests during an order flood against the same on the idle server.
int FloodLatency(const std::filesystem::path& folder)
{
    CRsaKeyPair keys;
    keys.Generate(2048);
    CServerOptions options;
    options.seed = 1;
    options.startMinute = 60;
    options.today = 20251208;
    options.marketMinutesPerSecond = 20; // a market minute every 50 ms
    options.dataDir = (folder / "flood").string();
    CServerFunctions functions(options, &keys);
    CHttpServer http(functions);
    CBenchClient quoter;
    if (!http.Start(0, -1) || !quoter.Open(http.GetPort(), false)) {
        std::printf("cannot start the server or log in\n");
        return 1;
    }
    double idle = P99(Quotes(quoter, 2.0));

    // Orders at the lowest price allowed stay open until cancelled.
    const CSecurity* stock = FirstStock(functions.Market());
    int64_t up, down;
    CBrokerage::Limits(*stock, &up, &down);
    std::string code = stock->code, low = Price3(down);
    const int clients = 64;
    std::atomic<bool> stop{false};
    std::atomic<long long> requests{0};
    std::atomic<int> failed{0};
    std::vector<std::thread> flood;
    for (int i = 0; i < clients; ++i)
        flood.emplace_back([&] {
            CBenchClient t;
            if (!t.Open(http.GetPort(), true)) {
                ++failed;
                return;
            }
            while (!stop) {
                if (!t.Call("tc_mfuncno=600&tc_sfuncno=6&code=" + code + "&mmlb=0&sl=100&price=" + low))
                    break;
                std::string number = t.Field("wtbh");
                if (number.empty() || !t.Call("tc_mfuncno=600&tc_sfuncno=7&wtbh=" + number)) {
                    ++failed;
                    break;
                }
                requests += 2;
            }
        });
    std::this_thread::sleep_for(std::chrono::seconds(2)); // the flood under way
    auto begin = Clock::now();
    long long before = requests;
    std::vector<double> busy = Quotes(quoter, 5.0);
    double seconds = Ms(begin) / 1000;
    long long during = requests - before;
    stop = true;
    for (auto& t : flood)
        t.join();
    http.Stop();
    if (failed)
        std::printf("(%d flood clients failed)\n", failed.load());
    std::printf("quote request p99: %.2f ms during a %d-client order flood (%.0f orders and cancels/s, a market "
                "minute every 50 ms, %zu quotes), %.2f ms idle (reference): ratio %.1f (goal <= 50 ms)\n",
                P99(busy), clients, during / seconds, busy.size(), idle, P99(busy) / std::max(idle, 0.001));
    return 0;
}

int main()
{
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("morwick-bench-" + std::to_string(std::random_device()()));
    CompareOrderCosts(folder);
    ComparePages(folder);
    int result = FloodLatency(folder); // its server and market clock are gone before the folder goes
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return result;
}
