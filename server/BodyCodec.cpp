// Reply body packing: LZSS in the client's ring layout, and zlib with a size prefix.
#include "server/BodyCodec.h"

#include <cstdint>
#include <vector>
#include <zlib.h>

namespace {

constexpr int RING = 2048;
constexpr int START = 2040; // first write position; everything before it starts as spaces
constexpr int MIN_MATCH = 3;
constexpr int MAX_MATCH = 18;
constexpr int HASH_SIZE = 4096;

int Hash3(const unsigned char* p)
{
    return ((p[0] << 4) ^ (p[1] << 2) ^ p[2]) & (HASH_SIZE - 1);
}

// The longest earlier match (up to MAX_MATCH bytes, within the ring) of the history h at v, through the hash chains
// head and prev; its length, and its index in *bestPos.
int LongestMatch(const std::vector<unsigned char>& h, const std::vector<int>& head, const std::vector<int>& prev,
                 size_t v, size_t* bestPos)
{
    const size_t total = h.size();
    int bestLen = 0;
    if (v + MIN_MATCH <= total) {
        int limit = static_cast<int>(std::min<size_t>(MAX_MATCH, total - v));
        int chain = 0;
        for (int cand = head[Hash3(&h[v])]; cand >= 0 && chain < 256; cand = prev[cand], ++chain) {
            size_t c = static_cast<size_t>(cand);
            if (c >= v)
                continue;
            if (v - c > RING)
                break; // the chain runs back in time; everything further is out of the ring
            int len = 0;
            while (len < limit && h[c + len] == h[v + len])
                ++len;
            if (len > bestLen) {
                bestLen = len;
                *bestPos = c;
                if (len == limit)
                    break;
            }
        }
    }
    return bestLen;
}

} // namespace

std::string LzssEncode(const std::string& plain)
{
    // The encoder works on a virtual history: START spaces, then the input. Virtual index v sits at ring
    // position v mod RING, and a reference may name any index of the last RING bytes before the current one.
    const size_t n = plain.size();
    std::vector<unsigned char> h(START + n);
    for (int i = 0; i < START; ++i)
        h[i] = ' ';
    for (size_t i = 0; i < n; ++i)
        h[START + i] = static_cast<unsigned char>(plain[i]);
    const size_t total = h.size();

    std::vector<int> head(HASH_SIZE, -1);
    std::vector<int> prev(total, -1);
    auto insert = [&](size_t v) {
        if (v + MIN_MATCH > total)
            return;
        int k = Hash3(&h[v]);
        prev[v] = head[k];
        head[k] = static_cast<int>(v);
    };
    for (size_t v = 0; v + MIN_MATCH <= START; ++v)
        insert(v);
    // The spaces right before the start are still in the ring; keep their hashes too where they reach it.
    for (size_t v = START - MIN_MATCH + 1; v < START; ++v)
        insert(v);

    std::string out;
    out.reserve(n + n / 8 + 16);
    size_t flagPos = 0;
    int itemCount = 8;
    unsigned char flags = 0;

    size_t v = START;
    while (v < total) {
        if (itemCount == 8) {
            if (!out.empty() || flagPos)
                out[flagPos] = static_cast<char>(flags);
            flagPos = out.size();
            out += '\0';
            flags = 0;
            itemCount = 0;
        }
        size_t bestPos = 0;
        int bestLen = LongestMatch(h, head, prev, v, &bestPos);
        if (bestLen >= MIN_MATCH) {
            int p = static_cast<int>(bestPos % RING);
            out += static_cast<char>(p & 0xFF);
            out += static_cast<char>(((p >> 8) << 4) | (bestLen - MIN_MATCH));
            for (int k = 0; k < bestLen; ++k)
                insert(v + k);
            v += static_cast<size_t>(bestLen);
        } else {
            flags |= static_cast<unsigned char>(1u << itemCount);
            out += static_cast<char>(h[v]);
            insert(v);
            ++v;
        }
        ++itemCount;
    }
    if (!out.empty())
        out[flagPos] = static_cast<char>(flags);
    return out;
}

std::string LzssDecode(const std::string& packed)
{
    unsigned char ring[RING];
    for (int i = 0; i < RING; ++i)
        ring[i] = i < START ? ' ' : 0;
    int r = START;
    std::string out;
    size_t i = 0;
    unsigned flags = 0;
    const size_t n = packed.size();
    for (;;) {
        flags >>= 1;
        if (!(flags & 0x100)) {
            if (i >= n)
                break;
            flags = static_cast<unsigned char>(packed[i++]) | 0xFF00;
        }
        if (flags & 1) {
            if (i >= n)
                break;
            unsigned char c = static_cast<unsigned char>(packed[i++]);
            out += static_cast<char>(c);
            ring[r] = c;
            r = (r + 1) % RING;
        } else {
            if (i + 1 >= n)
                break;
            int b0 = static_cast<unsigned char>(packed[i++]);
            int b1 = static_cast<unsigned char>(packed[i++]);
            int p = b0 + ((b1 & 0xF0) << 4);
            int len = (b1 & 0x0F) + MIN_MATCH;
            for (int k = 0; k < len; ++k) {
                unsigned char c = ring[(p + k) % RING];
                out += static_cast<char>(c);
                ring[r] = c;
                r = (r + 1) % RING;
            }
        }
    }
    return out;
}

std::string ZlibPack(const std::string& plain, int level)
{
    // A window no larger than the body needs (zlib takes 2^9 to 2^15 bytes): a small body then sets up no tables
    // of the size a large one needs. Any inflater reads the smaller window from the stream's header.
    int windowBits = 9;
    while (windowBits < 15 && (size_t(1) << windowBits) < plain.size())
        ++windowBits;
    z_stream z = {};
    if (deflateInit2(&z, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return std::string();
    uLong bound = deflateBound(&z, static_cast<uLong>(plain.size()));
    std::string out(4 + bound, '\0');
    uint32_t size = static_cast<uint32_t>(plain.size());
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    z.avail_in = static_cast<uInt>(plain.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[4]);
    z.avail_out = static_cast<uInt>(bound);
    int result = deflate(&z, Z_FINISH);
    size_t packed = z.total_out;
    deflateEnd(&z);
    if (result != Z_STREAM_END)
        return std::string();
    out.resize(4 + packed);
    return out;
}

bool ZlibUnpack(const std::string& packed, std::string& plain)
{
    plain.clear();
    if (packed.size() <= 4)
        return false;
    uint32_t size = 0;
    for (int i = 0; i < 4; ++i)
        size |= static_cast<uint32_t>(static_cast<unsigned char>(packed[i])) << (8 * i);
    if (size > 64u * 1024 * 1024)
        return false;
    plain.resize(size);
    uLongf got = size;
    int r = uncompress(reinterpret_cast<Bytef*>(plain.data()), &got, reinterpret_cast<const Bytef*>(packed.data() + 4),
                       static_cast<uLong>(packed.size() - 4));
    if (r != Z_OK || got != size) {
        plain.clear();
        return false;
    }
    return true;
}
