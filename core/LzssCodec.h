// Decoder of LZSS reply bodies (compression type 17): a 2048-byte ring whose first 2040 places start as
// spaces, writing from place 2040, 12-bit positions, lengths 3 to 18.
#pragma once

#include "core/GrowArray.h"
#include "platform/win/WinTypes.h"

#include <cstdint>

class CLzssCodec
{
public:
    enum { RING_SIZE = 2048, RING_START = 2040, STAGING_SIZE = 4096 };
    // A decoded body may not grow past this; a stream that would is refused as a whole.
    static constexpr UINT MAX_OUTPUT = 64u * 1024u * 1024u;

    CLzssCodec();
    virtual ~CLzssCodec();

    // Decodes (direction 0) the whole input. Returns 0 for empty input (out values untouched) or for a
    // stream whose output would pass MAX_OUTPUT (out data null); else 1 with the output, which stays
    // valid until the next call.
    int Process(const BYTE* input, UINT length, BYTE** outData, int* outLength, int direction);

private:
    // The decoded length of the whole input, read from its flags and references alone.
    uint64_t MeasureOutput() const;
    bool Decode();
    bool FlushStaging();

    BYTE ring[RING_SIZE];
    const BYTE* input = nullptr;
    UINT inputPos = 0;
    UINT inputLength = 0;
    BYTE staging[STAGING_SIZE];
    UINT stagingCount = 0;
    CByteBuffer output{64};
};
