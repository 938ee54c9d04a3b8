// The server's LZSS encoder must produce streams that the client's decoder turns back into the input.
#include "core/LzssCodec.h"
#include "server/BodyCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string plain(reinterpret_cast<const char*>(data), size);
    std::string packed = LzssEncode(plain);
    if (plain.empty())
        return packed.empty() ? 0 : (std::abort(), 0);
    static CLzssCodec codec; // reused, as the client reuses its decoder
    BYTE* out = nullptr;
    int n = 0;
    if (!codec.Process(reinterpret_cast<const BYTE*>(packed.data()), static_cast<UINT>(packed.size()), &out, &n, 0))
        std::abort();
    if (static_cast<size_t>(n) != plain.size() ||
        std::string(reinterpret_cast<const char*>(out), plain.size()) != plain)
        std::abort();
    return 0;
}
