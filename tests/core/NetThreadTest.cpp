// The request worker against a scripted loopback server: hand-over, busy refusal, retries and connection-mode
// fallback, cancel and stop in the middle of a transfer, and delivery to a window on the test's thread.
#include "core/NetThread.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "platform/win/LastError.h"
#include "platform/win/Message.h"
#include "platform/win/Time.h"
#include "platform/win/WindowHandle.h"
#include "tests/core/FullListener.h"
#include "tests/core/TransportTestSupport.h"
#include "tests/support/RefusingPort.h"
#include "tests/support/Wait.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A window on the test's thread that keeps every reply it is sent.
struct ReplyWindow {
    ReplyWindow() { handle = AllocWindowHandle(Proc, this); }
    ~ReplyWindow()
    {
        if (IsWindow(handle))
            FreeWindowHandle(handle);
    }
    static LRESULT Proc(HWND window, UINT message, WPARAM, LPARAM lParam)
    {
        auto* self = static_cast<ReplyWindow*>(GetWindowObject(window));
        if (message == WM_NET_REPLY && self) {
            auto* worker = reinterpret_cast<CNetThread*>(lParam);
            worker->Lock();
            self->replies.emplace_back((const char*)worker->GetReplyData(), (size_t)worker->GetReplyLength());
            worker->Unlock();
            return 1;
        }
        return 0;
    }
    HWND handle = nullptr;
    std::vector<std::string> replies;
};

// Handles this thread's messages (sent ones included) until `done` holds or the time runs out.
bool PumpUntil(const std::function<bool()>& done, int milliseconds = 10000)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < until) {
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
        if (done())
            return true;
        Sleep(1);
    }
    return done();
}

void PumpFor(int milliseconds)
{
    PumpUntil([] { return false; }, milliseconds);
}

std::string ErrorText(const std::string& bytes)
{
    CReplyRecordSet records((const BYTE*)bytes.data(), (DWORD)bytes.size());
    return records.hasError ? records.GetErrorText() : "<no error>";
}

struct NetThreadTest : ::testing::Test {
    NetThreadTest()
    {
        environment.SetConfig("Connect_Type", "2", 0);
        worker = CNetThread::Create();
        client = worker->GetHttpClient();
        client->SetServer("127.0.0.1", server.Port());
        client->SetGateway("127.0.0.1", gateway.port);
        client->SetSilenceBudget(3000);
        client->SetConnectPolls(50);
    }
    ~NetThreadTest() override
    {
        if (worker)
            worker->Stop();
    }
    TestEnvironment environment;
    ScriptedServer server;
    RefusingPort gateway;
    ReplyWindow window;
    CNetThread* worker = nullptr;
    CHttpClient* client = nullptr;
};

} // namespace

TEST_F(NetThreadTest, SendRightAfterCreateIsDeliveredAndCountsBusyAtOnce)
{
    Exchange first{{HttpReply("first reply")}};
    first.held = true; // still busy below, however slowly this thread runs
    server.Add(first);
    ASSERT_EQ(worker->Send("a=1", window.handle, 1, 0), 1);
    // Busy from the hand-over, before the thread has even taken the request.
    EXPECT_EQ(worker->WaitIdle(0), WAIT_TIMEOUT);
    EXPECT_EQ(worker->Send("a=2", window.handle, 1, 0), 0);
    server.Release();
    ASSERT_TRUE(PumpUntil([&] { return window.replies.size() == 1; }, 5000));
    EXPECT_EQ(window.replies[0], "first reply");
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_NE(server.LastRequest().find("&a=1"), std::string::npos);
}

TEST_F(NetThreadTest, BusyWorkerRefusesWithoutDisturbingTheRunningRequest)
{
    Exchange slow{{HttpReply("slow reply")}};
    slow.held = true;
    server.Add(slow);
    ASSERT_EQ(worker->Send("slow=1", window.handle, 1, 0), 1);
    ASSERT_TRUE(server.WaitRequests(1));
    EXPECT_EQ(worker->Send("other=1", window.handle, 1, 0), 0);
    server.Release();
    ASSERT_TRUE(PumpUntil([&] { return window.replies.size() == 1; }, 5000));
    EXPECT_EQ(window.replies[0], "slow reply");
    PumpFor(50);
    EXPECT_EQ(window.replies.size(), 1u);
    EXPECT_EQ(server.Requests().size(), 1u);
    // Waiting for the worker lets the next request through.
    server.Reply(HttpReply("next"));
    EXPECT_EQ(worker->Send("next=1", window.handle, 1, 1000), 1);
    ASSERT_TRUE(PumpUntil([&] { return window.replies.size() == 2; }));
}

TEST_F(NetThreadTest, OverlongRequestTextIsRefused)
{
    std::string text(CHttpClient::MAX_REQUEST_TEXT + 1, 'q');
    SetLastError(0);
    EXPECT_EQ(worker->Send(text.c_str(), window.handle, 1, 0), 0);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    EXPECT_EQ(worker->WaitIdle(0), WAIT_OBJECT_0);
    EXPECT_EQ(worker->Send(nullptr, window.handle, 1, 0), 0);
}

TEST_F(NetThreadTest, ReceiveFailureIsRetriedOnceWithKeepAndNotWithout)
{
    environment.fallback = 0; // an earlier success: the retry stays in this mode
    std::string cut = HttpReply(std::string(50, 'c')).substr(0, 60);
    server.Add(Exchange{{cut}, 0, 0, true});
    server.Reply(HttpReply("second try"));
    ASSERT_EQ(worker->Send("k=1", window.handle, 1, 0), 1);
    ASSERT_TRUE(PumpUntil([&] { return window.replies.size() == 1; }, 5000));
    EXPECT_EQ(window.replies[0], "second try");
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Connections(), 2);

    server.Add(Exchange{{cut}, 0, 0, true});
    server.Reply(HttpReply("never asked for"));
    ASSERT_EQ(worker->Send("k=0", window.handle, 0, 1000), 1);
    ASSERT_TRUE(PumpUntil([&] { return window.replies.size() == 2; }));
    EXPECT_NE(ErrorText(window.replies[1]).find("(3)"), std::string::npos);
    EXPECT_EQ(server.Requests().size(), 3u);
}

TEST_F(NetThreadTest, ModeFallsBackBeforeTheFirstSuccessAndIsSavedAfterIt)
{
    environment.SetConfig("Connect_Type", "0", 0); // raised to 1: through the (dead) gateway first
    server.Reply(HttpReply("direct works"));
    ASSERT_EQ(worker->Send("m=1", window.handle, 1, 0), 1);
    ASSERT_TRUE(PumpUntil([&] { return window.replies.size() == 1; }, 5000));
    EXPECT_EQ(window.replies[0], "direct works");
    EXPECT_EQ(environment.Config("Connect_Type"), "2");
    EXPECT_EQ(environment.saves, 1);
    EXPECT_EQ(environment.fallback, 0);

    // After the first success a failure is retried in the same mode.
    std::string cut = HttpReply(std::string(50, 'c')).substr(0, 60);
    server.Add(Exchange{{cut}, 0, 0, true});
    server.Reply(HttpReply("same mode"));
    ASSERT_EQ(worker->Send("m=2", window.handle, 1, 1000), 1);
    ASSERT_TRUE(PumpUntil([&] { return window.replies.size() == 2; }));
    EXPECT_EQ(window.replies[1], "same mode");
    for (const std::string& request : server.Requests())
        EXPECT_EQ(request.find("X-Online-Host"), std::string::npos);
    EXPECT_EQ(environment.saves, 1);
}

TEST_F(NetThreadTest, WithoutFallbackAConnectFailureIsRetriedInTheSameModeOnly)
{
    environment.fallback = 0;
    environment.SetConfig("Connect_Type", "1", 0);
    ASSERT_EQ(worker->Send("g=1", window.handle, 1, 0), 1);
    ASSERT_TRUE(PumpUntil([&] { return window.replies.size() == 1; }, 5000));
    EXPECT_NE(ErrorText(window.replies[0]).find("(1)"), std::string::npos);
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(environment.Config("Connect_Type"), "1");
}

TEST_F(NetThreadTest, ServerErrorIsDeliveredWithoutRetry)
{
    server.Reply(HttpReply("bad session", "5"));
    server.Reply(HttpReply("should not be asked"));
    ASSERT_EQ(worker->Send("e=4", window.handle, 1, 0), 1);
    ASSERT_TRUE(PumpUntil([&] { return window.replies.size() == 1; }, 5000));
    EXPECT_NE(ErrorText(window.replies[0]).find("bad session"), std::string::npos);
    PumpFor(30);
    EXPECT_EQ(server.Requests().size(), 1u);
}

// An empty body answers nothing: a failed receive, retried once with keep, then delivered as the error record set,
// so the window never waits for a reply that does not come.
TEST_F(NetThreadTest, AnEmptyReplyIsRetriedThenDeliveredAsAFailedReceive)
{
    environment.fallback = 0; // the retry in the same mode
    server.Reply(HttpReply(""));
    server.Reply(HttpReply(""));
    ASSERT_EQ(worker->Send("empty=1", window.handle, 1, 0), 1);
    ASSERT_TRUE(PumpUntil([&] { return window.replies.size() == 1; }));
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(ErrorText(window.replies[0]), GbFromWide(u"错误(3)：接收数据失败，请重试"));
}

TEST_F(NetThreadTest, CancelDuringReceiveDeliversNothingAndTheWorkerGoesOn)
{
    EXPECT_EQ(worker->Cancel(0), 0u); // idle: nothing to cancel
    // Silence would end the transfer only after 30 s: ending within 10 s is the cancel's doing, with room for a
    // busy machine.
    client->SetSilenceBudget(30000);
    server.Add(Exchange{{}, 0, 0, false, true});
    ASSERT_EQ(worker->Send("c=1", window.handle, 1, 0), 1);
    ASSERT_TRUE(server.WaitRequests(1));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(worker->Cancel(10000), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(10000));
    PumpFor(30);
    EXPECT_TRUE(window.replies.empty());
    server.Reply(HttpReply("after cancel"));
    ASSERT_EQ(worker->Send("c=2", window.handle, 1, 0), 1);
    ASSERT_TRUE(PumpUntil([&] { return window.replies.size() == 1; }, 5000));
    EXPECT_EQ(window.replies[0], "after cancel");
}

TEST_F(NetThreadTest, CancelDuringConnectEndsIt)
{
    FullListener listener; // a connect to it stays pending
    ASSERT_GT(listener.Port(), 0);
    client->SetServer("127.0.0.1", listener.Port());
    client->SetConnectPolls(100000); // far longer than the bound below
    ASSERT_EQ(worker->Send("c=1", window.handle, 1, 0), 1);
    ASSERT_TRUE(WaitUntil([&] { return listener.PendingConnects() == 1; }));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(worker->Cancel(10000), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(10000));
    EXPECT_EQ(listener.PendingConnects(), 0); // the connect was given up, its socket closed
    PumpFor(30);
    EXPECT_TRUE(window.replies.empty()); // cancelled: no reply, not even a connect error
}

TEST_F(NetThreadTest, StopDuringATransferEndsTheThreadAndFreesTheWorker)
{
    client->SetSilenceBudget(30000); // only the stop can end it within the bound below
    server.Add(Exchange{{}, 0, 0, false, true});
    ASSERT_EQ(worker->Send("s=1", window.handle, 1, 0), 1);
    ASSERT_TRUE(server.WaitRequests(1));
    auto start = std::chrono::steady_clock::now();
    worker->Stop();
    worker = nullptr;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(10000));
    PumpFor(20);
    EXPECT_TRUE(window.replies.empty());
}

TEST_F(NetThreadTest, StopWhileTheReplyIsBeingDeliveredToThisThreadDoesNotDeadlock)
{
    server.Reply(HttpReply("racing stop"));
    ASSERT_EQ(worker->Send("r=1", window.handle, 1, 0), 1);
    ASSERT_EQ(worker->WaitIdle(2000), WAIT_OBJECT_0);
    // The worker is blocked sending the reply to this thread, which is not pumping.
    ASSERT_TRUE(WaitUntil([] { return GetQueueStatus(QS_SENDMESSAGE) != 0; }));
    worker->Stop();
    worker = nullptr;
    EXPECT_EQ(window.replies.size(), 1u);
}

TEST_F(NetThreadTest, ReplyForADestroyedWindowIsDropped)
{
    Exchange late{{HttpReply("too late")}};
    late.held = true;
    server.Add(late);
    ASSERT_EQ(worker->Send("d=1", window.handle, 1, 0), 1);
    FreeWindowHandle(window.handle);
    server.Release(); // the reply comes only after the window has gone
    ASSERT_EQ(worker->WaitIdle(2000), WAIT_OBJECT_0);
    PumpFor(50);
    EXPECT_TRUE(window.replies.empty());
    // The worker stays usable for a live window.
    ReplyWindow other;
    server.Reply(HttpReply("for the other"));
    ASSERT_EQ(worker->Send("d=2", other.handle, 1, 0), 1);
    ASSERT_TRUE(PumpUntil([&] { return other.replies.size() == 1; }));
}

TEST_F(NetThreadTest, WorkerWhoseThreadHasEndedRefusesRequestsAndStillStops)
{
    // Something else ends the thread (its queue may still be in the making).
    while (!PostThreadMessage(worker->GetThreadId(), WM_QUIT, 0, 0))
        Sleep(1);
    // Its queue goes as it ends.
    ASSERT_TRUE(WaitUntil([&] { return !PostThreadMessage(worker->GetThreadId(), WM_NULL, 0, 0); }));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(worker->Send("late=1", window.handle, 1, 0), 0);
    EXPECT_EQ(worker->WaitIdle(0), WAIT_OBJECT_0);
    worker->Stop();
    worker = nullptr;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(10000)); // no hang
}

TEST_F(NetThreadTest, StopFromInsideTheReplyHandlerDoesNotDeadlock)
{
    // A window that goes away while it handles its reply stops its private worker from inside the sent message.
    struct StoppingWindow {
        static LRESULT Proc(HWND window, UINT message, WPARAM, LPARAM lParam)
        {
            auto* self = static_cast<StoppingWindow*>(GetWindowObject(window));
            if (message != WM_NET_REPLY || !self)
                return 0;
            auto* worker = reinterpret_cast<CNetThread*>(lParam);
            worker->Lock();
            self->length = worker->GetReplyLength();
            worker->Unlock();
            worker->Stop();
            self->stopped = true;
            return 1;
        }
        bool stopped = false;
        int length = 0;
    } state;
    HWND handle = AllocWindowHandle(StoppingWindow::Proc, &state);
    server.Reply(HttpReply("last words"));
    ASSERT_EQ(worker->Send("q=1", handle, 1, 0), 1);
    worker = nullptr;
    EXPECT_TRUE(PumpUntil([&] { return state.stopped; }, 5000));
    EXPECT_EQ(state.length, 10);
    FreeWindowHandle(handle);
    PumpFor(50);
}

namespace {

// A client whose exchange stops its own worker, as an update worker's client may when it gives up for good.
struct SelfStoppingClient : CHttpClient {
    ~SelfStoppingClient() override { *gone = true; }
    int Request(const char*, BYTE** outData, int* outLength) override
    {
        worker->Stop();
        reply.SetSize(0);
        reply.Append((const BYTE*)"bye", 3);
        *outData = reply.data;
        *outLength = 3;
        return 1;
    }
    CNetThread* worker = nullptr;
    std::atomic<bool>* gone = nullptr;
};

// Built the way the update worker is: the base's client replaced before the thread starts.
struct SelfStoppingWorker : CNetThread {
    explicit SelfStoppingWorker(std::atomic<bool>* gone)
    {
        delete client;
        auto* own = new SelfStoppingClient();
        own->worker = this;
        own->gone = gone;
        client = own;
        StartThread();
    }
};

} // namespace

TEST_F(NetThreadTest, StopOnTheWorkersOwnThreadDeliversTheReplyThenFreesTheWorker)
{
    std::atomic<bool> gone{false};
    CNetThread* own = new SelfStoppingWorker(&gone);
    ASSERT_EQ(own->Send("x=1", window.handle, 1, 0), 1);
    EXPECT_TRUE(PumpUntil([&] { return window.replies.size() == 1 && gone; }, 5000));
    ASSERT_EQ(window.replies.size(), 1u);
    EXPECT_EQ(window.replies[0], "bye");
}

TEST_F(NetThreadTest, ARequestCountsAsUnderWayUntilItsReplyHasBeenHandled)
{
    EXPECT_FALSE(CNetThread::AnyRequestUnderWay());
    server.Add(Exchange{{HttpReply("reply")}, 0});
    ASSERT_EQ(worker->Send("a=1", window.handle, 1, 0), 1);
    EXPECT_TRUE(CNetThread::AnyRequestUnderWay());
    // The worker is idle again once its exchange is over, but the reply still waits for this thread to take it:
    // the request is still under way for anyone asking whether the client has settled.
    ASSERT_EQ(worker->WaitIdle(5000), (DWORD)WAIT_OBJECT_0);
    EXPECT_TRUE(window.replies.empty());
    EXPECT_TRUE(CNetThread::AnyRequestUnderWay());
    ASSERT_TRUE(PumpUntil([&] { return window.replies.size() == 1; }, 5000));
    EXPECT_TRUE(PumpUntil([] { return !CNetThread::AnyRequestUnderWay(); }, 5000));
}

namespace {

// A client stuck where no message pump runs (a host name lookup) until the test lets it go.
struct StuckClient : CHttpClient {
    ~StuckClient() override { *gone = true; }
    int Request(const char*, BYTE** outData, int* outLength) override
    {
        SetEvent(entered);
        WaitForSingleObject(release, INFINITE);
        *outData = nullptr;
        *outLength = 0;
        return 1;
    }
    HANDLE entered = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool>* gone = nullptr;
};

struct StuckWorker : CNetThread {
    explicit StuckWorker(std::atomic<bool>* gone)
    {
        delete client;
        stuck = new StuckClient();
        stuck->gone = gone;
        client = stuck;
        StartThread();
    }
    StuckClient* stuck;
};

} // namespace

TEST_F(NetThreadTest, StopGivesUpOnAThreadThatCannotEndAndTheThreadFreesTheWorkerLater)
{
    std::atomic<bool> gone{false};
    auto* own = new StuckWorker(&gone);
    HANDLE entered = own->stuck->entered, release = own->stuck->release;
    ASSERT_EQ(own->Send("h=1", window.handle, 1, 0), 1);
    ASSERT_EQ(WaitForSingleObject(entered, 10000), WAIT_OBJECT_0);
    own->Stop(); // returns although the thread is stuck (before, exit hung here)
    EXPECT_FALSE(gone);
    SetEvent(release);
    EXPECT_TRUE(PumpUntil([&] { return gone.load(); }, 10000));
    EXPECT_TRUE(window.replies.empty());
    CloseHandle(entered);
    CloseHandle(release);
}

TEST_F(NetThreadTest, ARequestSentFromInsideAReplyHandlerKeepsTheWorkUnderWay)
{
    struct ChainingWindow {
        static LRESULT Proc(HWND window, UINT message, WPARAM, LPARAM lParam)
        {
            auto* self = static_cast<ChainingWindow*>(GetWindowObject(window));
            if (message != WM_NET_REPLY || !self)
                return 0;
            if (++self->replies == 1)
                self->sent = reinterpret_cast<CNetThread*>(lParam)->Send("b=2", window, 1, 0);
            return 1;
        }
        int replies = 0;
        int sent = 0;
    } state;
    HWND handle = AllocWindowHandle(ChainingWindow::Proc, &state);
    server.Reply(HttpReply("first"));
    Exchange second{{HttpReply("second")}};
    second.held = true;
    server.Add(second);
    ASSERT_EQ(worker->Send("a=1", handle, 1, 0), 1);
    ASSERT_TRUE(PumpUntil([&] { return state.replies == 1; }));
    EXPECT_EQ(state.sent, 1);
    // The worker has moved on to the second request: the first one's end must not clear the flag.
    ASSERT_TRUE(server.WaitRequests(2));
    EXPECT_TRUE(CNetThread::AnyRequestUnderWay());
    server.Release();
    ASSERT_TRUE(PumpUntil([&] { return state.replies == 2; }));
    EXPECT_TRUE(PumpUntil([] { return !CNetThread::AnyRequestUnderWay(); }, 5000));
    FreeWindowHandle(handle);
}
