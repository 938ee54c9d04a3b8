// The stand-in server's RSA key pair: made once and kept in its data directory, exported as "pubkey.bin"
// (DER SubjectPublicKeyInfo) for the client's program directory, and used to decipher the session keys that
// clients encipher with RSAES-OAEP (SHA-256, MGF1 with SHA-256, empty label).
#pragma once

#include <string>
#include <vector>

class CRsaKeyPair {
public:
    CRsaKeyPair();
    ~CRsaKeyPair();
    CRsaKeyPair(const CRsaKeyPair&) = delete;
    CRsaKeyPair& operator=(const CRsaKeyPair&) = delete;

    // Reads the private key from the file, or makes a new 2048-bit pair and writes it there (PEM, mode 0600).
    // 1 on success, 0 on failure.
    int LoadOrCreate(const std::string& privateKeyPath);
    // Makes a new pair in memory only (tests).
    int Generate(int bits = 2048);
    // DER SubjectPublicKeyInfo of the public half; empty without a key.
    std::vector<unsigned char> GetPublicKeyDer() const;
    int ExportPublicKey(const std::string& path) const;
    // Deciphers one OAEP block; the plain bytes, or -1 when the block is not ours or is damaged.
    int Decrypt(const unsigned char* cipher, int length, std::vector<unsigned char>& plain) const;
    // Enciphers with the public half in the same scheme (tests and the test client).
    int Encrypt(const unsigned char* plain, int length, std::vector<unsigned char>& cipher) const;
    // Enciphers with a DER public key alone, as a client holding only "pubkey.bin" does.
    static int EncryptWithPublicKey(const std::vector<unsigned char>& publicDer, const unsigned char* plain, int length,
                                    std::vector<unsigned char>& cipher);

private:
    void* key = nullptr; // EVP_PKEY
};
