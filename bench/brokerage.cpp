// The stand-in server's brokerage: the cost of one order (a buy and its cancel, each saved to disk) when the account
// already holds 10,000 orders of the day, against the same with 100 (the reference); goal: ratio at most 1.5.
#include "server/Brokerage.h"
#include "server/Market.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) { return std::chrono::duration<double, std::milli>(Clock::now() - since).count(); }

// Milliseconds for one buy and its cancel once the account holds that many orders of the day.
double OrderCost(CBrokerage& broker, CMarket& market, size_t orders, int rounds)
{
    CTradeAccount& a = *broker.Find("880012347");
    const CSecurity* s = nullptr;
    for (const CSecurity& x : market.Securities())
        if (x.type == KIND_STOCK && x.market != 3 && x.market != 9 && !x.suspended) {
            s = &x;
            break;
        }
    int64_t up, down;
    CBrokerage::Limits(*s, &up, &down);
    std::string price = Price3(down);
    // The day's earlier orders, ended: put in at once and saved as one change.
    CStockOrder ended;
    ended.date = broker.Today();
    ended.market = s->market;
    ended.code = s->code;
    ended.name = s->name;
    ended.price = down;
    ended.quantity = ended.cancelled = 100;
    while (a.orders.size() < orders) {
        ended.id = a.nextId++;
        a.orders.push_back(ended);
    }
    broker.Save(a);
    auto begin = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        CDone d = broker.PlaceOrder(a, s->market, s->code, 0, price, "100");
        int cancelled = 0;
        if (!d.Ok() || !broker.Cancel(a, d.id, &cancelled).Ok()) {
            std::printf("order refused: %s\n", d.error.c_str());
            std::exit(1);
        }
    }
    return Ms(begin) / rounds;
}

} // namespace

int main()
{
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("morwick-bench-" + std::to_string(getpid()));
    std::error_code ec;

    {
        CMarket market(1, 60, 20251208);
        CBrokerage broker(1, (folder / "orders").string(), market);
        OrderCost(broker, market, 100, 20); // warm-up
        double small = OrderCost(broker, market, 100, 200);
        double large = OrderCost(broker, market, 10000, 200);
        std::printf("one order (buy and cancel, each flushed to disk): %.3f ms at 100 orders of the day (reference), "
                    "%.3f ms at 10,000: ratio %.2f (goal <= 1.5)\n",
                    small, large, large / small);
    }

    std::filesystem::remove_all(folder, ec);
    return 0;
}
