// LZSS decoding of reply bodies into a block of the measured decoded size.
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
    output.SetSize(0);
    if (length == 0)
        return 0;
    UINT decoded = 0;
    if (direction == 0 && data) {
        // One block of the decoded size and the trailing zero: no growing on the way.
        uint64_t size = MeasureOutput(data, length);
        bool complete = size <= MAX_OUTPUT;
        if (complete && output.capacity < size + 1) {
            output = CByteBuffer((UINT)size + 1);
            complete = output.data != nullptr;
        }
        if (!complete || !Decode(data, length, output.data, (UINT)size)) {
            output.SetSize(0);
            if (outData)
                *outData = nullptr;
            if (outLength)
                *outLength = 0;
            return 0;
        }
        decoded = (UINT)size;
    }
    // A trailing zero lets callers read a text body in place; it is not counted.
    if (output.capacity <= decoded && !output.Resize(decoded + 1)) {
        if (outData)
            *outData = nullptr;
        if (outLength)
            *outLength = 0;
        return 0;
    }
    output.data[decoded] = 0;
    output.SetSize(decoded);
    if (outData)
        *outData = output.data;
    if (outLength)
        *outLength = (int)decoded;
    return 1;
}

BOOL CLzssCodec::ProcessInPlace(CByteBuffer& body)
{
    UINT packed = body.GetSize();
    if (packed == 0 || !body.data)
        return FALSE;
    uint64_t size = MeasureOutput(body.data, packed);
    if (size == 0 || size > MAX_OUTPUT)
        return FALSE;
    // Reading falls behind writing by at most the flag bytes still to come (one per eight items of at least
    // one byte each) and a cut-off reference: this much room past the output keeps unread bytes unwritten.
    uint64_t margin = packed / 8 + 16;
    uint64_t total = size + 1 + margin > packed ? size + 1 + margin : packed;
    if (total > 0x7FFFFFFF || !body.Resize((UINT)total))
        return FALSE;
    BYTE* moved = body.data + (total - packed);
    memmove(moved, body.data, packed);
    // Cannot fail now: the walk is the one measured, and Decode stops before any write past `size`.
    Decode(moved, packed, body.data, (UINT)size);
    body.data[size] = 0;
    body.SetSize((UINT)size);
    // The packed bytes' room is given back.
    body.Resize((UINT)size + 1);
    return TRUE;
}

uint64_t CLzssCodec::MeasureOutput(const BYTE* input, UINT length)
{
    uint64_t size = 0;
    WalkItems(
        input, input + length,
        [&](BYTE) {
            ++size;
            return true;
        },
        [&](UINT, UINT itemLength) {
            size += itemLength;
            return true;
        });
    return size;
}

bool CLzssCodec::Decode(const BYTE* input, UINT length, BYTE* out, UINT size)
{
    memset(ring, ' ', RING_START);
    // The last eight places are not part of the preset; zero them so a reference into them is repeatable.
    memset(ring + RING_START, 0, RING_SIZE - RING_START);
    UINT r = RING_START;
    UINT written = 0;
    const BYTE* reached = WalkItems(
        input, input + length,
        [&](BYTE c) {
            if (written >= size)
                return false;
            out[written++] = c;
            ring[r] = c;
            r = (r + 1) & (RING_SIZE - 1);
            return true;
        },
        [&](UINT pos, UINT len) {
            if (size - written < len)
                return false;
            for (UINT k = 0; k < len; ++k) {
                BYTE c = ring[(pos + k) & (RING_SIZE - 1)];
                out[written++] = c;
                ring[r] = c;
                r = (r + 1) & (RING_SIZE - 1);
            }
            return true;
        });
    return reached != nullptr && written == size;
}
