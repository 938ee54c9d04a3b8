// zlib body unpacking with the size field checked before use.
#include "core/ZlibBuffer.h"

#include <cstdlib>
#include <utility>
#include <zlib.h>

namespace {

// Unpacks a body into a block of its announced size plus one spare zero byte (so an empty body still has a
// block, and a record set can read the bytes in place); false unless it comes to exactly that size.
bool UnpackBody(const BYTE* input, int length, CByteBuffer& into)
{
    if (!input || length <= 4)
        return false;
    DWORD expected = (DWORD)input[0] | ((DWORD)input[1] << 8) | ((DWORD)input[2] << 16) | ((DWORD)input[3] << 24);
    if (expected > CZlibBuffer::MAX_UNPACKED)
        return false;
    CByteBuffer unpacked(expected + 1);
    if (!unpacked.data)
        return false;
    uLongf produced = expected;
    int rc = uncompress(unpacked.data, &produced, input + 4, (uLong)(length - 4));
    if (rc != Z_OK || produced != expected)
        return false;
    unpacked.SetSize(expected);
    into = std::move(unpacked);
    return true;
}

} // namespace

CZlibBuffer::~CZlibBuffer()
{
    Release();
}

void CZlibBuffer::Release()
{
    output = CByteBuffer(0);
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
    if (!UnpackBody(input, length, output))
        return;
    if (outData)
        *outData = output.data;
    if (outLength)
        *outLength = (int)output.GetSize();
}

BOOL CZlibBuffer::UnpackTo(const BYTE* input, int length, CByteBuffer& out)
{
    CByteBuffer unpacked(0);
    if (!UnpackBody(input, length, unpacked) || unpacked.GetSize() == 0)
        return FALSE;
    out = std::move(unpacked);
    return TRUE;
}
