// Named mutexes, visible to every process of this user.
#pragma once

#include "platform/win/Sync.h"

// Named mutexes, visible to every process of this user: a name that exists (here or in another running
// process) gives a handle with GetLastError ERROR_ALREADY_EXISTS. Closed with CloseHandle.
HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name);
BOOL ReleaseMutex(HANDLE mutex);
