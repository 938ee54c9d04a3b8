// Per-thread message queues. All queue state changes under WaitLock(); window procedures are always called with
// no lock held, so they may post, send, wait and free windows freely.
#include "platform/win/Message.h"

#include "platform/win/LastError.h"
#include "platform/win/Thread.h"
#include "platform/win/Time.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <unordered_map>

namespace {

struct ThreadQueue;

// A message sent from another thread, waiting in the target's queue; the sender waits until `done`.
struct SentMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::weak_ptr<ThreadQueue> sender; // woken when done
    LRESULT result = 0;
    bool started = false;
    bool done = false;
};

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT elapse;
    TIMERPROC proc;
    DWORD due;
};

struct ThreadQueue {
    DWORD threadId = 0;
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    unsigned long long arrivals = 0; // messages posted or sent to this queue so far
    bool quitPending = false;
    int quitCode = 0;
    std::vector<Timer> timers;
    UINT_PTR nextThreadTimerId = 0x7F00;
    // The owner sleeps here while it waits for messages only; in MsgWaitForMultipleObjects it sleeps with the
    // waits on objects instead.
    WakeSlot wake;
    bool waitsWithObjects = false;
    // Until then, or until a message is taken, a wait for messages looks for one without sleeping
    // (ExpectMessageWithin).
    std::chrono::steady_clock::time_point spinUntil;
};

std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>>& Queues()
{
    static auto* queues = new std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>>();
    return *queues;
}

DWORD DefaultClock()
{
    return GetTickCount();
}

std::atomic<MessageClock> messageClock{DefaultClock};
std::atomic<MessageSource> paintSource{nullptr};
std::atomic<KeyTranslator> keyTranslator{nullptr};
std::atomic<uint64_t> cursorPos{0};

thread_local DWORD lastMessageTime = 0;
thread_local int inSendDepth = 0;

// Releases the queue of a thread that ends without going through CreateThread's start (the main thread,
// threads of other libraries).
struct QueueReleaser {
    bool armed = false;
    ~QueueReleaser()
    {
        if (armed) {
            ReleaseThreadQueue();
        }
    }
};
thread_local QueueReleaser queueReleaser;

POINT CurrentCursor()
{
    uint64_t packed = cursorPos.load(std::memory_order_relaxed);
    return POINT{static_cast<LONG>(static_cast<uint32_t>(packed)),
                 static_cast<LONG>(static_cast<uint32_t>(packed >> 32))};
}

// Wrap-safe: true when `now` has reached `due` on the 32-bit clock.
bool Reached(DWORD now, DWORD due)
{
    return static_cast<int32_t>(now - due) >= 0;
}

bool WindowMatches(HWND filter, HWND hwnd)
{
    if (!filter) {
        return true;
    }
    if (filter == HWND_THREAD_ONLY) {
        return hwnd == nullptr;
    }
    return filter == hwnd;
}

bool RangeMatches(UINT minMessage, UINT maxMessage, UINT message)
{
    if (minMessage == 0 && maxMessage == 0) {
        return true;
    }
    return message >= minMessage && message <= maxMessage;
}

ThreadQueue* QueueLocked(DWORD threadId)
{
    auto& queues = Queues();
    auto it = queues.find(threadId);
    return it == queues.end() ? nullptr : it->second.get();
}

std::shared_ptr<ThreadQueue> OwnQueueLocked()
{
    DWORD self = GetCurrentThreadId();
    auto& slot = Queues()[self];
    if (!slot) {
        slot = std::make_shared<ThreadQueue>();
        slot->threadId = self;
        queueReleaser.armed = true;
    }
    return slot;
}

// Wakes the owner of a queue that has something new for it, and no other thread.
void WakeQueueLocked(ThreadQueue& queue)
{
    queue.wake.WakeLocked();
    if (queue.waitsWithObjects) {
        WakeObjectWaiters();
    }
}

bool PostLocked(ThreadQueue& queue, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    queue.posted.push_back(MSG{hwnd, message, wParam, lParam, GetMessageClock(), CurrentCursor()});
    ++queue.arrivals;
    WakeQueueLocked(queue);
    return true;
}

// Marks a sent message handled (or abandoned) and wakes its sender.
void CompleteLocked(SentMessage& sent, LRESULT result)
{
    sent.result = result;
    sent.done = true;
    if (std::shared_ptr<ThreadQueue> sender = sent.sender.lock()) {
        WakeQueueLocked(*sender);
    }
}

// Handles one message sent to this thread. Called and returns with `lock` held; the procedure runs unlocked.
// If the procedure ends the thread (ExitThread unwinds through here) the sender still gets its answer.
void HandleSentMessage(std::unique_lock<std::mutex>& lock, const std::shared_ptr<SentMessage>& sent)
{
    sent->started = true;
    WindowEntry entry;
    if (!LookUpWindowLocked(sent->hwnd, &entry)) {
        CompleteLocked(*sent, 0);
        return;
    }
    struct Finish {
        std::unique_lock<std::mutex>& lock;
        SentMessage& sent;
        LRESULT result = 0;
        ~Finish()
        {
            if (!lock.owns_lock()) {
                lock.lock();
            }
            --inSendDepth;
            CompleteLocked(sent, result);
        }
    } finish{lock, *sent};
    ++inSendDepth;
    lock.unlock();
    finish.result = entry.procedure(sent->hwnd, sent->message, sent->wParam, sent->lParam);
    lock.lock();
}

// Handles every message waiting to be sent to this thread; true when it handled any.
bool HandleSentMessagesLocked(std::unique_lock<std::mutex>& lock, const std::shared_ptr<ThreadQueue>& queue)
{
    bool any = false;
    while (!queue->sent.empty()) {
        std::shared_ptr<SentMessage> sent = queue->sent.front();
        queue->sent.pop_front();
        HandleSentMessage(lock, sent);
        any = true;
    }
    return any;
}

bool TakePostedLocked(ThreadQueue& queue, LPMSG msg, HWND window, UINT minMessage, UINT maxMessage, bool remove)
{
    for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
        if (WindowMatches(window, it->hwnd) && RangeMatches(minMessage, maxMessage, it->message)) {
            *msg = *it;
            if (remove) {
                queue.posted.erase(it);
            }
            return true;
        }
    }
    return false;
}

bool TakeQuitLocked(ThreadQueue& queue, LPMSG msg, UINT minMessage, UINT maxMessage, bool remove)
{
    if (!queue.quitPending || !RangeMatches(minMessage, maxMessage, WM_QUIT)) {
        return false;
    }
    *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, GetMessageClock(), CurrentCursor()};
    if (remove) {
        queue.quitPending = false;
    }
    return true;
}

// A due timer becomes one WM_TIMER; taking it restarts the period, so a slow loop never piles them up.
bool TakeTimerLocked(ThreadQueue& queue, LPMSG msg, HWND window, UINT minMessage, UINT maxMessage, bool remove)
{
    if (queue.timers.empty() || !RangeMatches(minMessage, maxMessage, WM_TIMER)) {
        return false;
    }
    DWORD now = GetMessageClock();
    for (Timer& timer : queue.timers) {
        if (WindowMatches(window, timer.hwnd) && Reached(now, timer.due)) {
            *msg = MSG{timer.hwnd, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.proc), now, CurrentCursor()};
            if (remove) {
                timer.due = now + timer.elapse;
            }
            return true;
        }
    }
    return false;
}

// When (in real time) the earliest timer that the caller would take falls due, or max() with none. Timers the
// filter excludes do not count: a due one would otherwise keep the wait from ever sleeping.
std::chrono::steady_clock::time_point NextTimerDeadlineLocked(const ThreadQueue& queue, HWND window = nullptr,
                                                              UINT minMessage = 0, UINT maxMessage = 0)
{
    if (queue.timers.empty() || !RangeMatches(minMessage, maxMessage, WM_TIMER)) {
        return std::chrono::steady_clock::time_point::max();
    }
    DWORD now = GetMessageClock();
    int32_t soonest = INT32_MAX;
    bool any = false;
    for (const Timer& timer : queue.timers) {
        if (WindowMatches(window, timer.hwnd)) {
            int32_t left = static_cast<int32_t>(timer.due - now);
            soonest = std::min(soonest, std::max<int32_t>(left, 0));
            any = true;
        }
    }
    if (!any) {
        return std::chrono::steady_clock::time_point::max();
    }
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(soonest);
}

bool HasInputLocked(const ThreadQueue& queue)
{
    if (!queue.sent.empty() || !queue.posted.empty() || queue.quitPending) {
        return true;
    }
    DWORD now = GetMessageClock();
    for (const Timer& timer : queue.timers) {
        if (Reached(now, timer.due)) {
            return true;
        }
    }
    return false;
}

// The retrieval shared by GetMessage and PeekMessage.
BOOL Retrieve(LPMSG msg, HWND window, UINT minMessage, UINT maxMessage, bool remove, bool wait, bool handleSent = true)
{
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    std::unique_lock<std::mutex> lock(WaitLock());
    std::shared_ptr<ThreadQueue> queue = OwnQueueLocked();
    if (window && window != HWND_THREAD_ONLY && !LookUpWindowLocked(window, nullptr)) {
        return -1;
    }
    for (;;) {
        // A message come from another thread ends what ExpectMessageWithin asked for.
        // Cleared before the handlers run: one that hands over a request sets a fresh expectation of its own.
        if (handleSent && !queue->sent.empty()) {
            queue->spinUntil = {};
            HandleSentMessagesLocked(lock, queue);
        }
        if (TakePostedLocked(*queue, msg, window, minMessage, maxMessage, remove) ||
            TakeQuitLocked(*queue, msg, minMessage, maxMessage, remove)) {
            queue->spinUntil = {};
            lastMessageTime = msg->time;
            return TRUE;
        }
        if (MessageSource source = paintSource.load()) {
            // Messages the filter passed over stay queued and must not make this loop spin: only what came in
            // while the source ran is looked at again.
            unsigned long long arrivalsBefore = queue->arrivals;
            lock.unlock();
            BOOL painted = source(queue->threadId, window, minMessage, maxMessage, remove ? TRUE : FALSE, msg);
            lock.lock();
            if (painted) {
                lastMessageTime = msg->time;
                return TRUE;
            }
            if (queue->arrivals != arrivalsBefore) {
                continue; // something came in while the source ran
            }
        }
        if (TakeTimerLocked(*queue, msg, window, minMessage, maxMessage, remove)) {
            lastMessageTime = msg->time;
            return TRUE;
        }
        if (!wait) {
            return FALSE;
        }
        if (window && window != HWND_THREAD_ONLY && !LookUpWindowLocked(window, nullptr)) {
            return -1; // the filter window went away while we slept
        }
        auto deadline = NextTimerDeadlineLocked(*queue, window, minMessage, maxMessage);
        if (std::chrono::steady_clock::now() < queue->spinUntil) {
            queue->wake.Spin(lock, std::min(deadline, queue->spinUntil));
            continue;
        }
        queue->wake.Wait(lock, deadline);
    }
}

constexpr auto SEND_ANSWER_SPIN = std::chrono::microseconds(30);

LRESULT SendAcrossThreads(std::unique_lock<std::mutex>& lock, ThreadQueue& target, HWND window, UINT message,
                          WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<ThreadQueue> own = OwnQueueLocked();
    auto sent = std::make_shared<SentMessage>(SentMessage{window, message, wParam, lParam, own});
    target.sent.push_back(sent);
    ++target.arrivals;
    WakeQueueLocked(target);
    // Should this thread end while it waits (ExitThread from a message it handles meanwhile), the message is
    // withdrawn if not yet begun, so the target never reads a parameter that lived on this stack.
    struct Withdraw {
        std::unique_lock<std::mutex>& lock;
        std::shared_ptr<SentMessage>& sent;
        DWORD targetThread;
        ~Withdraw()
        {
            if (!lock.owns_lock()) {
                lock.lock();
            }
            if (!sent->started) {
                if (ThreadQueue* queue = QueueLocked(targetThread)) {
                    std::erase(queue->sent, sent);
                }
            }
        }
    } withdraw{lock, sent, target.threadId};
    // Most answers take a few microseconds: for that long the sender looks for it before it sleeps, which
    // spares both threads a wake-up (the target one to give it and this one to take it). Bounded, so a slow
    // answer costs no more than this.
    auto spinUntil = std::chrono::steady_clock::now() + SEND_ANSWER_SPIN;
    while (!sent->done) {
        if (HandleSentMessagesLocked(lock, own)) {
            continue;
        }
        if (std::chrono::steady_clock::now() < spinUntil) {
            own->wake.Spin(lock, spinUntil);
            continue;
        }
        own->wake.Wait(lock, std::chrono::steady_clock::time_point::max());
    }
    return sent->result;
}

} // namespace

// ---- queues ----

void EnsureThreadQueue()
{
    std::lock_guard<std::mutex> guard(WaitLock());
    OwnQueueLocked();
}

void ReleaseThreadQueue()
{
    std::lock_guard<std::mutex> guard(WaitLock());
    auto& queues = Queues();
    auto it = queues.find(GetCurrentThreadId());
    if (it == queues.end()) {
        return;
    }
    // Senders waiting on this thread would wait for ever: they get 0.
    for (auto& sent : it->second->sent) {
        CompleteLocked(*sent, 0);
    }
    queues.erase(it);
    WakeWaiters();
}

void ForgetWindowLocked(HWND window, DWORD ownerThread)
{
    ThreadQueue* queue = QueueLocked(ownerThread);
    if (!queue) {
        return;
    }
    std::erase_if(queue->posted, [window](const MSG& m) { return m.hwnd == window; });
    std::erase_if(queue->timers, [window](const Timer& t) { return t.hwnd == window; });
    std::erase_if(queue->sent, [window](const std::shared_ptr<SentMessage>& sent) {
        if (sent->hwnd != window) {
            return false;
        }
        CompleteLocked(*sent, 0);
        return true;
    });
}

// ---- posting and sending ----

BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard<std::mutex> guard(WaitLock());
    ThreadQueue* queue = QueueLocked(threadId);
    if (!queue) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    PostLocked(*queue, nullptr, message, wParam, lParam);
    return TRUE;
}

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!window) {
        EnsureThreadQueue();
        return PostThreadMessage(GetCurrentThreadId(), message, wParam, lParam);
    }
    if (window == HWND_BROADCAST) {
        for (HWND each : ListWindowHandles()) {
            PostMessage(each, message, wParam, lParam);
        }
        return TRUE;
    }
    std::lock_guard<std::mutex> guard(WaitLock());
    WindowEntry entry;
    if (!LookUpWindowLocked(window, &entry)) {
        return FALSE;
    }
    ThreadQueue* queue = QueueLocked(entry.threadId);
    if (!queue) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    PostLocked(*queue, window, message, wParam, lParam);
    return TRUE;
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window == HWND_BROADCAST) {
        for (HWND each : ListWindowHandles()) {
            SendMessage(each, message, wParam, lParam);
        }
        return 0;
    }
    std::unique_lock<std::mutex> lock(WaitLock());
    WindowEntry entry;
    if (!LookUpWindowLocked(window, &entry)) {
        return 0;
    }
    if (entry.threadId == GetCurrentThreadId()) {
        lock.unlock();
        return entry.procedure(window, message, wParam, lParam);
    }
    ThreadQueue* target = QueueLocked(entry.threadId);
    if (!target) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return 0;
    }
    return SendAcrossThreads(lock, *target, window, message, wParam, lParam);
}

void ExpectMessageWithin(DWORD microseconds)
{
    std::lock_guard<std::mutex> guard(WaitLock());
    OwnQueueLocked()->spinUntil = std::chrono::steady_clock::now() + std::chrono::microseconds(microseconds);
}

BOOL InSendMessage()
{
    return inSendDepth > 0 ? TRUE : FALSE;
}

// ---- retrieval ----

BOOL GetMessage(LPMSG msg, HWND window, UINT minMessage, UINT maxMessage)
{
    BOOL got = Retrieve(msg, window, minMessage, maxMessage, true, true);
    if (got == TRUE && msg->message == WM_QUIT) {
        return FALSE;
    }
    return got;
}

BOOL PeekMessage(LPMSG msg, HWND window, UINT minMessage, UINT maxMessage, UINT removeFlags)
{
    bool kinds = (removeFlags & 0xFFFF0000u) != 0;
    bool handleSent = !kinds || (removeFlags & PM_QS_SENDMESSAGE) != 0;
    return Retrieve(msg, window, minMessage, maxMessage, (removeFlags & PM_REMOVE) != 0, false, handleSent) == TRUE
               ? TRUE
               : FALSE;
}

DWORD GetQueueStatus(UINT flags)
{
    std::unique_lock<std::mutex> lock(WaitLock());
    std::shared_ptr<ThreadQueue> queue = OwnQueueLocked();
    DWORD bits = 0;
    if (!queue->sent.empty())
        bits |= QS_SENDMESSAGE;
    if (!queue->posted.empty() || queue->quitPending)
        bits |= QS_POSTMESSAGE;
    DWORD now = GetMessageClock();
    for (const Timer& timer : queue->timers)
        if (Reached(now, timer.due))
            bits |= QS_TIMER;
    bits &= flags & 0xFFFFu;
    return (bits << 16) | bits;
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds, DWORD wakeMask)
{
    if (count > MAXIMUM_WAIT_OBJECTS || (count > 0 && !handles)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<KernelObject>> objects(count);
    for (DWORD i = 0; i < count; ++i) {
        objects[i] = LookUpKernelObject(handles[i]);
        if (!objects[i]) {
            return WAIT_FAILED;
        }
    }
    const DWORD self = GetCurrentThreadId();
    const auto deadline = DeadlineAfter(milliseconds);
    std::unique_lock<std::mutex> lock(WaitLock());
    std::shared_ptr<ThreadQueue> queue = OwnQueueLocked();
    for (;;) {
        if (DWORD taken = TakeSignalledLocked(objects, waitAll && count > 0, self); taken != WAIT_TIMEOUT) {
            return taken;
        }
        if (wakeMask != 0 && HasInputLocked(*queue)) {
            return WAIT_OBJECT_0 + count;
        }
        auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return WAIT_TIMEOUT;
        }
        queue->waitsWithObjects = true;
        WaitForWake(lock, std::min(deadline, NextTimerDeadlineLocked(*queue)));
        queue->waitsWithObjects = false;
    }
}

BOOL WaitMessage()
{
    return MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 ? TRUE : FALSE;
}

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) {
        return FALSE;
    }
    KeyTranslator translator = keyTranslator.load();
    return translator ? translator(msg) : FALSE;
}

LRESULT DispatchMessage(const MSG* msg)
{
    if (!msg) {
        return 0;
    }
    if (msg->message == WM_TIMER && msg->lParam != 0) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (!msg->hwnd) {
        return 0;
    }
    WNDPROC procedure = GetWindowProc(msg->hwnd);
    return procedure ? procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

void PostQuitMessage(int exitCode)
{
    std::lock_guard<std::mutex> guard(WaitLock());
    std::shared_ptr<ThreadQueue> queue = OwnQueueLocked();
    queue->quitPending = true;
    queue->quitCode = exitCode;
    WakeWaiters();
}

DWORD GetMessageTime()
{
    return lastMessageTime;
}

// ---- timers ----

UINT_PTR SetTimer(HWND window, UINT_PTR timerId, UINT elapse, TIMERPROC timerProc)
{
    elapse = std::max(elapse, USER_TIMER_MINIMUM);
    std::lock_guard<std::mutex> guard(WaitLock());
    std::shared_ptr<ThreadQueue> queue;
    if (window) {
        WindowEntry entry;
        if (!LookUpWindowLocked(window, &entry)) {
            return 0;
        }
        auto& queues = Queues();
        auto it = queues.find(entry.threadId);
        if (it == queues.end()) {
            SetLastError(ERROR_INVALID_THREAD_ID);
            return 0;
        }
        queue = it->second;
    } else {
        queue = OwnQueueLocked();
    }
    DWORD due = GetMessageClock() + elapse;
    for (Timer& timer : queue->timers) {
        if (timer.hwnd == window && timer.id == timerId) {
            timer.elapse = elapse;
            timer.proc = timerProc;
            timer.due = due;
            WakeWaiters();
            return window ? timerId : timer.id;
        }
    }
    if (!window) {
        timerId = queue->nextThreadTimerId++;
    }
    queue->timers.push_back(Timer{window, timerId, elapse, timerProc, due});
    WakeWaiters();
    // A window timer's id is its own; a thread timer's id is what identifies it, and 0 must mean failure.
    return window ? (timerId ? timerId : 1) : timerId;
}

BOOL KillTimer(HWND window, UINT_PTR timerId)
{
    std::lock_guard<std::mutex> guard(WaitLock());
    DWORD owner = GetCurrentThreadId();
    if (window) {
        WindowEntry entry;
        if (!LookUpWindowLocked(window, &entry)) {
            return FALSE;
        }
        owner = entry.threadId;
    }
    ThreadQueue* queue = QueueLocked(owner);
    if (!queue) {
        return FALSE;
    }
    size_t removed = std::erase_if(queue->timers, [&](const Timer& t) { return t.hwnd == window && t.id == timerId; });
    return removed ? TRUE : FALSE;
}

// ---- clock and hooks ----

void SetMessageClock(MessageClock clock)
{
    messageClock.store(clock ? clock : DefaultClock);
    MessageClockChanged();
}

DWORD GetMessageClock()
{
    return messageClock.load()();
}

void MessageClockChanged()
{
    std::lock_guard<std::mutex> guard(WaitLock());
    WakeWaiters();
}

void SetPaintMessageSource(MessageSource source)
{
    paintSource.store(source);
}

void SetKeyTranslator(KeyTranslator translator)
{
    keyTranslator.store(translator);
}

void SetMessageCursorPos(POINT pt)
{
    uint64_t packed = static_cast<uint32_t>(pt.x) | (static_cast<uint64_t>(static_cast<uint32_t>(pt.y)) << 32);
    cursorPos.store(packed, std::memory_order_relaxed);
}
