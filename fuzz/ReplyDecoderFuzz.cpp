// Runs arbitrary bodies through the whole reply pipeline; the first two bytes pick the cipher and compression
// types so every stage combination is reached.
#include "core/CipherFilter.h"
#include "core/CompressFilter.h"
#include "core/ReplyDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    static const int CIPHERS[4] = {0, 36, -1, 7};
    static const int COMPRESSIONS[4] = {0, 17, 18, -1};
    CCipherFilter cipher;
    CCompressFilter compress;
    CReplyDecoder decoder;
    decoder.SetCipherFilter(&cipher);
    decoder.SetCompressFilter(&compress);
    decoder.SetCipherType(CIPHERS[data[0] & 3]);
    decoder.SetCompressType(COMPRESSIONS[data[1] & 3]);
    decoder.SetKey((data[0] & 4) ? "Ab3+x/Qz9LmN0pRs" : nullptr);
    decoder.SetInput(data + 2, (int)size - 2);
    int length = 0;
    const BYTE* out = decoder.Finish(1, &length);
    if ((out == nullptr) != (size == 2) || length < 0)
        __builtin_trap();
    // A packet deciphered where it lies and found damaged is enciphered back: the body goes on as it came.
    if (size > 2 && CIPHERS[data[0] & 3] == 36 && COMPRESSIONS[data[1] & 3] == 0 && length == (int)size - 2 &&
        memcmp(out, data + 2, size - 2) != 0)
        __builtin_trap();
    return 0;
}
