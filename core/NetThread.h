// The request worker: one thread with its own message queue and one HTTP client. It takes one request at a
// time (a request that finds it busy is refused), retries a transport failure once, and hands the reply to the
// asking window with a sent WM_NET_REPLY whose lParam is the worker.
#pragma once

#include "core/ClientSocket.h"
#include "core/HttpClient.h"
#include "platform/win/Sync.h"
#include "platform/win/WinTypes.h"

#include <atomic>

class CNetThread {
public:
    enum { REQUEST_SIZE = 2048 };
    // For this long after handing a request over, the asking thread looks for the reply before it sleeps: a
    // near server answers a small request sooner than a sleeping thread wakes.
    enum { REPLY_SPIN_US = 100 };

    // A new worker with a running thread, or null.
    static CNetThread* Create();

    // 1 when the request was handed over; 0 when the worker stays busy for `wait` ms, the text is null or
    // longer than the request limit (last error ERROR_INVALID_PARAMETER), or posting failed.
    int Send(const char* request, HWND window, int keep, DWORD wait);
    // 0 when idle now or within `wait` ms (a transfer under way is told to cancel, unless it was sent with keep
    // off: such a request must not be left half done), else WAIT_TIMEOUT.
    DWORD Cancel(DWORD wait);
    DWORD WaitIdle(DWORD milliseconds);
    // Ends the worker for good: the thread is told to quit, leaves any transfer at its next message pump, and
    // is waited for up to STOP_WAIT_MS; then the worker is deleted. On the worker's own thread, from inside the
    // handler of a reply the worker is still delivering (it cannot end before the handler returns), or when the
    // thread does not end in time (a host name lookup), the thread deletes the worker as it ends instead.
    void Stop();
    enum { STOP_WAIT_MS = 1000 };

    // True while any worker holds a request, from its acceptance until the asking window has handled the
    // reply; the automation's "idle" waits for this.
    static bool AnyRequestUnderWay();
    // The same for this worker: false once the reply was handled or the request cancelled (then none comes).
    bool HoldsRequest() const { return requestUnderWay.load(); }

    CHttpClient* GetHttpClient() const { return client; }
    DWORD GetThreadId() const { return threadId; }

    // Inside WM_NET_REPLY the window reads the reply under the worker's lock.
    void Lock() { EnterCriticalSection(&lock); }
    void Unlock() { LeaveCriticalSection(&lock); }
    const BYTE* GetReplyData() const { return replyData; }
    int GetReplyLength() const { return replyLength; }

protected:
    enum { DELIVERED = 1, CANCELLED = 0 };

    CNetThread();
    virtual ~CNetThread();
    CNetThread(const CNetThread&) = delete;
    CNetThread& operator=(const CNetThread&) = delete;

    BOOL StartThread();
    BOOL PostToThread(UINT message, WPARAM wParam, LPARAM lParam);
    // Posts, retrying while the thread has not yet made its queue; FALSE when it fails otherwise or the thread
    // has ended.
    BOOL PostUntilQueued(UINT message, WPARAM wParam, LPARAM lParam);
    static DWORD ThreadProc(LPVOID parameter);
    void Run();
    int Perform(const char* text);
    void MarkUnderWay(bool underWay);

    CRITICAL_SECTION lock;
    HANDLE idleEvent = nullptr;
    HANDLE threadHandle = nullptr;
    DWORD threadId = 0;
    char request[REQUEST_SIZE] = {};
    BYTE* replyData = nullptr;
    int replyLength = 0;
    int keepFlag = 1;
    CHttpClient* client = nullptr;

    // Who deletes the worker: Stop after joining the thread, or the thread itself as it ends once Stop has
    // handed the worker over (ORPHANED). The thread marks ENDED when it leaves its loop.
    enum { RUNNING = 0, ORPHANED = 1, ENDED = 2 };
    std::atomic<int> exitState{RUNNING};
    // The thread the reply is being sent to, while the worker waits in that sent message; else 0.
    std::atomic<DWORD> deliveringTo{0};
    std::atomic<bool> requestUnderWay{false};
};
