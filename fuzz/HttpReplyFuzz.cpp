// Feeds an arbitrary reply to the HTTP reply reader in pieces; the first input byte seeds the cut points.
#include "core/HttpReplyReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    uint32_t seed = data[0] * 2654435761u + 1;
    const uint8_t* reply = data + 1;
    size_t left = size - 1;
    CHttpReplyReader reader;
    CByteBuffer body(64);
    int result = CHttpReplyReader::NEED_MORE;
    while (left > 0 && result == CHttpReplyReader::NEED_MORE) {
        seed = seed * 1103515245u + 12345u;
        size_t piece = 1 + (seed >> 16) % 64;
        if (piece > left)
            piece = left;
        result = reader.Feed(reply, (int)piece, body);
        reply += piece;
        left -= piece;
    }
    if (body.GetSize() > CHttpReplyReader::MAX_BODY + 4096)
        __builtin_trap();
    return 0;
}
