// Unpacking of zlib reply bodies (compression type 18): a little-endian u32 unpacked size, then a zlib stream.
#pragma once

#include "platform/win/WinTypes.h"

class CZlibBuffer
{
public:
    // A size field above this is refused before anything is allocated.
    static constexpr DWORD MAX_UNPACKED = 64u * 1024u * 1024u;

    CZlibBuffer() = default;
    ~CZlibBuffer();
    CZlibBuffer(const CZlibBuffer&) = delete;
    CZlibBuffer& operator=(const CZlibBuffer&) = delete;

    // Direction 0 only. On success out = the unpacked body (owned here, valid until the next call) and its
    // size; otherwise out data null and length 0. Success needs the stream to unpack to exactly the size field.
    void Unpack(const BYTE* input, int length, BYTE** outData, int* outLength, int direction);

private:
    void Release();

    BYTE* data = nullptr;
    DWORD size = 0;
};
