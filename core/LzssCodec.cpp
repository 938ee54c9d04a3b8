// LZSS decoding of reply bodies, staged through a 4096-byte area into the output buffer.
#include "core/LzssCodec.h"

#include <cstring>

namespace {

// Walks the items of a stream: a flag byte, then per bit a literal byte (bit set) or a two-byte ring reference
// (12-bit position, length 3 to 18). literal(byte) and reference(position, length) return false to stop the
// walk, which then gives null; otherwise the position reached (a reference cut short is dropped).
template <class Literal, class Reference>
const BYTE* WalkItems(const BYTE* in, const BYTE* end, Literal literal, Reference reference)
{
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
            if (!literal(*in++))
                return nullptr;
        } else {
            if (end - in < 2)
                return end;
            UINT b0 = in[0], b1 = in[1];
            in += 2;
            if (!reference(b0 | ((b1 & 0xF0) << 4), (b1 & 0x0F) + 3))
                return nullptr;
        }
    }
    return in;
}

} // namespace

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
    uint64_t size = 0;
    WalkItems(
        input, input + inputLength,
        [&](BYTE) {
            ++size;
            return true;
        },
        [&](UINT, UINT length) {
            size += length;
            return true;
        });
    return size;
}

bool CLzssCodec::Decode()
{
    memset(ring, ' ', RING_START);
    // The last eight places are not part of the preset; zero them so a reference into them is repeatable.
    memset(ring + RING_START, 0, RING_SIZE - RING_START);
    // The walk works on locals; the staging area goes to the output whenever the next item might not fit.
    UINT r = RING_START;
    UINT staged = stagingCount;
    auto flushIfBelow = [&](UINT room) {
        if (STAGING_SIZE - staged >= room)
            return true;
        stagingCount = staged;
        if (!FlushStaging())
            return false;
        staged = 0;
        return true;
    };
    const BYTE* reached = WalkItems(
        input + inputPos, input + inputLength,
        [&](BYTE c) {
            if (!flushIfBelow(1))
                return false;
            staging[staged++] = c;
            ring[r] = c;
            r = (r + 1) & (RING_SIZE - 1);
            return true;
        },
        [&](UINT pos, UINT len) {
            if (!flushIfBelow(len))
                return false;
            for (UINT k = 0; k < len; ++k) {
                BYTE c = ring[(pos + k) & (RING_SIZE - 1)];
                staging[staged++] = c;
                ring[r] = c;
                r = (r + 1) & (RING_SIZE - 1);
            }
            return true;
        });
    if (reached == nullptr)
        return false;
    inputPos = (UINT)(reached - input);
    stagingCount = staged;
    return FlushStaging();
}
