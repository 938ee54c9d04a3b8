// zlib body unpacking with the size field checked before use.
#include "core/ZlibBuffer.h"

#include <cstdlib>
#include <zlib.h>

CZlibBuffer::~CZlibBuffer()
{
    Release();
}

void CZlibBuffer::Release()
{
    free(data);
    data = nullptr;
    size = 0;
}

void CZlibBuffer::Unpack(const BYTE* input, int length, BYTE** outData, int* outLength, int direction)
{
    if (direction != 0)
        return;
    if (outData)
        *outData = nullptr;
    if (outLength)
        *outLength = 0;
    if (!input || length <= 4)
        return;
    Release();
    DWORD expected = (DWORD)input[0] | ((DWORD)input[1] << 8) | ((DWORD)input[2] << 16) | ((DWORD)input[3] << 24);
    if (expected > MAX_UNPACKED)
        return;
    // One spare byte so an empty body still has a buffer.
    BYTE* buffer = (BYTE*)malloc((size_t)expected + 1);
    if (!buffer)
        return;
    uLongf produced = expected;
    int rc = uncompress(buffer, &produced, input + 4, (uLong)(length - 4));
    if (rc != Z_OK || produced != expected) {
        free(buffer);
        return;
    }
    data = buffer;
    size = expected;
    if (outData)
        *outData = data;
    if (outLength)
        *outLength = (int)size;
}
