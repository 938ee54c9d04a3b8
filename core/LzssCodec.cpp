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
    if (direction == 0) {
        // One block of the decoded size (and the trailing zero): no doubling on the way, no copy when it grows.
        uint64_t size = MeasureOutput();
        complete = size <= MAX_OUTPUT && output.SetSize((UINT)size + 1) && output.SetSize(0) && Decode();
    }
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

bool CLzssCodec::FlushStaging()
{
    if (stagingCount == 0)
        return true;
    if (output.GetSize() + stagingCount > MAX_OUTPUT || !output.Append(staging, stagingCount))
        return false;
    stagingCount = 0;
    return true;
}

uint64_t CLzssCodec::MeasureOutput() const
{
    const BYTE* in = input;
    const BYTE* end = input + inputLength;
    uint64_t size = 0;
    UINT flags = 0;
    for (;;) {
        flags >>= 1;
        if ((flags & 0x100) == 0) {
            if (in == end)
                break;
            flags = (UINT)*in++ | 0xFF00;
        }
        if (flags & 1) {
            if (in == end)
                break;
            ++in;
            ++size;
        } else {
            if (end - in < 2)
                break;
            size += (in[1] & 0x0F) + 3;
            in += 2;
        }
    }
    return size;
}

bool CLzssCodec::Decode()
{
    memset(ring, ' ', RING_START);
    // The last eight places are not part of the preset; zero them so a reference into them is repeatable.
    memset(ring + RING_START, 0, RING_SIZE - RING_START);
    // The loop works on locals; the staging area goes to the output whenever the next item might not fit.
    const BYTE* in = input + inputPos;
    const BYTE* end = input + inputLength;
    UINT r = RING_START;
    UINT flags = 0;
    UINT staged = stagingCount;
    for (;;) {
        flags >>= 1;
        if ((flags & 0x100) == 0) {
            if (in == end)
                break;
            flags = (UINT)*in++ | 0xFF00;
        }
        if (flags & 1) {
            if (in == end)
                break;
            BYTE c = *in++;
            if (staged == STAGING_SIZE) {
                stagingCount = staged;
                if (!FlushStaging())
                    return false;
                staged = 0;
            }
            staging[staged++] = c;
            ring[r] = c;
            r = (r + 1) & (RING_SIZE - 1);
        } else {
            if (end - in < 2) {
                in = end; // a reference cut short is dropped
                break;
            }
            UINT b0 = in[0], b1 = in[1];
            in += 2;
            UINT pos = b0 | ((b1 & 0xF0) << 4);
            UINT len = (b1 & 0x0F) + 3;
            if (STAGING_SIZE - staged < len) {
                stagingCount = staged;
                if (!FlushStaging())
                    return false;
                staged = 0;
            }
            for (UINT k = 0; k < len; ++k) {
                BYTE c = ring[(pos + k) & (RING_SIZE - 1)];
                staging[staged++] = c;
                ring[r] = c;
                r = (r + 1) & (RING_SIZE - 1);
            }
        }
    }
    inputPos = (UINT)(in - input);
    stagingCount = staged;
    return FlushStaging();
}
