// OpenSSL's Blowfish and MD5, as independent references for the client's own cipher in tests and benchmarks.
// Not used by the client itself.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>
#include <memory>

class ReferenceBlowfish {
public:
    ReferenceBlowfish(const BYTE* key, int keyLength);
    ~ReferenceBlowfish();
    ReferenceBlowfish(const ReferenceBlowfish&) = delete;
    ReferenceBlowfish& operator=(const ReferenceBlowfish&) = delete;

    // Mode 1 = CBC, 2 = 64-bit CFB, anything else = ECB; length a multiple of 8; iv of 8 bytes (null: zeros).
    void Encrypt(const BYTE* in, BYTE* out, size_t length, int mode, const BYTE* iv) const;
    void Decrypt(const BYTE* in, BYTE* out, size_t length, int mode, const BYTE* iv) const;

private:
    struct Key;
    std::unique_ptr<Key> key;
};

// OpenSSL's MD5 of length bytes into digest.
void ReferenceMd5(const BYTE* data, size_t length, BYTE digest[16]);
