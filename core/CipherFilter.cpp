// Deciphering stage of reply bodies over the packet cipher.
#include "core/CipherFilter.h"

#include "core/PacketCipher.h"

#include <cstdlib>

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

void CCipherFilter::ProcessWithKey(const BYTE* input, int length, BYTE type, const char* key, int,
                                   BYTE** outData, int* outLength, int direction)
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
