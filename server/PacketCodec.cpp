// Packet sealing and opening for the stand-in server.
#include "server/PacketCodec.h"

#include "platform/device/ServerCipher.h"

#include <cstdint>
#include <vector>
#include <zlib.h>

namespace {
void PutU32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
uint32_t GetU32(const std::string& s, size_t at)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(static_cast<unsigned char>(s[at + i])) << (8 * i);
    return v;
}
uint32_t Crc(const std::string& bytes)
{
    return static_cast<uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}
} // namespace

std::string SealPacket(const std::string& key, const std::string& plain)
{
    if (key.size() < 6 || plain.size() < 16)
        return std::string();
    size_t body = (plain.size() + 7) / 8 * 8;
    std::vector<unsigned char> padded(body, 0);
    std::copy(plain.begin(), plain.end(), padded.begin());
    std::vector<unsigned char> sealed(body);
    if (!ServerBlowfishCbc(key, padded.data(), sealed.data(), body, true))
        return std::string();
    std::string out;
    PutU32(out, static_cast<uint32_t>(plain.size()));
    PutU32(out, Crc(plain));
    out.append(reinterpret_cast<const char*>(sealed.data()), sealed.size());
    return out;
}

int OpenPacket(const std::string& key, const std::string& packet, std::string& plain)
{
    plain.clear();
    if (key.size() < 6)
        return -1;
    if (packet.size() < 16)
        return -2;
    int32_t length = static_cast<int32_t>(GetU32(packet, 0));
    if (length < 0 || static_cast<size_t>(length) > packet.size() - 8)
        return -3;
    size_t blocks = (packet.size() - 8) / 8 * 8;
    std::vector<unsigned char> open(blocks);
    if (!ServerBlowfishCbc(key, reinterpret_cast<const unsigned char*>(packet.data() + 8), open.data(), blocks, false))
        return -1;
    if (static_cast<size_t>(length) > blocks)
        return -3;
    std::string result(reinterpret_cast<const char*>(open.data()), static_cast<size_t>(length));
    if (Crc(result) != GetU32(packet, 4))
        return -4;
    plain.swap(result);
    return length;
}
