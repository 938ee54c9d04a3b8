// LZSS decoding of reply bodies, staged through a 4096-byte area into the output buffer.
#include "core/LzssCodec.h"

#include <cstring>

CLzssCodec::CLzssCodec() = default;

CLzssCodec::~CLzssCodec() = default;

int CLzssCodec::Process(const BYTE* data, UINT length, BYTE** outData, int* outLength, int direction)
{
    stagingCount = 0;
    inputPos = 0;
    output.SetSize(0);
    if (length == 0)
        return 0;
    input = data;
    inputLength = data ? length : 0;
    bool complete = true;
    if (direction == 0)
        complete = Decode();
    input = nullptr;
    if (!complete) {
        output.SetSize(0);
        if (outData)
            *outData = nullptr;
        if (outLength)
            *outLength = 0;
        return 0;
    }
    int decoded = (int)output.GetSize();
    // A trailing zero lets callers read a text body in place; it is not counted.
    const BYTE zero = 0;
    if (!output.Append(&zero, 1)) {
        output.SetSize(0);
        if (outData)
            *outData = nullptr;
        if (outLength)
            *outLength = 0;
        return 0;
    }
    if (outData)
        *outData = output.data;
    if (outLength)
        *outLength = decoded;
    return 1;
}

int CLzssCodec::ReadByte()
{
    if (inputPos >= inputLength)
        return -1;
    return input[inputPos++];
}

bool CLzssCodec::FlushStaging()
{
    if (stagingCount == 0)
        return true;
    if (output.GetSize() + stagingCount > MAX_OUTPUT || !output.Append(staging, stagingCount))
        return false;
    stagingCount = 0;
    return true;
}

bool CLzssCodec::PutByte(BYTE c)
{
    if (stagingCount == STAGING_SIZE && !FlushStaging())
        return false;
    staging[stagingCount++] = c;
    return true;
}

bool CLzssCodec::Decode()
{
    memset(ring, ' ', RING_START);
    // The last eight places are not part of the preset; zero them so a reference into them is repeatable.
    memset(ring + RING_START, 0, RING_SIZE - RING_START);
    UINT r = RING_START;
    UINT flags = 0;
    for (;;) {
        flags >>= 1;
        if ((flags & 0x100) == 0) {
            int c = ReadByte();
            if (c < 0)
                break;
            flags = (UINT)c | 0xFF00;
        }
        if (flags & 1) {
            int c = ReadByte();
            if (c < 0)
                break;
            if (!PutByte((BYTE)c))
                return false;
            ring[r] = (BYTE)c;
            r = (r + 1) & (RING_SIZE - 1);
        } else {
            int b0 = ReadByte();
            if (b0 < 0)
                break;
            int b1 = ReadByte();
            if (b1 < 0)
                break;
            UINT pos = (UINT)b0 | (((UINT)b1 & 0xF0) << 4);
            UINT len = ((UINT)b1 & 0x0F) + 3;
            for (UINT k = 0; k < len; ++k) {
                BYTE c = ring[(pos + k) & (RING_SIZE - 1)];
                if (!PutByte(c))
                    return false;
                ring[r] = c;
                r = (r + 1) & (RING_SIZE - 1);
            }
        }
    }
    return FlushStaging();
}
