// CRC-32 by slicing (eight table lookups per 8-byte word). Long inputs run four independent lanes over four
// quarters of the data so that the processor overlaps their lookups, then join the lanes' checksums by
// polynomial arithmetic modulo the CRC polynomial (shifting a checksum past n zero bytes).
#include "core/Crc32.h"

namespace {

const uint32_t POLY = 0xEDB88320u;
const uint32_t LANES = 4;
const uint32_t MIN_LANE_BYTES = 256; // below this the joining costs more than the lanes save

// a * b modulo the polynomial, bit-reflected as the checksum itself.
uint32_t MultModP(uint32_t a, uint32_t b)
{
    uint32_t m = 1u << 31, p = 0;
    for (;;) {
        if (a & m) {
            p ^= b;
            if ((a & (m - 1)) == 0)
                break;
        }
        m >>= 1;
        b = (b & 1) ? (b >> 1) ^ POLY : b >> 1;
    }
    return p;
}

struct CrcTables {
    uint32_t t[8][256];
    uint32_t x2n[32]; // x^(2^n) modulo the polynomial
    CrcTables()
    {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? POLY ^ (c >> 1) : c >> 1;
            t[0][n] = c;
        }
        for (uint32_t n = 0; n < 256; ++n)
            for (int k = 1; k < 8; ++k)
                t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xff];
        uint32_t p = 1u << 30; // x^1
        for (int n = 0; n < 32; ++n) {
            x2n[n] = p;
            p = MultModP(p, p);
        }
    }

    // x^(8 * bytes) modulo the polynomial: the factor that moves a checksum past that many bytes.
    uint32_t ShiftFactor(uint32_t bytes) const
    {
        uint32_t p = 1u << 31; // x^0
        int k = 3;
        while (bytes) {
            if (bytes & 1)
                p = MultModP(x2n[k & 31], p);
            bytes >>= 1;
            ++k;
        }
        return p;
    }
};

const CrcTables& Tables()
{
    static const CrcTables tables;
    return tables;
}

inline uint32_t LoadLittle(const BYTE* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

inline uint32_t Word(const uint32_t (&t)[8][256], uint32_t c, const BYTE* p)
{
    uint32_t lo = c ^ LoadLittle(p);
    uint32_t hi = LoadLittle(p + 4);
    return t[7][lo & 0xff] ^ t[6][(lo >> 8) & 0xff] ^ t[5][(lo >> 16) & 0xff] ^ t[4][lo >> 24] ^ t[3][hi & 0xff] ^
           t[2][(hi >> 8) & 0xff] ^ t[1][(hi >> 16) & 0xff] ^ t[0][hi >> 24];
}

} // namespace

uint32_t Crc32(const BYTE* data, uint32_t length)
{
    if (data == nullptr)
        return 0;
    const CrcTables& tables = Tables();
    const auto& t = tables.t;
    uint32_t c = 0xFFFFFFFFu;

    if (length >= LANES * MIN_LANE_BYTES) {
        uint32_t lane = (length / LANES) & ~7u;
        uint32_t c0 = 0xFFFFFFFFu, c1 = 0xFFFFFFFFu, c2 = 0xFFFFFFFFu, c3 = 0xFFFFFFFFu;
        for (uint32_t i = 0; i < lane; i += 8) {
            c0 = Word(t, c0, data + i);
            c1 = Word(t, c1, data + lane + i);
            c2 = Word(t, c2, data + 2 * lane + i);
            c3 = Word(t, c3, data + 3 * lane + i);
        }
        uint32_t shift = tables.ShiftFactor(lane);
        uint32_t crc = ~c0;
        crc = MultModP(shift, crc) ^ ~c1;
        crc = MultModP(shift, crc) ^ ~c2;
        crc = MultModP(shift, crc) ^ ~c3;
        c = ~crc;
        data += LANES * lane;
        length -= LANES * lane;
    }
    while (length >= 8) {
        c = Word(t, c, data);
        data += 8;
        length -= 8;
    }
    while (length-- > 0)
        c = t[0][(c ^ *data++) & 0xff] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}
