// Packing of reply bodies: the client's LZSS variant (2048-byte ring, spaces before position 2040, writing
// from 2040, 12-bit positions, lengths 3 to 18) and zlib with a 4-byte little-endian size in front.
#pragma once

#include <string>

std::string LzssEncode(const std::string& plain);
// A reference decoder of the same stream form, for the server's own checks and tests.
std::string LzssDecode(const std::string& packed);
// zlib body: u32 unpacked size, then an RFC 1950 stream packed at zlib's level (1 fastest .. 9 smallest, -1 its
// default). Empty on failure.
std::string ZlibPack(const std::string& plain, int level = -1);
// Inverse of ZlibPack; false when the stream is damaged or its size differs from the prefix.
bool ZlibUnpack(const std::string& packed, std::string& plain);
