// Events, waits with time-outs, recursive critical sections and thread handles.
#include "platform/win/LastError.h"
#include "platform/win/Sync.h"
#include "platform/win/Thread.h"
#include "tests/support/Wait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

long ElapsedMs(std::chrono::steady_clock::time_point since)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since).count());
}

DWORD ReturnParameter(LPVOID parameter)
{
    return static_cast<DWORD>(reinterpret_cast<uintptr_t>(parameter));
}

struct SetLater {
    HANDLE event;
    int delayMs;
};

DWORD SetEventLater(LPVOID p)
{
    auto* s = static_cast<SetLater*>(p);
    std::this_thread::sleep_for(std::chrono::milliseconds(s->delayMs));
    SetEvent(s->event);
    return 0;
}

} // namespace

TEST(Event, ManualResetStaysSignalledUntilReset)
{
    HANDLE event = CreateEvent(nullptr, TRUE, TRUE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ResetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WAIT_TIMEOUT, 258u);
    EXPECT_TRUE(SetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(event));
}

TEST(Event, AutoResetReleasesOneWaitAndResetsItself)
{
    HANDLE event = CreateEvent(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);

    // Two waiters, one set: exactly one gets through, and the event is reset behind it. The second set then finds
    // the other waiter and is used up by it: had the first set let both through, the second would stay set.
    struct Waiter {
        HANDLE event;
        std::atomic<int> waiting{0}, through{0};
    } w{event};
    auto waiter = [](LPVOID p) -> DWORD {
        auto* w = static_cast<Waiter*>(p);
        ++w->waiting;
        if (WaitForSingleObject(w->event, 60000) == WAIT_OBJECT_0)
            ++w->through;
        return 0;
    };
    HANDLE a = CreateThread(nullptr, 0, waiter, &w, 0, nullptr);
    HANDLE b = CreateThread(nullptr, 0, waiter, &w, 0, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return w.waiting == 2; })); // (no early return: the threads use w)
    SetEvent(event);
    EXPECT_TRUE(WaitUntil([&] { return w.through > 0; }));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    SetEvent(event);
    HANDLE both[2] = {a, b};
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 60000), WAIT_OBJECT_0);
    EXPECT_EQ(w.through.load(), 2);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(a);
    CloseHandle(b);
    CloseHandle(event);
}

TEST(Event, TimedWaitTimesOutAfterAboutItsTimeAndWakesEarlyWhenSet)
{
    HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(event, 40), WAIT_TIMEOUT);
    long waited = ElapsedMs(start);
    EXPECT_GE(waited, 40);
    EXPECT_LT(waited, 5000); // about its timeout, with room for a busy machine

    SetLater later{event, 20};
    HANDLE setter = CreateThread(nullptr, 0, SetEventLater, &later, 0, nullptr);
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(event, 30000), WAIT_OBJECT_0);
    EXPECT_LT(ElapsedMs(start), 10000); // woken by the set, long before the timeout
    WaitForSingleObject(setter, INFINITE);
    CloseHandle(setter);
    CloseHandle(event);
}

TEST(Handle, ClosedOrUnknownHandlesFailCleanly)
{
    HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    EXPECT_TRUE(CloseHandle(event));
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(event));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
    EXPECT_FALSE(SetEvent(event));
    // A new object never gets the old value.
    HANDLE again = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    EXPECT_NE(again, event);
    CloseHandle(again);
}

TEST(CriticalSection, OwnerMayEnterAgainOthersWaitForTheLastLeave)
{
    CRITICAL_SECTION lock;
    InitializeCriticalSection(&lock);
    EnterCriticalSection(&lock);
    EnterCriticalSection(&lock); // a reply handler handing over the next request under the same lock
    EXPECT_EQ(lock.ownerThread, GetCurrentThreadId());

    auto tryFromOther = [](LPVOID p) -> DWORD {
        auto* l = static_cast<CRITICAL_SECTION*>(p);
        if (!TryEnterCriticalSection(l)) {
            return 0;
        }
        LeaveCriticalSection(l);
        return 1;
    };
    auto tryOnce = [&]() {
        HANDLE t = CreateThread(nullptr, 0, tryFromOther, &lock, 0, nullptr);
        WaitForSingleObject(t, INFINITE);
        DWORD code = 99;
        GetExitCodeThread(t, &code);
        CloseHandle(t);
        return code;
    };
    EXPECT_EQ(tryOnce(), 0u);
    LeaveCriticalSection(&lock);
    EXPECT_EQ(tryOnce(), 0u); // still held once
    LeaveCriticalSection(&lock);
    EXPECT_EQ(tryOnce(), 1u);
    DeleteCriticalSection(&lock);
}

TEST(Thread, HandleSignalsAtTheEndAndKeepsTheExitCode)
{
    DWORD id = 0;
    HANDLE thread =
        CreateThread(nullptr, 64 * 1024, ReturnParameter, reinterpret_cast<LPVOID>(uintptr_t{1234}), 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, GetCurrentThreadId());
    EXPECT_EQ(GetThreadId(thread), id);
    ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 1234u);
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_FALSE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
}

TEST(Thread, WaitAnyReportsTheFirstSignalledIndex)
{
    HANDLE events[3] = {CreateEvent(nullptr, TRUE, FALSE, nullptr), CreateEvent(nullptr, TRUE, FALSE, nullptr),
                        CreateEvent(nullptr, TRUE, FALSE, nullptr)};
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_TIMEOUT);
    SetEvent(events[2]);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 2);
    EXPECT_EQ(WaitForMultipleObjects(3, events, TRUE, 0), WAIT_TIMEOUT);
    SetEvent(events[0]);
    SetEvent(events[1]);
    EXPECT_EQ(WaitForMultipleObjects(3, events, TRUE, 0), WAIT_OBJECT_0);
    for (HANDLE e : events) {
        CloseHandle(e);
    }
}
