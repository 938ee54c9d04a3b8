// Threads: creation, identity, exit codes, and ending a thread from deep inside a wait without skipping
// any destructor on the way back to its thread procedure.
#pragma once

#include "platform/win/Sync.h"
#include "platform/win/WinTypes.h"

typedef DWORD (*LPTHREAD_START_ROUTINE)(LPVOID parameter);

#define STILL_ACTIVE 259u
#define CREATE_SUSPENDED 0x00000004u

// Starts `start(parameter)` on a new thread. The handle is signalled when the thread has ended; close it with
// CloseHandle (the thread runs on regardless). `stackSize` 0 takes the default. CREATE_SUSPENDED is refused.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, size_t stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD creationFlags, LPDWORD threadId);

// A small number that names the calling thread, unique for the life of the process (never 0).
DWORD GetCurrentThreadId();
// STILL_ACTIVE while the thread runs, then the value its procedure returned or passed to ExitThread.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
// The thread id behind a thread handle, 0 for anything else.
DWORD GetThreadId(HANDLE thread);

// Ends the calling thread with `exitCode`. The stack unwinds back to the thread procedure's caller, so the
// destructors of every frame run; a frame must not swallow the unwinding with catch (...) without rethrowing.
// On a thread not started by CreateThread (the main thread) it ends the process with that code.
[[noreturn]] void ExitThread(DWORD exitCode);

// True on threads started by CreateThread (where ExitThread can unwind).
bool IsPlatformThread();
