// The server's platform pieces: the stored key pair and the loopback listener.
#include "ServerTestClient.h"

#include "platform/device/Rsa.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

namespace {

std::filesystem::path TempDir()
{
    auto dir = std::filesystem::temp_directory_path() / ("morwick-server-keys-" + std::to_string(std::random_device()()));
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

TEST(TcpServer, ConnectionsBeyondTheLimitAreClosedAtOnce)
{
    CTcpServer server;
    ASSERT_GT(server.Listen(0), 0);
    server.SetMaxConnections(2);
    server.Start([](CTcpConnection& c) {
        char b[16];
        while (c.Read(b, sizeof b, 60000) > 0) {
        }
    });
    CTcpConnection a, b, extra;
    ASSERT_TRUE(a.Connect(server.GetPort()));
    ASSERT_TRUE(b.Connect(server.GetPort()));
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
         server.GetLiveConnections() < 2 && std::chrono::steady_clock::now() < until;) // a busy machine may be slow
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(extra.Connect(server.GetPort()));
    char buffer[4];
    EXPECT_EQ(extra.Read(buffer, sizeof buffer, 10000), 0);
    EXPECT_EQ(a.Read(buffer, sizeof buffer, 50), -2); // the first two stay open
    server.Stop();
}
