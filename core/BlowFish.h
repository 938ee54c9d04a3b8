// CBlowFish: the Blowfish block cipher (64-bit blocks, 16 rounds, keys up to 56 bytes) in ECB, CBC and
// 64-bit CFB modes, over whole 8-byte blocks. Blocks are two big-endian 32-bit halves.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstdint>

class CBlowFish {
public:
    enum { MODE_ECB = 0, MODE_CBC = 1, MODE_CFB = 2 };
    static constexpr uint32_t MAX_KEY_BYTES = 56;

    // The key is cut to 56 bytes; an empty or null key leaves the starting P-array unmixed.
    // A null vector means eight zero bytes.
    CBlowFish(const char* key, uint32_t keyLength, const BYTE* initialVector);

    void EncryptBlock(uint32_t* left, uint32_t* right) const;
    void DecryptBlock(uint32_t* left, uint32_t* right) const;

    // length / 8 whole blocks from in to out (which may be the same buffer); a trailing part shorter than a
    // block is neither read nor written. Mode 1 = CBC, 2 = CFB, anything else = ECB. Every call starts its
    // chain from the stored vector.
    void Encrypt(const BYTE* in, BYTE* out, uint32_t length, int32_t mode);
    void Decrypt(const BYTE* in, BYTE* out, uint32_t length, int32_t mode);

private:
    BYTE initialVector[8];
    BYTE chain[8];
    uint32_t P[18];
    uint32_t S[4][256];
};
