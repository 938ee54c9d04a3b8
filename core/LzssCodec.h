// Decoder of LZSS reply bodies (compression type 17): a 2048-byte ring whose first 2040 places start as
// spaces, writing from place 2040, 12-bit positions, lengths 3 to 18.
#pragma once

#include "core/GrowArray.h"
#include "platform/win/WinTypes.h"

#include <cstdint>

class CLzssCodec {
public:
    enum { RING_SIZE = 2048, RING_START = 2040 };
    // A decoded body may not grow past this; a stream that would is refused as a whole.
    static constexpr UINT MAX_OUTPUT = 64u * 1024u * 1024u;

    CLzssCodec();
    virtual ~CLzssCodec();

    // Decodes (direction 0) the whole input. Returns 0 for empty input (out values untouched) or for a
    // stream whose output would pass MAX_OUTPUT (out data null); else 1 with the output, which stays
    // valid until the next call.
    int Process(const BYTE* input, UINT length, BYTE** outData, int* outLength, int direction);
    // Decodes the stream held in `body` within the same block, grown to the decoded size: the packed bytes
    // move to the block's end and are read ahead of the output written from its start. TRUE with the decoded
    // bytes in `body` (and a zero past them, not counted); FALSE with `body` as it came for an empty result,
    // an output past MAX_OUTPUT, or no memory.
    BOOL ProcessInPlace(CByteBuffer& body);

private:
    // The decoded length of a whole stream, read from its flags and references alone.
    static uint64_t MeasureOutput(const BYTE* input, UINT length);
    // Writes the decoded stream to out, which takes exactly `size` bytes (as measured); false otherwise.
    bool Decode(const BYTE* input, UINT length, BYTE* out, UINT size);

    BYTE ring[RING_SIZE];
    CByteBuffer output{64};
};
