// The published starting values of the Blowfish P-array and S-boxes (the hexadecimal digits of pi).
#pragma once

#include <cstdint>

extern const uint32_t BLOWFISH_PI_P[18];
extern const uint32_t BLOWFISH_PI_S[4][256];
