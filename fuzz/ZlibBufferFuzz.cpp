// Feeds arbitrary bytes to the zlib body unpacker; a result must be exactly the announced size.
#include "core/ZlibBuffer.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CZlibBuffer zlib;
    BYTE* out = nullptr;
    int outLength = 0;
    zlib.Unpack(data, (int)size, &out, &outLength, 0);
    if (out) {
        DWORD announced = (DWORD)data[0] | ((DWORD)data[1] << 8) | ((DWORD)data[2] << 16) | ((DWORD)data[3] << 24);
        if ((DWORD)outLength != announced)
            __builtin_trap();
        volatile BYTE last = outLength > 0 ? out[outLength - 1] : 0;
        (void)last;
    }
    return 0;
}
