// Secret wiping over the C library's explicit_bzero.
#include "platform/win/SecureMemory.h"

#include <string.h>

void SecureZeroMemory(void* p, size_t size)
{
    if (p != nullptr && size > 0)
        explicit_bzero(p, size);
}
