// Per-thread last error, kept in thread-local storage as the real call keeps it per thread.
#include "platform/win/LastError.h"

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

DWORD GetLastError()
{
    return lastError;
}

void SetLastError(DWORD error)
{
    lastError = error;
}
