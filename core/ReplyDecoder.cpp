// The reply body pipeline: decipher, then unpack.
#include "core/ReplyDecoder.h"

#include <cstring>
#include <utility>

void CReplyDecoder::SetInput(const BYTE* bytes, int length)
{
    if (!bytes || length < 1)
        return;
    input.Append(bytes, (UINT)length);
    decoded = false;
}

void CReplyDecoder::TakeInput(CByteBuffer& bytes)
{
    if (input.GetSize() == 0) {
        std::swap(input, bytes);
        bytes.SetSize(0);
        decoded = false;
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
    if (input.GetSize() == 0)
        return nullptr;
    // Each stage leaves its output in the input buffer (deciphering and LZSS in the very block), so no more
    // than one form of a body is held at once, two only while zlib unpacks.
    if (decode != 0 && !decoded) {
        decoded = true;
        bool stopped = false;
        if (cipherStage && cipherType != 0)
            stopped = !cipherStage->Decode(input, (BYTE)(cipherType & 0xFF), key);
        if (!stopped && compressStage && compressType != 0)
            compressStage->Decode(input, (BYTE)(compressType & 0xFF), nullptr);
    }
    result = input.data;
    resultLength = (int)input.GetSize();
    if (outLength)
        *outLength = resultLength;
    return result;
}

BOOL CReplyDecoder::MoveResultTo(CByteBuffer& out)
{
    out.SetSize(0);
    if (result == nullptr || resultLength <= 0)
        return TRUE;
    std::swap(out, input);
    input.SetSize(0);
    decoded = false;
    result = nullptr;
    resultLength = 0;
    return TRUE;
}
