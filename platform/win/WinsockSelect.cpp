// select over the host's poll: one watch per socket, whatever sets it is in, asked of the host until one is ready or
// the time is up. A failed connect never becomes writable and is reported as an exception, as on the phone.
#define MORWICK_WINSOCK_IMPL 1
#include "platform/win/Winsock.h"

#include "platform/win/WinsockHost.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <vector>

using namespace winsock::host;

namespace {

// One entry per socket, whatever sets it is in.
struct Watch {
    winsock::SOCKET s;
    bool read = false, write = false, except = false;
    bool readable = false, writable = false, exceptional = false;
};

using Clock = std::chrono::steady_clock;

// Adds a watch asking flag for every socket of set; false when the set holds what cannot be a socket.
bool AddWatches(std::vector<Watch>& watches, winsock::fd_set* set, bool Watch::*flag)
{
    if (!set) {
        return true;
    }
    if (set->fd_count > static_cast<UINT>(winsock::WS_FD_SETSIZE)) {
        return false;
    }
    for (UINT i = 0; i < set->fd_count; ++i) {
        winsock::SOCKET s = set->fd_array[i];
        if (s == winsock::WS_INVALID_SOCKET || s > static_cast<winsock::SOCKET>(INT32_MAX)) {
            return false;
        }
        auto it = std::find_if(watches.begin(), watches.end(), [s](const Watch& w) { return w.s == s; });
        if (it == watches.end()) {
            watches.push_back(Watch{s});
            it = watches.end() - 1;
        }
        (*it).*flag = true;
    }
    return true;
}

// What to ask the host of each watched socket (owners: the watch of each poll entry); a watch whose connect has
// failed is exceptional at once.
void AskHost(std::vector<Watch>& watches, std::vector<pollfd>& polls, std::vector<size_t>& owners)
{
    for (size_t i = 0; i < watches.size(); ++i) {
        Watch& w = watches[i];
        int fd = static_cast<int>(w.s);
        short events = 0;
        if (w.read) {
            events |= POLLIN;
        }
        // A socket whose connect failed never becomes writable; nothing more to ask the host about it.
        if (w.write && ConnectErrorOf(fd) == 0) {
            events |= POLLOUT;
        }
        if (w.except) {
            events |= POLLPRI;
            if (IsConnecting(fd)) {
                events |= POLLOUT; // the host tells of a failed connect through this
            }
        }
        if (w.except && ConnectErrorOf(fd) != 0) {
            w.exceptional = true;
        }
        if (events) {
            polls.push_back(pollfd{fd, events, 0});
            owners.push_back(i);
        }
    }
}

// Milliseconds to wait in poll: none once something is known, else until the deadline (-1: for ever).
int WaitMs(const std::vector<Watch>& watches, bool forever, Clock::time_point deadline)
{
    bool anyKnown = false;
    for (const Watch& w : watches) {
        anyKnown = anyKnown || w.exceptional;
    }
    if (anyKnown) {
        return 0;
    }
    if (forever) {
        return -1;
    }
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now() + std::chrono::microseconds(999));
    return left.count() > 0 ? static_cast<int>(std::min<long long>(left.count(), INT32_MAX)) : 0;
}

// Marks what the host reported for each poll entry on its watch; false for a descriptor the host does not know.
bool TakeEvents(std::vector<Watch>& watches, const std::vector<pollfd>& polls, const std::vector<size_t>& owners)
{
    for (size_t k = 0; k < polls.size(); ++k) {
        Watch& w = watches[owners[k]];
        short revents = polls[k].revents;
        if (revents & POLLNVAL) {
            return false;
        }
        int fd = polls[k].fd;
        bool settled = (revents & (POLLOUT | POLLERR | POLLHUP)) && IsConnecting(fd);
        int connectError = settled ? SettleConnect(fd) : ConnectErrorOf(fd);
        if (w.read && (revents & (POLLIN | POLLHUP | POLLERR)) && connectError == 0 && !IsConnecting(fd)) {
            w.readable = true;
        }
        if (w.write && (revents & (POLLOUT | POLLERR | POLLHUP)) && connectError == 0 && !IsConnecting(fd)) {
            w.writable = true;
        }
        if (w.except && ((revents & POLLPRI) || connectError != 0)) {
            w.exceptional = true;
        }
    }
    return true;
}

int CountReady(const std::vector<Watch>& watches)
{
    int ready = 0;
    for (const Watch& w : watches) {
        ready += (w.read && w.readable) + (w.write && w.writable) + (w.except && w.exceptional);
    }
    return ready;
}

// Leaves in set only the sockets whose watch has flag.
void KeepReady(winsock::fd_set* set, const std::vector<Watch>& watches, bool Watch::*flag)
{
    if (!set) {
        return;
    }
    UINT kept = 0;
    for (UINT i = 0; i < set->fd_count; ++i) {
        winsock::SOCKET s = set->fd_array[i];
        auto it = std::find_if(watches.begin(), watches.end(), [s](const Watch& w) { return w.s == s; });
        if (it != watches.end() && (*it).*flag) {
            set->fd_array[kept++] = s;
        }
    }
    set->fd_count = kept;
}

} // namespace

namespace winsock {

int(select)(int, fd_set* readSet, fd_set* writeSet, fd_set* exceptSet, const ::timeval* timeout)
{
    if (!Started()) {
        return WS_SOCKET_ERROR;
    }
    std::vector<Watch> watches;
    if (!AddWatches(watches, readSet, &Watch::read) || !AddWatches(watches, writeSet, &Watch::write) ||
        !AddWatches(watches, exceptSet, &Watch::except)) {
        return Fail(WSAENOTSOCK);
    }
    if (watches.empty()) {
        return Fail(WSAEINVAL);
    }
    if (timeout && (timeout->tv_sec < 0 || timeout->tv_usec < 0)) {
        return Fail(WSAEINVAL);
    }
    const bool forever = timeout == nullptr;
    const auto deadline = Clock::now() + std::chrono::seconds(forever ? 0 : timeout->tv_sec) +
                          std::chrono::microseconds(forever ? 0 : timeout->tv_usec);
    int ready = 0;
    for (;;) {
        std::vector<pollfd> polls;
        std::vector<size_t> owners;
        AskHost(watches, polls, owners);
        int waitMs = WaitMs(watches, forever, deadline);
        int n = polls.empty() ? 0 : ::poll(polls.data(), polls.size(), waitMs);
        if (polls.empty() && waitMs != 0) {
            ::poll(nullptr, 0, waitMs); // only failed connects asked for writability: wait out the time
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FailFromErrno();
        }
        if (!TakeEvents(watches, polls, owners)) {
            return Fail(WSAENOTSOCK);
        }
        ready = CountReady(watches);
        if (ready > 0 || (!forever && Clock::now() >= deadline)) {
            break;
        }
    }
    KeepReady(readSet, watches, &Watch::readable);
    KeepReady(writeSet, watches, &Watch::writable);
    KeepReady(exceptSet, watches, &Watch::exceptional);
    return ready;
}

} // namespace winsock
