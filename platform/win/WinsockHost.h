// The host side of Windows Sockets: the connect state the host does not keep, and the translation of errors,
// addresses, options and flags. Shared by the Winsock files only, the one place that sees the host's socket headers.
#pragma once

#ifndef MORWICK_WINSOCK_IMPL
#error "WinsockHost.h is for the Winsock files, which define MORWICK_WINSOCK_IMPL before any include"
#endif

#include "platform/win/Winsock.h"

#include <atomic>
#include <mutex>
#include <netinet/in.h>
#include <unordered_map>

namespace winsock::host {

extern std::atomic<int> startupCount;

// What the host does not remember for us: whether a connect is under way or has failed. Linux reports a
// refused connect as writable; the phone never does, so the failure is kept here once seen.
struct SocketState {
    bool connecting = false;
    int connectError = 0; // a WSA code once the connect has failed
};

extern std::mutex stateLock;
std::unordered_map<int, SocketState>& States();

int WsaFromErrno(int error);
// Sets the WSA error and returns WS_SOCKET_ERROR.
int Fail(int wsaError);
int FailFromErrno();
bool Started();
// The host descriptor of a SOCKET, or -1 (error set) when it cannot be one.
int Fd(winsock::SOCKET s);
// The host descriptor for sending or receiving length bytes at buffer, or -1 (error set): not a socket, no
// buffer for the length, or a connect that failed.
int TransferFd(winsock::SOCKET s, const void* buffer, int length);
bool ToHostAddress(const winsock::sockaddr* address, int length, ::sockaddr_in* out);
// The host descriptor of a SOCKET with the address it is to connect or bind to in *host, or -1 (error set).
int AddressedFd(winsock::SOCKET s, const winsock::sockaddr* address, int length, ::sockaddr_in* host);
void FromHostAddress(const ::sockaddr_in& in, winsock::sockaddr* address, int* length);
bool HostOption(int level, int option, int* hostLevel, int* hostOption);
int HostFlags(int flags);
// Settles a connect under way on a socket the host reports writable or in error: connected, or failed with
// the reason kept. Returns the WSA error of a failed connect, 0 otherwise.
int SettleConnect(int fd);
int ConnectErrorOf(int fd);
bool IsConnecting(int fd);

} // namespace winsock::host
