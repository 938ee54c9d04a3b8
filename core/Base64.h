// Base64 of RFC 4648 (standard alphabet, "=" padding, no line breaks).
#pragma once

#include "platform/win/WinTypes.h"

#include <cstdint>

// Writes 4 * ceil(length / 3) characters and a terminating 0 to out; returns the character count.
// Length 0 returns 0 and writes nothing.
uint32_t Base64Encode(const BYTE* in, BYTE* out, uint32_t length);
// The alphabet character at index n mod 64 (the magnitude of a negative remainder).
char Base64Char(int32_t n);
// Decodes length characters of Base64 text (padding optional, no other characters allowed) into out, which
// must hold 3 * ceil(length / 4) bytes. Returns the byte count, or -1 for text that is not Base64.
int32_t Base64Decode(const char* in, uint32_t length, BYTE* out);
