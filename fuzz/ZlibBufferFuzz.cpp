// zlib reply bodies (compression type 18) through the reply decoder, as the client receives them. The system's
// zlib is not instrumented, so the fuzzer learns from the code around it: the first byte's low bit picks the input
// as a packed body as it is (a u32 unpacked size, then a stream), or as a plain body that is packed here, perhaps
// enciphered, and then damaged as the second byte says (a flipped stream byte, a wrong size field, a cut), so that
// valid streams reach the decoder and the record-set parser. A result must be exactly the announced size, and an
// undamaged body must come back byte for byte.
#include "core/CipherFilter.h"
#include "core/CompressFilter.h"
#include "core/DataSet.h"
#include "core/ReplyDecoder.h"
#include "core/ZlibBuffer.h"
#include "server/BodyCodec.h"
#include "server/PacketCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char KEY[] = "Ab3+x/Qz9LmN0pRs";

enum Damage { NONE, FLIP, SIZE_UP, SIZE_DOWN, CUT, DAMAGE_COUNT };

DWORD AnnouncedSize(const std::string& packed)
{
    DWORD size = 0;
    for (int i = 0; i < 4 && i < (int)packed.size(); ++i)
        size |= (DWORD)(unsigned char)packed[(size_t)i] << (8 * i);
    return size;
}

// The body through the decoder as a reply of compression 18 (and cipher 36 when enciphered); the record sets
// of what comes out are read like a screen reads them.
std::string Decode(const std::string& body, bool enciphered)
{
    CCipherFilter cipher;
    CCompressFilter compress;
    CReplyDecoder decoder;
    decoder.SetCipherFilter(&cipher);
    decoder.SetCompressFilter(&compress);
    decoder.SetCipherType(enciphered ? 36 : 0);
    decoder.SetCompressType(18);
    decoder.SetKey(enciphered ? KEY : nullptr);
    decoder.SetInput(reinterpret_cast<const BYTE*>(body.data()), (int)body.size());
    int length = 0;
    const BYTE* out = decoder.Finish(1, &length);
    if (out == nullptr || length <= 0)
        return std::string();
    CDataSet** sets = nullptr;
    int count = ParseDataSets(out, (DWORD)length, &sets);
    for (int i = 0; i < count; ++i) {
        for (sets[i]->MoveFirst(); !sets[i]->IsEOF(); sets[i]->MoveNext())
            for (int f = 0; f < sets[i]->GetFieldCount(); ++f)
                sets[i]->GetAsText(f);
        delete sets[i];
    }
    free(sets);
    return std::string(reinterpret_cast<const char*>(out), (size_t)length);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size > 256 * 1024)
        return 0;
    std::string rest(reinterpret_cast<const char*>(data + 2), size - 2);
    if ((data[0] & 1) == 0) {
        CZlibBuffer zlib;
        BYTE* out = nullptr;
        int outLength = 0;
        zlib.Unpack(reinterpret_cast<const BYTE*>(rest.data()), (int)rest.size(), &out, &outLength, 0);
        if (out != nullptr && (rest.size() < 4 || (DWORD)outLength != AnnouncedSize(rest)))
            __builtin_trap();
        // A body that does not unpack goes on as it came (the record sets then say it is unreadable).
        std::string decoded = Decode(rest, false);
        if (decoded != rest && decoded.size() != AnnouncedSize(rest))
            __builtin_trap();
        return 0;
    }

    std::string packed = ZlibPack(rest);
    if (packed.size() <= 4)
        return 0;
    size_t where = 4 + (size_t)data[1] * 7919 % (packed.size() - 4);
    switch ((data[1] >> 5) % DAMAGE_COUNT) {
    case FLIP:
        packed[where] = (char)(packed[where] ^ (1 + (data[0] >> 1)));
        break;
    case SIZE_UP:
        packed[0] = (char)(packed[0] + 1);
        break;
    case SIZE_DOWN:
        packed[0] = (char)(packed[0] - 1);
        break;
    case CUT:
        packed.resize(where);
        break;
    default:
        break;
    }
    bool enciphered = (data[0] & 2) != 0;
    std::string body = enciphered ? SealPacket(KEY, packed) : packed;
    if (body.empty())
        return 0; // too short to seal
    std::string decoded = Decode(body, enciphered);
    if ((data[1] >> 5) % DAMAGE_COUNT == NONE && decoded != rest && !rest.empty())
        __builtin_trap(); // a good body must come back as it was sent
    return 0;
}
