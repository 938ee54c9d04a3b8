// The reply body pipeline: decipher, then unpack.
#include "core/ReplyDecoder.h"

#include <cstring>
#include <utility>

void CReplyDecoder::SetInput(const BYTE* bytes, int length)
{
    if (!bytes || length < 1)
        return;
    input.Append(bytes, (UINT)length);
}

void CReplyDecoder::TakeInput(CByteBuffer& bytes)
{
    if (input.GetSize() == 0) {
        std::swap(input, bytes);
        bytes.SetSize(0);
        return;
    }
    SetInput(bytes.data, (int)bytes.GetSize());
    bytes = CByteBuffer(64);
}

const BYTE* CReplyDecoder::Finish(int decode, int* outLength)
{
    result = nullptr;
    resultLength = 0;
    if (outLength)
        *outLength = 0;
    const BYTE* current = input.data;
    int currentLength = (int)input.GetSize();
    if (currentLength == 0)
        return nullptr;
    if (decode != 0) {
        bool stopped = false;
        if (cipherStage && cipherType != 0) {
            BYTE* out = nullptr;
            int length = 0;
            int keyLength = key ? (int)strlen(key) : 0;
            cipherStage->ProcessWithKey(current, currentLength, (BYTE)(cipherType & 0xFF), key, keyLength, &out,
                                        &length, 0);
            if (!out || length == 0) {
                stopped = true;
            } else {
                current = out;
                currentLength = length;
                input = CByteBuffer(64); // the deciphered copy replaces the received one
            }
        }
        if (!stopped && compressStage && compressType != 0) {
            BYTE* out = nullptr;
            int length = 0;
            compressStage->Process(current, currentLength, (BYTE)(compressType & 0xFF), &out, &length, 0);
            if (out && length > 0) {
                current = out;
                currentLength = length;
                input = CByteBuffer(64); // unpacked: the packed body is not needed any more
            }
        }
    }
    result = current;
    resultLength = currentLength;
    if (outLength)
        *outLength = currentLength;
    return current;
}

BOOL CReplyDecoder::MoveResultTo(CByteBuffer& out)
{
    out.SetSize(0);
    if (result == nullptr || resultLength <= 0)
        return TRUE;
    if (result == input.data && (UINT)resultLength == input.GetSize()) {
        std::swap(out, input);
        input.SetSize(0);
        result = nullptr;
        resultLength = 0;
        return TRUE;
    }
    if (!out.Append(result, (UINT)resultLength)) {
        out.SetSize(0);
        return FALSE;
    }
    return TRUE;
}
