// CRSA: the server's public key and RSA enciphering of short secrets (the session key at log-in).
// "pubkey.bin" holds a 2048-bit RSA public key as DER SubjectPublicKeyInfo; enciphering is RSAES-OAEP with
// SHA-256 and MGF1-SHA-256 and an empty label, so the output is 256 bytes and differs on every call.
#pragma once

#include "platform/win/WinTypes.h"

#include <vector>

class CRSA {
public:
    static constexpr DWORD OUTPUT_SIZE = 256;

    CRSA();
    ~CRSA();
    CRSA(const CRSA&) = delete;
    CRSA& operator=(const CRSA&) = delete;

    // path: 8-bit (code page 936). FALSE when the file is missing or not a 2048-bit RSA public key.
    BOOL LoadPublicKey(const char* path);
    // Enciphers inLength bytes into out, which holds OUTPUT_SIZE bytes; *outLength receives 256.
    // FALSE without a key, or when the input is too long for one block (at most 190 bytes).
    BOOL Encrypt(const BYTE* in, DWORD inLength, BYTE* out, DWORD* outLength);

private:
    void* key; // the loaded public key
};

// For tests of the client: a fresh 2048-bit key pair (public key as "pubkey.bin" holds it, private key as DER
// PKCS#8), and deciphering with that private key.
BOOL GenerateRsaKeyPairForTest(std::vector<BYTE>* publicKeyDer, std::vector<BYTE>* privateKeyDer);
BOOL DecryptRsaForTest(const std::vector<BYTE>& privateKeyDer, const BYTE* in, DWORD inLength, std::vector<BYTE>* out);
