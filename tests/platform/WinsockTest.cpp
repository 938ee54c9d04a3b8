// The Windows Sockets layer against loopback listeners made with the same layer.
#include "platform/win/LastError.h"
#include "platform/win/Winsock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

namespace {

struct Sockets {
    Sockets()
    {
        WSADATA data;
        started = WSAStartup(MAKEWORD(1, 1), &data) == 0;
    }
    ~Sockets() { WSACleanup(); }
    bool started;
};

sockaddr_in Loopback(USHORT port)
{
    sockaddr_in a;
    std::memset(&a, 0, sizeof(a));
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = inet_addr("127.0.0.1");
    return a;
}

// A listening socket on a free loopback port.
SOCKET Listen(USHORT* port)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a = Loopback(0);
    if (bind(s, (sockaddr*)&a, sizeof(a)) != 0 || listen(s, 4) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    int length = sizeof(a);
    getsockname(s, (sockaddr*)&a, &length);
    *port = ntohs(a.sin_port);
    return s;
}

// A port where nothing listens: bound for a moment to learn a free number, then closed.
USHORT DeadPort()
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a = Loopback(0);
    bind(s, (sockaddr*)&a, sizeof(a));
    int length = sizeof(a);
    getsockname(s, (sockaddr*)&a, &length);
    closesocket(s);
    return ntohs(a.sin_port);
}

// The client socket as the transport makes it: linger off-hard, non-blocking.
SOCKET NonBlockingClient()
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    linger l = {1, 0};
    EXPECT_EQ(setsockopt(s, SOL_SOCKET, SO_LINGER, (const char*)&l, sizeof(l)), 0);
    u_long on = 1;
    EXPECT_EQ(ioctlsocket(s, FIONBIO, &on), 0);
    return s;
}

int SelectOne(SOCKET s, bool read, bool write, bool except, int timeoutMs, bool* inWrite = nullptr,
              bool* inExcept = nullptr)
{
    fd_set r, w, e;
    FD_ZERO(&r);
    FD_ZERO(&w);
    FD_ZERO(&e);
    if (read) {
        FD_SET(s, &r);
    }
    if (write) {
        FD_SET(s, &w);
    }
    if (except) {
        FD_SET(s, &e);
    }
    timeval tv = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int n = select(0, read ? &r : nullptr, write ? &w : nullptr, except ? &e : nullptr, &tv);
    if (inWrite) {
        *inWrite = FD_ISSET(s, &w);
    }
    if (inExcept) {
        *inExcept = FD_ISSET(s, &e);
    }
    return n;
}

} // namespace

TEST(Winsock, StartupIsCountedAndCallsFailWithoutIt)
{
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
    EXPECT_EQ(WSACleanup(), 0);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP); // still started once
    EXPECT_NE(s, INVALID_SOCKET);
    EXPECT_EQ(closesocket(s), 0);
    EXPECT_EQ(WSACleanup(), 0);
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
    EXPECT_EQ(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP), INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

TEST(Winsock, NonBlockingExchangeWithALoopbackListener)
{
    Sockets sockets;
    ASSERT_TRUE(sockets.started);
    USHORT port = 0;
    SOCKET listener = Listen(&port);
    ASSERT_NE(listener, INVALID_SOCKET);
    SOCKET client = NonBlockingClient();
    sockaddr_in a = Loopback(port);
    int rc = connect(client, (sockaddr*)&a, sizeof(a));
    if (rc == SOCKET_ERROR) {
        ASSERT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    }
    bool writable = false;
    ASSERT_EQ(SelectOne(client, false, true, false, 2000, &writable), 1);
    EXPECT_TRUE(writable);

    SOCKET server = accept(listener, nullptr, nullptr);
    ASSERT_NE(server, INVALID_SOCKET);

    char buffer[64];
    EXPECT_EQ(recv(client, buffer, sizeof(buffer), 0), SOCKET_ERROR); // nothing yet
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);

    EXPECT_EQ(send(client, "POST", 4, 0), 4);
    EXPECT_EQ(recv(server, buffer, sizeof(buffer), 0), 4);
    EXPECT_EQ(std::string(buffer, 4), "POST");

    EXPECT_EQ(send(server, "reply", 5, 0), 5);
    EXPECT_EQ(SelectOne(client, true, false, false, 2000), 1);
    EXPECT_EQ(recv(client, buffer, sizeof(buffer), 0), 5);

    // The peer closes: the client reads 0, and writing on ends in an error result, never a signal.
    EXPECT_EQ(shutdown(server, SD_BOTH), 0);
    EXPECT_EQ(closesocket(server), 0);
    EXPECT_EQ(SelectOne(client, true, false, false, 2000), 1);
    EXPECT_EQ(recv(client, buffer, sizeof(buffer), 0), 0);
    int result = 0;
    for (int i = 0; i < 50 && result != SOCKET_ERROR; ++i) {
        result = send(client, "more", 4, 0);
    }
    EXPECT_EQ(result, SOCKET_ERROR);
    EXPECT_EQ(closesocket(client), 0);
    EXPECT_EQ(closesocket(listener), 0);
    EXPECT_EQ(closesocket(client), SOCKET_ERROR);
}

TEST(Winsock, NonBlockingConnectReportsWouldBlockUntilSettled)
{
    Sockets sockets;
    // A listener with a full backlog leaves further connects pending.
    USHORT port = 0;
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a = Loopback(0);
    ASSERT_EQ(bind(listener, (sockaddr*)&a, sizeof(a)), 0);
    ASSERT_EQ(listen(listener, 0), 0);
    int length = sizeof(a);
    getsockname(listener, (sockaddr*)&a, &length);
    port = ntohs(a.sin_port);

    bool sawWouldBlock = false;
    SOCKET clients[8];
    for (SOCKET& c : clients) {
        c = NonBlockingClient();
        sockaddr_in to = Loopback(port);
        if (connect(c, (sockaddr*)&to, sizeof(to)) == SOCKET_ERROR) {
            EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
            sawWouldBlock = true;
        }
    }
    EXPECT_TRUE(sawWouldBlock);
    for (SOCKET c : clients) {
        closesocket(c);
    }
    closesocket(listener);
}

TEST(Winsock, RefusedConnectNeverShowsWritableAndKeepsItsReason)
{
    Sockets sockets;
    SOCKET client = NonBlockingClient();
    sockaddr_in a = Loopback(DeadPort());
    int rc = connect(client, (sockaddr*)&a, sizeof(a));
    ASSERT_EQ(rc, SOCKET_ERROR);
    int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK) {
        bool writable = true;
        bool exceptional = false;
        EXPECT_EQ(SelectOne(client, false, true, true, 2000, &writable, &exceptional), 1);
        EXPECT_FALSE(writable);
        EXPECT_TRUE(exceptional);
        int reason = 0;
        int length = sizeof(reason);
        EXPECT_EQ(getsockopt(client, SOL_SOCKET, SO_ERROR, (char*)&reason, &length), 0);
        EXPECT_EQ(reason, WSAECONNREFUSED);
    } else {
        EXPECT_EQ(error, WSAECONNREFUSED);
    }
    // Polled for writability alone, as a connect loop does, it stays unready for the whole wait.
    auto start = std::chrono::steady_clock::now();
    bool writable = true;
    EXPECT_EQ(SelectOne(client, false, true, false, 60, &writable), 0);
    EXPECT_FALSE(writable);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    EXPECT_EQ(SelectOne(client, false, true, false, 0, &writable), 0);
    closesocket(client);
}

TEST(Winsock, AddressesAndNamesResolve)
{
    Sockets sockets;
    EXPECT_EQ(htons(0x1234), 0x3412);
    EXPECT_EQ(ntohl(htonl(0x01020304u)), 0x01020304u);
    ULONG loop = inet_addr("127.0.0.1");
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&loop);
    EXPECT_EQ(bytes[0], 127);
    EXPECT_EQ(bytes[3], 1);
    EXPECT_EQ(inet_addr("server.example"), INADDR_NONE);
    in_addr in;
    in.s_addr = loop;
    EXPECT_STREQ(inet_ntoa(in), "127.0.0.1");

    hostent* host = gethostbyname("localhost");
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->h_length, 4);
    ULONG first;
    std::memcpy(&first, host->h_addr, 4);
    EXPECT_EQ(reinterpret_cast<const BYTE*>(&first)[0], 127);
}

TEST(Winsock, SelectWithNothingReadyWaitsItsTimeout)
{
    Sockets sockets;
    USHORT port = 0;
    SOCKET listener = Listen(&port);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SelectOne(listener, true, false, false, 40), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(35));
    fd_set empty;
    FD_ZERO(&empty);
    timeval tv = {0, 0};
    EXPECT_EQ(select(0, &empty, nullptr, nullptr, &tv), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
    closesocket(listener);
}
