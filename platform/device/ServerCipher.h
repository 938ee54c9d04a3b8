// The stand-in server's own cipher primitives, taken from OpenSSL rather than from the client's code, so that
// a fault in the client's Blowfish or digest shows up as a mismatch instead of hiding on both sides.
#pragma once

#include <cstddef>
#include <string>

// Blowfish in CBC mode with a zero initial vector over whole 8-byte blocks; key = the key text's bytes
// (at most 56 used). The length must be a multiple of 8. Returns false for a bad argument.
bool ServerBlowfishCbc(const std::string& key, const unsigned char* in, unsigned char* out, size_t length,
                       bool encrypt);
// MD5 digest of the bytes as 32 lower-case hexadecimal characters.
std::string ServerMd5Hex(const std::string& bytes);
// PBKDF2-HMAC-SHA256 of the password with the salt and that many iterations: 32 bytes as 64 lower-case
// hexadecimal characters; empty when it cannot be computed.
std::string ServerPbkdf2Sha256Hex(const std::string& password, const std::string& salt, int iterations);
// That many bytes from the system's random generator as lower-case hexadecimal; empty when none are available.
std::string ServerRandomHex(size_t bytes);
