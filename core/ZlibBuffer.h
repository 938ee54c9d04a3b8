// Unpacking of zlib reply bodies (compression type 18): a little-endian u32 unpacked size, then a zlib stream.
#pragma once

#include "core/GrowArray.h"
#include "platform/win/WinTypes.h"

class CZlibBuffer {
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
    // The same into a block of its own handed to `out` (its old block freed; input may lie in it): TRUE, or
    // FALSE with `out` untouched, also for an empty result.
    static BOOL UnpackTo(const BYTE* input, int length, CByteBuffer& out);

private:
    void Release();

    CByteBuffer output{0};
};
