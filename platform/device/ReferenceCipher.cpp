// The reference Blowfish and MD5 over OpenSSL's low-level calls (kept in OpenSSL 3 for compatibility).
#define OPENSSL_SUPPRESS_DEPRECATED
#include "platform/device/ReferenceCipher.h"

#include <cstring>
#include <openssl/blowfish.h>
#include <openssl/md5.h>

struct ReferenceBlowfish::Key {
    BF_KEY schedule;
};

ReferenceBlowfish::ReferenceBlowfish(const BYTE* keyBytes, int keyLength) : key(new Key)
{
    BF_set_key(&key->schedule, keyLength, keyBytes);
}

ReferenceBlowfish::~ReferenceBlowfish() = default;

namespace {

void Run(const BF_KEY* schedule, const BYTE* in, BYTE* out, size_t length, int mode, const BYTE* iv, int enc)
{
    unsigned char vector[8] = {};
    if (iv != nullptr)
        memcpy(vector, iv, 8);
    length -= length % 8;
    if (mode == 1) {
        BF_cbc_encrypt(in, out, (long)length, schedule, vector, enc);
    } else if (mode == 2) {
        int num = 0;
        BF_cfb64_encrypt(in, out, (long)length, schedule, vector, &num, enc);
    } else {
        for (size_t i = 0; i < length; i += 8)
            BF_ecb_encrypt(in + i, out + i, schedule, enc);
    }
}

} // namespace

void ReferenceBlowfish::Encrypt(const BYTE* in, BYTE* out, size_t length, int mode, const BYTE* iv) const
{
    Run(&key->schedule, in, out, length, mode, iv, BF_ENCRYPT);
}

void ReferenceBlowfish::Decrypt(const BYTE* in, BYTE* out, size_t length, int mode, const BYTE* iv) const
{
    Run(&key->schedule, in, out, length, mode, iv, BF_DECRYPT);
}

void ReferenceMd5(const BYTE* data, size_t length, BYTE digest[16])
{
    MD5(data, length, digest);
}
