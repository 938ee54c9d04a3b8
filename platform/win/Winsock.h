// The Windows Sockets interface the client's transport is written in, over the host's own sockets.
// Types and calls live in namespace winsock and are made global for callers; the implementation file alone
// sees the host's socket headers (it defines MORWICK_WINSOCK_IMPL and keeps the two sets of names apart).
#pragma once

#include "platform/win/WinTypes.h"

// The C runtime already declares the host's select interface (fd_set, the FD_* macros, struct timeval) in
// every file; it is taken in first so that fd_set and FD_* can be pointed at the Windows shapes below.
// timeval stays the runtime's own struct {tv_sec, tv_usec}, which has the Windows fields.
#include <cstdlib>

struct timeval;

namespace winsock {

typedef UINT_PTR SOCKET;
typedef BYTE u_char;
typedef USHORT u_short;
typedef unsigned long u_long;

inline constexpr SOCKET WS_INVALID_SOCKET = ~SOCKET{0};
inline constexpr int WS_SOCKET_ERROR = -1;
inline constexpr int WS_FD_SETSIZE = 64;

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[257];
    char szSystemStatus[129];
    USHORT iMaxSockets;
    USHORT iMaxUdpDg;
    char* lpVendorInfo;
};
typedef WSADATA* LPWSADATA;

// Addresses and ports are in network byte order, as on the wire.
struct in_addr {
    ULONG s_addr;
};

struct sockaddr {
    USHORT sa_family;
    char sa_data[14];
};

struct sockaddr_in {
    SHORT sin_family;
    USHORT sin_port;
    in_addr sin_addr;
    char sin_zero[8];
};

struct linger {
    USHORT l_onoff;
    USHORT l_linger;
};

struct fd_set {
    UINT fd_count;
    SOCKET fd_array[WS_FD_SETSIZE];
};

struct hostent {
    char* h_name;
    char** h_aliases;
    SHORT h_addrtype;
    SHORT h_length;
    char** h_addr_list;
};

int WSAStartup(WORD versionRequested, LPWSADATA data);
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);

SOCKET(socket)(int family, int type, int protocol);
int(closesocket)(SOCKET s);
int(setsockopt)(SOCKET s, int level, int option, const char* value, int length);
int(getsockopt)(SOCKET s, int level, int option, char* value, int* length);
int(ioctlsocket)(SOCKET s, LONG command, u_long* argument);
// Fails with WSAENETUNREACH while the phone is in flight mode (see platform/device/CallInterface.h).
int(connect)(SOCKET s, const sockaddr* address, int length);
int(bind)(SOCKET s, const sockaddr* address, int length);
int(listen)(SOCKET s, int backlog);
SOCKET(accept)(SOCKET s, sockaddr* address, int* length);
int(getsockname)(SOCKET s, sockaddr* address, int* length);
// Counts each socket reported in each set; a socket whose connect failed is never reported writable, only
// in the exception set (as on the phone).
int(select)(int ignored, fd_set* readSet, fd_set* writeSet, fd_set* exceptSet, const ::timeval* timeout);
int(send)(SOCKET s, const char* data, int length, int flags);
int(recv)(SOCKET s, char* buffer, int length, int flags);
int(shutdown)(SOCKET s, int how);

ULONG(inet_addr)(const char* text);
// The dotted text of an address, in a buffer of the calling thread reused by the next call.
char*(inet_ntoa)(in_addr address);
USHORT(htons)(USHORT value);
USHORT(ntohs)(USHORT value);
ULONG(htonl)(ULONG value);
ULONG(ntohl)(ULONG value);
// IPv4 addresses of a host name; the result lives in storage of the calling thread until its next call.
hostent*(gethostbyname)(const char* name);

inline void FdZero(fd_set* set)
{
    set->fd_count = 0;
}

inline void FdSet(SOCKET s, fd_set* set)
{
    for (UINT i = 0; i < set->fd_count; ++i) {
        if (set->fd_array[i] == s) {
            return;
        }
    }
    if (set->fd_count < static_cast<UINT>(WS_FD_SETSIZE)) {
        set->fd_array[set->fd_count++] = s;
    }
}

inline void FdClr(SOCKET s, fd_set* set)
{
    for (UINT i = 0; i < set->fd_count; ++i) {
        if (set->fd_array[i] == s) {
            set->fd_array[i] = set->fd_array[--set->fd_count];
            return;
        }
    }
}

inline int FdIsSet(SOCKET s, const fd_set* set)
{
    for (UINT i = 0; i < set->fd_count; ++i) {
        if (set->fd_array[i] == s) {
            return 1;
        }
    }
    return 0;
}

// Numbers of the Windows interface (they differ from the host's own).
inline constexpr int WS_AF_INET = 2;
inline constexpr int WS_SOCK_STREAM = 1;
inline constexpr int WS_SOCK_DGRAM = 2;
inline constexpr int WS_IPPROTO_TCP = 6;
inline constexpr int WS_SOL_SOCKET = 0xffff;
inline constexpr int WS_SO_REUSEADDR = 0x0004;
inline constexpr int WS_SO_KEEPALIVE = 0x0008;
inline constexpr int WS_SO_LINGER = 0x0080;
inline constexpr int WS_SO_SNDBUF = 0x1001;
inline constexpr int WS_SO_RCVBUF = 0x1002;
inline constexpr int WS_SO_SNDTIMEO = 0x1005;
inline constexpr int WS_SO_RCVTIMEO = 0x1006;
inline constexpr int WS_SO_ERROR = 0x1007;
inline constexpr int WS_TCP_NODELAY = 0x0001;
inline constexpr LONG WS_FIONBIO = static_cast<LONG>(0x8004667Eu);
inline constexpr LONG WS_FIONREAD = 0x4004667F;
inline constexpr int WS_MSG_OOB = 0x1;
inline constexpr int WS_MSG_PEEK = 0x2;
inline constexpr int WS_SD_RECEIVE = 0;
inline constexpr int WS_SD_SEND = 1;
inline constexpr int WS_SD_BOTH = 2;
inline constexpr ULONG WS_INADDR_ANY = 0;
inline constexpr ULONG WS_INADDR_NONE = 0xffffffffu;

} // namespace winsock

#define WSABASEERR 10000
#define WSAEINTR 10004
#define WSAEBADF 10009
#define WSAEACCES 10013
#define WSAEFAULT 10014
#define WSAEINVAL 10022
#define WSAEMFILE 10024
#define WSAEWOULDBLOCK 10035
#define WSAEINPROGRESS 10036
#define WSAEALREADY 10037
#define WSAENOTSOCK 10038
#define WSAEDESTADDRREQ 10039
#define WSAEMSGSIZE 10040
#define WSAEPROTOTYPE 10041
#define WSAENOPROTOOPT 10042
#define WSAEPROTONOSUPPORT 10043
#define WSAEOPNOTSUPP 10045
#define WSAEAFNOSUPPORT 10047
#define WSAEADDRINUSE 10048
#define WSAEADDRNOTAVAIL 10049
#define WSAENETDOWN 10050
#define WSAENETUNREACH 10051
#define WSAENETRESET 10052
#define WSAECONNABORTED 10053
#define WSAECONNRESET 10054
#define WSAENOBUFS 10055
#define WSAEISCONN 10056
#define WSAENOTCONN 10057
#define WSAESHUTDOWN 10058
#define WSAETIMEDOUT 10060
#define WSAECONNREFUSED 10061
#define WSAEHOSTUNREACH 10065
#define WSASYSNOTREADY 10091
#define WSAVERNOTSUPPORTED 10092
#define WSANOTINITIALISED 10093
#define WSAHOST_NOT_FOUND 11001
#define WSATRY_AGAIN 11002
#define WSANO_RECOVERY 11003
#define WSANO_DATA 11004

#ifndef MORWICK_WINSOCK_IMPL
typedef unsigned char u_char;
typedef unsigned short u_short;
typedef unsigned long u_long;
using winsock::accept;
using winsock::bind;
using winsock::closesocket;
using winsock::connect;
using winsock::gethostbyname;
using winsock::getsockname;
using winsock::getsockopt;
using winsock::hostent;
using winsock::htonl;
using winsock::htons;
using winsock::in_addr;
using winsock::inet_addr;
using winsock::inet_ntoa;
using winsock::ioctlsocket;
using winsock::linger;
using winsock::listen;
using winsock::LPWSADATA;
using winsock::ntohl;
using winsock::ntohs;
using winsock::recv;
using winsock::select;
using winsock::send;
using winsock::setsockopt;
using winsock::shutdown;
using winsock::sockaddr;
using winsock::sockaddr_in;
using winsock::SOCKET;
using winsock::socket;
using winsock::WSACleanup;
using winsock::WSADATA;
using winsock::WSAGetLastError;
using winsock::WSASetLastError;
using winsock::WSAStartup;

// The sets of select are the Windows ones (a count and up to 64 sockets); a caller never touches the host's.
#undef FD_SETSIZE
#undef FD_ZERO
#undef FD_SET
#undef FD_CLR
#undef FD_ISSET
#define fd_set winsock::fd_set
#define FD_SETSIZE winsock::WS_FD_SETSIZE
#define FD_ZERO(set) winsock::FdZero(set)
#define FD_SET(s, set) winsock::FdSet((s), (set))
#define FD_CLR(s, set) winsock::FdClr((s), (set))
#define FD_ISSET(s, set) winsock::FdIsSet((s), (set))

#define INVALID_SOCKET winsock::WS_INVALID_SOCKET
#define SOCKET_ERROR winsock::WS_SOCKET_ERROR
#define h_addr h_addr_list[0]
#define AF_INET winsock::WS_AF_INET
#define PF_INET AF_INET
#define SOCK_STREAM winsock::WS_SOCK_STREAM
#define SOCK_DGRAM winsock::WS_SOCK_DGRAM
#define IPPROTO_TCP winsock::WS_IPPROTO_TCP
#define SOL_SOCKET winsock::WS_SOL_SOCKET
#define SO_REUSEADDR winsock::WS_SO_REUSEADDR
#define SO_KEEPALIVE winsock::WS_SO_KEEPALIVE
#define SO_LINGER winsock::WS_SO_LINGER
#define SO_SNDBUF winsock::WS_SO_SNDBUF
#define SO_RCVBUF winsock::WS_SO_RCVBUF
#define SO_SNDTIMEO winsock::WS_SO_SNDTIMEO
#define SO_RCVTIMEO winsock::WS_SO_RCVTIMEO
#define SO_ERROR winsock::WS_SO_ERROR
#define TCP_NODELAY winsock::WS_TCP_NODELAY
#define FIONBIO winsock::WS_FIONBIO
#define FIONREAD winsock::WS_FIONREAD
#define MSG_OOB winsock::WS_MSG_OOB
#define MSG_PEEK winsock::WS_MSG_PEEK
#define SD_RECEIVE winsock::WS_SD_RECEIVE
#define SD_SEND winsock::WS_SD_SEND
#define SD_BOTH winsock::WS_SD_BOTH
#define INADDR_ANY winsock::WS_INADDR_ANY
#define INADDR_NONE winsock::WS_INADDR_NONE
#endif
