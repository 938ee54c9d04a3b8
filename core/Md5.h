// MD5 message digest (RFC 1321), used for the log-in password digest.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstdint>

struct MD5Context {
    uint32_t count[2]; // bits hashed so far, low word first
    uint32_t state[4];
    BYTE buffer[64];
};

void MD5Init(MD5Context* context);
void MD5Update(MD5Context* context, const BYTE* input, uint32_t length);
// Writes the 16-byte digest and wipes the context.
void MD5Final(MD5Context* context, BYTE digest[16]);
