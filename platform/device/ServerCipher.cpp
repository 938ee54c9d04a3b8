// Blowfish and MD5 for the stand-in server, over OpenSSL.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "platform/device/ServerCipher.h"

#include <openssl/blowfish.h>
#include <openssl/evp.h>

#include <cstring>

bool ServerBlowfishCbc(const std::string& key, const unsigned char* in, unsigned char* out, size_t length, bool encrypt)
{
    if (key.empty() || (length % 8) != 0 || (length && (!in || !out)))
        return false;
    BF_KEY schedule;
    int keyLength = static_cast<int>(key.size() > 56 ? 56 : key.size());
    BF_set_key(&schedule, keyLength, reinterpret_cast<const unsigned char*>(key.data()));
    unsigned char iv[8] = {0};
    if (length)
        BF_cbc_encrypt(in, out, static_cast<long>(length), &schedule, iv, encrypt ? BF_ENCRYPT : BF_DECRYPT);
    std::memset(&schedule, 0, sizeof schedule);
    return true;
}

std::string ServerMd5Hex(const std::string& bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &n, EVP_md5(), nullptr) != 1)
        return std::string();
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < n; ++i) {
        out += hex[digest[i] >> 4];
        out += hex[digest[i] & 15];
    }
    return out;
}
