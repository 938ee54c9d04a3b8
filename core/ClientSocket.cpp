// Non-blocking TCP for the HTTP client; every wait pumps the thread's messages so cancel and quit get through.
#include "core/ClientSocket.h"

#include "platform/win/Debug.h"
#include "platform/win/Message.h"
#include "platform/win/Thread.h"
#include "platform/win/Time.h"

#include <cstdio>

namespace {

// select is named with its namespace: the host library declares one of its own.
// Waits up to `milliseconds` for the socket to become readable (read) or writable (write).
// Returns 1 ready, 0 not yet, -1 select failed or the connect failed.
int WaitFor(SOCKET s, bool write, int milliseconds)
{
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    timeval wait = {milliseconds / 1000, (milliseconds % 1000) * 1000};
    int n = winsock::select(0, write ? nullptr : &ready, write ? &ready : nullptr, &failed, &wait);
    if (n == SOCKET_ERROR)
        return -1;
    if (FD_ISSET(s, &ready))
        return 1;
    // A refused connect shows only in the exception set.
    if (write && FD_ISSET(s, &failed))
        return -1;
    return 0;
}

} // namespace

CClientSocket::CClientSocket()
{
    WSADATA data;
    started = WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

CClientSocket::~CClientSocket()
{
    Close();
    if (started)
        WSACleanup();
}

int CClientSocket::PumpMessages()
{
    int result = 0;
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            Close();
            if (IsPlatformThread())
                ExitThread((DWORD)-1);
            // A thread that cannot be ended here (the process's first thread) sees the quit in its own loop.
            PostQuitMessage((int)msg.wParam);
            return -1;
        }
        if (msg.message == WM_NET_CANCEL)
            result = -1;
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    return result;
}

int CClientSocket::CreateSocket()
{
    handle = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (handle == INVALID_SOCKET)
        return -1;
    linger off = {1, 0};
    u_long nonBlocking = 1;
    if (setsockopt(handle, SOL_SOCKET, SO_LINGER, (const char*)&off, sizeof off) == SOCKET_ERROR ||
        ioctlsocket(handle, FIONBIO, &nonBlocking) == SOCKET_ERROR) {
        closesocket(handle);
        handle = INVALID_SOCKET;
        return -1;
    }
    return 0;
}

int CClientSocket::Connect(const char* host, int port)
{
    Close();
    if (!host || CreateSocket() != 0)
        return 0;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons((USHORT)port);
    if (host[0] >= '0' && host[0] <= '9') {
        address.sin_addr.s_addr = inet_addr(host);
    } else {
        hostent* entry = gethostbyname(host);
        if (entry && entry->h_addr_list && entry->h_addr_list[0])
            address.sin_addr.s_addr = *(const ULONG*)entry->h_addr_list[0];
        else
            address.sin_addr.s_addr = inet_addr(host);
    }
    // Neither a dotted address nor a resolvable name.
    if (address.sin_addr.s_addr == INADDR_NONE) {
        Close();
        return 0;
    }
    if (connect(handle, (const sockaddr*)&address, sizeof address) == 0)
        return 1;
    if (WSAGetLastError() != WSAEWOULDBLOCK) {
        Close();
        return 0;
    }
    for (int unready = 0;;) {
        if (PumpMessages() == -1)
            return -1;
        if (handle == INVALID_SOCKET)
            return 0;
        int state = WaitFor(handle, true, POLL_INTERVAL_MS);
        if (state == 1)
            return 1;
        if (state == -1) {
            Close();
            return 0;
        }
        // Left open until the next connect or close, so a late completion does no harm.
        if (++unready >= connectPolls)
            return 0;
    }
}

int CClientSocket::Send(const BYTE* data, int length)
{
    int sent = 0;
    DWORD quietSince = GetTickCount();
    for (;;) {
        if (PumpMessages() == -1)
            return -1;
        if (handle == INVALID_SOCKET)
            return 0;
        if (sent >= length)
            return 1;
        int n = send(handle, (const char*)data + sent, length - sent, 0);
        if (n > 0) {
            sent += n;
            quietSince = GetTickCount();
            continue;
        }
        if (n == 0)
            return 0;
        if (WSAGetLastError() != WSAEWOULDBLOCK)
            return 0;
        // The peer takes nothing: wait for room rather than spin, within the same silence budget as receiving.
        if (silenceBudget > 0 && (int)(GetTickCount() - quietSince) > silenceBudget)
            return 0;
        if (WaitFor(handle, true, POLL_INTERVAL_MS) == -1)
            return 0;
    }
}

int CClientSocket::Recv(BYTE* buffer, int size, int* received)
{
    if (received)
        *received = 0;
    if (PumpMessages() == -1)
        return -1;
    if (handle == INVALID_SOCKET)
        return 0;
    int n = recv(handle, (char*)buffer, size, 0);
    char line[64];
    if (n > 0) {
        if (received)
            *received = n;
        return 1;
    }
    if (n == 0) {
        snprintf(line, sizeof line, "RECV ERROR2 CODE %d\n", 0);
        OutputDebugStringA(line);
        return 0;
    }
    int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK)
        return 1;
    snprintf(line, sizeof line, "RECV ERROR1 CODE %d\n", error);
    OutputDebugStringA(line);
    return 0;
}

void CClientSocket::WaitReadable(int milliseconds)
{
    if (handle != INVALID_SOCKET)
        WaitFor(handle, false, milliseconds);
}

void CClientSocket::Close()
{
    if (handle == INVALID_SOCKET)
        return;
    linger off = {1, 0};
    setsockopt(handle, SOL_SOCKET, SO_LINGER, (const char*)&off, sizeof off);
    shutdown(handle, SD_BOTH);
    closesocket(handle);
    handle = INVALID_SOCKET;
}
