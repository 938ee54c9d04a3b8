// The HTTP client's TCP connection: non-blocking, and every wait first drains the calling thread's message
// queue so that a cancel (0xFFF20001) or WM_QUIT reaches a transfer in progress. Results: 1, 0, -1 cancelled.
#pragma once

#include "platform/win/WinTypes.h"
#include "platform/win/Winsock.h"

// The request worker's private messages: perform a request (thread message), cancel it (thread message), and
// the reply is ready (sent to the asking window, lParam = the worker).
constexpr UINT WM_NET_REQUEST = 0xFFF20000u;
constexpr UINT WM_NET_CANCEL = 0xFFF20001u;
constexpr UINT WM_NET_REPLY = 0xFFF20002u;

class CClientSocket {
public:
    enum { DEFAULT_CONNECT_POLLS = 1001, POLL_INTERVAL_MS = 10 };
    static constexpr int DEFAULT_SILENCE_BUDGET_MS = 80000;

    CClientSocket();
    virtual ~CClientSocket();
    CClientSocket(const CClientSocket&) = delete;
    CClientSocket& operator=(const CClientSocket&) = delete;

    int Connect(const char* host, int port);
    // Waits for writability while the peer does not take bytes; gives up (0) after the silence budget.
    int Send(const BYTE* data, int length);
    // Receives once: 1 with received = 0 when nothing is waiting; 0 on an error or when the peer closed.
    int Recv(BYTE* buffer, int size, int* received);
    // Waits up to the given time for bytes to read (or for the peer to close); pumps no messages.
    void WaitReadable(int milliseconds);
    void Close();
    bool IsOpen() const { return handle != INVALID_SOCKET; }

    // Unready polls of 10 ms after which a connect gives up (about ten seconds by default).
    void SetConnectPolls(int polls) { connectPolls = polls; }
    void SetSilenceBudget(int milliseconds) { silenceBudget = milliseconds; }

private:
    int CreateSocket();
    int PumpMessages();

    SOCKET handle = INVALID_SOCKET;
    int connectPolls = DEFAULT_CONNECT_POLLS;
    int silenceBudget = DEFAULT_SILENCE_BUDGET_MS;
    bool started = false;
};
