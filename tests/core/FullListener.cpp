// Raw system sockets, kept out of the tests that use the platform's socket layer of the same names.
#include "tests/core/FullListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// The listener's queue of connections not yet accepted, and its bound.
bool QueueFull(int listener)
{
    tcp_info info{};
    socklen_t length = sizeof info;
    if (getsockopt(listener, IPPROTO_TCP, TCP_INFO, &info, &length) != 0)
        return false;
    return info.tcpi_unacked > info.tcpi_sacked; // for a listener: queued, and the backlog
}

} // namespace

FullListener::FullListener()
{
    listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || bind(listener, (sockaddr*)&address, sizeof address) != 0 || listen(listener, 1) != 0 ||
        getsockname(listener, (sockaddr*)&address, &length) != 0)
        return;
    // Connects complete at once while the queue has room: a blocking connect returns as soon as it is queued.
    while (!QueueFull(listener) && queued.size() < 16) {
        int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        timeval bound = {5, 0}; // should the queue's size read wrong here, a connect past it gives up
        if (s >= 0)
            setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound);
        if (s < 0 || connect(s, (sockaddr*)&address, sizeof address) != 0) {
            if (s >= 0)
                close(s);
            return;
        }
        queued.push_back(s);
    }
    if (QueueFull(listener))
        port = ntohs(address.sin_port);
}

FullListener::~FullListener()
{
    for (int s : queued)
        close(s);
    if (listener >= 0)
        close(listener);
}

int FullListener::PendingConnects() const
{
    // Lines of "sl local remote state ...", addresses in hexadecimal; state 02 is SYN_SENT.
    char remote[16];
    snprintf(remote, sizeof remote, "0100007F:%04X", port);
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line);
    int pending = 0;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, peer, state;
        fields >> slot >> local >> peer >> state;
        pending += peer == remote && state == "02" ? 1 : 0;
    }
    return pending;
}
