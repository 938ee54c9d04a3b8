// MD5: the four rounds of RFC 1321 over 64-byte blocks, little-endian words.
#include "core/Md5.h"

#include <cstring>

namespace {

inline uint32_t Rotl(uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

inline uint32_t LoadLittle(const BYTE* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

const uint32_t SINES[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

const int SHIFTS[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

void Transform(uint32_t state[4], const BYTE block[64])
{
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = LoadLittle(block + 4 * i);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; ++i) {
        uint32_t f;
        int g;
        switch (i / 16) {
        case 0:
            f = (b & c) | (~b & d);
            g = i;
            break;
        case 1:
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
            break;
        case 2:
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
            break;
        default:
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
            break;
        }
        uint32_t next = b + Rotl(a + f + SINES[i] + x[g], SHIFTS[i / 16][i % 4]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

} // namespace

void MD5Init(MD5Context* context)
{
    context->count[0] = context->count[1] = 0;
    context->state[0] = 0x67452301;
    context->state[1] = 0xefcdab89;
    context->state[2] = 0x98badcfe;
    context->state[3] = 0x10325476;
    memset(context->buffer, 0, sizeof context->buffer);
}

void MD5Update(MD5Context* context, const BYTE* input, uint32_t length)
{
    if (input == nullptr || length == 0)
        return;
    uint32_t used = (context->count[0] >> 3) & 63;
    uint32_t before = context->count[0];
    context->count[0] += length << 3;
    if (context->count[0] < before)
        context->count[1]++;
    context->count[1] += length >> 29;

    uint32_t room = 64 - used;
    uint32_t i = 0;
    if (length >= room) {
        memcpy(context->buffer + used, input, room);
        Transform(context->state, context->buffer);
        for (i = room; i + 63 < length; i += 64)
            Transform(context->state, input + i);
        used = 0;
    }
    memcpy(context->buffer + used, input + i, length - i);
}

void MD5Final(MD5Context* context, BYTE digest[16])
{
    BYTE bits[8];
    for (int i = 0; i < 4; ++i) {
        bits[i] = (BYTE)(context->count[0] >> (8 * i));
        bits[i + 4] = (BYTE)(context->count[1] >> (8 * i));
    }
    static const BYTE padding[64] = {0x80};
    uint32_t used = (context->count[0] >> 3) & 63;
    uint32_t padLength = used < 56 ? 56 - used : 120 - used;
    MD5Update(context, padding, padLength);
    MD5Update(context, bits, 8);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            digest[4 * i + j] = (BYTE)(context->state[i] >> (8 * j));
    memset(context, 0, sizeof *context);
}
