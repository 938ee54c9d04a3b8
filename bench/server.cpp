// Requests per second and p99 latency of a ranked-table request against the stand-in server at 1, 8 and 64
// concurrent keep-alive connections on loopback; the reference is the same request handled in-process,
// without sockets, on one thread. Before that, what packing costs: the in-process request with its reply packed
// as the server chooses for the client's "supportCompress", against the same with packing off; goal: ratio at
// most 1.5.
#include "bench/ServerBenchSupport.h"
#include "core/DataSet.h"
#include "platform/device/RsaKeyPair.h"
#include "platform/net/TcpServer.h"
#include "server/HttpServer.h"
#include "server/ServerFunctions.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const char* const RANKED = "tc_mfuncno=31000&tc_sfuncno=3&market=0&class=0&type=21&direct=1&offset=0&count=20"
                           "&field=4|3|16|20|21|13|11|1&hwID=1,2&netaddr=&softName=RuvAv&sysVer=3.2.2.0.0"
                           "&tc_packageid=1&supportCompress=18";

struct Figures {
    double perSecond;
    double p99Ms;
    double p50Ms;
    long long count;
};

Figures Run(int port, const std::string& session, int connections, int perConnection, double maxSeconds)
{
    std::string message = Message(std::string(RANKED) + "&TC_SESSION={" + session + "}");
    std::vector<std::vector<double>> latencies(static_cast<size_t>(connections));
    std::atomic<bool> failed{false};
    auto deadline = Clock::now() + std::chrono::duration<double>(maxSeconds);
    auto start = Clock::now();
    std::vector<std::thread> threads;
    for (int t = 0; t < connections; ++t)
        threads.emplace_back([&, t] {
            CTcpConnection c;
            if (!c.Connect(static_cast<unsigned short>(port))) {
                failed = true;
                return;
            }
            std::string pending, body;
            for (int i = 0; i < perConnection && Clock::now() < deadline; ++i) {
                auto begin = Clock::now();
                if (!c.WriteAll(message.data(), static_cast<int>(message.size())) || !ReadReply(c, pending, body)) {
                    failed = true;
                    return;
                }
                latencies[static_cast<size_t>(t)].push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
            }
        });
    for (auto& t : threads)
        t.join();
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::vector<double> all;
    for (auto& l : latencies)
        all.insert(all.end(), l.begin(), l.end());
    std::sort(all.begin(), all.end());
    Figures f{};
    f.count = static_cast<long long>(all.size());
    if (failed)
        std::printf("  (some connections failed)\n");
    if (all.empty())
        return f;
    f.perSecond = static_cast<double>(all.size()) / seconds;
    f.p99Ms = all[std::min(all.size() - 1, all.size() * 99 / 100)];
    f.p50Ms = all[all.size() / 2];
    return f;
}

// Microseconds of one in-process request, best of several samples taken in turn with packing as the server
// chooses it, off, and zlib forced, so that all meet the same load of a shared machine.
void ComparePacking(CServerFunctions& functions, const std::string& request)
{
    const int modes[3] = {-1, 0, 18};
    double best[3] = {1e9, 1e9, 1e9};
    size_t bytes[3] = {0, 0, 0};
    for (int sample = 0; sample < 30; ++sample)
        for (int m = 0; m < 3; ++m) {
            functions.SetCompressMode(modes[m]);
            const int count = 200;
            auto begin = Clock::now();
            for (int i = 0; i < count; ++i)
                bytes[m] = functions.Handle(request).body.size();
            double us = std::chrono::duration<double, std::micro>(Clock::now() - begin).count() / count;
            best[m] = std::min(best[m], us);
        }
    functions.SetCompressMode(-1);
    std::printf("ranked table request, packed: %.1f us, unpacked: %.1f us, ratio: %.2f (goal <= 1.5; %zu bytes sent "
                "of %zu; zlib forced: %.1f us, %zu bytes)\n",
                best[0], best[1], best[0] / best[1], bytes[0], bytes[1], best[2], bytes[2]);
}

} // namespace

int main()
{
    CRsaKeyPair keys;
    keys.Generate(2048);
    CServerOptions options;
    options.seed = 1;
    options.startMinute = 120;
    options.today = 20251208;
    options.marketMinutesPerSecond = 0;
    CServerFunctions functions(options, &keys);
    CHttpServer http(functions);
    if (!http.Start(0, -1)) {
        std::printf("cannot listen on loopback\n");
        return 1;
    }

    // Log in once over the wire to get a session.
    CTcpConnection c;
    c.Connect(static_cast<unsigned short>(http.GetPort()));
    std::string login = Message("TC_MFUNCNO=100&TC_SFUNCNO=1&loginType=0&hwID=1,2&softName=RuvAv");
    c.WriteAll(login.data(), static_cast<int>(login.size()));
    std::string pending, body;
    if (!ReadReply(c, pending, body)) {
        std::printf("log-in failed\n");
        return 1;
    }
    CDataSet set;
    DWORD remaining = static_cast<DWORD>(body.size());
    set.Parse(reinterpret_cast<const BYTE*>(body.data()), &remaining);
    set.MoveFirst();
    std::string session = set.GetString("session") ? set.GetString("session") : "";

    // Reference: the same request handled in-process.
    std::string direct = "tc_service=300&tc_isunicode=0&" + std::string(RANKED) + "&TC_SESSION={" + session + "}";
    ComparePacking(functions, direct);
    const int directCount = 3000;
    auto begin = Clock::now();
    size_t bytes = 0;
    for (int i = 0; i < directCount; ++i)
        bytes += functions.Handle(direct).body.size();
    double directPerSecond = directCount / std::chrono::duration<double>(Clock::now() - begin).count();
    std::printf("ranked table (20 rows, %zu reply bytes after packing)\n", bytes / directCount);
    std::printf("reference: in-process handling, 1 thread: %.0f requests/s\n", directPerSecond);

    const int levels[] = {1, 8, 64};
    for (int connections : levels) {
        Run(http.GetPort(), session, connections, 20, 1.0); // warm-up
        Figures f = Run(http.GetPort(), session, connections, 8000 / connections + 50, 3.0);
        std::printf("%2d connections: %8.0f requests/s, p50 %.3f ms, p99 %.3f ms (%lld requests), ratio to "
                    "reference %.2f\n",
                    connections, f.perSecond, f.p50Ms, f.p99Ms, f.count, f.perSecond / directPerSecond);
    }
    http.Stop();
    return 0;
}
