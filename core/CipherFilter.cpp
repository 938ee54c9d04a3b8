// Deciphering stage of reply bodies over the packet cipher.
#include "core/CipherFilter.h"

#include "core/PacketCipher.h"

#include <cstdlib>
#include <cstring>

CCipherFilter::~CCipherFilter()
{
    free(encipherBuffer.data);
    free(decipherBuffer.data);
}

bool CCipherFilter::Reserve(Buffer& buffer, int needed)
{
    if (buffer.capacity >= needed)
        return true;
    if (needed > 0x7FFFFFFF - 1024)
        return false;
    BYTE* grown = (BYTE*)malloc((size_t)needed + 1024);
    if (!grown)
        return false;
    free(buffer.data);
    buffer.data = grown;
    buffer.capacity = needed + 1024;
    return true;
}

void CCipherFilter::Process(const BYTE*, int, BYTE, BYTE** outData, int* outLength, int)
{
    if (outData)
        *outData = nullptr;
    if (outLength)
        *outLength = 0;
}

void CCipherFilter::ProcessWithKey(const BYTE* input, int length, BYTE type, const char* key, int, BYTE** outData,
                                   int* outLength, int direction)
{
    if (outData)
        *outData = nullptr;
    if (outLength)
        *outLength = 0;
    if (type != CIPHER_BLOWFISH_PACKET || !input || length < 1)
        return;
    if (direction == 0) {
        if (!Reserve(decipherBuffer, length))
            return;
        // Straight into the filter's buffer: a body is held twice at most, not three times.
        int plain = DecryptPacketInto(key, input, length, decipherBuffer.data);
        if (plain > 0) {
            if (outData)
                *outData = decipherBuffer.data;
            if (outLength)
                *outLength = plain;
        }
        return;
    }
    if (length > 0x7FFFFFF0 || !Reserve(encipherBuffer, PacketSize(length)))
        return;
    int packet = EncryptPacket(key, input, length, encipherBuffer.data);
    if (packet > 0) {
        if (outData)
            *outData = encipherBuffer.data;
        if (outLength)
            *outLength = packet;
    }
}

BOOL CCipherFilter::Decode(CByteBuffer& body, BYTE type, const char* key)
{
    if (type != CIPHER_BLOWFISH_PACKET || body.GetSize() < 1 || body.GetSize() > 0x7FFFFFFF)
        return FALSE;
    // An empty plain text is no result: the packet then goes on as it came, so it is not deciphered at all.
    if (body.GetSize() >= 4 && (body.data[0] | body.data[1] | body.data[2] | body.data[3]) == 0)
        return FALSE;
    int plain = DecryptPacketInPlace(key, body.data, (int)body.GetSize());
    if (plain <= 0)
        return FALSE;
    // The plain bytes follow the packet's length and checksum: moved to the front, and a zero past them.
    memmove(body.data, body.data + 8, (size_t)plain);
    body.data[plain] = 0;
    body.SetSize((UINT)plain);
    return TRUE;
}
