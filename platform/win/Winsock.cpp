// Windows Sockets over the host's sockets: numbers, structures and error codes are translated at this boundary.
// The host's calls are named with :: inside namespace winsock; select is in WinsockSelect.cpp.
#define MORWICK_WINSOCK_IMPL 1
#include "platform/win/Winsock.h"

#include "platform/win/FlightMode.h"
#include "platform/win/LastError.h"
#include "platform/win/WinsockHost.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace winsock::host;

namespace {

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
    ::sockaddr_in host;
    int fd = AddressedFd(s, address, length, &host);
    if (fd < 0) {
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
    ::sockaddr_in host;
    int fd = AddressedFd(s, address, length, &host);
    if (fd < 0) {
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
int(send)(SOCKET s, const char* data, int length, int flags)
{
    int fd = TransferFd(s, data, length);
    if (fd < 0) {
        return WS_SOCKET_ERROR;
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
    int fd = TransferFd(s, buffer, length);
    if (fd < 0) {
        return WS_SOCKET_ERROR;
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
