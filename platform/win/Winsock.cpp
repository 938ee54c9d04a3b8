// Windows Sockets over the host's sockets: numbers, structures and error codes are translated at this boundary.
// Only this file sees the host's socket headers; inside namespace winsock the host's calls are named with ::.
#define MORWICK_WINSOCK_IMPL 1
#include "platform/win/Winsock.h"

#include "platform/device/CallInterface.h"
#include "platform/win/LastError.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

std::atomic<int> startupCount{0};

// What the host does not remember for us: whether a connect is under way or has failed. Linux reports a
// refused connect as writable; the phone never does, so the failure is kept here once seen.
struct SocketState {
    bool connecting = false;
    int connectError = 0; // a WSA code once the connect has failed
};

std::mutex stateLock;
std::unordered_map<int, SocketState>& States()
{
    static auto* states = new std::unordered_map<int, SocketState>();
    return *states;
}

int WsaFromErrno(int error)
{
    switch (error) {
    case EINTR: return WSAEINTR;
    case EBADF: return WSAENOTSOCK;
    case EACCES: return WSAEACCES;
    case EFAULT: return WSAEFAULT;
    case EINVAL: return WSAEINVAL;
    case EMFILE:
    case ENFILE: return WSAEMFILE;
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EINPROGRESS: return WSAEWOULDBLOCK;
    case EALREADY: return WSAEALREADY;
    case ENOTSOCK: return WSAENOTSOCK;
    case EDESTADDRREQ: return WSAEDESTADDRREQ;
    case EMSGSIZE: return WSAEMSGSIZE;
    case EPROTOTYPE: return WSAEPROTOTYPE;
    case ENOPROTOOPT: return WSAENOPROTOOPT;
    case EPROTONOSUPPORT: return WSAEPROTONOSUPPORT;
    case EOPNOTSUPP: return WSAEOPNOTSUPP;
    case EAFNOSUPPORT: return WSAEAFNOSUPPORT;
    case EADDRINUSE: return WSAEADDRINUSE;
    case EADDRNOTAVAIL: return WSAEADDRNOTAVAIL;
    case ENETDOWN: return WSAENETDOWN;
    case ENETUNREACH: return WSAENETUNREACH;
    case ENETRESET: return WSAENETRESET;
    case ECONNABORTED: return WSAECONNABORTED;
    case ECONNRESET:
    case EPIPE: return WSAECONNRESET;
    case ENOBUFS:
    case ENOMEM: return WSAENOBUFS;
    case EISCONN: return WSAEISCONN;
    case ENOTCONN: return WSAENOTCONN;
    case ESHUTDOWN: return WSAESHUTDOWN;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case ECONNREFUSED: return WSAECONNREFUSED;
    case EHOSTUNREACH:
    case EHOSTDOWN: return WSAEHOSTUNREACH;
    default: return WSAEINVAL;
    }
}

int Fail(int wsaError)
{
    SetLastError(static_cast<DWORD>(wsaError));
    return winsock::WS_SOCKET_ERROR;
}

int FailFromErrno()
{
    return Fail(WsaFromErrno(errno));
}

bool Started()
{
    if (startupCount.load() > 0) {
        return true;
    }
    SetLastError(WSANOTINITIALISED);
    return false;
}

// The host descriptor of a SOCKET, or -1 (error set) when it cannot be one.
int Fd(winsock::SOCKET s)
{
    if (!Started()) {
        return -1;
    }
    if (s == winsock::WS_INVALID_SOCKET || s > static_cast<winsock::SOCKET>(INT32_MAX)) {
        SetLastError(WSAENOTSOCK);
        return -1;
    }
    return static_cast<int>(s);
}

bool ToHostAddress(const winsock::sockaddr* address, int length, sockaddr_in* out)
{
    if (!address || length < static_cast<int>(sizeof(winsock::sockaddr_in))) {
        SetLastError(WSAEFAULT);
        return false;
    }
    const auto* in = reinterpret_cast<const winsock::sockaddr_in*>(address);
    if (in->sin_family != winsock::WS_AF_INET) {
        SetLastError(WSAEAFNOSUPPORT);
        return false;
    }
    std::memset(out, 0, sizeof(*out));
    out->sin_family = AF_INET;
    out->sin_port = in->sin_port;
    out->sin_addr.s_addr = in->sin_addr.s_addr;
    return true;
}

void FromHostAddress(const sockaddr_in& in, winsock::sockaddr* address, int* length)
{
    if (!address || !length || *length < static_cast<int>(sizeof(winsock::sockaddr_in))) {
        return;
    }
    auto* out = reinterpret_cast<winsock::sockaddr_in*>(address);
    std::memset(out, 0, sizeof(*out));
    out->sin_family = winsock::WS_AF_INET;
    out->sin_port = in.sin_port;
    out->sin_addr.s_addr = in.sin_addr.s_addr;
    *length = sizeof(winsock::sockaddr_in);
}

bool HostOption(int level, int option, int* hostLevel, int* hostOption)
{
    if (level == winsock::WS_SOL_SOCKET) {
        *hostLevel = SOL_SOCKET;
        switch (option) {
        case winsock::WS_SO_REUSEADDR: *hostOption = SO_REUSEADDR; return true;
        case winsock::WS_SO_KEEPALIVE: *hostOption = SO_KEEPALIVE; return true;
        case winsock::WS_SO_LINGER: *hostOption = SO_LINGER; return true;
        case winsock::WS_SO_SNDBUF: *hostOption = SO_SNDBUF; return true;
        case winsock::WS_SO_RCVBUF: *hostOption = SO_RCVBUF; return true;
        case winsock::WS_SO_SNDTIMEO: *hostOption = SO_SNDTIMEO; return true;
        case winsock::WS_SO_RCVTIMEO: *hostOption = SO_RCVTIMEO; return true;
        case winsock::WS_SO_ERROR: *hostOption = SO_ERROR; return true;
        default: return false;
        }
    }
    if (level == winsock::WS_IPPROTO_TCP && option == winsock::WS_TCP_NODELAY) {
        *hostLevel = IPPROTO_TCP;
        *hostOption = TCP_NODELAY;
        return true;
    }
    return false;
}

int HostFlags(int flags)
{
    int host = MSG_NOSIGNAL; // a closed peer is an error result, never a signal
    if (flags & winsock::WS_MSG_OOB) {
        host |= MSG_OOB;
    }
    if (flags & winsock::WS_MSG_PEEK) {
        host |= MSG_PEEK;
    }
    return host;
}

// Settles a connect under way on a socket the host reports writable or in error: connected, or failed with
// the reason kept. Returns the WSA error of a failed connect, 0 otherwise.
int SettleConnect(int fd)
{
    std::lock_guard<std::mutex> guard(stateLock);
    auto it = States().find(fd);
    if (it == States().end()) {
        return 0;
    }
    SocketState& state = it->second;
    if (state.connecting) {
        // The host's pending error reads 0 while the connect is still under way: ask only once it has settled.
        pollfd probe{fd, POLLOUT, 0};
        if (::poll(&probe, 1, 0) <= 0 || !(probe.revents & (POLLOUT | POLLERR | POLLHUP))) {
            return 0;
        }
        int error = 0;
        socklen_t length = sizeof(error);
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
            error = errno;
        }
        if (error == EINPROGRESS || error == EALREADY) {
            return 0; // not settled after all
        }
        state.connecting = false;
        state.connectError = error ? WsaFromErrno(error) : 0;
    }
    return state.connectError;
}

int ConnectErrorOf(int fd)
{
    std::lock_guard<std::mutex> guard(stateLock);
    auto it = States().find(fd);
    return it == States().end() ? 0 : it->second.connectError;
}

bool IsConnecting(int fd)
{
    std::lock_guard<std::mutex> guard(stateLock);
    auto it = States().find(fd);
    return it != States().end() && it->second.connecting;
}

struct HostEntryStorage {
    winsock::hostent entry{};
    std::vector<std::vector<char>> names;
    std::vector<ULONG> addresses;
    std::vector<char*> addressList;
    char* noAliases[1] = {nullptr};
    std::string name;
};
thread_local HostEntryStorage hostStorage;
thread_local char dottedText[16];

} // namespace

namespace winsock {

int WSAStartup(WORD versionRequested, LPWSADATA data)
{
    if (LOBYTE(versionRequested) < 1) {
        return WSAVERNOTSUPPORTED;
    }
    if (data) {
        std::memset(data, 0, sizeof(*data));
        data->wVersion = versionRequested;
        data->wHighVersion = MAKEWORD(2, 2);
        std::strcpy(data->szDescription, "Morwick sockets");
        std::strcpy(data->szSystemStatus, "Running");
        data->iMaxSockets = 0xFFFF;
    }
    ++startupCount;
    return 0;
}

int WSACleanup()
{
    int count = startupCount.load();
    while (count > 0 && !startupCount.compare_exchange_weak(count, count - 1)) {
    }
    if (count <= 0) {
        return Fail(WSANOTINITIALISED);
    }
    return 0;
}

int WSAGetLastError()
{
    return static_cast<int>(GetLastError());
}

void WSASetLastError(int error)
{
    SetLastError(static_cast<DWORD>(error));
}

SOCKET(socket)(int family, int type, int protocol)
{
    if (!Started()) {
        return WS_INVALID_SOCKET;
    }
    if (family != WS_AF_INET) {
        SetLastError(WSAEAFNOSUPPORT);
        return WS_INVALID_SOCKET;
    }
    int hostType = type == WS_SOCK_STREAM ? SOCK_STREAM : type == WS_SOCK_DGRAM ? SOCK_DGRAM : -1;
    if (hostType < 0) {
        SetLastError(WSAEPROTOTYPE);
        return WS_INVALID_SOCKET;
    }
    int hostProtocol = protocol == WS_IPPROTO_TCP ? IPPROTO_TCP : protocol;
    int fd = ::socket(AF_INET, hostType | SOCK_CLOEXEC, hostProtocol);
    if (fd < 0) {
        FailFromErrno();
        return WS_INVALID_SOCKET;
    }
    std::lock_guard<std::mutex> guard(stateLock);
    States()[fd] = SocketState{};
    return static_cast<SOCKET>(fd);
}

int(closesocket)(SOCKET s)
{
    int fd = Fd(s);
    if (fd < 0) {
        return WS_SOCKET_ERROR;
    }
    {
        std::lock_guard<std::mutex> guard(stateLock);
        States().erase(fd);
    }
    if (::close(fd) != 0) {
        return FailFromErrno();
    }
    return 0;
}

int(setsockopt)(SOCKET s, int level, int option, const char* value, int length)
{
    int fd = Fd(s);
    if (fd < 0) {
        return WS_SOCKET_ERROR;
    }
    int hostLevel = 0;
    int hostOption = 0;
    if (!HostOption(level, option, &hostLevel, &hostOption)) {
        return Fail(WSAENOPROTOOPT);
    }
    if (!value || length < 0) {
        return Fail(WSAEFAULT);
    }
    int result;
    if (hostOption == SO_LINGER && hostLevel == SOL_SOCKET) {
        if (length < static_cast<int>(sizeof(linger))) {
            return Fail(WSAEFAULT);
        }
        linger given;
        std::memcpy(&given, value, sizeof(given));
        ::linger host{given.l_onoff ? 1 : 0, given.l_linger};
        result = ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &host, sizeof(host));
    } else if (hostLevel == SOL_SOCKET && (hostOption == SO_SNDTIMEO || hostOption == SO_RCVTIMEO)) {
        if (length < static_cast<int>(sizeof(DWORD))) {
            return Fail(WSAEFAULT);
        }
        DWORD ms;
        std::memcpy(&ms, value, sizeof(ms));
        ::timeval host{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>((ms % 1000) * 1000)};
        result = ::setsockopt(fd, hostLevel, hostOption, &host, sizeof(host));
    } else {
        if (length < static_cast<int>(sizeof(int))) {
            return Fail(WSAEFAULT);
        }
        int v;
        std::memcpy(&v, value, sizeof(v));
        result = ::setsockopt(fd, hostLevel, hostOption, &v, sizeof(v));
    }
    return result == 0 ? 0 : FailFromErrno();
}

int(getsockopt)(SOCKET s, int level, int option, char* value, int* length)
{
    int fd = Fd(s);
    if (fd < 0) {
        return WS_SOCKET_ERROR;
    }
    int hostLevel = 0;
    int hostOption = 0;
    if (!HostOption(level, option, &hostLevel, &hostOption)) {
        return Fail(WSAENOPROTOOPT);
    }
    if (!value || !length) {
        return Fail(WSAEFAULT);
    }
    if (hostOption == SO_LINGER && hostLevel == SOL_SOCKET) {
        if (*length < static_cast<int>(sizeof(linger))) {
            return Fail(WSAEFAULT);
        }
        ::linger host{};
        socklen_t hostLength = sizeof(host);
        if (::getsockopt(fd, SOL_SOCKET, SO_LINGER, &host, &hostLength) != 0) {
            return FailFromErrno();
        }
        linger out{static_cast<USHORT>(host.l_onoff ? 1 : 0), static_cast<USHORT>(host.l_linger)};
        std::memcpy(value, &out, sizeof(out));
        *length = sizeof(out);
        return 0;
    }
    if (*length < static_cast<int>(sizeof(int))) {
        return Fail(WSAEFAULT);
    }
    int v = 0;
    if (hostOption == SO_ERROR && hostLevel == SOL_SOCKET) {
        // A failed connect's reason stays readable, as the phone keeps it.
        v = SettleConnect(fd);
        if (v == 0 && !IsConnecting(fd)) {
            int hostError = 0;
            socklen_t hostLength = sizeof(hostError);
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &hostError, &hostLength);
            v = hostError ? WsaFromErrno(hostError) : 0;
        }
    } else {
        socklen_t hostLength = sizeof(v);
        if (::getsockopt(fd, hostLevel, hostOption, &v, &hostLength) != 0) {
            return FailFromErrno();
        }
    }
    std::memcpy(value, &v, sizeof(v));
    *length = sizeof(v);
    return 0;
}

int(ioctlsocket)(SOCKET s, LONG command, u_long* argument)
{
    int fd = Fd(s);
    if (fd < 0) {
        return WS_SOCKET_ERROR;
    }
    if (!argument) {
        return Fail(WSAEFAULT);
    }
    if (command == WS_FIONBIO) {
        int flags = ::fcntl(fd, F_GETFL, 0);
        if (flags < 0) {
            return FailFromErrno();
        }
        flags = *argument ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
        return ::fcntl(fd, F_SETFL, flags) == 0 ? 0 : FailFromErrno();
    }
    if (command == WS_FIONREAD) {
        int available = 0;
        if (::ioctl(fd, FIONREAD, &available) != 0) {
            return FailFromErrno();
        }
        *argument = static_cast<u_long>(available);
        return 0;
    }
    return Fail(WSAEINVAL);
}

int(connect)(SOCKET s, const sockaddr* address, int length)
{
    int fd = Fd(s);
    if (fd < 0) {
        return WS_SOCKET_ERROR;
    }
    ::sockaddr_in host;
    if (!ToHostAddress(address, length, &host)) {
        return WS_SOCKET_ERROR;
    }
    // A phone in flight mode has no radio: its connects fail however near the server is.
    if (IsFlightModeOn()) {
        return Fail(WSAENETUNREACH);
    }
    int result;
    do {
        result = ::connect(fd, reinterpret_cast<const ::sockaddr*>(&host), sizeof(::sockaddr_in));
    } while (result != 0 && errno == EINTR);
    std::lock_guard<std::mutex> guard(stateLock);
    SocketState& state = States()[fd];
    if (result == 0) {
        state = SocketState{};
        return 0;
    }
    int error = errno;
    if (error == EINPROGRESS) {
        state.connecting = true;
        state.connectError = 0;
        return Fail(WSAEWOULDBLOCK);
    }
    if (error == EALREADY) {
        return Fail(WSAEALREADY);
    }
    state.connecting = false;
    state.connectError = WsaFromErrno(error);
    return Fail(state.connectError);
}

int(bind)(SOCKET s, const sockaddr* address, int length)
{
    int fd = Fd(s);
    if (fd < 0) {
        return WS_SOCKET_ERROR;
    }
    ::sockaddr_in host;
    if (!ToHostAddress(address, length, &host)) {
        return WS_SOCKET_ERROR;
    }
    return ::bind(fd, reinterpret_cast<const ::sockaddr*>(&host), sizeof(host)) == 0 ? 0 : FailFromErrno();
}

int(listen)(SOCKET s, int backlog)
{
    int fd = Fd(s);
    if (fd < 0) {
        return WS_SOCKET_ERROR;
    }
    return ::listen(fd, backlog) == 0 ? 0 : FailFromErrno();
}

SOCKET(accept)(SOCKET s, sockaddr* address, int* length)
{
    int fd = Fd(s);
    if (fd < 0) {
        return WS_INVALID_SOCKET;
    }
    ::sockaddr_in host{};
    socklen_t hostLength = sizeof(host);
    int client;
    do {
        client = ::accept4(fd, reinterpret_cast<::sockaddr*>(&host), &hostLength, SOCK_CLOEXEC);
    } while (client < 0 && errno == EINTR);
    if (client < 0) {
        FailFromErrno();
        return WS_INVALID_SOCKET;
    }
    FromHostAddress(host, address, length);
    std::lock_guard<std::mutex> guard(stateLock);
    States()[client] = SocketState{};
    return static_cast<SOCKET>(client);
}

int(getsockname)(SOCKET s, sockaddr* address, int* length)
{
    int fd = Fd(s);
    if (fd < 0) {
        return WS_SOCKET_ERROR;
    }
    if (!address || !length || *length < static_cast<int>(sizeof(sockaddr_in))) {
        return Fail(WSAEFAULT);
    }
    ::sockaddr_in host{};
    socklen_t hostLength = sizeof(host);
    if (::getsockname(fd, reinterpret_cast<::sockaddr*>(&host), &hostLength) != 0) {
        return FailFromErrno();
    }
    FromHostAddress(host, address, length);
    return 0;
}

int(select)(int, fd_set* readSet, fd_set* writeSet, fd_set* exceptSet, const ::timeval* timeout)
{
    if (!Started()) {
        return WS_SOCKET_ERROR;
    }
    // One entry per socket, whatever sets it is in.
    struct Watch {
        SOCKET s;
        bool read = false, write = false, except = false;
        bool readable = false, writable = false, exceptional = false;
    };
    std::vector<Watch> watches;
    auto add = [&](fd_set* set, bool Watch::*flag) -> bool {
        if (!set) {
            return true;
        }
        if (set->fd_count > static_cast<UINT>(WS_FD_SETSIZE)) {
            return false;
        }
        for (UINT i = 0; i < set->fd_count; ++i) {
            SOCKET s = set->fd_array[i];
            if (s == WS_INVALID_SOCKET || s > static_cast<SOCKET>(INT32_MAX)) {
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
    };
    if (!add(readSet, &Watch::read) || !add(writeSet, &Watch::write) || !add(exceptSet, &Watch::except)) {
        return Fail(WSAENOTSOCK);
    }
    if (watches.empty()) {
        return Fail(WSAEINVAL);
    }
    if (timeout && (timeout->tv_sec < 0 || timeout->tv_usec < 0)) {
        return Fail(WSAEINVAL);
    }
    const bool forever = timeout == nullptr;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(forever ? 0 : timeout->tv_sec)
                          + std::chrono::microseconds(forever ? 0 : timeout->tv_usec);
    int ready = 0;
    for (;;) {
        std::vector<pollfd> polls;
        std::vector<size_t> owners;
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
        bool anyKnown = false;
        for (const Watch& w : watches) {
            anyKnown = anyKnown || w.exceptional;
        }
        int waitMs = 0;
        if (!anyKnown) {
            if (forever) {
                waitMs = -1;
            } else {
                auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now() + std::chrono::microseconds(999));
                waitMs = left.count() > 0 ? static_cast<int>(std::min<long long>(left.count(), INT32_MAX)) : 0;
            }
        }
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
        for (size_t k = 0; k < polls.size(); ++k) {
            Watch& w = watches[owners[k]];
            short revents = polls[k].revents;
            if (revents & POLLNVAL) {
                return Fail(WSAENOTSOCK);
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
        ready = 0;
        for (const Watch& w : watches) {
            ready += (w.read && w.readable) + (w.write && w.writable) + (w.except && w.exceptional);
        }
        if (ready > 0 || (!forever && std::chrono::steady_clock::now() >= deadline)) {
            break;
        }
    }
    auto keep = [&](fd_set* set, bool Watch::*flag) {
        if (!set) {
            return;
        }
        UINT kept = 0;
        for (UINT i = 0; i < set->fd_count; ++i) {
            SOCKET s = set->fd_array[i];
            auto it = std::find_if(watches.begin(), watches.end(), [s](const Watch& w) { return w.s == s; });
            if (it != watches.end() && (*it).*flag) {
                set->fd_array[kept++] = s;
            }
        }
        set->fd_count = kept;
    };
    keep(readSet, &Watch::readable);
    keep(writeSet, &Watch::writable);
    keep(exceptSet, &Watch::exceptional);
    return ready;
}

int(send)(SOCKET s, const char* data, int length, int flags)
{
    int fd = Fd(s);
    if (fd < 0) {
        return WS_SOCKET_ERROR;
    }
    if (length < 0 || (!data && length > 0)) {
        return Fail(WSAEFAULT);
    }
    if (int error = ConnectErrorOf(fd)) {
        return Fail(error == WSAECONNREFUSED ? WSAENOTCONN : error);
    }
    ssize_t sent;
    do {
        sent = ::send(fd, data, static_cast<size_t>(length), HostFlags(flags));
    } while (sent < 0 && errno == EINTR);
    if (sent < 0) {
        if (errno == ENOTCONN && IsConnecting(fd)) {
            return Fail(WSAEWOULDBLOCK); // still connecting: try again later
        }
        return FailFromErrno();
    }
    return static_cast<int>(sent);
}

int(recv)(SOCKET s, char* buffer, int length, int flags)
{
    int fd = Fd(s);
    if (fd < 0) {
        return WS_SOCKET_ERROR;
    }
    if (length < 0 || (!buffer && length > 0)) {
        return Fail(WSAEFAULT);
    }
    if (int error = ConnectErrorOf(fd)) {
        return Fail(error == WSAECONNREFUSED ? WSAENOTCONN : error);
    }
    ssize_t got;
    do {
        got = ::recv(fd, buffer, static_cast<size_t>(length), HostFlags(flags) & ~MSG_NOSIGNAL);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        return FailFromErrno();
    }
    return static_cast<int>(got);
}

int(shutdown)(SOCKET s, int how)
{
    int fd = Fd(s);
    if (fd < 0) {
        return WS_SOCKET_ERROR;
    }
    int hostHow = how == WS_SD_RECEIVE ? SHUT_RD : how == WS_SD_SEND ? SHUT_WR : how == WS_SD_BOTH ? SHUT_RDWR : -1;
    if (hostHow < 0) {
        return Fail(WSAEINVAL);
    }
    return ::shutdown(fd, hostHow) == 0 ? 0 : FailFromErrno();
}

ULONG(inet_addr)(const char* text)
{
    if (!text) {
        return WS_INADDR_NONE;
    }
    ::in_addr host{};
    if (::inet_aton(text, &host) == 0) {
        return WS_INADDR_NONE;
    }
    return host.s_addr;
}

char*(inet_ntoa)(in_addr address)
{
    ::in_addr host{};
    host.s_addr = address.s_addr;
    if (!::inet_ntop(AF_INET, &host, dottedText, sizeof(dottedText))) {
        dottedText[0] = '\0';
    }
    return dottedText;
}

USHORT(htons)(USHORT value)
{
    return static_cast<USHORT>((value >> 8) | (value << 8));
}

USHORT(ntohs)(USHORT value)
{
    return (htons)(value);
}

ULONG(htonl)(ULONG value)
{
    return ((value & 0xffu) << 24) | ((value & 0xff00u) << 8) | ((value >> 8) & 0xff00u) | (value >> 24);
}

ULONG(ntohl)(ULONG value)
{
    return (htonl)(value);
}

hostent*(gethostbyname)(const char* name)
{
    if (!Started()) {
        return nullptr;
    }
    if (!name) {
        SetLastError(WSAEFAULT);
        return nullptr;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    int rc = ::getaddrinfo(name, nullptr, &hints, &found);
    if (rc != 0 || !found) {
        SetLastError(rc == EAI_AGAIN ? WSATRY_AGAIN : rc == EAI_NONAME ? WSAHOST_NOT_FOUND : WSANO_RECOVERY);
        return nullptr;
    }
    HostEntryStorage& storage = hostStorage;
    storage.addresses.clear();
    for (addrinfo* a = found; a && storage.addresses.size() < 16; a = a->ai_next) {
        if (a->ai_family == AF_INET && a->ai_addrlen >= sizeof(::sockaddr_in)) {
            ULONG address = reinterpret_cast<const ::sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
            if (std::find(storage.addresses.begin(), storage.addresses.end(), address) == storage.addresses.end()) {
                storage.addresses.push_back(address);
            }
        }
    }
    ::freeaddrinfo(found);
    if (storage.addresses.empty()) {
        SetLastError(WSANO_DATA);
        return nullptr;
    }
    storage.name = name;
    storage.addressList.clear();
    for (ULONG& address : storage.addresses) {
        storage.addressList.push_back(reinterpret_cast<char*>(&address));
    }
    storage.addressList.push_back(nullptr);
    storage.entry.h_name = storage.name.data();
    storage.entry.h_aliases = storage.noAliases;
    storage.entry.h_addrtype = static_cast<SHORT>(WS_AF_INET);
    storage.entry.h_length = 4;
    storage.entry.h_addr_list = storage.addressList.data();
    return &storage.entry;
}

} // namespace winsock
