// The server's platform pieces: the stored key pair and the loopback listener.
#include "ServerTestClient.h"

#include "platform/device/Rsa.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>
#include <thread>

namespace {

std::filesystem::path TempDir()
{
    auto dir =
        std::filesystem::temp_directory_path() / ("morwick-server-keys-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(dir);
    return dir;
}

} // namespace

TEST(RsaKeyPair, IsMadeOnceAndReadBackOnTheNextStart)
{
    auto dir = TempDir();
    std::string path = (dir / "server-key.pem").string();
    std::vector<unsigned char> first, second;
    {
        CRsaKeyPair keys;
        ASSERT_TRUE(keys.LoadOrCreate(path));
        first = keys.GetPublicKeyDer();
    }
    {
        CRsaKeyPair keys;
        ASSERT_TRUE(keys.LoadOrCreate(path));
        second = keys.GetPublicKeyDer();
        // The exported file is what the client loads; what it enciphers, the stored key opens.
        std::string pub = (dir / "pubkey.bin").string();
        ASSERT_TRUE(keys.ExportPublicKey(pub));
        CRSA rsa;
        ASSERT_TRUE(rsa.LoadPublicKey(pub.c_str()));
        BYTE out[256];
        DWORD length = sizeof out;
        ASSERT_TRUE(rsa.Encrypt(reinterpret_cast<const BYTE*>("0123456789abcdef"), 16, out, &length));
        EXPECT_EQ(length, 256u);
        std::vector<unsigned char> plain;
        ASSERT_EQ(keys.Decrypt(out, static_cast<int>(length), plain), 16);
        EXPECT_EQ(std::string(plain.begin(), plain.end()), "0123456789abcdef");
        out[100] ^= 1;
        EXPECT_EQ(keys.Decrypt(out, static_cast<int>(length), plain), -1);
    }
    EXPECT_EQ(first, second);
    EXPECT_GT(first.size(), 290u); // a 2048-bit SubjectPublicKeyInfo

    // A damaged key file is refused, never silently replaced: clients hold its public half.
    std::ofstream(path, std::ios::trunc) << "not a key";
    CRsaKeyPair damaged;
    EXPECT_FALSE(damaged.LoadOrCreate(path));
    std::filesystem::remove_all(dir);
}

TEST(TcpServer, StopEndsIdleConnectionsPromptly)
{
    CTcpServer server;
    ASSERT_GT(server.Listen(0), 0);
    std::atomic<int> served{0};
    server.Start([&](CTcpConnection& c) {
        char b[16];
        while (c.Read(b, sizeof b, 60000) > 0) {
        }
        ++served;
    });
    std::vector<std::unique_ptr<CTcpConnection>> clients;
    for (int i = 0; i < 5; ++i) {
        clients.push_back(std::make_unique<CTcpConnection>());
        ASSERT_TRUE(clients.back()->Connect(server.GetPort()));
    }
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
         server.GetLiveConnections() < 5 && std::chrono::steady_clock::now() < until;) // a busy machine may be slow
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(server.GetLiveConnections(), 5);
    auto start = std::chrono::steady_clock::now();
    server.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)); // not the 60 s reads
    EXPECT_EQ(served.load(), 5);
    char b[4];
    EXPECT_EQ(clients[0]->Read(b, sizeof b, 1000), 0); // the peer sees the end
}

TEST(TcpServer, ListenerTakesOnlyLoopbackAndAFreePortWhenAskedForZero)
{
    CTcpServer a, b;
    int port = a.Listen(0);
    ASSERT_GT(port, 0);
    EXPECT_EQ(b.Listen(static_cast<unsigned short>(port)), -1); // taken
    CTcpConnection c;
    EXPECT_FALSE(c.Connect(static_cast<unsigned short>(port), 500, "not an address"));
}

TEST(TcpServer, ABurstOfConnectsIsQueuedWithoutWaitingForAccept)
{
    // Nothing is accepted yet: every connect must still complete at once, none waiting for a handshake retry.
    CTcpServer server;
    int port = server.Listen(0);
    ASSERT_GT(port, 0);
    std::vector<std::unique_ptr<CTcpConnection>> clients;
    for (int i = 0; i < 300; ++i) {
        clients.push_back(std::make_unique<CTcpConnection>());
        ASSERT_TRUE(clients.back()->Connect(static_cast<unsigned short>(port), 500)) << "connect " << i;
    }
}

TEST(TcpServer, AConnectionBeyondTheLimitTakesThePlaceOfTheLongestWaiting)
{
    struct Case {
        const char* name;
        int total, perAddress;
        bool handlersBusy;
    } cases[] = {
        {"all connections", 2, 100, false},
        {"one address", 100, 2, false},
        {"every one busy answering", 2, 100, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTcpServer server;
        ASSERT_GT(server.Listen(0), 0);
        server.SetMaxConnections(c.total);
        server.SetMaxConnectionsPerAddress(c.perAddress);
        bool busy = c.handlersBusy;
        std::atomic<int> handling{0};
        server.Start([busy, &handling](CTcpConnection& connection) {
            if (busy)
                connection.MarkBusy();
            ++handling;
            char b[16];
            while (connection.Read(b, sizeof b, 60000) > 0) {
            }
        });
        auto handled = [&](int n) { // a busy machine may start the handlers late
            for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                 handling < n && std::chrono::steady_clock::now() < until;)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            return handling >= n;
        };
        CTcpConnection a, b, extra;
        ASSERT_TRUE(a.Connect(server.GetPort()));
        ASSERT_TRUE(handled(1));
        // a waits longer than b: from an earlier moment, or within the same millisecond as the one accepted first.
        ASSERT_TRUE(b.Connect(server.GetPort()));
        ASSERT_TRUE(handled(2));
        ASSERT_TRUE(extra.Connect(server.GetPort()));
        char buffer[4];
        if (busy) {
            EXPECT_EQ(extra.Read(buffer, sizeof buffer, 10000), 0); // no room: closed at once
            EXPECT_EQ(a.Read(buffer, sizeof buffer, 50), -2);
        } else {
            EXPECT_EQ(a.Read(buffer, sizeof buffer, 10000), 0); // the longest waiting made room
            EXPECT_EQ(extra.Read(buffer, sizeof buffer, 50), -2);
        }
        EXPECT_EQ(b.Read(buffer, sizeof buffer, 50), -2);
        server.Stop();
    }
}

TEST(TcpServer, OutOfDescriptorsShedsAWaitingConnectionInsteadOfSpinning)
{
    CTcpServer server;
    ASSERT_GT(server.Listen(0), 0);
    server.Start([](CTcpConnection& connection) {
        char b[16];
        while (connection.Read(b, sizeof b, 60000) > 0) {
            connection.MarkBusy();
            connection.WriteAll("ok", 2);
            connection.MarkWaiting();
        }
    });
    {
        // One connection's whole life first: the sanitizers check a handler thread's end once with descriptors
        // to spare, and need none for it later.
        CTcpConnection primer;
        ASSERT_TRUE(primer.Connect(server.GetPort()));
        for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
             server.GetLiveConnections() < 1 && std::chrono::steady_clock::now() < until;)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
         server.GetLiveConnections() > 0 && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::vector<std::unique_ptr<CTcpConnection>> held;
    for (int i = 0; i < 4; ++i) {
        held.push_back(std::make_unique<CTcpConnection>());
        ASSERT_TRUE(held.back()->Connect(server.GetPort()));
    }
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
         server.GetLiveConnections() < 4 && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(server.GetLiveConnections(), 4);

    // Room for exactly one more descriptor: the client's socket takes it, the server's accept finds none.
    rlimit saved{};
    getrlimit(RLIMIT_NOFILE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = 256;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
    std::vector<int> filler;
    for (int fd; (fd = dup(2)) >= 0;)
        filler.push_back(fd);
    ASSERT_FALSE(filler.empty());
    close(filler.back());
    filler.pop_back();
    CTcpConnection fresh;
    bool connected = fresh.Connect(server.GetPort());
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
         connected && server.GetAcceptFailures() == 0 && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // The sanitizers need descriptors of their own for the next thread: give some back now that the accept has
    // failed once.
    for (int i = 0; i < 4 && !filler.empty(); ++i) {
        close(filler.back());
        filler.pop_back();
    }
    std::string answer;
    if (connected && fresh.WriteAll("hi", 2)) {
        char b[4];
        int n = fresh.Read(b, sizeof b, 20000);
        if (n > 0)
            answer.assign(b, (size_t)n);
    }
    for (int fd : filler)
        close(fd);
    setrlimit(RLIMIT_NOFILE, &saved);
    ASSERT_TRUE(connected);
    EXPECT_EQ(answer, "ok"); // served once a waiting connection was shed
    EXPECT_GE(server.GetAcceptFailures(), 1);
    char b[4];
    EXPECT_EQ(held[0]->Read(b, sizeof b, 10000), 0); // the one that waited longest
    server.Stop();
}
