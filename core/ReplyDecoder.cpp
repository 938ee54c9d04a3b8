// The reply body pipeline: decipher, then unpack.
#include "core/ReplyDecoder.h"

#include <cstring>

void CReplyDecoder::SetInput(const BYTE* bytes, int length)
{
    if (!bytes || length < 1)
        return;
    input.Append(bytes, (UINT)length);
}

const BYTE* CReplyDecoder::Finish(int decode, int* outLength)
{
    output.SetSize(0);
    if (outLength)
        *outLength = 0;
    const BYTE* current = input.data;
    int currentLength = (int)input.GetSize();
    if (currentLength == 0)
        return nullptr;
    if (decode == 0) {
        if (outLength)
            *outLength = currentLength;
        return current;
    }
    bool stopped = false;
    if (cipherStage && cipherType != 0) {
        BYTE* out = nullptr;
        int length = 0;
        int keyLength = key ? (int)strlen(key) : 0;
        cipherStage->ProcessWithKey(current, currentLength, (BYTE)(cipherType & 0xFF), key, keyLength, &out,
                                    &length, 0);
        if (!out || length == 0)
            stopped = true;
        else {
            current = out;
            currentLength = length;
        }
    }
    if (!stopped && compressStage && compressType != 0) {
        BYTE* out = nullptr;
        int length = 0;
        compressStage->Process(current, currentLength, (BYTE)(compressType & 0xFF), &out, &length, 0);
        if (out && length > 0) {
            current = out;
            currentLength = length;
        }
    }
    if (!output.Append(current, (UINT)currentLength))
        return nullptr;
    if (outLength)
        *outLength = currentLength;
    return output.data;
}
