// The non-blocking socket: bounded waits for a peer that takes nothing, receives with nothing waiting, and
// cancels seen by the message pump.
#include "core/ClientSocket.h"
#include "platform/win/Message.h"
#include "platform/win/Thread.h"
#include "tests/core/TransportTestSupport.h"

#include <chrono>
#include <gtest/gtest.h>
#include <vector>

namespace {

// A listener that never accepts or reads: the kernel completes connects, then its buffers fill up.
struct DeafListener {
    DeafListener()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(1, 1), &data);
        s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = inet_addr("127.0.0.1");
        bind(s, (sockaddr*)&a, sizeof a);
        listen(s, 4);
        int length = sizeof a;
        getsockname(s, (sockaddr*)&a, &length);
        port = ntohs(a.sin_port);
    }
    ~DeafListener()
    {
        closesocket(s);
        WSACleanup();
    }
    SOCKET s;
    int port = 0;
};

} // namespace

TEST(ClientSocket, SendToAPeerThatTakesNothingGivesUpAfterTheSilenceBudget)
{
    DeafListener deaf;
    CClientSocket socket;
    socket.SetSilenceBudget(100);
    ASSERT_EQ(socket.Connect("127.0.0.1", deaf.port), 1);
    std::vector<BYTE> lots(32 * 1024 * 1024, 'x');
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(socket.Send(lots.data(), (int)lots.size()), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(ClientSocket, ReceiveWithNothingWaitingAndAfterThePeerClosed)
{
    ScriptedServer server;
    server.Add(Exchange{{"HTTP/1.1 200 OK\r\n"}, 0, 0, true});
    CClientSocket socket;
    ASSERT_EQ(socket.Connect("127.0.0.1", server.Port()), 1);
    BYTE buffer[256];
    int received = -1;
    EXPECT_EQ(socket.Recv(buffer, sizeof buffer, &received), 1);
    EXPECT_EQ(received, 0);
    const char request[] = "POST / HTTP/1.1\r\nContent-Length: 0\r\n\r\n";
    ASSERT_EQ(socket.Send((const BYTE*)request, (int)sizeof request - 1), 1);
    int total = 0, rc = 1;
    for (int i = 0; i < 200 && rc == 1; ++i) {
        rc = socket.Recv(buffer, sizeof buffer, &received);
        total += received;
        if (rc == 1 && received == 0)
            socket.WaitReadable(10);
    }
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(total, 17);
}

TEST(ClientSocket, UnknownHostFailsAndAPendingCancelEndsTheConnect)
{
    CClientSocket socket;
    EXPECT_EQ(socket.Connect("no-such-host.invalid", 80), 0);
    EXPECT_FALSE(socket.IsOpen());

    ScriptedServer server;
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    PostThreadMessage(GetCurrentThreadId(), WM_NET_CANCEL, 0, 0);
    // A cancel waiting in the queue is seen by the first pump, before any byte goes out.
    int rc = socket.Connect("127.0.0.1", server.Port());
    if (rc == 1)
        rc = socket.Send((const BYTE*)"x", 1);
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(server.Requests().size(), 0u);
}
