// A loopback port that refuses every connect for sure: bound, never listened on, for as long as the object lives
// (a port bound and let go could be taken by another program meanwhile).
#pragma once

#include "platform/win/Winsock.h"

class RefusingPort {
public:
    RefusingPort() : s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP))
    {
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = inet_addr("127.0.0.1");
        bind(s, (sockaddr*)&a, sizeof a);
        int length = sizeof a;
        getsockname(s, (sockaddr*)&a, &length);
        port = ntohs(a.sin_port);
    }
    ~RefusingPort() { closesocket(s); }
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    int port = 0;

private:
    SOCKET s;
};
