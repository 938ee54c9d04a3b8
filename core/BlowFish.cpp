// Blowfish: key schedule, block functions and the three chaining modes.
#include "core/BlowFish.h"
#include "core/BlowFishPi.h"

#include <cstring>

namespace {

inline uint32_t LoadBig(const BYTE* p)
{
    return ((uint32_t)p[0] << 24) | ((uint32_t)p[1] << 16) | ((uint32_t)p[2] << 8) | (uint32_t)p[3];
}

inline void StoreBig(BYTE* p, uint32_t v)
{
    p[0] = (BYTE)(v >> 24);
    p[1] = (BYTE)(v >> 16);
    p[2] = (BYTE)(v >> 8);
    p[3] = (BYTE)v;
}

inline uint32_t F(const uint32_t (&S)[4][256], uint32_t x)
{
    return ((S[0][x >> 24] + S[1][(x >> 16) & 0xff]) ^ S[2][(x >> 8) & 0xff]) + S[3][x & 0xff];
}

// One half round: the key word is folded into the half before F is known, so that only F's own steps wait on the
// other half.
inline uint32_t Round(const uint32_t (&S)[4][256], uint32_t half, uint32_t key, uint32_t other)
{
    return (half ^ key) ^ F(S, other);
}

// Enciphers a block. The key schedule's 521 encryptions run through here one after the other, each waiting on the
// last: a round costs a table look-up and the four steps after it, with nothing else on that path.
inline void Encipher(const uint32_t (&S)[4][256], const uint32_t* P, uint32_t& left, uint32_t& right)
{
    uint32_t l = left ^ P[0], r = right;
    for (int i = 1; i <= 16; i += 2) {
        r = Round(S, r, P[i], l);
        l = Round(S, l, P[i + 1], r);
    }
    left = r ^ P[17];
    right = l;
}

// Blocks deciphered side by side where no chain links them (CBC and ECB deciphering).
constexpr uint32_t LANES = 6;

// Deciphers LANES blocks round by round: the table look-ups of one block wait on its own previous round, and the
// other blocks fill that wait.
inline void DecipherLanes(const uint32_t (&S)[4][256], const uint32_t* P, uint32_t (&l)[LANES], uint32_t (&r)[LANES])
{
    for (uint32_t j = 0; j < LANES; ++j)
        l[j] ^= P[17];
    for (int i = 16; i >= 1; i -= 2) {
#pragma GCC unroll 8
        for (uint32_t j = 0; j < LANES; ++j)
            r[j] = Round(S, r[j], P[i], l[j]);
#pragma GCC unroll 8
        for (uint32_t j = 0; j < LANES; ++j)
            l[j] = Round(S, l[j], P[i - 1], r[j]);
    }
    for (uint32_t j = 0; j < LANES; ++j) {
        uint32_t left = r[j] ^ P[0];
        r[j] = l[j];
        l[j] = left;
    }
}

} // namespace

CBlowFish::CBlowFish(const char* key, uint32_t keyLength, const BYTE* iv)
{
    if (iv != nullptr)
        memcpy(initialVector, iv, 8);
    else
        memset(initialVector, 0, 8);
    memcpy(chain, initialVector, 8);
    memcpy(P, BLOWFISH_PI_P, sizeof P);
    memcpy(S, BLOWFISH_PI_S, sizeof S);

    if (keyLength > MAX_KEY_BYTES)
        keyLength = MAX_KEY_BYTES;
    if (key != nullptr && keyLength > 0) {
        uint32_t k = 0;
        for (int i = 0; i < 18; ++i) {
            uint32_t word = 0;
            for (int j = 0; j < 4; ++j) {
                word = (word << 8) | (BYTE)key[k];
                k = (k + 1 == keyLength) ? 0 : k + 1;
            }
            P[i] ^= word;
        }
    }

    uint32_t left = 0, right = 0;
    for (int i = 0; i < 18; i += 2) {
        EncryptBlock(&left, &right);
        P[i] = left;
        P[i + 1] = right;
    }
    // P is final from here on; a local copy spares re-reading it after every store into the S-boxes.
    uint32_t p[18];
    memcpy(p, P, sizeof p);
    for (int box = 0; box < 4; ++box) {
        for (int i = 0; i < 256; i += 2) {
            Encipher(S, p, left, right);
            S[box][i] = left;
            S[box][i + 1] = right;
        }
    }
}

void CBlowFish::EncryptBlock(uint32_t* left, uint32_t* right) const
{
    Encipher(S, P, *left, *right);
}

void CBlowFish::DecryptBlock(uint32_t* left, uint32_t* right) const
{
    uint32_t l = *left ^ P[17], r = *right;
    for (int i = 16; i >= 1; i -= 2) {
        r = Round(S, r, P[i], l);
        l = Round(S, l, P[i - 1], r);
    }
    *left = r ^ P[0];
    *right = l;
}

void CBlowFish::Encrypt(const BYTE* in, BYTE* out, uint32_t length, int32_t mode)
{
    uint32_t blocks = length / 8;
    memcpy(chain, initialVector, 8);
    uint32_t cl = LoadBig(chain), cr = LoadBig(chain + 4);
    for (uint32_t b = 0; b < blocks; ++b, in += 8, out += 8) {
        uint32_t l = LoadBig(in), r = LoadBig(in + 4);
        if (mode == MODE_CBC) {
            l ^= cl;
            r ^= cr;
            EncryptBlock(&l, &r);
            cl = l;
            cr = r;
        } else if (mode == MODE_CFB) {
            EncryptBlock(&cl, &cr);
            l ^= cl;
            r ^= cr;
            cl = l;
            cr = r;
        } else {
            EncryptBlock(&l, &r);
        }
        StoreBig(out, l);
        StoreBig(out + 4, r);
    }
}

void CBlowFish::Decrypt(const BYTE* in, BYTE* out, uint32_t length, int32_t mode)
{
    uint32_t blocks = length / 8, b = 0;
    memcpy(chain, initialVector, 8);
    uint32_t cl = LoadBig(chain), cr = LoadBig(chain + 4);
    if (mode != MODE_CFB) {
        // CBC and ECB decipher every block from its own cipher text: LANES at a time, all read before any is
        // written, since out may be in.
        for (; b + LANES <= blocks; b += LANES, in += 8 * LANES, out += 8 * LANES) {
            uint32_t l[LANES], r[LANES], cipherL[LANES], cipherR[LANES];
            for (uint32_t k = 0; k < LANES; ++k) {
                l[k] = cipherL[k] = LoadBig(in + 8 * k);
                r[k] = cipherR[k] = LoadBig(in + 8 * k + 4);
            }
            DecipherLanes(S, P, l, r);
            for (uint32_t k = 0; k < LANES; ++k) {
                if (mode == MODE_CBC) {
                    l[k] ^= k == 0 ? cl : cipherL[k - 1];
                    r[k] ^= k == 0 ? cr : cipherR[k - 1];
                }
                StoreBig(out + 8 * k, l[k]);
                StoreBig(out + 8 * k + 4, r[k]);
            }
            cl = cipherL[LANES - 1];
            cr = cipherR[LANES - 1];
        }
    }
    for (; b < blocks; ++b, in += 8, out += 8) {
        uint32_t l = LoadBig(in), r = LoadBig(in + 4);
        if (mode == MODE_CBC) {
            uint32_t nl = l, nr = r; // kept before out (possibly in) is overwritten
            DecryptBlock(&l, &r);
            l ^= cl;
            r ^= cr;
            cl = nl;
            cr = nr;
        } else if (mode == MODE_CFB) {
            EncryptBlock(&cl, &cr);
            uint32_t nl = l, nr = r;
            l ^= cl;
            r ^= cr;
            cl = nl;
            cr = nr;
        } else {
            DecryptBlock(&l, &r);
        }
        StoreBig(out, l);
        StoreBig(out + 4, r);
    }
}
