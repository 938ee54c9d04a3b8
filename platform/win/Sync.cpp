// Critical sections over a recursive mutex, events and the handle table of waitable objects.
#include "platform/win/Sync.h"

#include "platform/win/LastError.h"
#include "platform/win/Thread.h"

#include <algorithm>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

// Made on first use and never destroyed: threads still waiting while the process exits must not find them gone,
// and a static initialiser elsewhere may already signal an event.
std::mutex& TheWaitLock()
{
    static auto* lock = new std::mutex();
    return *lock;
}

std::condition_variable& TheWakeUp()
{
    static auto* wake = new std::condition_variable();
    return *wake;
}

// Handles count up from here in steps of 4 and are never handed out twice.
uintptr_t nextHandle = 0x10000;
std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>>& HandleTable()
{
    static auto* table = new std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>>();
    return *table;
}

class EventObject : public KernelObject {
public:
    EventObject(bool manual, bool initial) : manualReset(manual), signalled(initial) {}
    bool IsSignalled(DWORD) const override { return signalled; }
    void Acquire(DWORD) override
    {
        if (!manualReset) {
            signalled = false;
        }
    }
    const bool manualReset;
    bool signalled;
};

std::shared_ptr<KernelObject> LookUpLocked(HANDLE handle)
{
    auto& table = HandleTable();
    auto it = table.find(reinterpret_cast<uintptr_t>(handle));
    return it == table.end() ? nullptr : it->second;
}

EventObject* EventOf(const std::shared_ptr<KernelObject>& object)
{
    return dynamic_cast<EventObject*>(object.get());
}

} // namespace

std::mutex& WaitLock()
{
    return TheWaitLock();
}

// The slots of threads asleep on their own wake-up, read and changed under the wait lock.
std::vector<WakeSlot*>& SleepingSlots()
{
    static auto* slots = new std::vector<WakeSlot*>();
    return *slots;
}

void WakeWaiters()
{
    TheWakeUp().notify_all();
    for (WakeSlot* slot : SleepingSlots()) {
        slot->WakeLocked();
    }
}

void WakeObjectWaiters()
{
    TheWakeUp().notify_all();
}

void WakeSlot::Wait(std::unique_lock<std::mutex>& lock, std::chrono::steady_clock::time_point deadline)
{
    auto& slots = SleepingSlots();
    slots.push_back(this);
    if (deadline == std::chrono::steady_clock::time_point::max()) {
        wake.wait(lock);
    } else {
        wake.wait_until(lock, deadline);
    }
    slots.erase(std::find(slots.begin(), slots.end(), this));
}

void WakeSlot::Spin(std::unique_lock<std::mutex>& lock, std::chrono::steady_clock::time_point until)
{
    auto& slots = SleepingSlots();
    slots.push_back(this);
    unsigned seen = wakes.load();
    lock.unlock();
    // The turn is offered to the scheduler between looks: a thread this one waits for may have been put on
    // the same processor.
    while (wakes.load() == seen && std::chrono::steady_clock::now() < until) {
        std::this_thread::yield();
    }
    lock.lock();
    slots.erase(std::find(slots.begin(), slots.end(), this));
}

void WaitForWake(std::unique_lock<std::mutex>& lock, std::chrono::steady_clock::time_point deadline)
{
    if (deadline == std::chrono::steady_clock::time_point::max()) {
        TheWakeUp().wait(lock);
    } else {
        TheWakeUp().wait_until(lock, deadline);
    }
}

std::chrono::steady_clock::time_point DeadlineAfter(DWORD milliseconds)
{
    if (milliseconds == INFINITE) {
        return std::chrono::steady_clock::time_point::max();
    }
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}

HANDLE RegisterKernelObject(std::shared_ptr<KernelObject> object)
{
    if (!object) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard<std::mutex> guard(TheWaitLock());
    uintptr_t value = nextHandle;
    nextHandle += 4;
    HandleTable().emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookUpKernelObject(HANDLE handle)
{
    std::lock_guard<std::mutex> guard(TheWaitLock());
    auto object = LookUpLocked(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return object;
}

BOOL CloseHandle(HANDLE handle)
{
    std::shared_ptr<KernelObject> dropped; // released after the lock, so a destructor may take it
    {
        std::lock_guard<std::mutex> guard(TheWaitLock());
        auto& table = HandleTable();
        auto it = table.find(reinterpret_cast<uintptr_t>(handle));
        if (it == table.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        dropped = std::move(it->second);
        table.erase(it);
    }
    return TRUE;
}

// ---- critical sections ----

void InitializeCriticalSection(LPCRITICAL_SECTION section)
{
    section->impl = new std::recursive_mutex();
    section->ownerThread = 0;
    section->recursionCount = 0;
}

void DeleteCriticalSection(LPCRITICAL_SECTION section)
{
    delete static_cast<std::recursive_mutex*>(section->impl);
    section->impl = nullptr;
}

void EnterCriticalSection(LPCRITICAL_SECTION section)
{
    static_cast<std::recursive_mutex*>(section->impl)->lock();
    section->ownerThread = GetCurrentThreadId();
    ++section->recursionCount;
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section)
{
    if (!static_cast<std::recursive_mutex*>(section->impl)->try_lock()) {
        return FALSE;
    }
    section->ownerThread = GetCurrentThreadId();
    ++section->recursionCount;
    return TRUE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section)
{
    if (--section->recursionCount == 0) {
        section->ownerThread = 0;
    }
    static_cast<std::recursive_mutex*>(section->impl)->unlock();
}

// ---- events ----

HANDLE CreateEvent(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR)
{
    return RegisterKernelObject(std::make_shared<EventObject>(manualReset != FALSE, initialState != FALSE));
}

static BOOL SetEventState(HANDLE event, bool state)
{
    std::lock_guard<std::mutex> guard(TheWaitLock());
    EventObject* e = EventOf(LookUpLocked(event));
    if (!e) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    e->signalled = state;
    if (state) {
        WakeObjectWaiters();
    }
    return TRUE;
}

BOOL SetEvent(HANDLE event)
{
    return SetEventState(event, true);
}

BOOL ResetEvent(HANDLE event)
{
    return SetEventState(event, false);
}

// ---- waits ----

DWORD TakeSignalledLocked(const std::vector<std::shared_ptr<KernelObject>>& objects, bool waitAll, DWORD threadId)
{
    if (waitAll) {
        for (auto& o : objects) {
            if (!o->IsSignalled(threadId)) {
                return WAIT_TIMEOUT;
            }
        }
        for (auto& o : objects) {
            o->Acquire(threadId);
        }
        return WAIT_OBJECT_0;
    }
    for (DWORD i = 0; i < objects.size(); ++i) {
        if (objects[i]->IsSignalled(threadId)) {
            objects[i]->Acquire(threadId);
            return WAIT_OBJECT_0 + i;
        }
    }
    return WAIT_TIMEOUT;
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    const DWORD self = GetCurrentThreadId();
    const auto deadline = DeadlineAfter(milliseconds);
    std::unique_lock<std::mutex> lock(TheWaitLock());
    // Hold the objects for the whole wait: closing a handle meanwhile must not free what we look at.
    std::vector<std::shared_ptr<KernelObject>> objects(count);
    for (DWORD i = 0; i < count; ++i) {
        objects[i] = LookUpLocked(handles[i]);
        if (!objects[i]) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
    }
    for (;;) {
        if (DWORD taken = TakeSignalledLocked(objects, waitAll, self); taken != WAIT_TIMEOUT) {
            return taken;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return WAIT_TIMEOUT;
        }
        WaitForWake(lock, deadline);
    }
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    return WaitForMultipleObjects(1, &handle, FALSE, milliseconds);
}
