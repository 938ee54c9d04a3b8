// RSA key pair of the stand-in server over OpenSSL's EVP interface.
#include "platform/device/RsaKeyPair.h"

#include <cstdio>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

EVP_PKEY* AsKey(void* k)
{
    return static_cast<EVP_PKEY*>(k);
}

// Sets the OAEP parameters on an encrypt or decrypt context.
bool SetOaep(EVP_PKEY_CTX* ctx)
{
    return EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_PKCS1_OAEP_PADDING) > 0 &&
           EVP_PKEY_CTX_set_rsa_oaep_md(ctx, EVP_sha256()) > 0 && EVP_PKEY_CTX_set_rsa_mgf1_md(ctx, EVP_sha256()) > 0;
}

int EncryptWith(EVP_PKEY* k, const unsigned char* plain, int length, std::vector<unsigned char>& cipher)
{
    cipher.clear();
    if (!k || !plain || length < 0)
        return -1;
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new(k, nullptr);
    int result = -1;
    size_t outLen = 0;
    if (ctx && EVP_PKEY_encrypt_init(ctx) > 0 && SetOaep(ctx) &&
        EVP_PKEY_encrypt(ctx, nullptr, &outLen, plain, static_cast<size_t>(length)) > 0) {
        cipher.resize(outLen);
        if (EVP_PKEY_encrypt(ctx, cipher.data(), &outLen, plain, static_cast<size_t>(length)) > 0) {
            cipher.resize(outLen);
            result = static_cast<int>(outLen);
        } else {
            cipher.clear();
        }
    }
    EVP_PKEY_CTX_free(ctx);
    return result;
}

} // namespace

CRsaKeyPair::CRsaKeyPair() = default;

CRsaKeyPair::~CRsaKeyPair()
{
    EVP_PKEY_free(AsKey(key));
}

int CRsaKeyPair::Generate(int bits)
{
    EVP_PKEY* k = EVP_RSA_gen(static_cast<unsigned int>(bits));
    if (!k)
        return 0;
    EVP_PKEY_free(AsKey(key));
    key = k;
    return 1;
}

int CRsaKeyPair::LoadOrCreate(const std::string& path)
{
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        EVP_PKEY* k = PEM_read_PrivateKey(f, nullptr, nullptr, nullptr);
        std::fclose(f);
        if (k) {
            EVP_PKEY_free(AsKey(key));
            key = k;
            return 1;
        }
        return 0; // a damaged key file is not silently replaced: clients hold its public half
    }
    if (!Generate(2048))
        return 0;
    std::string temp = path + ".tmp";
    // The private key is the server's alone from the first byte; a name already there (or a link) is not reused.
    std::remove(temp.c_str());
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    FILE* f = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (!f) {
        if (fd >= 0)
            close(fd);
        return 0;
    }
    bool ok = PEM_write_PrivateKey(f, AsKey(key), nullptr, nullptr, 0, nullptr, nullptr) == 1;
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return 0;
    }
    return 1;
}

std::vector<unsigned char> CRsaKeyPair::GetPublicKeyDer() const
{
    std::vector<unsigned char> der;
    if (!key)
        return der;
    int n = i2d_PUBKEY(AsKey(key), nullptr);
    if (n <= 0)
        return der;
    der.resize(static_cast<size_t>(n));
    unsigned char* p = der.data();
    i2d_PUBKEY(AsKey(key), &p);
    return der;
}

int CRsaKeyPair::ExportPublicKey(const std::string& path) const
{
    std::vector<unsigned char> der = GetPublicKeyDer();
    if (der.empty())
        return 0;
    std::string temp = path + ".tmp";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f)
        return 0;
    bool ok = std::fwrite(der.data(), 1, der.size(), f) == der.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return 0;
    }
    return 1;
}

int CRsaKeyPair::Decrypt(const unsigned char* cipher, int length, std::vector<unsigned char>& plain) const
{
    plain.clear();
    if (!key || !cipher || length <= 0)
        return -1;
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new(AsKey(key), nullptr);
    int result = -1;
    size_t outLen = 0;
    if (ctx && EVP_PKEY_decrypt_init(ctx) > 0 && SetOaep(ctx) &&
        EVP_PKEY_decrypt(ctx, nullptr, &outLen, cipher, static_cast<size_t>(length)) > 0) {
        plain.resize(outLen);
        if (EVP_PKEY_decrypt(ctx, plain.data(), &outLen, cipher, static_cast<size_t>(length)) > 0) {
            plain.resize(outLen);
            result = static_cast<int>(outLen);
        } else {
            plain.clear();
        }
    }
    EVP_PKEY_CTX_free(ctx);
    return result;
}

int CRsaKeyPair::Encrypt(const unsigned char* plain, int length, std::vector<unsigned char>& cipher) const
{
    return EncryptWith(AsKey(key), plain, length, cipher);
}

int CRsaKeyPair::EncryptWithPublicKey(const std::vector<unsigned char>& der, const unsigned char* plain, int length,
                                      std::vector<unsigned char>& cipher)
{
    const unsigned char* p = der.data();
    EVP_PKEY* k = der.empty() ? nullptr : d2i_PUBKEY(nullptr, &p, static_cast<long>(der.size()));
    if (!k) {
        cipher.clear();
        return -1;
    }
    int r = EncryptWith(k, plain, length, cipher);
    EVP_PKEY_free(k);
    return r;
}
