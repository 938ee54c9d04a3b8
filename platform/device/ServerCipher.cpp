// Blowfish, MD5, PBKDF2 and random salts for the stand-in server, over OpenSSL.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "platform/device/ServerCipher.h"

#include <openssl/blowfish.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>
#include <openssl/crypto.h>

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

namespace {

std::string HexOf(const unsigned char* bytes, size_t n)
{
    static const char hex[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < n; ++i) {
        text += hex[bytes[i] >> 4];
        text += hex[bytes[i] & 15];
    }
    return text;
}

} // namespace

std::string ServerPbkdf2Sha256Hex(const std::string& password, const std::string& salt, int iterations)
{
    // One 32-byte block of PBKDF2 with HMAC-SHA-256, the HMAC's keyed states computed once and copied each round:
    // no round allocates (EVP's HMAC does, which a sanitizer build makes several times slower).
    if (iterations < 1)
        return std::string();
    unsigned char key[64] = {0};
    if (password.size() > sizeof key)
        SHA256(reinterpret_cast<const unsigned char*>(password.data()), password.size(), key);
    else
        std::memcpy(key, password.data(), password.size());
    unsigned char pad[64];
    SHA256_CTX inner, outer;
    for (size_t i = 0; i < sizeof pad; ++i)
        pad[i] = key[i] ^ 0x36;
    SHA256_Init(&inner);
    SHA256_Update(&inner, pad, sizeof pad);
    for (size_t i = 0; i < sizeof pad; ++i)
        pad[i] = key[i] ^ 0x5c;
    SHA256_Init(&outer);
    SHA256_Update(&outer, pad, sizeof pad);
    auto hmac = [&](const unsigned char* data, size_t n, unsigned char* out) {
        unsigned char digest[32];
        SHA256_CTX c = inner;
        SHA256_Update(&c, data, n);
        SHA256_Final(digest, &c);
        c = outer;
        SHA256_Update(&c, digest, sizeof digest);
        SHA256_Final(out, &c);
    };
    std::string first = salt + std::string("\0\0\0\1", 4); // block number 1
    unsigned char u[32], t[32];
    hmac(reinterpret_cast<const unsigned char*>(first.data()), first.size(), u);
    std::memcpy(t, u, sizeof t);
    for (int round = 1; round < iterations; ++round) {
        hmac(u, sizeof u, u);
        for (size_t i = 0; i < sizeof t; ++i)
            t[i] ^= u[i];
    }
    std::string text = HexOf(t, sizeof t);
    OPENSSL_cleanse(key, sizeof key);
    OPENSSL_cleanse(pad, sizeof pad);
    OPENSSL_cleanse(&inner, sizeof inner);
    OPENSSL_cleanse(&outer, sizeof outer);
    OPENSSL_cleanse(u, sizeof u);
    OPENSSL_cleanse(t, sizeof t);
    return text;
}

std::string ServerRandomHex(size_t bytes)
{
    std::string raw(bytes, '\0');
    if (bytes == 0 || RAND_bytes(reinterpret_cast<unsigned char*>(raw.data()), static_cast<int>(bytes)) != 1)
        return std::string();
    return HexOf(reinterpret_cast<const unsigned char*>(raw.data()), bytes);
}
