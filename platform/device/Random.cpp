// Strong random bytes through getrandom, waiting out interruptions.
#include "platform/device/Random.h"
#include "platform/win/LastError.h"

#include <cerrno>
#include <sys/random.h>

BOOL CeGenRandom(DWORD length, BYTE* buffer)
{
    if (buffer == nullptr && length > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    size_t done = 0;
    while (done < length) {
        ssize_t n = getrandom(buffer + done, length - done, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            SetLastError(ERROR_INVALID_DATA);
            return FALSE;
        }
        done += (size_t)n;
    }
    return TRUE;
}
