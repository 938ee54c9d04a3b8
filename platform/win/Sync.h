// Synchronisation objects: recursive critical sections, events, waits on handles and closing them.
// Waitable objects live in one handle table; a handle value is never reused, so a stale handle fails cleanly.
#pragma once

#include "platform/win/WinTypes.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_TIMEOUT 258u
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64

typedef void* LPSECURITY_ATTRIBUTES;

// A recursive lock: the thread that holds it may enter again (each enter needs its leave).
struct CRITICAL_SECTION {
    void* impl = nullptr;
    DWORD ownerThread = 0;
    LONG recursionCount = 0;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);

// Events: manual-reset stays signalled until reset; auto-reset releases one waiter and resets itself.
// The name is accepted and ignored (events are private to the process here).
HANDLE CreateEvent(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name);
inline HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name)
{
    return CreateEvent(attributes, manualReset, initialState, name);
}
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// WAIT_OBJECT_0 when signalled, WAIT_TIMEOUT when the time ran out, WAIT_FAILED (with the last error set)
// for a handle that is not waitable.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// WAIT_OBJECT_0 + index of the first signalled handle (or WAIT_OBJECT_0 when all are, with waitAll).
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);
// Drops this handle's reference; the object goes when its last handle is closed (a running thread keeps its own).
BOOL CloseHandle(HANDLE handle);

// Waitable kernel objects of the platform layer. Other parts of the layer (threads, named mutexes) derive from
// KernelObject and register it to get a handle that WaitForSingleObject and CloseHandle understand.
// IsSignalled and Acquire are called with WaitLock() held; whoever changes what IsSignalled reports must do so
// under WaitLock() and then call WakeWaiters().
class KernelObject {
public:
    virtual ~KernelObject() = default;
    virtual bool IsSignalled(DWORD threadId) const = 0;
    // Called when a wait is satisfied by this object (an auto-reset event resets, a mutex takes its owner).
    virtual void Acquire(DWORD threadId) { (void)threadId; }
};

// With WaitLock() held: when the wait on objects is satisfied (all of them with waitAll, else the first signalled),
// acquires what satisfied it and returns WAIT_OBJECT_0 (+ the index without waitAll); WAIT_TIMEOUT when not yet.
DWORD TakeSignalledLocked(const std::vector<std::shared_ptr<KernelObject>>& objects, bool waitAll, DWORD threadId);

HANDLE RegisterKernelObject(std::shared_ptr<KernelObject> object);
// The object behind a handle, or null (last error ERROR_INVALID_HANDLE) when the handle is closed or unknown.
std::shared_ptr<KernelObject> LookUpKernelObject(HANDLE handle);

// The one lock under which every waitable state of the layer (objects, thread queues, window table) changes,
// and the wake-up that every waiter sleeps on.
std::mutex& WaitLock();
// Wakes every waiting thread, those asleep on their own wake slot included. Called with WaitLock() held (it walks
// the sleeping slots): change the state and wake under the same lock.
void WakeWaiters();
// Wakes the waits on objects only (WaitForWake): an event set does not concern a thread asleep on its slot.
void WakeObjectWaiters();
// Sleeps with WaitLock() held in `lock` until woken or the deadline passes; time_point::max() waits without end.
void WaitForWake(std::unique_lock<std::mutex>& lock, std::chrono::steady_clock::time_point deadline);

// A thread's own wake-up, for a wait that only its message queue ends (GetMessage, the answer to a sent
// message): a post to that thread wakes it alone instead of every waiting thread of the process, each of which
// would wake, find nothing and sleep again. WakeWaiters reaches it too.
class WakeSlot {
public:
    // Sleeps like WaitForWake, until WakeLocked, WakeWaiters or the deadline.
    void Wait(std::unique_lock<std::mutex>& lock, std::chrono::steady_clock::time_point deadline);
    // The same without sleeping: looks for the wake-up with the lock left to others until `until`. For waits
    // of a few microseconds, where falling asleep and being woken would cost more than the wait.
    void Spin(std::unique_lock<std::mutex>& lock, std::chrono::steady_clock::time_point until);
    // Called with WaitLock() held.
    void WakeLocked()
    {
        ++wakes;
        wake.notify_all();
    }

private:
    std::condition_variable wake;
    std::atomic<unsigned> wakes{0};
};
std::chrono::steady_clock::time_point DeadlineAfter(DWORD milliseconds);
