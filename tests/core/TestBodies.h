// Reply bodies as the server builds them, for tests, fuzz seeds and the benchmark: a small greedy LZSS encoder
// for the 2048-byte ring form (type 17) and zlib bodies with their size field (type 18).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include <zlib.h>

inline std::vector<uint8_t> LzssTestEncode(const uint8_t* data, size_t size)
{
    const size_t N = 2048, START = 2040, MIN = 3, MAX = 18, WAYS = 8;
    std::vector<uint8_t> ring(N, ' ');
    std::memset(ring.data() + START, 0, N - START);
    // Candidate ring places by the hash of three bytes; place 0 (spaces) is always a candidate.
    std::vector<uint32_t> heads(4096 * WAYS, 0);
    std::vector<uint8_t> out;
    size_t r = START, i = 0;
    auto hashAt = [&](size_t at) { return ((data[at] * 33u + data[at + 1]) * 33u + data[at + 2]) & 4095u; };
    auto matchLen = [&](size_t p, size_t limit) {
        size_t len = 0;
        while (len < limit) {
            size_t q = (p + len) % N;
            size_t written = (q + N - r) % N; // places r.. are overwritten by this very match
            uint8_t c = written < len ? data[i + written] : ring[q];
            if (c != data[i + len])
                break;
            ++len;
        }
        return len;
    };
    while (i < size) {
        size_t flagAt = out.size();
        out.push_back(0);
        for (int bit = 0; bit < 8 && i < size; ++bit) {
            size_t limit = size - i < MAX ? size - i : MAX;
            size_t bestLen = 0, bestPos = 0;
            if (limit >= MIN) {
                uint32_t* ways = &heads[hashAt(i) * WAYS];
                for (size_t w = 0; w <= WAYS; ++w) {
                    size_t p = w < WAYS ? ways[w] : 0;
                    size_t len = matchLen(p, limit);
                    if (len > bestLen) {
                        bestLen = len;
                        bestPos = p;
                    }
                }
            }
            size_t take = bestLen >= MIN ? bestLen : 1;
            if (bestLen >= MIN) {
                out.push_back((uint8_t)(bestPos & 0xFF));
                out.push_back((uint8_t)(((bestPos >> 4) & 0xF0) | (bestLen - MIN)));
            } else {
                out[flagAt] |= (uint8_t)(1u << bit);
                out.push_back(data[i]);
            }
            for (size_t k = 0; k < take; ++k) {
                if (i + k + 2 < size) {
                    uint32_t* ways = &heads[hashAt(i + k) * WAYS];
                    std::memmove(ways + 1, ways, (WAYS - 1) * sizeof(uint32_t));
                    ways[0] = (uint32_t)r;
                }
                ring[r] = data[i + k];
                r = (r + 1) % N;
            }
            i += take;
        }
    }
    return out;
}

// A zlib body: u32 size field (little-endian), then the zlib stream of plain.
inline std::vector<uint8_t> ZlibTestBody(const std::string& plain, uint32_t sizeField)
{
    uLongf packedSize = compressBound((uLong)plain.size());
    std::vector<uint8_t> body(4 + packedSize);
    compress(body.data() + 4, &packedSize, (const Bytef*)plain.data(), (uLong)plain.size());
    body.resize(4 + packedSize);
    for (int i = 0; i < 4; ++i)
        body[i] = (uint8_t)(sizeField >> (8 * i));
    return body;
}
