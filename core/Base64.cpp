// Base64 with the alphabet and its reverse in tables built once.
#include "core/Base64.h"

#include <cstdlib>

namespace {

const char ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

struct ReverseTable {
    signed char value[256];
    ReverseTable()
    {
        for (int i = 0; i < 256; ++i)
            value[i] = -1;
        for (int i = 0; i < 64; ++i)
            value[(unsigned char)ALPHABET[i]] = (signed char)i;
    }
};

const ReverseTable& Reverse()
{
    static const ReverseTable table;
    return table;
}

} // namespace

uint32_t Base64Encode(const BYTE* in, BYTE* out, uint32_t length)
{
    if (length == 0 || in == nullptr || out == nullptr)
        return 0;
    uint32_t o = 0;
    uint32_t i = 0;
    for (; i + 2 < length; i += 3) {
        uint32_t v = ((uint32_t)in[i] << 16) | ((uint32_t)in[i + 1] << 8) | in[i + 2];
        out[o++] = (BYTE)ALPHABET[v >> 18];
        out[o++] = (BYTE)ALPHABET[(v >> 12) & 63];
        out[o++] = (BYTE)ALPHABET[(v >> 6) & 63];
        out[o++] = (BYTE)ALPHABET[v & 63];
    }
    if (i < length) {
        uint32_t v = (uint32_t)in[i] << 16;
        if (i + 1 < length)
            v |= (uint32_t)in[i + 1] << 8;
        out[o++] = (BYTE)ALPHABET[v >> 18];
        out[o++] = (BYTE)ALPHABET[(v >> 12) & 63];
        out[o++] = i + 1 < length ? (BYTE)ALPHABET[(v >> 6) & 63] : (BYTE)'=';
        out[o++] = '=';
    }
    out[o] = 0;
    return o;
}

char Base64Char(int32_t n)
{
    return ALPHABET[abs(n % 64)];
}

int32_t Base64Decode(const char* in, uint32_t length, BYTE* out)
{
    if (in == nullptr || (length > 0 && out == nullptr))
        return -1;
    while (length > 0 && in[length - 1] == '=' && length % 4 != 1)
        --length;
    if (length % 4 == 1)
        return -1;
    const ReverseTable& reverse = Reverse();
    uint32_t o = 0;
    uint32_t bits = 0;
    int held = 0;
    for (uint32_t i = 0; i < length; ++i) {
        int v = reverse.value[(unsigned char)in[i]];
        if (v < 0)
            return -1;
        bits = (bits << 6) | (uint32_t)v;
        held += 6;
        if (held >= 8) {
            held -= 8;
            out[o++] = (BYTE)(bits >> held);
        }
    }
    return (int32_t)o;
}
