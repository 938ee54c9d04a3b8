// The packet form of enciphered bodies and request fields: int32 plain length L, CRC-32 of the plain bytes,
// then Blowfish CBC (zero vector, key = the session key text) of the plain bytes padded to whole blocks.
#pragma once

#include <string>

// The packet of the plain bytes; empty for a key shorter than 6 characters or fewer than 16 plain bytes.
std::string SealPacket(const std::string& key, const std::string& plain);
// Opens a packet; returns L, or -1 bad key, -2 too short, -3 bad length, -4 CRC mismatch.
int OpenPacket(const std::string& key, const std::string& packet, std::string& plain);
