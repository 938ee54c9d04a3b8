// CRC-32 of IEEE 802.3 as zlib computes it (reflected, initial value all ones, final inversion).
#pragma once

#include "platform/win/WinTypes.h"

#include <cstdint>

uint32_t Crc32(const BYTE* data, uint32_t length);
