// RSA over OpenSSL's EVP interface: DER public keys, OAEP with SHA-256.
#include "platform/device/Rsa.h"
#include "platform/win/FileIo.h"
#include "platform/win/LastError.h"

#include <fstream>
#include <iterator>
#include <openssl/evp.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

namespace {

const int KEY_BITS = 2048;
const size_t MAX_KEY_FILE = 64 * 1024;

bool SetOaep(EVP_PKEY_CTX* ctx)
{
    return EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_PKCS1_OAEP_PADDING) > 0 &&
           EVP_PKEY_CTX_set_rsa_oaep_md(ctx, EVP_sha256()) > 0 && EVP_PKEY_CTX_set_rsa_mgf1_md(ctx, EVP_sha256()) > 0;
}

} // namespace

CRSA::CRSA() : key(nullptr) {}

CRSA::~CRSA()
{
    EVP_PKEY_free((EVP_PKEY*)key);
}

BOOL CRSA::LoadPublicKey(const char* path)
{
    std::string native = NativePathFromAnsi(path);
    if (native.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::ifstream in(native, std::ios::binary);
    if (!in) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    std::vector<unsigned char> der;
    char c;
    while (der.size() <= MAX_KEY_FILE && in.get(c))
        der.push_back((unsigned char)c);
    if (der.empty() || der.size() > MAX_KEY_FILE) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    const unsigned char* p = der.data();
    EVP_PKEY* loaded = d2i_PUBKEY(nullptr, &p, (long)der.size());
    if (loaded == nullptr || EVP_PKEY_base_id(loaded) != EVP_PKEY_RSA || EVP_PKEY_bits(loaded) != KEY_BITS) {
        EVP_PKEY_free(loaded);
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    EVP_PKEY_free((EVP_PKEY*)key);
    key = loaded;
    return TRUE;
}

BOOL CRSA::Encrypt(const BYTE* in, DWORD inLength, BYTE* out, DWORD* outLength)
{
    if (key == nullptr || out == nullptr || outLength == nullptr || (in == nullptr && inLength > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new((EVP_PKEY*)key, nullptr);
    size_t size = OUTPUT_SIZE;
    bool ok = ctx != nullptr && EVP_PKEY_encrypt_init(ctx) > 0 && SetOaep(ctx) &&
              EVP_PKEY_encrypt(ctx, nullptr, &size, in, inLength) > 0 && size <= OUTPUT_SIZE &&
              EVP_PKEY_encrypt(ctx, out, &size, in, inLength) > 0;
    EVP_PKEY_CTX_free(ctx);
    if (!ok) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    *outLength = (DWORD)size;
    return TRUE;
}

BOOL GenerateRsaKeyPairForTest(std::vector<BYTE>* publicKeyDer, std::vector<BYTE>* privateKeyDer)
{
    EVP_PKEY* pair = EVP_RSA_gen(KEY_BITS);
    if (pair == nullptr)
        return FALSE;
    unsigned char* pub = nullptr;
    int pubLength = i2d_PUBKEY(pair, &pub);
    PKCS8_PRIV_KEY_INFO* info = EVP_PKEY2PKCS8(pair);
    unsigned char* priv = nullptr;
    int privLength = info != nullptr ? i2d_PKCS8_PRIV_KEY_INFO(info, &priv) : -1;
    bool ok = pubLength > 0 && privLength > 0;
    if (ok) {
        publicKeyDer->assign(pub, pub + pubLength);
        privateKeyDer->assign(priv, priv + privLength);
    }
    OPENSSL_free(pub);
    OPENSSL_free(priv);
    PKCS8_PRIV_KEY_INFO_free(info);
    EVP_PKEY_free(pair);
    return ok ? TRUE : FALSE;
}

BOOL DecryptRsaForTest(const std::vector<BYTE>& privateKeyDer, const BYTE* in, DWORD inLength, std::vector<BYTE>* out)
{
    const unsigned char* p = privateKeyDer.data();
    EVP_PKEY* pair = d2i_AutoPrivateKey(nullptr, &p, (long)privateKeyDer.size());
    EVP_PKEY_CTX* ctx = pair != nullptr ? EVP_PKEY_CTX_new(pair, nullptr) : nullptr;
    size_t size = 0;
    bool ok = ctx != nullptr && EVP_PKEY_decrypt_init(ctx) > 0 && SetOaep(ctx) &&
              EVP_PKEY_decrypt(ctx, nullptr, &size, in, inLength) > 0;
    if (ok) {
        out->resize(size);
        ok = EVP_PKEY_decrypt(ctx, out->data(), &size, in, inLength) > 0;
        out->resize(ok ? size : 0);
    }
    EVP_PKEY_CTX_free(ctx);
    EVP_PKEY_free(pair);
    return ok ? TRUE : FALSE;
}
