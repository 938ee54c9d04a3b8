// Feeds arbitrary packets to DecryptPacket; a result must lie within the packet and round-trip.
#include "core/PacketCipher.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char KEY[] = "Ab3+x/Qz9LmN0pRs";
    std::vector<BYTE> out(size > 8 ? size - 8 : 1);
    int n = DecryptPacket(KEY, data, (int)size, out.data());
    if (n >= 0) {
        if ((size_t)n > size - 8)
            __builtin_trap();
        if (n >= 16) {
            std::vector<BYTE> again((size_t)PacketSize(n));
            if (EncryptPacket(KEY, out.data(), n, again.data()) != PacketSize(n))
                __builtin_trap();
            std::vector<BYTE> back(again.size());
            if (DecryptPacket(KEY, again.data(), (int)again.size(), back.data()) != n ||
                memcmp(back.data(), out.data(), (size_t)n) != 0)
                __builtin_trap();
        }
    }
    return 0;
}
