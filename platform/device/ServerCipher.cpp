// Blowfish, MD5, PBKDF2 and random salts for the stand-in server, over OpenSSL.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "platform/device/ServerCipher.h"

#include <openssl/blowfish.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

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
    unsigned char key[32];
    if (iterations < 1 ||
        PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                          reinterpret_cast<const unsigned char*>(salt.data()), static_cast<int>(salt.size()),
                          iterations, EVP_sha256(), sizeof key, key) != 1)
        return std::string();
    std::string text = HexOf(key, sizeof key);
    std::memset(key, 0, sizeof key);
    return text;
}

std::string ServerRandomHex(size_t bytes)
{
    std::string raw(bytes, '\0');
    if (bytes == 0 || RAND_bytes(reinterpret_cast<unsigned char*>(raw.data()), static_cast<int>(bytes)) != 1)
        return std::string();
    return HexOf(reinterpret_cast<const unsigned char*>(raw.data()), bytes);
}
