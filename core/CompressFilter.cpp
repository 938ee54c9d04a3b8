// Unpacking of reply bodies by compression type.
#include "core/CompressFilter.h"

#include "platform/win/Debug.h"

void CCompressFilter::Process(const BYTE* input, int length, BYTE type, BYTE** outData, int* outLength, int direction)
{
    if (outData)
        *outData = nullptr;
    if (outLength)
        *outLength = 0;
    if (!input || length < 1)
        return;
    if (type == COMPRESS_LZSS)
        lzss.Process(input, (UINT)length, outData, outLength, direction);
    else if (type == COMPRESS_ZLIB)
        zlib.Unpack(input, length, outData, outLength, direction);
}

void CCompressFilter::ProcessWithKey(const BYTE*, int, BYTE, const char*, int, BYTE** outData, int* outLength, int)
{
    if (outData)
        *outData = nullptr;
    if (outLength)
        *outLength = 0;
    OutputDebugStringA("Not implement.\n");
}

BOOL CCompressFilter::Decode(CByteBuffer& body, BYTE type, const char*)
{
    if (body.GetSize() < 1 || body.GetSize() > 0x7FFFFFFF)
        return FALSE;
    if (type == COMPRESS_LZSS)
        return lzss.ProcessInPlace(body);
    if (type == COMPRESS_ZLIB)
        return CZlibBuffer::UnpackTo(body.data, (int)body.GetSize(), body);
    return FALSE;
}
