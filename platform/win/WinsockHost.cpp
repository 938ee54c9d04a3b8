// The host side of Windows Sockets: connect state, and errors, addresses, options and flags translated.
#define MORWICK_WINSOCK_IMPL 1
#include "platform/win/WinsockHost.h"

#include "platform/win/LastError.h"

#include <cerrno>
#include <cstring>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

namespace winsock::host {

std::atomic<int> startupCount{0};
std::mutex stateLock;
std::unordered_map<int, SocketState>& States()
{
    static auto* states = new std::unordered_map<int, SocketState>();
    return *states;
}

int WsaFromErrno(int error)
{
    switch (error) {
    case EINTR:
        return WSAEINTR;
    case EBADF:
        return WSAENOTSOCK;
    case EACCES:
        return WSAEACCES;
    case EFAULT:
        return WSAEFAULT;
    case EINVAL:
        return WSAEINVAL;
    case EMFILE:
    case ENFILE:
        return WSAEMFILE;
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EINPROGRESS:
        return WSAEWOULDBLOCK;
    case EALREADY:
        return WSAEALREADY;
    case ENOTSOCK:
        return WSAENOTSOCK;
    case EDESTADDRREQ:
        return WSAEDESTADDRREQ;
    case EMSGSIZE:
        return WSAEMSGSIZE;
    case EPROTOTYPE:
        return WSAEPROTOTYPE;
    case ENOPROTOOPT:
        return WSAENOPROTOOPT;
    case EPROTONOSUPPORT:
        return WSAEPROTONOSUPPORT;
    case EOPNOTSUPP:
        return WSAEOPNOTSUPP;
    case EAFNOSUPPORT:
        return WSAEAFNOSUPPORT;
    case EADDRINUSE:
        return WSAEADDRINUSE;
    case EADDRNOTAVAIL:
        return WSAEADDRNOTAVAIL;
    case ENETDOWN:
        return WSAENETDOWN;
    case ENETUNREACH:
        return WSAENETUNREACH;
    case ENETRESET:
        return WSAENETRESET;
    case ECONNABORTED:
        return WSAECONNABORTED;
    case ECONNRESET:
    case EPIPE:
        return WSAECONNRESET;
    case ENOBUFS:
    case ENOMEM:
        return WSAENOBUFS;
    case EISCONN:
        return WSAEISCONN;
    case ENOTCONN:
        return WSAENOTCONN;
    case ESHUTDOWN:
        return WSAESHUTDOWN;
    case ETIMEDOUT:
        return WSAETIMEDOUT;
    case ECONNREFUSED:
        return WSAECONNREFUSED;
    case EHOSTUNREACH:
    case EHOSTDOWN:
        return WSAEHOSTUNREACH;
    default:
        return WSAEINVAL;
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

int TransferFd(winsock::SOCKET s, const void* buffer, int length)
{
    int fd = Fd(s);
    if (fd < 0) {
        return -1;
    }
    if (length < 0 || (!buffer && length > 0)) {
        Fail(WSAEFAULT);
        return -1;
    }
    if (int error = ConnectErrorOf(fd)) {
        Fail(error == WSAECONNREFUSED ? WSAENOTCONN : error);
        return -1;
    }
    return fd;
}

bool ToHostAddress(const winsock::sockaddr* address, int length, ::sockaddr_in* out)
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

int AddressedFd(winsock::SOCKET s, const winsock::sockaddr* address, int length, ::sockaddr_in* host)
{
    int fd = Fd(s);
    if (fd < 0 || !ToHostAddress(address, length, host)) {
        return -1;
    }
    return fd;
}

void FromHostAddress(const ::sockaddr_in& in, winsock::sockaddr* address, int* length)
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
        case winsock::WS_SO_REUSEADDR:
            *hostOption = SO_REUSEADDR;
            return true;
        case winsock::WS_SO_KEEPALIVE:
            *hostOption = SO_KEEPALIVE;
            return true;
        case winsock::WS_SO_LINGER:
            *hostOption = SO_LINGER;
            return true;
        case winsock::WS_SO_SNDBUF:
            *hostOption = SO_SNDBUF;
            return true;
        case winsock::WS_SO_RCVBUF:
            *hostOption = SO_RCVBUF;
            return true;
        case winsock::WS_SO_SNDTIMEO:
            *hostOption = SO_SNDTIMEO;
            return true;
        case winsock::WS_SO_RCVTIMEO:
            *hostOption = SO_RCVTIMEO;
            return true;
        case winsock::WS_SO_ERROR:
            *hostOption = SO_ERROR;
            return true;
        default:
            return false;
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

} // namespace winsock::host
