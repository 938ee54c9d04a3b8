// Feeds arbitrary bytes to the LZSS decoder; the output must be terminated and stay within its cap.
#include "core/LzssCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CLzssCodec codec;
    BYTE* out = nullptr;
    int outLength = 0;
    if (codec.Process(data, (UINT)size, &out, &outLength, 0) == 1) {
        if (!out || outLength < 0 || out[outLength] != 0)
            __builtin_trap();
        // Each input byte yields at most 18 output bytes.
        if ((size_t)outLength > size * 18)
            __builtin_trap();
    }
    return 0;
}
