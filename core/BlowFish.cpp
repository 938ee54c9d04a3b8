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

} // namespace

#define BF_F(x) (((S[0][(x) >> 24] + S[1][((x) >> 16) & 0xff]) ^ S[2][((x) >> 8) & 0xff]) + S[3][(x)&0xff])

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
    for (int box = 0; box < 4; ++box) {
        for (int i = 0; i < 256; i += 2) {
            EncryptBlock(&left, &right);
            S[box][i] = left;
            S[box][i + 1] = right;
        }
    }
}

void CBlowFish::EncryptBlock(uint32_t* left, uint32_t* right) const
{
    uint32_t l = *left, r = *right;
    l ^= P[0];
    for (int i = 1; i <= 16; i += 2) {
        r ^= BF_F(l) ^ P[i];
        l ^= BF_F(r) ^ P[i + 1];
    }
    r ^= P[17];
    *left = r;
    *right = l;
}

void CBlowFish::DecryptBlock(uint32_t* left, uint32_t* right) const
{
    uint32_t l = *left, r = *right;
    l ^= P[17];
    for (int i = 16; i >= 1; i -= 2) {
        r ^= BF_F(l) ^ P[i];
        l ^= BF_F(r) ^ P[i - 1];
    }
    r ^= P[0];
    *left = r;
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
    uint32_t blocks = length / 8;
    memcpy(chain, initialVector, 8);
    uint32_t cl = LoadBig(chain), cr = LoadBig(chain + 4);
    for (uint32_t b = 0; b < blocks; ++b, in += 8, out += 8) {
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
