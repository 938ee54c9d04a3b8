// The Blowfish packet of cipher type 36: int32 plain length L, CRC-32 of the plain bytes, then the plain bytes
// padded to whole 8-byte blocks and enciphered in CBC mode with a zero vector. Integers are little-endian.
#pragma once

#include "platform/win/WinTypes.h"

enum { CIPHER_BLOWFISH_PACKET = 36 };

// Size of the packet for L plain bytes: 8 x floor((L + 15) / 8).
int PacketSize(int plainLength);

// Returns the packet length, -1 for a key null or shorter than 6 characters, -2 for null buffers or L < 16.
// out must hold PacketSize(L) bytes.
int EncryptPacket(const char* key, const BYTE* plain, int plainLength, BYTE* out);

// Returns L, or -1 (bad key), -2 (null buffers or size < 16), -3 (L negative or beyond the deciphered
// blocks), -4 (CRC-32 mismatch). out must hold size - 8 bytes; nothing is written to it on failure.
int DecryptPacket(const char* key, const BYTE* packet, int size, BYTE* out);
// The same without a copy of its own: deciphers straight into out, which must hold size - 8 bytes and whose
// content is undefined after a failure (the caller drops it).
int DecryptPacketInto(const char* key, const BYTE* packet, int size, BYTE* out);
// The same in the packet's own bytes: L with the plain bytes from packet + 8; after a failure the packet is
// as it came (a checksum mismatch enciphers it back).
int DecryptPacketInPlace(const char* key, BYTE* packet, int size);
