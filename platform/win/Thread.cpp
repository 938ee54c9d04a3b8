// Threads over std::thread (pthread for a chosen stack size) with waitable handles and exit codes.
#include "platform/win/Thread.h"

#include "platform/win/CodePage.h"
#include "platform/win/LastError.h"
#include "platform/win/Message.h"

#include <atomic>
#include <cstdlib>
#include <pthread.h>

namespace {

std::atomic<DWORD> nextThreadId{0x100};
thread_local DWORD currentThreadId = 0;
thread_local bool platformThread = false;

// Thrown by ExitThread and caught only by the thread start below; it carries the exit code.
struct ThreadExitUnwind {
    DWORD exitCode;
};

class ThreadObject : public KernelObject {
public:
    bool IsSignalled(DWORD) const override { return finished; }
    LPTHREAD_START_ROUTINE start = nullptr;
    LPVOID parameter = nullptr;
    DWORD threadId = 0;
    bool finished = false;
    DWORD exitCode = STILL_ACTIVE;
};

struct StartBlock {
    std::shared_ptr<ThreadObject> object;
};

void* ThreadStart(void* raw)
{
    std::unique_ptr<StartBlock> block(static_cast<StartBlock*>(raw));
    std::shared_ptr<ThreadObject> self = std::move(block->object);
    block.reset();
    currentThreadId = self->threadId;
    platformThread = true;
    DWORD code = 0;
    try {
        code = self->start(self->parameter);
    } catch (const ThreadExitUnwind& exit) {
        code = exit.exitCode;
    }
    // The queue and the code page converters go before the handle is signalled: whoever waited for the thread
    // finds them gone (the thread's own destructors may run after the process has ended).
    ReleaseThreadQueue();
    ReleaseThreadCodePages();
    {
        std::lock_guard<std::mutex> guard(WaitLock());
        self->exitCode = code;
        self->finished = true;
        WakeWaiters();
    }
    return nullptr;
}

std::shared_ptr<ThreadObject> ThreadOf(HANDLE thread)
{
    return std::dynamic_pointer_cast<ThreadObject>(LookUpKernelObject(thread));
}

} // namespace

DWORD GetCurrentThreadId()
{
    if (currentThreadId == 0) {
        currentThreadId = nextThreadId.fetch_add(4);
    }
    return currentThreadId;
}

bool IsPlatformThread()
{
    return platformThread;
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, size_t stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD creationFlags, LPDWORD threadId)
{
    if (!start || (creationFlags & CREATE_SUSPENDED)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto object = std::make_shared<ThreadObject>();
    object->start = start;
    object->parameter = parameter;
    object->threadId = nextThreadId.fetch_add(4);
    HANDLE handle = RegisterKernelObject(object);
    if (!handle) {
        return nullptr;
    }

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (stackSize != 0) {
        // Sanitizers need room; a tiny requested stack is raised rather than refused.
        size_t size = stackSize < 256 * 1024 ? 256 * 1024 : stackSize;
        pthread_attr_setstacksize(&attributes, size);
    }
    auto* block = new StartBlock{object};
    pthread_t thread;
    int rc = pthread_create(&thread, &attributes, ThreadStart, block);
    pthread_attr_destroy(&attributes);
    if (rc != 0) {
        delete block;
        CloseHandle(handle);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (threadId) {
        *threadId = object->threadId;
    }
    return handle;
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode)
{
    auto object = ThreadOf(thread);
    if (!object || !exitCode) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(WaitLock());
    *exitCode = object->finished ? object->exitCode : STILL_ACTIVE;
    return TRUE;
}

DWORD GetThreadId(HANDLE thread)
{
    auto object = ThreadOf(thread);
    return object ? object->threadId : 0;
}

void ExitThread(DWORD exitCode)
{
    if (!platformThread) {
        std::exit(static_cast<int>(exitCode));
    }
    throw ThreadExitUnwind{exitCode};
}
