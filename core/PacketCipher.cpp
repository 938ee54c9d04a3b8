// Enciphering and deciphering of Blowfish packets, with the length and checksum checked before use.
#include "core/PacketCipher.h"

#include "core/BlowFish.h"
#include "core/Crc32.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

const BYTE ZERO_VECTOR[8] = {0, 0, 0, 0, 0, 0, 0, 0};

bool KeyUsable(const char* key)
{
    return key && strlen(key) >= 6;
}

void PutLe32(BYTE* p, DWORD v)
{
    p[0] = (BYTE)v;
    p[1] = (BYTE)(v >> 8);
    p[2] = (BYTE)(v >> 16);
    p[3] = (BYTE)(v >> 24);
}

DWORD GetLe32(const BYTE* p)
{
    return (DWORD)p[0] | ((DWORD)p[1] << 8) | ((DWORD)p[2] << 16) | ((DWORD)p[3] << 24);
}

// The key schedule costs more than ciphering a small packet, and every packet of a run uses the same session
// key: keep the schedule of the last key per thread. Each call starts its chain from the zero vector anyway.
CBlowFish& CipherFor(const char* key)
{
    thread_local std::string lastKey;
    thread_local std::unique_ptr<CBlowFish> cipher;
    if (!cipher || lastKey != key) {
        cipher = std::make_unique<CBlowFish>(key, (UINT)strlen(key), ZERO_VECTOR);
        lastKey = key;
    }
    return *cipher;
}

} // namespace

int PacketSize(int plainLength)
{
    return 8 * ((plainLength + 15) / 8);
}

int EncryptPacket(const char* key, const BYTE* plain, int plainLength, BYTE* out)
{
    if (!KeyUsable(key))
        return -1;
    if (!plain || !out || plainLength < 16 || plainLength > 0x7FFFFFF0)
        return -2;
    int total = PacketSize(plainLength);
    // Built aside first so that out may be the plain buffer itself; pad bytes are zero.
    BYTE* packet = (BYTE*)calloc((size_t)total, 1);
    if (!packet)
        return -2;
    PutLe32(packet, (DWORD)plainLength);
    PutLe32(packet + 4, Crc32(plain, (UINT)plainLength));
    memcpy(packet + 8, plain, (size_t)plainLength);
    CipherFor(key).Encrypt(packet + 8, packet + 8, (UINT)(total - 8), CBlowFish::MODE_CBC);
    memcpy(out, packet, (size_t)total);
    free(packet);
    return total;
}

int DecryptPacketInto(const char* key, const BYTE* packet, int size, BYTE* out)
{
    if (!KeyUsable(key))
        return -1;
    if (!packet || !out || size < 16)
        return -2;
    int plainLength = (int)GetLe32(packet);
    DWORD storedCrc = GetLe32(packet + 4);
    int blockBytes = ((size - 8) / 8) * 8;
    // Only whole blocks are deciphered, so a length reaching into a partial block would read unciphered bytes.
    if (plainLength < 0 || plainLength > size - 8 || plainLength > blockBytes)
        return -3;
    CipherFor(key).Decrypt(packet + 8, out, (UINT)blockBytes, CBlowFish::MODE_CBC);
    return Crc32(out, (UINT)plainLength) == storedCrc ? plainLength : -4;
}

int DecryptPacketInPlace(const char* key, BYTE* packet, int size)
{
    // CBC deciphering reads each block before writing it, so the blocks can be deciphered where they lie; only
    // a checksum mismatch comes after anything was written.
    int plainLength = DecryptPacketInto(key, packet, size, packet ? packet + 8 : nullptr);
    if (plainLength == -4)
        CipherFor(key).Encrypt(packet + 8, packet + 8, (UINT)(((size - 8) / 8) * 8), CBlowFish::MODE_CBC);
    return plainLength;
}

int DecryptPacket(const char* key, const BYTE* packet, int size, BYTE* out)
{
    if (!packet || !out || size < 16)
        return KeyUsable(key) ? -2 : -1;
    BYTE* plain = (BYTE*)malloc((size_t)(size - 8));
    if (!plain)
        return -2;
    int plainLength = DecryptPacketInto(key, packet, size, plain);
    if (plainLength >= 0)
        memcpy(out, plain, (size_t)plainLength);
    free(plain);
    return plainLength;
}
