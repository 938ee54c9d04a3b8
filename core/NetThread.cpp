// The request worker's thread, its hand-over of requests and replies, retries and stop.
#include "core/NetThread.h"

#include "core/NetEnvironment.h"
#include "platform/win/Desktop.h"
#include "platform/win/LastError.h"
#include "platform/win/Message.h"
#include "platform/win/SecureMemory.h"
#include "platform/win/Thread.h"
#include "platform/win/Time.h"
#include "platform/win/WindowHandle.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int ConfigInt(const char* key)
{
    const char* text = GetNetEnvironment()->GetConfig(key);
    return text ? atoi(text) : 0;
}

// Workers holding a request, for the automation's idle check.
std::atomic<int> requestsUnderWay{0};

bool ProbeRequestsUnderWay()
{
    return requestsUnderWay.load() > 0;
}

} // namespace

bool CNetThread::AnyRequestUnderWay()
{
    return ProbeRequestsUnderWay();
}

void CNetThread::MarkUnderWay(bool underWay)
{
    if (requestUnderWay.exchange(underWay) != underWay)
        requestsUnderWay += underWay ? 1 : -1;
}

CNetThread::CNetThread()
{
    InitializeCriticalSection(&lock);
    idleEvent = CreateEvent(nullptr, TRUE, TRUE, nullptr);
    client = new CHttpClient();
    morwick::display::SetBusyProbe(ProbeRequestsUnderWay);
}

CNetThread::~CNetThread()
{
    MarkUnderWay(false);
    DeleteCriticalSection(&lock);
    if (idleEvent)
        CloseHandle(idleEvent);
    delete client;
}

CNetThread* CNetThread::Create()
{
    CNetThread* worker = new CNetThread();
    if (!worker->StartThread()) {
        delete worker;
        return nullptr;
    }
    return worker;
}

BOOL CNetThread::StartThread()
{
    threadHandle = CreateThread(nullptr, 0, ThreadProc, this, 0, &threadId);
    return threadHandle != nullptr;
}

BOOL CNetThread::PostToThread(UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostThreadMessage(threadId, message, wParam, lParam);
}

BOOL CNetThread::PostUntilQueued(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A new thread may not have made its queue yet; one that has ended never will.
    while (!PostToThread(message, wParam, lParam)) {
        if (GetLastError() != ERROR_INVALID_THREAD_ID || !threadHandle ||
            WaitForSingleObject(threadHandle, 0) == WAIT_OBJECT_0)
            return FALSE;
        Sleep(10);
    }
    return TRUE;
}

int CNetThread::Send(const char* text, HWND window, int keep, DWORD wait)
{
    if (!text || strlen(text) > CHttpClient::MAX_REQUEST_TEXT) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // A thread that has ended would leave the request in a queue nobody reads and the worker busy for good.
    if (!threadHandle || WaitForSingleObject(threadHandle, 0) == WAIT_OBJECT_0)
        return 0;
    if (WaitForSingleObject(idleEvent, wait) != WAIT_OBJECT_0)
        return 0;
    Lock();
    // Busy from the moment a request is accepted, so a second one cannot replace it in the buffer before the
    // thread has taken it.
    if (WaitForSingleObject(idleEvent, 0) != WAIT_OBJECT_0) {
        Unlock();
        return 0;
    }
    ResetEvent(idleEvent);
    MarkUnderWay(true);
    strncpy(request, text, REQUEST_SIZE - 1);
    request[REQUEST_SIZE - 1] = 0;
    keepFlag = keep;
    Unlock();
    if (!PostUntilQueued(WM_NET_REQUEST, 0, (LPARAM)window)) {
        MarkUnderWay(false);
        SetEvent(idleEvent);
        return 0;
    }
    if (window != nullptr) // a request without a window has no reply to watch for
        ExpectMessageWithin(REPLY_SPIN_US);
    return 1;
}

DWORD CNetThread::Cancel(DWORD wait)
{
    if (!threadHandle)
        return WAIT_TIMEOUT;
    if (WaitForSingleObject(idleEvent, 0) == WAIT_OBJECT_0)
        return 0;
    // A request that must never go twice is not abandoned half-way: only its answer tells whether it was done.
    Lock();
    bool oneShot = keepFlag == 0;
    Unlock();
    if (!oneShot)
        PostToThread(WM_NET_CANCEL, 0, 0);
    return WaitForSingleObject(idleEvent, wait) == WAIT_OBJECT_0 ? 0 : WAIT_TIMEOUT;
}

DWORD CNetThread::WaitIdle(DWORD milliseconds)
{
    return WaitForSingleObject(idleEvent, milliseconds);
}

void CNetThread::Stop()
{
    if (threadHandle && GetCurrentThreadId() == threadId) {
        // Called from the worker's own thread: it cannot wait for itself, so it deletes itself on the way out.
        exitState = ORPHANED;
        PostQuitMessage(0);
        return;
    }
    if (threadHandle)
        PostUntilQueued(WM_QUIT, 0, 0);
    HANDLE thread = threadHandle;
    threadHandle = nullptr;
    if (thread) {
        // The thread leaves a transfer at its next message pump, but not a host name lookup: wait at most
        // STOP_WAIT_MS. Meanwhile this thread keeps handling sent messages, so a reply the worker is delivering
        // here cannot deadlock.
        DWORD start = GetTickCount();
        int nestedRounds = 0;
        while (WaitForSingleObject(thread, 10) == WAIT_TIMEOUT) {
            MSG msg;
            PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
            // Still sending to this thread although every sent message waiting here was handled: this Stop
            // runs inside that reply's handler, and the thread cannot end before the handler returns.
            nestedRounds = deliveringTo == GetCurrentThreadId() ? nestedRounds + 1 : 0;
            if (nestedRounds < 5 && GetTickCount() - start < STOP_WAIT_MS)
                continue;
            threadHandle = thread;
            if (exitState.exchange(ORPHANED) != ENDED)
                return; // the thread deletes the worker and closes its handle as it ends
            // It left its loop meanwhile: it ends at once, without the worker.
            threadHandle = nullptr;
            WaitForSingleObject(thread, INFINITE);
            break;
        }
        CloseHandle(thread);
    }
    delete this;
}

DWORD CNetThread::ThreadProc(LPVOID parameter)
{
    // Runs however the thread ends, also when it is ended from inside a transfer's message pump.
    struct Ending {
        CNetThread* worker;
        ~Ending()
        {
            if (worker->exitState.exchange(ENDED) != ORPHANED)
                return;
            if (worker->threadHandle)
                CloseHandle(worker->threadHandle);
            worker->threadHandle = nullptr;
            delete worker;
        }
    } ending{static_cast<CNetThread*>(parameter)};
    ending.worker->Run();
    return 0;
}

// A window usually sends its next request right after it has handled a reply. For a moment after a request the
// worker looks for it before it sleeps: that spares the thread a wake-up, which cost more than the rest of a
// small exchange. Bounded, so an idle worker sleeps as before.
constexpr DWORD NEXT_REQUEST_SPIN_US = 100;

void CNetThread::Run()
{
    MSG msg;
    PeekMessage(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_NET_CANCEL)
            continue;
        if (msg.message != WM_NET_REQUEST) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
            continue;
        }
        HWND window = (HWND)msg.lParam;
        ResetEvent(idleEvent);
        char text[REQUEST_SIZE];
        Lock();
        replyData = nullptr;
        replyLength = 0;
        memcpy(text, request, REQUEST_SIZE);
        // The text may carry a password: no copy outlives the exchange.
        SecureZeroMemory(request, sizeof request);
        Unlock();
        int outcome = Perform(text);
        SecureZeroMemory(text, sizeof text);
        SetEvent(idleEvent);
        // The reply stays in the client's buffer until the window has returned from the sent message.
        if (outcome != CANCELLED && IsWindow(window) && replyData && replyLength >= 1) {
            deliveringTo = GetWindowThreadProcessId(window, nullptr);
            SendMessage(window, WM_NET_REPLY, 0, (LPARAM)this);
            deliveringTo = 0;
        }
        // A request the window handed over from inside its reply handler is already under way.
        Lock();
        if (WaitForSingleObject(idleEvent, 0) == WAIT_OBJECT_0)
            MarkUnderWay(false);
        Unlock();
        ExpectMessageWithin(NEXT_REQUEST_SPIN_US);
    }
}

int CNetThread::Perform(const char* text)
{
    int mode = ConfigInt("Connect_Type");
    if (mode < 1)
        mode = 1;
    Lock();
    int keep = keepFlag ? 1 : 0;
    Unlock();
    if (!keep)
        client->Close();
    for (;;) {
        client->SetProxyMode(mode < 2 ? 1 : 0);
        // Nothing points into the client's reply buffer while the request refills it.
        Lock();
        replyData = nullptr;
        replyLength = 0;
        Unlock();
        BYTE* data = nullptr;
        int length = 0;
        int rc = client->Request(text, &data, &length);
        if (rc == -1)
            return CANCELLED;
        Lock();
        replyData = data;
        replyLength = length;
        Unlock();
        // Looked up after each exchange, not kept across one: the application may have gone meanwhile.
        CNetEnvironment* environment = GetNetEnvironment();
        if (rc == 1) {
            if (environment->GetConnectFallback())
                environment->SetConnectFallback(0);
            if (mode != ConfigInt("Connect_Type")) {
                char value[16];
                snprintf(value, sizeof value, "%d", mode);
                environment->SetConfig("Connect_Type", value, 1);
            }
            return DELIVERED;
        }
        int code = client->GetErrorCode();
        if (code < CHttpClient::ERROR_CONNECT || code > CHttpClient::ERROR_RECEIVE || !keep)
            return DELIVERED;
        // One more try on a fresh connection; before the first success of the run, in the other mode.
        keep = 0;
        if (environment->GetConnectFallback())
            mode = mode == 1 ? 2 : 1;
    }
}
